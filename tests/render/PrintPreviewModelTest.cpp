// The print preview's state: enabling of its seven commands in every kind of
// state, the click-zoom cycle, the page bounds with one and two sheets, the
// remembered sheet choice, and where the sheets go on screen.
#include "render/PrintPreviewModel.h"
#include "core/AppSettings.h"
#include "core/StringIds.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

constexpr int kCommands[] = {
    ids::kCmdPreviewClose, ids::kCmdPreviewSheets, ids::kCmdPreviewNext,   ids::kCmdPreviewPrevious,
    ids::kCmdPreviewPrint, ids::kCmdPreviewZoomIn, ids::kCmdPreviewZoomOut};

// A model of `pages` pages showing page `current` at `zoom`.
PrintPreviewModel at(int pages, int sheets, int current, int zoom) {
    PrintPreviewModel m(pages, sheets);
    for (int z = 0; z < zoom; ++z)
        m.run(ids::kCmdPreviewZoomIn);
    m.setCurrent(current);
    return m;
}

// The enabled commands, in the order of kCommands, as '1' and '0'.
std::string enabledSet(const PrintPreviewModel& m) {
    std::string out;
    for (int c : kCommands)
        out += m.enabled(c) ? '1' : '0';
    return out;
}

} // namespace

TEST(PrintPreviewModel, CommandsEnabledByState) {
    const struct {
        int pages, sheets, current, zoom;
        const char* enabled; // close sheets next previous print in out
    } cases[] = {
        {1, 1, 0, 0, "1000110"}, // one page: nothing to page or pair
        {1, 2, 0, 0, "1000110"}, // two remembered, one page: one shown, no choice
        {3, 1, 0, 0, "1110110"}, {3, 1, 1, 0, "1111110"},
        {3, 1, 2, 0, "1101110"}, {3, 2, 0, 0, "1110110"}, // pages 1 and 2 shown
        {3, 2, 1, 0, "1101110"},                          // pages 2 and 3: the last is shown
        {3, 2, 2, 1, "1001111"},                          // magnified: one sheet, the third page
        {3, 1, 0, 2, "1010101"}, // fully magnified: no further zoom in, no pairing
        {2, 2, 0, 0, "1100110"},
    };
    for (const auto& c : cases) {
        const PrintPreviewModel m = at(c.pages, c.sheets, c.current, c.zoom);
        ASSERT_EQ(m.current(), c.current);
        ASSERT_EQ(m.zoom(), c.zoom);
        EXPECT_EQ(enabledSet(m), c.enabled) << c.pages << " pages, " << c.sheets << " sheets, page "
                                            << c.current << ", zoom " << c.zoom;
        // A disabled command changes nothing.
        for (int command : kCommands) {
            if (m.enabled(command) || command == ids::kCmdPreviewClose ||
                command == ids::kCmdPreviewPrint)
                continue;
            PrintPreviewModel copy = m;
            EXPECT_FALSE(copy.run(command)) << command;
            EXPECT_EQ(enabledSet(copy), enabledSet(m)) << command;
            EXPECT_EQ(copy.current(), m.current()) << command;
        }
    }
}

TEST(PrintPreviewModel, PagingStaysWithinThePagesShown) {
    for (int pages = 1; pages <= 4; ++pages) {
        for (int sheets = 1; sheets <= 2; ++sheets) {
            PrintPreviewModel m(pages, sheets);
            const int shown = std::min(sheets, pages);
            int steps = 0;
            while (m.run(ids::kCmdPreviewNext))
                ++steps;
            EXPECT_EQ(steps, pages - shown) << pages << "/" << sheets;
            EXPECT_EQ(m.current() + m.sheetsShown(), pages); // last page on screen
            while (m.run(ids::kCmdPreviewPrevious))
                --steps;
            EXPECT_EQ(steps, 0);
            EXPECT_EQ(m.current(), 0);
            m.setCurrent(pages + 5);
            EXPECT_EQ(m.current(), pages - shown);
            m.setCurrent(-3);
            EXPECT_EQ(m.current(), 0);
        }
    }
}

