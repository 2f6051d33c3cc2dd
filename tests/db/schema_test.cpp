// The local database: every table with its key, created once; the general
// parameters row and the code pictures; the transaction rule for writers.
#include "db/dbgeralped.h"
#include "db/transaction.h"
#include "library/errors.h"
#include "library/velmora.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <gtest/gtest.h>

using namespace zov;
using zov::test::countRows;
using zov::test::insertRow;

namespace {

struct TableKey {
    const char* table;
    std::vector<const char*> keys;
    int columns;
};

const TableKey kTables[] = {
    {"PEDIDO", {"CDFILIAL", "NRPEDIDO"}, 58},
    {"ITEMPEDIDO", {"CDFILIAL", "NRPEDIDO", "NRITEMPED"}, 24},
    {"OBSPEDIDO", {"CDFILIAL", "NRPEDIDO"}, 3},
    {"INSTALACAO", {"IDINSTALACAO"}, 1},
    {"PARAMPEDIDO", {"CDFILIAL"}, 4},
    {"PARAMPEDZOVRA", {}, 1},
    {"PARAMGERAL", {"CDPARGERAL"}, 246},
    {"FILIAL", {"CDFILIAL"}, 44},
    {"ENDEFILI", {"CDFILIAL", "IDTPENDEFILI"}, 26},
    {"OPERADOR", {"CDOPERADOR"}, 40},
    {"FILIOPER", {"CDFILIAL", "CDOPERADOR"}, 4},
    {"VENDEDOR", {"CDVENDEDOR"}, 21},
    {"CLIENTE", {"CDCLIENTE"}, 185},
    {"ENDECLIE", {"CDCLIENTE", "IDTPENDECLIE"}, 36},
    {"PRODUTO", {"CDPRODUTO"}, 143},
    {"PRODUTOSEG", {"CDPRODUTO", "CDSEGMER"}, 4},
    {"PRECOBASE", {"CDPRECOBASE"}, 3},
    {"PRECOBASECLI", {"CDCLIENTE", "CDPRECOBASE"}, 4},
    {"ITEMPREBASE", {"CDPRECOBASE", "CDPRODUTO"}, 11},
    {"ITDESPREBASE", {"CDPRECOBASE", "CDPAIS", "SGESTADO", "CDPRODUTO"}, 6},
    {"PRECOUTI", {"NRSEQPREUTI"}, 8},
    {"MODPGTO", {"CDMODPGTO"}, 12},
    {"FORMPGTO", {"CDFORMPGTO"}, 5},
    {"TIPOOPERAC", {"CDTIPOOPER", "IDENTRSAIDOP"}, 42},
    {"PAIS", {"CDPAIS"}, 7},
    {"ESTADO", {"CDPAIS", "SGESTADO"}, 6},
    {"MUNICIPIO", {"CDPAIS", "SGESTADO", "CDMUNICIPIO"}, 11},
    {"BAIRRO", {"CDPAIS", "SGESTADO", "CDMUNICIPIO", "CDBAIRRO"}, 9},
};

class LocalDatabase : public test::DialogsTest {
protected:
    test::TempDatabase temp;
};

TEST_F(LocalDatabase, EveryTableHasItsColumnsAndItsKeyAsPrimaryKey)
{
    Database& db = temp.db();
    for (const TableKey& t : kTables) {
        SCOPED_TRACE(t.table);
        Statement st(db, QStringLiteral("SELECT name, pk, type FROM pragma_table_info(:T) ORDER BY pk"));
        st.bind(QStringLiteral("T"), QString::fromLatin1(t.table));
        QStringList keys;
        int columns = 0;
        while (st.step()) {
            ++columns;
            if (st.value(1).toInt() > 0)
                keys << st.value(0).toString();
        }
        EXPECT_EQ(columns, t.columns);
        QStringList expected;
        for (const char* k : t.keys)
            expected << QString::fromLatin1(k);
        QStringList sortedKeys = keys, sortedExpected = expected;
        sortedKeys.sort();
        sortedExpected.sort();
        EXPECT_EQ(sortedKeys, sortedExpected);
    }
    // Kinds follow the column prefixes: codes stay text, dates are dates.
    Query q(&db);
    q.setSql(QStringLiteral("SELECT CDFILIAL, DTPEDIDO, VRPLIQVOLPED, NRPARCPGTOPED, NRPEDIDO FROM PEDIDO"));
    q.open();
    EXPECT_EQ(q[QStringLiteral("CDFILIAL")].kind(), FieldKind::Text);
    EXPECT_EQ(q[QStringLiteral("DTPEDIDO")].kind(), FieldKind::DateTime);
    EXPECT_EQ(q[QStringLiteral("VRPLIQVOLPED")].kind(), FieldKind::Number);
    EXPECT_EQ(q[QStringLiteral("NRPARCPGTOPED")].kind(), FieldKind::Integer);
    EXPECT_EQ(q[QStringLiteral("NRPEDIDO")].kind(), FieldKind::Text);
}

TEST_F(LocalDatabase, ZeroFilledNumbersOrderAsNumbers)
{
    Database& db = temp.db();
    for (const char* nr : {"0000000009", "0000000010"})
        insertRow(db, QStringLiteral("PEDIDO"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("NRPEDIDO"), QString::fromLatin1(nr)}});
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CAST(MAX(NRPEDIDO) AS INTEGER) + 1 FROM PEDIDO WHERE CDFILIAL = '0001'")).toInt(), 11);
    // The same row twice is refused by the key.
    EXPECT_THROW(
        insertRow(db, QStringLiteral("PEDIDO"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000010")}}),
        Error);
}

TEST_F(LocalDatabase, GeneralParametersRowIsCreatedOnceAndPicturesHandedOver)
{
    Database& db = temp.db();
    EXPECT_EQ(countRows(db, QStringLiteral("PARAMGERAL")), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT CDPARGERAL FROM PARAMGERAL")).toString(), QStringLiteral("0001"));
    for (int i = 0; i < 17; ++i)
        EXPECT_TRUE(DBPict(i).isEmpty()) << i;
    EXPECT_TRUE(pictForField(QStringLiteral("CDPICTATIVCL")).isEmpty());

    db.exec(QStringLiteral("UPDATE PARAMGERAL SET CDPICTPROD = '99.999.9999', CDPICTATIVCL = '9.9'"));
    ActiveDBGeralPed(); // a second start
    EXPECT_EQ(countRows(DataBaseGeralPed(), QStringLiteral("PARAMGERAL")), 1);
    EXPECT_EQ(DBPict(0), QStringLiteral("99.999.9999"));
    EXPECT_EQ(DBPictObj(0).GetTtNiveis(), 3);
    EXPECT_EQ(DBPict(16), QStringLiteral("9.9"));
    EXPECT_EQ(pictForField(QStringLiteral("CDPRODUTO")), QStringLiteral("99.999.9999"));
    SetDBPict({});
}

TEST_F(LocalDatabase, AWriterThatFailsHalfWayLeavesNothingBehind)
{
    Database& db = temp.db();
    Query pedido(&db, QStringLiteral("qryPedido")), item(&db, QStringLiteral("qryItem"));
    pedido.setSql(QStringLiteral("SELECT CDFILIAL, NRPEDIDO, IDSITPEDIDO FROM PEDIDO"));
    pedido.setUpdateSql(
        UpdateSql(QStringLiteral("INSERT INTO PEDIDO (CDFILIAL, NRPEDIDO, IDSITPEDIDO) VALUES (:CDFILIAL, :NRPEDIDO, '1')"), {}, {}));
    item.setSql(QStringLiteral("SELECT CDFILIAL, NRPEDIDO, NRITEMPED FROM ITEMPEDIDO"));
    item.setUpdateSql(UpdateSql(
        QStringLiteral("INSERT INTO ITEMPEDIDO (CDFILIAL, NRPEDIDO, NRITEMPED) VALUES (:CDFILIAL, :NRPEDIDO, :NRITEMPED)"), {}, {}));
    pedido.open();
    item.open();
    pedido.append();
    pedido[QStringLiteral("CDFILIAL")].setValue(QStringLiteral("0001"));
    pedido[QStringLiteral("NRPEDIDO")].setValue(QStringLiteral("0000000001"));
    pedido.post();
    for (int i = 0; i < 2; ++i) { // the second item repeats the key
        item.append();
        item[QStringLiteral("CDFILIAL")].setValue(QStringLiteral("0001"));
        item[QStringLiteral("NRPEDIDO")].setValue(QStringLiteral("0000000001"));
        item[QStringLiteral("NRITEMPED")].setValue(QStringLiteral("0000000001"));
        item.post();
    }
    EXPECT_THROW(ApplyUpdatesInTransaction(db, {&pedido, &item}), Error);
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(countRows(db, QStringLiteral("PEDIDO")), 0);
    EXPECT_EQ(countRows(db, QStringLiteral("ITEMPEDIDO")), 0);
    EXPECT_TRUE(pedido.updatesPending()) << "the caches stay so the window can still save or cancel";

    item.last();
    item.deleteRecord();
    ApplyUpdatesInTransaction(db, {&pedido, &item});
    EXPECT_EQ(countRows(db, QStringLiteral("PEDIDO")), 1);
    EXPECT_EQ(countRows(db, QStringLiteral("ITEMPEDIDO")), 1);
    EXPECT_FALSE(pedido.updatesPending());
}

TEST(LocalDatabaseFile, NewAndEmptyFilesGetTheSchemaExistingOnesAreOpenedAsTheyAre)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/dbVelmora.sqlite"));
    SetDatabasePath(path);
    DataBaseGeralPed();
    EXPECT_TRUE(QFile::exists(path)) << "the folder is made too";
    DataBaseGeralPed().exec(QStringLiteral("INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES ('0001', 'Brasil')"));
    FreeDBGeralPed();
    SetDatabasePath(path);
    EXPECT_EQ(countRows(DataBaseGeralPed(), QStringLiteral("PAIS")), 1);
    FreeDBGeralPed();

    const QString empty = dir.filePath(QStringLiteral("vazio.sqlite"));
    QFile f(empty);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    SetDatabasePath(empty);
    EXPECT_TRUE(DataBaseGeralPed().tableExists(QStringLiteral("CLIENTE")));
    FreeDBGeralPed();
    SetDatabasePath(QString());
}

TEST(LocalDatabaseFile, AFileThatIsNotADatabaseIsAClearErrorAndIsTriedAgain)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.sqlite"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(2048, 'z'));
    f.close();
    SetDatabasePath(junk);
    try {
        DataBaseGeralPed();
        FAIL() << "opened a file that is not a database";
    } catch (const Error& e) {
        EXPECT_TRUE(e.text().contains(junk)) << e.what();
    }
    EXPECT_NE(dtmDBGeralPed(), nullptr);
    EXPECT_EQ(dtmDBGeralPed()->database(), nullptr);
    // Every later use tries again: once the file is replaced, it opens.
    ASSERT_TRUE(QFile::remove(junk));
    EXPECT_NO_THROW(DataBaseGeralPed());

    SetDatabasePath(dir.path());
    EXPECT_THROW(ActiveDBGeralPed(), Error) << "a folder is not a database";
    FreeDBGeralPed();
    SetDatabasePath(QString());
}

// Another program's SQLite file is refused and left exactly as it was (it
// used to be switched to WAL); a file made before the mark is marked.
TEST(LocalDatabaseFile, OnlyThisProgramsFilesAreOpenedAndTheyAreMarked)
{
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("outro.sqlite"));
    {
        Database foreign(other, Database::Mode::CreateIfMissing);
        foreign.execScript(
            QStringLiteral("PRAGMA journal_mode=DELETE; CREATE TABLE AGENDA (NOME TEXT); INSERT INTO AGENDA VALUES ('Ana')"));
    }
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    SetDatabasePath(other);
    try {
        ActiveDBGeralPed();
        FAIL() << "opened another program's database";
    } catch (const Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("não é um banco de dados do Pedidos ZOV-RA"))) << e.what();
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before) << "not a byte changed";
    file.close();
    EXPECT_FALSE(QFile::exists(other + QStringLiteral("-wal")));
    FreeDBGeralPed();

    // A database of ours from before the mark: marked and opened as it is.
    const QString old = dir.filePath(QStringLiteral("antigo.sqlite"));
    SetDatabasePath(old);
    DataBaseGeralPed().exec(QStringLiteral("INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES ('0001', 'Brasil')"));
    EXPECT_EQ(DataBaseGeralPed().applicationId(), 0x5A4F5650);
    DataBaseGeralPed().execScript(QStringLiteral("PRAGMA application_id = 0"));
    FreeDBGeralPed();
    SetDatabasePath(old);
    EXPECT_EQ(countRows(DataBaseGeralPed(), QStringLiteral("PAIS")), 1);
    EXPECT_EQ(DataBaseGeralPed().applicationId(), 0x5A4F5650);
    // Another program's mark is refused even with our tables inside.
    DataBaseGeralPed().execScript(QStringLiteral("PRAGMA application_id = 1234"));
    FreeDBGeralPed();
    SetDatabasePath(old);
    EXPECT_THROW(ActiveDBGeralPed(), Error);
    // One a newer program made is refused, untouched, rather than half understood.
    {
        Database raw(old, Database::Mode::OpenExisting);
        raw.setApplicationId(0x5A4F5650, 99);
    }
    FreeDBGeralPed();
    SetDatabasePath(old);
    try {
        ActiveDBGeralPed();
        FAIL() << "opened a newer program's database";
    } catch (const Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("versão mais nova do Pedidos ZOV-RA (versão 99 do banco"))) << e.what();
    }
    EXPECT_EQ(Database(old, Database::Mode::OpenExisting).scalar(QStringLiteral("PRAGMA user_version")).toInt(), 99);
    FreeDBGeralPed();
    SetDatabasePath(QString());
}

