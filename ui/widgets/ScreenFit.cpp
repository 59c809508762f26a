#include "ui/widgets/ScreenFit.h"

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>

namespace vantora {

namespace {

// Frameless, on the page's own background, and no tab stop of its own: the
// focus goes to what it holds, which it scrolls into sight.
QScrollArea* configure(QScrollArea* area, QWidget* content, bool resizable) {
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(resizable);
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    area->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    area->viewport()->setAutoFillBackground(false);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidget(content);
    return area;
}

// Holds its view whole when there is room: its hint is the view's size, and
// room for a vertical scroll bar, the way such views run short on a low
// screen, so that they need not scroll sideways as well.
class ViewScrollArea : public QScrollArea {
public:
    QSize sizeHint() const override {
        const QWidget* view = widget();
        if (!view)
            return QScrollArea::sizeHint();
        return view->size() + QSize(verticalScrollBar()->sizeHint().width(), 0);
    }
};

} // namespace

QScrollArea* scrollingHost(QWidget* content) {
    content->setAutoFillBackground(false);
    return configure(new QScrollArea, content, true);
}

QScrollArea* scrollingView(QWidget* view) {
    QScrollArea* area = configure(new ViewScrollArea, view, false);
    area->setMaximumSize(area->sizeHint()); // never wider than the view: no empty band
    return area;
}

void resizeWithinScreen(QWidget& window, QSize wanted) {
    const QWidget* anchor = window.parentWidget() ? window.parentWidget()->window() : &window;
    if (const QScreen* screen = anchor->screen()) {
        const QSize room =
            screen->availableGeometry().marginsRemoved(windowFrameMargins(window)).size();
        wanted = wanted.boundedTo(room).expandedTo(window.minimumSizeHint());
    }
    window.resize(wanted);
}

QMargins windowFrameMargins(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (window.isVisible() && outer != inner)
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    return QMargins(0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
}

} // namespace vantora
