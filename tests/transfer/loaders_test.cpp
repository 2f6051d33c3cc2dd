// Table loaders and purge on real rows of the local schema.
#include "library/errors.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/loaders.h"
#include "transfer/purge.h"
#include "transfer/tabelas.h"
#include "transfer/watermarks.h"

#include <gtest/gtest.h>

using namespace zov;
using test::countRows;
using test::insertRow;

namespace {

const LoaderInfo& loader(const char* table)
{
    for (const LoaderInfo& l : loaderTable())
        if (QLatin1String(l.table) == QLatin1String(table))
            return l;
    throw Error(QStringLiteral("sem carregador"));
}

const SyncSlot& purge(const char* table)
{
    if (const SyncSlot* s = syncSlotOf(QString::fromLatin1(table)))
        return *s;
    throw Error(QStringLiteral("sem expurgo"));
}

ReceivedTable received(const char* name, const std::vector<ReceivedTable::Column>& columns, const std::vector<std::vector<QVariant>>& rows)
{
    ReceivedTable t{QString::fromLatin1(name)};
    t.load(columns);
    for (const auto& r : rows)
        t.appendRow(r);
    return t;
}

QDateTime at(const char* text) { return dateTimeFromStorage(QString::fromLatin1(text)); }

class Loaders : public test::DialogsTest {
protected:
    Database& db() { return temp.db(); }
    QVariant scalar(const QString& sql) { return db().scalar(sql); }
    test::TempDatabase temp;
};

TEST_F(Loaders, InsertsNewRowsAndUpdatesInPlaceKeepingLocalOnlyColumns)
{
    insertRow(db(), QStringLiteral("PRODUTO"),
              {{QStringLiteral("CDPRODUTO"), QStringLiteral("1")},
               {QStringLiteral("NMPRODUTO"), QStringLiteral("velho")},
               {QStringLiteral("VRPREUNIT"), 9.5},
               {QStringLiteral("CDPRODESTO"), QStringLiteral("local")}});
    const auto rows =
        received("cdsProduto",
                 {{QStringLiteral("CDPRODUTO"), FieldKind::Text},
                  {QStringLiteral("NMPRODUTO"), FieldKind::Text},
                  {QStringLiteral("VRPREUNIT"), FieldKind::Number},
                  {QStringLiteral("DTULTATUPROD"), FieldKind::DateTime},
                  {QStringLiteral("COLUNANOVA"), FieldKind::Text}},
                 {{QStringLiteral("1"), QStringLiteral("novo "), QVariant(), at("2026-11-30 10:00:00.250"), QStringLiteral("x")},
                  {QStringLiteral("2"), QStringLiteral("  "), 3.0, at("2026-11-30 10:00:01"), QVariant()}});
    std::vector<std::pair<int, int>> progress;
    loadTable(db(), loader("PRODUTO"), rows, [&](int row, int total) { progress.push_back({row, total}); });

    EXPECT_EQ(countRows(db(), QStringLiteral("PRODUTO")), 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO='1'")).toString(), QStringLiteral("novo "))
        << "not trimmed";
    EXPECT_TRUE(scalar(QStringLiteral("SELECT VRPREUNIT IS NULL FROM PRODUTO WHERE CDPRODUTO='1'")).toBool()) << "a null stays null";
    EXPECT_EQ(scalar(QStringLiteral("SELECT CDPRODESTO FROM PRODUTO WHERE CDPRODUTO='1'")).toString(), QStringLiteral("local"))
        << "a column the server does not send keeps its local value";
    EXPECT_EQ(scalar(QStringLiteral("SELECT NMPRODUTO FROM PRODUTO WHERE CDPRODUTO='2'")).toString(), QStringLiteral("  "));
    EXPECT_EQ(scalar(QStringLiteral("SELECT CAST(DTULTATUPROD AS TEXT) AS T FROM PRODUTO WHERE CDPRODUTO='1'")).toString(),
              QStringLiteral("2026-11-30 10:00:00.250"));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(2, 2));
    EXPECT_EQ(progressTableName(QStringLiteral("cdsCliente")), QStringLiteral("CLIENTE"));
    EXPECT_EQ(progressTableName(QStringLiteral("cdsPreCouti")), QStringLiteral("PRECOUTI"));
}

TEST_F(Loaders, EmptyDatasetWritesNothingAndUnloadedDatasetIsAnError)
{
    const auto empty = received("cdsPais", {{QStringLiteral("CDPAIS"), FieldKind::Text}}, {});
    bool called = false;
    loadTable(db(), loader("PAIS"), empty, [&](int, int) { called = true; });
    EXPECT_FALSE(called) << "no progress line";
    EXPECT_EQ(countRows(db(), QStringLiteral("PAIS")), 0);
    ReceivedTable never(QStringLiteral("cdsPais"));
    EXPECT_THROW(loadTable(db(), loader("PAIS"), never, nullptr), Error);
}

TEST_F(Loaders, ItemPriceIsKeyedOnListAndProductOnly)
{
    const std::vector<ReceivedTable::Column> cols = {{QStringLiteral("CDPRECOBASE"), FieldKind::Text},
                                                     {QStringLiteral("CDPRODUTO"), FieldKind::Text},
                                                     {QStringLiteral("DTINIVALIPB"), FieldKind::DateTime},
                                                     {QStringLiteral("VRITEPREBASE"), FieldKind::Number}};
    loadTable(db(), loader("ITEMPREBASE"),
              received("cdsItemPreBase", cols, {{QStringLiteral("01"), QStringLiteral("1"), at("2026-01-01"), 10.0}}), nullptr);
    loadTable(db(), loader("ITEMPREBASE"),
              received("cdsItemPreBase", cols, {{QStringLiteral("01"), QStringLiteral("1"), at("2026-06-01"), 12.0}}), nullptr);
    EXPECT_EQ(countRows(db(), QStringLiteral("ITEMPREBASE")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT DTINIVALIPB || '/' || VRITEPREBASE FROM ITEMPREBASE")).toString(),
              QStringLiteral("2026-06-01 00:00:00/12.0"));
}

TEST_F(Loaders, ParamGeralKeepsItsLocalPictureOfGoodsAndParamPedidoOnlyItsFlag)
{
    const std::vector<ReceivedTable::Column> cols = {{QStringLiteral("CDPARGERAL"), FieldKind::Text},
                                                     {QStringLiteral("NMEMPGER"), FieldKind::Text},
                                                     {QStringLiteral("CDPICTBEM"), FieldKind::Text}};
    loadTable(db(), loader("PARAMGERAL"),
              received("cdsParamGeral", cols, {{QStringLiteral("0002"), QStringLiteral("A"), QStringLiteral("9.9")}}), nullptr);
    EXPECT_EQ(scalar(QStringLiteral("SELECT CDPICTBEM FROM PARAMGERAL WHERE CDPARGERAL='0002'")).toString(), QStringLiteral("9.9"))
        << "written on insert";
    loadTable(db(), loader("PARAMGERAL"),
              received("cdsParamGeral", cols, {{QStringLiteral("0002"), QStringLiteral("B"), QStringLiteral("99.99")}}), nullptr);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NMEMPGER || CDPICTBEM FROM PARAMGERAL WHERE CDPARGERAL='0002'")).toString(),
              QStringLiteral("B9.9"));

    insertRow(db(), QStringLiteral("PARAMPEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")}, {QStringLiteral("IDUTDESCMAXI"), QStringLiteral("S")}});
    loadTable(db(), loader("PARAMPEDIDO"),
              received("cdsParamPedido",
                       {{QStringLiteral("CDFILIAL"), FieldKind::Text},
                        {QStringLiteral("IDPERALTPRECO"), FieldKind::Text},
                        {QStringLiteral("IDUTDESCMAXI"), FieldKind::Text}},
                       {{QStringLiteral("0001"), QStringLiteral("N"), QStringLiteral("N")}}),
              nullptr);
    EXPECT_EQ(scalar(QStringLiteral("SELECT IDPERALTPRECO || IDUTDESCMAXI FROM PARAMPEDIDO")).toString(), QStringLiteral("NS"));
}

