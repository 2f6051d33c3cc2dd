#pragma once
// The order record of the order window (ZOV00100): the order list query,
// the numbering, the situation of an order and its deletion.
#include "library/dataset.h"
#include "library/retrato.h"
#include "orders/pedido_view.h"
#include "orders/consulta_produto.h"
#include "orders/filtro_pedido.h"

#include <QString>
#include <QTextDocument>
#include <QTime>
#include <functional>
#include <optional>

namespace zov {

class Database;

// qryPedido in SQLite: the branch's orders that have a salesperson, customer,
// payment method and price list here, with or without items, newest number
// first. Customer and product lists match by whole key.
// porEmissao: the order-date restriction is on, also written as an indexable range.
QString qryPedidoSql(bool porEmissao = false);
// Opens (or reopens) qryPedido with the filter's parameters.
void abreQryPedido(Query& qryPedido, const TFiltro& filtro);

// The number of a new order of the branch: one past the highest, ten digits,
// "0000000001" for the first.
QString PrxCodPed(Database& db, const QString& cdFilial);

// The situation items take when a payment-method change re-sets them: '1'
// for a pending order, else '7'.
QString LancPedSit(const QString& idSitPedido);

// An item of the order (any, when nrItemPed is empty) with a shipped quantity.
bool temItemExpedido(Database& db, const QString& cdFilial, const QString& nrPedido, const QString& nrItemPed = {});

// Deletes the order with its items and observation in one transaction, or
// nothing; a failure throws with its reason, to be shown.
void excluiPedido(Database& db, const QString& cdFilial, const QString& nrPedido);

// The items of an order with their product, and the totals of the stored rows.
QString qryItemPedidoSql();
// Each total is the sum of the values its lines show (Desc. Méd. is an average).
struct TotaisPedido {
    Decimal bruto, liquido, descMedio, descTotal;
};
TotaisPedido totaisPedido(Database& db, const QString& cdFilial, const QString& nrPedido);
// The totals as the items page shows them.
struct TextosTotais {
    QString bruto, liquido, descMedio, descTotal;
};
TextosTotais textosTotais(const TotaisPedido& t);

// qryItemPedido as the items grid shows it: the statement, the columns with
// their titles and formats, and the line value. The window and the printed
// order both read the items through it.
void configuraQryItemPedido(Query& qryItemPedido);
// The items grid's fields, in the order of ColunaItem (the line value before the delivery).
extern const char* const kCamposItem[kColunasItem];
// The text the items grid shows for a value of one of its fields: the product
// code with the product picture, the discount value cut to two decimals.
QString textoItem(const Field& field, const QVariant& value);

// The discount value as a line counts it: cut, not rounded, to two decimals.
Decimal descontoCortado(double valor);

// A proposed base price list (qryVerPrcBase's first row): its code,
// description and the rank of its group ("1" to "7").
struct PropostaPrcBase {
    QString cdPrecoBase, dsPrecoBase, idPesq;
};
struct ParametrosPrcBase {
    QString cdCliente, cdVendedor, cdModPgto, cdVendeAux, modPgtoAux;
};
QString qryVerPrcBaseSql();
std::optional<PropostaPrcBase> propostaPrcBase(Database& db, const ParametrosPrcBase& p);
// qryPesqPrcBase narrowed to one rank: the customer's own lists ("1") or every list ("2").
QString qryPesqPrcBaseSql();
// "1" when the customer has lists of its own, else "2".
QString rankPrcBaseCliente(Database& db, const QString& cdCliente);

// The order window's logic (ZOV00100): the order list, the record of the
// current order with its checks, payment terms and price list, the commands
// and their states. No widgets: the window forwards field events, keys and
// commands, and implements PedidoView. Field checks that stop throw Abort
// after showing their message (MensErro).
class LancPedido : public DestinoConsulta {
public:
    LancPedido(Database& db, PedidoView& view);
    LancPedido(const LancPedido&) = delete;
    LancPedido& operator=(const LancPedido&) = delete;

