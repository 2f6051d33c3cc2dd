#include "app/ZOV00000.h"

#include "app/main_window_logic.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/relogio.h"
#include "transfer/acompanhamento.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace zov {

TfrmPedidosPrinc::TfrmPedidosPrinc(QWidget* parent) : QMainWindow(parent), mdi_(new QMdiArea(this))
{
    setObjectName(QStringLiteral("frmPedidosPrinc"));
    setWindowTitle(QStringLiteral("Pedidos ZOV-RA"));
    setProperty("screenCode", QString::fromLatin1(kMainScreenCode));
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    buildMenu();
    buildToolBar();
    buildStatusBar();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) { runGuarded([&] { childActivated(sub); }); });
    // Ctrl+F6 and Ctrl+Shift+F6 go to the next and the previous child window,
    // the desktop's convention, whichever child has the focus.
    const std::pair<QKeySequence, void (QMdiArea::*)()> trocas[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_F6), &QMdiArea::activateNextSubWindow},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), &QMdiArea::activatePreviousSubWindow}};
    for (const auto& [tecla, troca] : trocas) {
        auto* a = new QAction(this);
        a->setObjectName(tecla == trocas[0].first ? QStringLiteral("actProximaJanela") : QStringLiteral("actJanelaAnterior"));
        a->setShortcut(tecla);
        connect(a, &QAction::triggered, mdi_, troca);
        addAction(a);
    }
    installShell(this);
    fillStatus();
}

TfrmPedidosPrinc::~TfrmPedidosPrinc() { installShell(nullptr); }

QString TfrmPedidosPrinc::screenCode(Item item)
{
    switch (item) {
    case Item::LanctoPedido: return QStringLiteral("ZOV00100");
    case Item::ExportaDados: return QStringLiteral("ZOV00200");
    case Item::ImportaDados: return QStringLiteral("ZOV00400");
    case Item::ParamTransPed: return QStringLiteral("ZOV00300");
    case Item::Cliente: return QStringLiteral("ZOV00500");
    }
    return {};
}

void TfrmPedidosPrinc::buildMenu()
{
    auto add = [this](QMenu* menu, Item item, const QString& text, const char* name) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, item] { open(item); });
        actions_.insert(item, a);
    };
    QMenu* operacional = menuBar()->addMenu(QStringLiteral("&Operacional"));
    operacional->setObjectName(QStringLiteral("mnuOperacional"));
    add(operacional, Item::LanctoPedido, QStringLiteral("&Lançamento de Pedidos"), "mnuLanctoPedido");
    QMenu* transferencia = menuBar()->addMenu(QStringLiteral("&Transferência"));
    transferencia->setObjectName(QStringLiteral("mnuTransferencia"));
    add(transferencia, Item::ExportaDados, QStringLiteral("&Exportar Dados Via Internet"), "mnuExportaDados");
    add(transferencia, Item::ImportaDados, QStringLiteral("&Importar Dados Via Internet"), "mnuImportaDados");
    QMenu* parametro = menuBar()->addMenu(QStringLiteral("&Parâmetro"));
    parametro->setObjectName(QStringLiteral("mnuParametro"));
    add(parametro, Item::ParamTransPed, QStringLiteral("P&arâmetro de Transmissão de Pedidos"), "mnuParamTransPed");
    QMenu* cadastro = menuBar()->addMenu(QStringLiteral("&Cadastro"));
    cadastro->setObjectName(QStringLiteral("mnuCadastro"));
    add(cadastro, Item::Cliente, QStringLiteral("C&liente"), "mnuCliente");
}

void TfrmPedidosPrinc::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Ferramentas"));
    bar->setObjectName(QStringLiteral("tlbPrincipal"));
    bar->setMovable(false);
    auto add = [this, bar](Item item, QStyle::StandardPixmap icon, const QString& hint, const char* name) {
        QAction* a = bar->addAction(style()->standardIcon(icon), hint);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint);
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, [this, item] { open(item); });
        toolButtons_.insert(item, a);
    };
    add(Item::LanctoPedido, QStyle::SP_FileDialogDetailedView, QStringLiteral("Lançamento de Pedido"), "sbtLanctoPedido");
    add(Item::ExportaDados, QStyle::SP_ArrowUp, QStringLiteral("Exportar Dados Via Internet"), "sbtExportaDados");
    add(Item::ImportaDados, QStyle::SP_ArrowDown, QStringLiteral("Importar Dados Via Internet"), "sbtImportaDados");
}

