// LocateAll over a big product list, with the milliseconds per search and
// the rows it left:
// - as the search dialogs run it: the list is open and each search filters
//   the rows already read;
// - on a closed query (SQL text put back each time): the database reads only
//   the matching rows.
#include "db/dbgeralped.h"
#include "library/dataset.h"
#include "library/dbutils.h"
#include "library/local_time.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace zov;

namespace {

const char* const kWords[] = {"PARAFUSO", "ARRUELA", "PORCA",       "CONEXÃO", "JUNÇÃO", "VÁLVULA", "REGISTRO",  "TUBO",
                              "CABO",     "CHAVE",   "ABRAÇADEIRA", "LUVA",    "JOELHO", "BUCHA",   "ROLAMENTO", "CORRENTE"};
const char* const kKinds[] = {"SEXTAVADO", "GALVANIZADO", "INOX", "LATÃO", "PVC", "AÇO CARBONO", "COBRE", "NYLON"};

void fill(Database& db, int rows)
{
    db.transaction([&] {
        Statement st(db,
                     QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE, IDPRODATIVPR) "
                                    "VALUES (:CDPRODUTO, :CDARVPROD, :NMPRODUTO, :SGUNIDADE, 'S')"));
        for (int i = 0; i < rows; ++i) {
            const QString code = QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0'));
            st.bindAt(1, code);
            st.bindAt(2, code);
            st.bindAt(
                3,
                QStringLiteral("%1 %2 %3MM").arg(QString::fromUtf8(kWords[i % 16]), QString::fromUtf8(kKinds[(i / 16) % 8])).arg(i % 997));
            st.bindAt(4, QStringLiteral("UN"));
            st.exec();
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int repeats = 5;
    QTemporaryDir dir;
    SetDatabasePath(dir.filePath(QStringLiteral("bench.sqlite")));
    Database& db = DataBaseGeralPed();
    fill(db, rows);

    const QString stSQL = QStringLiteral("SELECT CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE FROM PRODUTO "
                                         "WHERE (CDPRODUTO = :P_CDPRODUTO OR :P_TCDPRODUTO = 'T') ORDER BY CDARVPROD");
    Query q(&db, QStringLiteral("qryProduto"));
    q.setSql(stSQL);
    q.setParam(QStringLiteral("P_TCDPRODUTO"), QStringLiteral("T"));

    QElapsedTimer t;
    t.start();
    for (int i = 0; i < repeats; ++i) {
        q.setSql(stSQL);
        q.open();
    }
    std::printf("products: %d\n", rows);
    std::printf("%-28s %10s %12s\n", "search (name contains)", "rows", "ms/search");
    std::printf("%-28s %10d %12.1f\n", "(blank: whole list)", q.recordCount(), t.nsecsElapsed() / 1e6 / repeats);
    std::printf("figure search_whole_list_ms %.1f ms\n", t.nsecsElapsed() / 1e6 / repeats);

    // One user typing "valvula" and then a rare text, keystroke by keystroke.
    const QStringList texts{QStringLiteral("V"),
                            QStringLiteral("VA"),
                            QStringLiteral("VAL"),
                            QStringLiteral("VALV"),
                            QStringLiteral("VALVULA"),
                            QStringLiteral("VALVULA LATAO"),
                            QStringLiteral("VALVULA LATAO 99"),
                            QStringLiteral("JUNCAO INOX 5MM"),
                            QStringLiteral("XYZ")};
    auto measure = [&](const char* title, const char* figure, bool keepOpen, const char* note) {
        std::printf("\n%s\n", title);
        std::printf("%-28s %10s %12s\n", "search (name contains)", "rows", "ms/search");
        q.setSql(stSQL);
        q.open();
        double total = 0;
        for (const QString& text : texts) {
            t.restart();
            for (int i = 0; i < repeats; ++i) {
                if (!keepOpen)
                    q.setSql(stSQL);
                LocateAll(q, {QStringLiteral("NMPRODUTO")}, text);
            }
            const double ms = t.nsecsElapsed() / 1e6 / repeats;
            total += ms;
            std::printf("%-28s %10d %12.1f\n", qPrintable(text), q.recordCount(), ms);
        }
        std::printf("mean per search: %.1f ms%s\n", total / texts.size(), note);
        std::printf("figure %s_mean_ms %.1f ms\n", figure, total / texts.size());
    };
    measure("list open, filtered in memory (the search dialogs)", "search_in_memory", true, " (target under 50 ms per keystroke)");
    measure("query closed, narrowed by the database", "search_in_database", false, "");
    FreeDBGeralPed();
    return 0;
}
