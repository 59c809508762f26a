#include "render/AnalysisPicture.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordingTime.h"
#include "render/PictureWriters.h"
#include "support/LayoutCapture.h"
#include "support/TestData.h"

#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

const QSize kRow(783, 150);
const QColor kBand = QColor::fromRgb(analysis_picture::kBackground);
const std::array<QColor, 3> kRowColours{QColor(200, 0, 0), QColor(0, 150, 0), QColor(90, 90, 90)};
const QColor kBeat(0, 200, 200);
const QColor kBeatCut(255, 0, 255); // the panel's rightmost 15 columns

QImage filled(QSize size, const QColor& colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The page's texts: patient, id, recording time, rate, results, diagnosis.
struct Texts {
    QString patientText, patientId, recordingTime, secondField;
    ResultFieldTexts results;
    QString diagnosis;
};
const Texts kDemoTexts{"1001 Anna",
                       "1001",
                       "12/8/26 5:30 AM",
                       "72",
                       {"72", "0.1", "164", "96", "396", "420"},
                       QString("sinus rhythm with occasional premature beats ").repeated(8)};

AnalysisPictureContent content(int rows, const Texts& texts = kDemoTexts) {
    AnalysisPictureContent c;
    c.patientText = texts.patientText;
    c.patientId = texts.patientId;
    c.recordingTime = texts.recordingTime;
    c.secondField = texts.secondField;
    c.results = texts.results;
    c.diagnosis = texts.diagnosis;
    c.beatPicture = filled(QSize(265, 210), kBeat);
    for (int y = 0; y < 210; ++y)
        for (int x = 250; x < 265; ++x)
            c.beatPicture.setPixelColor(x, y, kBeatCut);
    for (int r = 0; r < rows; ++r)
        c.rows.push_back(filled(kRow, kRowColours[size_t(r)]));
    return c;
}

bool isBlack(QRgb p) {
    return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60;
}
bool isBlue(QRgb p) {
    return qBlue(p) > 180 && qRed(p) < 120 && qGreen(p) < 120;
}
bool isWhite(QRgb p) {
    return qRed(p) > 240 && qGreen(p) > 240 && qBlue(p) > 240;
}

// Rows [y0, y1) of column x: the first and last black pixel.
std::pair<int, int> blackSpan(const QImage& image, int x, int y0, int y1) {
    int first = -1;
    int last = -1;
    for (int y = y0; y < y1; ++y)
        if (isBlack(image.pixel(x, y))) {
            first = first < 0 ? y : first;
            last = y;
        }
    return {first, last};
}

int countIn(const QImage& image, QRect area, bool (*test)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

} // namespace

TEST(AnalysisPicture, SizeBandBoxesBeatAndRowsByPixel) {
    const int h = kRow.height();
    const int q = (kRow.width() - 15) / 3;
    for (int rows : {1, 3}) {
        const QImage picture = composeAnalysisPicture(content(rows));
        ASSERT_EQ(picture.size(), QSize(kRow.width(), h * (rows + 1))) << rows;
        // Each row at full size below the band, in order.
        for (int r = 0; r < rows; ++r) {
            const QColor c = kRowColours[size_t(r)];
            EXPECT_EQ(picture.pixelColor(0, h * (r + 1)), c) << r;
            EXPECT_EQ(picture.pixelColor(kRow.width() - 1, h * (r + 2) - 1), c) << r;
        }
        EXPECT_EQ(picture.pixelColor(kRow.width() - 1, h - 1), kBand);
        EXPECT_EQ(picture.pixelColor(0, 0), kBand);
    }
    const QImage p = composeAnalysisPicture(content(3));
    // The boxes' outer edges: x = 15 .. q + 9, q + 15 .. 2q + 9, 2q + 15 .. 3q + 9,
    // all from t + 5 down to H - 6; the background between them.
    const auto [top, bottom] = blackSpan(p, q + 9, 0, h);
    const int t = top - 5;
    EXPECT_GE(t, 10);
    EXPECT_LE(t, 20);
    EXPECT_EQ(bottom, h - 6);
    for (int edge : {15, q + 15, 2 * q + 9, 2 * q + 15, 3 * q + 9})
        EXPECT_EQ(blackSpan(p, edge, t + 10, h), std::make_pair(t + 10, h - 6)) << edge;
    for (int gap : {q + 10, q + 14, 3 * q + 10})
        EXPECT_EQ(p.pixelColor(gap, h - 20), kBand) << gap;
    EXPECT_TRUE(isWhite(p.pixel(q + 5, h - 10))); // inside box 1
    // The white name and id above the boxes.
    EXPECT_GT(countIn(p, QRect(15, 0, q, t + 3), isWhite), 10);
    EXPECT_GT(countIn(p, QRect(q + 15, 0, q, t + 3), isWhite), 10);
    // The beat, its cut columns left out, inside box 2 right of the results,
    // its shape kept (250 x 210).
    QRect beat;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < p.width(); ++x)
            if (p.pixelColor(x, y) == kBeat)
                beat |= QRect(x, y, 1, 1);
    ASSERT_FALSE(beat.isEmpty());
    EXPECT_TRUE(QRect(QPoint(q + 16, t + 6), QPoint(2 * q + 8, h - 7)).contains(beat))
        << beat.x() << "," << beat.y() << " " << beat.width() << "x" << beat.height();
    EXPECT_NEAR(double(beat.width()) / beat.height(), 250.0 / 210.0, 0.03);
    EXPECT_LE(beat.width(), 175);
    EXPECT_EQ(countIn(p, QRect(0, 0, p.width(), h), [](QRgb c) { return c == kBeatCut.rgb(); }), 0);
    // The diagnosis in blue, wrapped over several lines inside box 3 only.
    const QRect diagnosis(QPoint(2 * q + 18, 2 * t + 10), QPoint(3 * q + 6, h - 6));
    EXPECT_GT(countIn(p, diagnosis.adjusted(0, 2 * t, 0, 0), isBlue), 50);
    EXPECT_EQ(countIn(p, QRect(0, 0, 2 * q + 15, h), isBlue), 0);
    EXPECT_EQ(countIn(p, QRect(3 * q + 7, 0, p.width() - 3 * q - 7, h), isBlue), 0);
    EXPECT_TRUE(composeAnalysisPicture(content(0)).isNull());
}

