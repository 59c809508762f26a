// The report layouts checked on their element rectangles, computed here from
// the layout rules with the same font measures, and rendered sheets probed
// by pixel at two resolutions.
#include "render/ReportLayout.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordingTime.h"
#include "render/PaperElements.h"
#include "render/ReportOutput.h"
#include "support/LayoutCapture.h"
#include "support/TestData.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace vantora;

namespace {

const QSize kA4 = reportSheetUnits(QPageSize::A4); // 7128 x 5040

class ReportLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    }
    std::vector<int32_t> samples = std::vector<int32_t>(7500, 512);
};

template <typename T> std::vector<const T*> all(const ReportPage& page) {
    std::vector<const T*> out;
    for (const auto& e : page.elements)
        if (const auto* t = dynamic_cast<const T*>(e.get()))
            out.push_back(t);
    return out;
}

AnalysisReportInput analysisInput(QString diagnosis = QStringLiteral("Sinus rhythm")) {
    AnalysisReportInput in;
    in.patientId = QStringLiteral("P17");
    in.patientText = QStringLiteral("P17 Ada Lovelace");
    in.diagnosis = diagnosis;
    in.header.time = SystemTime::fromFields({2026, 3, 2, 4, 9, 5, 7, 0});
    in.header.heartRate = 71;
    in.beat.fill(512);
    in.parameters = {80, 110, 140, 200, 71, 35, 160, 96, 380, 412};
    in.start = 1000;
    in.end = 3000;
    return in;
}

PatientRecord patient(QString history = {}) {
    PatientRecord r;
    r.id = QStringLiteral("P17");
    r.name = QStringLiteral("Ada Lovelace");
    r.sex = QStringLiteral("Female");
    r.date = QStringLiteral("1815-12-10");
    r.height = QStringLiteral("165");
    r.weight = QStringLiteral("58.5");
    r.telephone = QStringLiteral("555 0199");
    r.address = QStringLiteral("12 St James's Square");
    r.history = history;
    return r;
}

// The longest values a report meets: a 40-character name, a 15-character id,
// three-digit rates and intervals, a diagnosis of several lines, and a
// Continuous segment across midnight (both ends with their dates).
AnalysisReportInput longAnalysisInput() {
    AnalysisReportInput in = analysisInput(
        QString("Atrial fibrillation with rapid ventricular response, left axis deviation. ")
            .repeated(3));
    in.patientId = QStringLiteral("WMW-2026-000123");
    in.patientText = in.patientId + QStringLiteral(" Maximiliane Wolkenstein-Hohenberg MW");
    in.header.time = SystemTime::fromFields({2026, 12, 2, 29, 0, 0, 10, 0});
    in.mode = RecordingMode::Continuous;
    in.header.heartRate = 188;
    in.parameters = {80, 110, 140, 200, 188, -1234, 888, 188, 888, 1024};
    return in;
}

PatientRecord longPatient() {
    PatientRecord r = patient(QString("Hypertension since 2009, beta blockers. ").repeated(4));
    r.id = QStringLiteral("WMW-2026-000123");
    r.name = QStringLiteral("Maximiliane Wolkenstein-Hohenberg MW");
    r.telephone = QStringLiteral("+49 (0)30 5550 1001 ext 12");
    r.address = QStringLiteral("Hinterer Hohenbergweg 128, Apartment 14, 10999 Berlin-Kreuzberg");
    return r;
}

QStringList faultsOf(const ReportPage& page, QSize sheet) {
    test::LayoutCapture capture(sheet);
    QPainter painter(&capture);
    page.Render(ReportSurface{&painter, false});
    painter.end();
    return test::layoutFaults(capture);
}

} // namespace

