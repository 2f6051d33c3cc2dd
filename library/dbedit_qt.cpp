#include "library/dbedit_qt.h"

#include "library/errors.h"
#include "library/inscricao.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QValidator>

namespace zov {

namespace {

bool editing(const Query& q) { return q.state() == DataSetState::Edit || q.state() == DataSetState::Insert; }

class UpperLettersValidator final : public QValidator {
public:
    UpperLettersValidator(int max, QObject* parent) : QValidator(parent), max_(max) {}
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        if (input.size() > max_)
            return Invalid;
        for (QChar c : input)
            if (!c.isLetter())
                return Invalid;
        return Acceptable;
    }

private:
    int max_;
};

// Digits and letters, taken upper case (an alphanumeric CNPJ being typed).
class UpperAlnumValidator final : public QValidator {
public:
    UpperAlnumValidator(int max, QObject* parent) : QValidator(parent), max_(max) {}
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        if (input.size() > max_)
            return Invalid;
        for (QChar c : input)
            if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))))
                return Invalid;
        return Acceptable;
    }

private:
    int max_;
};

struct Pict {
    QString mask;
    bool keepLiterals = true;
};

Pict parsePict(const QString& pict)
{
    Pict p;
    const QStringList parts = pict.split(QLatin1Char(';'));
    p.mask = parts.value(0);
    p.keepLiterals = parts.size() < 2 || parts.at(1) != QLatin1String("0");
    return p;
}

bool digitsOnly(const QString& mask)
{
    if (mask.isEmpty())
        return false;
    for (QChar c : mask)
        if (c != QLatin1Char('9') && c != QLatin1Char('0'))
            return false;
    return true;
}

// Positions only, some of them letters too: no literals to lay out.
bool positionsOnly(const QString& mask)
{
    if (mask.isEmpty())
        return false;
    for (QChar c : mask)
        if (c != QLatin1Char('9') && c != QLatin1Char('0') && c != QLatin1Char('A'))
            return false;
    return true;
}

} // namespace

QString DbEdit::unmask(const QString& shown, const QString& qtMask, bool keepLiterals)
{
    const qsizetype semi = qtMask.lastIndexOf(QLatin1Char(';'));
    const QString mask = semi < 0 ? qtMask : qtMask.left(semi);
    const QChar blank = semi < 0 || semi + 1 >= qtMask.size() ? QLatin1Char(' ') : qtMask.at(semi + 1);
    static const QString inputChars = QStringLiteral("AaNnXx90Dd#HhBb");
    QString out;
    int pos = 0;
    for (qsizetype i = 0; i < mask.size() && pos < shown.size(); ++i) {
        const QChar m = mask.at(i);
        if (m == QLatin1Char('>') || m == QLatin1Char('<') || m == QLatin1Char('!'))
            continue;
        bool literal = !inputChars.contains(m);
        if (m == QLatin1Char('\\') && i + 1 < mask.size()) {
            ++i;
            literal = true;
        }
        const QChar c = shown.at(pos++);
        if (literal) {
            if (keepLiterals)
                out += c;
        } else if (c != blank) {
            out += c;
        }
    }
    return out.trimmed();
}

DbEdit::DbEdit(QLineEdit* edit, Query& query, QString fieldName, QObject* parent)
    : QObject(parent ? parent : edit), edit_(edit), q_(query), field_(std::move(fieldName))
{
    q_.addObserver(this);
    connect(edit_, &QLineEdit::textEdited, this, [this] { runGuarded([this] { userEdited(); }); });
    refresh();
}

DbEdit::~DbEdit() { q_.removeObserver(this); }

void DbEdit::setUpperLetters(int maxLength)
{
    upper_ = true;
    edit_->setInputMask(QString());
    edit_->setMaxLength(maxLength);
    edit_->setValidator(new UpperLettersValidator(maxLength, edit_));
}

void DbEdit::setMaxLength(int maxLength)
{
    maxLength_ = maxLength;
    if (!maskApplied_ && !edit_->validator())
        edit_->setMaxLength(maxLength > 0 ? maxLength : 32767);
}

void DbEdit::setDisplayOnly(bool displayOnly)
{
    displayOnly_ = displayOnly;
    refresh();
}

void DbEdit::applyMask(const QString& pict)
{
    appliedPict_ = pict;
    maskApplied_ = false;
    if (upper_)
        return;
    const Pict p = parsePict(pict);
    edit_->setInputMask(QString());
    if (auto* old = edit_->validator()) {
        edit_->setValidator(nullptr);
        delete old;
    }
    edit_->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
    if (p.mask.isEmpty())
        return;
    if (digitsOnly(p.mask)) {
        const int n = int(p.mask.size());
        edit_->setMaxLength(n);
        edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(n)), edit_));
        return;
    }
    if (positionsOnly(p.mask)) {
        const int n = int(p.mask.size());
        edit_->setMaxLength(n);
        edit_->setValidator(new UpperAlnumValidator(n, edit_));
        return;
    }
    qtMask_ = QtInputMask(pict);
    keepLiterals_ = p.keepLiterals;
    maskApplied_ = true;
    edit_->setInputMask(qtMask_);
}

