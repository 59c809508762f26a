#pragma once

#include <QAbstractButton>

namespace vantora {

// The home page's owner-drawn button: a large icon above its caption, on the
// page colour in every state, white text; a soft frame shows hover and press.
class IconButton : public QAbstractButton {
    Q_OBJECT
public:
    IconButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {200, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hovered_ = false;
};

} // namespace vantora
