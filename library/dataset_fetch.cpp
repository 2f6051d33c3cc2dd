// Rows read on demand: each block is one short run of the statement, which
// steps past the rows read before and is reset at the end.
#include "library/dataset.h"
#include "library/dataset_reader.h"
#include "library/errors.h"

namespace zov {

namespace {

// Blocks grow with what was read, so reading a list through costs about two
// runs of its statement; one block never holds more than this.
constexpr int kLargestBlock = 16384;

QVector<QVariant> rawRow(const Statement& st)
{
    QVector<QVariant> row(st.columnCount());
    for (int c = 0; c < row.size(); ++c)
        row[c] = st.rawValue(c);
    return row;
}

} // namespace

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
    readBlock(std::clamp(reader_->read, std::max(fetchBlock_, 1), std::max(kLargestBlock, fetchBlock_)));
    return true;
}

void Query::fetchAll()
{
    if (reader_)
        readBlock(-1);
}

void Query::ensureVisible(int count)
{
    while (reader_ && visibleCount() < count)
        fetchMore();
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
        st.reset();
        bool onRow = false;
        if (rd.read > 0) {
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
        st.reset();
    } catch (...) {
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
