// The order header's checks (Vd_*), their field events and lookups.
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/inscricao.h"
#include "library/relogio.h"
#include "orders/credito_cliente.h"
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

CabecalhoPedido::CabecalhoPedido(ContextoPedido& ctx) : ctx_(ctx) { ctx_.cabecalho = this; }

void CabecalhoPedido::lembraValores()
{
    stIns = ctx_.valor("NRINSJURCLIE");
    stVend = ctx_.valor("CDVENDEDOR");
    stNrInsJurClie = stIns;
    stNmFantClie = ctx_.valor("NMFANTCLIE");
    stCdVendedor = stVend;
    stNmFanVen = ctx_.valor("NMFANVEN");
}

void CabecalhoPedido::esqueceValores()
{
    stIns.clear();
    stVend.clear();
    stNrInsJurClie.clear();
    stNmFantClie.clear();
    stCdVendedor.clear();
    stNmFanVen.clear();
}

// ---------------------------------------------------------------- customer

void CabecalhoPedido::Vd_Cliente(bool boTestaVazio)
{
    if (!ctx_.pedidoEditando())
        return;
    try {
        QString numero = ctx_.tela.cliente.trimmed();
        QString kind;
        if (!numero.isEmpty()) {
            numero = QStringLiteral("C") + numero;
            kind = Ajusta_Inscricao(numero);
        }
        const bool mudou = numero != stIns;
        stIns = numero;
        ctx_.poe("CDCLIENTE", QVariant());
        if (numero.isEmpty()) {
            if (boTestaVazio)
                falhaCabecalho(ControlePedido::Cliente, ctx_.msg("CLIE_NULO"));
            return;
        }
        ctx_.tela.cliente = numero;
        ctx_.tela.mascaraCliente = PictPess(kind);
        Statement st(
            ctx_.db,
            QStringLiteral(
                "SELECT CL.IDTPIJURCLIE, CL.NRINSJURCLIE, CL.CDCLIENTE, CL.NMFANTCLIE, CL.NMRAZSOCCLIE, CL.CDMODPGTO, "
                "MP.DSMODPGTO, CL.VRPEMAXDESCL, CL.IDCLIEATIV FROM CLIENTE CL LEFT JOIN MODPGTO MP ON MP.CDMODPGTO = CL.CDMODPGTO "
                "WHERE ((CL.CDCLIENTE = :P_CDCLIENTE) OR (CL.NRINSJURCLIE = :P_NRINSJURCLIE) AND (CL.IDTPIJURCLIE = :P_IDTPIJURCLIE))"));
        st.bind(QStringLiteral("P_CDCLIENTE"), QVariant());
        st.bind(QStringLiteral("P_NRINSJURCLIE"), numero);
        st.bind(QStringLiteral("P_IDTPIJURCLIE"), kind);
        if (!st.step()) {
            ctx_.tela.nmCliente.clear();
            falhaCabecalho(ControlePedido::Cliente, ctx_.msg("CLIE_NAO_CAD"));
        }
        const QString cdCliente = st.rawValue(2).toString();
        const QString nmFant = st.rawValue(3).toString();
        const QString cdModCli = st.rawValue(5).toString();
        const QString dsModCli = st.rawValue(6).toString();
        if (st.rawValue(8).toString() == QLatin1String("N"))
            falhaCabecalho(ControlePedido::Cliente, ctx_.msg("CLIE_INAT"));
        if (ctx_.qryPedido.state() == DataSetState::Insert && !boTestaVazio) {
            const QVariant aberto =
                ctx_.db.scalar(QStringLiteral("SELECT MAX(NRPEDIDO) NRPEDIDO FROM PEDIDO WHERE (CDFILIAL = :P_CDFILIAL ) AND "
                                              "(CDCLIENTE = :P_CDCLIENTE) AND (IDSITPEDIDO IN ('1','2'))"),
                               {{QStringLiteral("P_CDFILIAL"), ctx_.valor("CDFILIAL")}, {QStringLiteral("P_CDCLIENTE"), cdCliente}});
            if (!aberto.isNull() && !aberto.toString().isEmpty()
                && !dialogs().confirm(ctx_.msg("DesCont").replace(QStringLiteral("%s"), aberto.toString()))) {
                ctx_.registro->cancelaPedido();
                throw Abort{};
            }
        }
        ctx_.poe("CDCLIENTE", cdCliente);
        ctx_.poe("NMFANTCLIE", nmFant);
        ctx_.poe("IDTPIJURCLIE", kind);
        ctx_.poe("NRINSJURCLIE", numero);
        ctx_.tela.nmCliente = nmFant;
        ctx_.tela.creditoCliente = resumoDeCredito(creditoDoCliente(ctx_.db, cdCliente, ctx_.valor("CDFILIAL"), ctx_.valor("NRPEDIDO")));
        if (boTestaVazio && !ctx_.valor("CDMODPGTO").isEmpty()) {
            ctx_.view.atualizaTela();
            return;
        }
        if (mudou) {
            const std::optional<PropostaPrcBase> proposta =
                propostaPrcBase(ctx_.db, ParametrosPrcBase{cdCliente, ctx_.valor("CDVENDEDOR"), {}, {}, {}});
            const QString modPedido = ctx_.valor("CDMODPGTO");
            const QString prcPedido = ctx_.valor("CDPRECOBASE");
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
                ctx_.tela.cliente = stNrInsJurClie;
                ctx_.tela.nmCliente = stNmFantClie;
                stIns = stNrInsJurClie;
                ctx_.view.atualizaTela();
                throw Abort{};
            }
            if (proposta) {
                ctx_.poe("CDPRECOBASE", proposta->cdPrecoBase);
                ctx_.poe("DSPRECOBASE", proposta->dsPrecoBase);
                ctx_.tela.cdPrcBase = proposta->cdPrecoBase;
                ctx_.tela.dsPrcBase = proposta->dsPrecoBase;
            }
        }
        stNrInsJurClie = numero;
        stNmFantClie = nmFant;
        if (mudou) {
            ctx_.poe("CDMODPGTO", cdModCli.isEmpty() ? QVariant() : QVariant(cdModCli));
            ctx_.poe("DSMODPGTO", dsModCli.isEmpty() ? QVariant() : QVariant(dsModCli));
            ctx_.tela.cdModPgto = cdModCli;
            ctx_.tela.dsModPgto = dsModCli;
            ctx_.pagamento->abreModPgto(cdModCli);
            // The payment page shows the method's kind, day and form at once, not at Confirm.
            if (!cdModCli.isEmpty())
                ctx_.pagamento->aplicaModPgto();
        }
        ctx_.view.atualizaTela();
    } catch (const Error& e) {
        // A registration that is no number of any kind.
        falhaCabecalho(ControlePedido::Cliente, e.text());
    }
}

