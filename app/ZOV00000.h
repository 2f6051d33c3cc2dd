#pragma once
// The main window: a multi-document frame with the menu, the toolbar and the
// five status panels, from which every other window is opened.
#include "library/shell.h"

#include <QMainWindow>
#include <QMap>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;

namespace zov {

class TfrmPedidosPrinc : public QMainWindow, public Shell {
    Q_OBJECT
public:
    // The menu items, each with the screen code of the window it opens.
    enum class Item { LanctoPedido, ExportaDados, ImportaDados, ParamTransPed, Cliente };
    using Creator = std::function<QWidget*()>;

    explicit TfrmPedidosPrinc(QWidget* parent = nullptr);
    ~TfrmPedidosPrinc() override;

    // Gives a menu item its window creator and enables it (items without one stay disabled).
    void setCreator(Item item, Creator creator);
    // What the menu and the toolbar do: run the creator, then show its code in panel 3.
    void open(Item item);
    QAction* action(Item item) const { return actions_.value(item); }
    static QString screenCode(Item item);

    QMdiArea* mdiArea() const { return mdi_; }
    QLabel* statusPanel(int index) const;

    // Shell
    QString statusText(int panel) const override;
    void setStatusText(int panel, const QString& text) override;
    void showChild(QWidget* window, bool maximized) override;
    QWidget* mainWidget() override { return this; }

    // 8 pixels wider and taller than the work area, centred, then maximised.
    void showAsMainWindow();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildToolBar();
    void buildStatusBar();
    void fillStatus();
    void childActivated(QMdiSubWindow* sub);

    QMdiArea* mdi_;
    QLabel* panels_[5] = {};
    QMap<Item, QAction*> actions_;
    QMap<Item, QAction*> toolButtons_;
    QMap<Item, Creator> creators_;
};

} // namespace zov
