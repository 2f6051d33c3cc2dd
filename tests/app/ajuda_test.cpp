// The user guide: every window has its page and picture, every key a page
// names is one the window has, and F1 opens the page of the window in front.
#include "app/ZOV00000.h"
#include "app/ZOV00010.h"
#include "app/windows.h"
#include "customers/ZOV00500.h"
#include "library/ajuda_qt.h"
#include "library/database.h"
#include "orders/ZOV00100.h"
#include "orders/ZOV00101.h"
#include "orders/ZOV00102.h"
#include "orders/ZOV00103.h"
#include "orders/ZOV00600.h"
#include "search/PesqListaZOV.h"
#include "search/pesquisaZOV.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/ZOV00200.h"
#include "transfer/ZOV00300.h"
#include "transfer/ZOV00400.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace zov;

namespace {

QString pagina(const QString& arquivo)
{
    QFile f(QStringLiteral(":/ajuda/") + arquivo);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A key as the pages write it ("Ctrl+Enter", "Espaço"), in Qt's portable text.
QString emQt(QString tecla)
{
    tecla.replace(QStringLiteral("Espaço"), QStringLiteral("Space"));
    tecla.replace(QRegularExpression(QStringLiteral("\\bEnter\\b")), QStringLiteral("Return"));
    tecla.replace(QRegularExpression(QStringLiteral("\\bDelete\\b")), QStringLiteral("Del"));
    return QKeySequence(tecla, QKeySequence::PortableText).toString(QKeySequence::PortableText);
}

// What a window answers: its actions' keys, and Alt with its menus' and buttons' letters.
QSet<QString> teclasDa(QWidget* w)
{
    QSet<QString> teclas;
    for (QAction* a : w->findChildren<QAction*>())
        for (const QKeySequence& k : a->shortcuts())
            teclas << k.toString(QKeySequence::PortableText);
    auto letra = [&](const QString& texto) {
        const qsizetype i = texto.indexOf(QLatin1Char('&'));
        if (i >= 0 && i + 1 < texto.size())
            teclas << QStringLiteral("Alt+") + texto.at(i + 1).toUpper();
    };
    for (QMenuBar* barra : w->findChildren<QMenuBar*>())
        for (QAction* a : barra->actions())
            letra(a->text());
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        letra(b->text());
    return teclas;
}

class Ajuda : public test::DialogsTest {
protected:
    test::TempDatabase temp;
};

TEST_F(Ajuda, EveryWindowHasItsPageAndEveryKeyAPageNamesIsOneTheWindowHas)
{
    Query lista(&temp.db(), QStringLiteral("qryLista"));
    lista.setSql(QStringLiteral("SELECT CDFILIAL, NMFILIAL FROM FILIAL"));
    lista.open();
    TFiltro filtro;
    bool opcao = false;
    std::vector<std::pair<QString, std::unique_ptr<QWidget>>> janelas;
    auto principal = std::make_unique<TfrmPedidosPrinc>();
    registerWindows(*principal);
    janelas.emplace_back(QStringLiteral("ZOV00000"), std::move(principal));
    janelas.emplace_back(QStringLiteral("ZOV00010"), std::make_unique<TfrmLogin>());
    janelas.emplace_back(QStringLiteral("ZOV00100"), std::make_unique<TfrmLanPedido>());
    janelas.emplace_back(QStringLiteral("ZOV00101"), std::make_unique<TfrmFiltroPedido>(filtro, [] {}));
    janelas.emplace_back(QStringLiteral("ZOV00102"), std::make_unique<TfrmConsultaProd>(temp.db(), ParametrosConsulta{}));
    janelas.emplace_back(
        QStringLiteral("ZOV00103"),
        std::make_unique<TfrmHistoricoCliente>(temp.db(), QStringLiteral("C1"), QStringLiteral("0001"), QStringLiteral("LOJA"), QString()));
    janelas.emplace_back(QStringLiteral("ZOV00200"), std::make_unique<TfrmExportaDados>());
    janelas.emplace_back(QStringLiteral("ZOV00300"), std::make_unique<TfrmParamTransPed>());
    janelas.emplace_back(QStringLiteral("ZOV00400"), std::make_unique<TfrmImporTab>());
    janelas.emplace_back(QStringLiteral("ZOV00500"), std::make_unique<TfrmCliente>());
    janelas.emplace_back(QStringLiteral("ZOV00600"), std::make_unique<TfrmProdInativo>(lista, opcao, ModoInativo::Produtos));
    janelas.emplace_back(QStringLiteral("LIB00600"), std::make_unique<TfrmPesqLista>(lista));
    janelas.emplace_back(QStringLiteral("LIB00610"), std::make_unique<TfrmPesquisar>(lista));

    // Keys every field or dialog takes by itself: the help, the lookup, moving, leaving, ticking, erasing.
    const QSet<QString> campos{QStringLiteral("F1"),    QStringLiteral("F9"),        QStringLiteral("Return"),
                               QStringLiteral("Tab"),   QStringLiteral("Shift+Tab"), QStringLiteral("Esc"),
                               QStringLiteral("Space"), QStringLiteral("Backspace"), QStringLiteral("Del")};
    // Keys a window's own key code handles, not an action of it.
    const QHash<QString, QStringList> doCodigo{
        {QStringLiteral("ZOV00100"), {QStringLiteral("Ctrl+B"), QStringLiteral("Ctrl+U")}},
        {QStringLiteral("ZOV00101"), {QStringLiteral("Ctrl+D")}},
        {QStringLiteral("ZOV00102"),
         {QStringLiteral("Ctrl+Return"), QStringLiteral("Ctrl+Tab"), QStringLiteral("Ctrl+Shift+Tab"), QStringLiteral("F7")}},
        {QStringLiteral("ZOV00200"), {QStringLiteral("Ctrl+Space"), QStringLiteral("Ctrl+L")}},
        {QStringLiteral("LIB00600"), {QStringLiteral("Ctrl+Space")}}};
    const QRegularExpression kbd(QStringLiteral("<kbd>([^<]+)</kbd>"));
    for (const auto& [codigo, janela] : janelas) {
        SCOPED_TRACE(codigo.toStdString());
        EXPECT_EQ(codigoDaTela(janela.get()), codigo) << "F1 finds the window's code";
        const QString html = pagina(codigo + QStringLiteral(".html"));
        ASSERT_FALSE(html.isEmpty()) << "the window has its page";
        EXPECT_EQ(paginaDaAjuda(codigo), codigo + QStringLiteral(".html"));
        const QRegularExpression img(QStringLiteral("<img src=\"([^\"]+)\""));
        EXPECT_TRUE(img.match(html).hasMatch()) << "the page shows the window";
        for (auto m = img.globalMatch(html); m.hasNext();)
            EXPECT_TRUE(QFile::exists(QStringLiteral(":/ajuda/") + m.next().captured(1))) << "its picture is shipped";
        const QSet<QString> teclas = teclasDa(janela.get());
        for (auto m = kbd.globalMatch(html); m.hasNext();) {
            const QString nome = m.next().captured(1);
            const QString tecla = emQt(nome);
            EXPECT_TRUE(teclas.contains(tecla) || campos.contains(tecla) || doCodigo.value(codigo).contains(tecla))
                << "the page names " << nome.toStdString() << ", which the window does not have";
        }
    }
    EXPECT_TRUE(pagina(QStringLiteral("index.html")).contains(QStringLiteral("ZOV00100.html")));
}

TEST_F(Ajuda, F1OpensThePageOfTheWindowInFrontAndTheSearchFindsAcrossPages)
{
    instalaAjudaF1();
    TfrmParamTransPed janela;
    janela.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&janela));
    QWidget* campo = janela.findChild<QLineEdit*>();
    ASSERT_TRUE(campo);
    campo->setFocus();
    QTest::keyClick(campo, Qt::Key_F1);
    QWidget* ajuda = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("frmAjuda") && w->isVisible())
            ajuda = w;
    ASSERT_TRUE(ajuda);
    auto* texto = ajuda->findChild<QTextBrowser*>(QStringLiteral("txtAjuda"));
    EXPECT_EQ(texto->source().fileName(), QStringLiteral("ZOV00300.html"));
    // A word of another page's text: the search opens that page at it.
    auto* procura = ajuda->findChild<QLineEdit*>(QStringLiteral("edtProcurar"));
    procura->setText(QStringLiteral("Consulta Produto"));
    QTest::keyClick(procura, Qt::Key_Return);
    EXPECT_NE(texto->source().fileName(), QStringLiteral("ZOV00300.html"));
    EXPECT_TRUE(texto->textCursor().hasSelection());
    ajuda->close();
}

} // namespace
