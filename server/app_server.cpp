#include "server/app_server.h"

#include "library/errors.h"
#include "protocol/protocol.h"
#include "protocol/protocol_gzip.h"
#include "protocol/protocol_pipe.h"
#include "server/http_front.h"
#include "server/remote_methods.h"
#include "server/server_connections.h"
#include "server/server_database.h"
#include "server/sessoes.h"
#include "server/situacoes.h"

#include <nlohmann/json.hpp>

#include "library/consiste.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <istream>
#include <mutex>
#include <optional>
#include <regex>
#include <sys/socket.h>
#include <thread>

namespace zov::server {

namespace {

const char* const kJson = "application/json";
const char* const kObjectsBody = R"({"server":"zov-appserver","objects":["PAD.rdmImpPedidos","PAD.rdmExpDados"]})";
// POST /<object>/<method>
const char* const kCallPath = R"(/([^/]+)/([^/]+))";

enum class Method { None, GetTabelas, SetPedidos, GetAcompanhamento };

Method findMethod(const std::string& object, const std::string& method)
{
    if (object == "PAD.rdmExpDados" && method == "getTabelas")
        return Method::GetTabelas;
    if (object == "PAD.rdmImpPedidos" && method == "SetPedidos")
        return Method::SetPedidos;
    if (object == "PAD.rdmImpPedidos" && method == "getAcompanhamento")
        return Method::GetAcompanhamento;
    return Method::None;
}

// A login's body is a few names: anything larger is not one.
constexpr std::size_t kMaxLoginBody = 64 * 1024;

qint64 now() { return QDateTime::currentSecsSinceEpoch(); }

std::unique_ptr<httplib::Server> handlingFor(const TlsFiles& tls)
{
    if (tls.empty())
        return std::make_unique<HttpHandling<httplib::Server>>();
    if (tls.certificado.isEmpty() || tls.chave.isEmpty())
        throw Error(QStringLiteral("Para servir com TLS informe o certificado e a chave (--certificado e --chave)."));
    for (const QString& file : {tls.certificado, tls.chave}) {
        if (!QFileInfo(file).isReadable())
            throw Error(QStringLiteral("Não foi possível ler \"%1\".").arg(file));
    }
    auto https = std::make_unique<HttpHandling<httplib::SSLServer>>(QFile::encodeName(tls.certificado).constData(),
                                                                    QFile::encodeName(tls.chave).constData());
    if (!https->is_valid())
        throw Error(QStringLiteral("O certificado \"%1\" e a chave \"%2\" não servem para TLS (arquivos PEM de um par).")
                        .arg(tls.certificado, tls.chave));
    return https;
}

void setOpen(httplib::Server& server, bool open, bool tls)
{
    if (tls)
        static_cast<HttpHandling<httplib::SSLServer>&>(server).setOpen(open);
    else
        static_cast<HttpHandling<httplib::Server>&>(server).setOpen(open);
}

void reply(httplib::Response& res, int status, std::string body)
{
    res.status = status;
    res.body = std::move(body);
    res.set_header("Content-Type", kJson);
}

// A failure of the server itself: the engine's own words go to the log under
// a reference, and the client reads what failed with that reference only.
std::string failureBody(const QString& what, const QString& detail)
{
    const QString ref = QString::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, QLatin1Char('0'));
    // One line a failure: the reference finds all of it.
    const QString line = QString(detail).replace(QLatin1Char('\n'), QStringLiteral(" | "));
    std::fprintf(stderr, "zov-appserver: falha %s: %s: %s\n", qPrintable(ref), qPrintable(what), qPrintable(line));
    std::fflush(stderr);
    return errorBody(QStringLiteral("%1 (referência %2 no registro do servidor).").arg(what, ref));
}

void replyFailure(httplib::Response& res, const QString& what, const QString& detail) { reply(res, 500, failureBody(what, detail)); }

QString textOf(const std::exception& e)
{
    const auto* known = dynamic_cast<const Error*>(&e);
    return known ? known->text() : QString::fromLocal8Bit(e.what());
}

} // namespace

struct AppServer::Impl {
    Impl(const TlsFiles& files) : tls(!files.empty()), http(handlingFor(files)), front(*http) {}
    QString path;
    std::unique_ptr<ServerConnections> connections;
    // The token checks every call makes: a few connections of their own, so a
    // burst of calls opens no backend each, and no long download delays them.
    std::unique_ptr<ServerConnections> sessionConnections;
    bool tls;
    std::unique_ptr<httplib::Server> http; // answers the requests
    HttpFront front;                       // accepts the connections and admits them
    std::unique_ptr<Sessoes> sessoes;
    std::atomic<bool> logging{false};
    std::size_t bodyLimit = kMaxBodyBytes;
    std::atomic<int> listenSocket{-1};
    // listen() and stop() may race (a signal or a test's teardown right after
    // start): a stop asked before the loop runs must still end it.
    std::mutex lifecycle;
    std::condition_variable listenEnded;
    bool stopRequested = false;
    bool listening = false;

