#pragma once
// SalvaOpcoes and its counterpart: a window's choices saved as a named set
// of the options file, and a set put back on the window.
#include "library/opcoes.h"

#include <QMap>
#include <QString>

class QWidget;

namespace zov {

using VariaveisOpcoes = QMap<QString, QString>; // name -> list text

// One row per named child of the window: line edits (masked too) by their
// text, check boxes and radio buttons "True"/"False", combo boxes by their
// index; one "TStringList" row per variable.
std::vector<OpcaoSalva> opcoesDaTela(QWidget& tela, const QString& cdTela, const QString& cdOperador, const QString& nome,
                                     const VariaveisOpcoes& variaveis);
// Sets every child named in the rows as its kind says and fills the
// variables; a radio button that ends checked takes the focus. Rows naming
// no child are skipped.
void aplicaOpcoes(QWidget& tela, const std::vector<OpcaoSalva>& rows, VariaveisOpcoes& variaveis);

// Asks the set's name and saves it in the operator's options file. False
// when the user gave no name; a failed save is shown.
bool SalvaOpcoes(QWidget& tela, const QString& cdTela, const QString& cdOperador, const VariaveisOpcoes& variaveis);

} // namespace zov
