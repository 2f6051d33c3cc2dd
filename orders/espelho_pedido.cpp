#include "orders/espelho_pedido.h"

#include "library/arquivos_banco.h"
#include "library/database.h"
#include "library/dataset.h"
#include "library/errors.h"
#include "library/formats.h"
#include "library/inscricao.h"
#include "library/rtf.h"
#include "orders/codigos_pedido.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <algorithm>

namespace zov {

namespace {

// Lengths in a document's formats are pixels of a 96 dpi screen, whatever
// device it is laid out on; the layout scales them.
constexpr qreal kPt = 96.0 / 72.0;

// Column order of qryEspelho.
enum ColunaEspelho {
    kNrPedido,
    kNmFilial,
    kEndFilial,
    kComplFilial,
    kBairroFilial,
    kCepFilial,
    kMunFilial,
    kUfFilial,
    kDtPedido,
    kDtEntrega,
    kSituacao,
    kPrioridade,
    kTpInscricao,
    kInscricao,
    kFantasia,
    kRazao,
    kEndCliente,
    kBairroCliente,
    kCepCliente,
    kMunCliente,
    kUfCliente,
    kCdVendedor,
    kNmVendedor,
    kCdTipoOper,
    kNmTipoOper,
    kCdModPgto,
    kDsModPgto,
    kTpForma,
    kDiaFixo,
    kParcelas,
    kProxMes,
    kCdFormPgto,
    kNmFormPgto,
    kCdPrecoBase,
    kDsPrecoBase,
    kObservacao,
};

// One order with what the mirror shows of it. Outer joins: a lookup missing
// here leaves its text blank, never the order unprinted.
const char* const kQryEspelho =
    "SELECT P.NRPEDIDO, F.NMFILIAL, EF.DSENDEFILI, EF.DSCOMPENDFIL, EF.NMBAIRFILI, EF.NRCEPFILI, MF.NMMUNICIPIO, EF.SGESTADO, "
    "P.DTPEDIDO, P.DTENTPED, P.IDSITPEDIDO, P.IDPRIOPED, "
    "C.IDTPIJURCLIE, C.NRINSJURCLIE, C.NMFANTCLIE, C.NMRAZSOCCLIE, E.DSENDECLIE, E.NMBAIRCLIE, E.NRCEPCLIE, MC.NMMUNICIPIO, E.SGESTADO, "
    "P.CDVENDEDOR, V.NMFANVEN, P.CDTIPOOPER, TP.NMTIPOOPER, "
    "P.CDMODPGTO, M.DSMODPGTO, P.IDTPFORPGTPED, P.NRDIAPGFIXPED, P.NRPARCPGTOPED, P.IDUTDIAPAGPED, P.CDFORMPGTO, FP.NMFORMPGTO, "
    "P.CDPRECOBASE, PB.DSPRECOBASE, O.TXOBSPED "
    "FROM PEDIDO P "
    "LEFT JOIN FILIAL F ON F.CDFILIAL = P.CDFILIAL "
    "LEFT JOIN ENDEFILI EF ON EF.CDFILIAL = P.CDFILIAL AND EF.IDTPENDEFILI = 'P' "
    "LEFT JOIN MUNICIPIO MF ON MF.CDPAIS = EF.CDPAIS AND MF.SGESTADO = EF.SGESTADO AND MF.CDMUNICIPIO = EF.CDMUNICIPIO "
    "LEFT JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE "
    "LEFT JOIN ENDECLIE E ON E.CDCLIENTE = P.CDCLIENTE AND E.IDTPENDECLIE = 'P' "
    "LEFT JOIN MUNICIPIO MC ON MC.CDPAIS = E.CDPAIS AND MC.SGESTADO = E.SGESTADO AND MC.CDMUNICIPIO = E.CDMUNICIPIO "
    "LEFT JOIN VENDEDOR V ON V.CDVENDEDOR = P.CDVENDEDOR "
    "LEFT JOIN TIPOOPERAC TP ON TP.CDTIPOOPER = P.CDTIPOOPER AND TP.IDENTRSAIDOP = 'S' "
    "LEFT JOIN MODPGTO M ON M.CDMODPGTO = P.CDMODPGTO "
    "LEFT JOIN FORMPGTO FP ON FP.CDFORMPGTO = P.CDFORMPGTO "
    "LEFT JOIN PRECOBASE PB ON PB.CDPRECOBASE = P.CDPRECOBASE "
    "LEFT JOIN OBSPEDIDO O ON O.CDFILIAL = P.CDFILIAL AND O.NRPEDIDO = P.NRPEDIDO "
    "WHERE P.CDFILIAL = :P_CDFILIAL AND P.NRPEDIDO = :P_NRPEDIDO";

QString texto(const Statement& st, int column) { return st.rawValue(column).toString().trimmed(); }

QString textoData(const QVariant& raw)
{
    const QVariant v = dateFromStorage(raw.toString());
    if (v.metaType().id() == QMetaType::QDate)
        return formatDate(v.toDate());
    return v.isNull() ? QString() : formatDate(v.toDateTime().date());
}

// "code - name", or whichever of the two there is.
QString codigoNome(const QString& codigo, const QString& nome)
{
    if (codigo.isEmpty() || nome.isEmpty())
        return codigo + nome;
    return codigo + QStringLiteral(" - ") + nome;
}

// The lines of an address: street, district and CEP, town / state.
QStringList endereco(const QString& rua, const QString& complemento, const QString& bairro, const QString& cep, const QString& municipio,
                     const QString& uf)
{
    QStringList linhas;
    QStringList primeira{rua, complemento};
    primeira.removeAll(QString());
    if (!primeira.isEmpty())
        linhas << primeira.join(QStringLiteral(" - "));
    QStringList segunda;
    if (!bairro.isEmpty())
        segunda << bairro;
    if (!cep.isEmpty())
        segunda << QStringLiteral("CEP ") + cep;
    if (!segunda.isEmpty())
        linhas << segunda.join(QStringLiteral(" - "));
    const QString cidade = uf.isEmpty() ? municipio : municipio.isEmpty() ? uf : municipio + QStringLiteral(" / ") + uf;
    if (!cidade.isEmpty())
        linhas << cidade;
    return linhas;
}

// The priority as the header page's radio buttons name it.
QString textoPrioridade(const QString& idPrioPed)
{
    switch (prioridadeDoCodigo(idPrioPed)) {
    case Prioridade::Urgente: return QStringLiteral("Urgente");
    case Prioridade::Alta: return QStringLiteral("Alta");
    default: return QStringLiteral("Normal");
    }
}

// The payment page's "Forma de Pagamento" in one line.
QString textoCondicao(const QString& tipo, const QString& dia, const QString& parcelas, bool proxMes)
{
    if (tipo == QLatin1String("F")) {
        QString t = QStringLiteral("Pagamento Fixo no Dia %1").arg(dia);
        if (!parcelas.isEmpty())
            t += QStringLiteral(" com %1 Parcela(s)").arg(parcelas);
        if (proxMes)
            t += QStringLiteral(" (1ª Próximo Mês)");
        return t;
    }
    if (tipo == QLatin1String("V"))
        return QStringLiteral("Pela Forma de Pagamento");
    return QStringLiteral("À Vista");
}

QString textoInscricao(const QString& tipo)
{
    if (tipo == QLatin1String("F"))
        return QStringLiteral("CPF");
    if (tipo == QLatin1String("J"))
        return QStringLiteral("CNPJ");
    return QStringLiteral("Inscrição");
}

QFont fonteBase()
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(9);
    return f;
}

QTextCharFormat fonte(qreal pontos, bool negrito = false)
{
    QTextCharFormat f;
    f.setFontPointSize(pontos);
    f.setFontWeight(negrito ? QFont::Bold : QFont::Normal);
    return f;
}

// Label and value pairs, two to a row, without borders.
void quadro(QTextCursor& c, const QList<std::pair<QString, QString>>& campos)
{
    QTextTableFormat fmt;
    fmt.setBorder(0);
    fmt.setCellSpacing(0);
    fmt.setCellPadding(1.5 * kPt);
    fmt.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    fmt.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 18), QTextLength(QTextLength::PercentageLength, 32),
                                   QTextLength(QTextLength::PercentageLength, 18), QTextLength(QTextLength::PercentageLength, 32)});
    const int linhas = int((campos.size() + 1) / 2);
    QTextTable* t = c.insertTable(linhas, 4, fmt);
    for (int i = 0; i < campos.size(); ++i) {
        const int linha = i / 2, coluna = (i % 2) * 2;
        t->cellAt(linha, coluna).firstCursorPosition().insertText(campos[i].first, fonte(8, true));
        t->cellAt(linha, coluna + 1).firstCursorPosition().insertText(campos[i].second, fonte(9));
    }
    c.movePosition(QTextCursor::End);
}

