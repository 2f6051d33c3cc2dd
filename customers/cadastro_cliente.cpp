#include "customers/cadastro_cliente.h"

#include "customers/mensagens.h"
#include "db/transaction.h"
#include "library/consiste.h"
#include "library/database.h"
#include "library/errors.h"
#include "library/inscricao.h"
#include "library/messages.h"
#include "library/retrato.h"

namespace zov {

namespace {

QString msg(const char* key) { return msgPadraoCliente().Msg(QString::fromLatin1(key)); }

// The columns the window shows and edits; the grid's four come first, in its order.
const char* const kColunasGrade[] = {"NMRAZSOCCLIE", "NMFANTCLIE", "NRINSJURINFO", "IDTPIJURINFO"};
const char* const kRotulosGrade[] = {"Razão Social", "Nome Fantasia", "Código", "Tipo"};
const char* const kColunasOcultas[] = {"CDCLIENTE",  "IDTPIJURCLIE", "NRINSJURCLIE", "NRINSESTCLIE", "NRINSMUNICLIE",
                                       "IDCLIEATIV", "IDTPFORPGTCL", "IDPRIPUBCLIE", "NMRAZSOCVEN"};

} // namespace

QString CadastroCliente::sqlClientes()
{
    // The screen kind and code: the stored kind and number, except for "O"
    // customers, whose code carries them. Worked out per row, not in a derived
    // table joined back: the order then comes from the legal name's index, and
    // the first rows show without sorting the registry. Only the columns the
    // window uses are read: the registry is large.
    return QStringLiteral(R"(SELECT
   A.NMRAZSOCCLIE, A.NMFANTCLIE,
   CASE WHEN SUBSTR(A.CDCLIENTE,1,1) = 'O' THEN SUBSTR(A.CDCLIENTE,2,5) ELSE A.NRINSJURCLIE END AS NRINSJURINFO,
   CASE WHEN SUBSTR(A.CDCLIENTE,1,1) = 'O' THEN 'O' ELSE A.IDTPIJURCLIE END AS IDTPIJURINFO,
   A.CDCLIENTE,    A.IDTPIJURCLIE, A.NRINSJURCLIE, A.NRINSESTCLIE,
   A.NRINSMUNICLIE, A.IDCLIEATIV,  A.IDTPFORPGTCL, A.IDPRIPUBCLIE,
   V.NMRAZSOCVEN
FROM
   CLIENTE A
   LEFT JOIN VENDEDOR V ON (V.CDVENDEDOR = A.CDVENDEDOR)
ORDER BY
   A.NMRAZSOCCLIE NULLS LAST)");
}

UpdateSql CadastroCliente::updateSqlCliente()
{
    return UpdateSql(QStringLiteral("insert into CLIENTE\n"
                                    "  (CDCLIENTE, IDTPIJURCLIE, NRINSESTCLIE, NMRAZSOCCLIE, NMFANTCLIE, NRINSJURCLIE, NRINSMUNICLIE, "
                                    "IDCLIEATIV, IDPRIPUBCLIE)\n"
                                    "values\n"
                                    "  (:CDCLIENTE, :IDTPIJURCLIE, :NRINSESTCLIE, :NMRAZSOCCLIE, :NMFANTCLIE, :NRINSJURCLIE, "
                                    ":NRINSMUNICLIE, :IDCLIEATIV, :IDPRIPUBCLIE)"),
                     // Only the columns read are rewritten; every other column keeps its value.
                     QStringLiteral("update CLIENTE set\n"
                                    "  CDCLIENTE = :CDCLIENTE, IDTPIJURCLIE = :IDTPIJURCLIE, NRINSJURCLIE = :NRINSJURCLIE,\n"
                                    "  NMRAZSOCCLIE = :NMRAZSOCCLIE, NMFANTCLIE = :NMFANTCLIE, NRINSESTCLIE = :NRINSESTCLIE,\n"
                                    "  NRINSMUNICLIE = :NRINSMUNICLIE, IDCLIEATIV = :IDCLIEATIV, IDTPFORPGTCL = :IDTPFORPGTCL,\n"
                                    "  IDPRIPUBCLIE = :IDPRIPUBCLIE\n"
                                    "where\n"
                                    "  CDCLIENTE = :OLD_CDCLIENTE"),
                     QStringLiteral("delete from CLIENTE\nwhere\n  CDCLIENTE = :OLD_CDCLIENTE"));
}

QString CadastroCliente::textoTipo(const QString& kind)
{
    static const struct {
        const char* kind;
        const char* text;
    } tipos[] = {{"F", "Física"}, {"J", "Jurídica"}, {"I", "Insc. Jurídica"}, {"O", "Outros"}};
    for (const auto& t : tipos)
        if (kind == QLatin1String(t.kind))
            return msgPadraoCliente().Msg(QString::fromUtf8(t.text));
    return kind;
}

bool CadastroCliente::aceitaTeclaInscricao(QChar key) { return key >= QLatin1Char('0') && key <= QLatin1Char('9'); }

CadastroCliente::CadastroCliente(Database& db, ClienteView& view)
    : qryClientes(&db, QStringLiteral("qryClientes")),
      qryEndCli(&db, QStringLiteral("qryEndCli")),
      qryEndEntrega(&db, QStringLiteral("qryEndEntrega")),
      qryVerifCliente(&db, QStringLiteral("qryVerifCliente")),
      qryInsJurClie(&db, QStringLiteral("qryInsJurClie")),
      qryTestCliPed(&db, QStringLiteral("qryTestCliPed")),
      geografia(db),
      enderecoCli(qryEndCli, EnderecoCliente::Tipo::Proprio, qryClientes, geografia, view, pesquisa_),
      enderecoEntrega(qryEndEntrega, EnderecoCliente::Tipo::Entrega, qryClientes, geografia, view, pesquisa_),
      db_(db),
      view_(view)
{
    qryClientes.setSql(sqlClientes());
    qryClientes.setFetchBlock(kGridFetchBlock);
    qryClientes.setUpdateSql(updateSqlCliente());
    for (int i = 0; i < 4; ++i)
        qryClientes.defineField(QString::fromLatin1(kColunasGrade[i]), FieldKind::Text).displayLabel = QString::fromUtf8(kRotulosGrade[i]);
    for (const char* c : kColunasOcultas)
        qryClientes.defineField(QString::fromLatin1(c)).visible = false;
    // The code as shown: an alphanumeric CNPJ with its mask at the most.
    Field& codigo = qryClientes.defineField(QStringLiteral("NRINSJURINFO"));
    codigo.displayWidth = 18;
    codigo.wideCharacters = true;

    qryVerifCliente.setSql(QStringLiteral("SELECT\n   IDTPIJURCLIE,\n   NRINSJURCLIE\nFROM\n   CLIENTE\nWHERE\n"
                                          "   (CDCLIENTE = :P_CDCLIENTE)"));
    qryInsJurClie.setSql(QStringLiteral("SELECT NRINSJURCLIE\nFROM CLIENTE\nWHERE\n"
                                        "   (NRINSJURCLIE = :P_NRINSJURCLIE) AND\n   (IDTPIJURCLIE = :P_IDTPIJURCLIE)"));
    qryTestCliPed.setSql(QStringLiteral("SELECT *\n  FROM PEDIDO\n WHERE CDCLIENTE = :P_CDCLIENTE\n LIMIT 1"));

    qryClientes.fieldByName(QStringLiteral("NMFANTCLIE")).onChange = [this](Field& f) {
        // A person's legal name is the name itself.
        if (valor("IDTPIJURCLIE") == QLatin1String("F"))
            poe("NMRAZSOCCLIE", f.value());
    };
    qryClientes.onNewRecord = [this](Query& q) {
        q.fieldByName(QStringLiteral("IDPRIPUBCLIE")).setValue(QStringLiteral("V"));
        q.fieldByName(QStringLiteral("NRINSJURINFO")).editMask = PictPess(QString());
        q.fieldByName(QStringLiteral("NRINSJURCLIE")).editMask = PictPess(QString());
    };
    qryClientes.beforePost = [this](Query&) { antesDoPostCliente(); };
    qryClientes.afterScroll = [this](Query&) { aposRolagem(); };
    qryClientes.afterOpen = [this](Query& q) {
        if (q.isEmpty())
            aposRolagem(); // a non-empty open scrolls to the first row
    };
    qryClientes.onStateChange = [this](Query&) { aposMudancaEstado(); };
    qryEndCli.onStateChange = [this](Query&) { aposMudancaEstado(); };
    qryEndEntrega.onStateChange = [this](Query&) { aposMudancaEstado(); };
}

// ---------------------------------------------------------------- helpers

QString CadastroCliente::valor(const char* field) const
{
    const Field* f = qryClientes.active() ? qryClientes.findField(QString::fromLatin1(field)) : nullptr;
    return f ? f->asString() : QString();
}

void CadastroCliente::poe(const char* field, const QVariant& value)
{
    if (editando(qryClientes))
        qryClientes.fieldByName(QString::fromLatin1(field)).setValue(value);
}

void CadastroCliente::mascara(const char* field, const QString& kind)
{
    qryClientes.fieldByName(QString::fromLatin1(field)).editMask = PictPess(kind);
}

void CadastroCliente::falha(ControleCliente controle, const char* key)
{
    view_.mostraPagina(PaginaCliente::Formulario);
    view_.foca(controle);
    MensErro(msg(key), true);
    throw Abort{}; // not reached
}

bool CadastroCliente::clienteEditando() const { return editando(qryClientes); }

bool CadastroCliente::algumEditando() const { return editando(qryClientes) || editando(qryEndCli) || editando(qryEndEntrega); }

// ---------------------------------------------------------------- states

ComandosCliente CadastroCliente::comandos() const
{
    const bool enderecos = editando(qryEndCli) || editando(qryEndEntrega);
    const bool livre = qryClientes.state() == DataSetState::Browse && !enderecos;
    ComandosCliente c;
    c.cancelar = c.confirmar = clienteEditando() || enderecos;
    c.incluir = livre;
    c.alterar = c.excluir = c.procurar = c.atualizar = livre && !qryClientes.isEmpty();
    c.navegador = livre;
    c.paginaGrade = !c.cancelar;
    // Only while the customer is typed: an address alone could not be completed.
    c.pesquisas = clienteEditando();
    return c;
}

void CadastroCliente::atualizaComandos() { view_.habilitaComandos(comandos()); }

void CadastroCliente::aposMudancaEstado()
{
    atualizaComandos();
    const DataSetState s = qryClientes.state();
    if (s == DataSetState::Browse && qryClientes.isEmpty() && !algumEditando())
        view_.mostraPagina(PaginaCliente::Grade);
    if (s == DataSetState::Insert) {
        view_.mostraPagina(PaginaCliente::Formulario);
        view_.habilitaCodigo(true);
    } else {
        view_.habilitaCodigo(false);
        if (s == DataSetState::Edit && view_.paginaAtual() == PaginaCliente::Grade)
            view_.mostraPagina(PaginaCliente::Formulario);
    }
}

void CadastroCliente::abreEnderecos()
{
    if (editando(qryEndCli) || editando(qryEndEntrega))
        return;
    const QVariant codigo =
        qryClientes.active() && !qryClientes.isEmpty() ? qryClientes.fieldByName(QStringLiteral("CDCLIENTE")).value() : QVariant();
    enderecoCli.abre(codigo);
    enderecoEntrega.abre(codigo);
}

void CadastroCliente::ajustaMascaras()
{
    // A customer without a kind edits with the plain mask, not the last one's.
    const QString info = valor("IDTPIJURINFO");
    mascara("NRINSJURINFO", info);
    mascara("NRINSJURCLIE", EmptyString(info) ? QString() : valor("IDTPIJURCLIE"));
}

void CadastroCliente::aposRolagem()
{
    if (qryClientes.state() != DataSetState::Browse)
        return;
    abreEnderecos();
    ajustaMascaras();
    view_.habilitaRazaoSocial(valor("IDTPIJURCLIE") != QLatin1String("F"));
    view_.atualizaControles();
}

void CadastroCliente::inicia()
{
    qryClientes.close();
    qryClientes.open();
    view_.mostraPagina(PaginaCliente::Grade);
    aposMudancaEstado();
}

void CadastroCliente::ativada()
{
    if (qryClientes.state() == DataSetState::Browse && !algumEditando())
        abreEnderecos();
}

// ---------------------------------------------------------------- commands

void CadastroCliente::incluir()
{
    if (!comandos().incluir)
        return;
    CheckGuard guard; // the focus moves below: no field-exit checks meanwhile
    qryClientes.insert();
    enderecoEntrega.novo();
    enderecoCli.novo();
    view_.habilitaRazaoSocial(true);
    view_.atualizaControles();
    view_.foca(ControleCliente::Inscricao);
}

void CadastroCliente::alterar()
{
    if (!comandos().alterar)
        return;
    CheckGuard guard;
    if (qryClientes.state() == DataSetState::Browse)
        qryClientes.edit();
    enderecoCli.altera();
    enderecoEntrega.altera();
    // A person has no legal name to edit: start at the first field that can be.
    view_.foca(view_.podeFocar(ControleCliente::NmRazaoSoc) ? ControleCliente::NmRazaoSoc : ControleCliente::NmFantasia);
}

void CadastroCliente::excluir()
{
    if (!comandos().excluir)
        return;
    if (!msgMensagensPadroes().ShowMsg(QStringLiteral("Excl")))
        return;
    const QVariant codigo = qryClientes.fieldByName(QStringLiteral("CDCLIENTE")).value();
    qryTestCliPed.close();
    qryTestCliPed.setParam(QStringLiteral("P_CDCLIENTE"), codigo);
    qryTestCliPed.open();
    const bool temPedidos = !qryTestCliPed.isEmpty();
    qryTestCliPed.close();
    if (temPedidos)
        MensErro(msg("Clien_Ref_Ped"), true);

    const int recNo = qryClientes.recNo();
    {
        // The addresses go with the customer; no reading of the next one's yet.
        EventsSuspended quiet(qryClientes);
        if (!qryEndCli.isEmpty())
            qryEndCli.deleteRecord();
        if (!qryEndEntrega.isEmpty())
            qryEndEntrega.deleteRecord();
        qryClientes.deleteRecord();
    }
    try {
        db_.transaction([&] {
            qryEndCli.applyUpdates();
            qryEndEntrega.applyUpdates();
            // Address rows the joins did not show (country or municipality missing here).
            db_.exec(QStringLiteral("delete from ENDECLIE where CDCLIENTE = :CDCLIENTE"), {{QStringLiteral("CDCLIENTE"), codigo}});
            qryClientes.applyUpdates();
        });
    } catch (const std::exception& e) {
        {
            EventsSuspended quiet(qryClientes);
            qryEndCli.cancelUpdates();
            qryEndEntrega.cancelUpdates();
            qryClientes.cancelUpdates();
            if (recNo >= 1 && recNo <= qryClientes.recordCount())
                qryClientes.setRecNo(recNo);
        }
        aposRolagem();
        aposMudancaEstado();
        MensErro(msg("erro_excl") + QLatin1Char('\n') + QString::fromUtf8(e.what()), true);
    }
    qryEndCli.commitUpdates();
    qryEndEntrega.commitUpdates();
    qryClientes.commitUpdates();
    aposRolagem();
    aposMudancaEstado();
}

void CadastroCliente::procurar()
{
    if (comandos().procurar)
        view_.procura(qryClientes);
}

void CadastroCliente::atualizar()
{
    if (qryClientes.state() != DataSetState::Browse || editando(qryEndCli) || editando(qryEndEntrega))
        return;
    qryClientes.refresh(); // the first customer by legal name becomes current; its addresses follow
}

void CadastroCliente::cancelaTudo()
{
    for (Query* q : {&qryClientes, &qryEndCli, &qryEndEntrega}) {
        q->cancel();
        q->cancelUpdates();
    }
    aposRolagem(); // the addresses shown are the current customer's again
}

void CadastroCliente::cancelar()
{
    CheckGuard guard;
    const TMessages& padroes = msgMensagensPadroes();
    if (clienteEditando()) {
        if (!padroes.ShowMsg(QStringLiteral("Canc")))
            return;
        cancelaTudo();
        view_.mostraPagina(PaginaCliente::Grade);
        return;
    }
    for (const Query* q : {&qryEndCli, &qryEndEntrega}) {
        if (editando(*q) && padroes.ShowMsg(QStringLiteral("Canc"))) {
            cancelaTudo();
            view_.mostraPagina(PaginaCliente::Grade);
        }
    }
}

void CadastroCliente::confirmar()
{
    if (view_.paginaAtual() != PaginaCliente::Formulario || !algumEditando())
        return;
    CheckGuard guard;
    Vd_Inscricao(true);
    Vd_InscEmissao(true);
    // The legal name and the municipal registration are stored as typed (bound edits).
    Vd_Fantasia(true);
    enderecoCli.confirma();
    enderecoEntrega.confirma();
    grava();
    atualizar();
    view_.mostraPagina(PaginaCliente::Grade);
}

void CadastroCliente::confirmarEIncluir()
{
    if (!clienteEditando())
        return;
    const bool inclusao = qryClientes.state() == DataSetState::Insert;
    confirmar();
    if (inclusao && !algumEditando())
        incluir();
}

void CadastroCliente::primeiro()
{
    if (comandos().navegador)
        qryClientes.first();
}

void CadastroCliente::anterior()
{
    if (comandos().navegador)
        qryClientes.prior();
}

void CadastroCliente::proximo()
{
    if (comandos().navegador)
        qryClientes.next();
}

void CadastroCliente::ultimo()
{
    if (comandos().navegador)
        qryClientes.last();
}

bool CadastroCliente::podeSairDoFormulario()
{
    if (!clienteEditando())
        return true;
    return runGuarded([this] {
        CheckGuard guard;
        if (qryClientes.state() == DataSetState::Insert && !EmptyString(valor("NMFANTCLIE"))) {
            for (EnderecoCliente* e : {&enderecoCli, &enderecoEntrega}) {
                e->saiPais();
                e->saiEstado();
                e->saiMunicipio();
            }
        }
        saiFantasia();
    });
}

// ---------------------------------------------------------------- saving

void CadastroCliente::antesDoPostCliente()
{
    if (view_.temFoco(ControleCliente::NmRazaoSoc))
        view_.foca(ControleCliente::NmFantasia);
    if (qryClientes.state() == DataSetState::Insert) {
        const QString kind = valor("IDTPIJURINFO");
        poe("CDCLIENTE", kind + valor("NRINSJURINFO"));
        const bool outro = kind == QLatin1String("O") || kind == QLatin1String("I");
        if (!outro || EmptyString(valor("IDTPIJURCLIE"))) {
            poe("IDTPIJURCLIE", kind);
            poe("NRINSJURCLIE", valor("NRINSJURINFO"));
        }
    }
    poe("IDCLIEATIV", QStringLiteral("S"));
    poe("NMRAZSOCCLIE", qryClientes.fieldByName(QStringLiteral("NMFANTCLIE")).value());
    poe("IDTPFORPGTCL", QVariant());
    EventsSuspended quiet(qryClientes);
    Seta_Campo_Null(qryClientes);
}

void CadastroCliente::grava()
{
    // The customer and both addresses are written together or not at all;
    // on failure the three records go back to what was typed, still editing.
    const std::vector<Retrato> antes{retrata(qryClientes), retrata(qryEndCli), retrata(qryEndEntrega)};
    auto volta = [&] {
        for (const Retrato& r : antes)
            restaura(r);
        aposMudancaEstado();
        view_.atualizaControles();
    };
    try {
        if (editando(qryClientes))
            qryClientes.post();
        if (editando(qryEndCli))
            qryEndCli.post();
        if (editando(qryEndEntrega))
            qryEndEntrega.post();
        ApplyUpdatesInTransaction(db_, {&qryClientes, &qryEndCli, &qryEndEntrega});
    } catch (const Abort&) {
        volta();
        throw;
    } catch (const std::exception& e) {
        volta();
        view_.mostraPagina(PaginaCliente::Formulario);
        MensErro(msg("erro_grav") + QLatin1Char('\n') + QString::fromUtf8(e.what()), true);
    }
}

} // namespace zov
