// Faults the first windows found in the dataset layer, on real rows: kinds of
// computed columns, saves that joined another's transaction, filters that
// outlive closing, typed numbers, the forms of dates, blank key parts, and
// views told of rows that come and go around the change.
#include "library/dataset.h"
#include "library/dataset_model.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/grid.h"
#include "tests/support/scripted_dialogs.h"

#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zov;

namespace {

class DatasetRepairs : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        setProgramLocale(QLocale(QStringLiteral("pt_BR")));
        db = std::make_unique<Database>(dir.filePath(QStringLiteral("r.sqlite")), Database::Mode::CreateIfMissing);
        db->execScript(QStringLiteral("CREATE TABLE ITEM (CDITEM VARCHAR(10) NOT NULL, CDPARTE VARCHAR(10) NOT NULL, VRITEM REAL, "
                                      "  QTITEM REAL, DTITEM DATETIME, PRIMARY KEY (CDITEM, CDPARTE));"
                                      "INSERT INTO ITEM VALUES ('1','',NULL,1,'2026-12-07');"
                                      "INSERT INTO ITEM VALUES ('2','A',12.5,2,'2026-12-08 10:30:00');"
                                      "INSERT INTO ITEM VALUES ('3','B',1.234,3,NULL);"));
    }
    void useItems(Query& q)
    {
        q.setDatabase(db.get());
        q.setSql(QStringLiteral("SELECT CDITEM, CDPARTE, VRITEM, QTITEM, DTITEM FROM ITEM ORDER BY CDITEM"));
        q.setUpdateSql(UpdateSql(
            QStringLiteral("INSERT INTO ITEM (CDITEM, CDPARTE, VRITEM, DTITEM) VALUES (:CDITEM, :CDPARTE, :VRITEM, :DTITEM)"),
            QStringLiteral("UPDATE ITEM SET VRITEM = :VRITEM, DTITEM = :DTITEM WHERE CDITEM = :OLD_CDITEM AND CDPARTE = :OLD_CDPARTE"),
            QStringLiteral("DELETE FROM ITEM WHERE CDITEM = :OLD_CDITEM AND CDPARTE = :OLD_CDPARTE")));
    }
    int rowsInDb(const QString& where = QStringLiteral("1=1"))
    {
        return db->scalar(QStringLiteral("SELECT count(*) FROM ITEM WHERE ") + where).toInt();
    }

    QTemporaryDir dir;
    std::unique_ptr<Database> db;
};

TEST_F(DatasetRepairs, ComputedColumnsTakeTheirKindFromEveryRowOrFromTheAuthor)
{
    Query q(db.get(), QStringLiteral("qryCalc"));
    // The first row's NVL is the integer 0 and its CASE a null: neither decides the kind.
    q.setSql(QStringLiteral("SELECT CDITEM, NVL(VRITEM, 0) AS VRNVL, CASE WHEN CDITEM > '1' THEN VRITEM END AS VRCASO, "
                            "QTITEM * 2 AS QTDOBRO FROM ITEM ORDER BY CDITEM"));
    q.open();
    EXPECT_EQ(q[QStringLiteral("VRNVL")].kind(), FieldKind::Number);
    EXPECT_EQ(q[QStringLiteral("VRCASO")].kind(), FieldKind::Number);
    q.locate(QStringLiteral("CDITEM"), QStringLiteral("2"));
    EXPECT_DOUBLE_EQ(q[QStringLiteral("VRNVL")].asFloat(), 12.5);
    q.locate(QStringLiteral("CDITEM"), QStringLiteral("3"));
    EXPECT_DOUBLE_EQ(q[QStringLiteral("VRCASO")].asFloat(), 1.234);
    EXPECT_EQ(q[QStringLiteral("VRCASO")].asString(), QStringLiteral("1,234"));

    // A text column that holds numbers reads them in their SQL form, not as thousands.
    Query t(db.get(), QStringLiteral("qryTexto"));
    t.setSql(QStringLiteral("SELECT CASE WHEN CDITEM = '1' THEN 'x' ELSE VRITEM END AS MISTO FROM ITEM ORDER BY CDITEM"));
    t.open();
    EXPECT_EQ(t[QStringLiteral("MISTO")].kind(), FieldKind::Text);
    t.last();
    EXPECT_DOUBLE_EQ(t[QStringLiteral("MISTO")].asFloat(), 1.234);

    // The author's kind wins over whatever the rows hold.
    Query a(db.get(), QStringLiteral("qryAutor"));
    a.defineField(QStringLiteral("VRSOMA"), FieldKind::Number);
    a.setSql(QStringLiteral("SELECT sum(QTITEM) AS VRSOMA FROM ITEM"));
    a.open();
    EXPECT_EQ(a[QStringLiteral("VRSOMA")].kind(), FieldKind::Number);
    EXPECT_DOUBLE_EQ(a[QStringLiteral("VRSOMA")].asFloat(), 6.0);
    a.close();
    a.setSql(QStringLiteral("SELECT NULL AS VRSOMA"));
    a.open();
    EXPECT_EQ(a[QStringLiteral("VRSOMA")].kind(), FieldKind::Number);
}

