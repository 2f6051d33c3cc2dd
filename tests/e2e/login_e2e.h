#pragma once
// The login window typed as a salesperson does: the server's address, branch
// 1, operator 1 and the demo's password "ana123", then Enter.
#include "app/ZOV00010.h"

#include <QLineEdit>
#include <QTest>

namespace zov::test {

inline void entraComoAna(TfrmLogin& login, const QString& address, const QString& password = QStringLiteral("ana123"))
{
    login.abrir();
    login.show();
    QTest::keyClicks(login.findChild<QLineEdit*>(QStringLiteral("edtEndereco")), address);
    QTest::keyClicks(login.findChild<QLineEdit*>(QStringLiteral("edtFilial")), QStringLiteral("1"));
    QTest::keyClicks(login.findChild<QLineEdit*>(QStringLiteral("edtOperador")), QStringLiteral("1"));
    auto* senha = login.findChild<QLineEdit*>(QStringLiteral("edtSenha"));
    QTest::keyClicks(senha, password);
    QTest::keyClick(senha, Qt::Key_Return);
}

} // namespace zov::test
