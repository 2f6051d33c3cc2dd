#include "library/errors.h"

#include "library/dialogs.h"

namespace zov {

Error::Error(const QString& text) : std::runtime_error(text.toStdString()) {}

void MensErro(const QString& text, bool abort)
{
    dialogs().error(text);
    if (abort)
        throw Abort{};
}

void ShowErrorMessage(const std::exception& e)
{
    QString text = QString::fromUtf8(e.what());
    if (text.trimmed().isEmpty())
        text = QStringLiteral("Ocorreu um erro inesperado.");
    dialogs().error(text);
}

bool runGuarded(const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const Abort&) {
    } catch (const std::exception& e) {
        ShowErrorMessage(e);
    } catch (...) {
        dialogs().error(QStringLiteral("Ocorreu um erro inesperado."));
    }
    return false;
}

namespace {
int checkDepth = 0;
}

CheckGuard::CheckGuard() : nested_(checkDepth > 0) { ++checkDepth; }
CheckGuard::~CheckGuard() { --checkDepth; }
bool CheckGuard::running() { return checkDepth > 0; }

} // namespace zov