TEST_F(DatasetRepairs, AJoinedSaveKeepsItsChangesUntilTheOwnerCommits)
{
    Query q(db.get(), QStringLiteral("qryItem"));
    useItems(q);
    q.open();
    auto saveJoined = [&](bool ownerFails) {
        try {
            db->transaction([&] {
                db->transaction([&] { q.applyUpdates(); }); // the save joins the owner's transaction
                q.commitUpdates();
                if (ownerFails)
                    throw Error(QStringLiteral("falha do dono"));
            });
        } catch (const Error&) {
        }
    };

    q.append();
    q[QStringLiteral("CDITEM")].setValue(QStringLiteral("4"));
    q[QStringLiteral("CDPARTE")].setValue(QStringLiteral("C"));
    q[QStringLiteral("VRITEM")].setValue(4.0);
    q.post();
    q.first();
    q.edit();
    q[QStringLiteral("VRITEM")].setValue(9.0);
    q.post();
    saveJoined(true);
    // Rolled back: nothing reached the table, and the changes are pending again.
    EXPECT_EQ(rowsInDb(), 3);
    EXPECT_TRUE(q.updatesPending());
    EXPECT_EQ(q.recordCount(), 4);

    // Edited again before the next try: still one insert and one update, with the old key.
    q.last();
    q.edit();
    q[QStringLiteral("VRITEM")].setValue(5.0);
    q.post();
    saveJoined(false);
    EXPECT_FALSE(q.updatesPending());
    EXPECT_EQ(rowsInDb(QStringLiteral("CDITEM = '4' AND VRITEM = 5")), 1);
    EXPECT_EQ(rowsInDb(QStringLiteral("CDITEM = '1' AND VRITEM = 9")), 1);

    // A deletion that rolled back is pending again too.
    q.first();
    q.deleteRecord();
    saveJoined(true);
    EXPECT_EQ(rowsInDb(), 4);
    EXPECT_TRUE(q.updatesPending());
    saveJoined(false);
    EXPECT_EQ(rowsInDb(), 3);
    EXPECT_FALSE(q.updatesPending());
}

TEST_F(DatasetRepairs, AFilterNarrowsTheRowsReadAgainAfterCloseAndRefresh)
{
    Query q(db.get(), QStringLiteral("qryItem"));
    useItems(q);
    q.open();
    q.setFilter([](const Query& ds, int row) { return ds.valueAt(row, 0).toString() != QLatin1String("2"); });
    ASSERT_EQ(q.recordCount(), 2);
    q.close();
    q.open();
    EXPECT_EQ(q.recordCount(), 2);
    EXPECT_EQ(q[QStringLiteral("CDITEM")].asString(), QStringLiteral("1"));
    db->exec(QStringLiteral("INSERT INTO ITEM (CDITEM, CDPARTE) VALUES ('5', 'X')"));
    q.refresh();
    EXPECT_EQ(q.recordCount(), 3);
    q.last();
    EXPECT_EQ(q[QStringLiteral("CDITEM")].asString(), QStringLiteral("5"));
}

TEST_F(DatasetRepairs, TypedNumbersAreReadInTheProgramsFormat)
{
    Query q(db.get(), QStringLiteral("qryItem"));
    useItems(q);
    q.open();
    q.edit();
    Field& vr = q[QStringLiteral("VRITEM")];
    vr.setTypedText(QStringLiteral("3,5"));
    EXPECT_DOUBLE_EQ(vr.asFloat(), 3.5);
    vr.setTypedText(QStringLiteral("3,"));
    EXPECT_DOUBLE_EQ(vr.asFloat(), 3.0);
    vr.setTypedText(QStringLiteral("1.234,56"));
    EXPECT_DOUBLE_EQ(vr.asFloat(), 1234.56);
    vr.setTypedText(QStringLiteral("-"));
    EXPECT_TRUE(vr.isNull());
    EXPECT_THROW(vr.setTypedText(QStringLiteral("3x")), Error);
    Field& dt = q[QStringLiteral("DTITEM")];
    dt.setTypedText(QStringLiteral("07/12/2026"));
    EXPECT_EQ(dt.asDateTime().date(), QDate(2026, 12, 7));
    EXPECT_THROW(dt.setTypedText(QStringLiteral("31/02/2026")), Error);
    q.cancel();
}

