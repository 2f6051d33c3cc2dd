#include "orders/ZOV00600.h"

#include "library/dataset_model.h"
#include "library/shell.h"
#include "library/velmora.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace zov {

namespace {

// Product codes as the order window shows them, with the product picture.
class InativosModel final : public DatasetModel {
public:
    using DatasetModel::DatasetModel;
    QVariant data(const QModelIndex& i, int role) const override
    {
        if (i.isValid() && role == Qt::DisplayRole && fieldAt(i.column()).fieldName() == QLatin1String("CDARVPROD")) {
            const QString codigo = DatasetModel::data(i, Qt::EditRole).toString();
            return codigo.isEmpty() ? QString() : DBPictObj(0).format(codigo);
        }
        return DatasetModel::data(i, role);
    }
};

} // namespace

QString TfrmProdInativo::textoProdutos()
{
    return QStringLiteral("Os seguintes pedidos possuem produtos inativos e não podem ser exportados.");
}

QString TfrmProdInativo::textoClientes() { return QStringLiteral("Os seguintes clientes encontram-se  inativos."); }

QString TfrmProdInativo::textoValores()
{
    return QStringLiteral(
        "Os seguintes pedidos têm valores que o servidor não aceita e não foram exportados; corrija-os e exporte de novo.");
}

TfrmProdInativo::TfrmProdInativo(Query& dataset, bool& pboOpcao, ModoInativo modo, QWidget* parent) : QDialog(parent), pboOpcao_(pboOpcao)
{
    setObjectName(QStringLiteral("frmProdInativo"));
    setProperty("screenCode", QStringLiteral("ZOV00600"));
    setWindowTitle(QStringLiteral("Atenção"));
    auto* layout = new QVBoxLayout(this);
    auto* topo = new QHBoxLayout;
    auto* imagem = new QLabel(this);
    imagem->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    lblMensagem = new QLabel(modo == ModoInativo::Produtos       ? textoProdutos()
                                 : modo == ModoInativo::Clientes ? textoClientes()
                                                                 : textoValores(),
                             this);
    lblMensagem->setObjectName(QStringLiteral("lblMensagem"));
    lblMensagem->setWordWrap(true);
    topo->addWidget(imagem);
    topo->addWidget(lblMensagem, 1);
    layout->addLayout(topo);

    dbgDados = new QTableView(this);
    dbgDados->setObjectName(QStringLiteral("dbgDados"));
    auto* model = new InativosModel(dataset, dbgDados);
    dbgDados->setModel(model);
    dbgDados->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgDados->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgDados->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgDados->verticalHeader()->hide();
    dbgDados->horizontalHeader()->setStretchLastSection(true);
    // A reason is read whole: each column as wide as what it holds.
    dbgDados->resizeColumnsToContents();
    layout->addWidget(dbgDados, 1);

    auto* botoes = new QHBoxLayout;
    auto* sbtOk = new QPushButton(QStringLiteral("&OK"), this);
    sbtOk->setObjectName(QStringLiteral("sbtOk"));
    botoes->addStretch(1);
    botoes->addWidget(sbtOk);
    layout->addLayout(botoes);
    connect(sbtOk, &QPushButton::clicked, this, [this] { ok(); });
    resize(std::max(520, dbgDados->horizontalHeader()->length() + 40), 300);
}

void TfrmProdInativo::ok()
{
    pboOpcao_ = true;
    accept();
}

void TfrmProdInativo::keyPressEvent(QKeyEvent* event)
{
    // Enter anywhere in the window is OK.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ok();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CriaProdInativo(Query& dataset, bool& pboOpcao, ModoInativo modo)
{
    TfrmProdInativo dialog(dataset, pboOpcao, modo, QApplication::activeWindow());
    dialog.exec();
}

} // namespace zov
