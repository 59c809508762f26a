#include "tools/cli/TerminalPrompter.h"

#include "core/Langpack.h"
#include "core/StringIds.h"

#include <QString>

namespace vantora::cli {

bool TerminalPrompter::confirm(const Message& question) {
    const QByteArray caption = Langpack::text(ids::kConfirmCaption).toUtf8();
    const QByteArray text = question.text().toUtf8();
    std::fprintf(out_, "%s: %s [y/N] ", caption.constData(), text.constData());
    std::fflush(out_);
    char line[64] = {};
    if (!std::fgets(line, sizeof line, in_))
        return false;
    const QString answer = QString::fromUtf8(line).trimmed().toLower();
    return answer == QStringLiteral("y") || answer == QStringLiteral("yes");
}

} // namespace vantora::cli
