#include "orders/ZOV00100.h"

#include "library/child_window_qt.h"
#include "library/dataset_model.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/field_events_qt.h"
#include "library/grid.h"
#include "library/inscricao.h"
#include "library/messages.h"
#include "library/procura.h"
#include "library/shell.h"
#include "library/velmora.h"
#include "library/consiste.h"
#include "library/formats.h"
#include "db/dbgeralped.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QColorDialog>
#include <QComboBox>
#include <QFontComboBox>
#include <QTextCursor>
#include <QTextList>
#include <algorithm>

namespace zov {

namespace {

const QColor kAzul(Qt::blue);
const QColor kVerdeAzulado(0, 128, 128); // teal

// The list paints every row on the hint background: pending orders in blue,
// exported ones in teal; the status column shows its text.
class PedidoGradeDelegate final : public QStyledItemDelegate {
public:
    PedidoGradeDelegate(DatasetModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int colSit = model_->columnOf(QStringLiteral("IDSITPEDIDO"));
        const QString sit = colSit < 0 ? QString() : model_->index(index.row(), colSit).data(Qt::EditRole).toString();
        const QString field = model_->fieldAt(index.column()).fieldName();
        if (field == QLatin1String("IDSITPEDIDO"))
            option->text = textoSituacao(sit);
        if (field == QLatin1String("VRPBRUVOLPED") || field == QLatin1String("VRPLIQVOLPED"))
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        else
            option->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        if (!(option->state & QStyle::State_Selected)) {
            option->backgroundBrush = option->palette.brush(QPalette::ToolTipBase);
            option->palette.setColor(QPalette::Text, sit == QLatin1String("1") ? kAzul : kVerdeAzulado);
        }
    }

private:
    DatasetModel* model_;
};

// The items grid's model: the read-only columns, and the unit price while it is locked.
class ItemModel final : public DatasetModel {
public:
    using DatasetModel::DatasetModel;
    bool precoTravado = false;
    bool somenteLeitura(int column) const
    {
        const QString campo = fieldAt(column).fieldName();
        static const QStringList fixos{QStringLiteral("NRITEMPED"), QStringLiteral("NMPRODUTO"), QStringLiteral("SGUNIDADE"),
                                       QStringLiteral("VrTotal"), QStringLiteral("DTENTITPED")};
        return fixos.contains(campo) || (precoTravado && campo == QLatin1String("VRPREUNITPED"));
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags f = DatasetModel::flags(index);
        if (index.isValid() && somenteLeitura(index.column()))
            f &= ~Qt::ItemIsEditable;
        return f;
    }
    // The texts the printed order shows too; the edit role keeps the value as typed.
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
            return DatasetModel::data(index, role);
        const Query& q = query();
        const Field& f = fieldAt(index.column());
        const bool editando = q.state() == DataSetState::Edit || q.state() == DataSetState::Insert;
        const QVariant v = editando && index.row() == q.recNo() - 1 ? f.value() : q.valueAt(q.storageRowAt(index.row()), f.index());
        return textoItem(f, v);
    }
};

// The items grid: the info background, the font colour by the item's
// situation, numbers to the right; the editors drop what the column cannot take.
class ItemGradeDelegate final : public QStyledItemDelegate {
public:
    ItemGradeDelegate(DatasetModel* model, LancPedido* logic, QObject* parent) : QStyledItemDelegate(parent), model_(model), logic_(logic) {}
    // Enter in a cell editor: the value is stored first, then the grid's own Enter runs.
    std::function<void()> aoEnter;
    // The product cell's ellipsis button: the product search.
    std::function<void()> aoPesquisar;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            const QString campo = model_->fieldAt(index.column()).fieldName();
            e->setProperty("campo", campo);
            e->installEventFilter(const_cast<ItemGradeDelegate*>(this));
            if (campo == QLatin1String("CDARVPROD") && aoPesquisar) {
                QAction* reticencias = e->addAction(e->style()->standardIcon(QStyle::SP_FileDialogContentsView), QLineEdit::TrailingPosition);
                reticencias->setObjectName(QStringLiteral("actPesquisaProduto"));
                reticencias->setToolTip(QStringLiteral("Pesquisar (F9)"));
                auto* self = const_cast<ItemGradeDelegate*>(this);
                QObject::connect(reticencias, &QAction::triggered, self, [self, e] {
                    // What was typed is stored before the search replaces it.
                    emit self->commitData(e);
                    emit self->closeEditor(e);
                    self->aoPesquisar();
                });
            }
        }
        return w;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const Field& f = model_->fieldAt(index.column());
        if (f.kind() == FieldKind::Number)
            option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        if (!(option->state & QStyle::State_Selected)) {
            option->backgroundBrush = option->palette.brush(QPalette::ToolTipBase);
            const int colSit = model_->query().findField(QStringLiteral("IDSITITEMPED")) ? model_->query().fieldByName(QStringLiteral("IDSITITEMPED")).index() : -1;
            const int row = model_->query().storageRowAt(index.row());
            const QString sit = colSit < 0 || row < 0 ? QString() : model_->query().valueAt(row, colSit).toString();
            if (sit == QLatin1String("1"))
                option->palette.setColor(QPalette::Text, kAzul);
            else if (sit == QLatin1String("2"))
                option->palette.setColor(QPalette::Text, kVerdeAzulado);
        }
    }

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress)
            return QStyledItemDelegate::eventFilter(watched, e);
        auto* editor = qobject_cast<QLineEdit*>(watched);
        const auto* key = static_cast<QKeyEvent*>(e);
        const QString campo = editor ? editor->property("campo").toString() : QString();
        // Enter and F9 act on the row: what the editor holds is written first (Qt
        // itself would commit an Enter only after the key had acted).
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & Qt::ControlModifier);
        const bool f9 = key->key() == Qt::Key_F9 && key->modifiers() == Qt::NoModifier && campo == QLatin1String("CDARVPROD");
        if (editor && (enter || f9) && (enter ? bool(aoEnter) : bool(aoPesquisar))) {
            if (!commitOpenEditor(qobject_cast<QAbstractItemView*>(parent())))
                return true;
            if (enter) {
                aoEnter();
            } else {
                runGuarded([this] { logic_->teclaProduto(false); });
                aoPesquisar();
            }
            return true;
        }
        // The keys typed in an editor count as the grid's own (Part's key-down rules).
        if (editor && campo == QLatin1String("CDARVPROD"))
            runGuarded([this] { logic_->teclaProduto(false); });
        const bool digita = (key->text().size() == 1 && key->text().front().isPrint()) || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete;
        if (editor && campo == QLatin1String("VRPREUNITPED") && digita)
            logic_->teclaPreco();
        const QString text = key->text();
        if (editor && text.size() == 1 && text.front().isPrint()) {
            const QChar c = text.front();
            if (campo == QLatin1String("VRPREUNITPED") && logic_->boBloqueiaPreco)
                return true;
            if ((campo == QLatin1String("VRPREUNITPED") || campo == QLatin1String("VRDESITPED") || campo == QLatin1String("PERDESC")) &&
                (c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('e') || c == QLatin1Char('E')))
                return true;
            if (campo == QLatin1String("QTITEMPED")) {
                const QChar ok = MaxNumber(editor->text(), 9, 3, editor->selectionStart() < 0 ? editor->cursorPosition() : editor->selectionStart(),
                                           editor->selectedText().size(), c);
                if (ok.isNull())
                    return true;
                if (ok != c) {
                    editor->insert(QString(ok));
                    return true;
                }
            }
        }
        return QStyledItemDelegate::eventFilter(watched, e);
    }

