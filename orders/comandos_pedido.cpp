// The order window's commands, their states, the pages and the branch area.
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/retrato.h"
#include "library/valores_item.h"
#include "library/velmora.h"
#include "orders/banco_pedido.h"
#include "orders/credito_cliente.h"
#include "orders/lanc_pedido.h"
#include "session/GeralZOV.h"

namespace zov {

namespace {

bool editandoQry(const Query& q) { return q.state() == DataSetState::Edit || q.state() == DataSetState::Insert; }

} // namespace

// ---------------------------------------------------------------- opening

void RegistroPedido::inicia()
{
    ctx_.tela.filial = Filial();
    ctx_.tela.nmFilial = NmFilial();
    ctx_.Filtro.Filial = ctx_.tela.filial;
    ctx_.view.atualizaTela();
    // The session branch's price lock holds also when its field is never left.
    leParametroFilial();
    if (ModuFili()) {
        saiAreaFilial();
    } else {
        ctx_.view.foca(ControlePedido::Filial);
        atualizaComandos();
    }
}

void RegistroPedido::ativada()
{
    ctx_.itens->esqueceUltimoDesconto();
    ctx_.itens->esqueceUltimosPrecos();
    if (ctx_.qryPedido.active() && ctx_.qryPedido.state() == DataSetState::Browse)
        atualizar();
}

// ---------------------------------------------------------------- branch area

void RegistroPedido::entraFilial()
{
    // The list closes while another branch may be chosen.
    if (ctx_.pedidoEditando())
        return;
    ctx_.qryPedido.close();
    ctx_.itens->qryItemPedido.close();
    ctx_.observacao->qryObsPedido.close();
    filialAceita_ = false;
    limpaCabecalho();
    ctx_.tela.periodoVisivel = false;
    if (ctx_.view.paginaAtual() != PaginaPedido::Pedidos)
        ctx_.view.mostraPagina(PaginaPedido::Pedidos);
    ctx_.view.atualizaTela();
    atualizaComandos();
}

void RegistroPedido::filialMudou()
{
    ctx_.tela.nmFilial.clear();
    ctx_.Filtro.Produto.boTodos = true;
    ctx_.Filtro.Produto.stProduto.clear();
}

void RegistroPedido::Vd_Filial()
{
    if (EmptyString(ctx_.tela.filial))
        ctx_.falha(ControlePedido::Filial, PaginaPedido::Pedidos, ctx_.msg("FILIAL"));
    ctx_.tela.filial = Ajusta(ctx_.tela.filial, 4);
    Statement st(ctx_.db, QStringLiteral("SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE (CDFILIAL = :P_CDFILIAL)"));
    st.bind(QStringLiteral("P_CDFILIAL"), ctx_.tela.filial);
    if (!st.step()) {
        ctx_.tela.nmFilial.clear();
        ctx_.falha(ControlePedido::Filial, PaginaPedido::Pedidos, ctx_.msg("CD_NUL"));
    }
    ctx_.tela.filial = st.rawValue(0).toString();
    ctx_.tela.nmFilial = st.rawValue(1).toString();
    ctx_.view.atualizaTela();
}

void RegistroPedido::leParametroFilial()
{
    // The branch decides whether the unit price may be typed.
    Statement st(ctx_.db, QStringLiteral("SELECT CDFILIAL,IDPERALTPRECO FROM PARAMPEDIDO WHERE CDFILIAL = :P_CDFILIAL ORDER BY CDFILIAL"));
    st.bind(QStringLiteral("P_CDFILIAL"), ctx_.tela.filial);
    if (!st.step())
        return;
    const QString permite = st.rawValue(1).toString().trimmed();
    ctx_.itens->bloqueiaPreco(permite.isEmpty() || permite == QLatin1String("N"));
}

void RegistroPedido::saiFilial()
{
    Vd_Filial();
    leParametroFilial();
}

bool RegistroPedido::saiAreaFilial()
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
    if (!ok && !ctx_.qryPedido.active())
        ctx_.view.foca(ControlePedido::Filial);
    return ok;
}