TEST_F(Loaders, AFailingRowLeavesTheWholeTableAndItsWatermarkAsTheyWere)
{
    insertRow(
        db(), QStringLiteral("FORMPGTO"),
        {{QStringLiteral("CDFORMPGTO"), QStringLiteral("01")}, {QStringLiteral("DTULTATUFPGT"), QStringLiteral("2026-01-01 00:00:00")}});
    // Rows out of date order; the second one has no key and cannot be written.
    const auto rows =
        received("cdsFormPgto", {{QStringLiteral("CDFORMPGTO"), FieldKind::Text}, {QStringLiteral("DTULTATUFPGT"), FieldKind::DateTime}},
                 {{QStringLiteral("02"), at("2026-12-01 00:00:00")},
                  {QVariant(), at("2026-11-01 00:00:00")},
                  {QStringLiteral("03"), at("2026-10-01 00:00:00")}});
    try {
        loadTable(db(), loader("FORMPGTO"), rows, nullptr);
        FAIL() << "a row without its key was written";
    } catch (const Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("FORMPGTO"))) << e.what();
        EXPECT_TRUE(e.text().contains(QStringLiteral("linha 2 de 3"))) << e.what();
    }
    EXPECT_FALSE(db().inTransaction());
    EXPECT_EQ(countRows(db(), QStringLiteral("FORMPGTO")), 1);
    EXPECT_EQ(readWatermarks(db()).dtUltAtuIns[20].toDateTime(), at("2026-01-01 00:00:00"));
}

