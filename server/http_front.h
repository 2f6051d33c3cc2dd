#pragma once
// zov-appserver's connections: a front that accepts them and admits at most
// so many per client address and in all, and hands the admitted ones to the
// server that answers their requests (http_handling.h). Slow senders (a
// mobile link, or someone holding connections open on purpose) so never
// take every thread: when a cap is reached, the connection that has spent
// longest in its handshake, its request's head or a discarded body gives
// way to the newcomer; only when none is that slow is the newcomer answered
// 503, inside TLS on a TLS port.
#include "server/front_slot.h"
#include "server/http_handling.h"

#include <httplib.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace zov::server {

class HttpFront final : public httplib::Server {
public:
    // handling: an HttpHandling.
    explicit HttpFront(httplib::Server& handling);
    void setCaps(std::size_t perAddress, std::size_t total);
    // For tests: the caps every front keeps while set (0, 0: their own).
    static void setCapsForTests(std::size_t perAddress, std::size_t total);

private:
    bool process_and_close_socket(socket_t sock) override;
    bool admit(FrontSlot& slot);
    void release(FrontSlot& slot);
    void forget(const FrontSlot& slot);
    FrontSlot* slowest(const std::string* address) const;
    void refuse(socket_t sock);

    ConnectionHandler& handling_;
    std::mutex mutex_;
    std::vector<FrontSlot*> slots_;                     // admitted, until they end
    std::unordered_map<std::string, std::size_t> open_; // per address, without those that gave way
    std::size_t all_ = 0;
    std::size_t perAddress_ = 16;
    std::size_t total_ = 48;
};

} // namespace zov::server
