#include "transfer/netconnection.h"

#include "library/errors.h"
#include "library/velmora.h"
#include "protocol/protocol.h"
#include "protocol/protocol_gzip.h"
#include "protocol/protocol_pipe.h"
#include "session/GeralZOV.h"
#include "transfer/sessao_servidor.h"

#include <openssl/x509_vfy.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <httplib.h>
#include <istream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <streambuf>
#include <thread>

namespace zov {

// ---------------------------------------------------------------- settings

namespace {

std::optional<NetTimeouts>& defaults()
{
    static std::optional<NetTimeouts> t;
    return t;
}

// "1 segundo", "30 segundos" (rounded up).
QString seconds(int ms)
{
    const int s = (ms + 999) / 1000;
    return s == 1 ? QStringLiteral("1 segundo") : QStringLiteral("%1 segundos").arg(s);
}

} // namespace

void LoadNetTimeouts()
{
    NetTimeouts t;
    const QString file = QDir(ConfigUsrDir()).filePath(QStringLiteral("instalacao.ini"));
    QSettings s(file, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("Instalacao"));
    auto read = [&](const char* key, int& ms) {
        bool ok = false;
        const int v = s.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
        if (ok && v > 0)
            ms = v * 1000;
    };
    read("TimeoutConexao", t.connectMs);
    read("TimeoutChamada", t.callMs);
    defaults() = t;
}

NetTimeouts DefaultNetTimeouts()
{
    if (!defaults())
        LoadNetTimeouts();
    return *defaults();
}

void SetDefaultNetTimeouts(const NetTimeouts& timeouts) { defaults() = timeouts; }

// ---------------------------------------------------------------- one request off the GUI thread

namespace {

// What the worker and the waiting thread share; kept alive by both.
struct HttpCall {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    httplib::Client client;
    httplib::Error error = httplib::Error::Success;
    int status = 0;
    std::string body;
    // Set when the reply itself was refused (too large, bad gzip, no memory):
    // that is the message, not the transport error it caused.
    QString refused;
    bool streamed = false;
    QString decodeError;
    long verifyResult = 0;

    HttpCall(const QString& host, int port, bool tls) : client(clientFor(host, port, tls)) {}
    static httplib::Client clientFor(const QString& host, int port, bool tls)
    {
        if (!tls)
            return httplib::Client(host.toStdString(), port);
        std::string h = host.trimmed().toStdString();
        if (h.find(':') != std::string::npos)
            h = "[" + h + "]";
        return httplib::Client("https://" + h + ":" + std::to_string(port));
    }
    bool isDone()
    {
        std::lock_guard lock(mutex);
        return done;
    }
};

// Waits for the worker: in a local event loop on the GUI thread (windows keep
// repainting, user input waits), or plainly elsewhere. True when it finished.
bool waitFor(HttpCall& call, int ms)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        QEventLoop loop;
        QElapsedTimer clock;
        clock.start();
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            runGuarded([&] {
                if (call.isDone() || clock.elapsed() >= ms)
                    loop.quit();
            });
        });
        poll.start();
        if (!call.isDone())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        return call.isDone();
    }
    std::unique_lock lock(call.mutex);
    return call.cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return call.done; });
}

// Decodes a 200 reply on its own thread while the body arrives.
class StreamDecoder {
public:
    explicit StreamDecoder(ReplyConsumer& consumer)
    {
        thread_ = std::thread([this, &consumer] {
            try {
                PipeBuffer buffer(pipe_);
                std::istream in(&buffer);
                decodeResult(in, consumer);
            } catch (const Error& e) {
                error_ = e.text();
            } catch (const std::bad_alloc&) {
                error_ = QStringLiteral("Não há memória para receber a resposta do servidor de aplicação.");
            } catch (...) {
                error_ = QStringLiteral("Falha inesperada ao ler a resposta do servidor de aplicação.");
            }
            pipe_.readerDone();
        });
    }
    ~StreamDecoder() { finish(); }
    bool push(std::string chunk) { return pipe_.push(std::move(chunk)); }
    // Ends the body and waits for the decoder; its error, if any.
    QString finish()
    {
        pipe_.close();
        if (thread_.joinable())
            thread_.join();
        return error_;
    }

private:
    ChunkPipe pipe_;
    std::thread thread_;
    QString error_;
};

