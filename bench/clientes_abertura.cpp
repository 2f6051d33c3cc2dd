// Opens the customer window's list over a registry of 1 000 customers and
// then of a large one (every column of CLIENTE filled), in the same run, and
// prints the time and the memory it takes and the ratio of the two openings;
// at the large size also for every column of the table, and the time the
// grid takes to go from the first customer to the last with PgDn.
//
//   bench_clientes_abertura [ROWS]      (default: 100 000)
#include "bench/bench_util.h"
#include "customers/cadastro_cliente.h"
#include "db/dbgeralped.h"
#include "library/dataset.h"
#include "library/dataset_model.h"
#include "library/grid.h"
#include "library/local_time.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

using namespace zov;

namespace {

void fill(Database& db, int first, int last, int rows)
{
    QStringList cols, params;
    QList<bool> numeric;
    Statement info(db, QStringLiteral("PRAGMA table_info(CLIENTE)"));
    while (info.step()) {
        cols << info.value(1).toString();
        params << QLatin1Char(':') + info.value(1).toString();
        const QString type = info.value(2).toString().toUpper();
        numeric << (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("INT")));
    }
    db.transaction([&] {
        Statement ins(
            db, QStringLiteral("INSERT INTO CLIENTE (%1) VALUES (%2)").arg(cols.join(QLatin1Char(',')), params.join(QLatin1Char(','))));
        for (int i = first; i < last; ++i) {
            const QString kind = i % 10 == 0 ? QStringLiteral("O") : (i % 3 == 0 ? QStringLiteral("J") : QStringLiteral("F"));
            const QString number = QStringLiteral("%1").arg(i, kind == QLatin1String("J") ? 14 : 11, 10, QLatin1Char('0'));
            for (int c = 0; c < cols.size(); ++c) {
                QVariant v = numeric[c] ? QVariant(1.5) : QVariant(QStringLiteral("VALOR%1").arg(c));
                if (cols[c] == QLatin1String("CDCLIENTE"))
                    v = kind == QLatin1String("O") ? QStringLiteral("O%1").arg(i % 100000, 5, 10, QLatin1Char('0')) + QString::number(i)
                                                   : kind + number;
                else if (cols[c] == QLatin1String("IDTPIJURCLIE"))
                    v = kind == QLatin1String("O") ? QStringLiteral("F") : kind;
                else if (cols[c] == QLatin1String("NRINSJURCLIE"))
                    v = number;
                else if (cols[c] == QLatin1String("NMRAZSOCCLIE") || cols[c] == QLatin1String("NMFANTCLIE"))
                    v = QStringLiteral("CLIENTE %1").arg((i * 7919) % rows, 6, 10, QLatin1Char('0'));
                ins.bindAt(c + 1, v);
            }
            ins.exec();
            ins.reset();
        }
    });
}

// The list opened as the window opens it: read as its grid needs.
void openList(Query& q, const QString& sql)
{
    q.setSql(sql);
    q.setFetchBlock(kGridFetchBlock);
    q.open();
}

// figure: the name of the figure lines of this measure, suffix after it ("_1k").
double measure(Database& db, const char* what, const char* figure, const QString& sql, const char* suffix = "")
{
    // Memory on the first opening; the time is the median of several.
    const long before = bench::rssKb();
    Query first(&db, QStringLiteral("qryClientes"));
    openList(first, sql);
    const long kb = bench::rssKb() - before;
    const double ms = bench::medianMs(7, [&] {
        Query q(&db, QStringLiteral("qryClientes"));
        openList(q, sql);
    });
    std::printf("%-34s %7d rows read  %3d columns  %8.2f ms  %8ld KB\n", what, first.fetchedCount(), first.fieldCount(), ms, kb);
    std::printf("figure %s_open_ms%s %.2f ms\n", figure, suffix, ms);
    std::printf("figure %s_memory_kb%s %ld KB\n", figure, suffix, kb);
    return std::max(ms, 0.01);
}

// PgDn pressed on the grid until it stands on the last customer.
void scrollToTheEnd(Database& db, const QString& sql)
{
    Query q(&db, QStringLiteral("qryClientes"));
    openList(q, sql);
    DatasetModel model(q);
    QTableView view;
    view.setModel(&model);
    bindGrid(&view, &model);
    view.resize(1300, 500);
    view.show();
    QApplication::processEvents();
    // Painted after every press, and as a held key comes: the grid painted
    // when the queue of presses is empty, about once every ten.
    for (const int paintEvery : {1, 10}) {
        q.first();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        int presses = 0;
        while (!(q.allFetched() && q.recNo() == q.fetchedCount())) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(&view, &press);
            if (++presses % paintEvery == 0)
                QApplication::processEvents();
        }
        QApplication::processEvents();
        std::printf("PgDn pressed %d times to reach customer %d, painted every %d\n", presses, q.recNo(), paintEvery);
        std::printf("figure clientes_grid_pgdn_to_end%s_ms %lld ms\n", paintEvery == 1 ? "" : "_held", static_cast<long long>(t.elapsed()));
        q.close();
        q.open();
    }
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    SetDatabasePath(dir.filePath(QStringLiteral("bench.sqlite")));
    Database& db = DataBaseGeralPed();
    const int small = std::min(1000, rows);
    const QString window = CadastroCliente::sqlClientes();
    QElapsedTimer t;
    t.start();
    fill(db, 0, small, rows);
    db.execScript(QStringLiteral("ANALYZE"));
    const double pequeno = measure(db, "window's columns, 1 000", "clientes_window", window, "_1k");
    fill(db, small, rows, rows);
    db.execScript(QStringLiteral("ANALYZE"));
    std::printf("filled %d customers in %lld ms\n", rows, static_cast<long long>(t.elapsed()));
    std::printf("figure clientes_rows %d rows\n", rows);

    const double grande = measure(db, "window's columns", "clientes_window", window, "_100k");
    std::printf("figure clientes_open_ratio_100k_to_1k %.1f x\n", grande / pequeno);
    QString every = window;
    every.replace(
        QRegularExpression(QStringLiteral("SELECT\\s+A\\.NMRAZSOCCLIE.*?V\\.NMRAZSOCVEN"), QRegularExpression::DotMatchesEverythingOption),
        QStringLiteral("SELECT A.*, V.NMRAZSOCVEN"));
    measure(db, "every column of CLIENTE", "clientes_every_column", every);
    {
        // What the first save of a customer adds: the list reads its rest.
        Query q(&db, QStringLiteral("qryClientes"));
        openList(q, window);
        QElapsedTimer resto;
        resto.start();
        q.fetchAll();
        std::printf("figure clientes_read_rest_ms_100k %lld ms\n", static_cast<long long>(resto.elapsed()));
    }
    scrollToTheEnd(db, window);
    FreeDBGeralPed();
    return 0;
}
