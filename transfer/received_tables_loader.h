#pragma once
// The download's reply into the data module. Without a writer, every element
// is held in its received table for the apply step. With one (the GUI
// thread), a table's rows travel in parts of a few thousand rows, each written
// by the GUI thread into the download's one transaction while the decoder
// reads on; the data module commits it when the whole reply is applied. Deletion records are held
// whole and applied as soon as they end. The decoder waits while too many
// rows are queued, so memory stays bounded whatever the company's size.
#include "protocol/protocol.h"
#include "transfer/received_table.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace zov {

class Database;
class TableLoad;
class TdtmAtuTab;
struct LoaderInfo;

class ReceivedTablesLoader final : public ReplyConsumer {
public:
    ReceivedTablesLoader(TdtmAtuTab& dm, bool withWriter);
    ~ReceivedTablesLoader() override;

    // Decoding thread.
    void nullElement(int index) override;
    // Only the columns the local table has (deletion records: all).
    bool keepsColumn(int index, const QString& column) override;
    void beginPacket(int index, const std::vector<PacketColumn>& columns) override;
    void packetRow(int index, PacketRow& values) override;
    void endPacket(int index) override;
    void abortPacket(int index) override;
    void cancel() override;

    // GUI thread: writes every part queued so far, unless a write is already
    // running further up this thread's stack.
    void writeQueued();
    // GUI thread: lets go of a table left open (the reply failed).
    void abandon();
    // The first write that failed, if any.
    QString failure() const;
    // GUI thread: the element of the table being written, or -1.
    int openElement() const { return openIndex_; }

    // Rows of a part and the most cells queued before the decoder waits.
    static constexpr int kPartRows = 2000;
    static constexpr std::size_t kMaxQueuedCells = 400000;

private:
    struct Part {
        int index = -1;
        std::unique_ptr<ReceivedTable> rows; // null: the element came null, or is held in the module
        bool last = true;
    };
    ReceivedTable* heldTarget(int index) const;
    std::map<int, QSet<QString>> localColumns_;
    bool streamsRows(int index) const;
    void queue(Part part);
    void write(Part& part);
    void writeRows(const LoaderInfo& loader, Part& part);
    void closeTable(bool commit);
    void fail(const QString& text);
    void stopIfFailed() const;

    TdtmAtuTab& dm_;
    std::map<int, ReceivedTable*> targets_;
    std::unique_ptr<QObject> context_; // set when there is a writer

    // Decoding thread: the part being filled.
    std::unique_ptr<ReceivedTable> part_;
    int partIndex_ = -1;

    mutable std::mutex mutex_;
    std::condition_variable roomFreed_;
    std::deque<Part> queued_;
    std::size_t queuedCells_ = 0;
    QString failure_;
    std::atomic<bool> failed_{false};
    bool cancelled_ = false;

    // GUI thread: the table being written.
    bool writing_ = false;
    int openIndex_ = -1;
    std::unique_ptr<TableLoad> load_;
    int tablesWritten_ = 0;
};

} // namespace zov
