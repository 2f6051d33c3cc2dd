#include "library/child_window_qt.h"

#include "library/errors.h"
#include "library/shell.h"

#include <QAction>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QWidget>

namespace zov {

namespace {

QString codigoDaJanelaAtiva(const QWidget* saindo)
{
    QWidget* principal = shell().mainWidget();
    auto* mdi = qobject_cast<QMdiArea*>(principal);
    if (!mdi && principal)
        mdi = principal->findChild<QMdiArea*>();
    if (QMdiSubWindow* sub = mdi ? mdi->activeSubWindow() : nullptr; sub && sub->widget() && sub->widget() != saindo) {
        const QString codigo = sub->widget()->property("screenCode").toString();
        if (!codigo.isEmpty())
            return codigo;
    }
    return QString::fromLatin1(kMainScreenCode);
}

} // namespace

ChildWindow::ChildWindow(QWidget* window, QString screenCode, QAction* closeAction)
    : QObject(window), window_(window), code_(std::move(screenCode)), closeAction_(closeAction)
{
    window_->setProperty("screenCode", code_);
    window_->installEventFilter(this);
    // Once the window is really gone (a window may refuse to close) the code
    // is the active child's, which the frame activated meanwhile, or the main
    // window's.
    connect(window_, &QObject::destroyed, [w = window_] {
        runGuarded([w] { shell().setStatusText(kScreenCodePanel, codigoDaJanelaAtiva(w)); });
    });
}

void ChildWindow::showScreenCode()
{
    runGuarded([this] { shell().setStatusText(kScreenCodePanel, code_); });
}

void ChildWindow::onActivated()
{
    showScreenCode();
    emit activated();
}

void ChildWindow::close()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(window_->parentWidget()))
        frame->close(); // the frame closes the window on its way
    else
        window_->close();
}

void ChildWindow::hookFrame()
{
    auto* frame = qobject_cast<QMdiSubWindow*>(window_->parentWidget());
    if (hooked_ || !frame)
        return;
    hooked_ = true;
    // Inside the main window only the frame is activated.
    connect(frame, &QMdiSubWindow::aboutToActivate, this, &ChildWindow::onActivated);
    // Two actions on one key would leave the key dead: the frame's Close
    // answers it and closes the window too; the menu still shows the key.
    if (closeAction_ && !closeAction_->shortcut().isEmpty()) {
        if (QMenu* menu = frame->systemMenu()) {
            for (QAction* a : menu->actions()) {
                if (a->shortcuts().contains(closeAction_->shortcut())) {
                    closeAction_->setText(closeAction_->text() + QLatin1Char('\t')
                                          + closeAction_->shortcut().toString(QKeySequence::NativeText));
                    closeAction_->setShortcut(QKeySequence());
                    break;
                }
            }
        }
    }
}

bool ChildWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Show:
            hookFrame();
            break;
        case QEvent::WindowActivate:
            if (window_->isWindow())
                onActivated();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

QList<QKeySequence> confirmShortcuts()
{
    return {QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::CTRL | Qt::Key_Return)};
}

} // namespace zov
