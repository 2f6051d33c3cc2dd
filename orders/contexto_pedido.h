#pragma once
// What the parts of the order window's logic share: the database and the
// window, the header controls' values, the filter, the current order's record
// and the lookup on show. Each part reaches another through here, by its
// public operations only.
#include "library/dataset.h"
#include "orders/filtro_pedido.h"
#include "orders/pedido_view.h"

#include <QString>

namespace zov {

class Database;
class RegistroPedido;
class CabecalhoPedido;
class PagamentoPedido;
class ItensPedido;
class ObservacaoPedido;

struct ContextoPedido {
    ContextoPedido(Database& db, PedidoView& view);
    ContextoPedido(const ContextoPedido&) = delete;
    ContextoPedido& operator=(const ContextoPedido&) = delete;

    Database& db;
    PedidoView& view;
    PesquisaFn pesquisa;
    TelaPedido tela;
    TFiltro Filtro;
    Query qryPedido;
    Query qryLista; // the lookup on show

    // The parts, set by each as it is built (LancPedido builds them all).
    RegistroPedido* registro = nullptr;
    CabecalhoPedido* cabecalho = nullptr;
    PagamentoPedido* pagamento = nullptr;
    ItensPedido* itens = nullptr;
    ObservacaoPedido* observacao = nullptr;

    QString msg(const char* key) const;
    // A field of the current order ("" without a list), and a value put into it.
    QString valor(const char* field) const;
    void poe(const char* field, const QVariant& value);
    bool pedidoEditando() const;
    bool pedidoExportado() const; // the current order is stored and not pending
    bool listaVazia() const;
    // qryLista with a lookup of its own: no field of the one before stays.
    void preparaLista(const QString& sql);
    // A check that stops: its page and control shown, its message, Abort.
    [[noreturn]] void falha(ControlePedido controle, PaginaPedido pagina, const QString& texto);
    void atualizaComandos();
};

} // namespace zov
