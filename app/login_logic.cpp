#include "app/login_logic.h"
#include "transfer/acompanhamento.h"

#include "db/dbgeralped.h"
#include "library/consiste.h"
#include "library/criptografa.h"
#include "library/dialogs.h"
#include "library/errors.h"
#include "session/GeralZOV.h"
#include "transfer/atu_tab.h"
#include "transfer/endereco.h"
#include "transfer/sessao_servidor.h"

namespace zov {

LoginTransfer LoginTransfer::real()
{
    LoginTransfer t;
    t.testaConnect = &TestaConnect;
    t.servidorAdmite = &ServidorAdmiteOperador;
    t.criaBaixaDados = &CriaBaixaDados;
    t.chamaExportaDados = &ChamaExportaDados;
    t.atualizaAcompanhamento = &AtualizaAcompanhamento;
    t.updateProgress = &UpdateProgress;
    t.reportFailure = [] {
        const QString why = lastTransferError();
        if (!why.isEmpty())
            dialogs().error(why);
    };
    return t;
}

const TMessages& LoginLogic::msgPadrao()
{
    static const TMessages table{
        "filial_inf|Filial deve ser informada.",
        "filial_n_cad|Filial não cadastrada",
        "oper_inf|Operador deve ser informado.",
        "oper_n_cad|Operador não cadastrado para a filial informada.",
        "senha_inv|Senha inválida.",
        "FILI_EMPTY|Não há filial cadastrada. Verificar conexão com a internet, número do IP ou porta do servidor e "
        "conexão do servidor com a internet para baixar os dados do servidor.",
        "OPER_EMPTY|Não há Operador cadastrada. Verificar conexão com a internet, número do IP ou porta do servidor e "
        "conexão do servidor com a internet para baixar os dados do servidor.",
        "Atu_DB|Conectando ao servidor...",
    };
    return table;
}

LoginLogic::LoginLogic(LoginView& view, LoginTransfer transfer) : view_(view), transfer_(std::move(transfer))
{
    qryParamTransPed.setSql(QStringLiteral("SELECT NRIPSERVAPLIQ FROM PARAMPEDZOVRA"));
    qryFiliEmpty.setSql(QStringLiteral("SELECT CDFILIAL FROM FILIAL LIMIT 1"));
    qryOperEmpty.setSql(QStringLiteral("SELECT CDOPERADOR FROM OPERADOR LIMIT 1"));
    qryFilial.setSql(QStringLiteral("SELECT CDFILIAL, NMFILIAL, CDEMPRESA FROM FILIAL "
                                    "WHERE ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T')) ORDER BY CDFILIAL"));
    // Does the branch restrict its operators at all.
    qryFiliOper.setSql(QStringLiteral("SELECT CDOPERADOR FROM FILIOPER WHERE CDFILIAL = :P_CDFILIAL LIMIT 1"));
    // The operator with its link to the branch, if any: F.CDFILIAL is empty
    // when the operator exists but is not linked to the branch.
    qryVdOperador.setSql(
        QStringLiteral("SELECT F.CDFILIAL, O.CDOPERADOR, O.NMOPERADOR, O.NMACESSO, O.CDSENHOPER, O.CDFUNC, O.IDSENHVARDIA "
                       "FROM (SELECT CDOPERADOR, NMOPERADOR, NMACESSO, CDSENHOPER, CDFUNC, IDSENHVARDIA, :P_CDFILIAL AS CDFILIAL "
                       "      FROM OPERADOR) O "
                       "LEFT JOIN FILIOPER F ON F.CDFILIAL = O.CDFILIAL AND F.CDOPERADOR = O.CDOPERADOR "
                       "WHERE (O.CDOPERADOR = :P_CDOPERADOR) ORDER BY O.CDOPERADOR"));
}

// Every database action starts here: a connection that failed to open (a locked or
// missing file) is tried again, so the user can mend it and press Conectar once more.
void LoginLogic::conectaBanco()
{
    Database& db = DataBaseGeralPed();
    for (Query* q : {&qryParamTransPed, &qryFiliEmpty, &qryOperEmpty, &qryFilial, &qryFiliOper, &qryVdOperador})
        if (q->database() != &db) {
            q->close();
            q->setDatabase(&db);
        }
}

void LoginLogic::abertura()
{
    conectaBanco();
    qryParamTransPed.close();
    qryParamTransPed.open();
    view_.setText(LoginField::Endereco, qryParamTransPed[QStringLiteral("NRIPSERVAPLIQ")].asString());
}

void LoginLogic::ativacao() { view_.focus(EmptyString(view_.text(LoginField::Endereco)) ? LoginField::Endereco : LoginField::Filial); }

void LoginLogic::saiFilial()
{
    const QString t = view_.text(LoginField::Filial);
    if (!EmptyString(t))
        view_.setText(LoginField::Filial, Ajusta(t, 4));
}

void LoginLogic::saiOperador()
{
    const QString t = view_.text(LoginField::Operador);
    if (!EmptyString(t))
        view_.setText(LoginField::Operador, Ajusta(t, 12));
}

void LoginLogic::fail(LoginField field, const QString& key)
{
    view_.focus(field);
    MensErro(msgPadrao().Msg(key), true);
}

void LoginLogic::Vd_Filial()
{
    if (EmptyString(view_.text(LoginField::Filial)))
        fail(LoginField::Filial, QStringLiteral("filial_inf"));
    view_.setText(LoginField::Filial, Ajusta(view_.text(LoginField::Filial), 4));
    qryFilial.close();
    qryFilial.setParam(QStringLiteral("P_CDFILIAL"), view_.text(LoginField::Filial));
    qryFilial.setParam(QStringLiteral("P_TCDFILIAL"), QString());
    qryFilial.open();
    if (qryFilial.isEmpty())
        fail(LoginField::Filial, QStringLiteral("filial_n_cad"));
}

void LoginLogic::Vd_Operador()
{
    if (EmptyString(view_.text(LoginField::Operador)))
        fail(LoginField::Operador, QStringLiteral("oper_inf"));
    view_.setText(LoginField::Operador, Ajusta(view_.text(LoginField::Operador), 12));
    const QString filial = view_.text(LoginField::Filial);
    qryFiliOper.close();
    qryFiliOper.setParam(QStringLiteral("P_CDFILIAL"), filial);
    qryFiliOper.open();
    qryVdOperador.close();
    qryVdOperador.setParam(QStringLiteral("P_CDFILIAL"), filial);
    qryVdOperador.setParam(QStringLiteral("P_CDOPERADOR"), view_.text(LoginField::Operador));
    qryVdOperador.open();
    const bool linked = !qryVdOperador.isEmpty() && !qryVdOperador[QStringLiteral("CDFILIAL")].isNull();
    const bool everyOperator = qryFiliOper.isEmpty();
    if (qryVdOperador.isEmpty() || !(linked || everyOperator))
        fail(LoginField::Operador, QStringLiteral("oper_n_cad"));
}

void LoginLogic::Vd_Senha()
{
    if (!SenhaOK(view_.text(LoginField::Senha), qryVdOperador[QStringLiteral("CDSENHOPER")].asString()))
        fail(LoginField::Senha, QStringLiteral("senha_inv"));
}

bool LoginLogic::servidorAdmite()
{
    const QString address = view_.text(LoginField::Endereco);
    if (EmptyString(address) || !transfer_.servidorAdmite)
        return false;
    UsaEndereco(address);
    DefineCredenciaisServidor(Ajusta(view_.text(LoginField::Filial), 4), Ajusta(view_.text(LoginField::Operador), 12),
                              view_.text(LoginField::Senha));
    if (transfer_.servidorAdmite())
        return true;
    EsqueceSessaoServidor();
    return false;
}

void LoginLogic::Vd_Endereco()
{
    const QString address = view_.text(LoginField::Endereco);
    if (EmptyString(address))
        return;
    UsaEndereco(address); // a port that is not a number ends Conectar with its error
    // The server admits the operator typed here (in memory for this session
    // only), for the branch the download is for.
    const QString filial = Ajusta(view_.text(LoginField::Filial), 4);
    DefineCredenciaisServidor(filial, Ajusta(view_.text(LoginField::Operador), 12), view_.text(LoginField::Senha));
    SetFilial(filial);
    if (!transfer_.testaConnect())
        return; // not reachable: the login goes on with the local data
    try {
        TransferLock lock;
        transfer_.updateProgress(view_.progressWindow(), {msgPadrao().Msg(QStringLiteral("Atu_DB"))}, 0, 1, true);
        view_.setControlsEnabled(false);
        bool ok = transfer_.criaBaixaDados();
        if (ok)
            ok = transfer_.chamaExportaDados();
        if (ok && transfer_.atualizaAcompanhamento)
            ok = transfer_.atualizaAcompanhamento();
        if (!ok && transfer_.reportFailure)
            transfer_.reportFailure();
        view_.setControlsEnabled(true);
    } catch (const Abort&) {
        view_.setControlsEnabled(true);
    } catch (const std::exception& e) {
        // Another transfer running, or the steps themselves failed to start.
        view_.setControlsEnabled(true);
        ShowErrorMessage(e);
    }
}

void LoginLogic::Vd_Dados()
{
    reabreVazias();
    if (qryFiliEmpty.isEmpty())
        fail(LoginField::Endereco, QStringLiteral("FILI_EMPTY"));
    if (qryOperEmpty.isEmpty())
        fail(LoginField::Endereco, QStringLiteral("OPER_EMPTY"));
}

void LoginLogic::reabreVazias()
{
    qryFiliEmpty.close();
    qryFiliEmpty.open();
    qryOperEmpty.close();
    qryOperEmpty.open();
}

bool LoginLogic::conectar()
{
    conectaBanco();
    reabreVazias();
    if (algumaVazia()) {
        if (EmptyString(view_.text(LoginField::Endereco))) {
            Vd_Dados();
        } else {
            Vd_Endereco();
            reabreVazias();
            if (algumaVazia())
                Vd_Dados();
            Vd_Filial();
            Vd_Operador();
            Vd_Senha();
        }
    } else {
        // With an address, each login first checks the user, then refreshes.
        // A password the local copy refuses may be one the office set since:
        // the server, when it is there, admits it, and the refresh brings it.
        // Offline the local check stands.
        Vd_Filial();
        Vd_Operador();
        if (!SenhaOK(view_.text(LoginField::Senha), qryVdOperador[QStringLiteral("CDSENHOPER")].asString()) && !servidorAdmite())
            fail(LoginField::Senha, QStringLiteral("senha_inv"));
        Vd_Endereco();
        // The refresh may have changed the branch or the operator: read them again.
        qryFilial.refresh();
        qryVdOperador.refresh();
    }
    SetFilial(view_.text(LoginField::Filial));
    // Admitted offline: a server address set later (or "Importar Dados") still
    // enters the server as this operator, the password kept in memory only.
    if (!TemCredenciaisServidor())
        DefineCredenciaisServidor(view_.text(LoginField::Filial), view_.text(LoginField::Operador), view_.text(LoginField::Senha));
    SetNmFilial(qryFilial[QStringLiteral("NMFILIAL")].asString());
    SetCdOperador(view_.text(LoginField::Operador));
    SetNmOperador(qryVdOperador[QStringLiteral("NMOPERADOR")].asString());
    admitted_ = true;
    view_.closeLogin();
    return true;
}

void LoginLogic::sair()
{
    terminated_ = true;
    view_.closeLogin();
}

} // namespace zov