private:
    DatasetModel* model_;
    LancPedido* logic_;
};

QLabel* rotulo(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// What a masked field holds without its literals: digits, and letters (an
// alphanumeric CNPJ) upper case.
QString semLiterais(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c.isDigit() || (c.isLetter() && c.unicode() < 128))
            out += c.toUpper();
    return out;
}

constexpr int kPagina(PaginaPedido p) { return int(p); }


ColunaItem colunaDoCampo(const QString& campo)
{
    for (int i = 0; i < kColunasItem; ++i)
        if (campo.compare(QLatin1String(kCamposItem[i]), Qt::CaseInsensitive) == 0)
            return ColunaItem(i);
    return ColunaItem::NrItem;
}

} // namespace

TfrmLanPedido::TfrmLanPedido(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmLanPedido"));
    setWindowTitle(QStringLiteral("Lançamento de Pedido"));
    logic_ = std::make_unique<LancPedido>(DataBaseGeralPed(), static_cast<PedidoView&>(*this));
    logic_->setPesquisa(PesquisaPedido(this));

    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    auto* toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    layout->addWidget(toolBar);

    // The title line with the navigator.
    auto* titulo = new QHBoxLayout;
    lblDsPedido = new QLabel(this);
    lblDsPedido->setObjectName(QStringLiteral("lblDsPedido"));
    QFont f = lblDsPedido->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    lblDsPedido->setFont(f);
    titulo->addWidget(lblDsPedido, 1);
    layout->addLayout(titulo);
    layout->addWidget(montaFilial());

    pgcPedido = new QTabWidget(this);
    pgcPedido->setObjectName(QStringLiteral("pgcPedido"));
    pgcPedido->addTab(montaLista(), QStringLiteral("Pedidos"));
    pgcPedido->addTab(montaDadosGerais(), QStringLiteral("Dados Gerais"));
    pgcPedido->addTab(montaModalidade(), QStringLiteral("Modalidade de Pgto"));
    pgcPedido->addTab(montaItens(), QStringLiteral("Itens do Pedido"));
    pgcPedido->addTab(montaObservacao(), QStringLiteral("Observação"));
    const char* nomes[] = {"tshPedidos", "tshDadosGerais", "tshModalidade", "tshItens", "tshObservacao"};
    for (int i = 0; i < kPaginasPedido; ++i)
        pgcPedido->widget(i)->setObjectName(QString::fromLatin1(nomes[i]));
    layout->addWidget(pgcPedido, 1);

    montaMenus(menuBar, toolBar);
    QStyle* st = style();
    auto botaoNav = [&](const char* name, QStyle::StandardPixmap icon, const QString& hint, void (LancPedido::*run)()) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(st->standardIcon(icon));
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        b->setContextMenuPolicy(Qt::ActionsContextMenu);
        b->addActions(movimentos_);
        connect(b, &QToolButton::clicked, this, [this, run] { executa([this, run] { (logic_.get()->*run)(); }); });
        navegador_ << b;
        titulo->addWidget(b);
    };
    botaoNav("nbFirst", QStyle::SP_MediaSkipBackward, QStringLiteral("Primeiro"), &LancPedido::primeiro);
    botaoNav("nbPrior", QStyle::SP_MediaSeekBackward, QStringLiteral("Anterior"), &LancPedido::anterior);
    botaoNav("nbNext", QStyle::SP_MediaSeekForward, QStringLiteral("Proximo"), &LancPedido::proximo);
    botaoNav("nbLast", QStyle::SP_MediaSkipForward, QStringLiteral("Último"), &LancPedido::ultimo);
    // The pop-up menu on the window moves through the list.
    setContextMenuPolicy(Qt::ActionsContextMenu);

    child_ = new ChildWindow(this, QString::fromLatin1(kScreenCode), mnuFechar);
    connect(child_, &ChildWindow::activated, this, [this] {
        if (iniciada_)
            executa([this] { logic_->ativada(); });
    });
    connect(pgcPedido, &QTabWidget::currentChanged, this, [this](int index) { paginaTrocada(index); });
    resize(960, 660);
    atualizaTela();
    logic_->atualizaComandos();
}

TfrmLanPedido::~TfrmLanPedido()
{
    // The grids observe the datasets; they go before the logic that owns them.
    if (dbgPedido)
        dbgPedido->setModel(nullptr);
    if (dbgItens)
        dbgItens->setModel(nullptr);
    if (dbrObservacao)
        dbrObservacao->setDocument(nullptr); // the logic's document goes with the logic
    modelPedido_.reset();
    modelItens_.reset();
}

