// Printing through a real CUPS server (a private cupsd, PrivateCups): the
// analysis page's report and the replay page's list page reach the queue by
// the program's print path, the printer chosen without the dialog, as one
// landscape job per report named "Sample Document" with the patient's name;
// a queue whose name and device both say XPS is refused on the server's word.
#include "ui/dialogs/ReportPrinting.h"
#include "core/StringIds.h"
#include "records/ReplayFixtures.h"
#include "support/PrivateCups.h"
#include "ui/AnalysisPageFixture.h"
#include "ui/pages/ReplayPage.h"

#include <QCheckBox>
#include <QPrinter>
#include <QRegularExpression>

using namespace vantora;

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A job's document as poppler reads it.
struct Job {
    int pages = 0;
    QSizeF sizePt;
    QString text;
};

Job readJob(const QString& document) {
    Job job;
    const QString info = run(QStringLiteral("pdfinfo"), {document});
    job.pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    job.sizePt = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    job.text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), document, "-"});
    return job;
}

// Jobs printed by `print`: the documents the spool gained.
QStringList newJobs(const test::PrivateCups& cups, const std::function<void()>& print) {
    const qsizetype before = cups.jobDocuments().size();
    print();
    return cups.jobDocuments().mid(before);
}

class ReportPrintingTest : public test::AnalysisPageFixture {
protected:
    static void SetUpTestSuite() {
        cups_ = new test::PrivateCups;
        installed_ = cups_->installed();
        ready_ = installed_ && cups_->start() &&
                 cups_->addQueue(QStringLiteral("Ward"), QStringLiteral("file:///dev/null")) &&
                 cups_->addQueue(QStringLiteral("XPS-Laser"), QStringLiteral("file:///dev/null")) &&
                 cups_->addQueue(QStringLiteral("XPS-Document-Writer"),
                                 QStringLiteral("file:///dev/null?XPSPort"));
    }
    static void TearDownTestSuite() { delete cups_; }
    // Without CUPS the test is skipped; a CUPS that does not start fails it.
    void SetUp() override {
        AnalysisPageFixture::SetUp();
        if (!installed_)
            GTEST_SKIP() << "cupsd and lpadmin are not installed (scripts/deps installs "
                            "cups-daemon and cups-client)";
        ASSERT_TRUE(ready_) << "the test's CUPS server: " << cups_->error().toStdString();
    }

    // Prints on `queue` what `command` prints, the printer chosen without the dialog.
    template <class Page> QStringList printOn(Page* page, const QString& queue) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(queue);
        EXPECT_TRUE(printer.isValid()) << queue.toStdString();
        page->setPrinter(&printer);
        const QStringList jobs = newJobs(*cups_, [page] { page->OnFilePrint(); });
        page->setPrinter(nullptr);
        return jobs;
    }

    // A one-page landscape job named "Sample Document" on `queue` holding `texts`.
    static void expectReportJob(const QString& document, const QString& queue,
                                const QList<QRegularExpression>& texts) {
        const Job job = readJob(document);
        EXPECT_EQ(job.pages, 1) << document.toStdString();
        EXPECT_GT(job.sizePt.width(), job.sizePt.height()) << "landscape";
        for (const QRegularExpression& text : texts)
            EXPECT_TRUE(job.text.contains(text)) << text.pattern().toStdString() << "\n"
                                                 << job.text.toStdString();
        const QByteArray control = test::PrivateCups::controlOf(document);
        EXPECT_TRUE(control.contains("Sample Document")) << document.toStdString();
        EXPECT_TRUE(control.contains(queue.toUtf8())) << document.toStdString();
    }

    static inline test::PrivateCups* cups_ = nullptr;
    static inline bool installed_ = false;
    static inline bool ready_ = false;
};

} // namespace

TEST_F(ReportPrintingTest, AnalysisReportIsOneJobUnlessTheQueueIsADocumentWriter) {
    AnalysisPage* view = open(QStringLiteral("Berg"));
    test::selectRow(view->tree(), 0, 0);
    ASSERT_TRUE(view->model().analysisValid());
    const struct {
        const char* queue;
        bool refused;
    } cases[] = {{"Ward", false}, {"XPS-Laser", false}, {"XPS-Document-Writer", true}};
    for (const auto& c : cases) {
        messages_.clear();
        const QStringList jobs = printOn(view, QString::fromLatin1(c.queue));
        EXPECT_EQ(messages_,
                  c.refused ? QStringList{Langpack::text(ids::kNotRealPrinter)} : QStringList{})
            << c.queue;
        ASSERT_EQ(jobs.size(), c.refused ? 0 : 1) << c.queue;
        if (!c.refused)
            expectReportJob(jobs[0], QString::fromLatin1(c.queue),
                            {QRegularExpression(QStringLiteral("1001 Berg"))});
    }
}

TEST_F(ReportPrintingTest, ListPagePrintsOneJobPerRecording) {
    test::addSnapPatient(root_.path(), 17);
    auto* view = openPage<ReplayPage>(page::kReplay, page::kReplay,
                                      [](PageHost& f) { return new ReplayPage(f); });
    // List page 1 holds recordings 1 to 15, page 2 recordings 16 and 17.
    const struct {
        bool all;
        int listPage;
        int thumbnail;
        std::vector<int> numbers; // of the jobs, in order
    } cases[] = {{true, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
                 {false, 0, 3, {4}},
                 {true, 1, 1, {16, 17}},
                 {false, 1, 1, {17}}};
    for (const auto& c : cases) {
        view->OnPageButton(c.listPage == 0 ? ReplayPage::kFirst : ReplayPage::kLast);
        view->OnThumbnailSelected(c.thumbnail);
        view->allRecordings()->setChecked(c.all);
        const QStringList jobs = printOn(view, QStringLiteral("Ward"));
        ASSERT_EQ(jobs.size(), qsizetype(c.numbers.size())) << "all " << c.all;
        for (size_t k = 0; k < c.numbers.size(); ++k)
            expectReportJob(jobs[qsizetype(k)], QStringLiteral("Ward"),
                            {test::recordNumber(c.numbers[k]),
                             QRegularExpression(QStringLiteral("Anna Berg"))});
    }
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'\n').toStdString();
}
