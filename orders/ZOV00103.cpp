#include "orders/ZOV00103.h"

#include "library/formats.h"
#include "library/shell.h"
#include "library/velmora.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace zov {

namespace {

QTableWidget* grade(QWidget* parent, const char* nome, const QStringList& titulos)
{
    auto* g = new QTableWidget(0, int(titulos.size()), parent);
    g->setObjectName(QString::fromLatin1(nome));
    g->setHorizontalHeaderLabels(titulos);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setTabKeyNavigation(false); // Tab leaves the grid
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 8);
    g->horizontalHeader()->setStretchLastSection(false);
    // Widths from the first rows: a year of orders is measured in a blink.
    g->horizontalHeader()->setResizeContentsPrecision(200);
    return g;
}

// One row of texts; the columns listed in direita are numbers, to the right.
void linha(QTableWidget* g, int row, const QStringList& textos, std::initializer_list<int> direita)
{
    for (int c = 0; c < textos.size(); ++c) {
        auto* item = new QTableWidgetItem(textos[c]);
        if (std::find(direita.begin(), direita.end(), c) != direita.end())
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        g->setItem(row, c, item);
    }
}

QString dinheiro(const Decimal& v) { return formatNumber(v, QStringLiteral("#,##0.00")); }
QString quantidade(const Decimal& v) { return formatNumber(v, QStringLiteral("#,##0.000")); }
QString produto(const QString& cdArvProd, const QString& cdProduto)
{
    return cdArvProd.isEmpty() ? cdProduto : DBPictObj(0).format(cdArvProd);
}

void ajusta(QTableWidget* g, int nome)
{
    g->resizeColumnsToContents();
    if (nome >= 0)
        g->horizontalHeader()->setSectionResizeMode(nome, QHeaderView::Stretch);
}

} // namespace

TfrmHistoricoCliente::TfrmHistoricoCliente(Database& db, const QString& cdCliente, const QString& cdFilial, const QString& nome,
                                           const QString& semPedido, QWidget* parent)
    : TfrmRotiGeral(QString::fromLatin1(kScreenCode), parent),
      db_(db),
      cdCliente_(cdCliente),
      cdFilial_(cdFilial),
      historico_(db, cdCliente, cdFilial, semPedido)
{
    setObjectName(QStringLiteral("frmHistoricoCliente"));
    setWindowTitle(QStringLiteral("Histórico do Cliente"));
    mostraCodigoNaBarra();
    sbtConfirma()->setText(QStringLiteral("Repetir Pedido"));
    sbtConfirma()->setToolTip(QStringLiteral("Um novo pedido com os produtos e quantidades do pedido escolhido, a preços de hoje (Enter)"));
    sbtCancel()->setText(QStringLiteral("Fechar"));
    QVBoxLayout* v = clientLayout();
    auto* titulo = new QLabel(QStringLiteral("<b>%1</b> — %2")
                                  .arg(nome.toHtmlEscaped(),
                                       historico_.pedidos().isEmpty() ? QStringLiteral("nenhuma compra nos últimos 12 meses")
                                                                      : QStringLiteral("compras dos últimos 12 meses")),
                              this);
    titulo->setObjectName(QStringLiteral("lblCliente"));
    v->addWidget(titulo);

    paginas_ = new QTabWidget(this);
    paginas_->setObjectName(QStringLiteral("pgcHistorico"));
    auto* porPedido = new QSplitter(Qt::Vertical, paginas_);
    pedidos_ = grade(porPedido, "grdPedidos",
                     {QStringLiteral("Data"), QStringLiteral("Número"), QStringLiteral("Origem"), QStringLiteral("Situação"),
                      QStringLiteral("Valor Líquido")});
    linhas_ = grade(porPedido, "grdItens",
                    {QStringLiteral("Produto"), QStringLiteral("Nome do Produto"), QStringLiteral("Quantidade"),
                     QStringLiteral("Preço Unitário"), QStringLiteral("Valor Líquido")});
    porPedido->setStretchFactor(0, 3);
    porPedido->setStretchFactor(1, 2);
    produtos_ = grade(paginas_, "grdProdutos",
                      {QStringLiteral("Produto"), QStringLiteral("Nome do Produto"), QStringLiteral("Última Compra"),
                       QStringLiteral("Último Preço"), QStringLiteral("Qtde. 12 Meses")});
    paginas_->addTab(porPedido, QStringLiteral("&Pedidos"));
    paginas_->addTab(produtos_, QStringLiteral("Por P&roduto"));
    v->addWidget(paginas_, 1);

    const QList<PedidoComprado>& compras = historico_.pedidos();
    pedidos_->setRowCount(int(compras.size()));
    for (int r = 0; r < compras.size(); ++r) {
        const PedidoComprado& p = compras[r];
        linha(pedidos_, r, {formatDate(p.quando.date()), p.nrPedido, textoOrigem(p.origem), p.situacao, dinheiro(p.valor)}, {4});
    }
    ajusta(pedidos_, 3);
    const QList<ProdutoComprado> porProduto = historico_.porProduto();
    produtos_->setRowCount(int(porProduto.size()));
    for (int r = 0; r < porProduto.size(); ++r) {
        const ProdutoComprado& p = porProduto[r];
        linha(produtos_, r,
              {produto(p.cdArvProd, p.cdProduto), p.nmProduto, formatDate(p.ultimaData), dinheiro(p.ultimoPreco), quantidade(p.quantidade)},
              {3, 4});
    }
    ajusta(produtos_, 1);

    connect(pedidos_, &QTableWidget::currentCellChanged, this, [this] { mostraLinhas(); });
    connect(paginas_, &QTabWidget::currentChanged, this, [this] { atualizaRepetir(); });
    // Ctrl+Tab and Ctrl+PgDn (Ctrl+Shift+Tab, Ctrl+PgUp) change the page, as in the order window, wherever the focus is.
    auto* troca = new QAction(this);
    troca->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                         QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
    connect(troca, &QAction::triggered, this, [this] { trocaPagina(); });
    addAction(troca);
    previewKeys(pedidos_);
    previewKeys(linhas_);
    previewKeys(produtos_);
    if (!compras.isEmpty())
        pedidos_->setCurrentCell(0, 0);
    mostraLinhas();
    pedidos_->setFocus();
    resize(860, 560);
}

