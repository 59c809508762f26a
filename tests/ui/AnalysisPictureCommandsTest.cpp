// The analysis page's save-picture and mail-picture commands on a real page.
#include "AnalysisPageFixture.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "records/RecordingTime.h"
#include "render/PictureMail.h"
#include "support/StandInMail.h"

#include <QImageReader>

using namespace vantora;

namespace {

class AnalysisPictureCommandsTest : public test::AnalysisPageFixture {
protected:
    AnalysisPage* open() { return AnalysisPageFixture::open(QStringLiteral("A.Berg")); }
    static void selectRecording(AnalysisPage* view, bool recording) {
        test::selectRow(view->tree(), 0, recording ? 0 : -1);
    }

    test::PrivateTempDir tmp_; // its own mail folder
};

} // namespace

TEST_F(AnalysisPictureCommandsTest, SaveAsTheTypedExtensionSays) {
    AnalysisPage* view = open();
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

// Two recordings of one patient are two attachments: the second mail does not
// replace the picture the mail program has not read yet, and each subject
// names its recording.
TEST_F(AnalysisPictureCommandsTest, MailHandsOneJpegPerRecordingToXdgEmail) {
    AnalysisPage* view = open();
    SnapRecording second;
    second.header.startTime = {2026, 3, 0, 14, 9, 5, 7, 0};
    second.blocks = EcgGenerator(EcgParameters{}).nextSnapBlocks();
    const RecordingStore store(root_.path(), RecordingMode::Snap, QStringLiteral("1001"));
    ASSERT_EQ(store.appendSnap(std::vector<SnapRecording>{second}).saved, 1);
    view->OnRecordsChanged();
    ASSERT_EQ(test::rowCount(view->tree(), 0), 2);
    QStringList attached;
    for (int k = 0; k < 2; ++k) {
        const SystemTime t = store.readEntry(k).value().time;
        const QString date = QString::asprintf("%04d-%02d-%02d ", t.year, t.month, t.day);
        const QStringList hms{QString::asprintf("%02d", t.hour),
                              QString::asprintf("%02d", t.minute),
                              QString::asprintf("%02d", t.second)};
        const QString picture = mailFolder() + "/1001 " + date + hms.join('-') + ".jpeg";
        test::selectRow(view->tree(), 0, k);
        for (int status : {0, 4}) {
            QFile::remove(picture);
            messages_.clear();
            const test::StandInMail mail(status);
            view->OnMailPicture();
            EXPECT_EQ(mail.arguments(),
                      (QStringList{"--subject",
                                   "1001 A.Berg, " + stationDateTimeText(localDateTime(t)) +
                                       "  ECG Record",
                                   "--attach", picture}))
                << k;
            EXPECT_EQ(QImageReader::imageFormat(picture), "jpeg") << k;
            const QStringList expected =
                status == 0 ? QStringList() : QStringList{Message{ids::kMailFailed, {}}.text()};
            EXPECT_EQ(messages_, expected) << k;
        }
        attached << picture;
    }
    ASSERT_NE(attached[0], attached[1]);
    for (const QString& picture : attached)
        EXPECT_EQ(QImageReader::imageFormat(picture), "jpeg") << picture.toStdString();
    cleanMailFolder();
}

TEST_F(AnalysisPictureCommandsTest, ExportForOtherToolsWritesTheSelection) {
    AnalysisPage* view = open();
    SnapRecording second;
    second.header.heartRate = 80;
    second.blocks = EcgGenerator(EcgParameters{}).nextSnapBlocks();
    ASSERT_EQ(RecordingStore(root_.path(), RecordingMode::Snap, QStringLiteral("1001"))
                  .appendSnap(std::vector<SnapRecording>{second})
                  .saved,
              1);
    view->OnRecordsChanged();
    ASSERT_EQ(test::rowCount(view->tree(), 0), 2);

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
        int selected;     // recording row of patient 0, -1: the patient
        const char* name; // empty: cancelled
        QMap<QByteArray, int> rows;
    } cases[] = {
        {-1, "all.csv", {{"1", 7500}, {"2", 7500}}}, {1, "second.csv", {{"2", 7500}}}, {0, "", {}}};
    for (const auto& c : cases) {
        test::selectRow(view->tree(), 0, c.selected);
        const QString path = out_.filePath(QString::fromLatin1(c.name));
        answer_ = *c.name ? std::optional<QString>(path) : std::nullopt;
        messages_.clear();
        view->OnExportForOtherTools();
        EXPECT_TRUE(messages_.isEmpty()) << c.name << messages_.join('|').toStdString();
        EXPECT_EQ(csvRows(path), c.rows) << c.name;
    }
    EXPECT_EQ(requests_.last().proposedName, "1001.edf");

    // EDF+ by any other extension; one data record a second.
    test::selectRow(view->tree(), 0, 0);
    answer_ = out_.filePath("first.edf");
    view->OnExportForOtherTools();
    QFile edf(*answer_);
    ASSERT_TRUE(edf.open(QIODevice::ReadOnly));
    const QByteArray header = edf.read(256);
    EXPECT_TRUE(header.startsWith("0       ")) << header.left(16).toStdString();
    EXPECT_EQ(header.mid(236, 8).trimmed().toInt(), 30);

    // A recording the store no longer holds as listed, and no selection.
    ASSERT_TRUE(
        QFile::remove(paths::indexFile(root_.path(), RecordingMode::Snap, QStringLiteral("1001"))));
    view->OnExportForOtherTools();
    view->tree()->setCurrentIndex({});
    view->OnExportForOtherTools();
    EXPECT_EQ(messages_, (QStringList{Message{ids::kRecordingGone, {}}.text(),
                                      Message{ids::kSelectForExport, {}}.text()}));
}
