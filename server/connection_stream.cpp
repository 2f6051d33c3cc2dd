#include "server/connection_stream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace zov::server {

namespace {

void addressOf(const sockaddr_storage& addr, std::string& ip, int& port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (addr.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(addr);
        ::inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
        port = ntohs(in.sin_port);
    } else if (addr.ss_family == AF_INET6) {
        const auto& in = reinterpret_cast<const sockaddr_in6&>(addr);
        ::inet_ntop(AF_INET6, &in.sin6_addr, text, sizeof text);
        port = ntohs(in.sin6_port);
    }
    ip = text;
}

} // namespace

TlsSession tlsSession(SSL_CTX* context, socket_t sock)
{
    if (!context)
        return {};
    TlsSession ssl(SSL_new(context));
    if (ssl && SSL_set_fd(ssl.get(), sock) != 1)
        ssl.reset();
    return ssl;
}

void setNonBlocking(socket_t sock)
{
    const int flags = ::fcntl(sock, F_GETFL, 0);
    if (flags >= 0)
        ::fcntl(sock, F_SETFL, flags | O_NONBLOCK);
}

ConnectionStream::ConnectionStream(socket_t sock, SSL* ssl, FrontSlot& slot, const StreamLimits& limits)
    : sock_(sock), ssl_(ssl), slot_(slot), limits_(limits), due_(Clock::now() + limits.deadline)
{}

