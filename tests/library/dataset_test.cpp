// The dataset layer against a real SQLite file: state machine, cached updates,
// OLD_ values, events, a failing apply, locate, parameters and filters.
#include "library/dataset.h"
#include "library/errors.h"
#include "tests/support/scripted_dialogs.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zov;

namespace {

class DatasetTest : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        db = std::make_unique<Database>(dir.filePath(QStringLiteral("t.sqlite")), Database::Mode::CreateIfMissing);
        db->execScript(QStringLiteral("CREATE TABLE PAIS (CDPAIS VARCHAR(4) NOT NULL PRIMARY KEY, NMPAIS VARCHAR(30), VRTAXA REAL, "
                                      "  NRORDEM INTEGER, DTULTATUPAIS DATETIME, TXNOTA BLOB);"
                                      "INSERT INTO PAIS VALUES ('0001','Brasil',1.5,1,'2026-11-30 14:02:11.250',NULL);"
                                      "INSERT INTO PAIS VALUES ('0002','Argentina',NULL,2,NULL,NULL);"
                                      "INSERT INTO PAIS VALUES ('0003','Uruguai',2.0,3,'2026-01-01',NULL);"));
        q.setDatabase(db.get());
        q.setSql(QStringLiteral("SELECT CDPAIS, NMPAIS, VRTAXA, NRORDEM, DTULTATUPAIS, TXNOTA FROM PAIS "
                                "WHERE (CDPAIS = :P_CDPAIS OR :P_TCDPAIS = 'T') ORDER BY CDPAIS"));
        q.setUpdateSql(
            UpdateSql(QStringLiteral("INSERT INTO PAIS (CDPAIS, NMPAIS, VRTAXA) VALUES (:CDPAIS, :NMPAIS, :VRTAXA)"),
                      QStringLiteral("UPDATE PAIS SET CDPAIS = :CDPAIS, NMPAIS = :NMPAIS, VRTAXA = :VRTAXA WHERE CDPAIS = :OLD_CDPAIS"),
                      QStringLiteral("DELETE FROM PAIS WHERE CDPAIS = :OLD_CDPAIS")));
        q.setParam(QStringLiteral("p_tcdpais"), QStringLiteral("T"));
    }

    QString nameInDb(const QString& code)
    {
        return db->scalar(QStringLiteral("SELECT NMPAIS FROM PAIS WHERE CDPAIS = :C"), {{QStringLiteral("C"), code}}).toString();
    }
    int rowsInDb() { return db->scalar(QStringLiteral("SELECT count(*) FROM PAIS")).toInt(); }

    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    Query q{nullptr, QStringLiteral("qryPais")};
};

TEST_F(DatasetTest, OpensWithFieldsKindsAndParametersIgnoringCase)
{
    EXPECT_TRUE(q.existParam(QStringLiteral("P_CDPAIS")));
    EXPECT_TRUE(q.existParam(QStringLiteral("p_cdpais")));
    EXPECT_FALSE(q.existParam(QStringLiteral("P_TODOS")));
    EXPECT_THROW(q.paramByName(QStringLiteral("P_TODOS")), Error);
    q.open();
    EXPECT_EQ(q.state(), DataSetState::Browse);
    EXPECT_EQ(q.recordCount(), 3);
    EXPECT_EQ(q.fieldByName(QStringLiteral("cdpais")).kind(), FieldKind::Text);
    EXPECT_EQ(q[QStringLiteral("VRTAXA")].kind(), FieldKind::Number);
    EXPECT_EQ(q[QStringLiteral("NRORDEM")].kind(), FieldKind::Integer);
    EXPECT_EQ(q[QStringLiteral("DTULTATUPAIS")].kind(), FieldKind::DateTime);
    EXPECT_EQ(q[QStringLiteral("TXNOTA")].kind(), FieldKind::Blob);
    EXPECT_EQ(q[QStringLiteral("CDPAIS")].asString(), QStringLiteral("0001"));
    EXPECT_EQ(q[QStringLiteral("DTULTATUPAIS")].asDateTime(), QDateTime(QDate(2026, 11, 30), QTime(14, 2, 11, 250)));
    EXPECT_DOUBLE_EQ(q[QStringLiteral("VRTAXA")].asFloat(), 1.5);
    EXPECT_THROW(q.fieldByName(QStringLiteral("NAOEXISTE")), Error);
}