TEST(SlotLayout, UsedSlotsElementsAndTables)
{
    EXPECT_EQ(syncSlots().size(), 22u);
    for (const SyncSlot& s : syncSlots())
        EXPECT_TRUE(s.slot != 11 && s.slot != 23 && s.slot < 23) << s.slot;
    EXPECT_EQ(rowsDatasetOf(*syncSlotOf(QStringLiteral("MODPGTO"))), QStringLiteral("cdsModPgto"));
    EXPECT_EQ(deletionsDatasetOf(*syncSlotOf(QStringLiteral("MODPGTO"))), QStringLiteral("cdsModPgtCache"));
    const std::vector<int> elements = replyElementsRead();
    EXPECT_EQ(elements.size(), 45u);
    for (int ignored : {11, 23, 35})
        EXPECT_EQ(std::count(elements.begin(), elements.end(), ignored), 0);
    EXPECT_EQ(elements.back(), 47);
    EXPECT_EQ(loaderTable().size(), 23u);
    EXPECT_EQ(QLatin1String(loaderTable().front().table), QLatin1String("PARAMPEDIDO"));
    EXPECT_EQ(QLatin1String(loaderTable().back().table), QLatin1String("ENDECLIE"));
    EXPECT_EQ(syncSlotOf(QStringLiteral("formpgto"))->dateColumn, QStringLiteral("DTULTATUFPGT"));
}

TEST(Watermarks, DateNullRules)
{
    const QDateTime now(QDate(2026, 12, 8), QTime(10, 0));
    const QDateTime value(QDate(2026, 11, 30), QTime(14, 2, 11));
    EXPECT_EQ(DateNull(0, 1, value, now), now.addDays(1));
    EXPECT_EQ(DateNull(0, 1, QDateTime(), now), now.addDays(1));
    EXPECT_EQ(DateNull(5, 1, value, now), value);
    EXPECT_EQ(DateNull(5, 1, QDateTime(), now), QDateTime(QDate(1985, 1, 1), QTime(12, 0)));
    EXPECT_EQ(DateNull(0, 2, QDateTime(), now), QDateTime(QDate(1985, 1, 1), QTime(12, 0)));
    EXPECT_EQ(DateNull(0, 2, value, now), value) << "mode 2 does not look at the count";
}

