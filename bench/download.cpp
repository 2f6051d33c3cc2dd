// The reference-data download of a large company over loopback, as a
// salesperson's machine does it: zov-appserver (a child process) serves a
// --scale N company; this process runs the client's real download and apply
// twice, first into an empty database, then again with nothing changed; then
// once more into another empty file with the tables held until the apply, to
// compare the apply with plain prepared inserts of the same rows; then a first
// download through a link that drops it after 60 % of the bytes a whole one
// takes, and the download that resumes it. Prints rows per second, total
// seconds, the peak memory of the first download and the resumed bytes.
//
//   bench_download [N ...]      (default: 1 10)
#include "bench/bench_util.h"
#include "db/dbgeralped.h"
#include "db/schema.h"
#include "library/database.h"
#include "library/local_time.h"
#include "protocol/protocol_slots.h"
#include "session/GeralZOV.h"
#include "transfer/acompanhamento.h"
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/sessao_servidor.h"
#include "transfer/tabelas.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
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
            Statement st(db,
                         QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)")
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

// A link on 127.0.0.1 that passes bytes both ways to the server, counts what
// comes back, and drops a connection once `limit` bytes came back on it.
class Link {
public:
    explicit Link(int serverPort) : serverPort_(serverPort)
    {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listen_, 16);
        socklen_t len = sizeof a;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        accepter_ = std::thread([this] { accept(); });
    }
    ~Link()
    {
        stop_ = true;
        ::shutdown(listen_, SHUT_RDWR);
        ::close(listen_);
        accepter_.join();
        for (std::thread& t : pumps_)
            t.join();
    }
    int port() const { return port_; }
    std::atomic<long long> received{0};
    std::atomic<long long> limit{-1};

private:
    void accept()
    {
        for (;;) {
            const int c = ::accept(listen_, nullptr, nullptr);
            if (c < 0 || stop_)
                return;
            pumps_.emplace_back([this, c] { pump(c); });
        }
    }
    void pump(int client)
    {
        const int server = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(uint16_t(serverPort_));
        if (::connect(server, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(client);
            ::close(server);
            return;
        }
        long long back = 0;
        char buf[65536];
        pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        while (::poll(fds, 2, 1000) >= 0 && !stop_) {
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = ::recv(client, buf, sizeof buf, 0);
                if (n <= 0 || ::send(server, buf, std::size_t(n), MSG_NOSIGNAL) != n)
                    break;
            }
            if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
                ssize_t n = ::recv(server, buf, sizeof buf, 0);
                if (n <= 0)
                    break;
                const long long cap = limit;
                if (cap >= 0 && back + n > cap)
                    n = ssize_t(std::max(0LL, cap - back));
                if (n > 0 && ::send(client, buf, std::size_t(n), MSG_NOSIGNAL) != n)
                    break;
                back += n;
                received += n;
                if (cap >= 0 && back >= cap)
                    break; // the link drops here
            }
        }
        ::close(client);
        ::close(server);
    }
    int serverPort_, listen_ = -1, port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread accepter_;
    std::vector<std::thread> pumps_;
};

