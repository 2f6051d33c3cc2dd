#pragma once
// The server that answers the requests of an admitted connection: httplib's
// handling of one request (handlers, limits, replies) over a stream of our
// own, in a keep-alive loop of our own. httplib's loop would read a body no
// handler took as the next request line, without bound; here such a body is
// discarded as it arrives and the connection closed after the answer.
#include "server/connection_stream.h"
#include "server/front_slot.h"

#include <httplib.h>
#include <openssl/ssl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

namespace zov::server {

// What a front hands an admitted connection to.
class ConnectionHandler {
public:
    // Serves the connection to its end; the front closes the socket.
    virtual void serve(socket_t sock, FrontSlot& slot) = 0;
    virtual SSL_CTX* tlsContext() const = 0; // null for plain HTTP

protected:
    ~ConnectionHandler() = default;
};

struct ServeSettings {
    StreamLimits limits;
    std::size_t keepAliveMax = 5;
    std::chrono::milliseconds keepAliveIdle{5000};
    std::uint64_t bodyLimit = 0; // the most of a refused body read and dropped
};

using ProcessRequest =
    std::function<bool(httplib::Stream&, bool closeConnection, bool& closed, const std::function<void(httplib::Request&)>& setup)>;

void serveConnection(socket_t sock, SSL_CTX* tls, FrontSlot& slot, const ServeSettings& settings, const ProcessRequest& process,
                     const std::function<bool()>& open);

// A handler of the request its thread answers says it reads the body as an
// upload (a valid session, within the limits): pauses of up to the read
// time-out, any size, and it never gives way to others. Any other body is
// held to the request's deadline and a few kilobytes.
void admitUpload();

// httplib's post-routing handler: a reply the connection closes after says
// so, and the connection's own refusal replaces the handler's.
void finishReply(const httplib::Request& req, httplib::Response& res);

// The connection's own refusals as raw HTTP: 503 (a full server), 408 (too
// slow), 413 or 431 (too large before a handler admitted it).
std::string refusalReply(int status);

// Base: httplib::Server, or httplib::SSLServer for HTTPS; never listens itself.
template <class Base>
class HttpHandling final : public Base, public ConnectionHandler {
public:
    template <class... Args>
    explicit HttpHandling(Args&&... args) : Base(std::forward<Args>(args)...)
    {
        this->set_post_routing_handler(finishReply);
    }
    // While open, the connections handed over are served (keep-alive included).
    void setOpen(bool open) { this->svr_sock_ = open ? socket_t(0) : INVALID_SOCKET; }

    void serve(socket_t sock, FrontSlot& slot) override
    {
        using namespace std::chrono;
        ServeSettings s;
        s.limits.readPause = duration_cast<milliseconds>(seconds(this->read_timeout_sec_) + microseconds(this->read_timeout_usec_));
        s.limits.writePause = duration_cast<milliseconds>(seconds(this->write_timeout_sec_) + microseconds(this->write_timeout_usec_));
        s.keepAliveMax = this->keep_alive_max_count_;
        s.keepAliveIdle = seconds(this->keep_alive_timeout_sec_);
        s.bodyLimit = this->payload_max_length_;
        serveConnection(
            sock, tlsContext(), slot, s,
            [this](httplib::Stream& strm, bool closeConnection, bool& closed, const std::function<void(httplib::Request&)>& setup) {
                return this->process_request(strm, closeConnection, closed, setup);
            },
            [this] { return this->svr_sock_ != INVALID_SOCKET; });
    }

    SSL_CTX* tlsContext() const override
    {
        if constexpr (std::is_base_of_v<httplib::SSLServer, Base>)
            return this->ssl_context();
        else
            return nullptr;
    }
};

} // namespace zov::server
