#include "library/dataset.h"

#include "library/errors.h"

#include <algorithm>

namespace zov {

namespace {

// Marks a change of the rows in progress for its scope.
class Changing {
public:
    explicit Changing(int& counter) : c_(counter) { ++c_; }
    ~Changing() { --c_; }
    Changing(const Changing&) = delete;
    Changing& operator=(const Changing&) = delete;

private:
    int& c_;
};

} // namespace

// Inserts a storage row so that it shows at visible position pos.
int Query::insertStorageRow(int pos, Row row)
{
    int storage = int(rows_.size());
    if (pos < visibleCount())
        storage = storageRowAt(pos);
    rows_.insert(rows_.begin() + storage, std::move(row));
    if (filter_) {
        for (int& v : view_)
            if (v >= storage)
                ++v;
        view_.insert(view_.begin() + std::min<std::size_t>(std::size_t(pos), view_.size()), storage);
    }
    return storage;
}

void Query::eraseStorageRow(int storage)
{
    rows_.erase(rows_.begin() + storage);
    if (filter_) {
        view_.erase(std::remove(view_.begin(), view_.end(), storage), view_.end());
        for (int& v : view_)
            if (v > storage)
                --v;
    }
}

void Query::startBuffer(int pos)
{
    requireActive();
    checkBrowseMode();
    fire(beforeInsert);
    {
        Changing busy(changing_);
        Row r; // not a change until it is posted
        r.uid = ++uidSeq_;
        r.values.resize(fieldCount());
        pos = std::clamp(pos, 0, visibleCount());
        notifyAboutToInsert(pos);
        insertedAt_ = insertStorageRow(pos, std::move(r));
        buffer_ = QVector<QVariant>(fieldCount());
        cur_ = pos;
        bof_ = eof_ = false;
        notifyInserted(pos);
    }
    setState(DataSetState::Insert);
    notifyCurrent();
    if (onNewRecord && suspended_ == 0)
        onNewRecord(*this);
    // Values set by the new-record handler are defaults, not changes.
    modified_ = false;
    fire(afterInsert);
}

void Query::insert() { startBuffer(std::max(cur_, 0)); }

void Query::append()
{
    fetchAll(); // after the last row, not the last one read
    startBuffer(visibleCount());
}

void Query::edit()
{
    requireActive();
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        return;
    if (isEmpty()) {
        append();
        return;
    }
    fire(beforeEdit);
    buffer_ = rows_[std::size_t(storageRowAt(cur_))].values;
    modified_ = false;
    setState(DataSetState::Edit);
    fire(afterEdit);
}

void Query::post()
{
    if (changing_ > 0 || (state_ != DataSetState::Edit && state_ != DataSetState::Insert))
        return;
    fire(beforePost);
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return; // the handler settled the record itself
    const bool inserting = state_ == DataSetState::Insert;
    const int storage = inserting ? insertedAt_ : storageRowAt(cur_);
    {
        Changing busy(changing_);
        Row& r = rows_[std::size_t(storage)];
        if (!memory_) {
            if (inserting) {
                r.status = RowStatus::Inserted;
                r.changeSeq = ++changeSeq_;
            } else if (r.status == RowStatus::Unmodified) {
                r.old = r.values;
                r.status = RowStatus::Modified;
                r.changeSeq = ++changeSeq_;
            }
        } else {
            r.status = RowStatus::Unmodified;
        }
        r.values = buffer_;
        buffer_.clear();
        insertedAt_ = -1;
        modified_ = false;
    }
    setState(DataSetState::Browse);
    calcRow(storage);
    notifyRow(cur_);
    fire(afterPost);
}

void Query::cancel()
{
    if (changing_ > 0 || (state_ != DataSetState::Edit && state_ != DataSetState::Insert))
        return;
    fire(beforeCancel);
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return; // the handler settled the record itself
    const bool inserting = state_ == DataSetState::Insert;
    if (inserting)
        fire(beforeScroll);
    {
        Changing busy(changing_);
        buffer_.clear();
        modified_ = false;
        if (inserting) {
            const int pos = cur_;
            notifyAboutToRemove(pos);
            eraseStorageRow(insertedAt_);
            insertedAt_ = -1;
            cur_ = isEmpty() ? -1 : std::min(pos, visibleCount() - 1);
            bof_ = eof_ = isEmpty();
            notifyRemoved(pos);
        }
    }
    setState(DataSetState::Browse);
    if (inserting)
        notifyCurrent();
    else
        notifyRow(cur_);
    fire(afterCancel);
    if (inserting)
        fire(afterScroll);
}

void Query::deleteRecord()
{
    requireActive();
    if (changing_ > 0)
        return;
    if (state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw Error(QStringLiteral("Não há registro para excluir em %1.").arg(name_));
    ensureVisible(2); // a row stays to stand on, if the list has one
    fire(beforeDelete);
    fire(beforeScroll);
    {
        Changing busy(changing_);
        const int pos = cur_;
        const int storage = storageRowAt(pos);
        notifyAboutToRemove(pos);
        Row r = std::move(rows_[std::size_t(storage)]);
        eraseStorageRow(storage);
        if (!memory_ && r.status != RowStatus::Inserted) {
            if (r.old.isEmpty())
                r.old = r.values;
            r.changeSeq = ++changeSeq_;
            r.origIndex = storage;
            deleted_.push_back(std::move(r));
        }
        buffer_.clear();
        modified_ = false;
        cur_ = isEmpty() ? -1 : std::min(pos, visibleCount() - 1);
        bof_ = eof_ = isEmpty();
        notifyRemoved(pos);
    }
    if (state_ == DataSetState::Edit)
        setState(DataSetState::Browse);
    notifyCurrent();
    fire(afterDelete);
    fire(afterScroll);
}

// ---------------------------------------------------------------- cached updates

bool Query::updatesPending() const
{
    if (!deleted_.empty())
        return true;
    return std::any_of(rows_.begin(), rows_.end(), [](const Row& r) { return r.status != RowStatus::Unmodified; });
}

void Query::bindRow(Statement& st, const Row& row, bool deleted) const
{
    const int n = st.parameterCount();
    for (int i = 1; i <= n; ++i) {
        QString pname = st.parameterName(i);
        bool old = false;
        if (pname.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive)) {
            old = true;
            pname = pname.mid(4);
        }
        const Field* f = findField(pname);
        if (!f)
            throw Error(QStringLiteral("O parâmetro %1 não corresponde a nenhum campo de %2.").arg(st.parameterName(i), name_));
        const QVector<QVariant>& src = (old || deleted) && !row.old.isEmpty() ? row.old : row.values;
        // Values as read find their row again: a key part that holds '' is no NULL.
        if (old || deleted)
            st.bindExact(i, src.value(f->index()));
        else
            st.bindAt(i, src.value(f->index()));
    }
}

void Query::applyUpdates()
{
    requireDatabase();
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        post();
    // Its own writes would make the list read the rest mid-way, moving the rows.
    fetchAll();
    struct Pending {
        quint64 seq;
        const Row* row;
        bool deleted;
    };
    std::vector<Pending> pending;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].status != RowStatus::Unmodified)
            pending.push_back({rows_[i].changeSeq, &rows_[i], false});
    for (const Row& r : deleted_)
        pending.push_back({r.changeSeq, &r, true});
    if (pending.empty())
        return;
    std::sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) { return a.seq < b.seq; });

    db_->transaction([&] {
        std::unique_ptr<Statement> ins, mod, del;
        auto prepared = [&](std::unique_ptr<Statement>& st, const QString& sql, const char* what) -> Statement& {
            if (!st) {
                if (sql.trimmed().isEmpty())
                    throw Error(QStringLiteral("%1 não tem comando de %2.").arg(name_, QString::fromUtf8(what)));
                st = std::make_unique<Statement>(*db_, sql);
            }
            return *st;
        };
        for (const Pending& p : pending) {
            Statement* st = nullptr;
            bool needRow = update_.requireRow;
            if (p.deleted) {
                st = &prepared(del, update_.deleteSql, "exclusão");
            } else if (p.row->status == RowStatus::Inserted) {
                st = &prepared(ins, update_.insertSql, "inclusão");
                needRow = false;
            } else {
                st = &prepared(mod, update_.modifySql, "alteração");
            }
            bindRow(*st, *p.row, p.deleted);
            const int changed = st->exec();
            if (needRow && changed == 0)
                throw Error(QStringLiteral("O registro a gravar não foi encontrado no banco de dados (%1).").arg(name_));
        }
    });
}

