#pragma once

#include <QTextEdit>

namespace vantora {

// The page's read-only note field, the whole note wrapped over several lines;
// a click, or Enter or Space while it has the focus, is reported to the page
// (WM_CHILD_CLICK, 0x508) instead of placing a caret.
class NoteField : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int WM_CHILD_CLICK = 0x508;

    explicit NoteField(QWidget* parent);
    // Shows text all in blue (RGB 0, 0, 255), without a selection.
    void showNote(const QString& text);

signals:
    void childClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace vantora
