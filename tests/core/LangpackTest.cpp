#include "core/Langpack.h"
#include "core/StringIds.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

using namespace vantora;

class LangpackTest : public ::testing::Test {
protected:
    void TearDown() override { Langpack::unload(); }
    QString rcc() const { return test::binDir() + QStringLiteral("/langpack.rcc"); }
};

TEST_F(LangpackTest, WithoutLibraryOnlyOwnTextsExist) {
    Langpack::unload();
    EXPECT_FALSE(Langpack::isLoaded());
    EXPECT_EQ(Langpack::text(ids::kAppTitle), QStringLiteral("Vantora  System "));
    EXPECT_TRUE(Langpack::text(ids::kDocTemplate).startsWith(QStringLiteral("Vantora System\n")));
    EXPECT_FALSE(Langpack::text(ids::kIdleStatus).isEmpty());
    EXPECT_TRUE(Langpack::text(ids::kDamagedFile).isEmpty());
    EXPECT_TRUE(Langpack::format(ids::kDamagedFile, QStringLiteral("x.dat")).isEmpty());
    EXPECT_TRUE(Langpack::bitmap(Langpack::kSplashBitmap).isNull());
}

TEST_F(LangpackTest, MissingFileLeavesOwnTexts) {
    EXPECT_FALSE(Langpack::load(QStringLiteral("/nonexistent/langpack.rcc")));
    EXPECT_FALSE(Langpack::isLoaded());
    EXPECT_EQ(Langpack::text(ids::kAppTitle), QStringLiteral("Vantora  System "));
}

TEST_F(LangpackTest, BuiltLibraryReplacesOwnTexts) {
    ASSERT_TRUE(Langpack::load(rcc()));
    EXPECT_TRUE(Langpack::isLoaded());
    EXPECT_NE(Langpack::text(ids::kAppTitle), QStringLiteral("Vantora  System "));
    const QString damaged = Langpack::text(ids::kDamagedFile);
    ASSERT_TRUE(damaged.contains(u'$'));
    const QString filled = Langpack::format(ids::kDamagedFile, QStringLiteral("a.cEcg"));
    EXPECT_TRUE(filled.contains(QStringLiteral("a.cEcg")));
    EXPECT_EQ(filled.size(), damaged.size() - 1 + 6);
}

TEST(LangpackParse, EscapesCommentsAndMalformedLines) {
    const auto s = Langpack::parseStrings(
        "# comment\n10\tA\\nB\r\n11\tC\\\\D\\tE\nno-tab line\n\tmissing id\nx\tbad id\n12\t\n");
    EXPECT_EQ(s.value(10), QStringLiteral("A\nB"));
    EXPECT_EQ(s.value(11), QStringLiteral("C\\D\tE"));
    EXPECT_TRUE(s.contains(12));
    EXPECT_EQ(s.size(), 3);
}

TEST(FillDollar, ReplacesOnlyTheFirst) {
    EXPECT_EQ(fillDollar(QStringLiteral("a $ b $"), QStringLiteral("X")),
              QStringLiteral("a X b $"));
    EXPECT_EQ(fillDollar(QStringLiteral("none"), QStringLiteral("X")), QStringLiteral("none"));
    EXPECT_EQ(fillDollar(QStringLiteral("$"), QString()), QString());
}
