// The login and the headless sync against zov-appserver's demo company.
#include "app/GeralZOV.h"
#include "app/ZOV00010.h"
#include "tests/support/running_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

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
    login.abrir();
    login.show();
    auto* endereco = login.findChild<QLineEdit*>(QStringLiteral("edtEndereco"));
    QTest::keyClicks(endereco, server.address());
    QTest::keyClicks(login.findChild<QLineEdit*>(QStringLiteral("edtFilial")), QStringLiteral("1"));
    QTest::keyClicks(login.findChild<QLineEdit*>(QStringLiteral("edtOperador")), QStringLiteral("1"));
    auto* senha = login.findChild<QLineEdit*>(QStringLiteral("edtSenha"));
    QTest::keyClicks(senha, QStringLiteral("ana123"));
    QTest::keyClick(senha, Qt::Key_Return);

    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(login.logic().admitido());
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(countRows(client.db(), QStringLiteral("CLIENTE")), countRows(server.db(), QStringLiteral("CLIENTE")));
    EXPECT_EQ(countRows(client.db(), QStringLiteral("OPERADOR")), 3);
    EXPECT_EQ(Filial(), QStringLiteral("0001"));
    EXPECT_EQ(CdOperador(), QStringLiteral("000000000001"));
    EXPECT_EQ(NmFilial(), server.db().scalar(QStringLiteral("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL='0001'")).toString());
    EXPECT_EQ(NmOperador(), server.db().scalar(QStringLiteral("SELECT NMOPERADOR FROM OPERADOR WHERE CDOPERADOR='000000000001'")).toString());
    EXPECT_EQ(IPAcesso(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Porta(), server.port());
}

TEST_F(LoginE2E, HeadlessSyncFillsTheTablesOrFailsReadably)
{
    test::RunningServer server(true);
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
    sync.start(exe, {QStringLiteral("--sync"), QStringLiteral("--database"), db, QStringLiteral("--address"), server.address(),
                     QStringLiteral("--filial"), QStringLiteral("1")});
    ASSERT_TRUE(sync.waitForFinished(60000));
    const QString err = QString::fromUtf8(sync.readAllStandardError());
    EXPECT_EQ(sync.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("CLIENTE - 1 de "))) << err.toStdString();
    {
        Database check(db, Database::Mode::OpenExisting);
        EXPECT_EQ(countRows(check, QStringLiteral("PRODUTO")), countRows(server.db(), QStringLiteral("PRODUTO")));
    }

    server.stop();
    sync.start(exe, {QStringLiteral("--sync"), QStringLiteral("--database"), db, QStringLiteral("--address"), server.address(),
                     QStringLiteral("--filial"), QStringLiteral("1")});
    ASSERT_TRUE(sync.waitForFinished(60000));
    EXPECT_NE(sync.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(sync.readAllStandardError()).contains(QStringLiteral("erro:")));

    sync.start(exe, {QStringLiteral("--sync"), QStringLiteral("--database"), db});
    ASSERT_TRUE(sync.waitForFinished(60000));
    EXPECT_EQ(sync.exitCode(), 2) << "missing options";
}

} // namespace
