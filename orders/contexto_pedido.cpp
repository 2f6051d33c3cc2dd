#include "orders/contexto_pedido.h"

#include "library/errors.h"
#include "orders/banco_pedido.h"
#include "orders/mensagens.h"
#include "orders/registro_pedido.h"

namespace zov {

ContextoPedido::ContextoPedido(Database& db_, PedidoView& view_)
    : db(db_), view(view_), qryPedido(&db_, QStringLiteral("qryPedido")), qryLista(&db_, QStringLiteral("qryLista"))
{
    Filtro = filtroInicial();
    qryPedido.setSql(BancoPedido::qryPedidoSql());
    qryPedido.setFetchBlock(kGridFetchBlock);
    qryPedido.setUpdateSql(BancoPedido::updateSqlPedido());
    BancoPedido::configuraQryPedido(qryPedido);
}

QString ContextoPedido::msg(const char* key) const { return msgLancPedido().Msg(QString::fromLatin1(key)); }

QString ContextoPedido::valor(const char* field) const
{
    if (!qryPedido.active())
        return {};
    return qryPedido.fieldByName(QString::fromLatin1(field)).asString();
}

void ContextoPedido::poe(const char* field, const QVariant& value) { qryPedido.fieldByName(QString::fromLatin1(field)).setValue(value); }

bool ContextoPedido::pedidoEditando() const { return qryPedido.state() == DataSetState::Edit || qryPedido.state() == DataSetState::Insert; }

bool ContextoPedido::pedidoExportado() const
{
    return qryPedido.state() != DataSetState::Insert && !listaVazia() && valor("IDSITPEDIDO") != QLatin1String("1");
}

bool ContextoPedido::listaVazia() const { return !qryPedido.active() || qryPedido.isEmpty(); }

void ContextoPedido::falha(ControlePedido controle, PaginaPedido pagina, const QString& texto)
{
    if (view.paginaAtual() != pagina)
        registro->mudaPagina(pagina);
    view.foca(controle);
    view.atualizaTela();
    MensErro(texto, true);
    throw Abort{}; // not reached
}

void ContextoPedido::preparaLista(const QString& sql)
{
    qryLista.close();
    for (const QString& name : qryLista.fieldNames())
        qryLista.removeField(name);
    qryLista.setSql(sql);
}

void ContextoPedido::atualizaComandos() { registro->atualizaComandos(); }

} // namespace zov