void RegistroPedido::pesquisaFilial()
{
    if (!ctx_.pesquisa)
        return;
    ctx_.preparaLista(QStringLiteral("SELECT CDFILIAL, NMFILIAL, CDSEGMER FROM FILIAL ORDER BY CDFILIAL"));
    ctx_.qryLista.defineField(QStringLiteral("CDFILIAL")).displayLabel = QStringLiteral("Código");
    ctx_.qryLista.defineField(QStringLiteral("NMFILIAL")).displayLabel = QStringLiteral("Nome");
    ctx_.qryLista.defineField(QStringLiteral("CDSEGMER")).visible = false;
    ctx_.qryLista.open();
    if (ctx_.pesquisa(ctx_.qryLista, QStringLiteral("Filial"))) {
        ctx_.tela.filial = ctx_.qryLista[QStringLiteral("CDFILIAL")].asString();
        ctx_.tela.nmFilial = ctx_.qryLista[QStringLiteral("NMFILIAL")].asString();
        ctx_.view.atualizaTela();
    }
    ctx_.qryLista.close();
    ctx_.view.foca(ControlePedido::Filial);
}

bool RegistroPedido::filtrar()
{
    if (ctx_.pedidoEditando())
        return false;
    if (!EmptyString(ctx_.tela.filial) && ctx_.tela.filial != ctx_.Filtro.Filial)
        Vd_Filial();
    ctx_.Filtro.Filial = ctx_.tela.filial;
    const bool ok = ctx_.view.filtra(ctx_.Filtro, [this] { abreLista(); });
    atualizaComandos();
    return ok;
}

void RegistroPedido::focaFilial()
{
    if (ctx_.qryPedido.state() != DataSetState::Browse && ctx_.qryPedido.active())
        return;
    if (comandos().areaFilial)
        ctx_.view.foca(ControlePedido::Filial);
}

// ---------------------------------------------------------------- states

bool RegistroPedido::temItemAprovado() const
{
    return BancoPedido(ctx_.db).temItemAprovado(ctx_.valor("CDFILIAL"), ctx_.valor("NRPEDIDO"));
}

ComandosPedido RegistroPedido::comandos() const
{
    ComandosPedido c;
    const DataSetState s = ctx_.qryPedido.state();
    const bool browse = s == DataSetState::Browse;
    const bool editando = s == DataSetState::Edit || s == DataSetState::Insert;
    const bool vazia = ctx_.listaVazia();
    const PaginaPedido pagina = ctx_.view.paginaAtual();
    const bool exportado = ctx_.pedidoExportado();
    c.cancelar = c.confirmar = editando;
    c.incluir = browse && filialAceita_ && !(exportado && (pagina == PaginaPedido::Itens || pagina == PaginaPedido::Observacao));
    bool alteravel = browse && !vazia && !exportado && !temItemAprovado();
    if (pagina == PaginaPedido::Observacao)
        alteravel = alteravel && ctx_.observacao->qryObsPedido.active() && ctx_.observacao->qryObsPedido.state() == DataSetState::Browse
            && !ctx_.observacao->qryObsPedido.isEmpty();
    c.alterar = c.excluir = alteravel;
    c.procurar = browse && !vazia && pagina != PaginaPedido::Observacao;
    c.atualizar = browse && !vazia;
    c.filtrar = browse || vazia || !ctx_.qryPedido.active();
    c.consultaProduto = !vazia;
    c.navegador = browse && !vazia;
    // What is being typed is not printed: the mirror reads the stored order.
    c.imprimir = browse && !vazia;
    for (int i = 0; i < kPaginasPedido; ++i)
        c.paginas[i] = editando ? i > 0 : (!vazia || i == 0);
    c.areaFilial = !ModuFili() && !editando;
    c.cabecalho = !exportado;
    c.gradeItens = !exportado || ctx_.qryPedido.state() == DataSetState::Insert;
    if (pagina == PaginaPedido::Itens) {
        // The items page's own commands.
        const bool temItens = ctx_.itens->qryItemPedido.active() && !ctx_.itens->qryItemPedido.isEmpty();
        const bool itemNovo = ctx_.itens->qryItemPedido.state() == DataSetState::Insert;
        if (temItens && !itemNovo && exportado) {
            c.incluir = false; // an exported order takes no new line
            c.alterar = c.excluir = false;
            c.gradeItens = false;
        } else {
            c.incluir = c.incluir && !ctx_.itens->itemEditando() && !editando;
            c.alterar = c.excluir = !ctx_.itens->itemEditando() && temItens && !editando && !vazia && !temItemAprovado();
            c.gradeItens = true;
        }
    }
    return c;
}

