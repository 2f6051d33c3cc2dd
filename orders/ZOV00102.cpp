#include "orders/ZOV00102.h"

#include "library/dataset_model.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/grid.h"
#include "library/shell.h"
#include "library/velmora.h"
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
#include <QVBoxLayout>

namespace zov {

namespace {

ColunaConsulta colunaDoCampo(const QString& campo)
{
    if (campo == QLatin1String("IDMARCADO"))
        return ColunaConsulta::Marca;
    if (campo == QLatin1String("CDARVPROD"))
        return ColunaConsulta::Codigo;
    if (campo == QLatin1String("QUANTIDADE"))
        return ColunaConsulta::Quantidade;
    if (campo == QLatin1String("SGUNIDADE"))
        return ColunaConsulta::Unidade;
    if (campo == QLatin1String("VRPRECO"))
        return ColunaConsulta::Preco;
    if (campo == QLatin1String("VRPEDESCONTO"))
        return ColunaConsulta::PerDesc;
    if (campo == QLatin1String("VRDESC"))
        return ColunaConsulta::VrDesc;
    return ColunaConsulta::Nome;
}

// Only a chosen row's quantity and discounts take typing.
class ConsultaModel final : public DatasetModel {
public:
    ConsultaModel(ConsultaProdLogic& logic) : DatasetModel(logic.qryProdCompl), logic_(logic) {}
    bool escolhida(int row) const { return logic_.escolhido(valor(row, "CDARVPROD")); }
    Qt::ItemFlags flags(const QModelIndex& i) const override
    {
        Qt::ItemFlags f = DatasetModel::flags(i);
        const ColunaConsulta c = colunaDoCampo(fieldAt(i.column()).fieldName());
        const bool editavel =
            (c == ColunaConsulta::Quantidade || c == ColunaConsulta::PerDesc || c == ColunaConsulta::VrDesc) && escolhida(i.row());
        return editavel ? f : (f & ~Qt::ItemIsEditable);
    }
    QVariant data(const QModelIndex& i, int role) const override
    {
        if (i.isValid() && fieldAt(i.column()).fieldName() == QLatin1String("IDMARCADO")) {
            if (role == Qt::CheckStateRole)
                return escolhida(i.row()) ? Qt::Checked : Qt::Unchecked;
            if (role == Qt::DisplayRole)
                return QString();
        }
        // The code as the product picture shows it, as in the chosen list.
        if (i.isValid() && role == Qt::DisplayRole && fieldAt(i.column()).fieldName() == QLatin1String("CDARVPROD"))
            return DBPictObj(0).format(valor(i.row(), "CDARVPROD"));
        return DatasetModel::data(i, role);
    }

private:
    QString valor(int row, const char* campo) const
    {
        return DatasetModel::data(index(row, columnOf(QString::fromLatin1(campo))), Qt::EditRole).toString();
    }
    ConsultaProdLogic& logic_;
};

} // namespace

TfrmConsultaProd::TfrmConsultaProd(Database& db, const ParametrosConsulta& parametros, QWidget* parent)
    : TfrmRotiGeral(QString::fromLatin1(kScreenCode), parent), logic_(db), tmrPesquisa_([this] { pesquisaAgora(); })
{
    setObjectName(QStringLiteral("frmConsultaProd"));
    setWindowTitle(QStringLiteral("Consulta Produto"));
    mostraCodigoNaBarra();
    sbtCancel()->setToolTip(QStringLiteral("Fechar"));
    QVBoxLayout* v = clientLayout();

    auto* busca = new QHBoxLayout;
    cbbCampo_ = new QComboBox(this);
    cbbCampo_->setObjectName(QStringLiteral("cbbCampo"));
    cbbCampo_->addItems({QStringLiteral("Código"), QStringLiteral("Nome"), QStringLiteral("Unid.")});
    cbbCampo_->setCurrentIndex(1);
    edtProcurar_ = new QLineEdit(this);
    edtProcurar_->setObjectName(QStringLiteral("edtProcurar"));
    edtProcurar_->setValidator(newUpperCaseValidator(edtProcurar_));
    edtQtde_ = new QLineEdit(this);
    edtQtde_->setObjectName(QStringLiteral("edtQtde"));
    edtQtde_->setMaximumWidth(90);
    busca->addWidget(new QLabel(QStringLiteral("Campo"), this));
    busca->addWidget(cbbCampo_);
    busca->addWidget(new QLabel(QStringLiteral("Procurar"), this));
    busca->addWidget(edtProcurar_, 1);
    busca->addWidget(new QLabel(QStringLiteral("Qtde."), this));
    busca->addWidget(edtQtde_);
    v->addLayout(busca);
    connect(edtProcurar_, &QLineEdit::textEdited, this, [this] { tmrPesquisa_.start(600); });
    connect(cbbCampo_, &QComboBox::currentIndexChanged, this, [this] {
        aplicaMascara();
        tmrPesquisa_.start(600);
    });

    dbgProdutos_ = new QTableView(this);
    dbgProdutos_->setObjectName(QStringLiteral("dbgProdutos"));
    dbgProdutos_->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    dbgProdutos_->setSelectionMode(QAbstractItemView::SingleSelection);
    model_ = new ConsultaModel(logic_);
    model_->setParent(this);
    model_->setEditable(true);
    bindGrid(dbgProdutos_, model_);
    sizeColumnsToFields(dbgProdutos_, model_);
    dbgProdutos_->horizontalHeader()->setStretchLastSection(true);
    // The tick box first, then the code, name, quantity, unit, price, last price and discounts.
    auto ordena = [this] {
        QHeaderView* h = dbgProdutos_->horizontalHeader();
        const QStringList ordem{QStringLiteral("IDMARCADO"),  QStringLiteral("CDARVPROD"),    QStringLiteral("NMPRODUTO"),
                                QStringLiteral("QUANTIDADE"), QStringLiteral("SGUNIDADE"),    QStringLiteral("VRPRECO"),
                                QStringLiteral("ULTPRECO"),   QStringLiteral("VRPEDESCONTO"), QStringLiteral("VRDESC")};
        for (int i = 0; i < ordem.size(); ++i) {
            const int col = model_->columnOf(ordem[i]);
            if (col >= 0)
                h->moveSection(h->visualIndex(col), i);
        }
    };
    connect(model_, &QAbstractItemModel::modelReset, this, ordena);
    dbgProdutos_->installEventFilter(this);
    dbgProdutos_->viewport()->installEventFilter(this);
    v->addWidget(dbgProdutos_, 1);
    connect(dbgProdutos_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                if (now != dbgProdutos_->currentIndex())
                    return; // a move the quantity check sent back
                runGuarded([&] {
                    if (before.isValid() && (before.column() != now.column() || before.row() != now.row()))
                        logic_.saiCelula(colunaDoCampo(model_->fieldAt(before.column()).fieldName()));
                    if (now.isValid())
                        logic_.entraCelula(colunaDoCampo(model_->fieldAt(now.column()).fieldName()), quantidadePadrao());
                });
                atualiza();
            });

