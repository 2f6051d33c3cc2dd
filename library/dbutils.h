#pragma once
// The incremental search of the lookup dialogs.
#include <QString>
#include <QStringList>

namespace zov {

class Query;

// Leaves the query open on the rows where any of the fields contains the
// text, ignoring case and accents ("JOAO" finds "João"), in the query's own
// order. A blank text shows every row.
//
// - An open query read whole (or a memory dataset) is filtered over the rows
//   it has read, matching the text the grid shows; nothing is read again, so
//   a search over a big list costs a few milliseconds. The filter replaces any
//   earlier one; clearFilter() or setting the SQL text takes it away. So is an
//   open query read in part whose rows hold changes (cached or in edit): it
//   reads on as the filter needs.
// - A closed query, or one read in part with nothing changed in its rows, is
//   narrowed by the database (the rows it leaves out are never read): its SQL text is rewritten
//   around the caller's statement and only the matching rows are read (dates
//   are matched as dd/mm/yyyy, numbers with a decimal comma). Setting the SQL
//   text back undoes it; parameters keep their values.
// Throws Error for a field the query does not have.
void LocateAll(Query& query, const QStringList& fieldNames, const QString& text);

// The statement a LocateAll rewrite was made from; any other text unchanged.
QString locateAllBaseSql(const QString& sql);

} // namespace zov
