// The replay page's record reports: the selected recording's number counts
// the list pages; the all-recordings box takes the whole list page into one
// PDF; the toolbar button saves on the paper its menu chose. Read back with
// poppler. The preview takes the same recordings.
#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "records/ReplayFixtures.h"
#include "render/ReportSources.h"
#include "support/PageFixture.h"
#include "support/PreviewSheets.h"
#include "ui/dialogs/ReportPrinting.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/PrintPreviewView.h"
#include "ui/pages/ReplayPage.h"

#include <QCheckBox>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace vantora;

namespace {

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfInfo(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The frame's toolbar button of the page's Save as PDF command.
QAction* savePdfButton(const MainFrame& frame) {
    for (QAction* action : frame.toolbarTools()->actions())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S))
            return action;
    return nullptr;
}

class ReplayReportCommandsTest : public test::PageFixture {
protected:
    ReplayPage* open() {
        test::addSnapPatient(root_.path(), 16);
        auto* view = openPage<ReplayPage>(page::kReplay, page::kReplay,
                                          [](PageHost& f) { return new ReplayPage(f); });
        view->setFileChooser([this](const FileRequest& request) {
            requests_ << request;
            return answer_;
        });
        return view;
    }
    std::optional<QString> answer_;
    QList<FileRequest> requests_;
    QTemporaryDir out_;
};

} // namespace

TEST_F(ReplayReportCommandsTest, SavedAndPrintedReportOfTheSecondListPage) {
    ReplayPage* view = open();
    QTest::mouseClick(view->pageButton(ReplayPage::kNext), Qt::LeftButton);
    ASSERT_EQ(view->model().selected(), 0);

    answer_ = out_.filePath("saved.pdf");
    view->OnSavePdf();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out_.filePath("printed.pdf"));
    view->setPrinter(&printer);
    view->OnFilePrint();

    // Recording 16: the first item of the second page of 15.
    const QRegularExpression number = test::recordNumber(16);
    for (const char* name : {"saved.pdf", "printed.pdf"}) {
        const QString text = pdfText(out_.filePath(name));
        EXPECT_TRUE(text.contains(number)) << name << "\n" << text.toStdString();
        EXPECT_TRUE(text.contains("Anna Berg")) << name;
        EXPECT_TRUE(text.contains(Langpack::text(61220))) << name;
    }
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(ReplayReportCommandsTest, ToolbarSavesTheListPageOnTheChosenPaper) {
    QTemporaryDir settings;
    AppSettings::setStoreFile(settings.filePath(QStringLiteral("s.ini")));
    ReplayPage* view = open();
    QAction* pdf = savePdfButton(*frame_);
    ASSERT_NE(pdf, nullptr);
    EXPECT_TRUE(pdf->isEnabled());
    // The button shows with the page: a page left goes before it is deleted.
    view->hide();
    EXPECT_FALSE(frame_->toolbarTools()->actions().contains(pdf));
    view->show();
    EXPECT_TRUE(frame_->toolbarTools()->actions().contains(pdf));
    const QList<QAction*> papers = pdf->menu()->actions();
    ASSERT_EQ(papers.size(), 2);
    const struct {
        bool all;
        int paper; // menu item chosen first, -1: none
        QPageSize::PageSizeId remembered;
        int pages;
        const char* size;
        const char* name;
    } cases[] = {{false, -1, QPageSize::A4, 1, "842 x 595", "1001-1.pdf"},
                 {true, 1, QPageSize::Letter, 15, "792 x 612", "1001-1-15.pdf"},
                 {false, -1, QPageSize::Letter, 1, "792 x 612", "1001-1.pdf"},
                 {true, 0, QPageSize::A4, 15, "842 x 595", "1001-1-15.pdf"}};
    for (const auto& c : cases) {
        view->allRecordings()->setChecked(c.all);
        if (c.paper >= 0)
            papers[c.paper]->trigger();
        EXPECT_EQ(reportPaper(), c.remembered);
        EXPECT_TRUE(papers[c.remembered == QPageSize::A4 ? 0 : 1]->isChecked());
        answer_ = out_.filePath(QString::fromLatin1(c.name));
        requests_.clear();
        pdf->trigger();
        ASSERT_EQ(requests_.size(), 1);
        EXPECT_EQ(requests_[0].proposedName, c.name);
        const QString info = pdfInfo(*answer_);
        EXPECT_TRUE(
            info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(c.pages))))
            << info.toStdString();
        EXPECT_TRUE(info.contains(c.size)) << info.toStdString();
        // One page per recording, in list order.
        const QStringList pages = pdfText(*answer_).split(u'\f', Qt::SkipEmptyParts);
        ASSERT_EQ(pages.size(), c.pages);
        for (int k = 0; k < c.pages; ++k)
            EXPECT_TRUE(pages[k].contains(test::recordNumber(k + 1))) << k;
    }
    EXPECT_TRUE(messages_.isEmpty());
    AppSettings::setStoreFile(QString());
}

// Preview (32782) shows what print takes: the selected recording, or the whole
// list page with the box ticked, each drawn after the command has returned.
TEST_F(ReplayReportCommandsTest, PreviewShowsTheRecordingsPrintTakes) {
    QTemporaryDir settings;
    AppSettings::setStoreFile(settings.filePath(QStringLiteral("s.ini")));
    ReplayPage* view = open();
    for (const auto& [all, pages] : {std::pair{false, 1}, std::pair{true, 15}}) {
        view->allRecordings()->setChecked(all);
        ASSERT_TRUE(frame_->isCommandEnabled(cmd::kPrintPreview));
        frame_->runCommand(cmd::kPrintPreview);
        auto* preview = qobject_cast<PrintPreviewView*>(frame_->previewView());
        ASSERT_NE(preview, nullptr);
        EXPECT_FALSE(view->isVisible());
        EXPECT_EQ(preview->model().pageCount(), pages);
        while (preview->action(previewcmd::kNext)->isEnabled())
            preview->runCommand(previewcmd::kNext);
        EXPECT_EQ(preview->model().current(), pages - 1);
        const RecordReportSet last =
            ReadRecordReports(root_.path(), RecordingMode::Snap, 1, {pages - 1});
        ASSERT_EQ(last.items.size(), 1u);
        EXPECT_TRUE(test::sheetShows(
            *preview, 0, *MakeRecordReportPage(last, 0, reportSheetUnits(preview->sheetMm())),
            true));
        preview->runCommand(previewcmd::kClose);
        EXPECT_TRUE(view->isVisible());
    }
    AppSettings::setStoreFile(QString());
}