// A part's title, in the empty block a table leaves after it or in a new one.
void titulo(QTextCursor& c, const QString& texto)
{
    QTextBlockFormat b;
    b.setTopMargin(6 * kPt);
    b.setBottomMargin(2 * kPt);
    if (c.block().length() > 1)
        c.insertBlock(b);
    else
        c.setBlockFormat(b);
    c.insertText(texto, fonte(10, true));
}

constexpr qreal kPontosItens = 7.5;
constexpr qreal kPaddingItens = 2 * kPt;
constexpr qreal kBordaItens = 0.75 * kPt;

// The items' column widths from what they hold: each column as wide as its
// widest cell (titles break between words), the product's name what is left.
// As shares of the line, measured on the page's device; without a page to lay
// out on, fixed shares.
QList<QTextLength> largurasItens(const DadosEspelho& d, QTextDocument& doc)
{
    static const qreal partes[kColunasItem] = {9, 9, 24, 7, 4, 8, 7, 7, 9, 16};
    QList<QTextLength> out;
    const int colunas = int(d.titulos.size());
    const int nome = int(ColunaItem::Nome);
    const qreal largura = doc.pageSize().width();
    const QPaintDevice* device = doc.documentLayout()->paintDevice();
    QList<qreal> medidas;
    qreal ocupado = 0;
    if (largura > 0 && device && colunas == kColunasItem) {
        QFont f = fonteBase();
        f.setPointSizeF(kPontosItens);
        QFont negrito = f;
        negrito.setBold(true);
        const QFontMetricsF fm(f, device), fmNegrito(negrito, device);
        // Padding and border on each side in the device's pixels, and a point to spare.
        const qreal folga = (kPaddingItens + kBordaItens) * device->logicalDpiX() / 96.0 + device->logicalDpiX() / 72.0;
        for (int i = 0; i < colunas; ++i) {
            qreal w = 0;
            for (const QString& palavra : d.titulos[i].split(QLatin1Char(' '), Qt::SkipEmptyParts))
                w = std::max(w, fmNegrito.horizontalAdvance(palavra));
            for (const QStringList& linha : d.itens)
                if (i < linha.size())
                    w = std::max(w, fm.horizontalAdvance(linha[i]));
            medidas << (w + 2 * folga) / largura * 100;
            if (i != nome)
                ocupado += medidas.last();
        }
    }
    // The name keeps at least a fifth of the line, or the fixed shares are used.
    if (medidas.isEmpty() || ocupado > 80) {
        for (int i = 0; i < colunas; ++i)
            out << QTextLength(QTextLength::PercentageLength, i < kColunasItem ? partes[i] : 5);
        return out;
    }
    for (int i = 0; i < colunas; ++i)
        out << (i == nome ? QTextLength(QTextLength::PercentageLength, 100 - ocupado)
                          : QTextLength(QTextLength::PercentageLength, medidas[i]));
    return out;
}

} // namespace

