#include "customers/ZOV00500.h"

#include "customers/mensagens.h"
#include "db/dbgeralped.h"
#include "library/child_window_qt.h"
#include "library/dataset_model.h"
#include "library/dbedit_qt.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/field_events_qt.h"
#include "library/grid.h"
#include "library/inscricao.h"
#include "library/messages.h"
#include "library/procura.h"
#include "library/shell.h"
#include "library/velmora.h"

#include <QAction>
#include <QApplication>
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
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zov {

MostraHistoricoFn& mostraHistorico()
{
    static MostraHistoricoFn f;
    return f;
}

void SetMostraHistorico(MostraHistoricoFn f) { mostraHistorico() = std::move(f); }

namespace {

constexpr int kPaginaGrade = 0;
constexpr int kPaginaFormulario = 1;

// The code column shows the number with its kind's mask; the kind column its text.
class ClienteGradeDelegate final : public QStyledItemDelegate {
public:
    ClienteGradeDelegate(DatasetModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString field = model_->fieldAt(index.column()).fieldName();
        const int colTipo = model_->columnOf(QStringLiteral("IDTPIJURINFO"));
        const QString kind = colTipo < 0 ? QString() : model_->index(index.row(), colTipo).data(Qt::EditRole).toString();
        if (field == QLatin1String("NRINSJURINFO"))
            option->text = FormataInscricao(index.data(Qt::EditRole).toString(), kind);
        else if (field == QLatin1String("IDTPIJURINFO") && model_->query().state() == DataSetState::Browse)
            option->text = CadastroCliente::textoTipo(kind);
    }

private:
    DatasetModel* model_;
};

QLabel* rotulo(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace

TfrmCliente::TfrmCliente(QWidget* parent) : JanelaManutencao(parent)
{
    setObjectName(QStringLiteral("frmCliente"));
    setWindowTitle(QStringLiteral("Cliente"));
    logic_ = std::make_unique<CadastroCliente>(DataBaseGeralPed(), static_cast<ClienteView&>(*this));
    logic_->setPesquisa(PesquisaCliente(this));

    auto* layout = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    layout->setMenuBar(menuBar);
    auto* toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    layout->addWidget(toolBar);

    pgcPadrao = new QTabWidget(this);
    pgcPadrao->setObjectName(QStringLiteral("pgcPadrao"));
    pgcPadrao->addTab(montaGrade(), QStringLiteral("Folha de Dados (Grade)"));
    pgcPadrao->addTab(montaFormulario(), QStringLiteral("Formulário"));
    pgcPadrao->widget(kPaginaGrade)->setObjectName(QStringLiteral("tshFolhaDados"));
    pgcPadrao->widget(kPaginaFormulario)->setObjectName(QStringLiteral("tshFormulario"));
    layout->addWidget(pgcPadrao, 1);

    // The navigator and the trade name of the current customer.
    auto* rodape = new QHBoxLayout;
    QStyle* st = style();
    auto botaoNav = [&](const char* name, QStyle::StandardPixmap icon, const QString& hint, void (CadastroCliente::*run)()) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(st->standardIcon(icon));
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        b->setContextMenuPolicy(Qt::ActionsContextMenu);
        connect(b, &QToolButton::clicked, this, [this, run] { executa([this, run] { (logic_.get()->*run)(); }); });
        navegador_ << b;
        rodape->addWidget(b);
    };
    botaoNav("nbFirst", QStyle::SP_MediaSkipBackward, QStringLiteral("Primeiro"), &CadastroCliente::primeiro);
    botaoNav("nbPrior", QStyle::SP_MediaSeekBackward, QStringLiteral("Anterior"), &CadastroCliente::anterior);
    botaoNav("nbNext", QStyle::SP_MediaSeekForward, QStringLiteral("Proximo"), &CadastroCliente::proximo);
    botaoNav("nbLast", QStyle::SP_MediaSkipForward, QStringLiteral("Último"), &CadastroCliente::ultimo);
    dbtNmFantClie = new QLineEdit(this);
    dbtNmFantClie->setObjectName(QStringLiteral("dbtNmFantClie"));
    dbtNmFantClie->setFrame(false);
    dbtNmFantClie->setFocusPolicy(Qt::NoFocus);
    auto* nome = new DbEdit(dbtNmFantClie, logic_->qryClientes, QStringLiteral("NMFANTCLIE"), this);
    nome->setDisplayOnly(true);
    dbEdits_ << nome;
    rodape->addWidget(dbtNmFantClie, 1);
    layout->addLayout(rodape);

    montaMenus(menuBar, toolBar);
    for (QToolButton* b : navegador_)
        b->addActions(movimentos_);
    child_ = new ChildWindow(this, QString::fromLatin1(kScreenCode), mnuFechar);
    // Coming back to the window reads the current customer's addresses again.
    connect(child_, &ChildWindow::activated, this, [this] { executa([this] { logic_->ativada(); }); });

    resize(900, 640);
    connect(pgcPadrao, &QTabWidget::currentChanged, this, [this](int index) { paginaTrocada(index); });
    logic_->inicia();
}

TfrmCliente::~TfrmCliente()
{
    // The edits observe the datasets; they go before the logic that owns them.
    qDeleteAll(dbEdits_);
    dbEdits_.clear();
    for (DbMemo* m : findChildren<DbMemo*>())
        delete m;
    if (dbgPadrao)
        dbgPadrao->setModel(nullptr);
    model_.reset();
}

// ---------------------------------------------------------------- building

void TfrmCliente::montaMenus(QMenuBar* menuBar, QToolBar* toolBar)
{
    CadastroCliente* l = logic_.get();
    QStyle* st = style();

    QMenu* mnuOperacao = menuBar->addMenu(QStringLiteral("&Operação"));
    mnuGrade = comando(QStringLiteral("mnuFolhaDados"), QStringLiteral("Folha de Dados (&Grade)"), {},
                       [this] { pgcPadrao->setCurrentIndex(kPaginaGrade); });
    mnuFormulario = comando(QStringLiteral("mnuFormulario"), QStringLiteral("&Formulário"), {},
                            [this] { pgcPadrao->setCurrentIndex(kPaginaFormulario); });
    mnuGrade->setCheckable(true);
    mnuFormulario->setCheckable(true);
    mnuGrade->setChecked(true);
    QAction* sbtImprimir =
        comando(QStringLiteral("sbtImprimir"), QStringLiteral("&Imprimir..."), QKeySequence(Qt::CTRL | Qt::Key_I), [] {});
    sbtImprimir->setEnabled(false); // there is no report of customers
    QAction* mnuConfImpressora = comando(QStringLiteral("mnuConfImpressora"), QStringLiteral("&Configurar Impressora..."),
                                         QKeySequence(Qt::CTRL | Qt::Key_F), [] { dialogs().printerSetup(); });
    QAction* mnuOrdenar = comando(QStringLiteral("mnuOrdenar"), QStringLiteral("&Ordenar"), {}, [] {});
    mnuOrdenar->setEnabled(false);
    mnuOrdenar->setVisible(false);
    mnuFechar = comando(QStringLiteral("mnuFechar"), QStringLiteral("Fecha&r"), QKeySequence(Qt::CTRL | Qt::Key_F4), [this] { fecha(); });
    mnuOperacao->addActions({mnuGrade, mnuFormulario});
    mnuOperacao->addSeparator();
    mnuOperacao->addActions({sbtImprimir, mnuConfImpressora, mnuOrdenar});
    mnuOperacao->addSeparator();
    mnuHistorico =
        comando(QStringLiteral("mnuHistorico"), QStringLiteral("&Histórico do Cliente..."), QKeySequence(Qt::CTRL | Qt::Key_H), [this, l] {
            if (mostraHistorico() && sbtAlterar->isEnabled())
                mostraHistorico()(l->qryClientes[QStringLiteral("CDCLIENTE")].asString(),
                                  l->qryClientes[QStringLiteral("NMFANTCLIE")].asString(), this);
        });
    mnuHistorico->setEnabled(false);
    mnuOperacao->addAction(mnuHistorico);
    mnuOperacao->addSeparator();
    mnuOperacao->addAction(mnuFechar);

    QMenu* mnuManutencao = menuBar->addMenu(QStringLiteral("&Manutenção"));
    auto acao = [&](QAction*& a, const char* name, const QString& text, const QKeySequence& key, QStyle::StandardPixmap icon,
                    void (CadastroCliente::*run)()) {
        a = acaoManutencao(mnuManutencao, toolBar, name, text, key, icon, [l, run] { (l->*run)(); });
    };
    acao(sbtIncluir, "sbtIncluir", QStringLiteral("&Incluir"), Qt::Key_F2, QStyle::SP_FileIcon, &CadastroCliente::incluir);
    acao(sbtAlterar, "sbtAlterar", QStringLiteral("&Alterar"), Qt::Key_F3, QStyle::SP_FileDialogDetailedView, &CadastroCliente::alterar);
    acao(sbtExcluir, "sbtExcluir", QStringLiteral("&Excluir"), Qt::Key_F4, QStyle::SP_TrashIcon, &CadastroCliente::excluir);
    acao(sbtProcurar, "sbtProcurar", QStringLiteral("&Procurar"), Qt::Key_F7, QStyle::SP_FileDialogContentsView,
         &CadastroCliente::procurar);
    acao(sbtVerificar, "sbtVerificar", QStringLiteral("A&tualizar"), Qt::Key_F5, QStyle::SP_BrowserReload, &CadastroCliente::atualizar);
    toolBar->addSeparator();
    acao(sbtCancelar, "sbtCancelar", QStringLiteral("&Cancelar"), Qt::Key_Escape, QStyle::SP_DialogCancelButton,
         &CadastroCliente::cancelar);
    acao(sbtConfirmar, "sbtConfirmar", QStringLiteral("Co&nfirmar\tCtrl+Enter"), {}, QStyle::SP_DialogApplyButton,
         &CadastroCliente::confirmar);
    sbtConfirmar->setIconText(QStringLiteral("Confirmar"));
    toolBar->addSeparator();
    sbtImprimir->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    toolBar->addAction(sbtImprimir);
    mnuFechar->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    toolBar->addAction(mnuFechar);

    // Ctrl+Enter confirms and, after an insert, starts the next customer.
    QAction* confirmaEInclui = comando(QStringLiteral("actConfirmarEIncluir"), QString(), QKeySequence(Qt::CTRL | Qt::Key_Return),
                                       [l] { l->confirmarEIncluir(); });
    confirmaEInclui->setShortcuts(confirmShortcuts());
    comando(QStringLiteral("actProximoGrupo"), QString(), Qt::Key_F12, [this] { proximoGrupo(); });

    movimentos_ << navegador([l] { l->primeiro(); }, [l] { l->anterior(); }, [l] { l->proximo(); }, [l] { l->ultimo(); });

    QMenu* mnuAjuda = menuBar->addMenu(QStringLiteral("Aj&uda"));
    mnuAjuda->addAction(
        comando(QStringLiteral("mnuConteudo"), QStringLiteral("&Conteúdo"), {}, [] { dialogs().ajuda(QString::fromLatin1(kScreenCode)); }));

    marcaEdicao({sbtIncluir, sbtAlterar, sbtExcluir, sbtConfirmar});
}

QWidget* TfrmCliente::montaGrade()
{
    auto* page = new QWidget(this);
    auto* l = new QVBoxLayout(page);
    dbgPadrao = new QTableView(page);
    dbgPadrao->setObjectName(QStringLiteral("dbgPadrao"));
    dbgPadrao->setEditTriggers(QAbstractItemView::NoEditTriggers);
    model_ = std::make_unique<DatasetModel>(logic_->qryClientes);
    bindGrid(dbgPadrao, model_.get());
    dbgPadrao->setItemDelegate(new ClienteGradeDelegate(model_.get(), dbgPadrao));
    sizeColumnsToFields(dbgPadrao, model_.get());
    dbgPadrao->horizontalHeader()->setStretchLastSection(true);
    dbgPadrao->installEventFilter(this);
    connect(dbgPadrao, &QTableView::doubleClicked, this, [this] { pgcPadrao->setCurrentIndex(kPaginaFormulario); });
    l->addWidget(dbgPadrao);
    return page;
}

QLineEdit* TfrmCliente::dbEdit(Query& q, const char* field, const QString& name, int maxLength)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    auto* link = new DbEdit(e, q, QString::fromLatin1(field), this);
    if (maxLength > 0)
        link->setMaxLength(maxLength);
    dbEdits_ << link;
    e->installEventFilter(this);
    return e;
}

QGroupBox* TfrmCliente::montaIdentificacao()
{
    CadastroCliente* l = logic_.get();
    Query& q = l->qryClientes;
    auto* g = new QGroupBox(QStringLiteral("Cliente"), this);
    g->setObjectName(QStringLiteral("grpCliente"));
    auto* grid = new QGridLayout(g);

    QLineEdit* dbeInscricao = dbEdit(q, "NRINSJURINFO", QStringLiteral("dbeInscricao"));
    QLineEdit* dbeNrInsJurClie = dbEdit(q, "NRINSJURCLIE", QStringLiteral("dbeNrInsJurClie"));
    QLineEdit* dbeNmRazaoSoc = dbEdit(q, "NMRAZSOCCLIE", QStringLiteral("dbeNmRazaoSoc"), 50);
    QLineEdit* dbeNmFantasia = dbEdit(q, "NMFANTCLIE", QStringLiteral("dbeNmFantasia"), 50);
    QLineEdit* dbeCdInscEsta = dbEdit(q, "NRINSESTCLIE", QStringLiteral("dbeCdInscEsta"), 20);
    QLineEdit* dbeInscMunic = dbEdit(q, "NRINSMUNICLIE", QStringLiteral("dbeNRINSMUNICLIE"), 20);
    edits_.insert(int(ControleCliente::Inscricao), dbeInscricao);
    edits_.insert(int(ControleCliente::NrInsJurClie), dbeNrInsJurClie);
    edits_.insert(int(ControleCliente::NmRazaoSoc), dbeNmRazaoSoc);
    edits_.insert(int(ControleCliente::NmFantasia), dbeNmFantasia);
    edits_.insert(int(ControleCliente::CdInscEsta), dbeCdInscEsta);
    edits_.insert(int(ControleCliente::InscMunic), dbeInscMunic);

    lblInscricao = rotulo(QStringLiteral("Código"), dbeInscricao, g);
    lblInscricao->setObjectName(QStringLiteral("lblInscricao"));
    lblTipo = new QLabel(g);
    lblTipo->setObjectName(QStringLiteral("lblTipo"));
    lblNmRazaoSoc = rotulo(QStringLiteral("Razão Social"), dbeNmRazaoSoc, g);
    auto* lblInscAux = rotulo(QStringLiteral("Inscrição"), dbeNrInsJurClie, g);
    lblInscAux->setObjectName(QStringLiteral("lblInscAux"));
    grid->addWidget(lblInscricao, 0, 0);
    grid->addWidget(dbeInscricao, 0, 1);
    grid->addWidget(rotulo(QStringLiteral("Tipo"), nullptr, g), 0, 2);
    grid->addWidget(lblTipo, 0, 3);
    grid->addWidget(lblInscAux, 1, 0);
    grid->addWidget(dbeNrInsJurClie, 1, 1);
    grid->addWidget(lblNmRazaoSoc, 2, 0);
    grid->addWidget(dbeNmRazaoSoc, 2, 1, 1, 3);
    grid->addWidget(rotulo(QStringLiteral("Nome Fantasia"), dbeNmFantasia, g), 3, 0);
    grid->addWidget(dbeNmFantasia, 3, 1, 1, 3);
    grid->addWidget(rotulo(QStringLiteral("Inscrição Estadual"), dbeCdInscEsta, g), 4, 0);
    grid->addWidget(dbeCdInscEsta, 4, 1);
    grid->addWidget(rotulo(QStringLiteral("Incrição Municipal"), dbeInscMunic, g), 4, 2);
    grid->addWidget(dbeInscMunic, 4, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto selecionaTudo = [](QLineEdit* e) { QTimer::singleShot(0, e, [e] { e->selectAll(); }); };
    handlers_[dbeInscricao] = {[l, dbeInscricao, selecionaTudo] {
                                   l->entraInscricao();
                                   selecionaTudo(dbeInscricao);
                               },
                               [l] { l->saiInscricao(); }, nullptr, nullptr};
    handlers_[dbeNrInsJurClie] = {[l, dbeNrInsJurClie, selecionaTudo] {
                                      l->entraNrInsJurClie();
                                      selecionaTudo(dbeNrInsJurClie);
                                  },
                                  [l] { l->saiNrInsJurClie(); }, nullptr, &CadastroCliente::aceitaTeclaInscricao};
    handlers_[dbeNmRazaoSoc] = {[l] { l->entraRazaoSocial(); }, nullptr, nullptr, nullptr};
    handlers_[dbeNmFantasia] = {nullptr, [l] { l->saiFantasia(); }, nullptr, nullptr};
    for (DbEdit* d : dbEdits_)
        if (d->edit() == dbeInscricao)
            d->onUserEdit = [l] { l->inscricaoDigitada(); };
    return g;
}

QGroupBox* TfrmCliente::montaEndereco(EnderecoCliente& end, const QString& titulo, const QString& sufixo)
{
    const bool proprio = end.tipo() == EnderecoCliente::Tipo::Proprio;
    Query& q = end.qry();
    auto* g = new QGroupBox(titulo, this);
    g->setObjectName(QStringLiteral("grpEndereco") + sufixo);
    auto* grid = new QGridLayout(g);
    auto nome = [&](const char* base) { return QString::fromLatin1(base) + sufixo; };

    QLineEdit* pais = dbEdit(q, "CDPAIS", nome("dbeCdPais"), 4);
    QLineEdit* nmPais = dbEdit(q, "NMPAIS", nome("dbeNmPais"));
    QLineEdit* estado = dbEdit(q, "SGESTADO", nome("dbeSgEstado"));
    QLineEdit* municipio = dbEdit(q, "CDMUNICIPIO", nome("dbeCdMunicipio"), 4);
    QLineEdit* nmMunicipio = dbEdit(q, "NMMUNICIPIO", nome("dbeNmMunicipio"));
    QLineEdit* bairro = dbEdit(q, "CDBAIRRO", nome("dbeCdBairro"));
    QLineEdit* nmBairro = dbEdit(q, "NMBAIRCLIE", nome("dbeNmBairClie"), 30);
    QLineEdit* endereco = dbEdit(q, "DSENDECLIE", nome("dbeDsEndeClie"), 50);
    QLineEdit* cep = dbEdit(q, "NRCEPCLIE", nome("dbeNrCepClie"));
    QLineEdit* tele = dbEdit(q, "NRTELECLIE", nome("dbeNrTeleClie"));
    QLineEdit* ramal = dbEdit(q, "NRRAMALCLIE", nome("dbeNrRamalClie"));
    QLineEdit* fax = dbEdit(q, "NRFAXCLIE", nome("dbeNrFaxClie"));
    QLineEdit* celular = dbEdit(q, "NRCELULARCLI", nome("dbeNrCelularCli"));
    QLineEdit* email = dbEdit(q, "DSEMAILCLIE", nome("dbeDsEmailClie"), proprio ? 40 : 50);
    for (DbEdit* d : dbEdits_) {
        if (d->edit() == nmPais || d->edit() == nmMunicipio) {
            d->setDisplayOnly(true);
            d->edit()->setFocusPolicy(Qt::NoFocus);
        }
        if (d->edit() == estado)
            d->setUpperLetters(2);
    }
    edits_.insert(int(end.controlePais()), pais);
    edits_.insert(int(end.controleEstado()), estado);
    edits_.insert(int(end.controleMunicipio()), municipio);
    edits_.insert(int(end.controleBairro()), bairro);
    edits_.insert(int(end.controleEndereco()), endereco);

    auto botao = [&](const QString& name, void (EnderecoCliente::*run)()) {
        auto* b = new QToolButton(g);
        b->setObjectName(name);
        b->setText(QStringLiteral("..."));
        b->setToolTip(QStringLiteral("Pesquisar (F9)"));
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, &end, run] { executa([&end, run] { (end.*run)(); }); });
        pesquisas_ << b;
        return b;
    };
    QToolButton* btPais = botao(proprio ? QStringLiteral("btpPaisNorm") : QStringLiteral("btpPaisEntrg"), &EnderecoCliente::pesquisaPais);
    QToolButton* btEstado =
        botao(proprio ? QStringLiteral("btpEstado") : QStringLiteral("btpEstadoEntrg"), &EnderecoCliente::pesquisaEstado);
    QToolButton* btMunicipio =
        botao(proprio ? QStringLiteral("btpMunicipiClie") : QStringLiteral("btpMuniEntrg"), &EnderecoCliente::pesquisaMunicipio);
    QToolButton* btBairro = botao(proprio ? QStringLiteral("btnBairro") : QStringLiteral("btnBairEntrg"), &EnderecoCliente::pesquisaBairro);

    int row = 0;
    auto linha = [&](const QString& text, QWidget* code, QToolButton* button, QWidget* name) {
        grid->addWidget(rotulo(text, code, g), row, 0);
        grid->addWidget(code, row, 1);
        if (button)
            grid->addWidget(button, row, 2);
        if (name)
            grid->addWidget(name, row, 3);
        ++row;
    };
    linha(QStringLiteral("País"), pais, btPais, nmPais);
    linha(QStringLiteral("Estado"), estado, btEstado, nullptr);
    linha(QStringLiteral("Município"), municipio, btMunicipio, nmMunicipio);
    linha(QStringLiteral("Bairro"), bairro, btBairro, nmBairro);
    grid->addWidget(rotulo(QStringLiteral("Endereço"), endereco, g), row, 0);
    grid->addWidget(endereco, row++, 1, 1, 3);
    linha(QStringLiteral("CEP"), cep, nullptr, nullptr);
    linha(QStringLiteral("Tel/Ramal(1)"), tele, nullptr, ramal);
    linha(QStringLiteral("Fax"), fax, nullptr, nullptr);
    linha(QStringLiteral("Celular"), celular, nullptr, nullptr);
    grid->addWidget(rotulo(QStringLiteral("E-Mail"), email, g), row, 0);
    grid->addWidget(email, row++, 1, 1, 3);
    if (!proprio) {
        auto* memo = new QPlainTextEdit(g);
        memo->setObjectName(QStringLiteral("dbmDsPtoRefeCli"));
        memo->setTabChangesFocus(true);
        memo->setFixedHeight(memo->fontMetrics().height() * 4);
        new DbMemo(memo, q, QStringLiteral("DSPTOREFECLI"), 300, this);
        grid->addWidget(rotulo(QStringLiteral("Ponto de referência"), memo, g), row, 0);
        grid->addWidget(memo, row++, 1, 1, 3);
    }
    grid->setColumnStretch(3, 1);

    handlers_[pais] = {nullptr, [&end] { end.saiPais(); }, [&end] { end.pesquisaPais(); }, nullptr};
    handlers_[estado] = {nullptr, [&end] { end.saiEstado(); }, [&end] { end.pesquisaEstado(); }, nullptr};
    handlers_[municipio] = {nullptr, [&end] { end.saiMunicipio(); }, [&end] { end.pesquisaMunicipio(); }, nullptr};
    handlers_[bairro] = {nullptr, [&end] { end.saiBairro(); }, [&end] { end.pesquisaBairro(); }, nullptr};
    handlers_[nmBairro] = {nullptr, nullptr, nullptr, [&end](QChar) {
                               end.nomeBairroDigitado();
                               return true;
                           }};
    return g;
}