TEST_F(DatasetTest, EmptyTextParameterBindsNull)
{
    // The lookup convention: key set, companion empty -> only that row.
    q.setParam(QStringLiteral("P_CDPAIS"), QStringLiteral("0002"));
    q.setParam(QStringLiteral("P_TCDPAIS"), QStringLiteral(""));
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q[QStringLiteral("NMPAIS")].asString(), QStringLiteral("Argentina"));

    Query nulls(db.get());
    nulls.setSql(QStringLiteral("SELECT count(*) AS N FROM PAIS WHERE :P_X IS NULL AND :p_y IS NULL"));
    nulls.setParam(QStringLiteral("P_X"), QStringLiteral("   "));
    nulls.setParam(QStringLiteral("P_Y"), QVariant());
    nulls.open();
    EXPECT_EQ(nulls[QStringLiteral("N")].asInteger(), 3);
}

TEST_F(DatasetTest, ParametersKeepTheirValuesWhenTheTextChanges)
{
    q.setParam(QStringLiteral("P_CDPAIS"), QStringLiteral("0003"));
    q.setSql(QStringLiteral("SELECT * FROM PAIS WHERE CDPAIS = :p_cdpais"));
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q[QStringLiteral("NMPAIS")].asString(), QStringLiteral("Uruguai"));
    // Setting the text closes the query.
    q.setSql(q.sql());
    EXPECT_FALSE(q.active());
}

TEST_F(DatasetTest, NavigationSetsBofEofAndRecNo)
{
    q.open();
    EXPECT_TRUE(q.bof());
    EXPECT_FALSE(q.eof());
    q.next();
    q.next();
    EXPECT_EQ(q.recNo(), 3);
    EXPECT_FALSE(q.eof());
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.recNo(), 3);
    q.prior();
    EXPECT_EQ(q.recNo(), 2);
    q.first();
    q.prior();
    EXPECT_TRUE(q.bof());
    q.last();
    EXPECT_EQ(q[QStringLiteral("CDPAIS")].asString(), QStringLiteral("0003"));

    int visited = 0;
    for (q.first(); !q.eof(); q.next())
        ++visited;
    EXPECT_EQ(visited, 3);
}

TEST_F(DatasetTest, LocateIgnoresCaseAndPartialKeyOnlyWhenAsked)
{
    q.open();
    EXPECT_FALSE(q.locate(QStringLiteral("NMPAIS"), QStringLiteral("URUGUAI")));
    EXPECT_EQ(q.recNo(), 1);
    EXPECT_TRUE(q.locate(QStringLiteral("NMPAIS"), QStringLiteral("URUGUAI"), LocateCaseInsensitive));
    EXPECT_EQ(q.recNo(), 3);
    EXPECT_TRUE(q.locate(QStringLiteral("nmpais"), QStringLiteral("arg"), LocateCaseInsensitive | LocatePartialKey));
    EXPECT_EQ(q[QStringLiteral("CDPAIS")].asString(), QStringLiteral("0002"));
    EXPECT_TRUE(q.locate(QStringLiteral("CDPAIS;NMPAIS"), {QStringLiteral("0001"), QStringLiteral("brasil")}, LocateCaseInsensitive));
    EXPECT_EQ(q.recNo(), 1);
    EXPECT_TRUE(q.locate(QStringLiteral("VRTAXA"), 2.0));
    EXPECT_EQ(q.recNo(), 3);
    EXPECT_THROW(q.locate(QStringLiteral("CDPAIS;NMPAIS"), QVariantList{QStringLiteral("0001")}), Error);
}

TEST_F(DatasetTest, StateMachineAndSettingValuesOutsideEditFails)
{
    q.open();
    EXPECT_THROW(q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("X")), Error);
    q.edit();
    EXPECT_EQ(q.state(), DataSetState::Edit);
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Brasil!"));
    EXPECT_TRUE(q.modified());
    q.cancel();
    EXPECT_EQ(q.state(), DataSetState::Browse);
    EXPECT_EQ(q[QStringLiteral("NMPAIS")].asString(), QStringLiteral("Brasil"));
    EXPECT_FALSE(q.updatesPending());

    q.insert();
    EXPECT_EQ(q.state(), DataSetState::Insert);
    EXPECT_EQ(q.recordCount(), 4);
    q.cancel();
    EXPECT_EQ(q.recordCount(), 3);

    // Moving while editing posts, as a grid does.
    q.edit();
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Brasil 2"));
    q.next();
    EXPECT_EQ(q.state(), DataSetState::Browse);
    EXPECT_TRUE(q.updatesPending());
    q.close();
    EXPECT_FALSE(q.active());
    EXPECT_THROW(q.edit(), Error);
}

