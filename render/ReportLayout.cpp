// The two report layouts: the analysis report (results, averaged beat,
// diagnosis) and the record report (the patient's fields and one recording),
// both ending in the 30-second paper strip. Units are 1/24 mm.
// Tested by ReportLayoutTest on element rectangles.
#include "render/ReportLayout.h"

#include "analysis/ResultFields.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordingDescription.h"
#include "records/RecordingTime.h"
#include "render/PaperElements.h"

#include <utility>

namespace vantora {

namespace {

constexpr int kTitleGap = 12;   // 0.5 mm between the title and the header rule
constexpr int kBoxPadding = 30; // texts keep this far from a box's right edge
// Texts of the boxes shrink to fit, to no less than these shares of their size.
constexpr double kLeastTableScale = 0.7;
constexpr double kLeastDiagnosisScale = 0.6;

QString label(int id) {
    return Langpack::text(id) + QStringLiteral(":  ");
}

void addTitle(ReportPage& page) {
    const int id = page.kind == ReportPage::kSnapRecord         ? ids::kSnapReportTitle
                   : page.kind == ReportPage::kContinuousRecord ? ids::kContinuousReportTitle
                                                                : ids::kAnalysisTitle;
    const QString title = Langpack::text(id);
    const int w = textWidth(page.titleFont, title);
    const int x = page.left + (page.right - page.left - w) / 2;
    const int bottom = page.top - kTitleGap; // descenders clear of the header rule
    page.elements.push_back(std::make_unique<TextRow>(
        &page.titleFont, LayoutRect{x, bottom - textHeight(page.titleFont), x + w, bottom},
        QStringList{title}));
}

PaperStrip& addStrip(ReportPage& page, int start, int end) {
    const LayoutRect rect{page.left, int(page.bottom - kStripHeightUnits), page.right, page.bottom};
    auto strip = std::make_unique<PaperStrip>(&page.sideFont, rect, page.samples, start, end);
    PaperStrip& ref = *strip;
    page.elements.push_back(std::move(strip));
    return ref;
}

void moveStripTop(PaperStrip& strip, int top) {
    const int height = strip.rect.height();
    strip.rect.top = top;
    strip.rect.bottom = top + height;
}

std::unique_ptr<TextRow> rightAligned(const QFont& font, int right, int top, const QString& text) {
    const int w = textWidth(font, text);
    return std::make_unique<TextRow>(
        &font, LayoutRect{right - w, top, right, top + textHeight(font)}, QStringList{text});
}

QString speedLabel() {
    return Langpack::text(ids::kSpeed) + QStringLiteral("  25mm/s  ");
}

// Lead text centred under the strip.
void addLead(ReportPage& page, int top) {
    const QString lead = Langpack::text(ids::kSingleLead);
    const int w = textWidth(page.bodyFont, lead);
    const int x = page.left + (page.right - page.left - w) / 2;
    page.elements.push_back(std::make_unique<TextRow>(
        &page.bodyFont, LayoutRect{x, top, x + w, top + textHeight(page.bodyFont)},
        QStringList{lead}));
}

QString number(int value) {
    return QString::asprintf("%d", value);
}

QString unit(size_t field) {
    return QLatin1String(kResultUnits[field]);
}

std::unique_ptr<TitledBox> box(const ReportPage& page, int left, int right, int top, int bottom,
                               int title) {
    return std::make_unique<TitledBox>(&page.bodyFont, LayoutRect{left, top, right, bottom},
                                       Langpack::text(title));
}

// The vertical extent the three boxes share, and where their contents start.
struct BoxBand {
    int top, bottom, inner;
};

void addRecordingBox(ReportPage& page, const BoxBand& band, RecordingMode mode,
                     const RecordIndexEntry& header) {
    const int w = (page.right - page.left) / 4;
    auto box1 = box(page, page.left, page.left + w - 20, band.top, band.bottom, ids::kRecording);
    // A Continuous recording's start and end, one under the other: the box
    // is a quarter of the page wide.
    std::vector<ValueTable::Row> rows;
    QString label = Langpack::text(ids::kRecordingTime);
    for (const QString& line : recordingTimeLines(mode, header))
        rows.push_back({std::exchange(label, QString()), line, {}});
    if (rows.empty())
        rows.push_back({label, {}, {}});
    rows.push_back({Langpack::text(ids::kHeartRate), storedHeartRateText(header.heartRate), {}});
    auto times = std::make_unique<ValueTable>(
        &page.bodyFont,
        LayoutRect{box1->rect.left + 30, band.inner, box1->rect.right - kBoxPadding, band.bottom},
        std::move(rows), &page.boldFont);
    times->fitWidth(kLeastTableScale);
    box1->children.push_back(std::move(times));
    page.elements.push_back(std::move(box1));
}

void addResultsBox(ReportPage& page, const BoxBand& band, const AnalysisReportInput& in) {
    const int w = (page.right - page.left) / 4;
    const int U = page.left + 3 * w - 320;
    auto box2 = box(page, page.left + w, U, band.top, band.bottom, ids::kAnalysisTitle);
    const auto& pb = in.parameters;
    const int beatTop = (band.top + band.bottom) / 2 - PaperAveragedBeat::kSize / 2;
    auto beat = std::make_unique<PaperAveragedBeat>(
        &page.sideFont, LayoutRect{U - 660, beatTop, U - 60, beatTop + PaperAveragedBeat::kSize},
        in.beat, std::array<int32_t, 4>{pb[kSlotPB], pb[kSlotQB], pb[kSlotSE], pb[kSlotTE]});
    // The results end before the beat's legend and gain label.
    auto results = std::make_unique<ValueTable>(
        &page.bodyFont,
        LayoutRect{box2->rect.left + 30, band.inner, beat->annotationLeft() - kBoxPadding,
                   band.bottom},
        std::vector<ValueTable::Row>{
            {Langpack::text(ids::kHeartRate), number(pb[kSlotHeartRate]), unit(0)},
            {Langpack::text(ids::kStLevel), QString::asprintf("%.2f", stMillimetres(pb)), unit(1)},
            {Langpack::text(ids::kPr), number(pb[kSlotPR]), unit(2)},
            {Langpack::text(ids::kQrs), number(pb[kSlotQRS]), unit(3)},
            {Langpack::text(ids::kQt), number(pb[kSlotQT]), unit(4)},
            {Langpack::text(ids::kQtc), number(pb[kSlotQTc]), unit(5)}},
        &page.boldFont);
    results->fitWidth(kLeastTableScale);
    box2->children.push_back(std::move(results));
    box2->children.push_back(std::move(beat));
    page.elements.push_back(std::move(box2));
}

// The diagnosis, bold and word-wrapped, smaller when it would pass the box.
void addDiagnosisBox(ReportPage& page, const BoxBand& band, const QString& text) {
    const int w = (page.right - page.left) / 4;
    auto box3 =
        box(page, page.left + 3 * w - 300, page.right, band.top, band.bottom, ids::kDiagnosis);
    auto diagnosis = std::make_unique<TextRow>(&page.bodyFont,
                                               LayoutRect{box3->rect.left + 30, band.inner,
                                                          box3->rect.right - kBoxPadding,
                                                          band.bottom - kBoxPadding},
                                               QStringList{QString(), text}, &page.boldFont, true);
    diagnosis->fitWrappedHeight(kLeastDiagnosisScale);
    box3->children.push_back(std::move(diagnosis));
    page.elements.push_back(std::move(box3));
}

} // namespace

QString kindFieldText(int pageKind, uint16_t kindField) {
    if (kindField == 0)
        return {};
    if (pageKind == ReportPage::kSnapRecord)
        return Langpack::text(ids::kTypeUnclassified + kindField);
    QStringList names;
    for (int bit = 0; bit < 16; ++bit)
        if (kindField & (1u << bit))
            names << Langpack::text(ids::kEventSinusRhythm + bit);
    return names.join(QLatin1Char(','));
}

void BuildAnalysisReport(ReportPage& page, const AnalysisReportInput& in) {
    page.elements.clear();
    page.kind = ReportPage::kAnalysis;
    addTitle(page);
    PaperStrip& strip = addStrip(page, in.start, in.end);

    auto block = std::make_unique<FieldBlock>(
        &page.bodyFont, LayoutRect{page.left, page.top, page.right, strip.rect.top});
    block->addField({label(ids::kName), in.patientText + QStringLiteral("  ")});
    block->addField({label(ids::kPatientId), in.patientId + QStringLiteral("  ")});
    const int y0 = block->rect.bottom;
    page.elements.push_back(std::move(block));

    const int h = textHeight(page.bodyFont);
    const BoxBand band{y0, std::max(strip.rect.top - 50, y0 + 5 * h + 200), y0 + h + 50};
    addRecordingBox(page, band, in.mode, in.header);
    addResultsBox(page, band, in);
    addDiagnosisBox(page, band, in.diagnosis);

    moveStripTop(strip, band.bottom + 50);
    const int footer = strip.rect.bottom + 60;
    addLead(page, footer);
    page.elements.push_back(rightAligned(page.bodyFont, page.right, footer, speedLabel()));
}

void BuildRecordReport(ReportPage& page, const PatientRecord& patient, int recordNumber,
                       const RecordIndexEntry& header, const QString& diagnosis) {
    page.elements.clear();
    addTitle(page);
    PaperStrip& strip = addStrip(page, 0, kSamplesPerRecording - 1);
    auto block = std::make_unique<FieldBlock>(
        &page.bodyFont, LayoutRect{page.left, page.top, page.right, strip.rect.top});
    const QString gap = QStringLiteral("  ");
    const RecordingMode mode = page.kind == ReportPage::kContinuousRecord
                                   ? RecordingMode::Continuous
                                   : RecordingMode::Snap;
    const std::pair<int, QString> fields[] = {
        {ids::kName, patient.name},
        {ids::kSex, patient.sex},
        {ids::kDateOfBirth, patient.date},
        {ids::kHeight, patient.height},
        {ids::kWeight, weightForEdit(patient.weight)}, // stored "0" is no weight
        {ids::kTelephone, patient.telephone},
        {ids::kAddress, patient.address},
        {ids::kPatientId, patient.id},
        {ids::kRecordingNumber, number(recordNumber)},
        {ids::kRecordingTime, recordingTimeText(mode, header)},
        {ids::kHeartRate, storedHeartRateText(header.heartRate)},
        {ids::kFindings, kindFieldText(page.kind, header.kind)},
        {ids::kMedicalHistory, patient.history},
    };
    for (const auto& [id, value] : fields) {
        QStringList pieces{label(id), value + gap};
        if ((id == ids::kHeight || id == ids::kWeight) && !value.isEmpty())
            pieces << Langpack::text(id + 1); // the unit, never alone
        block->addField(pieces);
    }
    block->addWrappedRow(label(ids::kDiagnosis), diagnosis + gap);
    // The speed label ends at the strip's top, on a line of its own under
    // the block: a block that reaches it pushes the strip down.
    const int speedHeight = textHeight(page.bodyFont);
    if (block->rect.bottom + speedHeight > strip.rect.top)
        moveStripTop(strip, block->rect.bottom + speedHeight);
    page.elements.push_back(std::move(block));

    addLead(page, strip.rect.bottom + 60);
    page.elements.push_back(
        rightAligned(page.bodyFont, page.right, strip.rect.top - speedHeight, speedLabel()));
}

} // namespace vantora