TEST_F(DatasetRepairs, ADateIsStoredInTheFormOfADateParameter)
{
    Query q(db.get(), QStringLiteral("qryItem"));
    useItems(q);
    q.open();
    q.last();
    q.edit();
    q[QStringLiteral("DTITEM")].setValue(QDate(2026, 12, 7));
    q.post();
    q.applyUpdates();
    q.commitUpdates();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT DTITEM FROM ITEM WHERE CDITEM = '3'")).toString(), QStringLiteral("2026-12-07"));
    // Both days stored from dates compare with a date parameter; the moment with date(col).
    EXPECT_EQ(
        db->scalar(QStringLiteral("SELECT count(*) FROM ITEM WHERE DTITEM <= :P"), {{QStringLiteral("P"), QDate(2026, 12, 7)}}).toInt(), 2);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM ITEM WHERE date(DTITEM) <= :P"), {{QStringLiteral("P"), QDate(2026, 12, 8)}})
                  .toInt(),
              3);
    // Read back and written again, a value keeps its form; a moment keeps its time.
    q.refresh();
    q.edit();
    q[QStringLiteral("VRITEM")].setValue(1.0);
    q.post();
    q.applyUpdates();
    q.commitUpdates();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT DTITEM FROM ITEM WHERE CDITEM = '1'")).toString(), QStringLiteral("2026-12-07"));
    EXPECT_TRUE(q.locate(QStringLiteral("DTITEM"), QDateTime(QDate(2026, 12, 7), QTime(0, 0))));
    EXPECT_EQ(q[QStringLiteral("DTITEM")].asString(), QStringLiteral("07/12/2026"));
    q.locate(QStringLiteral("CDITEM"), QStringLiteral("2"));
    EXPECT_EQ(q[QStringLiteral("DTITEM")].asDateTime(), QDateTime(QDate(2026, 12, 8), QTime(10, 30)));
}

TEST_F(DatasetRepairs, ARowWhoseKeyHoldsABlankPartCanBeUpdatedAndDeleted)
{
    Query q(db.get(), QStringLiteral("qryItem"));
    useItems(q);
    q.open();
    ASSERT_EQ(q[QStringLiteral("CDITEM")].asString(), QStringLiteral("1")); // CDPARTE is ''
    q.edit();
    q[QStringLiteral("VRITEM")].setValue(7.0);
    q.post();
    q.applyUpdates();
    q.commitUpdates();
    EXPECT_EQ(rowsInDb(QStringLiteral("CDITEM = '1' AND VRITEM = 7")), 1);
    q.first();
    q.deleteRecord();
    q.applyUpdates();
    q.commitUpdates();
    EXPECT_EQ(rowsInDb(QStringLiteral("CDITEM = '1'")), 0);
}

TEST_F(DatasetRepairs, ViewsAreToldAroundRowsThatComeAndGo)
{
    Query q(db.get(), QStringLiteral("qryItem"));
    useItems(q);
    q.open();
    DatasetModel m(q);
    QTableView view;
    bindGrid(&view, &m);
    view.show();
    q.last();
    std::vector<std::pair<int, int>> counts; // rows when told before, rows when told after
    QObject::connect(&m, &QAbstractItemModel::rowsAboutToBeInserted, [&] { counts.push_back({m.rowCount(), -1}); });
    QObject::connect(&m, &QAbstractItemModel::rowsInserted, [&] { counts.back().second = m.rowCount(); });
    QObject::connect(&m, &QAbstractItemModel::rowsAboutToBeRemoved, [&] { counts.push_back({m.rowCount(), -1}); });
    QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [&] { counts.back().second = m.rowCount(); });
    for (int i = 0; i < 2; ++i) {
        q.insert();
        q.cancel();
    }
    q.deleteRecord();
    EXPECT_EQ(counts, (std::vector<std::pair<int, int>>{{3, 4}, {4, 3}, {3, 4}, {4, 3}, {3, 2}}));
    EXPECT_EQ(q.state(), DataSetState::Browse);
    EXPECT_EQ(q.recordCount(), 2);
    EXPECT_EQ(view.currentIndex().row(), q.recNo() - 1);
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char(';')).toStdString();
}

} // namespace
