// One recording, one instant: the analysis page's date field and tree row, the
// record and analysis reports, the command line's JSON and the EDF+ header
// written from the page all name the same start (and, for a Continuous
// segment, whose entry is stamped at its end, the same end).
#include "records/RecordingTime.h"
#include "records/StoreFixtures.h"
#include "render/ReportSources.h"
#include "support/CliRunner.h"
#include "support/LayoutCapture.h"
#include "support/PageFixture.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/AnalysisPage.h"

#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

const QSize kSheet(7128, 5040);

// The screen's text read back: "start" or "start – end" (the end's date only
// when it differs from the start's).
std::pair<QDateTime, QDateTime> readShown(const QString& text) {
    const QLocale locale = QLocale::system();
    const QStringList parts = text.split(QStringLiteral(" \u2013 "));
    const QDateTime start = locale.toDateTime(parts[0], stationDateTimeFormat());
    if (parts.size() < 2)
        return {start, {}};
    const QTime endTime = locale.toTime(parts[1], stationTimeFormat());
    return {start, endTime.isValid() ? QDateTime(start.date(), endTime)
                                     : locale.toDateTime(parts[1], stationDateTimeFormat())};
}

// Everything a report page draws, in drawing order, as one text.
QString drawnText(const ReportPage& page) {
    test::LayoutCapture capture(kSheet);
    QPainter painter(&capture);
    page.Render(ReportSurface{&painter, false});
    painter.end();
    QString all;
    for (const test::DrawnItem& item : capture.items())
        all += item.text;
    return all;
}

// The EDF header's start: "dd.mm.yy" at byte 168, "hh.mm.ss" at 176.
QDateTime edfStart(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(184);
    const QDate day = QDate::fromString(QString::fromLatin1(header.mid(168, 8)), "dd.MM.yy");
    const QTime time = QTime::fromString(QString::fromLatin1(header.mid(176, 8)), "hh.mm.ss");
    return QDateTime(day.addYears(day.year() < 1985 ? 100 : 0), time);
}

// Instants compared as readable text (an invalid one is empty).
QString iso(const QDateTime& at) {
    return at.toUTC().toString(Qt::ISODate);
}

class RecordingTimesTest : public test::PageFixture {};

TEST_F(RecordingTimesTest, ScreenReportsJsonAndEdfNameTheSameInstants) {
    struct Case {
        const char* what;
        RecordingMode mode;
        SystemTime stored;
        QDateTime start; // what every output must name
    };
    const QDate nov2(2026, 11, 2);
    int patient = 1000; // a patient of its own for every case
    for (const Case& c : {
             Case{"snap", RecordingMode::Snap, test::at(2, 9, 7, 5), {nov2, QTime(9, 7, 5)}},
             Case{"continuous",
                  RecordingMode::Continuous,
                  test::at(2, 9, 7, 5),
                  {nov2, QTime(9, 6, 35)}},
             Case{"continuous across midnight",
                  RecordingMode::Continuous,
                  test::at(3, 0, 0, 10),
                  {nov2, QTime(23, 59, 40)}},
         }) {
        SCOPED_TRACE(c.what);
        const QString id = QString::number(++patient);
        state_.recordingMode = c.mode;
        state_.analysisSelection = {};
        const int position = test::registerPatient(root_.path(), id);
        const RecordingStore store(root_.path(), c.mode, id);
        if (c.mode == RecordingMode::Snap)
            ASSERT_EQ(store.appendSnap(std::vector{test::snapRecording(3, c.stored)}).saved, 1);
        else
            ASSERT_TRUE(store.appendContinuous(test::segment(3), c.stored).ok());
        const QDateTime end = c.start.addSecs(30);

        // The screen: the date field, the tree row's tooltip.
        frame_.reset();
        auto* view = openPage<AnalysisPage>(page::kAnalysis, page::kAnalysis, [](PageHost& f) {
            return new AnalysisPage(f, test::binDir() + "/libbeatscan.so");
        });
        view->tree()->setCurrentIndex(
            view->tree()->model()->index(0, 0, view->tree()->model()->index(position - 1, 0)));
        const QString shown = view->dateField()->text();
        const auto [shownStart, shownEnd] = readShown(shown);
        EXPECT_EQ(iso(shownStart), iso(c.start)) << shown.toStdString();
        EXPECT_EQ(iso(shownEnd), iso(c.mode == RecordingMode::Continuous ? end : QDateTime()))
            << shown.toStdString();
        const QModelIndex treeRow = view->tree()->currentIndex();
        EXPECT_TRUE(treeRow.data().toString().startsWith(QStringLiteral("1  ")));
        EXPECT_EQ(treeRow.data(Qt::ToolTipRole).toString(), shown);

        // The reports print what the screen shows.
        const RecordReportSet set = ReadRecordReports(root_.path(), c.mode, position, {0});
        ASSERT_EQ(set.items.size(), 1u);
        // (The analysis report puts a Continuous end under its start: compared
        // without spaces.)
        const auto printed = [](const ReportPage& page) { return drawnText(page).remove(u' '); };
        const QString unspaced = QString(shown).remove(u' ');
        EXPECT_TRUE(printed(*MakeRecordReportPage(set, 0, kSheet)).contains(unspaced));
        AnalysisReportInput in;
        in.header = view->treeModel().selectedRecording()->entry;
        in.mode = view->treeModel().mode();
        EXPECT_TRUE(printed(*MakeAnalysisReportPage(view->model().samples(), in, kSheet))
                        .contains(unspaced));

        // The command line's JSON: ISO 8601 with the offset.
        const test::CliRun list =
            test::runCli({"--data", root_.path(), "--json", "recordings", "list", "--patient", id,
                          "--mode", c.mode == RecordingMode::Snap ? "snap" : "continuous"});
        ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
        const QJsonObject row = list.json().toArray().at(0).toObject();
        EXPECT_EQ(iso(QDateTime::fromString(row["start"].toString(), Qt::ISODate)), iso(c.start));
        EXPECT_EQ(iso(QDateTime::fromString(row["end"].toString(), Qt::ISODate)), iso(end));

        // EDF+ written from the page starts at the same second.
        const QString edf = root_.file(id + ".edf");
        view->setFileChooser([&edf](const FileRequest&) { return std::optional<QString>(edf); });
        view->OnExportForOtherTools();
        EXPECT_EQ(iso(edfStart(edf)), iso(c.start));
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
    }
}

} // namespace
