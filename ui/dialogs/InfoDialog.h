#pragma once

#include <QDialog>

namespace vantora {

// Dialog 160: the station's information box. Its three text controls (1217,
// 1218, 1219) are drawn on #B4C8FF; it has no commands of its own.
class InfoDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kControls[3] = {1217, 1218, 1219};
    explicit InfoDialog(QWidget* parent = nullptr);
};

} // namespace vantora