// What a request is: the connection test, the operator's login (POST
// /sessao), or a call of a server object (with the session's token).
enum class RequestKind { Test, Login, Call };

struct HttpOutcome {
    // Never sent: why (a certificate authority that cannot be read).
    QString notSent;
    long verifyResult = 0;
    bool timedOut = false;
    httplib::Error error = httplib::Error::Success;
    int status = 0;
    std::string body;
    QString refused;
    bool streamed = false;
    QString decodeError;
};

// Request bodies over this travel gzip-compressed.
constexpr std::size_t kCompressRequestsOver = 64 * 1024;

// An error, the connection test's answer or a login's is a few lines: a
// server that sends more is refused as it comes, never held.
constexpr std::size_t kMaxShortReply = std::size_t(1) << 20;

void appendShort(std::string& out, const char* data, std::size_t size)
{
    if (size > kMaxShortReply || out.size() > kMaxShortReply - size)
        throw Error(QStringLiteral("A resposta do servidor de aplicação passa de 1 MiB e foi recusada."));
    out.append(data, size);
}

std::atomic<std::size_t> lastRequestBytes{0};

// One request at a time on a connection: a second is refused while one runs.
template <typename Run>
HttpOutcome exclusive(bool& busy, Run&& run)
{
    if (busy)
        throw Error(QStringLiteral("Já existe uma chamada ao servidor de aplicação em andamento."));
    busy = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{busy};
    return run();
}

// POST /sessao with the session's credentials on client. The token, or
// none with the answer's status and body (a refusal is remembered).
std::optional<std::string> askToken(httplib::Client& client, const SessaoServidor& s, httplib::Error& error, int& status, std::string& body)
{
    httplib::Request req;
    req.method = "POST";
    req.path = "/sessao";
    req.headers = {{"Content-Type", "application/json"}};
    req.body = nlohmann::json{{"filial", s.filial}, {"operador", s.operador}, {"senha", s.senha}}.dump();
    std::string received;
    QString tooLong;
    req.content_receiver = [&](const char* data, std::size_t size, std::uint64_t, std::uint64_t) {
        try {
            appendShort(received, data, size);
            return true;
        } catch (const Error& e) {
            tooLong = e.text();
        }
        return false;
    };
    httplib::Result r = client.send(req);
    if (!tooLong.isEmpty())
        throw Error(tooLong); // the caller says why
    error = r.error();
    if (!r)
        return std::nullopt;
    status = r->status;
    body = std::move(received);
    if (status == 200) {
        const nlohmann::json doc = nlohmann::json::parse(body, nullptr, false);
        if (doc.is_object() && doc.contains("token") && doc["token"].is_string()) {
            const std::string token = doc["token"].get<std::string>();
            GuardaToken(s.geracao, token);
            return token;
        }
        status = 502;
        body = errorBody(QStringLiteral("O servidor de aplicação respondeu à entrada sem a sessão."));
        return std::nullopt;
    }
    const QString message = errorMessageOf(body);
    if (status == 401)
        GuardaRecusa(s.geracao, status, message.isEmpty() ? QStringLiteral("Operador ou senha inválidos.") : message);
    if (message.isEmpty())
        body = errorBody(QStringLiteral("O servidor de aplicação recusou a entrada do operador (status %1).").arg(status));
    return std::nullopt;
}

