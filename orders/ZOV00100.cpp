#include "orders/ZOV00100.h"
#include "orders/ZOV00100_interno.h"

#include <QStackedWidget>

namespace zov {

using namespace zov00100;

TfrmLanPedido::TfrmLanPedido(QWidget* parent) : JanelaManutencao(parent)
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
    auto botaoNav = [&](const char* name, QStyle::StandardPixmap icon, const QString& hint, void (RegistroPedido::*run)()) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(st->standardIcon(icon));
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        b->setContextMenuPolicy(Qt::ActionsContextMenu);
        b->addActions(movimentos_);
        connect(b, &QToolButton::clicked, this, [this, run] { executa([this, run] { (logic_->registro.*run)(); }); });
        navegador_ << b;
        titulo->addWidget(b);
    };
    botaoNav("nbFirst", QStyle::SP_MediaSkipBackward, QStringLiteral("Primeiro"), &RegistroPedido::primeiro);
    botaoNav("nbPrior", QStyle::SP_MediaSeekBackward, QStringLiteral("Anterior"), &RegistroPedido::anterior);
    botaoNav("nbNext", QStyle::SP_MediaSeekForward, QStringLiteral("Proximo"), &RegistroPedido::proximo);
    botaoNav("nbLast", QStyle::SP_MediaSkipForward, QStringLiteral("Último"), &RegistroPedido::ultimo);
    // The pop-up menu on the window moves through the list, and only that.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { QMenu::exec(movimentos_, mapToGlobal(pos), nullptr, this); });

    child_ = new ChildWindow(this, QString::fromLatin1(kScreenCode), mnuFechar);
    connect(child_, &ChildWindow::activated, this, [this] {
        if (iniciada_)
            executa([this] { logic_->registro.ativada(); });
        focaPaginaAtual();
    });
    connect(pgcPedido, &QTabWidget::currentChanged, this, [this](int index) { paginaTrocada(index); });
    // Room for every items column on a laptop (1366 x 768); the main window
    // makes it smaller when its area is.
    resize(1180, 600);
    atualizaTela();
    logic_->registro.atualizaComandos();
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
    QMetaObject::invokeMethod(
        this,
        [this] {
            executa([this] { logic_->registro.inicia(); });
            pronta_ = true;
            for (const std::function<void()>& f : std::exchange(aoFicarPronta_, {}))
                executa(f);
        },
        Qt::QueuedConnection);
}