void CabecalhoPedido::entraCliente()
{
    // Any kind may be typed: digits, and letters for an alphanumeric CNPJ.
    ctx_.tela.mascaraCliente = PictPess(QString());
}

void CabecalhoPedido::clienteMudou()
{
    if (ctx_.qryPedido.state() == DataSetState::Browse)
        ctx_.registro->editaPedido();
    if (ctx_.pedidoEditando())
        ctx_.tela.nmCliente.clear();
}

void CabecalhoPedido::saiCliente()
{
    if (!ctx_.pedidoEditando())
        return;
    ctx_.tela.mascaraCliente = PictPess(ctx_.valor("IDTPIJURCLIE"));
    Vd_Cliente(false);
}

void CabecalhoPedido::pesquisaCliente()
{
    if (!ctx_.pesquisa || ctx_.valor("IDSITPEDIDO") == QLatin1String("7"))
        return;
    ctx_.preparaLista(QStringLiteral(
        "SELECT C.CDCLIENTE, C.IDTPIJURCLIE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, C.CDVENDEDOR, V.IDTPIJURVEN, V.NMFANVEN, "
        "V.VRPECOMVEN, P.NMPAIS, M.SGESTADO, M.NMMUNICIPIO, E.DSENDECLIE FROM CLIENTE C "
        "LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = C.CDVENDEDOR "
        "JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P' "
        "JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO AND M.CDMUNICIPIO = E.CDMUNICIPIO "
        "JOIN PAIS P ON P.CDPAIS = M.CDPAIS "
        "WHERE C.IDCLIEATIV = 'S' ORDER BY NRINSJURCLIE"));
    for (const char* hidden : {"CDCLIENTE", "IDTPIJURCLIE", "CDVENDEDOR", "IDTPIJURVEN", "NMFANVEN", "VRPECOMVEN"})
        ctx_.qryLista.defineField(QString::fromLatin1(hidden)).visible = false;
    const std::pair<const char*, const char*> rotulos[] = {{"NRINSJURCLIE", "Nr. Inscrição"},
                                                           {"NMFANTCLIE", "Nome"},
                                                           {"NMRAZSOCCLIE", "Razão Social"},
                                                           {"DSENDECLIE", "Endereço"},
                                                           {"NMMUNICIPIO", "Município"},
                                                           {"SGESTADO", "Estado"},
                                                           {"NMPAIS", "País"}};
    for (const auto& [field, label] : rotulos)
        ctx_.qryLista.defineField(QString::fromLatin1(field)).displayLabel = QString::fromUtf8(label);
    // The registration with the mask of its kind: a valid CPF or CNPJ; any other as stored.
    ctx_.qryLista.defineField(QStringLiteral("NRINSJURCLIE")).onGetText = [](const QVariant& v) {
        const QString numero = v.toString().trimmed();
        if (numero.size() == 11 && CpfValido(numero))
            return FormataInscricao(numero, QStringLiteral("F"));
        if (numero.size() == 14 && CnpjValido(numero))
            return FormataInscricao(numero, QStringLiteral("J"));
        return numero;
    };
    ctx_.qryLista.open();
    if (ctx_.pesquisa(ctx_.qryLista, QStringLiteral("Cliente"))) {
        if (ctx_.qryPedido.state() == DataSetState::Browse && !ctx_.registro->editaPedido()) {
            ctx_.qryLista.close();
            return;
        }
        if (ctx_.pedidoEditando()) {
            const QString kind = ctx_.qryLista[QStringLiteral("IDTPIJURCLIE")].asString();
            ctx_.poe("CDCLIENTE", ctx_.qryLista[QStringLiteral("CDCLIENTE")].value());
            ctx_.poe("NRINSJURCLIE", ctx_.qryLista[QStringLiteral("NRINSJURCLIE")].value());
            ctx_.poe("IDTPIJURCLIE", kind);
            ctx_.poe("NMFANTCLIE", ctx_.qryLista[QStringLiteral("NMFANTCLIE")].value());
            ctx_.tela.cliente = ctx_.qryLista[QStringLiteral("NRINSJURCLIE")].asString();
            ctx_.tela.nmCliente = ctx_.qryLista[QStringLiteral("NMFANTCLIE")].asString();
            ctx_.tela.mascaraCliente = PictPess(kind);
        }
    }
    ctx_.qryLista.close();
    ctx_.view.atualizaTela();
    ctx_.view.foca(ControlePedido::Cliente);
}

