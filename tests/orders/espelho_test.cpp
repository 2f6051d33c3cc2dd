// The order mirror: what it reads of an order, the PDF's text as poppler
// reads it back (pages, repeated titles, whole rows), the observation's
// formatting, and Imprimir in the order window.
#include "library/dialogs_qt.h"
#include "library/relogio.h"
#include "library/velmora.h"
#include "orders/ZOV00100.h"
#include "orders/envio_email.h"
#include "orders/espelho_pedido.h"
#include "tests/orders/lanc_pedido_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

using namespace zov;
using namespace zov::test;

namespace {

const QString kNumero = QStringLiteral("0000000007");
const QDateTime kMomento(QDate(2026, 3, 10), QTime(9, 15));

// A poppler tool's output; a missing tool fails the test (scripts/install-deps installs poppler-utils).
QString poppler(const QString& tool, const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForStarted(10000)) {
        ADD_FAILURE() << tool.toStdString() << " could not be run: install poppler-utils (scripts/install-deps)";
        return {};
    }
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString textoPdf(const QString& arquivo)
{
    return poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), arquivo, QStringLiteral("-")});
}

int paginasPdf(const QString& arquivo)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
                                          .match(poppler(QStringLiteral("pdfinfo"), {arquivo}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

class EspelhoTest : public LancPedidoTest {
protected:
    void SetUp() override
    {
        LancPedidoTest::SetUp();
        SetDBPict({QStringLiteral("99.99")});
    }
    void TearDown() override
    {
        SetDBPict({});
        LancPedidoTest::TearDown();
    }
    // Order 7 of branch 0001 for the CNPJ customer, on the fixed-day method.
    void pedido(const QString& data = QStringLiteral("2026-03-10"))
    {
        insertRow(db(), QStringLiteral("PEDIDO"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                   {QStringLiteral("NRPEDIDO"), kNumero},
                   {QStringLiteral("CDCLIENTE"), QStringLiteral("C2")},
                   {QStringLiteral("CDVENDEDOR"), QStringLiteral("0001")},
                   {QStringLiteral("CDMODPGTO"), QStringLiteral("00002")},
                   {QStringLiteral("IDTPFORPGTPED"), QStringLiteral("F")},
                   {QStringLiteral("NRDIAPGFIXPED"), 10},
                   {QStringLiteral("NRPARCPGTOPED"), 3},
                   {QStringLiteral("IDUTDIAPAGPED"), QStringLiteral("E")},
                   {QStringLiteral("CDFORMPGTO"), QStringLiteral("01")},
                   {QStringLiteral("CDPRECOBASE"), QStringLiteral("02")},
                   {QStringLiteral("CDTIPOOPER"), QStringLiteral("01")},
                   {QStringLiteral("IDSITPEDIDO"), QStringLiteral("1")},
                   {QStringLiteral("IDPRIOPED"), QStringLiteral("2")},
                   {QStringLiteral("DTPEDIDO"), data},
                   {QStringLiteral("DTENTPED"), QStringLiteral("2026-03-12 00:00:00")}});
    }
    void item(int nr, const QString& produto, double qtd, double preco, double desconto = 0)
    {
        insertRow(db(), QStringLiteral("ITEMPEDIDO"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                   {QStringLiteral("NRPEDIDO"), kNumero},
                   {QStringLiteral("NRITEMPED"), QStringLiteral("%1").arg(nr, 3, 10, QLatin1Char('0'))},
                   {QStringLiteral("CDPRODUTO"), produto},
                   {QStringLiteral("QTITEMPED"), qtd},
                   {QStringLiteral("VRPREUNITPED"), preco},
                   {QStringLiteral("VRDESITPED"), desconto},
                   {QStringLiteral("IDSITITEMPED"), QStringLiteral("1")},
                   {QStringLiteral("DTENTITPED"), QStringLiteral("2026-03-12 08:30:00")}});
    }
    // Three items worth 1.234,56 net; the last one's discount is cut on its line.
    void pedidoDeTres(const QString& data = QStringLiteral("2026-03-10"))
    {
        pedido(data);
        item(1, QStringLiteral("P1"), 10, 100);
        item(2, QStringLiteral("P2"), 2, 100);
        item(3, QStringLiteral("P4"), 1, 36, 1.446);
        insertRow(db(), QStringLiteral("OBSPEDIDO"),
                  {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                   {QStringLiteral("NRPEDIDO"), kNumero},
                   {QStringLiteral("TXOBSPED"), QByteArray("{\\rtf1\\ansi {\\b entregar pela manh\\'e3}\\par ligar antes}")}});
    }
    EspelhoPedido espelho()
    {
        std::optional<EspelhoPedido> e = EspelhoPedido::le(db(), QStringLiteral("0001"), kNumero);
        EXPECT_TRUE(e.has_value());
        return e ? *e : EspelhoPedido(DadosEspelho{});
    }
    QString pdf(const EspelhoPedido& e)
    {
        const QString arquivo = dir.filePath(QStringLiteral("pedido.pdf"));
        e.gravaPdf(arquivo, kMomento);
        return arquivo;
    }
    QTemporaryDir dir;
};

TEST_F(EspelhoTest, ReadsTheOrderAsTheWindowShowsItHeaderItemsAndTotals)
{
    pedidoDeTres();
    const EspelhoPedido e = espelho();
    const DadosEspelho& d = e.dados();
    // What the header shows, in the order the mirror shows it.
    EXPECT_EQ(
        (QStringList{d.nmFilial, d.nrPedido, d.dataPedido, d.dataEntrega, d.situacao, d.prioridade, d.tipoInscricao, d.inscricao,
                     d.nmFantasia, d.vendedor, d.tipoOper, d.modPgto, d.condicao, d.formaPgto, d.precoBase}),
        (QStringList{QStringLiteral("MATRIZ"), kNumero, QStringLiteral("10/03/2026"), QStringLiteral("12/03/2026"),
                     QStringLiteral("Pendente"), QStringLiteral("Alta"), QStringLiteral("CNPJ"), QStringLiteral("11.222.333/0001-81"),
                     QStringLiteral("ATACADO CENTRAL"), QStringLiteral("0001 - ANA"), QStringLiteral("01 - VENDA"),
                     QStringLiteral("00002 - DIA 10 EM 3X"), QStringLiteral("Pagamento Fixo no Dia 10 com 3 Parcela(s) (1ª Próximo Mês)"),
                     QStringLiteral("01 - BOLETO"), QStringLiteral("02 - TABELA ATACADO")}));
    EXPECT_EQ(d.enderecoCliente, (QStringList{QStringLiteral("RUA DAS FLORES, 10"), QStringLiteral("CAMPINAS / SP")}));

    EXPECT_EQ(
        d.titulos,
        (QStringList{QStringLiteral("Nº Item"), QStringLiteral("Produto"), QStringLiteral("Nome do Produto"), QStringLiteral("Quantidade"),
                     QStringLiteral("Un."), QStringLiteral("Preço Unitário"), QStringLiteral("Desc. (%)"), QStringLiteral("Vr. Desc."),
                     QStringLiteral("Valor Total"), QStringLiteral("Entrega")}));
    ASSERT_EQ(d.itens.size(), 3u);
    EXPECT_EQ(d.itens[0][8], QStringLiteral("1000,00")) << "a line value has no thousands separator in the grid";
    EXPECT_EQ(d.itens[2],
              (QStringList{QStringLiteral("003"), QStringLiteral("01.04"), QStringLiteral("BORRACHA"), QStringLiteral("1,000"), QString(),
                           QStringLiteral("36,00"), QStringLiteral("4,0167"), QStringLiteral("1,44"), QStringLiteral("34,56"),
                           QStringLiteral("12/03/2026 08:30:00")}))
        << "the product picture, and the discount cut as the line counts it";
    EXPECT_EQ((QStringList{d.totais.bruto, d.totais.liquido, d.totais.descTotal, d.totais.descMedio}),
              (QStringList{QStringLiteral("1.236,00"), QStringLiteral("1.234,56"), QStringLiteral("1,44"), QStringLiteral("0,12 %")}))
        << "Tot. Bruto less Desc. Total is Tot. Líq.";

    EXPECT_FALSE(EspelhoPedido::le(db(), QStringLiteral("0001"), QStringLiteral("0000000008")));
    EXPECT_FALSE(EspelhoPedido::le(db(), QStringLiteral("0002"), kNumero)) << "another branch's number is another order";
}

TEST_F(EspelhoTest, AnOrderWhoseLookupsAreGoneIsStillPrinted)
{
    pedido();
    item(1, QStringLiteral("P1"), 1, 20);
    db().exec(QStringLiteral("DELETE FROM CLIENTE"));
    db().exec(QStringLiteral("DELETE FROM MODPGTO"));
    const EspelhoPedido e = espelho();
    EXPECT_TRUE(e.dados().nmFantasia.isEmpty());
    EXPECT_EQ(e.dados().modPgto, QStringLiteral("00002"));
    EXPECT_EQ(e.dados().itens.size(), 1u);
}

TEST_F(EspelhoTest, ThePdfShowsTheOrderCustomerItemsNetTotalObservationAndPage)
{
    pedidoDeTres();
    const QString texto = textoPdf(pdf(espelho()));
    for (const char* esperado : {"Pedido Nº 0000000007", "ATACADO CENTRAL", "11.222.333/0001-81", "CANETA AZUL", "LAPIS PRETO", "BORRACHA",
                                 "1.234,56", "entregar pela manhã", "ligar antes", "Página 1 de 1", "Impresso em 10/03/2026 09:15"})
        EXPECT_TRUE(texto.contains(QString::fromUtf8(esperado))) << esperado << "\n" << texto.toStdString();
    EXPECT_EQ(texto.count(QLatin1Char('\f')), 1) << "three items fit one page";
}

// What a customer's file brings into the observation reaches the printed
// order as they wrote it: a table's cells apart, no hidden text, the numbers.
TEST_F(EspelhoTest, AnImportedTableHiddenTextAndNumberedListPrintAsWritten)
{
    pedido();
    item(1, QStringLiteral("P1"), 1, 20);
    insertRow(db(), QStringLiteral("OBSPEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
               {QStringLiteral("NRPEDIDO"), kNumero},
               {QStringLiteral("TXOBSPED"),
                QByteArray("{\\rtf1\\ansi {\\trowd\\cellx2000\\cellx4000\\pard\\intbl Arroz\\cell 10\\cell\\row}"
                           "{\\trowd\\cellx2000\\cellx4000\\pard\\intbl Feij\\'e3o\\cell 5\\cell\\row}"
                           "\\pard Pre\\'e7o combinado{\\v  Pre\\'e7o interno 9,90}.\\par"
                           "{\\listtext 1.\\tab}\\pard\\ls1 primeira entrega\\par"
                           "{\\listtext 2.\\tab}\\pard\\ls1 segunda entrega\\par}")}});
    const QString texto = textoPdf(pdf(espelho())).simplified();
    EXPECT_FALSE(texto.contains(QStringLiteral("Arroz10"))) << texto.toStdString();
    EXPECT_TRUE(texto.contains(QStringLiteral("Arroz 10"))) << texto.toStdString();
    EXPECT_TRUE(texto.contains(QStringLiteral("Feijão 5"))) << texto.toStdString();
    EXPECT_TRUE(texto.contains(QStringLiteral("Preço combinado."))) << texto.toStdString();
    EXPECT_FALSE(texto.contains(QStringLiteral("interno"))) << texto.toStdString();
    EXPECT_TRUE(texto.contains(QStringLiteral("1. primeira entrega"))) << texto.toStdString();
    EXPECT_TRUE(texto.contains(QStringLiteral("2. segunda entrega"))) << texto.toStdString();
}

TEST_F(EspelhoTest, TheObservationKeepsItsFormattingInTheMirror)
{
    pedidoDeTres();
    QTextDocument doc;
    espelho().monta(doc);
    auto formato = [&](const QString& trecho) {
        const QTextCursor c = doc.find(trecho);
        EXPECT_FALSE(c.isNull()) << trecho.toStdString();
        return c.charFormat();
    };
    EXPECT_EQ(formato(QStringLiteral("entregar pela manhã")).fontWeight(), QFont::Bold);
    EXPECT_NE(formato(QStringLiteral("ligar antes")).fontWeight(), QFont::Bold);
}

// Enviar por E-mail: the mirror as a PDF kept in the program's data folder,
// xdg-email's command line with it and the customer's address, and a clear
// message when there is no mail program (the program run is replaced).
TEST_F(EspelhoTest, EnviarPorEmailAttachesTheMirrorToTheCustomersAddressAndSaysWhenNoMailProgramIsSetUp)
{
    pedidoDeTres();
    db().exec(QStringLiteral("UPDATE ENDECLIE SET DSEMAILCLIE = 'compras@atacado.com.br' WHERE CDCLIENTE = 'C2'"));
    QTemporaryDir dados;
    const QByteArray antes = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dados.path().toUtf8());
    QString programa;
    QStringList argumentos;
    FimPrograma fim;
    setExecutaPrograma([&](const QString& p, const QStringList& a, FimPrograma f) {
        programa = p;
        argumentos = a;
        fim = std::move(f);
    });
    const bool enviou = run([&] { EnviaPedidoPorEmail(db(), QStringLiteral("0001"), kNumero); });
    setExecutaPrograma(nullptr);
    qputenv("XDG_DATA_HOME", antes);
    ASSERT_TRUE(enviou);

    EXPECT_EQ(programa, QStringLiteral("xdg-email"));
    const QString pdf = QDir(dados.path()).filePath(QStringLiteral("zov-pedidos-tests/email/Pedido-0000000007.pdf"));
    EXPECT_EQ(argumentos,
              QStringList({QStringLiteral("--utf8"), QStringLiteral("--subject"), QStringLiteral("Pedido 0000000007"),
                           QStringLiteral("--body"), QStringLiteral("Segue em anexo o pedido 0000000007."), QStringLiteral("--attach"), pdf,
                           QStringLiteral("compras@atacado.com.br")}));
    EXPECT_TRUE(textoPdf(pdf).contains(QStringLiteral("Pedido Nº 0000000007")));

    fim(true, 0);
    EXPECT_TRUE(dialogs().errors().isEmpty()) << "the mail program opened the message";
    for (const auto& [iniciou, codigo] : {std::pair{false, -1}, std::pair{true, 3}}) {
        dialogs().clear();
        fim(iniciou, codigo);
        EXPECT_EQ(dialogs().errors(),
                  QStringList{QStringLiteral("Não há um programa de e-mail configurado neste computador. O pedido foi salvo em PDF em %1: "
                                             "anexe-o a uma mensagem no seu e-mail.")
                                  .arg(QDir::toNativeSeparators(pdf))});
    }
    // Only a plain address goes on the command line: nothing xdg-email could read as an option.
    for (const char* para : {"-x@exemplo.com", "a b@exemplo.com", "sem-arroba", ""})
        EXPECT_EQ(
            argumentosXdgEmail({QString::fromLatin1(para), QStringLiteral("P"), QStringLiteral("C"), QStringLiteral("/a.pdf")}).size(), 7)
            << para;
}

TEST_F(EspelhoTest, SixtyItemsRunOverPagesWithTheTitlesOnEachAndEveryRowWholeOnce)
{
    pedido();
    for (int i = 1; i <= 60; ++i) {
        const QString codigo = QStringLiteral("Q%1").arg(i, 3, 10, QLatin1Char('0'));
        insertRow(db(), QStringLiteral("PRODUTO"),
                  {{QStringLiteral("CDPRODUTO"), codigo},
                   {QStringLiteral("CDARVPROD"), QStringLiteral("02%1").arg(i, 2, 10, QLatin1Char('0'))},
                   {QStringLiteral("NMPRODUTO"), QStringLiteral("PRODUTO %1").arg(i, 3, 10, QLatin1Char('0'))},
                   {QStringLiteral("SGUNIDADE"), QStringLiteral("UN")}});
        item(i, codigo, 1, 100 + i + 0.25);
    }
    const QString arquivo = pdf(espelho());
    const QString texto = textoPdf(arquivo);
    const int paginas = paginasPdf(arquivo);
    EXPECT_GT(paginas, 1);
    QStringList folhas = texto.split(QLatin1Char('\f'));
    if (folhas.last().trimmed().isEmpty())
        folhas.removeLast();
    ASSERT_EQ(folhas.size(), paginas);
    for (int p = 0; p < paginas; ++p) {
        EXPECT_TRUE(folhas[p].contains(QStringLiteral("Nome do Produto"))) << "the items' titles on page " << p + 1;
        EXPECT_TRUE(folhas[p].contains(QStringLiteral("Página %1 de %2").arg(p + 1).arg(paginas))) << p + 1;
    }
    const QStringList linhas = texto.split(QLatin1Char('\n'));
    for (int i = 1; i <= 60; ++i) {
        const QString nome = QStringLiteral("PRODUTO %1").arg(i, 3, 10, QLatin1Char('0'));
        const QStringList com = linhas.filter(nome);
        ASSERT_EQ(com.size(), 1) << nome.toStdString();
        // The row is whole: its code, name and line value on one line of one page.
        EXPECT_TRUE(com[0].contains(QStringLiteral("02.%1").arg(i, 2, 10, QLatin1Char('0')))) << com[0].toStdString();
        EXPECT_TRUE(com[0].contains(QStringLiteral("%1,25").arg(100 + i))) << com[0].toStdString();
    }
}

// ---------------------------------------------------------------- Imprimir in the order window

TEST_F(LancPedidoTest, ImprimirIsOnOnlyForAStoredOrderInBrowse)
{
    abre();
    EXPECT_FALSE(view.comandos.imprimir) << "no order";
    EXPECT_FALSE(logic->registro.pedidoParaImprimir());
    pedidoGravado(db(), QStringLiteral("0000000001"));
    ASSERT_TRUE(run([&] { logic->registro.filtrar(); }));
    EXPECT_TRUE(view.comandos.imprimir);
    ASSERT_TRUE(logic->registro.pedidoParaImprimir());
    EXPECT_EQ(logic->registro.pedidoParaImprimir()->nrPedido, QStringLiteral("0000000001"));
    EXPECT_EQ(logic->registro.pedidoParaImprimir()->cdFilial, QStringLiteral("0001"));

    ASSERT_TRUE(run([&] { logic->registro.alterar(); }));
    ASSERT_TRUE(logic->contexto.pedidoEditando());
    EXPECT_FALSE(view.comandos.imprimir) << "while editing";
    dialogs().answer({true});
    ASSERT_TRUE(run([&] { logic->registro.cancelar(); }));
    EXPECT_TRUE(view.comandos.imprimir);

    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    EXPECT_FALSE(view.comandos.imprimir) << "while inserting";
    EXPECT_FALSE(logic->registro.pedidoParaImprimir());
}

class EspelhoJanelaTest : public EspelhoTest {
protected:
    void TearDown() override
    {
        if (frm) {
            const LancPedido& l = frm->logic();
            if (l.contexto.pedidoEditando() || l.itens.itemEditando() || l.observacao.observacaoEditando())
                dialogs().answer({true}); // closing asks before dropping what is typed
            frm->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EspelhoTest::TearDown();
    }
    QAction* acao(const char* name) { return frm->findChild<QAction*>(QString::fromLatin1(name)); }
    QPointer<TfrmLanPedido> frm;
};

TEST_F(EspelhoJanelaTest, CtrlIOpensThePreviewOfTheCurrentOrderWhichSavesItAsAPdf)
{
    pedidoDeTres(zov::dataDeHoje().toString(Qt::ISODate)); // inside the window's first filter
    frm = CriaLanctoPedido();
    int filtros = 0;
    frm->setFiltro([&](TFiltro&, const std::function<void()>& reabre) {
        ++filtros;
        reabre();
        return true;
    });
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
    QTRY_COMPARE(filtros, 1);
    EXPECT_TRUE(acao("sbtImprimir")->isEnabled());
    EXPECT_TRUE(acao("mnuConfImpressora")->isEnabled());

    const QString arquivo = dir.filePath(QStringLiteral("copia"));
    dialogs().fileToOpen(arquivo);
    bool salvou = false;
    QString sugeridoNaImpressao;
    QTimer espera;
    espera.setInterval(20);
    QObject::connect(&espera, &QTimer::timeout, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview)
            return;
        espera.stop();
        if (QAction* pdf = preview->findChild<QAction*>(QStringLiteral("actSalvarPdf"))) {
            pdf->trigger();
            salvou = true;
        }
        // The print dialog the preview opens suggests the same file when printing to one.
        QPrintDialog impressao(&impressoraDoPrograma(), preview);
        impressao.show();
        if (auto* nome = impressao.findChild<QLineEdit*>(QStringLiteral("filename")))
            sugeridoNaImpressao = nome->text();
        impressao.hide();
        preview->reject();
    });
    espera.start();
    frm->controle(C::GradePedidos)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(salvou) << "the preview offers Salvar PDF";
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(dialogs().texts(DialogRecord::SaveFile), QStringList{QStringLiteral("Salvar PDF")});
    ASSERT_EQ(dialogs().sugestoes.size(), 1);
    EXPECT_TRUE(dialogs().sugestoes[0].endsWith(QStringLiteral("/Pedido-0000000007.pdf"))) << "the order's name in the documents folder";
    EXPECT_TRUE(QFileInfo(dialogs().sugestoes[0]).dir().exists()) << "the home when there is no documents folder";
    ASSERT_TRUE(QFile::exists(arquivo + QStringLiteral(".pdf"))) << "the extension is added";
    EXPECT_TRUE(textoPdf(arquivo + QStringLiteral(".pdf")).contains(QStringLiteral("Pedido Nº 0000000007")));
    EXPECT_EQ(dialogs().infos(), QStringList{QStringLiteral("O pedido foi salvo em %1.pdf.").arg(QDir::toNativeSeparators(arquivo))});
    // The next time, the folder the operator chose.
    dialogs().fileToOpen(QString());
    salvou = false;
    espera.start();
    acao("sbtImprimir")->trigger();
    ASSERT_TRUE(salvou);
    ASSERT_EQ(dialogs().sugestoes.size(), 2);
    EXPECT_EQ(dialogs().sugestoes[1], dir.filePath(QStringLiteral("Pedido-0000000007.pdf")));
    EXPECT_EQ(sugeridoNaImpressao, dir.filePath(QStringLiteral("Pedido-0000000007.pdf")));
    EXPECT_EQ(impressoraDoPrograma().docName(), QStringLiteral("Pedido-0000000007"));

    // The items grid shows the cells as the mirror does.
    ASSERT_TRUE(runGuarded([&] { frm->logic().registro.mudaPagina(PaginaPedido::Itens); }));
    QAbstractItemModel* itens = frm->findChild<QTableView*>(QStringLiteral("dbgItemPedido"))->model();
    ASSERT_EQ(itens->rowCount(), 3);
    const QStringList linha = espelho().dados().itens[2];
    for (int c = 0; c < itens->columnCount(); ++c) {
        const QString titulo = itens->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().trimmed();
        if (titulo == QStringLiteral("Últ. Preço"))
            continue; // for the salesperson's eyes: the customer's copy does not show it
        const qsizetype i = espelho().dados().titulos.indexOf(titulo);
        ASSERT_GE(i, 0) << titulo.toStdString();
        EXPECT_EQ(itens->index(2, c).data(Qt::DisplayRole).toString(), linha[i]) << titulo.toStdString();
    }

    // Typing in the order turns it off: what is printed is what is stored.
    ASSERT_TRUE(runGuarded([&] { frm->logic().registro.alterar(); }));
    EXPECT_FALSE(acao("sbtImprimir")->isEnabled());
}

} // namespace
