#pragma once
// Small readable reference rows and the fakes the search tests share.
#include "library/dataset.h"
#include "search/delay_timer.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"

namespace zov::test {

// The country lookup as the customer window prepares it.
inline const char* const kSqlPais =
    "SELECT\n   CDPAIS, NMPAIS\nFROM\n   PAIS\nWHERE\n   (CDPAIS = :P_CDPAIS OR :P_TCDPAIS = 'T')\nORDER BY\n   CDPAIS";

// Countries 0054 ARGENTINA, 0055 BRASIL, 0595 PARAGUAI, 0598 URUGUAI;
// states SP and RJ of Brazil; municipalities (code 0001 in both states);
// customers JOÃO (two addresses' worth of cities) and others.
void seedGeography(Database& db);
void seedCustomers(Database& db);

// Opens a lookup the way the callers do: key empty, all-rows "T".
void openLookup(Query& q, const QString& sql, const QString& keyField);

// A timer the test fires itself.
class FakeTimer final : public DelayTimer {
public:
    void start(int intervalMs) override
    {
        active = true;
        interval = intervalMs;
        ++starts;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    bool active = false;
    int interval = 0;
    int starts = 0;
};

// Each test: scripted dialogs and a fresh database.
class SearchTest : public DialogsTest {
protected:
    TempDatabase tdb;
    Database& db() { return tdb.db(); }
};

} // namespace zov::test
