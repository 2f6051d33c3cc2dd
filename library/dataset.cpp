#include "library/dataset.h"

#include "library/dataset_reader.h"
#include "library/errors.h"

#include <algorithm>

namespace zov {

namespace {

bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// Names of the :NAME parameters of a statement, skipping literals and comments.
QStringList parameterNames(const QString& sql)
{
    QStringList names;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const QChar quote = c;
            for (++i; i < n && sql.at(i) != quote; ++i) {
            }
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 1;
        } else if (c == QLatin1Char(':') && i + 1 < n && (sql.at(i + 1).isLetter() || sql.at(i + 1) == QLatin1Char('_'))
                   && (i == 0 || sql.at(i - 1) != QLatin1Char(':'))) {
            qsizetype j = i + 1;
            while (j < n && isIdentChar(sql.at(j)))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            bool seen = false;
            for (const QString& existing : names)
                seen = seen || existing.compare(name, Qt::CaseInsensitive) == 0;
            if (!seen)
                names << name;
            i = j - 1;
        }
    }
    return names;
}

} // namespace

Query::Query(Database* db, QString name) : db_(db), name_(std::move(name)) {}

Query::~Query() { dropReader(); }

void Query::setDatabase(Database* db)
{
    if (db != db_)
        fetchAll(); // the rest is only in the connection it was read from
    db_ = db;
}

void Query::requireDatabase() const
{
    if (!db_)
        throw Error(name_.isEmpty() ? QStringLiteral("O conjunto de dados não tem banco de dados.")
                                    : QStringLiteral("O conjunto de dados %1 não tem banco de dados.").arg(name_));
}

void Query::requireActive() const
{
    if (state_ == DataSetState::Inactive)
        throw Error(QStringLiteral("O conjunto de dados %1 está fechado.").arg(name_));
}

// ---------------------------------------------------------------- SQL and parameters

void Query::setSql(const QString& text)
{
    close();
    sql_ = text;
    memory_ = false;
    parseParams();
    filter_ = nullptr;
}

void Query::parseParams()
{
    std::vector<std::unique_ptr<Param>> kept;
    for (const QString& name : parameterNames(sql_)) {
        auto p = std::unique_ptr<Param>(new Param(name));
        for (const auto& old : params_)
            if (old->name().compare(name, Qt::CaseInsensitive) == 0)
                p->value_ = old->value_;
        kept.push_back(std::move(p));
    }
    params_ = std::move(kept);
}

bool Query::existParam(const QString& name) const
{
    return std::any_of(params_.begin(), params_.end(), [&](const auto& p) { return p->name().compare(name, Qt::CaseInsensitive) == 0; });
}

Param& Query::paramByName(const QString& name)
{
    for (auto& p : params_)
        if (p->name().compare(name, Qt::CaseInsensitive) == 0)
            return *p;
    throw Error(QStringLiteral("Parâmetro %1 não encontrado em %2.").arg(name, name_));
}

void Query::bindParams(Statement& st) const
{
    const int n = st.parameterCount();
    for (int i = 1; i <= n; ++i) {
        const QString pname = st.parameterName(i);
        const Param* found = nullptr;
        for (const auto& p : params_)
            if (p->name().compare(pname, Qt::CaseInsensitive) == 0)
                found = p.get();
        st.bindAt(i, found ? found->value() : QVariant());
    }
}

// ---------------------------------------------------------------- fields

Field* Query::findField(const QString& name) const
{
    // Callers mostly spell the name as the field does: no lower-cased copy then.
    auto it = fieldIndexExact_.constFind(name);
    if (it == fieldIndexExact_.constEnd()) {
        it = fieldIndex_.constFind(name.toLower());
        if (it == fieldIndex_.constEnd())
            return nullptr;
    }
    return fields_[std::size_t(*it)].get();
}

Field& Query::fieldByName(const QString& name) const
{
    if (Field* f = findField(name))
        return *f;
    throw Error(QStringLiteral("Campo %1 não encontrado em %2.").arg(name, name_));
}

QStringList Query::fieldNames() const
{
    QStringList names;
    for (const auto& f : fields_)
        names << f->fieldName();
    return names;
}

void Query::rebuildFieldIndex()
{
    fieldIndex_.clear();
    fieldIndexExact_.clear();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->index_ = int(i);
        fieldIndex_.insert(fields_[i]->fieldName().toLower(), int(i));
        fieldIndexExact_.insert(fields_[i]->fieldName(), int(i));
    }
}

Field& Query::addCalculatedField(const QString& name, FieldKind kind)
{
    if (findField(name))
        throw Error(QStringLiteral("Campo %1 repetido em %2.").arg(name, name_));
    auto f = std::unique_ptr<Field>(new Field(this, name, kind));
    f->calculated = true;
    fields_.push_back(std::move(f));
    rebuildFieldIndex();
    for (Row& r : rows_)
        r.values.append(QVariant());
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        buffer_.append(QVariant());
    return *fields_.back();
}

