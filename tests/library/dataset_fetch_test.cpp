// A list larger than its fetch block: every operation that crosses a block
// boundary, writes while it is read in part, and the grid that asks for more.
#include "library/dataset.h"
#include "library/dataset_model.h"
#include "library/dbutils.h"
#include "library/errors.h"
#include "library/grid.h"
#include "tests/support/model_checker.h"
#include "tests/support/scripted_dialogs.h"

#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zov;

namespace {

constexpr int kRows = 95;
constexpr int kBlock = 10;

QString code(int i) { return QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0')); }

class DatasetFetch : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        db = std::make_unique<Database>(dir.filePath(QStringLiteral("f.sqlite")), Database::Mode::CreateIfMissing);
        db->execScript(QStringLiteral("CREATE TABLE CLI (CDCLI VARCHAR(5) PRIMARY KEY, NMCLI VARCHAR(30), NRVALOR INTEGER);"
                                      "CREATE TABLE OUTRA (ID INTEGER)"));
        db->transaction([&] {
            for (int i = 0; i < kRows; ++i)
                db->exec(
                    QStringLiteral("INSERT INTO CLI VALUES (:C, :N, :V)"),
                    {{QStringLiteral("C"), code(i)}, {QStringLiteral("N"), QStringLiteral("Nome %1").arg(i)}, {QStringLiteral("V"), i}});
        });
        q.setDatabase(db.get());
        q.setSql(QStringLiteral("SELECT CDCLI, NMCLI, NRVALOR, NRVALOR * 1 AS NRCALC FROM CLI ORDER BY CDCLI"));
        q.setUpdateSql(UpdateSql(QStringLiteral("INSERT INTO CLI (CDCLI, NMCLI) VALUES (:CDCLI, :NMCLI)"),
                                 QStringLiteral("UPDATE CLI SET NMCLI = :NMCLI WHERE CDCLI = :OLD_CDCLI"),
                                 QStringLiteral("DELETE FROM CLI WHERE CDCLI = :OLD_CDCLI")));
        q.setFetchBlock(kBlock);
        q.open();
    }

    QString current() const { return q[QStringLiteral("CDCLI")].asString(); }
    QString nameInDb(int i)
    {
        return db->scalar(QStringLiteral("SELECT NMCLI FROM CLI WHERE CDCLI = :C"), {{QStringLiteral("C"), code(i)}}).toString();
    }
    void rename(const QString& name)
    {
        q.edit();
        q[QStringLiteral("NMCLI")].setValue(name);
        q.post();
    }
    // The codes the list holds, in order, once read through.
    QStringList codes()
    {
        QStringList all;
        for (int pos = 0; pos < q.recordCount(); ++pos)
            all << q.valueAt(q.storageRowAt(pos), 0).toString();
        return all;
    }
    QStringList expected(int removed = -1)
    {
        QStringList all;
        for (int i = 0; i < kRows; ++i)
            if (i != removed)
                all << code(i);
        return all;
    }

    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    Query q{nullptr, QStringLiteral("qryCli")};
};

TEST_F(DatasetFetch, MovesReadOnAcrossBlocksAndCountsOnlyWhenAsked)
{
    EXPECT_EQ(q.fetchedCount(), kBlock);
    EXPECT_FALSE(q.allFetched());
    for (int i = 0; i < kBlock; ++i)
        q.next();
    EXPECT_EQ(current(), code(kBlock));
    EXPECT_FALSE(q.eof());
    q.moveBy(30);
    EXPECT_EQ(current(), code(40));
    q.setRecNo(61);
    EXPECT_EQ(current(), code(60));
    q.prior();
    EXPECT_EQ(current(), code(59));
    q.last();
    EXPECT_EQ(current(), code(kRows - 1));
    EXPECT_TRUE(q.allFetched());
    EXPECT_EQ(codes(), expected());

    // next() past the end of a list read in part stops at its real last row.
    q.close();
    q.open();
    int steps = 0;
    for (; !q.eof(); q.next())
        ++steps;
    EXPECT_EQ(steps, kRows);
    EXPECT_EQ(current(), code(kRows - 1));
    q.refresh();
    EXPECT_EQ(q.recordCount(), kRows);
}