void report(const char* what, const Run& r)
{
    // Written while received, the apply has nothing left: rows/s of the whole.
    const double writing = r.apply > 0.05 ? r.apply : r.download + r.apply;
    std::printf("  %-6s rows %8ld | download %6.2f s | apply %6.2f s (%8.0f rows/s) | total %6.2f s | peak RSS %ld MB\n", what, r.rows,
                r.download, r.apply, writing > 0 ? r.rows / writing : 0.0, r.download + r.apply, bench::peakRssMb());
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
        if (QProcess::execute(server,
                              {QStringLiteral("init"), QStringLiteral("--db"), serverDb, QStringLiteral("--scale"), QString::number(n)})
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

        // Through a link that drops the first download after 60 % of the
        // bytes a whole one takes; the next download resumes it.
        {
            Link link(port);
            SetPorta(link.port());
            SetDatabasePath(dir.filePath(QStringLiteral("cliente-link.sqlite")));
            DataBaseGeralPed();
            download(serve.processId());
            const long long whole = link.received;
            FreeDBGeralPed();
            SetDatabasePath(dir.filePath(QStringLiteral("cliente-cortado.sqlite")));
            DataBaseGeralPed();
            link.received = 0;
            link.limit = whole * 6 / 10;
            CriaDataModulo();
            const bool cutOk = CriaBaixaDados();
            std::printf("  cut at %lld of %lld bytes: %s\n", link.received.load(), whole,
                        cutOk ? "not cut?" : qUtf8Printable(lastTransferError().replace(QLatin1Char('\n'), QLatin1Char(' '))));
            DestroiDataModulo();
            link.limit = -1;
            link.received = 0;
            const Run resumed = download(serve.processId());
            report("resume", resumed);
            std::printf("figure download_resume_bytes_ratio %.3f ratio\n", double(link.received) / double(whole));
            FreeDBGeralPed();
            SetPorta(port);
        }

        // 2 000 orders of this installation with their company's situations:
        // the refresh that brings them, then one with nothing new.
        double situacoes = 0, situacoesDelta = 0;
        {
            SetDatabasePath(dir.filePath(QStringLiteral("cliente.sqlite")));
            DataBaseGeralPed();
            {
                Database srv(serverDb, Database::Mode::OpenExisting);
                srv.setBusyTimeout(60000);
                srv.transaction([&] {
                    Statement st(srv,
                                 QStringLiteral("INSERT INTO SITPEDIDOREC (CDFILIAL, NRPEDIDO, IDINSTALACAO, IDSITEMPRESA, NRNOTAFISCAL, "
                                                "VRFATURADO, DTSITUACAO) VALUES ('0001', ?1, ?2, 'F', ?3, 100.5, '2026-12-01 10:00:00')"));
                    for (int i = 1; i <= 2000; ++i) {
                        st.bindAt(1, QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')));
                        st.bindAt(2, IdInstalacao());
                        st.bindAt(3, QString::number(100000 + i));
                        st.exec();
                        st.reset();
                    }
                });
            }
            QElapsedTimer s;
            s.start();
            if (!AtualizaAcompanhamento()) {
                std::fprintf(stderr, "situations failed: %s\n", qUtf8Printable(lastTransferError()));
                return 1;
            }
            situacoes = s.nsecsElapsed() / 1e6;
            const int situacoesGuardadas = DataBaseGeralPed().scalar(QStringLiteral("SELECT count(*) FROM SITPEDIDO")).toInt();
            s.restart();
            AtualizaAcompanhamento();
            situacoesDelta = s.nsecsElapsed() / 1e6;
            std::printf("  situations: %d in %.0f ms, then nothing new in %.0f ms\n", situacoesGuardadas, situacoes, situacoesDelta);
            FreeDBGeralPed();
        }

        std::printf("figure download_first_total_n%d_s %.2f s\n", n, first.download + first.apply);
        std::printf("figure download_first_download_n%d_s %.2f s\n", n, first.download);
        std::printf("figure download_first_apply_n%d_s %.2f s\n", n, first.apply);
        std::printf("figure download_held_total_n%d_s %.2f s\n", n, held.download + held.apply);
        std::printf("figure download_apply_to_plain_ratio_n%d %.2f ratio\n", n, held.apply / held.plain);
        std::printf("figure download_delta_total_n%d_s %.2f s\n", n, delta.download + delta.apply);
        std::printf("figure download_peak_rss_n%d_mb %ld MB\n", n, peak);
        std::printf("figure situations_2000_ms %.0f ms\n", situacoes);
        std::printf("figure situations_delta_ms %.0f ms\n", situacoesDelta);

        serve.terminate();
        serve.waitForFinished(5000);
    }
    return 0;
}
