#include "orders/ZOV00101.h"

#include "library/velmora.h"

#include "db/dbgeralped.h"
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/opcoes_qt.h"
#include "library/shell.h"
#include "search/PesqListaZOV.h"
#include "session/GeralZOV.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace zov {

namespace {

// A blank date edit still shows its separators; it holds no date.
QString textoData(const QLineEdit* edit)
{
    const QString t = edit->text();
    return QString(t).remove(QLatin1Char('/')).trimmed().isEmpty() ? QString() : t;
}

// Another window or a menu taking the focus is not leaving the field.
bool saiDoCampo(const QFocusEvent* e)
{
    const Qt::FocusReason r = e->reason();
    return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason && r != Qt::MenuBarFocusReason;
}

QString msg(const char* key) { return msgFiltroPedido().Msg(QLatin1String(key)); }

QString tituloComVazio(const char* caption, const char* vazio) { return msg(caption) + QLatin1Char('|') + msg(vazio); }

void rotula(Query& q, const QList<QPair<const char*, const char*>>& labels, const QStringList& hidden = {})
{
    for (const auto& [field, label] : labels)
        q.defineField(QLatin1String(field)).displayLabel = QString::fromUtf8(label);
    for (const QString& field : hidden)
        q.defineField(field).visible = false;
}

} // namespace

TfrmFiltroPedido::TfrmFiltroPedido(TFiltro& filtro, std::function<void()> reabreLista, QWidget* parent)
    : TfrmRotiGeral(QString::fromLatin1(kScreenCode), parent),
      Filtro(filtro),
      reabreLista_(std::move(reabreLista)),
      qryNrPedido(&DataBaseGeralPed(), QStringLiteral("qryNrPedido")),
      qryCliente(&DataBaseGeralPed(), QStringLiteral("qryCliente")),
      qryProduto(&DataBaseGeralPed(), QStringLiteral("qryProduto")),
      qryPesqTipoOper(&DataBaseGeralPed(), QStringLiteral("qryPesqTipoOper")),
      qryMuniciCli(&DataBaseGeralPed(), QStringLiteral("qryMuniciCli"))
{
    setObjectName(QStringLiteral("frmFiltroPedido"));
    mostraCodigoNaBarra();
    setWindowTitle(QStringLiteral("Filtro de Lançamento"));
    msgPadrao = msgFiltroPedido();
    sbtCancel()->setText(QStringLiteral("Fechar"));

    qryNrPedido.setSql(qryNrPedidoSql());
    qryNrPedido.setParam(QStringLiteral("P_CDFILIAL"), Filtro.Filial);
    rotula(qryNrPedido, {{"NRPEDIDO", "Número"}, {"NMFANTCLIE", "Cliente"}});
    qryCliente.setSql(qryClienteFiltroSql());
    rotula(qryCliente,
           {{"CDCLIENTE", "Código"},
            {"NRINSJURCLIE", "Nr. Inscrição"},
            {"NMFANTCLIE", "Nome Fantasia"},
            {"NMRAZSOCCLIE", "Razão Social"},
            {"DSENDECLIE", "Endereço"},
            {"NMMUNICIPIO", "Município"},
            {"SGESTADO", "Estado"},
            {"NMPAIS", "País"}},
           {QStringLiteral("IDTPIJURCLIE")});
    qryProduto.setSql(qryProdutoFiltroSql());
    rotula(qryProduto, {{"CDARVPROD", "Código"}, {"NMPRODUTO", "Nome"}});
    qryProduto.defineField(QStringLiteral("CDARVPROD")).onGetText = [](const QVariant& v) { return DBPictObj(0).format(v.toString()); };
    qryPesqTipoOper.setSql(qryPesqTipoOperSql());
    rotula(qryPesqTipoOper, {{"CDTIPOOPER", "Código"}, {"NMTIPOOPER", "Nome"}});
    qryMuniciCli.setSql(qryMuniciCliSql());
    rotula(qryMuniciCli, {{"CDMUNICIPIO", "Código"}, {"NMMUNICIPIO", "Município"}, {"NMPAIS", "País"}, {"SGESTADO", "Estado"}},
           {QStringLiteral("CONCATENADOS")});

    montaTela();
    mostraEscolhas(escolhasAoAbrir(Filtro));
}

