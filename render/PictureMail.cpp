#include "render/PictureMail.h"
#include "core/StringIds.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace vantora {

namespace {
constexpr int kMailTimeoutMs = 60 * 1000; // xdg-email only starts the mail program
} // namespace

QString mailSubject(const QString& path) {
    const qsizetype cut =
        std::max({path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'), path.lastIndexOf(u':')});
    QString name = path.mid(cut + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    return name + QStringLiteral("  ECG Record");
}

QString mailFolder() {
    const QString folder =
        QDir::tempPath() + QStringLiteral("/VantoraECG-mail-") + QString::number(getuid());
    QDir().mkpath(folder);
    return folder;
}

void cleanMailFolder() {
    QDir(mailFolder()).removeRecursively();
}

Result<> SendFileByMail(const QString& path, const QString& subject, const QString& program) {
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return Message{ids::kNoMailProgram, {}};
    QProcess process;
    process.start(found,
                  {QStringLiteral("--subject"), subject.isEmpty() ? mailSubject(path) : subject,
                   QStringLiteral("--attach"), path});
    if (!process.waitForFinished(kMailTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        return Message{ids::kMailFailed, {}};
    }
    return {};
}

} // namespace vantora
