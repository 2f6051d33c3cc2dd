#include "transfer/acompanhamento.h"

#include "db/dbgeralped.h"
#include "library/database.h"
#include "library/errors.h"
#include "library/relogio.h"
#include "session/GeralZOV.h"
#include "transfer/atu_tab.h"
#include "transfer/dtm_atu_tab.h"

namespace zov {

namespace {

MudancasAcompanhamento& pendentes()
{
    static MudancasAcompanhamento m;
    return m;
}

int columnOf(const Packet& p, const char* name)
{
    for (int c = 0; c < int(p.columns().size()); ++c)
        if (p.columns()[std::size_t(c)].name == QLatin1String(name))
            return c;
    throw Error(QStringLiteral("A resposta de getAcompanhamento não tem a coluna %1.").arg(QLatin1String(name)));
}

void conta(MudancasAcompanhamento& m, const QString& letra)
{
    if (letra == u"A")
        ++m.aprovados;
    else if (letra == u"F")
        ++m.faturados;
    else if (letra == u"P")
        ++m.parciais;
    else if (letra == u"C")
        ++m.cancelados;
    else if (letra == u"D")
        ++m.devolvidos;
}

void aplica(Database& db, const Packet& situacoes, MudancasAcompanhamento& m)
{
    const int filial = columnOf(situacoes, "CDFILIAL"), pedido = columnOf(situacoes, "NRPEDIDO"),
              letra = columnOf(situacoes, "IDSITEMPRESA"), descricao = columnOf(situacoes, "DSSITEMPRESA"),
              motivo = columnOf(situacoes, "DSMOTIVO"), nota = columnOf(situacoes, "NRNOTAFISCAL"),
              valor = columnOf(situacoes, "VRFATURADO"), quando = columnOf(situacoes, "DTSITUACAO"),
              carimbo = columnOf(situacoes, "DTULTATU");
    Statement antes(db, QStringLiteral("SELECT IDSITEMPRESA FROM SITPEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N"));
    Statement grava(db,
                    QStringLiteral("INSERT OR REPLACE INTO SITPEDIDO (CDFILIAL, NRPEDIDO, IDSITEMPRESA, DSSITEMPRESA, DSMOTIVO, "
                                   "NRNOTAFISCAL, VRFATURADO, DTSITUACAO, DTULTATU) VALUES (:F, :N, :S, :D, :M, :NF, :V, :Q, :U)"));
    for (int r = 0; r < situacoes.rowCount(); ++r) {
        const PacketRow& row = situacoes.row(r);
        const QString s = row[letra].toString().trimmed().toUpper();
        if (row[filial].toString().isEmpty() || row[pedido].toString().isEmpty() || s.size() != 1)
            throw Error(QStringLiteral("getAcompanhamento enviou uma situação sem filial, pedido ou letra."));
        antes.bind(QStringLiteral("F"), row[filial]);
        antes.bind(QStringLiteral("N"), row[pedido]);
        const QString anterior = antes.step() ? antes.value(0, FieldKind::Text).toString() : QString();
        antes.reset();
        if (anterior != s)
            conta(m, s);
        // Sent back for correction: the order may be changed and sent
        // again. No other situation reopens an order.
        if (s == u"D" && anterior != s) {
            const QVariantMap chave{{QStringLiteral("F"), row[filial]}, {QStringLiteral("N"), row[pedido]}};
            db.exec(QStringLiteral("UPDATE PEDIDO SET IDSITPEDIDO = '1' WHERE CDFILIAL = :F AND NRPEDIDO = :N AND IDSITPEDIDO = '7'"),
                    chave);
            db.exec(QStringLiteral("UPDATE ITEMPEDIDO SET IDSITITEMPED = '1' WHERE CDFILIAL = :F AND NRPEDIDO = :N AND IDSITITEMPED = '2'"),
                    chave);
        }
        grava.bind(QStringLiteral("F"), row[filial]);
        grava.bind(QStringLiteral("N"), row[pedido]);
        grava.bind(QStringLiteral("S"), s);
        grava.bind(QStringLiteral("D"), row[descricao]);
        grava.bind(QStringLiteral("M"), row[motivo]);
        grava.bind(QStringLiteral("NF"), row[nota]);
        grava.bind(QStringLiteral("V"), row[valor]);
        grava.bind(QStringLiteral("Q"), row[quando]);
        grava.bind(QStringLiteral("U"), row[carimbo]);
        grava.exec();
        grava.reset();
    }
}

// Elements 1 and 2 as they come: rows by key, the columns the local table has.
void substitui(Database& db, const QString& tabela, const Packet& p)
{
    if (p.rowCount() == 0)
        return;
    const QStringList locais = db.columnNames(tabela);
    QStringList nomes, marcas;
    std::vector<int> origem;
    for (int c = 0; c < int(p.columns().size()); ++c)
        if (locais.contains(p.columns()[std::size_t(c)].name, Qt::CaseInsensitive)) {
            nomes << p.columns()[std::size_t(c)].name;
            marcas << QStringLiteral("?%1").arg(nomes.size());
            origem.push_back(c);
        }
    // Names come from the local table's own columns, never from the reply alone.
    Statement grava(db,
                    QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)")
                        .arg(tabela, nomes.join(QLatin1Char(',')), marcas.join(QLatin1Char(','))));
    for (int r = 0; r < p.rowCount(); ++r) {
        const PacketRow& row = p.row(r);
        for (std::size_t i = 0; i < origem.size(); ++i)
            grava.bindAt(int(i) + 1, row[origem[i]]);
        grava.exec();
        grava.reset();
    }
}

QString parte(int n, const char* um, const char* varios)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? um : varios));
}

} // namespace

