// The analysis page's save-picture and mail-picture commands on a real page.
#include "AnalysisPageFixture.h"
#include "core/DataPaths.h"
#include "render/PictureMail.h"
#include "support/StandInMail.h"

#include <QImageReader>

using namespace vantora;

namespace {

class AnalysisPictureCommandsTest : public test::AnalysisPageFixture {
protected:
    CSnapAnanlyseView* open() { return AnalysisPageFixture::open(QStringLiteral("A.Berg")); }
    static void selectRecording(CSnapAnanlyseView* view, bool recording) {
        QTreeWidgetItem* patient = view->tree()->topLevelItem(0);
        view->tree()->setCurrentItem(recording ? patient->child(0) : patient);
    }

    test::PrivateTempDir tmp_; // its own mail folder
};

} // namespace

TEST_F(AnalysisPictureCommandsTest, SaveAsTheTypedExtensionSays) {
    CSnapAnanlyseView* view = open();
    selectRecording(view, false);
    view->OnSavePicture(); // a patient, no recording: nothing happens
    EXPECT_TRUE(requests_.isEmpty());

    selectRecording(view, true);
    const struct {
        const char* name; // empty: cancelled
        QByteArray format;
        bool message;
    } cases[] = {{"", "", false},
                 {"p.gif", "gif", false},
                 {"p.jpg", "jpeg", false},
                 {"p.TIF", "tiff", false},
                 {"p.png", "png", false},
                 {"p.webp", "", true},
                 {"missing/p.bmp", "", true}};
    for (const auto& c : cases) {
        const QString path = out_.filePath(QString::fromLatin1(c.name));
        answer_ = *c.name ? std::optional<QString>(path) : std::nullopt;
        messages_.clear();
        view->OnSavePicture();
        EXPECT_EQ(messages_.size(), c.message ? 1 : 0) << c.name;
        if (!c.format.isEmpty()) {
            EXPECT_EQ(QImageReader::imageFormat(path), c.format) << c.name;
            EXPECT_EQ(QImage(path).size(), QSize(783, 600)) << c.name;
        } else if (*c.name) {
            EXPECT_FALSE(QFile::exists(path)) << c.name;
        }
    }
    ASSERT_EQ(requests_.size(), int(std::size(cases)));
    EXPECT_EQ(requests_[0].proposedName, "ECG Analyse 1001 A.Berg1.bmp");
    EXPECT_EQ(requests_[0].directory, root_.path());
}

TEST_F(AnalysisPictureCommandsTest, MailHandsTheJpegToXdgEmail) {
    CSnapAnanlyseView* view = open();
    selectRecording(view, true);
    const QString picture = mailFolder() + "/1001 A.Berg1001.jpeg";
    for (int status : {0, 4}) {
        QFile::remove(picture);
        messages_.clear();
        const test::StandInMail mail(status);
        view->OnMailPicture();
        EXPECT_EQ(mail.arguments(),
                  (QStringList{"--subject", "1001 A  ECG Record", "--attach", picture}));
        EXPECT_EQ(QImageReader::imageFormat(picture), "jpeg");
        const QStringList expected =
            status == 0 ? QStringList() : QStringList{Message{61842, {}}.text()};
        EXPECT_EQ(messages_, expected);
    }
    cleanMailFolder();
}

TEST_F(AnalysisPictureCommandsTest, ExportForOtherToolsWritesTheSelection) {
    CSnapAnanlyseView* view = open();
    SnapRecording second;
    second.header.heartRate = 80;
    second.blocks = EcgGenerator(EcgParameters{}).nextSnapBlocks();
    ASSERT_EQ(RecordingStore(root_.path(), kModeSnap, QStringLiteral("1001"))
                  .appendSnap(std::vector<SnapRecording>{second})
                  .saved,
              1);
    view->OnRecordsChanged();
    QTreeWidgetItem* patient = view->tree()->topLevelItem(0);
    ASSERT_EQ(patient->childCount(), 2);

    // Rows per recording number in a written CSV.
    const auto csvRows = [](const QString& path) {
        QFile file(path);
        QMap<QByteArray, int> rows;
        if (!file.open(QIODevice::ReadOnly))
            return rows;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty() && line[0] != '#' && line[0] != 'r')
                ++rows[line.left(line.indexOf(','))];
        return rows;
    };
    const struct {
        QTreeWidgetItem* selected;
        const char* name; // empty: cancelled
        QMap<QByteArray, int> rows;
    } cases[] = {{patient, "all.csv", {{"1", 7500}, {"2", 7500}}},
                 {patient->child(1), "second.csv", {{"2", 7500}}},
                 {patient->child(0), "", {}}};
    for (const auto& c : cases) {
        view->tree()->setCurrentItem(c.selected);
        const QString path = out_.filePath(QString::fromLatin1(c.name));
        answer_ = *c.name ? std::optional<QString>(path) : std::nullopt;
        messages_.clear();
        view->OnExportForOtherTools();
        EXPECT_TRUE(messages_.isEmpty()) << c.name << messages_.join('|').toStdString();
        EXPECT_EQ(csvRows(path), c.rows) << c.name;
    }
    EXPECT_EQ(requests_.last().proposedName, "1001.edf");

    // EDF+ by any other extension; one data record a second.
    view->tree()->setCurrentItem(patient->child(0));
    answer_ = out_.filePath("first.edf");
    view->OnExportForOtherTools();
    QFile edf(*answer_);
    ASSERT_TRUE(edf.open(QIODevice::ReadOnly));
    const QByteArray header = edf.read(256);
    EXPECT_TRUE(header.startsWith("0       ")) << header.left(16).toStdString();
    EXPECT_EQ(header.mid(236, 8).trimmed().toInt(), 30);

    // A recording the store no longer holds as listed, and no selection.
    ASSERT_TRUE(QFile::remove(paths::indexFile(root_.path(), kModeSnap, QStringLiteral("1001"))));
    view->OnExportForOtherTools();
    view->tree()->setCurrentItem(nullptr);
    view->OnExportForOtherTools();
    EXPECT_EQ(messages_, (QStringList{Message{62030, {}}.text(), Message{62305, {}}.text()}));
}
