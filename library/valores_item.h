#pragma once
// The values of an order line as every screen, the mirror and the server show
// them, and the order's totals as the sums of exactly those values.
#include "library/decimal.h"

#include <QVariant>

namespace zov {

// The decimals each kind of number keeps.
namespace escala {
inline constexpr int kDinheiro = 2; // a line's and a total's values
inline constexpr int kQuantidade = 3;
inline constexpr int kPreco = 10;      // unit and table prices: the payment method's term is not rounded
inline constexpr int kValor = 10;      // a line's discount value, as its percentage gives it
inline constexpr int kPercentual = 10; // as a typed value gives it (typed ones have 4)
} // namespace escala

// A number as a statement reads it (a double, or null for none) to that many decimals; null is zero.
inline Decimal decimalLido(const QVariant& v, int escala) { return v.isNull() ? Decimal() : Decimal::fromDouble(v.toDouble(), escala); }

// The unit price from a base price list: the list price rounded to cents plus
// the payment method's adjustment (a percentage of the list price), unrounded.
Decimal precoUnitario(const Decimal& tabela, const Decimal& ajuste);
// A line's discount value from its percentage, unrounded (to kValor decimals),
// and the percentage a discount value makes (zero when the line is worth nothing).
Decimal descontoDoPercentual(const Decimal& preco, const Decimal& quantidade, const Decimal& percentual);
Decimal percentualDoDesconto(const Decimal& preco, const Decimal& quantidade, const Decimal& desconto);

// One line, each value in whole cents as the line shows it.
struct ValoresItem {
    Decimal bruto;    // the unit price rounded to cents × the quantity, rounded to cents
    Decimal desconto; // the discount value cut (not rounded) to cents
    Decimal liquido;  // bruto − desconto
};

ValoresItem valoresItem(const Decimal& preco, const Decimal& quantidade, const Decimal& desconto);

// A line's stored numbers (VRPREUNITPED, QTITEMPED, VRDESITPED) as a statement
// or a dataset reads them, each made a Decimal of its kind's decimals once,
// before any arithmetic.
struct LinhaLida {
    Decimal preco, quantidade, desconto;
};
inline LinhaLida linhaLida(const QVariant& preco, const QVariant& quantidade, const QVariant& desconto)
{
    return {decimalLido(preco, escala::kPreco), decimalLido(quantidade, escala::kQuantidade), decimalLido(desconto, escala::kValor)};
}
inline ValoresItem valoresItem(const LinhaLida& l) { return valoresItem(l.preco, l.quantidade, l.desconto); }

// The order's totals, line by line.
class TotaisItens {
public:
    void soma(const LinhaLida& linha);

    const Decimal& bruto() const { return bruto_; }
    const Decimal& liquido() const { return liquido_; }
    const Decimal& descTotal() const { return descTotal_; }
    // Σ discount values / Σ quantity × unit price, in percent (0 without lines).
    Decimal descMedio() const;

private:
    Decimal bruto_, liquido_, descTotal_;
    Decimal descontos_, base_;
};

} // namespace zov