void TfrmLanPedido::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (iniciada_)
        return;
    // First activation: the session branch and, with it, the list.
    iniciada_ = true;
    QMetaObject::invokeMethod(this, [this] { executa([this] { logic_->inicia(); }); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- building

void TfrmLanPedido::executa(const std::function<void()>& run) { runGuarded(run); }

QAction* TfrmLanPedido::comando(const QString& name, const QString& text, const QKeySequence& key, const std::function<void()>& run)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    addAction(action);
    connect(action, &QAction::triggered, this, [this, run] {
        // A command acts on what the open cell editor holds, never on the row without it.
        if (commitOpenEditor(dbgItens))
            executa(run);
    });
    return action;
}

void TfrmLanPedido::montaMenus(QMenuBar* menuBar, QToolBar* toolBar)
{
    LancPedido* l = logic_.get();
    QStyle* st = style();

    QMenu* mnuOperacao = menuBar->addMenu(QStringLiteral("&Operação"));
    const std::pair<const char*, const char*> paginas[] = {{"mnuPedidos", "&Pedidos"},
                                                           {"mnuDadosGerais", "&Dados Gerais"},
                                                           {"mnuModalidade", "&Modalidade de Pgto"},
                                                           {"mnuItens", "It&ens do Pedido"},
                                                           {"mnuObservacao", "&Observação"}};
    for (int i = 0; i < kPaginasPedido; ++i) {
        QAction* a = comando(QString::fromLatin1(paginas[i].first), QString::fromUtf8(paginas[i].second), {}, [this, l, i] {
            if (pgcPedido->isTabEnabled(i))
                l->mudaPagina(PaginaPedido(i));
        });
        a->setCheckable(true);
        paginas_ << a;
    }
    // The menu lists the items before the payment page.
    mnuOperacao->addActions({paginas_[0], paginas_[1], paginas_[3], paginas_[2], paginas_[4]});
    mnuOperacao->addSeparator();
    sbtImprimir = comando(QStringLiteral("sbtImprimir"), QStringLiteral("&Imprimir..."), QKeySequence(Qt::CTRL | Qt::Key_I), [this, l] {
        if (const auto pedido = l->pedidoParaImprimir())
            ImprimePedido(DataBaseGeralPed(), pedido->cdFilial, pedido->nrPedido, this);
    });
    sbtImprimir->setEnabled(false);
    mnuConfImpressora = comando(QStringLiteral("mnuConfImpressora"), QStringLiteral("&Configurar Impressora..."), QKeySequence(Qt::CTRL | Qt::Key_F),
                                [] { dialogs().printerSetup(); });
    mnuFechar = comando(QStringLiteral("mnuFechar"), QStringLiteral("Fecha&r"), QKeySequence(Qt::CTRL | Qt::Key_F4), [this] { fecha(); });
    mnuOperacao->addActions({sbtImprimir, mnuConfImpressora});
    mnuOperacao->addSeparator();
    mnuOperacao->addAction(mnuFechar);

    QMenu* mnuManutencao = menuBar->addMenu(QStringLiteral("&Manutenção"));
    auto acao = [&](QAction*& a, const char* name, const QString& text, const QKeySequence& key, QStyle::StandardPixmap icon,
                    const std::function<void()>& run) {
        a = comando(QString::fromLatin1(name), text, key, run);
        a->setIcon(st->standardIcon(icon));
        mnuManutencao->addAction(a);
        toolBar->addAction(a);
    };
    acao(sbtIncluir, "sbtIncluir", QStringLiteral("&Incluir"), Qt::Key_F2, QStyle::SP_FileIcon, [l] { l->incluir(); });
    acao(sbtAlterar, "sbtAlterar", QStringLiteral("&Alterar"), Qt::Key_F3, QStyle::SP_FileDialogDetailedView, [l] { l->alterar(); });
    acao(sbtExcluir, "sbtExcluir", QStringLiteral("&Excluir"), Qt::Key_F4, QStyle::SP_TrashIcon, [l] { l->excluir(); });
    acao(sbtProcurar, "sbtProcurar", QStringLiteral("&Procurar"), Qt::Key_F7, QStyle::SP_FileDialogContentsView, [l] { l->procurar(); });
    acao(sbtAtualizar, "sbtAtualizar", QStringLiteral("A&tualizar"), Qt::Key_F5, QStyle::SP_BrowserReload, [l] { l->atualizar(); });
    sbtAtualizar->setToolTip(QStringLiteral("Atualizar"));
    acao(sbtCancelar, "sbtCancelar", QStringLiteral("&Cancelar"), Qt::Key_Escape, QStyle::SP_DialogCancelButton, [l] { l->cancelar(); });
    acao(sbtConfirmar, "sbtConfirmar", QStringLiteral("Co&nfirmar\tCtrl+Enter"), {}, QStyle::SP_DialogApplyButton, [l] { l->confirmar(); });
    sbtConfirmar->setShortcuts(confirmShortcuts());
    sbtConfirmar->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    sbtConfirmar->setIconText(QStringLiteral("Confirmar"));
    acao(sbtFiltrar, "sbtFiltrar", QStringLiteral("&Filtrar"), QKeySequence(Qt::CTRL | Qt::Key_L), QStyle::SP_FileDialogListView,
         [l] { l->filtrar(); });
    acao(sbtConsultaProd, "sbtConsultaProd", QStringLiteral("Consulta P&roduto"), QKeySequence(Qt::CTRL | Qt::Key_P), QStyle::SP_FileDialogInfoView,
         [this, l] {
             if (sbtConsultaProd->isEnabled())
                 ConsultaProdutos(*l, this);
         });
    sbtImprimir->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    toolBar->addAction(sbtImprimir);
    QAction* sbtAjuda = comando(QStringLiteral("sbtAjuda"), QStringLiteral("Aj&uda"), {},
                                [] { dialogs().info(msgMensagensPadroes().Msg(QStringLiteral("sem_ajuda"))); });
    sbtAjuda->setIcon(st->standardIcon(QStyle::SP_DialogHelpButton));
    toolBar->addAction(sbtAjuda);
    mnuFechar->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    toolBar->addAction(mnuFechar);
    for (QAction* a : {sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtAtualizar, sbtCancelar, sbtConfirmar, sbtFiltrar, sbtConsultaProd})
        a->setEnabled(false);

    comando(QStringLiteral("actFilial"), QString(), Qt::Key_F12, [l] { l->focaFilial(); });
    movimentos_ << comando(QStringLiteral("mnuPrimeiro"), QStringLiteral("Primeiro"), QKeySequence(Qt::CTRL | Qt::Key_Home), [l] { l->primeiro(); })
                << comando(QStringLiteral("mnuAnterior"), QStringLiteral("Anterior"), QKeySequence(Qt::CTRL | Qt::Key_Up), [l] { l->anterior(); })
                << comando(QStringLiteral("mnuProximo"), QStringLiteral("Proximo"), QKeySequence(Qt::CTRL | Qt::Key_Down), [l] { l->proximo(); })
                << comando(QStringLiteral("mnuUltimo"), QStringLiteral("Último"), QKeySequence(Qt::CTRL | Qt::Key_End), [l] { l->ultimo(); });

    QMenu* mnuAjuda = menuBar->addMenu(QStringLiteral("Aj&uda"));
    mnuAjuda->addAction(sbtAjuda);

    const bool marca = GetPersonal(3) == QLatin1String("S");
    for (QAction* a : {sbtIncluir, sbtAlterar, sbtExcluir, sbtConfirmar})
        a->setProperty("personal", marca);
}

QLineEdit* TfrmLanPedido::edit(const QString& name, ControlePedido c, bool readOnly)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    if (readOnly) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    } else {
        e->installEventFilter(this);
    }
    if (c != ControlePedido::Nenhum)
        controles_.insert(int(c), e);
    return e;
}

QToolButton* TfrmLanPedido::botaoPesquisa(const QString& name, void (LancPedido::*run)())
{
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(QStringLiteral("..."));
    b->setToolTip(QStringLiteral("Pesquisar (F9)"));
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this, [this, run] {
        CheckGuard guard; // the field the focus leaves for the dialog is not being left
        executa([this, run] { (logic_.get()->*run)(); });
    });
    return b;
}

void TfrmLanPedido::liga(QLineEdit* e, QString TelaPedido::*campo, void (LancPedido::*mudou)(), bool digitos)
{
    campos_.insert(e, campo);
    connect(e, &QLineEdit::textEdited, this, [this, e, campo, mudou, digitos](const QString& text) {
        logic_->tela.*campo = digitos ? semLiterais(text) : text;
        if (mudou)
            executa([this, mudou] { (logic_.get()->*mudou)(); });
    });
}