TEST_F(Loaders, AnEmptyDatabaseAsksForEverythingInEverySlot)
{
    const QDateTime now(QDate(2026, 12, 8), QTime(10, 0));
    insertRow(
        db(), QStringLiteral("PAIS"),
        {{QStringLiteral("CDPAIS"), QStringLiteral("0001")}, {QStringLiteral("DTULTATUPAIS"), QStringLiteral("2026-05-05 05:05:05.500")}});
    const Watermarks w = readWatermarks(db(), now);
    ASSERT_EQ(w.dtUltAtu.size(), 24);
    for (int slot : {11, 23}) {
        EXPECT_TRUE(w.dtUltAtu[slot].isNull());
        EXPECT_TRUE(w.dtUltAtuIns[slot].isNull());
    }
    EXPECT_EQ(w.dtUltAtu[3].toDateTime(), now.addDays(1));
    EXPECT_EQ(w.dtUltAtuIns[3].toDateTime(), QDateTime(QDate(1985, 1, 1), QTime(12, 0)));
    EXPECT_EQ(w.dtUltAtu[12].toDateTime(), at("2026-05-05 05:05:05.500"));
    EXPECT_EQ(w.dtUltAtuIns[12].toDateTime(), at("2026-05-05 05:05:05.500"));
    // PARAMGERAL has its row '0001' without a date.
    EXPECT_EQ(w.dtUltAtu[14].toDateTime(), QDateTime(QDate(1985, 1, 1), QTime(12, 0)));
}