QWidget* TfrmCliente::montaFormulario()
{
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    // A click on the form's background or a lookup button leaves the focus in its field.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* page = new QWidget(scroll);
    auto* l = new QVBoxLayout(page);
    grupos_ << montaIdentificacao();
    l->addWidget(grupos_.back());
    auto* enderecos = new QHBoxLayout;
    grupos_ << montaEndereco(logic_->enderecoCli, QStringLiteral("Endereço do Cliente"), QStringLiteral("Cli"));
    enderecos->addWidget(grupos_.back(), 1);
    grupos_ << montaEndereco(logic_->enderecoEntrega, QStringLiteral("Endereço de Entrega"), QStringLiteral("Entrg"));
    enderecos->addWidget(grupos_.back(), 1);
    l->addLayout(enderecos);
    l->addStretch(1);
    scroll->setWidget(page);
    return scroll;
}

// ---------------------------------------------------------------- ClienteView

PaginaCliente TfrmCliente::paginaAtual() const
{
    return pgcPadrao->currentIndex() == kPaginaGrade ? PaginaCliente::Grade : PaginaCliente::Formulario;
}

void TfrmCliente::mostraPagina(PaginaCliente pagina)
{
    trocandoPagina_ = true;
    pgcPadrao->setCurrentIndex(pagina == PaginaCliente::Grade ? kPaginaGrade : kPaginaFormulario);
    trocandoPagina_ = false;
}