// ---------------------------------------------------------------- salesperson

void CabecalhoPedido::Vd_Vendedor(bool boTestaVazio)
{
    if (!ctx_.pedidoEditando())
        return;
    const QString codigo = Ajusta(ctx_.tela.vendedor, 4);
    const bool mudou = codigo != stVend;
    stVend = codigo;
    ctx_.poe("CDVENDEDOR", codigo.isEmpty() ? QVariant() : QVariant(codigo));
    ctx_.tela.vendedor = codigo;
    if (codigo.isEmpty()) {
        if (boTestaVazio)
            falhaCabecalho(ControlePedido::Vendedor, ctx_.msg("Cod_Inf"));
        return;
    }
    Statement st(ctx_.db,
                 QStringLiteral("SELECT CDVENDEDOR, NMFANVEN, VRPECOMVEN, VRPEMAXDESVE FROM VENDEDOR WHERE CDVENDEDOR = :P_CDVENDEDOR"));
    st.bind(QStringLiteral("P_CDVENDEDOR"), codigo);
    if (!st.step())
        falhaCabecalho(ControlePedido::Vendedor, ctx_.msg("VEN_NAO_CAD"));
    ctx_.tela.nmVendedor = st.rawValue(1).toString();
    ctx_.poe("NMFANVEN", ctx_.tela.nmVendedor);
    if (boTestaVazio && !ctx_.valor("CDPRECOBASE").isEmpty()) {
        ctx_.view.atualizaTela();
        return;
    }
    if (mudou) {
        const QString cliente = ctx_.valor("CDCLIENTE");
        const bool semListas = !temListasProprias(ctx_.db, cliente);
        const QString mod = ctx_.valor("CDMODPGTO");
        const std::optional<PropostaPrcBase> proposta =
            propostaPrcBase(ctx_.db, ParametrosPrcBase{cliente, codigo, mod, semListas ? codigo : QString(), semListas ? mod : QString()});
        const QString prcPedido = ctx_.valor("CDPRECOBASE");
        bool nao = false;
        if (!prcPedido.isEmpty() && proposta && proposta->cdPrecoBase != prcPedido && proposta->idPesq != QLatin1String("4")
            && proposta->idPesq != QLatin1String("5") && !dialogs().confirm(ctx_.msg("Alt_PrcBase"))) {
            // The salesperson accepted before comes back; the operation goes on.
            nao = true;
            ctx_.tela.vendedor = stCdVendedor;
            ctx_.tela.nmVendedor = stNmFanVen;
            stVend = stCdVendedor;
            ctx_.poe("CDVENDEDOR", stCdVendedor.isEmpty() ? QVariant() : QVariant(stCdVendedor));
            ctx_.poe("NMFANVEN", stNmFanVen.isEmpty() ? QVariant() : QVariant(stNmFanVen));
        }
        if (!nao && proposta) {
            stCdVendedor = codigo;
            stNmFanVen = ctx_.tela.nmVendedor;
            ctx_.poe("CDPRECOBASE", proposta->cdPrecoBase);
            ctx_.poe("DSPRECOBASE", proposta->dsPrecoBase);
            ctx_.tela.cdPrcBase = proposta->cdPrecoBase;
            ctx_.tela.dsPrcBase = proposta->dsPrecoBase;
        }
    }
    ctx_.view.atualizaTela();
}

