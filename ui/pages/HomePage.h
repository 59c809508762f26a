#pragma once

#include "ui/pages/Page.h"

#include <QHash>

class QAbstractButton;
class QPushButton;

namespace vantora {

// The home page (page 101): large buttons leading to the work areas, the
// patient manager, the information dialog, help and exit. Its first display in
// a run checks the data folder and handles a first start.
class HomePage : public Page {
    Q_OBJECT
public:
    // Button control ids.
    static constexpr int kContinuous = 1000;
    static constexpr int kRealTime = 1001;
    static constexpr int kSnap = 1002;
    static constexpr int kExit = 1003;
    static constexpr int kPatients = 1004;
    static constexpr int kAbout = 1005;
    static constexpr int kHelp = 1006;
    static constexpr int kAnalysis = 1007;

    explicit HomePage(PageHost& frame);

    void OnInitialUpdate() override;
    QAbstractButton* button(int control) const { return buttons_.value(control); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // The hospital connection's settings (DICOM settings…).
    QPushButton* dicomSettingsButton() const { return dicomSettings_; }

private:
    void buildLayout();
    QAbstractButton* makeButton(int control);
    void setUpButtons();
    QPushButton* makeSettingsButton();
    void onButton(int control);
    void openPatientManager();

    QHash<int, QAbstractButton*> buttons_;
    QPushButton* dicomSettings_ = nullptr;
};

} // namespace vantora
