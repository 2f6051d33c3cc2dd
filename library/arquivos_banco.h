#pragma once
// The database's own files (the database, its -wal, -shm and -journal, the
// program's lock file) are opened by SQLite only. SQLite's locks are POSIX
// locks, held per process: any other open and close of one of these files in
// the process drops them, and another process may then checkpoint and delete
// the -wal the program is still writing into.
#include <QString>

namespace zov {

// The database whose files are guarded (set when it is opened).
void SetArquivoBanco(const QString& caminhoBanco);
// Whether a path is one of the database's own files.
bool arquivoDoBanco(const QString& caminho);
// The text a file dialog shows when one of them is chosen.
QString msgArquivoDoBanco();

// For every file dialog and file-name completer of the process (Qt's own
// print dialog's too): their file list tells a file's type by its name only.
// Qt otherwise reads the start of each file without a known extension (the
// -wal, the -shm, and ".sqlite"), which drops SQLite's locks. Also keeps
// every file dialog Qt's own, which this can reach.
void ProtegeArquivosDoBanco();

} // namespace zov
