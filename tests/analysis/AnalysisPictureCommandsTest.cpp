// The analysis page's save-picture and mail-picture commands on a real page.
#include "AnalysisPageFixture.h"
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
