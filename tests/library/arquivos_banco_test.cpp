// The database's own files: a file dialog listing their folder leaves
// SQLite's locks in place, and none of them can be chosen to open or write.
#include "library/arquivos_banco.h"
#include "library/database.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zov;

TEST(ArquivosDoBanco, AFileDialogOnTheDatabasesFolderLeavesSQLitesLocksInPlace)
{
    QTemporaryDir dir;
    const QString banco = dir.filePath(QStringLiteral("dbVelmora.sqlite"));
    Database db(banco, Database::Mode::CreateIfMissing);
    db.execScript(QStringLiteral("CREATE TABLE T (A); INSERT INTO T VALUES (1);"));
    ASSERT_TRUE(QFile::exists(banco + QStringLiteral("-wal")));
    SetArquivoBanco(banco);
    ProtegeArquivosDoBanco();
    {
        QFileDialog dialogo(nullptr, QStringLiteral("Salvar PDF"), dir.path());
        dialogo.setViewMode(QFileDialog::Detail);
        dialogo.show();
        auto* modelo = dialogo.findChild<QFileSystemModel*>();
        ASSERT_TRUE(modelo);
        // The list read, and every file's type worked out.
        QTRY_VERIFY_WITH_TIMEOUT(modelo->rowCount(modelo->index(dir.path())) >= 3, 5000);
        QTest::qWait(200);
        EXPECT_FALSE(modelo->type(modelo->index(banco + QStringLiteral("-wal"))).isNull());
    }
    // Another process still cannot take the database for itself.
    QProcess outro;
    outro.start(QStringLiteral("sqlite3"), {banco, QStringLiteral("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT;")});
    ASSERT_TRUE(outro.waitForFinished(10000));
    EXPECT_NE(outro.exitCode(), 0);
    EXPECT_TRUE(outro.readAllStandardError().contains("locked"));
    EXPECT_TRUE(QFile::exists(banco + QStringLiteral("-wal")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM T")).toInt(), 1);

    for (const char* sufixo : {"", "-wal", "-shm", "-journal", ".lock"})
        EXPECT_TRUE(arquivoDoBanco(banco + QLatin1String(sufixo))) << sufixo;
    EXPECT_TRUE(arquivoDoBanco(dir.path() + QStringLiteral("/./dbVelmora.sqlite")));
    EXPECT_FALSE(arquivoDoBanco(dir.filePath(QStringLiteral("pedido.pdf"))));
    SetArquivoBanco(QString());
}