// Nothing written on a report overlaps another text or a drawn element or
// leaves its box, for ordinary and longest values, on A4 and Letter.
TEST_F(ReportLayoutTest, TextsKeepClearOfEachOtherAndOfDrawing) {
    const QSize letter = reportSheetUnits(QPageSize::Letter);
    const struct {
        const char* what;
        int kind;
        bool longValues;
    } cases[] = {{"analysis", ReportPage::kAnalysis, false},
                 {"analysis, long values", ReportPage::kAnalysis, true},
                 {"snap record", ReportPage::kSnapRecord, false},
                 {"continuous record, long values", ReportPage::kContinuousRecord, true}};
    for (const QSize sheet : {kA4, letter}) {
        for (const auto& c : cases) {
            ReportPage page(sheet.width(), sheet.height(), samples);
            page.kind = c.kind;
            RecordIndexEntry header;
            header.time = c.longValues ? SystemTime::fromFields({2026, 12, 2, 29, 0, 0, 10, 0})
                                       : SystemTime::fromFields({2026, 12, 3, 28, 23, 58, 59, 0});
            header.heartRate = c.longValues ? 188 : 72;
            header.kind = c.longValues ? 0x8009 : 1;
            if (c.kind == ReportPage::kAnalysis)
                BuildAnalysisReport(page, c.longValues ? longAnalysisInput() : analysisInput());
            else
                BuildRecordReport(page, c.longValues ? longPatient() : patient(), 12, header,
                                  c.longValues ? QString("Premature beats. ").repeated(12) : "Ok");
            EXPECT_EQ(faultsOf(page, sheet).join(u'\n').toStdString(), "")
                << c.what << " " << sheet.width();
        }
    }
}

// The check itself: each kind of fault drawn on purpose is found, and a
// clean drawing passes.
TEST_F(ReportLayoutTest, LayoutCheckFindsEachFault) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    const struct {
        const char* what;
        std::function<void(QPainter&)> draw;
        QStringList expectedStarts;
    } cases[] = {
        {"apart",
         [](QPainter& p) {
             p.drawRect(0, 0, 400, 200);
             p.drawText(20, 60, "ms");
             p.drawText(20, 160, "bpm");
         },
         {}},
        {"two texts",
         [](QPainter& p) { p.drawText(20, 60, "QT"), p.drawText(30, 70, "ms"); },
         {"\"QT\" ["}},
        {"text on a line",
         [](QPainter& p) { p.drawLine(0, 50, 300, 50), p.drawText(20, 60, "ms"); },
         {"\"ms\" ["}},
        {"rotated text across a box edge",
         [](QPainter& p) {
             p.drawRect(0, 0, 400, 200);
             p.translate(100, 60);
             p.rotate(90);
             p.drawText(0, 0, "10mm/1mv");
         },
         {"\"10mm/1mv\" [", "\"10mm/1mv\" ["}},
    };
    for (const auto& c : cases) {
        test::LayoutCapture capture(QSize(1000, 1000));
        QPainter painter(&capture);
        painter.setFont(font);
        c.draw(painter);
        painter.end();
        const QStringList faults = test::layoutFaults(capture);
        ASSERT_EQ(faults.size(), c.expectedStarts.size())
            << c.what << faults.join('\n').toStdString();
        for (int k = 0; k < faults.size(); ++k)
            EXPECT_TRUE(faults[k].startsWith(c.expectedStarts[k])) << faults[k].toStdString();
    }
}