void RegistroPedido::atualizaComandos() { ctx_.view.habilitaComandos(comandos()); }

std::optional<RegistroPedido::ChavePedido> RegistroPedido::pedidoParaImprimir() const
{
    if (!comandos().imprimir)
        return std::nullopt;
    return ChavePedido{ctx_.valor("CDFILIAL"), ctx_.valor("NRPEDIDO")};
}

// ---------------------------------------------------------------- pages

void RegistroPedido::mudaPagina(PaginaPedido pagina)
{
    ctx_.view.mostraPagina(pagina);
    paginaMostrada(pagina);
}

void RegistroPedido::paginaMostrada(PaginaPedido pagina)
{
    switch (pagina) {
    case PaginaPedido::Itens:
        if (ctx_.pedidoEditando()) {
            ctx_.pagamento->Vd_CdModPgto(false);
            // A new order begins its first item at once.
            if (ctx_.qryPedido.state() == DataSetState::Insert && !ctx_.itens->itemEditando()
                && (!ctx_.itens->qryItemPedido.active() || ctx_.itens->qryItemPedido.isEmpty()))
                ctx_.itens->incluirItem();
        } else {
            ctx_.itens->abreItens();
        }
        break;
    case PaginaPedido::Observacao:
        if (!editandoQry(ctx_.observacao->qryObsPedido))
            ctx_.observacao->abreObservacao();
        ctx_.view.foca(ControlePedido::Observacao);
        break;
    default:
        if (!ctx_.pedidoEditando())
            mostraPedidoNaTela();
        if (pagina == PaginaPedido::Pedidos)
            ctx_.view.foca(ControlePedido::GradePedidos);
        break;
    }
    ctx_.view.atualizaTela();
    atualizaComandos();
}

// ---------------------------------------------------------------- commands

void RegistroPedido::incluir()
{
    if (!comandos().incluir)
        return;
    const bool naPaginaItens = ctx_.view.paginaAtual() == PaginaPedido::Itens;
    if (naPaginaItens && !ctx_.listaVazia()) {
        ctx_.itens->abreItens();
        // An order with items takes one more; one without begins a new order.
        if (!ctx_.itens->qryItemPedido.isEmpty()) {
            ctx_.itens->incluirItem();
            return;
        }
    }
    if (ctx_.view.paginaAtual() == PaginaPedido::Observacao && !ctx_.listaVazia()) {
        ctx_.observacao->editaObservacao();
        ctx_.view.foca(ControlePedido::Observacao);
        return;
    }
    // The new order goes first, where the newest are listed; a Cancel comes
    // back to the order the user was on.
    pedidoAntesDaInclusao_ = ctx_.valor("NRPEDIDO");
    if (!ctx_.qryPedido.isEmpty())
        ctx_.qryPedido.first();
    {
        EventsSuspended quiet(ctx_.qryPedido);
        ctx_.qryPedido.insert();
    }
    novoPedido();
    // Its header first: the first item begins when the items page is shown
    // with a customer and delivery to check it against.
    mudaPagina(PaginaPedido::DadosGerais);
    ctx_.itens->abreItens();
    ctx_.view.foca(ControlePedido::DataPedido);
    ctx_.view.atualizaTela();
    atualizaComandos();
}