    // Refused before a byte of the body is read when its length says it is too large.
    bool announcedTooLarge(const httplib::Request& req, httplib::Response& res, std::size_t limit)
    {
        const std::string length = req.get_header_value("Content-Length");
        if (length.empty() || std::strtoull(length.c_str(), nullptr, 10) <= limit)
            return false;
        reply(res, 413, errorBody(QStringLiteral("A requisição passa de %1 e foi recusada.").arg(QLatin1String(bodyLimitText()))));
        return true;
    }

    // Hands the body, inflated by httplib when it came gzip-compressed, to use
    // as a stream while it arrives: it is never held whole. A body past the
    // limit once inflated, or with one string past kMaxStringBytes, is
    // refused with 413 as soon as it passes; a cut or broken one with 400.
    // use answers the request; it calls whole() once it has decoded what it
    // needs and before it acts, which throws TooLargeError or RequestError
    // when the body failed. A failure of the body replaces use's answer.
    void withBody(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader,
                  const std::function<void(std::istream&, const std::function<void()>& whole)>& use)
    {
        if (announcedTooLarge(req, res, bodyLimit))
            return;
        admitUpload(); // the session was checked: pauses allowed, never evicted
        ChunkPipe pipe;
        QString refused;
        bool read = true;
        bool decoderStopped = false;
        std::thread feeder([&] {
            JsonStringGuard guard("A requisição", kMaxStringBytes);
            std::size_t total = 0;
            read = reader([&](const char* data, std::size_t size) {
                try {
                    if (size > bodyLimit - std::min(bodyLimit, total))
                        throw Error(QStringLiteral("A requisição passa de %1 e foi recusada.").arg(QLatin1String(bodyLimitText())));
                    total += size;
                    std::string pass;
                    guard.feed(data, size, pass);
                    if (pass.empty() || pipe.push(std::move(pass)))
                        return true;
                    decoderStopped = true;
                    return false;
                } catch (const Error& e) {
                    refused = e.text();
                } catch (const std::bad_alloc&) {
                    refused = QStringLiteral("A requisição não cabe na memória do servidor.");
                }
                return false;
            });
            pipe.close();
        });
        // What is past the end of the arguments is not read (the decoder
        // stopped); what was read must have come whole.
        const bool packed = !req.get_header_value("Content-Encoding").empty();
        auto finish = [&] {
            pipe.readerDone();
            if (feeder.joinable())
                feeder.join();
        };
        auto whole = [&] {
            finish();
            if (!refused.isEmpty())
                throw TooLargeError(refused);
            if (!read && !decoderStopped)
                throw RequestError(packed ? QStringLiteral("A requisição veio com compressão inválida ou incompleta.")
                                          : QStringLiteral("A requisição está incompleta."));
        };
        {
            PipeBuffer buffer(pipe);
            std::istream in(&buffer);
            try {
                use(in, whole);
            } catch (const std::exception& e) {
                replyFailure(res, QStringLiteral("Falha inesperada no servidor de aplicação"), textOf(e));
            } catch (...) {
                replyFailure(res, QStringLiteral("Falha inesperada no servidor de aplicação"), QStringLiteral("exceção desconhecida"));
            }
        }
        finish();
        if (!refused.isEmpty())
            reply(res, 413, errorBody(refused));
        else if (!read && !decoderStopped && res.status != 200)
            reply(res, 400,
                  errorBody(packed ? QStringLiteral("A requisição veio com compressão inválida ou incompleta.")
                                   : QStringLiteral("A requisição está incompleta.")));
    }

    // The session a call comes with; without a valid one the call is
    // answered 401 before its body is read. A token stands only while its
    // operator does: a password changed, an operator removed or unlinked
    // from the branch ends it at once.
    std::optional<Chamador> session(const httplib::Request& req, httplib::Response& res)
    {
        const std::string header = req.get_header_value("Authorization");
        std::optional<Sessao> s;
        // The scheme's name in any case (RFC 9110), then the token.
        const std::size_t space = header.find(' ');
        if (space != std::string::npos && QByteArray::fromStdString(header.substr(0, space)).toLower() == "bearer") {
            const std::size_t start = header.find_first_not_of(' ', space);
            if (start != std::string::npos)
                s = sessoes->confere(std::string_view(header).substr(start), now());
        }
        if (s) {
            try {
                auto db = sessionConnections->take();
                if (sessoes->vigente(*db, *s))
                    return Chamador{s->filial, s->operador};
            } catch (const std::exception& e) {
                replyFailure(res, QStringLiteral("Erro no servidor de aplicação ao verificar a sessão"), textOf(e));
                return std::nullopt;
            }
        }
        reply(res, 401,
              errorBody(header.empty()
                            ? QStringLiteral("O servidor de aplicação só atende um operador que entrou com filial, código e senha.")
                            : QStringLiteral("A sessão do operador expirou ou não é válida; entre de novo.")));
        res.set_header("WWW-Authenticate", "Bearer");
        return std::nullopt;
    }

