// The order window's data over a large branch: the reference tables of a
// `zov-appserver init --scale N` company (copied straight from its file) and
// 100 000 orders of branch 0001 with 5 items each, dated over the last 730
// days, half pending and half exported. Prints the order list with the
// default filter and with three products, and the next order number.
//
//   bench_pedidos [N]      (default: 10)
#include "bench/bench_util.h"
#include "db/schema.h"
#include "library/database.h"
#include "library/dataset.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/local_time.h"
#include "orders/filtro_pedido.h"
#include "orders/lanc_pedido.h"
#include "session/GeralZOV.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace zov;
using zov::bench::column;
using zov::bench::medianMs;

namespace {

const char* const kReferenceTables[] = {"FILIAL",  "CLIENTE",     "ENDECLIE", "VENDEDOR",     "MODPGTO",  "PRECOBASE",   "TIPOOPERAC",
                                        "PRODUTO", "ITEMPREBASE", "PRECOUTI", "PRECOBASECLI", "FORMPGTO", "PARAMPEDIDO", "PRODUTOSEG"};

void fillOrders(Database& db, int orders)
{
    QRandomGenerator rnd(42);
    const QStringList clientes = column(db, QStringLiteral("SELECT CDCLIENTE FROM CLIENTE"));
    const QStringList vendedores = column(db, QStringLiteral("SELECT CDVENDEDOR FROM VENDEDOR"));
    const QStringList modos = column(db, QStringLiteral("SELECT CDMODPGTO FROM MODPGTO"));
    const QStringList precos = column(db, QStringLiteral("SELECT CDPRECOBASE FROM PRECOBASE"));
    const QStringList produtos = column(db, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO"));
    const QDateTime now = QDateTime::currentDateTime();
    auto pick = [&](const QStringList& l) { return l.at(int(rnd.bounded(quint32(l.size())))); };
    db.transaction([&] {
        Statement pedido(
            db,
            QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, CDCLIENTE, CDVENDEDOR, CDMODPGTO, CDPRECOBASE, CDTIPOOPER, "
                           "IDENTRSAIDOP, IDSITPEDIDO, IDPRIOPED, DTPEDIDO, DTENTPED, IDTIPOPEDIDO) "
                           "VALUES ('0001', ?1, ?2, ?3, ?4, ?5, '01', 'S', ?6, ?7, ?8, ?9, '1')"));
        Statement item(db,
                       QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED) "
                                      "VALUES ('0001', ?1, ?2, ?3, ?4, ?5)"));
        for (int n = 1; n <= orders; ++n) {
            const QString nr = QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0'));
            // Numbers grow with the date, as they do when orders are taken.
            const QDateTime at = now.addSecs(-qint64(730.0 * 86400 * (orders - n) / orders));
            pedido.clearBindings();
            pedido.bindAt(1, nr);
            pedido.bindAt(2, pick(clientes));
            pedido.bindAt(3, pick(vendedores));
            pedido.bindAt(4, pick(modos));
            pedido.bindAt(5, pick(precos));
            pedido.bindAt(6, n % 2 ? QStringLiteral("1") : QStringLiteral("7"));
            pedido.bindAt(7, QString::number(1 + rnd.bounded(3)));
            pedido.bindAt(8, at);
            pedido.bindAt(9, QDateTime(at.date().addDays(7), QTime(0, 0)));
            pedido.exec();
            for (int i = 1; i <= 5; ++i) {
                item.clearBindings();
                item.bindAt(1, nr);
                item.bindAt(2, QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')));
                item.bindAt(3, pick(produtos));
                item.bindAt(4, double(1 + rnd.bounded(20)));
                item.bindAt(5, 10.0 + rnd.bounded(1000) / 10.0);
                item.exec();
            }
        }
    });
}

// The window as Confirm needs it: no screen, the filter confirmed as it is.
class SemTela final : public PedidoView {
public:
    PaginaPedido paginaAtual() const override { return pagina; }
    void mostraPagina(PaginaPedido p) override { pagina = p; }
    ControlePedido controleComFoco() const override { return ControlePedido::Nenhum; }
    void foca(ControlePedido) override {}
    void habilitaComandos(const ComandosPedido&) override {}
    void atualizaTela() override {}
    ColunaItem colunaItem() const override { return coluna; }
    void focaColunaItem(ColunaItem c) override
    {
        coluna = c;
        pagina = PaginaPedido::Itens;
    }
    bool gradeItensAtiva() const override { return true; }
    void precoEditavel(bool e) override { precoLivre = e; }
    ColunaItem coluna = ColunaItem::Produto;
    bool precoLivre = true;
    void procura(Query&) override {}
    bool filtra(TFiltro&, const std::function<void()>& reabre) override
    {
        reabre();
        return true;
    }
    void fecha() override {}
    PaginaPedido pagina = PaginaPedido::Pedidos;
};

// Every question answered Yes, every message dropped.
class Sim final : public Dialogs {
public:
    void error(const QString& text) override { std::fprintf(stderr, "erro: %s\n", qPrintable(text)); }
    void info(const QString&) override {}
    bool confirm(const QString&) override { return true; }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void ajuda(const QString&) override {}
    bool printerSetup() override { return false; }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
};