std::optional<EspelhoPedido> EspelhoPedido::le(Database& db, const QString& cdFilial, const QString& nrPedido)
{
    Statement st(db, QString::fromLatin1(kQryEspelho));
    st.bind(QStringLiteral("P_CDFILIAL"), cdFilial);
    st.bind(QStringLiteral("P_NRPEDIDO"), nrPedido);
    if (!st.step())
        return std::nullopt;
    DadosEspelho d;
    d.cdFilial = cdFilial;
    d.nmFilial = texto(st, kNmFilial);
    d.enderecoFilial = endereco(texto(st, kEndFilial), texto(st, kComplFilial), texto(st, kBairroFilial), texto(st, kCepFilial),
                                texto(st, kMunFilial), texto(st, kUfFilial));
    d.nrPedido = texto(st, kNrPedido);
    d.dataPedido = textoData(st.rawValue(kDtPedido));
    d.dataEntrega = textoData(st.rawValue(kDtEntrega));
    d.situacao = textoSituacao(texto(st, kSituacao));
    d.prioridade = textoPrioridade(texto(st, kPrioridade));
    const QString tipo = texto(st, kTpInscricao);
    d.tipoInscricao = textoInscricao(tipo);
    d.inscricao = FormataInscricao(texto(st, kInscricao), tipo);
    d.nmFantasia = texto(st, kFantasia);
    d.razaoSocial = texto(st, kRazao);
    d.enderecoCliente = endereco(texto(st, kEndCliente), QString(), texto(st, kBairroCliente), texto(st, kCepCliente),
                                 texto(st, kMunCliente), texto(st, kUfCliente));
    d.vendedor = codigoNome(texto(st, kCdVendedor), texto(st, kNmVendedor));
    d.tipoOper = codigoNome(texto(st, kCdTipoOper), texto(st, kNmTipoOper));
    d.modPgto = codigoNome(texto(st, kCdModPgto), texto(st, kDsModPgto));
    d.condicao = textoCondicao(texto(st, kTpForma), texto(st, kDiaFixo), texto(st, kParcelas), texto(st, kProxMes) == QLatin1String("E"));
    d.formaPgto = codigoNome(texto(st, kCdFormPgto), texto(st, kNmFormPgto));
    d.precoBase = codigoNome(texto(st, kCdPrecoBase), texto(st, kDsPrecoBase));
    d.observacao = st.rawValue(kObservacao).toByteArray();

    // The items through the grid's own query: the same columns, titles and texts.
    Query itens(&db, QStringLiteral("qryItemPedido"));
    BancoPedido::configuraQryItemPedido(itens);
    itens.setParam(QStringLiteral("CDFILIAL"), cdFilial);
    itens.setParam(QStringLiteral("NRPEDIDO"), nrPedido);
    itens.open();
    for (const char* campo : kCamposItem)
        d.titulos << itens.fieldByName(QString::fromLatin1(campo)).label().trimmed();
    for (itens.first(); !itens.eof(); itens.next()) {
        QStringList linha;
        for (const char* campo : kCamposItem) {
            const Field& f = itens.fieldByName(QString::fromLatin1(campo));
            linha << textoItem(f, f.value());
        }
        d.itens.push_back(linha);
    }
    d.totais = textosTotais(BancoPedido(db).totaisPedido(cdFilial, nrPedido));
    return EspelhoPedido(std::move(d));
}

