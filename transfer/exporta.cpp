#include "transfer/exporta.h"

#include "db/dbgeralped.h"
#include "library/database.h"
#include "library/dataset.h"
#include "library/errors.h"
#include "library/pedidos_em_edicao.h"
#include "protocol/packet.h"
#include "session/GeralZOV.h"
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/netconnection.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QSet>
#include <QSysInfo>

namespace zov {

namespace {

QString& pedidosExport()
{
    static QString list;
    return list;
}

MostraInativos& mostraInativos()
{
    static MostraInativos show;
    return show;
}

ProgressoExportacao& progresso()
{
    static ProgressoExportacao p;
    return p;
}

void informa(const QString& etapa)
{
    if (progresso())
        progresso()(etapa);
}

ResultadoExportacao& ultima()
{
    static ResultadoExportacao r;
    return r;
}

// The orders of the list are matched by whole number ("_" on both sides), so
// 12 never picks 123 whatever the numbers' width.
const char* const kPedidosSql =
    "SELECT CDFILIAL, NRPEDIDO, IDSITPEDIDO, CDCLIENTE, IDPRIOPED, DTPEDIDO, DTENTPED, CDMODPGTO, IDTPFORPGTPED, "
    "CDFORMPGTO, NRDIAPGFIXPED, NRPARCPGTOPED, IDUTDIAPAGPED, VRPEDENFPED, VRPEDEDUPED, CDTIPTRANS, IDTPIJURTRAN, "
    "NRINSJURTRAN, IDTPIJURTRED, NRINSJURTRED, DTHRLANPED, CDOPELANPED, DSPEDCLI, VRPECOMVDPED, DSPEDVEN, "
    "IDPGFRETTRAN, CDFILIALPED, VRENTRADAPED, CDTIPORECE, IDPEDIDOIMPR, DTCONFORC, IDTIPOPEDIDO, CDVENDEDOR, "
    "NRPLACAVEPED, SGUFVEICPED, DSQTDEVOLPED, DSESPEVOLPED, DSMARCVOLPED, DSNUMEVOLPED, VRPBRUVOLPED, VRPLIQVOLPED, "
    "NRAFORIGPED, IDENTRSAIDOP, CDTIPOOPER, CDPRECOBASE, NREXPEDIDO, DTVALIPED, IDORIGPED, CDFILSOLI, NRSOLICMP, "
    "CDTIPOEDITAL, CDDEPTO, CDFILIALORC, NRORCAEVENTO, NRSEQORCAEVE, NREMPENHO, NRSEQDIAPROD, CDROTATRANSPED "
    "FROM PEDIDO WHERE instr(:P_NRPEDIDO, '_' || NRPEDIDO || '_') > 0 AND CDFILIAL = :P_CDFILIAL ORDER BY NRPEDIDO";

const char* const kItensSql =
    "SELECT CDFILIAL, NRPEDIDO, NRITEMPED, IDSITITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED, QTEXPITEMPED, CDFATPRECO, "
    "VRFATPRECOIT, QTITEMPED2, IDPRONTENTR, VRDESITPED, VRPESOITPED, DTENTITPED, DSITEMPED, IDITPEDDIFER, "
    "IDITPEDRESER, VRPRTABITPED, VRPEDEMAXIPE, CDJUSTEXCHIS, CDOPERADOR, VRPERCMARKUPIT, VRPRELIQITPED "
    "FROM ITEMPEDIDO WHERE instr(:P_NRPEDIDO, '_' || NRPEDIDO || '_') > 0 AND CDFILIAL = :P_CDFILIAL "
    "ORDER BY NRPEDIDO, NRITEMPED";

const char* const kObservacoesSql = "SELECT NRPEDIDO, TXOBSPED, CDFILIAL FROM OBSPEDIDO "
                                    "WHERE instr(:NRPEDIDO, '_' || NRPEDIDO || '_') > 0 AND CDFILIAL = :CDFILIAL ORDER BY NRPEDIDO";

const char* const kClientesSql = "SELECT * FROM CLIENTE WHERE IDCLIEATIV = 'S' ORDER BY CDCLIENTE";

const char* const kEnderecosSql =
    "SELECT EC.CDCLIENTE, EC.IDTPENDECLIE, EC.CDPAIS, EC.SGESTADO, EC.CDMUNICIPIO, EC.DSENDECLIE, EC.NMBAIRCLIE, "
    "EC.DSCOMPENDCLI, EC.NRCEPCLIE, EC.NRTELECLIE, EC.NRRAMALCLIE, EC.NRTELEXCLIE, EC.NRFAXCLIE, EC.NMCONTCLIE, "
    "EC.DSEMAILCLIE, EC.NRTELECLIE1, EC.NRRAMALCLIE1, EC.DTULTATUECLI, EC.CDBAIRRO, EC.NRCELULARCLI, "
    "EC.NRTELRESICLI, EC.DSPTOREFECLI, EC.DSEMAILCLIE2, EC.CDLOGRADOURO, EC.NRENDECLIESEP, EC.DSENDECLIESEP, "
    "EC.NRDDDTELECLIE, EC.NRDDDTELECLIE1, EC.NRDDDCELULARCLI, EC.NRDDDTELRESICLI, EC.NRDDDFAXCLIE, "
    "EC.NRTELECLIESEP, EC.NRTELECLIE1SEP, EC.NRCELULARCLISEP, EC.NRTELRESICLISEP, EC.NRFAXCLIESEP "
    "FROM ENDECLIE EC JOIN CLIENTE CL ON EC.CDCLIENTE = CL.CDCLIENTE WHERE CL.IDCLIEATIV = 'S' "
    "ORDER BY EC.CDCLIENTE, EC.IDTPENDECLIE";

QString texto(const Query& q, int row, const char* field)
{
    const Field* f = q.findField(QString::fromLatin1(field));
    return f ? q.valueAt(row, f->index()).toString().trimmed() : QString();
}

void rotula(Query& q, std::initializer_list<std::pair<const char*, const char*>> labels)
{
    for (const auto& [name, label] : labels) {
        Field* f = q.findField(QString::fromLatin1(name));
        if (!f)
            continue;
        if (label)
            f->displayLabel = QString::fromUtf8(label);
        else
            f->visible = false;
    }
}

// The same stage of the export, said for the user.
template <typename F>
auto etapa(const QString& what, F&& body) -> decltype(body())
{
    try {
        return body();
    } catch (const Abort&) {
        throw;
    } catch (const std::exception& e) {
        throw Error(what + QLatin1Char(' ') + QString::fromUtf8(e.what()));
    }
}

// A refusal and what the server did about its earlier copy.
QString comSituacao(const QString& motivo, const QString& situacao)
{
    return situacao.isEmpty() ? motivo : QStringLiteral("%1 (%2)").arg(motivo, situacao);
}

} // namespace

QString msgEntregaIncerta(const QString& motivo)
{
    return QStringLiteral("Não se sabe se o servidor recebeu os pedidos: %1\nEles continuam pendentes. Enviá-los de novo é seguro: "
                          "o servidor guarda uma só cópia de cada pedido.")
        .arg(motivo);
}

const QString& PedidosExport() { return pedidosExport(); }

void SetPedidosExportados(const QString& nrPedidos, const QString& idCheck)
{
    QString& list = pedidosExport();
    if (list.isEmpty())
        list = QStringLiteral("_");
    const QString entry = nrPedidos + QLatin1Char('_');
    if (idCheck == QLatin1String("N")) {
        // Whole entries only: removing 12 must leave 112 in "_112_".
        list.replace(QLatin1Char('_') + entry, QStringLiteral("_"));
    } else if (!list.contains(QLatin1Char('_') + entry)) {
        list += entry;
    }
    if (list == QLatin1String("_"))
        list.clear();
}

void LimpaPedidosExport() { pedidosExport().clear(); }

void SetMostraInativos(MostraInativos show) { mostraInativos() = std::move(show); }

void SetProgressoExportacao(ProgressoExportacao p) { progresso() = std::move(p); }

const ResultadoExportacao& UltimaExportacao() { return ultima(); }

QString NomeEstacao()
{
    const QString user = qEnvironmentVariable("USERNAME");
    if (!user.isEmpty())
        return user;
    // Where USERNAME is not set (Linux), the login name and the machine: two
    // laptops of one branch under the same login must not pass for one
    // workstation, or the server would take one's order for the other's.
    QString login = qEnvironmentVariable("USER");
    if (login.isEmpty())
        login = qEnvironmentVariable("LOGNAME");
    const QString host = QSysInfo::machineHostName();
    if (login.isEmpty())
        return host;
    return host.isEmpty() ? login : login + QLatin1Char('@') + host;
}

void TdtmAtuTab::ExportaPedidos()
{
    ResultadoExportacao& r = ultima();
    r = {};
    if (pedidosExport().isEmpty())
        return;
    Database& db = DataBaseGeralPed();
    netExpPedido.close();

    const QString filial = Filial();
    // An order an order window holds in edit is not sent: what the window is
    // about to store is not what would go, and its store would then be lost.
    QString lista = pedidosExport();
    for (const QString& nr : pedidosExport().split(QLatin1Char('_'), Qt::SkipEmptyParts)) {
        if (!PedidoEmEdicao(filial, nr))
            continue;
        lista.replace(QLatin1Char('_') + nr + QLatin1Char('_'), QStringLiteral("_"));
        const PedidoRecusado r0{
            nr, QStringLiteral("está em alteração na janela de pedidos; confirme ou cancele a alteração e exporte de novo")};
        r.naoEnviados << r0;
        r.recusados << r0;
    }
    if (lista == QLatin1String("_")) {
        pedidosExport().clear();
        return;
    }
    Query pedidos(&db, QStringLiteral("qryPedidos"));
    Query itens(&db, QStringLiteral("qryItemPedido"));
    Query observacoes(&db, QStringLiteral("qryObsPedido"));
    etapa(QStringLiteral("Não foi possível ler os pedidos a exportar:"), [&] {
        for (auto [q, sql] : {std::pair{&pedidos, kPedidosSql}, std::pair{&itens, kItensSql}}) {
            q->setSql(QString::fromLatin1(sql));
            q->setParam(QStringLiteral("P_NRPEDIDO"), lista);
            q->setParam(QStringLiteral("P_CDFILIAL"), filial);
            q->open();
        }
        observacoes.setSql(QString::fromLatin1(kObservacoesSql));
        observacoes.setParam(QStringLiteral("NRPEDIDO"), lista);
        observacoes.setParam(QStringLiteral("CDFILIAL"), filial);
        observacoes.open();
    });
    for (int i = 0; i < pedidos.storageCount(); ++i)
        r.enviados << texto(pedidos, i, "NRPEDIDO");
    const QString estacao = NomeEstacao();
    pedidosExport().clear();

    // Every active customer, however few the orders: the server may not know
    // them yet. A hundred thousand of them go straight from the database into
    // the request, never into datasets.
    RemoteArgs args;
    args.add(pedidos).add(itens).add(observacoes);
    etapa(QStringLiteral("Não foi possível ler os clientes a enviar:"), [&] {
        // Read here (the database belongs to this thread), a thousand rows at a
        // time, with the window repainting and the progress moving in between.
        auto respira = [](const QString& quais) {
            return [quais](int rows) {
                informa(QStringLiteral("Lendo %1 a enviar: %2").arg(quais, QLocale(QLocale::Portuguese, QLocale::Brazil).toString(rows)));
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            };
        };
        Statement clientes(db, QString::fromLatin1(kClientesSql));
        args.add(clientes, QStringLiteral("CLIENTE"), respira(QStringLiteral("os clientes")));
        Statement enderecos(db, QString::fromLatin1(kEnderecosSql));
        args.add(enderecos, QStringLiteral("ENDECLIE"), respira(QStringLiteral("os endereços")));
    });
    informa(QStringLiteral("Enviando os pedidos ao servidor..."));
    // The installation identity tells this laptop's orders from another's of the same numbers.
    args.add(filial).add(estacao).add(IdInstalacao());

    Query cdsItemInativo(nullptr, QStringLiteral("cdsItemInativo"));
    Query cdsClienteInativoPed(nullptr, QStringLiteral("cdsClienteInativoPed"));
    Query cdsValorRecusado(nullptr, QStringLiteral("cdsValorRecusado"));
    etapa(QStringLiteral("Não existe conexão com o servidor:"), [&] {
        if (!netExpPedido.connected())
            netExpPedido.open();
    });
    RemoteReply resposta;
    try {
        resposta = netExpPedido.AppServer(QStringLiteral("SetPedidos"), std::move(args));
    } catch (const EntregaIncerta& e) {
        throw Error(msgEntregaIncerta(e.text()));
    } catch (const Abort&) {
        throw;
    } catch (const std::exception& e) {
        throw Error(QStringLiteral("O servidor não recebeu os pedidos: %1").arg(QString::fromUtf8(e.what())));
    }
    if (resposta.status != 200)
        etapa(QStringLiteral("O servidor não aceitou os pedidos:"), [&] { CheckResultServ(resposta); }); // the server's own reason
    std::vector<Packet> reply;
    try {
        reply = CheckResultServ(resposta);
        if (reply.size() < 2 || reply[0].isNull() || reply[1].isNull())
            throw Error(QStringLiteral("a resposta não traz as listas de pedidos recusados."));
    } catch (const Error& e) {
        // It answered "done", but what it answered cannot be read.
        throw Error(msgEntregaIncerta(e.text()));
    }
    loadDataSet(cdsItemInativo, reply[0]);
    loadDataSet(cdsClienteInativoPed, reply[1]);
    // An older server answers two elements: no order refused for its values.
    const bool comValores = reply.size() > 2 && !reply[2].isNull();
    if (comValores)
        loadDataSet(cdsValorRecusado, reply[2]);
    rotula(cdsItemInativo,
           {{"NRPEDIDO", "Nr. Pedido"}, {"CDARVPROD", "Código"}, {"NMPRODUTO", "Nome"}, {"CDFILIAL", nullptr}, {"DSSITUACAO", "Situação"}});
    rotula(cdsClienteInativoPed,
           {{"CDCLIENTE", nullptr},
            {"IDCLIEATIV", nullptr},
            {"NRPEDIDO", "Nr. Pedido"},
            {"NRINSJURCLIE", "Nr. Inscrição"},
            {"NMFANTCLIE", "Nome"},
            {"DSSITUACAO", "Situação"}});
    if (comValores)
        rotula(
            cdsValorRecusado,
            {{"NRPEDIDO", "Nr. Pedido"}, {"NRITEMPED", "Item"}, {"NMCAMPO", "Campo"}, {"DSMOTIVO", "Motivo"}, {"DSSITUACAO", "Situação"}});

    // What the server refused, by order and by customer.
    QSet<QString> pedidosRecusados, clientesRecusados;
    for (int i = 0; i < cdsItemInativo.storageCount(); ++i) {
        const QString nr = texto(cdsItemInativo, i, "NRPEDIDO");
        pedidosRecusados << (texto(cdsItemInativo, i, "CDFILIAL").toUpper() + QLatin1Char('|') + nr.toUpper());
        const QString codigo = texto(cdsItemInativo, i, "CDARVPROD");
        const QString nome = texto(cdsItemInativo, i, "NMPRODUTO");
        r.recusados << PedidoRecusado{
            nr,
            comSituacao(codigo.isEmpty() ? nome : QStringLiteral("produto inativo no servidor: %1 %2").arg(codigo, nome),
                        texto(cdsItemInativo, i, "DSSITUACAO"))};
    }
    for (int i = 0; i < cdsClienteInativoPed.storageCount(); ++i) {
        clientesRecusados << texto(cdsClienteInativoPed, i, "CDCLIENTE").toUpper();
        const QString inscricao = texto(cdsClienteInativoPed, i, "NRINSJURCLIE");
        const QString nome = texto(cdsClienteInativoPed, i, "NMFANTCLIE");
        r.recusados << PedidoRecusado{
            texto(cdsClienteInativoPed, i, "NRPEDIDO"),
            comSituacao(inscricao.isEmpty() ? nome : QStringLiteral("cliente inativo no servidor: %1 %2").arg(inscricao, nome),
                        texto(cdsClienteInativoPed, i, "DSSITUACAO"))};
    }
    // An order that broke a rule stays pending, the reason said, to be corrected and sent again.
    for (int i = 0; comValores && i < cdsValorRecusado.storageCount(); ++i) {
        const QString nr = texto(cdsValorRecusado, i, "NRPEDIDO");
        pedidosRecusados << (filial.toUpper() + QLatin1Char('|') + nr.toUpper());
        const QString item = texto(cdsValorRecusado, i, "NRITEMPED");
        const QString motivo = texto(cdsValorRecusado, i, "DSMOTIVO");
        r.recusados << PedidoRecusado{nr,
                                      comSituacao(item.isEmpty() ? motivo : QStringLiteral("item %1: %2").arg(item, motivo),
                                                  texto(cdsValorRecusado, i, "DSSITUACAO"))};
    }
    if (mostraInativos()) {
        if (!cdsItemInativo.isEmpty())
            mostraInativos()(cdsItemInativo, TipoRecusa::Produtos);
        if (!cdsClienteInativoPed.isEmpty())
            mostraInativos()(cdsClienteInativoPed, TipoRecusa::Clientes);
        if (comValores && !cdsValorRecusado.isEmpty())
            mostraInativos()(cdsValorRecusado, TipoRecusa::Valores);
    }

    // Each order with its items in one transaction: never exported with pending items.
    for (int i = 0; i < pedidos.storageCount(); ++i) {
        const QString nr = texto(pedidos, i, "NRPEDIDO");
        const QString fil = texto(pedidos, i, "CDFILIAL");
        if (pedidosRecusados.contains(fil.toUpper() + QLatin1Char('|') + nr.toUpper())
            || clientesRecusados.contains(texto(pedidos, i, "CDCLIENTE").toUpper()))
            continue;
        etapa(QStringLiteral("Os pedidos chegaram ao servidor, mas o pedido %1 não pôde ser marcado como exportado:").arg(nr), [&] {
            db.transaction([&] {
                const QVariantMap key{{QStringLiteral("NRPEDIDO"), nr}, {QStringLiteral("CDFILIAL"), fil}};
                db.exec(QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = '7' WHERE NRPEDIDO = :NRPEDIDO AND CDFILIAL = :CDFILIAL"), key);
                db.exec(QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '2' WHERE NRPEDIDO = :NRPEDIDO AND CDFILIAL = :CDFILIAL"),
                        key);
            });
        });
        r.aceitos << nr;
    }
}

} // namespace zov