TfrmFiltroPedido::~TfrmFiltroPedido() = default;

void TfrmFiltroPedido::montaTela()
{
    auto toolButton = [this](const char* name, const QString& text, QStyle::StandardPixmap icon, const QString& hint = {}) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(text);
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(hint);
        return b;
    };
    sbtLimpa = toolButton("sbtLimpa", QStringLiteral("Desfazer"), QStyle::SP_DialogResetButton);
    btfSaveOpc =
        toolButton("btfSaveOpc", QStringLiteral("Salvar"), QStyle::SP_DialogSaveButton, QStringLiteral("Opções de filtro da tela"));
    btfLoadOpc = toolButton("btfLoadOpc", QStringLiteral("Restaurar"), QStyle::SP_DialogOpenButton,
                            QStringLiteral("Restaurar opções de filtro na tela"));
    sbtAjuda = toolButton("sbtAjuda", QStringLiteral("Ajuda"), QStyle::SP_DialogHelpButton);
    mnuOpcoes_ = new QMenu(this);
    mnuOpcoes_->setObjectName(QStringLiteral("mnuOpcoes"));
    auto* barra = new QHBoxLayout;
    for (QToolButton* b : {sbtLimpa, btfSaveOpc, btfLoadOpc, sbtAjuda})
        barra->addWidget(b);
    barra->addStretch(1);
    clientLayout()->addLayout(barra);

    auto grupo = [this](const QString& title) {
        auto* g = new QGroupBox(title, this);
        return g;
    };
    auto radio = [](QWidget* parent, const char* name, const QString& text) {
        auto* r = new QRadioButton(text, parent);
        r->setObjectName(QLatin1String(name));
        return r;
    };
    auto pesquisa = [](QWidget* parent, const char* name) {
        auto* b = new QToolButton(parent);
        b->setObjectName(QLatin1String(name));
        b->setIcon(parent->style()->standardIcon(QStyle::SP_FileDialogContentsView));
        b->setToolTip(QStringLiteral("Pesquisar (F9)"));
        return b;
    };
    auto edit = [](QWidget* parent, const char* name) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    auto dataEdit = [&](QWidget* parent, const char* name) {
        QLineEdit* e = edit(parent, name);
        e->setInputMask(QStringLiteral("00/00/0000;_"));
        e->clear();
        return e;
    };
    auto check = [](QWidget* parent, const char* name, const QString& text) {
        auto* c = new QCheckBox(text, parent);
        c->setObjectName(QLatin1String(name));
        return c;
    };
    // A "Todos / Lista" group with its search button.
    auto todosLista = [&](const QString& title, const char* todos, const char* lista, const char* botao, QRadioButton*& rTodos,
                          QRadioButton*& rLista, QToolButton*& b) {
        QGroupBox* g = grupo(title);
        auto* l = new QHBoxLayout(g);
        rTodos = radio(g, todos, QStringLiteral("Todos"));
        rLista = radio(g, lista, QStringLiteral("Lista"));
        b = pesquisa(g, botao);
        l->addWidget(rTodos);
        l->addWidget(rLista);
        l->addWidget(b);
        l->addStretch(1);
        return g;
    };
    auto deAte = [](QGroupBox* g, QLineEdit* de, QLineEdit* ate) {
        auto* l = new QHBoxLayout;
        auto* lDe = new QLabel(QStringLiteral("de"), g);
        lDe->setBuddy(de);
        auto* lAte = new QLabel(QStringLiteral("até"), g);
        lAte->setBuddy(ate);
        l->addWidget(lDe);
        l->addWidget(de);
        l->addWidget(lAte);
        l->addWidget(ate);
        l->addStretch(1);
        return l;
    };

    QGroupBox* gNrPedido = grupo(QStringLiteral("Nº Pedido"));
    {
        auto* v = new QVBoxLayout(gNrPedido);
        auto* radios = new QHBoxLayout;
        rbtNrPedidoTodos = radio(gNrPedido, "rbtNrPedidoTodos", QStringLiteral("Todos"));
        rbtNrPedidoLista = radio(gNrPedido, "rbtNrPedidoLista", QStringLiteral("Lista"));
        btnNrPedido = pesquisa(gNrPedido, "btnNrPedido");
        rbtNrPedidoIntervalo = radio(gNrPedido, "rbtNrPedidoIntervalo", QStringLiteral("Intervalo"));
        radios->addWidget(rbtNrPedidoTodos);
        radios->addWidget(rbtNrPedidoLista);
        radios->addWidget(btnNrPedido);
        radios->addWidget(rbtNrPedidoIntervalo);
        radios->addStretch(1);
        v->addLayout(radios);
        medDe = edit(gNrPedido, "medDe");
        medAte = edit(gNrPedido, "medAte");
        for (QLineEdit* e : {medDe, medAte}) {
            e->setMaxLength(10);
            e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,10}")), e));
        }
        v->addLayout(deAte(gNrPedido, medDe, medAte));
    }
    QGroupBox* gPedido = grupo(QStringLiteral("Data Lançamento Pedido"));
    dtpPedidoDe = dataEdit(gPedido, "dtpPedidoDe");
    dtpPedidoAte = dataEdit(gPedido, "dtpPedidoAte");
    gPedido->setLayout(deAte(gPedido, dtpPedidoDe, dtpPedidoAte));
    QGroupBox* gEntrega = grupo(QStringLiteral("Data Entrega"));
    dtpEntregaDe = dataEdit(gEntrega, "dtpEntregaDe");
    dtpEntregaAte = dataEdit(gEntrega, "dtpEntregaAte");
    gEntrega->setLayout(deAte(gEntrega, dtpEntregaDe, dtpEntregaAte));

    QGroupBox* gCliente = todosLista(QStringLiteral("Cliente"), "rbtClienteTodos", "rbtClienteLista", "btnCliente", rbtClienteTodos,
                                     rbtClienteLista, btnCliente);
    QGroupBox* gTipoOper = todosLista(QStringLiteral("Tipo de Operação"), "rbtTipoOperTodos", "rbtTipoOperLista", "btnTipoOper",
                                      rbtTipoOperTodos, rbtTipoOperLista, btnTipoOper);
    QGroupBox* gMuniciCli = todosLista(QStringLiteral("Municipio do Cliente"), "rbtMuniciCliTodos", "rbtMuniciCliLista", "btnMuniciCli",
                                       rbtMuniciCliTodos, rbtMuniciCliLista, btnMuniciCli);

    QGroupBox* gPrioridade = grupo(QStringLiteral("Prioridade"));
    {
        auto* l = new QHBoxLayout(gPrioridade);
        chkNormal = check(gPrioridade, "chkNormal", QStringLiteral("Normal"));
        chkAlta = check(gPrioridade, "chkAlta", QStringLiteral("Alta"));
        chkUrgente = check(gPrioridade, "chkUrgente", QStringLiteral("Urgente"));
        for (QCheckBox* c : {chkNormal, chkAlta, chkUrgente})
            l->addWidget(c);
        l->addStretch(1);
    }
    QGroupBox* gSituacao = grupo(QStringLiteral("Situação do Pedido"));
    {
        auto* l = new QHBoxLayout(gSituacao);
        chkPendente = check(gSituacao, "chkPendente", QStringLiteral("Pendente"));
        chkExportado = check(gSituacao, "chkExportado", QStringLiteral("Exportado"));
        l->addWidget(chkPendente);
        l->addWidget(chkExportado);
        l->addStretch(1);
    }
    QGroupBox* gSitEmpresa = grupo(QStringLiteral("Situação na Empresa"));
    {
        auto* l = new QHBoxLayout(gSitEmpresa);
        cbxSitEmpresa = new QComboBox(gSitEmpresa);
        cbxSitEmpresa->setObjectName(QStringLiteral("cbxSitEmpresa"));
        const std::pair<const char*, const char*> opcoes[] = {{"Todas", ""},      {"Sem situação", "-"}, {"Recebido", "R"},
                                                              {"Aprovado", "A"},  {"Faturado", "F"},     {"Faturado em parte", "P"},
                                                              {"Cancelado", "C"}, {"Devolvido", "D"}};
        for (const auto& [texto, letra] : opcoes)
            cbxSitEmpresa->addItem(QString::fromUtf8(texto), QString::fromLatin1(letra));
        l->addWidget(cbxSitEmpresa);
        l->addStretch(1);
    }
    QGroupBox* gProduto = todosLista(QStringLiteral("Produtos do Pedido"), "rbtProdutoTodos", "rbtProdutoLista", "btnProduto",
                                     rbtProdutoTodos, rbtProdutoLista, btnProduto);

    auto* grade = new QGridLayout;
    int row = 0;
    for (QGroupBox* g : {gNrPedido, gPedido, gEntrega, gCliente, gTipoOper})
        grade->addWidget(g, row++, 0);
    row = 0;
    for (QGroupBox* g : {gMuniciCli, gPrioridade, gSituacao, gProduto, gSitEmpresa})
        grade->addWidget(g, row++, 1);
    clientLayout()->addLayout(grade);
    clientLayout()->addStretch(1);

    // Every control hands its keys to the form first: Enter confirms anywhere.
    for (QWidget* w : std::initializer_list<QWidget*>{
             rbtNrPedidoTodos, rbtNrPedidoLista,  rbtNrPedidoIntervalo, medDe,           medAte,          dtpPedidoDe,
             dtpPedidoAte,     dtpEntregaDe,      dtpEntregaAte,        rbtClienteTodos, rbtClienteLista, rbtTipoOperTodos,
             rbtTipoOperLista, rbtMuniciCliTodos, rbtMuniciCliLista,    rbtProdutoTodos, rbtProdutoLista, chkNormal,
             chkAlta,          chkUrgente,        chkPendente,          chkExportado,    cbxSitEmpresa,   btnNrPedido,
             btnCliente,       btnTipoOper,       btnMuniciCli,         btnProduto})
        previewKeys(w);

    auto guarded = [this](void (TfrmFiltroPedido::*slot)()) { return [this, slot] { runGuarded([this, slot] { (this->*slot)(); }); }; };
    for (QRadioButton* r : {rbtNrPedidoTodos, rbtNrPedidoLista, rbtNrPedidoIntervalo, rbtClienteTodos, rbtClienteLista, rbtTipoOperTodos,
                            rbtTipoOperLista, rbtMuniciCliTodos, rbtMuniciCliLista, rbtProdutoTodos, rbtProdutoLista})
        connect(r, &QRadioButton::toggled, this, guarded(&TfrmFiltroPedido::atualizaEstados));
    connect(rbtNrPedidoIntervalo, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !carregando_)
            medDe->setFocus(Qt::OtherFocusReason);
    });
    // Typing a number is choosing the interval.
    for (QLineEdit* e : {medDe, medAte})
        connect(e, &QLineEdit::textEdited, this, [this] {
            runGuarded([this] {
                if (!rbtNrPedidoIntervalo->isChecked())
                    rbtNrPedidoIntervalo->setChecked(true);
            });
        });
    connect(btnNrPedido, &QToolButton::clicked, this, guarded(&TfrmFiltroPedido::pesquisaNrPedido));
    connect(btnCliente, &QToolButton::clicked, this, guarded(&TfrmFiltroPedido::pesquisaCliente));
    connect(btnMuniciCli, &QToolButton::clicked, this, guarded(&TfrmFiltroPedido::pesquisaMuniciCli));
    connect(btnTipoOper, &QToolButton::clicked, this, guarded(&TfrmFiltroPedido::pesquisaTipoOper));
    connect(btnProduto, &QToolButton::clicked, this, guarded(&TfrmFiltroPedido::pesquisaProduto));
    connect(sbtLimpa, &QToolButton::clicked, this, guarded(&TfrmFiltroPedido::sbtLimpaClick));
    connect(btfSaveOpc, &QToolButton::clicked, this, guarded(&TfrmFiltroPedido::btfSaveOpcClick));
    connect(btfLoadOpc, &QToolButton::clicked, this, guarded(&TfrmFiltroPedido::btfLoadOpcClick));
    connect(sbtAjuda, &QToolButton::clicked, this, [] { runGuarded([] { dialogs().ajuda(QString::fromLatin1(kScreenCode)); }); });
}