Field& Query::defineField(const QString& name)
{
    if (Field* f = findField(name))
        return *f;
    fields_.push_back(std::unique_ptr<Field>(new Field(this, name, FieldKind::Text)));
    rebuildFieldIndex();
    for (Row& r : rows_)
        r.values.append(QVariant());
    return *fields_.back();
}

Field& Query::defineField(const QString& name, FieldKind kind)
{
    Field& f = defineField(name);
    f.kind_ = kind;
    f.kindFixed_ = true;
    return f;
}

void Query::removeField(const QString& name)
{
    Field* f = findField(name);
    if (!f)
        return;
    const int idx = f->index();
    auto drop = [idx](QVector<QVariant>& v) {
        if (idx < v.size())
            v.remove(idx);
    };
    for (Row& r : rows_) {
        drop(r.values);
        drop(r.old);
    }
    for (Row& r : deleted_) {
        drop(r.values);
        drop(r.old);
    }
    drop(buffer_);
    fields_.erase(fields_.begin() + idx);
    rebuildFieldIndex();
    notifyReset();
}

// ---------------------------------------------------------------- lifecycle

void Query::open()
{
    if (active())
        return;
    if (memory_) {
        setState(DataSetState::Browse);
        moveTo(isEmpty() ? -1 : 0, false);
        return;
    }
    requireDatabase();
    fire(beforeOpen);
    rows_.clear();
    deleted_.clear();
    view_.clear();
    // Inside a transaction the rows may yet be rolled back: read them all now.
    if (fetchBlock_ > 0 && !db_->inTransaction()) {
        auto st = std::make_unique<Statement>(*db_, sql_);
        bindParams(*st);
        matchColumns(*st);
        reader_ = std::make_unique<Reader>(*this, std::move(st));
        db_->addPartReader(reader_.get());
        try {
            readBlock(fetchBlock_);
        } catch (...) {
            dropReader();
            rows_.clear();
            throw;
        }
    } else {
        Statement st(*db_, sql_);
        bindParams(st);
        fetch(st);
    }
    rebuildView(); // a filter outlives closing: it narrows the rows read again
    ensureVisible(1);
    setState(DataSetState::Browse);
    cur_ = isEmpty() ? -1 : 0;
    bof_ = true;
    eof_ = isEmpty();
    notifyReset();
    fire(afterOpen);
    if (!isEmpty())
        fire(afterScroll);
}

void Query::close()
{
    if (!active())
        return;
    fire(beforeClose);
    dropReader();
    rows_.clear();
    deleted_.clear();
    view_.clear();
    buffer_.clear();
    insertedAt_ = -1;
    modified_ = false;
    cur_ = -1;
    eof_ = bof_ = true;
    setState(DataSetState::Inactive);
    notifyReset();
    fire(afterClose);
}

void Query::refresh()
{
    close();
    open();
}

int Query::execSql()
{
    requireDatabase();
    Statement st(*db_, sql_);
    bindParams(st);
    return st.exec();
}

void Query::createDataSet(const std::vector<FieldSpec>& specs)
{
    close();
    sql_.clear();
    params_.clear();
    memory_ = true;
    fields_.clear();
    for (const FieldSpec& s : specs)
        fields_.push_back(std::unique_ptr<Field>(new Field(this, s.name, s.kind)));
    rebuildFieldIndex();
    rows_.clear();
    setState(DataSetState::Browse);
    notifyReset();
}

void Query::emptyDataSet()
{
    if (!memory_)
        throw Error(QStringLiteral("%1 não é um conjunto de dados em memória.").arg(name_));
    rows_.clear();
    deleted_.clear();
    view_.clear();
    buffer_.clear();
    insertedAt_ = -1;
    cur_ = -1;
    eof_ = bof_ = true;
    if (active())
        setState(DataSetState::Browse);
    notifyReset();
}

void Query::appendRaw(QVector<QVariant> values)
{
    requireActive();
    values.resize(fieldCount());
    Row r;
    r.uid = ++uidSeq_;
    r.values = std::move(values);
    rows_.push_back(std::move(r));
    addToView(int(rows_.size()) - 1);
    if (cur_ < 0 && visibleCount() > 0) {
        cur_ = 0;
        eof_ = bof_ = false;
    }
}

// ---------------------------------------------------------------- state and events

void Query::setState(DataSetState s)
{
    if (state_ == s)
        return;
    if (s == DataSetState::Inactive || state_ == DataSetState::Inactive)
        ++generation_;
    state_ = s;
    notifyState();
    fire(onStateChange);
}

