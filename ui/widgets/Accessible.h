#pragma once

#include <QString>
#include <QStringList>

class QLabel;
class QWidget;

namespace vantora::accessible {

// Names `field` after the label beside it: the label becomes its buddy, which
// a screen reader reads as "labelled by", and its text (without "&" and a
// trailing colon) the field's name. `unit` is appended in brackets.
void labelField(QLabel* label, QWidget* field, const QString& unit = {});

// Sets a widget's name and description from the resource texts.
void name(QWidget* widget, int nameText, int descriptionText = 0);

// The text `id` with its "$" filled in order by `args`.
QString fill(int id, const QStringList& args);

// How a trace view describes what it shows, e.g. "ECG, 30 s, heart rate 72,
// gain 10 mm/mV"; an empty `heartRate` (or "...", "-") leaves the rate out, `seconds` 0 says
// that no recording is shown.
QString traceDescription(int seconds, const QString& heartRate, int gain);

// Sets the description only when it changed, so that a repaint does not
// announce the same text again.
void describe(QWidget* widget, const QString& description);

} // namespace vantora::accessible
