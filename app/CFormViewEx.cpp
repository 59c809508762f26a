#include "app/CFormViewEx.h"

#include "app/CMainFrame.h"
#include "app/MessageBoxPrompter.h"

namespace vantora {

CFormViewEx::CFormViewEx(CMainFrame& frame) : frame_(frame) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(kBackground));
    setPalette(pal);
}

CFormViewEx::~CFormViewEx() = default;

void CFormViewEx::setHasRecord(bool hasRecord) {
    m_bHasRecord = hasRecord;
    frame_.UpdateCommandUI();
}

AppState& CFormViewEx::state() const {
    return frame_.state();
}

MessageBoxPrompter& CFormViewEx::prompter() const {
    return frame_.prompter();
}

void CFormViewEx::showMessage(const Message& message) const {
    frame_.prompter().show(message);
}

} // namespace vantora