    // POST /sessao: {"filial", "operador", "senha"} gives a token.
    void login(const httplib::Request& /*req*/, httplib::Response& res, const httplib::ContentReader& reader)
    {
        const QString refused = QStringLiteral("Operador ou senha inválidos.");
        std::string body;
        const bool read = reader([&](const char* data, std::size_t size) {
            if (body.size() + size > kMaxLoginBody)
                return false;
            body.append(data, size);
            return true;
        });
        nlohmann::json doc = nlohmann::json::parse(read ? body : std::string(), nullptr, false);
        auto field = [&](const char* name) -> std::optional<QString> {
            if (!doc.is_object() || !doc.contains(name) || !doc[name].is_string())
                return std::nullopt;
            return QString::fromStdString(doc[name].get<std::string>());
        };
        const auto filial = field("filial"), operador = field("operador"), senha = field("senha");
        if (!filial || !operador || !senha) {
            reply(res, 400, errorBody(QStringLiteral("A entrada espera {\"filial\", \"operador\", \"senha\"} em JSON.")));
            return;
        }
        std::string token;
        const Sessao s{Ajusta(*filial, 4), Ajusta(*operador, 12), now() + Sessoes::kValidadeSegundos, {}};
        try {
            auto db = connections->take();
            switch (sessoes->entra(*db, *filial, *operador, *senha, now())) {
            case Sessoes::Entrada::Aceita: token = sessoes->token(*db, s); break;
            case Sessoes::Entrada::Recusada: reply(res, 401, errorBody(refused)); return;
            case Sessoes::Entrada::Bloqueada:
                reply(res, 429, errorBody(QStringLiteral("Tentativas demais com este operador; tente de novo em 15 minutos.")));
                res.set_header("Retry-After", std::to_string(Sessoes::kJanelaSegundos));
                return;
            }
        } catch (const std::exception& e) {
            replyFailure(res, QStringLiteral("Erro no servidor de aplicação ao verificar o operador"), textOf(e));
            return;
        }
        nlohmann::json answer = {{"token", token}, {"expira", dateTimeToWire(QDateTime::fromSecsSinceEpoch(s.expira)).toStdString()}};
        reply(res, 200, answer.dump());
    }

