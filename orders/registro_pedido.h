#pragma once
// The order record of the order window (ZOV00100): the list through the
// filter, the branch area, the commands and their states, the pages, and the
// store of everything being typed in one transaction.
#include "library/decimal.h"
#include "library/retrato.h"
#include "orders/contexto_pedido.h"

#include <optional>

namespace zov {

class RegistroPedido {
public:
    explicit RegistroPedido(ContextoPedido& ctx);
    RegistroPedido(const RegistroPedido&) = delete;
    RegistroPedido& operator=(const RegistroPedido&) = delete;

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

    // What the other parts ask of the record.
    // Puts a stored, pending order into edit (an exported one only on the observation page).
    bool editaPedido();
    void mostraPedidoNaTela();
    // Drops everything being typed, without asking.
    void cancelaPedido();
    // The order's changes were dropped on purpose (a No to a question): a
    // failed store does not bring them back.
    void marcaDescartado() { descartado_ = true; }

    // What a store decided before its write transaction: every check and
    // question comes first, then the writes, so no question waits with the
    // database locked.
    struct PreparoGravacao {
        bool reprecificaData = false;  // MudaData answered Yes
        bool reprecificaLista = false; // MudaPrcBase answered Yes
        bool situacaoItens = false;    // a method change re-sets the items' situation
        bool entregaItens = false;     // ALT_DTITEM answered Yes
    };
    // Confirm (confirmacao) or an item's store: the line's and the header's checks and questions.
    PreparoGravacao preparaGravacao(bool confirmacao);
    // Inside the caller's transaction: the line, the header, the repricing, the observation.
    void gravaPreparado(const PreparoGravacao& p);
    // Inside the store's transaction: the stored order still has the situation
    // it was read with (an export meanwhile made it exported), else Error.
    void confereSituacaoGravada();
    // The order's net value as Confirm would store it (its line in edit as typed).
    Decimal valorAoGravar() const;
    // A failed store puts every record in progress back as it was typed.
    struct RetratoPedido {
        Retrato pedido, item, obs;
        bool valorDigitado = false; // the item's typed discount value goes back with its values
    };
    // Taken before a store; the store starts with nothing dropped on purpose.
    RetratoPedido retrataParaGravar();
    void restauraTudo(const RetratoPedido& r);
    // After a check stopped a store before its writes: the header back, unless dropped on purpose.
    void restauraSeNaoDescartado(const RetratoPedido& r);

private:
    void abreLista();
    void aposRolagem();
    void limpaCabecalho();
    void novoPedido();
    void aposEdicao();
    void antesDoPost(PreparoGravacao& p);
    void leParametroFilial();
    bool temItemAprovado() const;

    ContextoPedido& ctx_;
    bool filialAceita_ = false;
    bool descartado_ = false;
    bool fechandoFilial_ = false;
    QString pedidoAntesDaInclusao_; // the order Include left, for its Cancel
};

} // namespace zov
