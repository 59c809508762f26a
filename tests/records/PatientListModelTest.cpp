#include "records/PatientListModel.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

using namespace vantora;

namespace {

// A registry of the given ids and names, written field by field.
void writeRegistry(const QString& root, const QList<std::pair<QString, QString>>& patients) {
    test::ByteWriter w;
    w.i32(int32_t(patients.size()));
    for (const auto& [id, name] : patients)
        w.text(id, 32).text(name, 82).zeros(1384 - 114).i32(8);
    ASSERT_TRUE(test::writeAll(paths::registry(root), w.bytes()));
}

const QList<std::pair<QString, QString>> kPatients = {
    {QStringLiteral("1200"), QStringLiteral("Anna Berg")},
    {QStringLiteral("A7"), QStringLiteral("Carl Dorn")},
    {QStringLiteral("3120"), QStringLiteral("BERGMAN Eva")},
    {QStringLiteral("999"), QStringLiteral("Ida Fors")},
};

TEST(PatientListModelTest, SearchTextFollowsTheChoice) {
    struct Case {
        PatientSearchField field;
        QString typed;
        QString accepted;
    };
    const QString longName = QString(40, u'x');
    const Case cases[] = {
        {PatientSearchField::Id, QStringLiteral("a1-2 3"), QStringLiteral("123")},
        {PatientSearchField::Id, QStringLiteral("12345678901234567"),
         QStringLiteral("123456789012345")},
        {PatientSearchField::Id, QStringLiteral("\u0661\u0662"), QString()}, // other digits
        {PatientSearchField::Name, QStringLiteral("a1-2 3"), QStringLiteral("a1-2 3")},
        {PatientSearchField::Name, longName, QString(31, u'x')},
    };
    PatientListModel model(QStringLiteral("/nonexistent"));
    for (const Case& c : cases) {
        model.setSearchField(c.field);
        EXPECT_EQ(model.setSearchText(c.typed), c.accepted) << c.typed.toStdString();
        EXPECT_EQ(model.searchText(), c.accepted);
    }
    // Switching to the id search keeps only the digits of a name typed before.
    model.setSearchField(PatientSearchField::Name);
    model.setSearchText(QStringLiteral("Ann 42"));
    model.setSearchField(PatientSearchField::Id);
    EXPECT_EQ(model.searchText(), QStringLiteral("42"));
}

TEST(PatientListModelTest, FindMarksEveryMatchAndMovesToTheFirst) {
    test::TempDataRoot root;
    writeRegistry(root.path(), kPatients);
    PatientListModel model(root.path());
    ASSERT_TRUE(model.load().isNone());
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(model.rowTexts(2).mid(0, 3),
              (QStringList{QStringLiteral("3"), QStringLiteral("3120"), kPatients[2].second}));

    struct Case {
        PatientSearchField field;
        QString text;
        QVector<int> matched; // rows; empty: no match
        int messageId;
        int current; // row selected afterwards
    };
    const Case cases[] = {
        {PatientSearchField::Id, QStringLiteral("12"), {0, 2}, 0, 0},
        {PatientSearchField::Id, QStringLiteral("9"), {3}, 0, 3},
        {PatientSearchField::Id, QStringLiteral("7"), {1}, 0, 1}, // "A7" holds 7
        {PatientSearchField::Id, QStringLiteral("55"), {}, ids::kNoIdMatch, 1},
        {PatientSearchField::Id, QString(), {}, ids::kSearchTextEmpty, 1},
        {PatientSearchField::Name, QStringLiteral("  berg "), {0, 2}, 0, 0},
        {PatientSearchField::Name, QStringLiteral("ZZ"), {}, ids::kNoNameMatch, 0},
    };
    for (const Case& c : cases) {
        model.setSearchField(c.field);
        model.setSearchText(c.text);
        const int before = model.currentRow();
        const PatientListModel::FindResult r = model.find();
        EXPECT_EQ(r.message.id, c.messageId) << c.text.toStdString();
        if (c.messageId == ids::kNoIdMatch || c.messageId == ids::kNoNameMatch) {
            EXPECT_EQ(r.message.arg, c.text.trimmed());
        }
        if (!c.matched.isEmpty()) {
            EXPECT_EQ(model.matchedRows(), c.matched) << c.text.toStdString();
        }
        EXPECT_EQ(model.currentRow(), c.current) << c.text.toStdString();
        EXPECT_EQ(r.moved, c.current != before) << c.text.toStdString();
    }

    // Show all clears the text and selects the first row again.
    model.select(3);
    EXPECT_TRUE(model.showAll().isNone());
    EXPECT_TRUE(model.searchText().isEmpty());
    EXPECT_TRUE(model.matchedRows().isEmpty());
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(model.selectedRecord()->id, kPatients[0].first);
}

TEST(PatientListModelTest, SelectionMovesOnlyToAnotherRealRow) {
    test::TempDataRoot root;
    writeRegistry(root.path(), kPatients);
    PatientListModel model(root.path());
    model.load();
    EXPECT_FALSE(model.select(0)); // already selected
    EXPECT_TRUE(model.select(2));
    EXPECT_EQ(model.selectedPosition(), 3);
    EXPECT_FALSE(model.select(2));
    EXPECT_FALSE(model.select(4));
    EXPECT_FALSE(model.select(-1));
    EXPECT_EQ(model.currentRow(), 2);
}

TEST(PatientListModelTest, EmptyAndDamagedRegistries) {
    test::TempDataRoot root;
    PatientListModel model(root.path());
    EXPECT_TRUE(model.load().isNone()); // no file: no patients
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.hasSelection());
    EXPECT_EQ(model.selectedRecord(), nullptr);
    EXPECT_EQ(model.selectedPosition(), 0);
    model.setSearchText(QStringLiteral("1"));
    EXPECT_EQ(model.find().message.id, ids::kNoIdMatch);

    // A 16-character id is a damaged record: the list stops before it.
    writeRegistry(root.path(),
                  {kPatients[0], {QString(16, u'1'), QStringLiteral("X")}, kPatients[1]});
    const Message m = model.load();
    EXPECT_EQ(m.id, ids::kDamagedFile);
    EXPECT_EQ(m.arg, QStringLiteral("UserDA.txt"));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.currentRow(), 0);
}

} // namespace
