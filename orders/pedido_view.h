#pragma once
// What the order logic needs of its window (ZOV00100): pages, focus, command
// states, the header controls' values, the dialogs it opens. The window
// implements it; tests use a recording one.
#include "library/vista_manutencao.h"
#include "orders/codigos_pedido.h"

namespace zov {

class Query;
struct TFiltro;

enum class PaginaPedido { Pedidos, DadosGerais, Modalidade, Itens, Observacao };
constexpr int kPaginasPedido = 5;

// The controls the checks focus or ask about.
enum class ControlePedido {
    Nenhum,
    Filial,
    DataPedido,
    Cliente,
    Vendedor,
    TipoOper,
    DataEntrega,
    Prioridade,
    CdModPgto,
    PrcBase,
    DiaFixo,
    GradePedidos,
    GradeItens,
    Observacao,
};

// The items grid's columns, left to right.
enum class ColunaItem { NrItem, Produto, Nome, Quantidade, Unidade, Preco, PerDesc, VrDesc, VrTotal, Entrega };
constexpr int kColunasItem = 10;

struct ComandosPedido {
    bool incluir = false;
    bool alterar = false;
    bool excluir = false;
    bool procurar = false;
    bool atualizar = false;
    bool cancelar = false;
    bool confirmar = false;
    bool filtrar = false;
    bool consultaProduto = false;
    bool navegador = false; // the navigator and the list moves
    bool imprimir = false;  // the current order's mirror: only a stored order, as it is stored
    bool paginas[kPaginasPedido] = {true, false, false, false, false};
    bool areaFilial = false;
    bool cabecalho = false;  // header and payment areas, observation buttons
    bool gradeItens = false; // the items grid takes typing

    bool operator==(const ComandosPedido&) const = default;
};

// What the header controls show; they are not bound to the record: the
// checks read them and copy into the record, as the record is posted.
struct TelaPedido {
    QString filial, nmFilial;
    bool periodoVisivel = false;
    QString periodoDe, periodoAte;
    QString titulo;         // DsPedido
    bool exportado = false; // the title in teal, else blue

    QString nrPedido;
    QString dataPedido, dataEntrega; // dd/MM/yyyy as typed; blank when empty
    QString cliente;                 // the registration, without its mask: digits (and letters of an alphanumeric CNPJ)
    QString mascaraCliente;          // the edit mask of its kind
    QString nmCliente;
    QString vendedor, nmVendedor;
    QString tipoOper, nmTipoOper;
    Prioridade prioridade = Prioridade::Normal;
    // What the company did with it (never written into the order).
    QString situacaoEmpresa;
    // The customer's credit: limit, open, overdue (empty when nothing to say).
    QString creditoCliente;

    QString cdModPgto, dsModPgto;
    QString cdPrcBase, dsPrcBase;
    int formaPgto = 0; // 0 "À Vista", 1 "Pagamento Fixo no Dia", 2 "Pela Forma de Pagamento"
    QString diaFixo, parcelas;
    bool proxMes = false;
    bool termos = false; // "com", "Parcela(s)" and "(" enabled
    QString cdFormPgto, nmFormPgto;

    QString totBruto, totLiq, descMed, descTotal;
};

class PedidoView : public VistaManutencao {
public:
    virtual PaginaPedido paginaAtual() const = 0;
    // Only shows the page; the logic runs the page-change handling itself.
    virtual void mostraPagina(PaginaPedido pagina) = 0;
    virtual ControlePedido controleComFoco() const = 0;
    virtual void foca(ControlePedido controle) = 0;
    virtual void habilitaComandos(const ComandosPedido& comandos) = 0;
    // The header controls read TelaPedido again (their change handlers quiet).
    virtual void atualizaTela() = 0;
    // The items grid: its selected column, moving there (showing the page), and
    // whether the grid has the focus.
    virtual ColunaItem colunaItem() const = 0;
    virtual void focaColunaItem(ColunaItem coluna) = 0;
    virtual bool gradeItensAtiva() const = 0;
    // The unit-price column takes typing (the price lock).
    virtual void precoEditavel(bool editavel) = 0;
    // The order filter dialog; true when confirmed (reabre has then run).
    virtual bool filtra(TFiltro& filtro, const std::function<void()>& reabre) = 0;
};

} // namespace zov
