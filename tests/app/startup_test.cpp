// Start-up pieces that can run without the login: Qt's own texts in Portuguese.
#include "app/startup.h"

#include <QApplication>
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
