#pragma once
// Datasets with cached updates over SQLite.
//
// A Query holds SQL text with :NAME parameters (matched without regard to
// case), the rows it read, a current record and a state (inactive, browse,
// edit, insert). Posted and deleted records stay in a cache until
// applyUpdates() runs the UpdateSql statements (:COL and :OLD_COL) and
// commitUpdates() clears it; cancelUpdates() brings the rows back as read.
// A Query without SQL is a memory dataset (createDataSet), as the transfer
// module keeps its received packets.
//
// A query given a fetch block reads its rows on demand: the first block on
// open(), more as a grid scrolls or the program moves past them.
#include "library/database.h"
#include "library/decimal.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace zov {

class Query;

enum class DataSetState { Inactive, Browse, Edit, Insert };

class Field {
public:
    const QString& fieldName() const { return name_; }
    FieldKind kind() const { return kind_; }
    int index() const { return index_; }
    Query& dataset() const { return *q_; }

    // Presentation, kept across reopenings of the same query.
    QString displayLabel; // empty: the field name
    bool visible = true;
    int tag = 0; // 1 marks a key field
    bool calculated = false;
    bool readOnly = false;
    QString displayFormat; // "#,##0.00", "dd/MM/yyyy"...
    QString editMask;
    int displayWidth = 0;
    // Its characters may all be capital letters (an alphanumeric code): the
    // grid sizes it by the widest of them, not by digits.
    bool wideCharacters = false;
    std::function<void(Field&)> onChange;
    // The text shown for a value, when a format string cannot say it (a
    // registration masked by its kind, a code with its picture).
    std::function<QString(const QVariant&)> onGetText;

    QString label() const { return displayLabel.isEmpty() ? name_ : displayLabel; }

    QVariant value() const;
    QVariant oldValue() const;
    bool isNull() const;
    QString asString() const;
    double asFloat() const;
    // The value as the decimal it was stored from, with at most these decimals (null: 0).
    Decimal asDecimal(int scale) const;
    qint64 asInteger() const;
    QDateTime asDateTime() const;
    QByteArray asBytes() const;
    // The text a grid shows: display format, or the program's formats by kind.
    QString displayText() const { return displayTextOf(value()); }
    QString displayTextOf(const QVariant& v) const;

    // Only while editing or inserting (calculated fields: while calculating).
    void setValue(const QVariant& value);
    void setAsString(const QString& text) { setValue(text); }
    // Stores the double nearest the decimal (rounded to 15 significant digits
    // first), which asDecimal reads back as the same decimal.
    void setDecimal(const Decimal& value);
    // What the user typed, read in the program's formats ("3,5", "3,", "1.234,5",
    // "07/12/2026"); a blank text, or a number not finished ("-", ","), is no value.
    // ok is false when the text is no value of the field's kind.
    QVariant readTyped(const QString& text, bool* ok = nullptr) const;
    // Sets what the user typed; throws Error when it is no value of the field's kind.
    void setTypedText(const QString& text);
    void clear() { setValue(QVariant()); }

private:
    friend class Query;
    Field(Query* q, const QString& name, FieldKind kind) : q_(q), name_(name), kind_(kind) {}
    Query* q_;
    QString name_;
    FieldKind kind_;
    int index_ = 0;
    int column_ = -1;        // result column, -1 when calculated or memory
    bool kindFixed_ = false; // set by the statement's author, never guessed
};

struct FieldSpec {
    QString name;
    FieldKind kind = FieldKind::Text;
};

class Param {
public:
    const QString& name() const { return name_; }
    const QVariant& value() const { return value_; }
    QString asString() const { return value_.toString(); }
    void setValue(const QVariant& v) { value_ = v; }
    void clear() { value_ = QVariant(); }

private:
    friend class Query;
    explicit Param(const QString& name) : name_(name) {}
    QString name_;
    QVariant value_;
};

