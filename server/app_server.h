#pragma once
// zov-appserver's HTTP side: GET / answers who it is; POST /sessao gives an
// operator a token; POST /<object>/<method> runs a method of a server object,
// for the session's operator, on its own database connection.
#include <QString>
#include <cstddef>
#include <memory>
#include <string>

namespace zov::server {

// The server's certificate and key (PEM files): given, it serves HTTPS.
struct TlsFiles {
    QString certificado, chave;
    bool empty() const { return certificado.isEmpty() && chave.isEmpty(); }
};

class AppServer {
public:
    // The database must be a server database (openServerDatabase checks it).
    // Throws Error when the certificate or key cannot be used.
    explicit AppServer(QString databasePath, const TlsFiles& tls = {});
    ~AppServer();
    AppServer(const AppServer&) = delete;
    AppServer& operator=(const AppServer&) = delete;

    // Binds the address; port 0 picks a free one. Returns the port bound.
    // Throws Error when the address cannot be used.
    int bind(const QString& host, int port);
    // Serves until stop(); call after bind.
    void listen();
    // Safe from any thread, also before listen() started: a stop asked first
    // makes listen() return at once. Returns once listen() has ended.
    void stop();
    // True while the accept loop runs (requests are answered).
    bool isRunning() const;
    // The largest request body accepted once inflated: the wire's limit,
    // lower in tests. Call before listen().
    void setBodyLimit(std::size_t bytes);
    // One line per request on stderr.
    void setLogging(bool on);
    bool servesTls() const;
    // A token as POST /sessao gives it, for any branch, operator and expiry
    // (seconds since the epoch): for tests and tools on the server's machine.
    std::string tokenFor(const QString& filial, const QString& operador, qint64 expira) const;

private:
    void widenBacklog();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zov::server
