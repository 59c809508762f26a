// Drives the built vantora-cli through its recording commands.
#include "StoreFixtures.h"
#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordingNotes.h"
#include "records/RecordingTime.h"
#include "support/CliRunner.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace vantora;
using namespace vantora::test;

namespace {

CliRun cli(const QString& data, const QStringList& args) {
    return runCli(QStringList{QStringLiteral("--data"), data} + args);
}

QStringList args(const char* text) {
    return QString::fromUtf8(text).split(u' ');
}

// Every file under root with its bytes.
std::map<QString, QByteArray> snapshot(const QString& root) {
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path] = readAll(path);
    }
    return files;
}

struct Demo {
    TempDataRoot root;
    QString data = root.file(QStringLiteral("demo"));
    Demo() { EXPECT_EQ(cli(data, {QStringLiteral("demo")}).exitCode, 0); }
};

void putCount(const QString& path, qint64 at, int32_t value) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(at);
    ASSERT_EQ(f.write(ByteWriter().i32(value).bytes()), 4);
}

// A small tmpfs under `dir` that the case fills up; unmounted on destruction.
// Mounting needs root: without it the full-disk case is skipped.
struct SmallDisk {
    QString dir;
    bool mounted = false;
    explicit SmallDisk(const QString& at) : dir(at) {
        QDir().mkpath(dir);
        mounted =
            QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=256k"), QStringLiteral("tmpfs"), dir}) == 0;
    }
    ~SmallDisk() {
        if (mounted)
            QProcess::execute(QStringLiteral("umount"), {dir});
    }
    // Fills the disk, then frees `pages` pages of 4096 bytes.
    void leave(int pages) const {
        QFile fill(dir + QStringLiteral("/fill"));
        ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
        const QByteArray page(4096, 'f');
        while (fill.write(page) == page.size() && fill.flush()) {
        }
        fill.close();
        ASSERT_TRUE(QFile::resize(fill.fileName(),
                                  std::max<qint64>(0, (fill.size() / 4096 - pages) * 4096)));
    }
};

struct Case {
    const char* what;
    std::function<void(const QString& data, const QString& chart)> damage;
    QStringList args; // "{out}" and "{chart}" are replaced
    int messageId;
    std::function<QString(const QString& data)> messageArg;
    int freePages = -1; // >= 0: the data folder lies on a full disk
};

QString snapData(const QString& data) {
    return paths::dataFile(data, RecordingMode::Snap, QStringLiteral("1001"));
}

// The registry's first record gets an id of 16 characters: the list stops
// there, so every later patient looks unknown.
void damageRegistry(const QString& data, const QString&) {
    QFile f(paths::registry(data));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(4);
    f.write(ByteWriter().text(QString(16, u'9'), 32).bytes());
}

void countBeyondData(const QString& data, const QString&) {
    putCount(snapData(data), 0, 9);
}

const Case kCases[] = {
    {"import with a damaged registry", damageRegistry,
     QStringList{"import", "{chart}", "--mode", "snap", "--yes"}, ids::kDamagedFile,
     [](const QString&) { return QStringLiteral("UserDA.txt"); }},
    {"export-edf, data count beyond the data", countBeyondData,
     QStringList{"export-edf", "--patient", "1001", "--mode", "snap", "--all", "--out",
                 "{out}/x.edf"},
     ids::kDamagedFile, snapData},
    {"export-csv, data count beyond the data", countBeyondData,
     QStringList{"export-csv", "--patient", "1001", "--mode", "snap", "--number", "1", "--out",
                 "{out}/x.csv"},
     ids::kDamagedFile, snapData},
    {"trend, data count beyond the data", countBeyondData,
     QStringList{"analyse", "--patient", "1001", "--mode", "snap", "--all", "--format", "csv"},
     ids::kDamagedFile, snapData},
    {"index count INT32_MAX",
     [](const QString& data, const QString&) {
         putCount(paths::indexFile(data, RecordingMode::Snap, QStringLiteral("1001")), 0,
                  INT32_MAX);
     },
     QStringList{"recordings", "list", "--patient", "1001", "--mode", "snap"}, ids::kDamagedFile,
     [](const QString& data) {
         return paths::indexFile(data, RecordingMode::Snap, QStringLiteral("1001"));
     }},
    {"chart export of a store without files", [](const QString&, const QString&) {},
     QStringList{"export", "--patient", "1003", "--mode", "continuous", "--all", "--yes", "--out",
                 "{out}/x.cEcg"},
     ids::kNoRecordingsOfKind, [](const QString&) { return QStringLiteral("1003"); }},
    {"chart export of a missing number", [](const QString&, const QString&) {},
     QStringList{"export", "--patient", "1003", "--mode", "continuous", "--number", "2", "--yes",
                 "--out", "{out}/x.cEcg"},
     ids::kNoRecordingNumber, [](const QString&) { return QStringLiteral("2"); }},
    {"quick-add, no room for the first file", [](const QString&, const QString&) {},
     QStringList{"patients", "quick-add", "--id", "77", "--first", "A", "--second", "B"},
     ids::kPatientFilesFailed, [](const QString&) { return QString(); }, 0},
    {"quick-add, no room for the second file", [](const QString&, const QString&) {},
     QStringList{"patients", "quick-add", "--id", "77", "--first", "A", "--second", "B"},
     ids::kPatientFilesFailed, [](const QString&) { return QString(); }, 1},
};

} // namespace

