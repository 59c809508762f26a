#pragma once

// A CUPS server of the test's own: cupsd with its configuration, spool and
// socket in a temporary folder, no network port, queues that throw the
// printed data away while the spool keeps every job's document and control
// file. CUPS_SERVER points the program (Qt's print support, lpstat) at it.
// Needs cupsd and lpadmin (scripts/deps installs cups-daemon, cups-client).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace vantora::test {

class PrivateCups {
public:
    // Whether cupsd and lpadmin are installed.
    bool installed() {
        const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")};
        cupsd_ = QStandardPaths::findExecutable(QStringLiteral("cupsd"), sbin);
        lpadmin_ = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), sbin);
        return !cupsd_.isEmpty() && !lpadmin_.isEmpty();
    }

    // Starts the installed server; false (with the reason in error()) when
    // it cannot.
    bool start() {
        if (!installed())
            return fail(QStringLiteral("cupsd or lpadmin is not installed"));
        for (const char* sub : {"etc", "spool", "tmp", "cache", "state", "log"})
            QDir(dir_.path()).mkpath(QString::fromLatin1(sub));
        writeConfiguration();
        qputenv("CUPS_SERVER", socket().toLocal8Bit());
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start(cupsd_, {QStringLiteral("-f"), QStringLiteral("-c"), path("etc/cupsd.conf"),
                               QStringLiteral("-s"), path("etc/cups-files.conf")});
        if (!server_.waitForStarted(5000))
            return fail(QStringLiteral("cupsd did not start"));
        for (int wait = 0; wait < 100 && !QFile::exists(socket()); ++wait) // 10 s
            if (server_.waitForFinished(100))
                break;
        if (!QFile::exists(socket()))
            return fail(QStringLiteral("cupsd did not open its socket: ") +
                        QString::fromLocal8Bit(server_.readAll()) + log());
        return true;
    }

    ~PrivateCups() {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000))
                server_.kill();
        }
        qunsetenv("CUPS_SERVER");
    }

    // Adds an enabled queue that accepts jobs; false with error() set when
    // lpadmin refuses.
    bool addQueue(const QString& name, const QString& deviceUri) {
        QProcess lpadmin;
        lpadmin.setProcessChannelMode(QProcess::MergedChannels);
        lpadmin.start(lpadmin_, {QStringLiteral("-p"), name, QStringLiteral("-E"),
                                 QStringLiteral("-v"), deviceUri});
        if (lpadmin.waitForFinished(10000) && lpadmin.exitCode() == 0)
            return true;
        return fail(QStringLiteral("lpadmin: ") + QString::fromLocal8Bit(lpadmin.readAll()));
    }

    // The documents of every job so far ("d00001-001", ...), oldest first.
    QStringList jobDocuments() const {
        const QDir spool(path("spool"));
        QStringList names = spool.entryList({QStringLiteral("d*")}, QDir::Files, QDir::Name);
        for (QString& name : names)
            name = spool.filePath(name);
        return names;
    }
    // The control file of a job document: its attributes (job name, printer).
    // cupsd writes it a moment after taking the job.
    static QByteArray controlOf(const QString& document) {
        const QFileInfo file(document);
        QFile control(file.dir().filePath(QStringLiteral("c") + file.fileName().mid(1, 5)));
        for (int wait = 0; wait < 100 && control.size() == 0; ++wait) // 10 s
            QThread::msleep(100);
        return control.open(QIODevice::ReadOnly) ? control.readAll() : QByteArray();
    }

    const QString& error() const { return error_; }

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString socket() const { return path(QStringLiteral("cups.sock")); }
    QString log() const {
        QFile f(path(QStringLiteral("log/error_log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }
    bool fail(const QString& why) {
        error_ = why;
        return false;
    }

    void writeConfiguration() const {
        QFile conf(path(QStringLiteral("etc/cupsd.conf")));
        conf.open(QIODevice::WriteOnly);
        conf.write(QStringLiteral("Listen %1\n"
                                  "Browsing No\n"
                                  "LogLevel warn\n"
                                  "PreserveJobFiles Yes\n"
                                  "PreserveJobHistory Yes\n"
                                  "DefaultPolicy open\n"
                                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                  "<Policy open>\n  <Limit All>\n    Order deny,allow\n"
                                  "  </Limit>\n</Policy>\n")
                       .arg(socket())
                       .toLocal8Bit());
        QFile files(path(QStringLiteral("etc/cups-files.conf")));
        files.open(QIODevice::WriteOnly);
        QString text;
        const std::pair<const char*, const char*> dirs[] = {{"ServerRoot", "etc"},
                                                            {"RequestRoot", "spool"},
                                                            {"TempDir", "tmp"},
                                                            {"CacheDir", "cache"},
                                                            {"StateDir", "state"},
                                                            {"ErrorLog", "log/error_log"},
                                                            {"AccessLog", "log/access_log"},
                                                            {"PageLog", "log/page_log"}};
        for (const auto& [key, sub] : dirs)
            text += QStringLiteral("%1 %2\n").arg(QLatin1String(key), path(QLatin1String(sub)));
        files.write((text + QStringLiteral("FileDevice Yes\n")).toLocal8Bit());
    }

    QTemporaryDir dir_;
    QProcess server_;
    QString cupsd_;
    QString lpadmin_;
    QString error_;
};

} // namespace vantora::test
