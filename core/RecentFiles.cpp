#include "core/RecentFiles.h"

#include "core/AppSettings.h"

#include <QDir>
#include <QFileInfo>

namespace vantora {

namespace {

QByteArray keyOf(int entry) {
    return "RecentFile" + QByteArray::number(entry + 1);
}

QString absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList RecentFiles::added(QStringList list, const QString& path) {
    if (path.isEmpty())
        return list;
    const QString file = absolute(path);
    list.removeIf([&file](const QString& entry) { return absolute(entry) == file; });
    list.prepend(file);
    while (list.size() > kMax)
        list.removeLast();
    return list;
}

QStringList RecentFiles::existing(const QStringList& list) {
    QStringList out;
    for (const QString& entry : list)
        if (QFileInfo(entry).isFile())
            out.append(entry);
    return out;
}

QStringList RecentFiles::load(const AppSettings& settings) {
    QStringList list;
    for (int i = 0; i < kMax; ++i)
        if (const std::optional<QString> entry = settings.string(keyOf(i).constData());
            entry && !entry->isEmpty())
            list.append(*entry);
    return list;
}

bool RecentFiles::save(AppSettings& settings, const QStringList& list) {
    bool written = true;
    for (int i = 0; i < kMax; ++i) {
        const QByteArray key = keyOf(i);
        if (i < list.size())
            written = settings.setString(key.constData(), list[i]) && written;
        else
            settings.remove(key.constData());
    }
    return written;
}

bool RecentFiles::record(AppSettings& settings, const QString& path) {
    return save(settings, added(existing(load(settings)), path));
}

} // namespace vantora
