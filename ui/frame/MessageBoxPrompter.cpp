#include "ui/frame/MessageBoxPrompter.h"

#include "core/Langpack.h"
#include "core/StringIds.h"

#include <QMessageBox>

namespace vantora {

namespace {

MessageBoxPrompter::Hook& hook() {
    static MessageBoxPrompter::Hook h;
    return h;
}
} // namespace

void MessageBoxPrompter::setHook(Hook h) {
    hook() = std::move(h);
}

bool MessageBoxPrompter::confirm(const Message& question) {
    const QString text = question.text();
    if (hook())
        return hook()(text, true);
    return QMessageBox::information(parent_, Langpack::text(ids::kConfirmCaption), text,
                                    QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::No) == QMessageBox::Yes;
}

void MessageBoxPrompter::show(const Message& message) {
    showText(message.text());
}

void MessageBoxPrompter::showText(const QString& text) {
    if (hook()) {
        hook()(text, false);
        return;
    }
    QMessageBox::information(parent_, Langpack::text(ids::kAppTitle).trimmed(), text);
}

} // namespace vantora
