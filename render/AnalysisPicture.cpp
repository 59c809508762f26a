#include "render/AnalysisPicture.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "render/AnalysisPageModel.h"
#include "render/AveragedBeatPanel.h"
#include "render/PictureMail.h"
#include "render/StripRowRenderer.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace vantora {

namespace {

using namespace analysis_picture;

constexpr std::array<int, 6> kResultLabels{ids::kHeartRate, ids::kStLevel, ids::kPr,
                                           ids::kQrs,       ids::kQt,      ids::kQtc};
constexpr int kBeatPanelWidth = 265; // the page's panel window
constexpr int kBeatPanelHeight = 210;

// Draws text with its top-left corner at (x, y), as the platform's text
// output places it.
void textAt(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
}

// Draws text at (x, y) in the painter's font, made smaller when needed so
// that it ends before `right`: a long name or time stays inside its box.
void fittedTextAt(QPainter& p, int x, int y, int right, const QString& text) {
    p.save();
    QFont font = p.font();
    while (font.pixelSize() > kMinFontPixels &&
           QFontMetrics(font).horizontalAdvance(text) > right - x)
        font.setPixelSize(font.pixelSize() - 1);
    p.setFont(font);
    textAt(p, x, y, text);
    p.restore();
}

// A box from (left, t + 5) to (right, bottom), the right and bottom edges
// outside it, filled white.
void drawBoxFrame(QPainter& p, int left, int right, int t, int bottom) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(left, t + 5, right - left - 1, bottom - (t + 5) - 1); // outline to right - 1
}

// The box's title at (left + 3, t + 5) with a rule under it.
void drawBoxTitle(QPainter& p, int left, int t, int title) {
    p.setPen(Qt::black);
    const QString text = Langpack::text(title);
    textAt(p, left + 3, t + 5, text);
    p.drawLine(left + 3, 2 * t + 5, left + p.fontMetrics().horizontalAdvance(text) + 30, 2 * t + 5);
}

// A Continuous recording's "start – end" that does not fit on one line: the
// start with its dash, and the end under it.
QStringList timeLines(const QFontMetrics& fm, const QString& time, int room) {
    const QString dash = QStringLiteral(" \u2013 ");
    const int at = time.indexOf(dash);
    if (at < 0 || fm.horizontalAdvance(time) <= room)
        return {time};
    return {time.left(at + dash.size() - 1), time.mid(at + dash.size())};
}

void drawRecordingBox(QPainter& p, const AnalysisPictureContent& c, int q, int t) {
    drawBoxTitle(p, kBoxLeft, t, ids::kRecording);
    const QString time = Langpack::text(ids::kRecordingTime);
    const QString rate = Langpack::text(ids::kHeartRate);
    const QFontMetrics fm = p.fontMetrics();
    const QString colon = QStringLiteral(":  ");
    const int x = 18 + std::max(fm.horizontalAdvance(time), fm.horizontalAdvance(rate)) + 28;
    const int right = q + 10 - kTextInset;
    const QStringList lines = timeLines(fm, colon + c.recordingTime, right - x);
    int y = 2 * t + 10;
    textAt(p, 18, y, time);
    fittedTextAt(p, x, y, right, lines.front());
    if (lines.size() > 1) {
        y += t + 5;
        fittedTextAt(p, x + fm.horizontalAdvance(colon), y, right, lines.back());
    }
    y += t + 5;
    textAt(p, 18, y, rate);
    fittedTextAt(p, x, y, right, colon + c.secondField);
}

// The six results; returns the right end of the widest unit.
int drawResultsBox(QPainter& p, const AnalysisPictureContent& c, int q, int t) {
    drawBoxTitle(p, q + 15, t, ids::kAnalysisTitle);
    const QFontMetrics fm = p.fontMetrics();
    int widest = 0;
    for (int id : kResultLabels)
        widest = std::max(widest, fm.horizontalAdvance(Langpack::text(id)));
    const int labelX = q + 18;
    const int columnX = labelX + widest + 16;
    const int columnWidth = fm.horizontalAdvance(QStringLiteral("666666"));
    int unitsRight = 0;
    for (size_t k = 0; k < kResultLabels.size(); ++k) {
        const int y = t + 5 + int(k + 1) * t;
        textAt(p, labelX, y, Langpack::text(kResultLabels[k]));
        textAt(p, labelX + widest + 13, y, QStringLiteral(":"));
        p.drawText(QRect(columnX, y, columnWidth, t), Qt::AlignRight | Qt::AlignTop, c.results[k]);
        const QString unit = QLatin1String(kResultUnits[k]);
        textAt(p, columnX + columnWidth + 10, y, unit);
        unitsRight = std::max(unitsRight, columnX + columnWidth + 10 + fm.horizontalAdvance(unit));
    }
    return unitsRight;
}

