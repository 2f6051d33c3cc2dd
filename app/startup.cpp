#include "app/startup.h"

#include "app/GeralZOV.h"
#include "app/ZOV00000.h"
#include "app/windows.h"
#include "db/dbgeralped.h"
#include "library/consiste.h"
#include "library/dialogs_qt.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/geral.h"
#include "library/velmora.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace zov {

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0, 84, 147));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(size * 5 / 8);
        p.setFont(f);
        p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("Z"));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

namespace {

// Until the login exists, the session comes from the options and the local tables.
void sessionFromOptions(const StartupOptions& options)
{
    if (options.filial.isEmpty())
        return;
    SetFilial(Ajusta(options.filial, 4));
    SetCdOperador(Ajusta(options.operador, 12));
    runGuarded([&] {
        Database& db = DataBaseGeralPed();
        SetNmFilial(db.scalar(QStringLiteral("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = :F"), {{QStringLiteral("F"), Filial()}}).toString());
        SetNmOperador(db.scalar(QStringLiteral("SELECT NMOPERADOR FROM OPERADOR WHERE CDOPERADOR = :O"),
                                {{QStringLiteral("O"), CdOperador()}})
                          .toString());
    });
}

} // namespace

bool iniciaProcesso(QApplication& app, const StartupOptions& options)
{
    fixLocaleAtStartup();
    installDialogs(std::make_unique<QtDialogs>());
    if (!options.database.isEmpty())
        SetDatabasePath(options.database);
    LoadInstallationSettings();
    app.setWindowIcon(applicationIcon());
    app.setApplicationDisplayName(QStringLiteral("Pedidos ZOV - RA"));

    // The database is connected before any window: a file that cannot be
    // opened is reported here, and every later use tries again.
    runGuarded([] { DataBaseGeralPed(); });
    sessionFromOptions(options);

    HandleFormChange(app);
    HandleMsgPagina();
    return true;
}

TfrmPedidosPrinc* createMainWindow()
{
    auto* w = new TfrmPedidosPrinc;
    w->setAttribute(Qt::WA_DeleteOnClose);
    registerWindows(*w);
    w->setWindowIcon(applicationIcon());
    return w;
}

} // namespace zov