QWidget* TfrmLanPedido::montaFilial()
{
    grpFilial = new QGroupBox(this);
    grpFilial->setObjectName(QStringLiteral("grpFilial"));
    auto* h = new QHBoxLayout(grpFilial);
    QLineEdit* medFilial = edit(QStringLiteral("medFilial"), ControlePedido::Filial);
    medFilial->setMaxLength(4);
    medFilial->setMaximumWidth(medFilial->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    liga(medFilial, &TelaPedido::filial, &LancPedido::filialMudou);
    edtNmFilial = edit(QStringLiteral("edtNmFilial"), ControlePedido::Nenhum, true);
    LancPedido* l = logic_.get();
    handlers_[medFilial] = {[l] { l->entraFilial(); },
                            [this, l] {
                                l->saiFilial();
                                // Leaving the whole branch area opens the filter for the branch.
                                QWidget* next = QApplication::focusWidget();
                                if (!next || !grpFilial->isAncestorOf(next))
                                    l->saiAreaFilial();
                            },
                            [l] { l->pesquisaFilial(); }, nullptr};
    h->addWidget(rotulo(QStringLiteral("Filial"), medFilial, grpFilial));
    h->addWidget(medFilial);
    h->addWidget(botaoPesquisa(QStringLiteral("btnFilial"), &LancPedido::pesquisaFilial));
    h->addWidget(edtNmFilial, 1);
    lblPeriodo = new QLabel(grpFilial);
    lblPeriodo->setObjectName(QStringLiteral("lblPeriodo"));
    h->addWidget(lblPeriodo);
    return grpFilial;
}

QWidget* TfrmLanPedido::montaLista()
{
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    dbgPedido = new QTableView(page);
    dbgPedido->setObjectName(QStringLiteral("dbgPedido"));
    dbgPedido->setEditTriggers(QAbstractItemView::NoEditTriggers);
    modelPedido_ = std::make_unique<DatasetModel>(logic_->qryPedido);
    bindGrid(dbgPedido, modelPedido_.get());
    dbgPedido->setItemDelegate(new PedidoGradeDelegate(modelPedido_.get(), dbgPedido));
    sizeColumnsToFields(dbgPedido, modelPedido_.get());
    dbgPedido->horizontalHeader()->setStretchLastSection(true);
    dbgPedido->installEventFilter(this);
    controles_.insert(int(ControlePedido::GradePedidos), dbgPedido);
    connect(dbgPedido, &QTableView::doubleClicked, this, [this] {
        if (pgcPedido->isTabEnabled(kPagina(PaginaPedido::DadosGerais)))
            executa([this] { logic_->mudaPagina(PaginaPedido::DadosGerais); });
    });
    v->addWidget(dbgPedido);
    return page;
}

QWidget* TfrmLanPedido::montaDadosGerais()
{
    auto* page = new QWidget(this);
    auto* g = new QGridLayout(page);
    LancPedido* l = logic_.get();
    edtNrPedido = edit(QStringLiteral("edtNrPedido"), ControlePedido::Nenhum, true);
    QLineEdit* medDataPedido = edit(QStringLiteral("medDataPedido"), ControlePedido::DataPedido);
    medDataPedido->setInputMask(QStringLiteral("99/99/9999;_"));
    liga(medDataPedido, &TelaPedido::dataPedido, &LancPedido::dataPedidoMudou);
    handlers_[medDataPedido] = {nullptr, [l] { l->saiDataPedido(); }, nullptr,
                                [this] { controle(ControlePedido::Cliente)->setFocus(Qt::TabFocusReason); }};
    QLineEdit* medCliente = edit(QStringLiteral("medCliente"), ControlePedido::Cliente);
    medCliente->setMinimumWidth(medCliente->fontMetrics().horizontalAdvance(QStringLiteral("00.000.000/0000-000")) + 12);
    liga(medCliente, &TelaPedido::cliente, &LancPedido::clienteMudou, true);
    handlers_[medCliente] = {[this, l] {
                                 l->entraCliente();
                                 atualizaTela();
                             },
                             [l] { l->saiCliente(); }, [l] { l->pesquisaCliente(); }, nullptr};
    edtNmCliente = edit(QStringLiteral("edtNmCliente"), ControlePedido::Nenhum, true);
    QLineEdit* edtVendedor = edit(QStringLiteral("edtVendedor"), ControlePedido::Vendedor, true);
    edtNmVendedor = edit(QStringLiteral("edtNmVendedor"), ControlePedido::Nenhum, true);
    QLineEdit* edtTipoOper = edit(QStringLiteral("edtTipoOper"), ControlePedido::TipoOper);
    edtTipoOper->setMaxLength(2);
    liga(edtTipoOper, &TelaPedido::tipoOper, &LancPedido::tipoOperMudou);
    handlers_[edtTipoOper] = {nullptr, [l] { l->saiTipoOper(); }, [l] { l->pesquisaTipoOper(); }, [] {}};
    edtNmTipoOper = edit(QStringLiteral("edtNmTipoOper"), ControlePedido::Nenhum, true);
    QLineEdit* medDataEntrega = edit(QStringLiteral("medDataEntrega"), ControlePedido::DataEntrega);
    medDataEntrega->setInputMask(QStringLiteral("99/99/9999;_"));
    liga(medDataEntrega, &TelaPedido::dataEntrega, &LancPedido::dataEntregaMudou);
    handlers_[medDataEntrega] = {nullptr, [l] { l->saiDataEntrega(); }, nullptr, nullptr};

    QToolButton* btnCliente = botaoPesquisa(QStringLiteral("btnCliente"), &LancPedido::pesquisaCliente);
    QToolButton* btnTipoOper = botaoPesquisa(QStringLiteral("btnTipoOper"), &LancPedido::pesquisaTipoOper);
    int row = 0;
    g->addWidget(rotulo(QStringLiteral("Número"), edtNrPedido, page), row, 0);
    g->addWidget(edtNrPedido, row, 1);
    g->addWidget(rotulo(QStringLiteral("Data Pedido"), medDataPedido, page), row, 3);
    g->addWidget(medDataPedido, row++, 4);
    g->addWidget(rotulo(QStringLiteral("Cliente"), medCliente, page), row, 0);
    g->addWidget(medCliente, row, 1);
    g->addWidget(btnCliente, row, 2);
    g->addWidget(edtNmCliente, row++, 3, 1, 2);
    g->addWidget(rotulo(QStringLiteral("Vendedor"), edtVendedor, page), row, 0);
    g->addWidget(edtVendedor, row, 1);
    g->addWidget(edtNmVendedor, row++, 3, 1, 2);
    g->addWidget(rotulo(QStringLiteral("Tipo de Operação"), edtTipoOper, page), row, 0);
    g->addWidget(edtTipoOper, row, 1);
    g->addWidget(btnTipoOper, row, 2);
    g->addWidget(edtNmTipoOper, row++, 3, 1, 2);
    g->addWidget(rotulo(QStringLiteral("Data Entrega"), medDataEntrega, page), row, 0);
    g->addWidget(medDataEntrega, row++, 1);

    auto* grpPrioridade = new QGroupBox(QStringLiteral("Prioridade"), page);
    grpPrioridade->setObjectName(QStringLiteral("grpPrioridade"));
    auto* hp = new QHBoxLayout(grpPrioridade);
    auto* grupo = new QButtonGroup(this);
    const std::tuple<const char*, const char*, Prioridade> prios[] = {
        {"rbtNormal", "Normal", Prioridade::Normal}, {"rbtAlta", "Alta", Prioridade::Alta}, {"rbtUrgente", "Urgente", Prioridade::Urgente}};
    for (const auto& [name, text, prio] : prios) {
        auto* r = new QRadioButton(QString::fromLatin1(text), grpPrioridade);
        r->setObjectName(QString::fromLatin1(name));
        grupo->addButton(r);
        hp->addWidget(r);
        prioridades_.insert(int(prio), r);
        const Prioridade p = prio;
        connect(r, &QRadioButton::clicked, this, [this, l, p] { executa([l, p] { l->prioridadeClicada(p); }); });
    }
    controles_.insert(int(ControlePedido::Prioridade), prioridades_.value(int(Prioridade::Normal)));
    g->addWidget(grpPrioridade, row++, 0, 1, 5);
    for (QLineEdit* e : {medDataPedido, medDataEntrega})
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12);
    // Codes keep the width of what they hold; the names take the rest.
    medCliente->setMaximumWidth(medCliente->minimumWidth());
    for (QLineEdit* e : {edtNrPedido, edtVendedor, edtTipoOper})
        e->setMaximumWidth(medCliente->minimumWidth());
    g->setColumnStretch(4, 1);
    g->setRowStretch(row, 1);
    cabecalho_ << medDataPedido << medCliente << btnCliente << edtTipoOper << btnTipoOper << medDataEntrega << grpPrioridade;
    return page;
}

