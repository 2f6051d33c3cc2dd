#include "search/PesqListaZOV.h"

#include "library/dataset_model.h"
#include "library/errors.h"
#include "library/grid.h"
#include "library/shell.h"
#include "search/search_widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>

namespace zov {

namespace {

// The mark column: a check box drawn from the chosen list, not from the row.
class MarkDelegate final : public QStyledItemDelegate {
public:
    MarkDelegate(PesqListaLogic& logic, QObject* parent) : QStyledItemDelegate(parent), logic_(logic) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem background(option);
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

        QStyleOptionButton box;
        const int side = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
        box.rect = QRect(option.rect.center().x() - side / 2, option.rect.center().y() - side / 2, side, side);
        box.state = QStyle::State_Enabled | (logic_.isChosenAt(index.row()) ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
    }

private:
    PesqListaLogic& logic_;
};

} // namespace

TfrmPesqLista::TfrmPesqLista(Query& query, QWidget* parent)
    : TfrmRotiGeral(QString::fromLatin1(kScreenCode), parent),
      cbbOrdem_(new QComboBox(this)),
      medProcurar_(new QLineEdit(this)),
      dbgArquivo_(new QTableView(this)),
      lsbEscolhidos_(new QListWidget(this)),
      model_(new DatasetModel(query, this)),
      tmrPesquisa_([this] { logic_.timerTick(); }),
      logic_(query, *this, tmrPesquisa_)
{
    mostraCodigoNaBarra();
    setObjectName(QStringLiteral("frmPesqLista"));
    setWindowTitle(QStringLiteral("Pesquisar"));
    msgPadrao = PesqListaLogic::msgPadrao();

    cbbOrdem_->setObjectName(QStringLiteral("cbbOrdem"));
    medProcurar_->setObjectName(QStringLiteral("medProcurar"));
    dbgArquivo_->setObjectName(QStringLiteral("dbgArquivo"));
    lsbEscolhidos_->setObjectName(QStringLiteral("lsbEscolhidos"));
    medProcurar_->setValidator(newUpperCaseValidator(medProcurar_));

    auto* fields = new QHBoxLayout;
    auto* campo = new QLabel(QStringLiteral("Campo"), this);
    campo->setBuddy(cbbOrdem_);
    auto* procurar = new QLabel(QStringLiteral("Procurar"), this);
    procurar->setBuddy(medProcurar_);
    fields->addWidget(campo);
    fields->addWidget(cbbOrdem_, 1);
    fields->addWidget(procurar);
    fields->addWidget(medProcurar_, 2);
    clientLayout()->addLayout(fields);
    clientLayout()->addWidget(dbgArquivo_, 3);
    clientLayout()->addWidget(lsbEscolhidos_, 1);

    bindGrid(dbgArquivo_, model_);
    dbgArquivo_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgArquivo_->horizontalHeader()->setStretchLastSection(true);
    dbgArquivo_->horizontalHeader()->setSectionsClickable(true);
    dbgArquivo_->setItemDelegateForColumn(0, new MarkDelegate(logic_, this));
    QPalette pal = dbgArquivo_->palette();
    pal.setColor(QPalette::Base, infoBackground());
    dbgArquivo_->setPalette(pal);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { dbgArquivo_->setColumnWidth(0, 28); });

    connect(medProcurar_, &QLineEdit::textChanged, this, [this] { runGuarded([this] { logic_.searchTextChanged(); }); });
    connect(dbgArquivo_, &QTableView::doubleClicked, this, [this] { runGuarded([this] { logic_.toggle(); }); });
    connect(dbgArquivo_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int section) { runGuarded([this, section] { markColumnClicked(section); }); });
    connect(lsbEscolhidos_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { runGuarded([this, item] { logic_.removeChosen(lsbEscolhidos_->row(item), false); }); });
    for (QWidget* w : {static_cast<QWidget*>(cbbOrdem_), static_cast<QWidget*>(medProcurar_), static_cast<QWidget*>(dbgArquivo_),
                       static_cast<QWidget*>(lsbEscolhidos_)})
        previewKeys(w);
    resize(680, 480);
}

TfrmPesqLista::~TfrmPesqLista() { tmrPesquisa_.stop(); }

void TfrmPesqLista::markColumnClicked(int section)
{
    if (section == model_->columnOf(QString::fromLatin1(PesqListaLogic::kCampoMarca)))
        logic_.toggleAll();
}

void TfrmPesqLista::setCaption(const QString& caption) { setWindowTitle(caption); }

void TfrmPesqLista::setColumns(const QStringList& labels, int selected)
{
    cbbOrdem_->clear();
    cbbOrdem_->addItems(labels);
    cbbOrdem_->setCurrentIndex(selected);
}

int TfrmPesqLista::selectedColumn() const { return cbbOrdem_->currentIndex(); }

QString TfrmPesqLista::searchText() const { return medProcurar_->text(); }

void TfrmPesqLista::setSearchText(const QString& text)
{
    medProcurar_->setText(text);
    medProcurar_->setCursorPosition(int(medProcurar_->text().size()));
}

void TfrmPesqLista::focusSearch() { medProcurar_->setFocus(); }

void TfrmPesqLista::focusChosenList() { lsbEscolhidos_->setFocus(); }

void TfrmPesqLista::showChosen(const QStringList& lines)
{
    const int current = lsbEscolhidos_->currentRow();
    lsbEscolhidos_->clear();
    lsbEscolhidos_->addItems(lines);
    if (!lines.isEmpty())
        lsbEscolhidos_->setCurrentRow(std::clamp(current, 0, int(lines.size()) - 1));
}

void TfrmPesqLista::repaintGrid() { dbgArquivo_->viewport()->update(); }

void TfrmPesqLista::setRepaintFrozen(bool frozen) { setUpdatesEnabled(!frozen); }

void TfrmPesqLista::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool TfrmPesqLista::execModal() { return exec() == QDialog::Accepted; }

void TfrmPesqLista::closeWindow(bool ok) { done(ok ? QDialog::Accepted : QDialog::Rejected); }

bool TfrmPesqLista::formKeyPress(QWidget* target, QKeyEvent* event)
{
    if (isBacktick(event))
        return true;
    if (TfrmRotiGeral::formKeyPress(target, event))
        return true;
    if (isDiscardedKeyDown(event))
        return true;
    if (target == dbgArquivo_) {
        if (event->key() == Qt::Key_Space) {
            if (event->modifiers() & Qt::ControlModifier)
                logic_.toggleAll();
            else
                logic_.toggle();
            return true;
        }
        const QString text = gridKeyText(event);
        return !text.isEmpty() && logic_.gridKeyPress(text);
    }
    if (target == lsbEscolhidos_ && event->key() == Qt::Key_Space) {
        logic_.removeChosen(lsbEscolhidos_->currentRow(), true);
        return true;
    }
    return false;
}

void TfrmPesqLista::sbtConfirmaClick() { logic_.confirm(); }

void TfrmPesqLista::showEvent(QShowEvent* event)
{
    TfrmRotiGeral::showEvent(event);
    dbgArquivo_->resizeColumnsToContents(); // measures the rows in view only
    dbgArquivo_->setColumnWidth(0, 28);
    medProcurar_->setFocus();
}

bool PesquisaListaZOV(Query& dataSet, const QString& stNmCampo, const QString& stTitulo, bool boTodos, QString& stResultLista)
{
    TfrmPesqLista frm(dataSet, shell().mainWidget());
    return frm.logic().run(stNmCampo, stTitulo, boTodos, stResultLista);
}

} // namespace zov