TEST(RecordingsCli, DemoIsDeterministicAndRefusesAFolderInUse) {
    Demo a;
    Demo b;
    for (const QString& dir :
         {QString(), QStringLiteral("/SnapData"), QStringLiteral("/ContinueData")}) {
        const QStringList files = QDir(a.data + dir).entryList(QDir::Files);
        EXPECT_FALSE(files.isEmpty());
        EXPECT_EQ(files, QDir(b.data + dir).entryList(QDir::Files));
        for (const QString& f : files)
            EXPECT_EQ(readAll(a.data + dir + u'/' + f), readAll(b.data + dir + u'/' + f))
                << f.toStdString();
    }
    const CliRun again = cli(a.data, {QStringLiteral("demo")});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(a.data));
}

TEST(RecordingsCli, ListAndSamplesMatchTheStore) {
    Demo d;
    for (const auto& [mode, name] : {std::pair{RecordingMode::Snap, "snap"},
                                     std::pair{RecordingMode::Continuous, "continuous"}}) {
        const CliRun list = cli(d.data, args("recordings list --patient 1001 --mode") << name);
        ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
        const RecordingStore store(d.data, mode, QStringLiteral("1001"));
        const auto listing = store.listIndex();
        const QJsonArray rows = list.json().toArray();
        ASSERT_EQ(rows.size(), qsizetype(listing.recordings.size()));
        ASSERT_FALSE(rows.isEmpty());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QJsonObject row = rows[i].toObject();
            const ListedRecording& r = listing.recordings[size_t(i)];
            EXPECT_EQ(row["number"].toInt(), i + 1);
            // ISO 8601 with an offset names the same instants as the entry.
            const RecordingSpan span = recordingSpan(mode, r.entry);
            EXPECT_EQ(QDateTime::fromString(row["start"].toString(), Qt::ISODate), span.start);
            EXPECT_EQ(QDateTime::fromString(row["end"].toString(), Qt::ISODate), span.end);
            EXPECT_EQ(row["kind"].toInt(), r.entry.kind);
            EXPECT_EQ(row["heartRate"].toInt(), r.entry.heartRate);
            const QJsonArray fields = row["systemTime"].toArray();
            ASSERT_EQ(fields.size(), 8);
            for (int f = 0; f < 8; ++f)
                EXPECT_EQ(fields[f].toInt(), r.entry.time.fields()[size_t(f)]);
        }
        const CliRun samples =
            cli(d.data, args("recordings samples --patient 1001 --number 2 --mode") << name);
        ASSERT_EQ(samples.exitCode, 0);
        const QJsonArray values = samples.json().toArray();
        const auto expected = store.readSamples(1).value();
        ASSERT_EQ(values.size(), 7500);
        for (int i = 0; i < 7500; i += 101)
            EXPECT_EQ(values[i].toInt(), expected[size_t(i)]);
    }
}

