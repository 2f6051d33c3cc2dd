#pragma once
// Start-up: the regional formats, the login, the main window and the event loop.
#include <QString>

class QApplication;
class QIcon;

namespace zov {

class TfrmPedidosPrinc;

struct StartupOptions {
    QString database;   // --database
    QString filial;     // --filial (development start without the login)
    QString operador;   // --operador
};

// The program's icon, also the login window's.
QIcon applicationIcon();

// Fixes the formats, runs the login (for now the session values come from the
// options), installs the in-house handlers. False when the program must end.
bool iniciaProcesso(QApplication& app, const StartupOptions& options);

// The main window with every available window creator wired to its menu item.
TfrmPedidosPrinc* createMainWindow();

} // namespace zov
