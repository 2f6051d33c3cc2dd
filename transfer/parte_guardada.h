#pragma once
// What a download that stopped had received whole, kept aside in a file next
// to the database (its name and "-parcial"). The tables the windows read hold
// none of it: the next download of the same branch and server applies it with
// what it asks for (only the rest) in its one transaction.
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace zov {

class Database;

struct TabelaGuardada {
    int slot = -1;
    QString tabela, colunaData;
    QDateTime pedidaDesde; // the rows watermark the table was asked with
    QDateTime maisNova;    // its newest row kept; null when it had none
    qint64 linhas = 0;
    // Only its first rows came: a table's rows come in the order of their
    // dates, so the rest is asked from the newest kept row on.
    bool parcial = false;
};

struct ParteGuardada {
    QString filial, servidor;
    QDateTime guardadaEm;
    QList<TabelaGuardada> tabelas;

    qint64 linhas() const;
    const TabelaGuardada* tabela(int slot) const;
};

QString arquivoParteGuardada(const Database& db);

// The kept part for this branch and server. One older than a day, of another
// branch or server, or that cannot be read is dropped (its file removed).
std::optional<ParteGuardada> leParteGuardada(const Database& db, const QString& filial, const QString& servidor, const QDateTime& agora);
void descartaParteGuardada(const Database& db);

// In the download's open transaction: the kept rows into the tables. The file
// stays attached until soltaParteGuardada, after the transaction ends.
void aplicaParteGuardada(Database& db, const ParteGuardada& parte);
void soltaParteGuardada(Database& db);

// In the download's open transaction, before it is rolled back: the rows of
// these tables that this download brought (from their watermark on) go to a
// new file that then takes the old one's place.
ParteGuardada guardaParte(Database& db, const QList<TabelaGuardada>& tabelas, const QString& filial, const QString& servidor,
                          const QDateTime& agora);

} // namespace zov
