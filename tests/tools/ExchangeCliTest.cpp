// vantora-cli picture, export-edf, export-csv and analyse --format csv on the
// demo data folder.
#include "support/CliRunner.h"
#include "support/FullDisk.h"

#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantora;
using test::runCli;

namespace {

class ExchangeCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(runCli({"demo", "--data", dir_.path()}).exitCode, 0); }
    test::CliRun cli(QStringList args) { return runCli(QStringList{"--data", dir_.path()} + args); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

} // namespace

TEST_F(ExchangeCliTest, PictureInEveryFormatAndRefusals) {
    // The picture needs Qt's GUI application with its fonts, whose caches the
    // sanitizer pass would report as leaks at exit.
    qputenv("ASAN_OPTIONS", "detect_leaks=0");
    const QStringList recording{"--patient", "1001", "--mode", "snap", "--number", "1"};
    const struct {
        const char* name;
        int exitCode;
        QByteArray format;
    } cases[] = {{"p.bmp", 0, "bmp"}, {"p.jpeg", 0, "jpeg"}, {"p.jpg", 0, "jpeg"},
                 {"p.gif", 0, "gif"}, {"p.tiff", 0, "tiff"}, {"p.tif", 0, "tiff"},
                 {"p.png", 0, "png"}, {"p.svg", 1, ""},      {"none/p.png", 1, ""}};
    for (const auto& c : cases) {
        const test::CliRun r =
            cli(QStringList{"picture"} + recording + QStringList{"--out", file(c.name)});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << r.err.toStdString();
        EXPECT_EQ(QImageReader::imageFormat(file(c.name)), c.format) << c.name;
        if (!c.format.isEmpty()) {
            EXPECT_EQ(QImage(file(c.name)).size(), QSize(783, 600)) << c.name;
        }
    }
    EXPECT_EQ(
        cli({"picture", "--patient", "1001", "--mode", "snap", "--all", "--out", file("a.png")})
            .exitCode,
        2);
}

TEST_F(ExchangeCliTest, ExportsKeepTheStoreAndTrendHasARowPerRecording) {
    const QStringList patient{"--patient", "1001", "--mode", "snap"};
    const QByteArray before = cli(QStringList{"--json", "recordings", "list"} + patient).out;
    const test::CliRun edf =
        cli(QStringList{"export-edf"} + patient + QStringList{"--all", "--out", file("all.edf")});
    ASSERT_EQ(edf.exitCode, 0) << edf.err.toStdString();
    // The demo's Snap recordings are minutes apart: a file each, and it says so.
    const QList<QByteArray> written = edf.out.split('\n');
    ASSERT_EQ(written.size(), 5);
    EXPECT_TRUE(written[0].contains("several files")) << written[0].toStdString();
    EXPECT_EQ(written.mid(1),
              (QList<QByteArray>{file("all.edf").toUtf8(), file("all-2.edf").toUtf8(),
                                 file("all-3.edf").toUtf8(), ""}));
    ASSERT_EQ(cli(QStringList{"export-csv"} + patient +
                  QStringList{"--number", "2", "--out", file("two.csv")})
                  .exitCode,
              0);
    EXPECT_EQ(test::readAll(file("two.csv")).count('\n'), 3 + 7500);
    EXPECT_EQ(cli(QStringList{"--json", "recordings", "list"} + patient).out, before);

    const test::CliRun trend =
        cli(QStringList{"analyse"} + patient + QStringList{"--all", "--format", "csv"});
    ASSERT_EQ(trend.exitCode, 0) << trend.err.toStdString();
    const QList<QByteArray> lines = trend.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "number,start,heart_rate_bpm,st_mm,pr_ms,qrs_ms,qt_ms,qtc_ms");
    for (int n = 1; n <= 3; ++n) {
        const QList<QByteArray> cells = lines[n].split(',');
        ASSERT_EQ(cells.size(), 8) << n;
        EXPECT_EQ(cells[0].toInt(), n);
        bool ok = false;
        const int rate = cells[2].toInt(&ok);
        EXPECT_TRUE(ok && rate > 30 && rate < 250) << lines[n].toStdString();
    }
    EXPECT_EQ(cli(QStringList{"analyse"} + patient + QStringList{"--all"}).exitCode, 2);
}

