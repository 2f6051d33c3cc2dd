// Start-up pieces that can run without the login: Qt's own texts in Portuguese,
// the windows' icon.
#include "app/outra_copia.h"
#include "app/startup.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace zov;

TEST(Startup, QtsOwnDialogTextsAreInPortuguese)
{
    ASSERT_TRUE(loadQtTranslations(*qApp)) << "qt6-translations-l10n is not installed";
    // The standard buttons of Qt's dialogs (printer set-up, files).
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("&Nome do arquivo:"));
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

TEST(Startup, WindowIconIsTheProgramsOwnFromTheResources)
{
    // Compiled in: the icon must not depend on the theme of the machine.
    const QIcon icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 48, 256})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    // The drawn sheet, not an empty square: its corner is clear, its middle is white.
    const QImage image = icon.pixmap(QSize(256, 256)).toImage();
    ASSERT_EQ(image.size(), QSize(256, 256));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixelColor(128, 40), QColor(Qt::white));
}

namespace {
int chamadas = 0;
}

TEST(Startup, ASecondStartOnTheSameDatabaseCallsTheFirstForward)
{
    QTemporaryDir dir;
    const QString banco = dir.filePath(QStringLiteral("dbVelmora.sqlite"));
    EXPECT_FALSE(ChamaCopiaAberta(banco)) << "nobody holds it yet";
    SetAoSerChamada([] { ++chamadas; });
    EscutaOutrasCopias(banco);
    EXPECT_FALSE(ChamaCopiaAberta(dir.filePath(QStringLiteral("outro.sqlite"))));
    EXPECT_TRUE(ChamaCopiaAberta(banco));
    for (int i = 0; i < 100 && chamadas == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(chamadas, 1);
    SetAoSerChamada(nullptr);
}
