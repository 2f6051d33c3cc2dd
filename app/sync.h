#pragma once
// zov-pedidos --sync: the download and apply of the reference tables without
// any window, for scripts and tests. Progress lines go to stderr.
#include <QString>

namespace zov {

struct SyncOptions {
    QString database;
    QString address; // host[:port]
    QString filial;
};

// Exit code: 0 on success, 1 when the download or the apply failed, 2 for bad options.
int runSync(const SyncOptions& options);

} // namespace zov
