// Moving over the visible rows, finding a row, and the filter that decides
// which rows are visible.
#include "library/dataset.h"

#include "library/errors.h"

#include <QDateTime>
#include <algorithm>

namespace zov {

namespace {

bool sameValue(const QVariant& a, const QVariant& b, int options)
{
    if (a.isNull() || b.isNull()) {
        const bool ea = a.isNull() || (a.metaType().id() == QMetaType::QString && a.toString().isEmpty());
        const bool eb = b.isNull() || (b.metaType().id() == QMetaType::QString && b.toString().isEmpty());
        return ea && eb;
    }
    const int ta = a.metaType().id();
    const int tb = b.metaType().id();
    const bool numA = ta == QMetaType::Double || ta == QMetaType::LongLong || ta == QMetaType::Int;
    const bool numB = tb == QMetaType::Double || tb == QMetaType::LongLong || tb == QMetaType::Int;
    if (numA && numB)
        return a.toDouble() == b.toDouble();
    if (ta == QMetaType::QDateTime || tb == QMetaType::QDateTime || ta == QMetaType::QDate || tb == QMetaType::QDate)
        return convertToKind(a, FieldKind::DateTime).toDateTime() == convertToKind(b, FieldKind::DateTime).toDateTime();
    const QString sa = a.toString();
    const QString sb = b.toString();
    const Qt::CaseSensitivity cs = (options & LocateCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (options & LocatePartialKey)
        return sa.startsWith(sb, cs);
    return sa.compare(sb, cs) == 0;
}

} // namespace

// ---------------------------------------------------------------- navigation

void Query::moveTo(int pos, bool scrollEvents)
{
    const int n = visibleCount();
    if (n == 0) {
        cur_ = -1;
        bof_ = eof_ = true;
        notifyCurrent();
        return;
    }
    pos = std::clamp(pos, 0, n - 1);
    if (scrollEvents)
        fire(beforeScroll);
    cur_ = pos;
    notifyCurrent();
    if (scrollEvents)
        fire(afterScroll);
}

void Query::checkBrowseMode()
{
    requireActive();
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        if (modified_ || state_ == DataSetState::Edit)
            post();
        else
            cancel();
    }
}

void Query::first()
{
    checkBrowseMode();
    moveTo(0, true);
    bof_ = true;
    eof_ = isEmpty();
}

void Query::last()
{
    checkBrowseMode();
    fetchAll();
    moveTo(visibleCount() - 1, true);
    eof_ = true;
    bof_ = isEmpty();
}

void Query::next() { moveBy(1); }

void Query::prior() { moveBy(-1); }

void Query::moveBy(int distance)
{
    checkBrowseMode();
    int n = visibleCount();
    if (n == 0) {
        bof_ = eof_ = true;
        return;
    }
    const int target = cur_ + distance;
    ensureVisible(target + 1);
    n = visibleCount();
    bof_ = eof_ = false;
    if (target >= n) {
        eof_ = true;
        if (cur_ != n - 1)
            moveTo(n - 1, true);
        return;
    }
    if (target < 0) {
        bof_ = true;
        if (cur_ != 0)
            moveTo(0, true);
        return;
    }
    if (target != cur_)
        moveTo(target, true);
}

void Query::setRecNo(int recNo)
{
    if (changing_ > 0)
        return; // a view following a change in progress; it is told where to go afterwards
    checkBrowseMode();
    if (recNo - 1 == cur_)
        return;
    ensureVisible(recNo);
    moveTo(recNo - 1, true);
    bof_ = eof_ = isEmpty();
}

bool Query::locate(const QString& fields, const QVariantList& values, int options)
{
    checkBrowseMode();
    const QStringList names = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (names.size() != values.size())
        throw Error(QStringLiteral("Localizar em %1: número de valores diferente do de campos.").arg(name_));
    std::vector<int> idx;
    for (const QString& n : names)
        idx.push_back(fieldByName(n.trimmed()).index());
    // Rows not read yet are read block by block until one matches.
    const int pos = findVisible([&](const Row& r) {
        bool all = true;
        for (std::size_t k = 0; k < idx.size() && all; ++k)
            all = sameValue(r.values.value(idx[k]), values[int(k)], options);
        return all;
    });
    if (pos < 0)
        return false;
    if (pos != cur_)
        moveTo(pos, true);
    bof_ = eof_ = false;
    return true;
}

// ---------------------------------------------------------------- filter

void Query::setFilter(FilterPredicate predicate)
{
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        checkBrowseMode();
    filter_ = std::move(predicate);
    rebuildView();
    ensureVisible(1);
    cur_ = isEmpty() ? -1 : 0;
    bof_ = true;
    eof_ = isEmpty();
    notifyReset();
    if (active() && !isEmpty())
        fire(afterScroll);
}

void Query::rebuildView()
{
    view_.clear();
    addToView(0);
}

void Query::addToView(int firstRow)
{
    if (filter_)
        for (int r = firstRow; r < int(rows_.size()); ++r)
            if (filter_(*this, r))
                view_.push_back(r);
}

} // namespace zov
