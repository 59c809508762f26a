#pragma once

#include <QStringList>

namespace vantora {

class AppSettings;

// The recent-file list: the last files opened through the frame (chart and
// card files), newest first, at most four, kept in the settings as
// RecentFile1 ... RecentFile4.
class RecentFiles {
public:
    static constexpr int kMax = 4;

    // The list with `path` (made absolute) first: an earlier entry of the same
    // file is dropped and the list is cut to kMax. An empty path changes nothing.
    static QStringList added(QStringList list, const QString& path);
    // The entries whose files still exist, in order.
    static QStringList existing(const QStringList& list);

    // The stored list (empty entries skipped) and its replacement; false when
    // the settings cannot be written.
    static QStringList load(const AppSettings& settings);
    static bool save(AppSettings& settings, const QStringList& list);
    // An opened file joins the stored list; files gone since are dropped.
    static bool record(AppSettings& settings, const QString& path);
};

} // namespace vantora
