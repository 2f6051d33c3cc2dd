// The reference-data download of a large company over loopback, as a
// salesperson's machine does it: zov-appserver (a child process) serves a
// --scale N company; this process runs the client's real download and apply
// twice, first into an empty database, then again with nothing changed.
// Prints rows per second of the apply step, total seconds and peak memory.
//
//   bench_download [N ...]      (default: 1 10)
#include "app/GeralZOV.h"
#include "db/dbgeralped.h"
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
    double download = 0, apply = 0;
    long rows = 0;
};

Run download()
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

        report("first", download());
        report("delta", download());

        FreeDBGeralPed();
        serve.terminate();
        serve.waitForFinished(5000);
    }
    return 0;
}
