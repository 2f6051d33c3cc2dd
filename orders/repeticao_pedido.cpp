#include "orders/repeticao_pedido.h"

#include "library/database.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/relogio.h"
#include "library/valores_item.h"
#include "library/velmora.h"
#include "orders/historico_cliente.h"
#include "orders/lanc_pedido.h"

namespace zov {

std::optional<PedidoParaRepetir> pedidoParaRepetir(Database& db, const QString& cdFilial, const QString& nrPedido)
{
    Statement cab(db,
                  QStringLiteral("SELECT P.NRPEDIDO, C.NRINSJURCLIE, P.CDTIPOOPER, P.CDMODPGTO, P.IDPRIOPED, P.DTPEDIDO, P.DTENTPED "
                                 "FROM PEDIDO P JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE "
                                 "WHERE P.CDFILIAL = :F AND P.NRPEDIDO = :N"));
    cab.bind(QStringLiteral("F"), cdFilial);
    cab.bind(QStringLiteral("N"), nrPedido);
    if (!cab.step())
        return std::nullopt;
    PedidoParaRepetir p;
    p.nrPedido = cab.rawValue(0).toString();
    p.registroCliente = cab.rawValue(1).toString();
    p.tipoOper = cab.rawValue(2).toString();
    p.cdModPgto = cab.rawValue(3).toString();
    p.prioridade = prioridadeDoCodigo(cab.rawValue(4).toString());
    const QDate data = dateTimeFromStorage(cab.rawValue(5).toString()).date();
    const QDate entrega = dateTimeFromStorage(cab.rawValue(6).toString()).date();
    p.diasEntrega = data.isValid() && entrega.isValid() ? std::max<qint64>(0, data.daysTo(entrega)) : 0;
    Statement itens(db,
                    QStringLiteral("SELECT I.CDPRODUTO, R.CDARVPROD, COALESCE(R.NMPRODUTO, I.CDPRODUTO), I.QTITEMPED FROM ITEMPEDIDO I "
                                   "LEFT JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO "
                                   "WHERE I.CDFILIAL = :F AND I.NRPEDIDO = :N ORDER BY I.NRITEMPED"));
    itens.bind(QStringLiteral("F"), cdFilial);
    itens.bind(QStringLiteral("N"), nrPedido);
    while (itens.step())
        p.linhas << PedidoParaRepetir::Linha{itens.rawValue(0).toString(), itens.rawValue(1).toString(), itens.rawValue(2).toString(),
                                             decimalLido(itens.rawValue(3), escala::kQuantidade)};
    return p;
}

PedidoParaRepetir compraParaRepetir(Database& db, const QString& cdCliente, const PedidoComprado& compra)
{
    PedidoParaRepetir p;
    p.nrPedido = compra.nrPedido;
    p.registroCliente =
        db.scalar(QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE CDCLIENTE = :C"), {{QStringLiteral("C"), cdCliente}}).toString();
    // The header this laptop last used for the customer, when there is one.
    Statement ultimo(
        db, QStringLiteral("SELECT CDTIPOOPER, CDMODPGTO FROM PEDIDO WHERE CDCLIENTE = :C ORDER BY DTPEDIDO DESC, NRPEDIDO DESC LIMIT 1"));
    ultimo.bind(QStringLiteral("C"), cdCliente);
    if (ultimo.step()) {
        p.tipoOper = ultimo.rawValue(0).toString();
        p.cdModPgto = ultimo.rawValue(1).toString();
    }
    for (const LinhaComprada& l : compra.linhas)
        p.linhas << PedidoParaRepetir::Linha{l.cdProduto, l.cdArvProd, l.nmProduto.isEmpty() ? l.cdProduto : l.nmProduto, l.quantidade};
    return p;
}

QStringList separaForaDeLinha(Database& db, PedidoParaRepetir& pedido)
{
    QStringList fora;
    QList<PedidoParaRepetir::Linha> ficam;
    for (const PedidoParaRepetir::Linha& l : pedido.linhas) {
        const QVariant ativo = db.scalar(QStringLiteral("SELECT COALESCE(IDPRODATIVPR, 'S') FROM PRODUTO WHERE CDPRODUTO = :P"),
                                         {{QStringLiteral("P"), l.cdProduto}});
        const QString nome = (l.cdArvProd.isEmpty() ? QString() : DBPictObj(0).format(l.cdArvProd) + QLatin1Char(' ')) + l.nmProduto;
        if (!ativo.isValid())
            fora << nome + QStringLiteral(": produto não cadastrado neste computador");
        else if (ativo.toString() == u"N")
            fora << nome + QStringLiteral(": inativo");
        else
            ficam << l;
    }
    pedido.linhas = ficam;
    return fora;
}

namespace {

// A header control typed and left, as the window reports it.
void digita(ContextoPedido& ctx, ControlePedido controle, QString TelaPedido::*campo, const QString& valor,
            const std::function<void()>& mudou, const std::function<void()>& sai)
{
    ctx.view.foca(controle);
    ctx.tela.*campo = valor;
    mudou();
    ctx.view.foca(ControlePedido::Nenhum);
    sai();
}

} // namespace

void repetePedido(LancPedido& l, PedidoParaRepetir repetido)
{
    ContextoPedido& ctx = l.contexto;
    // The focus moves the typing makes are not the user leaving fields: no checks of their own.
    CheckGuard guard;
    // A new order not yet stored gives way when the user says so; a stored one in edit is finished first.
    if (ctx.qryPedido.state() == DataSetState::Insert) {
        if (!dialogs().confirm(
                QStringLiteral("O novo pedido em digitação será descartado. Repetir o pedido %1 assim mesmo?").arg(repetido.nrPedido)))
            throw Abort{};
        l.registro.cancelaPedido();
    }
    if (ctx.pedidoEditando() || l.itens.itemEditando())
        MensErro(QStringLiteral("Confirme ou cancele o pedido em edição antes de repetir um pedido."), true);
    const QStringList fora = separaForaDeLinha(ctx.db, repetido);
    if (repetido.linhas.isEmpty())
        MensErro(QStringLiteral("Nenhum produto do pedido %1 pode ser repetido:\n%2").arg(repetido.nrPedido, fora.join(QLatin1Char('\n'))),
                 true);
    if (!fora.isEmpty())
        dialogs().info(QStringLiteral("Ficaram de fora do novo pedido os produtos abaixo:\n%1").arg(fora.join(QLatin1Char('\n'))));

    // A new order, from the general page (on the items page Incluir adds a line).
    l.registro.mudaPagina(PaginaPedido::DadosGerais);
    l.registro.incluir();
    if (ctx.qryPedido.state() != DataSetState::Insert)
        throw Abort{};
    l.cabecalho.entraCliente();
    digita(
        ctx, ControlePedido::Cliente, &TelaPedido::cliente, repetido.registroCliente, [&] { l.cabecalho.clienteMudou(); },
        [&] { l.cabecalho.saiCliente(); });
    if (!repetido.tipoOper.isEmpty())
        digita(
            ctx, ControlePedido::TipoOper, &TelaPedido::tipoOper, repetido.tipoOper, [&] { l.cabecalho.tipoOperMudou(); },
            [&] { l.cabecalho.saiTipoOper(); });
    l.cabecalho.prioridadeClicada(repetido.prioridade);
    digita(
        ctx, ControlePedido::DataEntrega, &TelaPedido::dataEntrega, formatDate(dataDeHoje().addDays(repetido.diasEntrega)),
        [&] { l.cabecalho.dataEntregaMudou(); }, [&] { l.cabecalho.saiDataEntrega(); });
    if (!repetido.cdModPgto.isEmpty())
        digita(
            ctx, ControlePedido::CdModPgto, &TelaPedido::cdModPgto, repetido.cdModPgto, [&] { l.pagamento.cdModPgtoMudou(); },
            [&] { l.pagamento.saiCdModPgto(); });
    // What the header still lacks is asked at Confirm, as for any new order.

    // Each line typed as the grid types it, and kept in the grid unwritten; a
    // line a check refuses (its message shown) is left out and named after.
    QStringList recusadas;
    for (const PedidoParaRepetir::Linha& linha : repetido.linhas) {
        l.itens.incluirItem();
        Query& item = l.itens.qryItemPedido;
        try {
            item[QStringLiteral("CDARVPROD")].setValue(linha.cdArvProd);
            item[QStringLiteral("QTITEMPED")].setDecimal(linha.quantidade);
            l.itens.saiColunaItem(ColunaItem::Produto);
            l.itens.saiColunaItem(ColunaItem::Quantidade);
            l.itens.antesDoPostItem();
            item.post();
        } catch (const Abort&) {
            item.cancel();
            recusadas << DBPictObj(0).format(linha.cdArvProd) + QLatin1Char(' ') + linha.nmProduto;
        }
    }
    if (!recusadas.isEmpty())
        dialogs().info(
            QStringLiteral("Também ficaram de fora do novo pedido, pelo motivo já mostrado:\n%1").arg(recusadas.join(QLatin1Char('\n'))));
    l.itens.qryItemPedido.first();
    l.itens.VrTotalItemPed();
    l.registro.mudaPagina(PaginaPedido::Itens);
    ctx.view.atualizaTela();
    ctx.atualizaComandos();
}

void repeteAtual(LancPedido& l)
{
    ContextoPedido& ctx = l.contexto;
    if (ctx.listaVazia() || ctx.qryPedido.state() == DataSetState::Insert)
        MensErro(QStringLiteral("Escolha na lista o pedido a repetir."), true);
    const std::optional<PedidoParaRepetir> p = pedidoParaRepetir(ctx.db, ctx.valor("CDFILIAL"), ctx.valor("NRPEDIDO"));
    if (!p)
        MensErro(QStringLiteral("O pedido %1 não está mais neste computador.").arg(ctx.valor("NRPEDIDO")), true);
    repetePedido(l, *p);
}

ClienteDoPedido clienteDoPedido(LancPedido& l)
{
    ContextoPedido& ctx = l.contexto;
    ClienteDoPedido c;
    if (!ctx.listaVazia() || ctx.pedidoEditando()) {
        c.cdCliente = ctx.valor("CDCLIENTE");
        c.cdFilial = ctx.valor("CDFILIAL");
        c.nrPedido = ctx.valor("NRPEDIDO");
        c.nome = ctx.tela.nmCliente.isEmpty() ? ctx.valor("NMFANTCLIE") : ctx.tela.nmCliente;
    }
    if (c.cdCliente.isEmpty())
        MensErro(QStringLiteral("Informe o cliente do pedido para ver o seu histórico."), true);
    return c;
}

} // namespace zov
