// Where the main window opens: on a screen that exists, frame included, at
// the remembered (else preferred) size as far as that screen holds it; and
// the remembered geometry read back from a real settings file.
#include "core/WindowPlacement.h"
#include "core/AppSettings.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace vantora;

namespace {

const QMargins kTitleBar(0, 30, 0, 0);
const QRect kWide(0, 0, 1920, 1040);     // primary, panel below
const QRect kRight(1920, 0, 1280, 1024); // a second monitor to its right
const QRect kNetbook(0, 0, 1024, 600);   // the smallest screen served
const QRect kScaled2(0, 0, 1280, 720);   // 2560 x 1440 at scale factor 2
const QRect kTopPanel(0, 32, 1024, 568); // 1024 x 600 with a panel above
const QRect kLeft(-1280, 0, 1280, 1024); // a monitor left of the primary

struct Case {
    const char* what;
    QList<QRect> screens;
    int home;
    std::optional<QRect> saved;
    QRect expected; // client rectangle
};

} // namespace

TEST(WindowPlacementTest, OpensWhollyOnAScreenThatExists) {
    const Case cases[] = {
        {"nothing saved, small screen: full width, title bar on screen",
         {kNetbook},
         0,
         std::nullopt,
         QRect(0, 30, 1024, 570)},
        {"nothing saved, scale 2: height shrinks, centred",
         {kScaled2},
         0,
         std::nullopt,
         QRect(128, 30, 1024, 690)},
        {"nothing saved, panel above: starts below it",
         {kTopPanel},
         0,
         std::nullopt,
         QRect(0, 62, 1024, 538)},
        {"nothing saved: centred on the primary even when it is not first",
         {kLeft, kWide},
         1,
         std::nullopt,
         QRect(448, 151, 1024, 768)},
        {"saved on a monitor that exists: kept",
         {kWide, kRight},
         0,
         QRect(2000, 200, 1000, 700),
         QRect(2000, 200, 1000, 700)},
        {"saved on a monitor that is gone: primary, clamped",
         {kWide},
         0,
         QRect(2500, 100, 800, 600),
         QRect(1120, 100, 800, 600)},
        {"saved across two monitors: the one holding most of it",
         {kWide, kRight},
         0,
         QRect(1700, 100, 1000, 600),
         QRect(1920, 100, 1000, 600)},
        {"saved larger than the screen and above it: shrunk and pulled in",
         {kNetbook},
         0,
         QRect(-50, -40, 1400, 900),
         QRect(0, 30, 1024, 570)},
        {"saved below the bottom of a screen left of the primary",
         {kLeft, kWide},
         1,
         QRect(-1000, 990, 640, 480),
         QRect(-1000, 544, 640, 480)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QRect client = placeWindow(c.screens, c.home, c.saved, QSize(1024, 768), kTitleBar);
        EXPECT_EQ(client, c.expected);
        const QRect outer = client.marginsAdded(kTitleBar);
        bool onOneScreen = false;
        for (const QRect& screen : c.screens)
            onOneScreen |= screen.contains(outer);
        EXPECT_TRUE(onOneScreen);
    }
}

TEST(WindowPlacementTest, RemembersGeometryInTheSettingsFile) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    AppSettings::setStoreFile(ini);
    {
        AppSettings settings;
        EXPECT_FALSE(loadWindowGeometry(settings)); // never saved
        ASSERT_TRUE(saveWindowGeometry(settings, {QRect(-1200, 40, 900, 560), true}));
    }
    {
        const std::optional<WindowGeometry> back = loadWindowGeometry(AppSettings());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->normal, QRect(-1200, 40, 900, 560));
        EXPECT_TRUE(back->maximized);
    }
    // Values a hand or another version left unreadable are ignored.
    for (const char* text : {"1,2,3", "a,b,c,d", "0,0,0,500", "0,0,800,-1", ""}) {
        SCOPED_TRACE(text);
        QSettings(ini, QSettings::IniFormat)
            .setValue(QLatin1String(AppSettings::kWindowGeometry), QString::fromLatin1(text));
        EXPECT_FALSE(loadWindowGeometry(AppSettings()));
    }
    AppSettings::setStoreFile(QString());
}
