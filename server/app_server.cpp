#include "server/app_server.h"

#include "library/errors.h"
#include "server/http_front.h"
#include "server/remote_methods.h"
#include "server/server_database.h"
#include "transfer/protocol.h"
#include "transfer/protocol_gzip.h"

#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <thread>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdio>
#include <sys/socket.h>
#include <cstdlib>

namespace zov::server {

namespace {

const char* const kJson = "application/json";
const char* const kObjectsBody = R"({"server":"zov-appserver","objects":["PAD.rdmImpPedidos","PAD.rdmExpDados"]})";

using Method = std::string (*)(Database&, const std::vector<WireValue>&);

Method findMethod(const std::string& object, const std::string& method)
{
    if (object == "PAD.rdmExpDados" && method == "getTabelas")
        return &getTabelas;
    if (object == "PAD.rdmImpPedidos" && method == "SetPedidos")
        return &setPedidos;
    return nullptr;
}

void reply(httplib::Response& res, int status, std::string body)
{
    res.status = status;
    res.body = std::move(body);
    res.set_header("Content-Type", kJson);
}

} // namespace

struct AppServer::Impl {
    QString path;
    HttpHandling http; // answers the requests
    HttpFront front{http}; // accepts the connections and admits them
    std::atomic<bool> logging{false};
    std::size_t bodyLimit = kMaxBodyBytes;
    std::atomic<int> listenSocket{-1};
    // listen() and stop() may race (a signal or a test's teardown right after
    // start): a stop asked before the loop runs must still end it.
    std::mutex lifecycle;
    std::condition_variable listenEnded;
    bool stopRequested = false;
    bool listening = false;

    // The body, inflated by httplib when it came gzip-compressed, read within
    // the wire's limit. False when the reply was already set.
    bool readBody(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader, std::string& body)
    {
        QString refused;
        // Told in advance: refused without reading a byte of it.
        const std::string length = req.get_header_value("Content-Length");
        if (!length.empty() && std::strtoull(length.c_str(), nullptr, 10) > bodyLimit) {
            reply(res, 413, errorBody(QStringLiteral("A requisição passa de %1 e foi recusada.").arg(QLatin1String(bodyLimitText()))));
            return false;
        }
        const bool read = reader([&](const char* data, std::size_t size) {
            try {
                appendBounded(body, data, size, bodyLimit, "A requisição");
                return true;
            } catch (const Error& e) {
                refused = e.text();
            } catch (const std::bad_alloc&) {
                refused = QStringLiteral("A requisição não cabe na memória do servidor.");
            }
            std::string().swap(body);
            return false;
        });
        if (!refused.isEmpty()) {
            reply(res, 413, errorBody(refused));
            return false;
        }
        if (!read) {
            const bool packed = !req.get_header_value("Content-Encoding").empty();
            reply(res, 400, errorBody(packed ? QStringLiteral("A requisição veio com compressão inválida ou incompleta.")
                                             : QStringLiteral("A requisição está incompleta.")));
            return false;
        }
        return true;
    }

    // The download's reply is sent while it is written (httplib compresses
    // it when asked): the server never holds a whole company's tables. A
    // failure after elements went out ends the result with the error, as the
    // protocol allows.
    void streamTabelas(httplib::Response& res, const std::vector<WireValue>& args, const QString& failed)
    {
        TabelasRequest request;
        std::shared_ptr<Database> db;
        try {
            request = parseTabelas(args);
            db = openServerDatabase(path);
        } catch (const RequestError& e) {
            reply(res, 400, errorBody(e.text()));
            return;
        } catch (const Error& e) {
            reply(res, 500, errorBody(failed.arg(e.text())));
            return;
        }
        res.status = 200;
        res.set_chunked_content_provider(kJson, [db, request, failed](std::size_t, httplib::DataSink& sink) {
            bool sent = false;
            bool broken = false;
            try {
                writeTabelas(*db, request, [&](std::string& part) {
                    if (part.empty() || broken)
                        return;
                    broken = !sink.write(part.data(), part.size());
                    sent = true;
                    part.clear();
                });
            } catch (const std::exception& e) {
                const auto* known = dynamic_cast<const Error*>(&e);
                std::string tail = errorBody(failed.arg(known ? known->text() : QString::fromLocal8Bit(e.what())));
                // {"error":...} alone, or after the elements sent: ],"error":...}
                if (sent)
                    tail = "]," + tail.substr(1);
                if (!broken)
                    sink.write(tail.data(), tail.size());
            }
            if (broken)
                return false;
            sink.done();
            return true;
        });
    }

    void call(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader)
    {
        std::string body;
        if (!readBody(req, res, reader, body))
            return;
        const std::string object = req.matches[1];
        const std::string method = req.matches[2];
        const Method run = findMethod(object, method);
        if (!run) {
            reply(res, 404, errorBody(QStringLiteral("O servidor de aplicação não tem o método %1 no objeto %2.")
                                          .arg(QString::fromStdString(method), QString::fromStdString(object))));
            return;
        }
        const QString failed = QStringLiteral("Erro no servidor de aplicação ao executar %1: %2").arg(QString::fromStdString(method));
        if (run == &setPedidos) {
            // Decoded while the customers are checked: an export carries
            // every active customer, never held here as a whole.
            answer(res, failed, [&](Database& db) { return setPedidosRequest(db, body); });
            return;
        }
        std::vector<WireValue> args;
        try {
            args = decodeArgs(body);
            std::string().swap(body);
        } catch (const Error& e) {
            reply(res, 400, errorBody(e.text()));
            return;
        }
        if (run == &getTabelas) {
            streamTabelas(res, args, failed);
            return;
        }
        answer(res, failed, [&](Database& db) { return run(db, args); });
    }

