#include "app/ZOV00010.h"

#include "app/startup.h"
#include "library/errors.h"
#include "transfer/progress_area.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace zov {

TfrmLogin::TfrmLogin(LoginTransfer transfer, QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("frmLogin"));
    setProperty("screenCode", QStringLiteral("ZOV00010"));
    setWindowTitle(QStringLiteral("Pedidos ZOV-RA"));
    setWindowIcon(applicationIcon());
    setModal(true);

    auto* outer = new QFrame(this);
    outer->setFrameShape(QFrame::Box);
    outer->setObjectName(QStringLiteral("pnlLogin"));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->addWidget(outer);
    auto* layout = new QVBoxLayout(outer);

    auto* title = new QLabel(QStringLiteral("<b>Pedidos ZOV-RA</b>"), outer);
    title->setAlignment(Qt::AlignCenter);
    QFont f = title->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    title->setFont(f);
    layout->addWidget(title);

    auto* form = new QFormLayout;
    auto makeEdit = [&](const char* name, const QString& label, int maxLength) {
        auto* e = new QLineEdit(outer);
        e->setObjectName(QString::fromLatin1(name));
        if (maxLength > 0)
            e->setMaxLength(maxLength);
        e->installEventFilter(this);
        form->addRow(label, e);
        return e;
    };
    edtEndereco = makeEdit("edtEndereco", QStringLiteral("Endereço"), 20);
    edtFilial = makeEdit("edtFilial", QStringLiteral("Filial"), 4);
    edtOperador = makeEdit("edtOperador", QStringLiteral("Operador"), 12);
    edtSenha = makeEdit("edtSenha", QStringLiteral("Senha"), 15);
    edtSenha->setEchoMode(QLineEdit::Password);
    // The program's convention for hidden text is "*", whatever the style draws.
    edtSenha->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    layout->addLayout(form);
    forceLower(edtEndereco);
    forceLower(edtFilial);

    // The progress area stays hidden until a download runs.
    progresso_ = new ProgressArea(outer);
    layout->addWidget(progresso_);

    auto* buttons = new QHBoxLayout;
    btnConectar = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("&Conectar"), outer);
    btnConectar->setObjectName(QStringLiteral("btnConectar"));
    btnConectar->setDefault(true);
    btnSair = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Sair"), outer);
    btnSair->setObjectName(QStringLiteral("btnSair"));
    for (QPushButton* b : {btnConectar, btnSair}) {
        b->setFlat(true);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(btnConectar, &QPushButton::clicked, this, [this] { conectar(); });
    connect(btnSair, &QPushButton::clicked, this, [this] { sair(); });

    logic_ = std::make_unique<LoginLogic>(static_cast<LoginView&>(*this), std::move(transfer));
    resize(360, sizeHint().height());
}

TfrmLogin::~TfrmLogin() = default;

void TfrmLogin::abrir()
{
    runGuarded([this] { logic_->abertura(); });
}

void TfrmLogin::forceLower(QLineEdit* e)
{
    connect(e, &QLineEdit::textEdited, this, [e](const QString& t) {
        const QString lower = t.toLower();
        if (lower != t) {
            const int pos = e->cursorPosition();
            e->setText(lower);
            e->setCursorPosition(pos);
        }
    });
}

QLineEdit* TfrmLogin::edit(LoginField field) const
{
    switch (field) {
    case LoginField::Endereco: return edtEndereco;
    case LoginField::Filial: return edtFilial;
    case LoginField::Operador: return edtOperador;
    case LoginField::Senha: return edtSenha;
    }
    return edtEndereco;
}

QString TfrmLogin::text(LoginField field) const { return edit(field)->text(); }

void TfrmLogin::setText(LoginField field, const QString& text) { edit(field)->setText(text); }

void TfrmLogin::focus(LoginField field)
{
    QLineEdit* e = edit(field);
    e->setFocus();
    e->selectAll();
}

void TfrmLogin::setControlsEnabled(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(edtEndereco), static_cast<QWidget*>(edtFilial), static_cast<QWidget*>(edtOperador),
                       static_cast<QWidget*>(edtSenha), static_cast<QWidget*>(btnConectar), static_cast<QWidget*>(btnSair)})
        w->setEnabled(enabled);
}

void TfrmLogin::closeLogin()
{
    closingByLogic_ = true;
    if (isVisible())
        hide();
    if (logic_->admitido())
        accept();
    else
        reject();
}

void TfrmLogin::showProgress(const ProgressState& s)
{
    const QRect before = geometry();
    progresso_->show(s);
    if (!isVisible())
        return;
    // The area grows the window: grow it about its centre, where the user
    // left it, rather than letting the window system place it anew. The
    // children's layout requests are still queued: run them first, or the
    // size hint is the old one and the window cuts its title.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    layout()->activate();
    // Only ever grown: shrinking again between the steps of a download made
    // the window jitter, and a late resize left it too short for its title.
    const int height = std::max(sizeHint().height(), minimumSizeHint().height());
    if (height <= before.height())
        return;
    QRect after(before.topLeft(), QSize(before.width(), height));
    after.moveCenter(before.center());
    setGeometry(after);
}

void TfrmLogin::bringToFront()
{
    if (!isVisible())
        show();
    raise();
    repaint();
}

void TfrmLogin::conectar()
{
    runGuarded([this] { logic_->conectar(); });
}

void TfrmLogin::sair()
{
    runGuarded([this] { logic_->sair(); });
}

bool TfrmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == edtFilial)
            runGuarded([this] { logic_->saiFilial(); });
        else if (watched == edtOperador)
            runGuarded([this] { logic_->saiOperador(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmLogin::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (btnConectar->isEnabled())
            conectar();
        return;
    case Qt::Key_Escape:
        if (btnSair->isEnabled())
            sair();
        return;
    default: QDialog::keyPressEvent(event);
    }
}

void TfrmLogin::closeEvent(QCloseEvent* event)
{
    // Alt+F4 is Sair; a window without a border has no other way out.
    if (!closingByLogic_) {
        event->ignore();
        if (btnSair->isEnabled())
            sair();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmLogin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Only when it first shows: after an error box the focus stays where the check put it.
    if (!activated_) {
        activated_ = true;
        runGuarded([this] { logic_->ativacao(); });
    }
}

} // namespace zov
