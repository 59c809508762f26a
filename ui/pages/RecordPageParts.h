#pragma once

#include <QString>

class QTextEdit;
class QTreeView;

namespace vantora {

class PatientListModel;
class RowTableModel;

// What the record management and replay pages show alike.

// The information box of a recording: its description line in red, then the
// note in blue.
void showRecordingInfo(QTextEdit* box, const QString& description, const QString& note);

// The patient list after a search: every matched row selected, the current
// row focused and scrolled into view.
void showMatchedPatients(QTreeView* list, RowTableModel* rows, const PatientListModel& patients);

} // namespace vantora
