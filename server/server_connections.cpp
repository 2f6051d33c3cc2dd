#include "server/server_connections.h"

#include "library/errors.h"
#include "server/server_database.h"

#include <chrono>

namespace zov::server {

std::shared_ptr<Connection> ServerConnections::take()
{
    if (!isPostgresTarget(target_))
        return connectServerDatabase(target_);
    const auto release = [this](Connection* c) { giveBack(c); };
    for (;;) {
        std::unique_ptr<Connection> db;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!freed_.wait_for(lock, std::chrono::minutes(1), [this] { return !idle_.empty() || maxOpen_ == 0 || open_ < maxOpen_; }))
                throw Error(QStringLiteral("O servidor de aplicação está com todas as conexões ao banco de dados ocupadas."));
            if (idle_.empty()) {
                ++open_;
                lock.unlock();
                try {
                    return std::shared_ptr<Connection>(connectServerDatabase(target_).release(), release);
                } catch (...) {
                    forget();
                    throw;
                }
            }
            db = std::move(idle_.back());
            idle_.pop_back();
        }
        // A database restarted meanwhile closed it: find out before the request does.
        try {
            db->execScript(QStringLiteral("SELECT 1"));
        } catch (const std::exception&) {
            db.reset();
            forget();
            continue;
        }
        return std::shared_ptr<Connection>(db.release(), release);
    }
}

void ServerConnections::forget()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        --open_;
    }
    freed_.notify_one();
}

void ServerConnections::giveBack(Connection* db)
{
    std::unique_ptr<Connection> owned(db);
    // A request that failed half-way starts clean; past the idle ones kept, it closes.
    if (!owned->inTransaction()) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (idle_.size() < kMaxIdle) {
            idle_.push_back(std::move(owned));
            freed_.notify_one();
            return;
        }
    }
    owned.reset();
    forget();
}

} // namespace zov::server
