#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <map>

namespace vantora::test {

// Every file below root with its bytes, by path relative to root. Hidden
// files (the data folder's lock file) are left out: they carry no data.
inline std::map<QString, QByteArray> folderFiles(const QString& root) {
    std::map<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files[QDir(root).relativeFilePath(path)] = file.readAll();
    }
    return files;
}

} // namespace vantora::test
