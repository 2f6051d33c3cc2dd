#pragma once
// Start-up: the regional formats, the login, the main window and the event loop.
#include <QString>

class QApplication;
class QCoreApplication;
class QIcon;

namespace zov {

class TfrmPedidosPrinc;

struct StartupOptions {
    QString database; // --database
};

// The program's icon, also the login window's.
QIcon applicationIcon();

// Installs Qt's own Brazilian Portuguese texts; false when they are not installed.
bool loadQtTranslations(QCoreApplication& app);

// Fixes the formats, shows the login modally, installs the in-house handlers
// after a successful login. False when the program must end (Sair).
bool iniciaProcesso(QApplication& app, const StartupOptions& options);

// The main window with every available window creator wired to its menu item.
TfrmPedidosPrinc* createMainWindow();

} // namespace zov
