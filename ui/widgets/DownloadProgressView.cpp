#include "ui/widgets/DownloadProgressView.h"

#include "core/StringIds.h"
#include "device/DownloadPageModel.h"
#include "ui/widgets/Accessible.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantora {

DownloadProgressView::DownloadProgressView(QWidget* parent)
    : QDialog(parent), text_(new QLabel(this)), bar_(new QProgressBar(this)) {
    setModal(false);
    text_->setMinimumWidth(420);
    text_->setFont(QFont(QStringLiteral("monospace")));
    bar_->setRange(0, 100);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &DownloadProgressView::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    text_->setBuddy(bar_);
    accessible::name(bar_, ids::kDownloading);
}

void DownloadProgressView::show(const DownloadProgress& progress) {
    if (!progress.title.isEmpty())
        setWindowTitle(progress.title);
    text_->setText(progress.text);
    accessible::describe(bar_, progress.text);
    bar_->setValue(progress.percent);
    if (!isVisible()) {
        cancel_->setEnabled(true);
        QDialog::show();
    }
}

void DownloadProgressView::reject() {
    cancel_->setEnabled(false); // the link ends at its next check
    emit cancelRequested();
}

} // namespace vantora