    // The download's reply is sent while it is written (httplib compresses
    // it when asked): the server never holds a whole company's tables. A
    // failure after elements went out ends the result with the error, as the
    // protocol allows.
    void streamTabelas(httplib::Response& res, const std::vector<WireValue>& args, const QString& failed)
    {
        TabelasRequest request;
        std::shared_ptr<Connection> db;
        try {
            request = parseTabelas(args);
            db = connections->take();
        } catch (const RequestError& e) {
            reply(res, 400, errorBody(e.text()));
            return;
        } catch (const Error& e) {
            replyFailure(res, failed, e.text());
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
            } catch (const ReplyCut& e) {
                // Part of an element went out: only cutting the reply tells the client.
                failureBody(failed, e.text());
                return false;
            } catch (const std::exception& e) {
                std::string tail = failureBody(failed, textOf(e));
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
        const std::string object = req.matches[1];
        const std::string method = req.matches[2];
        const Method run = findMethod(object, method);
        if (run == Method::None) {
            reply(res, 404,
                  errorBody(QStringLiteral("O servidor de aplicação não tem o método %1 no objeto %2.")
                                .arg(QString::fromStdString(method), QString::fromStdString(object))));
            return;
        }
        const std::optional<Chamador> who = session(req, res);
        if (!who)
            return;
        const QString failed = QStringLiteral("Erro no servidor de aplicação ao executar %1").arg(QString::fromStdString(method));
        if (run == Method::SetPedidos) {
            // Decoded while the customers are checked: an export carries
            // every active customer, never held here as a whole.
            withBody(req, res, reader, [&](std::istream& body, const std::function<void()>& whole) {
                answer(res, failed, [&](Connection& db) { return setPedidosRequest(db, body, *who, whole); });
            });
            return;
        }
        std::vector<WireValue> args;
        withBody(req, res, reader, [&](std::istream& body, const std::function<void()>& whole) {
            try {
                args = decodeArgs(body, ArgsDecoding{});
                whole();
                res.status = 200;
            } catch (const TooLargeError& e) {
                reply(res, 413, errorBody(e.text()));
            } catch (const Error& e) {
                reply(res, 400, errorBody(e.text()));
            }
        });
        if (res.status != 200)
            return;
        if (run == Method::GetAcompanhamento) {
            answer(res, failed, [&](Connection& db) { return getAcompanhamento(db, args, *who); });
            return;
        }
        try {
            if (!args.empty())
                requireSessionBranch(args[0], *who);
        } catch (const ForbiddenError& e) {
            reply(res, 403, errorBody(e.text()));
            return;
        }
        streamTabelas(res, args, failed);
    }

    // Runs a method on the server database and answers with its body or its error.
    template <typename F>
    void answer(httplib::Response& res, const QString& failed, F&& method)
    {
        try {
            auto db = connections->take();
            reply(res, 200, method(*db));
        } catch (const TooLargeError& e) {
            reply(res, 413, errorBody(e.text()));
        } catch (const RequestError& e) {
            reply(res, 400, errorBody(e.text()));
        } catch (const ForbiddenError& e) {
            reply(res, 403, errorBody(e.text()));
        } catch (const Error& e) {
            replyFailure(res, failed, e.text());
        } catch (const std::exception& e) {
            replyFailure(res, failed, textOf(e));
        }
    }
};

AppServer::AppServer(QString databasePath, const TlsFiles& tls) : d(std::make_unique<Impl>(tls))
{
    d->path = std::move(databasePath);
    // PostgreSQL refuses connections past its max_connections (100 by
    // default) and the front admits 96 requests: unbounded, a burst of
    // downloads failed with "too many clients". Past 32 a request waits for
    // one (up to a minute); the sessions' 8 are apart, so no request waits
    // on itself.
    d->connections = std::make_unique<ServerConnections>(d->path, 32);
    d->sessionConnections = std::make_unique<ServerConnections>(d->path, 8);
    {
        auto db = openServerDatabase(d->path); // refuse a wrong file before listening
        d->sessoes = std::make_unique<Sessoes>(sessionSecret(*db));
    }
    httplib::Server& http = *d->http;
    http.Get("/", [](const httplib::Request&, httplib::Response& res) { reply(res, 200, kObjectsBody); });
    http.Post("/sessao", [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
        d->login(req, res, reader);
    });
    http.Post(kCallPath, [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
        d->call(req, res, reader);
    });
    // Compressed bodies are limited once inflated (readBody); this bounds
    // what a client may send at all.
    http.set_payload_max_length(kMaxBodyBytes);
    // An upload over a mobile link stalls for seconds at a time: pauses of up
    // to a minute between bytes are allowed. Slow senders are kept from taking
    // every thread by the front's caps instead.
    http.set_read_timeout(60, 0);
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
    // What no route takes is refused here: httplib would read its body into
    // memory first. The error handler gives the 404 its body.
    http.set_pre_routing_handler([call = std::regex(kCallPath)](const httplib::Request& req, httplib::Response& res) {
        const bool routed = ((req.method == "GET" || req.method == "HEAD") && req.path == "/")
            || (req.method == "POST" && (req.path == "/sessao" || std::regex_match(req.path, call)));
        if (routed)
            return httplib::Server::HandlerResponse::Unhandled;
        res.status = 404;
        return httplib::Server::HandlerResponse::Handled;
    });
    // Anything else: a 404 with an error body, as every failure has one.
    http.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        const QString what = QStringLiteral("%1 %2").arg(QString::fromStdString(req.method), QString::fromStdString(req.path));
        reply(res, res.status,
              errorBody(res.status == 404 ? QStringLiteral("O servidor de aplicação não conhece %1.").arg(what)
                                          : QStringLiteral("O servidor de aplicação recusou %1.").arg(what)));
        return httplib::Server::HandlerResponse::Handled;
    }));
    http.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
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
    setOpen(*d->http, true, d->tls);
    d->front.listen_after_bind();
    setOpen(*d->http, false, d->tls);
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
            setOpen(*d->http, false, d->tls); // connections kept alive end with their request
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
    d->http->set_payload_max_length(bytes);
}

bool AppServer::servesTls() const { return d->tls; }

std::string AppServer::tokenFor(const QString& filial, const QString& operador, qint64 expira) const
{
    auto db = d->sessionConnections->take();
    return d->sessoes->token(*db, Sessao{filial, operador, expira, {}});
}

} // namespace zov::server