// No text of the picture overlaps another text, a box's edge, the beat or a
// row, or leaves its box: with the demo's values and with the longest ones.
TEST(AnalysisPicture, TextsKeepClearOfEachOtherAndOfDrawing) {
    ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    Texts shortDiagnosis = kDemoTexts;
    shortDiagnosis.diagnosis = QStringLiteral("Sinus rhythm");
    const AnalysisPictureContent demo = content(3, shortDiagnosis);
    // The longest time: a Continuous segment across midnight, both dates shown.
    RecordIndexEntry acrossMidnight;
    acrossMidnight.time = SystemTime::fromFields({2026, 12, 2, 29, 0, 0, 10, 0});
    const AnalysisPictureContent longest =
        content(3, {"WMW-2026-000123 Maximiliane Wolkenstein-Hohenberg MW",
                    "WMW-2026-000123",
                    recordingTimeText(RecordingMode::Continuous, acrossMidnight),
                    "188",
                    {"188", "-12.34", "888", "188", "888", "1024"},
                    QString("premature beats, ").repeated(6)});
    const struct {
        const char* what;
        const AnalysisPictureContent& content;
    } cases[] = {{"demo", demo}, {"longest values", longest}};
    for (const auto& c : cases) {
        test::LayoutCapture capture(QSize(kRow.width(), kRow.height() * 4));
        QPainter painter(&capture);
        paintAnalysisPicture(painter, c.content);
        painter.end();
        EXPECT_EQ(test::layoutFaults(capture).join(u'\n').toStdString(), "") << c.what;
    }
}

