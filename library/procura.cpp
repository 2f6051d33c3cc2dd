#include "library/procura.h"

#include "library/dataset.h"

namespace zov {

bool LocalizaTexto(Query& q, const QString& fieldName, const QString& text, bool next)
{
    if (!q.active() || q.isEmpty() || text.trimmed().isEmpty())
        return false;
    const Field& f = q.fieldByName(fieldName);
    const int n = q.recordCount();
    const int start = q.recNo() - 1 + (next ? 1 : 0);
    for (int k = 0; k < n; ++k) {
        const int pos = (start + k) % n;
        const QString shown = f.displayTextOf(q.valueAt(q.storageRowAt(pos), f.index()));
        if (shown.contains(text.trimmed(), Qt::CaseInsensitive)) {
            q.setRecNo(pos + 1);
            return true;
        }
    }
    return false;
}

} // namespace zov
