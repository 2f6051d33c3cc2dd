#include "library/janela_manutencao_qt.h"

#include "library/errors.h"
#include "library/velmora.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace zov {

namespace {

// The window's own menu whose mnemonic is the key's letter, for Alt+letter
// typed with the focus inside a maintenance window; its menu bar in barra.
QAction* menuDaJanela(QObject* alvo, const QKeyEvent* ke, QMenuBar*& barra)
{
    if (ke->modifiers() != Qt::AltModifier || ke->key() < Qt::Key_A || ke->key() > Qt::Key_Z || !alvo->isWidgetType())
        return nullptr;
    // Only within the maintenance window itself: a dialog it opened has menus of its own to keep.
    QWidget* w = static_cast<QWidget*>(alvo);
    while (w && !dynamic_cast<JanelaManutencao*>(w))
        w = w->isWindow() ? nullptr : w->parentWidget();
    barra = w ? w->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!barra)
        return nullptr;
    const QChar letra = QChar(u'A' + (ke->key() - Qt::Key_A));
    for (QAction* a : barra->actions()) {
        const QString texto = a->text();
        const qsizetype i = texto.indexOf(QLatin1Char('&'));
        if (a->menu() && a->isVisible() && a->isEnabled() && i >= 0 && i + 1 < texto.size() && texto.at(i + 1).toUpper() == letra)
            return a;
    }
    return nullptr;
}

class MenusDaJanela final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* alvo, QEvent* e) override
    {
        if (e->type() != QEvent::ShortcutOverride && e->type() != QEvent::KeyPress)
            return false;
        QMenuBar* barra = nullptr;
        QAction* menu = menuDaJanela(alvo, static_cast<QKeyEvent*>(e), barra);
        if (!menu)
            return false;
        // Taken as a key of the focused widget, so no shortcut of the main window
        // fires; the key press that follows opens the window's menu.
        e->accept();
        if (e->type() == QEvent::KeyPress)
            barra->setActiveAction(menu);
        return true;
    }
};

} // namespace

JanelaManutencao::JanelaManutencao(QWidget* parent) : QWidget(parent)
{
    static MenusDaJanela* filtro = nullptr;
    if (!filtro && qApp) {
        filtro = new MenusDaJanela(qApp);
        qApp->installEventFilter(filtro);
    }
}

QAction* JanelaManutencao::comando(const QString& name, const QString& text, const QKeySequence& key, const std::function<void()>& run)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    addAction(action);
    connect(action, &QAction::triggered, this, [this, run] {
        if (antesDoComando())
            executa(run);
    });
    return action;
}

void JanelaManutencao::executa(const std::function<void()>& run) { runGuarded(run); }

QAction* JanelaManutencao::acaoManutencao(QMenu* menu, QToolBar* toolBar, const char* name, const QString& text, const QKeySequence& key,
                                          QStyle::StandardPixmap icon, const std::function<void()>& run)
{
    QAction* a = comando(QString::fromLatin1(name), text, key, run);
    a->setIcon(style()->standardIcon(icon));
    menu->addAction(a);
    toolBar->addAction(a);
    return a;
}

QList<QAction*> JanelaManutencao::navegador(const std::function<void()>& primeiro, const std::function<void()>& anterior,
                                            const std::function<void()>& proximo, const std::function<void()>& ultimo)
{
    return {comando(QStringLiteral("mnuPrimeiro"), QStringLiteral("Primeiro"), QKeySequence(Qt::CTRL | Qt::Key_Home), primeiro),
            comando(QStringLiteral("mnuAnterior"), QStringLiteral("Anterior"), QKeySequence(Qt::CTRL | Qt::Key_Up), anterior),
            comando(QStringLiteral("mnuProximo"), QStringLiteral("Proximo"), QKeySequence(Qt::CTRL | Qt::Key_Down), proximo),
            comando(QStringLiteral("mnuUltimo"), QStringLiteral("Último"), QKeySequence(Qt::CTRL | Qt::Key_End), ultimo)};
}

void JanelaManutencao::marcaEdicao(const QList<QAction*>& acoes)
{
    const bool marca = GetPersonal(3) == QLatin1String("S");
    for (QAction* a : acoes)
        a->setProperty("personal", marca);
}

} // namespace zov
