#include "ui/frame/KeyboardFocus.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFocusFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTextEdit>

namespace vantora {

namespace {

bool readOnly(const QWidget* w) {
    if (const auto* line = qobject_cast<const QLineEdit*>(w))
        return line->isReadOnly();
    if (const auto* text = qobject_cast<const QTextEdit*>(w))
        return text->isReadOnly();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w))
        return plain->isReadOnly();
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(w))
        return spin->isReadOnly();
    return false;
}

// Of a group of exclusive choices Tab stops only at the chosen one.
bool unchosenChoice(const QWidget* w) {
    const auto* radio = qobject_cast<const QRadioButton*>(w);
    if (!radio || radio->isChecked())
        return false;
    if (const QButtonGroup* group = radio->group())
        return group->exclusive() && group->checkedButton();
    return false;
}

bool takesTab(const QWidget* w, bool editable) {
    return (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(w->window()) &&
           !(editable && readOnly(w)) && !unchosenChoice(w);
}

class FocusRingStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    // Alt pressed and released alone steps into the menu bar, as on most desktops.
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
    // The ring around views that draw no focus of their own (QFocusFrame).
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element != CE_FocusFrame) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setPen(QPen(focusRingColor(), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin)
            return 2;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_FrameFocusRect) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(focusRingColor(), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
};

} // namespace

namespace {

// The order of setTabChain, held by an event filter on each of its controls.
class TabChain : public QObject {
public:
    TabChain(std::initializer_list<QWidget*> widgets, QObject* parent) : QObject(parent) {
        for (QWidget* w : widgets) {
            widgets_ << w;
            w->installEventFilter(this);
        }
    }
    QWidget* first() const {
        for (const QPointer<QWidget>& w : widgets_)
            if (w && takesTab(w, false))
                return w;
        return nullptr;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier;
        if (!plain || (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
            return false;
        const bool back = key->key() == Qt::Key_Backtab || key->modifiers() & Qt::ShiftModifier;
        const qsizetype at = widgets_.indexOf(qobject_cast<QWidget*>(watched));
        for (qsizetype i = at + (back ? -1 : 1); at >= 0 && i >= 0 && i < widgets_.size();
             i += back ? -1 : 1) {
            if (QWidget* w = widgets_[i]; w && takesTab(w, false)) {
                w->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
                return true;
            }
        }
        return false;
    }

private:
    QList<QPointer<QWidget>> widgets_;
};

} // namespace

QWidget* firstTabStop(QWidget* root, bool editable) {
    if (!editable)
        for (const QObject* child : root->findChildren<QObject*>()) // no meta-object: no findChild
            if (const auto* chain = dynamic_cast<const TabChain*>(child); chain && chain->first())
                return chain->first();
    for (QWidget* w = root->nextInFocusChain(); w && w != root; w = w->nextInFocusChain())
        if (root->isAncestorOf(w) && takesTab(w, editable))
            return w;
    return nullptr;
}

bool focusFirstTabStop(QWidget* root, bool editable) {
    QWidget* first = firstTabStop(root, editable);
    if (first)
        first->setFocus(Qt::TabFocusReason);
    return first != nullptr;
}

void setTabChain(std::initializer_list<QWidget*> widgets) {
    if (widgets.size() > 0)
        new TabChain(widgets, (*widgets.begin())->parentWidget());
}

namespace {

// Buttons, item views and text fields show the focus through the style; any
// other control that takes the focus (the trace views, the note) gets a
// focus frame around it, unless it draws its own ring.
bool showsFocusItself(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QComboBox*>(w) || w->property(kDrawsOwnFocusRing).toBool();
}

void followFocus(QWidget* now) {
    static QPointer<QFocusFrame> ring;
    if (!now || now->isWindow() || showsFocusItself(now)) {
        if (ring)
            ring->setWidget(nullptr);
        return;
    }
    if (!ring)
        ring = new QFocusFrame(now); // goes with the window it was last placed in
    ring->setWidget(now);
}

} // namespace

void installFocusRing() {
    if (dynamic_cast<FocusRingStyle*>(QApplication::style()))
        return;
    QApplication::setStyle(
        new FocusRingStyle(QStyleFactory::create(QApplication::style()->name())));
    QObject::connect(qApp, &QApplication::focusChanged, qApp,
                     [](QWidget*, QWidget* now) { followFocus(now); });
}

} // namespace vantora
