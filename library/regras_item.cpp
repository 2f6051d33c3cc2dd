#include "library/regras_item.h"

#include "library/errors.h"
#include "library/valores_item.h"

#include <cmath>

namespace zov {

namespace {

FaltaItem falta(const char* campo, const QString& motivo) { return {QString::fromLatin1(campo), motivo}; }

} // namespace

std::optional<FaltaItem> faltaNaQuantidade(double quantidade)
{
    if (!std::isfinite(quantidade) || !(quantidade > 0))
        return falta("QTITEMPED", QStringLiteral("A quantidade deve ser maior que zero."));
    if (quantidade >= kMaxQuantidadeItem)
        return falta("QTITEMPED", QStringLiteral("A quantidade passa de nove dígitos inteiros."));
    // What the line is valued with is what is stored: never more decimals than it keeps.
    if (Decimal::fromDouble(quantidade, escala::kPreco) != Decimal::fromDouble(quantidade, escala::kQuantidade))
        return falta("QTITEMPED", QStringLiteral("A quantidade tem no máximo %1 casas decimais.").arg(escala::kQuantidade));
    return std::nullopt;
}

std::optional<FaltaItem> faltaNoPreco(double preco)
{
    if (!std::isfinite(preco) || std::abs(preco) >= kMaxValorPedido)
        return falta("VRPREUNITPED", QStringLiteral("O preço unitário está fora do que um pedido admite."));
    if (preco < 0)
        return falta("VRPREUNITPED", QStringLiteral("O preço unitário não pode ser negativo."));
    return std::nullopt;
}

std::optional<FaltaItem> faltaNoPercentual(double percentual)
{
    if (!std::isfinite(percentual) || percentual < 0 || percentual > 100)
        return falta("VRDESITPED", QStringLiteral("O percentual de desconto deve estar entre 0 e 100."));
    return std::nullopt;
}

std::optional<FaltaItem> faltaNoDesconto(double preco, double quantidade, double desconto)
{
    if (!std::isfinite(desconto) || std::abs(desconto) >= kMaxValorPedido)
        return falta("VRDESITPED", QStringLiteral("O desconto está fora do que um pedido admite."));
    if (desconto < 0)
        return falta("VRDESITPED", QStringLiteral("O desconto não pode ser negativo."));
    // As the line shows it: the discount's cents against the line's.
    try {
        // Only finite values within range get here: now they are Decimals.
        const LinhaLida lida = linhaLida(preco, quantidade, desconto);
        const ValoresItem linha = valoresItem(lida);
        // Past this a line shown to fifteen digits would not add up to the exact total.
        if (linha.bruto >= Decimal::fromDouble(kMaxValorPedido, 0))
            return falta("QTITEMPED", QStringLiteral("O valor do item passa do que um pedido admite."));
        if (lida.desconto.rounded(escala::kDinheiro) > linha.bruto)
            return falta("VRDESITPED", QStringLiteral("O desconto é maior que o valor do item."));
    } catch (const Error&) {
        return falta("VRPREUNITPED", QStringLiteral("O valor do item passa dos limites do programa."));
    }
    return std::nullopt;
}

std::optional<FaltaItem> faltaNoItem(double quantidade, double preco, double desconto)
{
    if (auto f = faltaNaQuantidade(quantidade))
        return f;
    if (auto f = faltaNoPreco(preco))
        return f;
    return faltaNoDesconto(preco, quantidade, desconto);
}

} // namespace zov