QString DbEdit::storedText() const
{
    if (maskApplied_)
        return unmask(edit_->displayText(), qtMask_, keepLiterals_);
    return edit_->text();
}

void DbEdit::refresh()
{
    if (!edit_)
        return;
    Field* f = q_.active() ? q_.findField(field_) : nullptr;
    edit_->setReadOnly(displayOnly_ || !(f && editing(q_) && !f->readOnly));
    const QString pict = f ? f->editMask : QString();
    bool force = false;
    if (pict != appliedPict_) {
        applyMask(pict);
        force = true;
    }
    if (f && !upper_ && !maskApplied_ && !edit_->validator() && (f->kind() == FieldKind::Number || f->kind() == FieldKind::Integer)) {
        // Digits, the thousands dot and one decimal comma, as the program shows numbers.
        const QString re = f->kind() == FieldKind::Integer ? QStringLiteral("-?[0-9]*") : QStringLiteral("-?[0-9.]*,?[0-9]*");
        edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(re), edit_));
    }
    const QString value = f ? f->asString() : QString();
    if (force || !(f ? showsValue(*f, value) : storedText() == value)) {
        const int cursor = edit_->cursorPosition();
        const bool had = edit_->hasFocus();
        edit_->setText(value);
        if (had && !force)
            edit_->setCursorPosition(std::min<int>(cursor, int(edit_->text().size())));
    }
}

// Whether the text on screen already is the field's value: "3," being typed is 3.
bool DbEdit::showsValue(const Field& f, const QString& value) const
{
    const QString shown = storedText();
    if (shown == value)
        return true;
    if (f.kind() != FieldKind::Number && f.kind() != FieldKind::Integer && f.kind() != FieldKind::DateTime)
        return false;
    bool ok = false;
    const QVariant typed = f.readTyped(shown, &ok);
    const QVariant current = f.value();
    if (!ok || typed.isNull() != current.isNull())
        return false;
    return typed.isNull() || typed == convertToKind(current, f.kind());
}

void DbEdit::rowChanged(int pos)
{
    if (pos == q_.recNo() - 1)
        refresh();
}

void DbEdit::userEdited()
{
    Field* f = q_.active() ? q_.findField(field_) : nullptr;
    if (!f || !editing(q_) || f->readOnly || displayOnly_) {
        refresh();
        return;
    }
    const QString typed = storedText();
    if (f->kind() == FieldKind::Number || f->kind() == FieldKind::Integer || f->kind() == FieldKind::DateTime) {
        // A date still being typed is no value yet; the field's check says what is missing.
        bool ok = false;
        const QVariant v = f->readTyped(typed, &ok);
        if (!ok && f->kind() != FieldKind::DateTime)
            f->setTypedText(typed);
        f->setValue(v);
    } else {
        f->setValue(typed);
    }
    if (onUserEdit)
        onUserEdit();
}

// ---------------------------------------------------------------- memo

DbMemo::DbMemo(QPlainTextEdit* edit, Query& query, QString fieldName, int maxLength, QObject* parent)
    : QObject(parent ? parent : edit), edit_(edit), q_(query), field_(std::move(fieldName)), maxLength_(maxLength)
{
    q_.addObserver(this);
    connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updating_)
            runGuarded([this] { userEdited(); });
    });
    refresh();
}

DbMemo::~DbMemo() { q_.removeObserver(this); }

void DbMemo::refresh()
{
    if (!edit_)
        return;
    Field* f = q_.active() ? q_.findField(field_) : nullptr;
    edit_->setReadOnly(!(f && editing(q_) && !f->readOnly));
    const QString value = f ? f->asString() : QString();
    if (edit_->toPlainText() != value) {
        updating_ = true;
        edit_->setPlainText(value);
        updating_ = false;
    }
}

void DbMemo::rowChanged(int pos)
{
    if (pos == q_.recNo() - 1)
        refresh();
}

void DbMemo::userEdited()
{
    Field* f = q_.active() ? q_.findField(field_) : nullptr;
    if (!f || !editing(q_) || f->readOnly) {
        refresh();
        return;
    }
    QString text = edit_->toPlainText();
    if (maxLength_ > 0 && text.size() > maxLength_) {
        text.truncate(maxLength_);
        updating_ = true;
        edit_->setPlainText(text);
        edit_->moveCursor(QTextCursor::End);
        updating_ = false;
    }
    f->setValue(text);
}

} // namespace zov
