#include "transfer/ZOV00300.h"

#include "db/dbgeralped.h"
#include "library/child_window_qt.h"
#include "library/dataset_model.h"
#include "library/errors.h"
#include "library/grid.h"
#include "library/shell.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace zov {

TfrmParamTransPed::TfrmParamTransPed(QWidget* parent) : JanelaManutencao(parent)
{
    setObjectName(QStringLiteral("frmParamTransPed"));
    setWindowTitle(QStringLiteral("Parâmetro de Transmissão de Pedidos"));

    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    auto* toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    layout->addWidget(toolBar);

    auto* linha = new QHBoxLayout;
    auto* lblEndereco = new QLabel(QStringLiteral("&Endereço do servidor (IP:porta):"), this);
    edtNrIpServApliq = new QLineEdit(this);
    edtNrIpServApliq->setObjectName(QStringLiteral("edtNrIpServApliq"));
    edtNrIpServApliq->setMaxLength(20);
    // Pasting must not bring in what typing cannot.
    edtNrIpServApliq->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.:]*")), edtNrIpServApliq));
    edtNrIpServApliq->installEventFilter(this);
    lblEndereco->setBuddy(edtNrIpServApliq);
    linha->addWidget(lblEndereco);
    linha->addWidget(edtNrIpServApliq, 1);
    layout->addLayout(linha);

    dbgParamTransPed = new QTableView(this);
    dbgParamTransPed->setObjectName(QStringLiteral("dbgParamTransPed"));
    dbgParamTransPed->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(dbgParamTransPed, 1);

    QStyle* st = style();
    auto botao = [&](QAction*& action, const char* name, const QString& hint, QStyle::StandardPixmap icon, void (ParamTransPed::*run)()) {
        action = toolBar->addAction(st->standardIcon(icon), hint);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(hint);
        connect(action, &QAction::triggered, this, [this, run] { runGuarded([&] { (logic_.get()->*run)(); }); });
    };
    botao(sbtIncluir, "sbtIncluir", QStringLiteral("Incluir"), QStyle::SP_FileIcon, &ParamTransPed::incluir);
    botao(sbtAlterar, "sbtAlterar", QStringLiteral("Alterar"), QStyle::SP_FileDialogDetailedView, &ParamTransPed::alterar);
    botao(sbtAtualizar, "sbtAtualizar", QStringLiteral("Atualizar"), QStyle::SP_BrowserReload, &ParamTransPed::atualizar);
    toolBar->addSeparator();
    botao(sbtCancelar, "sbtCancelar", QStringLiteral("Cancelar"), QStyle::SP_DialogCancelButton, &ParamTransPed::cancelar);
    botao(sbtConfirmar, "sbtConfirmar", QStringLiteral("Confirmar"), QStyle::SP_DialogApplyButton, &ParamTransPed::confirmar);
    toolBar->addSeparator();
    botao(sbtFechar, "sbtFechar", QStringLiteral("Fechar"), QStyle::SP_DialogCloseButton, &ParamTransPed::fechar);
    botao(sbtAjuda, "sbtAjuda", QStringLiteral("Ajuda"), QStyle::SP_DialogHelpButton, &ParamTransPed::ajuda);

    QMenu* mnuOperacao = menuBar->addMenu(QStringLiteral("&Operação"));
    mnuIncluir = comando(QStringLiteral("mnuIncluir"), QStringLiteral("&Incluir"), Qt::Key_F2, &ParamTransPed::incluir);
    mnuAlterar = comando(QStringLiteral("mnuAlterar"), QStringLiteral("&Alterar"), Qt::Key_F3, &ParamTransPed::alterar);
    mnuCancelar = comando(QStringLiteral("mnuCancelar"), QStringLiteral("&Cancelar"), Qt::Key_Escape, &ParamTransPed::cancelar);
    mnuConfirmar = comando(QStringLiteral("mnuConfirmar"), QStringLiteral("Co&nfirmar"), QKeySequence(Qt::CTRL | Qt::Key_Return),
                           &ParamTransPed::confirmar);
    mnuConfirmar->setShortcuts(confirmShortcuts());
    mnuOperacao->addActions({mnuIncluir, mnuAlterar, mnuCancelar, mnuConfirmar});
    QMenu* mnuManutencao = menuBar->addMenu(QStringLiteral("&Manutenção"));
    mnuAtualizar = comando(QStringLiteral("mnuAtualizar"), QStringLiteral("A&tualizar"), Qt::Key_F5, &ParamTransPed::atualizar);
    mnuFechar =
        comando(QStringLiteral("mnuFechar"), QStringLiteral("Fecha&r"), QKeySequence(Qt::CTRL | Qt::Key_F4), &ParamTransPed::fechar);
    mnuManutencao->addActions({mnuAtualizar, mnuFechar});
    child_ = new ChildWindow(this, QString::fromLatin1(kScreenCode), mnuFechar);

    resize(480, 300);

    logic_ = std::make_unique<ParamTransPed>(DataBaseGeralPed(), static_cast<ParamTransPedView&>(*this));
    model_ = std::make_unique<DatasetModel>(logic_->qryParamTransPed);
    bindGrid(dbgParamTransPed, model_.get());
    sizeColumnsToFields(dbgParamTransPed, model_.get());
    dbgParamTransPed->horizontalHeader()->setStretchLastSection(true);
    logic_->inicia();
}

TfrmParamTransPed::~TfrmParamTransPed() = default;

QAction* TfrmParamTransPed::comando(const QString& name, const QString& text, const QKeySequence& key, void (ParamTransPed::*run)())
{
    return JanelaManutencao::comando(name, text, key, [this, run] { (logic_.get()->*run)(); });
}

QString TfrmParamTransPed::textoEndereco() const { return edtNrIpServApliq->text(); }

void TfrmParamTransPed::mostraEndereco(const QString& text) { edtNrIpServApliq->setText(text); }

void TfrmParamTransPed::focaEndereco() { edtNrIpServApliq->setFocus(Qt::OtherFocusReason); }

void TfrmParamTransPed::habilitaComandos(const ComandosParamTransPed& c)
{
    sbtIncluir->setEnabled(c.incluir);
    sbtAlterar->setEnabled(c.alterar);
    mnuAlterar->setEnabled(c.alterar);
    sbtAtualizar->setEnabled(c.atualizar);
    mnuAtualizar->setEnabled(c.atualizar);
    sbtCancelar->setEnabled(c.cancelar);
    mnuCancelar->setEnabled(c.cancelar);
    sbtConfirmar->setEnabled(c.confirmar);
    mnuConfirmar->setEnabled(c.confirmar);
    // Typing only into a row being edited; the grid stays on that row meanwhile.
    edtNrIpServApliq->setReadOnly(!c.editando);
    dbgParamTransPed->setEnabled(!c.editando);
}

void TfrmParamTransPed::refreshGrids() { RefreshGrid(this); }

void TfrmParamTransPed::fecha() { child_->close(); }

bool TfrmParamTransPed::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == edtNrIpServApliq && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        const QString text = key->text();
        const bool typed =
            text.size() == 1 && text.front().isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (typed && !ParamTransPed::aceitaTecla(text.front()))
            return true;
    }
    return QWidget::eventFilter(watched, e);
}

TfrmParamTransPed* CriaParamTransPed()
{
    static QPointer<TfrmParamTransPed> instance;
    return criaJanela<TfrmParamTransPed>(instance, false, [] { return new TfrmParamTransPed; });
}

} // namespace zov
