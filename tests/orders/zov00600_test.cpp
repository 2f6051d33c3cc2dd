// The export's refusals dialog offscreen: its headline by mode, the product
// code with the product picture, and Enter anywhere as OK.
#include "library/dataset.h"
#include "library/velmora.h"
#include "orders/ZOV00600.h"
#include "tests/support/scripted_dialogs.h"

#include <QLabel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace zov;

namespace {

class ZOV00600Test : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        SetDBPict({QStringLiteral("99.999.9999")});
        itens.createDataSet({{QStringLiteral("NRPEDIDO"), FieldKind::Text},
                             {QStringLiteral("CDARVPROD"), FieldKind::Text},
                             {QStringLiteral("NMPRODUTO"), FieldKind::Text},
                             {QStringLiteral("CDFILIAL"), FieldKind::Text}});
        itens.fieldByName(QStringLiteral("CDFILIAL")).visible = false;
        itens.appendRaw(
            {QStringLiteral("0000000102"), QStringLiteral("030010002"), QStringLiteral("SABÃO EM PÓ 1KG"), QStringLiteral("0001")});
    }
    void TearDown() override
    {
        SetDBPict({});
        test::DialogsTest::TearDown();
    }
    Query itens{nullptr, QStringLiteral("cdsItemInativo")};
};

TEST_F(ZOV00600Test, ShowsTheRefusedItemsWithThePictureAndEnterIsOk)
{
    bool ok = false;
    TfrmProdInativo dlg(itens, ok, ModoInativo::Produtos);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Atenção"));
    EXPECT_EQ(dlg.findChild<QLabel*>(QStringLiteral("lblMensagem"))->text(),
              QStringLiteral("Os seguintes pedidos possuem produtos inativos e não podem ser exportados."));
    auto* grade = dlg.findChild<QTableView*>(QStringLiteral("dbgDados"));
    ASSERT_EQ(grade->model()->columnCount(), 3) << "the branch is hidden";
    EXPECT_EQ(grade->model()->index(0, 1).data().toString(), QStringLiteral("03.001.0002"));
    EXPECT_EQ(grade->model()->index(0, 2).data().toString(), QStringLiteral("SABÃO EM PÓ 1KG"));
    QTest::keyClick(grade, Qt::Key_Return);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(dlg.isVisible());

    bool outro = false;
    TfrmProdInativo clientes(itens, outro, ModoInativo::Clientes);
    EXPECT_EQ(clientes.findChild<QLabel*>(QStringLiteral("lblMensagem"))->text(),
              QStringLiteral("Os seguintes clientes encontram-se  inativos."));
    EXPECT_FALSE(outro);
}

} // namespace
