#pragma once
// The order mirror: one stored order as the customer gets it on paper or as
// a PDF. The header, the items and the totals as the order window shows
// them, the observation with its formatting, the page number and the moment
// of printing on every page. No widgets: the window's preview, the printer
// and zov-pedidos --pdf all paint through imprime().
#include "library/relogio.h"
#include "orders/lanc_pedido.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QPagedPaintDevice;
class QTextDocument;

namespace zov {

class Database;

// What the mirror shows, every value already as the window shows it.
struct DadosEspelho {
    QString cdFilial, nmFilial;
    QStringList enderecoFilial; // the branch's main address, line by line

    QString nrPedido, dataPedido, dataEntrega, situacao, prioridade;

    QString tipoInscricao; // "CPF", "CNPJ" or "Inscrição"
    QString inscricao;     // with the mask of its kind
    QString nmFantasia, razaoSocial;
    QStringList enderecoCliente; // "Endereço do Cliente" (IDTPENDECLIE 'P'), line by line

    QString vendedor, tipoOper; // "code - name"
    QString modPgto, formaPgto, condicao, precoBase;

    QStringList titulos;            // the items grid's titles, in its order
    std::vector<QStringList> itens; // each item's cells, as the grid shows them
    TextosTotais totais;
    QByteArray observacao; // TXOBSPED as stored (RTF or text)
};

class EspelhoPedido {
public:
    explicit EspelhoPedido(DadosEspelho dados) : dados_(std::move(dados)) {}

    // The stored order of the branch; nothing when there is none.
    static std::optional<EspelhoPedido> le(Database& db, const QString& cdFilial, const QString& nrPedido);

    const DadosEspelho& dados() const { return dados_; }

    // The body of the mirror. The items' columns fit what they hold when the
    // document has its paint device and page size already; otherwise they
    // take fixed shares of the line.
    void monta(QTextDocument& doc) const;

    // Lays the mirror out on the device's pages and paints them; the items
    // table's titles repeat on each page and a row is never split. Returns
    // the number of pages, 0 when the device could not be painted on.
    int imprime(QPagedPaintDevice& device, const QDateTime& momento = zov::agora()) const;

    // An A4 PDF file; throws Error with the reason when it cannot be written.
    void gravaPdf(const QString& arquivo, const QDateTime& momento = zov::agora()) const;

private:
    DadosEspelho dados_;
};

} // namespace zov
