#include "ui/widgets/NoteField.h"

#include "core/Langpack.h"
#include "core/StringIds.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vantora {

NoteField::NoteField(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setCursor(Qt::PointingHandCursor);
    // The whole note, wrapped to the field's width (a long word too).
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Reached with Tab; Enter or Space then stands for the click.
    setFocusPolicy(Qt::StrongFocus);
    setTabChangesFocus(true);
    setToolTip(Langpack::text(ids::kEnterOrSpaceEdits));
}

void NoteField::showNote(const QString& text) {
    setPlainText(text);
    selectAll();
    setTextColor(QColor(0, 0, 255));
    QTextCursor cursor = textCursor();
    cursor.clearSelection();
    setTextCursor(cursor);
    // Text typed later (none: read-only) and the empty field keep blue too.
    setTextColor(QColor(0, 0, 255));
    viewport()->update();
}

void NoteField::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit childClicked();
    event->accept();
}

void NoteField::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        emit childClicked();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

} // namespace vantora