TEST(RecordingsCli, NotesRoundTrip) {
    Demo d;
    CliRun set = cli(d.data, args("notes set --patient 1002 --number 1 --mode snap --text")
                                 << QStringLiteral("sinus rhythm, T inverted"));
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    const CliRun get = cli(d.data, args("--json notes get --patient 1002 --number 1 --mode snap"));
    EXPECT_EQ(get.json().toObject()["text"].toString(), QStringLiteral("sinus rhythm, T inverted"));
    const CliRun other = cli(d.data, args("notes get --patient 1002 --number 2 --mode snap"));
    EXPECT_EQ(other.out.trimmed(), QByteArray());
    EXPECT_EQ(cli(d.data, args("notes get --patient 1002 --number 9 --mode snap")).exitCode, 1);

    // A recording stamped in the same second as recording 1 gets no note of
    // its own, and no longer shows recording 1's.
    const RecordingStore store(d.data, RecordingMode::Snap, QStringLiteral("1002"));
    const SnapRecording twin[] = {
        snapRecording(5, SystemTime::fromFields(store.readEntry(0).value().time.fields()))};
    ASSERT_EQ(store.appendSnap(twin).saved, 1);
    const CliRun refused =
        cli(d.data, args("notes set --patient 1002 --number 3 --mode snap --text x"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("same second"))) << refused.err.toStdString();
    for (const char* number : {"1", "3"})
        EXPECT_EQ(cli(d.data, args("notes get --patient 1002 --mode snap --number") << number)
                      .out.trimmed(),
                  QByteArray());
}

TEST(RecordingsCli, ExportImportAndRemove) {
    Demo d;
    const QString chart = d.root.file(QStringLiteral("one.cEcg"));
    const CliRun out =
        cli(d.data, args("export --patient 1001 --mode snap --number 2 --yes --out") << chart);
    ASSERT_EQ(out.exitCode, 0) << out.err.toStdString();
    EXPECT_EQ(readAll(chart).size(), 4 + 1388 + 7541);
    const auto list = [&] {
        return cli(d.data, args("recordings list --patient 1001 --mode snap"))
            .json()
            .toArray()
            .size();
    };
    EXPECT_EQ(list(), 2);
    const CliRun declined =
        cli(d.data, QStringList{QStringLiteral("import"), chart} << args("--mode snap"));
    EXPECT_EQ(declined.exitCode, 0);
    EXPECT_EQ(list(), 2);
    const CliRun wrongKind = cli(d.data, QStringList{QStringLiteral("import"), chart}
                                             << args("--mode continuous --yes"));
    EXPECT_EQ(wrongKind.exitCode, 1);
    const CliRun in =
        cli(d.data, QStringList{QStringLiteral("--json"), QStringLiteral("import"), chart}
                        << args("--mode snap --yes"));
    ASSERT_EQ(in.exitCode, 0) << in.err.toStdString();
    EXPECT_EQ(in.json().toObject()["imported"].toInt(), 1);
    EXPECT_EQ(list(), 3);
    ASSERT_EQ(
        cli(d.data, args("recordings remove --patient 1001 --mode snap --number 1 --yes")).exitCode,
        0);
    EXPECT_EQ(list(), 2);
    ASSERT_EQ(
        cli(d.data, args("recordings remove --patient 1001 --mode snap --all --yes")).exitCode, 0);
    EXPECT_EQ(list(), 0);
}

TEST(RecordingsCli, CardImportNeedsAPatient) {
    Demo d;
    const QString card = d.root.file(QStringLiteral("ECGDATA.DAT"));
    const SnapRecording r = snapRecording(3, at(1, 2, 3));
    SystemTime t = at(9, 8, 7);
    t.month = 11;
    writeAll(card,
             ByteWriter().i32(1).raw(cardFileRecord(t, 66, 84, blockBytes(r.blocks))).bytes());
    EXPECT_EQ(cli(d.data, QStringList{QStringLiteral("import"), card} << args("--mode snap --yes"))
                  .exitCode,
              2);
    const CliRun in = cli(d.data, QStringList{QStringLiteral("import"), card}
                                      << args("--mode continuous --patient 1003 --yes"));
    ASSERT_EQ(in.exitCode, 0) << in.err.toStdString();
    const QJsonArray rows =
        cli(d.data, args("recordings list --patient 1003 --mode continuous")).json().toArray();
    ASSERT_EQ(rows.size(), 1);
    // A Continuous entry stores its end; the start is 30 s before it.
    const QString end = rows[0].toObject()["end"].toString();
    EXPECT_TRUE(end.startsWith(QStringLiteral("2026-11-09T08:07:"))) << end.toStdString();
    EXPECT_EQ(QDateTime::fromString(rows[0].toObject()["start"].toString(), Qt::ISODate)
                  .secsTo(QDateTime::fromString(end, Qt::ISODate)),
              30);
    EXPECT_EQ(rows[0].toObject()["kind"].toInt(), 13);
}