    lstEscolhidos_ = new QListWidget(this);
    lstEscolhidos_->setObjectName(QStringLiteral("lstEscolhidos"));
    lstEscolhidos_->setMaximumHeight(110);
    lstEscolhidos_->installEventFilter(this);
    connect(lstEscolhidos_, &QListWidget::itemDoubleClicked, this, [this] {
        runGuarded([this] { logic_.removeEscolha(lstEscolhidos_->currentRow()); });
        atualiza();
    });
    v->addWidget(lstEscolhidos_);

    auto* totais = new QHBoxLayout;
    edtTotBruto_ = new QLineEdit(this);
    edtTotBruto_->setObjectName(QStringLiteral("edtTotBruto"));
    edtTotLiquido_ = new QLineEdit(this);
    edtTotLiquido_->setObjectName(QStringLiteral("edtTotLiquido"));
    for (QLineEdit* e : {edtTotBruto_, edtTotLiquido_}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setAlignment(Qt::AlignRight);
    }
    totais->addStretch(1);
    totais->addWidget(new QLabel(QStringLiteral("Tot. Bruto"), this));
    totais->addWidget(edtTotBruto_);
    totais->addWidget(new QLabel(QStringLiteral("Tot. Líquido"), this));
    totais->addWidget(edtTotLiquido_);
    v->addLayout(totais);

