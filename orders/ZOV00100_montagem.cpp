// The order window's building: menus and toolbar, its edits and lookup
// buttons, and each page.
#include "orders/ZOV00100.h"
#include "orders/ZOV00100_interno.h"
#include "orders/ZOV00103.h"
#include "orders/envio_email.h"
#include "orders/repeticao_pedido.h"

namespace zov {

using namespace zov00100;

bool TfrmLanPedido::antesDoComando() { return commitOpenEditor(dbgItens); }

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
                l->registro.mudaPagina(PaginaPedido(i));
        });
        a->setCheckable(true);
        paginas_ << a;
    }
    // The menu lists the items before the payment page.
    mnuOperacao->addActions({paginas_[0], paginas_[1], paginas_[3], paginas_[2], paginas_[4]});
    mnuOperacao->addSeparator();
    sbtImprimir = comando(QStringLiteral("sbtImprimir"), QStringLiteral("&Imprimir..."), QKeySequence(Qt::CTRL | Qt::Key_I), [this, l] {
        if (const auto pedido = l->registro.pedidoParaImprimir())
            ImprimePedido(DataBaseGeralPed(), pedido->cdFilial, pedido->nrPedido, this);
    });
    sbtImprimir->setEnabled(false);
    mnuConfImpressora = comando(QStringLiteral("mnuConfImpressora"), QStringLiteral("&Configurar Impressora..."),
                                QKeySequence(Qt::CTRL | Qt::Key_F), [] { dialogs().printerSetup(); });
    mnuConfImpressora->setEnabled(false);
    mnuFechar = comando(QStringLiteral("mnuFechar"), QStringLiteral("Fecha&r"), QKeySequence(Qt::CTRL | Qt::Key_F4), [this] { fecha(); });
    mnuEmail = comando(QStringLiteral("mnuEnviarEmail"), QStringLiteral("Enviar por E-mai&l..."), {}, [l] {
        if (const auto pedido = l->registro.pedidoParaImprimir())
            EnviaPedidoPorEmail(DataBaseGeralPed(), pedido->cdFilial, pedido->nrPedido);
    });
    mnuEmail->setEnabled(false);
    mnuOperacao->addActions({sbtImprimir, mnuEmail, mnuConfImpressora});
    mnuOperacao->addSeparator();
    mnuHistorico =
        comando(QStringLiteral("mnuHistorico"), QStringLiteral("&Histórico do Cliente..."), QKeySequence(Qt::CTRL | Qt::Key_H), [this, l] {
            const ClienteDoPedido c = clienteDoPedido(*l);
            if (auto repetir = HistoricoDoCliente(DataBaseGeralPed(), c.cdCliente, c.cdFilial, c.nome, c.nrPedido, this))
                repetePedido(*l, std::move(*repetir));
        });
    mnuRepetir = comando(QStringLiteral("mnuRepetir"), QStringLiteral("Repe&tir Pedido"), QKeySequence(Qt::CTRL | Qt::Key_R),
                         [l] { repeteAtual(*l); });
    mnuRepetir->setEnabled(false);
    mnuOperacao->addActions({mnuHistorico, mnuRepetir});
    mnuOperacao->addSeparator();
    mnuOperacao->addAction(mnuFechar);

    QMenu* mnuManutencao = menuBar->addMenu(QStringLiteral("&Manutenção"));
    auto acao = [&](QAction*& a, const char* name, const QString& text, const QKeySequence& key, QStyle::StandardPixmap icon,
                    const std::function<void()>& run) { a = acaoManutencao(mnuManutencao, toolBar, name, text, key, icon, run); };
    acao(sbtIncluir, "sbtIncluir", QStringLiteral("&Incluir"), Qt::Key_F2, QStyle::SP_FileIcon, [l] { l->registro.incluir(); });
    acao(sbtAlterar, "sbtAlterar", QStringLiteral("&Alterar"), Qt::Key_F3, QStyle::SP_FileDialogDetailedView,
         [l] { l->registro.alterar(); });
    acao(sbtExcluir, "sbtExcluir", QStringLiteral("&Excluir"), Qt::Key_F4, QStyle::SP_TrashIcon, [l] { l->registro.excluir(); });
    acao(sbtProcurar, "sbtProcurar", QStringLiteral("&Procurar"), Qt::Key_F7, QStyle::SP_FileDialogContentsView,
         [l] { l->registro.procurar(); });
    acao(sbtAtualizar, "sbtAtualizar", QStringLiteral("A&tualizar"), Qt::Key_F5, QStyle::SP_BrowserReload,
         [l] { l->registro.atualizar(); });
    sbtAtualizar->setToolTip(QStringLiteral("Atualizar"));
    acao(sbtCancelar, "sbtCancelar", QStringLiteral("&Cancelar"), Qt::Key_Escape, QStyle::SP_DialogCancelButton,
         [l] { l->registro.cancelar(); });
    acao(sbtConfirmar, "sbtConfirmar", QStringLiteral("Co&nfirmar\tCtrl+Enter"), {}, QStyle::SP_DialogApplyButton,
         [l] { l->registro.confirmar(); });
    sbtConfirmar->setShortcuts(confirmShortcuts());
    sbtConfirmar->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    sbtConfirmar->setIconText(QStringLiteral("Confirmar"));
    acao(sbtFiltrar, "sbtFiltrar", QStringLiteral("&Filtrar"), QKeySequence(Qt::CTRL | Qt::Key_L), QStyle::SP_FileDialogListView,
         [l] { l->registro.filtrar(); });
    acao(sbtConsultaProd, "sbtConsultaProd", QStringLiteral("Consulta P&roduto"), QKeySequence(Qt::CTRL | Qt::Key_P),
         QStyle::SP_FileDialogInfoView, [this, l] {
             if (sbtConsultaProd->isEnabled())
                 ConsultaProdutos(*l, this);
         });
    sbtImprimir->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    toolBar->addAction(sbtImprimir);
    QAction* sbtAjuda =
        comando(QStringLiteral("sbtAjuda"), QStringLiteral("Aj&uda"), {}, [] { dialogs().ajuda(QString::fromLatin1(kScreenCode)); });
    sbtAjuda->setIcon(st->standardIcon(QStyle::SP_DialogHelpButton));
    toolBar->addAction(sbtAjuda);
    mnuFechar->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    toolBar->addAction(mnuFechar);
    for (QAction* a :
         {sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtAtualizar, sbtCancelar, sbtConfirmar, sbtFiltrar, sbtConsultaProd})
        a->setEnabled(false);

    comando(QStringLiteral("actFilial"), QString(), Qt::Key_F12, [l] { l->registro.focaFilial(); });
    QAction* proxima = comando(QStringLiteral("actProximaPagina"), QString(), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                               [this] { mudaPaginaPorTecla(1); });
    proxima->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_Tab)});
    QAction* anterior = comando(QStringLiteral("actPaginaAnterior"), QString(), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                                [this] { mudaPaginaPorTecla(-1); });
    anterior->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
    movimentos_ << navegador([l] { l->registro.primeiro(); }, [l] { l->registro.anterior(); }, [l] { l->registro.proximo(); },
                             [l] { l->registro.ultimo(); });

    QMenu* mnuAjuda = menuBar->addMenu(QStringLiteral("Aj&uda"));
    mnuAjuda->addAction(sbtAjuda);

    marcaEdicao({sbtIncluir, sbtAlterar, sbtExcluir, sbtConfirmar});
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