// postBody goes as given, or gzip-compressed by the worker when compress says so.
HttpOutcome runRequest(const QString& host, int port, int connectMs, int totalMs, const std::string& path,
                       std::optional<std::vector<std::string>> postBody, std::size_t limit, ReplyConsumer* stream = nullptr,
                       bool compress = false, RequestKind kind = RequestKind::Test)
{
    const bool tls = UsaTls(host);
    const QString authority = tls ? CertificadoServidor() : QString();
    if (!authority.isEmpty() && !QFileInfo(authority).isReadable()) {
        HttpOutcome out;
        out.notSent = QStringLiteral("Não foi possível ler o certificado da autoridade \"%1\" (CertificadoServidor em instalacao.ini).")
                          .arg(authority);
        return out;
    }
    auto call = std::make_shared<HttpCall>(host, port, tls);
    if (tls) {
        if (!authority.isEmpty())
            call->client.set_ca_cert_path(QFile::encodeName(authority).toStdString());
        // There is no "accept anyway": an unverified server is no server.
        call->client.enable_server_certificate_verification(true);
    }
    call->client.set_connection_timeout(connectMs / 1000, (connectMs % 1000) * 1000);
    // Our own deadline comes first; these only keep a forgotten worker from living forever.
    const int backstop = totalMs + 2000;
    call->client.set_read_timeout(backstop / 1000, (backstop % 1000) * 1000);
    call->client.set_write_timeout(backstop / 1000, (backstop % 1000) * 1000);
    call->client.set_keep_alive(false);
    // Inflated here, chunk by chunk within the wire's limit (httplib would
    // inflate any size).
    call->client.set_decompress(false);

    std::thread worker([call, path, limit, stream, compress, kind, body = std::move(postBody)]() mutable {
        const char* what = "A resposta do servidor de aplicação";
        std::string received;
        QString refused;
        httplib::Error error = httplib::Error::Unknown;
        int status = 0;
        std::unique_ptr<StreamDecoder> decoder;
        QString decodeError;
        try {
            // One exchange; each early return leaves its outcome set.
            [&] {
                const SessaoServidor session = kind == RequestKind::Test ? SessaoServidor{} : SessaoServidorAtual();
                if (kind == RequestKind::Login) {
                    askToken(call->client, session, error, status, received);
                    return; // the answer is the outcome
                }
                httplib::Request req;
                req.method = body ? "POST" : "GET";
                req.path = path;
                if (body) {
                    if (compress) {
                        // Here, not on the waiting thread: seconds for an export of every customer.
                        req.body = gzipCompress(std::vector<std::string_view>(body->begin(), body->end()));
                    } else {
                        for (std::string& part : *body)
                            req.body += part;
                    }
                    body.reset();
                    lastRequestBytes = req.body.size();
                }
                std::unique_ptr<BoundedInflater> inflater;
                bool shortReply = true;
                req.response_handler = [&](const httplib::Response& res) {
                    shortReply = kind == RequestKind::Test || res.status != 200;
                    if (res.get_header_value("Content-Encoding") == "gzip")
                        inflater = std::make_unique<BoundedInflater>(limit, what);
                    // Only a result is decoded as it comes; an error body is kept.
                    if (stream && res.status == 200)
                        decoder = std::make_unique<StreamDecoder>(*stream);
                    return true;
                };
                std::size_t total = 0;
                // One string past its limit is refused as it arrives, before a parser holds it.
                std::optional<JsonStringGuard> guard;
                req.content_receiver = [&](const char* data, std::size_t size, std::uint64_t, std::uint64_t) {
                    try {
                        std::string chunk;
                        if (inflater)
                            inflater->feed(data, size, chunk);
                        else
                            appendBounded(chunk, data, size, limit - std::min(limit, total), what);
                        total += chunk.size();
                        std::string pass;
                        guard->feed(chunk.data(), chunk.size(), pass);
                        if (!decoder) {
                            if (shortReply)
                                appendShort(received, pass.data(), pass.size());
                            else
                                appendBounded(received, pass.data(), pass.size(), limit, what);
                            return true;
                        }
                        return pass.empty() || decoder->push(std::move(pass)); // false: the decoder stopped on an error
                    } catch (const Error& e) {
                        refused = e.text();
                    } catch (const std::bad_alloc&) {
                        refused = QStringLiteral("Não há memória para receber a resposta do servidor de aplicação.");
                    }
                    std::string().swap(received);
                    return false;
                };
                auto send = [&](const std::string& token) {
                    req.headers = {{"Accept-Encoding", "gzip"}};
                    if (req.method == "POST") {
                        req.headers.emplace("Content-Type", "application/json");
                        if (compress)
                            req.headers.emplace("Content-Encoding", "gzip");
                    }
                    if (!token.empty())
                        req.headers.emplace("Authorization", "Bearer " + token);
                    received.clear();
                    total = 0;
                    inflater.reset();
                    guard.emplace(what, kMaxStringBytes);
                    httplib::Result r = call->client.send(req);
                    error = r.error();
                    if (decoder)
                        decodeError = decoder->finish();
                    status = r ? r->status : 0;
                    if (r && inflater && refused.isEmpty())
                        inflater->finish();
                };
                std::string token = session.token;
                if (kind == RequestKind::Call && token.empty() && session.temCredenciais()) {
                    // Refused before for these credentials: said again, the server is not asked.
                    if (!session.recusa.isEmpty()) {
                        status = session.recusaStatus;
                        received = errorBody(session.recusa);
                        error = httplib::Error::Success;
                        return;
                    }
                    const auto given = askToken(call->client, session, error, status, received);
                    if (!given)
                        return;
                    token = *given;
                }
                send(token);
                // A token past its time: a new one, once, and the call again.
                if (kind == RequestKind::Call && status == 401 && session.temCredenciais() && refused.isEmpty() && !decoder) {
                    const auto given = askToken(call->client, session, error, status, received);
                    if (!given)
                        return;
                    send(*given);
                }
            }();
        } catch (const Error& e) {
            refused = e.text();
        } catch (const std::bad_alloc&) {
            refused = QStringLiteral("Não há memória para receber a resposta do servidor de aplicação.");
        } catch (...) {
            refused = QStringLiteral("Falha inesperada na comunicação com o servidor de aplicação.");
        }
        if (decoder)
            decodeError = decoder->finish();
        const long verify = call->client.get_openssl_verify_result();
        std::lock_guard lock(call->mutex);
        call->error = error;
        call->status = status;
        call->body = std::move(received);
        call->refused = std::move(refused);
        call->streamed = decoder != nullptr;
        call->decodeError = std::move(decodeError);
        call->verifyResult = verify;
        call->done = true;
        call->cv.notify_all();
    });

    HttpOutcome out;
    if (!waitFor(*call, totalMs)) {
        out.timedOut = true;
        call->client.stop();
        if (stream)
            stream->cancel();
        // A worker stuck where stop() cannot reach (name lookup) is left to
        // finish alone, unless it feeds a consumer of the caller's.
        if (stream || waitFor(*call, 2000))
            worker.join();
        else
            worker.detach();
        return out;
    }
    worker.join();
    out.error = call->error;
    out.status = call->status;
    out.body = std::move(call->body);
    out.refused = std::move(call->refused);
    out.streamed = call->streamed;
    out.decodeError = std::move(call->decodeError);
    out.verifyResult = call->verifyResult;
    return out;
}

} // namespace

