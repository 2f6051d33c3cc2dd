// The login and the headless sync against zov-appserver's demo company.
#include "app/ZOV00010.h"
#include "session/GeralZOV.h"
#include "tests/e2e/login_e2e.h"
#include "tests/support/running_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/sessao_servidor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/types.h>

using namespace zov;
using test::countRows;

namespace {

class LoginE2E : public test::DialogsTest {
protected:
    void TearDown() override
    {
        ClearSession();
        test::DialogsTest::TearDown();
    }
};

TEST_F(LoginE2E, AnEmptyMachineIsFilledAndTheOperatorAdmitted)
{
    test::RunningServer server(true);
    test::TempDatabase client;
    TfrmLogin login;
    test::entraComoAna(login, server.address());

    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(login.logic().admitido());
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(countRows(client.db(), QStringLiteral("CLIENTE")), countRows(server.db(), QStringLiteral("CLIENTE")));
    EXPECT_EQ(countRows(client.db(), QStringLiteral("OPERADOR")), 3);
    EXPECT_EQ(Filial(), QStringLiteral("0001"));
    EXPECT_EQ(CdOperador(), QStringLiteral("000000000001"));
    EXPECT_EQ(NmFilial(), server.db().scalar(QStringLiteral("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL='0001'")).toString());
    EXPECT_EQ(NmOperador(),
              server.db().scalar(QStringLiteral("SELECT NMOPERADOR FROM OPERADOR WHERE CDOPERADOR='000000000001'")).toString());
    EXPECT_EQ(IPAcesso(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Porta(), server.port());
}

// The office changed Ana's password: the laptop's copy still holds the old
// one, so the server is asked, admits her, and the refresh brings the new.
TEST_F(LoginE2E, APasswordChangedAtTheOfficeLogsInAndReachesTheLaptop)
{
    test::RunningServer server(true);
    test::TempDatabase client;
    {
        TfrmLogin first;
        test::entraComoAna(first, server.address());
        ASSERT_TRUE(first.logic().admitido()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    }
    server.db().exec(QStringLiteral("UPDATE OPERADOR SET CDSENHOPER = (SELECT CDSENHOPER FROM OPERADOR WHERE CDOPERADOR = '000000000002') "
                                    "WHERE CDOPERADOR = '000000000001'"));
    ClearSession();
    EsqueceSessaoServidor();
    TfrmLogin login;
    test::entraComoAna(login, server.address(), QStringLiteral("bruno123"));
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(login.logic().admitido());
    EXPECT_EQ(client.db().scalar(QStringLiteral("SELECT CDSENHOPER FROM OPERADOR WHERE CDOPERADOR = '000000000001'")),
              server.db().scalar(QStringLiteral("SELECT CDSENHOPER FROM OPERADOR WHERE CDOPERADOR = '000000000001'")));

    // The old password is now refused, by the server too.
    ClearSession();
    EsqueceSessaoServidor();
    dialogs().clear();
    TfrmLogin old;
    test::entraComoAna(old, server.address());
    EXPECT_FALSE(old.logic().admitido());
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Senha inválida.")});
}

TEST_F(LoginE2E, HeadlessSyncFillsTheTablesOrFailsReadably)
{
    test::RunningServer server(true);
    qputenv("ZOV_SENHA", "ana123"); // the demo operator's, from the environment as an operator's script would
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("cli.sqlite"));
    const QString exe = QStringLiteral(ZOV_PEDIDOS);
    QProcess sync;
    sync.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return env;
    }());
    sync.start(exe,
               {QStringLiteral("--sync"), QStringLiteral("--database"), db, QStringLiteral("--address"), server.address(),
                QStringLiteral("--filial"), QStringLiteral("1"), QStringLiteral("--operador"), QStringLiteral("1")});
    ASSERT_TRUE(sync.waitForFinished(60000));
    const QString err = QString::fromUtf8(sync.readAllStandardError());
    EXPECT_EQ(sync.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("CLIENTE - 1"))) << err.toStdString();
    {
        Database check(db, Database::Mode::OpenExisting);
        EXPECT_EQ(countRows(check, QStringLiteral("PRODUTO")), countRows(server.db(), QStringLiteral("PRODUTO")));
    }

    server.stop();
    sync.start(exe,
               {QStringLiteral("--sync"), QStringLiteral("--database"), db, QStringLiteral("--address"), server.address(),
                QStringLiteral("--filial"), QStringLiteral("1"), QStringLiteral("--operador"), QStringLiteral("1")});
    ASSERT_TRUE(sync.waitForFinished(60000));
    EXPECT_NE(sync.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(sync.readAllStandardError()).contains(QStringLiteral("erro:")));

    sync.start(exe, {QStringLiteral("--sync"), QStringLiteral("--database"), db});
    ASSERT_TRUE(sync.waitForFinished(60000));
    EXPECT_EQ(sync.exitCode(), 2) << "missing options";
}