TEST_F(ReportLayoutTest, AnalysisReportRectangles) {
    ReportPage page(kA4.width(), kA4.height(), samples);
    BuildAnalysisReport(page, analysisInput());
    ASSERT_EQ(page.kind, ReportPage::kAnalysis);

    const int m = (7128 - 6000) / 2, left = m, right = 7128 - m, bottom = 5040 - m;
    const int w = (right - left) / 4, q = (right - left) / 4;
    const int h = textHeight(page.bodyFont);
    const auto blocks = all<FieldBlock>(page);
    ASSERT_EQ(blocks.size(), 1u);
    const auto& rows = blocks[0]->rows();
    ASSERT_EQ(rows.size(), 2u);
    // Fields are measured as drawn: the value in the block's bold font.
    const auto drawnWidth = [&](const TextRow& row) {
        return textWidth(page.bodyFont, row.pieces.at(0)) +
               textWidth(blocks[0]->boldFont(), row.pieces.at(1));
    };
    const int nameWidth = drawnWidth(rows[0]);
    const int y0 = m + h + 50;
    const int boxBottom = std::max(int(bottom - kStripHeightUnits) - 50, y0 + 5 * h + 200);
    const int U = left + 3 * w - 320;
    const auto boxes = all<TitledBox>(page);
    ASSERT_EQ(boxes.size(), 3u);
    const auto strips = all<PaperStrip>(page);
    ASSERT_EQ(strips.size(), 1u);
    const int stripHeight = bottom - int(bottom - kStripHeightUnits);
    const auto* beat = dynamic_cast<const PaperAveragedBeat*>(boxes[1]->children.at(1).get());
    ASSERT_NE(beat, nullptr);
    const int beatTop = (y0 + boxBottom) / 2 - 300;

    const struct {
        const char* what;
        LayoutRect actual, expected;
    } cases[] = {
        {"first field", rows[0].rect, {left, m, left + nameWidth, m + h + 50}},
        {"second field on a quarter column",
         rows[1].rect,
         {left + q * (nameWidth / q + 1), m, left + q * (nameWidth / q + 1) + drawnWidth(rows[1]),
          m + h + 50}},
        {"box 1", boxes[0]->rect, {left, y0, left + w - 20, boxBottom}},
        {"box 2", boxes[1]->rect, {left + w, y0, U, boxBottom}},
        {"box 3", boxes[2]->rect, {left + 3 * w - 300, y0, right, boxBottom}},
        {"value table, ending 30 units before the beat's legend and gain label",
         boxes[1]->children.at(0)->rect,
         {left + w + 30, y0 + h + 50, beat->annotationLeft() - 30, boxBottom}},
        {"averaged beat", beat->rect, {U - 660, beatTop, U - 60, beatTop + 600}},
        {"strip under the boxes",
         strips[0]->rect,
         {left, boxBottom + 50, right, boxBottom + 50 + stripHeight}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.actual.left, c.expected.left) << c.what;
        EXPECT_EQ(c.actual.top, c.expected.top) << c.what;
        EXPECT_EQ(c.actual.right, c.expected.right) << c.what;
        EXPECT_EQ(c.actual.bottom, c.expected.bottom) << c.what;
    }
    EXPECT_EQ(strips[0]->rect.width(), 6000);
    EXPECT_EQ(strips[0]->start, 1000);
    EXPECT_EQ(strips[0]->end, 3000);
    EXPECT_EQ(beat->bounds, (std::array<int32_t, 4>{80, 110, 140, 200}));
    EXPECT_LT(beat->annotationLeft(), U - 660 - 100) << "legend lines start 100 left of the beat";
}

TEST_F(ReportLayoutTest, AnalysisValuesAndFooter) {
    ReportPage page(kA4.width(), kA4.height(), samples);
    BuildAnalysisReport(page, analysisInput());
    const auto boxes = all<TitledBox>(page);
    const auto* table = dynamic_cast<const ValueTable*>(boxes.at(1)->children.at(0).get());
    ASSERT_NE(table, nullptr);
    QStringList values;
    for (const auto& row : table->rows)
        values << row.value + row.unit;
    // ST: 35 units at 175 units per mV, 10 mm per mV.
    EXPECT_EQ(values, (QStringList{"71bpm", "2.00mm", "160ms", "96ms", "380ms", "412ms"}));
    const auto* times = dynamic_cast<const ValueTable*>(boxes.at(0)->children.at(0).get());
    ASSERT_NE(times, nullptr);
    EXPECT_EQ(times->rows.at(0).value,
              stationDateTimeText(QDateTime(QDate(2026, 3, 4), QTime(9, 5, 7))));
    EXPECT_EQ(times->rows.at(1).value, "71");

    // Lead and speed texts 60 units under the strip; the speed ends at the right.
    const auto strip = all<PaperStrip>(page).at(0);
    int footers = 0;
    for (const auto* row : all<TextRow>(page)) {
        if (row->rect.top != strip->rect.bottom + 60)
            continue;
        ++footers;
        if (row->pieces.at(0).contains("25mm/s"))
            EXPECT_EQ(row->rect.right, page.right);
        else
            EXPECT_EQ(row->rect.left + row->rect.right, page.left + page.right) << "centred";
    }
    EXPECT_EQ(footers, 2);
}