void TfrmLanPedido::quandoPronta(std::function<void()> f)
{
    if (pronta_)
        executa(f);
    else
        aoFicarPronta_.push_back(std::move(f));
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
    // There is a printer to set up when there is an order to print.
    mnuConfImpressora->setEnabled(c.imprimir);
    mnuEmail->setEnabled(c.imprimir);
    // A stored order at rest is repeated into a new one.
    mnuRepetir->setEnabled(c.imprimir && c.incluir);
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
    const TelaPedido& t = logic_->contexto.tela;
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
    lblSitEmpresa->setText(t.situacaoEmpresa.isEmpty() ? QStringLiteral("-") : t.situacaoEmpresa);
    lblCredito->setText(t.creditoCliente.isEmpty() ? QStringLiteral("-") : t.creditoCliente);
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
    const bool leitura =
        logic_->observacao.observacaoSomenteLeitura() || (logic_->contexto.listaVazia() && !logic_->contexto.pedidoEditando());
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
    const int row = std::max(0, logic_->itens.qryItemPedido.recNo() - 1);
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

void TfrmLanPedido::precoEditavel(bool editavel) { static_cast<ItemModel*>(modelItens_.get())->precoTravado = !editavel; }

bool TfrmLanPedido::filtra(TFiltro& filtro, const std::function<void()>& reabre)
{
    const bool ok = filtro_ ? filtro_(filtro, reabre) : FiltraPedidos(filtro, reabre, this);
    update();
    // The dialog gave the focus back to nothing, and without a window manager
    // no window is active either: the window's keys need both.
    if (QApplication::activeWindow() != window())
        window()->activateWindow();
    focaPaginaAtual();
    return ok;
}

void TfrmLanPedido::focaPaginaAtual()
{
    QWidget* f = QApplication::focusWidget();
    if (f && (f == this || isAncestorOf(f)))
        return;
    // Back where the user was in this window, when that is still on show.
    if (QWidget* ultimo = focusWidget(); ultimo && ultimo != this && ultimo->isVisible() && ultimo->isEnabled()) {
        ultimo->setFocus(Qt::OtherFocusReason);
        return;
    }
    switch (paginaAtual()) {
    case PaginaPedido::Pedidos:
        if (grpFilial->isEnabled() && !logic_->contexto.qryPedido.active())
            controle(ControlePedido::Filial)->setFocus(Qt::OtherFocusReason);
        else
            dbgPedido->setFocus(Qt::OtherFocusReason);
        break;
    case PaginaPedido::Itens: dbgItens->setFocus(Qt::OtherFocusReason); break;
    case PaginaPedido::Observacao: dbrObservacao->setFocus(Qt::OtherFocusReason); break;
    default: {
        // The page's first field, or the tab bar when an exported order's fields are off.
        QWidget* campo = controle(paginaAtual() == PaginaPedido::DadosGerais ? ControlePedido::DataPedido : ControlePedido::CdModPgto);
        if (campo && campo->isEnabled())
            campo->setFocus(Qt::OtherFocusReason);
        else
            pgcPedido->setFocus(Qt::OtherFocusReason);
        break;
    }
    }
}

void TfrmLanPedido::mudaPaginaPorTecla(int passo)
{
    // As in every tabbed program, wrapping around and skipping the disabled pages.
    const int n = pgcPedido->count();
    for (int i = 1; i < n; ++i) {
        const int alvo = (pgcPedido->currentIndex() + passo * i + n) % n;
        if (pgcPedido->isTabEnabled(alvo) && paginas_[alvo]->isEnabled()) {
            pgcPedido->setCurrentIndex(alvo);
            return;
        }
    }
}

void TfrmLanPedido::fecha() { child_->close(); }

void TfrmLanPedido::closeEvent(QCloseEvent* e)
{
    // What is being typed is never thrown away without asking.
    bool fecha = false;
    runGuarded([&] { fecha = logic_->registro.podeFechar(); });
    if (!fecha) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}

// ---------------------------------------------------------------- pages and keys

void TfrmLanPedido::paginaTrocada(int index)
{
    // A check that failed while the old page was being hidden (its field's
    // exit) showed its own page in the middle of this change: that page is the
    // selected one, and the stack, which went on to show this one, follows it.
    const bool superada = index != pgcPedido->currentIndex();
    if (superada) {
        if (auto* pilha = pgcPedido->findChild<QStackedWidget*>(QStringLiteral("qt_tabwidget_stackedwidget")))
            pilha->setCurrentIndex(pgcPedido->currentIndex());
        index = pgcPedido->currentIndex();
    }
    for (int i = 0; i < paginas_.size(); ++i)
        paginas_[i]->setChecked(i == index);
    if (trocandoPagina_ || superada)
        return;
    executa([this, index] { logic_->registro.paginaMostrada(PaginaPedido(index)); });
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
        executa([this] { logic_->itens.entraGradeItens(); });
    } else if (watched == dbgItens && e->type() == QEvent::FocusOut) {
        // Leaving the grid (not for its own cell editor) runs the checks of the column left.
        QWidget* next = QApplication::focusWidget();
        if (saiDoCampo(e, this) && !(next && dbgItens->isAncestorOf(next))) {
            const ColunaItem saiu = colunaItem();
            CheckGuard guard;
            if (!guard.busy())
                executa([this, saiu] { logic_->itens.saiColunaItem(saiu, true); });
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
    default: break;
    }
    return QWidget::eventFilter(watched, e);
}

bool TfrmLanPedido::teclaGradeItens(const QKeyEvent* key)
{
    const ColunaItem coluna = colunaItem();
    const bool editando = logic_->itens.itemEditando();
    const bool semModificador = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && semModificador) {
        // Enter walks right to the discount value; there it ends the line.
        if (coluna >= ColunaItem::VrDesc) {
            executa([this] { logic_->itens.enterItem(); });
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
            logic_->itens.teclaProduto(false);
            logic_->itens.pesquisaProduto();
        });
        return true;
    }
    if (key->key() == Qt::Key_Backspace && !editando) {
        executa([this, coluna] { logic_->itens.apagaItem(coluna); });
        return true;
    }
    if (coluna == ColunaItem::Produto && editando) {
        const bool apaga = key->key() == Qt::Key_Delete;
        executa([this, apaga] { logic_->itens.teclaProduto(apaga); });
        if (apaga)
            return true;
    }
    if (coluna == ColunaItem::Preco && editando) {
        static const int livres[] = {Qt::Key_Tab,  Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Enter,
                                     Qt::Key_Left, Qt::Key_Right,   Qt::Key_Up,     Qt::Key_Down};
        if (logic_->itens.precoBloqueado() && std::find(std::begin(livres), std::end(livres), key->key()) == std::end(livres))
            return true;
        logic_->itens.teclaPreco();
    }
    return false;
}

TfrmLanPedido* CriaLanctoPedido()
{
    static QPointer<TfrmLanPedido> instance;
    return criaJanela<TfrmLanPedido>(instance, true, [] { return new TfrmLanPedido; });
}

} // namespace zov