std::size_t LastRequestBodyBytes() { return lastRequestBytes; }

// ---------------------------------------------------------------- TNetConnection

void UseSessionAddress(TNetConnection& connection)
{
    connection.setHost(IPAcesso().trimmed());
    connection.setPort(Porta() > 0 ? Porta() : kPortaPadrao);
}

TNetConnection::TNetConnection(QString serverName)
    : beforeConnect(UseSessionAddress), serverName_(std::move(serverName)), timeouts_(DefaultNetTimeouts())
{}

TNetConnection::~TNetConnection() = default;

QString TNetConnection::address() const { return QStringLiteral("%1:%2").arg(host_).arg(port_); }

namespace {

// Why the server's certificate was not accepted, as OpenSSL's check said.
QString certificateError(long verify, const QString& address)
{
    switch (verify) {
    case X509_V_OK: // the chain was fine: the certificate names another address
        return QStringLiteral("O certificado do servidor de aplicação não é para o endereço %1: a conexão foi recusada.").arg(address);
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QStringLiteral("O certificado do servidor de aplicação em %1 está vencido: a conexão foi recusada.").arg(address);
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QStringLiteral("O certificado do servidor de aplicação em %1 ainda não vale (confira a data e a hora deste computador): "
                              "a conexão foi recusada.")
            .arg(address);
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
        return QStringLiteral("O certificado do servidor de aplicação em %1 não é de uma autoridade em que esta instalação confia "
                              "(CertificadoServidor em instalacao.ini): a conexão foi recusada.")
            .arg(address);
    default:
        return QStringLiteral("O certificado do servidor de aplicação em %1 foi recusado (%2).")
            .arg(address, QString::fromLatin1(X509_verify_cert_error_string(verify)));
    }
}

QString transportError(httplib::Error error, const QString& address, long verify = 0)
{
    switch (error) {
    case httplib::Error::SSLServerVerification: return certificateError(verify, address);
    case httplib::Error::SSLConnection:
        return QStringLiteral("Não foi possível abrir uma conexão segura (TLS) com o servidor de aplicação em %1.").arg(address);
    case httplib::Error::SSLLoadingCerts:
        return QStringLiteral("Não foi possível carregar os certificados em que esta instalação confia (CertificadoServidor em "
                              "instalacao.ini).");
    case httplib::Error::Connection:
    case httplib::Error::BindIPAddress: return QStringLiteral("Não foi possível conectar ao servidor de aplicação em %1.").arg(address);
    case httplib::Error::ConnectionTimeout:
        return QStringLiteral("O servidor de aplicação em %1 não aceitou a conexão a tempo.").arg(address);
    case httplib::Error::Read:
    case httplib::Error::Write:
    case httplib::Error::Canceled: return QStringLiteral("A conexão com o servidor de aplicação em %1 foi interrompida.").arg(address);
    case httplib::Error::Compression:
        return QStringLiteral("A resposta do servidor de aplicação em %1 veio com compressão inválida.").arg(address);
    default: return QStringLiteral("Falha na comunicação com o servidor de aplicação em %1.").arg(address);
    }
}

} // namespace

