#pragma once
// The statement of a query that reads its rows on demand, kept between blocks.
#include "library/dataset.h"
#include "library/errors.h"

namespace zov {

class Query::Reader final : public PartReader {
public:
    Reader(Query& q, std::unique_ptr<Statement> st) : q_(q), st_(std::move(st)) {}

    Statement& statement() { return *st_; }
    int read = 0; // rows of the statement read so far
    // The first row not read yet, as the statement gave it: the next block
    // starts there, unless the tables changed under the list.
    QVector<QVariant> next;
    // Between blocks of one uninterrupted reading the statement stays on that row.
    bool standing = false;

    bool readsAnyOf(const std::vector<QByteArray>& tables) const override
    {
        for (const QByteArray& t : tables)
            for (const QByteArray& mine : st_->tablesRead())
                if (qstricmp(t.constData(), mine.constData()) == 0)
                    return true;
        return false;
    }
    void readRest() override
    {
        // The write that asked goes on whatever happens here: a list that
        // another connection changed under it keeps the rows it read.
        try {
            q_.fetchAll();
        } catch (const Error&) {
        }
    }
    void connectionClosing() override { q_.dropReader(); }

private:
    Query& q_;
    std::unique_ptr<Statement> st_;
};

} // namespace zov
