#pragma once
// Operator sessions: POST /sessao checks branch, operator and password by the
// login's own rule on the server's tables and hands out a token the server
// signs with a secret of its database; every object call carries one. A pair
// of branch and operator refused five times within 15 minutes is turned away
// for 15 minutes, so passwords cannot be guessed through the server. The
// refusals are counted in the database: every process serving it counts the
// same ones, and a restart forgets none.
#include "server/sql_connection.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zov::server {

// Who a token speaks for, and until when (seconds since the epoch). marca
// fingerprints the operator's password as it was when the token was made:
// a password changed or an operator removed makes it differ.
struct Sessao {
    QString filial, operador;
    qint64 expira = 0;
    QByteArray marca;
};

// The server secret: made at random the first time, kept in the database.
QByteArray sessionSecret(Connection& db);

class Sessoes {
public:
    static constexpr qint64 kValidadeSegundos = 12 * 3600;
    static constexpr int kTentativas = 5;
    static constexpr qint64 kJanelaSegundos = 15 * 60;

    explicit Sessoes(QByteArray secret);

    // The signed token of a session, marked with the operator's password as
    // the database holds it now (tests sign expired ones too).
    std::string token(Connection& db, Sessao sessao) const;
    // The session a token names; none when it is malformed, forged, past its
    // time at now or claims more than kValidadeSegundos from now.
    std::optional<Sessao> confere(std::string_view token, qint64 now) const;
    // Whether a session still stands on the database: its operator exists
    // with the same password and is linked to the branch (or the branch
    // links nobody), as at the login.
    bool vigente(Connection& db, const Sessao& sessao) const;

    enum class Entrada { Aceita, Recusada, Bloqueada };
    // The login's rule: the branch exists, the operator exists and is linked
    // to it (or the branch links nobody), the password verifies. Refusals
    // are counted per pair (SRVRECUSA); a blocked pair (SRVBLOQUEIO) is not
    // even checked.
    Entrada entra(Connection& db, const QString& filial, const QString& operador, const QString& senha, qint64 now);

private:
    bool aceita(Connection& db, const QString& filial, const QString& operador, const QString& senha) const;
    // The operator's fingerprint and whether it may use the branch.
    std::pair<QByteArray, bool> situacao(Connection& db, const QString& filial, const QString& operador) const;
    QByteArray secret_;
};

// The tables of the refusal counts, in the engine's words.
extern const char* const kRecusasSql;

} // namespace zov::server
