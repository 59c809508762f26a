#pragma once

// A stand-in xdg-email first on the PATH for the life of the object: it
// records its arguments, one a line, and exits with the status given.
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace vantora::test {

class StandInMail {
public:
    explicit StandInMail(int status) {
        script_ = dir_.filePath("xdg-email");
        QFile f(script_);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1'\n"
                               "exit %2\n")
                    .arg(dir_.filePath("args"))
                    .arg(status)
                    .toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        oldPath_ = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir_.path()) + ":" + oldPath_);
    }
    ~StandInMail() { qputenv("PATH", oldPath_); }
    QStringList arguments() const {
        QFile f(dir_.filePath("args"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir dir_;
    QString script_;
    QByteArray oldPath_;
};

// TMPDIR pointed at a folder of this object's own while it lives: tests that
// run at once each get their own mail folder.
class PrivateTempDir {
public:
    PrivateTempDir() : old_(qgetenv("TMPDIR")) {
        qputenv("TMPDIR", QFile::encodeName(dir_.path()));
    }
    ~PrivateTempDir() {
        if (old_.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old_);
    }

private:
    QTemporaryDir dir_;
    QByteArray old_;
};

} // namespace vantora::test