void TfrmHistoricoCliente::mostraLinhas()
{
    const int r = pedidos_->currentRow();
    const QList<LinhaComprada> itens = r >= 0 && r < historico_.pedidos().size() ? historico_.pedidos()[r].linhas : QList<LinhaComprada>();
    linhas_->setRowCount(int(itens.size()));
    for (int i = 0; i < itens.size(); ++i) {
        const LinhaComprada& l = itens[i];
        linha(linhas_, i,
              {produto(l.cdArvProd, l.cdProduto), l.nmProduto, quantidade(l.quantidade), dinheiro(l.preco), dinheiro(l.liquido)},
              {2, 3, 4});
    }
    ajusta(linhas_, 1);
    atualizaRepetir();
}

void TfrmHistoricoCliente::atualizaRepetir()
{
    // Only an order chosen on its own page is repeated.
    sbtConfirma()->setEnabled(paginas_->currentIndex() == 0 && pedidos_->currentRow() >= 0);
}

void TfrmHistoricoCliente::trocaPagina()
{
    paginas_->setCurrentIndex((paginas_->currentIndex() + 1) % paginas_->count());
    (paginas_->currentIndex() == 0 ? pedidos_ : produtos_)->setFocus();
}

void TfrmHistoricoCliente::sbtConfirmaClick()
{
    const int r = pedidos_->currentRow();
    if (r < 0 || r >= historico_.pedidos().size())
        return;
    const PedidoComprado& p = historico_.pedidos()[r];
    // This laptop's own order repeats its header too.
    if (p.origem == OrigemCompra::EsteComputador)
        paraRepetir_ = pedidoParaRepetir(db_, cdFilial_, p.nrPedido);
    if (!paraRepetir_)
        paraRepetir_ = compraParaRepetir(db_, cdCliente_, p);
    accept();
}

std::optional<PedidoParaRepetir> HistoricoDoCliente(Database& db, const QString& cdCliente, const QString& cdFilial, const QString& nome,
                                                    const QString& semPedido, QWidget* parent)
{
    std::optional<TfrmHistoricoCliente> frm;
    {
        BusyCursor busy;
        frm.emplace(db, cdCliente, cdFilial, nome, semPedido, parent);
    }
    if (frm->exec() != QDialog::Accepted)
        return std::nullopt;
    return frm->paraRepetir();
}

} // namespace zov
