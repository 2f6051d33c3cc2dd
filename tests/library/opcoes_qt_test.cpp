// SalvaOpcoes and the restore: a window's choices saved under a typed name
// and put back, variables included.
#include "library/opcoes_qt.h"
#include "tests/support/scripted_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

using namespace zov;

namespace {

struct Tela {
    QWidget w;
    QLineEdit* de = make<QLineEdit>("medDe");
    QCheckBox* alta = make<QCheckBox>("chkAlta");
    QRadioButton* todos = make<QRadioButton>("rbtClienteTodos");
    QRadioButton* lista = make<QRadioButton>("rbtClienteLista");
    QComboBox* combo = make<QComboBox>("cmbCampo");
    QLineEdit* semNome = new QLineEdit(&w); // not recorded

    template <typename T>
    T* make(const char* name)
    {
        auto* c = new T(&w);
        c->setObjectName(QLatin1String(name));
        return c;
    }
    Tela() { combo->addItems({QStringLiteral("Nome"), QStringLiteral("Código")}); }
};

class SalvaOpcoesTest : public test::DialogsTest {
protected:
    void TearDown() override
    {
        QFile::remove(arquivoOpcoes(QStringLiteral("000000000001")));
        test::DialogsTest::TearDown();
    }
};

TEST_F(SalvaOpcoesTest, ChoicesSavedUnderATypedNameComeBackWithTheirVariables)
{
    Tela t;
    t.de->setText(QStringLiteral("0000000005"));
    t.alta->setChecked(false);
    t.lista->setChecked(true);
    t.combo->setCurrentIndex(1);
    t.semNome->setText(QStringLiteral("x"));
    test::scripted().textToType(QStringLiteral("Clientes do sul"));
    ASSERT_TRUE(SalvaOpcoes(t.w, QStringLiteral("ZOV00101"), QStringLiteral("000000000001"),
                            {{QStringLiteral("stCliente"), QStringLiteral("_12_")}}));
    EXPECT_EQ(test::scripted().texts(test::DialogRecord::AskText), QStringList{QStringLiteral("Nome das opções:")});

    const auto rows = lerOpcoes(arquivoOpcoes(QStringLiteral("000000000001")));
    EXPECT_EQ(rows.size(), 6u) << "five named controls and one variable";
    EXPECT_EQ(conjuntosOpcoes(rows, QStringLiteral("ZOV00101")), QStringList{QStringLiteral("Clientes do sul")});

    Tela other;
    other.alta->setChecked(true);
    other.todos->setChecked(true);
    VariaveisOpcoes vars;
    aplicaOpcoes(other.w, opcoesDoConjunto(rows, QStringLiteral("ZOV00101"), QStringLiteral("Clientes do sul")), vars);
    EXPECT_EQ(other.de->text(), QStringLiteral("0000000005"));
    EXPECT_FALSE(other.alta->isChecked());
    EXPECT_TRUE(other.lista->isChecked());
    EXPECT_FALSE(other.todos->isChecked());
    EXPECT_EQ(other.combo->currentIndex(), 1);
    EXPECT_EQ(vars.value(QStringLiteral("stCliente")), QStringLiteral("_12_"));
}

TEST_F(SalvaOpcoesTest, NoNameSavesNothingAndRowsOfMissingControlsOrBadIndexesAreSkipped)
{
    Tela t;
    EXPECT_FALSE(SalvaOpcoes(t.w, QStringLiteral("ZOV00101"), QStringLiteral("000000000001"), {}));
    EXPECT_FALSE(QFile::exists(arquivoOpcoes(QStringLiteral("000000000001"))));

    VariaveisOpcoes vars;
    aplicaOpcoes(t.w,
                 {{QStringLiteral("ZOV00101"), {}, QStringLiteral("A"), {}, QStringLiteral("edtQueSumiu"), QStringLiteral("x")},
                  {QStringLiteral("ZOV00101"), {}, QStringLiteral("A"), {}, QStringLiteral("cmbCampo"), QStringLiteral("7")},
                  {QStringLiteral("ZOV00101"), {}, QStringLiteral("A"), {}, QStringLiteral("cmbCampo"), QStringLiteral("abc")}},
                 vars);
    EXPECT_EQ(t.combo->currentIndex(), 0);
    EXPECT_TRUE(vars.isEmpty());
}

} // namespace
