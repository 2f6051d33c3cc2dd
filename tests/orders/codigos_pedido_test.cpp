// The order's stored codes and the texts shown for them, both ways.
#include "orders/codigos_pedido.h"

#include <gtest/gtest.h>

using namespace zov;

namespace {

TEST(CodigosPedido, SituationFreightPaymentKindAndPriority)
{
    EXPECT_EQ(textoSituacao(QStringLiteral("1")), QStringLiteral("Pendente"));
    EXPECT_EQ(textoSituacao(QStringLiteral("7")), QStringLiteral("Exportado"));
    EXPECT_EQ(textoSituacao(QStringLiteral("2")), QString()) << "any other status is an empty cell";

    for (const char* code : {"0", "1", "2", "9"})
        EXPECT_EQ(codigoFrete(textoFrete(QLatin1String(code)), QStringLiteral("?")), QLatin1String(code));
    EXPECT_EQ(textoFrete(QStringLiteral("1")), QStringLiteral("1 - Destinatário/Remetente"));
    EXPECT_EQ(codigoFrete(QString(), QStringLiteral("0")), QStringLiteral("9")) << "an empty text is no freight";
    EXPECT_EQ(codigoFrete(QStringLiteral("3 - Outro"), QStringLiteral("2")), QStringLiteral("2")) << "an unknown text changes nothing";
    EXPECT_EQ(textoFrete(QStringLiteral("5")), QString());

    EXPECT_EQ(textoFormaPagamento(QString()), QStringLiteral("X")) << "cash";
    EXPECT_EQ(textoFormaPagamento(QStringLiteral("F")), QStringLiteral("F"));
    EXPECT_EQ(codigoFormaPagamento(QStringLiteral("X")), QString());
    EXPECT_EQ(codigoFormaPagamento(QStringLiteral("V")), QStringLiteral("V"));

    EXPECT_EQ(codigoPrioridade(Prioridade::Normal), QStringLiteral("3"));
    EXPECT_EQ(codigoPrioridade(Prioridade::Urgente), QStringLiteral("1"));
    EXPECT_EQ(prioridadeDoCodigo(QStringLiteral("2")), Prioridade::Alta);
    EXPECT_EQ(prioridadeDoCodigo(QString()), Prioridade::Normal);
}

} // namespace

TEST(CodigosPedido, AnItemsKindShowsNormalUnlessPersonalisedAndNothingWithoutItems)
{
    EXPECT_EQ(zov::textoTipoItem(QString()), QStringLiteral("Normal"));
    EXPECT_EQ(zov::textoTipoItem(QStringLiteral("N")), QStringLiteral("Normal"));
    EXPECT_EQ(zov::textoTipoItem(QStringLiteral("S")), QStringLiteral("Personalizado"));
    EXPECT_EQ(zov::textoTipoItem(QStringLiteral("S"), false), QString());
    EXPECT_EQ(zov::codigoTipoItem(QStringLiteral("Personalizado")), QStringLiteral("S"));
    EXPECT_EQ(zov::codigoTipoItem(QStringLiteral("Normal")), QStringLiteral("N"));
    EXPECT_EQ(zov::codigoTipoItem(QStringLiteral("qualquer")), QStringLiteral("N"));
}
