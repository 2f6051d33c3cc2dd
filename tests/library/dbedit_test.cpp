// Data-aware edits: what is typed reaches the field at once, the mask follows
// the field's edit mask (literals shown, not stored), and a browsing dataset
// takes no typing.
#include "library/dbedit_qt.h"
#include "library/inscricao.h"
#include "library/procura.h"
#include "tests/support/temp_database.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace zov;

TEST(DbEditTest, UnmaskDropsLiteralsAndBlanksOnlyWhereAsked)
{
    const QString cpf = QtInputMask(PictPess(QStringLiteral("F")));
    EXPECT_EQ(DbEdit::unmask(QStringLiteral("529.982.247-25"), cpf, false), QStringLiteral("52998224725"));
    EXPECT_EQ(DbEdit::unmask(QStringLiteral("529.98 .   -  "), cpf, false), QStringLiteral("52998"));
    EXPECT_EQ(DbEdit::unmask(QStringLiteral("12-3 "), QStringLiteral("00-00; "), true), QStringLiteral("12-3"));
}

TEST(DbEditTest, TypingWritesTheFieldThroughTheMaskOfItsKind)
{
    test::TempDatabase tdb;
    Query q(&tdb.db(), QStringLiteral("qryCliente"));
    q.setSql(QStringLiteral("SELECT CDCLIENTE, NRINSJURCLIE FROM CLIENTE"));
    q.open();
    QLineEdit edit;
    DbEdit link(&edit, q, QStringLiteral("NRINSJURCLIE"));
    edit.show();
    edit.setFocus();
    QTest::keyClicks(&edit, QStringLiteral("1"));
    EXPECT_TRUE(edit.isReadOnly());
    EXPECT_EQ(edit.text(), QString());

    q.append();
    EXPECT_FALSE(edit.isReadOnly());
    q.fieldByName(QStringLiteral("NRINSJURCLIE")).editMask = PictPess(QStringLiteral("F"));
    link.refresh();
    edit.home(false);
    QTest::keyClicks(&edit, QStringLiteral("52998224725"));
    EXPECT_EQ(edit.text(), QStringLiteral("529.982.247-25"));
    EXPECT_EQ(q.fieldByName(QStringLiteral("NRINSJURCLIE")).asString(), QStringLiteral("52998224725"));

    // Typed as a company's number may come since July 2026: letters upper-cased,
    // with or without the CNPJ's mask.
    for (const QString& pict : {QStringLiteral("AAAAAAAAAAAAAAAAAAAA;0; "), PictPess(QStringLiteral("J"))}) {
        SCOPED_TRACE(pict.toStdString());
        q.fieldByName(QStringLiteral("NRINSJURCLIE")).setValue(QVariant());
        q.fieldByName(QStringLiteral("NRINSJURCLIE")).editMask = pict;
        link.refresh();
        edit.home(false);
        QTest::keyClicks(&edit, QStringLiteral("12abc34501de35"));
        EXPECT_EQ(q.fieldByName(QStringLiteral("NRINSJURCLIE")).asString(), QStringLiteral("12ABC34501DE35"));
    }
    EXPECT_EQ(edit.text(), QStringLiteral("12.ABC.345/01DE-35"));

    // A value set by the program shows at once.
    q.fieldByName(QStringLiteral("NRINSJURCLIE")).editMask = PictPess(QStringLiteral("F"));
    link.refresh();
    q.fieldByName(QStringLiteral("NRINSJURCLIE")).setValue(QStringLiteral("11144477735"));
    EXPECT_EQ(edit.text(), QStringLiteral("111.444.777-35"));
    q.cancel();
    EXPECT_EQ(DbEdit::unmask(edit.displayText(), edit.inputMask(), false), QString());
    EXPECT_TRUE(edit.isReadOnly());
}

TEST(ProcuraTest, FindsTheNextRecordShowingTheTextAndWrapsAround)
{
    Query q(nullptr, QStringLiteral("cdsNomes"));
    q.createDataSet({{QStringLiteral("NOME")}});
    for (const char* n : {"ANA MARIA", "BENTO", "MARIANA", "CARLOS"})
        q.appendRaw({QString::fromLatin1(n)});
    q.first();
    EXPECT_TRUE(LocalizaTexto(q, QStringLiteral("NOME"), QStringLiteral("maria"), false));
    EXPECT_EQ(q.recNo(), 1);
    EXPECT_TRUE(LocalizaTexto(q, QStringLiteral("NOME"), QStringLiteral("maria"), true));
    EXPECT_EQ(q.recNo(), 3);
    EXPECT_TRUE(LocalizaTexto(q, QStringLiteral("NOME"), QStringLiteral("maria"), true));
    EXPECT_EQ(q.recNo(), 1);
    EXPECT_FALSE(LocalizaTexto(q, QStringLiteral("NOME"), QStringLiteral("zeca"), true));
    EXPECT_EQ(q.recNo(), 1);
}