TEST_F(DatasetTest, EditOnAnEmptyDatasetAppends)
{
    q.setParam(QStringLiteral("P_TCDPAIS"), QString());
    q.setParam(QStringLiteral("P_CDPAIS"), QStringLiteral("9999"));
    q.open();
    ASSERT_TRUE(q.isEmpty());
    q.edit();
    EXPECT_EQ(q.state(), DataSetState::Insert);
}

TEST_F(DatasetTest, CachedUpdatesWriteOnlyOnApplyWithOldValues)
{
    q.open();
    // Change the key itself: the modify statement finds the row by OLD_CDPAIS.
    q.edit();
    q[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0010"));
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Brasil Novo"));
    q.post();
    EXPECT_EQ(q[QStringLiteral("CDPAIS")].oldValue().toString(), QStringLiteral("0001"));
    EXPECT_EQ(nameInDb(QStringLiteral("0001")), QStringLiteral("Brasil")); // nothing written yet

    q.append();
    q[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0004"));
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Chile"));
    q.post();
    q.locate(QStringLiteral("CDPAIS"), QStringLiteral("0002"));
    q.deleteRecord();
    EXPECT_EQ(q.recordCount(), 3);
    EXPECT_TRUE(q.updatesPending());

    q.applyUpdates();
    EXPECT_EQ(nameInDb(QStringLiteral("0010")), QStringLiteral("Brasil Novo"));
    EXPECT_TRUE(nameInDb(QStringLiteral("0001")).isEmpty());
    EXPECT_EQ(nameInDb(QStringLiteral("0004")), QStringLiteral("Chile"));
    EXPECT_TRUE(nameInDb(QStringLiteral("0002")).isEmpty());
    EXPECT_EQ(rowsInDb(), 3);
    q.commitUpdates();
    EXPECT_FALSE(q.updatesPending());
    // After commit the new value is the old one.
    q.first();
    EXPECT_EQ(q[QStringLiteral("CDPAIS")].oldValue().toString(), QStringLiteral("0010"));
}

TEST_F(DatasetTest, CancelUpdatesBringsBackRowsAsRead)
{
    q.open();
    q.edit();
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Mudado"));
    q.post();
    q.append();
    q[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0004"));
    q.post();
    q.first();
    q.next();
    q.deleteRecord();
    q.cancelUpdates();
    EXPECT_FALSE(q.updatesPending());
    ASSERT_EQ(q.recordCount(), 3);
    QStringList seen;
    for (q.first(); !q.eof(); q.next())
        seen << q[QStringLiteral("CDPAIS")].asString() + QLatin1Char('=') + q[QStringLiteral("NMPAIS")].asString();
    EXPECT_EQ(seen, QStringList({QStringLiteral("0001=Brasil"), QStringLiteral("0002=Argentina"), QStringLiteral("0003=Uruguai")}));
    EXPECT_EQ(rowsInDb(), 3);
}

TEST_F(DatasetTest, InsertedThenEditedThenDeletedRowsApplyOnce)
{
    q.open();
    q.append();
    q[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0005"));
    q.post();
    q.edit();
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Peru"));
    q.post(); // still one insert, with the final values
    q.append();
    q[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0006"));
    q.post();
    q.deleteRecord(); // never reached the database: nothing to delete
    q.applyUpdates();
    q.commitUpdates();
    EXPECT_EQ(nameInDb(QStringLiteral("0005")), QStringLiteral("Peru"));
    EXPECT_EQ(rowsInDb(), 4);
}

TEST_F(DatasetTest, FailingApplyLeavesDatabaseAndCacheAsTheyWere)
{
    q.open();
    q.edit();
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Primeiro"));
    q.post();
    q.append();
    q[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0002")); // duplicate key: the insert fails
    q.post();
    EXPECT_THROW(q.applyUpdates(), Error);
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(nameInDb(QStringLiteral("0001")), QStringLiteral("Brasil")); // the first change was rolled back
    EXPECT_TRUE(q.updatesPending());
    q.cancelUpdates();
    EXPECT_EQ(q.recordCount(), 3);
}

TEST_F(DatasetTest, ModifyOfAVanishedRowIsAnError)
{
    q.open();
    q.edit();
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("X"));
    q.post();
    db->exec(QStringLiteral("DELETE FROM PAIS WHERE CDPAIS = '0001'"));
    EXPECT_THROW(q.applyUpdates(), Error);
}

TEST_F(DatasetTest, EmptyTextIsNullAndBlankTextIsWrittenAsNull)
{
    q.open();
    q.edit();
    q[QStringLiteral("NMPAIS")].setValue(QString());
    EXPECT_TRUE(q[QStringLiteral("NMPAIS")].isNull());
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("   "));
    EXPECT_FALSE(q[QStringLiteral("NMPAIS")].isNull());
    q.post();
    q.applyUpdates();
    EXPECT_TRUE(db->scalar(QStringLiteral("SELECT NMPAIS IS NULL FROM PAIS WHERE CDPAIS='0001'")).toBool());
}

TEST_F(DatasetTest, ValuesConvertToTheFieldKind)
{
    q.open();
    q.edit();
    q[QStringLiteral("VRTAXA")].setValue(QStringLiteral("3.25"));
    EXPECT_DOUBLE_EQ(q[QStringLiteral("VRTAXA")].asFloat(), 3.25);
    EXPECT_THROW(q[QStringLiteral("VRTAXA")].setValue(QStringLiteral("abc")), Error);
    q[QStringLiteral("DTULTATUPAIS")].setValue(QDate(2026, 12, 7));
    EXPECT_EQ(q[QStringLiteral("DTULTATUPAIS")].asDateTime(), QDateTime(QDate(2026, 12, 7), QTime(0, 0)));
    EXPECT_EQ(q[QStringLiteral("DTULTATUPAIS")].asString(), QStringLiteral("07/12/2026"));
    q[QStringLiteral("NMPAIS")].setValue(10.0);
    EXPECT_EQ(q[QStringLiteral("NMPAIS")].asString(), QStringLiteral("10"));
}

// Repeated texts share one string as read: the rows must still be apart.
TEST_F(DatasetTest, RepeatedTextsReadTheSameAndEditApart)
{
    db->execScript(QStringLiteral("UPDATE PAIS SET NMPAIS = 'Grão' WHERE CDPAIS IN ('0001','0002');"
                                  "UPDATE PAIS SET NMPAIS = 'Grã' WHERE CDPAIS = '0003';"));
    q.setSql(QStringLiteral("SELECT CDPAIS, NMPAIS, 'N' AS IDMARCADO, VRTAXA FROM PAIS ORDER BY CDPAIS"));
    q.open();
    QStringList nomes;
    for (q.first(); !q.eof(); q.next())
        nomes << q[QStringLiteral("NMPAIS")].asString() + q[QStringLiteral("IDMARCADO")].asString();
    EXPECT_EQ(nomes, (QStringList{QStringLiteral("GrãoN"), QStringLiteral("GrãoN"), QStringLiteral("GrãN")}))
        << "a text that only starts like the one above is its own";
    q.first();
    q.edit();
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Brasil"));
    q[QStringLiteral("IDMARCADO")].setValue(QStringLiteral("S"));
    q.post();
    q.next();
    EXPECT_EQ(q[QStringLiteral("NMPAIS")].asString(), QStringLiteral("Grão"));
    EXPECT_EQ(q[QStringLiteral("IDMARCADO")].asString(), QStringLiteral("N"));
}

TEST_F(DatasetTest, EventsFireInOrderAndCanBeSuspended)
{
    QStringList log;
    auto rec = [&log](const char* name) { return [&log, name](Query&) { log << QString::fromLatin1(name); }; };
    q.beforeOpen = rec("beforeOpen");
    q.afterOpen = rec("afterOpen");
    q.beforeScroll = rec("beforeScroll");
    q.afterScroll = rec("afterScroll");
    q.beforeInsert = rec("beforeInsert");
    q.onNewRecord = [&log](Query& ds) {
        log << QStringLiteral("onNewRecord");
        ds[QStringLiteral("NMPAIS")].setValue(QStringLiteral("novo"));
    };
    q.afterInsert = rec("afterInsert");
    q.beforePost = rec("beforePost");
    q.afterPost = rec("afterPost");
    q.beforeEdit = rec("beforeEdit");
    q.afterEdit = rec("afterEdit");
    q.beforeCancel = rec("beforeCancel");
    q.afterCancel = rec("afterCancel");
    q.beforeDelete = rec("beforeDelete");
    q.afterDelete = rec("afterDelete");

    q.open();
    EXPECT_EQ(log, QStringList({QStringLiteral("beforeOpen"), QStringLiteral("afterOpen"), QStringLiteral("afterScroll")}));
    log.clear();
    q.append();
    EXPECT_EQ(q[QStringLiteral("NMPAIS")].asString(), QStringLiteral("novo"));
    EXPECT_FALSE(q.modified()); // defaults are not changes
    q[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0009"));
    q.post();
    q.edit();
    q.cancel();
    q.deleteRecord();
    EXPECT_EQ(
        log,
        QStringList({QStringLiteral("beforeInsert"), QStringLiteral("onNewRecord"), QStringLiteral("afterInsert"),
                     QStringLiteral("beforePost"), QStringLiteral("afterPost"), QStringLiteral("beforeEdit"), QStringLiteral("afterEdit"),
                     QStringLiteral("beforeCancel"), QStringLiteral("afterCancel"), QStringLiteral("beforeDelete"),
                     QStringLiteral("beforeScroll"), QStringLiteral("afterDelete"), QStringLiteral("afterScroll")}));
    log.clear();
    {
        EventsSuspended quiet(q);
        q.first();
        q.next();
    }
    EXPECT_TRUE(log.isEmpty());
    q.next();
    EXPECT_EQ(log, QStringList({QStringLiteral("beforeScroll"), QStringLiteral("afterScroll")}));
}

TEST_F(DatasetTest, BeforePostThatAbortsKeepsTheRecordInEdit)
{
    q.open();
    q.beforePost = [](Query& ds) {
        if (ds[QStringLiteral("NMPAIS")].asString().isEmpty())
            throw Abort{};
    };
    q.edit();
    q[QStringLiteral("NMPAIS")].clear();
    EXPECT_THROW(q.post(), Abort);
    EXPECT_EQ(q.state(), DataSetState::Edit);
    EXPECT_FALSE(q.updatesPending());
}

TEST_F(DatasetTest, FieldChangeHandlerAndCalculatedFields)
{
    q.addCalculatedField(QStringLiteral("DSROTULO"), FieldKind::Text);
    q.onCalcFields = [](Query& ds) {
        ds[QStringLiteral("DSROTULO")].setValue(ds[QStringLiteral("CDPAIS")].asString() + QStringLiteral(" - ")
                                                + ds[QStringLiteral("NMPAIS")].asString());
    };
    QStringList changes;
    q.defineField(QStringLiteral("CDPAIS")).onChange = [&](Field& f) { changes << f.asString(); };
    q.open();
    EXPECT_EQ(q[QStringLiteral("DSROTULO")].asString(), QStringLiteral("0001 - Brasil"));
    q.last();
    EXPECT_EQ(q[QStringLiteral("DSROTULO")].asString(), QStringLiteral("0003 - Uruguai"));
    q.edit();
    q[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0033"));
    EXPECT_EQ(changes, QStringList({QStringLiteral("0033")}));
    EXPECT_EQ(q[QStringLiteral("DSROTULO")].asString(), QStringLiteral("0033 - Uruguai"));
    // The calculated field and the handler survive reopening.
    q.cancel();
    q.refresh();
    EXPECT_EQ(q[QStringLiteral("DSROTULO")].asString(), QStringLiteral("0001 - Brasil"));
    ASSERT_TRUE(q.findField(QStringLiteral("CDPAIS"))->onChange);
}

TEST_F(DatasetTest, FilterNarrowsNavigationAndEditsTheRightRow)
{
    q.open();
    q.setFilter([](const Query& ds, int row) {
        return ds.valueAt(row, ds.fieldByName(QStringLiteral("NMPAIS")).index()).toString().contains(QLatin1Char('u'));
    });
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q[QStringLiteral("CDPAIS")].asString(), QStringLiteral("0003"));
    q.edit();
    q[QStringLiteral("NMPAIS")].setValue(QStringLiteral("Uruguay"));
    q.post();
    q.clearFilter();
    EXPECT_EQ(q.recordCount(), 3);
    q.locate(QStringLiteral("CDPAIS"), QStringLiteral("0003"));
    EXPECT_EQ(q[QStringLiteral("NMPAIS")].asString(), QStringLiteral("Uruguay"));
    EXPECT_EQ(q.storageCount(), 3);
}

TEST_F(DatasetTest, MemoryDatasetsHoldRowsWithoutADatabase)
{
    Query cds(nullptr, QStringLiteral("cdsPais"));
    cds.createDataSet({{QStringLiteral("CDPAIS"), FieldKind::Text}, {QStringLiteral("VRTAXA"), FieldKind::Number}});
    EXPECT_TRUE(cds.active());
    EXPECT_TRUE(cds.isEmpty());
    cds.appendRaw({QStringLiteral("0001"), 1.0});
    cds.append();
    cds[QStringLiteral("CDPAIS")].setValue(QStringLiteral("0002"));
    cds.post();
    EXPECT_EQ(cds.recordCount(), 2);
    EXPECT_FALSE(cds.updatesPending());
    cds.first();
    EXPECT_EQ(cds[QStringLiteral("CDPAIS")].asString(), QStringLiteral("0001"));
    cds.emptyDataSet();
    EXPECT_TRUE(cds.isEmpty());
    EXPECT_THROW(q.emptyDataSet(), Error);
}

TEST_F(DatasetTest, TransactionRuleJoinsAnOpenTransactionAndRollsBackOnError)
{
    EXPECT_THROW(db->transaction([&] {
        db->exec(QStringLiteral("DELETE FROM PAIS WHERE CDPAIS = '0001'"));
        db->transaction([&] { db->exec(QStringLiteral("DELETE FROM PAIS WHERE CDPAIS = '0002'")); }); // joins
        EXPECT_TRUE(db->inTransaction());
        throw Error(QStringLiteral("falha no meio"));
    }),
                 Error);
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(rowsInDb(), 3);
    db->startTransaction();
    EXPECT_THROW(db->startTransaction(), Error) << "a second one is refused";
    db->rollback();
    EXPECT_FALSE(db->inTransaction());
}

TEST(DatabaseOpen, RefusesWhatIsNotADatabaseWithAReadableError)
{
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.sqlite"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    try {
        Database db(junk, Database::Mode::CreateIfMissing);
        FAIL() << "opened a file that is not a database";
    } catch (const Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("Não foi possível abrir o banco de dados"))) << e.what();
    }
    EXPECT_THROW(Database(dir.path(), Database::Mode::CreateIfMissing), Error);
    EXPECT_THROW(Database(dir.filePath(QStringLiteral("nao/existe/x.sqlite")), Database::Mode::CreateIfMissing), Error);
    EXPECT_THROW(Database(dir.filePath(QStringLiteral("ausente.sqlite")), Database::Mode::OpenExisting), Error);
}

TEST(SqlDialect, NvlAndDecodeBehaveAsTheStatementsExpect)
{
    QTemporaryDir dir;
    Database db(dir.filePath(QStringLiteral("d.sqlite")), Database::Mode::CreateIfMissing);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NVL(NULL, 'x')")).toString(), QStringLiteral("x"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NVL('a', 'x')")).toString(), QStringLiteral("a"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT DECODE('S', 'S', 'Sim', 'Não')")).toString(), QStringLiteral("Sim"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT DECODE('N', 'S', 'Sim', 'Não')")).toString(), QStringLiteral("Não"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT DECODE(NULL, NULL, 'nulo', 'outro')")).toString(), QStringLiteral("nulo"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT DECODE(2, 1, 'um', 2, 'dois', 'outro')")).toString(), QStringLiteral("dois"));
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT DECODE(3, 1, 'um', 2, 'dois')")).isNull());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT instr('_10_11_', '_1_')")).toInt(), 0);
}

} // namespace
