#pragma once
// The download's table slots, shared by the client and the server: slot i
// travels as reply element i (rows) and i + 24 (deletion records).
#include <QString>
#include <QStringList>
#include <vector>

namespace zov {

constexpr int kSlotCount = 24;          // entries of each watermark array
constexpr int kReplyElementCount = 48;  // elements of the getTabelas result
constexpr int kParamPedidoElement = 47; // PARAMPEDIDO rows (CDFILIAL, IDPERALTPRECO)
constexpr int kDeletionOffset = 24;     // element of a slot's deletion records

struct SyncSlot {
    int slot;
    QString table;
    QString dateColumn; // last-update column (watermark)
    QStringList keys;   // key columns in the order deletion keys list them
};

// The 22 used slots in slot order (11 and 23 are not used).
const std::vector<SyncSlot>& syncSlots();
// The slot of a table, or null.
const SyncSlot* syncSlotOf(const QString& table);
// Deletion key text: "COLUMN=value;" per key column, every entry ending in ";".
QString deletionKeyText(const QStringList& keys, const QStringList& values);

} // namespace zov
