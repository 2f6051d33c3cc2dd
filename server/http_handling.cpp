#include "server/http_handling.h"

#include "protocol/protocol.h"

#include <QString>

namespace zov::server {

namespace {

using std::chrono::milliseconds;

// The connection whose request this thread answers.
thread_local ConnectionStream* current = nullptr;

struct Current {
    explicit Current(ConnectionStream& strm) { current = &strm; }
    ~Current() { current = nullptr; }
    Current(const Current&) = delete;
    Current& operator=(const Current&) = delete;
};

// After a refusal of the connection's own the client has sent little: a
// moment to read it, so the answer is not lost to a reset.
const Linger kBrief{milliseconds(1000), milliseconds(2000), 1u << 20};
const Linger kNone{milliseconds(0), milliseconds(0), 0};

QString refusalText(int status)
{
    switch (status) {
    case 503: return QStringLiteral("O servidor de aplicação está com conexões demais no momento. Tente de novo em instantes.");
    case 408: return QStringLiteral("A requisição demorou demais para chegar ao servidor de aplicação e foi recusada.");
    case 431: return QStringLiteral("O cabeçalho da requisição é grande demais e foi recusado.");
    default: return QStringLiteral("A requisição passa do tamanho aceito e foi recusada.");
    }
}

const char* reason(int status)
{
    switch (status) {
    case 503: return "Service Unavailable";
    case 408: return "Request Timeout";
    case 431: return "Request Header Fields Too Large";
    default: return "Payload Too Large";
    }
}

void writeAll(ConnectionStream& strm, const std::string& data)
{
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = strm.write(data.data() + done, data.size() - done);
        if (n <= 0)
            return;
        done += std::size_t(n);
    }
}

// Its own refusal, or 0.
int refusalOf(const ConnectionStream& strm) { return strm.gaveWay() ? 503 : strm.ending().value_or(0); }

} // namespace

std::string refusalReply(int status)
{
    const std::string body = errorBody(refusalText(status));
    return "HTTP/1.1 " + std::to_string(status) + " " + reason(status) + "\r\nContent-Type: application/json\r\nConnection: close\r\n"
        + (status == 503 ? "Retry-After: 5\r\n" : "") + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

void admitUpload()
{
    if (current)
        current->admitUpload();
}

void finishReply(const httplib::Request&, httplib::Response& res)
{
    if (!current)
        return;
    const int refusal = refusalOf(*current);
    if (refusal != 0 && !res.content_provider_) {
        res.status = refusal;
        res.body = errorBody(refusalText(refusal));
        for (const char* header : {"Content-Type", "Content-Length", "Content-Encoding"})
            res.headers.erase(header);
        res.set_header("Content-Type", "application/json");
        res.set_header("Content-Length", std::to_string(res.body.size()));
        if (refusal == 503)
            res.set_header("Retry-After", "5");
    }
    if ((refusal != 0 || current->bodyPending()) && res.get_header_value("Connection") != "close") {
        res.headers.erase("Keep-Alive");
        res.set_header("Connection", "close");
    }
}

void serveConnection(socket_t sock, SSL_CTX* tls, FrontSlot& slot, const ServeSettings& settings, const ProcessRequest& process,
                     const std::function<bool()>& open)
{
    const TlsSession session = tlsSession(tls, sock);
    ConnectionStream strm(sock, session.get(), slot, settings.limits);
    if (tls && (!session || !strm.handshake())) {
        strm.close(kNone);
        return;
    }
    const Current serving(strm);
    Linger linger = kNone;
    for (std::size_t left = settings.keepAliveMax; left > 0 && open(); --left) {
        strm.beginRequest();
        if (left != settings.keepAliveMax && !strm.awaitRequest(settings.keepAliveIdle, open))
            break;
        bool closed = false;
        const bool ok = process(strm, left == 1, closed, [&](httplib::Request& req) {
            strm.headRead(req);
            req.ssl = session.get();
        });
        const int refusal = refusalOf(strm);
        if (refusal != 0 && strm.written() == 0 && strm.started())
            writeAll(strm, refusalReply(refusal));
        // Slow, or a head past its bound: a moment to read the answer only.
        if (refusal != 0 && refusal != 413) {
            linger = kBrief;
            break;
        }
        // Refused before its body, or read in part: the rest is dropped as
        // it comes, up to the body limit, and the connection ends.
        if (strm.bodyPending()) {
            slot.enter(Phase::Discarding);
            linger = {settings.limits.readPause, std::chrono::hours(24), settings.bodyLimit};
            break;
        }
        if (!ok || closed || !strm.headComplete())
            break;
    }
    strm.close(linger, open);
}

} // namespace zov::server