void RegistroPedido::alterar()
{
    if (!comandos().alterar)
        return;
    const PaginaPedido pagina = ctx_.view.paginaAtual();
    if (pagina == PaginaPedido::Itens) {
        ctx_.itens->alterarItem();
        return;
    }
    if (pagina == PaginaPedido::Observacao) {
        ctx_.observacao->editaObservacao();
        ctx_.view.foca(ControlePedido::Observacao);
        return;
    }
    if (!editaPedido())
        return;
    mudaPagina(PaginaPedido::DadosGerais);
    ctx_.view.foca(ControlePedido::DataPedido);
    atualizaComandos();
}

void RegistroPedido::excluir()
{
    if (!comandos().excluir)
        return;
    const QString filial = ctx_.valor("CDFILIAL");
    const QString numero = ctx_.valor("NRPEDIDO");
    const BancoPedido banco(ctx_.db);
    if (banco.temItemExpedido(filial, numero))
        MensErro(ctx_.msg("ALT_PEDIDO_PARC"), true);
    const PaginaPedido pagina = ctx_.view.paginaAtual();
    if (pagina == PaginaPedido::Observacao) {
        ctx_.observacao->excluiObservacao();
        return;
    }
    try {
        if (pagina == PaginaPedido::Itens && ctx_.itens->qryItemPedido.active() && !ctx_.itens->qryItemPedido.isEmpty()) {
            const int itens = banco.quantidadeItens(filial, numero);
            const QString item = ctx_.itens->qryItemPedido[QStringLiteral("NRITEMPED")].asString();
            if (itens > 1) {
                if (!dialogs().confirm(ctx_.msg("Excl")))
                    return;
                banco.excluiItem(filial, numero, item);
                ctx_.itens->abreItens();
                ctx_.view.atualizaTela();
                atualizaComandos();
                return;
            }
            if (!dialogs().confirm(ctx_.msg("Del_PED")))
                return;
        } else if (!dialogs().confirm(ctx_.msg("Excl"))) {
            return;
        }
        banco.excluiPedido(filial, numero);
    } catch (const Abort&) {
        throw;
    } catch (const std::exception& e) {
        // Nothing was deleted: the order stays as it was, and the user knows why.
        MensErro(ctx_.msg("erro_excl") + QLatin1Char('\n') + QString::fromUtf8(e.what()), true);
    }
    // The list is read again without the order, on the order that took its place.
    const int recNo = ctx_.qryPedido.recNo();
    BancoPedido::abreQryPedido(ctx_.qryPedido, ctx_.Filtro);
    if (!ctx_.qryPedido.isEmpty())
        ctx_.qryPedido.setRecNo(recNo); // or the last, when the list is shorter now
    if (ctx_.listaVazia() || pagina == PaginaPedido::Itens)
        mudaPagina(PaginaPedido::Pedidos);
    aposRolagem();
}

void RegistroPedido::procurar()
{
    if (!comandos().procurar)
        return;
    if (ctx_.view.paginaAtual() == PaginaPedido::Itens && ctx_.itens->qryItemPedido.active() && !ctx_.itens->qryItemPedido.isEmpty())
        ctx_.view.procura(ctx_.itens->qryItemPedido);
    else
        ctx_.view.procura(ctx_.qryPedido);
}

void RegistroPedido::atualizar()
{
    if (!comandos().atualizar)
        return;
    if (ctx_.view.paginaAtual() == PaginaPedido::Observacao)
        return;
    // Back on the same order after reading the list again.
    const QString numero = ctx_.valor("NRPEDIDO");
    {
        EventsSuspended quiet(ctx_.qryPedido);
        BancoPedido::abreQryPedido(ctx_.qryPedido, ctx_.Filtro);
        if (!numero.isEmpty())
            ctx_.qryPedido.locate(QStringLiteral("NRPEDIDO"), numero);
    }
    aposRolagem();
    ctx_.itens->abreItens();
    ctx_.observacao->abreObservacao();
    ctx_.view.atualizaTela();
}