QToolButton* TfrmLanPedido::botaoPesquisa(const QString& name, std::function<void()> run)
{
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(QStringLiteral("..."));
    b->setToolTip(QStringLiteral("Pesquisar (F9)"));
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this, [this, run] {
        CheckGuard guard; // the field the focus leaves for the dialog is not being left
        executa(run);
    });
    return b;
}

void TfrmLanPedido::liga(QLineEdit* e, QString TelaPedido::*campo, std::function<void()> mudou, bool digitos)
{
    campos_.insert(e, campo);
    connect(e, &QLineEdit::textEdited, this, [this, e, campo, mudou, digitos](const QString& text) {
        logic_->contexto.tela.*campo = digitos ? semLiterais(text) : text;
        if (mudou)
            executa(mudou);
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
    liga(medFilial, &TelaPedido::filial, [this] { logic_->registro.filialMudou(); });
    edtNmFilial = edit(QStringLiteral("edtNmFilial"), ControlePedido::Nenhum, true);
    LancPedido* l = logic_.get();
    handlers_[medFilial] = {[l] { l->registro.entraFilial(); },
                            [this, l] {
                                l->registro.saiFilial();
                                // Leaving the whole branch area opens the filter for the branch.
                                QWidget* next = QApplication::focusWidget();
                                if (!next || !grpFilial->isAncestorOf(next))
                                    l->registro.saiAreaFilial();
                            },
                            [l] { l->registro.pesquisaFilial(); }, nullptr};
    h->addWidget(rotulo(QStringLiteral("Filial"), medFilial, grpFilial));
    h->addWidget(medFilial);
    h->addWidget(botaoPesquisa(QStringLiteral("btnFilial"), [this] { logic_->registro.pesquisaFilial(); }));
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
    modelPedido_ = std::make_unique<DatasetModel>(logic_->contexto.qryPedido);
    bindGrid(dbgPedido, modelPedido_.get());
    dbgPedido->setItemDelegate(new PedidoGradeDelegate(modelPedido_.get(), dbgPedido));
    sizeColumnsToFields(dbgPedido, modelPedido_.get());
    dbgPedido->horizontalHeader()->setStretchLastSection(true);
    dbgPedido->installEventFilter(this);
    controles_.insert(int(ControlePedido::GradePedidos), dbgPedido);
    connect(dbgPedido, &QTableView::doubleClicked, this, [this] {
        if (pgcPedido->isTabEnabled(kPagina(PaginaPedido::DadosGerais)))
            executa([this] { logic_->registro.mudaPagina(PaginaPedido::DadosGerais); });
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
    liga(medDataPedido, &TelaPedido::dataPedido, [this] { logic_->cabecalho.dataPedidoMudou(); });
    handlers_[medDataPedido] = {nullptr, [l] { l->cabecalho.saiDataPedido(); }, nullptr,
                                [this] { controle(ControlePedido::Cliente)->setFocus(Qt::TabFocusReason); }};
    QLineEdit* medCliente = edit(QStringLiteral("medCliente"), ControlePedido::Cliente);
    medCliente->setMinimumWidth(medCliente->fontMetrics().horizontalAdvance(QStringLiteral("00.000.000/0000-000")) + 12);
    liga(
        medCliente, &TelaPedido::cliente, [this] { logic_->cabecalho.clienteMudou(); }, true);
    handlers_[medCliente] = {[this, l] {
                                 l->cabecalho.entraCliente();
                                 atualizaTela();
                             },
                             [l] { l->cabecalho.saiCliente(); }, [l] { l->cabecalho.pesquisaCliente(); }, nullptr};
    edtNmCliente = edit(QStringLiteral("edtNmCliente"), ControlePedido::Nenhum, true);
    QLineEdit* edtVendedor = edit(QStringLiteral("edtVendedor"), ControlePedido::Vendedor, true);
    edtNmVendedor = edit(QStringLiteral("edtNmVendedor"), ControlePedido::Nenhum, true);
    QLineEdit* edtTipoOper = edit(QStringLiteral("edtTipoOper"), ControlePedido::TipoOper);
    edtTipoOper->setMaxLength(2);
    liga(edtTipoOper, &TelaPedido::tipoOper, [this] { logic_->cabecalho.tipoOperMudou(); });
    handlers_[edtTipoOper] = {nullptr, [l] { l->cabecalho.saiTipoOper(); }, [l] { l->cabecalho.pesquisaTipoOper(); }, [] {}};
    edtNmTipoOper = edit(QStringLiteral("edtNmTipoOper"), ControlePedido::Nenhum, true);
    QLineEdit* medDataEntrega = edit(QStringLiteral("medDataEntrega"), ControlePedido::DataEntrega);
    medDataEntrega->setInputMask(QStringLiteral("99/99/9999;_"));
    liga(medDataEntrega, &TelaPedido::dataEntrega, [this] { logic_->cabecalho.dataEntregaMudou(); });
    handlers_[medDataEntrega] = {nullptr, [l] { l->cabecalho.saiDataEntrega(); }, nullptr, nullptr};

    QToolButton* btnCliente = botaoPesquisa(QStringLiteral("btnCliente"), [this] { logic_->cabecalho.pesquisaCliente(); });
    QToolButton* btnTipoOper = botaoPesquisa(QStringLiteral("btnTipoOper"), [this] { logic_->cabecalho.pesquisaTipoOper(); });
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
        connect(r, &QRadioButton::clicked, this, [this, l, p] { executa([l, p] { l->cabecalho.prioridadeClicada(p); }); });
    }
    controles_.insert(int(ControlePedido::Prioridade), prioridades_.value(int(Prioridade::Normal)));
    g->addWidget(grpPrioridade, row++, 0, 1, 5);
    lblSitEmpresa = new QLabel(page);
    lblSitEmpresa->setObjectName(QStringLiteral("lblSitEmpresa"));
    lblSitEmpresa->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblSitEmpresa->setWordWrap(true);
    auto* rotuloSit = new QLabel(QStringLiteral("Situação na Empresa"), page);
    g->addWidget(rotuloSit, row, 0);
    g->addWidget(lblSitEmpresa, row++, 1, 1, 4);
    lblCredito = new QLabel(page);
    lblCredito->setObjectName(QStringLiteral("lblCredito"));
    lblCredito->setTextInteractionFlags(Qt::TextSelectableByMouse);
    g->addWidget(new QLabel(QStringLiteral("Crédito do Cliente"), page), row, 0);
    g->addWidget(lblCredito, row++, 1, 1, 4);
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
    liga(edtCdModPgto, &TelaPedido::cdModPgto, [this] { logic_->pagamento.cdModPgtoMudou(); });
    handlers_[edtCdModPgto] = {nullptr, [l] { l->pagamento.saiCdModPgto(); }, [l] { l->pagamento.pesquisaModPgto(); },
                               [this] { controle(ControlePedido::PrcBase)->setFocus(Qt::TabFocusReason); }};
    edtDsModPgto = edit(QStringLiteral("edtDsModPgto"), ControlePedido::Nenhum, true);
    QToolButton* btnModPgto = botaoPesquisa(QStringLiteral("btnModPgto"), [this] { logic_->pagamento.pesquisaModPgto(); });
    gm->addWidget(edtCdModPgto, 0, 0);
    gm->addWidget(btnModPgto, 0, 1);
    gm->addWidget(edtDsModPgto, 0, 2);
    gm->setColumnStretch(2, 1);
    v->addWidget(grpMod);

    auto* grpPrc = new QGroupBox(QStringLiteral("Preço Base"), page);
    auto* gp = new QGridLayout(grpPrc);
    QLineEdit* edtPrcBase = edit(QStringLiteral("edtPrcBase"), ControlePedido::PrcBase);
    edtPrcBase->setMaxLength(2);
    liga(edtPrcBase, &TelaPedido::cdPrcBase, [this] { logic_->pagamento.prcBaseMudou(); });
    handlers_[edtPrcBase] = {nullptr, [l] { l->pagamento.saiPrcBase(); }, [l] { l->pagamento.pesquisaPrcBase(); },
                             [this] { controle(ControlePedido::CdModPgto)->setFocus(Qt::TabFocusReason); }};
    edtDsPrcBase = edit(QStringLiteral("edtDsPrcBase"), ControlePedido::Nenhum, true);
    QToolButton* btnPrcBase = botaoPesquisa(QStringLiteral("btnPrcBase"), [this] { logic_->pagamento.pesquisaPrcBase(); });
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
    liga(
        edtDiaFixo, &TelaPedido::diaFixo, [this] { logic_->pagamento.diaFixoMudou(); }, true);
    handlers_[edtDiaFixo] = {nullptr, [l] { l->pagamento.saiDiaFixo(); }, nullptr, nullptr};
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
    Query& itens = logic_->itens.qryItemPedido;
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
        executa([this] { logic_->itens.pesquisaProduto(); });
    };
    dbgItens->setItemDelegate(delegate);
    sizeColumnsToFields(dbgItens, modelItens_.get());
    // The product's name takes what the other columns leave.
    dbgItens->horizontalHeader()->setSectionResizeMode(modelItens_->columnOf(QStringLiteral("NMPRODUTO")), QHeaderView::Stretch);
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
    connect(dbgItens->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                if (!before.isValid() || now.column() == before.column() || trocandoColuna_)
                    return;
                const ColunaItem saiu = colunaDoCampo(modelItens_->fieldAt(before.column()).fieldName());
                CheckGuard guard;
                if (!guard.busy())
                    executa([this, saiu] { logic_->itens.saiColunaItem(saiu); });
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
    dbrObservacao->setDocument(&logic_->observacao.docObservacao);
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
    QAction* negrito = alterna("sbtNegrito", QStringLiteral("N"), QStringLiteral("Negrito (Ctrl+B)"),
                               [ed](bool on) { ed->setFontWeight(on ? QFont::Bold : QFont::Normal); });
    QAction* italico =
        alterna("sbtItalico", QStringLiteral("I"), QStringLiteral("Itálico (Ctrl+I)"), [ed](bool on) { ed->setFontItalic(on); });
    QAction* sublinhado =
        alterna("sbtSublinhado", QStringLiteral("S"), QStringLiteral("Sublinhado (Ctrl+U)"), [ed](bool on) { ed->setFontUnderline(on); });
    ed->installEventFilter(new AtalhosDeFormato(ed, {{Qt::Key_B, negrito}, {Qt::Key_I, italico}, {Qt::Key_U, sublinhado}}));
    botao("sbtEsquerda", QStringLiteral("Esq."), QStringLiteral("Alinhar à esquerda"), [ed] { ed->setAlignment(Qt::AlignLeft); });
    botao("sbtCentro", QStringLiteral("Centro"), QStringLiteral("Alinhar centralizado"), [ed] { ed->setAlignment(Qt::AlignHCenter); });
    botao("sbtDireita", QStringLiteral("Dir."), QStringLiteral("Alinhar à direita"), [ed] { ed->setAlignment(Qt::AlignRight); });
    botao("sbtNumerador", QStringLiteral("•"), QStringLiteral("Numerador"), [ed] {
        QTextCursor c = ed->textCursor();
        if (QTextList* lista = c.currentList()) {
            // The format read after the removal: the one before still names the list.
            lista->remove(c.block());
            QTextBlockFormat f = c.blockFormat();
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
    connect(deArquivo, &QAction::triggered, this, [this, l] { executa([l] { l->observacao.importaArquivo(); }); });
    QAction* dePedido = menu->addAction(QStringLiteral("De outro Pedido..."));
    dePedido->setObjectName(QStringLiteral("mnuImportaPedido"));
    connect(dePedido, &QAction::triggered, this, [this, l] { executa([l] { l->observacao.importaDeOutroPedido(); }); });
    btnImportar->setMenu(menu);
    auto* btnSalvar = new QToolButton(page);
    btnSalvar->setObjectName(QStringLiteral("btnSalvar"));
    btnSalvar->setText(QStringLiteral("Salvar"));
    connect(btnSalvar, &QToolButton::clicked, this, [this, l] { executa([l] { l->observacao.salvaArquivo(); }); });
    botoes->addWidget(btnImportar);
    botoes->addWidget(btnSalvar);
    botoes->addStretch(1);
    v->addLayout(botoes);
    obsArea_ << barra << btnImportar << btnSalvar;
    return page;
}

} // namespace zov
