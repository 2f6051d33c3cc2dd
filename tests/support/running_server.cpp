#include "tests/support/running_server.h"

#include "server/app_server.h"
#include "server/demo_company.h"
#include "server/server_database.h"
#include "tests/support/server_engine.h"
#include "transfer/sessao_servidor.h"

#include <QDateTime>

#include <chrono>
#include <stdexcept>

namespace zov::test {

RunningServer::RunningServer(bool demo, std::size_t bodyLimit, const server::TlsFiles& tls) : path_(freshServerTarget(dir_.path()))
{
    db_ = server::createServerDatabase(path_);
    if (demo)
        server::fillDemoCompany(*db_);
    server::finishServerDatabase(*db_);
    server_ = std::make_unique<server::AppServer>(path_, tls);
    if (bodyLimit > 0)
        server_->setBodyLimit(bodyLimit);
    port_ = server_->bind(QStringLiteral("127.0.0.1"), 0);
    thread_ = std::thread([this] { server_->listen(); });
    // Hand out the port only once requests are answered; never wait unbounded.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!server_->isRunning()) {
        if (std::chrono::steady_clock::now() > deadline) {
            stop();
            throw std::runtime_error("the test server did not start within 20 s");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EsqueceSessaoServidor();
    DefineTokenServidor(token());
}

RunningServer::~RunningServer()
{
    stop();
    EsqueceSessaoServidor();
    db_.reset();
    dropServerTarget(path_);
}

std::string RunningServer::token(const QString& filial, const QString& operador, qint64 ttlSeconds) const
{
    return server_->tokenFor(filial, operador, QDateTime::currentSecsSinceEpoch() + ttlSeconds);
}

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
