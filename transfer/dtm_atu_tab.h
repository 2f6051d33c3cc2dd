#pragma once
// TdtmAtuTab: the transfer data module. It owns the two server connections,
// the received tables of a download (rows and deletion records per table, and
// PARAMPEDIDO), and the window progress is shown in. It lives from the first
// step that needs it to the end of the apply step.
#include "library/messages.h"
#include "transfer/netconnection.h"
#include "transfer/parte_guardada.h"
#include "transfer/received_table.h"

#include <QVariantList>
#include <map>
#include <memory>
#include <set>

namespace zov {

class Database;
class ProgressWindow;
class ReceivedTablesLoader;
struct LoaderInfo;
struct SyncSlot;

class TdtmAtuTab {
public:
    TdtmAtuTab();
    ~TdtmAtuTab();
    TdtmAtuTab(const TdtmAtuTab&) = delete;
    TdtmAtuTab& operator=(const TdtmAtuTab&) = delete;

    static const TMessages& msgPadrao();

    TNetConnection netExpPedido;
    TNetConnection netImpDados;
    ProgressWindow* progressWindow = nullptr;

    // cdsCliente, cdsClienteCache, cdsParamPedido...
    ReceivedTable& dataset(const QString& name);

    // The request to the server and the loading of its reply. On the GUI
    // thread each table is written as soon as its element has arrived (and
    // then let go); elsewhere, or with writeWhileReceiving off, the tables
    // are held for ExportaDados.
    void BaixaDados();
    bool writeWhileReceiving = true;
    // True while the reply is being received (and tables written): user
    // input waits meanwhile.
    bool receiving = false;
    // The deletion watermarks this download asked with, per slot: a table
    // written before its deletions came is marked with its own.
    QVariantList requestedDeletionsFrom;
    // Rows of every table element received, written or held.
    qint64 rowsReceived() const { return rowsReceived_; }
    // Refuses a reply that lacks an element or a key column, before any
    // write of the tables still held.
    void checkReceived();
    // Writes the tables still held into the local ones, with their deletions.
    void ExportaDados();
    void DeletaDados(bool boTabelas);
    // Sends the orders of the pending-order list with every active customer
    // and marks those the server took (transfer/exporta.cpp).
    void ExportaPedidos();

    // Progress in the recorded window, in message or progress mode.
    void mensagem(const QString& key);

    // What an earlier download that stopped had kept, taken up by this one.
    const std::optional<ParteGuardada>& parteRetomada() const { return parte_; }

    // The download's one transaction: every table and deletion it brings
    // commits at once, or none does. A kept part is applied first in it.
    // BaixaDados and ExportaDados run it; the destructor rolls back.
    void abreTransacao();
    void confirmaTransacao();
    void desfazTransacao();

private:
    // After a failure, before the rollback: the tables that arrived whole are
    // kept aside. Returns what the user is told of it.
    // aberta: the element of a table whose first rows were written.
    QString guardaRecebido(int aberta);
    bool written(const QString& dataset) const { return written_.count(dataset) != 0; }
    void writeRows(const LoaderInfo& loader); // held rows with their deletions
    void applyDeletions(const SyncSlot& slot);

    std::map<QString, ReceivedTable> datasets_;
    // Datasets already written (rows) or applied (deletions) by this download.
    std::set<QString> written_;
    qint64 rowsReceived_ = 0;
    bool transacaoAberta_ = false;
    std::optional<ParteGuardada> parte_;
    QVariantList pedidaIns_; // the rows watermarks as the local tables give them
    QString servidor_;
    friend class ReceivedTablesLoader;
};

// The data module of the process, or null.
TdtmAtuTab* dtmAtuTab();
void CriaDataModulo();
void DestroiDataModulo();

} // namespace zov
