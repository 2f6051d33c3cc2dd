#pragma once
// What a record held before a save, to put it back when the save fails: the
// same insert or edit state, on the same row, with what was typed.
#include "library/dataset.h"

#include <vector>

namespace zov {

struct Retrato {
    Query* q = nullptr;
    DataSetState state = DataSetState::Inactive;
    int recNo = 0;
    std::vector<QVariant> values;
};

bool editando(const Query& q);
Retrato retrata(Query& q);
// Drops the cached changes and, when the record was being edited or
// inserted, starts it again with its values (events suspended meanwhile).
void restaura(const Retrato& r);

} // namespace zov