void TfrmPedidosPrinc::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("stbStatus"));
    statusBar()->setSizeGripEnabled(false);
    const int widths[5] = {110, 90, 260, 90, 0};
    for (int i = 0; i < 5; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("stbPanel%1").arg(i));
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        if (widths[i] > 0)
            panels_[i]->setMinimumWidth(widths[i]);
        statusBar()->addWidget(panels_[i], i == 4 ? 1 : 0);
    }
}

void TfrmPedidosPrinc::setCreator(Item item, Creator creator)
{
    creators_.insert(item, std::move(creator));
    if (QAction* a = actions_.value(item))
        a->setEnabled(true);
    if (QAction* a = toolButtons_.value(item))
        a->setEnabled(true);
}

void TfrmPedidosPrinc::open(Item item)
{
    runGuarded([&] {
        const Creator creator = creators_.value(item);
        if (!creator)
            return;
        creator();
        setStatusText(kScreenCodePanel, screenCode(item));
    });
}

QLabel* TfrmPedidosPrinc::statusPanel(int index) const { return index >= 0 && index < 5 ? panels_[index] : nullptr; }

QString TfrmPedidosPrinc::statusText(int panel) const
{
    const QLabel* l = statusPanel(panel);
    return l ? l->text() : QString();
}

void TfrmPedidosPrinc::setStatusText(int panel, const QString& text)
{
    if (QLabel* l = statusPanel(panel))
        l->setText(text);
}

void TfrmPedidosPrinc::fillStatus()
{
    const QStringList texts = MainWindowLogic::statusPanels(zov::dataDeHoje());
    for (int i = 0; i < 4; ++i)
        setStatusText(i, texts[i]);
    // Coming back to the program with a child window active, the child's code
    // is what is in front of the user.
    childActivated(mdi_->activeSubWindow());
}

void TfrmPedidosPrinc::showChild(QWidget* window, bool maximized)
{
    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* s : mdi_->subWindowList())
        if (s->widget() == window)
            sub = s;
    if (!sub) {
        sub = mdi_->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(window->windowIcon());
        // The frame goes with its window when the window frees itself.
        connect(window, &QObject::destroyed, sub, [sub] { sub->close(); });
        connect(window, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
        // The size the window asked for (or its natural one), plus the frame.
        const QSize wanted = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
        sub->adjustSize();
        const QSize frame = sub->size() - window->size();
        const QRect area = mdi_->viewport()->rect();
        // Never larger than the area: its bottom would hide behind a scroll bar.
        const QSize size = (wanted + frame).boundedTo(area.size()).expandedTo(sub->minimumSizeHint());
        sub->resize(size);
        const QPoint centred((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
        sub->move(QPoint(std::max(0, centred.x()), std::max(0, centred.y())));
    }
    if (maximized)
        sub->showMaximized();
    else if (sub->isMaximized() || sub->isMinimized())
        sub->showNormal();
    else
        sub->show();
    mdi_->setActiveSubWindow(sub);
    sub->raise();
}

void TfrmPedidosPrinc::childActivated(QMdiSubWindow* sub)
{
    if (!sub || !sub->widget())
        return;
    const QString code = sub->widget()->property("screenCode").toString();
    if (!code.isEmpty())
        setStatusText(kScreenCodePanel, code);
}

void TfrmPedidosPrinc::showAsMainWindow()
{
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        QRect frame = work.adjusted(0, 0, 8, 8);
        frame.moveCenter(screen->geometry().center());
        setGeometry(frame);
    }
    showMaximized();
    // The login closed before: without a window manager no window would take the keys.
    activateWindow();
    // What the login's refresh changed in the company's situations, said once.
    QTimer::singleShot(0, this, [] {
        runGuarded([] {
            const MudancasAcompanhamento m = TomaMudancasAcompanhamento();
            if (!m.vazia())
                dialogs().info(m.texto());
        });
    });
}

void TfrmPedidosPrinc::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runGuarded([&] {
            repaint();
            fillStatus();
            repaint();
        });
}

void TfrmPedidosPrinc::closeEvent(QCloseEvent* event)
{
    bool leave = false;
    runGuarded([&] { leave = MainWindowLogic::confirmExit(); });
    if (!leave) {
        event->ignore();
        return;
    }
    // Every child closes with the main window; one that refuses (it asked
    // about its own unsaved work) keeps the program open.
    mdi_->closeAllSubWindows();
    if (!mdi_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}

} // namespace zov
