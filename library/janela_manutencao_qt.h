#pragma once
// What every maintenance window (orders, customers, transmission parameters)
// builds the same way: commands that act through the guard on the window's
// own keys, the standard "Manutenção" actions on the menu and the toolbar,
// the record navigator, and the installation's mark on the editing commands.
#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStyle>
#include <QWidget>
#include <functional>

class QAction;
class QMenu;
class QToolBar;

namespace zov {

class JanelaManutencao : public QWidget {
public:
    explicit JanelaManutencao(QWidget* parent = nullptr);

protected:
    // An action of the window: its key works while the focus is in this
    // window (several may be open), and run goes through the guard.
    QAction* comando(const QString& name, const QString& text, const QKeySequence& key, const std::function<void()>& run);
    // Runs through the guard: no exception leaves a slot.
    void executa(const std::function<void()>& run);
    // Before any command acts: false skips it (the order window first writes
    // an open cell editor).
    virtual bool antesDoComando() { return true; }

    // One "Manutenção" action, on the menu and the toolbar.
    QAction* acaoManutencao(QMenu* menu, QToolBar* toolBar, const char* name, const QString& text, const QKeySequence& key,
                            QStyle::StandardPixmap icon, const std::function<void()>& run);
    // Ctrl+Home / Ctrl+Up / Ctrl+Down / Ctrl+End on the records.
    QList<QAction*> navegador(const std::function<void()>& primeiro, const std::function<void()>& anterior,
                              const std::function<void()>& proximo, const std::function<void()>& ultimo);
    // The installation's personal setting 3 marks the editing commands.
    static void marcaEdicao(const QList<QAction*>& acoes);
};

} // namespace zov