void TNetConnection::setConnected(bool value)
{
    if (!value) {
        connected_ = false;
        return;
    }
    if (busy_)
        throw Error(QStringLiteral("Já existe uma chamada ao servidor de aplicação em andamento."));
    connected_ = false;
    if (beforeConnect)
        beforeConnect(*this);
    if (host_.trimmed().isEmpty())
        throw Error(QStringLiteral("O endereço do servidor de aplicação não foi informado."));
    if (port_ <= 0 || port_ > 65535)
        throw Error(QStringLiteral("A porta %1 do servidor de aplicação não é válida.").arg(port_));

    HttpOutcome r = exclusive(
        busy_, [&] { return runRequest(host_, port_, timeouts_.connectMs, timeouts_.connectMs, "/", std::nullopt, replyLimit_); });
    if (!r.notSent.isEmpty())
        throw Error(r.notSent);
    if (r.timedOut)
        throw Error(QStringLiteral("O servidor de aplicação em %1 não respondeu em %2.").arg(address(), seconds(timeouts_.connectMs)));
    if (!r.refused.isEmpty())
        throw Error(r.refused);
    // A server that speaks TLS cuts a plain request short: say what it needs.
    if (r.error == httplib::Error::Read && !UsaTls(host_))
        throw Error(QStringLiteral("A conexão com o servidor de aplicação em %1 foi interrompida. Se ele atende por TLS, indique o "
                                   "certificado da autoridade em CertificadoServidor (instalacao.ini).")
                        .arg(address()));
    if (r.error != httplib::Error::Success)
        throw Error(transportError(r.error, address(), r.verifyResult));

    const QString notServer = QStringLiteral("O endereço %1 não é de um servidor de aplicação do Pedidos ZOV-RA.").arg(address());
    if (r.status != 200) {
        const QString message = errorMessageOf(r.body);
        throw Error(message.isEmpty() ? notServer : message);
    }
    const nlohmann::json doc = nlohmann::json::parse(r.body, nullptr, false);
    if (!doc.is_object() || !doc.contains("objects") || !doc["objects"].is_array())
        throw Error(notServer);
    bool offered = false;
    for (const auto& o : doc["objects"]) {
        if (o.is_string() && QString::fromStdString(o.get<std::string>()) == serverName_)
            offered = true;
    }
    if (!offered)
        throw Error(QStringLiteral("O servidor de aplicação em %1 não oferece o objeto %2.").arg(address(), serverName_));
    connected_ = true;
}