// kill -9 of --sync while a later table is written: every table stays as it
// was (the earlier ones too), and the next sync completes, deletions included.
TEST_F(LoginE2E, ASyncKilledWhileALaterTableIsWrittenLosesNoDeletion)
{
    test::RunningServer server(true);
    qputenv("ZOV_SENHA", "ana123");
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("cli.sqlite"));
    const QString exe = QStringLiteral(ZOV_PEDIDOS);
    const QStringList args{QStringLiteral("--sync"),
                           QStringLiteral("--database"),
                           db,
                           QStringLiteral("--address"),
                           server.address(),
                           QStringLiteral("--filial"),
                           QStringLiteral("1"),
                           QStringLiteral("--operador"),
                           QStringLiteral("1")};
    QProcess sync;
    sync.start(exe, args);
    ASSERT_TRUE(sync.waitForFinished(60000));
    ASSERT_EQ(sync.exitCode(), 0) << sync.readAllStandardError().toStdString();

    const QString gone = server.db().scalar(QStringLiteral("SELECT MIN(CDPRODUTO) FROM PRODUTO")).toString();
    server.db().exec(QStringLiteral("DELETE FROM PRODUTO WHERE CDPRODUTO = :P"), {{QStringLiteral("P"), gone}});
    server.db().exec(
        QStringLiteral("UPDATE PRODUTO SET NMPRODUTO = NMPRODUTO || ' NOVO' WHERE CDPRODUTO = (SELECT MAX(CDPRODUTO) FROM PRODUTO)"));
    server.db().exec(QStringLiteral("UPDATE CLIENTE SET NMFANTCLIE = NMFANTCLIE || ' NOVO'"));
    {
        // Every customer row written here takes a while: the kill lands inside that table.
        Database local(db, Database::Mode::OpenExisting);
        local.execScript(QStringLiteral("CREATE TRIGGER LENTO BEFORE INSERT ON CLIENTE BEGIN SELECT count(*) FROM (WITH RECURSIVE c(x) AS "
                                        "(SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000000) SELECT x FROM c); END"));
    }
    sync.start(exe, args);
    ASSERT_TRUE(sync.waitForStarted(10000));
    QString err;
    QElapsedTimer clock;
    clock.start();
    while (!err.contains(QStringLiteral("CLIENTE - 1")) && clock.elapsed() < 30000 && sync.state() == QProcess::Running) {
        sync.waitForReadyRead(100);
        err += QString::fromUtf8(sync.readAllStandardError());
    }
    if (!err.contains(QStringLiteral("CLIENTE - 1"))) {
        sync.kill();
        sync.waitForFinished(10000);
        FAIL() << err.toStdString();
    }
    ::kill(pid_t(sync.processId()), SIGKILL);
    ASSERT_TRUE(sync.waitForFinished(10000));
    {
        Database local(db, Database::Mode::OpenExisting);
        // The products, written before, went with the rest.
        EXPECT_EQ(countRows(local, QStringLiteral("PRODUTO"), QStringLiteral("NMPRODUTO LIKE '% NOVO'")), 0);
        EXPECT_EQ(countRows(local, QStringLiteral("PRODUTO"), QStringLiteral("CDPRODUTO = :P"), {{QStringLiteral("P"), gone}}), 1);
        EXPECT_EQ(countRows(local, QStringLiteral("CLIENTE"), QStringLiteral("NMFANTCLIE LIKE '% NOVO'")), 0) << "no half table";
        local.execScript(QStringLiteral("DROP TRIGGER LENTO"));
    }
    sync.start(exe, args);
    ASSERT_TRUE(sync.waitForFinished(60000));
    ASSERT_EQ(sync.exitCode(), 0) << sync.readAllStandardError().toStdString();
    Database local(db, Database::Mode::OpenExisting);
    EXPECT_EQ(countRows(local, QStringLiteral("PRODUTO")), countRows(server.db(), QStringLiteral("PRODUTO")));
    EXPECT_EQ(countRows(local, QStringLiteral("PRODUTO"), QStringLiteral("CDPRODUTO = :P"), {{QStringLiteral("P"), gone}}), 0);
    EXPECT_EQ(countRows(local, QStringLiteral("EXCLPENDENTE")), 0);
    EXPECT_EQ(countRows(local, QStringLiteral("CLIENTE"), QStringLiteral("NMFANTCLIE LIKE '% NOVO'")),
              countRows(server.db(), QStringLiteral("CLIENTE")));
}

} // namespace
