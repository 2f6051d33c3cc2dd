// Opens the customer window's list over a registry of 1 000 customers and
// then of a large one (every column of CLIENTE filled), in the same run, and
// prints the time and the memory it takes and the ratio of the two openings;
// at the large size also for every column of the table.
//
//   bench_clientes_abertura [ROWS]      (default: 100 000)
#include "bench/bench_util.h"
#include "library/local_time.h"
#include "customers/cadastro_cliente.h"
#include "db/dbgeralped.h"
#include "library/dataset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
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
        Statement ins(db, QStringLiteral("INSERT INTO CLIENTE (%1) VALUES (%2)").arg(cols.join(QLatin1Char(',')), params.join(QLatin1Char(','))));
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

// figure: the name of the figure lines of this measure, suffix after it ("_1k").
qint64 measure(Database& db, const char* what, const char* figure, const QString& sql, const char* suffix = "")
{
    const long before = bench::rssKb();
    QElapsedTimer t;
    t.start();
    {
        Query q(&db, QStringLiteral("qryClientes"));
        q.setSql(sql);
        q.open();
        const qint64 ms = t.elapsed();
        std::printf("%-34s %7d rows  %3d columns  %6lld ms  %8ld KB\n", what, q.recordCount(), q.fieldCount(), static_cast<long long>(ms),
                    bench::rssKb() - before);
        std::printf("figure %s_open_ms%s %lld ms\n", figure, suffix, static_cast<long long>(ms));
        std::printf("figure %s_memory_kb%s %ld KB\n", figure, suffix, bench::rssKb() - before);
        return std::max<qint64>(ms, 1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
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
    const qint64 pequeno = measure(db, "window's columns, 1 000", "clientes_window", window, "_1k");
    fill(db, small, rows, rows);
    db.execScript(QStringLiteral("ANALYZE"));
    std::printf("filled %d customers in %lld ms\n", rows, static_cast<long long>(t.elapsed()));
    std::printf("figure clientes_rows %d rows\n", rows);

    const qint64 grande = measure(db, "window's columns", "clientes_window", window, "_100k");
    std::printf("figure clientes_open_ratio_100k_to_1k %.1f x\n", double(grande) / double(pequeno));
    QString every = window;
    every.replace(QRegularExpression(QStringLiteral("SELECT\\s+A\\.NMRAZSOCCLIE.*?V\\.NMRAZSOCVEN"),
                                     QRegularExpression::DotMatchesEverythingOption),
                  QStringLiteral("SELECT A.*, V.NMRAZSOCVEN, T.IDTPIJURINFO, T.NRINSJURINFO"));
    measure(db, "every column of CLIENTE", "clientes_every_column", every);
    // The derived table against the same result from CASE expressions.
    QString plain = window;
    plain.replace(QRegularExpression(QStringLiteral("JOIN \\(SELECT.*?\\) T\\s+ON \\(T\\.CDCLIENTE = A\\.CDCLIENTE\\)"),
                                     QRegularExpression::DotMatchesEverythingOption),
                  QStringLiteral("JOIN (SELECT CDCLIENTE, CASE WHEN SUBSTR(CDCLIENTE,1,1) = 'O' THEN SUBSTR(CDCLIENTE,1,1) "
                                 "ELSE IDTPIJURCLIE END AS IDTPIJURINFO, CASE WHEN SUBSTR(CDCLIENTE,1,1) = 'O' THEN "
                                 "SUBSTR(CDCLIENTE,2,5) ELSE NRINSJURCLIE END AS NRINSJURINFO FROM CLIENTE) T "
                                 "ON (T.CDCLIENTE = A.CDCLIENTE)"));
    measure(db, "window's columns, CASE for UNION", "clientes_case_for_union", plain);
    FreeDBGeralPed();
    return 0;
}