// A file that cannot be written whole fails the command (status 1, never 0)
// naming the file and the reason: in a folder that does not exist, and on a
// full tmpfs (when the test may mount one), where the earlier file stays as
// it was, nothing else is left and the chart's recordings stay in the store.
TEST_F(ExchangeCliTest, UnwritableOutputFailsWithTheFileAndTheReason) {
    qputenv("ASAN_OPTIONS", "detect_leaks=0");
    const QStringList one{"--patient", "1001", "--mode", "snap", "--number", "1"};
    const struct {
        const char* command;
        const char* file;
    } cases[] = {{"export-edf", "x.edf"}, {"export-csv", "x.csv"}, {"report", "x.pdf"},
                 {"picture", "x.gif"},    {"picture", "x.png"},    {"export", "x.cEcg"}};
    const QStringList list{"--json", "recordings", "list", "--patient", "1001", "--mode", "snap"};
    const QByteArray stored = cli(list).out;
    const auto run = [&](const char* command, const QString& out) {
        QStringList args = QStringList{command} + one + QStringList{"--out", out};
        if (qstrcmp(command, "export") == 0)
            args << "--yes"
                 << "--force";
        return cli(args);
    };
    for (const auto& c : cases) {
        const QString missing = file(QStringLiteral("missing/") + c.file);
        const test::CliRun r = run(c.command, missing);
        EXPECT_EQ(r.exitCode, 1) << c.file;
        EXPECT_TRUE(r.err.contains(missing + ": No such file or directory")) << r.err.toStdString();
    }
    const QString full = file("full");
    ASSERT_TRUE(QDir().mkpath(full));
    const test::SmallFileSystem disk(full);
    if (!disk.error().empty())
        GTEST_SKIP() << disk.error() << "; only the missing folder was tried";
    for (const auto& c : cases) {
        const QString target = full + u'/' + QLatin1String(c.file);
        ASSERT_TRUE(test::writeAll(target, "earlier"));
        ASSERT_TRUE(test::fillDisk(full + "/filler", 0));
        const test::CliRun r = run(c.command, target);
        EXPECT_EQ(r.exitCode, 1) << c.file;
        EXPECT_TRUE(r.err.contains(target + ": No space left on device")) << r.err.toStdString();
        EXPECT_EQ(test::readAll(target), "earlier") << c.file;
        QStringList left = QDir(full).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        EXPECT_EQ(left, (QStringList{"filler", QLatin1String(c.file)})) << c.file;
        QFile::remove(target);
        QFile::remove(full + "/filler");
    }
    EXPECT_EQ(cli(list).out, stored);
}

// vantora-cli trend on the demo's hours of Continuous recording: the rows of
// analyse --all with their end times, the same values as JSON, and periods.
TEST_F(ExchangeCliTest, TrendAgreesWithAnalyseAllAndCutsPeriods) {
    const QStringList patient{"--patient", "1002"};
    const test::CliRun all =
        cli(QStringList{"analyse", "--mode", "continuous", "--all", "--format", "csv"} + patient);
    ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
    const QList<QByteArray> expected = all.out.trimmed().split('\n');
    ASSERT_GE(expected.size(), 1 + 2 * 120) << "at least two hours";
    const test::CliRun csv = cli(QStringList{"trend"} + patient);
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    const QList<QByteArray> lines = csv.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), expected.size());
    EXPECT_EQ(lines[0], "number,start,end,heart_rate_bpm,st_mm,pr_ms,qrs_ms,qt_ms,qtc_ms");
    const test::CliRun json = cli(QStringList{"trend", "--format", "json"} + patient);
    const QJsonArray rows = json.json().toArray();
    ASSERT_EQ(rows.size(), lines.size() - 1);
    for (qsizetype n = 1; n < lines.size(); ++n) {
        QList<QByteArray> cells = lines[n].split(',');
        ASSERT_EQ(cells.size(), 9) << n;
        const QDateTime start = QDateTime::fromString(QString(cells[1]), Qt::ISODate);
        EXPECT_EQ(QDateTime::fromString(QString(cells[2]), Qt::ISODate), start.addSecs(30)) << n;
        const QJsonObject row = rows[n - 1].toObject();
        EXPECT_EQ(row["number"].toInt(), n);
        EXPECT_EQ(row["start"].toString(), QString(cells[1]));
        EXPECT_EQ(row["end"].toString(), QString(cells[2]));
        const QStringList values{QString::number(row["heartRate"].toInt()),
                                 QString::asprintf("%.2f", row["stMm"].toDouble()),
                                 QString::number(row["pr"].toInt()),
                                 QString::number(row["qrs"].toInt()),
                                 QString::number(row["qt"].toInt()),
                                 QString::number(row["qtc"].toInt())};
        EXPECT_EQ(values.join(u','), QString(cells.mid(3).join(','))) << n;
        cells.removeAt(2);
        EXPECT_EQ(cells.join(','), expected[n]) << n;
    }

    // Recording 1 spans 14:30:30-14:31:00, then 2, 3, ... every 30 s from 15:00 to 18:00.
    const struct {
        QStringList period;
        int first;
        int last;
    } periods[] = {
        {{"--from", "2026-11-05T15:00:00", "--to", "2026-11-05T15:10:00"}, 2, 21},
        {{"--from", "2026-11-05T15:00:15", "--to", "2026-11-05T15:00:45"}, 2, 3},
        {{"--from", "2026-11-05T17:59:45"}, 361, 361},
        {{"--to", "2026-11-05T14:31:00"}, 1, 1},
        {{"--from", "2026-11-05T14:40", "--to", "2026-11-05T14:50"}, 0, -1},
    };
    for (const auto& p : periods) {
        const test::CliRun r = cli(QStringList{"trend"} + patient + p.period);
        ASSERT_EQ(r.exitCode, 0) << p.period.join(' ').toStdString();
        const QList<QByteArray> got = r.out.trimmed().split('\n').mid(1);
        ASSERT_EQ(got.size(), p.last - p.first + 1) << p.period.join(' ').toStdString();
        for (qsizetype k = 0; k < got.size(); ++k)
            EXPECT_EQ(got[k], lines[p.first + k]);
    }
    const struct {
        QStringList args;
        int exitCode;
    } refusals[] = {
        {{"--from", "yesterday"}, 2},
        {{"--from", "2026-11-05T16:00", "--to", "2026-11-05T15:00"}, 2},
        {{"--format", "xml"}, 2},
        {{"--mode", "snap"}, 2},
    };
    for (const auto& r : refusals)
        EXPECT_EQ(cli(QStringList{"trend"} + patient + r.args).exitCode, r.exitCode)
            << r.args.join(' ').toStdString();
    EXPECT_EQ(cli({"trend", "--patient", "4711"}).exitCode, 1);
}
