#include "server/sessoes.h"

#include "library/consiste.h"
#include "library/criptografa.h"
#include "library/errors.h"

#include <sodium.h>

#include <optional>

namespace zov::server {

namespace {

const char kSeparator = '\x1f';
constexpr auto kBase64 = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

void sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw Error(QStringLiteral("A biblioteca de criptografia não pôde ser iniciada."));
}

QByteArray mac(const QByteArray& secret, const QByteArray& payload)
{
    QByteArray out(crypto_auth_hmacsha256_BYTES, '\0');
    crypto_auth_hmacsha256_state st;
    crypto_auth_hmacsha256_init(&st, reinterpret_cast<const unsigned char*>(secret.constData()), std::size_t(secret.size()));
    crypto_auth_hmacsha256_update(&st, reinterpret_cast<const unsigned char*>(payload.constData()), std::size_t(payload.size()));
    crypto_auth_hmacsha256_final(&st, reinterpret_cast<unsigned char*>(out.data()));
    return out;
}

// Codes as the client keeps them: zero-padded to their width.
std::pair<QString, QString> pairOf(const QString& filial, const QString& operador) { return {Ajusta(filial, 4), Ajusta(operador, 12)}; }

} // namespace

QByteArray sessionSecret(Connection& db)
{
    sodiumReady();
    QByteArray secret;
    db.transaction([&] {
        db.execScript(db.engine() == Engine::Postgres ? QStringLiteral("CREATE TABLE IF NOT EXISTS SRVSEGREDO (SEGREDO BYTEA NOT NULL)")
                                                      : QStringLiteral("CREATE TABLE IF NOT EXISTS SRVSEGREDO (SEGREDO BLOB NOT NULL)"));
        // Processes starting together on one database must make one secret.
        if (db.engine() == Engine::Postgres)
            db.execScript(QStringLiteral("LOCK TABLE SRVSEGREDO IN SHARE ROW EXCLUSIVE MODE"));
        secret = db.scalar(QStringLiteral("SELECT SEGREDO FROM SRVSEGREDO LIMIT 1")).toByteArray();
        if (secret.size() >= 32)
            return;
        secret = QByteArray(32, '\0');
        randombytes_buf(secret.data(), std::size_t(secret.size()));
        db.exec(QStringLiteral("DELETE FROM SRVSEGREDO"));
        Query st(db, QStringLiteral("INSERT INTO SRVSEGREDO (SEGREDO) VALUES (:S)"));
        st.bind(QStringLiteral("S"), secret);
        st.step();
    });
    return secret;
}

Sessoes::Sessoes(QByteArray secret) : secret_(std::move(secret)) { sodiumReady(); }

std::string Sessoes::token(Connection& db, Sessao sessao) const
{
    sessao.marca = situacao(db, sessao.filial, sessao.operador).first;
    const QByteArray payload = sessao.filial.toUtf8() + kSeparator + sessao.operador.toUtf8() + kSeparator
        + QByteArray::number(sessao.expira) + kSeparator + sessao.marca.toBase64(kBase64);
    return (payload.toBase64(kBase64) + '.' + mac(secret_, payload).toBase64(kBase64)).toStdString();
}

std::optional<Sessao> Sessoes::confere(std::string_view token, qint64 now) const
{
    if (token.size() > 1024)
        return std::nullopt;
    const std::size_t dot = token.find('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const auto decode = [](std::string_view part) {
        return QByteArray::fromBase64Encoding(QByteArray(part.data(), qsizetype(part.size())),
                                              kBase64 | QByteArray::AbortOnBase64DecodingErrors);
    };
    const auto payload = decode(token.substr(0, dot));
    const auto signature = decode(token.substr(dot + 1));
    if (!payload || !signature || signature.decoded.size() != crypto_auth_hmacsha256_BYTES)
        return std::nullopt;
    const QByteArray expected = mac(secret_, payload.decoded);
    if (sodium_memcmp(expected.constData(), signature.decoded.constData(), expected.size()) != 0)
        return std::nullopt;
    const QList<QByteArray> parts = payload.decoded.split(kSeparator);
    if (parts.size() != 4)
        return std::nullopt;
    bool ok = false;
    Sessao s{QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]), parts[2].toLongLong(&ok), QByteArray::fromBase64(parts[3], kBase64)};
    // This server never signs for longer: a token that claims more was not
    // made by a login (a minute allows for the clocks of several processes).
    if (!ok || s.expira <= now || s.expira > now + kValidadeSegundos + 60)
        return std::nullopt;
    return s;
}

