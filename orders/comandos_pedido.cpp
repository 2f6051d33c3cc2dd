// The order window's commands, their states, the pages and the branch area.
#include "session/GeralZOV.h"
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/retrato.h"
#include "library/velmora.h"
#include "orders/lanc_pedido.h"

namespace zov {

namespace {

bool editandoQry(const Query& q) { return q.state() == DataSetState::Edit || q.state() == DataSetState::Insert; }

} // namespace

// ---------------------------------------------------------------- opening

void LancPedido::inicia()
{
    tela.filial = Filial();
    tela.nmFilial = NmFilial();
    Filtro.Filial = tela.filial;
    view_.atualizaTela();
    // The session branch's price lock holds also when its field is never left.
    leParametroFilial();
    if (ModuFili()) {
        saiAreaFilial();
    } else {
        view_.foca(ControlePedido::Filial);
        atualizaComandos();
    }
}

void LancPedido::ativada()
{
    stUltVal.clear();
    if (qryPedido.active() && qryPedido.state() == DataSetState::Browse)
        atualizar();
}

// ---------------------------------------------------------------- branch area

void LancPedido::entraFilial()
{
    // The list closes while another branch may be chosen.
    if (pedidoEditando())
        return;
    qryPedido.close();
    qryItemPedido.close();
    qryObsPedido.close();
    filialAceita_ = false;
    limpaCabecalho();
    tela.periodoVisivel = false;
    if (view_.paginaAtual() != PaginaPedido::Pedidos)
        view_.mostraPagina(PaginaPedido::Pedidos);
    view_.atualizaTela();
    atualizaComandos();
}

void LancPedido::filialMudou()
{
    tela.nmFilial.clear();
    Filtro.Produto.boTodos = true;
    Filtro.Produto.stProduto.clear();
}

void LancPedido::Vd_Filial()
{
    if (EmptyString(tela.filial))
        falha(ControlePedido::Filial, PaginaPedido::Pedidos, msg("FILIAL"));
    tela.filial = Ajusta(tela.filial, 4);
    Statement st(db_, QStringLiteral("SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE (CDFILIAL = :P_CDFILIAL)"));
    st.bind(QStringLiteral("P_CDFILIAL"), tela.filial);
    if (!st.step()) {
        tela.nmFilial.clear();
        falha(ControlePedido::Filial, PaginaPedido::Pedidos, msg("CD_NUL"));
    }
    tela.filial = st.rawValue(0).toString();
    tela.nmFilial = st.rawValue(1).toString();
    view_.atualizaTela();
}

void LancPedido::leParametroFilial()
{
    // The branch decides whether the unit price may be typed.
    Statement st(db_, QStringLiteral("SELECT CDFILIAL,IDPERALTPRECO FROM PARAMPEDIDO WHERE CDFILIAL = :P_CDFILIAL ORDER BY CDFILIAL"));
    st.bind(QStringLiteral("P_CDFILIAL"), tela.filial);
    if (!st.step())
        return;
    const QString permite = st.rawValue(1).toString().trimmed();
    boBloqueiaPreco = permite.isEmpty() || permite == QLatin1String("N");
    view_.precoEditavel(!boBloqueiaPreco);
}

void LancPedido::saiFilial()
{
    Vd_Filial();
    leParametroFilial();
}

bool LancPedido::saiAreaFilial()
{
    if (fechandoFilial_)
        return true;
    fechandoFilial_ = true;
    bool ok = false;
    try {
        ok = filtrar();
    } catch (...) {
        fechandoFilial_ = false;
        throw;
    }
    fechandoFilial_ = false;
    if (!ok && !qryPedido.active())
        view_.foca(ControlePedido::Filial);
    return ok;
}

void LancPedido::pesquisaFilial()
{
    if (!pesquisa_)
        return;
    preparaLista(QStringLiteral("SELECT CDFILIAL, NMFILIAL, CDSEGMER FROM FILIAL ORDER BY CDFILIAL"));
    qryLista.defineField(QStringLiteral("CDFILIAL")).displayLabel = QStringLiteral("Código");
    qryLista.defineField(QStringLiteral("NMFILIAL")).displayLabel = QStringLiteral("Nome");
    qryLista.defineField(QStringLiteral("CDSEGMER")).visible = false;
    qryLista.open();
    if (pesquisa_(qryLista, QStringLiteral("Filial"))) {
        tela.filial = qryLista[QStringLiteral("CDFILIAL")].asString();
        tela.nmFilial = qryLista[QStringLiteral("NMFILIAL")].asString();
        view_.atualizaTela();
    }
    qryLista.close();
    view_.foca(ControlePedido::Filial);
}

bool LancPedido::filtrar()
{
    if (pedidoEditando())
        return false;
    if (!EmptyString(tela.filial) && tela.filial != Filtro.Filial)
        Vd_Filial();
    Filtro.Filial = tela.filial;
    const bool ok = view_.filtra(Filtro, [this] { abreLista(); });
    atualizaComandos();
    return ok;
}

void LancPedido::focaFilial()
{
    if (qryPedido.state() != DataSetState::Browse && qryPedido.active())
        return;
    if (comandos().areaFilial)
        view_.foca(ControlePedido::Filial);
}

// ---------------------------------------------------------------- states

bool LancPedido::temItemAprovado() const
{
    return db_.scalar(QStringLiteral("SELECT COUNT(*) AS NRITPEDAPROVADO FROM ITEMPEDIDO WHERE (CDFILIAL = :P_CDFILIAL) AND "
                                     "(NRPEDIDO = :P_NRPEDIDO) AND (IDSITITEMPED = '3' )"),
                      {{QStringLiteral("P_CDFILIAL"), valor("CDFILIAL")}, {QStringLiteral("P_NRPEDIDO"), valor("NRPEDIDO")}})
               .toInt() > 0;
}

ComandosPedido LancPedido::comandos() const
{
    ComandosPedido c;
    const DataSetState s = qryPedido.state();
    const bool browse = s == DataSetState::Browse;
    const bool editando = s == DataSetState::Edit || s == DataSetState::Insert;
    const bool vazia = listaVazia();
    const PaginaPedido pagina = view_.paginaAtual();
    const bool exportado = pedidoExportado();
    c.cancelar = c.confirmar = editando;
    c.incluir = browse && filialAceita_ && !(exportado && (pagina == PaginaPedido::Itens || pagina == PaginaPedido::Observacao));
    bool alteravel = browse && !vazia && !exportado && !temItemAprovado();
    if (pagina == PaginaPedido::Observacao)
        alteravel = alteravel && qryObsPedido.active() && qryObsPedido.state() == DataSetState::Browse && !qryObsPedido.isEmpty();
    c.alterar = c.excluir = alteravel;
    c.procurar = browse && !vazia && pagina != PaginaPedido::Observacao;
    c.atualizar = browse && !vazia;
    c.filtrar = browse || vazia || !qryPedido.active();
    c.consultaProduto = !vazia;
    c.navegador = browse && !vazia;
    // What is being typed is not printed: the mirror reads the stored order.
    c.imprimir = browse && !vazia;
    for (int i = 0; i < kPaginasPedido; ++i)
        c.paginas[i] = editando ? i > 0 : (!vazia || i == 0);
    c.areaFilial = !ModuFili() && !editando;
    c.cabecalho = !exportado;
    c.gradeItens = !exportado || qryPedido.state() == DataSetState::Insert;
    if (pagina == PaginaPedido::Itens) {
        // The items page's own commands.
        const bool temItens = qryItemPedido.active() && !qryItemPedido.isEmpty();
        const bool itemNovo = qryItemPedido.state() == DataSetState::Insert;
        if (temItens && !itemNovo && exportado) {
            c.incluir = boBotaoIncuiItem;
            c.alterar = c.excluir = false;
            c.gradeItens = false;
        } else {
            c.incluir = c.incluir && !itemEditando() && !editando;
            c.alterar = c.excluir = !itemEditando() && temItens && !editando && !vazia && !temItemAprovado();
            c.gradeItens = true;
        }
    }
    return c;
}

void LancPedido::atualizaComandos() { view_.habilitaComandos(comandos()); }

std::optional<LancPedido::ChavePedido> LancPedido::pedidoParaImprimir() const
{
    if (!comandos().imprimir)
        return std::nullopt;
    return ChavePedido{valor("CDFILIAL"), valor("NRPEDIDO")};
}

// ---------------------------------------------------------------- pages

void LancPedido::mudaPagina(PaginaPedido pagina)
{
    view_.mostraPagina(pagina);
    paginaMostrada(pagina);
}

void LancPedido::paginaMostrada(PaginaPedido pagina)
{
    switch (pagina) {
    case PaginaPedido::Itens:
        if (pedidoEditando()) {
            Vd_CdModPgto(false);
            // A new order begins its first item at once.
            if (qryPedido.state() == DataSetState::Insert && !itemEditando() && (!qryItemPedido.active() || qryItemPedido.isEmpty()))
                incluirItem();
        } else {
            abreItens();
        }
        break;
    case PaginaPedido::Observacao:
        if (!editandoQry(qryObsPedido))
            abreObservacao();
        view_.foca(ControlePedido::Observacao);
        break;
    default:
        if (!pedidoEditando())
            mostraPedidoNaTela();
        if (pagina == PaginaPedido::Pedidos)
            view_.foca(ControlePedido::GradePedidos);
        break;
    }
    view_.atualizaTela();
    atualizaComandos();
}

// ---------------------------------------------------------------- commands

void LancPedido::incluir()
{
    if (!comandos().incluir)
        return;
    if (view_.paginaAtual() == PaginaPedido::Itens && !listaVazia()) {
        abreItens();
        incluirItem();
        return;
    }
    if (view_.paginaAtual() == PaginaPedido::Observacao && !listaVazia()) {
        editaObservacao();
        view_.foca(ControlePedido::Observacao);
        return;
    }
    // The items and the observation of a new order come with their own issues of work;
    // on every page Include begins a new order.
    if (qryPedido.recordCount() > 0)
        qryPedido.first();
    {
        EventsSuspended quiet(qryPedido);
        qryPedido.insert();
    }
    novoPedido();
    mudaPagina(PaginaPedido::DadosGerais);
    abreItens();
    view_.foca(ControlePedido::DataPedido);
    view_.atualizaTela();
    atualizaComandos();
}

void LancPedido::alterar()
{
    if (!comandos().alterar)
        return;
    const PaginaPedido pagina = view_.paginaAtual();
    if (pagina == PaginaPedido::Itens) {
        alterarItem();
        return;
    }
    if (pagina == PaginaPedido::Observacao) {
        editaObservacao();
        view_.foca(ControlePedido::Observacao);
        return;
    }
    if (!editaPedido())
        return;
    mudaPagina(PaginaPedido::DadosGerais);
    view_.foca(ControlePedido::DataPedido);
    atualizaComandos();
}

void LancPedido::excluir()
{
    if (!comandos().excluir)
        return;
    const QString filial = valor("CDFILIAL");
    const QString numero = valor("NRPEDIDO");
    if (temItemExpedido(db_, filial, numero))
        MensErro(msg("ALT_PEDIDO_PARC"), true);
    const PaginaPedido pagina = view_.paginaAtual();
    if (pagina == PaginaPedido::Observacao) {
        excluiObservacao();
        return;
    }
    try {
        if (pagina == PaginaPedido::Itens && qryItemPedido.active() && !qryItemPedido.isEmpty()) {
            const int itens = db_.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMPEDIDO WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"),
                                         {{QStringLiteral("P_CDFILIAL"), filial}, {QStringLiteral("P_NRPEDIDO"), numero}})
                                  .toInt();
            const QString item = qryItemPedido[QStringLiteral("NRITEMPED")].asString();
            if (itens > 1) {
                if (!dialogs().confirm(msg("Excl")))
                    return;
                db_.exec(QStringLiteral("DELETE FROM ITEMPEDIDO WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO AND NRITEMPED = :P_NRITEMPED"),
                         {{QStringLiteral("P_CDFILIAL"), filial}, {QStringLiteral("P_NRPEDIDO"), numero}, {QStringLiteral("P_NRITEMPED"), item}});
                abreItens();
                view_.atualizaTela();
                atualizaComandos();
                return;
            }
            if (!dialogs().confirm(msg("Del_PED")))
                return;
        } else if (!dialogs().confirm(msg("Excl"))) {
            return;
        }
        excluiPedido(db_, filial, numero);
    } catch (const Abort&) {
        throw;
    } catch (const std::exception& e) {
        // Nothing was deleted: the order stays as it was, and the user knows why.
        MensErro(msg("erro_excl") + QLatin1Char('\n') + QString::fromUtf8(e.what()), true);
    }
    // The list is read again without the order, on the order that took its place.
    const int recNo = qryPedido.recNo();
    abreQryPedido(qryPedido, Filtro);
    if (!qryPedido.isEmpty())
        qryPedido.setRecNo(std::min(recNo, qryPedido.recordCount()));
    if (listaVazia() || pagina == PaginaPedido::Itens)
        mudaPagina(PaginaPedido::Pedidos);
    aposRolagem();
}

