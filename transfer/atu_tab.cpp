#include "transfer/atu_tab.h"

#include "db/dbgeralped.h"
#include "library/errors.h"
#include "library/relogio.h"
#include "session/GeralZOV.h"
#include "transfer/dtm_atu_tab.h"
#include "transfer/loaders.h"
#include "transfer/progress.h"
#include "transfer/purge.h"
#include "transfer/received_tables_loader.h"
#include "transfer/sessao_servidor.h"
#include "transfer/tabelas.h"
#include "transfer/watermarks.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>

namespace zov {

namespace {

std::unique_ptr<TdtmAtuTab>& module()
{
    static std::unique_ptr<TdtmAtuTab> m;
    return m;
}

QString& lastError()
{
    static QString e;
    return e;
}

bool transferRunning = false;

// Reference loads may trade durability for speed (a table is still written
// whole or not at all); orders never do, so full durability comes back after
// each table's transaction, before anything else can write.
// Inside the download's transaction the module already holds it so.
class BulkDurability {
public:
    explicit BulkDurability(Database& db) : db_(db), own_(!db.inTransaction())
    {
        if (own_)
            db_.setFullDurability(false);
    }
    ~BulkDurability()
    {
        try {
            if (own_)
                db_.setFullDurability(true);
        } catch (...) {
        }
    }

private:
    Database& db_;
    bool own_;
};

} // namespace

// ---------------------------------------------------------------- the data module

TdtmAtuTab::TdtmAtuTab() : netExpPedido(QStringLiteral("PAD.rdmImpPedidos")), netImpDados(QStringLiteral("PAD.rdmExpDados"))
{
    for (const SyncSlot& s : syncSlots()) {
        datasets_.emplace(rowsDatasetOf(s), ReceivedTable(rowsDatasetOf(s)));
        datasets_.emplace(deletionsDatasetOf(s), ReceivedTable(deletionsDatasetOf(s)));
    }
    datasets_.emplace(QStringLiteral("cdsParamPedido"), ReceivedTable(QStringLiteral("cdsParamPedido")));
}

TdtmAtuTab::~TdtmAtuTab()
{
    desfazTransacao(); // a download left unfinished changes nothing
    try {
        netExpPedido.close();
        netImpDados.close();
    } catch (...) {
    }
}

const TMessages& TdtmAtuTab::msgPadrao()
{
    static const TMessages table{
        "Exp_Dados|Importando dados do servidor...",
        "INSERE_TAB|Inserindo dados nas tabelas do banco local...",
        "ATU_TAB|Atualizando tabela local",
        "DE| de ",
        "DELETE_CAHCE|Atualizando dados removidos do servidor.",
        "SUCESSO|Dados atualizados com sucesso.",
    };
    return table;
}

ReceivedTable& TdtmAtuTab::dataset(const QString& name)
{
    const auto it = datasets_.find(name);
    if (it == datasets_.end())
        throw Error(QStringLiteral("O conjunto de dados %1 não existe.").arg(name));
    return it->second;
}

void TdtmAtuTab::mensagem(const QString& key) { UpdateProgress(progressWindow, {msgPadrao().Msg(key)}, 0, 1, true); }

void TdtmAtuTab::BaixaDados()
{
    Database& db = DataBaseGeralPed();
    // Said now, not after a download of many minutes.
    db.checkWritable();
    mensagem(QStringLiteral("Exp_Dados"));
    Watermarks w = readWatermarks(db);
    for (auto& [name, table] : datasets_)
        table.unload();
    written_.clear();
    rowsReceived_ = 0;
    pedidaIns_ = w.dtUltAtuIns;
    if (!netImpDados.connected())
        netImpDados.open();
    servidor_ = QStringLiteral("%1:%2").arg(netImpDados.host()).arg(netImpDados.port());
    parte_ = leParteGuardada(db, Filial(), servidor_, agora());
    if (parte_) {
        // Only the rest: a kept table is asked for what changed after its
        // newest row (the server stamps every later change at least a
        // millisecond after the last stamp), its deletions from that row on.
        for (const TabelaGuardada& t : parte_->tabelas) {
            const QDateTime desde = t.maisNova.isValid() ? t.maisNova : t.pedidaDesde;
            w.dtUltAtuIns[t.slot] = !t.maisNova.isValid() ? t.pedidaDesde : t.parcial ? t.maisNova : t.maisNova.addMSecs(1);
            const QDateTime exclusoes = w.dtUltAtu.value(t.slot).toDateTime();
            if (desde.isValid() && (!exclusoes.isValid() || desde < exclusoes))
                w.dtUltAtu[t.slot] = desde;
        }
        rowsReceived_ = parte_->linhas();
        UpdateProgress(progressWindow,
                       {QStringLiteral("Continuando a importação interrompida: %1 tabelas (%2 linhas) já estão aqui.")
                            .arg(parte_->tabelas.size())
                            .arg(QLocale().toString(parte_->linhas()))},
                       0, 1, true);
    }
    requestedDeletionsFrom = w.dtUltAtu;
    RemoteArgs args;
    args.add(Filial()).add(w.dtUltAtu).add(w.dtUltAtuIns);
    // Decoded while it arrives: the reply is never held whole. On this
    // thread the rows are written part by part while the decoder reads on,
    // so only a few parts are ever in memory.
    QCoreApplication* app = QCoreApplication::instance();
    const bool writer = writeWhileReceiving && app && QThread::currentThread() == app->thread();
    if (writer)
        abreTransacao();
    ReceivedTablesLoader loader(*this, writer);
    receiving = true;
    struct Received {
        bool& flag;
        ~Received() { flag = false; }
    } received{receiving};
    try {
        netImpDados.AppServerStreaming(QStringLiteral("getTabelas"), args, loader);
        if (writer) {
            loader.writeQueued(); // what the event loop had not reached
            loader.abandon();
            const QString failure = loader.failure();
            if (!failure.isEmpty())
                throw Error(failure);
        }
    } catch (const Abort&) {
        loader.abandon();
        desfazTransacao();
        throw;
    } catch (const std::exception& e) {
        // Parts that arrived whole are written first: they are kept too.
        if (writer) {
            try {
                loader.writeQueued();
            } catch (...) {
            }
        }
        const int aberta = loader.openElement();
        loader.abandon();
        // The decoder stopped because a write failed: that is the reason.
        QString failure = loader.failure();
        if (failure.isEmpty())
            failure = QString::fromUtf8(e.what());
        const QString kept = guardaRecebido(aberta);
        desfazTransacao();
        throw Error(failure + QLatin1Char('\n') + kept);
    }
}

void TdtmAtuTab::abreTransacao()
{
    if (transacaoAberta_)
        return;
    Database& db = DataBaseGeralPed();
    if (db.inTransaction())
        throw Error(QStringLiteral("O banco local está no meio de outra gravação; a importação não pode começar."));
    // Reference loads trade durability for speed: a crash before the commit
    // loses the download, never part of it.
    db.setFullDurability(false);
    db.startTransaction();
    transacaoAberta_ = true;
    if (parte_)
        aplicaParteGuardada(db, *parte_);
}

void TdtmAtuTab::confirmaTransacao()
{
    if (!transacaoAberta_)
        return;
    Database& db = DataBaseGeralPed();
    db.commit();
    transacaoAberta_ = false;
    db.setFullDurability(true);
    soltaParteGuardada(db);
    descartaParteGuardada(db);
    parte_.reset();
}

void TdtmAtuTab::desfazTransacao()
{
    if (!transacaoAberta_)
        return;
    transacaoAberta_ = false;
    Database* db = dtmDBGeralPed() ? dtmDBGeralPed()->database() : nullptr;
    if (!db)
        return;
    try {
        if (db->inTransaction())
            db->rollback();
    } catch (...) {
    }
    try {
        db->setFullDurability(true);
        soltaParteGuardada(*db);
    } catch (...) {
    }
}

QString TdtmAtuTab::guardaRecebido(int aberta)
{
    const QString nada = QStringLiteral("Nenhuma tabela local foi alterada.");
    QList<TabelaGuardada> inteiras;
    int tabelas = 0;
    try {
        Database& db = DataBaseGeralPed();
        abreTransacao(); // held tables are written here only to be kept
        for (const LoaderInfo& l : loaderTable()) {
            const SyncSlot* slot = syncSlotOf(QString::fromLatin1(l.table));
            if (!slot)
                continue;
            ++tabelas;
            const QString rowsName = QString::fromLatin1(l.rowsDataset);
            bool inteira = written(rowsName);
            ReceivedTable& held = dataset(rowsName);
            if (!inteira && held.loaded()) {
                checkRows(l, held);
                loadTable(db, l, held, [](int, int) {});
                inteira = true;
            }
            // A table cut while it was written keeps the rows written so far.
            const TabelaGuardada* antes = parte_ ? parte_->tabela(slot->slot) : nullptr;
            const bool parcial = !inteira && (slot->slot == aberta || (antes && antes->parcial));
            if (inteira || parcial || antes)
                inteiras << TabelaGuardada{slot->slot, slot->table, slot->dateColumn, pedidaIns_.value(slot->slot).toDateTime(),
                                           {},         0,           parcial};
        }
        if (inteiras.isEmpty()) {
            descartaParteGuardada(db);
            return nada + QStringLiteral(" A próxima importação começa do início.");
        }
        const ParteGuardada p = guardaParte(db, inteiras, Filial(), servidor_, agora());
        int completas = 0;
        for (const TabelaGuardada& t : p.tabelas)
            completas += t.parcial ? 0 : 1;
        return nada
            + QStringLiteral(" A próxima importação continua de onde esta parou: %1 de %2 tabelas%3 (%4 linhas) já estão aqui.")
                  .arg(completas)
                  .arg(tabelas)
                  .arg(completas < p.tabelas.size() ? QStringLiteral(" e parte de outra") : QString())
                  .arg(QLocale().toString(p.linhas()));
    } catch (const std::exception&) {
        return nada;
    }
}

void TdtmAtuTab::writeRows(const LoaderInfo& l)
{
    Database& db = DataBaseGeralPed();
    const QString rowsName = QString::fromLatin1(l.rowsDataset);
    ReceivedTable& rows = dataset(rowsName);
    checkRows(l, rows);
    const QString table = QString::fromLatin1(l.table);
    const SyncSlot* slot = syncSlotOf(table);
    ReceivedTable* deletions = slot ? &dataset(deletionsDatasetOf(*slot)) : nullptr;
    if (deletions)
        checkDeletions(*slot, *deletions);
    const QString name = progressTableName(rowsName);
    const QString atuTab = msgPadrao().Msg(QStringLiteral("ATU_TAB"));
    const QString de = msgPadrao().Msg(QStringLiteral("DE"));
    UpdateProgress(progressWindow, {}, 0, 1, false); // lets pending events through between tables
    BulkDurability bulk(db);
    bool wrote = false;
    try {
        // A table's rows and its deletions commit together: its newest date
        // can never pass a deletion that was not applied, whichever later
        // table fails or however the program ends.
        db.transaction([&] {
            loadTable(db, l, rows, [&](int row, int total) {
                UpdateProgress(progressWindow, {atuTab, QStringLiteral("%1 - %2%3%4").arg(name).arg(row).arg(de).arg(total)}, row, total,
                               false);
            });
            if (deletions) {
                purgeTable(db, *slot, *deletions);
                clearDeletionsPending(db, table);
            }
            wrote = true;
        });
    } catch (const Abort&) {
        throw;
    } catch (const std::exception& e) {
        if (!wrote)
            throw;
        throw tableCommitError(table, rows.rowCount(), e);
    }
    written_.insert(rowsName);
    rows.unload();
    if (deletions) {
        written_.insert(deletionsDatasetOf(*slot));
        deletions->clearRows();
    }
}

void TdtmAtuTab::applyDeletions(const SyncSlot& slot)
{
    Database& db = DataBaseGeralPed();
    ReceivedTable& deletions = dataset(deletionsDatasetOf(slot));
    checkDeletions(slot, deletions);
    UpdateProgress(progressWindow, {}, 0, 1, false);
    BulkDurability bulk(db);
    db.transaction([&] {
        purgeTable(db, slot, deletions);
        clearDeletionsPending(db, slot.table);
    });
    written_.insert(deletionsDatasetOf(slot));
    deletions.clearRows();
}

void TdtmAtuTab::checkReceived()
{
    // Every element still held is checked before the first of them is
    // written: a reply that lacks one is refused whole, naming it.
    for (const LoaderInfo& l : loaderTable()) {
        const QString rowsName = QString::fromLatin1(l.rowsDataset);
        if (!written(rowsName))
            checkRows(l, dataset(rowsName));
    }
    for (const SyncSlot& s : syncSlots())
        if (!written(deletionsDatasetOf(s)))
            checkDeletions(s, dataset(deletionsDatasetOf(s)));
}

void TdtmAtuTab::ExportaDados()
{
    checkReceived();
    mensagem(QStringLiteral("INSERE_TAB"));
    abreTransacao();
    for (const LoaderInfo& l : loaderTable()) {
        const QString rowsName = QString::fromLatin1(l.rowsDataset);
        const SyncSlot* slot = syncSlotOf(QString::fromLatin1(l.table));
        if (!written(rowsName))
            writeRows(l);
        else if (slot && !written(deletionsDatasetOf(*slot)))
            applyDeletions(*slot);
    }
    mensagem(QStringLiteral("DELETE_CAHCE"));
    DeletaDados(true);
    confirmaTransacao();
    mensagem(QStringLiteral("SUCESSO"));
}

void TdtmAtuTab::DeletaDados(bool boTabelas)
{
    if (!boTabelas)
        return;
    // Deletions still held here (a table without a loader) are applied now;
    // the others went with their table's rows.
    for (const SyncSlot& s : syncSlots())
        if (!written(deletionsDatasetOf(s)))
            applyDeletions(s);
}

TdtmAtuTab* dtmAtuTab() { return module().get(); }

void CriaDataModulo()
{
    if (!module())
        module() = std::make_unique<TdtmAtuTab>();
}

void DestroiDataModulo() { module().reset(); }

// ---------------------------------------------------------------- the steps

QString lastTransferError() { return lastError(); }

void setLastTransferError(const QString& text) { lastError() = text; }

namespace {
QString textOf(const std::exception& e)
{
    const QString t = QString::fromUtf8(e.what());
    return t.isEmpty() ? QStringLiteral("Ocorreu um erro inesperado.") : t;
}
} // namespace

// Runs a step with the server on one of the module's connections (the
// download's unless said); an error is kept for lastTransferError() and the
// step is false.
template <typename Passo>
bool comServidor(Passo&& passo, TNetConnection TdtmAtuTab::*conexao = &TdtmAtuTab::netImpDados)
{
    try {
        CriaDataModulo();
        TNetConnection& net = module().get()->*conexao;
        if (!net.connected())
            net.open();
        const bool ok = passo(net);
        net.close();
        return ok;
    } catch (const std::exception& e) {
        lastError() = textOf(e);
    } catch (...) {
        lastError() = QStringLiteral("Ocorreu um erro inesperado.");
    }
    return false;
}

bool TestaConnect()
{
    return comServidor([](TNetConnection& net) {
        // The operator's token, from what was typed: an empty machine's first
        // download needs it. A refusal is said by the download itself.
        if (TemCredenciaisServidor() && TokenServidor().empty())
            net.abreSessao();
        return true;
    });
}

bool ServidorAdmiteOperador()
{
    return comServidor([](TNetConnection& net) { return net.abreSessao(); });
}

bool ChamaServidorPedidos(const std::function<bool(TNetConnection&)>& passo) { return comServidor(passo, &TdtmAtuTab::netExpPedido); }

void UpdateProgress(ProgressWindow* window, const QStringList& arsMessages, int position, int total, bool boMessage)
{
    CriaDataModulo();
    if (!module()->progressWindow)
        module()->progressWindow = window;
    if (window) {
        window->bringToFront();
        if (!arsMessages.isEmpty())
            window->showProgress(progressState(*window, arsMessages, position, total, boMessage));
    }
    // Windows repaint during long loops; while a table is being written no
    // user action may start another write on the same connection.
    const bool writing =
        (dtmDBGeralPed() && dtmDBGeralPed()->database() && dtmDBGeralPed()->database()->inTransaction()) || module()->receiving;
    QCoreApplication::processEvents(writing ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
}

namespace {
// A step of the data module (created when missing): false with the reason
// kept for lastTransferError(), never an exception.
bool runStep(void (TdtmAtuTab::*step)())
{
    try {
        CriaDataModulo();
        (module().get()->*step)();
        return true;
    } catch (const std::exception& e) {
        lastError() = textOf(e);
    } catch (...) {
        lastError() = QStringLiteral("Ocorreu um erro inesperado.");
    }
    return false;
}
} // namespace

bool CriaBaixaDados()
{
    if (runStep(&TdtmAtuTab::BaixaDados))
        return true;
    // Nothing of a failed download is kept for an apply.
    DestroiDataModulo();
    return false;
}

bool CriaExportaPedidos() { return runStep(&TdtmAtuTab::ExportaPedidos); }

bool ChamaExportaDados()
{
    const bool ok = runStep(&TdtmAtuTab::ExportaDados);
    DestroiDataModulo(); // a failed apply is rolled back whole
    runGuarded([] { RelePictures(); });
    return ok;
}

TransferLock::TransferLock()
{
    if (transferRunning)
        throw Error(QStringLiteral("Já existe uma transferência de dados em andamento. Aguarde o seu término."));
    transferRunning = true;
}

TransferLock::~TransferLock() { transferRunning = false; }

bool TransferLock::running() { return transferRunning; }

} // namespace zov
