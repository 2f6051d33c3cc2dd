#pragma once
// Errors and the abort rule.
//
// MensErro(text, true) shows the text and throws Abort, which ends the current
// operation silently. Every entry point from Qt (slot, event filter, timer)
// runs its body through runGuarded, which swallows Abort and shows any other
// exception; no exception ever crosses the Qt event loop.
#include <QString>
#include <exception>
#include <functional>
#include <stdexcept>

namespace zov {

// Ends the current operation without a further message.
struct Abort {};

// An error whose text is meant for the user, in Portuguese.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text);
    QString text() const { return QString::fromUtf8(what()); }
};

// Shows text in the error box; with abort, then throws Abort.
void MensErro(const QString& text, bool abort);

// Shows an exception's text in the standard error box.
void ShowErrorMessage(const std::exception& e);

// Runs body; Abort ends it silently, anything else is shown in the error box.
// Returns true when body ran to its end.
bool runGuarded(const std::function<void()>& body);

// A field-exit check that fails moves the focus elsewhere, which leaves
// another field and would start its own check: while one check runs, the
// others must stand aside. Use as: if (CheckGuard g; g.busy()) return;
class CheckGuard {
public:
    CheckGuard();
    ~CheckGuard();
    CheckGuard(const CheckGuard&) = delete;
    CheckGuard& operator=(const CheckGuard&) = delete;
    // True when another check was already running: skip this one.
    bool busy() const { return nested_; }
    static bool running();

private:
    bool nested_;
};

} // namespace zov