    runGuarded([&] { logic_.abre(parametros); });
    ordena();
    sbtConfirma()->setEnabled(logic_.podeConfirmar());
    resize(820, 560);
    atualiza();
}

void TfrmConsultaProd::showEvent(QShowEvent* event)
{
    TfrmRotiGeral::showEvent(event);
    if (event->spontaneous())
        return;
    aplicaMascara();
    edtProcurar_->setFocus();
}

// A product just ticked takes its quantity next.
void TfrmConsultaProd::vaiParaQuantidade()
{
    const QModelIndex i = dbgProdutos_->currentIndex();
    if (!i.isValid() || !logic_.escolhido() || colunaAtual() == ColunaConsulta::Quantidade)
        return;
    dbgProdutos_->setCurrentIndex(model_->index(i.row(), model_->columnOf(QStringLiteral("QUANTIDADE"))));
}

// The product picture is the search's mask while the code is searched.
void TfrmConsultaProd::aplicaMascara()
{
    const QString mascara = cbbCampo_->currentIndex() == 0 ? DBPictObj(0).inputMask() : QString();
    if (edtProcurar_->inputMask() == mascara)
        return;
    edtProcurar_->clear(); // a name does not fit a code's mask
    edtProcurar_->setInputMask(mascara);
}

TfrmConsultaProd::~TfrmConsultaProd()
{
    // The model observes the logic's dataset, a member gone before QWidget
    // deletes its children: it goes first.
    dbgProdutos_->setModel(nullptr);
    delete model_;
    model_ = nullptr;
}

ColunaConsulta TfrmConsultaProd::colunaAtual() const
{
    const QModelIndex i = dbgProdutos_->currentIndex();
    return i.isValid() ? colunaDoCampo(model_->fieldAt(i.column()).fieldName()) : ColunaConsulta::Nome;
}

double TfrmConsultaProd::quantidadePadrao() const { return parseNumber(edtQtde_->text()); }

void TfrmConsultaProd::atualiza()
{
    lstEscolhidos_->clear();
    lstEscolhidos_->addItems(logic_.escolhas());
    edtTotBruto_->setText(formatNumber(logic_.totalBruto(), QStringLiteral("#,##0.00")));
    edtTotLiquido_->setText(formatNumber(logic_.totalLiquido(), QStringLiteral("#,##0.00")));
    dbgProdutos_->viewport()->update();
}

void TfrmConsultaProd::pesquisaAgora()
{
    tmrPesquisa_.stop();
    const ColunaConsulta campo = cbbCampo_->currentIndex() == 0 ? ColunaConsulta::Codigo
        : cbbCampo_->currentIndex() == 2                        ? ColunaConsulta::Unidade
                                                                : ColunaConsulta::Nome;
    const QString texto = campo == ColunaConsulta::Codigo ? TPictObj::semSeparadores(edtProcurar_->text()) : edtProcurar_->text().trimmed();
    runGuarded([&] { logic_.pesquisa(campo, texto); });
    atualiza();
}

void TfrmConsultaProd::sbtConfirmaClick()
{
    if (!sbtConfirma()->isEnabled() || !commitOpenEditor(dbgProdutos_))
        return;
    // The window stays open on the list reopened: more products may follow.
    runGuarded([this] { logic_.confirma(); });
    atualiza();
}

bool TfrmConsultaProd::formKeyPress(QWidget* target, QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ControlModifier)) {
        sbtConfirmaClick();
        return true;
    }
    if (enter) {
        // Enter stores the row being edited, with what its cell editor holds; it confirms nothing.
        const bool editor = openEditor(dbgProdutos_) != nullptr;
        if (!commitOpenEditor(dbgProdutos_))
            return true;
        runGuarded([this] { logic_.saiCelula(colunaAtual()); });
        atualiza();
        return editor;
    }
    return TfrmRotiGeral::formKeyPress(target, event);
}

