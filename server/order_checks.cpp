#include "server/order_checks.h"

#include "library/errors.h"
#include "library/valores_item.h"
#include "server/remote_methods.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace zov::server {

namespace {

// Quantities have at most nine whole digits (as the order grid takes them);
// money stays far below where a double loses its cents.
constexpr double kMaxQuantity = 1e9;
constexpr double kMaxValue = 1e12;
constexpr qsizetype kMaxObservationBytes = 16 * 1024 * 1024;

} // namespace

QHash<QString, ColumnRule> columnRules(Connection& db, const QString& table)
{
    static const QRegularExpression varchar(QStringLiteral("^\\s*(?:VAR)?CHAR(?:ACTER VARYING)?\\s*\\(\\s*(\\d+)\\s*\\)"),
                                            QRegularExpression::CaseInsensitiveOption);
    QHash<QString, ColumnRule> rules;
    for (const ColumnInfo& c : db.columns(table)) {
        const QString type = c.type.trimmed().toUpper();
        ColumnRule rule;
        if (const QRegularExpressionMatch m = varchar.match(type); m.hasMatch()) {
            rule.kind = ColumnRule::Text;
            rule.width = m.captured(1).toInt();
        } else if (type.startsWith(u"VARCHAR") || type.startsWith(u"CHAR") || type == u"TEXT") {
            rule.kind = ColumnRule::Text;
        } else if (type.startsWith(u"INT") || type == u"BIGINT" || type == u"SMALLINT") {
            rule.kind = ColumnRule::Integer;
        } else if (type == u"REAL" || type.startsWith(u"DOUBLE") || type.startsWith(u"NUMERIC") || type.startsWith(u"FLOAT")) {
            rule.kind = ColumnRule::Number;
        } else if (type.startsWith(u"DATETIME") || type.startsWith(u"TIMESTAMP") || type == u"DATE") {
            rule.kind = ColumnRule::DateTime;
        } else if (type == u"BLOB" || type == u"BYTEA") {
            rule.kind = ColumnRule::Bytes;
        }
        rules.insert(c.name.toUpper(), rule);
    }
    return rules;
}

QString valueFault(const PacketColumn& column, const QVariant& value, const ColumnRule& rule)
{
    if (value.isNull())
        return {};
    const ColumnType type = column.type;
    switch (rule.kind) {
    case ColumnRule::Text: {
        if (type != ColumnType::Text)
            return QStringLiteral("%1 deve ser um texto.").arg(column.name);
        const QString text = value.toString();
        if (text.contains(QChar(0)))
            return QStringLiteral("%1 tem um caractere nulo.").arg(column.name);
        if (rule.width >= 0 && text.size() > rule.width)
            return QStringLiteral("%1 passa de %2 caracteres.").arg(column.name).arg(rule.width);
        return {};
    }
    case ColumnRule::Integer: {
        if (type == ColumnType::Integer)
            return {};
        const double d = value.toDouble();
        if (type == ColumnType::Number && std::isfinite(d) && d == std::trunc(d) && std::abs(d) < 9e15)
            return {};
        return QStringLiteral("%1 deve ser um número inteiro.").arg(column.name);
    }
    case ColumnRule::Number:
        if (type != ColumnType::Number && type != ColumnType::Integer)
            return QStringLiteral("%1 deve ser um número.").arg(column.name);
        if (!std::isfinite(value.toDouble()))
            return QStringLiteral("%1 deve ser um número finito.").arg(column.name);
        return {};
    case ColumnRule::DateTime:
        if (type != ColumnType::DateTime)
            return QStringLiteral("%1 deve ser uma data-hora.").arg(column.name);
        return {};
    case ColumnRule::Bytes:
        if (type != ColumnType::Bytes && type != ColumnType::Text)
            return QStringLiteral("%1 deve ser um conteúdo em base64.").arg(column.name);
        return {};
    case ColumnRule::Other:
        break;
    }
    return {};
}

namespace {

bool tenDigits(const QString& s)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{10}$"));
    return digits.match(s).hasMatch();
}

class Checker {
public:
    Checker(Connection& db, QString branch) : branch_(std::move(branch))
    {
        rules_[0] = columnRules(db, QStringLiteral("PEDIDO"));
        rules_[1] = columnRules(db, QStringLiteral("ITEMPEDIDO"));
        rules_[2] = columnRules(db, QStringLiteral("OBSPEDIDO"));
    }

    void orders(const Packet& p)
    {
        for (int r = 0; r < p.rowCount(); ++r) {
            const QString number = text(p, r, "NRPEDIDO");
            where_ = QStringLiteral("pedido %1").arg(shown(number, r));
            common(p, r, 0, number);
            if (known_.contains(number))
                refuse(QStringLiteral("o número do pedido (NRPEDIDO) aparece duas vezes na chamada."));
            known_.insert(number);
        }
    }

