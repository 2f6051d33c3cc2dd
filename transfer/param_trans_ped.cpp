#include "transfer/param_trans_ped.h"

#include "db/transaction.h"
#include "library/consiste.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "library/messages.h"

#include <algorithm>

namespace zov {

namespace {
const QString kEndereco = QStringLiteral("NRIPSERVAPLIQ");
}

ParamTransPed::ParamTransPed(Database& db, ParamTransPedView& view)
    : qryParamTransPed(&db, QStringLiteral("qryParamTransPed")), db_(db), view_(view)
{
    qryParamTransPed.setSql(QStringLiteral("SELECT * FROM PARAMPEDZOVRA"));
    UpdateSql upd(QStringLiteral("insert into PARAMPEDZOVRA (NRIPSERVAPLIQ) values (:NRIPSERVAPLIQ)"),
                  QStringLiteral("update PARAMPEDZOVRA set NRIPSERVAPLIQ = :NRIPSERVAPLIQ"), QString());
    // The modify has no condition and sets every row; finding none means the
    // row was removed behind our back, and the address would not be kept.
    upd.requireRow = true;
    qryParamTransPed.setUpdateSql(upd);
    Field& f = qryParamTransPed.defineField(kEndereco);
    f.displayLabel = QStringLiteral("Endereço do Servidor");
    f.displayWidth = 20;

    qryParamTransPed.onStateChange = [this](Query& q) {
        atualizaComandos();
        if (q.state() == DataSetState::Browse)
            mostraRegistroAtual();
    };
    qryParamTransPed.afterOpen = [this](Query&) {
        atualizaComandos();
        mostraRegistroAtual();
    };
    qryParamTransPed.afterScroll = [this](Query& q) {
        if (q.state() == DataSetState::Browse)
            mostraRegistroAtual();
    };
    qryParamTransPed.afterPost = [this](Query& q) { aposPost(q); };
}

const TMessages& ParamTransPed::msgPadrao()
{
    static const TMessages table{
        "sem_ip|Ip do servidor deve ser informado.",
        "Canc|Cancelar operação?",
        "ip_inv|Endereço do servidor inválido. Informe o IP, seguido ou não de \":\" e da porta (1 a 65535).",
        "erro_grav|Não foi possível gravar o endereço do servidor; o endereço anterior foi mantido.",
    };
    return table;
}

bool ParamTransPed::aceitaTecla(QChar key)
{
    return key == QLatin1Char('\b') || key == QLatin1Char('.') || key == QLatin1Char(':')
        || (key >= QLatin1Char('0') && key <= QLatin1Char('9'));
}

bool ParamTransPed::enderecoValido(const QString& address)
{
    const qsizetype colon = address.indexOf(QLatin1Char(':'));
    const QString host = colon < 0 ? address : address.left(colon);
    if (host.trimmed().isEmpty())
        return false;
    if (colon < 0)
        return true;
    const QString port = address.mid(colon + 1);
    bool ok = false;
    const int n = port.toInt(&ok);
    return ok && !port.startsWith(QLatin1Char('+')) && n >= 1 && n <= 65535;
}

void ParamTransPed::inicia()
{
    afterCancelAnterior_ = qryParamTransPed.afterCancel;
    qryParamTransPed.afterCancel = [this](Query& q) {
        if (afterCancelAnterior_)
            afterCancelAnterior_(q);
        aposCancel(q);
    };
    qryParamTransPed.open();
    atualizaComandos();
}

bool ParamTransPed::editando() const
{
    const DataSetState s = qryParamTransPed.state();
    return s == DataSetState::Edit || s == DataSetState::Insert;
}

ComandosParamTransPed ParamTransPed::comandos() const
{
    const Query& q = qryParamTransPed;
    const bool browse = q.state() == DataSetState::Browse;
    ComandosParamTransPed c;
    c.editando = editando();
    c.cancelar = c.confirmar = c.editando;
    c.alterar = c.atualizar = browse && !q.isEmpty();
    c.incluir = q.isEmpty();
    return c;
}

void ParamTransPed::atualizaComandos() { view_.habilitaComandos(comandos()); }

void ParamTransPed::mostraRegistroAtual()
{
    const Query& q = qryParamTransPed;
    view_.mostraEndereco(q.active() && !q.isEmpty() ? q.fieldByName(kEndereco).asString() : QString());
}

void ParamTransPed::incluir()
{
    if (qryParamTransPed.state() != DataSetState::Browse)
        return;
    view_.focaEndereco();
    // At the end, where the row will be when the table is read again.
    qryParamTransPed.append();
    view_.mostraEndereco(QString());
}

void ParamTransPed::alterar()
{
    if (qryParamTransPed.state() != DataSetState::Browse || qryParamTransPed.isEmpty())
        return;
    qryParamTransPed.edit();
    view_.focaEndereco();
}

void ParamTransPed::atualizar()
{
    if (qryParamTransPed.state() != DataSetState::Browse)
        return;
    qryParamTransPed.refresh();
}

void ParamTransPed::cancelar()
{
    if (!editando())
        return;
    if (!msgPadrao().ShowMsg(QStringLiteral("Canc")))
        return;
    qryParamTransPed.cancel();
}

void ParamTransPed::confirmar()
{
    if (!editando())
        return;
    const QString texto = view_.textoEndereco().trimmed();
    if (EmptyString(texto)) {
        view_.focaEndereco();
        MensErro(msgPadrao().Msg(QStringLiteral("sem_ip")), true);
    }
    if (!enderecoValido(texto)) {
        view_.focaEndereco();
        MensErro(msgPadrao().Msg(QStringLiteral("ip_inv")), true);
    }
    qryParamTransPed.fieldByName(kEndereco).setAsString(texto);
    view_.refreshGrids();
    if (editando())
        qryParamTransPed.post();
}

void ParamTransPed::fechar() { view_.fecha(); }

void ParamTransPed::ajuda() { dialogs().ajuda(QStringLiteral("ZOV00300")); }

void ParamTransPed::aposPost(Query& q)
{
    if (q.fieldByName(kEndereco).asString().trimmed().isEmpty())
        return;
    const int recNo = q.recNo();
    bool gravou = true;
    QString erro;
    try {
        ApplyUpdatesInTransaction(db_, {&q});
    } catch (const std::exception& e) {
        gravou = false;
        erro = QString::fromUtf8(e.what());
    }
    if (!gravou) {
        // The table keeps what it had; the user must know the address was not kept.
        q.cancelUpdates();
        mostraRegistroAtual();
        atualizaComandos();
        view_.refreshGrids();
        QString texto = msgPadrao().Msg(QStringLiteral("erro_grav"));
        if (!erro.trimmed().isEmpty())
            texto += QLatin1Char('\n') + erro;
        dialogs().error(texto);
        return;
    }
    // Read back: the modify reaches every row, not only the one on screen.
    q.refresh();
    if (!q.isEmpty())
        q.setRecNo(std::clamp(recNo, 1, q.recordCount()));
}

void ParamTransPed::aposCancel(Query& q)
{
    q.cancelUpdates();
    if (q.isEmpty())
        atualizaComandos();
}

} // namespace zov