TEST_F(DatasetFetch, LocateAndFiltersFindRowsNotReadYet)
{
    EXPECT_TRUE(q.locate(QStringLiteral("CDCLI"), code(77)));
    EXPECT_EQ(q.recNo(), 78);
    EXPECT_FALSE(q.locate(QStringLiteral("CDCLI"), QStringLiteral("nada")));
    EXPECT_EQ(current(), code(77));

    // A filter whose rows lie past the first block still shows its first row.
    q.refresh();
    q.setFilter([](const Query& d, int row) { return d.valueAt(row, 2).toInt() >= 90; });
    EXPECT_FALSE(q.isEmpty());
    EXPECT_EQ(current(), code(90));
    EXPECT_EQ(q.recordCount(), 5);
    // Searched by the database while its rows hold nothing changed, in memory after.
    const QString whole = q.sql();
    q.clearFilter();
    q.refresh();
    LocateAll(q, {QStringLiteral("NMCLI")}, QStringLiteral("nome 88"));
    EXPECT_EQ(current(), code(88));
    EXPECT_NE(q.sql(), whole);
    LocateAll(q, {QStringLiteral("NMCLI")}, QStringLiteral("nenhum"));
    EXPECT_TRUE(q.isEmpty());
    LocateAll(q, {}, QString());
    rename(QStringLiteral("Primeiro"));
    LocateAll(q, {QStringLiteral("NMCLI")}, QStringLiteral("nome 88"));
    EXPECT_EQ(q.sql(), whole);
    EXPECT_EQ(current(), code(88));
    EXPECT_TRUE(q.updatesPending());
}

