#include "orders/ZOV00101_logic.h"

#include "library/consiste.h"

namespace zov {

namespace {

const QString kDateForm = QStringLiteral("dd/MM/yyyy");

QDate dateOf(const QString& text) { return QDate::fromString(text.trimmed(), kDateForm); }
QString textOf(const QDate& d) { return d.isValid() ? d.toString(kDateForm) : QString(); }
bool blank(const QString& text) { return text.trimmed().isEmpty(); }

FalhaFiltro falha(const QString& key, const QString& foco) { return {key, msgFiltroPedido().Msg(key), foco}; }

std::optional<FalhaFiltro> dataInvalida(const QString& text, const QString& foco)
{
    if (blank(text) || dateOf(text).isValid())
        return std::nullopt;
    return FalhaFiltro{QStringLiteral("DATA_INV"),
                       QStringLiteral("'%1' %2").arg(text.trimmed(), msgFiltroPedido().Msg(QStringLiteral("DATA_INV"))), foco};
}

// One date group: from and to valid when given, both or neither, from <= to.
std::optional<FalhaFiltro> confereDatas(const QString& de, const QString& ate, const char* suffix, const QString& focoDe,
                                        const QString& focoAte)
{
    const QString s = QLatin1String(suffix);
    for (const auto& [text, foco] : {std::pair{de, focoDe}, std::pair{ate, focoAte}})
        if (auto f = dataInvalida(text, foco))
            return f;
    if (blank(de) && !blank(ate))
        return falha(QStringLiteral("DTINI_") + s, focoDe);
    if (!blank(de) && blank(ate))
        return falha(QStringLiteral("DTFIN_") + s, focoAte);
    if (!blank(de) && dateOf(de) > dateOf(ate))
        return falha(QStringLiteral("DTINI>DTFIN_") + s, focoDe);
    return std::nullopt;
}

} // namespace

const TMessages& msgFiltroPedido()
{
    static const TMessages table{
        "DATA_INV|não é uma data válida.",
        "DTINI_PEDIDO|Data pedido inicial deve ser informada.",
        "DTFIN_PEDIDO|Data pedido final deve ser informada.",
        "DTINI>DTFIN_PEDIDO|Data pedido inicial deve ser menor ou igual à data pedido final.",
        "DTINI_ENTREGA|Data entrega inicial deve ser informada.",
        "DTFIN_ENTREGA|Data entrega final deve ser informada.",
        "DTINI>DTFIN_ENTREGA|Data entrega inicial deve ser menor ou igual à data entrega final.",
        "NRINI|Intervalo inicial deve ser informado.",
        "NRFIN|Intervalo final deve ser informado.",
        "NRINI>NRFIN|Número pedido inicial deve ser menor ou igual ao número pedido final.",
        "STATUSPED|Situação do pedido deve ser informada.",
        "PRIO|Prioridade deve ser informada.",
        "LNrPedido|Número pedido deve ser informado.",
        "LCliente|Cliente deve ser informado.",
        "LProduto|Produto deve ser informado.",
        "LMuniciCli|Município do cliente deve ser informado.",
        "LTipoOper|Tipo de Operação deve ser informado.",
        "PEDNCAD|Não há pedido cadastrado.",
        "CLIE|Não há cliente cadastrado.",
        "PEDIDO|Pedido",
        "CLIENTE|Cliente",
        "PRODUTO|Produto",
        "Municipio|Município",
        "TIPOOPER|Tipo de Operação",
        "Mun_NC|Não há município cadastrado para os clientes informados.",
        "TIPOOPER_NC|Não há tipo de operação de saída cadastrado.",
        "PROD_NCAD|Não há produto cadastrado.",
    };
    return table;
}

EscolhasFiltro escolhasDoFiltro(const TFiltro& f, const EscolhasFiltro& atual)
{
    EscolhasFiltro e;
    e.nrPedido = f.NrPedido.boIntervalo ? EscolhaNrPedido::Intervalo : f.NrPedido.boTodos ? EscolhaNrPedido::Todos : EscolhaNrPedido::Lista;
    e.stDe = f.NrPedido.stDe;
    e.stAte = f.NrPedido.stAte;
    e.normal = f.Prioridade.boNormal;
    e.alta = f.Prioridade.boAlta;
    e.urgente = f.Prioridade.boUrgente;
    e.pendente = f.StatusPedido.boPendente;
    e.exportado = f.StatusPedido.boExportado;
    e.sitEmpresa = f.SitEmpresa;
    e.produtoLista = !f.Produto.boTodos;
    e.clienteLista = !f.Cliente.boTodos;
    e.municiCliLista = !f.MuniciCli.boTodos;
    e.tipoOperLista = atual.tipoOperLista;
    e.emissaoDe = textOf(f.Emissao.dtDe);
    e.emissaoAte = textOf(f.Emissao.dtAte);
    e.entregaDe = textOf(f.Entrega.dtDe);
    e.entregaAte = textOf(f.Entrega.dtAte);
    e.stNrPedido = f.NrPedido.stNrPedido;
    e.stProduto = f.Produto.stProduto;
    e.stCliente = f.Cliente.stCliente;
    e.stMuniciCli = f.MuniciCli.stMuniciCli;
    e.stTipoOper = f.TipoOper.stTipoOper;
    return e;
}

EscolhasFiltro escolhasDesfeitas(const QDate& today)
{
    EscolhasFiltro e;
    e.emissaoDe = textOf(PriDiaMes(today));
    e.emissaoAte = textOf(UltimoDiaMes(today));
    return e;
}

std::optional<FalhaFiltro> confereFiltro(EscolhasFiltro& e, bool focoNaEntrega)
{
    e.stDe = Ajusta(e.stDe, 10);
    e.stAte = Ajusta(e.stAte, 10);
    const auto emissao = [&] {
        return confereDatas(e.emissaoDe, e.emissaoAte, "PEDIDO", QStringLiteral("dtpPedidoDe"), QStringLiteral("dtpPedidoAte"));
    };
    const auto entrega = [&] {
        return confereDatas(e.entregaDe, e.entregaAte, "ENTREGA", QStringLiteral("dtpEntregaDe"), QStringLiteral("dtpEntregaAte"));
    };
    if (auto f = focoNaEntrega ? entrega() : emissao())
        return f;
    if (auto f = focoNaEntrega ? emissao() : entrega())
        return f;
    if (e.nrPedido == EscolhaNrPedido::Intervalo) {
        if (e.stDe.isEmpty() && !e.stAte.isEmpty())
            return falha(QStringLiteral("NRINI"), QStringLiteral("medDe"));
        if (!e.stDe.isEmpty() && e.stAte.isEmpty())
            return falha(QStringLiteral("NRFIN"), QStringLiteral("medAte"));
        if (e.stDe > e.stAte)
            return falha(QStringLiteral("NRINI>NRFIN"), QStringLiteral("medDe"));
        if (e.stDe.isEmpty())
            return falha(QStringLiteral("NRINI"), QStringLiteral("medDe"));
    }
    if (!e.pendente && !e.exportado)
        return falha(QStringLiteral("STATUSPED"), QStringLiteral("chkPendente"));
    if (e.nrPedido == EscolhaNrPedido::Lista && e.stNrPedido.isEmpty())
        return falha(QStringLiteral("LNrPedido"), QStringLiteral("rbtNrPedidoLista"));
    if (e.clienteLista && e.stCliente.isEmpty())
        return falha(QStringLiteral("LCliente"), QStringLiteral("rbtClienteLista"));
    if (e.produtoLista && e.stProduto.isEmpty())
        return falha(QStringLiteral("LProduto"), QStringLiteral("rbtProdutoLista"));
    if (e.municiCliLista && e.stMuniciCli.isEmpty())
        return falha(QStringLiteral("LMuniciCli"), QStringLiteral("rbtMuniciCliLista"));
    if (e.tipoOperLista && e.stTipoOper.isEmpty())
        return falha(QStringLiteral("LTipoOper"), QStringLiteral("rbtTipoOperLista"));
    if (!e.normal && !e.alta && !e.urgente)
        return falha(QStringLiteral("PRIO"), QStringLiteral("chkNormal"));
    return std::nullopt;
}

QString qryNrPedidoSql()
{
    return QStringLiteral("SELECT P.NRPEDIDO, C.NMFANTCLIE FROM PEDIDO P JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE "
                          "WHERE P.CDFILIAL = :P_CDFILIAL ORDER BY P.NRPEDIDO");
}

QString qryClienteFiltroSql()
{
    return QStringLiteral("SELECT C.CDCLIENTE, C.IDTPIJURCLIE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, E.DSENDECLIE, M.NMMUNICIPIO, "
                          "E.SGESTADO, PA.NMPAIS FROM CLIENTE C LEFT JOIN ENDECLIE E ON E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P' "
                          "LEFT JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO AND M.CDMUNICIPIO = E.CDMUNICIPIO "
                          "LEFT JOIN PAIS PA ON PA.CDPAIS = E.CDPAIS ORDER BY C.NRINSJURCLIE");
}

QString qryProdutoFiltroSql() { return QStringLiteral("SELECT CDARVPROD, NMPRODUTO FROM PRODUTO ORDER BY CDARVPROD"); }

QString qryPesqTipoOperSql()
{
    return QStringLiteral("SELECT CDTIPOOPER, NMTIPOOPER FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' ORDER BY CDTIPOOPER");
}

QString qryMuniciCliSql()
{
    // '_12_' must not offer the municipalities of customer 123.
    return QStringLiteral(
        "SELECT DISTINCT M.CDMUNICIPIO, M.NMMUNICIPIO, P.NMPAIS, M.SGESTADO, "
        "(M.CDPAIS || M.SGESTADO || M.CDMUNICIPIO) AS CONCATENADOS "
        "FROM MUNICIPIO M JOIN ENDECLIE E ON E.CDPAIS = M.CDPAIS AND E.SGESTADO = M.SGESTADO AND E.CDMUNICIPIO = M.CDMUNICIPIO "
        "JOIN PAIS P ON P.CDPAIS = M.CDPAIS "
        "WHERE (instr(:P_CDCLIENTE, '_' || E.CDCLIENTE || '_') <> 0 OR :P_TCDCLIENTE = 'T') "
        "ORDER BY M.NMMUNICIPIO");
}

TFiltro filtroDasEscolhas(const EscolhasFiltro& e, const TFiltro& atual)
{
    TFiltro f;
    f.Filial = atual.Filial;
    f.NrPedido.boTodos = e.nrPedido != EscolhaNrPedido::Lista;
    f.NrPedido.stNrPedido = e.stNrPedido;
    f.NrPedido.boIntervalo = e.nrPedido == EscolhaNrPedido::Intervalo;
    f.NrPedido.stDe = e.stDe;
    f.NrPedido.stAte = e.stAte;
    f.Prioridade = {e.normal, e.alta, e.urgente};
    f.StatusPedido = {e.pendente, e.exportado};
    f.SitEmpresa = e.sitEmpresa;
    f.Produto = {!e.produtoLista, e.stProduto};
    f.MuniciCli = {!e.municiCliLista, e.stMuniciCli};
    f.TipoOper = {!e.tipoOperLista, e.stTipoOper};
    f.Cliente = {!e.clienteLista, e.stCliente};
    f.Emissao = {blank(e.emissaoDe), dateOf(e.emissaoDe), dateOf(e.emissaoAte)};
    f.Entrega = {blank(e.entregaDe), dateOf(e.entregaDe), dateOf(e.entregaAte)};
    return f;
}

EscolhasFiltro escolhasAoAbrir(const TFiltro& filtro)
{
    EscolhasFiltro atual;
    atual.tipoOperLista = !filtro.TipoOper.boTodos;
    return escolhasDoFiltro(filtro, atual);
}

std::optional<FalhaFiltro> confereDataDigitada(const QString& texto, const QString& foco) { return dataInvalida(texto, foco); }

namespace {

// The saved names of the five lists, with the member each one is.
const std::pair<const char*, QString EscolhasFiltro::*> kListas[] = {
    {"stCliente", &EscolhasFiltro::stCliente}, {"stMuniciCli", &EscolhasFiltro::stMuniciCli}, {"stNrPedido", &EscolhasFiltro::stNrPedido},
    {"stProduto", &EscolhasFiltro::stProduto}, {"stTipoOper", &EscolhasFiltro::stTipoOper},
};

} // namespace

QMap<QString, QString> variaveisDasListas(const EscolhasFiltro& e)
{
    QMap<QString, QString> v;
    for (const auto& [name, member] : kListas)
        v.insert(QLatin1String(name), e.*member);
    return v;
}

void listasDasVariaveis(const QMap<QString, QString>& v, EscolhasFiltro& e)
{
    for (const auto& [name, member] : kListas) {
        const auto it = v.constFind(QLatin1String(name));
        if (it != v.constEnd())
            e.*member = *it;
    }
}

} // namespace zov