void EspelhoPedido::monta(QTextDocument& doc) const
{
    const DadosEspelho& d = dados_;
    doc.clear();
    doc.setDefaultFont(fonteBase());
    doc.setDocumentMargin(0);
    QTextCursor c(&doc);
    // One edit: a document already laid out would lay itself out again after every cell.
    c.beginEditBlock();

    // The branch that sells.
    c.setCharFormat(fonte(12, true));
    c.insertText(d.nmFilial.isEmpty() ? QStringLiteral("Filial %1").arg(d.cdFilial) : d.nmFilial);
    for (const QString& linha : d.enderecoFilial) {
        c.insertBlock(QTextBlockFormat(), fonte(8));
        c.insertText(linha);
    }
    QTextBlockFormat centro;
    centro.setAlignment(Qt::AlignHCenter);
    centro.setTopMargin(8 * kPt);
    centro.setBottomMargin(4 * kPt);
    c.insertBlock(centro, fonte(14, true));
    c.insertText(QStringLiteral("Pedido Nº %1").arg(d.nrPedido));

    quadro(c,
           {{QStringLiteral("Data Pedido"), d.dataPedido},
            {QStringLiteral("Data Entrega"), d.dataEntrega},
            {QStringLiteral("Status"), d.situacao},
            {QStringLiteral("Prioridade"), d.prioridade},
            {QStringLiteral("Vendedor"), d.vendedor},
            {QStringLiteral("Tipo de Operação"), d.tipoOper}});

    titulo(c, QStringLiteral("Cliente"));
    quadro(c,
           {{d.tipoInscricao, d.inscricao},
            {QStringLiteral("Nome Fantasia"), d.nmFantasia},
            {QStringLiteral("Razão Social"), d.razaoSocial},
            {QStringLiteral("Endereço do Cliente"), d.enderecoCliente.join(QLatin1Char('\n'))}});

    titulo(c, QStringLiteral("Modalidade de Pgto"));
    quadro(c,
           {{QStringLiteral("Modalidade"), d.modPgto},
            {QStringLiteral("Preço Base"), d.precoBase},
            {QStringLiteral("Forma de Pagamento"), d.formaPgto.isEmpty() ? d.condicao : d.condicao + QLatin1Char('\n') + d.formaPgto}});

    // The items, with the grid's titles on every page.
    titulo(c, QStringLiteral("Itens do Pedido"));
    const int colunas = int(d.titulos.size());
    QTextTableFormat fmt;
    fmt.setHeaderRowCount(1);
    fmt.setBorder(kBordaItens);
    fmt.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    fmt.setBorderBrush(QColor(110, 110, 110));
    fmt.setBorderCollapse(true);
    fmt.setCellSpacing(0);
    fmt.setCellPadding(kPaddingItens);
    fmt.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    fmt.setColumnWidthConstraints(largurasItens(d, doc));
    QTextTable* t = c.insertTable(int(d.itens.size()) + 1, colunas, fmt);
    QTextTableCellFormat cabecalho;
    cabecalho.setBackground(QColor(225, 225, 225));
    // Numbers to the right, as in the grid.
    static const bool direita[kColunasItem] = {false, false, false, true, false, true, true, true, true, false};
    auto celula = [&](int linha, int coluna, const QString& texto, const QTextCharFormat& f) {
        QTextTableCell cell = t->cellAt(linha, coluna);
        QTextCursor cc = cell.firstCursorPosition();
        QTextBlockFormat b;
        b.setAlignment(coluna < kColunasItem && direita[coluna] ? Qt::AlignRight : Qt::AlignLeft);
        cc.setBlockFormat(b);
        cc.insertText(texto, f);
        if (linha == 0)
            cell.setFormat(cabecalho);
    };
    for (int i = 0; i < colunas; ++i)
        celula(0, i, d.titulos[i], fonte(kPontosItens, true));
    for (int r = 0; r < int(d.itens.size()); ++r)
        for (int i = 0; i < colunas && i < d.itens[r].size(); ++i)
            celula(r + 1, i, d.itens[r][i], fonte(kPontosItens));
    c.movePosition(QTextCursor::End);

    // The four totals, to the right under the items.
    QTextTableFormat tf;
    tf.setBorder(0);
    tf.setCellSpacing(0);
    tf.setCellPadding(1.5 * kPt);
    tf.setAlignment(Qt::AlignRight);
    tf.setTopMargin(4 * kPt);
    QTextTable* tot = c.insertTable(4, 2, tf);
    const std::pair<QString, QString> totais[] = {{QStringLiteral("Tot. Bruto"), d.totais.bruto},
                                                  {QStringLiteral("Desc. Total"), d.totais.descTotal},
                                                  {QStringLiteral("Desc. Méd."), d.totais.descMedio},
                                                  {QStringLiteral("Tot. Líq."), d.totais.liquido}};
    for (int i = 0; i < 4; ++i) {
        const bool liquido = i == 3;
        tot->cellAt(i, 0).firstCursorPosition().insertText(totais[i].first, fonte(9, true));
        QTextCursor v = tot->cellAt(i, 1).firstCursorPosition();
        QTextBlockFormat b;
        b.setAlignment(Qt::AlignRight);
        v.setBlockFormat(b);
        v.insertText(totais[i].second, fonte(liquido ? 10 : 9, liquido));
    }
    c.movePosition(QTextCursor::End);

    // The observation as it was typed, formatting and all.
    if (!d.observacao.isEmpty()) {
        QTextDocument obs;
        lerObservacao(d.observacao, obs);
        if (!obs.toPlainText().trimmed().isEmpty()) {
            titulo(c, QStringLiteral("Observação"));
            c.insertBlock(QTextBlockFormat(), fonte(9));
            c.insertFragment(QTextDocumentFragment(&obs));
        }
    }
    c.endEditBlock();
}