TEST_F(ReportLayoutTest, ValueTableColumnsAndRestart) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(85);
    QFont bold = font;
    bold.setBold(true);
    const int h = textHeight(font);
    // Room for two rows: the third restarts at the top, half the width right.
    const LayoutRect rect{100, 200, 2100, 200 + 2 * h + 30};
    const ValueTable table(
        &font, rect, {{"A", "1", "ms"}, {"Longer label", "22", "ms"}, {"B", "333", "ms"}}, &bold);
    const auto cells = table.layout();
    const int widest = textWidth(font, "Longer label");
    const int five = textWidth(bold, "66666");
    const int pitch = h + 30;
    const struct {
        const ValueTable::Cell& cell;
        int x, y;
    } cases[] = {
        {cells.labels[0], 100, 200},
        {cells.labels[1], 100, 200 + pitch},
        {cells.labels[2], 100 + 1000, 200},
        {cells.colons[1], 100 + widest + 50, 200 + pitch},
        {cells.values[0], 100 + widest + 100 + five, 200},
        {cells.units[2], 1100 + widest + 150 + five, 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.cell.x, c.x) << c.cell.text.toStdString();
        EXPECT_EQ(c.cell.y, c.y) << c.cell.text.toStdString();
    }
    EXPECT_TRUE(cells.values[0].rightAligned);

    const ValueTable plain(&font, rect, {{"A", "left", {}}}, &bold);
    EXPECT_FALSE(plain.layout().values.at(0).rightAligned);
    EXPECT_EQ(plain.layout().values.at(0).x, 100 + textWidth(font, "A") + 100);
}

TEST_F(ReportLayoutTest, RecordReportStripPushedDownByGrowingBlock) {
    const QString longText = QString("Atrial fibrillation, paroxysmal. ").repeated(60);
    const struct {
        const char* what;
        QString diagnosis;
        bool pushed;
    } cases[] = {{"short", "Normal", false}, {"long diagnosis", longText, true}};
    for (const auto& c : cases) {
        ReportPage page(kA4.width(), kA4.height(), samples);
        page.kind = ReportPage::kSnapRecord;
        BuildRecordReport(page, patient(), 3, RecordIndexEntry{}, c.diagnosis);
        const auto* strip = all<PaperStrip>(page).at(0);
        const auto* block = all<FieldBlock>(page).at(0);
        const int fixedTop = int(page.bottom - kStripHeightUnits);
        const int height = page.bottom - fixedTop;
        // The speed label has its own line between the block and the strip.
        const int speed = textHeight(page.bodyFont);
        EXPECT_EQ(strip->rect.height(), height) << c.what;
        EXPECT_EQ(strip->rect.top, c.pushed ? block->rect.bottom + speed : fixedTop) << c.what;
        EXPECT_EQ(block->rect.bottom + speed > fixedTop, c.pushed) << c.what;
        // The wrapped diagnosis row spans the block from its left to its right.
        const TextRow& last = block->rows().back();
        EXPECT_TRUE(last.wrap);
        EXPECT_EQ(last.rect.left, page.left);
        EXPECT_EQ(last.rect.right, page.right);
        EXPECT_EQ(last.rect.bottom, block->rect.bottom);
    }
}

