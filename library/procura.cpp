#include "library/procura.h"

#include "library/dataset.h"

namespace zov {

bool LocalizaTexto(Query& q, const QString& fieldName, const QString& text, bool next)
{
    if (!q.active() || q.isEmpty() || text.trimmed().isEmpty())
        return false;
    const Field& f = q.fieldByName(fieldName);
    const QString wanted = text.trimmed();
    auto found = [&](int pos) {
        if (!f.displayTextOf(q.valueAt(q.storageRowAt(pos), f.index())).contains(wanted, Qt::CaseInsensitive))
            return false;
        q.setRecNo(pos + 1);
        return true;
    };
    // From the current row to the end, reading on as the list has not yet, then from the top.
    const int start = q.recNo() - 1 + (next ? 1 : 0);
    for (int pos = start;; ++pos) {
        while (pos >= q.fetchedCount() && q.fetchMore()) {
        }
        if (pos >= q.fetchedCount())
            break;
        if (found(pos))
            return true;
    }
    for (int pos = 0; pos < start && pos < q.fetchedCount(); ++pos)
        if (found(pos))
            return true;
    return false;
}

} // namespace zov
