#include "transfer/window_buttons_qt.h"

#include "library/dialogs.h"
#include "library/errors.h"
#include "library/messages.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace zov {

QPushButton* addWindowButton(QWidget* window, QHBoxLayout* row, const char* name, const QString& text, QStyle::StandardPixmap icon)
{
    auto* b = new QPushButton(window->style()->standardIcon(icon), text, window);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
}

QPushButton* addHelpButton(QWidget* window, QHBoxLayout* row)
{
    QPushButton* b = addWindowButton(window, row, "sbtAjuda", QStringLiteral("&Ajuda"), QStyle::SP_DialogHelpButton);
    QObject::connect(b, &QPushButton::clicked, window,
                     [window] { runGuarded([window] { dialogs().ajuda(window->property("screenCode").toString()); }); });
    return b;
}

} // namespace zov