void Query::fire(const Event& e)
{
    if (e && suspended_ == 0)
        e(*this);
}

void Query::calcRow(int row)
{
    if (!onCalcFields)
        return;
    const bool wasCalculating = calculating_;
    const int wasRow = calcRow_;
    calculating_ = true;
    calcRow_ = row;
    try {
        onCalcFields(*this);
    } catch (...) {
        calculating_ = wasCalculating;
        calcRow_ = wasRow;
        throw;
    }
    calculating_ = wasCalculating;
    calcRow_ = wasRow;
}

// ---------------------------------------------------------------- values

int Query::storageRowAt(int pos) const
{
    if (pos < 0 || pos >= visibleCount())
        return -1;
    return filter_ ? view_[std::size_t(pos)] : pos;
}

QVariant Query::valueAt(int row, int field) const
{
    if (row < 0 || row >= int(rows_.size()) || field < 0 || field >= fieldCount())
        return {};
    return rows_[std::size_t(row)].values.value(field);
}

QVariant Query::currentValue(const Field& f) const
{
    if (calculating_ && calcRow_ >= 0)
        return rows_[std::size_t(calcRow_)].values.value(f.index());
    if (calculating_ && calcRow_ < 0)
        return buffer_.value(f.index());
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        return buffer_.value(f.index());
    const int row = storageRowAt(cur_);
    if (row < 0)
        return {};
    return rows_[std::size_t(row)].values.value(f.index());
}

QVariant Query::oldValueOf(const Field& f) const
{
    const int row = state_ == DataSetState::Insert ? -1 : storageRowAt(cur_);
    if (row < 0)
        return {};
    const Row& r = rows_[std::size_t(row)];
    return r.old.isEmpty() ? r.values.value(f.index()) : r.old.value(f.index());
}

void Query::requireEditing(const Field& f) const
{
    if (calculating_ && f.calculated)
        return;
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        throw Error(QStringLiteral("O conjunto de dados %1 não está em edição (campo %2).").arg(name_, f.fieldName()));
    if (f.readOnly)
        throw Error(QStringLiteral("O campo %1 não pode ser alterado.").arg(f.fieldName()));
}

void Query::setFieldValue(Field& f, const QVariant& value)
{
    requireEditing(f);
    QVariant v = convertToKind(value, f.kind());
    // An empty text is no value at all.
    if (f.kind() == FieldKind::Text && v.metaType().id() == QMetaType::QString && v.toString().isEmpty())
        v = QVariant();
    if (calculating_) {
        if (calcRow_ >= 0)
            rows_[std::size_t(calcRow_)].values[f.index()] = v;
        else
            buffer_[f.index()] = v;
        return;
    }
    const QVariant before = buffer_.value(f.index());
    if (before == v && before.isNull() == v.isNull())
        return;
    buffer_[f.index()] = v;
    modified_ = true;
    if (f.onChange && suspended_ == 0)
        f.onChange(f);
    if (onCalcFields && !f.calculated) {
        calculating_ = true;
        calcRow_ = -1;
        try {
            onCalcFields(*this);
        } catch (...) {
            calculating_ = false;
            throw;
        }
        calculating_ = false;
    }
    notifyRow(cur_);
}

// ---------------------------------------------------------------- views

void Query::addObserver(DatasetObserver* o)
{
    if (std::find(observers_.begin(), observers_.end(), o) == observers_.end())
        observers_.push_back(o);
}

void Query::removeObserver(DatasetObserver* o) { observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end()); }

void Query::enableControls()
{
    if (controlsDisabled_ > 0 && --controlsDisabled_ == 0) {
        for (auto* o : std::vector<DatasetObserver*>(observers_)) {
            o->datasetReset();
            o->currentChanged(cur_);
            o->stateChanged();
        }
    }
}

void Query::notifyReset()
{
    if (controlsDisabled_ == 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->datasetReset();
}

void Query::notifyRow(int pos)
{
    if (controlsDisabled_ == 0 && pos >= 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->rowChanged(pos);
}

void Query::notifyAboutToInsert(int pos)
{
    if (controlsDisabled_ == 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->rowAboutToBeInserted(pos);
}

void Query::notifyAboutToRemove(int pos)
{
    if (controlsDisabled_ == 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->rowAboutToBeRemoved(pos);
}

void Query::notifyInserted(int pos)
{
    if (controlsDisabled_ == 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->rowInserted(pos);
}

void Query::notifyRemoved(int pos)
{
    if (controlsDisabled_ == 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->rowRemoved(pos);
}

void Query::notifyCurrent()
{
    if (controlsDisabled_ == 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->currentChanged(cur_);
}

void Query::notifyState()
{
    if (controlsDisabled_ == 0)
        for (auto* o : std::vector<DatasetObserver*>(observers_))
            o->stateChanged();
}

} // namespace zov
