#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace vantora {

class AppSettings;

// The print preview's state: which report pages are on screen, one or two
// sheets side by side, the zoom state (0 whole sheets, 1 and 2 magnified)
// and the enabling of each command. Widget-free; PrintPreviewView shows it.
class PrintPreviewModel {
public:
    static constexpr int kZoomStates = 3;

    // `pageCount` report pages (at least 1); `sheets` is the remembered
    // choice of one or two sheets (anything else counts as one).
    PrintPreviewModel(int pageCount, int sheets);

    int pageCount() const { return pageCount_; }
    // The first page on screen, from 0.
    int current() const { return current_; }
    int zoom() const { return zoom_; }
    // The user's choice, remembered for the next preview.
    int sheetsChosen() const { return sheets_; }
    // Sheets on screen: one while magnified or when only one page exists.
    int sheetsShown() const;
    // Highest first page: the last sheets stay filled.
    int lastCurrent() const { return pageCount_ - sheetsShown(); }

    bool enabled(int command) const;
    // Runs a command that changes the state (sheets, next, previous, zoom in
    // and out); false when it is disabled or belongs to the view (close, print).
    bool run(int command);
    // A click on sheet `sheet` (0 the left one) cycles the zoom 0 -> 1 -> 2 -> 0;
    // magnifying shows the clicked page.
    void clickZoom(int sheet);
    // Scrolling at zoom state 0 moves through the pages.
    void setCurrent(int page);

    // The sheets button's caption: two while one is shown, one while two are.
    int sheetsCaption() const;
    // The resource text and its "$" telling which pages are shown.
    std::pair<int, QString> pageText() const;

    // The remembered choice; 1 when none.
    static int rememberedSheets(const AppSettings& settings);
    static void rememberSheets(AppSettings& settings, int sheets);

private:
    void clamp();

    int pageCount_;
    int sheets_;
    int current_ = 0;
    int zoom_ = 0;
};

// Where the sheets go in the preview's scrolled content, in screen pixels.
struct PreviewGeometry {
    QSize content;       // the scrolled area; the viewport at zoom state 0
    QList<QRect> sheets; // one rectangle per shown sheet, left to right
};

// Lays out the shown sheets of `sheetMm` (landscape) in `viewport`: at zoom 0
// they fit side by side with a margin; state 1 is true size (`pixelsPerMm`,
// at least half again the fitted size), state 2 twice that, centred when
// smaller than the viewport.
PreviewGeometry previewGeometry(const PrintPreviewModel& model, const QSize& viewport,
                                const QSizeF& sheetMm, double pixelsPerMm);

} // namespace vantora
