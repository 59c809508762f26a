#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantora {

struct DownloadProgress;

// The download's progress window: a line of text, a bar and a cancel button
// that asks the page to stop the link. Shown without blocking the page.
class DownloadProgressView : public QDialog {
    Q_OBJECT
public:
    explicit DownloadProgressView(QWidget* parent = nullptr);

    void show(const DownloadProgress& progress);
    QLabel* textLabel() const { return text_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

signals:
    void cancelRequested();

protected:
    void reject() override; // Escape and the close box cancel too

private:
    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

} // namespace vantora
