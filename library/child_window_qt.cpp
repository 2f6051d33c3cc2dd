#include "library/child_window_qt.h"

#include "library/errors.h"
#include "library/shell.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace zov {

namespace {

constexpr const char* kJanelaFilha = "janelaFilha";

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

// The child window a widget is in, when it is not in a dialog of its own.
QWidget* janelaFilhaDe(QObject* alvo)
{
    if (!alvo->isWidgetType())
        return nullptr;
    for (auto* w = static_cast<QWidget*>(alvo); w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (w->property(kJanelaFilha).toBool())
            return w;
    return nullptr;
}

bool temLetra(const QString& texto, QChar letra)
{
    const qsizetype i = texto.indexOf(QLatin1Char('&'));
    return i >= 0 && i + 1 < texto.size() && texto.at(i + 1).toUpper() == letra;
}

// The window's own menu (first) or button whose mnemonic is the key's letter.
struct Letra {
    QMenuBar* barra = nullptr;
    QAction* menu = nullptr;
    QAbstractButton* botao = nullptr;
};

Letra letraDaJanela(QObject* alvo, const QKeyEvent* ke)
{
    if (ke->modifiers() != Qt::AltModifier || ke->key() < Qt::Key_A || ke->key() > Qt::Key_Z)
        return {};
    QWidget* janela = janelaFilhaDe(alvo);
    if (!janela)
        return {};
    const QChar letra = QChar(u'A' + (ke->key() - Qt::Key_A));
    if (auto* barra = janela->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly))
        for (QAction* a : barra->actions())
            if (a->menu() && a->isVisible() && a->isEnabled() && temLetra(a->text(), letra))
                return {barra, a, nullptr};
    for (QAbstractButton* b : janela->findChildren<QAbstractButton*>())
        if (b->window() == janela->window() && b->isVisible() && b->isEnabled() && temLetra(b->text(), letra))
            return {nullptr, nullptr, b};
    return {};
}

class LetrasDaJanela final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* alvo, QEvent* e) override
    {
        if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress)
            return false;
        const Letra letra = letraDaJanela(alvo, static_cast<QKeyEvent*>(e));
        if (!letra.menu && !letra.botao)
            return false;
        // Taken as a key of the focused widget, so no shortcut of the main window
        // fires; the key press that follows opens the menu or presses the button.
        e->accept();
        if (e->type() != QEvent::KeyPress)
            return true;
        if (letra.menu) {
            letra.barra->setActiveAction(letra.menu);
        } else {
            letra.botao->setFocus(Qt::ShortcutFocusReason);
            letra.botao->click();
        }
        return true;
    }
};

} // namespace

ChildWindow::ChildWindow(QWidget* window, QString screenCode, QAction* closeAction)
    : QObject(window), window_(window), code_(std::move(screenCode)), closeAction_(closeAction)
{
    window_->setProperty("screenCode", code_);
    window_->setProperty(kJanelaFilha, true);
    window_->installEventFilter(this);
    static LetrasDaJanela* letras = nullptr;
    if (!letras && qApp) {
        letras = new LetrasDaJanela(qApp);
        qApp->installEventFilter(letras);
    }
    // Once the window is really gone (a window may refuse to close) the code
    // is the active child's, which the frame activated meanwhile, or the main
    // window's.
    connect(window_, &QObject::destroyed,
            [w = window_] { runGuarded([w] { shell().setStatusText(kScreenCodePanel, codigoDaJanelaAtiva(w)); }); });
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
        case QEvent::Show: hookFrame(); break;
        case QEvent::WindowActivate:
            if (window_->isWindow())
                onActivated();
            break;
        default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

QList<QKeySequence> confirmShortcuts() { return {QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::CTRL | Qt::Key_Return)}; }

} // namespace zov
