#include "ui/frame/MainFrame.h"

#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "core/WindowPlacement.h"
#include "records/DataFolderLock.h"
#include "ui/dialogs/InfoDialog.h"
#include "ui/dialogs/PatientManagerDialog.h"
#include "ui/frame/FrameCommands.h"
#include "ui/frame/FrameMenus.h"
#include "ui/frame/HospitalLink.h"
#include "ui/frame/KeyboardFocus.h"
#include "ui/frame/ModalDialogs.h"
#include "ui/frame/PageIds.h"
#include "ui/frame/ShellDocument.h"
#include "ui/pages/Page.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/RecentFilesMenu.h"
#include "ui/widgets/ScreenFit.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace vantora {

namespace {

constexpr int kFolderPollMs = 1000;

// The packaged user guide: the program lives in /usr/lib/vantora-ecg, the
// guide in /usr/share/doc/vantora-ecg/guide.
QString installedGuidePath() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../../share/doc/vantora-ecg/guide/index.html"));
}

// Toolbar buttons: command and icon resource, in button order.
const QList<std::pair<int, int>> kMainButtons = {
    {ids::kCmdHome, 229},     {ids::kCmdContinuous, 128}, {ids::kCmdSnap, 129},
    {ids::kCmdRealTime, 130}, {ids::kCmdPatients, 233},   {ids::kCmdHelp, 234},
    {ids::kCmdAbout, 264},    {ids::kCmdExit, 235}};
const QList<std::pair<int, int>> kRecordButtons = {{ids::kCmdDownload, 238},
                                                   {ids::kCmdReplay, 239},
                                                   {ids::kCmdRecords, 253},
                                                   {ids::kCmdAnalysis, 241}};
const QList<std::pair<int, int>> kToolButtons = {
    {ids::kCmdPrint, 228}, {ids::kCmdPreview, 230}, {ids::kCmdPicture, 231}, {ids::kCmdMail, 232}};

QString barStyle() {
    return QStringLiteral("QToolBar { background: #B4C8FF; border: none; spacing: 2px; }"
                          "QToolButton { color: #14285A; padding: 1px 2px; font-size: 11px; }"
                          "QToolButton:hover { background: #C8D7FF; border: 1px solid #7890D2; "
                          "border-radius: 3px; }"
                          "QToolButton:pressed { background: #9BB2F0; }"
                          "QToolButton:disabled { color: #6E7DA0; }");
}

} // namespace

MainFrame::MainFrame(AppState& state, PageRegistry pages, QWidget* parent)
    : QMainWindow(parent), state_(state), pages_(std::move(pages)), prompter_(this),
      doc_(std::make_unique<ShellDocument>(state, prompter_)),
      openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      runDialog_([](QDialog& dialog) { return runModal(dialog); }) {
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kWidth, kHeight);
    setAcceptDrops(true);
    installFocusRing();
    host_ = new QWidget(this);
    auto* layout = new QVBoxLayout(host_);
    layout->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(scrollingHost(host_));
    doc_->OnNewDocument();
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &MainFrame::giveIdleStep);
}

MainFrame::~MainFrame() = default;

bool MainFrame::OnCreate() {
    if (!createToolbars())
        return false;
    // The page's line is a widget, not a temporary message: command prompts
    // shown while hovering pass over it and leave it in place.
    pageStatus_ = new QLabel(Langpack::text(ids::kIdleStatus), this);
    statusBar()->addWidget(pageStatus_, 1);
    modeLabel_ = new QLabel(this);
    statusBar()->addPermanentWidget(modeLabel_);
    folderLabel_ = new QLabel(this);
    folderLabel_->setVisible(false);
    statusBar()->addPermanentWidget(folderLabel_);
    link_ = new HospitalLink(state_, prompter_, this);
    statusBar()->addPermanentWidget(link_->statusLabel());
    rootLabel_ = new QLabel(state_.dataRoot, this);
    statusBar()->addPermanentWidget(rootLabel_);
    auto* folderPoll = new QTimer(this);
    connect(folderPoll, &QTimer::timeout, this, &MainFrame::refreshFolderStatus);
    folderPoll->start(kFolderPollMs);
    placeOnScreen();
    UpdateCommandUI();
    return true;
}

