#pragma once
// The rules of an order line's values, one piece of code for the laptop,
// where a value is typed, and the server, which receives it: what the laptop
// stores the company takes.
#include <QString>
#include <optional>

namespace zov {

// A value of a line that breaks a rule: its column and, for the salesperson,
// why ("A quantidade deve ser maior que zero.").
struct FaltaItem {
    QString campo;
    QString motivo;
};

// Quantities have at most nine whole digits and three decimals; money stays
// far below where a double loses its cents.
inline constexpr double kMaxQuantidadeItem = 1e9;
inline constexpr double kMaxValorPedido = 1e12;

// Quantity (QTITEMPED) > 0, within nine digits and three decimals.
std::optional<FaltaItem> faltaNaQuantidade(double quantidade);
// Unit price (VRPREUNITPED) ≥ 0 and within the bound.
std::optional<FaltaItem> faltaNoPreco(double preco);
// A discount percentage within 0–100.
std::optional<FaltaItem> faltaNoPercentual(double percentual);
// Discount value (VRDESITPED) ≥ 0 and, in cents, no more than the line's value;
// the line's value itself under the bound (QTITEMPED names it).
std::optional<FaltaItem> faltaNoDesconto(double preco, double quantidade, double desconto);
// The first of the above a line breaks, in that order.
std::optional<FaltaItem> faltaNoItem(double quantidade, double preco, double desconto);

} // namespace zov