namespace {

// The operator's stored password and whether it may use the branch (linked
// to it in FILIOPER, or the branch links nobody); none without the operator.
struct Operador {
    QString senha;
    bool ligado = false;
};

std::optional<Operador> operadorDaFilial(Connection& db, const QString& filial, const QString& operador)
{
    Query op(db,
             QStringLiteral("SELECT O.CDSENHOPER, "
                            "EXISTS (SELECT 1 FROM FILIOPER L WHERE L.CDFILIAL = :F AND L.CDOPERADOR = O.CDOPERADOR), "
                            "NOT EXISTS (SELECT 1 FROM FILIOPER L WHERE L.CDFILIAL = :F) "
                            "FROM OPERADOR O WHERE O.CDOPERADOR = :O"));
    op.bind(QStringLiteral("F"), filial);
    op.bind(QStringLiteral("O"), operador);
    if (!op.step())
        return std::nullopt;
    return Operador{op.value(0, FieldKind::Text).toString(),
                    op.value(1, FieldKind::Integer).toInt() != 0 || op.value(2, FieldKind::Integer).toInt() != 0};
}

} // namespace

std::pair<QByteArray, bool> Sessoes::situacao(Connection& db, const QString& filial, const QString& operador) const
{
    const std::optional<Operador> op = operadorDaFilial(db, filial, operador);
    if (!op) {
        // Nobody: only a token signed by the server's own tools names one.
        Query branch(db, QStringLiteral("SELECT NOT EXISTS (SELECT 1 FROM FILIOPER WHERE CDFILIAL = :F)"));
        branch.bind(QStringLiteral("F"), filial);
        return {mac(secret_, QByteArrayLiteral("-")).left(12), branch.step() && branch.value(0, FieldKind::Integer).toInt() != 0};
    }
    return {mac(secret_, QByteArrayLiteral("S") + op->senha.toUtf8()).left(12), op->ligado};
}

bool Sessoes::vigente(Connection& db, const Sessao& sessao) const
{
    const auto [marca, linked] = situacao(db, sessao.filial, sessao.operador);
    return linked && marca.size() == sessao.marca.size()
        && sodium_memcmp(marca.constData(), sessao.marca.constData(), std::size_t(marca.size())) == 0;
}

namespace {

// An unknown operator costs the same hash as a known one: the time of the
// answer does not tell which codes exist.
bool senhaDeNinguem(const QString& senha)
{
    static const QString nobody = CriptografaSenha(QStringLiteral("ninguém"));
    return SenhaOK(senha, nobody);
}

} // namespace

bool Sessoes::aceita(Connection& db, const QString& filial, const QString& operador, const QString& senha) const
{
    Query branch(db, QStringLiteral("SELECT 1 FROM FILIAL WHERE CDFILIAL = :F"));
    branch.bind(QStringLiteral("F"), filial);
    const std::optional<Operador> op = branch.step() ? operadorDaFilial(db, filial, operador) : std::nullopt;
    if (!op) {
        senhaDeNinguem(senha);
        return false;
    }
    return SenhaOK(senha, op->senha) && op->ligado;
}