bool TfrmCliente::temFoco(ControleCliente controle) const
{
    QLineEdit* e = edit(controle);
    return e && e->hasFocus();
}

bool TfrmCliente::podeFocar(ControleCliente controle) const
{
    QLineEdit* e = edit(controle);
    return e && e->isEnabled();
}

void TfrmCliente::foca(ControleCliente controle)
{
    if (QLineEdit* e = edit(controle)) {
        if (paginaAtual() != PaginaCliente::Formulario)
            mostraPagina(PaginaCliente::Formulario);
        e->setFocus(Qt::OtherFocusReason);
    }
}

void TfrmCliente::habilitaComandos(const ComandosCliente& c)
{
    sbtIncluir->setEnabled(c.incluir);
    sbtAlterar->setEnabled(c.alterar);
    // A stored customer at rest has a history to show.
    mnuHistorico->setEnabled(c.alterar && mostraHistorico());
    sbtExcluir->setEnabled(c.excluir);
    sbtProcurar->setEnabled(c.procurar);
    sbtVerificar->setEnabled(c.atualizar);
    sbtCancelar->setEnabled(c.cancelar);
    sbtConfirmar->setEnabled(c.confirmar);
    for (QToolButton* b : navegador_)
        b->setEnabled(c.navegador);
    for (QAction* a : movimentos_)
        a->setEnabled(c.navegador);
    for (QToolButton* b : pesquisas_)
        b->setEnabled(c.pesquisas);
    pgcPadrao->setTabEnabled(kPaginaGrade, c.paginaGrade);
    mnuGrade->setEnabled(c.paginaGrade);
}

