#include "ui/pages/HomePage.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/DataFolder.h"
#include "ui/frame/PageHost.h"
#include "ui/frame/PageIds.h"
#include "ui/widgets/IconButton.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantora {

namespace {

// Icon resource of each icon button.
int iconOf(int control) {
    switch (control) {
    case HomePage::kContinuous:
        return 261;
    case HomePage::kRealTime:
        return 263;
    case HomePage::kSnap:
        return 137;
    case HomePage::kExit:
        return 132;
    case HomePage::kPatients:
        return 133;
    case HomePage::kAbout:
        return 138;
    case HomePage::kHelp:
        return 134;
    default:
        return 0;
    }
}

// The page a button leads to, 0 for the buttons that stay on the home page.
int targetOf(int control) {
    switch (control) {
    case HomePage::kContinuous:
        return page::kReplayByCommand;
    case HomePage::kRealTime:
        return page::kRealTime;
    case HomePage::kSnap:
        return page::kSnapDataByCommand;
    case HomePage::kAnalysis:
        return page::kAnalysis;
    default:
        return 0;
    }
}

// The buttons as they stand on the page, row by row: also their Tab order.
constexpr int kRows[2][4] = {
    {HomePage::kContinuous, HomePage::kSnap, HomePage::kRealTime, HomePage::kPatients},
    {HomePage::kAbout, HomePage::kHelp, HomePage::kExit, HomePage::kAnalysis}};

bool isEnter(QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

HomePage::HomePage(PageHost& frame) : Page(frame) {
    buildLayout();
}

QAbstractButton* HomePage::makeButton(int control) {
    const QString caption = Langpack::text(ids::kHomeContinuousRecordings + control - kContinuous);
    QAbstractButton* b = nullptr;
    if (control == kAnalysis) {
        auto* plain = new QPushButton(caption, this);
        plain->setAutoDefault(false);
        plain->setMinimumSize(200, 44);
        b = plain;
    } else {
        b = new QPushButton(caption, this); // template look until set up
        b->setMinimumSize(200, 136);        // the icon and a line of text
    }
    b->setObjectName(QString::number(control));
    b->installEventFilter(this);
    connect(b, &QAbstractButton::clicked, this, [this, control] { onButton(control); });
    buttons_.insert(control, b);
    return b;
}

void HomePage::buildLayout() {
    auto* title = new QLabel(Langpack::text(ids::kBannerTitle), this);
    title->setStyleSheet(QStringLiteral("color: white; font-size: 30px; font-weight: bold;"));
    auto* subtitle = new QLabel(Langpack::text(ids::kBannerSubtitle), this);
    subtitle->setStyleSheet(QStringLiteral("color: #1E3278; font-size: 15px;"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(12);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            grid->addWidget(makeButton(kRows[r][c]), r, c, Qt::AlignCenter);
    // The hospital connection's settings, on the banner's line: the page
    // keeps its height for small screens.
    dicomSettings_ = makeSettingsButton();
    auto* banner = new QHBoxLayout;
    banner->addWidget(title);
    banner->addStretch(1);
    banner->addWidget(dicomSettings_, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    // 40 px above and below, given up first on a low window.
    layout->setContentsMargins(48, 8, 48, 8);
    layout->addSpacerItem(new QSpacerItem(0, 32, QSizePolicy::Minimum, QSizePolicy::Preferred));
    layout->addLayout(banner);
    layout->addWidget(subtitle);
    layout->addStretch(1);
    layout->addLayout(grid);
    layout->addStretch(2);
    layout->addSpacerItem(new QSpacerItem(0, 32, QSizePolicy::Minimum, QSizePolicy::Preferred));
}

void HomePage::OnInitialUpdate() {
    AppState& s = state();
    if (!s.dataFolderChecked) {
        const Result<> checked = DataFolder::checkDataFolder(s.dataRoot);
        if (!checked.ok()) {
            showMessage(checked.message());
            return;
        }
        s.dataFolderChecked = true;
    }
    setUpButtons();
    DataFolder::CheckFirstStart(s.dataRoot);
    s.homeShown = true;
}

// Replaces the template buttons by the icon buttons, and disables those whose
// page has not been built into the station.
void HomePage::setUpButtons() {
    for (const auto& row : kRows)
        for (int control : row) {
            QAbstractButton* old = buttons_.value(control);
            QAbstractButton* b = nullptr;
            if (const int icon = iconOf(control)) {
                b = new IconButton(
                    QIcon(Langpack::resourcePath(QStringLiteral("icons/%1.svg").arg(icon))),
                    old->text(), this);
                b->setObjectName(old->objectName());
                b->installEventFilter(this);
                connect(b, &QAbstractButton::clicked, this, [this, control] { onButton(control); });
                buttons_.insert(control, b);
            } else {
                // Built anew as well: new buttons join the Tab chain at its end,
                // so building them in reading order gives the reading order.
                b = makeButton(control);
            }
            delete layout()->replaceWidget(old, b, Qt::FindChildrenRecursively);
            delete old;
            const int target = targetOf(control);
            b->setEnabled(!target || frame().pageAvailable(page::classOf(target)));
        }
    // Made last as well, so that it is read after the work areas.
    QPushButton* settings = makeSettingsButton();
    delete layout()->replaceWidget(dicomSettings_, settings, Qt::FindChildrenRecursively);
    delete dicomSettings_;
    dicomSettings_ = settings;
}

QPushButton* HomePage::makeSettingsButton() {
    const QString text = Langpack::text(ids::kCmdDicomSettings);
    auto* b = new QPushButton(text.section(u'\n', 1, 1), this);
    b->setToolTip(text.section(u'\n', 0, 0));
    connect(b, &QPushButton::clicked, this, [this] { frame().OnCommand(ids::kCmdDicomSettings); });
    return b;
}

void HomePage::onButton(int control) {
    AppState& s = state();
    switch (control) {
    case kContinuous:
        s.recordingMode = RecordingMode::Continuous;
        break;
    case kRealTime:
        s.recordingMode = RecordingMode::None;
        break;
    case kSnap:
        s.recordingMode = RecordingMode::Snap;
        break;
    case kExit:
        frame().quit();
        return;
    case kPatients:
        openPatientManager();
        return;
    case kAbout:
        frame().OnAbout();
        return;
    case kHelp:
        frame().openHelp();
        return;
    default:
        break;
    }
    frame().ShowPage(targetOf(control));
    frame().UpdateCommandUI();
}

void HomePage::openPatientManager() {
    const Result<> checked = DataFolder::checkDataFolder(state().dataRoot);
    if (!checked.ok()) {
        showMessage(checked.message());
        return;
    }
    frame().OnPatientManager();
}

bool HomePage::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        event->accept();
        return true;
    }
    return Page::eventFilter(watched, event);
}

void HomePage::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event))
        return;
    Page::keyPressEvent(event);
}

} // namespace vantora