// Insert, modify and delete statements of a cached-update dataset.
class UpdateSql {
public:
    UpdateSql() = default;
    UpdateSql(QString insert, QString modify, QString remove)
        : insertSql(std::move(insert)), modifySql(std::move(modify)), deleteSql(std::move(remove))
    {}
    QString insertSql;
    QString modifySql;
    QString deleteSql;
    // A modify or delete that finds no row is an error unless this is false.
    bool requireRow = true;
};

// Grids and other views follow a dataset through this.
class DatasetObserver {
public:
    virtual ~DatasetObserver() = default;
    virtual void datasetReset() = 0;      // opened, closed, reloaded, filtered
    virtual void rowChanged(int pos) = 0; // values of the row at a position
    // The row at pos is about to come or go; the change follows, then rowInserted/rowRemoved.
    virtual void rowAboutToBeInserted(int /*pos*/) {}
    virtual void rowInserted(int pos) = 0;
    virtual void rowAboutToBeRemoved(int /*pos*/) {}
    virtual void rowRemoved(int pos) = 0;
    virtual void currentChanged(int pos) = 0; // -1 when there is none
    // Rows read on demand now show at the visible positions first..last (at the end).
    virtual void rowsFetched(int /*first*/, int /*last*/) {}
    virtual void stateChanged() {}
};

enum LocateOption { LocateCaseInsensitive = 1, LocatePartialKey = 2 };

class Query {
public:
    using Event = std::function<void(Query&)>;

    explicit Query(Database* db = nullptr, QString name = {});
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    const QString& name() const { return name_; }
    Database* database() const { return db_; }
    void setDatabase(Database* db);

    // SQL text; setting it closes the query. Parameters with the same name keep their values.
    const QString& sql() const { return sql_; }
    void setSql(const QString& text);
    const std::vector<std::unique_ptr<Param>>& params() const { return params_; }
    bool existParam(const QString& name) const;
    Param& paramByName(const QString& name); // throws when absent
    void setParam(const QString& name, const QVariant& value) { paramByName(name).setValue(value); }

    // Lifecycle.
    void open();
    void close();
    void refresh(); // close and open, keeping nothing of the cache
    // Rows read as they are needed: 0 (the default) reads every row on open(); n reads
    // the first n on open() and more, in growing blocks, when something moves past
    // them. Each block is one short run of the statement, so no read transaction
    // stays open while the user works. Takes effect at the next open().
    void setFetchBlock(int rows) { fetchBlock_ = std::max(rows, 0); }
    int fetchBlock() const { return fetchBlock_; }
    bool allFetched() const { return !reader_; }
    // Reads the next block; false when every row was read already.
    bool fetchMore();
    void fetchAll();
    // The visible rows read so far; recordCount() reads the rest first.
    int fetchedCount() const { return visibleCount(); }
    bool active() const { return state_ != DataSetState::Inactive; }
    // Runs a statement that returns no rows; returns the rows it changed.
    int execSql();
    // A memory dataset with these fields, open and empty.
    void createDataSet(const std::vector<FieldSpec>& fields);
    void emptyDataSet();
    // Appends a row without events or cache (bulk loading of memory datasets).
    void appendRaw(QVector<QVariant> values);

    // Fields.
    int fieldCount() const { return int(fields_.size()); }
    Field& field(int index) const { return *fields_.at(std::size_t(index)); }
    Field* findField(const QString& name) const;
    Field& fieldByName(const QString& name) const; // throws when absent
    Field& operator[](const QString& name) const { return fieldByName(name); }
    // A calculated field, filled by onCalcFields; it survives reopening.
    Field& addCalculatedField(const QString& name, FieldKind kind);
    // A field the query reads; setting it up before open keeps its presentation.
    Field& defineField(const QString& name);
    // The same with the kind its author knows it has: a computed column (NVL, CASE,
    // sums, sub-selects) has no declared type, and its kind is otherwise read from every row.
    Field& defineField(const QString& name, FieldKind kind);
    void removeField(const QString& name);
    QStringList fieldNames() const;

