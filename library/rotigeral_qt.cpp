#include "library/rotigeral_qt.h"

#include "library/errors.h"
#include "library/shell.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace zov {

namespace {

QToolButton* toolButton(QWidget* parent, const QString& name, const QString& text, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

TfrmRotiGeral::TfrmRotiGeral(const QString& screenCode, QWidget* parent) : QDialog(parent)
{
    auto* outer = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    sbtConfirma_ = toolButton(this, QStringLiteral("sbtConfirma"), QStringLiteral("Confirmar"), QStyle::SP_DialogApplyButton);
    sbtCancel_ = toolButton(this, QStringLiteral("sbtCancel"), QStringLiteral("Cancelar"), QStyle::SP_DialogCancelButton);
    setProperty("screenCode", screenCode); // F1 opens the help at this window's page
    screenCode_ = new QLabel(screenCode, this);
    screenCode_->setObjectName(QStringLiteral("lblCodTela"));
    bar->addWidget(sbtConfirma_);
    bar->addWidget(sbtCancel_);
    bar->addStretch(1);
    bar->addWidget(screenCode_);
    outer->addLayout(bar);
    client_ = new QVBoxLayout;
    outer->addLayout(client_, 1);

    connect(sbtConfirma_, &QToolButton::clicked, this, [this] { runGuarded([this] { sbtConfirmaClick(); }); });
    connect(sbtCancel_, &QToolButton::clicked, this, [this] { runGuarded([this] { sbtCancelClick(); }); });
}

QString TfrmRotiGeral::screenCode() const { return screenCode_->text(); }

void TfrmRotiGeral::previewKeys(QWidget* control) { control->installEventFilter(this); }

bool TfrmRotiGeral::formKeyPress(QWidget*, QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (sbtConfirma_->isEnabled())
            sbtConfirmaClick();
        return true;
    case Qt::Key_Escape: sbtCancelClick(); return true;
    default: return false;
    }
}

void TfrmRotiGeral::sbtConfirmaClick() { accept(); }

void TfrmRotiGeral::sbtCancelClick() { done(QDialog::Rejected); }

// The window's close box cancels too.
void TfrmRotiGeral::reject()
{
    runGuarded([this] { sbtCancelClick(); });
}

void TfrmRotiGeral::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!mostraCodigo_ || codigoMostrado_ || event->spontaneous())
        return;
    codigoMostrado_ = true;
    runGuarded([this] {
        codigoAnterior_ = shell().statusText(kScreenCodePanel);
        shell().setStatusText(kScreenCodePanel, screenCode());
    });
}

void TfrmRotiGeral::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!codigoMostrado_ || event->spontaneous())
        return;
    codigoMostrado_ = false;
    runGuarded([this] {
        shell().setStatusText(kScreenCodePanel, codigoAnterior_.isEmpty() ? QString::fromLatin1(kMainScreenCode) : codigoAnterior_);
    });
}

bool TfrmRotiGeral::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QDialog::eventFilter(watched, event);
    bool used = false;
    // A key whose command stopped with a message was used: passed on, it would run again.
    const bool ran = runGuarded([&] { used = formKeyPress(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event)); });
    return used || !ran;
}

void TfrmRotiGeral::keyPressEvent(QKeyEvent* event)
{
    bool used = false;
    const bool ran = runGuarded([&] { used = formKeyPress(this, event); });
    if (!used && ran)
        QDialog::keyPressEvent(event);
}

} // namespace zov
