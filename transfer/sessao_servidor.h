#pragma once
// The operator's session with the application server and how it is reached.
//
// The login (or --operador with ZOV_SENHA) sets the branch, operator and
// password; they stay in this process's memory only. Every call of a server
// object carries the token POST /sessao gave for them, asked for when none is
// held and once more when the server answers 401 (a token past its 12 hours).
//
// Addresses outside 127.0.0.0/8 and ::1 are spoken to over HTTPS, loopback
// too when the installation names a certificate authority
// (instalacao.ini, [Instalacao], CertificadoServidor=PATH); without one the
// system's trust store verifies the server.
#include <QString>
#include <string>

namespace zov {

void DefineCredenciaisServidor(const QString& filial, const QString& operador, const QString& senha);
void EsqueceSessaoServidor();
bool TemCredenciaisServidor();

// The token held ("" when none); a token set here is used as is (tests).
std::string TokenServidor();
void DefineTokenServidor(const std::string& token);

// What the calls' worker needs, taken at once under the lock.
struct SessaoServidor {
    std::string filial, operador, senha, token;
    // The server refused these credentials: said again without asking it.
    QString recusa;
    int recusaStatus = 0;
    unsigned geracao = 0;
    bool temCredenciais() const { return !operador.empty(); }
};
SessaoServidor SessaoServidorAtual();
// Keeps what POST /sessao answered, unless the credentials changed meanwhile.
void GuardaToken(unsigned geracao, const std::string& token);
void GuardaRecusa(unsigned geracao, int status, const QString& mensagem);

// The certificate authority the installation trusts ("" when none is named).
QString CertificadoServidor();
void SetCertificadoServidor(const QString& path);
// Reads instalacao.ini again.
void LoadCertificadoServidor();
// Whether calls to host go over HTTPS.
bool UsaTls(const QString& host);

} // namespace zov
