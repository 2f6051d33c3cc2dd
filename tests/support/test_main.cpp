// Every test executable: an offscreen QApplication, pt_BR formats, scripted dialogs.
#include "library/formats.h"
#include "library/local_time.h"
#include "library/relogio.h"
#include "tests/support/scripted_dialogs.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "library/velmora.h"

int main(int argc, char** argv)
{
    zov::readLocalTimeZoneOnce();
    // One day for the whole run, even across midnight.
    zov::fixaDiaDeHoje(QDate::currentDate());
    // gtest_discover_tests runs the binary outside ctest's environment.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The server's tests run again on PostgreSQL with this argument (ctest's
    // ENVIRONMENT keeps only a property's first variable here).
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--zov-engine=postgres") == 0)
            qputenv("ZOV_TEST_ENGINE", "postgres");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zov-pedidos-tests"));
    zov::setProgramLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    QTemporaryDir config;
    zov::SetConfigUsrDir(config.path());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new zov::test::ScriptedDialogsEnvironment);
    return RUN_ALL_TESTS();
}