RemoteReply TNetConnection::call(const QString& method, std::vector<std::string> body, ReplyConsumer* stream, bool& streamed)
{
    if (!connected_)
        setConnected(true);
    const std::string path = "/" + serverName_.toStdString() + "/" + method.toStdString();
    // Compressed by the call's worker (a large body), so the window goes on repainting.
    std::size_t size = 0;
    for (const std::string& part : body)
        size += part.size();
    HttpOutcome r = exclusive(busy_, [&] {
        return runRequest(host_, port_, timeouts_.connectMs, timeouts_.callMs, path, std::move(body), replyLimit_, stream,
                          size > kCompressRequestsOver, RequestKind::Call);
    });
    if (!r.notSent.isEmpty())
        throw Error(r.notSent);
    // Once the request may have left, a failure leaves unknown what the server did.
    if (r.timedOut)
        throw EntregaIncerta(QStringLiteral("O servidor de aplicação em %1 não respondeu à chamada %2 em %3.")
                                 .arg(address(), method, seconds(timeouts_.callMs)));
    if (!r.refused.isEmpty())
        throw EntregaIncerta(r.refused);
    // What the decoder found (the server's own error, a bad packet) says more
    // than the stop it caused; a cut connection is said as such.
    if (r.streamed && !r.decodeError.isEmpty() && (r.error == httplib::Error::Success || r.error == httplib::Error::Canceled))
        throw Error(r.decodeError);
    switch (r.error) {
    case httplib::Error::Success: break;
    case httplib::Error::Connection:
    case httplib::Error::BindIPAddress:
    case httplib::Error::ConnectionTimeout:
    case httplib::Error::Write:
    case httplib::Error::SSLConnection:
    case httplib::Error::SSLLoadingCerts:
    case httplib::Error::SSLServerVerification:
        // Refused, or cut before the whole request was written: never reached the server.
        throw Error(transportError(r.error, address(), r.verifyResult));
    default: throw EntregaIncerta(transportError(r.error, address()));
    }
    streamed = r.streamed;
    return RemoteReply{method, r.status, std::move(r.body)};
}

bool TNetConnection::abreSessao()
{
    if (!TemCredenciaisServidor())
        return false;
    if (!connected_)
        setConnected(true);
    HttpOutcome r = exclusive(busy_, [&] {
        return runRequest(host_, port_, timeouts_.connectMs, timeouts_.connectMs + 10000, "/sessao", std::nullopt, replyLimit_, nullptr,
                          false, RequestKind::Login);
    });
    if (!r.notSent.isEmpty())
        throw Error(r.notSent);
    if (r.timedOut)
        throw Error(QStringLiteral("O servidor de aplicação em %1 não respondeu à entrada do operador em %2.")
                        .arg(address(), seconds(timeouts_.connectMs + 10000)));
    if (!r.refused.isEmpty())
        throw Error(r.refused);
    if (r.error != httplib::Error::Success)
        throw Error(transportError(r.error, address(), r.verifyResult));
    return r.status == 200;
}

RemoteReply TNetConnection::AppServer(const QString& method, const RemoteArgs& args)
{
    bool streamed = false;
    return call(method, {args.body()}, nullptr, streamed);
}

RemoteReply TNetConnection::AppServer(const QString& method, RemoteArgs&& args)
{
    bool streamed = false;
    return call(method, args.takeParts(), nullptr, streamed);
}

void TNetConnection::AppServerStreaming(const QString& method, const RemoteArgs& args, ReplyConsumer& consumer)
{
    bool streamed = false;
    RemoteReply reply = call(method, {args.body()}, &consumer, streamed);
    // An error status came as a body of its own: checked as any reply.
    if (!streamed)
        CheckResultServ(reply, consumer);
}

// ---------------------------------------------------------------- CheckResultServ

namespace {

void checkStatus(const RemoteReply& reply)
{
    if (reply.status == 200)
        return;
    const QString message = errorMessageOf(reply.body);
    if (!message.isEmpty())
        throw Error(message);
    throw Error(QStringLiteral("O servidor de aplicação recusou a chamada %1 (código HTTP %2).").arg(reply.method).arg(reply.status));
}

} // namespace

std::vector<Packet> CheckResultServ(const RemoteReply& reply)
{
    checkStatus(reply);
    return decodeResultPackets(reply.body);
}

void CheckResultServ(const RemoteReply& reply, ReplyConsumer& consumer)
{
    checkStatus(reply);
    decodeResult(reply.body, consumer);
}

} // namespace zov