void drawDiagnosisBox(QPainter& p, const AnalysisPictureContent& c, int q, int t, int h) {
    drawBoxTitle(p, 2 * q + 15, t, ids::kDiagnosis);
    p.setPen(QColor::fromRgb(kDiagnosisColour));
    p.drawText(QRect(QPoint(2 * q + 18, 2 * t + 10), QPoint(3 * q + 6, h - 6)),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, c.diagnosis);
}

// The averaged beat in box 2 right of the units, at 0.7 or smaller so that
// it stays inside the box and off the results, its shape kept.
void drawBeat(QPainter& p, const QImage& panel, QRect room) {
    if (panel.isNull() || room.width() <= 0 || room.height() <= 0)
        return;
    const QImage beat = panel.copy(0, 0, panel.width() - kBeatCutRight, panel.height());
    const double scale = std::min(
        {kBeatScale, double(room.width()) / beat.width(), double(room.height()) / beat.height()});
    const QSize size(int(beat.width() * scale), int(beat.height() * scale));
    const QPoint at(room.left() + (room.width() - size.width()) / 2, room.top());
    p.drawImage(at, beat.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace

QImage composeAnalysisPicture(const AnalysisPictureContent& c) {
    if (c.rows.empty() || c.rows.front().isNull())
        return {};
    const QSize row = c.rows.front().size();
    QImage picture(row.width(), row.height() * int(c.rows.size() + 1), QImage::Format_RGB32);
    picture.fill(QColor::fromRgb(kBackground));
    QPainter p(&picture);
    paintAnalysisPicture(p, c);
    return picture;
}

void paintAnalysisPicture(QPainter& p, const AnalysisPictureContent& c) {
    if (c.rows.empty())
        return;
    const int w = c.rows.front().width();
    const int h = c.rows.front().height();
    const int q = boxWidth(w);
    QFont font = c.font;
    font.setPixelSize(kFontPixels);
    p.setFont(font);
    const QString name = Langpack::text(ids::kName) + u':' + c.patientText;
    const int t = p.fontMetrics().boundingRect(name).height();
    p.setPen(Qt::white);
    fittedTextAt(p, kBoxLeft, 3, q + 15 - kTextInset, name);
    fittedTextAt(p, q + 15, 3, w - kTextInset,
                 Langpack::text(ids::kPatientId) + u':' + c.patientId);

    drawBoxFrame(p, kBoxLeft, q + 10, t, h - 5);
    drawBoxFrame(p, q + 15, 2 * q + 10, t, h - 5);
    drawBoxFrame(p, 2 * q + 15, 3 * q + 10, t, h - 5);
    drawRecordingBox(p, c, q, t);
    const int unitsRight = drawResultsBox(p, c, q, t);
    drawBeat(p, c.beatPicture,
             QRect(QPoint(unitsRight + kTextInset, t + kBeatTop),
                   QPoint(2 * q + 10 - 1 - kTextInset, h - 5 - 1 - kTextInset)));
    drawDiagnosisBox(p, c, q, t, h);
    for (size_t r = 0; r < c.rows.size(); ++r)
        p.drawImage(0, h * int(r + 1), c.rows[r]);
}

void addModelPictures(const AnalysisPageModel& model, AnalysisPictureContent& content) {
    content.rows.clear();
    for (int r = 0; r < 3; ++r)
        content.rows.push_back(renderAnalysisRow(r, AnalysisPageModel::rowSize(), model.gain(),
                                                 model.points(), model.firstCursor(),
                                                 model.secondCursor()));
    AveragedBeatPanel panel;
    if (model.beatShown())
        panel.setData(model.run().beat(), model.run().parameters());
    content.beatPicture = panel.picture(QSize(kBeatPanelWidth, kBeatPanelHeight));
    content.results = model.fields();
}

} // namespace vantora

namespace vantora {

FileRequest analysisPictureRequest(const QString& patientText, const QString& recordingText,
                                   const QString& dataRoot) {
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.title = Langpack::text(ids::kSavePictureTitle);
    request.filters = {QStringLiteral("Bmp Files (*.bmp)"), QStringLiteral("Jpeg Files (*.jpeg)"),
                       QStringLiteral("Gif Files(*.gif)"), QStringLiteral("TIFF Files(*.tiff)"),
                       QStringLiteral("PNG Files(*.png)")};
    request.defaultSuffix = QStringLiteral("bmp");
    request.proposedName =
        QStringLiteral("ECG Analyse ") + patientText + recordingText + QStringLiteral(".bmp");
    request.directory = dataRoot;
    return request;
}

QString mailPicturePath(const QString& patientId, const SystemTime& recorded) {
    QString name = patientId + QString::asprintf(" %04d-%02d-%02d %02d-%02d-%02d.jpeg",
                                                 recorded.year, recorded.month, recorded.day,
                                                 recorded.hour, recorded.minute, recorded.second);
    name.replace(u'/', u'_');
    return mailFolder() + u'/' + name;
}

QString mailPictureSubject(const QString& patientText, const QString& recordingTime) {
    return patientText + QStringLiteral(", ") + recordingTime + QStringLiteral("  ECG Record");
}

} // namespace vantora