TEST_F(DatasetFetch, EditsPostsCancelsAndDeletesAcrossTheBoundaryAndApplies)
{
    q.setRecNo(kBlock); // the last row of the first block
    rename(QStringLiteral("Nono"));
    q.next(); // into the second block
    rename(QStringLiteral("Décimo"));
    q.next();
    q.edit();
    q[QStringLiteral("NMCLI")].setValue(QStringLiteral("cancelado"));
    q.cancel();
    EXPECT_EQ(q[QStringLiteral("NMCLI")].asString(), QStringLiteral("Nome 11"));
    q.setRecNo(50);
    q.deleteRecord();
    EXPECT_EQ(current(), code(50));
    q.cancelUpdates();
    EXPECT_EQ(q[QStringLiteral("NMCLI")].asString(), QStringLiteral("Nome %1").arg(q.recNo() - 1));
    EXPECT_EQ(codes(), expected());

    q.refresh();
    q.setRecNo(kBlock);
    rename(QStringLiteral("Nono"));
    q.moveBy(40);
    q.deleteRecord();
    q.applyUpdates();
    q.commitUpdates();
    EXPECT_EQ(nameInDb(9), QStringLiteral("Nono"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM CLI")).toInt(), kRows - 1);
    EXPECT_EQ(codes(), expected(49));

    // Deleting the only row read of a filtered list stands on the next one that matches.
    q.refresh();
    q.setFilter([](const Query& d, int row) { return d.valueAt(row, 2).toInt() % 40 == 0; });
    EXPECT_EQ(q.fetchedCount(), 1);
    q.deleteRecord();
    EXPECT_EQ(current(), code(40));
}

TEST_F(DatasetFetch, AWriteToItsTableReadsTheRestFirstAndOtherTablesDoNot)
{
    db->exec(QStringLiteral("INSERT INTO OUTRA VALUES (1)"));
    EXPECT_FALSE(q.allFetched());
    // A row inserted before the boundary, and one changed after it: the list
    // holds the table as it was when it was opened, each row once.
    db->exec(QStringLiteral("INSERT INTO CLI VALUES ('C0005', 'novo', 0)"));
    EXPECT_TRUE(q.allFetched());
    db->exec(QStringLiteral("UPDATE CLI SET NMCLI = 'mudou' WHERE CDCLI = 'C080'"));
    EXPECT_EQ(codes(), expected());
    ASSERT_TRUE(q.locate(QStringLiteral("CDCLI"), code(80)));
    EXPECT_EQ(q[QStringLiteral("NMCLI")].asString(), QStringLiteral("Nome 80"));

    // A change made outside this connection is said, not shown as a shifted list.
    q.refresh();
    Database other(db->path(), Database::Mode::OpenExisting);
    other.exec(QStringLiteral("DELETE FROM CLI WHERE CDCLI = 'C003'"));
    EXPECT_THROW(q.fetchAll(), Error);
    EXPECT_TRUE(q.allFetched());
    EXPECT_EQ(q.fetchedCount(), kBlock);
    // Nor does it stop this connection's own write from going on.
    q.refresh();
    other.exec(QStringLiteral("DELETE FROM CLI WHERE CDCLI = 'C004'"));
    EXPECT_EQ(db->exec(QStringLiteral("UPDATE CLI SET NMCLI = 'x' WHERE CDCLI = 'C090'")), 1);
    EXPECT_TRUE(q.allFetched());
}

TEST_F(DatasetFetch, HoldsNoReadTransactionBetweenBlocks)
{
    q.setRecNo(25);
    ASSERT_TRUE(q.locate(QStringLiteral("CDCLI"), code(60))); // blocks read one after another
    q.setFilter([](const Query& d, int row) { return d.valueAt(row, 2).toInt() > 70; });
    EXPECT_FALSE(q.allFetched());
    // Another connection can write and then fold the whole log into the file,
    // which a snapshot held by an open read would stop.
    Database other(db->path(), Database::Mode::OpenExisting);
    other.exec(QStringLiteral("INSERT INTO OUTRA VALUES (2)"));
    Statement checkpoint(other, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    ASSERT_TRUE(checkpoint.step());
    EXPECT_EQ(checkpoint.rawValue(0).toInt(), 0) << "busy: a read transaction is still open";
}

TEST_F(DatasetFetch, ARolledBackJoinedSaveLeavesTheChangesPendingOverRowsReadLater)
{
    q.setRecNo(kBlock + 3);
    rename(QStringLiteral("Treze"));
    try {
        db->transaction([&] {
            q.applyUpdates();
            q.commitUpdates();
            throw Error(QStringLiteral("falha do dono"));
        });
    } catch (const Error&) {
    }
    EXPECT_EQ(nameInDb(12), QStringLiteral("Nome 12"));
    EXPECT_TRUE(q.updatesPending());
    EXPECT_EQ(codes(), expected());
    q.applyUpdates();
    q.commitUpdates();
    EXPECT_EQ(nameInDb(12), QStringLiteral("Treze"));

    // Opened inside a transaction, a list reads every row: they may yet roll back.
    db->transaction([&] {
        q.refresh();
        EXPECT_TRUE(q.allFetched());
    });
}

TEST_F(DatasetFetch, AComputedColumnsKindWidensWithLaterRows)
{
    db->exec(QStringLiteral("UPDATE CLI SET NRVALOR = 2.5 WHERE CDCLI = 'C090'"));
    q.refresh();
    EXPECT_EQ(q[QStringLiteral("NRCALC")].kind(), FieldKind::Integer);
    q.last();
    EXPECT_EQ(q[QStringLiteral("NRCALC")].kind(), FieldKind::Number);
    ASSERT_TRUE(q.locate(QStringLiteral("CDCLI"), code(90)));
    EXPECT_EQ(q[QStringLiteral("NRCALC")].asFloat(), 2.5);
    q.first();
    EXPECT_EQ(q[QStringLiteral("NRCALC")].value().metaType().id(), QMetaType::Double);
}

TEST_F(DatasetFetch, TheGridShowsTheRowsReadAndAsksForMore)
{
    DatasetModel model(q);
    EXPECT_EQ(model.rowCount(), kBlock);
    ASSERT_TRUE(model.canFetchMore({}));
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 2 * kBlock);
    test::ModelChecker checker(&model); // it asks for more rows itself
    // The dataset moving past the rows read brings the grid with it.
    q.setRecNo(70);
    EXPECT_GE(model.rowCount(), 70);
    EXPECT_EQ(model.data(model.index(69, 0), Qt::DisplayRole).toString(), code(69));
    q.last();
    EXPECT_EQ(model.rowCount(), kRows);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_TRUE(checker.failures().isEmpty()) << checker.failures().join(QLatin1Char('\n')).toStdString();
}

TEST_F(DatasetFetch, TheGridsKeysReachTheLastRow)
{
    DatasetModel model(q);
    QTableView view;
    view.setModel(&model);
    bindGrid(&view, &model);
    view.resize(400, 200);
    view.show();
    view.setFocus();
    q.refresh(); // as a window opens its list: the grid stands on the first row
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(q.recNo(), kRows);
    EXPECT_EQ(view.currentIndex().row(), kRows - 1);
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(q.recNo(), 1);

    q.refresh();
    for (int press = 0; press < kRows && q.recNo() < kRows; ++press) {
        QTest::keyClick(&view, Qt::Key_PageDown);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(q.recNo(), kRows) << "PgDn stopped at the rows read";
}

} // namespace
