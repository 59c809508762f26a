// The analysis page's report commands on a real page: save as PDF (also by
// Ctrl+Shift+S, and the toolbar button enabled with the report) and print on
// a printer chosen without the dialog, read back with poppler; and the
// document-writer refusal.
#include "AnalysisPageFixture.h"
#include "ui/dialogs/ReportPrinting.h"

#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <QToolBar>

using namespace vantora;

namespace {

QString poppler(const QString& program, const QString& pdf) {
    QProcess p;
    p.start(program, program == "pdftotext" ? QStringList{pdf, "-"} : QStringList{pdf});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class AnalysisReportCommandsTest : public test::AnalysisPageFixture {
protected:
    AnalysisPage* open() { return AnalysisPageFixture::open(QStringLiteral("Berg")); }
};

} // namespace

TEST_F(AnalysisReportCommandsTest, SavePdfOfTheSelectedRecording) {
    AnalysisPage* view = open();
    test::selectRow(view->tree(), 0);
    view->OnSavePdf(); // no recording: nothing asked
    EXPECT_TRUE(requests_.isEmpty());
    // The command's toolbar button beside print and preview follows the report.
    QAction* button = nullptr;
    for (QAction* action : frame_->toolbarTools()->actions())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S))
            button = action;
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isEnabled());

    test::selectRow(view->tree(), 0, 0);
    ASSERT_TRUE(view->model().analysisValid());
    EXPECT_TRUE(button->isEnabled());
    view->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view->window()));
    const struct {
        const char* name;
        bool written;
    } cases[] = {{"r.pdf", true}, {"missing/r.pdf", false}};
    for (const auto& c : cases) {
        answer_ = out_.filePath(c.name);
        messages_.clear();
        QTest::keyClick(view->tree(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(QFile::exists(*answer_), c.written) << c.name;
        EXPECT_EQ(messages_.isEmpty(), c.written) << c.name;
    }
    ASSERT_EQ(requests_.size(), 2);
    EXPECT_EQ(requests_[0].defaultSuffix, "pdf");
    EXPECT_EQ(requests_[0].proposedName, "1001-1.pdf");
    const QString info = poppler("pdfinfo", out_.filePath("r.pdf"));
    EXPECT_TRUE(info.contains("842 x 595")) << info.toStdString();
    EXPECT_TRUE(poppler("pdftotext", out_.filePath("r.pdf")).contains("1001 Berg"));
}

TEST_F(AnalysisReportCommandsTest, PrintGoesToTheChosenPrinterInLandscape) {
    AnalysisPage* view = open();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out_.filePath("printed.pdf"));
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Portrait); // the print path turns it
    view->setPrinter(&printer);
    view->OnFilePrint(); // nothing selected: nothing printed
    EXPECT_FALSE(QFile::exists(out_.filePath("printed.pdf")));
    test::selectRow(view->tree(), 0, 0);
    ASSERT_TRUE(view->model().analysisValid());
    view->OnFilePrint();
    ASSERT_TRUE(QFile::exists(out_.filePath("printed.pdf")));
    const QString info = poppler("pdfinfo", out_.filePath("printed.pdf"));
    EXPECT_TRUE(info.contains("792 x 612")) << info.toStdString();
    EXPECT_EQ(printer.docName(), "Sample Document");
}

TEST(DocumentWriter, RefusedWhenNameAndUriSayXps) {
    const struct {
        const char* name;
        const char* uri;
        bool refused;
    } cases[] = {{"Microsoft XPS Document Writer", "XPSPort:", true},
                 {"XPS Laser", "ipp://host/printers/laser", false},
                 {"Office", "xps-XPS:/", false},
                 {"xps writer", "xps:", false}};
    for (const auto& c : cases)
        EXPECT_EQ(isDocumentWriter(c.name, c.uri), c.refused) << c.name;
}
