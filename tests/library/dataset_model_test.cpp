// The grid model over a dataset: columns, formats, and the current row both ways.
#include "library/dataset_model.h"
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

class ModelTest : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        db = std::make_unique<Database>(dir.filePath(QStringLiteral("m.sqlite")), Database::Mode::CreateIfMissing);
        db->execScript(QStringLiteral("CREATE TABLE P (CDPRODUTO VARCHAR(10) PRIMARY KEY, NMPRODUTO VARCHAR(50), "
                                      "VRPRECO REAL, DTCAD DATETIME);"
                                      "INSERT INTO P VALUES ('1','Arroz',1234.5,'2026-12-07');"
                                      "INSERT INTO P VALUES ('2','Feijão',7.25,NULL);"
                                      "INSERT INTO P VALUES ('3','Óleo',NULL,NULL);"));
        q.setDatabase(db.get());
        q.setSql(QStringLiteral("SELECT * FROM P ORDER BY CDPRODUTO"));
        q.setUpdateSql(
            UpdateSql({}, QStringLiteral("UPDATE P SET NMPRODUTO = :NMPRODUTO, VRPRECO = :VRPRECO WHERE CDPRODUTO = :OLD_CDPRODUTO"), {}));
        q.defineField(QStringLiteral("CDPRODUTO")).tag = 1;
        q.defineField(QStringLiteral("NMPRODUTO")).displayLabel = QStringLiteral("Nome");
        q.defineField(QStringLiteral("VRPRECO")).displayFormat = QStringLiteral("#,##0.00");
        q.defineField(QStringLiteral("DTCAD")).visible = false;
        q.open();
    }
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    Query q{nullptr, QStringLiteral("qryProduto")};
};

TEST_F(ModelTest, VisibleFieldsAreColumnsWithLabelsAndFormats)
{
    DatasetModel m(q);
    test::ModelChecker checker(&m);
    ASSERT_EQ(m.columnCount(), 3);
    EXPECT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Nome"));
    EXPECT_EQ(m.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("CDPRODUTO"));
    EXPECT_EQ(m.data(m.index(0, 2), Qt::DisplayRole).toString(), QStringLiteral("1.234,50"));
    EXPECT_EQ(m.data(m.index(2, 2), Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(m.data(m.index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("Feijão"));
    EXPECT_EQ(m.columnOf(QStringLiteral("dtcad")), -1);
    q.close();
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_EQ(checker.failures(), QStringList());
}

TEST_F(ModelTest, KeyFieldsAreEditableOnlyInANewRowAndEditsGoThroughTheDataset)
{
    DatasetModel m(q);
    test::ModelChecker checker(&m);
    m.setEditable(true);
    EXPECT_FALSE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);
    ASSERT_TRUE(m.setData(m.index(1, 2), QStringLiteral("8,50"), Qt::EditRole));
    EXPECT_EQ(q.state(), DataSetState::Edit);
    EXPECT_EQ(q.recNo(), 2);
    EXPECT_DOUBLE_EQ(q[QStringLiteral("VRPRECO")].asFloat(), 8.5);
    EXPECT_EQ(m.data(m.index(1, 2), Qt::DisplayRole).toString(), QStringLiteral("8,50"));
    EXPECT_FALSE(m.setData(m.index(1, 2), QStringLiteral("oito"), Qt::EditRole));
    EXPECT_EQ(dialogs().errors().size(), 1);
    q.append();
    EXPECT_TRUE(m.flags(m.index(3, 0)) & Qt::ItemIsEditable);
    q.cancel();
    EXPECT_EQ(checker.failures(), QStringList());
}

TEST_F(ModelTest, TheGridAndTheDatasetFollowEachOther)
{
    DatasetModel m(q);
    test::ModelChecker checker(&m);
    QTableView view;
    bindGrid(&view, &m);
    view.show();
    q.last();
    EXPECT_EQ(view.currentIndex().row(), 2);
    view.setCurrentIndex(m.index(1, 1));
    EXPECT_EQ(q.recNo(), 2);
    // A move that cannot post (a handler refuses) leaves both where they were.
    q.beforePost = [](Query&) { throw Error(QStringLiteral("não pode")); };
    q.edit();
    q[QStringLiteral("NMPRODUTO")].setValue(QStringLiteral("x"));
    view.setCurrentIndex(m.index(0, 1));
    EXPECT_EQ(q.recNo(), 2);
    EXPECT_EQ(view.currentIndex().row(), 1);
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("não pode")});
    q.beforePost = nullptr;
    q.cancel();
    q.refresh();
    EXPECT_EQ(view.currentIndex().row(), 0);
    EXPECT_EQ(checker.failures(), QStringList());
}

} // namespace