EscolhasFiltro TfrmFiltroPedido::escolhas() const
{
    EscolhasFiltro e;
    e.nrPedido = rbtNrPedidoIntervalo->isChecked() ? EscolhaNrPedido::Intervalo
        : rbtNrPedidoLista->isChecked()            ? EscolhaNrPedido::Lista
                                                   : EscolhaNrPedido::Todos;
    e.stDe = medDe->text();
    e.stAte = medAte->text();
    e.emissaoDe = textoData(dtpPedidoDe);
    e.emissaoAte = textoData(dtpPedidoAte);
    e.entregaDe = textoData(dtpEntregaDe);
    e.entregaAte = textoData(dtpEntregaAte);
    e.normal = chkNormal->isChecked();
    e.alta = chkAlta->isChecked();
    e.urgente = chkUrgente->isChecked();
    e.pendente = chkPendente->isChecked();
    e.exportado = chkExportado->isChecked();
    e.sitEmpresa = cbxSitEmpresa->currentData().toString();
    e.clienteLista = rbtClienteLista->isChecked();
    e.produtoLista = rbtProdutoLista->isChecked();
    e.municiCliLista = rbtMuniciCliLista->isChecked();
    e.tipoOperLista = rbtTipoOperLista->isChecked();
    e.stNrPedido = stNrPedido;
    e.stCliente = stCliente;
    e.stProduto = stProduto;
    e.stMuniciCli = stMuniciCli;
    e.stTipoOper = stTipoOper;
    return e;
}