TEST_F(ReportLayoutTest, FieldFlowStartsNewLineBeyondRightPlus100) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(85);
    const QString wide = QStringLiteral("W").repeated(12);
    const int ww = textWidth(font, wide);
    const int h = textHeight(font);
    // q = 1000: the second field starts at ww rounded up to a quarter column.
    FieldBlock block(&font, LayoutRect{0, 0, 4000, 5000});
    block.addField({wide});
    block.addField({wide});
    block.addField({wide});
    block.addField({wide});
    const int step = 1000 * (ww / 1000 + 1);
    ASSERT_EQ(block.rows().size(), 4u);
    int x = 0, y = 0;
    for (const TextRow& row : block.rows()) {
        if (x + ww > 4100) {
            x = 0;
            y += h + 50;
        }
        EXPECT_EQ(row.rect.left, x);
        EXPECT_EQ(row.rect.top, y);
        x += step;
    }
    EXPECT_GT(block.rows().back().rect.top, 0) << "the fields must need two lines";
    EXPECT_EQ(block.rect.bottom, block.rows().back().rect.bottom);
}

TEST_F(ReportLayoutTest, KindFieldTexts) {
    const struct {
        int kind;
        uint16_t field;
        QString expected;
    } cases[] = {
        {ReportPage::kContinuousRecord, 0x0009,
         Langpack::text(ids::kEventSinusRhythm) + "," + Langpack::text(ids::kEventIrregularRhythm)},
        {ReportPage::kContinuousRecord, 0x8000, Langpack::text(ids::kReceiving)},
        {ReportPage::kSnapRecord, 9, Langpack::text(ids::kTypeTachycardia)},
        {ReportPage::kSnapRecord, 0, QString()},
        {ReportPage::kContinuousRecord, 0, QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kindFieldText(c.kind, c.field), c.expected) << c.field;
    EXPECT_FALSE(Langpack::text(ids::kEventIrregularRhythm).isEmpty());
}

// The fields come from the record's bytes at their offsets.
TEST_F(ReportLayoutTest, RecordReportFieldsFromPatientBytes) {
    QByteArray bytes(PatientRecord::kSize, '\0');
    const struct {
        int offset;
        const char16_t* text;
        int label;
    } fields[] = {{32, u"Grace Hopper", ids::kName},
                  {114, u"F", ids::kSex},
                  {134, u"1906-12-09", ids::kDateOfBirth},
                  {244, u"170", ids::kHeight},
                  {274, u"61", ids::kWeight},
                  {304, u"555-0100", ids::kTelephone},
                  {434, u"Arlington", ids::kAddress},
                  {0, u"GH1", ids::kPatientId},
                  {644, u"none", ids::kMedicalHistory}};
    for (const auto& f : fields) {
        const QString s = QString::fromUtf16(f.text);
        for (int k = 0; k < s.size(); ++k) {
            bytes[f.offset + 2 * k] = char(s[k].unicode() & 0xFF);
            bytes[f.offset + 2 * k + 1] = char(s[k].unicode() >> 8);
        }
    }
    ReportPage page(kA4.width(), kA4.height(), samples);
    page.kind = ReportPage::kContinuousRecord;
    RecordIndexEntry header;
    header.heartRate = 64;
    header.kind = 0x0009;
    BuildRecordReport(page, PatientRecord::decode(bytes), 17, header, "Ok");
    QHash<QString, QStringList> byLabel;
    for (const TextRow& row : all<FieldBlock>(page).at(0)->rows())
        byLabel[row.pieces.at(0)] = row.pieces.mid(1);
    for (const auto& f : fields)
        EXPECT_EQ(byLabel.value(Langpack::text(f.label) + ":  ").value(0),
                  QString::fromUtf16(f.text) + "  ")
            << f.label;
    EXPECT_EQ(byLabel.value(Langpack::text(ids::kHeight) + ":  ").value(1),
              Langpack::text(ids::kUnitCm));
    EXPECT_EQ(byLabel.value(Langpack::text(ids::kRecordingNumber) + ":  ").value(0), "17  ");
    EXPECT_EQ(byLabel.value(Langpack::text(ids::kHeartRate) + ":  ").value(0), "64  ");
    EXPECT_EQ(byLabel.value(Langpack::text(ids::kFindings) + ":  ").value(0),
              kindFieldText(page.kind, 0x0009) + "  ");
    // A recorder that had no rate stored 0: the report shows a dash.
    header.heartRate = 0;
    ReportPage noRate(kA4.width(), kA4.height(), samples);
    noRate.kind = ReportPage::kContinuousRecord;
    BuildRecordReport(noRate, PatientRecord::decode(bytes), 17, header, "Ok");
    bool dash = false;
    for (const TextRow& row : all<FieldBlock>(noRate).at(0)->rows())
        dash = dash || row.pieces == QStringList{Langpack::text(ids::kHeartRate) + ":  ", "-  "};
    EXPECT_TRUE(dash);

    // Empty height and weight print empty: no unit standing alone. The
    // registry stores an empty weight as "0".
    PatientRecord unmeasured = patient();
    unmeasured.height.clear();
    unmeasured.weight = normaliseWeight(QString());
    ReportPage empty(kA4.width(), kA4.height(), samples);
    empty.kind = ReportPage::kSnapRecord;
    BuildRecordReport(empty, unmeasured, 1, header, "Ok");
    int checked = 0;
    for (const TextRow& row : all<FieldBlock>(empty).at(0)->rows())
        for (const int id : {ids::kHeight, ids::kWeight})
            if (row.pieces.at(0) == Langpack::text(id) + ":  ") {
                EXPECT_EQ(row.pieces, (QStringList{row.pieces.at(0), "  "})) << id;
                ++checked;
            }
    EXPECT_EQ(checked, 2);
}

TEST(PaperClip, MoveLineRule) {
    // Band 100..200. y values and expected (clamped y, line?).
    const struct {
        int y, clamped;
        bool line;
    } points[] = {{150, 150, false}, {90, 100, true},   {80, 100, false}, {150, 150, true},
                  {250, 200, true},  {260, 200, false}, {50, 100, true},  {120, 120, true}};
    std::vector<PaperPoint> list;
    for (const auto& p : points)
        list.push_back({QPoint(0, p.y), true});
    clipToBand(list, 100, 200);
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].at.y(), points[i].clamped) << i;
        EXPECT_EQ(list[i].line, points[i].line) << i;
    }
}