// ---------------------------------------------------------------- operation type

void CabecalhoPedido::Vd_TipoOper(bool boTestaVazio)
{
    if (!ctx_.pedidoEditando())
        return;
    if (EmptyString(ctx_.tela.tipoOper)) {
        if (boTestaVazio)
            ctx_.falha(ControlePedido::TipoOper, PaginaPedido::DadosGerais, ctx_.msg("TipoOper_Deve"));
        return;
    }
    ctx_.tela.tipoOper = Ajusta(ctx_.tela.tipoOper, 2);
    ctx_.poe("CDTIPOOPER", ctx_.tela.tipoOper);
    Statement st(ctx_.db,
                 QStringLiteral("SELECT CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP FROM TIPOOPERAC WHERE CDTIPOOPER = :P_CDTIPOOPER "
                                "AND IDENTRSAIDOP = 'S' ORDER BY CDTIPOOPER"));
    st.bind(QStringLiteral("P_CDTIPOOPER"), ctx_.tela.tipoOper);
    if (!st.step()) {
        ctx_.tela.nmTipoOper.clear();
        ctx_.falha(ControlePedido::TipoOper, PaginaPedido::DadosGerais, ctx_.msg("TipoOper_Nc"));
    }
    ctx_.tela.nmTipoOper = st.rawValue(1).toString();
    ctx_.poe("NMTIPOOPER", ctx_.tela.nmTipoOper);
    ctx_.poe("IDENTRSAIDOP", st.rawValue(2));
    ctx_.view.atualizaTela();
}