void TfrmFiltroPedido::mostraEscolhas(const EscolhasFiltro& e)
{
    QScopedValueRollback loading(carregando_, true);
    CheckGuard guard; // the focus may move while the controls change
    (e.nrPedido == EscolhaNrPedido::Intervalo   ? rbtNrPedidoIntervalo
         : e.nrPedido == EscolhaNrPedido::Lista ? rbtNrPedidoLista
                                                : rbtNrPedidoTodos)
        ->setChecked(true);
    medDe->setText(e.stDe);
    medAte->setText(e.stAte);
    dtpPedidoDe->setText(e.emissaoDe);
    dtpPedidoAte->setText(e.emissaoAte);
    dtpEntregaDe->setText(e.entregaDe);
    dtpEntregaAte->setText(e.entregaAte);
    chkNormal->setChecked(e.normal);
    chkAlta->setChecked(e.alta);
    chkUrgente->setChecked(e.urgente);
    chkPendente->setChecked(e.pendente);
    chkExportado->setChecked(e.exportado);
    cbxSitEmpresa->setCurrentIndex(std::max(0, cbxSitEmpresa->findData(e.sitEmpresa)));
    (e.clienteLista ? rbtClienteLista : rbtClienteTodos)->setChecked(true);
    (e.produtoLista ? rbtProdutoLista : rbtProdutoTodos)->setChecked(true);
    (e.municiCliLista ? rbtMuniciCliLista : rbtMuniciCliTodos)->setChecked(true);
    (e.tipoOperLista ? rbtTipoOperLista : rbtTipoOperTodos)->setChecked(true);
    stNrPedido = e.stNrPedido;
    stCliente = e.stCliente;
    stProduto = e.stProduto;
    stMuniciCli = e.stMuniciCli;
    stTipoOper = e.stTipoOper;
    atualizaEstados();
}

