#include "orders/historico_cliente.h"

#include "library/database.h"
#include "library/formats.h"
#include "library/relogio.h"
#include "library/situacao_empresa.h"
#include "library/valores_item.h"

#include <algorithm>
#include <map>

namespace zov {

namespace {

QString inicioArmazenado(const QDate& hoje) { return dateTimeToStorage(QDateTime(inicioDoHistorico(hoje), QTime(0, 0))); }

// A cancelled or returned order was not bought at its price.
bool compra(const QString& letra) { return letra != u"C" && letra != u"D"; }

} // namespace

QString textoOrigem(OrigemCompra origem)
{
    switch (origem) {
    case OrigemCompra::Vendedor: return QStringLiteral("Vendedor");
    case OrigemCompra::Empresa: return QStringLiteral("Empresa");
    case OrigemCompra::EsteComputador: return QStringLiteral("Este computador");
    }
    return {};
}

QDate inicioDoHistorico(const QDate& hoje) { return hoje.addMonths(-12); }

HistoricoCliente::HistoricoCliente(Database& db, const QString& cdCliente, const QString& cdFilial, const QString& semPedido)
{
    // One read of both sources, lines in order: the company's history, then
    // this laptop's orders it does not hold yet (sent ones come back in it).
    Statement st(db,
                 QStringLiteral("SELECT H.NRPEDIDO, H.IDORIGEM, H.DTPEDIDO, H.IDSITEMPRESA, H.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, "
                                "H.QTITEMPED, H.VRPRECO, H.VRDESCONTO, NULL, H.NRITEMPED "
                                "FROM HISTCLIENTE H LEFT JOIN PRODUTO P ON P.CDPRODUTO = H.CDPRODUTO "
                                "WHERE H.CDCLIENTE = :C AND H.CDFILIAL = :F AND H.DTPEDIDO >= :INICIO "
                                "UNION ALL "
                                "SELECT O.NRPEDIDO, 'A', O.DTPEDIDO, S.IDSITEMPRESA, I.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, "
                                "I.QTITEMPED, I.VRPREUNITPED, I.VRDESITPED, O.IDSITPEDIDO, I.NRITEMPED "
                                "FROM PEDIDO O JOIN ITEMPEDIDO I ON I.CDFILIAL = O.CDFILIAL AND I.NRPEDIDO = O.NRPEDIDO "
                                "LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO "
                                "LEFT JOIN SITPEDIDO S ON S.CDFILIAL = O.CDFILIAL AND S.NRPEDIDO = O.NRPEDIDO "
                                "WHERE O.CDCLIENTE = :C AND O.CDFILIAL = :F AND O.DTPEDIDO >= :INICIO AND O.NRPEDIDO <> COALESCE(:SEM, '') "
                                "AND NOT EXISTS (SELECT 1 FROM HISTCLIENTE H WHERE H.CDCLIENTE = O.CDCLIENTE AND H.CDFILIAL = O.CDFILIAL "
                                "AND H.NRPEDIDO = O.NRPEDIDO AND H.IDORIGEM = 'L') "
                                "ORDER BY 3 DESC, 1 DESC, 2, 12"));
    st.bind(QStringLiteral("C"), cdCliente);
    st.bind(QStringLiteral("F"), cdFilial);
    st.bind(QStringLiteral("INICIO"), inicioArmazenado(dataDeHoje()));
    st.bind(QStringLiteral("SEM"), semPedido);
    while (st.step()) {
        const QString nrPedido = st.rawValue(0).toString();
        const QString letraOrigem = st.rawValue(1).toString();
        const OrigemCompra origem = letraOrigem == u"E" ? OrigemCompra::Empresa
            : letraOrigem == u"A"                       ? OrigemCompra::EsteComputador
                                                        : OrigemCompra::Vendedor;
        if (pedidos_.isEmpty() || pedidos_.last().nrPedido != nrPedido || pedidos_.last().origem != origem) {
            PedidoComprado p;
            p.nrPedido = nrPedido;
            p.origem = origem;
            p.quando = dateTimeFromStorage(st.rawValue(2).toString());
            const QString letra = st.rawValue(3).toString().trimmed().toUpper();
            p.situacao = situacaoNaEmpresa(letra, {});
            if (p.situacao.isEmpty() && p.origem == OrigemCompra::EsteComputador)
                p.situacao = st.rawValue(10).toString() == u"1" ? QStringLiteral("Pendente") : QStringLiteral("Exportado");
            p.contaComoCompra = compra(letra);
            pedidos_ << p;
        }
        PedidoComprado& p = pedidos_.last();
        LinhaComprada l;
        l.cdProduto = st.rawValue(4).toString();
        l.cdArvProd = st.rawValue(5).toString();
        l.nmProduto = st.rawValue(6).toString();
        l.quantidade = decimalLido(st.rawValue(7), escala::kQuantidade);
        l.preco = decimalLido(st.rawValue(8), escala::kPreco);
        // The net value as the order's own lines count it.
        l.liquido = valoresItem(l.preco, l.quantidade, decimalLido(st.rawValue(9), 2)).liquido;
        p.valor += l.liquido;
        p.linhas << l;
    }
}

QList<ProdutoComprado> HistoricoCliente::porProduto() const
{
    std::map<QString, ProdutoComprado> porCodigo;
    // Newest first: the first line met of a product gives its last price.
    for (const PedidoComprado& p : pedidos_) {
        if (!p.contaComoCompra)
            continue;
        for (const LinhaComprada& l : p.linhas) {
            auto [it, novo] = porCodigo.try_emplace(l.cdProduto);
            ProdutoComprado& c = it->second;
            if (novo) {
                c.cdProduto = l.cdProduto;
                c.cdArvProd = l.cdArvProd;
                c.nmProduto = l.nmProduto;
                c.ultimaData = p.quando.date();
                c.ultimoPreco = l.preco;
            }
            c.quantidade += l.quantidade;
        }
    }
    QList<ProdutoComprado> lista;
    for (auto& [codigo, c] : porCodigo)
        lista << c;
    std::stable_sort(lista.begin(), lista.end(), [](const ProdutoComprado& a, const ProdutoComprado& b) {
        return QString::localeAwareCompare(a.nmProduto, b.nmProduto) < 0;
    });
    return lista;
}

QHash<QString, UltimoPreco> HistoricoCliente::ultimosPrecos() const
{
    QHash<QString, UltimoPreco> precos;
    for (const PedidoComprado& p : pedidos_)
        if (p.contaComoCompra)
            for (const LinhaComprada& l : p.linhas)
                if (!precos.contains(l.cdProduto))
                    precos.insert(l.cdProduto, {p.quando.date(), l.preco});
    return precos;
}

QString textoUltimoPreco(const UltimoPreco& ultimo, const Decimal& precoAtual)
{
    const QString texto =
        QStringLiteral("%1 em %2")
            .arg(formatNumber(ultimo.preco, QStringLiteral("#,##0.00")), ultimo.data.toString(QStringLiteral("dd/MM/yy")));
    // Today's price above the last one is the one to see at once.
    return precoAtual > ultimo.preco ? QStringLiteral("↑ ") + texto : texto;
}

} // namespace zov
