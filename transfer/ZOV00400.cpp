#include "transfer/ZOV00400.h"

#include "library/child_window_qt.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/messages.h"
#include "library/shell.h"
#include "transfer/progress_area.h"
#include "transfer/window_buttons_qt.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace zov {

TfrmImporTab::TfrmImporTab(QWidget* parent) : QWidget(parent), logic_(*this)
{
    setObjectName(QStringLiteral("frmImporTab"));
    setWindowTitle(QStringLiteral("Importar Dados Via Internet"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Atualiza as tabelas locais com os dados do servidor."), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    progresso_ = new ProgressArea(this);
    ProgressState rest;
    rest.frameVisible = true; // the download window shows its empty frame at rest
    progresso_->show(rest);
    layout->addWidget(progresso_);
    layout->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    sbtConfirma = addWindowButton(this, buttons, "sbtConfirma", QStringLiteral("&Confirmar"), QStyle::SP_DialogApplyButton);
    sbtFechar = addWindowButton(this, buttons, "sbtFechar", QStringLiteral("&Fechar"), QStyle::SP_DialogCloseButton);
    sbtAjuda = addHelpButton(this, buttons);
    layout->addLayout(buttons);
    connect(sbtConfirma, &QPushButton::clicked, this, [this] { confirmar(); });
    connect(sbtFechar, &QPushButton::clicked, this, [this] { runGuarded([this] { logic_.fechar(); }); });

    child_ = new ChildWindow(this, QString::fromLatin1(kScreenCode));
    resize(460, 200);
}

void TfrmImporTab::confirmar()
{
    runGuarded([this] { logic_.confirmar(); });
}

void TfrmImporTab::showProgress(const ProgressState& s) { progresso_->show(s); }

void TfrmImporTab::bringToFront()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->show();
        frame->raise();
    } else {
        if (!isVisible())
            show();
        raise();
    }
    repaint();
}

void TfrmImporTab::setCommandsEnabled(bool enabled)
{
    for (QPushButton* b : {sbtConfirma, sbtFechar, sbtAjuda})
        b->setEnabled(enabled);
    // The Close entry of the frame's system menu goes grey too.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        if (QMenu* menu = frame->systemMenu())
            for (QAction* a : menu->actions())
                if (a->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4)))
                    a->setEnabled(enabled);
}

void TfrmImporTab::closeWindow() { child_->close(); }

void TfrmImporTab::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (sbtConfirma->isEnabled())
            confirmar();
        return;
    case Qt::Key_Escape:
        if (sbtFechar->isEnabled())
            runGuarded([this] { logic_.fechar(); });
        return;
    default: QWidget::keyPressEvent(event);
    }
}

void TfrmImporTab::closeEvent(QCloseEvent* event)
{
    // Not while a download runs: it would be cut half-way.
    if (logic_.running())
        event->ignore();
    else
        event->accept();
}

TfrmImporTab* CriaImportDados()
{
    static QPointer<TfrmImporTab> instance;
    return criaJanela<TfrmImporTab>(instance, false, [] { return new TfrmImporTab; });
}

} // namespace zov