// The interval edits only with "Intervalo" (emptied otherwise), each search
// button only with its "Lista".
void TfrmFiltroPedido::atualizaEstados()
{
    const bool intervalo = rbtNrPedidoIntervalo->isChecked();
    for (QLineEdit* e : {medDe, medAte}) {
        e->setEnabled(intervalo);
        if (!intervalo)
            e->clear();
    }
    btnNrPedido->setEnabled(rbtNrPedidoLista->isChecked());
    btnCliente->setEnabled(rbtClienteLista->isChecked());
    btnTipoOper->setEnabled(rbtTipoOperLista->isChecked());
    btnMuniciCli->setEnabled(rbtMuniciCliLista->isChecked());
    btnProduto->setEnabled(rbtProdutoLista->isChecked());
}

// A command that stops with a message still used its key: otherwise the key
// would go on to the control and back to the form, and run a second time.
bool TfrmFiltroPedido::formKeyPress(QWidget* target, QKeyEvent* event)
{
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (sbtConfirma()->isEnabled())
            runGuarded([this] { sbtConfirmaClick(); });
        return true;
    }
    if (event->key() == Qt::Key_D && mods == Qt::ControlModifier) {
        runGuarded([this] { sbtLimpaClick(); });
        return true;
    }
    if (event->key() == Qt::Key_F9 && mods == Qt::NoModifier) {
        const std::pair<QRadioButton*, QToolButton*> listas[] = {{rbtNrPedidoLista, btnNrPedido},
                                                                 {rbtClienteLista, btnCliente},
                                                                 {rbtTipoOperLista, btnTipoOper},
                                                                 {rbtMuniciCliLista, btnMuniciCli},
                                                                 {rbtProdutoLista, btnProduto}};
        for (const auto& [r, b] : listas)
            if (target == r) {
                if (b->isEnabled())
                    b->click(); // the button's own slot is guarded
                return true;
            }
    }
    return TfrmRotiGeral::formKeyPress(target, event);
}

