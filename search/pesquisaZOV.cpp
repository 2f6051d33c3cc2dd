#include "search/pesquisaZOV.h"

#include "library/dataset_model.h"
#include "library/errors.h"
#include "library/grid.h"
#include "library/shell.h"
#include "search/search_widgets.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QValidator>

namespace zov {

TfrmPesquisar::TfrmPesquisar(Query& query, QWidget* parent)
    : TfrmRotiGeral(QString::fromLatin1(kScreenCode), parent),
      cbbOrdem_(new QComboBox(this)),
      medProcurar_(new QLineEdit(this)),
      dbgArquivo_(new QTableView(this)),
      model_(new DatasetModel(query, this)),
      tmrPesquisa_([this] { logic_.timerTick(); }),
      logic_(query, *this, tmrPesquisa_)
{
    mostraCodigoNaBarra();
    setObjectName(QStringLiteral("frmPesquisar"));
    setWindowTitle(QStringLiteral("Pesquisar"));
    msgPadrao = PesquisarLogic::msgPadrao();

    cbbOrdem_->setObjectName(QStringLiteral("cbbOrdem"));
    medProcurar_->setObjectName(QStringLiteral("medProcurar"));
    dbgArquivo_->setObjectName(QStringLiteral("dbgArquivo"));

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
    clientLayout()->addWidget(dbgArquivo_, 1);

    bindGrid(dbgArquivo_, model_);
    dbgArquivo_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgArquivo_->horizontalHeader()->setStretchLastSection(true);
    QPalette pal = dbgArquivo_->palette();
    pal.setColor(QPalette::Base, infoBackground());
    dbgArquivo_->setPalette(pal);

    connect(medProcurar_, &QLineEdit::textChanged, this, [this] { runGuarded([this] { logic_.searchTextChanged(); }); });
    connect(dbgArquivo_, &QTableView::doubleClicked, this, [this] { runGuarded([this] { sbtConfirmaClick(); }); });
    for (QWidget* w : {static_cast<QWidget*>(cbbOrdem_), static_cast<QWidget*>(medProcurar_), static_cast<QWidget*>(dbgArquivo_)})
        previewKeys(w);
    resize(640, 420);
}

TfrmPesquisar::~TfrmPesquisar() { tmrPesquisa_.stop(); }

void TfrmPesquisar::setCaption(const QString& caption) { setWindowTitle(caption); }

void TfrmPesquisar::setUpperCase(bool upper)
{
    delete medProcurar_->validator();
    medProcurar_->setValidator(upper ? newUpperCaseValidator(medProcurar_) : nullptr);
}

void TfrmPesquisar::setColumns(const QStringList& labels, int selected)
{
    cbbOrdem_->clear();
    cbbOrdem_->addItems(labels);
    cbbOrdem_->setCurrentIndex(selected);
}

int TfrmPesquisar::selectedColumn() const { return cbbOrdem_->currentIndex(); }

QString TfrmPesquisar::searchText() const { return medProcurar_->text(); }

void TfrmPesquisar::setSearchText(const QString& text)
{
    medProcurar_->setText(text);
    medProcurar_->setCursorPosition(int(medProcurar_->text().size()));
}

void TfrmPesquisar::focusSearch() { medProcurar_->setFocus(); }

void TfrmPesquisar::focusGrid()
{
    if (dbgArquivo_->isEnabled())
        dbgArquivo_->setFocus();
}

void TfrmPesquisar::setConfirmEnabled(bool enabled) { sbtConfirma()->setEnabled(enabled); }

void TfrmPesquisar::setRepaintFrozen(bool frozen) { setUpdatesEnabled(!frozen); }

void TfrmPesquisar::execModal() { exec(); }

void TfrmPesquisar::closeWindow() { done(QDialog::Accepted); }

QString TfrmPesquisar::statusText(int panel) const { return shell().statusText(panel); }

void TfrmPesquisar::setStatusText(int panel, const QString& text)
{
    shell().setStatusText(panel, text);
    if (QWidget* main = shell().mainWidget())
        main->repaint();
}

bool TfrmPesquisar::formKeyPress(QWidget* target, QKeyEvent* event)
{
    if (isBacktick(event))
        return true;
    if (TfrmRotiGeral::formKeyPress(target, event))
        return true;
    if (isDiscardedKeyDown(event))
        return true;
    if (target == dbgArquivo_) {
        const QString text = gridKeyText(event);
        return !text.isEmpty() && logic_.gridKeyPress(text);
    }
    return false;
}

void TfrmPesquisar::sbtConfirmaClick() { logic_.confirm(); }

void TfrmPesquisar::showEvent(QShowEvent* event)
{
    TfrmRotiGeral::showEvent(event);
    dbgArquivo_->resizeColumnsToContents(); // measures the rows in view only
    medProcurar_->setFocus();
}

bool PesquisarZOV(Query& dataSet, const QString& stCaption, bool BoDataSetClosed, bool BoUseUpper)
{
    TfrmPesquisar frm(dataSet, shell().mainWidget());
    return frm.logic().run(stCaption, BoDataSetClosed, BoUseUpper);
}

} // namespace zov
