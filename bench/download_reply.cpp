// A whole-company download over loopback: builds a --scale company, serves
// it in-process, calls getTabelas through the client's connection and decodes
// the reply into memory datasets. Prints where the time goes.
//
//   bench_download_reply [N]     (N x 10 000 products and customers; default 1)
#include "app/GeralZOV.h"
#include "server/app_server.h"
#include "server/demo_company.h"
#include "server/server_database.h"
#include "library/dataset.h"
#include "transfer/netconnection.h"
#include "transfer/protocol_slots.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <thread>

using namespace zov;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 1;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("servidor.db"));
    QElapsedTimer clock;

    clock.start();
    {
        auto db = server::createServerDatabase(path);
        server::fillScaleCompany(*db, n);
        server::finishServerDatabase(*db);
    }
    std::printf("init --scale %d: %lld ms\n", n, clock.elapsed());

    server::AppServer srv(path);
    const int port = srv.bind(QStringLiteral("127.0.0.1"), 0);
    std::thread t([&] { srv.listen(); });
    SetIPAcesso(QStringLiteral("127.0.0.1"));
    SetPorta(port);

    QVariantList lastUpdate, inserted;
    for (int i = 0; i < kSlotCount; ++i) {
        const bool used = i != 11 && i != 23;
        lastUpdate << (used ? QVariant(QDateTime::currentDateTime().addDays(1)) : QVariant());
        inserted << (used ? QVariant(QDateTime(QDate(1985, 1, 1), QTime(12, 0))) : QVariant());
    }
    TNetConnection net(QStringLiteral("PAD.rdmExpDados"));
    clock.restart();
    const RemoteReply reply = net.AppServer(QStringLiteral("getTabelas"),
                                            RemoteArgs().add(QStringLiteral("0001")).add(lastUpdate).add(inserted));
    std::printf("getTabelas call (server builds, gzip, transfer, inflate): %lld ms, body %.1f MB\n", clock.elapsed(),
                double(reply.body.size()) / 1e6);

    std::vector<std::unique_ptr<Query>> datasets;
    DataSetReplyLoader loader;
    for (int i = 0; i < kReplyElementCount; ++i) {
        datasets.push_back(std::make_unique<Query>());
        loader.bind(i, *datasets.back());
    }
    clock.restart();
    CheckResultServ(reply, loader);
    qint64 rows = 0;
    for (const auto& q : datasets)
        rows += q->active() ? q->recordCount() : 0;
    std::printf("decode into datasets: %lld ms, %lld rows\n", clock.elapsed(), rows);

    srv.stop();
    t.join();
    return 0;
}
