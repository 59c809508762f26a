#include "ui/widgets/NoteField.h"

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

} // namespace vantora
