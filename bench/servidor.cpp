// The end of a day on zov-appserver: a scale-N company, 50 laptops exporting
// 20 orders each and 40 laptops making their first download, all at once,
// against one server process and (on PostgreSQL) against two on the same
// database, the clients shared between them. Each client connects from its
// own loopback address, as laptops come from their own, so the server's cap
// per address does not turn them away.
//
//   bench_servidor sqlite N
//   pg_virtualenv bench_servidor postgres N   (libpq's PG* variables name the
//                                             cluster; the SQLite run is made
//                                             too, for the ratio)
#include "bench/bench_util.h"
#include "library/local_time.h"
#include "protocol/protocol.h"
#include "server/pg_connection.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <httplib.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <thread>

using namespace zov;

namespace {

constexpr int kExports = 50, kOrders = 20, kDownloads = 40;

struct Load {
    int exportsOk = 0, downloadsOk = 0;
    double exportP50 = 0, exportP95 = 0, downloadP95 = 0;
    long peakRssKb = 0;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

long peakRssKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// A laptop's export: 20 orders of 3 items, from its own installation.
std::string exportBody(int laptop)
{
    Packet orders({{"CDFILIAL", ColumnType::Text},
                   {"NRPEDIDO", ColumnType::Text},
                   {"IDSITPEDIDO", ColumnType::Text},
                   {"CDCLIENTE", ColumnType::Text},
                   {"DTPEDIDO", ColumnType::DateTime}});
    Packet items({{"CDFILIAL", ColumnType::Text},
                  {"NRPEDIDO", ColumnType::Text},
                  {"NRITEMPED", ColumnType::Text},
                  {"CDPRODUTO", ColumnType::Text},
                  {"QTITEMPED", ColumnType::Number},
                  {"VRPREUNITPED", ColumnType::Number}});
    Packet notes({{"CDFILIAL", ColumnType::Text}, {"NRPEDIDO", ColumnType::Text}, {"TXOBSPED", ColumnType::Bytes}});
    Packet none({{"CDCLIENTE", ColumnType::Text}});
    const char* customers[] = {"F52998224725", "J11222333000181", "F12345678909"};
    const char* products[] = {"0000000101", "0000000102", "0000000201"};
    for (int o = 0; o < kOrders; ++o) {
        const QString nr = QStringLiteral("%1").arg(laptop * 100 + o + 1, 10, 10, QLatin1Char('0'));
        orders.addRow({"0001", nr, "1", customers[o % 3], QDateTime(QDate(2026, 12, 9), QTime(17, 0))});
        for (int i = 0; i < 3; ++i)
            items.addRow({"0001", nr, QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0')), products[i], 2.0 + i, 10.5});
        notes.addRow({"0001", nr, QByteArray("{\\rtf1\\ansi entregar de manh\\'e3}")});
    }
    RemoteArgs args;
    args.add(orders)
        .add(items)
        .add(notes)
        .add(none)
        .add(none)
        .add(QStringLiteral("0001"))
        .add(QStringLiteral("vendedor%1").arg(laptop))
        .add(QStringLiteral("bench-%1").arg(laptop));
    return args.body();
}

std::string downloadBody()
{
    QVariantList none;
    for (int i = 0; i < 24; ++i)
        none << QVariant();
    return RemoteArgs().add(QStringLiteral("0001")).add(none).add(none).body();
}

// A client of its own loopback address (127.0.0.2 on), reading replies without keeping them.
httplib::Client client(int port, int who)
{
    httplib::Client c("127.0.0.1", port);
    c.set_connection_timeout(60, 0);
    c.set_read_timeout(600, 0);
    c.set_write_timeout(600, 0);
    c.set_socket_options([who](socket_t sock) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl(0x7F000002u + std::uint32_t(who % 200));
        ::bind(sock, reinterpret_cast<sockaddr*>(&from), sizeof from);
    });
    return c;
}

Load runLoad(const std::vector<int>& ports, const std::vector<qint64>& pids)
{
    auto login = client(ports[0], 0)
                     .Post("/sessao", nlohmann::json{{"filial", "1"}, {"operador", "1"}, {"senha", "ana123"}}.dump(), "application/json");
    if (!login || login->status != 200) {
        std::fprintf(stderr, "login failed\n");
        return {};
    }
    const std::string token = nlohmann::json::parse(login->body)["token"].get<std::string>();
    std::vector<std::string> exports;
    for (int k = 0; k < kExports; ++k)
        exports.push_back(exportBody(k));
    const std::string download = downloadBody();

    std::vector<double> exportSeconds, downloadSeconds;
    std::mutex m;
    std::atomic<int> exportsOk{0}, downloadsOk{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> pool;
    for (int k = 0; k < kExports + kDownloads; ++k) {
        pool.emplace_back([&, k] {
            const bool isExport = k < kExports;
            httplib::Client c = client(ports[std::size_t(k) % ports.size()], k + 1);
            c.set_bearer_token_auth(token);
            while (!go)
                std::this_thread::yield();
            const auto t0 = std::chrono::steady_clock::now();
            bool ok = false;
            if (isExport) {
                auto r = c.Post("/PAD.rdmImpPedidos/SetPedidos", exports[std::size_t(k)], "application/json");
                ok = r && r->status == 200;
                if (!ok)
                    std::fprintf(stderr, "export %d: %s\n", k, r ? r->body.substr(0, 200).c_str() : httplib::to_string(r.error()).c_str());
            } else {
                std::size_t bytes = 0;
                httplib::Request req;
                req.method = "POST";
                req.path = "/PAD.rdmExpDados/getTabelas";
                req.body = download;
                req.set_header("Content-Type", "application/json");
                req.content_receiver = [&](const char*, std::size_t n, std::uint64_t, std::uint64_t) {
                    bytes += n;
                    return true;
                };
                httplib::Response res;
                httplib::Error error = httplib::Error::Success;
                ok = c.send(req, res, error) && res.status == 200 && bytes > 1000;
                if (!ok)
                    std::fprintf(stderr, "download %d: %d %s\n", k, res.status, httplib::to_string(error).c_str());
            }
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            std::lock_guard<std::mutex> lock(m);
            (isExport ? exportSeconds : downloadSeconds).push_back(s);
            (isExport ? exportsOk : downloadsOk) += ok ? 1 : 0;
        });
    }
    go = true;
    for (std::thread& t : pool)
        t.join();
    Load l;
    l.exportsOk = exportsOk;
    l.downloadsOk = downloadsOk;
    l.exportP50 = percentile(exportSeconds, 0.5);
    l.exportP95 = percentile(exportSeconds, 0.95);
    l.downloadP95 = percentile(downloadSeconds, 0.95);
    for (qint64 pid : pids)
        l.peakRssKb = std::max(l.peakRssKb, peakRssKb(pid));
    return l;
}

bool initCompany(const QString& target, int scale)
{
    QProcess init;
    init.start(QStringLiteral(ZOV_APPSERVER),
               {QStringLiteral("init"), QStringLiteral("--db"), target, QStringLiteral("--scale"), QString::number(scale),
                QStringLiteral("--force")});
    init.waitForFinished(-1);
    if (init.exitCode() != 0)
        std::fprintf(stderr, "init failed: %s\n", init.readAllStandardError().constData());
    return init.exitCode() == 0;
}

Load measure(const char* name, const QString& target, int processes)
{
    std::vector<std::unique_ptr<QProcess>> servers;
    std::vector<int> ports;
    std::vector<qint64> pids;
    for (int i = 0; i < processes; ++i) {
        servers.push_back(std::make_unique<QProcess>());
        ports.push_back(bench::startServer(*servers.back(), QStringLiteral(ZOV_APPSERVER), target));
        pids.push_back(servers.back()->processId());
        if (ports.back() == 0)
            return {};
    }
    const Load l = runLoad(ports, pids);
    for (auto& s : servers) {
        s->terminate();
        s->waitForFinished(30000);
    }
    std::printf("figure %s_exports_succeeded %d of_%d\n", name, l.exportsOk, kExports);
    std::printf("figure %s_export_p50_s %.2f s\n", name, l.exportP50);
    std::printf("figure %s_export_p95_s %.2f s\n", name, l.exportP95);
    std::printf("figure %s_downloads_succeeded %d of_%d\n", name, l.downloadsOk, kDownloads);
    std::printf("figure %s_download_p95_s %.2f s\n", name, l.downloadP95);
    std::printf("figure %s_server_peak_rss_kb %ld KB\n", name, l.peakRssKb);
    std::fflush(stdout);
    return l;
}

} // namespace

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    QCoreApplication app(argc, argv);
    const bool postgres = argc > 1 && std::strcmp(argv[1], "postgres") == 0;
    if (argc < 2 || (!postgres && std::strcmp(argv[1], "sqlite") != 0)) {
        std::fprintf(stderr, "uso: bench_servidor sqlite|postgres [N]\n");
        return 2;
    }
    const int scale = bench::scaleArg(argc - 1, argv + 1);
    std::printf("scale %d: %d exports of %d orders and %d first downloads at once\n", scale, kExports, kOrders, kDownloads);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("servidor.db"));
    if (!initCompany(file, scale))
        return 1;
    const Load sqlite = measure("sqlite_1proc", file, 1);
    if (!postgres)
        return 0;

    const QString name = QStringLiteral("zovbench_%1").arg(QCoreApplication::applicationPid());
    const QString uri = QStringLiteral("postgresql:///%1").arg(name);
    try {
        server::connectPostgres(QStringLiteral("postgresql://"))->execScript(QStringLiteral("CREATE DATABASE %1").arg(name));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    int rc = 1;
    if (initCompany(uri, scale)) {
        const Load one = measure("postgres_1proc", uri, 1);
        const Load two = measure("postgres_2proc", uri, 2);
        if (sqlite.exportP95 > 0 && sqlite.downloadP95 > 0) {
            std::printf("figure postgres_to_sqlite_export_p95_ratio %.2f x\n", one.exportP95 / sqlite.exportP95);
            std::printf("figure postgres_to_sqlite_download_p95_ratio %.2f x\n", one.downloadP95 / sqlite.downloadP95);
            std::printf("figure postgres_2proc_to_sqlite_download_p95_ratio %.2f x\n", two.downloadP95 / sqlite.downloadP95);
        }
        rc = 0;
    }
    server::connectPostgres(QStringLiteral("postgresql://"))
        ->execScript(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    return rc;
}
