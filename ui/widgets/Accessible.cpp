#include "ui/widgets/Accessible.h"

#include "core/Langpack.h"
#include "core/StringIds.h"

#include <QLabel>
#include <QWidget>

namespace vantora::accessible {

namespace {
constexpr int kMmPerMvAtGain1 = 10;

QString labelText(const QLabel& label) {
    QString text = label.text();
    text.remove(u'&');
    text = text.trimmed();
    if (text.endsWith(u':'))
        text.chop(1);
    return text;
}
} // namespace

void labelField(QLabel* label, QWidget* field, const QString& unit) {
    label->setBuddy(field);
    const QString text = labelText(*label);
    field->setAccessibleName(unit.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, unit));
}

void name(QWidget* widget, int nameText, int descriptionText) {
    widget->setAccessibleName(Langpack::text(nameText));
    if (descriptionText)
        widget->setAccessibleDescription(Langpack::text(descriptionText));
}

QString fill(int id, const QStringList& args) {
    return fillText(id, args);
}

QString traceDescription(int seconds, const QString& heartRate, int gain) {
    const QString mm = QString::number(kMmPerMvAtGain1 * gain);
    if (seconds <= 0)
        return fill(ids::kA11yTraceEmpty, {mm});
    if (heartRate.isEmpty() || heartRate == QStringLiteral("...") ||
        heartRate == QStringLiteral("-"))
        return fill(ids::kA11yTrace, {QString::number(seconds), mm});
    return fill(ids::kA11yTraceWithRate, {QString::number(seconds), heartRate, mm});
}

void describe(QWidget* widget, const QString& description) {
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

} // namespace vantora::accessible