TEST(RecordingsCli, UsageAndFailures) {
    Demo d;
    EXPECT_EQ(cli(d.data, args("recordings list --patient 1001 --mode live")).exitCode, 2);
    EXPECT_EQ(cli(d.data, args("recordings list --patient 1001")).exitCode, 2);
    EXPECT_EQ(
        cli(d.data, args("recordings samples --patient 1001 --mode snap --number 0")).exitCode, 2);
    EXPECT_EQ(cli(d.data, args("recordings remove --patient 1001 --mode snap --number 1")).exitCode,
              2);
    const CliRun unknown = cli(d.data, args("recordings list --patient 4711 --mode snap"));
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("4711")));
    const CliRun beyond =
        cli(d.data, args("recordings samples --patient 1001 --mode snap --number 4"));
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_FALSE(beyond.err.isEmpty());
    // Ids are found ignoring case, and the registered spelling names the files.
    registerPatient(d.data, QStringLiteral("AbC"));
    const SnapRecording r = snapRecording(4, at(3, 4, 5));
    RecordingStore(d.data, RecordingMode::Snap, QStringLiteral("AbC")).appendSnap(std::span(&r, 1));
    const CliRun lower = cli(d.data, args("recordings list --patient abc --mode snap"));
    ASSERT_EQ(lower.exitCode, 0) << lower.err.toStdString();
    EXPECT_EQ(lower.json().toArray().size(), 1);
}

// The chart may become the only copy of the recordings it takes from the store:
// a file already there is refused, unchanged, unless --force replaces it.
TEST(RecordingsCli, ExportKeepsAnExistingFileUnlessForced) {
    Demo d;
    const QString chart = d.root.file(QStringLiteral("earlier.cEcg"));
    const QByteArray earlier("an earlier chart, possibly the only copy");
    ASSERT_TRUE(writeAll(chart, earlier));
    const auto store = snapshot(d.data);
    QStringList exportTo = args("export --patient 1001 --mode snap --number 2 --yes --out")
                           << chart;
    const CliRun refused = cli(d.data, exportTo);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(chart) && refused.err.contains(QStringLiteral("--force")))
        << refused.err.toStdString();
    EXPECT_EQ(readAll(chart), earlier);
    EXPECT_EQ(snapshot(d.data), store);

    exportTo << QStringLiteral("--force");
    const CliRun forced = cli(d.data, exportTo);
    ASSERT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    EXPECT_EQ(readAll(chart).size(), 4 + 1388 + 7541);
    EXPECT_EQ(
        cli(d.data, args("recordings list --patient 1001 --mode snap")).json().toArray().size(), 2);
}