void LancPedido::procurar()
{
    if (!comandos().procurar)
        return;
    if (view_.paginaAtual() == PaginaPedido::Itens && qryItemPedido.active() && !qryItemPedido.isEmpty())
        view_.procura(qryItemPedido);
    else
        view_.procura(qryPedido);
}

void LancPedido::atualizar()
{
    if (!comandos().atualizar)
        return;
    if (view_.paginaAtual() == PaginaPedido::Observacao)
        return;
    // Back on the same order after reading the list again.
    const QString numero = valor("NRPEDIDO");
    {
        EventsSuspended quiet(qryPedido);
        abreQryPedido(qryPedido, Filtro);
        if (!numero.isEmpty())
            qryPedido.locate(QStringLiteral("NRPEDIDO"), numero);
    }
    aposRolagem();
    abreItens();
    abreObservacao();
    view_.atualizaTela();
}

void LancPedido::cancelaPedido()
{
    {
        EventsSuspended quiet(qryPedido);
        qryPedido.cancel();
        qryPedido.cancelUpdates();
    }
    if (editandoQry(qryItemPedido))
        qryItemPedido.cancel();
    qryItemPedido.cancelUpdates();
    if (editandoQry(qryObsPedido))
        qryObsPedido.cancel();
    qryObsPedido.cancelUpdates();
    mostraObservacao();
    modalidadeMudou = false;
    stModPgto.clear();
    descartado_ = true;
    if (listaVazia())
        mudaPagina(PaginaPedido::Pedidos);
    aposRolagem();
}

