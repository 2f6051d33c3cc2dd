#pragma once
// The record search of the editing windows' Find command: a dialog that
// picks one of the shown fields and a text, and moves the dataset to the
// next record whose field shows that text.
#include <QString>

class QWidget;

namespace zov {

class Query;

// Moves to the first record, from the current one on (or after it when
// next), whose field shows text anywhere in it, ignoring case; wraps around
// once. False when there is none; the dataset then stays where it was.
bool LocalizaTexto(Query& dataset, const QString& fieldName, const QString& text, bool next);

// The interactive find dialog on a dataset (modal). Lives in procura_qt.cpp.
void Procura(Query& dataset, QWidget* parent);

} // namespace zov