void CabecalhoPedido::tipoOperMudou()
{
    if (ctx_.qryPedido.state() == DataSetState::Browse)
        ctx_.registro->editaPedido();
    if (ctx_.pedidoEditando())
        ctx_.tela.nmTipoOper.clear();
}

void CabecalhoPedido::saiTipoOper() { Vd_TipoOper(false); }

void CabecalhoPedido::pesquisaTipoOper()
{
    if (!ctx_.pesquisa || ctx_.valor("IDSITPEDIDO") == QLatin1String("7"))
        return;
    ctx_.preparaLista(QStringLiteral("SELECT CDTIPOOPER, NMTIPOOPER FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' AND "
                                     "(IDORIGDESTOP = 'C' OR IDORIGDESTOP IS NULL) ORDER BY CDTIPOOPER"));
    ctx_.qryLista.defineField(QStringLiteral("CDTIPOOPER")).displayLabel = QStringLiteral("Código");
    ctx_.qryLista.defineField(QStringLiteral("NMTIPOOPER")).displayLabel = QStringLiteral("Nome");
    ctx_.qryLista.open();
    if (ctx_.pesquisa(ctx_.qryLista, QStringLiteral("Tipo de Operação"))
        && (ctx_.qryPedido.state() != DataSetState::Browse || ctx_.registro->editaPedido())) {
        ctx_.tela.tipoOper = ctx_.qryLista[QStringLiteral("CDTIPOOPER")].asString();
        ctx_.tela.nmTipoOper = ctx_.qryLista[QStringLiteral("NMTIPOOPER")].asString();
    }
    ctx_.qryLista.close();
    ctx_.view.atualizaTela();
    ctx_.view.foca(ControlePedido::TipoOper);
}

// ---------------------------------------------------------------- dates

void CabecalhoPedido::falhaData(ControlePedido campo, const QString& texto)
{
    if (ctx_.view.paginaAtual() == PaginaPedido::Modalidade) {
        ctx_.pagamento->Vd_CdModPgto(false);
        ctx_.pagamento->Vd_DiaFixo(false);
    }
    if (semData(ctx_.tela.dataPedido) || semData(ctx_.tela.dataEntrega)) {
        CheckGuard again; // the customer check runs again, quietly nested
        Vd_Cliente(false);
    }
    ctx_.falha(campo, PaginaPedido::DadosGerais, texto);
}

void CabecalhoPedido::Vd_DataPedido(bool boTestaVazio)
{
    if (!ctx_.pedidoEditando())
        return;
    auto para = [&](const QString& texto) { falhaData(ControlePedido::DataPedido, texto); };
    if (semData(ctx_.tela.dataPedido)) {
        if (boTestaVazio)
            para(ctx_.msg("DT_NULO"));
        return;
    }
    const QDateTime data = parseDateTime(ctx_.tela.dataPedido);
    if (!data.isValid())
        para(entreAspas(ctx_.tela.dataPedido) + QLatin1Char(' ') + ctx_.msg("DT_INV"));
    if (data > zov::agora())
        para(ctx_.msg("DT_ERRO"));
}

void CabecalhoPedido::Vd_DataEntrega(bool boTestaVazio)
{
    if (!ctx_.pedidoEditando())
        return;
    auto para = [&](const QString& texto) { falhaData(ControlePedido::DataEntrega, texto); };
    if (semData(ctx_.tela.dataEntrega)) {
        if (boTestaVazio)
            para(ctx_.msg("DTENT_NULO"));
        return;
    }
    const QDateTime data = parseDateTime(ctx_.tela.dataEntrega);
    if (!data.isValid())
        para(entreAspas(ctx_.tela.dataEntrega) + QLatin1Char(' ') + ctx_.msg("DTENT_INV"));
    if (data.date() < zov::dataDeHoje())
        para(ctx_.msg("DTENT_DTATU"));
    ctx_.itens->entregaSegueCabecalho(data.date());
}

