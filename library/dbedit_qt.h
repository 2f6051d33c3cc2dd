#pragma once
// Data-aware edits: a QLineEdit or QPlainTextEdit that shows a field of the
// current record and writes what the user types into it at once.
//
// The edit takes typing only while its dataset is being edited or inserted.
// Its mask follows the field's edit mask ("mask;keepLiterals;blank"): a mask
// of digits only becomes a digit validator of that length, any other one a
// Qt input mask; with keepLiterals "0" the literals are shown, not stored.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "library/dataset.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace zov {

class DbEdit : public QObject, private DatasetObserver {
    Q_OBJECT
public:
    DbEdit(QLineEdit* edit, Query& query, QString fieldName, QObject* parent = nullptr);
    ~DbEdit() override;

    QLineEdit* edit() const { return edit_; }
    Query& query() const { return q_; }
    const QString& fieldName() const { return field_; }
    // Letters typed are turned to upper case; only letters are taken.
    void setUpperLetters(int maxLength);
    // The length of a field edited without a mask.
    void setMaxLength(int maxLength);
    // Shows the field and never takes typing (names looked up elsewhere).
    void setDisplayOnly(bool displayOnly);
    // Reads the value, the mask and whether typing is allowed again.
    void refresh();
    // Runs after the user's typing was stored in the field.
    std::function<void()> onUserEdit;

    // The stored text of what a masked edit shows.
    static QString unmask(const QString& shown, const QString& qtMask, bool keepLiterals);

private:
    void datasetReset() override { refresh(); }
    void rowChanged(int pos) override;
    void rowInserted(int) override {}
    void rowRemoved(int) override {}
    void currentChanged(int) override { refresh(); }
    void stateChanged() override { refresh(); }
    void applyMask(const QString& pict);
    QString storedText() const;
    bool showsValue(const Field& f, const QString& value) const;
    void userEdited();

    QPointer<QLineEdit> edit_;
    Query& q_;
    QString field_;
    QString appliedPict_;
    bool upper_ = false;
    bool displayOnly_ = false;
    int maxLength_ = 0;
    bool maskApplied_ = false;
    QString qtMask_;
    bool keepLiterals_ = true;
};

class DbMemo : public QObject, private DatasetObserver {
    Q_OBJECT
public:
    DbMemo(QPlainTextEdit* edit, Query& query, QString fieldName, int maxLength, QObject* parent = nullptr);
    ~DbMemo() override;
    void refresh();

private:
    void datasetReset() override { refresh(); }
    void rowChanged(int pos) override;
    void rowInserted(int) override {}
    void rowRemoved(int) override {}
    void currentChanged(int) override { refresh(); }
    void stateChanged() override { refresh(); }
    void userEdited();

    QPointer<QPlainTextEdit> edit_;
    Query& q_;
    QString field_;
    int maxLength_;
    bool updating_ = false;
};

} // namespace zov