void LancPedido::cancelar()
{
    if (!pedidoEditando() && !editandoQry(qryItemPedido) && !editandoQry(qryObsPedido))
        return;
    if (!dialogs().confirm(msg("Canc")))
        return;
    // The items page comes back to the item that was current, when it is still there.
    const QString item = qryItemPedido.active() ? qryItemPedido[QStringLiteral("NRITEMPED")].asString() : QString();
    const QString numero = valor("NRPEDIDO");
    cancelaPedido();
    if (view_.paginaAtual() == PaginaPedido::Itens && !item.isEmpty() && valor("NRPEDIDO") == numero && qryItemPedido.active())
        qryItemPedido.locate(QStringLiteral("NRITEMPED"), item);
}

LancPedido::PreparoGravacao LancPedido::preparaGravacao(bool confirmacao)
{
    PreparoGravacao p;
    bool mudouEntrega = false;
    if (confirmacao && qryPedido.state() == DataSetState::Edit && !pedidoExportado()) {
        const QVariant old = qryPedido[QStringLiteral("DTENTPED")].oldValue();
        const QDate antiga = old.metaType().id() == QMetaType::QDate ? old.toDate() : old.toDateTime().date();
        mudouEntrega = antiga != parseDateTime(tela.dataEntrega).date();
    }
    if (itemEditando())
        antesDoPostItem();
    if (pedidoEditando() && !pedidoExportado())
        antesDoPost(p);
    if (confirmacao) {
        p.situacaoItens = modalidadeMudou && qryPedido.state() == DataSetState::Edit;
        p.entregaItens = mudouEntrega && dialogs().confirm(msg("ALT_DTITEM"));
    }
    return p;
}

