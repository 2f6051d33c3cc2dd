// The order header's checks (Vd_*), their field events and lookups.
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/inscricao.h"
#include "orders/lanc_pedido.h"
#include "orders/mensagens.h"

namespace zov {

namespace {

// A date edit's text holds no date at all (blank, or only the mask's separators).
bool semData(const QString& text)
{
    QString s = text;
    s.remove(QLatin1Char('/')).remove(QLatin1Char(':')).remove(QLatin1Char('_'));
    return s.trimmed().isEmpty();
}

QString entreAspas(const QString& text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

} // namespace

// ---------------------------------------------------------------- customer

void LancPedido::Vd_Cliente(bool boTestaVazio)
{
    if (!pedidoEditando())
        return;
    try {
        QString numero = tela.cliente.trimmed();
        QString kind;
        if (!numero.isEmpty()) {
            numero = QStringLiteral("C") + numero;
            kind = Ajusta_Inscricao(numero);
        }
        const bool mudou = numero != stIns;
        stIns = numero;
        poe("CDCLIENTE", QVariant());
        if (numero.isEmpty()) {
            if (boTestaVazio)
                falhaCabecalho(ControlePedido::Cliente, msg("CLIE_NULO"));
            return;
        }
        tela.cliente = numero;
        tela.mascaraCliente = PictPess(kind);
        Statement st(db_, QStringLiteral(
                              "SELECT CL.IDTPIJURCLIE, CL.NRINSJURCLIE, CL.CDCLIENTE, CL.NMFANTCLIE, CL.NMRAZSOCCLIE, CL.CDMODPGTO, "
                              "MP.DSMODPGTO, CL.VRPEMAXDESCL, CL.IDCLIEATIV FROM CLIENTE CL LEFT JOIN MODPGTO MP ON MP.CDMODPGTO = CL.CDMODPGTO "
                              "WHERE ((CL.CDCLIENTE = :P_CDCLIENTE) OR (CL.NRINSJURCLIE = :P_NRINSJURCLIE) AND (CL.IDTPIJURCLIE = :P_IDTPIJURCLIE))"));
        st.bind(QStringLiteral("P_CDCLIENTE"), QVariant());
        st.bind(QStringLiteral("P_NRINSJURCLIE"), numero);
        st.bind(QStringLiteral("P_IDTPIJURCLIE"), kind);
        if (!st.step()) {
            tela.nmCliente.clear();
            falhaCabecalho(ControlePedido::Cliente, msg("CLIE_NAO_CAD"));
        }
        const QString cdCliente = st.rawValue(2).toString();
        const QString nmFant = st.rawValue(3).toString();
        const QString cdModCli = st.rawValue(5).toString();
        const QString dsModCli = st.rawValue(6).toString();
        if (st.rawValue(8).toString() == QLatin1String("N"))
            falhaCabecalho(ControlePedido::Cliente, msg("CLIE_INAT"));
        if (qryPedido.state() == DataSetState::Insert && !boTestaVazio) {
            const QVariant aberto = db_.scalar(QStringLiteral("SELECT MAX(NRPEDIDO) NRPEDIDO FROM PEDIDO WHERE (CDFILIAL = :P_CDFILIAL ) AND "
                                                              "(CDCLIENTE = :P_CDCLIENTE) AND (IDSITPEDIDO IN ('1','2'))"),
                                               {{QStringLiteral("P_CDFILIAL"), valor("CDFILIAL")}, {QStringLiteral("P_CDCLIENTE"), cdCliente}});
            if (!aberto.isNull() && !aberto.toString().isEmpty() &&
                !dialogs().confirm(msg("DesCont").replace(QStringLiteral("%s"), aberto.toString()))) {
                cancelaPedido();
                throw Abort{};
            }
        }
        poe("CDCLIENTE", cdCliente);
        poe("NMFANTCLIE", nmFant);
        poe("IDTPIJURCLIE", kind);
        poe("NRINSJURCLIE", numero);
        tela.nmCliente = nmFant;
        if (boTestaVazio && !valor("CDMODPGTO").isEmpty()) {
            view_.atualizaTela();
            return;
        }
        if (mudou) {
            const std::optional<PropostaPrcBase> proposta =
                propostaPrcBase(db_, ParametrosPrcBase{cdCliente, valor("CDVENDEDOR"), {}, {}, {}});
            const QString modPedido = valor("CDMODPGTO");
            const QString prcPedido = valor("CDPRECOBASE");
            const bool mudaMod = !cdModCli.isEmpty() && !modPedido.isEmpty() && modPedido != cdModCli;
            QString pergunta;
            if (mudaMod && proposta && proposta->cdPrecoBase != prcPedido)
                pergunta = QStringLiteral("Alt_ModPrc");
            else if (mudaMod)
                pergunta = QStringLiteral("Alt_ModPgto");
            else if (!prcPedido.isEmpty() && proposta && proposta->cdPrecoBase != prcPedido && proposta->idPesq != QLatin1String("2"))
                pergunta = QStringLiteral("Alt_PrcBase");
            if (!pergunta.isEmpty() && !dialogs().confirm(msgLancPedido().Msg(pergunta))) {
                // The customer accepted before comes back.
                tela.cliente = stNrInsJurClie;
                tela.nmCliente = stNmFantClie;
                stIns = stNrInsJurClie;
                view_.atualizaTela();
                throw Abort{};
            }
            if (proposta) {
                poe("CDPRECOBASE", proposta->cdPrecoBase);
                poe("DSPRECOBASE", proposta->dsPrecoBase);
                tela.cdPrcBase = proposta->cdPrecoBase;
                tela.dsPrcBase = proposta->dsPrecoBase;
            }
        }
        stNrInsJurClie = numero;
        stNmFantClie = nmFant;
        if (mudou) {
            poe("CDMODPGTO", cdModCli.isEmpty() ? QVariant() : QVariant(cdModCli));
            poe("DSMODPGTO", dsModCli.isEmpty() ? QVariant() : QVariant(dsModCli));
            tela.cdModPgto = cdModCli;
            tela.dsModPgto = dsModCli;
            abreModPgto(cdModCli);
        }
        view_.atualizaTela();
    } catch (const Error& e) {
        // A registration that is no number of any kind.
        falhaCabecalho(ControlePedido::Cliente, e.text());
    }
}

void LancPedido::entraCliente()
{
    // Any kind may be typed: digits, and letters for an alphanumeric CNPJ.
    tela.mascaraCliente = PictPess(QString());
}

void LancPedido::clienteMudou()
{
    if (qryPedido.state() == DataSetState::Browse)
        editaPedido();
    if (pedidoEditando())
        tela.nmCliente.clear();
}

void LancPedido::saiCliente()
{
    if (!pedidoEditando())
        return;
    tela.mascaraCliente = PictPess(valor("IDTPIJURCLIE"));
    Vd_Cliente(false);
}

void LancPedido::pesquisaCliente()
{
    if (!pesquisa_ || valor("IDSITPEDIDO") == QLatin1String("7"))
        return;
    preparaLista(QStringLiteral(
        "SELECT C.CDCLIENTE, C.IDTPIJURCLIE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, C.CDVENDEDOR, V.IDTPIJURVEN, V.NMFANVEN, "
        "V.VRPECOMVEN, P.NMPAIS, M.SGESTADO, M.NMMUNICIPIO, E.DSENDECLIE FROM CLIENTE C "
        "LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = C.CDVENDEDOR "
        "JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P' "
        "JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO AND M.CDMUNICIPIO = E.CDMUNICIPIO "
        "JOIN PAIS P ON P.CDPAIS = M.CDPAIS "
        "WHERE C.IDCLIEATIV = 'S' ORDER BY NRINSJURCLIE"));
    for (const char* hidden : {"CDCLIENTE", "IDTPIJURCLIE", "CDVENDEDOR", "IDTPIJURVEN", "NMFANVEN", "VRPECOMVEN"})
        qryLista.defineField(QString::fromLatin1(hidden)).visible = false;
    const std::pair<const char*, const char*> rotulos[] = {{"NRINSJURCLIE", "Nr. Inscrição"}, {"NMFANTCLIE", "Nome"},
                                                           {"NMRAZSOCCLIE", "Razão Social"},  {"DSENDECLIE", "Endereço"},
                                                           {"NMMUNICIPIO", "Município"},      {"SGESTADO", "Estado"},
                                                           {"NMPAIS", "País"}};
    for (const auto& [field, label] : rotulos)
        qryLista.defineField(QString::fromLatin1(field)).displayLabel = QString::fromUtf8(label);
    qryLista.open();
    if (pesquisa_(qryLista, QStringLiteral("Cliente"))) {
        if (qryPedido.state() == DataSetState::Browse && !editaPedido()) {
            qryLista.close();
            return;
        }
        if (pedidoEditando()) {
            const QString kind = qryLista[QStringLiteral("IDTPIJURCLIE")].asString();
            poe("CDCLIENTE", qryLista[QStringLiteral("CDCLIENTE")].value());
            poe("NRINSJURCLIE", qryLista[QStringLiteral("NRINSJURCLIE")].value());
            poe("IDTPIJURCLIE", kind);
            poe("NMFANTCLIE", qryLista[QStringLiteral("NMFANTCLIE")].value());
            tela.cliente = qryLista[QStringLiteral("NRINSJURCLIE")].asString();
            tela.nmCliente = qryLista[QStringLiteral("NMFANTCLIE")].asString();
            tela.mascaraCliente = PictPess(kind);
        }
    }
    qryLista.close();
    view_.atualizaTela();
    view_.foca(ControlePedido::Cliente);
}

// ---------------------------------------------------------------- salesperson

void LancPedido::Vd_Vendedor(bool boTestaVazio)
{
    if (!pedidoEditando())
        return;
    const QString codigo = Ajusta(tela.vendedor, 4);
    const bool mudou = codigo != stVend;
    stVend = codigo;
    poe("CDVENDEDOR", codigo.isEmpty() ? QVariant() : QVariant(codigo));
    tela.vendedor = codigo;
    if (codigo.isEmpty()) {
        if (boTestaVazio)
            falhaCabecalho(ControlePedido::Vendedor, msg("Cod_Inf"));
        return;
    }
    Statement st(db_, QStringLiteral("SELECT CDVENDEDOR, NMFANVEN, VRPECOMVEN, VRPEMAXDESVE FROM VENDEDOR WHERE CDVENDEDOR = :P_CDVENDEDOR"));
    st.bind(QStringLiteral("P_CDVENDEDOR"), codigo);
    if (!st.step())
        falhaCabecalho(ControlePedido::Vendedor, msg("VEN_NAO_CAD"));
    tela.nmVendedor = st.rawValue(1).toString();
    poe("NMFANVEN", tela.nmVendedor);
    if (boTestaVazio && !valor("CDPRECOBASE").isEmpty()) {
        view_.atualizaTela();
        return;
    }
    if (mudou) {
        const QString cliente = valor("CDCLIENTE");
        const bool semListas = db_.scalar(QStringLiteral("SELECT COUNT(*) CONTADOR FROM PRECOBASECLI WHERE CDCLIENTE = :P_CDCLIENTE"),
                                          {{QStringLiteral("P_CDCLIENTE"), cliente}})
                                   .toInt() == 0;
        const QString mod = valor("CDMODPGTO");
        const std::optional<PropostaPrcBase> proposta = propostaPrcBase(
            db_, ParametrosPrcBase{cliente, codigo, mod, semListas ? codigo : QString(), semListas ? mod : QString()});
        const QString prcPedido = valor("CDPRECOBASE");
        bool nao = false;
        if (!prcPedido.isEmpty() && proposta && proposta->cdPrecoBase != prcPedido && proposta->idPesq != QLatin1String("4") &&
            proposta->idPesq != QLatin1String("5") && !dialogs().confirm(msg("Alt_PrcBase"))) {
            // The salesperson accepted before comes back; the operation goes on.
            nao = true;
            tela.vendedor = stCdVendedor;
            tela.nmVendedor = stNmFanVen;
            stVend = stCdVendedor;
            poe("CDVENDEDOR", stCdVendedor.isEmpty() ? QVariant() : QVariant(stCdVendedor));
            poe("NMFANVEN", stNmFanVen.isEmpty() ? QVariant() : QVariant(stNmFanVen));
        }
        if (!nao && proposta) {
            stCdVendedor = codigo;
            stNmFanVen = tela.nmVendedor;
            poe("CDPRECOBASE", proposta->cdPrecoBase);
            poe("DSPRECOBASE", proposta->dsPrecoBase);
            tela.cdPrcBase = proposta->cdPrecoBase;
            tela.dsPrcBase = proposta->dsPrecoBase;
        }
    }
    view_.atualizaTela();
}

// ---------------------------------------------------------------- operation type

void LancPedido::Vd_TipoOper(bool boTestaVazio)
{
    if (!pedidoEditando())
        return;
    if (EmptyString(tela.tipoOper)) {
        if (boTestaVazio)
            falha(ControlePedido::TipoOper, PaginaPedido::DadosGerais, msg("TipoOper_Deve"));
        return;
    }
    tela.tipoOper = Ajusta(tela.tipoOper, 2);
    poe("CDTIPOOPER", tela.tipoOper);
    Statement st(db_, QStringLiteral("SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP FROM TIPOOPERAC WHERE CDTIPOOPER = :P_CDTIPOOPER "
                                     "AND IDENTRSAIDOP = 'S' ORDER BY CDTIPOOPER"));
    st.bind(QStringLiteral("P_CDTIPOOPER"), tela.tipoOper);
    if (!st.step()) {
        tela.nmTipoOper.clear();
        falha(ControlePedido::TipoOper, PaginaPedido::DadosGerais, msg("TipoOper_Nc"));
    }
    tela.nmTipoOper = st.rawValue(1).toString();
    poe("NMTIPOOPER", tela.nmTipoOper);
    poe("IDENTRSAIDOP", st.rawValue(2));
    view_.atualizaTela();
}

void LancPedido::tipoOperMudou()
{
    if (qryPedido.state() == DataSetState::Browse)
        editaPedido();
    if (pedidoEditando())
        tela.nmTipoOper.clear();
}

void LancPedido::saiTipoOper() { Vd_TipoOper(false); }

void LancPedido::pesquisaTipoOper()
{
    if (!pesquisa_ || valor("IDSITPEDIDO") == QLatin1String("7"))
        return;
    preparaLista(QStringLiteral("SELECT CDTIPOOPER, NMTIPOOPER FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' AND "
                                   "(IDORIGDESTOP = 'C' OR IDORIGDESTOP IS NULL) ORDER BY CDTIPOOPER"));
    qryLista.defineField(QStringLiteral("CDTIPOOPER")).displayLabel = QStringLiteral("Código");
    qryLista.defineField(QStringLiteral("NMTIPOOPER")).displayLabel = QStringLiteral("Nome");
    qryLista.open();
    if (pesquisa_(qryLista, QStringLiteral("Tipo de Operação")) && (qryPedido.state() != DataSetState::Browse || editaPedido())) {
        tela.tipoOper = qryLista[QStringLiteral("CDTIPOOPER")].asString();
        tela.nmTipoOper = qryLista[QStringLiteral("NMTIPOOPER")].asString();
    }
    qryLista.close();
    view_.atualizaTela();
    view_.foca(ControlePedido::TipoOper);
}

// ---------------------------------------------------------------- dates

void LancPedido::falhaData(ControlePedido campo, const QString& texto)
{
    if (view_.paginaAtual() == PaginaPedido::Modalidade) {
        Vd_CdModPgto(false);
        Vd_DiaFixo(false);
    }
    if (semData(tela.dataPedido) || semData(tela.dataEntrega)) {
        CheckGuard again; // the customer check runs again, quietly nested
        Vd_Cliente(false);
    }
    falha(campo, PaginaPedido::DadosGerais, texto);
}

void LancPedido::Vd_DataPedido(bool boTestaVazio)
{
    if (!pedidoEditando())
        return;
    auto para = [&](const QString& texto) { falhaData(ControlePedido::DataPedido, texto); };
    if (semData(tela.dataPedido)) {
        if (boTestaVazio)
            para(msg("DT_NULO"));
        return;
    }
    const QDateTime data = parseDateTime(tela.dataPedido);
    if (!data.isValid())
        para(entreAspas(tela.dataPedido) + QLatin1Char(' ') + msg("DT_INV"));
    if (data > QDateTime::currentDateTime())
        para(msg("DT_ERRO"));
}

void LancPedido::Vd_DataEntrega(bool boTestaVazio)
{
    if (!pedidoEditando())
        return;
    auto para = [&](const QString& texto) { falhaData(ControlePedido::DataEntrega, texto); };
    if (semData(tela.dataEntrega)) {
        if (boTestaVazio)
            para(msg("DTENT_NULO"));
        return;
    }
    const QDateTime data = parseDateTime(tela.dataEntrega);
    if (!data.isValid())
        para(entreAspas(tela.dataEntrega) + QLatin1Char(' ') + msg("DTENT_INV"));
    if (data.date() < QDate::currentDate())
        para(msg("DTENT_DTATU"));
}

void LancPedido::Vd_Data()
{
    if (semData(tela.dataPedido) || semData(tela.dataEntrega))
        return;
    const QDateTime pedido = parseDateTime(tela.dataPedido);
    const QDateTime entrega = parseDateTime(tela.dataEntrega);
    if (pedido.isValid() && entrega.isValid() && pedido.date() > entrega.date()) {
        const bool pendente = valor("IDSITPEDIDO") == QLatin1String("1");
        falha(pendente ? ControlePedido::DataPedido : ControlePedido::DataEntrega, PaginaPedido::DadosGerais, msg("VD_DATE"));
    }
}

void LancPedido::Vd_Geral()
{
    // The field that has the focus is left first, as if the user had left it.
    switch (view_.controleComFoco()) {
    case ControlePedido::DataPedido:
        saiDataPedido();
        break;
    case ControlePedido::Cliente:
        saiCliente();
        break;
    case ControlePedido::DataEntrega:
        saiDataEntrega();
        break;
    case ControlePedido::CdModPgto:
        saiCdModPgto();
        break;
    case ControlePedido::PrcBase:
        Vd_PrcBase(true);
        break;
    default:
        break;
    }
    Vd_Cliente(true);
    Vd_Vendedor(true);
    Vd_TipoOper(true);
    Vd_DataPedido(true);
    Vd_DataEntrega(true);
    Vd_Data();
    Vd_CdModPgto(true);
    Vd_DiaFixo(true);
    // An order stored without a price list would vanish from the list, which joins it.
    Vd_PrcBase(true);
}

void LancPedido::dataPedidoMudou()
{
    if (view_.paginaAtual() == PaginaPedido::DadosGerais && qryPedido.state() == DataSetState::Browse)
        editaPedido();
}

void LancPedido::saiDataPedido()
{
    if (!pedidoEditando())
        return;
    Vd_DataPedido(false);
    if (qryPedido.state() == DataSetState::Edit) {
        const QVariant antiga = qryPedido[QStringLiteral("DTPEDIDO")].oldValue();
        const QDate dataAntiga = antiga.metaType().id() == QMetaType::QDate ? antiga.toDate() : antiga.toDateTime().date();
        if (dataAntiga != parseDateTime(tela.dataPedido).date())
            MudaData(false);
    }
    if (qryPedido.state() == DataSetState::Insert && semData(tela.dataEntrega) && !semData(tela.dataPedido)) {
        tela.dataEntrega = tela.dataPedido;
        view_.atualizaTela();
    }
}

void LancPedido::dataEntregaMudou()
{
    if (view_.paginaAtual() == PaginaPedido::DadosGerais && qryPedido.state() == DataSetState::Browse)
        editaPedido();
}

void LancPedido::saiDataEntrega() { Vd_DataEntrega(false); }

void LancPedido::prioridadeClicada(Prioridade prioridade)
{
    if (qryPedido.state() == DataSetState::Browse && !editaPedido()) {
        view_.atualizaTela(); // an exported order keeps its priority
        return;
    }
    tela.prioridade = prioridade;
}

} // namespace zov