// Commands that remove or move recordings: without --yes a person answers on a
// terminal; piped input is no answer, the command is refused before it asks.
TEST(RecordingsCli, RemovalsAskOnATerminalAndRefuseWithoutOne) {
    const struct {
        const char* command;
        const char* question; // what the terminal shows
    } cases[] = {
        {"export --patient 1001 --mode snap --number 1 --out OUT", "OUT"},
        {"export --patient 1002 --mode continuous --all --out OUT", "OUT"},
        {"recordings remove --patient 1001 --mode snap --number 3", "1001"},
        {"recordings remove --patient 1003 --mode snap --all", "1003"},
        {"patients delete --id 1002", "1002"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        Demo d;
        const QString out = d.root.file(QStringLiteral("moved.cEcg"));
        const QStringList command =
            QStringList{QStringLiteral("--data"), d.data} +
            QString::fromUtf8(c.command).replace(QStringLiteral("OUT"), out).split(u' ');
        const QString question = QString::fromUtf8(c.question).replace(QStringLiteral("OUT"), out);
        const auto before = snapshot(d.data);

        const CliRun piped = runCli(command, "y\n");
        EXPECT_EQ(piped.exitCode, 2);
        EXPECT_TRUE(piped.err.contains(QStringLiteral("--yes"))) << piped.err.toStdString();
        EXPECT_FALSE(piped.err.contains(u'?'));
        EXPECT_EQ(snapshot(d.data), before);
        EXPECT_FALSE(QFileInfo::exists(out));

        const CliRun no = runCliOnTerminal(command, "n\n");
        EXPECT_EQ(no.exitCode, 0) << no.err.toStdString();
        EXPECT_TRUE(no.err.contains(question) && no.err.contains(QStringLiteral("[y/N]")))
            << no.err.toStdString();
        EXPECT_EQ(snapshot(d.data), before);
        EXPECT_FALSE(QFileInfo::exists(out));

        const CliRun yes = runCliOnTerminal(command, "y\n");
        EXPECT_EQ(yes.exitCode, 0) << yes.err.toStdString();
        EXPECT_NE(snapshot(d.data), before);
    }
}

TEST(RecordingsCli, AnalyseStretchOutsideTheRecordingIsAUsageError) {
    Demo d;
    const struct {
        int start, end, exitCode;
    } cases[] = {
        {0, 9000, 2},  {0, 7500, 2}, {-1, 100, 2},    {500, 500, 2},
        {600, 500, 2}, {0, 7499, 0}, {1000, 1001, 0},
    };
    for (const auto& c : cases) {
        const CliRun r = cli(d.data, args("analyse --patient 1001 --mode snap --number 1")
                                         << QStringLiteral("--start") << QString::number(c.start)
                                         << QStringLiteral("--end") << QString::number(c.end));
        EXPECT_EQ(r.exitCode, c.exitCode)
            << c.start << ".." << c.end << ": " << r.err.toStdString();
        EXPECT_EQ(r.out.isEmpty(), c.exitCode == 2) << c.start << ".." << c.end;
    }
}

// Damaged data files and a full disk: each command refuses with the file's
// name and leaves the data folder exactly as it was, also when tried twice.
TEST(RecordingsCli, DamagedFilesRefuseWithTheirNameAndWriteNothing) {
    ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
    TempDataRoot scratch;
    // A chart of patient 1002, made on a copy of the demo.
    const QString source = scratch.file(QStringLiteral("source"));
    const QString chart = scratch.file(QStringLiteral("1002.cEcg"));
    ASSERT_EQ(cli(source, {QStringLiteral("demo")}).exitCode, 0);
    ASSERT_EQ(cli(source, QString("export --patient 1002 --mode snap --all --yes --out").split(u' ')
                              << chart)
                  .exitCode,
              0);
    int caseNumber = 0;
    for (const Case& c : kCases) {
        const QString base = scratch.file(QStringLiteral("case%1").arg(++caseNumber));
        std::optional<SmallDisk> disk;
        if (c.freePages >= 0) {
            disk.emplace(base);
            if (!disk->mounted) {
                std::printf("skipped without mount: %s\n", c.what);
                continue;
            }
        }
        const QString data = base + QStringLiteral("/data");
        const QString out = base + QStringLiteral("/out");
        ASSERT_TRUE(QDir().mkpath(out));
        // Without the hours of Continuous recording: the folder fits the small disk.
        ASSERT_EQ(cli(data, args("demo --trend-hours 0")).exitCode, 0) << c.what;
        c.damage(data, chart);
        if (disk)
            disk->leave(c.freePages);
        QStringList args = c.args;
        args.replaceInStrings(QStringLiteral("{out}"), out);
        args.replaceInStrings(QStringLiteral("{chart}"), chart);
        const auto before = snapshot(data);
        for (int attempt = 1; attempt <= 2; ++attempt) {
            const CliRun run = cli(data, args);
            EXPECT_EQ(run.exitCode, 1) << c.what << ", try " << attempt;
            EXPECT_EQ(run.err.trimmed(), Langpack::format(c.messageId, c.messageArg(data)))
                << c.what;
            EXPECT_TRUE(run.out.isEmpty()) << c.what;
            EXPECT_EQ(snapshot(data), before) << c.what << ", try " << attempt;
            EXPECT_TRUE(QDir(out).isEmpty()) << c.what;
        }
    }
    Langpack::unload();
}
