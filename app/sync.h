#pragma once
// zov-pedidos --sync and --export: the download and apply of the reference
// tables, and the export of orders, without any window, for scripts and
// tests. Progress lines go to stderr.
#include <QString>

namespace zov {

// The operator the server admits: --operador, and the password from the
// environment variable ZOV_SENHA (never from the command line).
struct SyncOptions {
    QString database;
    QString address; // host[:port]
    QString filial;
    QString operador;
};

// Exit code: 0 on success, 1 when the download or the apply failed, 2 for bad options.
int runSync(const SyncOptions& options);

// zov-pedidos --export: sends pending orders of the branch (all of them, or
// the listed ones) without windows. Prints one line per refused order and a
// last line with how many were sent and taken.
struct ExportOptions {
    QString database;
    QString address;
    QString filial;
    QString pedidos; // "N1,N2,..."; empty: every pending order of the branch
    QString operador;
};

// Exit code: 0 when the call succeeded (refusals or not), 1 when the
// connection, the call or the local marking failed, 2 for bad options.
int runExport(const ExportOptions& options);

} // namespace zov
