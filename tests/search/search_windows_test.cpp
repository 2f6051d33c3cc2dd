// The two search windows on screen (offscreen): real keys and clicks.
#include "library/dataset.h"
#include "library/shell.h"
#include "search/PesqListaZOV.h"
#include "search/pesquisaZOV.h"
#include "tests/search/search_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace zov::test {
namespace {

// Runs the script once the modal window W is up; a window the script leaves
// open fails the test and is closed, so a test never hangs.
template <class W>
void whenShown(std::function<void(W*)> script)
{
    QTimer::singleShot(0, [script] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!w) {
            ADD_FAILURE() << "the window did not open";
            return;
        }
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        script(w);
        if (w->isVisible()) {
            ADD_FAILURE() << "the window was left open";
            w->done(QDialog::Rejected);
        }
    });
}

bool waitFor(const std::function<bool()>& condition, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < ms)
        QTest::qWait(20);
    return condition();
}

// A real double click: press and release, then the double-click press.
void doubleClick(QWidget* viewport, QPoint at)
{
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
}

QRect rowRect(QTableView* grid, int row) { return grid->visualRect(grid->model()->index(row, 1)); }

class SearchWindowsTest : public SearchTest {
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        seedGeography(db());
        seedCustomers(db());
        openLookup(pais, kSqlPais, "CDPAIS");
    }
    Query pais{&db(), "qryPais"};
};

TEST_F(SearchWindowsTest, TypingInTheGridGoesToTheSearchTextAndEnterConfirms)
{
    whenShown<TfrmPesquisar>([&](TfrmPesquisar* w) {
        EXPECT_EQ(w->windowTitle(), "País");
        EXPECT_EQ(w->cbbOrdem()->currentText(), "NMPAIS");
        EXPECT_TRUE(w->medProcurar()->hasFocus());
        QTableView* grid = w->dbgArquivo();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_U);
        QTest::keyClick(grid, Qt::Key_R);
        QTest::keyClick(grid, Qt::Key_X);
        EXPECT_EQ(w->medProcurar()->text(), "URX");
        EXPECT_TRUE(w->medProcurar()->hasFocus());
        EXPECT_EQ(w->medProcurar()->cursorPosition(), 3);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Backspace);
        EXPECT_EQ(w->medProcurar()->text(), "UR");
        EXPECT_TRUE(w->medProcurar()->hasFocus());

        // The search comes about 600 ms after the last key, then Enter takes the row.
        ASSERT_TRUE(waitFor([&] { return pais.recordCount() == 1; }));
        EXPECT_FALSE(w->timerActive());
        EXPECT_TRUE(grid->hasFocus());
        QTest::keyClick(grid, Qt::Key_Return);
    });
    EXPECT_TRUE(PesquisarZOV(pais, "País", false, true));
    ASSERT_TRUE(pais.active());
    EXPECT_EQ(pais["NMPAIS"].asString(), "URUGUAI");
    EXPECT_EQ(pais.paramByName("P_TCDPAIS").asString(), "N");
}

TEST_F(SearchWindowsTest, DoubleClickConfirmsAndEscCancels)
{
    whenShown<TfrmPesquisar>([&](TfrmPesquisar* w) {
        QTableView* grid = w->dbgArquivo();
        const QRect r = rowRect(grid, 2); // ordered by code: 0054, 0055, 0595, 0598
        doubleClick(grid->viewport(), r.center());
    });
    EXPECT_TRUE(PesquisarZOV(pais, "País", false, true));
    EXPECT_EQ(pais["CDPAIS"].asString(), "0595");

    openLookup(pais, kSqlPais, "CDPAIS");
    whenShown<TfrmPesquisar>([&](TfrmPesquisar* w) { QTest::keyClick(w->medProcurar(), Qt::Key_Escape); });
    EXPECT_FALSE(PesquisarZOV(pais, "País", false, true));
    EXPECT_FALSE(pais.active());
}

// While a search is up the status bar names it; closed, the opener's code comes back.
TEST_F(SearchWindowsTest, TheStatusBarShowsTheSearchWindowsCode)
{
    shell().setStatusText(kScreenCodePanel, QStringLiteral("ZOV00100"));
    QString visto;
    whenShown<TfrmPesquisar>([&](TfrmPesquisar* w) {
        visto = shell().statusText(kScreenCodePanel);
        QTest::keyClick(w->medProcurar(), Qt::Key_Escape);
    });
    PesquisarZOV(pais, "País", false, true);
    EXPECT_EQ(visto, QStringLiteral("LIB00610"));
    Query cli(&db(), "qryCliente");
    cli.setSql("SELECT CDCLIENTE, NMFANTCLIE FROM CLIENTE ORDER BY CDCLIENTE");
    QString lista;
    whenShown<TfrmPesqLista>([&](TfrmPesqLista* w) {
        visto = shell().statusText(kScreenCodePanel);
        QTest::keyClick(w->dbgArquivo(), Qt::Key_Escape);
    });
    PesquisaListaZOV(cli, "CDCLIENTE", "Cliente", false, lista);
    EXPECT_EQ(visto, QStringLiteral("LIB00600"));
    EXPECT_EQ(shell().statusText(kScreenCodePanel), QStringLiteral("ZOV00100"));
}