bool TfrmFiltroPedido::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && isVisible() && saiDoCampo(static_cast<QFocusEvent*>(event))) {
        if (watched == medDe || watched == medAte) {
            auto* e = static_cast<QLineEdit*>(watched);
            runGuarded([e] { e->setText(Ajusta(e->text(), 10)); });
        } else if (watched == dtpPedidoDe || watched == dtpPedidoAte || watched == dtpEntregaDe || watched == dtpEntregaAte) {
            CheckGuard guard;
            if (!guard.busy())
                runGuarded([this, watched] { saiData(static_cast<QLineEdit*>(watched)); });
        }
    }
    return TfrmRotiGeral::eventFilter(watched, event);
}

void TfrmFiltroPedido::saiData(QLineEdit* edit)
{
    if (const auto falha = confereDataDigitada(textoData(edit), edit->objectName())) {
        edit->setFocus(Qt::OtherFocusReason);
        MensErro(falha->texto, true);
    }
}

void TfrmFiltroPedido::sbtConfirmaClick()
{
    CheckGuard guard; // the focus goes to the failing control: no field-exit checks on the way
    EscolhasFiltro e = escolhas();
    QWidget* foco = focusWidget();
    const auto falha = confereFiltro(e, foco == dtpEntregaDe || foco == dtpEntregaAte);
    medDe->setText(e.stDe);
    medAte->setText(e.stAte);
    if (falha) {
        if (auto* w = findChild<QWidget*>(falha->foco))
            w->setFocus(Qt::OtherFocusReason);
        MensErro(falha->texto, true);
    }
    const TFiltro anterior = Filtro;
    Filtro = filtroDasEscolhas(e, Filtro);
    try {
        if (reabreLista_)
            reabreLista_();
    } catch (...) {
        // The list did not reopen: the dialog stays, the record as it was.
        Filtro = anterior;
        throw;
    }
    accept();
}

void TfrmFiltroPedido::sbtLimpaClick()
{
    EscolhasFiltro e = escolhasDesfeitas();
    mostraEscolhas(e);
}

void TfrmFiltroPedido::btfSaveOpcClick()
{
    CheckGuard guard;
    SalvaOpcoes(*this, QString::fromLatin1(kNomeUnit), CdOperador(), variaveisDasListas(escolhas()));
}

// First press: the menu of the saved sets. A press while the menu is marked
// as showing (it was dismissed without a choice) only clears the mark.
void TfrmFiltroPedido::btfLoadOpcClick()
{
    if (BoExecut) {
        BoExecut = false;
        return;
    }
    mnuOpcoes_->clear();
    QString problema;
    const QStringList nomes = conjuntosOpcoes(lerOpcoes(arquivoOpcoes(CdOperador()), &problema), QString::fromLatin1(kNomeUnit));
    if (!problema.isEmpty())
        MensErro(problema, true);
    if (nomes.isEmpty())
        return; // no menu to dismiss, so nothing to mark
    for (const QString& nome : nomes) {
        QAction* a = mnuOpcoes_->addAction(QString(nome).replace(QLatin1Char('&'), QLatin1String("&&")));
        connect(a, &QAction::triggered, this, [this, nome] { runGuarded([this, nome] { aplicaConjunto(nome); }); });
    }
    BoExecut = true;
    mnuOpcoes_->popup(btfLoadOpc->mapToGlobal(QPoint(0, btfLoadOpc->height())));
}

