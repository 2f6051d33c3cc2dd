// The export window offscreen: Space, Ctrl+Space and the check column's title
// toggle, Enter only while Confirm is enabled, Ctrl+Del swallowed, Esc closes
// and forgets the checks.
#include "session/GeralZOV.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/ZOV00200.h"
#include "transfer/exporta.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace zov;
using test::insertRow;

namespace {

class ZOV00200Test : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        LimpaPedidosExport();
        tdb = std::make_unique<test::TempDatabase>();
        SetFilial(QStringLiteral("0001"));
        insertRow(tdb->db(), QStringLiteral("CLIENTE"),
                  {{QStringLiteral("CDCLIENTE"), QStringLiteral("C1")}, {QStringLiteral("NMFANTCLIE"), QStringLiteral("LOJA")}});
        for (const char* nr : {"0000000001", "0000000002", "0000000003"})
            insertRow(tdb->db(), QStringLiteral("PEDIDO"),
                      {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                       {QStringLiteral("NRPEDIDO"), QString::fromLatin1(nr)},
                       {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
                       {QStringLiteral("CDCLIENTE"), QStringLiteral("C1")}});
        frm = CriaExportaDados();
        ASSERT_TRUE(frm);
        ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
        grade = frm->findChild<QTableView*>(QStringLiteral("dbgPedidos"));
        confirma = frm->findChild<QPushButton*>(QStringLiteral("sbtConfirma"));
        ASSERT_TRUE(grade && confirma);
        grade->setFocus();
    }
    void TearDown() override
    {
        if (frm)
            frm->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tdb.reset();
        LimpaPedidosExport();
        ClearSession();
        test::DialogsTest::TearDown();
    }
    QStringList marcas()
    {
        QStringList out;
        for (int r = 0; r < grade->model()->rowCount(); ++r)
            out << (grade->model()->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStringLiteral("S")
                                                                                                : QStringLiteral("N"));
        return out;
    }

    std::unique_ptr<test::TempDatabase> tdb;
    QPointer<TfrmExportaDados> frm;
    QTableView* grade = nullptr;
    QPushButton* confirma = nullptr;
};

TEST_F(ZOV00200Test, SpaceCtrlSpaceAndTheTitleToggleAndConfirmFollows)
{
    EXPECT_EQ(marcas(), (QStringList{QStringLiteral("N"), QStringLiteral("N"), QStringLiteral("N")}));
    EXPECT_FALSE(confirma->isEnabled());
    QTest::keyClick(grade, Qt::Key_Return);
    EXPECT_TRUE(dialogs().records.empty()) << "Enter does nothing while Confirm is off";

    QTest::keyClick(grade, Qt::Key_Down);
    QTest::keyClick(grade, Qt::Key_Space);
    EXPECT_EQ(marcas(), (QStringList{QStringLiteral("N"), QStringLiteral("S"), QStringLiteral("N")}));
    EXPECT_TRUE(confirma->isEnabled());
    EXPECT_EQ(PedidosExport(), QStringLiteral("_0000000002_"));

    QTest::keyClick(grade, Qt::Key_Space, Qt::ControlModifier); // something checked: uncheck all
    EXPECT_EQ(marcas(), (QStringList{QStringLiteral("N"), QStringLiteral("N"), QStringLiteral("N")}));
    EXPECT_FALSE(confirma->isEnabled());

    // The check column's title checks them all; another title does nothing.
    QHeaderView* titulo = grade->horizontalHeader();
    QTest::mouseClick(titulo->viewport(), Qt::LeftButton, {}, QPoint(titulo->sectionViewportPosition(1) + 5, 5));
    EXPECT_EQ(marcas(), (QStringList{QStringLiteral("N"), QStringLiteral("N"), QStringLiteral("N")}));
    QTest::mouseClick(titulo->viewport(), Qt::LeftButton, {}, QPoint(titulo->sectionViewportPosition(0) + 3, 5));
    EXPECT_EQ(marcas(), (QStringList{QStringLiteral("S"), QStringLiteral("S"), QStringLiteral("S")}));
    EXPECT_TRUE(confirma->isEnabled());

    QTest::keyClick(grade, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grade->model()->rowCount(), 3) << "no row is deleted";
}

TEST_F(ZOV00200Test, CtrlLSearchesTheTitledColumnsOnly)
{
    QStringList campos;
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_TRUE(dlg);
        auto* combo = dlg->findChild<QComboBox*>(QStringLiteral("cbbCampo"));
        ASSERT_TRUE(combo);
        for (int i = 0; i < combo->count(); ++i)
            campos << combo->itemText(i);
        dlg->close();
    });
    QTest::keyClick(grade, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(campos,
              (QStringList{QStringLiteral("Nº Pedido"), QStringLiteral("Cliente"), QStringLiteral("Data Pedido"),
                           QStringLiteral("Data Entrega"), QStringLiteral("Valor Total")}))
        << "the check column has no title to look in";
}

TEST_F(ZOV00200Test, EscClosesAndForgetsTheChecks)
{
    QTest::keyClick(grade, Qt::Key_Space);
    ASSERT_FALSE(PedidosExport().isEmpty());
    QTest::keyClick(grade, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frm.isNull() || !frm->isVisible());
    EXPECT_TRUE(PedidosExport().isEmpty());
}

} // namespace
