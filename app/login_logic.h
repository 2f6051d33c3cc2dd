#pragma once
// The login: admits a user as an operator of a branch against the local
// tables and fixes the session values. When a server address is kept, every
// login refreshes the reference data from the server, and a machine whose
// branch or operator table is empty can only get in after such a refresh.
#include "library/dataset.h"
#include "library/messages.h"

#include <QStringList>
#include <functional>

namespace zov {

class ProgressWindow;

enum class LoginField { Endereco, Filial, Operador, Senha };

class LoginView {
public:
    virtual ~LoginView() = default;
    virtual QString text(LoginField field) const = 0;
    virtual void setText(LoginField field, const QString& text) = 0;
    // Focuses the field and selects its text.
    virtual void focus(LoginField field) = 0;
    // Conectar, Sair and the four fields.
    virtual void setControlsEnabled(bool enabled) = 0;
    virtual ProgressWindow* progressWindow() = 0;
    // Hides and closes the window after a successful login.
    virtual void closeLogin() = 0;
};

// The download steps the login runs; tests replace them.
struct LoginTransfer {
    std::function<bool()> testaConnect;
    // Asked when the local check refuses the password: the office may have
    // changed it, and the refresh then brings the new one.
    std::function<bool()> servidorAdmite;
    std::function<bool()> criaBaixaDados;
    std::function<bool()> chamaExportaDados;
    // The company's situations of the orders sent, after the tables.
    std::function<bool()> atualizaAcompanhamento;
    std::function<void(ProgressWindow*, const QStringList&, int, int, bool)> updateProgress;
    // Shows why a refresh that reached the server failed.
    std::function<void()> reportFailure;
    static LoginTransfer real();
};

class LoginLogic {
public:
    LoginLogic(LoginView& view, LoginTransfer transfer = LoginTransfer::real());
    LoginLogic(const LoginLogic&) = delete;
    LoginLogic& operator=(const LoginLogic&) = delete;

    static const TMessages& msgPadrao();

    // Opening: connects the database and takes the kept server address.
    void abertura();
    // Activation: the focus goes to the address when it is empty, else to the branch.
    void ativacao();
    void saiFilial();
    void saiOperador();
    // Conectar: true when the user got in (the session values are set and the window closed).
    bool conectar();
    // Sair: the program ends without a main window.
    void sair();
    bool terminou() const { return terminated_; }
    bool admitido() const { return admitted_; }

    // The checks; each stops the Conectar action with its message.
    void Vd_Filial();
    void Vd_Operador();
    void Vd_Senha();
    // The server admits the operator typed (the address, when there is one).
    bool servidorAdmite();
    void Vd_Endereco();
    void Vd_Dados();

    Query qryParamTransPed;
    Query qryFiliEmpty;
    Query qryOperEmpty;
    Query qryFilial;
    Query qryFiliOper;
    Query qryVdOperador;

private:
    void fail(LoginField field, const QString& key);
    void conectaBanco();
    void reabreVazias();
    bool algumaVazia() const { return qryFiliEmpty.isEmpty() || qryOperEmpty.isEmpty(); }

    LoginView& view_;
    LoginTransfer transfer_;
    bool terminated_ = false;
    bool admitted_ = false;
};

} // namespace zov