void RegistroPedido::cancelaPedido()
{
    {
        EventsSuspended quiet(ctx_.qryPedido);
        const bool insercao = ctx_.qryPedido.state() == DataSetState::Insert;
        ctx_.qryPedido.cancel();
        ctx_.qryPedido.cancelUpdates();
        if (insercao && !pedidoAntesDaInclusao_.isEmpty())
            ctx_.qryPedido.locate(QStringLiteral("NRPEDIDO"), pedidoAntesDaInclusao_);
    }
    if (editandoQry(ctx_.itens->qryItemPedido))
        ctx_.itens->qryItemPedido.cancel();
    ctx_.itens->qryItemPedido.cancelUpdates();
    if (editandoQry(ctx_.observacao->qryObsPedido))
        ctx_.observacao->qryObsPedido.cancel();
    ctx_.observacao->qryObsPedido.cancelUpdates();
    ctx_.observacao->mostraObservacao();
    ctx_.pagamento->esqueceModPgto();
    descartado_ = true;
    if (ctx_.listaVazia())
        mudaPagina(PaginaPedido::Pedidos);
    aposRolagem();
}

void RegistroPedido::cancelar()
{
    if (!ctx_.pedidoEditando() && !editandoQry(ctx_.itens->qryItemPedido) && !editandoQry(ctx_.observacao->qryObsPedido))
        return;
    if (!dialogs().confirm(ctx_.msg("Canc")))
        return;
    // The items page comes back to the item that was current, when it is still there.
    const QString item = ctx_.itens->qryItemPedido.active() ? ctx_.itens->qryItemPedido[QStringLiteral("NRITEMPED")].asString() : QString();
    const QString numero = ctx_.valor("NRPEDIDO");
    cancelaPedido();
    if (ctx_.view.paginaAtual() == PaginaPedido::Itens && !item.isEmpty() && ctx_.valor("NRPEDIDO") == numero
        && ctx_.itens->qryItemPedido.active())
        ctx_.itens->qryItemPedido.locate(QStringLiteral("NRITEMPED"), item);
}

RegistroPedido::PreparoGravacao RegistroPedido::preparaGravacao(bool confirmacao)
{
    PreparoGravacao p;
    bool mudouEntrega = false;
    if (confirmacao && ctx_.qryPedido.state() == DataSetState::Edit && !ctx_.pedidoExportado()) {
        const QVariant old = ctx_.qryPedido[QStringLiteral("DTENTPED")].oldValue();
        const QDate antiga = old.metaType().id() == QMetaType::QDate ? old.toDate() : old.toDateTime().date();
        mudouEntrega = antiga != parseDateTime(ctx_.tela.dataEntrega).date();
    }
    if (ctx_.itens->itemEditando())
        ctx_.itens->antesDoPostItem();
    if (ctx_.pedidoEditando() && !ctx_.pedidoExportado())
        antesDoPost(p);
    // Credit and overdue bills, asked once with the figures; No keeps all on screen.
    if (confirmacao && ctx_.pedidoEditando() && !ctx_.pedidoExportado()) {
        const CreditoCliente credito = creditoDoCliente(ctx_.db, ctx_.valor("CDCLIENTE"), ctx_.valor("CDFILIAL"), ctx_.valor("NRPEDIDO"));
        const QString pergunta = perguntaDeCredito(credito, valorAoGravar());
        if (!pergunta.isEmpty() && !dialogs().confirm(pergunta))
            throw Abort{};
    }
    if (confirmacao) {
        p.situacaoItens = ctx_.pagamento->modalidadeMudou() && ctx_.qryPedido.state() == DataSetState::Edit;
        p.entregaItens = mudouEntrega && dialogs().confirm(ctx_.msg("ALT_DTITEM"));
    }
    return p;
}

