#pragma once
// Operator passwords: OPERADOR.CDSENHOPER holds a hash (argon2id), never the
// password itself.
#include <QString>

namespace zov {

// True when the typed password matches the stored hash. A stored value that
// is not a hash never matches.
bool SenhaOK(const QString& typed, const QString& stored);
// The hash to store for a password (interactive limits: ~0.1 s each).
QString CriptografaSenha(const QString& password);

} // namespace zov