QWidget* TfrmLanPedido::montaModalidade()
{
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    LancPedido* l = logic_.get();

    auto* grpMod = new QGroupBox(QStringLiteral("Modalidade de Pagamento"), page);
    auto* gm = new QGridLayout(grpMod);
    QLineEdit* edtCdModPgto = edit(QStringLiteral("edtCdModPgto"), ControlePedido::CdModPgto);
    edtCdModPgto->setMaxLength(5);
    liga(edtCdModPgto, &TelaPedido::cdModPgto, &LancPedido::cdModPgtoMudou);
    handlers_[edtCdModPgto] = {nullptr, [l] { l->saiCdModPgto(); }, [l] { l->pesquisaModPgto(); },
                               [this] { controle(ControlePedido::PrcBase)->setFocus(Qt::TabFocusReason); }};
    edtDsModPgto = edit(QStringLiteral("edtDsModPgto"), ControlePedido::Nenhum, true);
    QToolButton* btnModPgto = botaoPesquisa(QStringLiteral("btnModPgto"), &LancPedido::pesquisaModPgto);
    gm->addWidget(edtCdModPgto, 0, 0);
    gm->addWidget(btnModPgto, 0, 1);
    gm->addWidget(edtDsModPgto, 0, 2);
    gm->setColumnStretch(2, 1);
    v->addWidget(grpMod);

    auto* grpPrc = new QGroupBox(QStringLiteral("Preço Base"), page);
    auto* gp = new QGridLayout(grpPrc);
    QLineEdit* edtPrcBase = edit(QStringLiteral("edtPrcBase"), ControlePedido::PrcBase);
    edtPrcBase->setMaxLength(2);
    liga(edtPrcBase, &TelaPedido::cdPrcBase, &LancPedido::prcBaseMudou);
    handlers_[edtPrcBase] = {nullptr, [l] { l->saiPrcBase(); }, [l] { l->pesquisaPrcBase(); },
                             [this] { controle(ControlePedido::CdModPgto)->setFocus(Qt::TabFocusReason); }};
    edtDsPrcBase = edit(QStringLiteral("edtDsPrcBase"), ControlePedido::Nenhum, true);
    QToolButton* btnPrcBase = botaoPesquisa(QStringLiteral("btnPrcBase"), &LancPedido::pesquisaPrcBase);
    gp->addWidget(edtPrcBase, 0, 0);
    gp->addWidget(btnPrcBase, 0, 1);
    gp->addWidget(edtDsPrcBase, 0, 2);
    gp->setColumnStretch(2, 1);
    v->addWidget(grpPrc);

    // The terms come from the method: nothing here is typed.
    auto* grpForma = new QGroupBox(QStringLiteral("Forma de Pagamento"), page);
    grpForma->setObjectName(QStringLiteral("rdgFormaPgto"));
    auto* vf = new QVBoxLayout(grpForma);
    const std::pair<const char*, const char*> formas[] = {
        {"rbtAVista", "À Vista"}, {"rbtFixo", "Pagamento Fixo no Dia"}, {"rbtForma", "Pela Forma de Pagamento"}};
    for (const auto& [name, text] : formas) {
        auto* r = new QRadioButton(QString::fromUtf8(text), grpForma);
        r->setObjectName(QString::fromLatin1(name));
        r->setEnabled(false);
        rdgFormaPgto_ << r;
        vf->addWidget(r);
    }
    auto* termos = new QHBoxLayout;
    QLineEdit* edtDiaFixo = edit(QStringLiteral("edtDiaFixo"), ControlePedido::DiaFixo);
    edtDiaFixo->setEnabled(false);
    edtDiaFixo->setMaximumWidth(edtDiaFixo->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    liga(edtDiaFixo, &TelaPedido::diaFixo, &LancPedido::diaFixoMudou, true);
    handlers_[edtDiaFixo] = {nullptr, [l] { l->saiDiaFixo(); }, nullptr, nullptr};
    lblCom = new QLabel(QStringLiteral("com"), grpForma);
    edtParcelas = edit(QStringLiteral("edtParcelas"), ControlePedido::Nenhum, true);
    edtParcelas->setEnabled(false);
    edtParcelas->setMaximumWidth(edtDiaFixo->maximumWidth());
    lblParcelas = new QLabel(QStringLiteral("Parcela(s)"), grpForma);
    lblAbre = new QLabel(QStringLiteral("("), grpForma);
    chkProxMes = new QCheckBox(QStringLiteral("1ª Próximo Mês )"), grpForma);
    chkProxMes->setObjectName(QStringLiteral("chkProxMes"));
    chkProxMes->setEnabled(false);
    termos->addWidget(rotulo(QStringLiteral("Dia do Pagamento Fixo"), edtDiaFixo, grpForma));
    termos->addWidget(edtDiaFixo);
    termos->addWidget(lblCom);
    termos->addWidget(edtParcelas);
    termos->addWidget(lblParcelas);
    termos->addWidget(lblAbre);
    termos->addWidget(chkProxMes);
    termos->addStretch(1);
    vf->addLayout(termos);
    auto* forma = new QHBoxLayout;
    edtCdFormPgto = edit(QStringLiteral("edtCdFormPgto"), ControlePedido::Nenhum, true);
    edtCdFormPgto->setMaximumWidth(edtDiaFixo->maximumWidth());
    edtNmFormPgto = edit(QStringLiteral("edtNmFormPgto"), ControlePedido::Nenhum, true);
    forma->addWidget(edtCdFormPgto);
    forma->addWidget(edtNmFormPgto, 1);
    vf->addLayout(forma);
    v->addWidget(grpForma);
    v->addStretch(1);
    cabecalho_ << edtCdModPgto << btnModPgto << edtPrcBase << btnPrcBase;
    return page;
}

QWidget* TfrmLanPedido::montaItens()
{
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    dbgItens = new QTableView(page);
    dbgItens->setObjectName(QStringLiteral("dbgItemPedido"));
    dbgItens->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    dbgItens->setSelectionBehavior(QAbstractItemView::SelectItems);
    dbgItens->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgItens->setTabKeyNavigation(true);
    Query& itens = logic_->qryItemPedido;
    modelItens_ = std::make_unique<ItemModel>(itens);
    modelItens_->setEditable(true);
    bindGrid(dbgItens, modelItens_.get());
    auto* delegate = new ItemGradeDelegate(modelItens_.get(), logic_.get(), dbgItens);
    delegate->aoEnter = [this] {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        teclaGradeItens(&enter);
    };
    delegate->aoPesquisar = [this] {
        CheckGuard guard;
        executa([this] { logic_->pesquisaProduto(); });
    };
    dbgItens->setItemDelegate(delegate);
    sizeColumnsToFields(dbgItens, modelItens_.get());
    dbgItens->horizontalHeader()->setStretchLastSection(true);
    dbgItens->installEventFilter(this);
    controles_.insert(int(ControlePedido::GradeItens), dbgItens);
    // The line value shows before the delivery.
    auto ordena = [this] {
        QHeaderView* h = dbgItens->horizontalHeader();
        const int total = modelItens_->columnOf(QStringLiteral("VrTotal"));
        const int entrega = modelItens_->columnOf(QStringLiteral("DTENTITPED"));
        if (total >= 0 && entrega >= 0 && h->visualIndex(total) > h->visualIndex(entrega))
            h->moveSection(h->visualIndex(total), h->visualIndex(entrega));
    };
    connect(modelItens_.get(), &QAbstractItemModel::modelReset, this, ordena);
    connect(modelItens_.get(), &QAbstractItemModel::columnsInserted, this, ordena);
    ordena();
    // Leaving a column runs its checks and keeps the discount's two forms in step.
    connect(dbgItens->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& now, const QModelIndex& before) {
        if (!before.isValid() || now.column() == before.column() || trocandoColuna_)
            return;
        const ColunaItem saiu = colunaDoCampo(modelItens_->fieldAt(before.column()).fieldName());
        CheckGuard guard;
        if (!guard.busy())
            executa([this, saiu] { logic_->saiColunaItem(saiu); });
    });
    v->addWidget(dbgItens, 1);

    auto* totais = new QHBoxLayout;
    auto total = [&](QLineEdit*& e, const char* name, const QString& label) {
        e = edit(QString::fromLatin1(name), ControlePedido::Nenhum, true);
        e->setAlignment(Qt::AlignRight);
        totais->addWidget(rotulo(label, e, page));
        totais->addWidget(e);
    };
    total(edtTotBruto, "edtTotBruto", QStringLiteral("Tot. Bruto"));
    total(edtTotLiq, "edtTotLiq", QStringLiteral("Tot. Líq."));
    total(edtDescMed, "edtDescMed", QStringLiteral("Desc. Méd."));
    total(edtDescTotal, "edtDescTotal", QStringLiteral("Desc. Total"));
    v->addLayout(totais);
    return page;
}