TEST(PurgeText, ValueFieldAndAplicaParametros)
{
    const QString keys = QStringLiteral("CDPRECOBASE=01;CDCLIENTE=J12345678000195;");
    EXPECT_EQ(ValueField(QStringLiteral("CDPRECOBASE"), keys), QStringLiteral("01"));
    EXPECT_EQ(ValueField(QStringLiteral("CDCLIENTE"), keys), QStringLiteral("J12345678000195"));
    EXPECT_EQ(ValueField(QStringLiteral("CDPRODUTO"), keys), QString());
    EXPECT_EQ(ValueField(QStringLiteral("CDPAIS"), QStringLiteral("CDPAIS:0001;")), QStringLiteral("0001")) << "any one separator";
    EXPECT_EQ(ValueField(QStringLiteral("CDBAIRRO"), QStringLiteral("CDPAIS=0001;CDBAIRRO=;")), QString());
    EXPECT_EQ(ValueField(QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE=X;CLIENTE=Y;")), QStringLiteral("Y"))
        << "a name inside another entry is not taken";
    EXPECT_EQ(ValueField(QStringLiteral("CDCLIENTE"), QStringLiteral("CDCLIENTE=O'Brien;")), QStringLiteral("O'Brien"));

    EXPECT_EQ(AplicaParametros(QStringLiteral("TABELA"), QStringLiteral(" PAIS "),
                               QStringLiteral("UPDATE TABELA SET X = (SELECT 1 FROM TABELA)")),
              QStringLiteral("UPDATE PAIS SET X = (SELECT 1 FROM PAIS)"));
    EXPECT_EQ(AplicaParametros(QStringLiteral("A"), QStringLiteral("AA"), QStringLiteral("xAx")), QStringLiteral("xAAx"))
        << "a value holding the placeholder does not loop";
    EXPECT_EQ(AplicaParametros(QStringLiteral("Z"), QStringLiteral("v"), QStringLiteral("abc")), QStringLiteral("abc"));
}

class Purge : public Loaders {
protected:
    ReceivedTable deletions(const std::vector<std::pair<QString, QDateTime>>& records)
    {
        ReceivedTable t(QStringLiteral("cdsClienteCache"));
        t.load({{QStringLiteral("DSKEYCACHE"), FieldKind::Text}, {QStringLiteral("DTULTATUCACH"), FieldKind::DateTime}});
        for (const auto& r : records)
            t.appendRow({r.first, r.second});
        return t;
    }
    void cliente(const QString& code, const char* date)
    {
        insertRow(db(), QStringLiteral("CLIENTE"),
                  {{QStringLiteral("CDCLIENTE"), code}, {QStringLiteral("DTULTATUCLIE"), QString::fromLatin1(date)}});
    }
};

TEST_F(Purge, DeletesUnlessChangedLaterAndMovesTheDateToTheNewestDeletion)
{
    cliente(QStringLiteral("J1"), "2026-11-01 10:00:00");
    cliente(QStringLiteral("J2"), "2026-11-20 10:00:00"); // changed here after its deletion
    cliente(QStringLiteral("J3"), "2026-11-01 10:00:00");
    purgeTable(db(), purge("CLIENTE"),
               deletions({{QStringLiteral("CDCLIENTE=J1;"), at("2026-11-10 00:00:00")},
                          {QStringLiteral("CDCLIENTE=J2;"), at("2026-11-10 00:00:00")},
                          {QStringLiteral("CDCLIENTE=NAOEXISTE;"), at("2026-11-25 08:00:00.125")}}));
    EXPECT_EQ(countRows(db(), QStringLiteral("CLIENTE")), 2);
    EXPECT_EQ(countRows(db(), QStringLiteral("CLIENTE"), QStringLiteral("CDCLIENTE='J2'")), 1);
    // The newest date was older than the newest deletion: every row moves to it.
    EXPECT_EQ(countRows(db(), QStringLiteral("CLIENTE"), QStringLiteral("DTULTATUCLIE = '2026-11-25 08:00:00.125'")), 2);
    EXPECT_GE(readWatermarks(db()).dtUltAtu[3].toDateTime(), at("2026-11-25 08:00:00.125"));
}

TEST_F(Purge, NewerLocalDatesAreNotMovedBack)
{
    cliente(QStringLiteral("J1"), "2026-11-01 10:00:00");
    cliente(QStringLiteral("J2"), "2026-12-01 10:00:00");
    purgeTable(db(), purge("CLIENTE"), deletions({{QStringLiteral("CDCLIENTE=J1;"), at("2026-11-10 00:00:00")}}));
    EXPECT_EQ(countRows(db(), QStringLiteral("CLIENTE")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT DTULTATUCLIE FROM CLIENTE")).toDateTime(), at("2026-12-01 10:00:00"));
}

TEST_F(Purge, EmptyTableEndsItsPassAndQuotedKeysAreJustValues)
{
    purgeTable(db(), purge("CLIENTE"), deletions({{QStringLiteral("CDCLIENTE=J1;"), at("2026-11-10 00:00:00")}}));
    EXPECT_EQ(countRows(db(), QStringLiteral("CLIENTE")), 0);

    cliente(QStringLiteral("O'1"), "2026-01-01 00:00:00");
    cliente(QStringLiteral("X"), "2026-01-01 00:00:00");
    purgeTable(db(), purge("CLIENTE"),
               deletions({{QStringLiteral("CDCLIENTE=X' OR '1'='1;"), at("2026-11-10 00:00:00")},
                          {QStringLiteral("CDCLIENTE=O'1;"), at("2026-11-10 00:00:00")}}));
    EXPECT_EQ(countRows(db(), QStringLiteral("CLIENTE")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT CDCLIENTE FROM CLIENTE")).toString(), QStringLiteral("X"));

    ReceivedTable empty(QStringLiteral("cdsClienteCache"));
    empty.load({{QStringLiteral("DSKEYCACHE"), FieldKind::Text}, {QStringLiteral("DTULTATUCACH"), FieldKind::DateTime}});
    purgeTable(db(), purge("CLIENTE"), empty);
    EXPECT_EQ(scalar(QStringLiteral("SELECT DTULTATUCLIE FROM CLIENTE")).toDateTime(), at("2026-11-10 00:00:00"));
    EXPECT_THROW(purgeTable(db(), purge("CLIENTE"), ReceivedTable(QStringLiteral("cdsClienteCache"))), Error);
}

TEST_F(Purge, PriceItemsAreFoundByTheirValidityStartToo)
{
    insertRow(db(), QStringLiteral("ITEMPREBASE"),
              {{QStringLiteral("CDPRECOBASE"), QStringLiteral("01")},
               {QStringLiteral("CDPRODUTO"), QStringLiteral("1")},
               {QStringLiteral("DTINIVALIPB"), QStringLiteral("2026-01-01 00:00:00")},
               {QStringLiteral("DTULTATUIPRE"), QStringLiteral("2026-01-01 00:00:00")}});
    ReceivedTable t(QStringLiteral("cdsItemPreBaseCache"));
    t.load({{QStringLiteral("DSKEYCACHE"), FieldKind::Text}, {QStringLiteral("DTULTATUCACH"), FieldKind::DateTime}});
    t.appendRow({QStringLiteral("CDPRECOBASE=01;DTINIVALIPB=2025-01-01;CDPRODUTO=1;"), at("2026-02-01")});
    purgeTable(db(), purge("ITEMPREBASE"), t);
    EXPECT_EQ(countRows(db(), QStringLiteral("ITEMPREBASE")), 1) << "another validity start: another row";
    t.clearRows();
    t.appendRow({QStringLiteral("CDPRECOBASE=01;DTINIVALIPB=2026-01-01;CDPRODUTO=1;"), at("2026-03-01")});
    purgeTable(db(), purge("ITEMPREBASE"), t);
    EXPECT_EQ(countRows(db(), QStringLiteral("ITEMPREBASE")), 0) << "the date-only text matches the stored date";
}

// An empty key part ("DTINIVALIPB=;") cannot tell '' from null: it matches
// both; it used to bind null and match neither.
TEST_F(Purge, AnEmptyKeyPartMatchesAnEmptyOrANullColumn)
{
    for (const char* p : {"E", "N"})
        insertRow(db(), QStringLiteral("ITEMPREBASE"),
                  {{QStringLiteral("CDPRECOBASE"), QStringLiteral("02")},
                   {QStringLiteral("CDPRODUTO"), QLatin1String(p)},
                   {QStringLiteral("DTULTATUIPRE"), QStringLiteral("2026-01-01 00:00:00")}});
    db().execScript(QStringLiteral("UPDATE ITEMPREBASE SET DTINIVALIPB = '' WHERE CDPRODUTO = 'E'"));
    insertRow(db(), QStringLiteral("ITEMPREBASE"),
              {{QStringLiteral("CDPRECOBASE"), QStringLiteral("02")},
               {QStringLiteral("CDPRODUTO"), QStringLiteral("D")},
               {QStringLiteral("DTINIVALIPB"), QStringLiteral("2026-01-01")},
               {QStringLiteral("DTULTATUIPRE"), QStringLiteral("2026-01-01 00:00:00")}});
    ASSERT_EQ(countRows(db(), QStringLiteral("ITEMPREBASE"), QStringLiteral("DTINIVALIPB = ''")), 1);
    ASSERT_EQ(countRows(db(), QStringLiteral("ITEMPREBASE"), QStringLiteral("DTINIVALIPB IS NULL")), 1);
    ReceivedTable t(QStringLiteral("cdsItemPreBaseCache"));
    t.load({{QStringLiteral("DSKEYCACHE"), FieldKind::Text}, {QStringLiteral("DTULTATUCACH"), FieldKind::DateTime}});
    for (const char* p : {"E", "N", "D"})
        t.appendRow({QStringLiteral("CDPRECOBASE=02;DTINIVALIPB=;CDPRODUTO=%1;").arg(QLatin1String(p)), at("2026-02-01")});
    purgeTable(db(), purge("ITEMPREBASE"), t);
    EXPECT_EQ(countRows(db(), QStringLiteral("ITEMPREBASE")), 1);
    EXPECT_EQ(countRows(db(), QStringLiteral("ITEMPREBASE"), QStringLiteral("CDPRODUTO = 'D'")), 1) << "a dated row is another key";
}

} // namespace
