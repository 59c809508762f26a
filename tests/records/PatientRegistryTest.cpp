#include "records/PatientRegistry.h"
#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/Prompter.h"
#include "records/BinaryFile.h"
#include "support/TestData.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

constexpr int kRecord = PatientRecord::kSize;

// One record as the test lays it out: id, name and revision, other fields empty.
QByteArray recordBytes(const QString& id, const QString& name, int32_t revision = 8) {
    return test::ByteWriter().text(id, 32).text(name, 82).zeros(1384 - 114).i32(revision).bytes();
}

QByteArray registryBytes(int32_t count, const QStringList& ids) {
    test::ByteWriter w;
    w.i32(count);
    for (const QString& id : ids)
        w.raw(recordBytes(id, QStringLiteral("Name ") + id));
    return w.bytes();
}

PatientFields fields(const QString& id, const QString& name = QStringLiteral("Ann")) {
    PatientFields f;
    f.id = id;
    f.name = name;
    return f;
}

int32_t countIn(const QByteArray& file) {
    return file.size() < 4 ? 0 : int32_t(getLE32(reinterpret_cast<const uint8_t*>(file.data())));
}

class PatientRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    }
    void TearDown() override {
        BinaryFile::failWritesAfter(-1);
        Langpack::unload();
    }
    QString registryPath() const { return paths::registry(root.path()); }
    QByteArray registryFile() const { return test::readAll(registryPath()); }
    void writeRegistry(const QByteArray& bytes) const {
        ASSERT_TRUE(test::writeAll(registryPath(), bytes));
    }
    // Sparse registry holding `count` records: only the count is meaningful.
    void writeFullRegistry(int32_t count) const {
        QFile f(registryPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(f.resize(4 + qint64(count) * kRecord));
        ASSERT_TRUE(f.seek(0));
        ASSERT_EQ(f.write(test::ByteWriter().i32(count).bytes()), 4);
    }
    Result<PatientAdded> add(const QString& id, bool homeShown = true) {
        return registry.add(fields(id), ids, homeShown);
    }

    test::TempDataRoot root;
    PatientRegistry registry{root.path()};
    PatientIdMap ids;
};

} // namespace

TEST_F(PatientRegistryTest, EmptyFileListsNothingAndTakesAnAdd) {
    writeRegistry({});
    EXPECT_TRUE(registry.loadAll().records.isEmpty());
    EXPECT_TRUE(registry.loadAll().message.isNone());
    const Result<PatientAdded> r = add(QStringLiteral("1"));
    EXPECT_EQ(r.value().position, 1);
    EXPECT_TRUE(r.message().isNone());
    EXPECT_EQ(registryFile().size(), 4 + kRecord);
    EXPECT_EQ(countIn(registryFile()), 1);
}

TEST_F(PatientRegistryTest, MissingFileIsCreatedByAnAddButNotByReading) {
    EXPECT_TRUE(registry.loadAll().records.isEmpty());
    EXPECT_EQ(registry.count().value(), 0);
    EXPECT_FALSE(QFileInfo::exists(registryPath()));
    EXPECT_EQ(add(QStringLiteral("A")).value().position, 1);
    EXPECT_EQ(registryFile().size(), 4 + kRecord);
}

TEST_F(PatientRegistryTest, AddWritesTheManagersRecord) {
    PatientFields f = fields(QStringLiteral("42"), QStringLiteral("Ann\r\nLee\r\n"));
    f.sexChoice = 1;
    f.date = QStringLiteral("2 Jan 2026");
    f.height = QStringLiteral("170");
    f.weight = QStringLiteral("12.500");
    f.telephone = QStringLiteral("one");
    f.remarks = QStringLiteral("four");
    ASSERT_EQ(registry.add(f, ids, true).value().position, 1);
    const PatientRecord r = registry.read(1).value();
    EXPECT_EQ(r.id, QStringLiteral("42"));
    EXPECT_EQ(r.name, QStringLiteral("AnnLee")); // no control character is stored
    EXPECT_EQ(r.sex, Langpack::text(61272));
    EXPECT_EQ(r.date, QStringLiteral("2 Jan 2026"));
    EXPECT_EQ(r.height, QStringLiteral("170"));
    EXPECT_EQ(r.weight, QStringLiteral("12.5"));
    EXPECT_EQ(r.telephone, QStringLiteral("one"));
    EXPECT_EQ(r.remarks, QStringLiteral("four"));
    EXPECT_EQ(r.revision, 8);
    EXPECT_TRUE(ids.contains(QStringLiteral("42")));
    // Add creates no recording files.
    EXPECT_FALSE(QFileInfo::exists(paths::snapData(root.path(), QStringLiteral("42"))));
}