    // Navigation over the visible (filtered) rows.
    void first();
    void last();
    void next();
    void prior();
    void moveBy(int distance);
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return visibleCount() == 0; }
    int recordCount() const;
    int recNo() const { return cur_ + 1; } // 1-based, 0 when empty
    void setRecNo(int recNo);
    // Finds the first row whose fields ("A;B") equal the values; moves there when found.
    bool locate(const QString& fields, const QVariantList& values, int options = 0);
    bool locate(const QString& field, const QVariant& value, int options = 0) { return locate(field, QVariantList{value}, options); }

    // Editing.
    DataSetState state() const { return state_; }
    void insert(); // before the current row
    void append(); // after the last row
    void edit();   // an empty dataset is appended to instead
    void post();
    void cancel();
    void deleteRecord();
    bool modified() const { return modified_; }
    // Values the program put into a new record are defaults, not the user's
    // changes: an insert left without other changes is cancelled, not posted.
    void clearModified() { modified_ = false; }
    // True while an insert, post, cancel or delete changes the rows and tells the
    // views; moves the views ask for meanwhile are ignored (they follow afterwards).
    bool changing() const { return changing_ > 0; }
    // Posts when editing or inserting; nothing otherwise (navigation does this too).
    void checkBrowseMode();

    // Cached updates.
    void setUpdateSql(UpdateSql sql) { update_ = std::move(sql); }
    const UpdateSql& updateSql() const { return update_; }
    bool updatesPending() const;
    // Runs the statements of the pending changes, in the order they were made.
    // Throws on the first failure and keeps the cache as it was.
    void applyUpdates();
    // Clears the cache. Inside a transaction (one this save only joined) the changes
    // count as saved only when it commits: if it rolls back they are pending again.
    void commitUpdates();
    void cancelUpdates();

    // Filter over the rows read; the predicate sees a row by its storage index.
    using FilterPredicate = std::function<bool(const Query&, int row)>;
    void setFilter(FilterPredicate predicate);
    void clearFilter() { setFilter(nullptr); }
    bool filtered() const { return bool(filter_); }
    QVariant valueAt(int row, int field) const;            // storage row, as read or posted
    int storageCount() const { return int(rows_.size()); } // rows read so far
    int storageRowAt(int pos) const;                       // storage index of a visible position

    // Events; suspend them with EventsSuspended while the program moves records itself.
    Event beforeOpen, afterOpen, beforeClose, afterClose;
    Event beforeInsert, afterInsert, onNewRecord;
    Event beforeEdit, afterEdit;
    Event beforePost, afterPost;
    Event beforeCancel, afterCancel;
    Event beforeDelete, afterDelete;
    Event beforeScroll, afterScroll;
    Event onCalcFields;
    Event onStateChange;
    void suspendEvents() { ++suspended_; }
    void resumeEvents() { --suspended_; }
    bool eventsSuspended() const { return suspended_ > 0; }

    // Views.
    void addObserver(DatasetObserver* o);
    void removeObserver(DatasetObserver* o);
    void disableControls() { ++controlsDisabled_; }
    void enableControls();
    bool controlsDisabled() const { return controlsDisabled_ > 0; }

