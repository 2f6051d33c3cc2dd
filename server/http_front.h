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

// Answers requests (handlers, time-outs, limits); never listens itself.
class HttpHandling final : public httplib::Server {
public:
    // While open, the connections handed over are served (keep-alive included).
    void setOpen(bool open);
    // Serves one accepted connection to its end and closes it.
    bool serve(socket_t sock);
};

class HttpFront final : public httplib::Server {
public:
    explicit HttpFront(HttpHandling& handling) : handling_(handling) {}
    void setCaps(std::size_t perAddress, std::size_t total);

private:
    bool process_and_close_socket(socket_t sock) override;
    bool admit(const std::string& address);
    void release(const std::string& address);

    HttpHandling& handling_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::size_t> open_;
    std::size_t all_ = 0;
    std::size_t perAddress_ = 16;
    std::size_t total_ = 48;
};

} // namespace zov::server
