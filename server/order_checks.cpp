#include "server/order_checks.h"

#include "library/errors.h"
#include "library/regras_item.h"
#include "server/remote_methods.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace zov::server {

namespace {

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
    case ColumnRule::Other: break;
    }
    return {};
}

namespace {

bool tenDigits(const QString& s)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{10}$"));
    return digits.match(s).hasMatch();
}

// Thrown for a row whose order is refused; the order's other rows are still read.
struct RowRefused {
    QString field, reason;
};

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
            nameable(number, false);
            if (known_.contains(number))
                refuseCall(QStringLiteral("o número do pedido (NRPEDIDO) aparece duas vezes na chamada."));
            known_.insert(number);
            checked(number, {}, [&] { common(p, r, 0); });
        }
    }

    void items(const Packet& p)
    {
        QHash<QString, QSet<QString>> lines;
        for (int r = 0; r < p.rowCount(); ++r) {
            const QString number = text(p, r, "NRPEDIDO");
            const QString line = text(p, r, "NRITEMPED");
            where_ =
                QStringLiteral("pedido %1, item %2").arg(shown(number, r), line.isEmpty() ? QStringLiteral("(sem número)") : line.left(20));
            nameable(number, true);
            checked(number, line, [&] {
                if (line.isEmpty())
                    refuse("NRITEMPED", QStringLiteral("O número do item não foi informado."));
                if (!tenDigits(line))
                    refuse("NRITEMPED", QStringLiteral("O número do item deve ter 10 dígitos."));
                if (lines[number].contains(line))
                    refuse("NRITEMPED", QStringLiteral("O número do item aparece duas vezes no pedido."));
                lines[number].insert(line);
                common(p, r, 1);
                if (const auto fault = faltaNoItem(number_(p, r, "QTITEMPED"), number_(p, r, "VRPREUNITPED"), number_(p, r, "VRDESITPED")))
                    refuse(fault->campo, fault->motivo);
            });
        }
    }

    void notes(const Packet& p)
    {
        for (int r = 0; r < p.rowCount(); ++r) {
            const QString number = text(p, r, "NRPEDIDO");
            where_ = QStringLiteral("observação do pedido %1").arg(shown(number, r));
            nameable(number, true);
            checked(number, {}, [&] {
                common(p, r, 2);
                const int text = p.columnIndex(QStringLiteral("TXOBSPED"));
                if (text >= 0 && p.value(r, text).toByteArray().size() > kMaxObservationBytes)
                    refuse("TXOBSPED", QStringLiteral("A observação passa de 16 MB."));
            });
        }
    }

    QHash<QString, OrderFault> faults;

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
    [[noreturn]] void refuseCall(const QString& what) const { throw RequestError(QStringLiteral("SetPedidos: %1: %2").arg(where_, what)); }
    [[noreturn]] static void refuse(const QString& field, const QString& reason) { throw RowRefused{field, reason}; }
    [[noreturn]] static void refuse(const char* field, const QString& reason) { refuse(QString::fromLatin1(field), reason); }

    // A row that names no order of the call cannot be refused by itself.
    void nameable(const QString& number, bool ofKnownOrder) const
    {
        if (number.isEmpty())
            refuseCall(QStringLiteral("o número do pedido (NRPEDIDO) não foi informado."));
        if (!tenDigits(number))
            refuseCall(QStringLiteral("o número do pedido (NRPEDIDO) deve ter 10 dígitos."));
        if (ofKnownOrder && !known_.contains(number))
            refuseCall(QStringLiteral("o pedido não está entre os pedidos enviados."));
    }

    // Runs a row's checks; the first rule an order breaks refuses it.
    template <typename Check>
    void checked(const QString& number, const QString& item, Check&& check)
    {
        try {
            check();
        } catch (const RowRefused& refused) {
            if (!faults.contains(number))
                faults.insert(number, OrderFault{item, refused.field, refused.reason});
        }
    }

    // The rules every row of the three packets keeps.
    void common(const Packet& p, int r, int table)
    {
        const QString branch = text(p, r, "CDFILIAL");
        if (branch != branch_)
            refuse("CDFILIAL", QStringLiteral("A filial \"%1\" não é a filial da chamada (%2).").arg(branch.left(20), branch_));
        const QHash<QString, ColumnRule>& rules = rules_[table];
        for (int c = 0; c < p.columnCount(); ++c) {
            const PacketColumn& column = p.columns()[std::size_t(c)];
            const QVariant v = p.value(r, c);
            if (v.isNull())
                continue;
            if (const QString fault = valueFault(column, v, rules.value(column.name.toUpper())); !fault.isEmpty())
                refuse(column.name, fault);
            if (column.type == ColumnType::Number || column.type == ColumnType::Integer) {
                const double d = v.toDouble();
                if (!std::isfinite(d) || std::abs(d) >= kMaxValorPedido)
                    refuse(column.name, QStringLiteral("O valor de %1 está fora do que um pedido admite.").arg(column.name));
            }
        }
    }

    QString branch_;
    QHash<QString, ColumnRule> rules_[3];
    QSet<QString> known_;
    QString where_;
};

} // namespace

QHash<QString, OrderFault> checkReceivedOrders(Connection& db, const QString& branch, const Packet& orders, const Packet& items,
                                               const Packet& notes)
{
    Checker c(db, branch.trimmed());
    c.orders(orders);
    c.items(items);
    c.notes(notes);
    return std::move(c.faults);
}

} // namespace zov::server