private:
    friend class Field;
    class Reader;
    enum class RowStatus : quint8 { Unmodified, Modified, Inserted };
    struct Row {
        QVector<QVariant> values;
        QVector<QVariant> old; // as read; empty while unmodified
        RowStatus status = RowStatus::Unmodified;
        quint64 changeSeq = 0;
        int origIndex = -1; // storage index when deleted, to bring it back on cancel
        quint64 uid = 0;    // the same row across edits, moves and deletion
    };
    // What commitUpdates cleared inside a transaction, to bring back on its rollback.
    struct AppliedRow {
        quint64 uid;
        RowStatus status;
        QVector<QVariant> old;
        quint64 changeSeq;
    };
    struct AppliedChanges {
        int generation;
        std::vector<AppliedRow> rows;
        std::vector<Row> deleted;
    };
    void restoreApplied(const AppliedChanges& applied);

    void requireDatabase() const;
    void requireActive() const;
    void requireEditing(const Field& f) const;
    void parseParams();
    void bindParams(Statement& st) const;
    void fetch(Statement& st);
    void matchColumns(Statement& st);
    bool readRows(Statement& st, bool onRow, int limit);
    void settleGuessedKinds(int firstNewRow);
    void completeRows(int firstNewRow);
    void readBlock(int rows);
    class ReadingOn;
    int readingOn_ = 0; // blocks read one after another, with no user input between
    void ensureVisible(int count);
    int findVisible(const std::function<bool(const Row&)>& matches); // -1 when none
    void dropReader();
    void notifyFetched(int first, int last);
    void rebuildFieldIndex();
    void setState(DataSetState s);
    void fire(const Event& e);
    void calcRow(int row);
    QVariant currentValue(const Field& f) const;
    QVariant oldValueOf(const Field& f) const;
    void setFieldValue(Field& f, const QVariant& value);
    int visibleCount() const { return filter_ ? int(view_.size()) : int(rows_.size()); }
    void rebuildView();
    void addToView(int firstRow); // storage rows from firstRow on that pass the filter
    void moveTo(int pos, bool scrollEvents);
    void startBuffer(int pos);
    void bindRow(Statement& st, const Row& row, bool deleted) const;
    int insertStorageRow(int pos, Row row);
    void eraseStorageRow(int storageRow);
    void notifyReset();
    void notifyRow(int pos);
    void notifyAboutToInsert(int pos);
    void notifyInserted(int pos);
    void notifyAboutToRemove(int pos);
    void notifyRemoved(int pos);
    void notifyCurrent();
    void notifyState();

    Database* db_;
    QString name_;
    QString sql_;
    std::vector<std::unique_ptr<Param>> params_;
    std::vector<std::unique_ptr<Field>> fields_;
    QHash<QString, int> fieldIndex_;      // lower-cased name -> index
    QHash<QString, int> fieldIndexExact_; // name as the field spells it -> index
    std::vector<Row> rows_;
    std::vector<Row> deleted_;
    std::vector<int> view_; // storage rows of the visible positions, when filtered
    int fetchBlock_ = 0;
    std::unique_ptr<Reader> reader_; // while rows are left to read
    // Computed columns whose kind the rows tell, with the storage kinds seen in them.
    struct GuessedColumn {
        int field;
        bool text = false, real = false, integer = false, blob = false;
    };
    std::vector<GuessedColumn> guessed_;
    FilterPredicate filter_;
    int cur_ = -1; // visible position
    bool eof_ = true;
    bool bof_ = true;
    DataSetState state_ = DataSetState::Inactive;
    QVector<QVariant> buffer_; // the record being edited or inserted
    bool modified_ = false;
    int insertedAt_ = -1; // storage row of the record being inserted
    bool memory_ = false;
    bool calculating_ = false;
    int calcRow_ = -1;
    quint64 changeSeq_ = 0;
    UpdateSql update_;
    int suspended_ = 0;
    int controlsDisabled_ = 0;
    int changing_ = 0;
    quint64 uidSeq_ = 0;
    int generation_ = 0; // counts openings and closings: rows of an earlier one are gone
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    std::vector<DatasetObserver*> observers_;
};

// The first block of a list shown in a grid: a few screens.
constexpr int kGridFetchBlock = 100;

// Suspends a dataset's events for a scope.
class EventsSuspended {
public:
    explicit EventsSuspended(Query& q) : q_(q) { q_.suspendEvents(); }
    ~EventsSuspended() { q_.resumeEvents(); }
    EventsSuspended(const EventsSuspended&) = delete;
    EventsSuspended& operator=(const EventsSuspended&) = delete;

private:
    Query& q_;
};

// Suspends a dataset's views for a scope (one refresh at the end).
class ControlsDisabled {
public:
    explicit ControlsDisabled(Query& q) : q_(q) { q_.disableControls(); }
    ~ControlsDisabled() { q_.enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Query& q_;
};

} // namespace zov