Decimal RegistroPedido::valorAoGravar() const
{
    Decimal total = ctx_.itens->totais().liquido;
    if (!ctx_.itens->itemEditando())
        return total;
    // The line in edit counts as typed, in place of what it was stored as.
    const Query& q = ctx_.itens->qryItemPedido;
    auto linha = [&](bool antes) {
        auto lido = [&](const char* campo) {
            const Field& f = q[QString::fromLatin1(campo)];
            return antes ? f.oldValue() : f.value();
        };
        return valoresItem(linhaLida(lido("VRPREUNITPED"), lido("QTITEMPED"), lido("VRDESITPED"))).liquido;
    };
    total += linha(false);
    if (q.state() == DataSetState::Edit)
        total -= linha(true);
    return total;
}

void RegistroPedido::confereSituacaoGravada()
{
    if (!ctx_.qryPedido.active() || ctx_.qryPedido.isEmpty() || ctx_.qryPedido.state() == DataSetState::Insert)
        return;
    const Field& situacao = ctx_.qryPedido[QStringLiteral("IDSITPEDIDO")];
    const QString lida = (ctx_.qryPedido.state() == DataSetState::Edit ? situacao.oldValue() : situacao.value()).toString();
    const QVariant gravada =
        ctx_.db.scalar(QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"),
                       {{QStringLiteral("P_CDFILIAL"), ctx_.valor("CDFILIAL")}, {QStringLiteral("P_NRPEDIDO"), ctx_.valor("NRPEDIDO")}});
    if (gravada.toString() != lida)
        throw Error(QStringLiteral("O pedido %1 foi exportado ou mudou de situação enquanto era alterado aqui, e nada foi gravado. "
                                   "O que foi digitado continua na tela; cancele a alteração para ver o pedido como está agora.")
                        .arg(ctx_.valor("NRPEDIDO")));
}

void RegistroPedido::gravaPreparado(const PreparoGravacao& p)
{
    confereSituacaoGravada();
    // The line goes into the dataset first, so that a repricing prices it with the others.
    if (ctx_.itens->itemEditando())
        ctx_.itens->qryItemPedido.post();
    if (ctx_.pedidoEditando()) {
        if (ctx_.pedidoExportado()) {
            // An exported order stays as it was sent: only its observation is stored.
            EventsSuspended quiet(ctx_.qryPedido);
            ctx_.qryPedido.cancel();
        } else {
            ctx_.qryPedido.post();
            ctx_.qryPedido.applyUpdates();
            ctx_.qryPedido.commitUpdates();
        }
    }
    if (p.reprecificaData)
        ctx_.itens->reprecifica(false);
    if (p.reprecificaLista)
        ctx_.itens->reprecifica(true);
    ctx_.itens->qryItemPedido.applyUpdates();
    ctx_.itens->qryItemPedido.commitUpdates();
    ctx_.observacao->gravaObservacaoPendente();
    QVariantMap chave{{QStringLiteral("P_CDFILIAL"), ctx_.valor("CDFILIAL")}, {QStringLiteral("P_NRPEDIDO"), ctx_.valor("NRPEDIDO")}};
    if (p.situacaoItens) {
        QVariantMap sit = chave;
        sit.insert(QStringLiteral("P_IDSITITEM"), BancoPedido::LancPedSit(ctx_.valor("IDSITPEDIDO")));
        ctx_.db.exec(
            QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = :P_IDSITITEM WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"),
            sit);
    }
    if (p.entregaItens) {
        // Each item keeps its own time of day.
        chave.insert(QStringLiteral("P_DTENTREGA"), parseDateTime(ctx_.tela.dataEntrega).date().toString(Qt::ISODate));
        ctx_.db.exec(QStringLiteral("UPDATE ITEMPEDIDO SET DTENTITPED = :P_DTENTREGA || "
                                    "CASE WHEN length(DTENTITPED) > 10 THEN substr(DTENTITPED, 11) ELSE ' 00:00:00' END "
                                    "WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDO = :P_NRPEDIDO"),
                     chave);
    }
}

