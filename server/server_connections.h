#pragma once
// The connections a serving process gives its requests. A PostgreSQL
// connection costs a new backend and a password exchange, so the ones a
// request is done with wait for the next; SQLite files are opened per
// request, which costs next to nothing.
#include "server/sql_connection.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace zov::server {

class ServerConnections {
public:
    // maxOpen: on PostgreSQL, at most so many open at once (0: no bound).
    explicit ServerConnections(QString target, std::size_t maxOpen = 0) : target_(std::move(target)), maxOpen_(maxOpen) {}
    // A connection for one request; back to the idle ones when released,
    // unless it was left inside a transaction or no longer answers. Past
    // maxOpen a request waits for one (up to a minute).
    std::shared_ptr<Connection> take();

private:
    static constexpr std::size_t kMaxIdle = 16;
    void giveBack(Connection* db);
    void forget(); // one open connection less

    const QString target_;
    const std::size_t maxOpen_;
    std::mutex mutex_;
    std::condition_variable freed_;
    std::vector<std::unique_ptr<Connection>> idle_;
    std::size_t open_ = 0;
};

} // namespace zov::server
