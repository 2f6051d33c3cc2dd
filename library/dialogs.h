#pragma once
// The one place the program asks the user something or tells them something.
// Windows and logic classes never open a message box themselves: tests install
// a scripted implementation that records every message and answers questions.
#include <QString>
#include <memory>

namespace zov {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void error(const QString& text) = 0;
    virtual void info(const QString& text) = 0;
    // Yes/No question; only Yes proceeds.
    virtual bool confirm(const QString& text) = 0;
    // Empty result: the user cancelled.
    virtual QString openFileName(const QString& title, const QString& filter) = 0;
    // sugerido: the name (or path) the dialog starts with.
    virtual QString saveFileName(const QString& title, const QString& filter, const QString& sugerido = {}) = 0;
    // True when the user accepted the printer set-up.
    virtual bool printerSetup() = 0;
    // A line of text typed by the user; empty: cancelled or left blank.
    virtual QString askText(const QString& title, const QString& label, const QString& initial) = 0;
    // The help at the page of a window (its screen code).
    virtual void ajuda(const QString& codigoTela) = 0;
};

// The name a save dialog returned, with ".extensao" added when it has no
// extension (soEsta: when it does not end with this one); when that adds up
// to a file that exists, asks before it is replaced (the dialog asked about
// the name without it). Empty: the user said No.
QString comExtensao(const QString& arquivo, const QString& extensao, bool soEsta = false);

// The installed service. Until something is installed, a service that writes
// to stderr and answers No is used, so headless code never blocks.
Dialogs& dialogs();
// Installs a service and returns the previous one (tests restore it).
std::unique_ptr<Dialogs> installDialogs(std::unique_ptr<Dialogs> service);

} // namespace zov