void TfrmCliente::habilitaCodigo(bool habilitado)
{
    edit(ControleCliente::Inscricao)->setEnabled(habilitado);
    lblInscricao->setEnabled(habilitado);
}

void TfrmCliente::habilitaRazaoSocial(bool habilitado)
{
    edit(ControleCliente::NmRazaoSoc)->setEnabled(habilitado);
    lblNmRazaoSoc->setEnabled(habilitado);
}

void TfrmCliente::atualizaControles()
{
    for (DbEdit* d : dbEdits_)
        d->refresh();
    const Query& q = logic_->qryClientes;
    const Field* tipo = q.active() ? q.findField(QStringLiteral("IDTPIJURINFO")) : nullptr;
    lblTipo->setText(tipo ? CadastroCliente::textoTipo(tipo->asString()) : QString());
    dbgPadrao->viewport()->update();
}

void TfrmCliente::procura(Query& dataset) { Procura(dataset, this); }

void TfrmCliente::fecha() { child_->close(); }

// ---------------------------------------------------------------- pages and keys

void TfrmCliente::paginaTrocada(int index)
{
    if (!trocandoPagina_ && paginaAnterior_ == kPaginaFormulario && index == kPaginaGrade && !logic_->podeSairDoFormulario()) {
        trocandoPagina_ = true;
        pgcPadrao->setCurrentIndex(kPaginaFormulario);
        trocandoPagina_ = false;
        index = kPaginaFormulario;
    }
    paginaAnterior_ = index;
    mnuGrade->setChecked(index == kPaginaGrade);
    mnuFormulario->setChecked(index == kPaginaFormulario);
    if (index == kPaginaFormulario && logic_->qryClientes.state() == DataSetState::Insert)
        habilitaCodigo(true);
}