void CabecalhoPedido::Vd_Data()
{
    if (semData(ctx_.tela.dataPedido) || semData(ctx_.tela.dataEntrega))
        return;
    const QDateTime pedido = parseDateTime(ctx_.tela.dataPedido);
    const QDateTime entrega = parseDateTime(ctx_.tela.dataEntrega);
    if (pedido.isValid() && entrega.isValid() && pedido.date() > entrega.date()) {
        const bool pendente = ctx_.valor("IDSITPEDIDO") == QLatin1String("1");
        ctx_.falha(pendente ? ControlePedido::DataPedido : ControlePedido::DataEntrega, PaginaPedido::DadosGerais, ctx_.msg("VD_DATE"));
    }
}

void CabecalhoPedido::Vd_Geral()
{
    // The field that has the focus is left first, as if the user had left it.
    switch (ctx_.view.controleComFoco()) {
    case ControlePedido::DataPedido: saiDataPedido(); break;
    case ControlePedido::Cliente: saiCliente(); break;
    case ControlePedido::DataEntrega: saiDataEntrega(); break;
    case ControlePedido::CdModPgto: ctx_.pagamento->saiCdModPgto(); break;
    case ControlePedido::PrcBase: ctx_.pagamento->Vd_PrcBase(true); break;
    default: break;
    }
    Vd_Cliente(true);
    Vd_Vendedor(true);
    Vd_TipoOper(true);
    Vd_DataPedido(true);
    Vd_DataEntrega(true);
    Vd_Data();
    ctx_.pagamento->Vd_CdModPgto(true);
    ctx_.pagamento->Vd_DiaFixo(true);
    // An order stored without a price list would vanish from the list, which joins it.
    ctx_.pagamento->Vd_PrcBase(true);
}

void CabecalhoPedido::dataPedidoMudou()
{
    if (ctx_.view.paginaAtual() == PaginaPedido::DadosGerais && ctx_.qryPedido.state() == DataSetState::Browse)
        ctx_.registro->editaPedido();
}

void CabecalhoPedido::saiDataPedido()
{
    if (!ctx_.pedidoEditando())
        return;
    Vd_DataPedido(false);
    if (ctx_.qryPedido.state() == DataSetState::Edit) {
        const QVariant antiga = ctx_.qryPedido[QStringLiteral("DTPEDIDO")].oldValue();
        const QDate dataAntiga = antiga.metaType().id() == QMetaType::QDate ? antiga.toDate() : antiga.toDateTime().date();
        if (dataAntiga != parseDateTime(ctx_.tela.dataPedido).date())
            ctx_.itens->MudaData(false);
    }
    if (ctx_.qryPedido.state() == DataSetState::Insert && semData(ctx_.tela.dataEntrega) && !semData(ctx_.tela.dataPedido)) {
        ctx_.tela.dataEntrega = ctx_.tela.dataPedido;
        ctx_.view.atualizaTela();
    }
}

void CabecalhoPedido::dataEntregaMudou()
{
    if (ctx_.view.paginaAtual() == PaginaPedido::DadosGerais && ctx_.qryPedido.state() == DataSetState::Browse)
        ctx_.registro->editaPedido();
}

void CabecalhoPedido::saiDataEntrega() { Vd_DataEntrega(false); }

void CabecalhoPedido::prioridadeClicada(Prioridade prioridade)
{
    if (ctx_.qryPedido.state() == DataSetState::Browse && !ctx_.registro->editaPedido()) {
        ctx_.view.atualizaTela(); // an exported order keeps its priority
        return;
    }
    ctx_.tela.prioridade = prioridade;
}

void CabecalhoPedido::falhaCabecalho(ControlePedido controle, const QString& texto)
{
    // The payment page's own checks come first when it is showing.
    if (ctx_.view.paginaAtual() == PaginaPedido::Modalidade) {
        ctx_.pagamento->Vd_CdModPgto(false);
        ctx_.pagamento->Vd_DiaFixo(false);
    }
    ctx_.falha(controle, PaginaPedido::DadosGerais, texto);
}

} // namespace zov
