#pragma once

#include "records/PatientRecord.h"

#include <QLocale>
#include <QWidget>

class QLabel;

namespace vantora {

// The patient manager's detail panel: every field of the selected patient in
// its own read-only text.
class PatientDetailPanel : public QWidget {
    Q_OBJECT
public:
    explicit PatientDetailPanel(QWidget* parent = nullptr);

    void showRecord(const PatientRecord& record);
    void clear();
    QString nameShown() const;
    QString idShown() const;

    // A name at least as wide as its field is shown in two lines, broken after
    // (length + 1) / 2 characters; not in a simplified-Chinese (China) system
    // locale when the name holds a character above U+00A0.
    static QString splitName(const QString& name, int textWidth, int fieldWidth,
                             const QLocale& locale);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* field(int minimumHeight = 0);
    void showName();
    QString fullName_;
    QLabel* id_;
    QLabel* name_;
    QLabel* sex_;
    QLabel* date_;
    QLabel* height_;
    QLabel* weight_;
    QLabel* telephone_;
    QLabel* address_;
    QLabel* history_;
    QLabel* remarks_;
};

} // namespace vantora