TEST_F(PatientRegistryTest, RevisionMarkerFollowsTheHomePage) {
    ASSERT_EQ(add(QStringLiteral("1"), false).value().position, 1);
    ASSERT_EQ(add(QStringLiteral("2"), true).value().position, 2);
    EXPECT_EQ(registry.read(1).value().revision, 0);
    EXPECT_EQ(registry.read(2).value().revision, 8);
}

TEST_F(PatientRegistryTest, WeightEmptyAndZeroAreStoredAsZero) {
    PatientFields f = fields(QStringLiteral("1"));
    ASSERT_TRUE(registry.add(f, ids, true).ok());
    f.id = QStringLiteral("2");
    f.weight = QStringLiteral("0");
    ASSERT_TRUE(registry.add(f, ids, true).ok());
    EXPECT_EQ(registry.read(1).value().weight, QStringLiteral("0"));
    EXPECT_EQ(registry.read(2).value().weight, QStringLiteral("0"));
    EXPECT_EQ(weightForEdit(registry.read(2).value().weight), QString());
}

TEST_F(PatientRegistryTest, ManagerRefusesEmptyAndUnusableIdsWithoutWriting) {
    writeRegistry(registryBytes(0, {}));
    EXPECT_EQ(registry.add(fields(QString()), ids, true).message().id, 61314);
    EXPECT_EQ(registry.add(fields(QStringLiteral("1"), QString()), ids, true).message().id, 61315);
    for (const QString& bad :
         {QStringLiteral("../x"), QStringLiteral("a/b"), QStringLiteral(".."), QString(16, u'1')}) {
        const Result<PatientAdded> r = add(bad);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.message(), (Message{msg::kInvalidPatientId, bad}));
    }
    EXPECT_EQ(registryFile(), registryBytes(0, {}));
}

TEST_F(PatientRegistryTest, ManagerComparesIdsByIntegerValue) {
    ASSERT_TRUE(add(QStringLiteral("007")).ok());
    const QByteArray before = registryFile();
    const Result<PatientAdded> r = add(QStringLiteral("7"));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message().id, msg::kPatientIdExists);
    EXPECT_EQ(r.message().text(),
              QStringLiteral("User ID already exist,please reinput patient id!"));
    EXPECT_EQ(registryFile(), before);
    // Ids without leading digits all count as 0.
    ASSERT_TRUE(add(QStringLiteral("abc")).ok());
    EXPECT_EQ(add(QStringLiteral("xyz")).message().id, msg::kPatientIdExists);
    EXPECT_EQ(add(QStringLiteral("0")).message().id, msg::kPatientIdExists);
}

TEST_F(PatientRegistryTest, IdMapBuiltFromTheFileAndShrunkByDelete) {
    writeRegistry(registryBytes(2, {QStringLiteral("007"), QStringLiteral("12")}));
    PatientIdMap map(registry.loadAll().records);
    EXPECT_EQ(map.size(), 2);
    EXPECT_TRUE(map.contains(QStringLiteral("7")));
    ASSERT_TRUE(registry.remove(1, &map).ok());
    EXPECT_FALSE(map.contains(QStringLiteral("7")));
    EXPECT_TRUE(registry.add(fields(QStringLiteral("7")), map, true).ok());
}

TEST_F(PatientRegistryTest, QuickAddComparesWholeIdsIgnoringCase) {
    ASSERT_TRUE(add(QStringLiteral("007")).ok());
    const Result<PatientAdded> seven = registry.quickAdd(QStringLiteral("7"), QStringLiteral("Bo"),
                                                         QStringLiteral("Li"), registry.ids());
    EXPECT_EQ(seven.value().position, 2);
    const Result<PatientAdded> dup = registry.quickAdd(
        QStringLiteral(" AB1 "), QStringLiteral("x"), QStringLiteral("y"), {QStringLiteral("ab1")});
    EXPECT_FALSE(dup.ok());
    EXPECT_EQ(dup.message().id, 61317);
}

