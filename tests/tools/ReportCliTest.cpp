// vantora-cli report read back with poppler: pdfinfo for pages and paper,
// pdftotext for the texts, pdftoppm for the strip's measured width.
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "support/CliRunner.h"
#include "support/TestData.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

using namespace vantora;

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class ReportCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
        ASSERT_EQ(test::runCli({"demo", "--data", root.path()}).exitCode, 0);
    }
    test::CliRun cli(const QStringList& args) const {
        return test::runCli(QStringList{"--data", root.path(), "--json"} + args);
    }
    QString pdf(const char* name) const { return root.path() + "/" + name; }
    test::TempDataRoot root;
};

// Width in millimetres of the lowest unbroken dark line of the page that
// spans more than half of it: the bottom line of the strip's last row.
double stripWidthMm(const QString& pdfPath, const QString& scratch) {
    constexpr int kDpi = 300;
    constexpr int kGapPixels = 2; // antialiasing may lighten a pixel or two
    run("pdftoppm", {"-gray", "-r", QString::number(kDpi), "-f", "1", "-l", "1", "-singlefile",
                     pdfPath, scratch});
    const QImage page(scratch + ".pgm");
    if (page.isNull())
        return -1;
    for (int y = page.height() - 1; y >= 0; --y) {
        int best = 0, first = -1, last = -1;
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) >= 200)
                continue;
            if (first < 0 || x - last > kGapPixels + 1)
                first = x;
            last = x;
            best = std::max(best, last - first + 1);
        }
        if (best > page.width() / 2)
            return best * 25.4 / kDpi;
    }
    return -1;
}

} // namespace

TEST_F(ReportCliTest, AnalysisReportReadBack) {
    const test::CliRun analysed =
        cli({"analyse", "--patient", "1001", "--mode", "snap", "--number", "2"});
    ASSERT_EQ(analysed.exitCode, 0) << analysed.err.toStdString();
    const QJsonArray p = analysed.json().toObject().value("parameters").toArray();
    ASSERT_EQ(p.size(), 10);

    const struct {
        const char* paper;
        const char* out;
        const char* size;
    } cases[] = {{"a4", "a4.pdf", "842 x 595"}, {"letter", "letter.pdf", "792 x 612"}};
    for (const auto& c : cases) {
        const test::CliRun made =
            cli({"report", "--patient", "1001", "--mode", "snap", "--number", "2", "--analysis",
                 "--diagnosis", "Looks fine", "--paper", c.paper, "--out", pdf(c.out)});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
        EXPECT_EQ(made.json().toObject().value("pages").toInt(), 1);
        EXPECT_EQ(made.json().toObject().value("out").toString(), pdf(c.out));
        const QString info = run("pdfinfo", {pdf(c.out)});
        EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QString("Page size:       ") + c.size)) << info.toStdString();
        EXPECT_NEAR(stripWidthMm(pdf(c.out), root.path() + "/page"), 250.0, 0.5) << c.paper;
    }
    const QString text = run("pdftotext", {"-layout", pdf("a4.pdf"), "-"});
    QStringList expected{"Anna Berg", "Looks fine", Langpack::text(ids::kAnalysisTitle)};
    for (const int k : {4, 6, 7, 8, 9})
        expected << QString::number(p[k].toInt()) + " ";
    expected << QString::asprintf("%.2f", p[5].toInt() * 10.0 / 175.0);
    for (const QString& e : expected)
        EXPECT_TRUE(text.contains(e)) << e.toStdString() << "\n" << text.toStdString();
}

