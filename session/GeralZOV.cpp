#include "session/GeralZOV.h"

namespace zov {

namespace {
struct Session {
    QString filial, nmFilial, cdOperador, nmOperador, ipAcesso;
    int porta = 0;
};
Session& session()
{
    static Session s;
    return s;
}
} // namespace

QString Filial() { return session().filial; }
QString NmFilial() { return session().nmFilial; }
QString CdOperador() { return session().cdOperador; }
QString NmOperador() { return session().nmOperador; }
QString IPAcesso() { return session().ipAcesso; }
int Porta() { return session().porta; }

void SetFilial(const QString& value) { session().filial = value; }
void SetNmFilial(const QString& value) { session().nmFilial = value; }
void SetCdOperador(const QString& value) { session().cdOperador = value; }
void SetNmOperador(const QString& value) { session().nmOperador = value; }
void SetIPAcesso(const QString& value) { session().ipAcesso = value; }
void SetPorta(int value) { session().porta = value; }

void ClearSession() { session() = Session(); }

} // namespace zov
