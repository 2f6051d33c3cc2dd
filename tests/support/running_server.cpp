#include "tests/support/running_server.h"

#include "server/app_server.h"
#include "server/demo_company.h"
#include "server/server_database.h"

namespace zov::test {

RunningServer::RunningServer(bool demo) : path_(dir_.filePath(QStringLiteral("servidor.db")))
{
    db_ = server::createServerDatabase(path_);
    if (demo)
        server::fillDemoCompany(*db_);
    server::finishServerDatabase(*db_);
    server_ = std::make_unique<server::AppServer>(path_);
    port_ = server_->bind(QStringLiteral("127.0.0.1"), 0);
    thread_ = std::thread([this] { server_->listen(); });
}

RunningServer::~RunningServer() { stop(); }

QString RunningServer::address() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

void RunningServer::stop()
{
    if (!server_)
        return;
    server_->stop();
    if (thread_.joinable())
        thread_.join();
    server_.reset();
}

} // namespace zov::test