QWidget* TfrmLanPedido::montaObservacao()
{
    auto* page = new QWidget(this);
    auto* v = new QVBoxLayout(page);
    dbrObservacao = new QTextEdit(page);
    dbrObservacao->setObjectName(QStringLiteral("dbrObservacao"));
    dbrObservacao->setDocument(&logic_->docObservacao);
    dbrObservacao->setAcceptRichText(true);
    controles_.insert(int(ControlePedido::Observacao), dbrObservacao);

    // The formatting bar.
    auto* barra = new QToolBar(page);
    barra->setObjectName(QStringLiteral("tbrObservacao"));
    QTextEdit* ed = dbrObservacao;
    auto botao = [&](const char* name, const QString& text, const QString& hint, const std::function<void()>& run) {
        QAction* a = barra->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, [this, run] { executa(run); });
        obsBotoes_ << a;
        return a;
    };
    QAction* recortar = botao("sbtRecortar", QStringLiteral("Recortar"), QStringLiteral("Recortar"), [ed] { ed->cut(); });
    recortar->setVisible(false);
    botao("sbtCopiar", QStringLiteral("Copiar"), QStringLiteral("Copiar"), [ed] { ed->copy(); });
    botao("sbtColar", QStringLiteral("Colar"), QStringLiteral("Colar"), [ed] { ed->paste(); });
    botao("sbtVoltar", QStringLiteral("Voltar"), QStringLiteral("Voltar"), [ed] { ed->undo(); });
    auto* fonte = new QFontComboBox(barra);
    fonte->setObjectName(QStringLiteral("cbbFonte"));
    fonte->setToolTip(QStringLiteral("Fonte"));
    barra->addWidget(fonte);
    connect(fonte, &QFontComboBox::currentFontChanged, this, [ed](const QFont& f) { ed->setFontFamily(f.family()); });
    auto* tamanho = new QComboBox(barra);
    tamanho->setObjectName(QStringLiteral("cbbTamanho"));
    tamanho->setToolTip(QStringLiteral("Tamanho"));
    for (int t : {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36})
        tamanho->addItem(QString::number(t));
    tamanho->setCurrentText(QStringLiteral("10"));
    barra->addWidget(tamanho);
    connect(tamanho, &QComboBox::textActivated, this, [ed](const QString& t) { ed->setFontPointSize(t.toDouble()); });
    auto alterna = [&](const char* name, const QString& text, const QString& hint, const std::function<void(bool)>& run) {
        QAction* a = botao(name, text, hint, {});
        a->setCheckable(true);
        disconnect(a, &QAction::triggered, this, nullptr);
        connect(a, &QAction::toggled, this, [run](bool on) { run(on); });
        return a;
    };
    alterna("sbtNegrito", QStringLiteral("N"), QStringLiteral("Negrito"), [ed](bool on) { ed->setFontWeight(on ? QFont::Bold : QFont::Normal); });
    alterna("sbtItalico", QStringLiteral("I"), QStringLiteral("Itálico"), [ed](bool on) { ed->setFontItalic(on); });
    alterna("sbtSublinhado", QStringLiteral("S"), QStringLiteral("Sublinhado"), [ed](bool on) { ed->setFontUnderline(on); });
    botao("sbtEsquerda", QStringLiteral("Esq."), QStringLiteral("Alinhar à esquerda"), [ed] { ed->setAlignment(Qt::AlignLeft); });
    botao("sbtCentro", QStringLiteral("Centro"), QStringLiteral("Alinhar centralizado"), [ed] { ed->setAlignment(Qt::AlignHCenter); });
    botao("sbtDireita", QStringLiteral("Dir."), QStringLiteral("Alinhar à direita"), [ed] { ed->setAlignment(Qt::AlignRight); });
    botao("sbtNumerador", QStringLiteral("•"), QStringLiteral("Numerador"), [ed] {
        QTextCursor c = ed->textCursor();
        if (QTextList* lista = c.currentList()) {
            QTextBlockFormat f = c.blockFormat();
            lista->remove(c.block());
            f.setIndent(0);
            c.setBlockFormat(f);
        } else {
            c.createList(QTextListFormat::ListDisc);
        }
    });
    botao("sbtCores", QStringLiteral("Cores"), QStringLiteral("Cores"), [this, ed] {
        const QColor c = QColorDialog::getColor(ed->textColor(), this, QStringLiteral("Cores"));
        if (c.isValid())
            ed->setTextColor(c);
    });
    v->addWidget(barra);
    v->addWidget(dbrObservacao, 1);

    auto* botoes = new QHBoxLayout;
    auto* btnImportar = new QToolButton(page);
    btnImportar->setObjectName(QStringLiteral("btnImportar"));
    btnImportar->setText(QStringLiteral("Importar"));
    btnImportar->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(btnImportar);
    LancPedido* l = logic_.get();
    QAction* deArquivo = menu->addAction(QStringLiteral("Importar de Arquivo..."));
    deArquivo->setObjectName(QStringLiteral("mnuImportaArquivo"));
    connect(deArquivo, &QAction::triggered, this, [this, l] { executa([l] { l->importaArquivo(); }); });
    QAction* dePedido = menu->addAction(QStringLiteral("De outro Pedido..."));
    dePedido->setObjectName(QStringLiteral("mnuImportaPedido"));
    connect(dePedido, &QAction::triggered, this, [this, l] { executa([l] { l->importaDeOutroPedido(); }); });
    btnImportar->setMenu(menu);
    auto* btnSalvar = new QToolButton(page);
    btnSalvar->setObjectName(QStringLiteral("btnSalvar"));
    btnSalvar->setText(QStringLiteral("Salvar"));
    connect(btnSalvar, &QToolButton::clicked, this, [this, l] { executa([l] { l->salvaArquivo(); }); });
    botoes->addWidget(btnImportar);
    botoes->addWidget(btnSalvar);
    botoes->addStretch(1);
    v->addLayout(botoes);
    obsArea_ << barra << btnImportar << btnSalvar;
    return page;
}