TEST_F(PatientRegistryTest, QuickAddWritesRecordAndBothFillers) {
    const Result<PatientAdded> r = registry.quickAdd(
        QStringLiteral("  P9 "), QStringLiteral(" Bo "), QStringLiteral("\tLi "), {});
    ASSERT_EQ(r.value().position, 1);
    const QByteArray expected = recordBytes(QStringLiteral("P9"), QStringLiteral("Bo Li"), 8);
    EXPECT_EQ(registryFile(), test::ByteWriter().i32(1).raw(expected).bytes());
    const QByteArray filler = test::ByteWriter().i32(0).raw(expected).bytes();
    EXPECT_EQ(test::readAll(paths::continueData(root.path(), QStringLiteral("P9"))), filler);
    EXPECT_EQ(test::readAll(paths::snapData(root.path(), QStringLiteral("P9"))), filler);
}

TEST_F(PatientRegistryTest, QuickAddChecksItsFieldsInOrder) {
    EXPECT_EQ(registry.quickAdd({}, QStringLiteral("a"), QStringLiteral("b"), {}).message().id,
              61314);
    EXPECT_EQ(registry.quickAdd(QStringLiteral("1"), {}, QStringLiteral("b"), {}).message().id,
              61315);
    EXPECT_EQ(registry.quickAdd(QStringLiteral("1"), QStringLiteral("a"), {}, {}).message().id,
              61316);
    EXPECT_EQ(registry.quickAdd(QStringLiteral("   "), QStringLiteral("a"), QStringLiteral("b"), {})
                  .message()
                  .id,
              msg::kInvalidPatientId);
    EXPECT_FALSE(QFileInfo::exists(registryPath()));
}

TEST_F(PatientRegistryTest, QuickAddWithoutRecordingFolderWritesNothing) {
    writeRegistry(registryBytes(0, {}));
    ASSERT_TRUE(QDir(paths::snapFolder(root.path())).removeRecursively());
    const Result<PatientAdded> r =
        registry.quickAdd(QStringLiteral("5"), QStringLiteral("a"), QStringLiteral("b"), {});
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message().id, 61318);
    EXPECT_EQ(registryFile(), registryBytes(0, {}));
}

TEST_F(PatientRegistryTest, CapacityAllowsAnAddAtFiveThousandOnly) {
    writeFullRegistry(5000);
    const Result<PatientAdded> ok = add(QStringLiteral("1"));
    EXPECT_EQ(ok.value().position, 5001);
    EXPECT_EQ(countIn(registryFile()), 5001);
    const Result<PatientAdded> full = add(QStringLiteral("2"));
    EXPECT_FALSE(full.ok());
    EXPECT_EQ(full.message().id, 61265);
    const Result<PatientAdded> quick =
        registry.quickAdd(QStringLiteral("3"), QStringLiteral("a"), QStringLiteral("b"), {});
    EXPECT_EQ(quick.message().id, 61265);
    EXPECT_FALSE(QFileInfo::exists(paths::snapData(root.path(), QStringLiteral("3"))));
    EXPECT_EQ(countIn(registryFile()), 5001);
}

TEST_F(PatientRegistryTest, DamagedIdStopsTheListAtThatRecord) {
    writeRegistry(registryBytes(3, {QStringLiteral("1"), QString(16, u'2'), QStringLiteral("3")}));
    const PatientList list = registry.loadAll();
    ASSERT_EQ(list.records.size(), 1);
    EXPECT_EQ(list.records[0].id, QStringLiteral("1"));
    EXPECT_EQ(list.message, (Message{61218, QStringLiteral("UserDA.txt")}));
    EXPECT_EQ(registry.read(2).message().id, 61218);
}

TEST_F(PatientRegistryTest, NegativeCountIsADamagedRegistry) {
    writeRegistry(registryBytes(-1, {QStringLiteral("1")}));
    const QByteArray before = registryFile();
    EXPECT_TRUE(registry.loadAll().records.isEmpty());
    EXPECT_EQ(registry.loadAll().message.id, 61218);
    EXPECT_EQ(registry.count().message().id, 61218);
    EXPECT_EQ(add(QStringLiteral("2")).message().id, 61218);
    EXPECT_EQ(registryFile(), before);
}

