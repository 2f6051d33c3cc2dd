// One program per database: the lock file beside it refuses a live holder
// with a readable text, and takes over the lock of a process that died.
#include "db/trava_banco.h"

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zov;

TEST(TravaBanco, ALiveHolderIsNamedAndADeadOnesLockIsTakenOver)
{
    QTemporaryDir dir;
    const QString banco = dir.filePath(QStringLiteral("dbVelmora.sqlite"));
    ASSERT_EQ(arquivoTrava(banco), banco + QStringLiteral(".lock"));
    {
        QLockFile outro(arquivoTrava(banco));
        ASSERT_TRUE(outro.tryLock(0));
        try {
            TravaBanco(banco);
            FAIL() << "a held database was taken";
        } catch (const BancoEmUso& e) {
            EXPECT_TRUE(
                e.text().startsWith(QStringLiteral("O banco de dados \"%1\" já está em uso por outra cópia do Pedidos ZOV-RA (processo %2")
                                        .arg(banco)
                                        .arg(QCoreApplication::applicationPid())))
                << e.text().toStdString();
        }
    }
    // A process that died left its lock behind: the next start takes it.
    QFile morto(arquivoTrava(banco));
    ASSERT_TRUE(morto.open(QIODevice::WriteOnly));
    morto.write(QByteArray("999999999\nzov-pedidos\n") + QSysInfo::machineHostName().toUtf8() + '\n');
    morto.close();
    EXPECT_NO_THROW(TravaBanco(banco));
    EXPECT_NO_THROW(TravaBanco(banco)) << "held by this process already";
    QLockFile outro(arquivoTrava(banco));
    EXPECT_FALSE(outro.tryLock(0));
    LiberaBanco();
    EXPECT_FALSE(QFile::exists(arquivoTrava(banco)));
}
