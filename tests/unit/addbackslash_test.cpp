#include "common/addbackslash.h"

#include <gtest/gtest.h>

TEST(AddBackslash, AppendsOnlyWhenMissing) {
    EXPECT_EQ(vlm::AddBackslash(QStringLiteral("/home/a")), QStringLiteral("/home/a/"));
    EXPECT_EQ(vlm::AddBackslash(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(vlm::AddBackslash(QString()), QStringLiteral("/"));
    EXPECT_EQ(vlm::AddBackslash(QStringLiteral("C:"), u'\\'), QStringLiteral("C:\\"));
}
