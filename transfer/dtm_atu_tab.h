#pragma once
// TdtmAtuTab: the transfer data module. It owns the two server connections,
// the received tables of a download (rows and deletion records per table, and
// PARAMPEDIDO), and the window progress is shown in. It lives from the first
// step that needs it to the end of the apply step.
#include "library/messages.h"
#include "transfer/netconnection.h"
#include "transfer/received_table.h"

#include <map>
#include <memory>

namespace zov {

class Database;
class ProgressWindow;

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

    // The request to the server and the loading of its reply.
    void BaixaDados();
    // Writes the received tables into the local ones, then purges.
    // Refuses a reply that lacks an element or a key column, before any write.
    void checkReceived();
    void ExportaDados();
    void DeletaDados(bool boTabelas);

    // Progress in the recorded window, in message or progress mode.
    void mensagem(const QString& key);

private:
    std::map<QString, ReceivedTable> datasets_;
};

// The data module of the process, or null.
TdtmAtuTab* dtmAtuTab();
void CriaDataModulo();
void DestroiDataModulo();

} // namespace zov