int EspelhoPedido::imprime(QPagedPaintDevice& device, const QDateTime& momento) const
{
    QPainter p;
    if (!p.begin(&device))
        return 0;
    QFont miuda = fonteBase();
    miuda.setPointSizeF(7.5);
    const QFontMetricsF fm(miuda, &device);
    const qreal largura = device.width();
    const qreal faixa = fm.height() * 2; // the header and footer bands
    const QRectF corpo(0, faixa, largura, device.height() - 2 * faixa);
    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&device);
    doc.setPageSize(corpo.size());
    monta(doc);
    const int paginas = doc.pageCount();
    const QString cabecalho = QStringLiteral("%1 - Pedido Nº %2").arg(dados_.nmFilial, dados_.nrPedido);
    const QString impresso = QStringLiteral("Impresso em %1 %2").arg(formatDate(momento), momento.toString(QStringLiteral("hh:mm")));
    for (int i = 0; i < paginas; ++i) {
        if (i > 0)
            device.newPage();
        p.setFont(miuda);
        p.setPen(QPen(Qt::black, 0));
        const QRectF topo(0, 0, largura, fm.height());
        const QRectF base(0, device.height() - fm.height(), largura, fm.height());
        const QString numero = QStringLiteral("Página %1 de %2").arg(i + 1).arg(paginas);
        p.drawText(topo, Qt::AlignLeft | Qt::AlignVCenter, cabecalho);
        p.drawText(topo, Qt::AlignRight | Qt::AlignVCenter, numero);
        p.drawText(base, Qt::AlignLeft | Qt::AlignVCenter, impresso);
        p.drawText(base, Qt::AlignRight | Qt::AlignVCenter, numero);
        p.drawLine(QPointF(0, topo.bottom() + fm.height() / 3), QPointF(largura, topo.bottom() + fm.height() / 3));
        p.drawLine(QPointF(0, base.top() - fm.height() / 3), QPointF(largura, base.top() - fm.height() / 3));
        // This page's slice of the laid-out document.
        p.save();
        p.translate(0, corpo.top() - i * corpo.height());
        doc.drawContents(&p, QRectF(0, i * corpo.height(), largura, corpo.height()));
        p.restore();
    }
    p.end();
    return paginas;
}

void EspelhoPedido::gravaPdf(const QString& arquivo, const QDateTime& momento) const
{
    if (arquivoDoBanco(arquivo))
        throw Error(msgArquivoDoBanco());
    // Written whole or not at all: a failure leaves no half file behind.
    QSaveFile file(arquivo);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(arquivo, file.errorString()));
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(12, 10, 12, 10), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setTitle(QStringLiteral("Pedido %1").arg(dados_.nrPedido));
        pdf.setCreator(QStringLiteral("Pedidos ZOV-RA"));
        if (imprime(pdf, momento) == 0) {
            file.cancelWriting();
            throw Error(QStringLiteral("Não foi possível gravar o arquivo %1.").arg(arquivo));
        }
    }
    if (!file.commit())
        throw Error(QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(arquivo, file.errorString()));
}

} // namespace zov