// A flat recording at 512: the trace lies on each row's zero line, 480 units
// above the row's bottom. Probed on sheets of two resolutions.
TEST_F(ReportLayoutTest, RenderedSheetProbes) {
    ReportPage page(kA4.width(), kA4.height(), samples);
    page.kind = ReportPage::kSnapRecord;
    BuildRecordReport(page, patient(), 1, RecordIndexEntry{}, "Ok");
    const LayoutRect strip = all<PaperStrip>(page).at(0)->rect;
    for (const double pxPerMm : {6.0, 12.0}) {
        const double s = pxPerMm / kUnitsPerMm;
        QImage image(int(297 * pxPerMm), int(210 * pxPerMm), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintReportSheet(painter, image.rect(), QSizeF(297, 210), page, false);
        painter.end();
        // Darkest grey within a pixel above or below: thin lines fall between rows.
        const auto px = [&](double x, double y) {
            int darkest = 255;
            for (int dy = -1; dy <= 1; ++dy)
                darkest = std::min(darkest, qGray(image.pixel(int(x * s), int(y * s) + dy)));
            return darkest;
        };
        for (int row = 0; row < 3; ++row) {
            const int rowBottom = strip.bottom - 1030 * row;
            const double x = strip.left + 24 * 7 + 12; // between vertical lines
            EXPECT_LT(px(x, rowBottom - 480), 60) << "trace, row " << row << " at " << pxPerMm;
            EXPECT_GT(px(x, rowBottom - 480 - 12), 200) << "paper, row " << row;
        }
        // Calibration bracket of the top row: 50 units right of the grid.
        EXPECT_LT(px(strip.left + 6050, strip.bottom - 2060 - 480), 80) << pxPerMm;
        EXPECT_GT(px(strip.left + 6050, strip.bottom - 480), 200) << "only the top row";
    }
}
