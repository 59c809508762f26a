#include "ui/dialogs/DicomSettingsDialog.h"

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "dicom/DicomNetwork.h"
#include "ui/frame/KeyboardFocus.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/BackgroundCall.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vantora {

namespace {

constexpr int kAeTitleLength = 16;
constexpr int kMaxPort = 65535;
constexpr int kEchoTimeoutSeconds = 10;

QLineEdit* titleEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(kAeTitleLength);
    return edit;
}

} // namespace

DicomSettingsDialog::DicomSettingsDialog(MessageBoxPrompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    setWindowTitle(Langpack::text(ids::kCmdDicomSettings).section(u'\n', 1, 1));
    station_ = titleEdit(this);
    auto* stationLabel = new QLabel(Langpack::text(ids::kStationAeTitle), this);
    accessible::labelField(stationLabel, station_);
    auto* stationRow = new QHBoxLayout;
    stationRow->addWidget(stationLabel);
    stationRow->addWidget(station_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DicomSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(stationRow);
    layout->addWidget(peerBox(kArchive, ids::kArchive));
    layout->addWidget(peerBox(kWorklist, ids::kWorklistProvider));
    layout->addWidget(buttons);
    setMinimumWidth(460);

    const DicomSettings stored = DicomSettings::load(AppSettings());
    station_->setText(stored.stationAet);
    for (Peer p : {kArchive, kWorklist}) {
        const DicomNode& node = p == kArchive ? stored.archive : stored.worklist;
        peers_[p].title->setText(node.aeTitle);
        peers_[p].host->setText(node.host);
        peers_[p].port->setValue(node.port);
    }
    const PeerFields& a = peers_[kArchive];
    const PeerFields& w = peers_[kWorklist];
    setTabChain({station_, a.title, a.host, a.port, a.test, w.title, w.host, w.port, w.test});
}

QWidget* DicomSettingsDialog::peerBox(Peer p, int caption) {
    auto* box = new QGroupBox(Langpack::text(caption), this);
    PeerFields& f = peers_[p];
    f.title = titleEdit(box);
    f.host = new QLineEdit(box);
    f.port = new QSpinBox(box);
    f.port->setRange(0, kMaxPort);
    f.port->setSpecialValueText(QStringLiteral(" ")); // 0: not set
    f.test = new QPushButton(Langpack::text(ids::kTest), box);
    f.test->setAutoDefault(false);
    f.outcome = new QLabel(box);
    f.outcome->setWordWrap(true);
    f.outcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* grid = new QGridLayout(box);
    const std::pair<int, QWidget*> fields[] = {
        {ids::kAeTitle, f.title}, {ids::kHost, f.host}, {ids::kPort, f.port}};
    int column = 0;
    for (const auto& [text, field] : fields) {
        auto* label = new QLabel(Langpack::text(text), box);
        // Read as "Archive AE title", not one of three alike "AE title".
        accessible::labelField(label, field);
        field->setAccessibleName(Langpack::text(caption) + u' ' + field->accessibleName());
        grid->addWidget(label, 0, column);
        grid->addWidget(field, 1, column++);
    }
    grid->setColumnStretch(1, 1);
    grid->addWidget(f.test, 1, column);
    grid->addWidget(f.outcome, 2, 0, 1, column + 1);
    f.test->setAccessibleName(Langpack::text(ids::kTest) + u' ' + Langpack::text(caption));
    connect(f.test, &QPushButton::clicked, this, [this, p] { test(p); });
    return box;
}

Result<DicomNode> DicomSettingsDialog::typedPeer(Peer p) const {
    const PeerFields& f = peers_[p];
    const QString title = f.title->text().trimmed();
    const QString host = f.host->text().trimmed();
    if (title.isEmpty() && host.isEmpty() && f.port->value() == 0)
        return DicomNode{};
    return DicomNode::parse(QStringLiteral("%1@%2:%3").arg(title, host).arg(f.port->value()));
}

QString DicomSettingsDialog::testOutcome(Peer p) const {
    return peers_[p].outcome->text();
}

void DicomSettingsDialog::showOutcome(Peer p, const QString& text) {
    peers_[p].outcome->setText(text);
    accessible::describe(peers_[p].test, text);
}

void DicomSettingsDialog::test(Peer p) {
    const Result<DicomNode> peer = typedPeer(p);
    if (!peer.ok() || !peer.value().isSet()) {
        showOutcome(p, peer.ok() ? Message{ids::kNotADicomNode, {}}.text() : peer.message().text());
        return;
    }
    const QString station = station_->text().trimmed();
    if (!isValidAeTitle(station)) {
        showOutcome(p, Message{ids::kNotADicomAe, station}.text());
        return;
    }
    const DicomNode node = peer.value();
    showOutcome(p, Langpack::format(ids::kAskingPeer, node.text()));
    peers_[p].test->setEnabled(false);
    ++running_;
    runInBackground<Result<EchoOutcome>>(
        this, [station, node] { return echo(station, node, kEchoTimeoutSeconds); },
        [this, p, node](Result<EchoOutcome> answer) {
            --running_;
            peers_[p].test->setEnabled(true);
            showOutcome(p, answer.ok()
                               ? accessible::fill(
                                     ids::kEchoAnswered,
                                     {node.aeTitle, QString::number(answer.value().roundTripMs)})
                               : answer.message().text());
        });
}

void DicomSettingsDialog::accept() {
    DicomSettings settings;
    settings.stationAet = station_->text().trimmed();
    if (!isValidAeTitle(settings.stationAet)) {
        prompter_.show({ids::kNotADicomAe, settings.stationAet});
        station_->setFocus();
        return;
    }
    for (Peer p : {kArchive, kWorklist}) {
        const Result<DicomNode> node = typedPeer(p);
        if (!node.ok()) {
            prompter_.show(node.message());
            peers_[p].title->setFocus();
            return;
        }
        (p == kArchive ? settings.archive : settings.worklist) = node.value();
    }
    AppSettings store;
    if (!settings.save(store)) {
        prompter_.show({ids::kCannotOpen, QStringLiteral("settings")});
        return;
    }
    QDialog::accept();
}

} // namespace vantora
