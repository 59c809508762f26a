#include "ui/dialogs/QueryListDialog.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/frame/KeyboardFocus.h"
#include "ui/models/RowTableModel.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/ScreenFit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vantora {

QueryListDialog::QueryListDialog(const QString& title, const QStringList& headers, int actionText,
                                 QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    list_ = new QTreeView(this);
    model_ = new RowTableModel(
        headers, [this] { return int(rows_.size()); },
        RowTableModel::texts([this](int row) { return rows_[size_t(row)]; }), list_);
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setAccessibleName(title);
    connect(list_, &QTreeView::doubleClicked, this, &QueryListDialog::runAction);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    refresh_ = new QPushButton(Langpack::text(ids::kRefresh), this);
    refresh_->setAutoDefault(false);
    action_ = new QPushButton(Langpack::text(actionText), this);
    action_->setDefault(true);
    auto* close = new QPushButton(Langpack::text(ids::kClose), this);
    close->setAutoDefault(false);
    connect(refresh_, &QPushButton::clicked, this, &QueryListDialog::refresh);
    connect(action_, &QPushButton::clicked, this, &QueryListDialog::runAction);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh_);
    buttons->addStretch(1);
    buttons->addWidget(action_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    setTabChain({list_, refresh_, action_, close});
    resizeWithinScreen(*this, QSize(820, 420));
}

QString QueryListDialog::statusText() const {
    return status_->text();
}

void QueryListDialog::refresh() {
    query();
}

void QueryListDialog::runAction() {
    const QModelIndex current = list_->currentIndex();
    if (busy_ > 0)
        return;
    if (!current.isValid() || current.row() >= int(rows_.size())) {
        showStatus(Langpack::text(ids::kChooseLineFirst));
        return;
    }
    act(current.row());
}

void QueryListDialog::showRows(std::vector<QStringList> rows, const QString& status) {
    rows_ = std::move(rows);
    model_->refresh();
    if (!rows_.empty())
        list_->setCurrentIndex(model_->index(0, 0));
    showStatus(status);
}

void QueryListDialog::showStatus(const QString& text) {
    status_->setText(text);
    accessible::describe(list_, text);
}

void QueryListDialog::setBusy(bool busy) {
    busy_ += busy ? 1 : -1;
    refresh_->setEnabled(busy_ == 0);
    action_->setEnabled(busy_ == 0);
}

} // namespace vantora
