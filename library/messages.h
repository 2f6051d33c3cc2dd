#pragma once
// Per-window message tables: "key|text" lines, read by key ignoring case.
#include <QHash>
#include <QString>
#include <initializer_list>

namespace zov {

class TMessages {
public:
    TMessages() = default;
    // Each line is "key|text"; the text may itself contain "|".
    TMessages(std::initializer_list<const char*> lines);
    void add(const QString& line);

    // The text of key; an unknown key returns the key itself.
    QString Msg(const QString& key) const;
    bool contains(const QString& key) const;
    // Yes/No question with the text of key; true only on Yes.
    bool ShowMsg(const QString& key) const;

private:
    QHash<QString, QString> texts_; // keyed by the lower-cased key
};

// The second table of every window that edits records.
const TMessages& msgMensagensPadroes();

} // namespace zov