TEST_F(SearchWindowsTest, SearchTextRefusesTheBacktickAndShiftSelections)
{
    whenShown<TfrmPesquisar>([&](TfrmPesquisar* w) {
        QLineEdit* med = w->medProcurar();
        QTest::keyClicks(med, "ab`c");
        EXPECT_EQ(med->text(), "ABC");
        QTest::keyClick(med, Qt::Key_Left, Qt::ShiftModifier);
        EXPECT_FALSE(med->hasSelectedText());
        QTest::keyClick(med, Qt::Key_Left);
        EXPECT_EQ(med->cursorPosition(), 2);
        QTest::keyClick(med, Qt::Key_D, Qt::ShiftModifier); // a character typed with Shift still arrives
        EXPECT_EQ(med->text(), "ABDC");
        w->sbtCancel()->click();
    });
    EXPECT_FALSE(PesquisarZOV(pais, "País", false, true));
}

TEST_F(SearchWindowsTest, ListSearchMarksWithSpaceAndTheTitleAndConfirmsWithEnter)
{
    Query cli(&db(), "qryCliente");
    cli.setSql("SELECT CDCLIENTE, NMFANTCLIE FROM CLIENTE ORDER BY CDCLIENTE");
    cli.open();
    whenShown<TfrmPesqLista>([&](TfrmPesqLista* w) {
        QTableView* grid = w->dbgArquivo();
        EXPECT_EQ(w->windowTitle(), "Cliente");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Space); // the first row
        EXPECT_EQ(w->lsbEscolhidos()->count(), 1);
        EXPECT_TRUE(w->medProcurar()->text().isEmpty()) << "Space is not typed into the search";

        const QHeaderView* header = grid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
        EXPECT_EQ(w->lsbEscolhidos()->count(), 0) << "the first row was marked: the title unmarks all";
        QTest::keyClick(grid, Qt::Key_Space, Qt::ControlModifier);
        EXPECT_EQ(w->lsbEscolhidos()->count(), 5);

        // A line double-clicked in the chosen list goes away.
        QListWidget* list = w->lsbEscolhidos();
        QApplication::processEvents(); // the list lays its new lines out
        const QPoint line0 = list->visualItemRect(list->item(0)).center();
        doubleClick(list->viewport(), line0);
        EXPECT_EQ(list->count(), 4);
        EXPECT_TRUE(w->medProcurar()->hasFocus());

        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_M);
        EXPECT_EQ(w->medProcurar()->text(), "M");
        ASSERT_TRUE(waitFor([&] { return cli.active() && cli.recordCount() == 1; }));
        EXPECT_EQ(cli["NMFANTCLIE"].asString(), "MARIA APARECIDA");
        grid->setFocus();
        QApplication::processEvents();
        doubleClick(grid->viewport(), rowRect(grid, 0).center()); // already chosen: unmarked
        EXPECT_EQ(list->count(), 3);
        QTest::keyClick(grid, Qt::Key_Return);
    });
    QString lista;
    EXPECT_TRUE(PesquisaListaZOV(cli, "CDCLIENTE", "Cliente", false, lista));
    EXPECT_EQ(lista, "_000000000000000000003_000000000000000000004_000000000000000000005_");
    EXPECT_EQ(cli.sql(), "SELECT CDCLIENTE, NMFANTCLIE FROM CLIENTE ORDER BY CDCLIENTE");
    EXPECT_FALSE(cli.active());
}

TEST_F(SearchWindowsTest, ListSearchEscCancels)
{
    Query cli(&db(), "qryCliente");
    cli.setSql("SELECT CDCLIENTE, NMFANTCLIE FROM CLIENTE ORDER BY CDCLIENTE");
    QString lista = "_000000000000000000002_";
    whenShown<TfrmPesqLista>([&](TfrmPesqLista* w) {
        EXPECT_EQ(w->lsbEscolhidos()->count(), 1);
        QTest::keyClick(w->dbgArquivo(), Qt::Key_Space, Qt::ControlModifier);
        QTest::keyClick(w->dbgArquivo(), Qt::Key_Escape);
    });
    EXPECT_FALSE(PesquisaListaZOV(cli, "CDCLIENTE", "Cliente", false, lista));
    EXPECT_EQ(lista, "_000000000000000000002_");
}

} // namespace
} // namespace zov::test
