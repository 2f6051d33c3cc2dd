// The server database's numbered layout, on either engine.
#include "server/pg_connection.h"
#include "server/server_database.h"
#include "tests/server/server_fixture.h"
#include "tests/support/server_engine.h"

#include <QTemporaryDir>
#include <gmock/gmock.h>

using namespace zov;
using namespace zov::test;
using ::testing::HasSubstr;

TEST(ServerLayout, ANewerLayoutIsRefusedAndInitReplacesOnlyWhenForced)
{
    QTemporaryDir dir;
    const QString target = freshServerTarget(dir.path());
    server::finishServerDatabase(*server::createServerDatabase(target));
    EXPECT_THAT(errorOf([&] { server::createServerDatabase(target); }).toStdString(),
                HasSubstr(serverOnPostgres() ? "já tem tabelas" : "já existe"));
    {
        auto db = server::openServerDatabase(target);
        if (serverOnPostgres())
            db->exec(QStringLiteral("INSERT INTO SRVMIGRACAO (NRVERSAO, DSMIGRACAO, DTAPLICADA) VALUES (99, 'futura', LOCALTIMESTAMP)"));
        else
            db->execScript(QStringLiteral("PRAGMA user_version = 99"));
    }
    for (bool reading : {false, true}) {
        const QString why = errorOf([&] { reading ? server::openServerDatabaseForReading(target) : server::openServerDatabase(target); });
        EXPECT_THAT(why.toStdString(), HasSubstr("versão 99 do zov-appserver, mais nova")) << reading;
    }
    server::clearServerDatabase(target); // init --force
    server::finishServerDatabase(*server::createServerDatabase(target));
    EXPECT_EQ(errorOf([&] { server::openServerDatabase(target); }), QStringLiteral("<no error>"));
    dropServerTarget(target);
}

TEST(ServerLayout, APostgresDatabaseMustBeEmptyOrTheServersOwn)
{
    if (!serverOnPostgres())
        GTEST_SKIP() << "PostgreSQL only";
    QTemporaryDir dir;
    const QString target = freshServerTarget(dir.path());
    EXPECT_THAT(errorOf([&] { server::openServerDatabase(target); }).toStdString(), HasSubstr("está vazio"));
    server::connectPostgres(target)->execScript(QStringLiteral("CREATE TABLE CONTAS (ID INTEGER)"));
    EXPECT_THAT(errorOf([&] { server::openServerDatabase(target); }).toStdString(), HasSubstr("não é um banco do zov-appserver"));
    EXPECT_THAT(errorOf([&] { server::createServerDatabase(target); }).toStdString(), HasSubstr("já tem tabelas"));
    dropServerTarget(target);
}
