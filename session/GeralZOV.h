#pragma once
// Session values: set once by the login, read everywhere through the readers.
// They start empty (the port at 0).
#include <QString>

namespace zov {

QString Filial();
QString NmFilial();
QString CdOperador();
QString NmOperador();
QString IPAcesso();
int Porta();

void SetFilial(const QString& value);
void SetNmFilial(const QString& value);
void SetCdOperador(const QString& value);
void SetNmOperador(const QString& value);
void SetIPAcesso(const QString& value);
void SetPorta(int value);

// Back to the empty values of a process that has not logged in (tests).
void ClearSession();

// The port when an address names none.
constexpr int kPortaPadrao = 211;

} // namespace zov
