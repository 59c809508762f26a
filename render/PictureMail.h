#pragma once

#include "core/Message.h"
#include "core/Result.h"

#include <QString>

namespace vantora {

// Hands a picture to the user's mail program through xdg-email. xdg-email
// returns before the mail program has read the attachment, so mailed
// pictures stay in the program's own mail folder until it exits, and a
// folder left by a crash is emptied at the next start.

// The subject: the file's name part (after the last "\", "/" or ":") up to
// its first ".", then "  ECG Record".
QString mailSubject(const QString& path);

// The folder mailed pictures are written to (created on demand), one per user.
QString mailFolder();
// Removes the mail folder with everything in it.
void cleanMailFolder();

// Runs `program` (found on the PATH) with --subject and --attach: none when
// it is not found (61840), 61842 when it failed or exited non-zero. The file
// is left for the mail program. An empty subject is mailSubject(path).
Result<> SendFileByMail(const QString& path, const QString& subject = {},
                        const QString& program = QStringLiteral("xdg-email"));

} // namespace vantora
