// Opens the customer window's list over a large registry (every column of
// CLIENTE filled) and prints the time and the memory it takes, for the
// columns the window reads and for every column of the table.
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

long rssKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * 4 : 0;
}

void fill(Database& db, int rows)
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
        for (int i = 0; i < rows; ++i) {
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

// figure: the name of the figure lines of this measure.
void measure(Database& db, const char* what, const char* figure, const QString& sql)
{
    const long before = rssKb();
    QElapsedTimer t;
    t.start();
    {
        Query q(&db, QStringLiteral("qryClientes"));
        q.setSql(sql);
        q.open();
        const qint64 ms = t.elapsed();
        std::printf("%-34s %7d rows  %3d columns  %6lld ms  %8ld KB\n", what, q.recordCount(), q.fieldCount(), static_cast<long long>(ms),
                    rssKb() - before);
        std::printf("figure %s_open_ms %lld ms\n", figure, static_cast<long long>(ms));
        std::printf("figure %s_memory_kb %ld KB\n", figure, rssKb() - before);
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
    QElapsedTimer t;
    t.start();
    fill(db, rows);
    std::printf("filled %d customers in %lld ms\n", rows, static_cast<long long>(t.elapsed()));
    std::printf("figure clientes_rows %d rows\n", rows);

    const QString window = CadastroCliente::sqlClientes();
    measure(db, "window's columns", "clientes_window", window);
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