    static UpdateSql updateSqlPedido();
    void setPesquisa(PesquisaPedidoFn pesquisa) { pesquisa_ = std::move(pesquisa); }

    // First activation: the session branch, and the list through the filter
    // when the window works on the session branch (ModuFili).
    void inicia();
    // Later activations: Refresh.
    void ativada();

    // The branch area.
    void entraFilial();
    void filialMudou();
    void saiFilial();
    // Leaving the area opens the filter; false when the user cancelled it.
    bool saiAreaFilial();
    void pesquisaFilial();
    void Vd_Filial();

    // Commands.
    void incluir();
    void alterar();
    void excluir();
    void procurar();
    void atualizar();
    void cancelar();
    void confirmar();
    // Closing the window: a record being typed is dropped only after Canc; false keeps the window open.
    bool podeFechar();
    bool filtrar();
    void primeiro();
    void anterior();
    void proximo();
    void ultimo();
    void focaFilial(); // F12: to the branch area, when the order is at rest
    ComandosPedido comandos() const;
    void atualizaComandos();
    // Imprimir: the order to print, when the command is on.
    struct ChavePedido {
        QString cdFilial, nrPedido;
    };
    std::optional<ChavePedido> pedidoParaImprimir() const;

    // Pages: shows one and runs its handling; the window reports the user's changes.
    void mudaPagina(PaginaPedido pagina);
    void paginaMostrada(PaginaPedido pagina);

    // Header checks and events (cabecalho.cpp).
    void Vd_Cliente(bool boTestaVazio);
    void Vd_Vendedor(bool boTestaVazio);
    void Vd_TipoOper(bool boTestaVazio);
    void Vd_DataPedido(bool boTestaVazio);
    void Vd_DataEntrega(bool boTestaVazio);
    void Vd_Data();
    void Vd_Geral();
    void entraCliente();
    void clienteMudou();
    void saiCliente();
    void pesquisaCliente();
    void tipoOperMudou();
    void saiTipoOper();
    void pesquisaTipoOper();
    void dataPedidoMudou();
    void saiDataPedido();
    void dataEntregaMudou();
    void saiDataEntrega();
    void prioridadeClicada(Prioridade prioridade);

    // Payment terms (pagamento.cpp).
    void Vd_CdModPgto(bool boTestaVazio);
    void cdModPgtoMudou();
    void saiCdModPgto();
    void pesquisaModPgto();
    void formaPgtoClicada();
    void FormPgto();
    void AtualizaFormaPgto();
    void Vd_DiaFixo(bool boTestaVazio);
    void diaFixoMudou();
    void saiDiaFixo();

    // The base price list field (preco_base.cpp).
    void Vd_PrcBase(bool boTestaVazio);
    void prcBaseMudou();
    void saiPrcBase();
    void pesquisaPrcBase();

    // Items (itens.cpp).
    static UpdateSql updateSqlItem();
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
    void GravaDescItem();
    bool itemEditando() const;
    // A new line nothing was typed into (its defaults only): it is cancelled, never stored.
    bool itemIntocado() const;
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

    // The observation (observacao.cpp): the editor's document, its record and files.
    static UpdateSql updateSqlObservacao();
    QTextDocument docObservacao;
    void editaObservacao();
    void observacaoDigitada();
    void importaArquivo();
    void importaDeOutroPedido();
    void salvaArquivo();
    void excluiObservacao();
    bool observacaoEditando() const;
    bool observacaoSomenteLeitura() const { return pedidoExportado() && !pedidoEditando(); }
    // Larger files are refused: an observation is a few pages.
    static constexpr qint64 kMaxArquivoObservacao = 5 * 1024 * 1024;

    // Pricing (preco.cpp).
    void PrecoBase(bool boMod);
    // The checks and the question of a repricing; true when the items are to be
    // priced again (that happens inside the store's transaction, reprecifica).
    bool MudaPrcBase();
    bool MudaData(bool reprecifica);

