// zov-pedidos --pdf as a script runs it, with no display: the exit codes and
// the file it writes.
#include "db/dbgeralped.h"
#include "tests/orders/pedidos_fixture.h"
#include "tests/support/temp_database.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zov;

namespace {

class PdfCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::semeiaPedidos(tdb.db());
        test::pedidoGravado(tdb.db(), QStringLiteral("0000000012"));
        test::itemGravado(tdb.db(), QStringLiteral("0000000012"), QStringLiteral("001"));
    }
    // Runs the program without a display; its stderr goes to err.
    int roda(const QStringList& args, bool liberaBanco = true)
    {
        // One program per database: this one lets it go, as a closed window does.
        if (liberaBanco)
            FreeDBGeralPed();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(var));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ZOV_PEDIDOS), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QStringList pdf(const char* nr, const char* filial, const QString& saida) const
    {
        return {QStringLiteral("--database"), tdb.path(),
                QStringLiteral("--pdf"),      QString::fromLatin1(nr),
                QStringLiteral("--filial"),   QString::fromLatin1(filial),
                QStringLiteral("--output"),   saida};
    }
    QString saida(const char* nome) const { return dir.filePath(QString::fromLatin1(nome)); }

    test::TempDatabase tdb;
    QTemporaryDir dir;
    QString err;
};

TEST_F(PdfCli, WritesTheOrderGivenShortAndExitsZero)
{
    EXPECT_EQ(roda(pdf("12", "1", saida("doze.pdf"))), 0) << err.toStdString();
    QFile f(saida("doze.pdf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(5), QByteArray("%PDF-"));
    EXPECT_GT(f.size(), 1000);
}

TEST_F(PdfCli, AMissingOrderOrAFileThatCannotBeWrittenIsOne)
{
    EXPECT_EQ(roda(pdf("13", "1", saida("treze.pdf"))), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("o pedido 0000000013 não existe na filial 0001"))) << err.toStdString();
    EXPECT_FALSE(QFile::exists(saida("treze.pdf")));
    EXPECT_EQ(roda(pdf("12", "2", saida("outra.pdf"))), 1) << "the number of another branch";

    EXPECT_EQ(roda(pdf("12", "1", saida("falta/doze.pdf"))), 1);
    EXPECT_TRUE(err.contains(saida("falta/doze.pdf"))) << err.toStdString();

    // While another copy holds the database the command says so and writes nothing.
    tdb.db();
    EXPECT_EQ(roda(pdf("12", "1", saida("aberto.pdf")), false), 1);
    EXPECT_TRUE(err.contains(
        QStringLiteral("já está em uso por outra cópia do Pedidos ZOV-RA (processo %1").arg(QCoreApplication::applicationPid())))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(saida("aberto.pdf")));

    QStringList semBanco = pdf("12", "1", saida("x.pdf"));
    semBanco[1] = saida("nenhum.sqlite");
    EXPECT_EQ(roda(semBanco), 1);
    EXPECT_FALSE(QFile::exists(saida("nenhum.sqlite"))) << "printing never creates a database";
}

TEST_F(PdfCli, WrongOptionsAreTwo)
{
    const QString arquivo = saida("doze.pdf");
    const QStringList completo = pdf("12", "1", arquivo);
    const QList<QStringList> errados{
        {QStringLiteral("--pdf")},            // no number
        completo.mid(0, 6),                   // no output
        completo.mid(0, 4) + completo.mid(6), // no branch
        pdf("doze", "1", arquivo),
        completo + QStringList{QStringLiteral("--sync")},
        completo + QStringList{QStringLiteral("--cor")}, // unknown
    };
    for (const QStringList& args : errados)
        EXPECT_EQ(roda(args), 2) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(QFile::exists(arquivo));
}

} // namespace
