// The download window offscreen, against zov-appserver and without one.
#include "session/GeralZOV.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/running_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_database.h"
#include "transfer/ZOV00400.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace zov;
using test::countRows;

namespace {

class DownloadWindow : public test::DialogsTest {
protected:
    void SetUp() override
    {
        test::DialogsTest::SetUp();
        SetFilial(QStringLiteral("0001"));
        window = new TfrmImporTab;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
    }
    void TearDown() override
    {
        if (window)
            window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ClearSession();
        test::DialogsTest::TearDown();
    }
    void keepAddress(const QString& address)
    {
        client.db().exec(QStringLiteral("INSERT INTO PARAMPEDZOVRA (NRIPSERVAPLIQ) VALUES (:A)"), {{QStringLiteral("A"), address}});
    }
    template <class T>
    T* child(const char* name)
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    test::TempDatabase client;
    QPointer<TfrmImporTab> window;
};

TEST_F(DownloadWindow, WithoutAKeptAddressItAsksForOne)
{
    SetIPAcesso(QStringLiteral("10.1.1.1")); // what the login used does not count
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("O endereço IP do servidor deve ser cadastro ")});
    EXPECT_TRUE(dialogs().infos().isEmpty());
}

TEST_F(DownloadWindow, FillsTheTablesShowsProgressAndEndsWithSuccess)
{
    test::RunningServer server(true);
    keepAddress(server.address());
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(dialogs().infos(), QStringList{QStringLiteral("A importação foi concluida com sucesso.")});
    EXPECT_TRUE(dialogs().errors().isEmpty()) << dialogs().errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(countRows(client.db(), QStringLiteral("PRODUTO")), countRows(server.db(), QStringLiteral("PRODUTO")));
    EXPECT_EQ(IPAcesso(), QStringLiteral("127.0.0.1")) << "the kept address stays in the session";
    EXPECT_EQ(Porta(), server.port());
    // Back to rest: labels empty, frame shown, bar hidden, commands on.
    EXPECT_TRUE(child<QLabel>("lblProgresso1")->text().isEmpty());
    EXPECT_TRUE(child<QLabel>("lblProgresso2")->text().isEmpty());
    EXPECT_TRUE(child<QFrame>("bvlProgresso")->isVisible());
    EXPECT_FALSE(child<QFrame>("shpProgresso")->isVisible());
    EXPECT_TRUE(child<QPushButton>("sbtConfirma")->isEnabled());
}

TEST_F(DownloadWindow, AServerThatIsDownOrFailsIsReportedNotCelebrated)
{
    keepAddress(QStringLiteral("127.0.0.1:%1").arg(test::closedPort()));
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(dialogs().errors(), QStringList{QStringLiteral("Não existe conexão com o servidor.")});
    EXPECT_TRUE(dialogs().infos().isEmpty());

    // Reachable, but the download itself fails: what failed is said, and no success.
    dialogs().clear();
    test::FakeHttpServer failing([](const test::FakeRequest& r) {
        if (r.method == "GET")
            return test::FakeHttpServer::objects();
        test::FakeResponse res;
        res.status = 500;
        res.body = R"({"error": {"message": "Banco de dados do servidor indisponível."}})";
        return res;
    });
    client.db().exec(QStringLiteral("UPDATE PARAMPEDZOVRA SET NRIPSERVAPLIQ = :A"),
                     {{QStringLiteral("A"), QStringLiteral("127.0.0.1:%1").arg(failing.port())}});
    QTest::mouseClick(child<QPushButton>("sbtConfirma"), Qt::LeftButton);
    EXPECT_TRUE(dialogs().infos().isEmpty());
    ASSERT_EQ(dialogs().errors().size(), 1);
    EXPECT_TRUE(dialogs().errors().first().contains(QStringLiteral("Banco de dados do servidor indisponível.")))
        << dialogs().errors().first().toStdString();
    EXPECT_TRUE(child<QPushButton>("sbtConfirma")->isEnabled());
}

TEST_F(DownloadWindow, EscapeClosesTheWindow)
{
    QTest::keyClick(window, Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
}

} // namespace
