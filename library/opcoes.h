#pragma once
// The options file: named sets of a window's choices, per operator, in
// <ConfigUsrDir>/<CdOperador>/Filtros.Cds as a JSON array of rows with the
// columns CDTELA, CDOPERADOR, DSOPCSALVA, STVARIAVEL, NMCOMPONENTE, DSVALOR.
#include <QString>
#include <QStringList>
#include <vector>

namespace zov {

struct OpcaoSalva {
    QString CDTELA; // the window's unit name
    QString CDOPERADOR;
    QString DSOPCSALVA;   // the set's name
    QString STVARIAVEL;   // a variable's name (rows of "TStringList")
    QString NMCOMPONENTE; // the component the row restores, or "TStringList"
    QString DSVALOR;
    bool operator==(const OpcaoSalva&) const = default;
};

// <ConfigUsrDir>/<cdOperador>/Filtros.Cds
QString arquivoOpcoes(const QString& cdOperador);

// Every row of the file. A missing, unreadable or damaged file gives no
// rows (the menu is then empty); `problem`, when given, says what was wrong.
std::vector<OpcaoSalva> lerOpcoes(const QString& path, QString* problem = nullptr);

// The names of the sets saved for a window, sorted, each once.
QStringList conjuntosOpcoes(const std::vector<OpcaoSalva>& rows, const QString& cdTela);
// The rows of one set of a window, ordered by component name.
std::vector<OpcaoSalva> opcoesDoConjunto(const std::vector<OpcaoSalva>& rows, const QString& cdTela, const QString& dsOpcSalva);

// Saves a set (its rows carry the window, operator and name): a set of the
// same window and name is replaced. The whole file is written anew and put
// in place at once, so a crash never leaves half a file. Throws Error with
// the reason when it cannot be written. A damaged file is replaced.
void gravaConjuntoOpcoes(const QString& path, const std::vector<OpcaoSalva>& set);

} // namespace zov
