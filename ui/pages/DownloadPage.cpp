#include "ui/pages/DownloadPage.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "device/PortDiscovery.h"
#include "device/StoredRecordings.h"
#include "device/UdevPortEnumerator.h"
#include "ui/frame/KeyboardFocus.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/PageHost.h"
#include "ui/widgets/DownloadList.h"
#include "ui/widgets/DownloadProgressView.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantora {

namespace {

QString patientLabel(const PickedPatient& patient) {
    return patient.name.isEmpty() ? patient.id
                                  : QStringLiteral("%1 (%2)").arg(patient.id, patient.name);
}

DeviceLink::PortFinder stationFinder() {
    return [] {
        UdevPortEnumerator udev;
        return PortDiscovery::resolve(std::nullopt, udev);
    };
}
} // namespace

// Hands what the reader thread reports to the page through its event loop,
// copied, in the reader's order; the reader never waits for the page.
class DownloadPage::Forwarder : public LinkSink {
public:
    explicit Forwarder(DownloadPage& page) : page_(page) {}

    void recordHeader(int tableIndex, const DeviceRecordHeader& header) override {
        post([p = &page_, tableIndex, header] { p->onHeader(tableIndex, header); });
    }
    void dataBlock(const BlockTag& tag, const SampleBlock& block) override {
        post([p = &page_, tag, block] { p->onBlock(tag, block); });
    }
    void recordEnd(int tableIndex, int recordNumber) override {
        post([p = &page_, tableIndex, recordNumber] { p->onRecordEnd(tableIndex, recordNumber); });
    }
    void linkStatus(int status) override {
        post([p = &page_, status] { p->onLinkStatus(status); });
    }
    void showMessage(const Message& message) override {
        post([p = &page_, message] { p->showMessage(message); });
    }

private:
    template <class F> void post(F&& f) {
        QMetaObject::invokeMethod(&page_, std::forward<F>(f), Qt::QueuedConnection);
    }
    DownloadPage& page_;
};

DownloadPage::DownloadPage(PageHost& frame, DeviceLink::PortFinder finder)
    : Page(frame), list_(new DownloadList(model_, this)), progress_(new DownloadProgressView(this)),
      download_(new QPushButton(Langpack::text(ids::kDownload), this)),
      save_(new QPushButton(Langpack::text(ids::kSaveToPatient), this)),
      selectAll_(new QCheckBox(Langpack::text(ids::kSelectAll), this)),
      forwarder_(std::make_unique<Forwarder>(*this)),
      link_(std::make_unique<DeviceLink>(finder ? std::move(finder) : stationFinder())) {
    chooser_ = [this] { return PatientPickerDialog::pick(state().dataRoot, prompter(), this); };
    auto* bar = new QHBoxLayout;
    bar->addWidget(download_);
    bar->addWidget(save_);
    bar->addWidget(selectAll_);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(list_);

    connect(download_, &QPushButton::clicked, this, &DownloadPage::OnDownload);
    connect(save_, &QPushButton::clicked, this, &DownloadPage::OnSave);
    connect(selectAll_, &QCheckBox::clicked, this, &DownloadPage::OnSelectAll);
    connect(list_, &DownloadList::markToggleRequested, this, &DownloadPage::toggleMark);
    connect(progress_, &DownloadProgressView::cancelRequested, this,
            &DownloadPage::OnCancelDownload);
    setTabChain({download_, save_, selectAll_, list_}); // the buttons above the list
    showControls();
}

DownloadPage::~DownloadPage() {
    link_->stopDownloadLink();
}

void DownloadPage::OnDownload() {
    model_.reset();
    list_->clearTraces();
    list_->refreshRows();
    showControls();
    download_->setEnabled(false);
    progress_->show(model_.progress());
    (void)link_->openDownloadLink(*forwarder_); // a failed open still reports the end
}

void DownloadPage::OnCancelDownload() {
    link_->stopDownloadLink();
}

void DownloadPage::onHeader(int tableIndex, const DeviceRecordHeader& header) {
    model_.recordHeader(tableIndex, header);
    progress_->show(model_.progress());
}

void DownloadPage::onBlock(const BlockTag& tag, const SampleBlock& block) {
    const int row = model_.dataBlock(tag, block);
    const auto samples = block.decode();
    list_->addBlock(tag.tableIndex, tag.blockNumber % kBlocksPerRecording, samples);
    if (row >= list_->model()->rowCount())
        list_->refreshRows();
    if (const QModelIndex item = list_->model()->index(row, 0); item.isValid())
        list_->scrollTo(item);
    list_->viewport()->update();
    if (progress_->isVisible())
        progress_->show(model_.progress());
}

void DownloadPage::onRecordEnd(int tableIndex, int recordNumber) {
    model_.recordEnd(tableIndex, recordNumber);
    showControls();
}

void DownloadPage::onLinkStatus(int status) {
    const bool ended = model_.linkStatus(status);
    if (!ended) {
        if (status != 0 && progress_->isVisible())
            progress_->show(model_.progress());
        return;
    }
    progress_->hide();
    list_->refreshRows(); // broken recordings are gone
    showControls();
}

void DownloadPage::OnSelectAll(bool ticked) {
    model_.chooseAll(ticked);
    list_->refreshRows();
    showControls();
}

void DownloadPage::toggleMark(int row) {
    if (model_.toggle(row))
        list_->refreshRows();
    showControls();
}

void DownloadPage::OnSave() {
    const std::optional<PickedPatient> patient = chooser_();
    if (!patient)
        return;
    if (model_.received() <= 0) {
        showMessage(model_.save(state().dataRoot, patient->id)); // 61328, nothing written
        showControls();
        return;
    }
    // What the patient already has is marked, shown, and left out.
    const int stored = model_.markStored(state().dataRoot, patient->id);
    list_->refreshRows();
    showControls();
    const QString who = patientLabel(*patient);
    const int count = model_.chosenCount();
    if (count == 0) {
        if (stored > 0)
            showMessage(Message{ids::kAllAlreadyStored, who});
        return;
    }
    if (!prompter().confirm(saveQuestion(who, count)))
        return;
    const Message result = model_.save(state().dataRoot, patient->id);
    list_->refreshRows();
    showControls();
    if (!result.isNone())
        showMessage(result);
}

void DownloadPage::showControls() {
    const bool running = model_.linkRunning();
    download_->setEnabled(!running);
    save_->setEnabled(!running && model_.saveEnabled());
    selectAll_->setEnabled(model_.selectAllEnabled());
    selectAll_->setChecked(model_.allChosen()); // follows the rows' marks
    // The download button lost the focus while it was disabled: the keyboard
    // goes on from the next step, saving.
    if (!running && isVisible() && !isAncestorOf(QApplication::focusWidget()))
        (save_->isEnabled() ? save_ : download_)->setFocus(Qt::OtherFocusReason);
}

} // namespace vantora
