#include "ui/pages/Page.h"

#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/PageHost.h"

#include <QAction>
#include <QHideEvent>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

namespace vantora {

Page::Page(PageHost& frame) : frame_(frame) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(kBackground));
    setPalette(pal);
}

Page::~Page() = default;

void Page::setHasRecord(bool hasRecord) {
    m_bHasRecord = hasRecord;
    for (QAction* command : recordCommands_)
        command->setEnabled(hasRecord);
    frame_.UpdateCommandUI();
}

void Page::addRecordCommand(QAction* action) {
    action->setEnabled(m_bHasRecord);
    recordCommands_ << action;
    if (isVisible())
        placeRecordCommand(action);
}

// Beside print and preview; a page left is deleted only later, so its buttons
// go when it hides.
void Page::placeRecordCommand(QAction* action) {
    QToolBar* bar = frame_.toolbarTools();
    if (!bar || bar->actions().contains(action))
        return;
    commandBar_ = bar;
    bar->addAction(action);
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
        button && action->menu())
        button->setPopupMode(QToolButton::MenuButtonPopup);
}

void Page::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    for (QAction* command : recordCommands_)
        placeRecordCommand(command);
}

void Page::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (commandBar_ && !event->spontaneous())
        for (QAction* command : recordCommands_)
            commandBar_->removeAction(command);
}

AppState& Page::state() const {
    return frame_.state();
}

MessageBoxPrompter& Page::prompter() const {
    return frame_.prompter();
}

void Page::showMessage(const Message& message) const {
    frame_.prompter().show(message);
}

} // namespace vantora