QAction* MainFrame::makeAction(int command, int icon) {
    // Command strings hold the status prompt, then "\n" and the button label.
    const QString text = Langpack::text(command);
    const QString label = text.section(u'\n', 1, 1);
    auto* act = new QAction(QIcon(Langpack::resourcePath(QStringLiteral("icons/%1.svg").arg(icon))),
                            label.isEmpty() ? text : label, this);
    act->setStatusTip(text.section(u'\n', 0, 0));
    act->setShortcut(commandShortcut(command));
    act->setToolTip(withShortcut(act->text(), act->shortcut()));
    // The mode commands show which kind of recordings the user works with.
    act->setCheckable(command == ids::kCmdContinuous || command == ids::kCmdSnap);
    connect(act, &QAction::triggered, this, [this, command] { OnCommand(command); });
    // A screen reader toggles a checkable button instead of clicking it: a
    // mode shown checked that is not the mode, once the event settled, is
    // such a toggle and runs the command (a click has run it by then).
    connect(act, &QAction::toggled, this, [this, command](bool on) {
        if (on)
            QMetaObject::invokeMethod(
                this,
                [this, command] {
                    if (actions_.value(command)->isChecked() &&
                        !commandChecked(command, situation()))
                        OnCommand(command);
                },
                Qt::QueuedConnection);
    });
    actions_.insert(command, act);
    return act;
}

QToolBar* MainFrame::addBar(const QString& name, const QList<std::pair<int, int>>& buttons) {
    auto* bar = new QToolBar(name, this);
    bar->setObjectName(name);
    bar->setIconSize(QSize(22, 22));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    bar->setStyleSheet(barStyle());
    for (const auto& [command, icon] : buttons)
        bar->addAction(makeAction(command, icon));
    addToolBar(Qt::TopToolBarArea, bar);
    // Shown when the window is too narrow for every button.
    if (auto* more = bar->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button")))
        accessible::name(more, ids::kA11yMoreCommands);
    return bar;
}

bool MainFrame::createToolbars() {
    const auto allIcons = {kMainButtons, kRecordButtons, kToolButtons};
    for (const auto& buttons : allIcons)
        for (const auto& [command, icon] : buttons)
            if (Langpack::resourcePath(QStringLiteral("icons/%1.svg").arg(icon)).isEmpty())
                return false;
    toolbarMain_ = addBar(QStringLiteral("toolbarMain"), kMainButtons);
    toolbarRecords_ = addBar(QStringLiteral("toolbarRecords"), kRecordButtons);
    toolbarTools_ = addBar(QStringLiteral("toolbarTools"), kToolButtons);
    // The trend has no button, only its menu entry and key (and the analysis
    // page's button): the record bar stays as wide as it was.
    addAction(makeAction(ids::kCmdTrend, 0));
    // Menu entries without a button.
    for (int command :
         {ids::kWorklist, ids::kSendToArchive, ids::kCmdSendWaiting, ids::kCmdDicomSettings})
        makeAction(command, 0);
    // Read out by screen readers and shown in the toolbar menu.
    toolbarMain_->setWindowTitle(Langpack::text(ids::kA11yProgram));
    toolbarRecords_->setWindowTitle(Langpack::text(ids::kRecordsList));
    toolbarTools_->setWindowTitle(Langpack::text(ids::kA11yOutput));
    buildMenus();
    setStyleSheet(QStringLiteral("QMainWindow { background: #B4C8FF; }"
                                 "QMainWindow::separator { background: #B4C8FF; }"
                                 "QStatusBar { background: #DCE4FF; color: #14285A; }"));
    return true;
}

// The menu bar over the toolbar actions; F10 opens its first menu, as on
// most desktops.
void MainFrame::buildMenus() {
    QMenu* recent = makeRecentFilesMenu(
        this, [this](const QString& path) { doc_->OnOpenDocument(path, this); });
    buildMenuBar(
        menuBar(), [this](int command) { return actions_.value(command); }, toolbarTools_, recent);
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        if (menuBar()->isVisible() && !menuBar()->actions().isEmpty())
            menuBar()->setActiveAction(menuBar()->actions().constFirst());
    });
}

int MainFrame::activePageClass() const {
    return active_ ? page::classOf(active_->pageId()) : page::kNone;
}

Page* MainFrame::ShowPage(int pageId) {
    ClosePreview();
    Page* previous = active_;
    Page* next = pages_.create(pageId, *this);
    if (!next)
        return nullptr;
    keepProgramTitle();
    showPageStatus({});
    next->setParent(host_);
    host_->layout()->addWidget(next);
    active_ = next;
    next->OnInitialUpdate();
    next->show();
    // A page chosen from the keyboard is worked from the keyboard at once;
    // chosen from a menu, once the menu has closed and given back the focus.
    focusFirstTabStop(next);
    QMetaObject::invokeMethod(
        this,
        [this, page = QPointer<Page>(next)] {
            if (page && page == active_ && !page->isAncestorOf(QApplication::focusWidget()))
                focusFirstTabStop(page);
        },
        Qt::QueuedConnection);
    if (previous) {
        // The page left may be the sender of the command that got us here.
        host_->layout()->removeWidget(previous);
        previous->hide();
        previous->deleteLater();
    }
    UpdateCommandUI();
    return next;
}

