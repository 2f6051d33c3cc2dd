// The product consultation over a large catalogue: the products and price
// rows of a `zov-appserver init --scale N` company (100 000 products and
// their price rows at N = 10), with a maximum discount of the branch's state
// for one product in ten. Prints the opening for an order and the search
// keystrokes by name (each with the grid's first screen read), with nothing
// chosen and with a product chosen; then the opening over the first 1 000
// products of the same catalogue, and the ratio of the two openings.
//
//   bench_consulta [N]      (default: 10)
#include "bench/bench_util.h"
#include "library/local_time.h"
#include "orders/ZOV00102_logic.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace zov;

namespace {

const char* const kTables[] = {"FILIAL", "CLIENTE", "VENDEDOR", "PRECOBASE", "PRODUTO", "ITEMPREBASE"};

// Nothing is added: only opening and searching are measured.
class SemPedido final : public DestinoConsulta {
public:
    void incluiItem(const ProdutoEscolhido&) override {}
    void itensIncluidos() override {}
};

// What the grid does after a search: it reads on until its screen (25 rows) is full.
void tela(Query& q)
{
    while (q.fetchedCount() < 25 && q.fetchMore()) {
    }
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const int scale = bench::scaleArg(argc, argv);
    QTemporaryDir dir;
    const auto cliente = bench::clientWithScaleCompany(dir, QStringLiteral(ZOV_APPSERVER), scale, kTables);
    if (!cliente)
        return 1;
    Database& db = *cliente;
    const QString filial = db.scalar(QStringLiteral("SELECT min(CDFILIAL) FROM FILIAL")).toString();
    const QString lista =
        db.scalar(QStringLiteral("SELECT CDPRECOBASE FROM ITEMPREBASE GROUP BY CDPRECOBASE ORDER BY count(*) DESC LIMIT 1")).toString();
    db.exec(QStringLiteral("DELETE FROM ENDEFILI WHERE CDFILIAL = :F"), {{QStringLiteral("F"), filial}});
    db.exec(QStringLiteral("INSERT INTO ENDEFILI (CDFILIAL, IDTPENDEFILI, CDPAIS, SGESTADO) VALUES (:F, 'P', '0001', 'SP')"),
            {{QStringLiteral("F"), filial}});
    db.exec(QStringLiteral("INSERT OR IGNORE INTO ITDESPREBASE (CDPRECOBASE, CDPAIS, SGESTADO, CDPRODUTO, VRPEMAXDESPR) "
                           "SELECT :L, '0001', 'SP', CDPRODUTO, 7 FROM PRODUTO WHERE rowid % 10 = 0"),
            {{QStringLiteral("L"), lista}});
    db.execScript(QStringLiteral("ANALYZE"));
    std::printf("N = %d: %d products, %d price rows, list %s\n", scale, db.scalar(QStringLiteral("SELECT count(*) FROM PRODUTO")).toInt(),
                db.scalar(QStringLiteral("SELECT count(*) FROM ITEMPREBASE")).toInt(), qPrintable(lista));

    SemPedido pedido;
    ParametrosConsulta p;
    p.cdFilial = filial;
    p.cdPrecoBase = lista;
    p.cdCliente = db.scalar(QStringLiteral("SELECT min(CDCLIENTE) FROM CLIENTE")).toString();
    p.cdVendedor = db.scalar(QStringLiteral("SELECT min(CDVENDEDOR) FROM VENDEDOR")).toString();
    p.podeConfirmar = true;
    p.destino = &pedido;

    // The statement alone, stepped through, to tell the database from the dataset.
    const double sql = bench::medianMs(5, [&] {
        Statement st(db, qryProdComplSql());
        st.bind(QStringLiteral("P_CDPRECOBASE"), lista);
        st.bind(QStringLiteral("P_VRPEDESC"), 0.0);
        st.bind(QStringLiteral("P_CDPAIS"), QStringLiteral("0001"));
        st.bind(QStringLiteral("P_SGESTADO"), QStringLiteral("SP"));
        st.bind(QStringLiteral("P_HOJE"), QDate::currentDate().toString(Qt::ISODate));
        while (st.step()) {
        }
    });
    std::printf("  the statement alone: %.1f ms\n", sql);
    ConsultaProdLogic consulta(db);
    const long antes = bench::rssKb();
    consulta.abre(p);
    const long memoria = bench::rssKb() - antes;
    const double abre = bench::medianMs(9, [&] { consulta.abre(p); });
    std::printf("  opened: %d products read\n", consulta.qryProdCompl.fetchedCount());

    // A name typed letter by letter, as the 600 ms timer would search it, then
    // one no product has: median and slowest keystroke.
    const QString nome =
        consulta.qryProdCompl.isEmpty() ? QStringLiteral("CAN") : consulta.qryProdCompl[QStringLiteral("NMPRODUTO")].asString().left(4);
    struct Teclas {
        double mediana, maxima, nenhum;
    };
    auto digita = [&] {
        std::vector<double> teclas;
        for (int vez = 0; vez < 3; ++vez) {
            for (int n = 1; n <= nome.size(); ++n)
                teclas.push_back(bench::medianMs(1, [&] {
                    consulta.pesquisa(ColunaConsulta::Nome, nome.left(n));
                    tela(consulta.qryProdCompl);
                }));
            consulta.pesquisa(ColunaConsulta::Nome, QString());
        }
        std::sort(teclas.begin(), teclas.end());
        const double nenhum = bench::medianMs(1, [&] {
            consulta.pesquisa(ColunaConsulta::Nome, QStringLiteral("XYZWQ"));
            tela(consulta.qryProdCompl);
        });
        consulta.pesquisa(ColunaConsulta::Nome, QString());
        return Teclas{teclas[teclas.size() / 2], teclas.back(), nenhum};
    };
    // Nothing chosen: the database narrows the list.
    consulta.abre(p);
    const Teclas livre = digita();
    // A product chosen: the rows hold what was typed, so the list is filtered
    // in memory, reading on as far as it must.
    consulta.abre(p);
    while (!consulta.qryProdCompl.eof() && consulta.qryProdCompl[QStringLiteral("VRPRECO")].isNull())
        consulta.qryProdCompl.next();
    consulta.espaco(ColunaConsulta::Quantidade, 1.0);
    const Teclas comEscolha = digita();
    std::printf("  search \"%s\"; with a product chosen: %d products read\n", qPrintable(nome), consulta.qryProdCompl.fetchedCount());

    std::printf("figure consultation_open_ms %.1f ms\n", abre);
    std::printf("figure consultation_open_ms_100k %.1f ms\n", abre);
    std::printf("figure consultation_memory_kb_100k %ld KB\n", memoria);
    std::printf("figure consultation_search_ms %.1f ms\n", livre.mediana);
    std::printf("figure consultation_search_max_ms %.1f ms\n", livre.maxima);
    std::printf("figure consultation_search_nothing_found_ms %.1f ms\n", livre.nenhum);
    std::printf("figure consultation_search_chosen_ms %.1f ms\n", comEscolha.mediana);
    std::printf("figure consultation_search_chosen_max_ms %.1f ms\n", comEscolha.maxima);
    std::printf("figure consultation_search_chosen_nothing_found_ms %.1f ms\n", comEscolha.nenhum);

    // The same catalogue cut to its first 1 000 products.
    ConsultaProdLogic pequena(db);
    db.exec(QStringLiteral("DELETE FROM PRODUTO WHERE CDARVPROD > (SELECT CDARVPROD FROM PRODUTO ORDER BY CDARVPROD LIMIT 1 OFFSET 999)"));
    const double abreMil = bench::medianMs(9, [&] { pequena.abre(p); });
    std::printf("  opened: %d products read\n", pequena.qryProdCompl.fetchedCount());
    std::printf("figure consultation_open_ms_1k %.1f ms\n", abreMil);
    std::printf("figure consultation_open_ratio_100k_to_1k %.1f x\n", abre / std::max(abreMil, 0.01));
    return 0;
}
