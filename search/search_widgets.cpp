#include "search/search_widgets.h"

#include <QColor>
#include <QKeyEvent>
#include <QString>
#include <QValidator>

namespace zov {

namespace {

class UpperCaseValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

bool bringsCharacter(const QKeyEvent* e)
{
    return !e->text().isEmpty() && e->text().at(0).unicode() >= 32 && e->text().at(0).unicode() != 127;
}
} // namespace

bool isBacktick(const QKeyEvent* e) { return e->text() == QLatin1String("`"); }

bool isDiscardedKeyDown(const QKeyEvent* e)
{
    if (bringsCharacter(e))
        return false;
    if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
        return false; // moving between controls is not editing
    if (e->modifiers() & Qt::ShiftModifier)
        return true;
    return (e->modifiers() & Qt::KeypadModifier) && (e->key() == Qt::Key_0 || e->key() == Qt::Key_Insert);
}

QString gridKeyText(const QKeyEvent* e)
{
    if (e->key() == Qt::Key_Backspace)
        return QStringLiteral("\b");
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return {};
    return bringsCharacter(e) ? e->text() : QString();
}

QValidator* newUpperCaseValidator(QObject* parent) { return new UpperCaseValidator(parent); }

QColor infoBackground() { return QColor(0xFF, 0xFF, 0xE1); }

} // namespace zov
