#include "ui/widgets/AveragedBeatView.h"

#include "render/AnalysisPageModel.h"

#include <QPainter>

namespace vantora {

AveragedBeatView::AveragedBeatView(const AnalysisPageModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setFixedSize(kWidth, kHeight);
}

AveragedBeatPanel& AveragedBeatView::panel() {
    if (shownRevision_ != model_.resultRevision()) {
        shownRevision_ = model_.resultRevision();
        if (model_.beatShown())
            panel_.setData(model_.run().beat(), model_.run().parameters());
        else
            panel_.clear();
    }
    return panel_;
}

void AveragedBeatView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), panel().picture(QSize(kWidth, kHeight), devicePixelRatioF()));
}

} // namespace vantora
