#include "ui/pages/CFormViewEx.h"

#include "ui/frame/CMainFrame.h"
#include "ui/frame/MessageBoxPrompter.h"

#include <QAction>
#include <QHideEvent>
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
    if (isVisible())
        placeRecordCommand(action);
}

// Beside print and preview; a page left is deleted only later, so its buttons
// go when it hides.
void CFormViewEx::placeRecordCommand(QAction* action) {
    QToolBar* bar = frame_.toolbarTools();
    if (!bar || bar->actions().contains(action))
        return;
    commandBar_ = bar;
    bar->addAction(action);
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
        button && action->menu())
        button->setPopupMode(QToolButton::MenuButtonPopup);
}

void CFormViewEx::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    for (QAction* command : recordCommands_)
        placeRecordCommand(command);
}

void CFormViewEx::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (commandBar_ && !event->spontaneous())
        for (QAction* command : recordCommands_)
            commandBar_->removeAction(command);
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