// Confirm of a new header: every check and the write, each a transaction of its own.
double confirmaPedidoMs(Database& db, int vezes)
{
    SetFilial(QStringLiteral("0001"));
    SetCdOperador(
        db.scalar(QStringLiteral("SELECT CDOPERADOR FROM VENDEDOR WHERE CDOPERADOR IS NOT NULL ORDER BY CDVENDEDOR LIMIT 1")).toString());
    const QString cliente =
        db.scalar(QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE WHERE IDCLIEATIV = 'S' AND CDMODPGTO IN (SELECT CDMODPGTO FROM MODPGTO) "
                                 "ORDER BY CDCLIENTE LIMIT 1"))
            .toString();
    const QString tipo =
        db.scalar(QStringLiteral("SELECT CDTIPOOPER FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' ORDER BY CDTIPOOPER LIMIT 1")).toString();
    installDialogs(std::make_unique<Sim>());
    SemTela tela;
    LancPedido pedido(db, tela);
    pedido.registro.inicia();
    std::vector<double> ms;
    for (int i = 0; i < vezes; ++i) {
        pedido.registro.mudaPagina(PaginaPedido::Pedidos);
        pedido.registro.incluir();
        pedido.contexto.tela.cliente = cliente;
        pedido.contexto.tela.tipoOper = tipo;
        pedido.contexto.tela.dataEntrega = formatDate(QDate::currentDate().addDays(3));
        QElapsedTimer t;
        t.start();
        if (!runGuarded([&] { pedido.registro.confirmar(); })) {
            std::fprintf(stderr, "Confirm failed\n");
            return -1;
        }
        ms.push_back(t.nsecsElapsed() / 1e6);
        // The first item the new order begins is dropped (Esc, answered Yes).
        runGuarded([&] { pedido.registro.cancelar(); });
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// An order of 50 items: the 50th item's store (checks, price, write, totals),
// then the repricing of all 50 for another list (Confirm with the new list).
std::pair<double, double> itensMs(Database& db)
{
    const QString hoje = QDate::currentDate().toString(Qt::ISODate);
    const QString cliente =
        db.scalar(
              QStringLiteral("SELECT NRINSJURCLIE FROM CLIENTE C WHERE IDCLIEATIV = 'S' AND CDMODPGTO IN (SELECT CDMODPGTO FROM MODPGTO) "
                             "AND NOT EXISTS (SELECT 1 FROM PRECOBASECLI B WHERE B.CDCLIENTE = C.CDCLIENTE) ORDER BY CDCLIENTE LIMIT 1"))
            .toString();
    const QString tipo =
        db.scalar(QStringLiteral("SELECT CDTIPOOPER FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' ORDER BY CDTIPOOPER LIMIT 1")).toString();
    SemTela tela;
    LancPedido pedido(db, tela);
    pedido.registro.inicia();
    pedido.registro.incluir();
    pedido.contexto.tela.cliente = cliente;
    pedido.contexto.tela.tipoOper = tipo;
    pedido.contexto.tela.dataEntrega = formatDate(QDate::currentDate().addDays(3));
    if (!runGuarded([&] { pedido.registro.confirmar(); }))
        return {-1, -1};
    const QString lista = pedido.contexto.qryPedido[QStringLiteral("CDPRECOBASE")].asString();
    const QString valida = QStringLiteral("date(%1.DTINIVALIPB) <= :D AND (%1.DTFIMVALIPB IS NULL OR date(%1.DTFIMVALIPB) >= :D)");
    const QString outra =
        db.scalar(QStringLiteral("SELECT CDPRECOBASE FROM PRECOBASE WHERE CDPRECOBASE <> :L ORDER BY CDPRECOBASE LIMIT 1"),
                  {{QStringLiteral("L"), lista}})
            .toString();
    Statement st(db,
                 QStringLiteral("SELECT P.CDARVPROD FROM PRODUTO P JOIN PRODUTO E ON E.CDPRODUTO = P.CDPRODESTO "
                                "JOIN ITEMPREBASE A ON A.CDPRODUTO = P.CDPRODUTO AND A.CDPRECOBASE = :L "
                                "JOIN ITEMPREBASE B ON B.CDPRODUTO = P.CDPRODUTO AND B.CDPRECOBASE = :O "
                                "WHERE P.IDPRODATIVPR = 'S' AND ")
                     + valida.arg(QStringLiteral("A")) + QStringLiteral(" AND ") + valida.arg(QStringLiteral("B"))
                     + QStringLiteral(" ORDER BY P.CDARVPROD LIMIT 50"));
    st.bind(QStringLiteral("L"), lista);
    st.bind(QStringLiteral("O"), outra);
    st.bind(QStringLiteral("D"), hoje);
    QStringList produtos;
    while (st.step())
        produtos << st.rawValue(0).toString();
    if (produtos.size() < 50) {
        std::fprintf(stderr, "only %d products priced in lists %s and %s\n", int(produtos.size()), qPrintable(lista), qPrintable(outra));
        return {-1, -1};
    }
    double ultimo = 0;
    for (const QString& produto : produtos) {
        if (!pedido.itens.itemEditando())
            runGuarded([&] { pedido.itens.incluirItem(); });
        pedido.itens.qryItemPedido[QStringLiteral("CDARVPROD")].setValue(produto);
        pedido.itens.qryItemPedido[QStringLiteral("QTITEMPED")].setValue(2.0);
        QElapsedTimer t;
        t.start();
        if (!runGuarded([&] {
                pedido.itens.saiColunaItem(ColunaItem::Produto);
                pedido.itens.gravaItem();
            }))
            return {-1, -1};
        ultimo = t.nsecsElapsed() / 1e6;
    }
    pedido.contexto.tela.cdPrcBase = outra;
    runGuarded([&] { pedido.pagamento.prcBaseMudou(); }); // typing in the field puts the order into edit
    QElapsedTimer t;
    t.start();
    if (!runGuarded([&] { pedido.registro.confirmar(); }))
        return {ultimo, -1};
    const double reprecifica = t.nsecsElapsed() / 1e6;
    std::printf("  an order of %d items, repriced from list %s to %s\n",
                db.scalar(QStringLiteral("SELECT count(*) FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = :N"),
                          {{QStringLiteral("N"), pedido.contexto.qryPedido[QStringLiteral("NRPEDIDO")].asString()}})
                    .toInt(),
                qPrintable(lista), qPrintable(outra));
    return {ultimo, reprecifica};
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const int scale = bench::scaleArg(argc, argv);
    QTemporaryDir dir;
    QElapsedTimer t;
    t.start();
    const auto cliente = bench::clientWithScaleCompany(dir, QStringLiteral(ZOV_APPSERVER), scale, kReferenceTables);
    if (!cliente)
        return 1;
    Database& db = *cliente;
    const int orders = 100000;
    fillOrders(db, orders);
    db.execScript(QStringLiteral("ANALYZE"));
    std::printf("N = %d, %d orders of 5 items (prepared in %.1f s)\n", scale, orders, t.nsecsElapsed() / 1e9);

    TFiltro filtro = filtroInicial();
    filtro.Filial = QStringLiteral("0001");
    Query qryPedido(&db, QStringLiteral("qryPedido"));
    int rows = 0;
    const double open = medianMs(5, [&] {
        BancoPedido::abreQryPedido(qryPedido, filtro);
        rows = qryPedido.recordCount();
    });
    std::printf("  order list, default filter: %d orders\n", rows);

    // Every exported order with the company's situation, as after a year of refreshes.
    db.execScript(QStringLiteral("INSERT INTO SITPEDIDO (CDFILIAL, NRPEDIDO, IDSITEMPRESA, NRNOTAFISCAL, VRFATURADO) "
                                 "SELECT CDFILIAL, NRPEDIDO, 'F', '123', 10 FROM PEDIDO WHERE IDSITPEDIDO = '7'"));
    const double withSituations = medianMs(5, [&] {
        BancoPedido::abreQryPedido(qryPedido, filtro);
        rows = qryPedido.recordCount();
    });
    std::printf("  order list, every exported order with its situation: %d orders\n", rows);

    TFiltro produtos = filtro;
    produtos.Produto.boTodos = false;
    produtos.Produto.stProduto = QLatin1Char('_')
        + column(db,
                 QStringLiteral("SELECT CDARVPROD FROM PRODUTO WHERE CDPRODUTO IN (SELECT CDPRODUTO FROM ITEMPEDIDO "
                                "ORDER BY NRPEDIDO DESC LIMIT 3)"))
              .join(QLatin1Char('_'))
        + QLatin1Char('_');
    const double product = medianMs(5, [&] {
        BancoPedido::abreQryPedido(qryPedido, produtos);
        rows = qryPedido.recordCount();
    });
    std::printf("  order list, three products: %d orders\n", rows);

    QString next;
    const double number = medianMs(21, [&] { next = BancoPedido(db).PrxCodPed(QStringLiteral("0001")); });
    std::printf("  next number: %s\n", qPrintable(next));

    const double confirm = confirmaPedidoMs(db, 21);
    std::printf("  confirm of a new order: %d orders now\n", db.scalar(QStringLiteral("SELECT count(*) FROM PEDIDO")).toInt());

    const auto [itemStore, reprice] = itensMs(db);

    std::printf("figure order_list_open_ms %.1f ms\n", open);
    std::printf("figure order_list_open_with_situations_ms %.1f ms\n", withSituations);
    std::printf("figure order_list_situations_ratio %.2f ratio\n", withSituations / open);
    std::printf("figure order_list_product_filter_ms %.1f ms\n", product);
    std::printf("figure next_order_number_ms %.2f ms\n", number);
    std::printf("figure order_confirm_ms %.2f ms\n", confirm);
    std::printf("figure item_store_ms %.2f ms\n", itemStore);
    std::printf("figure reprice_50_items_ms %.1f ms\n", reprice);
    return 0;
}
