// Registration numbers: kinds, CPF and CNPJ check digits, the number to store, masks.
#include "library/errors.h"
#include "library/inscricao.h"

#include <gtest/gtest.h>

using namespace zov;

namespace {

struct Ajustado {
    QString kind;
    QString number;
};

Ajustado ajusta(const QString& typed)
{
    QString text = QStringLiteral("C") + typed;
    const QString kind = Ajusta_Inscricao(text);
    return {kind, text};
}

QString erroDe(const QString& typed)
{
    try {
        ajusta(typed);
    } catch (const Error& e) {
        return e.text();
    }
    return {};
}

TEST(Inscricao, ValidCpfsFormattedOrBareAreKindFAndStoredAsDigits)
{
    for (const char* typed : {"529.982.247-25", "52998224725", "012.345.678-90", "00000000191", "111 444 777 35"}) {
        const Ajustado a = ajusta(QString::fromLatin1(typed));
        EXPECT_EQ(a.kind, QStringLiteral("F")) << typed;
        EXPECT_EQ(a.number.size(), 11) << typed;
    }
    EXPECT_EQ(ajusta(QStringLiteral("012.345.678-90")).number, QStringLiteral("01234567890"));
}

TEST(Inscricao, ValidCnpjsFormattedOrBareAreKindJ)
{
    for (const char* typed : {"11.222.333/0001-81", "11222333000181", "11.444.777/0001-61", "04252011000110"}) {
        const Ajustado a = ajusta(QString::fromLatin1(typed));
        EXPECT_EQ(a.kind, QStringLiteral("J")) << typed;
        EXPECT_EQ(a.number.size(), 14) << typed;
    }
    EXPECT_EQ(ajusta(QStringLiteral("11.222.333/0001-81")).number, QStringLiteral("11222333000181"));
}

// Since July 2026 a CNPJ's first twelve characters may be letters, each worth
// its code minus 48; typed in any case, with or without the mask.
TEST(Inscricao, AlphanumericCnpjsAreCheckedAsCnpjsAndStoredUpperCase)
{
    for (const char* typed :
         {"12.ABC.345/01DE-35", "12ABC34501DE35", "12abc34501de35", "K9.P34.Y6N/3WD2-68", "5RQ4F5ZR37E361", "ZB6CN6Z43DVY04"}) {
        const Ajustado a = ajusta(QString::fromLatin1(typed));
        EXPECT_EQ(a.kind, QStringLiteral("J")) << typed;
        EXPECT_EQ(a.number,
                  QString::fromLatin1(typed).remove(QLatin1Char('.')).remove(QLatin1Char('/')).remove(QLatin1Char('-')).toUpper());
        EXPECT_TRUE(CnpjValido(a.number)) << typed;
    }
    EXPECT_EQ(FormataInscricao(QStringLiteral("12ABC34501DE35"), QStringLiteral("J")), QStringLiteral("12.ABC.345/01DE-35"));
    // Wrong check digits, a letter where a check digit goes, the wrong length,
    // letters in what would be a CPF: each the CNPJ message.
    EXPECT_EQ(erroDe(QStringLiteral("12.ABC.345/01DE-36")), QStringLiteral("CNPJ inválido: 12.ABC.345/01DE-36."));
    EXPECT_EQ(erroDe(QStringLiteral("12ABC34501DE3A")), QStringLiteral("CNPJ inválido: 12ABC34501DE3A."));
    EXPECT_EQ(erroDe(QStringLiteral("12ABC34501D35")), QStringLiteral("CNPJ inválido: 12.ABC.345/01D3-5."));
    EXPECT_EQ(erroDe(QStringLiteral("12A45")), QStringLiteral("CNPJ inválido: 12.A45."));
    EXPECT_FALSE(CnpjValido(QStringLiteral("AAAAAAAAAAAAAA")));
    EXPECT_FALSE(CnpjValido(QStringLiteral("12ABC34501DE53")));
    EXPECT_FALSE(CpfValido(QStringLiteral("529982247A5")));
}

// One rule for case in the three: ASCII letters of either case; the letters
// Unicode upper-cases to I and S ("ı", "ſ") are no registration letters.
TEST(Inscricao, OnlyAsciiLettersEitherCaseInEveryRegistrationFunction)
{
    EXPECT_TRUE(CnpjValido(QStringLiteral("12abc34501de35")));
    EXPECT_EQ(FormataInscricao(QStringLiteral("12abc34501de35"), QStringLiteral("J")), QStringLiteral("12.ABC.345/01DE-35"));
    ASSERT_TRUE(CnpjValido(QStringLiteral("12ISI34501S090")));
    for (const QString& typed : {QStringLiteral("12ISI34501S090").replace(QLatin1Char('I'), QChar(0x0131)),
                                 QStringLiteral("12ISI34501S090").replace(QLatin1Char('S'), QChar(0x017F))}) {
        EXPECT_EQ(erroDe(typed), QStringLiteral("A inscrição deve conter apenas números, ou números e letras num CNPJ."))
            << typed.toStdString();
        EXPECT_FALSE(CnpjValido(typed)) << typed.toStdString();
    }
}

TEST(Inscricao, WrongCheckDigitsAreRefusedAndTheArgumentIsKept)
{
    QString text = QStringLiteral("C52998224724");
    EXPECT_THROW(Ajusta_Inscricao(text), Error);
    EXPECT_EQ(text, QStringLiteral("C52998224724"));

    EXPECT_EQ(erroDe(QStringLiteral("529.982.247-52")), QStringLiteral("CPF inválido: 529.982.247-52."));
    EXPECT_EQ(erroDe(QStringLiteral("11222333000180")), QStringLiteral("CNPJ inválido: 11.222.333/0001-80."));
    EXPECT_FALSE(erroDe(QStringLiteral("11.222.333/0001-18")).isEmpty());
    // First check digit right, second wrong, and the other way round.
    EXPECT_FALSE(erroDe(QStringLiteral("52998224726")).isEmpty());
    EXPECT_FALSE(erroDe(QStringLiteral("52998224735")).isEmpty());
}

TEST(Inscricao, NumbersOfOneRepeatedDigitAreRefusedThoughTheirDigitsAddUp)
{
    EXPECT_FALSE(CpfValido(QStringLiteral("11111111111")));
    EXPECT_FALSE(CpfValido(QStringLiteral("00000000000")));
    EXPECT_FALSE(CnpjValido(QStringLiteral("00000000000000")));
    EXPECT_FALSE(CnpjValido(QStringLiteral("99999999999999")));
    EXPECT_FALSE(erroDe(QStringLiteral("111.111.111-11")).isEmpty());
    EXPECT_FALSE(erroDe(QStringLiteral("00.000.000/0000-00")).isEmpty());
}

TEST(Inscricao, ShortNumbersAreLocalCodesFilledToFive)
{
    const Ajustado a = ajusta(QStringLiteral("12"));
    EXPECT_EQ(a.kind, QStringLiteral("O"));
    EXPECT_EQ(a.number, QStringLiteral("00012"));
    EXPECT_EQ(ajusta(QStringLiteral("98765")).number, QStringLiteral("98765"));
    EXPECT_EQ(erroDe(QStringLiteral("000")), QStringLiteral("O código do cliente não pode ser zero."));
}

TEST(Inscricao, OtherLengthsUpToTwentyAreOtherRegistrationsStoredAsTyped)
{
    for (const char* typed : {"123456", "1234567890", "123456789012", "1234567890123", "123456789012345", "00000000000000000001"}) {
        const Ajustado a = ajusta(QString::fromLatin1(typed));
        EXPECT_EQ(a.kind, QStringLiteral("I")) << typed;
        EXPECT_EQ(a.number, QString::fromLatin1(typed));
    }
}

TEST(Inscricao, EmptyLettersAndTooLongAreRefusedInWords)
{
    EXPECT_EQ(erroDe(QString()), QStringLiteral("Inscrição deve ser informada."));
    EXPECT_EQ(erroDe(QStringLiteral(" ./-")), QStringLiteral("Inscrição deve ser informada."));
    EXPECT_EQ(erroDe(QStringLiteral("12#45")), QStringLiteral("A inscrição deve conter apenas números, ou números e letras num CNPJ."));
    EXPECT_EQ(erroDe(QStringLiteral("123456789012345678901")), QStringLiteral("A inscrição pode ter no máximo 20 dígitos."));
    // Twenty digits with separators still fits.
    EXPECT_EQ(ajusta(QStringLiteral("1234.5678.9012.3456.7890")).number.size(), 20);
}

TEST(Inscricao, MasksPerKind)
{
    EXPECT_EQ(PictPess(QStringLiteral("F")), QStringLiteral("999.999.999-99;0; "));
    EXPECT_EQ(PictPess(QStringLiteral("J")), QStringLiteral("AA.AAA.AAA/AAAA-99;0; "));
    EXPECT_EQ(PictPess(QStringLiteral("O")), QStringLiteral("99999;0; "));
    EXPECT_EQ(PictPess(QStringLiteral("I")), QStringLiteral("99999999999999999999;0; "));
    EXPECT_EQ(PictPess(QString()), QStringLiteral("AAAAAAAAAAAAAAAAAAAA;0; ")) << "any kind may be typed into it";
    EXPECT_EQ(PictPess(QStringLiteral("f")), PictPess(QStringLiteral("F")));
}

TEST(Inscricao, StoredNumbersAreShownWithTheirKindsMask)
{
    EXPECT_EQ(FormataInscricao(QStringLiteral("52998224725"), QStringLiteral("F")), QStringLiteral("529.982.247-25"));
    EXPECT_EQ(FormataInscricao(QStringLiteral("11222333000181"), QStringLiteral("J")), QStringLiteral("11.222.333/0001-81"));
    EXPECT_EQ(FormataInscricao(QStringLiteral("00012"), QStringLiteral("O")), QStringLiteral("00012"));
    EXPECT_EQ(FormataInscricao(QStringLiteral("123456789012"), QStringLiteral("I")), QStringLiteral("123456789012"));
    // Shorter than the mask: no dangling literals; longer or not digits: as stored.
    EXPECT_EQ(FormatMask(QStringLiteral("5299"), PictPess(QStringLiteral("F"))), QStringLiteral("529.9"));
    EXPECT_EQ(FormataInscricao(QStringLiteral("11222333000181"), QStringLiteral("F")), QStringLiteral("11222333000181"));
    EXPECT_EQ(FormataInscricao(QStringLiteral("ABC"), QStringLiteral("F")), QStringLiteral("ABC"));
    EXPECT_EQ(FormataInscricao(QString(), QStringLiteral("J")), QString());
}

TEST(Inscricao, MasksTranslateToQtInputMasks)
{
    EXPECT_EQ(QtInputMask(PictPess(QStringLiteral("F"))), QStringLiteral("000.000.000-00; "));
    EXPECT_EQ(QtInputMask(PictPess(QStringLiteral("J"))), QStringLiteral(">nn.nnn.nnn/nnnn-00; "));
    EXPECT_EQ(QtInputMask(QStringLiteral("00a;0;_")), QStringLiteral("99\\a;_"));
}

} // namespace
