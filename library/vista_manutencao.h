#pragma once
// What every maintenance window's logic asks of its window, whatever the
// record: the record search, closing, and the lookup dialog it opens. The
// customer and order views add their pages, controls and command states.
#include <QString>
#include <functional>

namespace zov {

class Query;

// The generic search dialog as the lookups use it: shows the prepared, open
// query under the caption and returns true when a row was chosen, with the
// query open on it.
using PesquisaFn = std::function<bool(Query& lista, const QString& titulo)>;

class VistaManutencao {
public:
    virtual ~VistaManutencao() = default;
    // The record search (Procurar) on a dataset.
    virtual void procura(Query& dataset) = 0;
    virtual void fecha() = 0;
};

} // namespace zov