    void items(const Packet& p)
    {
        QHash<QString, QSet<QString>> lines;
        for (int r = 0; r < p.rowCount(); ++r) {
            const QString number = text(p, r, "NRPEDIDO");
            const QString line = text(p, r, "NRITEMPED");
            where_ = QStringLiteral("pedido %1, item %2").arg(shown(number, r), line.isEmpty() ? QStringLiteral("(sem número)") : line.left(20));
            common(p, r, 1, number);
            if (line.isEmpty())
                refuse(QStringLiteral("o número do item (NRITEMPED) não foi informado."));
            if (!tenDigits(line))
                refuse(QStringLiteral("o número do item (NRITEMPED) deve ter 10 dígitos."));
            if (lines[number].contains(line))
                refuse(QStringLiteral("o número do item (NRITEMPED) aparece duas vezes no pedido."));
            lines[number].insert(line);
            const double quantity = number_(p, r, "QTITEMPED");
            const double price = number_(p, r, "VRPREUNITPED");
            const double discount = number_(p, r, "VRDESITPED");
            if (!(quantity > 0))
                refuse(QStringLiteral("a quantidade (QTITEMPED) deve ser maior que zero."));
            if (quantity >= kMaxQuantity)
                refuse(QStringLiteral("a quantidade (QTITEMPED) passa de nove dígitos inteiros."));
            if (price < 0)
                refuse(QStringLiteral("o preço unitário (VRPREUNITPED) não pode ser negativo."));
            if (discount < 0)
                refuse(QStringLiteral("o desconto (VRDESITPED) não pode ser negativo."));
            // As the order grid checks it: the discount's cents against the line's.
            bool tooLarge = false;
            try {
                const ValoresItem line = valoresItem(price, quantity, discount);
                tooLarge = Decimal::fromDouble(discount, escala::kValor).rounded(escala::kDinheiro) > line.bruto;
            } catch (const Error&) {
                refuse(QStringLiteral("o valor do item passa dos limites do programa."));
            }
            if (tooLarge)
                refuse(QStringLiteral("o desconto (VRDESITPED) é maior que o valor do item."));
        }
    }

    void notes(const Packet& p)
    {
        for (int r = 0; r < p.rowCount(); ++r) {
            const QString number = text(p, r, "NRPEDIDO");
            where_ = QStringLiteral("observação do pedido %1").arg(shown(number, r));
            common(p, r, 2, number);
            const int text = p.columnIndex(QStringLiteral("TXOBSPED"));
            if (text >= 0 && p.value(r, text).toByteArray().size() > kMaxObservationBytes)
                refuse(QStringLiteral("a observação (TXOBSPED) passa de 16 MB."));
        }
    }

private:
    static QString text(const Packet& p, int r, const char* column) { return p.value(r, QLatin1String(column)).toString().trimmed(); }
    static QString shown(const QString& number, int r)
    {
        return number.isEmpty() ? QStringLiteral("da linha %1 (sem número)").arg(r + 1) : number.left(20);
    }
    double number_(const Packet& p, int r, const char* column) const
    {
        const QVariant v = p.value(r, QLatin1String(column));
        return v.isNull() ? 0.0 : v.toDouble();
    }
    [[noreturn]] void refuse(const QString& what) const
    {
        throw RequestError(QStringLiteral("SetPedidos: %1: %2").arg(where_, what));
    }

    // The rules every row of the three packets keeps.
    void common(const Packet& p, int r, int table, const QString& number)
    {
        if (number.isEmpty())
            refuse(QStringLiteral("o número do pedido (NRPEDIDO) não foi informado."));
        if (!tenDigits(number))
            refuse(QStringLiteral("o número do pedido (NRPEDIDO) deve ter 10 dígitos."));
        if (table > 0 && !known_.contains(number))
            refuse(QStringLiteral("o pedido não está entre os pedidos enviados."));
        const QString branch = text(p, r, "CDFILIAL");
        if (branch != branch_)
            refuse(QStringLiteral("a filial (CDFILIAL) \"%1\" não é a filial da chamada (%2).").arg(branch.left(20), branch_));
        const QHash<QString, ColumnRule>& rules = rules_[table];
        for (int c = 0; c < p.columnCount(); ++c) {
            const PacketColumn& column = p.columns()[std::size_t(c)];
            const QVariant v = p.value(r, c);
            if (v.isNull())
                continue;
            if (const QString fault = valueFault(column, v, rules.value(column.name.toUpper())); !fault.isEmpty())
                refuse(fault);
            if (column.type == ColumnType::Number || column.type == ColumnType::Integer) {
                const double d = v.toDouble();
                if (!std::isfinite(d) || std::abs(d) >= kMaxValue)
                    refuse(QStringLiteral("o valor de %1 está fora do que um pedido admite.").arg(column.name));
            }
        }
    }

    QString branch_;
    QHash<QString, ColumnRule> rules_[3];
    QSet<QString> known_;
    QString where_;
};

} // namespace

void checkReceivedOrders(Connection& db, const QString& branch, const Packet& orders, const Packet& items, const Packet& notes)
{
    Checker c(db, branch.trimmed());
    c.orders(orders);
    c.items(items);
    c.notes(notes);
}

} // namespace zov::server