    bool pedidoEditando() const;
    bool pedidoExportado() const; // the current order is stored and not pending
    bool listaVazia() const;

    TelaPedido tela;
    TFiltro Filtro;
    Query qryPedido;
    Query qryItemPedido;
    Query qryObsPedido;
    Query qryPesqMod; // the current order's payment method, kept open
    Query qryLista;   // the lookup on show

    // Window state.
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
    bool boBotaoIncuiItem = false;
    bool boInsere = false;
    // The time of day an item's delivery takes (tests set it).
    std::function<QTime()> horaAtual = [] {
        const QTime t = QTime::currentTime();
        return QTime(t.hour(), t.minute(), t.second());
    };
    // The payment method changed in this edit: Confirm re-sets the items' situation.
    bool modalidadeMudou = false;
    QString stModPgto;
    QString stIns, stVend, stNrInsJurClie, stNmFantClie, stCdVendedor, stNmFanVen;

private:
    friend class LancPedidoTeste;
    void abreLista();
    // qryLista with a lookup of its own: no field of the one before stays.
    void preparaLista(const QString& sql);
    // What a store decided before its write transaction: every check and
    // question comes first, then the writes, so no question waits with the
    // database locked.
    struct PreparoGravacao {
        bool reprecificaData = false;  // MudaData answered Yes
        bool reprecificaLista = false; // MudaPrcBase answered Yes
        bool situacaoItens = false;    // a method change re-sets the items' situation (modalidadeMudou)
        bool entregaItens = false;     // ALT_DTITEM answered Yes
    };
    PreparoGravacao preparaGravacao(bool confirmacao);
    // Inside the caller's transaction: the line, the header, the repricing, the observation.
    void gravaPreparado(const PreparoGravacao& p);
    // A failed store puts every record in progress back as it was typed.
    struct RetratoPedido {
        Retrato pedido, item, obs;
        bool valorDigitado = false; // boValorDigitado goes back with the item's values
    };
    void restauraTudo(const RetratoPedido& r);
    void antesDoPostItem();
    void descartaItemIntocado();
    void gravaObservacaoPendente();
    void mostraObservacao();
    bool carregandoObs_ = false;
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
    QDate dataDoPedido() const;
    bool temPrecoNaData(const QString& cdPrecoBase, const QString& cdArvProd, const QDate& data, Decimal* preco = nullptr);
    void reprecifica(bool boMod);
    // The products of the stored lines and of the line being typed, without moving (a move stores it).
    QStringList produtosDosItens() const;
    void abreItens();
    // abreItens, unless a line is being typed or not yet written: a reopen never drops it.
    void releItens();
    void abreObservacao();
    void VrTotalItemPed();
    void aposRolagem();
    void limpaCabecalho();
    void novoPedido();
    bool editaPedido();
    void aposEdicao();
    void antesDoPost(PreparoGravacao& p);
    void cancelaPedido();
    // A No to a repricing question drops the header's changes only.
    void descartaCabecalho(bool boMod);
    void mostraPedidoNaTela();
    void abreModPgto(const QString& cdModPgto);
    void aplicaModPgto();
    void propoePrcBasePorModPgto();
    void leParametroFilial();
    [[noreturn]] void falha(ControlePedido controle, PaginaPedido pagina, const QString& texto);
    [[noreturn]] void falhaCabecalho(ControlePedido controle, const QString& texto);
    // A date check that stops: the payment page's checks and the customer's first.
    [[noreturn]] void falhaData(ControlePedido campo, const QString& texto);
    QString msg(const char* key) const;
    QString valor(const char* field) const;
    void poe(const char* field, const QVariant& value);
    bool temItemAprovado() const;

    Database& db_;
    PedidoView& view_;
    PesquisaPedidoFn pesquisa_;
    bool filialAceita_ = false;
    bool descartado_ = false; // the order's changes were dropped on purpose (a No to a question)
    bool fechandoFilial_ = false;
};

} // namespace zov
