// The replay page's record report of the selected recording: its number
// counts the list pages, saved as PDF and printed, read back with poppler.
#include "app/PageIds.h"
#include "core/Langpack.h"
#include "records/CSnapDataRepayProPage.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "support/PageFixture.h"

#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace vantora;

namespace {

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class ReplayReportCommandsTest : public test::PageFixture {
protected:
    CSnapDataRepayProPage* open() {
        PatientRecord p;
        p.id = "1001";
        p.name = "Anna Berg";
        p.revision = 8;
        EXPECT_TRUE(PatientRegistry(root_.path()).appendRecord(p).added());
        std::vector<SnapRecording> recordings(16);
        EcgGenerator generator;
        for (SnapRecording& r : recordings)
            r.blocks = generator.nextSnapBlocks();
        EXPECT_EQ(RecordingStore(root_.path(), kModeSnap, p.id).appendSnap(recordings).saved, 16);
        auto* view =
            openPage<CSnapDataRepayProPage>(page::kReplay, page::kReplay, [](CMainFrame& f) {
                return new CSnapDataRepayProPage(f);
            });
        view->setFileChooser([this](const FileRequest&) { return answer_; });
        return view;
    }
    std::optional<QString> answer_;
    QTemporaryDir out_;
};

} // namespace

TEST_F(ReplayReportCommandsTest, SavedAndPrintedReportOfTheSecondListPage) {
    CSnapDataRepayProPage* view = open();
    QTest::mouseClick(view->pageButton(CSnapDataRepayProPage::kNext), Qt::LeftButton);
    ASSERT_EQ(view->model().selected(), 0);

    answer_ = out_.filePath("saved.pdf");
    view->OnSavePdf();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out_.filePath("printed.pdf"));
    view->setPrinter(&printer);
    view->OnFilePrint();

    // Recording 16: the first item of the second page of 15.
    const QRegularExpression number(QRegularExpression::escape(Langpack::text(61233)) +
                                    ":\\s+16\\b");
    for (const char* name : {"saved.pdf", "printed.pdf"}) {
        const QString text = pdfText(out_.filePath(name));
        EXPECT_TRUE(text.contains(number)) << name << "\n" << text.toStdString();
        EXPECT_TRUE(text.contains("Anna Berg")) << name;
        EXPECT_TRUE(text.contains(Langpack::text(61220))) << name;
    }
    EXPECT_TRUE(messages_.isEmpty());
}