// Every typed extension is written in its format, read back by Qt's readers
// deciding by content; faults give a message and leave no file.
TEST(PictureWriters, EachFormatWrittenAndReadBack) {
    QTemporaryDir dir;
    const QImage picture = composeAnalysisPicture(content(3));
    struct Case {
        const char* extension;
        QByteArray format; // as read back; empty: refused
        bool lossless;
    };
    const Case cases[] = {{"bmp", "bmp", true},   {"jpeg", "jpeg", false}, {"jpg", "jpeg", false},
                          {"JPG", "jpeg", false}, {"gif", "gif", true},    {"tiff", "tiff", true},
                          {"tif", "tiff", true},  {"png", "png", true},    {"xyz", "", false},
                          {"", "", false}};
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("picture.") + c.extension);
        const Message m = savePicture(picture, path, QString::fromLatin1(c.extension)).message();
        if (c.format.isEmpty()) {
            EXPECT_EQ(m, (Message{ids::kNoPictureWriter, path})) << c.extension;
            EXPECT_FALSE(QFile::exists(path)) << c.extension;
            continue;
        }
        ASSERT_TRUE(m.isNone()) << c.extension;
        EXPECT_EQ(QImageReader::imageFormat(path), c.format) << c.extension;
        const QImage back(path);
        ASSERT_FALSE(back.isNull()) << c.extension;
        ASSERT_EQ(back.size(), picture.size()) << c.extension;
        for (QPoint at : {QPoint(0, 0), QPoint(400, 160), QPoint(700, 350), QPoint(782, 599)}) {
            const QColor want = picture.pixelColor(at);
            const QColor got = back.pixelColor(at);
            const int tolerance = c.lossless ? 0 : 12;
            EXPECT_LE(std::abs(want.red() - got.red()), tolerance) << c.extension;
            EXPECT_LE(std::abs(want.green() - got.green()), tolerance) << c.extension;
            EXPECT_LE(std::abs(want.blue() - got.blue()), tolerance) << c.extension;
        }
    }
    for (const char* extension : {"bmp", "jpeg", "gif", "tiff", "png"}) {
        const QString path = dir.filePath(QStringLiteral("missing/picture.") + extension);
        EXPECT_EQ(savePicture(picture, path, QString::fromLatin1(extension)).message(),
                  (Message{ids::kFileNotWritten, path + ": No such file or directory"}))
            << extension;
        EXPECT_FALSE(QFile::exists(path)) << extension;
    }
}

TEST(PictureWriters, FindEncoderByExactMimeType) {
    std::set<int> found;
    for (const char* mime : {"image/bmp", "image/jpeg", "image/gif", "image/tiff", "image/png"}) {
        const int index = FindEncoder(QString::fromLatin1(mime));
        EXPECT_GE(index, 0) << mime;
        found.insert(index);
    }
    EXPECT_EQ(found.size(), 5u);
    for (const char* mime : {"image/jpg", "image/tif", "IMAGE/PNG", "image/png ", "png", ""})
        EXPECT_EQ(FindEncoder(QString::fromLatin1(mime)), -1) << mime;
}

TEST(AnalysisPicture, SaveRequestAndMailPath) {
    const FileRequest r = analysisPictureRequest("1001 A.Anna", "3", "/data");
    EXPECT_EQ(r.proposedName, "ECG Analyse 1001 A.Anna3.bmp");
    EXPECT_EQ(r.kind, FileRequest::Kind::Save);
    EXPECT_EQ(r.defaultSuffix, "bmp");
    EXPECT_EQ(r.directory, "/data");
    ASSERT_EQ(r.filters.size(), 5);
    // The type switch of the dialog on the proposed names.
    EXPECT_EQ(nameForFilter("ECG Analyse 1001 Anna3.bmp", r.filters[4]),
              "ECG Analyse 1001 Anna3.png");
    EXPECT_EQ(nameForFilter(r.proposedName, r.filters[2]), "ECG Analyse 1001 A.gif");
    EXPECT_EQ(nameForFilter("picture", r.filters[1]), ".jpeg");
    SystemTime t;
    t.year = 2026, t.month = 3, t.day = 14, t.hour = 9, t.minute = 5, t.second = 7;
    EXPECT_TRUE(mailPicturePath("10/01", t).endsWith("/10_01 2026-03-14 09-05-07.jpeg"));
    EXPECT_EQ(mailPictureSubject("1001 A.Berg", "14 Mar 2026 09:05:07"),
              "1001 A.Berg, 14 Mar 2026 09:05:07  ECG Record");
}
