#include "library/criptografa.h"

#include <gtest/gtest.h>

using namespace zov;

TEST(CriptografaTest, OnlyTheRightPasswordMatchesItsHash)
{
    const QString stored = CriptografaSenha(QStringLiteral("Senh@ção1"));
    EXPECT_TRUE(stored.startsWith(QLatin1String("$argon2id$")));
    EXPECT_TRUE(SenhaOK(QStringLiteral("Senh@ção1"), stored));
    EXPECT_FALSE(SenhaOK(QStringLiteral("senh@ção1"), stored));
    EXPECT_FALSE(SenhaOK(QString(), stored));
    // The same password hashes differently each time (salted).
    EXPECT_NE(CriptografaSenha(QStringLiteral("Senh@ção1")), stored);
    // A stored plain password or an empty column never matches.
    EXPECT_FALSE(SenhaOK(QStringLiteral("1234"), QStringLiteral("1234")));
    EXPECT_FALSE(SenhaOK(QString(), QString()));
}
