// The options file: sets saved and read back per window, a set saved twice
// replacing the first, and a missing, damaged or unwritable file handled.
#include "library/errors.h"
#include "library/opcoes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zov;

namespace {

OpcaoSalva row(const char* tela, const char* nome, const char* componente, const char* valor, const char* variavel = "")
{
    return {QLatin1String(tela),     QStringLiteral("000000000001"), QString::fromUtf8(nome),
            QLatin1String(variavel), QLatin1String(componente),      QString::fromUtf8(valor)};
}

TEST(Opcoes, SetsAreSavedPerWindowAndASetSavedTwiceReplacesTheFirst)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("000000000001/Filtros.Cds")); // the folder is made on save
    gravaConjuntoOpcoes(path,
                        {row("ZOV00101", "Sul", "rbtClienteLista", "True"), row("ZOV00101", "Sul", "TStringList", "_12_", "stCliente")});
    gravaConjuntoOpcoes(path, {row("ZOV00101", "Atrasados", "chkPendente", "True")});
    gravaConjuntoOpcoes(path, {row("ZOV00500", "Sul", "edtNome", "X")});
    const auto rows = lerOpcoes(path);
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_EQ(conjuntosOpcoes(rows, QStringLiteral("ZOV00101")), (QStringList{QStringLiteral("Atrasados"), QStringLiteral("Sul")}));

    const auto sul = opcoesDoConjunto(rows, QStringLiteral("ZOV00101"), QStringLiteral("Sul"));
    ASSERT_EQ(sul.size(), 2u);
    EXPECT_EQ(sul[0].NMCOMPONENTE, QStringLiteral("TStringList")) << "ordered by component";
    EXPECT_EQ(sul[0].DSVALOR, QStringLiteral("_12_"));
    EXPECT_EQ(sul[0].STVARIAVEL, QStringLiteral("stCliente"));

    gravaConjuntoOpcoes(path, {row("ZOV00101", "Sul", "rbtClienteTodos", "True")});
    const auto again = opcoesDoConjunto(lerOpcoes(path), QStringLiteral("ZOV00101"), QStringLiteral("Sul"));
    ASSERT_EQ(again.size(), 1u) << "the first set is gone";
    EXPECT_EQ(again[0].NMCOMPONENTE, QStringLiteral("rbtClienteTodos"));
    EXPECT_EQ(opcoesDoConjunto(lerOpcoes(path), QStringLiteral("ZOV00500"), QStringLiteral("Sul")).size(), 1u)
        << "another window's set stays";
}

TEST(Opcoes, AMissingDamagedOrForeignFileGivesNoRowsAndIsReplacedOnSave)
{
    QTemporaryDir dir;
    QString problem = QStringLiteral("x");
    EXPECT_TRUE(lerOpcoes(dir.filePath(QStringLiteral("nada/Filtros.Cds")), &problem).empty());
    EXPECT_TRUE(problem.isEmpty()) << "a missing file is no problem";

    const QString path = dir.filePath(QStringLiteral("Filtros.Cds"));
    for (const QByteArray& bad :
         {QByteArray("[{\"CDTELA\": \"ZOV00101\", \"DSOPC"), QByteArray("{\"a\": 1}"), QByteArray("\x00\x01\x02", 3)}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bad);
        f.close();
        EXPECT_TRUE(lerOpcoes(path, &problem).empty());
        EXPECT_TRUE(problem.contains(QStringLiteral("danificado"))) << problem.toStdString();
    }
    gravaConjuntoOpcoes(path, {row("ZOV00101", "Novo", "chkAlta", "False")});
    EXPECT_EQ(lerOpcoes(path, &problem).size(), 1u);
    EXPECT_TRUE(problem.isEmpty());

    // Rows that are not objects are skipped, the others kept.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[1, \"x\", {\"CDTELA\": \"ZOV00101\", \"DSOPCSALVA\": \"A\", \"NMCOMPONENTE\": \"chkAlta\", \"DSVALOR\": \"True\"}]");
    f.close();
    EXPECT_EQ(conjuntosOpcoes(lerOpcoes(path), QStringLiteral("ZOV00101")), QStringList{QStringLiteral("A")});
}

TEST(Opcoes, AFileThatCannotBeWrittenIsSaid)
{
    QTemporaryDir dir;
    // The operator's folder is taken by a file: nothing can be written there.
    QFile blocker(dir.filePath(QStringLiteral("000000000001")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir.filePath(QStringLiteral("000000000001/Filtros.Cds"));
    try {
        gravaConjuntoOpcoes(path, {row("ZOV00101", "Sul", "chkAlta", "True")});
        ADD_FAILURE() << "a failed save must be said";
    } catch (const Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("000000000001"))) << e.text().toStdString();
    }
    EXPECT_TRUE(lerOpcoes(path).empty());
}

} // namespace
