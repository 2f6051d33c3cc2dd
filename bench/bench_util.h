#pragma once
// What the benchmarks share: a `zov-appserver init --scale N` company made in
// a temporary folder, its tables copied into a client database, and the
// median of a few timed runs.
#include "db/schema.h"
#include "library/database.h"
#include "library/dataset.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace zov::bench {

// The process's resident memory now, in KB.
inline long rssKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

// The columns both files have, so the copy survives schema differences.
inline void copyTable(Database& db, const QString& table)
{
    QStringList cols;
    Statement st(db, QStringLiteral("SELECT l.name FROM pragma_table_info(:T) l JOIN srv.pragma_table_info(:T) s ON s.name = l.name"));
    st.bind(QStringLiteral("T"), table);
    while (st.step())
        cols << st.value(0, FieldKind::Text).toString();
    const QString list = cols.join(QLatin1Char(','));
    db.execScript(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM srv.%1").arg(table, list));
}

// The scale of the command line (default 10).
inline int scaleArg(int argc, char** argv) { return argc > 1 ? std::max(1, std::atoi(argv[1])) : 10; }

// A client database in dir with the schema and the listed tables of the
// server's company of scale N (made by appServer in dir). Null on failure.
template <size_t K>
std::unique_ptr<Database> clientWithScaleCompany(const QTemporaryDir& dir, const QString& appServer, int scale,
                                                 const char* const (&tables)[K])
{
    const QString serverDb = dir.filePath(QStringLiteral("servidor.db"));
    if (QProcess::execute(appServer,
                          {QStringLiteral("init"), QStringLiteral("--db"), serverDb, QStringLiteral("--scale"), QString::number(scale)})
        != 0) {
        std::fprintf(stderr, "zov-appserver init failed\n");
        return nullptr;
    }
    auto db = std::make_unique<Database>(dir.filePath(QStringLiteral("cliente.sqlite")), Database::Mode::CreateIfMissing);
    db->execScript(QString::fromUtf8(schemaSql()));
    db->exec(QStringLiteral("ATTACH DATABASE :F AS srv"), {{QStringLiteral("F"), serverDb}});
    db->transaction([&] {
        for (const char* table : tables)
            copyTable(*db, QLatin1String(table));
    });
    db->execScript(QStringLiteral("DETACH DATABASE srv"));
    return db;
}

inline QStringList column(Database& db, const QString& sql)
{
    QStringList out;
    Statement st(db, sql);
    while (st.step())
        out << st.value(0, FieldKind::Text).toString();
    return out;
}

// Median of a few runs, in milliseconds.
template <typename F>
double medianMs(int runs, F&& run)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// CPU seconds (user + system) of this process, all threads.
inline double ownCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of another process, from /proc (Linux).
inline double processCpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    // Fields after the command name, which is in parentheses.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

inline long peakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// Starts `zov-appserver serve` on a free port of 127.0.0.1 over serverDb and
// answers the port, or 0 when it did not start.
inline int startServer(QProcess& serve, const QString& appServer, const QString& serverDb)
{
    serve.start(appServer, {QStringLiteral("serve"), QStringLiteral("--db"), serverDb, QStringLiteral("--port"), QStringLiteral("0")});
    serve.setStandardErrorFile(QProcess::nullDevice());
    if (!serve.waitForReadyRead(10000)) {
        std::fprintf(stderr, "zov-appserver serve did not start\n");
        return 0;
    }
    const QString line = QString::fromUtf8(serve.readLine()).trimmed(); // "listening 127.0.0.1:PORT"
    return line.section(QLatin1Char(':'), -1).toInt();
}

} // namespace zov::bench