void MainFrame::OpenPreview(QWidget* view) {
    ClosePreview();
    preview_ = view;
    view->setParent(host_);
    host_->layout()->addWidget(view);
    // The preview's own keys (Ctrl+P, Esc) serve while it shows: the menu
    // bar's go with it.
    menuBar()->hide();
    for (QToolBar* bar : {toolbarMain_, toolbarRecords_, toolbarTools_})
        if (bar)
            bar->hide();
    if (active_)
        active_->hide();
    view->show();
}

void MainFrame::ClosePreview() {
    if (!preview_)
        return;
    // The preview may be the sender of the command that closes it.
    host_->layout()->removeWidget(preview_);
    preview_->hide();
    preview_->deleteLater();
    preview_ = nullptr;
    menuBar()->setVisible(menuBar()->actions().size() > 0);
    for (QToolBar* bar : {toolbarMain_, toolbarRecords_, toolbarTools_})
        if (bar)
            bar->show();
    if (active_) {
        active_->show();
        if (!focusFirstTabStop(active_))
            active_->setFocus();
    }
    UpdateCommandUI();
}

void MainFrame::HandFileToPages(const QString& path) {
    if (!active_)
        return;
    if (activePageClass() != page::kRecordManagement) {
        ShowPage(page::kRecordManagement);
        return;
    }
    active_->importHandedFile(path);
}

void MainFrame::openHelp() {
    const QString chm = paths::helpFile(state_.dataRoot);
    const QString guide = installedGuide_.isNull() ? installedGuidePath() : installedGuide_;
    const bool useGuide = !QFileInfo::exists(chm) && QFileInfo::exists(guide);
    openUrl_(QUrl::fromLocalFile(useGuide ? guide : chm));
}

void MainFrame::OnPatientManager() {
    {
        PatientManagerDialog dialog(state_, prompter_, this);
        runDialog_(dialog);
    }
    keepProgramTitle();
    // Patients added, edited or deleted show at once.
    if (active_)
        active_->OnRecordsChanged();
}

void MainFrame::OnAbout() {
    InfoDialog dialog(this);
    runDialog_(dialog);
    keepProgramTitle();
}

// The program's name, whatever page or dialog was shown before.
void MainFrame::keepProgramTitle() {
    const QString title = Langpack::text(ids::kAppTitle).trimmed();
    setWindowTitle(title.isEmpty() ? doc_->caption() : title);
}

void MainFrame::showPageStatus(const QString& text) {
    pageStatusText_ = text;
    if (pageStatus_)
        pageStatus_->setText(text.isEmpty() ? Langpack::text(ids::kIdleStatus) : text);
}

void MainFrame::refreshFolderStatus() {
    const QString writer =
        DataFolderLock::otherHolder(state_.dataRoot, DataFolderLock::Kind::Shared);
    folderLabel_->setText(writer.isEmpty() ? QString()
                                           : Langpack::format(ids::kFolderReadOnly, writer));
    folderLabel_->setVisible(!writer.isEmpty());
}

QString MainFrame::folderStatus() const {
    return folderLabel_ ? folderLabel_->text() : QString();
}

QString MainFrame::modeStatus() const {
    return modeLabel_ ? modeLabel_->text() : QString();
}

FrameSituation MainFrame::situation() const {
    FrameSituation s;
    s.activePage = activePageClass();
    s.recordingMode = state_.recordingMode;
    s.hasRecord = active_ && active_->m_bHasRecord;
    s.pageAvailable = [this](int pageClass) { return pages_.has(pageClass); };
    return s;
}

void MainFrame::UpdateCommandUI() {
    const FrameSituation s = situation();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        QAction* act = it.value();
        const std::optional<bool> enabled = commandEnabled(it.key(), s);
        if (enabled)
            act->setEnabled(*enabled);
        act->setChecked(commandChecked(it.key(), s));
        // The tooltip names the key; a disabled command says what it needs.
        const QString label = withShortcut(act->iconText(), act->shortcut());
        const std::optional<int> need = commandNeed(it.key(), s);
        act->setToolTip(need ? label + u'\n' + Langpack::text(*need) : label);
    }
    if (modeLabel_) {
        const int mode = modeStatusText(s);
        modeLabel_->setText(mode ? Langpack::text(mode) : QString());
    }
}

