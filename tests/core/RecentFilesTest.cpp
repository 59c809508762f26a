// The recent-file list: newest first, one entry per file, at most four, files
// gone from the disk dropped; stored in the settings and read back.
#include "core/RecentFiles.h"

#include "core/AppSettings.h"
#include "support/TestData.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantora;

TEST(RecentFiles, OpenedFilesJoinTheStoredList) {
    test::TempDataRoot dir;
    for (const char* name : {"a.cEcg", "b.cEcg", "c.cEcg", "d.cEcg", "e.cEcg", "ECGDATA.DAT"})
        ASSERT_TRUE(test::writeAll(dir.file(QLatin1String(name)), "x"));
    const auto paths = [&dir](const QStringList& names) {
        QStringList out;
        for (const QString& name : names)
            out << dir.file(name);
        return out;
    };
    struct Case {
        const char* rule;
        QStringList stored; // before
        QString opened;     // as handed to the frame
        QStringList after;
    };
    const Case cases[] = {
        {"first entry", {}, dir.file("a.cEcg"), {"a.cEcg"}},
        {"newest first", {"a.cEcg"}, dir.file("ECGDATA.DAT"), {"ECGDATA.DAT", "a.cEcg"}},
        {"the same file once", {"a.cEcg", "b.cEcg"}, dir.file("a.cEcg"), {"a.cEcg", "b.cEcg"}},
        {"reopened moves to the front",
         {"a.cEcg", "b.cEcg", "c.cEcg"},
         dir.file("c.cEcg"),
         {"c.cEcg", "a.cEcg", "b.cEcg"}},
        {"the same file spelt otherwise",
         {"a.cEcg", "b.cEcg"},
         dir.path() + QStringLiteral("/SnapData/../b.cEcg"),
         {"b.cEcg", "a.cEcg"}},
        {"at most four, the oldest goes",
         {"a.cEcg", "b.cEcg", "c.cEcg", "d.cEcg"},
         dir.file("e.cEcg"),
         {"e.cEcg", "a.cEcg", "b.cEcg", "c.cEcg"}},
        {"files gone are dropped",
         {"a.cEcg", "gone.cEcg", "b.cEcg", "c.cEcg"},
         dir.file("d.cEcg"),
         {"d.cEcg", "a.cEcg", "b.cEcg", "c.cEcg"}},
        {"no path changes nothing", {"a.cEcg"}, QString(), {"a.cEcg"}},
    };
    QTemporaryDir settingsDir;
    AppSettings::setStoreFile(settingsDir.filePath(QStringLiteral("settings.ini")));
    for (const Case& c : cases) {
        AppSettings settings;
        ASSERT_TRUE(RecentFiles::save(settings, paths(c.stored))) << c.rule;
        EXPECT_EQ(RecentFiles::load(settings), paths(c.stored)) << c.rule;
        EXPECT_TRUE(RecentFiles::record(settings, c.opened)) << c.rule;
        EXPECT_EQ(RecentFiles::load(AppSettings()), paths(c.after)) << c.rule;
        EXPECT_FALSE(AppSettings().string("RecentFile5")) << c.rule;
    }
    // The list shown leaves out files deleted since they were stored.
    AppSettings settings;
    ASSERT_TRUE(RecentFiles::save(settings, paths({"d.cEcg", "a.cEcg", "b.cEcg", "c.cEcg"})));
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("a.cEcg"))));
    EXPECT_EQ(RecentFiles::existing(RecentFiles::load(AppSettings())),
              paths({"d.cEcg", "b.cEcg", "c.cEcg"}));
    AppSettings::setStoreFile(QString());
}