bool ConnectionStream::waitFor(short events, Clock::time_point until) const
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{sock_, events, 0};
        const int ready = ::poll(&p, 1, int(std::min<long long>(left, INT_MAX)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

// An admitted body may pause for readPause between bytes; anything else is
// due by the request's deadline.
ConnectionStream::Clock::time_point ConnectionStream::readUntil() const
{
    const auto pause = Clock::now() + limits_.readPause;
    return admitted_ ? pause : std::min(pause, due_);
}

ssize_t ConnectionStream::fill(Clock::time_point until)
{
    for (;;) {
        if (slot_.gaveWay())
            return -1;
        short want = POLLIN;
        if (ssl_) {
            ERR_clear_error();
            const int n = SSL_read(ssl_, buffer_, int(sizeof buffer_));
            if (n > 0) {
                off_ = 0;
                size_ = std::size_t(n);
                return n;
            }
            const int error = SSL_get_error(ssl_, n);
            if (error == SSL_ERROR_ZERO_RETURN)
                return 0;
            if (error == SSL_ERROR_WANT_WRITE)
                want = POLLOUT;
            else if (error != SSL_ERROR_WANT_READ) {
                broken_ = true;
                return -1;
            }
        } else {
            const ssize_t n = ::recv(sock_, buffer_, sizeof buffer_, 0);
            if (n > 0) {
                off_ = 0;
                size_ = std::size_t(n);
                return n;
            }
            if (n == 0)
                return 0;
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return -1;
        }
        if (!waitFor(want, until)) {
            if (!admitted_ && Clock::now() >= due_)
                ending_ = 408;
            return -1;
        }
    }
}

bool ConnectionStream::is_readable() const { return off_ < size_ || (ssl_ && SSL_has_pending(ssl_)) || waitFor(POLLIN, readUntil()); }

bool ConnectionStream::is_writable() const { return waitFor(POLLOUT, Clock::now() + limits_.writePause); }

ssize_t ConnectionStream::read(char* ptr, std::size_t size)
{
    if (slot_.gaveWay())
        return -1;
    // Held to its bounds until a handler admits the body: httplib's line
    // reader grows without end while no newline comes.
    std::size_t allowed = size;
    if (!headDone_)
        allowed = std::min(size, limits_.headBytes - std::min(headBytes_, limits_.headBytes));
    else if (!admitted_)
        allowed = std::size_t(
            std::min<std::uint64_t>(size, limits_.unadmittedBody - std::min<std::uint64_t>(bodyBytes_, limits_.unadmittedBody)));
    if (allowed == 0) {
        ending_ = headDone_ ? 413 : 431;
        return -1;
    }
    if (off_ == size_) {
        const ssize_t n = fill(readUntil());
        if (n <= 0)
            return n;
    }
    const std::size_t n = std::min(allowed, size_ - off_);
    std::memcpy(ptr, buffer_ + off_, n);
    off_ += n;
    if (!headDone_) {
        headBytes_ += n;
    } else {
        bodyBytes_ += n;
        if (!admitted_ && !bodyPending())
            slot_.enter(Phase::Working);
    }
    return ssize_t(n);
}

ssize_t ConnectionStream::write(const char* ptr, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto until = Clock::now() + limits_.writePause;
    for (;;) {
        short want = POLLOUT;
        if (ssl_) {
            ERR_clear_error();
            const int n = SSL_write(ssl_, ptr, int(std::min<std::size_t>(size, INT_MAX)));
            if (n > 0) {
                written_ += std::size_t(n);
                return n;
            }
            const int error = SSL_get_error(ssl_, n);
            if (error == SSL_ERROR_WANT_READ)
                want = POLLIN;
            else if (error != SSL_ERROR_WANT_WRITE) {
                broken_ = true;
                return -1;
            }
        } else {
            const ssize_t n = ::send(sock_, ptr, size, MSG_NOSIGNAL);
            if (n > 0) {
                written_ += std::size_t(n);
                return n;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                return -1;
        }
        if (!waitFor(want, until))
            return -1;
    }
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (::getpeername(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        addressOf(addr, ip, port);
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        addressOf(addr, ip, port);
}

bool ConnectionStream::handshake()
{
    const auto until = Clock::now() + limits_.deadline;
    for (;;) {
        if (slot_.gaveWay())
            break;
        ERR_clear_error();
        const int done = SSL_accept(ssl_);
        if (done == 1) {
            shaken_ = true;
            return true;
        }
        const int error = SSL_get_error(ssl_, done);
        const short want = error == SSL_ERROR_WANT_READ ? POLLIN : error == SSL_ERROR_WANT_WRITE ? POLLOUT : 0;
        if (want == 0 || !waitFor(want, until))
            break;
    }
    broken_ = true;
    return false;
}

void ConnectionStream::beginRequest()
{
    due_ = Clock::now() + limits_.deadline;
    headDone_ = admitted_ = chunked_ = false;
    length_ = bodyBytes_ = 0;
    headBytes_ = written_ = 0;
    ending_.reset();
    slot_.enter(Phase::Receiving);
}

bool ConnectionStream::awaitRequest(std::chrono::milliseconds idle, const std::function<bool()>& open)
{
    if (off_ < size_ || (ssl_ && SSL_has_pending(ssl_)))
        return true;
    const auto until = std::min(Clock::now() + idle, due_);
    // In short waits: a server that closes does not wait for idle clients.
    while (open() && !slot_.gaveWay()) {
        const auto now = Clock::now();
        if (now >= until)
            return false;
        if (waitFor(POLLIN, std::min(until, now + std::chrono::milliseconds(50))))
            return true;
    }
    return false;
}

void ConnectionStream::headRead(const httplib::Request& req)
{
    headDone_ = true;
    // As httplib frames the body: chunked first, else Content-Length.
    chunked_ = ::strcasecmp(req.get_header_value("Transfer-Encoding").c_str(), "chunked") == 0;
    const std::string length = req.get_header_value("Content-Length");
    length_ = length.empty() ? 0 : std::strtoull(length.c_str(), nullptr, 10);
    if (!bodyPending())
        slot_.enter(Phase::Working);
}

void ConnectionStream::admitUpload()
{
    if (!headDone_ || slot_.gaveWay())
        return;
    admitted_ = true;
    slot_.enter(Phase::Upload);
}

bool ConnectionStream::bodyPending() const { return headDone_ && (chunked_ || bodyBytes_ < length_); }

void ConnectionStream::close(const Linger& linger, const std::function<bool()>& open)
{
    if (ssl_ && shaken_ && !broken_)
        SSL_shutdown(ssl_); // close_notify: the answer ended here
    ::shutdown(sock_, SHUT_WR);
    const auto end = Clock::now() + linger.total;
    auto lastByte = Clock::now();
    std::uint64_t dropped = 0;
    char scrap[16 * 1024];
    while (dropped < linger.bytes && !slot_.gaveWay() && (!open || open())) {
        const ssize_t n = ::recv(sock_, scrap, sizeof scrap, 0);
        if (n > 0) {
            dropped += std::uint64_t(n);
            lastByte = Clock::now();
            continue;
        }
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
            break;
        const auto until = std::min(end, lastByte + linger.pause);
        if (Clock::now() >= until)
            break;
        // In short waits, so a server that stops is not held by a slow sender.
        waitFor(POLLIN, std::min(until, Clock::now() + std::chrono::milliseconds(250)));
    }
}

} // namespace zov::server
