#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/Message.h"
#include "core/StringIds.h"
#include "records/PatientRecord.h"
#include "support/CliRunner.h"
#include "support/TestData.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

using test::CliRun;

class PatientsCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    }
    void TearDown() override { Langpack::unload(); }

    CliRun cli(const QStringList& args, const QByteArray& input = {}) const {
        return test::runCli(
            QStringList{QStringLiteral("--data"), root.path(), QStringLiteral("--json")} + args,
            input);
    }
    QJsonArray list() const {
        return cli({QStringLiteral("patients"), QStringLiteral("list")}).json().toArray();
    }
    CliRun add(const QString& id, QStringList more = {}) const {
        return cli(QStringList{QStringLiteral("patients"), QStringLiteral("add"),
                               QStringLiteral("--id"), id, QStringLiteral("--name"),
                               QStringLiteral("Name ") + id} +
                   more);
    }
    QByteArray registry() const { return test::readAll(paths::registry(root.path())); }

    test::TempDataRoot root;
};

} // namespace

TEST_F(PatientsCliTest, ListOfAnEmptyFolderIsAnEmptyArray) {
    const CliRun r = cli({QStringLiteral("patients"), QStringLiteral("list")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.json(), QJsonValue(QJsonArray()));
}

TEST_F(PatientsCliTest, AddStoresEveryFieldAndListShowsThem) {
    const CliRun r =
        add(QStringLiteral("007"),
            {QStringLiteral("--sex"), QStringLiteral("female"), QStringLiteral("--date"),
             QStringLiteral("1961-05-31"), QStringLiteral("--height"), QStringLiteral("170"),
             QStringLiteral("--weight"), QStringLiteral("12.500"), QStringLiteral("--telephone"),
             QStringLiteral("a"), QStringLiteral("--address"), QStringLiteral("b"),
             QStringLiteral("--history"), QStringLiteral("c"), QStringLiteral("--remarks"),
             QStringLiteral("d")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.json(), QJsonValue(QJsonObject{{"position", 1}}));
    const QJsonArray rows = list();
    ASSERT_EQ(rows.size(), 1);
    const QJsonObject p = rows[0].toObject();
    EXPECT_EQ(p["position"].toInt(), 1);
    EXPECT_EQ(p["id"].toString(), QStringLiteral("007"));
    EXPECT_EQ(p["name"].toString(), QStringLiteral("Name 007"));
    EXPECT_EQ(p["sex"].toString(), Langpack::text(ids::kFemale));
    EXPECT_EQ(p["date"].toString(), QStringLiteral("1961-05-31"));
    EXPECT_EQ(p["height"].toString(), QStringLiteral("170"));
    EXPECT_EQ(p["weight"].toString(), QStringLiteral("12.5"));
    EXPECT_EQ(p["telephone"].toString(), QStringLiteral("a"));
    EXPECT_EQ(p["address"].toString(), QStringLiteral("b"));
    EXPECT_EQ(p["history"].toString(), QStringLiteral("c"));
    EXPECT_EQ(p["remarks"].toString(), QStringLiteral("d"));
    EXPECT_EQ(p["revision"].toInt(), 8);
    EXPECT_EQ(p.size(), 12); // no key beyond those above
    EXPECT_EQ(registry().size(), 4 + 1388);
    // Each option lands in its own field of the record.
    const PatientRecord stored = PatientRecord::decode(registry().mid(4));
    const QString byField[] = {stored.height,  stored.weight,  stored.telephone,
                               stored.address, stored.history, stored.remarks};
    EXPECT_EQ(QStringList(std::begin(byField), std::end(byField)),
              (QStringList{"170", "12.5", "a", "b", "c", "d"}));
}

TEST_F(PatientsCliTest, ManagerAndPickerRulesForDuplicateIds) {
    ASSERT_EQ(add(QStringLiteral("007")).exitCode, 0);
    const CliRun dup = add(QStringLiteral("7"));
    EXPECT_EQ(dup.exitCode, 1);
    EXPECT_TRUE(
        dup.err.contains(QStringLiteral("User ID already exist,please reinput patient id!")));
    EXPECT_TRUE(dup.out.isEmpty());
    const CliRun quick =
        cli({QStringLiteral("patients"), QStringLiteral("quick-add"), QStringLiteral("--id"),
             QStringLiteral("7"), QStringLiteral("--first"), QStringLiteral("Bo"),
             QStringLiteral("--second"), QStringLiteral("Li")});
    EXPECT_EQ(quick.exitCode, 0) << qPrintable(quick.err);
    EXPECT_EQ(quick.json(), QJsonValue(QJsonObject{{"position", 2}}));
    EXPECT_TRUE(QFileInfo::exists(paths::snapData(root.path(), QStringLiteral("7"))));
    EXPECT_TRUE(QFileInfo::exists(paths::continueData(root.path(), QStringLiteral("7"))));
    const CliRun again =
        cli({QStringLiteral("patients"), QStringLiteral("quick-add"), QStringLiteral("--id"),
             QStringLiteral("007"), QStringLiteral("--first"), QStringLiteral("x"),
             QStringLiteral("--second"), QStringLiteral("y")});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err.trimmed(), Langpack::text(ids::kPatientIdTaken));
    EXPECT_EQ(list().size(), 2);
}

TEST_F(PatientsCliTest, UnusableIdIsRefusedAndNothingWritten) {
    ASSERT_EQ(add(QStringLiteral("1")).exitCode, 0);
    const QByteArray before = registry();
    const CliRun r = add(QStringLiteral("../up"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.trimmed(), Langpack::format(ids::kInvalidPatientId, QStringLiteral("../up")));
    EXPECT_EQ(registry(), before);
}

TEST_F(PatientsCliTest, EditByIdKeepsWhatIsNotGiven) {
    ASSERT_EQ(add(QStringLiteral("007"), {QStringLiteral("--weight"), QStringLiteral("65.50"),
                                          QStringLiteral("--address"), QStringLiteral("keep")})
                  .exitCode,
              0);
    ASSERT_EQ(add(QStringLiteral("ab1")).exitCode, 0);
    const auto edit = [&](const QString& id) {
        return cli({QStringLiteral("patients"), QStringLiteral("edit"), QStringLiteral("--id"), id,
                    QStringLiteral("--name"), QStringLiteral("Renamed ") + id});
    };
    const CliRun r = edit(QStringLiteral("ab1"));
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    EXPECT_EQ(r.json(), QJsonValue(QJsonObject{{"position", 2}}));
    ASSERT_EQ(edit(QStringLiteral("007")).exitCode, 0);
    const QJsonObject p = list()[0].toObject();
    EXPECT_EQ(p["id"].toString(), QStringLiteral("007"));
    EXPECT_EQ(p["name"].toString(), QStringLiteral("Renamed 007"));
    EXPECT_EQ(p["weight"].toString(), QStringLiteral("65.5"));
    EXPECT_EQ(p["address"].toString(), QStringLiteral("keep"));
    EXPECT_EQ(p["sex"].toString(), Langpack::text(ids::kMale));
    EXPECT_EQ(p["revision"].toInt(), 10);
    EXPECT_EQ(list()[1].toObject()["name"].toString(), QStringLiteral("Renamed ab1"));

    // Only the id as listed: not its integer value, not another case.
    const QByteArray before = registry();
    for (const QString& id : {QStringLiteral("7"), QStringLiteral("AB1"), QStringLiteral("5")}) {
        const CliRun missing = edit(id);
        EXPECT_EQ(missing.exitCode, 1) << qPrintable(id);
        EXPECT_EQ(missing.err.trimmed(), Langpack::format(ids::kNoPatientWithId, id));
    }
    EXPECT_EQ(registry(), before);
}

TEST_F(PatientsCliTest, DeleteAsksOnATerminalAndRefusesWithoutOne) {
    ASSERT_EQ(add(QStringLiteral("1")).exitCode, 0);
    ASSERT_EQ(add(QStringLiteral("2")).exitCode, 0);
    const QStringList del = {QStringLiteral("--data"), root.path(),
                             QStringLiteral("--json"), QStringLiteral("patients"),
                             QStringLiteral("delete"), QStringLiteral("--id"),
                             QStringLiteral("1")};
    // Piped input is no answer: a script must say --yes.
    const QByteArray before = registry();
    const CliRun piped = test::runCli(del, "y\n");
    EXPECT_EQ(piped.exitCode, 2);
    EXPECT_TRUE(piped.err.contains(QStringLiteral("--yes")));
    EXPECT_FALSE(
        piped.err.contains(Langpack::format(ids::kDeletePatientQuestion, QStringLiteral("1"))));
    EXPECT_EQ(registry(), before);

    const CliRun no = test::runCliOnTerminal(del, "n\n");
    EXPECT_EQ(no.exitCode, 0);
    EXPECT_EQ(no.json(), QJsonValue(QJsonObject{{"id", QStringLiteral("1")}, {"deleted", false}}));
    EXPECT_TRUE(
        no.err.contains(Langpack::format(ids::kDeletePatientQuestion, QStringLiteral("1"))));
    EXPECT_EQ(registry(), before);
    const CliRun yes = test::runCliOnTerminal(del, "y\n");
    EXPECT_EQ(yes.json().toObject()["deleted"].toBool(), true);
    const QJsonArray rows = list();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].toObject()["id"].toString(), QStringLiteral("2"));
    EXPECT_EQ(rows[0].toObject()["position"].toInt(), 1);
    const QStringList forced = {QStringLiteral("patients"), QStringLiteral("delete"),
                                QStringLiteral("--id"), QStringLiteral("2"),
                                QStringLiteral("--yes")};
    EXPECT_EQ(cli(forced).exitCode, 0);
    EXPECT_TRUE(list().isEmpty());
    const CliRun gone = cli(forced);
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.err.trimmed(), Langpack::format(ids::kNoPatientWithId, QStringLiteral("2")));
    EXPECT_EQ(registry().size(), 4 + 2 * 1388); // never shortened
}