bool TfrmConsultaProd::saiDaGrade(const QKeyEvent& key)
{
    // The grid is left as the order window's are: Ctrl+Tab and Ctrl+Shift+Tab
    // always, Tab past the last column and Shift+Tab before the first; F7 and
    // a letter where nothing is typed go to the search.
    const QHeaderView* h = dbgProdutos_->horizontalHeader();
    const int visual = dbgProdutos_->currentIndex().isValid() ? h->visualIndex(dbgProdutos_->currentIndex().column()) : -1;
    int primeira = -1, ultima = -1;
    for (int v = 0; v < h->count(); ++v)
        if (!h->isSectionHidden(h->logicalIndex(v))) {
            primeira = primeira < 0 ? v : primeira;
            ultima = v;
        }
    const bool ctrl = key.modifiers() & Qt::ControlModifier;
    const bool avante = (key.key() == Qt::Key_Tab && (ctrl || visual == ultima)) && !(key.modifiers() & Qt::ShiftModifier);
    const bool atras = key.key() == Qt::Key_Backtab && (ctrl || visual == primeira);
    if (avante || atras) {
        if (commitOpenEditor(dbgProdutos_))
            (avante ? static_cast<QWidget*>(lstEscolhidos_) : static_cast<QWidget*>(edtProcurar_))->setFocus(Qt::TabFocusReason);
        return true;
    }
    const QString texto = key.text();
    const bool letra = texto.size() == 1 && texto.front().isLetter() && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (key.key() == Qt::Key_F7 || (letra && !logic_.podeEditar(colunaAtual()))) {
        edtProcurar_->setFocus(Qt::ShortcutFocusReason);
        if (letra) {
            // Typed there as the user would, through its mask and upper case.
            QKeyEvent copia(key.type(), key.key(), key.modifiers(), key.text());
            QCoreApplication::sendEvent(edtProcurar_, &copia);
        } else {
            edtProcurar_->selectAll();
        }
        return true;
    }
    return false;
}

bool TfrmConsultaProd::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == dbgProdutos_->viewport() && e->type() == QEvent::MouseButtonPress) {
        const QModelIndex i = dbgProdutos_->indexAt(static_cast<QMouseEvent*>(e)->pos());
        if (i.isValid() && colunaDoCampo(model_->fieldAt(i.column()).fieldName()) == ColunaConsulta::Marca) {
            dbgProdutos_->setCurrentIndex(i);
            if (runGuarded([this] { logic_.marca(); }))
                vaiParaQuantidade();
            atualiza();
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (watched == dbgProdutos_ && key->key() == Qt::Key_Space) {
            if (runGuarded([this] { logic_.espaco(colunaAtual(), quantidadePadrao()); }))
                vaiParaQuantidade();
            atualiza();
            return true;
        }
        if (watched == dbgProdutos_ && key->text() == QLatin1String("-"))
            return true;
        if (watched == dbgProdutos_ && saiDaGrade(*key))
            return true;
        if (watched == lstEscolhidos_ && key->key() == Qt::Key_Space) {
            runGuarded([this] { logic_.removeEscolha(lstEscolhidos_->currentRow()); });
            atualiza();
            return true;
        }
    }
    if (watched == lstEscolhidos_ && e->type() == QEvent::FocusIn)
        runGuarded([this] { logic_.confereQuantidade(); });
    return TfrmRotiGeral::eventFilter(watched, e);
}

void ConsultaProdEst(Database& db, const ParametrosConsulta& parametros, QWidget* parent)
{
    TfrmConsultaProd* frm = nullptr;
    {
        BusyCursor busy;
        frm = new TfrmConsultaProd(db, parametros, parent);
        frm->setAttribute(Qt::WA_DeleteOnClose);
    }
    frm->exec();
}

} // namespace zov
