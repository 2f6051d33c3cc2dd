// The program's display formats, messages and the abort rule.
#include "library/errors.h"
#include "library/formats.h"
#include "library/messages.h"
#include "library/velmora.h"
#include "tests/support/scripted_dialogs.h"

#include <QDir>
#include <QSettings>
#include <gtest/gtest.h>

using namespace zov;

TEST(Formats, NumbersInTheProgramPatterns)
{
    EXPECT_EQ(formatNumber(1234.5, QStringLiteral("#,##0.00")), QStringLiteral("1.234,50"));
    EXPECT_EQ(formatNumber(1234567.891, QStringLiteral("#,##0.00")), QStringLiteral("1.234.567,89"));
    EXPECT_EQ(formatNumber(0.0, QStringLiteral("#,##0.00")), QStringLiteral("0,00"));
    EXPECT_EQ(formatNumber(-0.001, QStringLiteral("#,##0.00")), QStringLiteral("0,00")) << "no negative zero";
    EXPECT_EQ(formatNumber(1.005, QStringLiteral("#,##0.00")), QStringLiteral("1,01"));
    EXPECT_EQ(formatNumber(1234.5, QStringLiteral("###0.0000")), QStringLiteral("1234,5000"));
    EXPECT_EQ(formatNumber(12.5, QStringLiteral("#,##0.00 %")), QStringLiteral("12,50 %"));
    EXPECT_EQ(formatNumber(2.5, QStringLiteral("##0.000")), QStringLiteral("2,500"));
    EXPECT_EQ(formatNumber(-1234.5, QStringLiteral("#,##0.00")), QStringLiteral("-1.234,50"));
    EXPECT_EQ(formatNumber(7, QStringLiteral("0")), QStringLiteral("7"));
}

