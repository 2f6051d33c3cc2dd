#pragma once
// A zov-appserver running in-process on 127.0.0.1 with an ephemeral port,
// over a fresh server database (the demo company, or empty tables).
#include "server/app_server.h"
#include "server/sql_connection.h"
#include "tests/support/server_engine.h"

#include <QTemporaryDir>
#include <memory>
#include <string>
#include <thread>

namespace zov::test {

class RunningServer {
public:
    // bodyLimit: the largest request accepted (0: the wire's own limit).
    // tls: the certificate and key to serve HTTPS with.
    explicit RunningServer(bool demo, std::size_t bodyLimit = 0, const server::TlsFiles& tls = {});
    ~RunningServer();
    RunningServer(const RunningServer&) = delete;
    RunningServer& operator=(const RunningServer&) = delete;

    // A connection of the test's own to the server database.
    server::Connection& db() { return *db_; }
    // The file or PostgreSQL URI the server was given.
    const QString& path() const { return path_; }
    int port() const { return port_; }
    QString address() const; // "127.0.0.1:port"
    // A token the server accepts (branch 0001 and the demo's first operator
    // unless said), valid for ttlSeconds from now (negative: already expired).
    // The client's calls carry one from the start: the server was entered.
    std::string token(const QString& filial = QStringLiteral("0001"), const QString& operador = QStringLiteral("000000000001"),
                      qint64 ttlSeconds = 3600) const;
    // Stops answering; the port is closed afterwards.
    void stop();

private:
    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<server::Connection> db_;
    std::unique_ptr<server::AppServer> server_;
    std::thread thread_;
    int port_ = 0;
};

} // namespace zov::test
