#pragma once
// The items of the order: numbering, checks, the store with its discount
// rules, the keys of the items grid, the pricing from the base price list
// and the products the consultation adds.
#include "library/decimal.h"
#include "orders/consulta_produto.h"
#include "orders/contexto_pedido.h"
#include "orders/historico_cliente.h"

#include <QTime>
#include <functional>

namespace zov {

// The items grid's fields, in the order of ColunaItem (the line value before the delivery).
extern const char* const kCamposItem[kColunasItem];
// The text the items grid shows for a value of one of its fields: the product
// code with the product picture, the discount value cut to two decimals.
QString textoItem(const Field& field, const QVariant& value);
// The discount value as a line counts it: cut, not rounded, to two decimals.
Decimal descontoCortado(double valor);
struct TotaisPedido;
// The totals as the items page shows them.
struct TextosTotais {
    QString bruto, liquido, descMedio, descTotal;
};
TextosTotais textosTotais(const TotaisPedido& t);

class ItensPedido : public DestinoConsulta {
public:
    explicit ItensPedido(ContextoPedido& ctx);
    ItensPedido(const ItensPedido&) = delete;
    ItensPedido& operator=(const ItensPedido&) = delete;

    Query qryItemPedido;

    QString PrxCodItPedido();
    void incluirItem();
    void alterarItem();
    // Before post, post and after post of the current item, with the header
    // when it is being edited, in one transaction.
    void gravaItem();
    void Vd_CdProduto(bool boTestaVazio);
    void Vd_Quantidade(bool boTestaVazio);
    void Vd_Preco(bool boTestaVazio);
    void Vd_DtEntItPed(bool boTestaVazio);
    // The line rules the server keeps too (library/regras_item): a value that
    // breaks one is refused here, in its column, so what is stored is taken.
    void Vd_RegrasItem();
    void GravaDescItem();
    bool itemEditando() const;
    // A new line nothing was typed into (its defaults only): it is cancelled, never stored.
    bool itemIntocado() const;
    void descartaItemIntocado();
    // The grid: a column or the grid left, a key in the product column, Enter,
    // Backspace on a stored item, and the product search.
    void saiColunaItem(ColunaItem coluna, bool saiDaGrade = false);
    void teclaProduto(bool apaga);
    void teclaPreco();
    void enterItem();
    void apagaItem(ColunaItem coluna);
    void pesquisaProduto();
    void entraGradeItens();

    // The product consultation (consulta.cpp): what it is opened with, and its items.
    ParametrosConsulta parametrosConsulta();
    void incluiItem(const ProdutoEscolhido& produto) override;
    void itensIncluidos() override;

    // Pricing (preco.cpp).
    void PrecoBase(bool boMod);
    // The checks and the question of a repricing; true when the items are to be
    // priced again (that happens inside the store's transaction, reprecifica).
    bool MudaPrcBase();
    bool MudaData(bool reprecifica);
    void reprecifica(bool boMod);

    // The items of the current order read again, and their totals.
    void abreItens();
    // abreItens, unless a line is being typed or not yet written: a reopen never drops it.
    void releItens();
    void VrTotalItemPed();
    // The order's totals: as stored, or as the grid holds lines not yet written.
    TotaisPedido totais() const;
    // The customer's last prices, read again at the next opening of the items (a refresh brought new ones).
    void esqueceUltimosPrecos() { chaveUltimosPrecos_.clear(); }
    // The line's checks and values before it is posted (inside a store's preparation).
    void antesDoPostItem();

    // The header's delivery date checked: a line being inserted takes it.
    void entregaSegueCabecalho(const QDate& data);
    // The branch decides whether the unit price may be typed.
    void bloqueiaPreco(bool bloqueia);
    bool precoBloqueado() const { return boBloqueiaPreco; }
    // A new order starts its items afresh: no carried discount, the cap question again.
    void reiniciaDescontos();
    // The next new line does not carry the last line's percentage.
    void esqueceUltimoDesconto() { stUltVal.clear(); }
    QString ultimoDesconto() const { return stUltVal; }
    // The discount value was typed after the percentage (it goes back with a restored line).
    bool valorDigitado() const { return boValorDigitado; }
    void restauraValorDigitado(bool digitado) { boValorDigitado = digitado; }

    // The time of day an item's delivery takes (tests set it).
    std::function<QTime()> horaAtual = [] {
        const QTime t = QTime::currentTime();
        return QTime(t.hour(), t.minute(), t.second());
    };

private:
    void novoItem();
    void aposGravarItem();
    [[noreturn]] void falhaItem(ColunaItem coluna, const QString& texto);
    QString valorItem(const char* field) const;
    void poeItem(const char* field, const QVariant& value);
    double numeroItem(const char* field) const;
    // A number of the item as the decimal it holds, and one stored as the nearest double.
    Decimal decimalItem(const char* field, int escala) const;
    void poeDecimalItem(const char* field, const Decimal& valor);
    // The discount value as the percentage gives it, and the percentage as the value gives it.
    Decimal descontoDoPercentual() const;
    Decimal percentualDoDesconto() const;
    bool vazioItem(const char* field) const;
    // Whether a column of the line differs from what was read (a new line: always).
    // A discount value typed stays as typed until quantity, product or price change:
    // worked out again from its percentage (ten decimals) it lost a cent.
    bool mudouNoItem(const char* field) const;
    QDate dataDoPedido() const;
    // The payment method's adjustment of the base list's prices (PRECOUTI), in %.
    Decimal ajusteModPgto() const;
    bool temPrecoNaData(const QString& cdPrecoBase, const QString& cdArvProd, const QDate& data, Decimal* preco = nullptr);
    // The products of the stored lines and of the line being typed, without moving (a move stores it).
    QStringList produtosDosItens() const;
    // A No to a repricing question drops the header's changes only.
    void descartaCabecalho(bool boMod);

    // The order's customer's last prices, read when the items open for another customer or order.
    void leUltimosPrecos();

    ContextoPedido& ctx_;
    QHash<QString, UltimoPreco> ultimosPrecos_;
    QString chaveUltimosPrecos_;
    // Before a refusal's text while the consultation stores the line being typed first.
    QString linhaEmDigitacao_;
    bool boBloqueiaPreco = false;
    QString stUltVal;
    // CD_EXIS is asked for a product already in the order (once per line).
    bool perguntaProdutoRepetido = true;
    // Per_Max is asked once per order when the method's discount passes the cap.
    bool perguntaLimiteDesconto = true;
    bool boPrecoAlt = false;
    // The discount value was typed (or chosen in the consultation) after the
    // percentage: the store keeps it and the percentage follows it.
    bool boValorDigitado = false;
    double doPerAnt = -1;
    double doValAnt = -1;
    bool boInsere = false;
};

} // namespace zov