// Each database knows its installation: a new one gets a random identity, one
// made before the identity gets it on its first open, a copied file keeps it.
TEST(LocalDatabaseFile, EveryDatabaseHasItsOwnInstallationIdentityAndACopyKeepsIt)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.sqlite")), b = dir.filePath(QStringLiteral("b.sqlite"));
    SetDatabasePath(a);
    const QString idA = IdInstalacao();
    EXPECT_EQ(QUuid::fromString(idA).isNull(), false) << idA.toStdString();
    FreeDBGeralPed();
    SetDatabasePath(b);
    const QString idB = IdInstalacao();
    EXPECT_NE(idA, idB);
    // b as a database of the version before: no identity, nor the company's situations, yet.
    DataBaseGeralPed().execScript(
        QStringLiteral("DROP TABLE INSTALACAO; DROP TABLE SITPEDIDO; DROP TABLE HISTCLIENTE; PRAGMA user_version = 1"));
    FreeDBGeralPed();
    SetDatabasePath(b);
    const QString novo = IdInstalacao();
    EXPECT_FALSE(QUuid::fromString(novo).isNull());
    EXPECT_EQ(DataBaseGeralPed().scalar(QStringLiteral("PRAGMA user_version")).toInt(), 4);
    EXPECT_TRUE(DataBaseGeralPed().tableExists(QStringLiteral("SITPEDIDO")));
    FreeDBGeralPed();
    SetDatabasePath(b);
    EXPECT_EQ(IdInstalacao(), novo) << "made once";
    FreeDBGeralPed();
    const QString copia = dir.filePath(QStringLiteral("copia.sqlite"));
    ASSERT_TRUE(QFile::copy(a, copia));
    SetDatabasePath(copia);
    EXPECT_EQ(IdInstalacao(), idA);
    FreeDBGeralPed();
    SetDatabasePath(QString());
}

TEST(LocalDatabaseFile, PathComesFromTheOptionThenTheEnvironmentThenTheDataFolder)
{
    SetDatabasePath(QString());
    qputenv("ZOV_DATABASE", "/tmp/x/from-env.sqlite");
    EXPECT_EQ(DatabasePath(), QStringLiteral("/tmp/x/from-env.sqlite"));
    SetDatabasePath(QStringLiteral("/tmp/y/option.sqlite"));
    EXPECT_EQ(DatabasePath(), QStringLiteral("/tmp/y/option.sqlite"));
    SetDatabasePath(QString());
    qunsetenv("ZOV_DATABASE");
    EXPECT_TRUE(DatabasePath().endsWith(QStringLiteral("/dbVelmora.sqlite")));
    EXPECT_EQ(DatabasePath(), DefaultDatabasePath());
}

TEST(DataModuleMessages, ConnectionAndTransactionTexts)
{
    EXPECT_EQ(TdtmDBGeralPed::msgPadrao().Msg(QStringLiteral("starttranserror")), QStringLiteral("Já existe uma tranasação ativa."));
    EXPECT_TRUE(TdtmDBGeralPed::msgPadrao().contains(QStringLiteral("CommitErrorForm")));
}

} // namespace