TEST(Formats, DatesAndParsing)
{
    const QDateTime dt(QDate(2026, 12, 7), QTime(9, 5, 3));
    EXPECT_EQ(formatDate(dt), QStringLiteral("07/12/2026"));
    EXPECT_EQ(formatDateTime(dt), QStringLiteral("07/12/2026 09:05:03"));
    EXPECT_EQ(parseDateTime(QStringLiteral("07/12/2026")), QDateTime(QDate(2026, 12, 7), QTime(0, 0)));
    EXPECT_EQ(parseDateTime(QStringLiteral("07/12/2026 09:05:03")), dt);
    EXPECT_FALSE(parseDateTime(QStringLiteral("2026-12-07")).isValid());
    bool ok = false;
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("1.234,56"), &ok), 1234.56);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(parseNumber(QStringLiteral("12,5"), &ok), 12.5);
    parseNumber(QStringLiteral("doze"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(formatFloat(1234.5), QStringLiteral("1234,5"));
}

// Qt's file dialog writes its dates in the system's locale, read from the
// environment: they are made Portuguese there ("10 dez.", never "10 Dec"),
// and what LC_ALL said goes on for the rest.
TEST(Formats, DatesArePortugueseInTheEnvironmentWhateverTheSystemSays)
{
    const char* variaveis[] = {"LC_ALL", "LC_TIME", "LANG"};
    QByteArray antes[3];
    bool tinha[3];
    for (int i = 0; i < 3; ++i) {
        tinha[i] = qEnvironmentVariableIsSet(variaveis[i]);
        antes[i] = qgetenv(variaveis[i]);
    }
    qputenv("LC_ALL", "C");
    qputenv("LANG", "en_US.UTF-8");
    datasEmPortuguesNoAmbiente();
    EXPECT_FALSE(qEnvironmentVariableIsSet("LC_ALL"));
    EXPECT_EQ(qgetenv("LANG"), QByteArray("C"));
    const QLocale datas(QString::fromLatin1(qgetenv("LC_TIME")));
    EXPECT_EQ(datas.toString(QDate(2026, 12, 10), QStringLiteral("d MMM")), QStringLiteral("10 dez."));
    for (int i = 0; i < 3; ++i)
        tinha[i] ? void(qputenv(variaveis[i], antes[i])) : void(qunsetenv(variaveis[i]));
}

TEST(Messages, KeysIgnoreCaseAndUnknownKeysReturnThemselves)
{
    const TMessages m{"Oper_Inf|Operador deve ser informado.", "DE| de ", "com|barra|no texto"};
    EXPECT_EQ(m.Msg(QStringLiteral("oper_inf")), QStringLiteral("Operador deve ser informado."));
    EXPECT_EQ(m.Msg(QStringLiteral("OPER_INF")), QStringLiteral("Operador deve ser informado."));
    EXPECT_EQ(m.Msg(QStringLiteral("de")), QStringLiteral(" de ")) << "blanks kept";
    EXPECT_EQ(m.Msg(QStringLiteral("com")), QStringLiteral("barra|no texto"));
    EXPECT_EQ(m.Msg(QStringLiteral("SUCESSO")), QStringLiteral("SUCESSO"));
    EXPECT_EQ(msgMensagensPadroes().Msg(QStringLiteral("excl")), QStringLiteral("Confirma exclusão?"));
}

class AbortRule : public test::DialogsTest {};

TEST_F(AbortRule, ShowMsgProceedsOnlyOnYes)
{
    dialogs().answer({true, false});
    EXPECT_TRUE(msgMensagensPadroes().ShowMsg(QStringLiteral("Canc")));
    EXPECT_FALSE(msgMensagensPadroes().ShowMsg(QStringLiteral("Canc")));
    EXPECT_EQ(dialogs().questions(), QStringList(2, QStringLiteral("Cancelar operação?")));
}

TEST_F(AbortRule, MensErroAbortsSilentlyUnderTheGuardAndOtherErrorsAreShown)
{
    bool after = false;
    EXPECT_FALSE(runGuarded([&] {
        MensErro(QStringLiteral("Filial deve ser informada."), true);
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Filial deve ser informada.")}) << "shown once, by MensErro";

    dialogs().clear();
    EXPECT_TRUE(runGuarded([&] { MensErro(QStringLiteral("aviso"), false); }));
    EXPECT_FALSE(runGuarded([] { throw Error(QStringLiteral("Falhou a gravação.")); }));
    EXPECT_FALSE(runGuarded([] { throw std::runtime_error(""); }));
    EXPECT_EQ(dialogs().errors(),
              QStringList({QStringLiteral("aviso"), QStringLiteral("Falhou a gravação."), QStringLiteral("Ocorreu um erro inesperado.")}));
}

TEST_F(AbortRule, CheckGuardStandsAsideWhileAnotherCheckRuns)
{
    int checks = 0;
    std::function<void()> leaveField = [&] {
        CheckGuard g;
        if (g.busy())
            return;
        ++checks;
        leaveField(); // the focus moved and another field was left
    };
    leaveField();
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(CheckGuard::running());
}

TEST(Pictures, LevelsLengthAndFormatting)
{
    const TPictObj p(QStringLiteral("99.999.9999"));
    EXPECT_EQ(p.GetTtNiveis(), 3);
    EXPECT_EQ(p.GetTamPict(), 11);
    EXPECT_EQ(p.codeLength(), 9);
    EXPECT_EQ(p.format(QStringLiteral("010010001")), QStringLiteral("01.001.0001"));
    EXPECT_EQ(p.format(QStringLiteral("01001")), QStringLiteral("01.001"));
    EXPECT_EQ(p.format(QStringLiteral("0100100010")), QStringLiteral("0100100010")) << "too long: as it is";
    EXPECT_EQ(p.levelOf(QStringLiteral("01")), 1);
    EXPECT_EQ(p.levelOf(QStringLiteral("01001")), 2);
    EXPECT_EQ(p.levelOf(QStringLiteral("010010001")), 3);
    EXPECT_EQ(TPictObj().GetTtNiveis(), 0);
    EXPECT_EQ(TPictObj().format(QStringLiteral("123")), QStringLiteral("123"));
}

TEST(Pictures, SeventeenPicturesByIndexAndFieldName)
{
    SetDBPict({QStringLiteral("99.999")});
    SetPictFieldNames({QStringLiteral("CDPRODUTO"), QStringLiteral("CDPRATO")});
    EXPECT_EQ(DBPict(0), QStringLiteral("99.999"));
    EXPECT_EQ(DBPict(16), QString());
    EXPECT_EQ(DBPictObj(0).GetTtNiveis(), 2);
    EXPECT_EQ(pictForField(QStringLiteral("cdproduto")), QStringLiteral("99.999"));
    EXPECT_EQ(pictForField(QStringLiteral("CDPRATO")), QString());
    SetDBPict({});
}

TEST(Installation, DefaultsAndTheSettingsFile)
{
    ResetInstallationSettings();
    EXPECT_TRUE(ModuFili());
    EXPECT_EQ(EmprProc(), QStringLiteral("01"));
    EXPECT_EQ(GetPersonal(3), QStringLiteral("N"));
    EXPECT_FALSE(CanEditRelPadr());
    ASSERT_FALSE(ConfigUsrDir().isEmpty());
    {
        QSettings s(QDir(ConfigUsrDir()).filePath(QStringLiteral("instalacao.ini")), QSettings::IniFormat);
        s.beginGroup(QStringLiteral("Instalacao"));
        s.setValue(QStringLiteral("ModuFili"), QStringLiteral("N"));
        s.setValue(QStringLiteral("EmprProc"), QStringLiteral("07"));
        s.setValue(QStringLiteral("Personal3"), QStringLiteral("S"));
        s.setValue(QStringLiteral("CanEditRelPadr"), QStringLiteral("S"));
    }
    LoadInstallationSettings();
    EXPECT_FALSE(ModuFili());
    EXPECT_EQ(EmprProc(), QStringLiteral("07"));
    EXPECT_EQ(GetPersonal(3), QStringLiteral("S"));
    EXPECT_TRUE(CanEditRelPadr());
    QFile::remove(QDir(ConfigUsrDir()).filePath(QStringLiteral("instalacao.ini")));
    ResetInstallationSettings();
}
