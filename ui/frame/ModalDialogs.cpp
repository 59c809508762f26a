#include "ui/frame/ModalDialogs.h"

#include <QDialog>

namespace vantora {

namespace {
ModalHook& hook() {
    static ModalHook h;
    return h;
}
} // namespace

int runModal(QDialog& dialog) {
    return hook() ? hook()(dialog) : dialog.exec();
}

void setModalHook(ModalHook h) {
    hook() = std::move(h);
}

} // namespace vantora
