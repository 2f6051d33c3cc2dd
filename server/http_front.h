#pragma once
// zov-appserver's connections: a front that accepts them and admits at most
// so many per client address and in all, and the server that answers the
// requests of the admitted ones. Slow senders (a mobile link, or someone
// holding connections open on purpose) so never take every thread.
#include <httplib.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace zov::server {

// Serves one accepted connection to its end and closes it, with the
// server's own code (TLS handshake included for an httplib::SSLServer).
bool serveConnection(httplib::Server& server, socket_t sock);

// Answers requests (handlers, time-outs, limits); never listens itself.
// Base: httplib::Server, or httplib::SSLServer for HTTPS.
template <class Base>
class HttpHandling final : public Base {
public:
    using Base::Base;
    // While open, the connections handed over are served (keep-alive included).
    // httplib ends a connection's keep-alive loop once its listening socket
    // is gone; this server has none of its own, so it is told.
    void setOpen(bool open) { this->svr_sock_ = open ? socket_t(0) : INVALID_SOCKET; }
};

class HttpFront final : public httplib::Server {
public:
    explicit HttpFront(httplib::Server& handling) : handling_(handling) {}
    void setCaps(std::size_t perAddress, std::size_t total);

private:
    bool process_and_close_socket(socket_t sock) override;
    bool admit(const std::string& address);
    void release(const std::string& address);

    httplib::Server& handling_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::size_t> open_;
    std::size_t all_ = 0;
    std::size_t perAddress_ = 16;
    std::size_t total_ = 48;
};

} // namespace zov::server
