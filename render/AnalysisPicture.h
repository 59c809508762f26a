#pragma once

#include "analysis/ResultFields.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <vector>

class QPainter;

namespace vantora {

class AnalysisPageModel;

// What the analysis page shows, gathered for its picture.
struct AnalysisPictureContent {
    QString patientText;   // the patient item as the tree lists it
    QString patientId;     // the patient item's identifier string
    QString recordingTime; // the page's recording-time field
    QString secondField;   // the page's second record field (heart rate)
    ResultFieldTexts results;
    QString diagnosis;        // the recording's note
    QImage beatPicture;       // the averaged-beat panel as the page shows it
    std::vector<QImage> rows; // the strip rows in order, all of one size
    QFont font;               // the page's dialog font; drawn 12 px high
};

// The picture's fixed layout, in pixels, from the first row's size W x H:
// a header band of H, then the rows at y = H, 2H, ...; three boxes in the
// band, q = (W - 15) / 3 wide each.
namespace analysis_picture {
constexpr unsigned kBackground = 0xB4C8FF;
constexpr unsigned kDiagnosisColour = 0x0000FF;
constexpr int kFontPixels = 12;
constexpr int kBoxLeft = 15;
constexpr int kBeatCutRight = 15; // the panel's rightmost columns are left out
constexpr double kBeatScale = 0.7;
constexpr int kBeatTop = 8;       // from t
constexpr int kTextInset = 3;     // the least room between a text and a box's edge
constexpr int kMinFontPixels = 7; // a long name or time shrinks no further
inline int boxWidth(int rowWidth) {
    return (rowWidth - 15) / 3;
}
} // namespace analysis_picture

// RenderAnalysisPicture's composition: W x H(n + 1) filled with the page
// colour, the header band with the name, id and the three boxes (recording,
// results, diagnosis), the averaged beat at 0.7 or smaller in the results
// box right of the units, and the rows below. A null
// image when there is no row.
QImage composeAnalysisPicture(const AnalysisPictureContent& content);
// Draws that composition on the painter's device (W x H(n + 1), already
// filled), so that other devices can record where everything lands.
void paintAnalysisPicture(QPainter& painter, const AnalysisPictureContent& content);

// The rows and the averaged beat of `model` as the page draws them.
void addModelPictures(const AnalysisPageModel& model, AnalysisPictureContent& content);

} // namespace vantora

#include "records/RecordDialogs.h"

namespace vantora {

// The save dialog of the analysis picture: the five types, BMP first, the
// proposed name "ECG Analyse " + patient text + recording text + ".bmp".
FileRequest analysisPictureRequest(const QString& patientText, const QString& recordingText,
                                   const QString& dataRoot);

// Where a mailed picture is written: the mail folder + patient id + the
// recording's time + ".jpeg" ("1001 2026-03-14 09-00-30.jpeg"; a "/" in the
// id becomes "_"). One file per recording: the mail program reads it after
// xdg-email has returned, so a second mail must not replace it.
QString mailPicturePath(const QString& patientId, const SystemTime& recorded);
// The subject of that mail names the patient and the recording as the page
// shows its time: "1001 A.Berg, 14 Mar 2026 09:00:30  ECG Record".
QString mailPictureSubject(const QString& patientText, const QString& recordingTime);

} // namespace vantora