void LancPedido::gravaPreparado(const PreparoGravacao& p)
{
    // The line goes into the dataset first, so that a repricing prices it with the others.
    if (itemEditando())
        qryItemPedido.post();
    if (pedidoEditando()) {
        if (pedidoExportado()) {
            // An exported order stays as it was sent: only its observation is stored.
            EventsSuspended quiet(qryPedido);
            qryPedido.cancel();
        } else {
            qryPedido.post();
            qryPedido.applyUpdates();
            qryPedido.commitUpdates();
        }
    }
    if (p.reprecificaData)
        reprecifica(false);
    if (p.reprecificaLista)
        reprecifica(true);
    qryItemPedido.applyUpdates();
    qryItemPedido.commitUpdates();
    gravaObservacaoPendente();
    QVariantMap chave{{QStringLiteral("P_CDFILIAL"), valor("CDFILIAL")}, {QStringLiteral("P_NRPEDIDO"), valor("NRPEDIDO")}};
    if (p.situacaoItens) {
        QVariantMap sit = chave;
        sit.insert(QStringLiteral("P_IDSITITEM"), LancPedSit(valor("IDSITPEDIDO")));
        db_.exec(QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = :P_IDSITITEM WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"), sit);
    }
    if (p.entregaItens) {
        // Each item keeps its own time of day.
        chave.insert(QStringLiteral("P_DTENTREGA"), parseDateTime(tela.dataEntrega).date().toString(Qt::ISODate));
        db_.exec(QStringLiteral("UPDATE ITEMPEDIDO SET DTENTITPED = :P_DTENTREGA || "
                                "CASE WHEN length(DTENTITPED) > 10 THEN substr(DTENTITPED, 11) ELSE ' 00:00:00' END "
                                "WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"),
                 chave);
    }
}

void LancPedido::restauraTudo(const RetratoPedido& r)
{
    // The rollback made what the store applied pending again: each dataset drops
    // it and takes back its record as typed, in its state.
    restaura(r.pedido);
    restaura(r.item);
    restaura(r.obs);
    boValorDigitado = r.valorDigitado;
    VrTotalItemPed();
    view_.atualizaTela();
    atualizaComandos();
}

void LancPedido::confirmar()
{
    if (!pedidoEditando() && observacaoEditando() && !editaPedido())
        return;
    if (!pedidoEditando())
        return;
    // Field exits the focus moves trigger meanwhile are not checks of their own.
    CheckGuard guard;
    const bool insercao = qryPedido.state() == DataSetState::Insert;
    // A new line nothing was typed into is no item (cancel on exit).
    descartaItemIntocado();
    const RetratoPedido antes{retrata(qryPedido), retrata(qryItemPedido), retrata(qryObsPedido), boValorDigitado};
    descartado_ = false;
    bool gravando = false;
    try {
        // Every check and question first: none waits with the database locked.
        const PreparoGravacao preparo = preparaGravacao(true);
        gravando = true;
        db_.transaction([&] { gravaPreparado(preparo); });
    } catch (const Abort&) {
        // A check stopped it: nothing was written and the records are still in edit
        // (unless a No to a question dropped the changes on purpose).
        if (gravando)
            restauraTudo(antes);
        else if (!pedidoEditando() && !descartado_)
            restaura(antes.pedido);
        view_.atualizaTela();
        atualizaComandos();
        throw;
    } catch (const std::exception& e) {
        restauraTudo(antes);
        MensErro(msg("erro_grav") + QLatin1Char('\n') + QString::fromUtf8(e.what()), true);
    }
    modalidadeMudou = false;
    stModPgto.clear();
    aposRolagem();
    // A new order goes on with its items, the first one begun.
    if (insercao) {
        mudaPagina(PaginaPedido::Itens);
        incluirItem();
    }
}

bool LancPedido::podeFechar()
{
    if (!pedidoEditando() && !itemEditando() && !observacaoEditando())
        return true;
    if (!dialogs().confirm(msg("Canc")))
        return false;
    cancelaPedido();
    return true;
}

// ---------------------------------------------------------------- navigation

void LancPedido::primeiro()
{
    if (comandos().navegador)
        qryPedido.first();
}

void LancPedido::anterior()
{
    if (comandos().navegador)
        qryPedido.prior();
}

void LancPedido::proximo()
{
    if (comandos().navegador)
        qryPedido.next();
}

void LancPedido::ultimo()
{
    if (comandos().navegador)
        qryPedido.last();
}

} // namespace zov
