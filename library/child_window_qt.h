#pragma once
// What every child window of the main window does alike: its screen code goes
// into status panel 3 when it is activated (as a frame inside the main window,
// or as a window of its own) and the main window's code comes back when it
// closes; closing the window takes its frame along; when the frame's own
// Close already answers the window's close key, the frame keeps the key.
// Inside the main window, Alt and a letter opens the window's own menu, or
// presses its own button, for that letter before the main window's menu
// (all are in one top-level window, where Qt gives the key to the main
// window's menu bar).
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QWidget;

namespace zov {

class ChildWindow final : public QObject {
    Q_OBJECT
public:
    ChildWindow(QWidget* window, QString screenCode, QAction* closeAction = nullptr);

    const QString& screenCode() const { return code_; }
    // Closes the window, and its frame when it has one.
    void close();
    void showScreenCode();

signals:
    // The window became the active one (after its code was shown).
    void activated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hookFrame();
    void onActivated();
    QWidget* window_;
    QString code_;
    QPointer<QAction> closeAction_;
    bool hooked_ = false;
};

// Ctrl+Enter on either Enter key; the keypad form first, so that every menu
// shows the shortcut as "Ctrl+Enter".
QList<QKeySequence> confirmShortcuts();

} // namespace zov
