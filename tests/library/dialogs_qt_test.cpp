// The real message boxes offscreen: their own titles, over the window that asked.
#include "library/dialogs_qt.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

using namespace zov;

namespace {

struct SeenBox {
    QString title;
    QWidget* parent = nullptr;
    QPoint centre;
};

} // namespace

TEST(QtDialogsTest, BoxesHaveTheirOwnTitleAndOpenOverTheAskingWindow)
{
    QWidget asking;
    asking.setWindowTitle(QStringLiteral("Cliente"));
    asking.setGeometry(500, 300, 400, 300);
    asking.show();
    asking.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&asking));

    QtDialogs dialogs;
    for (int kind = 0; kind < 3; ++kind) {
        SeenBox seen;
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen.title = box->windowTitle();
            seen.parent = box->parentWidget();
            seen.centre = box->frameGeometry().center();
            box->reject();
        });
        if (kind == 0)
            dialogs.error(QStringLiteral("falhou"));
        else if (kind == 1)
            dialogs.info(QStringLiteral("pronto"));
        else
            EXPECT_FALSE(dialogs.confirm(QStringLiteral("Confirma?")));
        const QString expected[] = {QStringLiteral("Erro"), QStringLiteral("Informação"), QStringLiteral("Confirmação")};
        EXPECT_EQ(seen.title, expected[kind]);
        EXPECT_EQ(seen.parent, &asking);
        EXPECT_LT((seen.centre - asking.frameGeometry().center()).manhattanLength(), 40) << kind;
    }
}