void TfrmFiltroPedido::aplicaConjunto(const QString& nome)
{
    BoExecut = false;
    QScopedValueRollback loading(carregando_, true);
    CheckGuard guard;
    QString problema;
    const auto rows = opcoesDoConjunto(lerOpcoes(arquivoOpcoes(CdOperador()), &problema), QString::fromLatin1(kNomeUnit), nome);
    if (!problema.isEmpty())
        MensErro(problema, true);
    // The lists start as they are, so a set that lacks one keeps it.
    EscolhasFiltro e = escolhas();
    VariaveisOpcoes variaveis = variaveisDasListas(e);
    aplicaOpcoes(*this, rows, variaveis);
    listasDasVariaveis(variaveis, e);
    stNrPedido = e.stNrPedido;
    stCliente = e.stCliente;
    stProduto = e.stProduto;
    stMuniciCli = e.stMuniciCli;
    stTipoOper = e.stTipoOper;
    atualizaEstados();
}

void TfrmFiltroPedido::pesquisaNrPedido()
{
    qryNrPedido.close();
    qryNrPedido.open();
    if (qryNrPedido.isEmpty()) {
        qryNrPedido.close();
        rbtNrPedidoLista->setFocus(Qt::OtherFocusReason);
        MensErro(msg("PEDNCAD"), true);
    }
    QString lista = stNrPedido;
    if (PesquisaListaZOV(qryNrPedido, QStringLiteral("NRPEDIDO"), msg("PEDIDO"), false, lista))
        stNrPedido = lista;
}

void TfrmFiltroPedido::pesquisaCliente()
{
    qryCliente.close();
    qryCliente.open();
    if (qryCliente.isEmpty()) {
        qryCliente.close();
        rbtClienteLista->setFocus(Qt::OtherFocusReason);
        MensErro(msg("CLIE"), true);
    }
    QString lista = stCliente;
    if (PesquisaListaZOV(qryCliente, QStringLiteral("CDCLIENTE"), msg("CLIENTE"), false, lista))
        stCliente = lista;
}

// Only the municipalities of the chosen customers, unless every customer is.
void TfrmFiltroPedido::pesquisaMuniciCli()
{
    qryMuniciCli.close();
    qryMuniciCli.setParam(QStringLiteral("P_CDCLIENTE"), stCliente);
    qryMuniciCli.setParam(QStringLiteral("P_TCDCLIENTE"), rbtClienteTodos->isChecked() ? QStringLiteral("T") : QString());
    QString lista = stMuniciCli;
    if (PesquisaListaZOV(qryMuniciCli, QStringLiteral("CONCATENADOS"), tituloComVazio("Municipio", "Mun_NC"), false, lista))
        stMuniciCli = lista;
}

void TfrmFiltroPedido::pesquisaTipoOper()
{
    qryPesqTipoOper.close();
    QString lista = stTipoOper;
    if (PesquisaListaZOV(qryPesqTipoOper, QStringLiteral("CDTIPOOPER"), tituloComVazio("TIPOOPER", "TIPOOPER_NC"), false, lista))
        stTipoOper = lista;
}

void TfrmFiltroPedido::pesquisaProduto()
{
    qryProduto.close();
    QString lista = stProduto;
    if (PesquisaListaZOV(qryProduto, QStringLiteral("CDARVPROD"), tituloComVazio("PRODUTO", "PROD_NCAD"), false, lista))
        stProduto = lista;
}

bool CriaFiltroPedido(TFiltro& Filtro, const std::function<void()>& reabreLista, QWidget* parent)
{
    std::unique_ptr<TfrmFiltroPedido> frm;
    {
        BusyCursor busy;
        frm = std::make_unique<TfrmFiltroPedido>(Filtro, reabreLista, parent ? parent : shell().mainWidget());
    }
    return frm->exec() == QDialog::Accepted;
}

} // namespace zov