TEST(PrintPreviewModel, ClickCyclesTheZoomAndShowsTheClickedSheet) {
    PrintPreviewModel m(4, 2);
    m.setCurrent(2); // pages 3 and 4
    m.clickZoom(1);  // on page 4
    EXPECT_EQ(m.zoom(), 1);
    EXPECT_EQ(m.current(), 3);
    EXPECT_EQ(m.sheetsShown(), 1);
    m.clickZoom(0);
    EXPECT_EQ(m.zoom(), 2);
    EXPECT_EQ(m.current(), 3);
    m.clickZoom(0);
    EXPECT_EQ(m.zoom(), 0);
    // Whole sheets again: two shown, the last two.
    EXPECT_EQ(m.sheetsShown(), 2);
    EXPECT_EQ(m.current(), 2);
    // Zooming out by the button does the same.
    m.clickZoom(1);
    ASSERT_TRUE(m.run(ids::kCmdPreviewZoomOut));
    EXPECT_EQ(m.current(), 2);
}

TEST(PrintPreviewModel, SheetsToggleCaptionAndPageText) {
    PrintPreviewModel m(3, 1);
    m.setCurrent(2);
    EXPECT_EQ(m.sheetsCaption(), ids::kTwoPages);
    EXPECT_EQ(m.pageText(), std::make_pair(ids::kPageNumber, QStringLiteral("3")));
    ASSERT_TRUE(m.run(ids::kCmdPreviewSheets));
    EXPECT_EQ(m.sheetsChosen(), 2);
    EXPECT_EQ(m.sheetsCaption(), ids::kOnePage);
    EXPECT_EQ(m.pageText(), std::make_pair(ids::kPageNumbers, QStringLiteral("2-3")));
    ASSERT_TRUE(m.run(ids::kCmdPreviewSheets));
    EXPECT_EQ(m.sheetsChosen(), 1);
    EXPECT_EQ(m.current(), 1);
}

TEST(PrintPreviewModel, SheetChoiceIsRemembered) {
    QTemporaryDir dir;
    AppSettings::setStoreFile(dir.filePath(QStringLiteral("s.ini")));
    {
        AppSettings settings;
        EXPECT_EQ(PrintPreviewModel::rememberedSheets(settings), 1); // none yet
        PrintPreviewModel::rememberSheets(settings, 2);
    }
    EXPECT_EQ(PrintPreviewModel::rememberedSheets(AppSettings()), 2);
    {
        AppSettings settings;
        settings.setInt32(AppSettings::kPreviewSheets, 7);
        EXPECT_EQ(PrintPreviewModel::rememberedSheets(settings), 1); // nonsense is one
    }
    AppSettings::setStoreFile(QString());
}

TEST(PreviewGeometry, SheetsFitAtWholeSheetsAndGrowWhenMagnified) {
    const QSize viewport(1000, 640);
    const QSizeF a4(297, 210);
    const double trueSize = 96 / 25.4;
    for (int sheets = 1; sheets <= 2; ++sheets) {
        PrintPreviewModel m(3, sheets);
        const PreviewGeometry whole = previewGeometry(m, viewport, a4, trueSize);
        EXPECT_EQ(whole.content, viewport);
        ASSERT_EQ(whole.sheets.size(), sheets);
        for (const QRect& r : whole.sheets) {
            EXPECT_TRUE(QRect(QPoint(), viewport).contains(r)) << sheets;
            EXPECT_NEAR(double(r.width()) / r.height(), 297.0 / 210.0, 0.01);
        }
        if (sheets == 2) {
            EXPECT_LT(whole.sheets[0].right(), whole.sheets[1].left());
        }
        // One dimension is used up to the margins: the sheets fit, not shrink.
        const QRect all = whole.sheets.first().united(whole.sheets.last());
        EXPECT_TRUE(viewport.width() - all.width() <= 3 * 12 + 1 ||
                    viewport.height() - all.height() <= 2 * 12 + 1);

        QSize previous = whole.sheets.first().size();
        for (int zoom = 1; zoom < PrintPreviewModel::kZoomStates; ++zoom) {
            m.run(ids::kCmdPreviewZoomIn);
            const PreviewGeometry g = previewGeometry(m, viewport, a4, trueSize);
            ASSERT_EQ(g.sheets.size(), 1);
            const QRect r = g.sheets.first();
            EXPECT_GT(r.width(), previous.width());
            EXPECT_GE(r.width(), qRound(297 * trueSize) * zoom - 1);
            EXPECT_TRUE(QRect(QPoint(), g.content).contains(r));
            EXPECT_GE(g.content.width(), viewport.width());
            previous = r.size();
        }
    }
}
