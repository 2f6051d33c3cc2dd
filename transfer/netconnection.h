#pragma once
// The connection to the application server.
//
// A TNetConnection serves one server object (its ServerName, such as
// "PAD.rdmExpDados"). Opening it runs the before-connect hook, which by
// default takes the host and port from the session (IPAcesso, Porta), and
// tests the server with GET / within the connect time-out. Remote calls are
// POST /<ServerName>/<Method> with the arguments as JSON.
//
// Every request runs on a worker thread while the calling (GUI) thread waits
// in a local event loop that repaints windows but takes no user input; a
// server that does not answer within the time-out is an error. The database
// is never touched from the worker.
#include "library/errors.h"
#include "protocol/protocol.h"

#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace zov {

// Time-outs in milliseconds.
struct NetTimeouts {
    int connectMs = 10000; // the TCP connect, and the whole connection test
    int callMs = 300000;   // one remote call, from the request to the last byte of the reply
};

// The installation's time-outs: <ConfigUsrDir>/instalacao.ini, group
// [Instalacao], keys TimeoutConexao and TimeoutChamada in seconds; read on
// first use. New connections start with these.
NetTimeouts DefaultNetTimeouts();
void SetDefaultNetTimeouts(const NetTimeouts& timeouts);
// Reads the file again (missing or invalid keys keep the built-in values).
void LoadNetTimeouts();

// The request may have reached the server — it left, but no whole reply came
// back (cut, time-out, half a reply): whether the server did what was asked is
// not known. Other transport errors mean the request never reached it.
class EntregaIncerta : public Error {
public:
    using Error::Error;
};

// A reply as it came: status and body (already decompressed).
struct RemoteReply {
    QString method;
    int status = 0;
    std::string body;
};

class TNetConnection {
public:
    explicit TNetConnection(QString serverName);
    ~TNetConnection();
    TNetConnection(const TNetConnection&) = delete;
    TNetConnection& operator=(const TNetConnection&) = delete;

    const QString& serverName() const { return serverName_; }

    // Where the next connect goes; the hook sets them.
    const QString& host() const { return host_; }
    void setHost(const QString& host) { host_ = host; }
    int port() const { return port_; }
    void setPort(int port) { port_ = port; }
    // Runs at every connect, before anything is sent. The default takes the
    // session's IPAcesso and Porta (UseSessionAddress).
    std::function<void(TNetConnection&)> beforeConnect;

    const NetTimeouts& timeouts() const { return timeouts_; }
    void setTimeouts(const NetTimeouts& timeouts) { timeouts_ = timeouts; }
    // The largest reply accepted once inflated: the wire's limit, lower in tests.
    void setReplyLimit(std::size_t bytes) { replyLimit_ = bytes; }

    bool connected() const { return connected_; }
    // true: hook, then the connection test; throws Error (and stays closed) on failure.
    // false: closes.
    void setConnected(bool value);
    void open() { setConnected(true); }
    void close() { setConnected(false); }

    // Asks the server for a token with the session's credentials
    // (sessao_servidor.h), connecting first when needed. True when one was
    // given; false when there are no credentials or the server refused them
    // (the refusal is kept and said by the next call). Throws Error when the
    // server cannot be reached.
    bool abreSessao();

    // Calls a method of the server object, connecting first when needed.
    // Transport failures throw Error (EntregaIncerta once the request may
    // have arrived); the reply is returned as it came, to be checked by
    // CheckResultServ.
    RemoteReply AppServer(const QString& method, const RemoteArgs& args);
    // The same taking the arguments' text over (a large request is never copied).
    RemoteReply AppServer(const QString& method, RemoteArgs&& args);
    // The same, decoding the result into consumer while it arrives, so the
    // body is never held whole; throws Error as CheckResultServ would. The
    // consumer runs on a thread of its own: it must not touch widgets, the
    // database or anything the waiting thread uses meanwhile.
    void AppServerStreaming(const QString& method, const RemoteArgs& args, ReplyConsumer& consumer);

private:
    QString address() const;
    // One remote call; stream, when given, receives a 200 result as it
    // arrives (streamed says it did).
    RemoteReply call(const QString& method, std::vector<std::string> body, ReplyConsumer* stream, bool& streamed);
    QString serverName_;
    QString host_;
    int port_ = 0;
    bool connected_ = false;
    bool busy_ = false;
    NetTimeouts timeouts_;
    std::size_t replyLimit_ = kMaxBodyBytes;
};

// The default hook: host = IPAcesso(), port = Porta() (211 when unset).
void UseSessionAddress(TNetConnection& connection);

// The body of the last remote call as it went on the wire (compressed when it was).
std::size_t LastRequestBodyBytes();

// The reply's result elements (null elements as null packets). Raises the
// server's error as the server wrote it; a bad status or a body that is not
// a reply raises one readable error.
std::vector<Packet> CheckResultServ(const RemoteReply& reply);
// The same, streaming the elements to a consumer (large replies).
void CheckResultServ(const RemoteReply& reply, ReplyConsumer& consumer);

} // namespace zov
