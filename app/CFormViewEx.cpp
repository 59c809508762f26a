#include "app/CFormViewEx.h"

#include "app/CMainFrame.h"
#include "app/MessageBoxPrompter.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

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
    for (QAction* command : recordCommands_)
        command->setEnabled(hasRecord);
    frame_.UpdateCommandUI();
}

void CFormViewEx::addRecordCommand(QAction* action) {
    action->setEnabled(m_bHasRecord);
    recordCommands_ << action;
    // Beside print and preview; the button goes when the page deletes the action.
    QToolBar* bar = frame_.toolbarTools();
    if (!bar)
        return;
    bar->addAction(action);
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
        button && action->menu())
        button->setPopupMode(QToolButton::MenuButtonPopup);
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
