// The order export of a salesperson's machine holding a large company's
// customers: zov-appserver (a child process) serves a --scale N company
// (100 000 customers at N = 10); the client sends 10 orders of 5 items, with
// every active customer and its addresses, as every export does. Prints the
// export's seconds, the request as sent (compressed), the peak memory, the
// longest time the calling thread went without its event loop, and how eight
// such exports sent at once fare (the end of a day of eight salespeople).
//
//   bench_export [N] [--sem-instalacao]   (default: 10; the flag sends the
//                                          request of a client before the
//                                          installation identity)
#include "bench/bench_util.h"
#include "db/dbgeralped.h"
#include "library/local_time.h"
#include "session/GeralZOV.h"
#include "transfer/atu_tab.h"
#include "transfer/exporta.h"
#include "transfer/netconnection.h"
#include "transfer/sessao_servidor.h"

#include "protocol/protocol.h"
#include "protocol/protocol_gzip.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <httplib.h>
#include <thread>

using namespace zov;

namespace {

const char* const kTables[] = {"CLIENTE", "ENDECLIE", "PRODUTO"};

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const int scale = bench::scaleArg(argc, argv);
    QTemporaryDir dir;
    const QString clientPath = dir.filePath(QStringLiteral("cliente.sqlite"));
    const QString server = QStringLiteral(ZOV_APPSERVER);
    {
        auto made = bench::clientWithScaleCompany(dir, server, scale, kTables);
        if (!made)
            return 1;
    }
    QProcess serve;
    const int port = bench::startServer(serve, server, dir.filePath(QStringLiteral("servidor.db")));
    if (port == 0)
        return 1;
    SetIPAcesso(QStringLiteral("127.0.0.1"));
    SetPorta(port);
    SetFilial(QStringLiteral("0001"));
    DefineCredenciaisServidor(QStringLiteral("0001"), QStringLiteral("000000000001"), QStringLiteral("ana123")); // the demo's Ana
    SetDatabasePath(clientPath);
    Database& db = DataBaseGeralPed();

