#pragma once
// TfrmRotiGeral: the base window of the search dialogs. A toolbar with the
// confirm and cancel buttons and the screen code, the window's message table,
// and the form-level keys: the form sees the keys of its controls first, so
// Enter confirms and Esc cancels wherever the focus is.
#include "library/messages.h"

#include <QDialog>

class QKeyEvent;
class QLabel;
class QToolButton;
class QVBoxLayout;

namespace zov {

class TfrmRotiGeral : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRotiGeral(const QString& screenCode, QWidget* parent = nullptr);

    QToolButton* sbtConfirma() const { return sbtConfirma_; }
    QToolButton* sbtCancel() const { return sbtCancel_; }
    QString screenCode() const;

    TMessages msgPadrao;

protected:
    // The window's own controls go here, under the toolbar.
    QVBoxLayout* clientLayout() const { return client_; }
    // Routes the keys of a control through formKeyPress before the control sees them.
    void previewKeys(QWidget* control);
    // While shown, the window's screen code is in the main window's status
    // bar; hidden, the opener's code comes back.
    void mostraCodigoNaBarra() { mostraCodigo_ = true; }
    // Form-level key handling; true when the key was used up.
    // The base confirms on Enter (when the button is enabled) and cancels on Esc.
    virtual bool formKeyPress(QWidget* target, QKeyEvent* event);
    virtual void sbtConfirmaClick(); // accepts
    virtual void sbtCancelClick();   // closes as cancelled

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QToolButton* sbtConfirma_;
    QToolButton* sbtCancel_;
    QLabel* screenCode_;
    QVBoxLayout* client_;
    bool mostraCodigo_ = false;
    bool codigoMostrado_ = false;
    QString codigoAnterior_; // the status panel's text before the window showed
};

} // namespace zov