Sessoes::Entrada Sessoes::entra(Connection& db, const QString& filial, const QString& operador, const QString& senha, qint64 now)
{
    // No branch or operator has a longer code: refused like a wrong password.
    if (filial.trimmed().size() > 4 || operador.trimmed().size() > 12) {
        senhaDeNinguem(senha);
        return Entrada::Recusada;
    }
    const auto key = pairOf(filial, operador);
    const QVariantMap pair = {{QStringLiteral("F"), key.first}, {QStringLiteral("O"), key.second}, {QStringLiteral("T"), now}};
    // Each try takes one of the five before its password is checked, so tries
    // sent at once, to any process, never check more than five passwords.
    bool blocked = false;
    db.transaction([&] {
        if (db.engine() == Engine::Postgres)
            db.execScript(QStringLiteral("LOCK TABLE SRVRECUSA IN SHARE ROW EXCLUSIVE MODE"));
        // Only the window is kept: someone trying many codes grows nothing for good.
        db.exec(QStringLiteral("DELETE FROM SRVRECUSA WHERE NRMOMENTO <= :T"), {{QStringLiteral("T"), now - kJanelaSegundos}});
        db.exec(QStringLiteral("DELETE FROM SRVBLOQUEIO WHERE NRATE <= :T"), {{QStringLiteral("T"), now}});
        if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM SRVBLOQUEIO WHERE CDFILIAL = :F AND CDOPERADOR = :O"), pair).toInt() > 0) {
            blocked = true;
            return;
        }
        if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM SRVRECUSA WHERE CDFILIAL = :F AND CDOPERADOR = :O"), pair).toInt()
            >= kTentativas) {
            db.exec(QStringLiteral("INSERT INTO SRVBLOQUEIO (CDFILIAL, CDOPERADOR, NRATE) VALUES (:F, :O, :A)"),
                    {{QStringLiteral("F"), key.first}, {QStringLiteral("O"), key.second}, {QStringLiteral("A"), now + kJanelaSegundos}});
            db.exec(QStringLiteral("DELETE FROM SRVRECUSA WHERE CDFILIAL = :F AND CDOPERADOR = :O"), pair);
            blocked = true;
            return;
        }
        db.exec(QStringLiteral("INSERT INTO SRVRECUSA (CDFILIAL, CDOPERADOR, NRMOMENTO) VALUES (:F, :O, :T)"), pair);
    });
    if (blocked)
        return Entrada::Bloqueada;
    if (!aceita(db, key.first, key.second, senha))
        return Entrada::Recusada;
    // The right password gives its try back.
    db.exec(db.engine() == Engine::Postgres ? QStringLiteral("DELETE FROM SRVRECUSA WHERE ctid = (SELECT ctid FROM SRVRECUSA "
                                                             "WHERE CDFILIAL = :F AND CDOPERADOR = :O AND NRMOMENTO = :T LIMIT 1)")
                                            : QStringLiteral("DELETE FROM SRVRECUSA WHERE rowid = (SELECT rowid FROM SRVRECUSA "
                                                             "WHERE CDFILIAL = :F AND CDOPERADOR = :O AND NRMOMENTO = :T LIMIT 1)"),
            pair);
    return Entrada::Aceita;
}

const char* const kRecusasSql = R"sql(
-- Refused logins within the last 15 minutes, and the pairs turned away (until NRATE, seconds since the epoch).
CREATE TABLE IF NOT EXISTS SRVRECUSA (CDFILIAL VARCHAR(4) NOT NULL, CDOPERADOR VARCHAR(12) NOT NULL, NRMOMENTO BIGINT NOT NULL);
CREATE INDEX IF NOT EXISTS IX_SRVRECUSA ON SRVRECUSA (CDFILIAL, CDOPERADOR);
CREATE TABLE IF NOT EXISTS SRVBLOQUEIO (CDFILIAL VARCHAR(4) NOT NULL, CDOPERADOR VARCHAR(12) NOT NULL, NRATE BIGINT NOT NULL,
  PRIMARY KEY (CDFILIAL, CDOPERADOR));
)sql";

} // namespace zov::server
