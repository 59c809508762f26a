#include "ui/widgets/CAveragedBeatWnd.h"

#include "analysis/AnalysisPageModel.h"

#include <QPainter>

namespace vantora {

CAveragedBeatWnd::CAveragedBeatWnd(const AnalysisPageModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setFixedSize(kWidth, kHeight);
}

AveragedBeatPanel& CAveragedBeatWnd::panel() {
    if (shownRevision_ != model_.resultRevision()) {
        shownRevision_ = model_.resultRevision();
        if (model_.beatShown())
            panel_.setData(model_.run().beat(), model_.run().parameters());
        else
            panel_.clear();
    }
    return panel_;
}

void CAveragedBeatWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), panel().picture(QSize(kWidth, kHeight)));
}

} // namespace vantora
