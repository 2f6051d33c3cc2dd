#include "library/janela_manutencao_qt.h"

#include "library/errors.h"
#include "library/velmora.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

namespace zov {

JanelaManutencao::JanelaManutencao(QWidget* parent) : QWidget(parent) {}

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
