// The reference-data download of a large company over loopback, as a
// salesperson's machine does it: zov-appserver (a child process) serves a
// --scale N company; this process runs the client's real download and apply
// twice, first into an empty database, then again with nothing changed.
// Prints rows per second of the apply step, total seconds and peak memory.
//
//   bench_download [N ...]      (default: 1 10)
#include "app/GeralZOV.h"
#include "db/dbgeralped.h"
#include "db/schema.h"
#include "library/database.h"
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/protocol_slots.h"
#include "transfer/tabelas.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace zov;

namespace {

long peakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

struct Run {
    double download = 0, apply = 0, plain = 0;
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

Run download(const QString& plainPath = {})
{
    Run r;
    QElapsedTimer t;
    t.start();
    if (!CriaBaixaDados()) {
        std::fprintf(stderr, "download failed: %s\n", qUtf8Printable(lastTransferError()));
        std::exit(1);
    }
    r.download = t.nsecsElapsed() / 1e9;
    for (const SyncSlot& s : syncSlots())
        r.rows += dtmAtuTab()->dataset(rowsDatasetOf(s)).rowCount();
    r.rows += dtmAtuTab()->dataset(QStringLiteral("cdsParamPedido")).rowCount();
    if (!plainPath.isEmpty())
        r.plain = plainInserts(plainPath);
    t.restart();
    if (!ChamaExportaDados()) {
        std::fprintf(stderr, "apply failed: %s\n", qUtf8Printable(lastTransferError()));
        std::exit(1);
    }
    r.apply = t.nsecsElapsed() / 1e9;
    return r;
}

void report(const char* what, const Run& r)
{
    std::printf("  %-6s rows %8ld | download %6.2f s | apply %6.2f s (%8.0f rows/s) | total %6.2f s | peak RSS %ld MB\n", what,
                r.rows, r.download, r.apply, r.apply > 0 ? r.rows / r.apply : 0.0, r.download + r.apply, peakRssMb());
}

} // namespace

int main(int argc, char** argv)
{
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
        serve.start(server, {QStringLiteral("serve"), QStringLiteral("--db"), serverDb, QStringLiteral("--port"), QStringLiteral("0")});
        serve.setStandardErrorFile(QProcess::nullDevice());
        if (!serve.waitForReadyRead(10000)) {
            std::fprintf(stderr, "zov-appserver serve did not start\n");
            return 1;
        }
        const QString line = QString::fromUtf8(serve.readLine()).trimmed(); // "listening 127.0.0.1:PORT"
        SetIPAcesso(QStringLiteral("127.0.0.1"));
        SetPorta(line.section(QLatin1Char(':'), -1).toInt());
        SetFilial(QStringLiteral("0001"));
        SetDatabasePath(dir.filePath(QStringLiteral("cliente.sqlite")));
        DataBaseGeralPed();

        const Run first = download(dir.filePath(QStringLiteral("plain.sqlite")));
        report("first", first);
        std::printf("  apply / plain prepared inserts of the same rows: %.2f (plain %.2f s)\n", first.apply / first.plain, first.plain);
        const Run delta = download();
        report("delta", delta);
        std::printf("figure download_first_total_n%d_s %.2f s\n", n, first.download + first.apply);
        std::printf("figure download_first_download_n%d_s %.2f s\n", n, first.download);
        std::printf("figure download_first_apply_n%d_s %.2f s\n", n, first.apply);
        std::printf("figure download_apply_to_plain_ratio_n%d %.2f ratio\n", n, first.apply / first.plain);
        std::printf("figure download_delta_total_n%d_s %.2f s\n", n, delta.download + delta.apply);
        std::printf("figure download_peak_rss_n%d_mb %ld MB\n", n, peakRssMb());

        FreeDBGeralPed();
        serve.terminate();
        serve.waitForFinished(5000);
    }
    return 0;
}
