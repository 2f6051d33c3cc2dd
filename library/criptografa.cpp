#include "library/criptografa.h"

#include "library/errors.h"

#include <sodium.h>

namespace zov {

namespace {

void ensureSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw Error(QStringLiteral("A biblioteca de criptografia não pôde ser iniciada."));
}

} // namespace

bool SenhaOK(const QString& typed, const QString& stored)
{
    ensureSodium();
    const QByteArray hash = stored.trimmed().toUtf8();
    if (hash.isEmpty() || hash.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray password = typed.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), password.constData(), quint64(password.size())) == 0;
}

QString CriptografaSenha(const QString& password)
{
    ensureSodium();
    const QByteArray p = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, p.constData(), quint64(p.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        throw Error(QStringLiteral("Memória insuficiente para criptografar a senha."));
    return QString::fromLatin1(out);
}

} // namespace zov