bool MainFrame::isCommandEnabled(int command) const {
    const QAction* act = actions_.value(command);
    return act && act->isEnabled();
}

void MainFrame::runCommand(int command) {
    if (QAction* act = actions_.value(command); act && act->isEnabled())
        act->trigger();
}

void MainFrame::switchByCommand(int command) {
    switch (command) {
    case ids::kCmdHome:
        state_.recordingMode = RecordingMode::None;
        if (activePageClass() != page::kHome)
            ShowPage(page::kHome);
        break;
    case ids::kCmdContinuous:
    case ids::kCmdSnap:
        switchMode(command);
        break;
    case ids::kCmdRealTime:
        state_.recordingMode = RecordingMode::None;
        ShowPage(page::kRealTime);
        break;
    default:
        if (const std::optional<int> target = commandTargetPage(command);
            target && active_ && activePageClass() != *target)
            ShowPage(*target);
        break;
    }
}

// Until its page is built, a mode command leaves the page where it is, and the
// page re-reads its list for the new mode: it never shows the other mode's data.
void MainFrame::switchMode(int command) {
    state_.recordingMode =
        command == ids::kCmdContinuous ? RecordingMode::Continuous : RecordingMode::Snap;
    if (!active_)
        return;
    const int target =
        command == ids::kCmdContinuous ? page::kReplayByCommand : page::kSnapDataByCommand;
    if (pages_.has(page::classOf(target)))
        ShowPage(target);
    else
        active_->OnRecordsChanged();
}

void MainFrame::OnCommand(int command) {
    switch (command) {
    case ids::kCmdPatients:
        OnPatientManager();
        break;
    case ids::kCmdHelp:
        openHelp();
        break;
    case ids::kCmdAbout:
        OnAbout();
        break;
    case ids::kCmdExit:
        close();
        break;
    case ids::kCmdPrint:
        if (active_)
            active_->OnFilePrint();
        break;
    case ids::kCmdPreview:
        if (active_)
            active_->OnFilePrintPreview();
        break;
    case ids::kCmdPicture:
        if (active_)
            active_->OnSavePicture();
        break;
    case ids::kCmdMail:
        if (active_)
            active_->OnMailPicture();
        break;
    case ids::kSendToArchive:
        if (active_)
            active_->OnSendToArchive();
        break;
    default:
        if (!HospitalLink::handles(command))
            switchByCommand(command);
        else if (link_ && link_->run(command) && active_)
            active_->OnRecordsChanged();
        break;
    }
    UpdateCommandUI();
}

void MainFrame::dropFiles(const QList<QUrl>& urls) {
    if (urls.isEmpty() || preview_)
        return;
    doc_->OnOpenDocument(urls.first().toLocalFile(), this);
    UpdateCommandUI();
}

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event) {
    dropFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}

void MainFrame::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        AppSettings settings;
        saveWindowGeometry(settings, {normalGeometry(), isMaximized()});
    }
}

void MainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Only now does the window system tell the real size of its frame; some
    // tell it once the window is up.
    keepOnScreen();
    QTimer::singleShot(0, this, &MainFrame::keepOnScreen);
}

// Pulls the frame back wholly onto the screen the window is on, when it is
// not (the frame's size was only estimated before the window was shown).
void MainFrame::keepOnScreen() {
    const QScreen* screen = this->screen();
    if (!screen || isMaximized() || isFullScreen() ||
        screen->availableGeometry().contains(frameGeometry()))
        return;
    setGeometry(placeWindow({screen->availableGeometry()}, 0, geometry(), size(),
                            windowFrameMargins(*this)));
}

// The remembered place when it still lies on a screen, else 1024 x 768 (or
// what the screen holds) centred on the primary screen; frame always inside.
void MainFrame::placeOnScreen() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return;
    QList<QRect> areas;
    for (const QScreen* s : screens)
        areas << s->availableGeometry();
    const std::optional<WindowGeometry> saved = loadWindowGeometry(AppSettings());
    std::optional<QRect> savedRect;
    if (saved) // a hand-edited size below the smallest would grow past the screen
        savedRect = QRect(saved->normal.topLeft(), saved->normal.size().expandedTo(minimumSize()));
    const QRect client = placeWindow(areas, int(screens.indexOf(QGuiApplication::primaryScreen())),
                                     savedRect, QSize(kWidth, kHeight), windowFrameMargins(*this));
    setGeometry(client);
    if (saved && saved->maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainFrame::giveIdleStep() {
    if (active_)
        active_->OnIdle();
}

} // namespace vantora
