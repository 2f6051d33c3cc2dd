// Reading a statement's rows into the dataset: whole on open(), or on demand,
// each block one short run of the statement, which steps past the rows read
// before and is reset at the end.
#include "library/dataset.h"
#include "library/dataset_reader.h"
#include "library/errors.h"

namespace zov {

namespace {

QVector<QVariant> rawRow(const Statement& st)
{
    QVector<QVariant> row(st.columnCount());
    for (int c = 0; c < row.size(); ++c)
        row[c] = st.rawValue(c);
    return row;
}

} // namespace

void Query::fetch(Statement& st)
{
    matchColumns(st);
    readRows(st, false, -1);
    completeRows(0);
}

// Rows just read get their computed kinds and calculated fields.
void Query::completeRows(int firstNewRow)
{
    settleGuessedKinds(firstNewRow);
    if (onCalcFields)
        for (int r = firstNewRow; r < int(rows_.size()); ++r)
            calcRow(r);
}

void Query::matchColumns(Statement& st)
{
    const int ncols = st.columnCount();
    // Match the result columns to the fields, keeping the presentation of known ones.
    std::vector<std::unique_ptr<Field>> fields;
    for (int c = 0; c < ncols; ++c) {
        const QString cname = st.columnName(c);
        std::unique_ptr<Field> f;
        for (auto& old : fields_)
            if (old && !old->calculated && old->fieldName().compare(cname, Qt::CaseInsensitive) == 0)
                f = std::move(old);
        bool duplicate = false;
        for (const auto& g : fields)
            duplicate = duplicate || g->fieldName().compare(cname, Qt::CaseInsensitive) == 0;
        if (duplicate)
            continue; // the first column of a name wins, as FieldByName would find it
        if (!f)
            f = std::unique_ptr<Field>(new Field(this, cname, FieldKind::Text));
        f->column_ = c;
        fields.push_back(std::move(f));
    }
    for (auto& old : fields_)
        if (old && old->calculated)
            fields.push_back(std::move(old));
    fields_ = std::move(fields);
    rebuildFieldIndex();

    // Kinds: the author's, else the statement's; a computed column's from its rows.
    guessed_.clear();
    for (int i = 0; i < fieldCount(); ++i) {
        Field& f = *fields_[std::size_t(i)];
        if (f.column_ < 0 || f.kindFixed_)
            continue;
        FieldKind k = FieldKind::Text;
        if (st.declaredKind(f.column_, k))
            f.kind_ = k;
        else
            guessed_.push_back({i});
    }
}

// Reads from the row the statement stands on (onRow), else from its next one;
// limit < 0 reads to the end. True when a row was left unread: the statement stands on it.
bool Query::readRows(Statement& st, bool onRow, int limit)
{
    const int nfields = fieldCount();
    // A text equal to the one above shares its string: constant and
    // repeated columns (flags, units) cost no allocation per row.
    std::vector<QVariant> above(static_cast<std::size_t>(nfields), QVariant());
    int n = 0;
    for (bool has = onRow || st.step(); has; has = st.step()) {
        if (limit >= 0 && n == limit)
            return true;
        Row r;
        r.uid = ++uidSeq_;
        r.values.resize(nfields);
        for (int i = 0; i < nfields; ++i) {
            const Field& f = *fields_[std::size_t(i)];
            if (f.column_ < 0)
                continue;
            QVariant& prev = above[std::size_t(i)];
            if (f.kind_ == FieldKind::Text && prev.metaType().id() == QMetaType::QString
                && st.textEquals(f.column_, *static_cast<const QString*>(prev.constData()))) {
                r.values[i] = prev;
                continue;
            }
            r.values[i] = st.value(f.column_, f.kind_);
            if (f.kind_ == FieldKind::Text)
                prev = r.values[i];
        }
        for (const GuessedColumn& g : guessed_)
            r.values[g.field] = st.rawValue(fields_[std::size_t(g.field)]->column_);
        rows_.push_back(std::move(r));
        ++n;
    }
    return false;
}

// A computed column's kind is what all its rows read so far hold; rows read
// later may widen it (an integer column that meets a fraction becomes a number).
void Query::settleGuessedKinds(int firstNewRow)
{
    for (GuessedColumn& g : guessed_) {
        for (int r = firstNewRow; r < int(rows_.size()); ++r) {
            switch (rows_[std::size_t(r)].values[g.field].metaType().id()) {
            case QMetaType::QString: g.text = true; break;
            case QMetaType::Double: g.real = true; break;
            case QMetaType::LongLong: g.integer = true; break;
            case QMetaType::QByteArray: g.blob = true; break;
            default: break;
            }
        }
        FieldKind k = FieldKind::Text;
        if (g.blob && !g.text && !g.real && !g.integer)
            k = FieldKind::Blob;
        else if (!g.text && !g.blob && g.real)
            k = FieldKind::Number;
        else if (!g.text && !g.blob && g.integer)
            k = FieldKind::Integer;
        Field& f = *fields_[std::size_t(g.field)];
        const int from = (firstNewRow > 0 && k != f.kind_) ? 0 : firstNewRow;
        f.kind_ = k;
        for (int r = from; r < int(rows_.size()); ++r) {
            QVariant& v = rows_[std::size_t(r)].values[g.field];
            v = convertToKind(v, k);
        }
    }
}

// Blocks read one after another (until a row matches, or enough are visible)
// keep the statement where it stands; it is reset when the reading ends.
class Query::ReadingOn {
public:
    explicit ReadingOn(Query& q) : q_(q) { ++q_.readingOn_; }
    ~ReadingOn()
    {
        if (--q_.readingOn_ == 0 && q_.reader_ && q_.reader_->standing) {
            q_.reader_->statement().reset();
            q_.reader_->standing = false;
        }
    }
    ReadingOn(const ReadingOn&) = delete;
    ReadingOn& operator=(const ReadingOn&) = delete;

private:
    Query& q_;
};

void Query::dropReader()
{
    if (!reader_)
        return;
    if (db_)
        db_->removePartReader(reader_.get());
    reader_.reset();
}

int Query::recordCount() const
{
    if (reader_)
        const_cast<Query*>(this)->fetchAll();
    return visibleCount();
}

bool Query::fetchMore()
{
    if (!reader_)
        return false;
    // Each block as large as what was read before it: reading a list through
    // steps its statement about twice over, whatever its size.
    readBlock(std::max({reader_->read, fetchBlock_, 1}));
    return true;
}

void Query::fetchAll()
{
    if (reader_)
        readBlock(-1);
}

void Query::ensureVisible(int count)
{
    ReadingOn reading(*this);
    while (reader_ && visibleCount() < count)
        fetchMore();
}

int Query::findVisible(const std::function<bool(const Row&)>& matches)
{
    ReadingOn reading(*this);
    for (int pos = 0;; ++pos) {
        while (pos >= visibleCount() && fetchMore()) {
        }
        if (pos >= visibleCount())
            return -1;
        if (matches(rows_[std::size_t(storageRowAt(pos))]))
            return pos;
    }
}

void Query::readBlock(int rows)
{
    Reader& rd = *reader_;
    Statement& st = rd.statement();
    const int firstNew = int(rows_.size());
    const int visibleBefore = visibleCount();
    bool more = false;
    bool changed = false;
    try {
        bool onRow = rd.standing;
        if (!onRow && rd.read > 0) {
            st.reset();
            onRow = true;
            for (int i = 0; i <= rd.read && onRow; ++i) // stands on the first row not read
                onRow = st.step();
            changed = !onRow || rawRow(st) != rd.next;
        }
        if (!changed) {
            more = readRows(st, onRow, rows);
            rd.read += int(rows_.size()) - firstNew;
            if (more)
                rd.next = rawRow(st);
        }
        rd.standing = more && readingOn_ > 0;
        if (!rd.standing)
            st.reset();
    } catch (...) {
        rd.standing = false;
        st.reset();
        rows_.erase(rows_.begin() + firstNew, rows_.end());
        throw;
    }
    if (changed) {
        dropReader();
        throw Error(QStringLiteral("A lista %1 mudou no banco de dados enquanto era lida; feche-a e abra-a de novo para vê-la inteira.")
                        .arg(name_));
    }
    if (!more)
        dropReader();
    completeRows(firstNew);
    addToView(firstNew);
    if (active() && visibleCount() > visibleBefore)
        notifyFetched(visibleBefore, visibleCount() - 1);
}

void Query::notifyFetched(int first, int last)
{
    if (controlsDisabled_ == 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->rowsFetched(first, last);
}

} // namespace zov
