#include "ui/pages/RecordPageParts.h"

#include "records/PatientListModel.h"
#include "ui/models/RowTableModel.h"

#include <QTextEdit>
#include <QTreeView>

namespace vantora {

void showRecordingInfo(QTextEdit* box, const QString& description, const QString& note) {
    box->setHtml(QStringLiteral("<span style=\"color:#FF0000\">%1</span><br>"
                                "<span style=\"color:#0000FF\">%2</span>")
                     .arg(description.toHtmlEscaped(),
                          note.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"))));
}

void showMatchedPatients(QTreeView* list, RowTableModel* rows, const PatientListModel& patients) {
    list->clearSelection();
    const QModelIndex current = rows->index(patients.currentRow(), 0);
    list->setCurrentIndex(current);
    for (int row : patients.matchedRows())
        if (const QModelIndex item = rows->index(row, 0); item.isValid())
            list->selectionModel()->select(item,
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (current.isValid())
        list->scrollTo(current);
}

} // namespace vantora
