#pragma once
// One program per database file. Two copies on one file number orders over
// each other and overwrite each other's edits, so the process holds a lock
// file beside the database (its name plus ".lock") from before the login to
// its end; a lock left by a process that died is taken over.
#include "library/errors.h"

#include <QString>

namespace zov {

// Another live process holds the database.
class BancoEmUso : public Error {
public:
    using Error::Error;
};

// Takes the lock of this database for the process (nothing when it already
// holds it; a lock of another database is given up). Throws Error with a
// Portuguese text naming who holds it when another process does.
void TravaBanco(const QString& caminhoBanco);
// Gives the lock up (end of the process, tests).
void LiberaBanco();
// The lock file of a database.
QString arquivoTrava(const QString& caminhoBanco);

} // namespace zov