// A folder the program never started in: the command prepares it as start-up does.
TEST_F(PatientsCliTest, QuickAddInANewFolder) {
    const QString fresh = root.file(QStringLiteral("new/data"));
    const CliRun r =
        test::runCli({QStringLiteral("--data"), fresh, QStringLiteral("--json"),
                      QStringLiteral("patients"), QStringLiteral("quick-add"),
                      QStringLiteral("--id"), QStringLiteral("43"), QStringLiteral("--first"),
                      QStringLiteral("Bo"), QStringLiteral("--second"), QStringLiteral("Li")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.json(), QJsonValue(QJsonObject{{"position", 1}}));
    for (RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous})
        EXPECT_TRUE(QFileInfo::exists(paths::dataFile(fresh, mode, QStringLiteral("43"))));
    EXPECT_EQ(test::readAll(paths::registry(fresh)).size(), 4 + 1388);
}

TEST_F(PatientsCliTest, SearchReturnsMatchingPositions) {
    ASSERT_EQ(add(QStringLiteral("120")).exitCode, 0);
    ASSERT_EQ(add(QStringLiteral("34")).exitCode, 0);
    ASSERT_EQ(add(QStringLiteral("512")).exitCode, 0);
    const QStringList search = {QStringLiteral("patients"), QStringLiteral("search")};
    EXPECT_EQ(cli(search + QStringList{QStringLiteral("--id"), QStringLiteral("12")}).json(),
              QJsonValue(QJsonArray{1, 3}));
    EXPECT_EQ(cli(search + QStringList{QStringLiteral("--name"), QStringLiteral("NAME 3")}).json(),
              QJsonValue(QJsonArray{2}));
    const CliRun none = cli(search + QStringList{QStringLiteral("--id"), QStringLiteral("99")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err.trimmed(), Langpack::format(ids::kNoIdMatch, QStringLiteral("99")));
}

TEST_F(PatientsCliTest, UsageErrorsExitWithTwo) {
    const QStringList p = {QStringLiteral("patients")};
    EXPECT_EQ(cli(p).exitCode, 2);
    EXPECT_EQ(cli(p + QStringList{QStringLiteral("frobnicate")}).exitCode, 2);
    EXPECT_EQ(
        cli(p + QStringList{QStringLiteral("add"), QStringLiteral("--name"), QStringLiteral("x")})
            .exitCode,
        2);
    // The field names of old are gone, and so is addressing by position.
    for (const char* option :
         {"--sex=third", "--sex=first", "--number=1", "--decimal=1", "--text1=a", "--text4=a"}) {
        const QStringList pair = QString::fromLatin1(option).split(u'=');
        EXPECT_EQ(add(QStringLiteral("1"), pair).exitCode, 2) << option;
    }
    EXPECT_EQ(
        add(QStringLiteral("1"), {QStringLiteral("--date"), QStringLiteral("31.05.1961")}).exitCode,
        2);
    for (const QString& action : {QStringLiteral("edit"), QStringLiteral("delete")}) {
        EXPECT_EQ(cli(p + QStringList{action, QStringLiteral("--yes")}).exitCode, 2);
        EXPECT_EQ(cli(p + QStringList{action, QStringLiteral("--id"), QStringLiteral("1"),
                                      QStringLiteral("--position"), QStringLiteral("1"),
                                      QStringLiteral("--yes")})
                      .exitCode,
                  2);
    }
    EXPECT_EQ(
        cli(p + QStringList{QStringLiteral("search"), QStringLiteral("--id"), QStringLiteral("1"),
                            QStringLiteral("--name"), QStringLiteral("a")})
            .exitCode,
        2);
    EXPECT_EQ(cli(p + QStringList{QStringLiteral("search")}).exitCode, 2);
    EXPECT_EQ(cli(p + QStringList{QStringLiteral("list"), QStringLiteral("extra")}).exitCode, 2);
    EXPECT_FALSE(QFileInfo::exists(paths::registry(root.path())));
}

TEST_F(PatientsCliTest, DamagedRegistryListsWhatCanBeReadThenFails) {
    const QByteArray bytes = test::ByteWriter()
                                 .i32(2)
                                 .text(QStringLiteral("1"), 32)
                                 .zeros(1388 - 32)
                                 .text(QString(16, u'9'), 32)
                                 .zeros(1388 - 32)
                                 .bytes();
    ASSERT_TRUE(test::writeAll(paths::registry(root.path()), bytes));
    const CliRun r = cli({QStringLiteral("patients"), QStringLiteral("list")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.json().toArray().size(), 1);
    EXPECT_EQ(r.err.trimmed(), Langpack::format(ids::kDamagedFile, QStringLiteral("UserDA.txt")));
}

// Control characters typed (a terminal's escape sequences, a bell) are not
// stored; those in a registry written before are listed as U+FFFD.
TEST_F(PatientsCliTest, ControlCharactersNeverReachTheTerminal) {
    const QString esc = QStringLiteral("\x1b[2J\x07");
    ASSERT_EQ(cli({QStringLiteral("patients"), QStringLiteral("quick-add"), QStringLiteral("--id"),
                   QStringLiteral("1"), QStringLiteral("--first"), esc + QStringLiteral("Ann"),
                   QStringLiteral("--second"), QStringLiteral("Lee")})
                  .exitCode,
              0);
    ASSERT_EQ(cli({QStringLiteral("patients"), QStringLiteral("add"), QStringLiteral("--id"),
                   QStringLiteral("2"), QStringLiteral("--name"), QStringLiteral("Bo\x1b]0;x\x07")})
                  .exitCode,
              0);
    // A third record laid out raw, as an older station may have left it.
    QByteArray bytes = registry();
    bytes.replace(0, 4, test::ByteWriter().i32(3).bytes());
    bytes.append(test::ByteWriter()
                     .text(QStringLiteral("3"), 32)
                     .text(QStringLiteral("Cy\x1b[31m"), 82)
                     .zeros(1388 - 114)
                     .bytes());
    ASSERT_TRUE(test::writeAll(paths::registry(root.path()), bytes));
    const CliRun text = test::runCli({QStringLiteral("--data"), root.path(),
                                      QStringLiteral("patients"), QStringLiteral("list")});
    ASSERT_EQ(text.exitCode, 0) << qPrintable(text.err);
    const QStringList rows = QString::fromUtf8(text.out).split(u'\n', Qt::SkipEmptyParts);
    const QStringList names{QStringLiteral("[2JAnn Lee"), QStringLiteral("Bo]0;x"),
                            QStringLiteral("Cy\uFFFD[31m")};
    ASSERT_EQ(rows.size(), names.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].split(u'\t').value(2), names[i]) << i;
    for (const char c : text.out)
        EXPECT_TRUE(uchar(c) >= 0x20 || c == '\t' || c == '\n') << int(c);
}
