#include "transfer/ZOV00200.h"

#include "db/dbgeralped.h"
#include "library/child_window_qt.h"
#include "library/dataset_model.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/grid.h"
#include "library/messages.h"
#include "library/procura.h"
#include "library/shell.h"
#include "transfer/exporta.h"
#include "transfer/window_buttons_qt.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace zov {

namespace {

// The check column as a checked or unchecked picture; nothing is typed in the grid.
class ExportaModel final : public DatasetModel {
public:
    using DatasetModel::DatasetModel;
    QVariant data(const QModelIndex& i, int role) const override
    {
        if (i.isValid() && fieldAt(i.column()).fieldName() == QLatin1String("IDCHECK")) {
            if (role == Qt::CheckStateRole)
                return DatasetModel::data(i, Qt::EditRole).toString() == QLatin1String("S") ? Qt::Checked : Qt::Unchecked;
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return QVariant();
        }
        return DatasetModel::data(i, role);
    }
    Qt::ItemFlags flags(const QModelIndex& i) const override
    {
        return DatasetModel::flags(i) & ~(Qt::ItemIsEditable | Qt::ItemIsUserCheckable);
    }
};

} // namespace

TfrmExportaDados::TfrmExportaDados(QWidget* parent) : QWidget(parent), logic_(DataBaseGeralPed(), *this)
{
    setObjectName(QStringLiteral("frmExportaDados"));
    setWindowTitle(QStringLiteral("Exportar Dados Via Internet"));
    auto* layout = new QVBoxLayout(this);

    dbgPedidos = new QTableView(this);
    dbgPedidos->setObjectName(QStringLiteral("dbgPedidos"));
    model_ = new ExportaModel(logic_.qryPrincipal, dbgPedidos);
    dbgPedidos->setModel(model_);
    dbgPedidos->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgPedidos->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgPedidos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgPedidos->verticalHeader()->hide();
    dbgPedidos->horizontalHeader()->setStretchLastSection(true);
    bindGrid(dbgPedidos, model_);
    sizeColumnsToFields(dbgPedidos, model_);
    dbgPedidos->installEventFilter(this);
    layout->addWidget(dbgPedidos, 1);
    connect(dbgPedidos, &QTableView::doubleClicked, this, [this] { runGuarded([this] { logic_.alterna(); }); });
    connect(dbgPedidos->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        runGuarded([&] {
            // Only the check column's title toggles them all.
            if (model_->columnOf(QStringLiteral("IDCHECK")) == section)
                logic_.alternaTodos();
        });
    });

    auto* progresso = new QHBoxLayout;
    lblProgresso = new QLabel(this);
    lblProgresso->setObjectName(QStringLiteral("lblProgresso"));
    pgbProgresso = new QProgressBar(this);
    pgbProgresso->setObjectName(QStringLiteral("pgbProgresso"));
    pgbProgresso->setRange(0, 0);
    pgbProgresso->setTextVisible(false);
    pgbProgresso->setVisible(false);
    progresso->addWidget(lblProgresso, 1);
    progresso->addWidget(pgbProgresso, 1);
    layout->addLayout(progresso);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    sbtConfirma = addWindowButton(this, buttons, "sbtConfirma", QStringLiteral("&Confirmar"), QStyle::SP_DialogApplyButton);
    sbtProcura = addWindowButton(this, buttons, "sbtProcura", QStringLiteral("&Procurar"), QStyle::SP_FileDialogContentsView);
    sbtFechar = addWindowButton(this, buttons, "sbtFechar", QStringLiteral("&Fechar"), QStyle::SP_DialogCloseButton);
    sbtAjuda = addHelpButton(this, buttons);
    sbtProcura->setToolTip(QStringLiteral("Procurar (Ctrl+L)"));
    layout->addLayout(buttons);
    connect(sbtConfirma, &QPushButton::clicked, this, [this] { confirmar(); });
    connect(sbtProcura, &QPushButton::clicked, this, [this] { procurar(); });
    connect(sbtFechar, &QPushButton::clicked, this, [this] { runGuarded([this] { logic_.fecha(); }); });

    child_ = new ChildWindow(this, QString::fromLatin1(kScreenCode));
    resize(560, 360);
    runGuarded([this] { logic_.abre(); });
    dbgPedidos->setFocus();
}

void TfrmExportaDados::confirmar()
{
    runGuarded([this] { logic_.confirmar(); });
    dbgPedidos->setFocus();
}

void TfrmExportaDados::procurar()
{
    runGuarded([this] {
        if (logic_.qryPrincipal.active())
            Procura(logic_.qryPrincipal, this);
    });
}

TfrmExportaDados::~TfrmExportaDados()
{
    // The model observes the logic's dataset, a member gone before QWidget
    // deletes its children: it goes first.
    dbgPedidos->setModel(nullptr);
    delete model_;
    model_ = nullptr;
}

void TfrmExportaDados::setConfirmEnabled(bool enabled) { sbtConfirma->setEnabled(enabled); }

void TfrmExportaDados::setCommandsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{sbtProcura, sbtFechar, sbtAjuda, dbgPedidos})
        w->setEnabled(enabled);
}

void TfrmExportaDados::showProgress(int maximum, int position, const QString& label)
{
    pgbProgresso->setRange(0, maximum);
    pgbProgresso->setValue(position);
    pgbProgresso->setVisible(maximum > 0);
    lblProgresso->setText(label);
    repaint();
}

void TfrmExportaDados::setPainting(bool on)
{
    dbgPedidos->setUpdatesEnabled(on);
    if (on)
        dbgPedidos->viewport()->update();
}

void TfrmExportaDados::closeWindow() { child_->close(); }

bool TfrmExportaDados::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == dbgPedidos && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_Space && mods == Qt::NoModifier) {
            runGuarded([this] { logic_.alterna(); });
            return true;
        }
        if (key->key() == Qt::Key_Space && mods == Qt::ControlModifier) {
            runGuarded([this] { logic_.alternaTodos(); });
            return true;
        }
        if (key->key() == Qt::Key_Delete && mods == Qt::ControlModifier)
            return true; // no row is ever deleted here
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape
            || (key->key() == Qt::Key_L && mods == Qt::ControlModifier)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmExportaDados::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (sbtConfirma->isEnabled())
            confirmar();
        return;
    case Qt::Key_Escape:
        if (sbtFechar->isEnabled())
            runGuarded([this] { logic_.fecha(); });
        return;
    case Qt::Key_L:
        if (mods == Qt::ControlModifier && sbtProcura->isEnabled()) {
            procurar();
            return;
        }
        break;
    default: break;
    }
    QWidget::keyPressEvent(event);
}

void TfrmExportaDados::closeEvent(QCloseEvent* event)
{
    // Not while an export runs: its orders would be left half-marked on screen.
    if (logic_.running()) {
        event->ignore();
        return;
    }
    LimpaPedidosExport();
    event->accept();
}

TfrmExportaDados* CriaExportaDados()
{
    static QPointer<TfrmExportaDados> instance;
    return criaJanela<TfrmExportaDados>(instance, false, [] { return new TfrmExportaDados; });
}

} // namespace zov