    const QStringList clientes =
        bench::column(db, QStringLiteral("SELECT CDCLIENTE FROM CLIENTE WHERE IDCLIEATIV = 'S' ORDER BY CDCLIENTE LIMIT 10"));
    const QStringList produtos = bench::column(
        db, QStringLiteral("SELECT CDPRODUTO FROM PRODUTO WHERE IDPRODATIVPR = 'S' AND CDPRODESTO IS NOT NULL ORDER BY CDPRODUTO LIMIT 5"));
    if (clientes.size() < 10 || produtos.size() < 5) {
        std::fprintf(stderr, "the company has too few active customers or products\n");
        return 1;
    }
    db.transaction([&] {
        for (int p = 0; p < 10; ++p) {
            const QString nr = QStringLiteral("%1").arg(p + 1, 10, 10, QLatin1Char('0'));
            db.exec(QStringLiteral(
                        "INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, IDSITPEDIDO, CDCLIENTE, DTPEDIDO) VALUES ('0001', :N, '1', :C, :D)"),
                    {{QStringLiteral("N"), nr},
                     {QStringLiteral("C"), clientes[p]},
                     {QStringLiteral("D"), QStringLiteral("2026-12-01 10:00:00")}});
            for (int i = 0; i < 5; ++i)
                db.exec(QStringLiteral(
                            "INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED, IDSITITEMPED, CDPRODUTO, QTITEMPED, VRPREUNITPED) "
                            "VALUES ('0001', :N, :I, '1', :P, 2, 10.5)"),
                        {{QStringLiteral("N"), nr},
                         {QStringLiteral("I"), QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0'))},
                         {QStringLiteral("P"), produtos[i]}});
            db.exec(QStringLiteral("INSERT INTO OBSPEDIDO (CDFILIAL, NRPEDIDO, TXOBSPED) VALUES ('0001', :N, :T)"),
                    {{QStringLiteral("N"), nr}, {QStringLiteral("T"), QByteArray("{\\rtf1\\ansi entregar de manh\\'e3}")}});
            SetPedidosExportados(nr, QStringLiteral("S"));
        }
    });
    const int ativos = db.scalar(QStringLiteral("SELECT count(*) FROM CLIENTE WHERE IDCLIEATIV = 'S'")).toInt();
    const int enderecos =
        db.scalar(QStringLiteral("SELECT count(*) FROM ENDECLIE E JOIN CLIENTE C ON C.CDCLIENTE = E.CDCLIENTE WHERE C.IDCLIEATIV = 'S'"))
            .toInt();
    std::printf("N = %d: 10 orders of 5 items, %d active customers, %d of their addresses\n", scale, ativos, enderecos);

    const bool semInstalacao = argc > 2 && std::strcmp(argv[2], "--sem-instalacao") == 0;
    // The same request eight machines would send: the orders and every active
    // customer, read before any of it goes.
    RemoteArgs base;
    {
        Statement pedidos(db, QStringLiteral("SELECT * FROM PEDIDO ORDER BY NRPEDIDO"));
        Statement itens(db, QStringLiteral("SELECT * FROM ITEMPEDIDO ORDER BY NRPEDIDO, NRITEMPED"));
        Statement obs(db, QStringLiteral("SELECT * FROM OBSPEDIDO ORDER BY NRPEDIDO"));
        Statement clientesSt(db, QStringLiteral("SELECT * FROM CLIENTE WHERE IDCLIEATIV = 'S' ORDER BY CDCLIENTE"));
        Statement enderecosSt(
            db, QStringLiteral("SELECT E.* FROM ENDECLIE E JOIN CLIENTE C ON C.CDCLIENTE = E.CDCLIENTE WHERE C.IDCLIEATIV = 'S'"));
        base.add(pedidos, QStringLiteral("PEDIDO")).add(itens, QStringLiteral("ITEMPEDIDO")).add(obs, QStringLiteral("OBSPEDIDO"));
        base.add(clientesSt, QStringLiteral("CLIENTE")).add(enderecosSt, QStringLiteral("ENDECLIE")).add(QStringLiteral("0001"));
    }

    // The calling thread's longest time away from its event loop: a 1 ms timer's longest gap.
    qint64 blockedMs = 0;
    QElapsedTimer gap;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] { blockedMs = std::max(blockedMs, gap.restart()); });
    tick.start();
    QCoreApplication::processEvents();
    gap.start();

    QElapsedTimer t;
    t.start();
    const double client0 = bench::ownCpuSeconds(), server0 = bench::processCpuSeconds(serve.processId());
    const bool ok = CriaExportaPedidos();
    const double seconds = t.nsecsElapsed() / 1e9;
    blockedMs = std::max(blockedMs, gap.elapsed());
    tick.stop();
    std::printf("  CPU: client %.2f s, server %.2f s\n", bench::ownCpuSeconds() - client0,
                bench::processCpuSeconds(serve.processId()) - server0);
    if (!ok) {
        std::fprintf(stderr, "export failed: %s\n", qUtf8Printable(lastTransferError()));
        return 1;
    }
    const ResultadoExportacao& r = UltimaExportacao();
    std::printf("  sent %lld, taken %lld, refused %lld\n", qlonglong(r.enviados.size()), qlonglong(r.aceitos.size()),
                qlonglong(r.recusados.size()));
    std::printf("figure export_10_orders_s %.2f s\n", seconds);
    std::printf("figure export_request_mb %.1f MB\n", LastRequestBodyBytes() / 1e6);
    std::printf("figure export_peak_rss_mb %ld MB\n", bench::peakRssMb());
    std::printf("figure export_gui_blocked_ms %lld ms\n", qlonglong(blockedMs));

    // Eight machines export at once, each its own request (its own user and installation).
    std::vector<std::string> bodies;
    for (int m = 0; m < 8; ++m) {
        RemoteArgs args = base;
        args.add(QStringLiteral("bench-%1").arg(m));
        if (!semInstalacao)
            args.add(QUuid::createUuid().toString(QUuid::WithoutBraces));
        bodies.push_back(gzipCompress({std::string_view(args.body())}));
    }
    {
        TNetConnection login(QStringLiteral("PAD.rdmImpPedidos"));
        login.abreSessao();
    }
    const std::string token = TokenServidor();
    const double serverBefore = bench::processCpuSeconds(serve.processId());
    QElapsedTimer wall;
    wall.start();
    std::atomic<int> taken{0};
    std::vector<double> took(8, 0);
    std::vector<std::string> failures(8);
    std::vector<std::thread> machines;
    for (int m = 0; m < 8; ++m)
        machines.emplace_back([&, m] {
            const auto began = std::chrono::steady_clock::now();
            httplib::Client c("127.0.0.1", port);
            c.set_bearer_token_auth(token);
            c.set_read_timeout(300, 0);
            c.set_write_timeout(300, 0);
            const auto res =
                c.Post("/PAD.rdmImpPedidos/SetPedidos", {{"Content-Encoding", "gzip"}}, bodies[std::size_t(m)], "application/json");
            took[std::size_t(m)] = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
            if (res && res->status == 200)
                ++taken;
            else
                failures[std::size_t(m)] =
                    res ? std::to_string(res->status) + " " + res->body.substr(0, 200) : httplib::to_string(res.error());
        });
    for (std::thread& th : machines)
        th.join();
    std::printf("  eight at once: %.1f s, server CPU %.1f s\n", wall.nsecsElapsed() / 1e9,
                bench::processCpuSeconds(serve.processId()) - serverBefore);
    for (const std::string& f : failures)
        if (!f.empty())
            std::printf("  a machine failed: %s\n", f.c_str());
    std::sort(took.begin(), took.end());
    for (double s : took)
        std::printf("  a machine's export: %.2f s\n", s);
    std::printf("figure export_concurrent_8_ok %d\n", int(taken));
    std::printf("figure export_concurrent_8_p95_s %.2f s\n", took[std::size_t(std::ceil(0.95 * 8)) - 1]);
    FreeDBGeralPed();
    serve.terminate();
    serve.waitForFinished(5000);
    return r.aceitos.size() == 10 ? 0 : 1;
}