void TfrmCliente::proximoGrupo()
{
    if (paginaAtual() != PaginaCliente::Formulario || grupos_.isEmpty())
        return;
    int atual = -1;
    QWidget* focus = QApplication::focusWidget();
    for (int i = 0; i < grupos_.size(); ++i)
        if (focus && grupos_[i]->isAncestorOf(focus))
            atual = i;
    for (int k = 1; k <= grupos_.size(); ++k) {
        QGroupBox* g = grupos_[(atual + k) % grupos_.size()];
        for (QWidget* w : g->findChildren<QWidget*>()) {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(g)) {
                w->setFocus(Qt::TabFocusReason);
                return;
            }
        }
    }
}

bool TfrmCliente::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == dbgPadrao && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ControlModifier))
            return true; // no deleting from the grid
        return QWidget::eventFilter(watched, e);
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
        if (key->key() == Qt::Key_F9 && h.f9 && key->modifiers() == Qt::NoModifier) {
            if (!pesquisas_.isEmpty() && pesquisas_.front()->isEnabled())
                executa(h.f9);
            return true;
        }
        const QString text = key->text();
        const bool typed = text.size() == 1 && (text.front().isPrint() || text.front() == QLatin1Char('\b'))
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (typed && h.tecla) {
            bool aceita = true;
            executa([&] { aceita = h.tecla(text.front()); });
            if (!aceita)
                return true;
        }
        break;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, e);
}

TfrmCliente* CriaCliente()
{
    static QPointer<TfrmCliente> instance;
    return criaJanela<TfrmCliente>(instance, true, [] { return new TfrmCliente; });
}

} // namespace zov
