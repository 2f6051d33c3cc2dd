#include "server/server_connections.h"

#include "server/server_database.h"

namespace zov::server {

std::shared_ptr<Connection> ServerConnections::take()
{
    if (!isPostgresTarget(target_))
        return connectServerDatabase(target_);
    for (;;) {
        std::unique_ptr<Connection> db;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (idle_.empty())
                break;
            db = std::move(idle_.back());
            idle_.pop_back();
        }
        // A database restarted meanwhile closed it: find out before the request does.
        try {
            db->execScript(QStringLiteral("SELECT 1"));
        } catch (const std::exception&) {
            continue;
        }
        return std::shared_ptr<Connection>(db.release(), [this](Connection* c) { giveBack(c); });
    }
    return std::shared_ptr<Connection>(connectServerDatabase(target_).release(), [this](Connection* c) { giveBack(c); });
}

void ServerConnections::giveBack(Connection* db)
{
    std::unique_ptr<Connection> owned(db);
    if (owned->inTransaction())
        return; // a request that failed half-way: start clean
    const std::lock_guard<std::mutex> lock(mutex_);
    if (idle_.size() < kMaxIdle)
        idle_.push_back(std::move(owned));
}

} // namespace zov::server