    // Runs a method on the server database and answers with its body or its error.
    template <typename F>
    void answer(httplib::Response& res, const QString& failed, F&& method)
    {
        try {
            auto db = openServerDatabase(path);
            reply(res, 200, method(*db));
        } catch (const RequestError& e) {
            reply(res, 400, errorBody(e.text()));
        } catch (const Error& e) {
            reply(res, 500, errorBody(failed.arg(e.text())));
        } catch (const std::exception& e) {
            reply(res, 500, errorBody(failed.arg(QString::fromLocal8Bit(e.what()))));
        }
    }
};

AppServer::AppServer(QString databasePath) : d(std::make_unique<Impl>())
{
    d->path = std::move(databasePath);
    openServerDatabase(d->path); // refuse a wrong file before listening

    d->http.Get("/", [](const httplib::Request&, httplib::Response& res) { reply(res, 200, kObjectsBody); });
    d->http.Post(R"(/([^/]+)/([^/]+))", [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
        d->call(req, res, reader);
    });
    // Compressed bodies are limited once inflated (readBody); this bounds
    // what a client may send at all.
    d->http.set_payload_max_length(kMaxBodyBytes);
    // An upload over a mobile link stalls for seconds at a time: pauses of up
    // to a minute between bytes are allowed. Slow senders are kept from taking
    // every thread by the front's caps instead.
    d->http.set_read_timeout(60, 0);
    // The library listens with a backlog of 5: forty salespeople connecting at
    // once overflowed it and had their connections dropped. The socket is
    // kept here and given a real backlog after bind (listen() again does that).
    d->front.set_socket_options([this](socket_t sock) {
        httplib::default_socket_options(sock);
        d->listenSocket = int(sock);
    });
    // Downloads can be long: enough threads that the connection test and
    // other calls are answered while many run. A quarter of them stay free to
    // turn away what the caps refuse.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::max<std::size_t>(128, std::size_t(cores) * 32);
    d->front.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // Half of the admitted for one address: an office behind one router still
    // exports at the end of the day, and one address never takes them all.
    const std::size_t admitted = threads - threads / 4;
    d->front.setCaps(admitted / 2, admitted);
    // Anything else: a 404 with an error body, as every failure has one.
    d->http.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        const QString what = QStringLiteral("%1 %2").arg(QString::fromStdString(req.method), QString::fromStdString(req.path));
        reply(res, res.status,
              errorBody(res.status == 404 ? QStringLiteral("O servidor de aplicação não conhece %1.").arg(what)
                                          : QStringLiteral("O servidor de aplicação recusou %1.").arg(what)));
        return httplib::Server::HandlerResponse::Handled;
    }));
    d->http.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
        if (!d->logging)
            return;
        std::fprintf(stderr, "zov-appserver: %s %s %d %zu bytes\n", req.method.c_str(), req.path.c_str(), res.status, res.body.size());
        std::fflush(stderr);
    });
}

AppServer::~AppServer() { stop(); }

void AppServer::widenBacklog()
{
    const int sock = d->listenSocket.exchange(-1);
    if (sock >= 0)
        ::listen(sock, SOMAXCONN);
}

int AppServer::bind(const QString& host, int port)
{
    const std::string h = host.toStdString();
    if (port == 0) {
        const int bound = d->front.bind_to_any_port(h);
        if (bound <= 0)
            throw Error(QStringLiteral("Não foi possível escutar em %1.").arg(host));
        widenBacklog();
        return bound;
    }
    if (!d->front.bind_to_port(h, port))
        throw Error(QStringLiteral("Não foi possível escutar em %1:%2 (porta em uso ou sem permissão).").arg(host).arg(port));
    widenBacklog();
    return port;
}

void AppServer::listen()
{
    {
        const std::lock_guard<std::mutex> lock(d->lifecycle);
        if (d->stopRequested)
            return;
        d->listening = true;
    }
    d->http.setOpen(true);
    d->front.listen_after_bind();
    d->http.setOpen(false);
    {
        const std::lock_guard<std::mutex> lock(d->lifecycle);
        d->listening = false;
    }
    d->listenEnded.notify_all();
}

bool AppServer::isRunning() const { return d->front.is_running(); }

void AppServer::stop()
{
    std::unique_lock<std::mutex> lock(d->lifecycle);
    d->stopRequested = true;
    // The loop only answers stop() once it runs; until then, ask again shortly.
    bool asked = false;
    while (d->listening) {
        if (!asked && d->front.is_running()) {
            d->http.setOpen(false); // connections kept alive end with their request
            d->front.stop();
            asked = true;
        }
        d->listenEnded.wait_for(lock, std::chrono::milliseconds(2));
    }
}

void AppServer::setLogging(bool on) { d->logging = on; }

void AppServer::setBodyLimit(std::size_t bytes)
{
    d->bodyLimit = bytes;
    d->http.set_payload_max_length(bytes);
}

} // namespace zov::server
