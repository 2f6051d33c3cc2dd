#include "transfer/received_tables_loader.h"

#include "db/dbgeralped.h"
#include "library/database.h"
#include "library/errors.h"
#include "protocol/protocol_slots.h"
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/loaders.h"
#include "transfer/purge.h"
#include "transfer/tabelas.h"
#include "transfer/watermarks.h"

namespace zov {

namespace {

const LoaderInfo* loaderOfElement(int index)
{
    QString rowsName;
    if (index == kParamPedidoElement)
        rowsName = QStringLiteral("cdsParamPedido");
    for (const SyncSlot& s : syncSlots())
        if (s.slot == index)
            rowsName = rowsDatasetOf(s);
    for (const LoaderInfo& l : loaderTable())
        if (rowsName == QLatin1String(l.rowsDataset))
            return &l;
    return nullptr;
}

const SyncSlot* slotOfDeletions(int index)
{
    for (const SyncSlot& s : syncSlots())
        if (s.slot + kDeletionOffset == index)
            return &s;
    return nullptr;
}

} // namespace

ReceivedTablesLoader::ReceivedTablesLoader(TdtmAtuTab& dm, bool withWriter) : dm_(dm)
{
    for (const SyncSlot& s : syncSlots()) {
        targets_[s.slot] = &dm.dataset(rowsDatasetOf(s));
        targets_[s.slot + kDeletionOffset] = &dm.dataset(deletionsDatasetOf(s));
    }
    targets_[kParamPedidoElement] = &dm.dataset(QStringLiteral("cdsParamPedido"));
    if (withWriter)
        context_ = std::make_unique<QObject>();
    // Read here, on the database's thread: the decoder then drops the columns
    // no local table has without holding them (a reply may carry thousands).
    Database* db = dtmDBGeralPed() ? dtmDBGeralPed()->database() : nullptr;
    if (!db)
        return;
    auto columnsOf = [&](const QString& table) {
        QSet<QString> names;
        for (const QString& n : db->columnNames(table))
            names.insert(n.toUpper());
        return names;
    };
    for (const SyncSlot& s : syncSlots())
        localColumns_[s.slot] = columnsOf(s.table);
    localColumns_[kParamPedidoElement] = columnsOf(QStringLiteral("PARAMPEDIDO"));
}

bool ReceivedTablesLoader::keepsColumn(int index, const QString& column)
{
    const auto it = localColumns_.find(index);
    return it == localColumns_.end() || it->second.isEmpty() || it->second.contains(column.toUpper());
}

ReceivedTablesLoader::~ReceivedTablesLoader()
{
    try {
        abandon();
    } catch (...) {
    }
}

// ------------------------------------------------------------ decoding thread

// Elements 11, 23 and 35 have no table: whatever comes there is ignored.
ReceivedTable* ReceivedTablesLoader::heldTarget(int index) const
{
    const auto it = targets_.find(index);
    return it == targets_.end() ? nullptr : it->second;
}

bool ReceivedTablesLoader::streamsRows(int index) const
{
    return context_ && heldTarget(index) && (index < kDeletionOffset || index == kParamPedidoElement);
}

void ReceivedTablesLoader::nullElement(int index)
{
    stopIfFailed();
    if (context_ && heldTarget(index))
        queue({index, nullptr, true});
}

void ReceivedTablesLoader::beginPacket(int index, const std::vector<PacketColumn>& columns)
{
    stopIfFailed();
    ReceivedTable* held = heldTarget(index);
    if (!held)
        return;
    std::vector<ReceivedTable::Column> cols;
    cols.reserve(columns.size());
    for (const PacketColumn& c : columns)
        cols.push_back({c.name, fieldKindOf(c.type)});
    if (streamsRows(index)) {
        part_ = std::make_unique<ReceivedTable>(held->name());
        part_->load(std::move(cols));
        partIndex_ = index;
        return;
    }
    held->load(std::move(cols));
}

void ReceivedTablesLoader::packetRow(int index, PacketRow& values)
{
    if (failed_.load(std::memory_order_relaxed))
        stopIfFailed();
    const bool rows = index < kDeletionOffset || index == kParamPedidoElement;
    if (part_ && partIndex_ == index) {
        part_->appendRow(values.constData(), int(values.size()));
        ++dm_.rowsReceived_;
        if (part_->rowCount() >= kPartRows) {
            auto next = std::make_unique<ReceivedTable>(part_->name());
            next->load(part_->columns());
            queue({index, std::move(part_), false});
            part_ = std::move(next);
        }
        return;
    }
    if (ReceivedTable* t = heldTarget(index)) {
        t->appendRow(values.constData(), int(values.size()));
        if (rows)
            ++dm_.rowsReceived_;
    }
}

void ReceivedTablesLoader::endPacket(int index)
{
    stopIfFailed();
    if (part_ && partIndex_ == index) {
        queue({index, std::move(part_), true});
        partIndex_ = -1;
        return;
    }
    if (context_ && heldTarget(index))
        queue({index, nullptr, true});
}

void ReceivedTablesLoader::abortPacket(int index)
{
    if (part_ && partIndex_ == index) {
        part_.reset();
        partIndex_ = -1;
        return;
    }
    if (ReceivedTable* t = heldTarget(index))
        t->unload();
}

void ReceivedTablesLoader::cancel()
{
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    roomFreed_.notify_all();
}

void ReceivedTablesLoader::queue(Part part)
{
    std::unique_lock lock(mutex_);
    queuedCells_ += part.rows ? part.rows->cellCount() : 0;
    queued_.push_back(std::move(part));
    // Runs on the GUI thread; dropped if the loader is gone by then.
    QMetaObject::invokeMethod(
        context_.get(), [this] { writeQueued(); }, Qt::QueuedConnection);
    // The writer is behind: the decoder waits for it rather than hold more.
    roomFreed_.wait(lock, [this] { return queuedCells_ <= kMaxQueuedCells || failed_ || cancelled_; });
    if (failed_)
        throw Error(failure_);
    if (cancelled_)
        throw Error(QStringLiteral("A leitura da resposta do servidor de aplicação foi interrompida."));
}

void ReceivedTablesLoader::stopIfFailed() const
{
    if (failed_)
        throw Error(failure());
}

// ------------------------------------------------------------ GUI thread

QString ReceivedTablesLoader::failure() const
{
    std::lock_guard lock(mutex_);
    return failure_;
}

void ReceivedTablesLoader::fail(const QString& text)
{
    std::lock_guard lock(mutex_);
    if (failure_.isEmpty())
        failure_ = text;
    failed_ = true;
    queued_.clear();
    queuedCells_ = 0;
    roomFreed_.notify_all();
}

void ReceivedTablesLoader::writeQueued()
{
    if (writing_ || failed_)
        return;
    writing_ = true;
    try {
        for (;;) {
            Part part;
            {
                std::lock_guard lock(mutex_);
                if (queued_.empty())
                    break;
                part = std::move(queued_.front());
                queued_.pop_front();
                queuedCells_ -= part.rows ? part.rows->cellCount() : 0;
                roomFreed_.notify_all();
            }
            write(part);
        }
    } catch (const Abort&) {
        // Not expected here; the download stops all the same.
        closeTable(false);
        fail(QStringLiteral("A importação foi interrompida."));
    } catch (const std::exception& e) {
        closeTable(false);
        fail(QString::fromUtf8(e.what()));
    } catch (...) {
        closeTable(false);
        fail(QStringLiteral("Ocorreu um erro inesperado."));
    }
    writing_ = false;
}

void ReceivedTablesLoader::abandon() { closeTable(false); }

void ReceivedTablesLoader::write(Part& part)
{
    if (const SyncSlot* slot = slotOfDeletions(part.index)) {
        // Its rows came earlier in the reply; without them the apply step
        // names what is missing.
        if (dm_.written(rowsDatasetOf(*slot)))
            dm_.applyDeletions(*slot);
        return;
    }
    if (const LoaderInfo* loader = loaderOfElement(part.index))
        writeRows(*loader, part);
}

void ReceivedTablesLoader::writeRows(const LoaderInfo& loader, Part& part)
{
    Database& db = DataBaseGeralPed();
    const QString rowsName = QString::fromLatin1(loader.rowsDataset);
    if (openIndex_ != part.index) {
        closeTable(false); // a table whose element never ended (not expected)
        // The table's first part: checked before anything of it is written.
        const ReceivedTable missing(rowsName);
        checkRows(loader, part.rows ? *part.rows : missing);
        if (part.last && part.rows->rowCount() == 0) {
            dm_.written_.insert(rowsName);
            ++tablesWritten_;
            return;
        }
        // Every table joins the download's one transaction.
        dm_.abreTransacao();
        openIndex_ = part.index;
        load_ = std::make_unique<TableLoad>(db, loader, part.rows->columns());
    }
    const QString name = progressTableName(rowsName);
    const QString atuTab = TdtmAtuTab::msgPadrao().Msg(QStringLiteral("ATU_TAB"));
    const int tables = int(loaderTable().size());
    load_->write(*part.rows, 0, [&](int row, int) {
        UpdateProgress(dm_.progressWindow, {atuTab, QStringLiteral("%1 - %2").arg(name).arg(row)}, tablesWritten_, tables, false);
    });
    part.rows.reset(); // written: its memory goes back at once
    if (!part.last)
        return;
    // Its deletions come later in the reply: until they are applied, the
    // next download asks for them from the date this one asked with.
    const QString table = QString::fromLatin1(loader.table);
    if (const SyncSlot* slot = syncSlotOf(table))
        markDeletionsPending(db, table, dm_.requestedDeletionsFrom.value(slot->slot, dataSemAtualizacao()).toDateTime());
    closeTable(true);
    dm_.written_.insert(rowsName);
    ++tablesWritten_;
}

void ReceivedTablesLoader::closeTable(bool)
{
    // The table's rows stay in the download's transaction, which the data
    // module commits with everything else or rolls back.
    openIndex_ = -1;
    load_.reset();
}

} // namespace zov