RegistroPedido::RetratoPedido RegistroPedido::retrataParaGravar()
{
    descartado_ = false;
    return {retrata(ctx_.qryPedido), retrata(ctx_.itens->qryItemPedido), retrata(ctx_.observacao->qryObsPedido),
            ctx_.itens->valorDigitado()};
}

void RegistroPedido::restauraSeNaoDescartado(const RetratoPedido& r)
{
    if (!ctx_.pedidoEditando() && !descartado_)
        restaura(r.pedido);
}

void RegistroPedido::restauraTudo(const RetratoPedido& r)
{
    // The rollback made what the store applied pending again: each dataset drops
    // it and takes back its record as typed, in its state.
    restaura(r.pedido);
    restaura(r.item);
    restaura(r.obs);
    ctx_.itens->restauraValorDigitado(r.valorDigitado);
    ctx_.itens->VrTotalItemPed();
    ctx_.view.atualizaTela();
    atualizaComandos();
}

void RegistroPedido::confirmar()
{
    if (!ctx_.pedidoEditando() && ctx_.observacao->observacaoEditando() && !editaPedido())
        return;
    if (!ctx_.pedidoEditando())
        return;
    // Field exits the focus moves trigger meanwhile are not checks of their own.
    CheckGuard guard;
    // A new line nothing was typed into is no item (cancel on exit).
    ctx_.itens->descartaItemIntocado();
    // A new order of a header alone goes on to its items; a repeated one has them.
    const bool insercao = ctx_.qryPedido.state() == DataSetState::Insert && !ctx_.itens->qryItemPedido.updatesPending();
    const RetratoPedido antes = retrataParaGravar();
    bool gravando = false;
    try {
        // Every check and question first: none waits with the database locked.
        const PreparoGravacao preparo = preparaGravacao(true);
        gravando = true;
        ctx_.db.transaction([&] { gravaPreparado(preparo); });
    } catch (const Abort&) {
        // A check stopped it: nothing was written and the records are still in edit
        // (unless a No to a question dropped the changes on purpose).
        if (gravando)
            restauraTudo(antes);
        else
            restauraSeNaoDescartado(antes);
        ctx_.view.atualizaTela();
        atualizaComandos();
        throw;
    } catch (const std::exception& e) {
        restauraTudo(antes);
        MensErro(ctx_.msg("erro_grav") + QLatin1Char('\n') + QString::fromUtf8(e.what()), true);
    }
    ctx_.pagamento->esqueceModPgto();
    aposRolagem();
    // A new order goes on with its items, the first one begun.
    if (insercao) {
        mudaPagina(PaginaPedido::Itens);
        ctx_.itens->incluirItem();
    }
}

bool RegistroPedido::podeFechar()
{
    if (!ctx_.pedidoEditando() && !ctx_.itens->itemEditando() && !ctx_.observacao->observacaoEditando())
        return true;
    if (!dialogs().confirm(ctx_.msg("Canc")))
        return false;
    cancelaPedido();
    return true;
}

// ---------------------------------------------------------------- navigation

void RegistroPedido::primeiro()
{
    if (comandos().navegador)
        ctx_.qryPedido.first();
}

void RegistroPedido::anterior()
{
    if (comandos().navegador)
        ctx_.qryPedido.prior();
}

void RegistroPedido::proximo()
{
    if (comandos().navegador)
        ctx_.qryPedido.next();
}

void RegistroPedido::ultimo()
{
    if (comandos().navegador)
        ctx_.qryPedido.last();
}

} // namespace zov