void Query::commitUpdates()
{
    if (db_ && db_->inTransaction() && updatesPending()) {
        auto applied = std::make_shared<AppliedChanges>();
        applied->generation = generation_;
        for (const Row& r : rows_)
            if (r.status != RowStatus::Unmodified)
                applied->rows.push_back({r.uid, r.status, r.old, r.changeSeq});
        applied->deleted = deleted_;
        std::weak_ptr<int> alive = alive_;
        db_->onTransactionEnd([this, alive, applied](bool committed) {
            if (!committed && !alive.expired())
                restoreApplied(*applied);
        });
    }
    for (Row& r : rows_) {
        r.status = RowStatus::Unmodified;
        r.old.clear();
        r.changeSeq = 0;
    }
    deleted_.clear();
}

// The transaction these changes were written in rolled back: they are pending again,
// under whatever the user changed since.
void Query::restoreApplied(const AppliedChanges& applied)
{
    if (applied.generation != generation_)
        return; // closed or reopened since: those rows are not here any more
    for (const AppliedRow& a : applied.rows) {
        auto row = std::find_if(rows_.begin(), rows_.end(), [&](const Row& r) { return r.uid == a.uid; });
        if (row != rows_.end()) {
            if (row->status == RowStatus::Unmodified) {
                row->status = a.status;
                row->old = a.old;
                row->changeSeq = a.changeSeq;
            } else if (a.status == RowStatus::Inserted) {
                row->status = RowStatus::Inserted; // edited since, but still not in the table
                row->old.clear();
                row->changeSeq = std::min(row->changeSeq, a.changeSeq);
            } else {
                row->old = a.old;
                row->changeSeq = std::min(row->changeSeq, a.changeSeq);
            }
            continue;
        }
        auto gone = std::find_if(deleted_.begin(), deleted_.end(), [&](const Row& r) { return r.uid == a.uid; });
        if (gone == deleted_.end())
            continue;
        if (a.status == RowStatus::Inserted)
            deleted_.erase(gone); // deleted before it ever reached the table
        else
            gone->old = a.old;
    }
    for (const Row& d : applied.deleted)
        deleted_.push_back(d);
    notifyState();
}

void Query::cancelUpdates()
{
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        cancel();
    for (int i = int(rows_.size()) - 1; i >= 0; --i) {
        Row& r = rows_[std::size_t(i)];
        if (r.status == RowStatus::Inserted) {
            rows_.erase(rows_.begin() + i);
        } else if (r.status == RowStatus::Modified) {
            r.values = r.old;
            r.old.clear();
            r.status = RowStatus::Unmodified;
        }
    }
    // Latest deletions first, so each row goes back where it was when deleted.
    std::vector<Row> back = std::move(deleted_);
    deleted_.clear();
    std::sort(back.begin(), back.end(), [](const Row& a, const Row& b) { return a.changeSeq > b.changeSeq; });
    for (Row& r : back) {
        const int at = std::clamp(r.origIndex, 0, int(rows_.size()));
        r.values = r.old;
        r.old.clear();
        r.status = RowStatus::Unmodified;
        rows_.insert(rows_.begin() + at, std::move(r));
    }
    rebuildView();
    if (cur_ >= visibleCount())
        cur_ = visibleCount() - 1;
    if (cur_ < 0 && !isEmpty())
        cur_ = 0;
    bof_ = eof_ = isEmpty();
    notifyReset();
    notifyCurrent();
}

} // namespace zov
