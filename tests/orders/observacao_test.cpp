// The order's observation: typed, stored as rich text with its order,
// imported from files (bad ones refused) or from another order, saved.
#include "library/rtf.h"
#include "tests/orders/lanc_pedido_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextCursor>

using namespace zov;
using namespace zov::test;

namespace {

class ObservacaoTest : public LancPedidoTest {
protected:
    void naObservacao()
    {
        pedidoGravado(db(), QStringLiteral("0000000001"));
        abre();
        ASSERT_TRUE(run([&] { logic->registro.mudaPagina(P::Observacao); }));
    }
    void escreve(const QString& texto)
    {
        QTextCursor c(&logic->observacao.docObservacao);
        c.movePosition(QTextCursor::End);
        c.insertText(texto);
    }
    QString arquivo(const char* nome, const QByteArray& conteudo)
    {
        const QString path = dir.filePath(QString::fromLatin1(nome));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(conteudo);
        return path;
    }
    QString gravada()
    {
        QTextDocument d;
        lerObservacao(le(QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDO")).toByteArray(), d);
        return d.toPlainText();
    }
    QTemporaryDir dir;
};

TEST_F(ObservacaoTest, TypingStartsTheObservationAndConfirmStoresItAsRichTextWithTheOrder)
{
    naObservacao();
    escreve(QStringLiteral("Entregar pela manhã, portão 2."));
    EXPECT_TRUE(logic->observacao.observacaoEditando()) << "typing starts it";
    EXPECT_TRUE(logic->contexto.pedidoEditando()) << "and puts its order into edit";
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(pareceRtf(le(QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDO")).toByteArray()));
    EXPECT_EQ(gravada(), QStringLiteral("Entregar pela manhã, portão 2."));
    logic->registro.mudaPagina(P::Pedidos);
    logic->registro.mudaPagina(P::Observacao);
    EXPECT_EQ(logic->observacao.docObservacao.toPlainText(), QStringLiteral("Entregar pela manhã, portão 2.")) << "read back as it was";
    EXPECT_TRUE(logic->registro.comandos().alterar);
}

TEST_F(ObservacaoTest, AFailingObservationWriteStoresNothingAndKeepsTheText)
{
    db().execScript(QStringLiteral("CREATE TRIGGER falha BEFORE INSERT ON OBSPEDIDO BEGIN SELECT RAISE(ABORT, 'disco cheio'); END;"));
    naObservacao();
    ASSERT_TRUE(run([&] { logic->registro.incluir(); }));
    escreve(QStringLiteral("Ligar antes."));
    EXPECT_FALSE(run([&] { logic->registro.confirmar(); }));
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().first().contains(QStringLiteral("disco cheio")));
    EXPECT_EQ(test::countRows(db(), QStringLiteral("OBSPEDIDO")), 0);
    EXPECT_TRUE(logic->observacao.observacaoEditando());
    EXPECT_EQ(logic->observacao.docObservacao.toPlainText(), QStringLiteral("Ligar antes.")) << "nothing typed is lost";
    db().execScript(QStringLiteral("DROP TRIGGER falha;"));
    dialogs().clear();
    ASSERT_TRUE(run([&] { logic->registro.confirmar(); })) << dialogs().errors().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(gravada(), QStringLiteral("Ligar antes."));
}

TEST_F(ObservacaoTest, FilesAreImportedAndBadOnesRefusedWithAReason)
{
    naObservacao();
    dialogs().fileToOpen(arquivo("nota.txt", QByteArray("Pagamento combinado com o gerente.\n")));
    ASSERT_TRUE(run([&] { logic->observacao.importaArquivo(); }));
    EXPECT_TRUE(logic->observacao.docObservacao.toPlainText().startsWith(QStringLiteral("Pagamento combinado")));
    dialogs().fileToOpen(arquivo("nota.rtf", QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Cora\\'e7\\'e3o\\par}")));
    ASSERT_TRUE(run([&] { logic->observacao.importaArquivo(); }));
    EXPECT_EQ(logic->observacao.docObservacao.toPlainText().trimmed(), QStringLiteral("Coração"));
    // What Windows saves as "Unicode": UTF-16 with its mark, full of NUL bytes.
    dialogs().fileToOpen(arquivo("unicode.txt",
                                 QByteArray("\xff\xfe"
                                            "O\0K\0 \0\xe7\0",
                                            10)));
    ASSERT_TRUE(run([&] { logic->observacao.importaArquivo(); }));
    EXPECT_EQ(logic->observacao.docObservacao.toPlainText(), QStringLiteral("OK ç"));
    // A byte no code page here holds is shown replaced, and said.
    dialogs().fileToOpen(arquivo("furo.txt", QByteArray("x\x9dy")));
    ASSERT_TRUE(run([&] { logic->observacao.importaArquivo(); }));
    ASSERT_EQ(dialogs().infos().size(), 1);
    EXPECT_TRUE(dialogs().infos()[0].contains(QStringLiteral("aparecem como “�”")));
    dialogs().fileToOpen(arquivo("nota2.rtf", QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Cora\\'e7\\'e3o\\par}")));
    ASSERT_TRUE(run([&] { logic->observacao.importaArquivo(); }));

    dialogs().fileToOpen(dir.filePath(QStringLiteral("nao-existe.rtf")));
    EXPECT_FALSE(run([&] { logic->observacao.importaArquivo(); }));
    dialogs().fileToOpen(arquivo("foto.rtf", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    EXPECT_FALSE(run([&] { logic->observacao.importaArquivo(); }));
    dialogs().fileToOpen(arquivo("grande.txt", QByteArray(ObservacaoPedido::kMaxArquivoObservacao + 1, 'a')));
    EXPECT_FALSE(run([&] { logic->observacao.importaArquivo(); }));
    const QStringList erros = dialogs().errors();
    ASSERT_EQ(erros.size(), 3);
    EXPECT_TRUE(erros[0].contains(QStringLiteral("não existe")));
    EXPECT_TRUE(erros[1].contains(QStringLiteral("não é um texto")));
    EXPECT_TRUE(erros[2].contains(QStringLiteral("5 MB")));
    EXPECT_EQ(logic->observacao.docObservacao.toPlainText().trimmed(), QStringLiteral("Coração")) << "a refused file changes nothing";
}

// A refused file leaves an order at rest as it was: not in edit, its observation untouched.
TEST_F(ObservacaoTest, ARefusedImportLeavesTheOrderAtRest)
{
    naObservacao();
    ASSERT_FALSE(logic->contexto.pedidoEditando());
    dialogs().fileToOpen(arquivo("foto.txt", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    EXPECT_FALSE(run([&] { logic->observacao.importaArquivo(); }));
    EXPECT_FALSE(logic->contexto.pedidoEditando());
    EXPECT_FALSE(logic->observacao.observacaoEditando());
}

TEST_F(ObservacaoTest, AnotherOrdersObservationIsCopiedAndSavingAnEmptyOneCancelsIt)
{
    pedidoGravado(db(), QStringLiteral("0000000002"));
    insertRow(db(), QStringLiteral("OBSPEDIDO"),
              {{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
               {QStringLiteral("NRPEDIDO"), QStringLiteral("0000000002")},
               {QStringLiteral("TXOBSPED"), QByteArray("Cliente recebe só à tarde.")}});
    naObservacao();
    ASSERT_TRUE(logic->contexto.qryPedido.locate(QStringLiteral("NRPEDIDO"), QStringLiteral("0000000001")));
    logic->registro.mudaPagina(P::Observacao);
    escolhas << QStringLiteral("0000000002");
    ASSERT_TRUE(run([&] { logic->observacao.importaDeOutroPedido(); }));
    EXPECT_EQ(titulos.last(), QStringLiteral("Pedido|Não há pedido com observação cadastrada."));
    EXPECT_EQ(logic->observacao.docObservacao.toPlainText(), QStringLiteral("Cliente recebe só à tarde."));

    const QString destino = dir.filePath(QStringLiteral("copia.rtf"));
    dialogs().fileToOpen(destino);
    ASSERT_TRUE(run([&] { logic->observacao.salvaArquivo(); }));
    QFile f(destino);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QTextDocument d;
    lerObservacao(f.readAll(), d);
    EXPECT_EQ(d.toPlainText(), QStringLiteral("Cliente recebe só à tarde."));
    EXPECT_FALSE(db().scalar(QStringLiteral("SELECT TXOBSPED FROM OBSPEDIDO WHERE NRPEDIDO = '0000000001'")).isNull())
        << "a stored order's observation saved to a file is stored too";
    // A name without extension gets ".rtf", and the file that makes is not replaced without asking.
    const QDateTime antes = QFileInfo(destino).lastModified();
    dialogs().fileToOpen(dir.filePath(QStringLiteral("copia")));
    dialogs().answer({false});
    ASSERT_TRUE(run([&] { logic->observacao.salvaArquivo(); }));
    EXPECT_EQ(dialogs().questions().last(), QStringLiteral("O arquivo \"%1\" já existe. Deseja substituí-lo?").arg(destino));
    EXPECT_EQ(QFileInfo(destino).lastModified(), antes);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("copia"))));

    logic->observacao.docObservacao.clear();
    dialogs().fileToOpen(dir.filePath(QStringLiteral("vazia.rtf")));
    ASSERT_TRUE(run([&] { logic->observacao.salvaArquivo(); }));
    EXPECT_FALSE(logic->observacao.observacaoEditando()) << "an empty observation saved to a file is cancelled";
}

TEST_F(ObservacaoTest, AnExportedOrdersObservationIsOnlyRead)
{
    pedidoGravado(db(), QStringLiteral("0000000001"), QStringLiteral("7"));
    abre();
    ASSERT_TRUE(run([&] { logic->registro.mudaPagina(P::Observacao); }));
    EXPECT_TRUE(logic->observacao.observacaoSomenteLeitura());
    escreve(QStringLiteral("x"));
    EXPECT_FALSE(logic->observacao.observacaoEditando());
    EXPECT_FALSE(logic->registro.comandos().incluir);
    EXPECT_EQ(le(QStringLiteral("SELECT IDSITPEDIDO FROM PEDIDO")).toString(), QStringLiteral("7"));
}

} // namespace
