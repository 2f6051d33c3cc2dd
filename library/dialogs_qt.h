#pragma once
// The Dialogs service on Qt's message boxes, with Portuguese buttons.
#include "library/dialogs.h"

class QPrinter;
class QWidget;

namespace zov {

class QtDialogs final : public Dialogs {
public:
    void error(const QString& text) override;
    void info(const QString& text) override;
    bool confirm(const QString& text) override;
    QString openFileName(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& sugerido = {}) override;
    void ajuda(const QString& codigoTela) override;
    bool printerSetup() override;
    QString askText(const QString& title, const QString& label, const QString& initial) override;
};

// The printer the program prints on, for the whole session: the printer
// set-up works on it and printing starts from it.
QPrinter& impressoraDoPrograma();

} // namespace zov
