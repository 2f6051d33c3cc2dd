// The apply step of the data module: the loaders in their order, each table
// with its deletions in one transaction; a failing table stops it there.
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/tabelas.h"

#include <gtest/gtest.h>

using namespace zov;
using test::countRows;
using test::insertRow;

namespace {

class ApplyStep : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        receiveEmpty();
    }
    // Every dataset received, and empty.
    void receiveEmpty()
    {
        CriaDataModulo();
        for (const SyncSlot& s : syncSlots()) {
            dtmAtuTab()->dataset(rowsDatasetOf(s)).load({{s.keys.first(), FieldKind::Text}});
            dtmAtuTab()
                ->dataset(deletionsDatasetOf(s))
                .load({{QStringLiteral("DSKEYCACHE"), FieldKind::Text}, {QStringLiteral("DTULTATUCACH"), FieldKind::DateTime}});
        }
        dtmAtuTab()->dataset(QStringLiteral("cdsParamPedido")).load({{QStringLiteral("CDFILIAL"), FieldKind::Text}});
    }
    void TearDown() override
    {
        DestroiDataModulo();
        test::DialogsTest::TearDown();
    }
    void rows(const char* table, const QStringList& keyColumns, const std::vector<QStringList>& values)
    {
        ReceivedTable& t = dtmAtuTab()->dataset(rowsDatasetOf(*syncSlotOf(QString::fromLatin1(table))));
        std::vector<ReceivedTable::Column> cols;
        for (const QString& c : keyColumns)
            cols.push_back({c, FieldKind::Text});
        t.load(cols);
        for (const QStringList& v : values)
            t.appendRow(std::vector<QVariant>(v.begin(), v.end()));
    }
    test::TempDatabase temp;
};

TEST_F(ApplyStep, AFailureInFormPgtoLeavesEveryTableAsItWas)
{
    insertRow(temp.db(), QStringLiteral("PAIS"), {{QStringLiteral("CDPAIS"), QStringLiteral("0001")}});
    ReceivedTable& paisDeleted = dtmAtuTab()->dataset(QStringLiteral("cdsPaisCache"));
    paisDeleted.appendRow({QStringLiteral("CDPAIS=0001;"), QDateTime::currentDateTime()});

    rows("OPERADOR", {QStringLiteral("CDOPERADOR")}, {{QStringLiteral("000000000001")}});
    ReceivedTable& forma = dtmAtuTab()->dataset(QStringLiteral("cdsFormPgto"));
    forma.load({{QStringLiteral("CDFORMPGTO"), FieldKind::Text}});
    forma.appendRow({QStringLiteral("01")});
    forma.appendRow({QVariant()}); // no key: this table cannot be written
    rows("ESTADO", {QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO")}, {{QStringLiteral("0001"), QStringLiteral("SP")}});
    rows("BAIRRO", {QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO"), QStringLiteral("CDMUNICIPIO"), QStringLiteral("CDBAIRRO")},
         {{QStringLiteral("0001"), QStringLiteral("SP"), QStringLiteral("0001"), QStringLiteral("0000000001")}});
    rows("CLIENTE", {QStringLiteral("CDCLIENTE")}, {{QStringLiteral("F1")}});
    rows("ENDECLIE", {QStringLiteral("CDCLIENTE"), QStringLiteral("IDTPENDECLIE")}, {{QStringLiteral("F1"), QStringLiteral("P")}});

    EXPECT_FALSE(ChamaExportaDados());
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("FORMPGTO"))) << lastTransferError().toStdString();
    EXPECT_EQ(dtmAtuTab(), nullptr) << "the data module goes in every case";
    Database& db = temp.db();
    EXPECT_EQ(countRows(db, QStringLiteral("OPERADOR")), 0) << "written before the failure, and taken back";
    for (const char* t : {"FORMPGTO", "ESTADO", "BAIRRO", "CLIENTE", "ENDECLIE"})
        EXPECT_EQ(countRows(db, QString::fromLatin1(t)), 0) << t;
    EXPECT_EQ(countRows(db, QStringLiteral("PAIS")), 1) << "its deletion was taken back with the rest";
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2) << "full durability after the download";
}

// A reply that lacks an element, or whose element lacks its key, is refused
// before anything is written, with the table named.
TEST_F(ApplyStep, AMissingOrKeylessElementIsRefusedBeforeAnyWrite)
{
    rows("OPERADOR", {QStringLiteral("CDOPERADOR")}, {{QStringLiteral("000000000001")}});
    dtmAtuTab()->dataset(QStringLiteral("cdsBairro")).unload(); // a null element
    EXPECT_FALSE(ChamaExportaDados());
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("BAIRRO"))) << lastTransferError().toStdString();
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("OPERADOR")), 0);

    receiveEmpty();
    rows("OPERADOR", {QStringLiteral("CDOPERADOR")}, {{QStringLiteral("000000000001")}});
    rows("ENDECLIE", {QStringLiteral("CDCLIENTE")}, {{QStringLiteral("F1")}}); // no IDTPENDECLIE
    EXPECT_FALSE(ChamaExportaDados());
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("ENDECLIE"))) << lastTransferError().toStdString();
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("IDTPENDECLIE"))) << lastTransferError().toStdString();
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("OPERADOR")), 0);

    receiveEmpty();
    dtmAtuTab()->dataset(QStringLiteral("cdsEstadoCache")).load({{QStringLiteral("DSKEYCACHE"), FieldKind::Text}});
    EXPECT_FALSE(ChamaExportaDados());
    EXPECT_TRUE(lastTransferError().contains(QStringLiteral("DTULTATUCACH"))) << lastTransferError().toStdString();
}

TEST_F(ApplyStep, AllTablesThenThePurge)
{
    insertRow(temp.db(), QStringLiteral("PAIS"), {{QStringLiteral("CDPAIS"), QStringLiteral("0002")}});
    dtmAtuTab()->dataset(QStringLiteral("cdsPaisCache")).appendRow({QStringLiteral("CDPAIS=0002;"), QDateTime::currentDateTime()});
    rows("ESTADO", {QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO")}, {{QStringLiteral("0001"), QStringLiteral("SP")}});
    EXPECT_TRUE(ChamaExportaDados()) << lastTransferError().toStdString();
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("ESTADO")), 1);
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("PAIS")), 0);
}

TEST_F(ApplyStep, ADatasetTheDownloadNeverLoadedIsAnError)
{
    dtmAtuTab()->dataset(QStringLiteral("cdsParamPedido")).unload();
    rows("ESTADO", {QStringLiteral("CDPAIS"), QStringLiteral("SGESTADO")}, {{QStringLiteral("0001"), QStringLiteral("SP")}});
    EXPECT_FALSE(ChamaExportaDados());
    EXPECT_EQ(countRows(temp.db(), QStringLiteral("ESTADO")), 0) << "PARAMPEDIDO is loaded first: nothing is written";
}

} // namespace
