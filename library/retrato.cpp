#include "library/retrato.h"

namespace zov {

bool editando(const Query& q) { return q.state() == DataSetState::Edit || q.state() == DataSetState::Insert; }

Retrato retrata(Query& q)
{
    Retrato r{&q, q.state(), q.recNo(), {}};
    if (editando(q))
        for (int i = 0; i < q.fieldCount(); ++i)
            r.values.push_back(q.field(i).value());
    return r;
}

void restaura(const Retrato& r)
{
    Query& q = *r.q;
    EventsSuspended quiet(q); // no defaults or cascades while putting it back
    q.cancel();
    q.cancelUpdates();
    if (!q.active() || (r.state != DataSetState::Edit && r.state != DataSetState::Insert))
        return;
    if (r.state == DataSetState::Insert) {
        if (r.recNo >= 1 && r.recNo <= q.recordCount()) {
            q.setRecNo(r.recNo);
            q.insert();
        } else {
            q.append();
        }
    } else {
        q.setRecNo(r.recNo);
        q.edit();
    }
    for (int i = 0; i < q.fieldCount() && i < int(r.values.size()); ++i)
        if (!q.field(i).calculated)
            q.field(i).setValue(r.values[std::size_t(i)]);
}

} // namespace zov
