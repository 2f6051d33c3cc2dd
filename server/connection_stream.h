#pragma once
// The bytes of one admitted connection, plain or inside TLS, as httplib's
// request handling reads and writes them. It bounds what a request may take
// before a handler admits it: the head (and a body no handler admitted)
// within a deadline and a size, so a client that never ends a line, or
// sends a byte now and then, holds neither memory nor a thread for long.
#include "server/front_slot.h"

#include <httplib.h>
#include <openssl/ssl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zov::server {

struct StreamLimits {
    std::chrono::milliseconds readPause{60000}; // between bytes of an admitted body
    std::chrono::milliseconds writePause{5000};
    std::chrono::milliseconds deadline{10000}; // the TLS handshake; a head and a body not admitted
    std::size_t headBytes = 64 * 1024;
    std::size_t unadmittedBody = 64 * 1024; // a login's, or what httplib would read for itself
};

// How long a connection is read and dropped before it is closed, so the
// client reads the answer instead of a reset.
struct Linger {
    std::chrono::milliseconds pause;
    std::chrono::milliseconds total;
    std::uint64_t bytes;
};

struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};
using TlsSession = std::unique_ptr<SSL, SslFree>;
// A session on the socket, or none without a context.
TlsSession tlsSession(SSL_CTX* context, socket_t sock);

void setNonBlocking(socket_t sock);

class ConnectionStream final : public httplib::Stream {
public:
    using Clock = std::chrono::steady_clock;

    // The socket is non-blocking; ssl may be null. Neither is owned.
    ConnectionStream(socket_t sock, SSL* ssl, FrontSlot& slot, const StreamLimits& limits);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, std::size_t size) override;
    ssize_t write(const char* ptr, std::size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return sock_; }

    // The TLS handshake, within the deadline.
    bool handshake();
    // A new request: its head is due within the deadline.
    void beginRequest();
    // Whether the next request's first byte comes within idle; stops
    // early once open() says the server closes.
    bool awaitRequest(std::chrono::milliseconds idle, const std::function<bool()>& open);
    void headRead(const httplib::Request& req);
    // The handler reads the body as an upload: pauses up to readPause, any size.
    void admitUpload();

    // Some of a request came (a head begun).
    bool started() const { return headDone_ || headBytes_ > 0; }
    bool headComplete() const { return headDone_; }
    // The body was not read to its end (or, chunked, cannot be known to have been).
    bool bodyPending() const;
    std::size_t written() const { return written_; }
    bool gaveWay() const { return slot_.gaveWay(); }
    // Why the stream ended the request itself: a deadline or a size passed.
    std::optional<int> ending() const { return ending_; }

    // Ends the connection: what is unread is discarded as it arrives, within
    // linger, and while open() says the server still serves.
    void close(const Linger& linger, const std::function<bool()>& open = {});

private:
    ssize_t fill(Clock::time_point until);
    bool waitFor(short events, Clock::time_point until) const;
    Clock::time_point readUntil() const;

    const socket_t sock_;
    SSL* const ssl_;
    FrontSlot& slot_;
    const StreamLimits limits_;
    bool shaken_ = false; // TLS handshake done
    bool broken_ = false; // TLS failed: no close_notify
    char buffer_[16 * 1024];
    std::size_t off_ = 0, size_ = 0;

    // The request under way.
    Clock::time_point due_;
    bool headDone_ = false;
    bool admitted_ = false;
    bool chunked_ = false;
    std::uint64_t length_ = 0;
    std::size_t headBytes_ = 0;
    std::uint64_t bodyBytes_ = 0;
    std::size_t written_ = 0;
    std::optional<int> ending_;
};

} // namespace zov::server