TEST_F(PatientRegistryTest, CountBeyondTheFileListsWholeRecordsOnly) {
    QByteArray bytes = registryBytes(3, {QStringLiteral("1"), QStringLiteral("2")});
    bytes.chop(100); // the second record is cut short
    writeRegistry(bytes);
    const PatientList list = registry.loadAll();
    ASSERT_EQ(list.records.size(), 1);
    EXPECT_EQ(list.message.id, 61218);
    EXPECT_EQ(add(QStringLiteral("9")).message().id, 61218);
    EXPECT_EQ(registryFile(), bytes);
}

TEST_F(PatientRegistryTest, BytesPastTheCountAreIgnored) {
    writeRegistry(registryBytes(1, {QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(registry.loadAll().records.size(), 1);
    ASSERT_EQ(add(QStringLiteral("3")).value().position, 2);
    EXPECT_EQ(registry.read(2).value().id, QStringLiteral("3"));
}

TEST_F(PatientRegistryTest, EditRewritesInPlaceAndKeepsTheId) {
    writeRegistry(registryBytes(2, {QStringLiteral("1"), QStringLiteral("2")}));
    PatientFields f = fields(QStringLiteral("ignored"), QStringLiteral("New"));
    f.weight = QStringLiteral("70.0");
    EXPECT_TRUE(registry.edit(2, f).ok());
    const PatientRecord r = registry.read(2).value();
    EXPECT_EQ(r.id, QStringLiteral("2"));
    EXPECT_EQ(r.name, QStringLiteral("New"));
    EXPECT_EQ(r.weight, QStringLiteral("70"));
    EXPECT_EQ(r.revision, 10);
    EXPECT_EQ(countIn(registryFile()), 2);
    EXPECT_EQ(registryFile().size(), 4 + 2 * kRecord);
    EXPECT_EQ(registry.read(1).value().name, QStringLiteral("Name 1"));
    EXPECT_EQ(registry.edit(0, f).message().id, 61319);
    EXPECT_EQ(registry.edit(3, f).message(),
              (Message{msg::kNoPatientAtPosition, QStringLiteral("3")}));
}

TEST_F(PatientRegistryTest, DeleteFirstOfThreeShiftsTheOthers) {
    const QByteArray bytes =
        registryBytes(3, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    writeRegistry(bytes);
    ASSERT_TRUE(registry.remove(1, nullptr, QStringLiteral("1")).ok());
    const QByteArray after = registryFile();
    ASSERT_EQ(after.size(), bytes.size());
    EXPECT_EQ(countIn(after), 2);
    EXPECT_EQ(after.mid(4, 2 * kRecord), bytes.mid(4 + kRecord, 2 * kRecord));
    EXPECT_EQ(after.mid(4 + 2 * kRecord), bytes.mid(4 + 2 * kRecord)); // stale copy stays
}

TEST_F(PatientRegistryTest, DeleteLastOnlyRewritesTheCount) {
    const QByteArray bytes =
        registryBytes(3, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    writeRegistry(bytes);
    ASSERT_TRUE(registry.remove(3, nullptr).ok());
    const QByteArray after = registryFile();
    EXPECT_EQ(countIn(after), 2);
    EXPECT_EQ(after.mid(4), bytes.mid(4));
}

TEST_F(PatientRegistryTest, DeleteRemovesThePatientsFourFilesOnly) {
    writeRegistry(registryBytes(2, {QStringLiteral("1"), QStringLiteral("2")}));
    const QStringList own = {paths::continueIndex(root.path(), QStringLiteral("1")),
                             paths::continueData(root.path(), QStringLiteral("1")),
                             paths::snapData(root.path(), QStringLiteral("1")),
                             paths::snapIndex(root.path(), QStringLiteral("1"))};
    const QString other = paths::snapData(root.path(), QStringLiteral("2"));
    for (const QString& p : own + QStringList{other})
        ASSERT_TRUE(test::writeAll(p, "x"));
    ASSERT_TRUE(registry.remove(1, nullptr).ok());
    for (const QString& p : own)
        EXPECT_FALSE(QFileInfo::exists(p)) << qPrintable(p);
    EXPECT_TRUE(QFileInfo::exists(other));
}

// The registry never asks: callers check removable(), ask deleteQuestion()
// and remove the id they asked about. Whatever stops a delete changes nothing.
TEST_F(PatientRegistryTest, ARefusedDeleteKeepsTheRegistryAndTheFiles) {
    const QString con = paths::continueData(root.path(), QStringLiteral("1"));
    struct Case {
        const char* what;
        int counted; // records the count claims; the file holds ids 1 and 2
        int position;
        QString expectedId;
        Message message;
    };
    const Case cases[] = {
        {"damaged registry", 3, 1, {}, {61218, QStringLiteral("UserDA.txt")}},
        {"no position", 2, 0, {}, {61319, {}}},
        {"beyond the list", 2, 3, {}, {61902, QStringLiteral("3")}},
        {"another patient now", 2, 1, QStringLiteral("2"), {61902, QStringLiteral("1")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray bytes =
            registryBytes(c.counted, {QStringLiteral("1"), QStringLiteral("2")});
        writeRegistry(bytes);
        ASSERT_TRUE(test::writeAll(con, "x"));
        if (c.expectedId.isNull()) {
            EXPECT_EQ(registry.removable(c.position).message(), c.message);
        }
        const Result<> r = registry.remove(c.position, nullptr, c.expectedId);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.message(), c.message);
        EXPECT_TRUE(QFileInfo::exists(con));
        EXPECT_EQ(registryFile(), bytes);
    }
    EXPECT_EQ(PatientRegistry::deleteQuestion(QStringLiteral("1")),
              (Message{61321, QStringLiteral("1")}));
    EXPECT_TRUE(registry.remove(1, nullptr, QStringLiteral("1")).ok());
}

TEST_F(PatientRegistryTest, SearchByIdAndByName) {
    writeRegistry(
        registryBytes(3, {QStringLiteral("A12"), QStringLiteral("123"), QStringLiteral("a12")}));
    EXPECT_EQ(registry.search(PatientSearchField::Id, QStringLiteral(" 12 ")).value(),
              (QVector<int>{1, 2, 3}));
    EXPECT_EQ(registry.search(PatientSearchField::Id, QStringLiteral("A1")).value(),
              (QVector<int>{1}));
    EXPECT_EQ(registry.search(PatientSearchField::Name, QStringLiteral("NAME a")).value(),
              (QVector<int>{1, 3}));
    EXPECT_EQ(registry.search(PatientSearchField::Id, QStringLiteral("  ")).message().id, 61240);
    EXPECT_EQ(registry.search(PatientSearchField::Id, QStringLiteral("9 ")).message(),
              (Message{61241, QStringLiteral("9")}));
    EXPECT_EQ(registry.search(PatientSearchField::Name, QStringLiteral("zed")).message(),
              (Message{61242, QStringLiteral("zed")}));
}

TEST_F(PatientRegistryTest, ChartRecordIsRegisteredUnchanged) {
    PatientRecord chart =
        PatientRecord::decode(recordBytes(QStringLiteral("C1"), QStringLiteral("From chart"), 10));
    chart.history = QStringLiteral("kept");
    ASSERT_TRUE(add(QStringLiteral("1")).ok());
    const Result<PatientAdded> r = registry.appendRecord(chart);
    EXPECT_EQ(r.value().position, 2);
    EXPECT_EQ(registryFile().mid(4 + kRecord, kRecord), chart.encode());
    EXPECT_EQ(registry.findById(QStringLiteral("c1")), 2);
    EXPECT_EQ(registry.findById(QStringLiteral("C2")), 0);
    chart.id = QStringLiteral("../etc");
    EXPECT_EQ(registry.appendRecord(chart).message().id, msg::kInvalidPatientId);
    EXPECT_EQ(countIn(registryFile()), 2);
}

TEST_F(PatientRegistryTest, FailedRecordWriteLeavesTheCount) {
    writeRegistry(registryBytes(1, {QStringLiteral("1")}));
    BinaryFile::failWritesAfter(100);
    const Result<PatientAdded> r = add(QStringLiteral("2"));
    BinaryFile::failWritesAfter(-1);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message(), (Message{61217, QStringLiteral("UserDA.txt")}));
    EXPECT_EQ(countIn(registryFile()), 1);
    EXPECT_EQ(registry.loadAll().records.size(), 1);
}

TEST_F(PatientRegistryTest, UnopenableRegistryReports61217) {
    const PatientRegistry nowhere(root.path() + QStringLiteral("/missing-folder"));
    EXPECT_EQ(nowhere.add(fields(QStringLiteral("1")), ids, true).message(),
              (Message{61217, QStringLiteral("UserDA.txt")}));
    EXPECT_EQ(nowhere.read(1).message().id, 61217);
}
