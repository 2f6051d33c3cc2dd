// What the user reads when the database fails: a Portuguese text that says
// what to do, the engine's words on a detail line, never the statement.
#include "library/database.h"
#include "library/errors.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace zov;

TEST(ErrosDoBanco, CommonFailuresSayWhatHappenedAndWhatToDo)
{
    struct Caso {
        const char* nome;
        std::function<void(Database&)> falha;
        const char* inicio;
        const char* detalhe;
    };
    const Caso casos[] = {
        {"locked",
         [](Database& db) {
             Database outro(db.path(), Database::Mode::OpenExisting);
             outro.execScript(QStringLiteral("BEGIN IMMEDIATE"));
             sqlite3_busy_timeout(db.handle(), 0);
             db.exec(QStringLiteral("INSERT INTO T (K) VALUES (2)"));
         },
         "O banco de dados está ocupado por outro programa", "database is locked"},
        {"full",
         [](Database& db) {
             db.execScript(QStringLiteral("PRAGMA max_page_count = 2"));
             db.exec(QStringLiteral("INSERT INTO T (K, V) VALUES (3, zeroblob(100000))"));
         },
         "O disco está cheio. Libere espaço no disco e tente de novo.", "database or disk is full"},
        {"read-only",
         [](Database& db) {
             db.execScript(QStringLiteral("PRAGMA query_only = 1"));
             db.exec(QStringLiteral("INSERT INTO T (K) VALUES (4)"));
         },
         "O banco de dados não pode ser gravado", "readonly"},
        {"duplicate key", [](Database& db) { db.exec(QStringLiteral("INSERT INTO T (K) VALUES (1)")); },
         "O banco de dados recusou a gravação: já existe um registro com a mesma chave", "UNIQUE constraint failed: T.K"},
        {"missing table", [](Database& db) { db.scalar(QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDO WHERE NRPEDIDO = :P")); },
         "O banco de dados não tem a estrutura que esta versão do programa espera", "no such table: OBSPEDIDO"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        QTemporaryDir dir;
        Database db(dir.filePath(QStringLiteral("b.sqlite")), Database::Mode::CreateIfMissing);
        db.execScript(QStringLiteral("CREATE TABLE T (K INTEGER PRIMARY KEY, V BLOB); INSERT INTO T (K) VALUES (1);"));
        try {
            c.falha(db);
            ADD_FAILURE() << "no failure";
        } catch (const Error& e) {
            const QString texto = e.text();
            EXPECT_TRUE(texto.startsWith(QString::fromUtf8(c.inicio))) << texto.toStdString();
            const QString detalhe = texto.section(QLatin1Char('\n'), 1);
            EXPECT_TRUE(detalhe.startsWith(QStringLiteral("Detalhe: "))) << texto.toStdString();
            EXPECT_TRUE(detalhe.contains(QLatin1String(c.detalhe))) << texto.toStdString();
            EXPECT_FALSE(texto.contains(QLatin1String("INSERT")) || texto.contains(QLatin1String("SELECT")))
                << "no statement: " << texto.toStdString();
        }
    }
    // A damaged file.
    QTemporaryDir dir;
    const QString estragado = dir.filePath(QStringLiteral("estragado.sqlite"));
    QFile f(estragado);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    try {
        Database db(estragado, Database::Mode::OpenExisting);
        ADD_FAILURE() << "opened a damaged file";
    } catch (const Error& e) {
        EXPECT_TRUE(
            e.text().contains(QStringLiteral("O banco de dados está danificado. Feche o programa e restaure uma cópia de segurança")))
            << e.what();
    }
}