// ---------------------------------------------------------------- PedidoView

PaginaPedido TfrmLanPedido::paginaAtual() const { return PaginaPedido(pgcPedido->currentIndex()); }

void TfrmLanPedido::mostraPagina(PaginaPedido pagina)
{
    trocandoPagina_ = true;
    pgcPedido->setTabEnabled(kPagina(pagina), true);
    pgcPedido->setCurrentIndex(kPagina(pagina));
    trocandoPagina_ = false;
    for (int i = 0; i < paginas_.size(); ++i)
        paginas_[i]->setChecked(i == kPagina(pagina));
}

ControlePedido TfrmLanPedido::controleComFoco() const
{
    QWidget* focus = QApplication::focusWidget();
    for (auto it = controles_.constBegin(); it != controles_.constEnd(); ++it)
        if (it.value() == focus)
            return ControlePedido(it.key());
    return ControlePedido::Nenhum;
}

void TfrmLanPedido::foca(ControlePedido c)
{
    QWidget* w = controle(c);
    if (!w)
        return;
    for (int i = 0; i < pgcPedido->count(); ++i) {
        if (pgcPedido->widget(i)->isAncestorOf(w) && pgcPedido->currentIndex() != i) {
            trocandoPagina_ = true;
            pgcPedido->setCurrentIndex(i);
            trocandoPagina_ = false;
        }
    }
    w->setFocus(Qt::OtherFocusReason);
}

void TfrmLanPedido::habilitaComandos(const ComandosPedido& c)
{
    sbtIncluir->setEnabled(c.incluir);
    sbtAlterar->setEnabled(c.alterar);
    sbtExcluir->setEnabled(c.excluir);
    sbtProcurar->setEnabled(c.procurar);
    sbtAtualizar->setEnabled(c.atualizar);
    sbtCancelar->setEnabled(c.cancelar);
    sbtConfirmar->setEnabled(c.confirmar);
    sbtFiltrar->setEnabled(c.filtrar);
    sbtConsultaProd->setEnabled(c.consultaProduto);
    sbtImprimir->setEnabled(c.imprimir);
    for (QToolButton* b : navegador_)
        b->setEnabled(c.navegador);
    for (QAction* a : movimentos_)
        a->setEnabled(c.navegador);
    for (int i = 0; i < kPaginasPedido; ++i) {
        pgcPedido->setTabEnabled(i, c.paginas[i] || pgcPedido->currentIndex() == i);
        paginas_[i]->setEnabled(c.paginas[i]);
        paginas_[i]->setChecked(pgcPedido->currentIndex() == i);
    }
    grpFilial->setEnabled(c.areaFilial);
    for (QWidget* w : cabecalho_)
        w->setEnabled(c.cabecalho);
    modelItens_->setEditable(c.gradeItens);
}

void TfrmLanPedido::poeTexto(QLineEdit* e, const QString& text)
{
    // The edit being typed in keeps its cursor when nothing changed.
    if (!e->inputMask().isEmpty()) {
        if (semLiterais(e->text()) != semLiterais(text) || (!e->hasFocus() && e->text() != text))
            e->setText(text);
        return;
    }
    if (e->text() != text)
        e->setText(text);
}

void TfrmLanPedido::atualizaTela()
{
    const TelaPedido& t = logic_->tela;
    poeTexto(static_cast<QLineEdit*>(controle(ControlePedido::Filial)), t.filial);
    poeTexto(edtNmFilial, t.nmFilial);
    lblPeriodo->setVisible(t.periodoVisivel);
    lblPeriodo->setText(QStringLiteral("Período de: %1 até %2").arg(t.periodoDe, t.periodoAte));
    lblDsPedido->setText(t.titulo);
    QPalette p = lblDsPedido->palette();
    p.setColor(QPalette::WindowText, t.exportado ? kVerdeAzulado : kAzul);
    lblDsPedido->setPalette(p);

    poeTexto(edtNrPedido, t.nrPedido);
    poeTexto(static_cast<QLineEdit*>(controle(ControlePedido::DataPedido)), t.dataPedido);
    auto* cliente = static_cast<QLineEdit*>(controle(ControlePedido::Cliente));
    const QString mascara = QtInputMask(t.mascaraCliente);
    if (cliente->inputMask() != mascara && !(cliente->hasFocus() && semLiterais(cliente->text()) == t.cliente && mascara.isEmpty())) {
        cliente->setInputMask(mascara);
        cliente->setText(t.cliente);
    }
    poeTexto(cliente, t.cliente);
    poeTexto(edtNmCliente, t.nmCliente);
    poeTexto(static_cast<QLineEdit*>(controle(ControlePedido::Vendedor)), t.vendedor);
    poeTexto(edtNmVendedor, t.nmVendedor);
    poeTexto(static_cast<QLineEdit*>(controle(ControlePedido::TipoOper)), t.tipoOper);
    poeTexto(edtNmTipoOper, t.nmTipoOper);
    poeTexto(static_cast<QLineEdit*>(controle(ControlePedido::DataEntrega)), t.dataEntrega);
    if (QRadioButton* r = prioridades_.value(int(t.prioridade)))
        r->setChecked(true);

    poeTexto(static_cast<QLineEdit*>(controle(ControlePedido::CdModPgto)), t.cdModPgto);
    poeTexto(edtDsModPgto, t.dsModPgto);
    poeTexto(static_cast<QLineEdit*>(controle(ControlePedido::PrcBase)), t.cdPrcBase);
    poeTexto(edtDsPrcBase, t.dsPrcBase);
    if (t.formaPgto >= 0 && t.formaPgto < rdgFormaPgto_.size())
        rdgFormaPgto_[t.formaPgto]->setChecked(true);
    poeTexto(static_cast<QLineEdit*>(controle(ControlePedido::DiaFixo)), t.diaFixo);
    poeTexto(edtParcelas, t.parcelas);
    chkProxMes->setChecked(t.proxMes);
    lblCom->setEnabled(t.termos);
    lblParcelas->setEnabled(t.termos);
    lblAbre->setEnabled(t.termos);
    poeTexto(edtCdFormPgto, t.cdFormPgto);
    poeTexto(edtNmFormPgto, t.nmFormPgto);

    poeTexto(edtTotBruto, t.totBruto);
    poeTexto(edtTotLiq, t.totLiq);
    poeTexto(edtDescMed, t.descMed);
    poeTexto(edtDescTotal, t.descTotal);
    mostraObservacao();
}

