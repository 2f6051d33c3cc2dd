// The reference-data download of a large company over loopback, as a
// salesperson's machine does it: zov-appserver (a child process) serves a
// --scale N company; this process runs the client's real download and apply
// twice, first into an empty database, then again with nothing changed; then
// once more into another empty file with the tables held until the apply, to
// compare the apply with plain prepared inserts of the same rows. Prints rows
// per second, total seconds and the peak memory of the first download.
//
//   bench_download [N ...]      (default: 1 10)
#include "library/local_time.h"
#include "bench/bench_util.h"
#include "session/GeralZOV.h"
#include "db/dbgeralped.h"
#include "db/schema.h"
#include "library/database.h"
#include "transfer/atu_tab.h"
#include "transfer/sessao_servidor.h"
#include "transfer/dtm_atu_tab.h"
#include "protocol/protocol_slots.h"
#include "transfer/tabelas.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace zov;

namespace {

struct Run {
    double download = 0, apply = 0, plain = 0;
    double clientCpu = 0, serverCpu = 0; // client: download and apply; server: the download
    long rows = 0;
};

// The same rows as plain prepared inserts into empty tables of a fresh file,
// one transaction per table: what the apply is compared with.
double plainInserts(const QString& path)
{
    Database db(path, Database::Mode::CreateIfMissing);
    db.execScript(QString::fromUtf8(schemaSql()));
    db.setFullDurability(false);
    QElapsedTimer t;
    t.start();
    for (const LoaderInfo& l : loaderTable()) {
        const ReceivedTable& rows = dtmAtuTab()->dataset(QString::fromLatin1(l.rowsDataset));
        if (rows.rowCount() == 0)
            continue;
        QStringList local;
        Statement cols(db, QStringLiteral("SELECT name FROM pragma_table_info(:T)"));
        cols.bind(QStringLiteral("T"), QString::fromLatin1(l.table));
        while (cols.step())
            local << cols.value(0, FieldKind::Text).toString();
        QStringList names, marks;
        std::vector<int> paramOf(std::size_t(rows.columnCount()), -1);
        for (int c = 0; c < rows.columnCount(); ++c)
            if (local.contains(rows.column(c).name, Qt::CaseInsensitive)) {
                paramOf[std::size_t(c)] = int(names.size());
                names << rows.column(c).name;
                marks << QStringLiteral("?");
            }
        db.transaction([&] {
            Statement st(db, QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)")
                                 .arg(QString::fromLatin1(l.table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            for (int r = 0; r < rows.rowCount(); ++r) {
                st.clearBindings();
                for (const ReceivedTable::Cell& cell : rows.cells(r))
                    if (paramOf[std::size_t(cell.column)] >= 0)
                        st.bindExact(paramOf[std::size_t(cell.column)] + 1, cell.value);
                st.exec();
            }
        });
    }
    return t.nsecsElapsed() / 1e9;
}

Run download(qint64 serverPid, const QString& plainPath = {})
{
    Run r;
    CriaDataModulo();
    // The comparison with plain inserts needs the tables held until the apply.
    dtmAtuTab()->writeWhileReceiving = plainPath.isEmpty();
    QElapsedTimer t;
    const double client0 = bench::ownCpuSeconds(), server0 = bench::processCpuSeconds(serverPid);
    t.start();
    if (!CriaBaixaDados()) {
        std::fprintf(stderr, "download failed: %s\n", qUtf8Printable(lastTransferError()));
        std::exit(1);
    }
    r.download = t.nsecsElapsed() / 1e9;
    r.serverCpu = bench::processCpuSeconds(serverPid) - server0;
    r.rows = dtmAtuTab()->rowsReceived();
    if (!plainPath.isEmpty())
        r.plain = plainInserts(plainPath);
    t.restart();
    if (!ChamaExportaDados()) {
        std::fprintf(stderr, "apply failed: %s\n", qUtf8Printable(lastTransferError()));
        std::exit(1);
    }
    r.apply = t.nsecsElapsed() / 1e9;
    r.clientCpu = bench::ownCpuSeconds() - client0 - r.plain;
    return r;
}

void report(const char* what, const Run& r)
{
    // Written while received, the apply has nothing left: rows/s of the whole.
    const double writing = r.apply > 0.05 ? r.apply : r.download + r.apply;
    std::printf("  %-6s rows %8ld | download %6.2f s | apply %6.2f s (%8.0f rows/s) | total %6.2f s | peak RSS %ld MB\n", what,
                r.rows, r.download, r.apply, writing > 0 ? r.rows / writing : 0.0, r.download + r.apply, bench::peakRssMb());
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    std::vector<int> scales;
    for (int i = 1; i < argc; ++i)
        scales.push_back(std::atoi(argv[i]));
    if (scales.empty())
        scales = {1, 10};
    const QString server = QStringLiteral(ZOV_APPSERVER);

    for (int n : scales) {
        QTemporaryDir dir;
        const QString serverDb = dir.filePath(QStringLiteral("servidor.db"));
        QElapsedTimer t;
        t.start();
        if (QProcess::execute(server, {QStringLiteral("init"), QStringLiteral("--db"), serverDb, QStringLiteral("--scale"),
                                       QString::number(n)})
            != 0) {
            std::fprintf(stderr, "zov-appserver init failed\n");
            return 1;
        }
        std::printf("N = %d (init %.1f s)\n", n, t.nsecsElapsed() / 1e9);

        QProcess serve;
        const int port = bench::startServer(serve, server, serverDb);
        if (port == 0)
            return 1;
        SetIPAcesso(QStringLiteral("127.0.0.1"));
        SetPorta(port);
        SetFilial(QStringLiteral("0001"));
        DefineCredenciaisServidor(QStringLiteral("0001"), QStringLiteral("000000000001"), QStringLiteral("ana123")); // the demo's Ana
        SetDatabasePath(dir.filePath(QStringLiteral("cliente.sqlite")));
        DataBaseGeralPed();

        // As the program runs: each table written while the next ones arrive.
        const Run first = download(serve.processId());
        report("first", first);
        std::printf("  CPU: client %.2f s, server %.2f s (tables written while receiving)\n", first.clientCpu, first.serverCpu);
        const long peak = bench::peakRssMb();
        const Run delta = download(serve.processId());
        report("delta", delta);
        FreeDBGeralPed();

        // The same download into another empty file, its tables held until
        // the apply, to compare the apply with plain inserts of the same rows.
        SetDatabasePath(dir.filePath(QStringLiteral("cliente-retido.sqlite")));
        DataBaseGeralPed();
        const Run held = download(serve.processId(), dir.filePath(QStringLiteral("plain.sqlite")));
        report("held", held);
        std::printf("  CPU: client %.2f s, server %.2f s (tables held until the apply)\n", held.clientCpu, held.serverCpu);
        std::printf("  apply / plain prepared inserts of the same rows: %.2f (plain %.2f s)\n", held.apply / held.plain, held.plain);
        FreeDBGeralPed();

        std::printf("figure download_first_total_n%d_s %.2f s\n", n, first.download + first.apply);
        std::printf("figure download_first_download_n%d_s %.2f s\n", n, first.download);
        std::printf("figure download_first_apply_n%d_s %.2f s\n", n, first.apply);
        std::printf("figure download_held_total_n%d_s %.2f s\n", n, held.download + held.apply);
        std::printf("figure download_apply_to_plain_ratio_n%d %.2f ratio\n", n, held.apply / held.plain);
        std::printf("figure download_delta_total_n%d_s %.2f s\n", n, delta.download + delta.apply);
        std::printf("figure download_peak_rss_n%d_mb %ld MB\n", n, peak);

        serve.terminate();
        serve.waitForFinished(5000);
    }
    return 0;
}
