// Rows read on demand: each block is one short run of the statement, which
// steps past the rows read before and is reset at the end.
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
            for (int i = 0; i <= rd.read && (i == 0 || onRow); ++i)
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
    settleGuessedKinds(firstNew);
    if (onCalcFields)
        for (int r = firstNew; r < int(rows_.size()); ++r)
            calcRow(r);
    if (filter_)
        for (int r = firstNew; r < int(rows_.size()); ++r)
            if (filter_(*this, r))
                view_.push_back(r);
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