void TfrmLanPedido::mostraObservacao()
{
    // An exported order's observation, or none at all, is only read.
    const bool leitura = logic_->observacaoSomenteLeitura() || (logic_->listaVazia() && !logic_->pedidoEditando());
    dbrObservacao->setReadOnly(leitura);
    for (QWidget* w : obsArea_)
        w->setEnabled(!leitura);
}

void TfrmLanPedido::procura(Query& dataset) { Procura(dataset, this); }

ColunaItem TfrmLanPedido::colunaItem() const
{
    const QModelIndex i = dbgItens->currentIndex();
    return i.isValid() ? colunaDoCampo(modelItens_->fieldAt(i.column()).fieldName()) : ColunaItem::Produto;
}

void TfrmLanPedido::focaColunaItem(ColunaItem coluna)
{
    if (pgcPedido->currentIndex() != kPagina(PaginaPedido::Itens)) {
        trocandoPagina_ = true;
        pgcPedido->setCurrentIndex(kPagina(PaginaPedido::Itens));
        trocandoPagina_ = false;
    }
    const int col = modelItens_->columnOf(QString::fromLatin1(kCamposItem[int(coluna)]));
    const int row = std::max(0, logic_->qryItemPedido.recNo() - 1);
    if (col >= 0 && row < modelItens_->rowCount()) {
        // Moving there is the program's own move: no column-exit checks.
        trocandoColuna_ = true;
        dbgItens->setCurrentIndex(modelItens_->index(row, col));
        trocandoColuna_ = false;
    }
    dbgItens->setFocus(Qt::OtherFocusReason);
}

bool TfrmLanPedido::gradeItensAtiva() const
{
    QWidget* f = QApplication::focusWidget();
    return f && (f == dbgItens || dbgItens->isAncestorOf(f));
}

void TfrmLanPedido::precoEditavel(bool editavel)
{
    static_cast<ItemModel*>(modelItens_.get())->precoTravado = !editavel;
}

bool TfrmLanPedido::filtra(TFiltro& filtro, const std::function<void()>& reabre)
{
    const bool ok = filtro_ ? filtro_(filtro, reabre) : FiltraPedidos(filtro, reabre, this);
    update();
    return ok;
}

void TfrmLanPedido::fecha() { child_->close(); }

void TfrmLanPedido::closeEvent(QCloseEvent* e)
{
    // What is being typed is never thrown away without asking.
    bool fecha = false;
    runGuarded([&] { fecha = logic_->podeFechar(); });
    if (!fecha) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}

// ---------------------------------------------------------------- pages and keys

void TfrmLanPedido::paginaTrocada(int index)
{
    for (int i = 0; i < paginas_.size(); ++i)
        paginas_[i]->setChecked(i == index);
    if (trocandoPagina_)
        return;
    executa([this, index] { logic_->paginaMostrada(PaginaPedido(index)); });
}

bool TfrmLanPedido::eventFilter(QObject* watched, QEvent* e)
{
    if ((watched == dbgPedido || watched == dbgItens) && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier))
            return true; // no deleting from the grids
        if (watched == dbgItens)
            return teclaGradeItens(key);
        return QWidget::eventFilter(watched, e);
    }
    if (watched == dbgItens && e->type() == QEvent::FocusIn) {
        executa([this] { logic_->entraGradeItens(); });
    } else if (watched == dbgItens && e->type() == QEvent::FocusOut) {
        // Leaving the grid (not for its own cell editor) runs the checks of the column left.
        QWidget* next = QApplication::focusWidget();
        if (saiDoCampo(e, this) && !(next && dbgItens->isAncestorOf(next))) {
            const ColunaItem saiu = colunaItem();
            CheckGuard guard;
            if (!guard.busy())
                executa([this, saiu] { logic_->saiColunaItem(saiu, true); });
        }
    }
    const auto it = handlers_.constFind(watched);
    if (it == handlers_.constEnd())
        return QWidget::eventFilter(watched, e);
    const Handlers& h = *it;
    switch (e->type()) {
    case QEvent::FocusIn:
        if (h.entra)
            executa(h.entra);
        break;
    case QEvent::FocusOut: {
        if (!h.sai || !saiDoCampo(e, this))
            break;
        CheckGuard guard;
        if (!guard.busy())
            executa(h.sai);
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_F9 && key->modifiers() == Qt::NoModifier && h.f9) {
            CheckGuard guard;
            executa(h.f9);
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier && h.enter) {
            executa(h.enter);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

bool TfrmLanPedido::teclaGradeItens(const QKeyEvent* key)
{
    const ColunaItem coluna = colunaItem();
    const bool editando = logic_->itemEditando();
    const bool semModificador = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && semModificador) {
        // Enter walks right to the discount value; there it ends the line.
        if (coluna >= ColunaItem::VrDesc) {
            executa([this] { logic_->enterItem(); });
            return true;
        }
        const QModelIndex atual = dbgItens->currentIndex();
        for (int c = int(coluna) + 1; c <= int(ColunaItem::VrDesc); ++c) {
            const int col = modelItens_->columnOf(QString::fromLatin1(kCamposItem[c]));
            if (col >= 0 && !static_cast<ItemModel*>(modelItens_.get())->somenteLeitura(col)) {
                dbgItens->setCurrentIndex(modelItens_->index(std::max(0, atual.row()), col));
                return true;
            }
        }
        return true;
    }
    if (key->key() == Qt::Key_F9 && coluna == ColunaItem::Produto) {
        CheckGuard guard;
        executa([this] {
            logic_->teclaProduto(false);
            logic_->pesquisaProduto();
        });
        return true;
    }
    if (key->key() == Qt::Key_Backspace && !editando) {
        executa([this, coluna] { logic_->apagaItem(coluna); });
        return true;
    }
    if (coluna == ColunaItem::Produto && editando) {
        const bool apaga = key->key() == Qt::Key_Delete;
        executa([this, apaga] { logic_->teclaProduto(apaga); });
        if (apaga)
            return true;
    }
    if (coluna == ColunaItem::Preco && editando) {
        static const int livres[] = {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
        if (logic_->boBloqueiaPreco && std::find(std::begin(livres), std::end(livres), key->key()) == std::end(livres))
            return true;
        logic_->teclaPreco();
    }
    return false;
}

TfrmLanPedido* CriaLanctoPedido()
{
    static QPointer<TfrmLanPedido> instance;
    return criaJanela<TfrmLanPedido>(instance, true, [] { return new TfrmLanPedido; });
}

} // namespace zov
