#pragma once
// The order's observation: rich text in OBSPEDIDO.TXOBSPED, its editor's
// document, the import from a file or another order, and saving it to a file.
#include "orders/contexto_pedido.h"

#include <QTextDocument>

namespace zov {

class ObservacaoPedido {
public:
    explicit ObservacaoPedido(ContextoPedido& ctx);
    ObservacaoPedido(const ObservacaoPedido&) = delete;
    ObservacaoPedido& operator=(const ObservacaoPedido&) = delete;

    Query qryObsPedido;
    // The editor's document.
    QTextDocument docObservacao;

    void editaObservacao();
    void observacaoDigitada();
    void importaArquivo();
    void importaDeOutroPedido();
    void salvaArquivo();
    void excluiObservacao();
    bool observacaoEditando() const;
    bool observacaoSomenteLeitura() const { return ctx_.pedidoExportado() && !ctx_.pedidoEditando(); }
    // Larger files are refused: an observation is a few pages.
    static constexpr qint64 kMaxArquivoObservacao = 5 * 1024 * 1024;

    // The current order's observation read again, and shown.
    void abreObservacao();
    // The document follows the record.
    void mostraObservacao();
    // Inside the caller's transaction: the observation being typed, or pending.
    void gravaObservacaoPendente();

private:
    ContextoPedido& ctx_;
    bool carregandoObs_ = false;
};

} // namespace zov