QString MudancasAcompanhamento::texto() const
{
    QStringList partes;
    const struct {
        int n;
        const char *um, *varios;
    } itens[] = {{faturados, "faturado", "faturados"},
                 {parciais, "faturado em parte", "faturados em parte"},
                 {aprovados, "aprovado", "aprovados"},
                 {devolvidos, "devolvido para correção", "devolvidos para correção"},
                 {cancelados, "cancelado", "cancelados"}};
    for (const auto& i : itens)
        if (i.n > 0)
            partes << parte(i.n, i.um, i.varios);
    if (partes.isEmpty())
        return {};
    // The first says what is counted: "3 pedidos faturados, 1 devolvido…".
    const int primeiro = partes.first().section(QLatin1Char(' '), 0, 0).toInt();
    partes.first().insert(partes.first().indexOf(QLatin1Char(' ')) + 1,
                          primeiro == 1 ? QStringLiteral("pedido ") : QStringLiteral("pedidos "));
    return QStringLiteral("Desde a última atualização: %1.").arg(partes.join(QStringLiteral(", ")));
}

bool AtualizaAcompanhamento()
{
    const bool ok = ChamaServidorPedidos([](TNetConnection& net) {
        Database& db = DataBaseGeralPed();
        QVariantList marcas;
        for (const char* tabela : {"SITPEDIDO", "HISTCLIENTE", "TITULOCLIENTE"}) {
            const QVariant desde = db.scalar(QStringLiteral("SELECT MAX(DTULTATU) FROM %1").arg(QLatin1String(tabela)));
            marcas << (desde.isNull() ? QVariant() : QVariant(desde.toDateTime()));
        }
        RemoteArgs args;
        args.add(Filial()).add(IdInstalacao()).add(marcas);
        const RemoteReply reply = net.AppServer(QStringLiteral("getAcompanhamento"), args);
        const std::vector<Packet> elementos = decodeResultPackets(reply.body);
        if (elementos.size() < 3)
            throw Error(QStringLiteral("A resposta de getAcompanhamento não tem os três elementos."));
        MudancasAcompanhamento m;
        db.transaction([&] {
            aplica(db, elementos[0], m);
            substitui(db, QStringLiteral("HISTCLIENTE"), elementos[1]);
            substitui(db, QStringLiteral("TITULOCLIENTE"), elementos[2]);
            // Older than a year it is no one's history any more.
            db.exec(QStringLiteral("DELETE FROM HISTCLIENTE WHERE DTPEDIDO < :D"),
                    {{QStringLiteral("D"), QDateTime(dataDeHoje().addMonths(-12), QTime(0, 0))}});
        });
        MudancasAcompanhamento& p = pendentes();
        p.aprovados += m.aprovados;
        p.faturados += m.faturados;
        p.parciais += m.parciais;
        p.cancelados += m.cancelados;
        p.devolvidos += m.devolvidos;
        return true;
    });
    // The tables came before it: what failed is only this.
    if (!ok)
        setLastTransferError(
            QStringLiteral("As tabelas foram atualizadas, mas a situação dos pedidos na empresa não: %1").arg(lastTransferError()));
    return ok;
}

MudancasAcompanhamento TomaMudancasAcompanhamento() { return std::exchange(pendentes(), MudancasAcompanhamento{}); }

} // namespace zov