TEST_F(ReportCliTest, RecordReportsOnePagePerRecording) {
    const int count =
        cli({"recordings", "list", "--patient", "1001", "--mode", "snap"}).json().toArray().size();
    ASSERT_GT(count, 1);
    ASSERT_EQ(cli({"notes", "set", "--patient", "1001", "--mode", "snap", "--number", "2", "--text",
                   "Noted for the report"})
                  .exitCode,
              0);
    const test::CliRun made =
        cli({"report", "--patient", "1001", "--mode", "snap", "--all", "--out", pdf("all.pdf")});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_EQ(made.json().toObject().value("pages").toInt(), count);
    const QString info = run("pdfinfo", {pdf("all.pdf")});
    EXPECT_TRUE(info.contains(QRegularExpression(QString("Pages:\\s+%1\\n").arg(count))));
    // Page 2 carries recording 2's note as its diagnosis, page 1 does not.
    const auto page = [&](int k) {
        return run("pdftotext",
                   {"-f", QString::number(k), "-l", QString::number(k), pdf("all.pdf"), "-"});
    };
    EXPECT_TRUE(page(2).contains("Noted for the report"));
    EXPECT_FALSE(page(1).contains("Noted for the report"));
    EXPECT_TRUE(page(1).contains(Langpack::text(ids::kSnapReportTitle)));

    // Nothing to report, and an unwritable target.
    ASSERT_EQ(
        cli({"patients", "quick-add", "--id", "Z9", "--first", "A", "--second", "B"}).exitCode, 0);
    EXPECT_EQ(
        cli({"report", "--patient", "Z9", "--mode", "snap", "--all", "--out", pdf("none.pdf")})
            .exitCode,
        1);
    EXPECT_EQ(cli({"report", "--patient", "1001", "--mode", "snap", "--number", "1", "--out",
                   root.path() + "/missing/dir/x.pdf"})
                  .exitCode,
              1);
    EXPECT_EQ(cli({"report", "--patient", "1001", "--mode", "snap", "--number", "1", "--start", "5",
                   "--end", "50", "--out", pdf("x.pdf")})
                  .exitCode,
              2);
}

// The trend report and `trend` read the same cache: the summary the report
// prints is the one the trend's rows give, worked out here from those rows.
TEST_F(ReportCliTest, TrendReportAgreesWithTheTrendRows) {
    const test::CliRun made =
        cli({"report", "--patient", "1002", "--trend", "--out", pdf("trend.pdf")});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const test::CliRun rows = cli({"trend", "--patient", "1002"});
    ASSERT_EQ(rows.exitCode, 0) << rows.err.toStdString();
    const QJsonArray points = rows.json().toArray();
    ASSERT_GT(points.size(), 240) << "the demo's Continuous patient has hours of recordings";
    EXPECT_EQ(made.json().toObject().value("recordings").toInt(), points.size());

    int minRate = 1000, maxRate = -1, rated = 0, stPast = 0, qtcPast = 0;
    double rateSum = 0;
    for (const QJsonValue& v : points) {
        const QJsonObject p = v.toObject();
        if (!p.value("analysed").toBool())
            continue;
        const int rate = p.value("heartRate").toInt();
        if (rate >= 0) {
            minRate = std::min(minRate, rate);
            maxRate = std::max(maxRate, rate);
            rateSum += rate;
            ++rated;
        }
        stPast += std::lround(std::fabs(p.value("stMm").toDouble()) * 100) >= 100;
        qtcPast += p.value("qtc").toInt() >= 470;
    }
    ASSERT_GT(rated, 0);
    ASSERT_GT(stPast, 0) << "the demo has an ST episode";
    const auto duration = [](int recordings) {
        const int s = recordings * 30;
        return s >= 3600 ? QString::asprintf("%d h %02d min", s / 3600, s % 3600 / 60)
               : s >= 60 ? QString::asprintf("%d min %02d s", s / 60, s % 60)
                         : QString::asprintf("%d s", s);
    };
    const QStringList expected{
        QString::asprintf("min %d bpm", minRate),
        QString::asprintf("mean %.0f bpm", rateSum / rated),
        QString::asprintf("max %d bpm", maxRate),
        "|ST| from 1.00 mm: " + duration(stPast),
        "QTc from 470 ms: " + duration(qtcPast),
    };
    const QString summary = made.json().toObject().value("summary").toString();
    // pdftotext breaks the wrapped summary into lines: compare word runs.
    const QString text = run("pdftotext", {pdf("trend.pdf"), "-"}).simplified();
    for (const QString& e : expected) {
        EXPECT_TRUE(summary.contains(e)) << e.toStdString() << " in " << summary.toStdString();
        EXPECT_TRUE(text.contains(e)) << e.toStdString() << " in the PDF";
    }
    for (const QString& e : {QString("Jonas Weber"), Langpack::text(ids::kTrendEcgTrend)})
        EXPECT_TRUE(text.contains(e)) << e.toStdString();
    EXPECT_TRUE(run("pdfinfo", {pdf("trend.pdf")}).contains(QRegularExpression("Pages:\\s+1\\n")));

    // Refusals: another store, and a patient without Continuous recordings.
    EXPECT_EQ(
        cli({"report", "--patient", "1002", "--trend", "--mode", "snap", "--out", pdf("x.pdf")})
            .exitCode,
        2);
    const test::CliRun none =
        cli({"report", "--patient", "1003", "--trend", "--out", pdf("none.pdf")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_TRUE(none.err.contains(Langpack::format(ids::kTrendNoContinuousRecordingsOf, "1003")))
        << none.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf("none.pdf")));
}
