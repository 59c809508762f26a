#include "core/WindowPlacement.h"

#include "core/AppSettings.h"

#include <QStringList>

#include <algorithm>

namespace vantora {

namespace {

qint64 overlapArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

// The screen the saved rectangle lies on most; `home` when it touches none
// (its monitor was unplugged, or the desktop shrank).
int chooseScreen(const QList<QRect>& screens, int home, const std::optional<QRect>& saved) {
    if (!saved)
        return home;
    int best = home;
    qint64 bestArea = 0;
    for (int i = 0; i < screens.size(); ++i)
        if (const qint64 area = overlapArea(screens[i], *saved); area > bestArea) {
            best = i;
            bestArea = area;
        }
    return best;
}

int clampInto(int start, int length, int roomStart, int roomLength) {
    return std::clamp(start, roomStart, roomStart + std::max(0, roomLength - length));
}

} // namespace

QRect placeWindow(const QList<QRect>& screens, int home, const std::optional<QRect>& saved,
                  QSize preferred, QMargins frame) {
    if (screens.isEmpty())
        return QRect(saved ? saved->topLeft() : QPoint(), saved ? saved->size() : preferred);
    home = std::clamp(home, 0, int(screens.size()) - 1);
    const std::optional<QRect> savedFrame =
        saved ? std::optional<QRect>(saved->marginsAdded(frame)) : std::nullopt;
    const QRect room = screens[chooseScreen(screens, home, savedFrame)];
    const QSize wanted = saved ? saved->size() : preferred;
    const QSize roomForClient = room.marginsRemoved(frame).size();
    const QSize size(std::max(1, std::min(wanted.width(), roomForClient.width())),
                     std::max(1, std::min(wanted.height(), roomForClient.height())));
    QRect outer(QPoint(), size.grownBy(frame));
    if (savedFrame)
        outer.moveTopLeft(savedFrame->topLeft());
    else
        outer.moveCenter(room.center());
    outer.moveTo(clampInto(outer.left(), outer.width(), room.left(), room.width()),
                 clampInto(outer.top(), outer.height(), room.top(), room.height()));
    return outer.marginsRemoved(frame);
}

std::optional<WindowGeometry> loadWindowGeometry(const AppSettings& settings) {
    const std::optional<QString> text = settings.string(AppSettings::kWindowGeometry);
    if (!text)
        return std::nullopt;
    const QStringList parts = text->split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return WindowGeometry{QRect(values[0], values[1], values[2], values[3]),
                          settings.int32(AppSettings::kWindowMaximized).value_or(0) != 0};
}

bool saveWindowGeometry(AppSettings& settings, const WindowGeometry& geometry) {
    const QRect& r = geometry.normal;
    return settings.setString(AppSettings::kWindowGeometry, QStringLiteral("%1,%2,%3,%4")
                                                                .arg(r.x())
                                                                .arg(r.y())
                                                                .arg(r.width())
                                                                .arg(r.height())) &&
           settings.setInt32(AppSettings::kWindowMaximized, geometry.maximized ? 1 : 0);
}

} // namespace vantora
