// shell-screenshots DATA OUT [RECORDER-PORT [LIVE-PORT]]: renders the home
// page (also with its menu open from the keyboard), the patient manager, the patient picker, the
// analysis page and its report in the print preview, the record management and replay pages, with
// a recorder's port the download page and with a streaming recorder's port
// the real-time page, and the trend page, off-screen on the data folder DATA into PNG files in OUT.
// With --fit NAME only the analysis page, in the window as it opens on the
// platform's screen (a small or scaled one), into OUT/NAME. With --dicom
// WORKLIST ARCHIVE (AET@HOST:PORT each) the worklist dialog as the provider
// answers it and the status line after a send to that archive.
#include "app/StationPages.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "dicom/DicomNode.h"
#include "records/RecordingNotes.h"
#include "ui/dialogs/PatientManagerDialog.h"
#include "ui/dialogs/PatientPickerDialog.h"
#include "ui/dialogs/WorklistDialog.h"
#include "ui/frame/HospitalLink.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/AnalysisPage.h"
#include "ui/pages/DownloadPage.h"
#include "ui/pages/LivePage.h"
#include "ui/pages/RecordsPage.h"
#include "ui/pages/ReplayPage.h"
#include "ui/pages/TrendPage.h"
#include "ui/widgets/CaliperStripView.h"
#include "ui/widgets/TrendView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeView>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

bool save(QWidget& widget, const QString& file) {
    widget.show();
    for (QElapsedTimer t; !t.isValid() || t.elapsed() < 50;) {
        if (!t.isValid())
            t.start();
        QApplication::processEvents();
    }
    const bool ok = widget.grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
    return ok;
}

void selectRow(QAbstractItemView* list, int row) {
    if (const QModelIndex item = list->model()->index(row, 0); item.isValid())
        list->setCurrentIndex(item);
}

// The download page after a whole download from the recorder (the page's
// port), the second row not chosen for saving.
bool downloadShot(vantora::MainFrame& frame, const QString& file) {
    auto* page = static_cast<vantora::DownloadPage*>(frame.ShowPage(vantora::page::kSnapData));
    page->OnDownload();
    QElapsedTimer t;
    t.start();
    while (page->model().linkRunning() && t.elapsed() < 120000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    page->toggleMark(1);
    return save(frame, file);
}

// The replay page with the third thumbnail selected, the stretch from a sixth
// of its length shown (the green mark), the large trace zoomed in and
// calipers from one R peak to the next.
bool replayShot(vantora::MainFrame& frame, const QString& file) {
    auto* page = static_cast<vantora::ReplayPage*>(frame.ShowPage(vantora::page::kReplay));
    selectRow(page->thumbnails(), 2);
    frame.show();
    QApplication::processEvents();
    vantora::CaliperStripView* trace = page->trace();
    const vantora::ReplayThumbnail* shown = page->model().selectedThumbnail();
    if (shown == nullptr || trace->reduction().empty())
        return save(frame, file);
    page->OnStretchChosen(2, QPoint(vantora::ReplayPage::kThumbnailWidth / 6, 10));
    QWheelEvent wheel(QPointF(100, 90), trace->mapToGlobal(QPointF(100, 90)), QPoint(),
                      QPoint(0, 120 * 25), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false); // 25 notches up: one and a half times as large
    QApplication::sendEvent(trace, &wheel);
    const double ratio = trace->reduction().ratio;
    const int start = int(trace->firstEntry() / ratio); // the first sample shown
    const auto& s = shown->samples;
    const auto peak = [&s](int from, int to) {
        return int(std::max_element(s.begin() + from, s.begin() + to) - s.begin());
    };
    const int first = peak(start + 100, start + 400);
    const int second = peak(first + 60, first + 300); // the next beat, 40 to 200 bpm
    const auto xOf = [trace, ratio](int sample) {
        const double column = sample * ratio - trace->firstEntry();
        return QPointF(
            vantora::Calipers::xOfColumn(trace->strip(), column, trace->width(), trace->columns()),
            90);
    };
    QMouseEvent press(QEvent::MouseButtonPress, xOf(first), trace->mapToGlobal(xOf(first)),
                      Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    QMouseEvent move(QEvent::MouseMove, xOf(second), trace->mapToGlobal(xOf(second)), Qt::NoButton,
                     Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(trace, &press);
    QApplication::sendEvent(trace, &move);
    return save(frame, file);
}

// The home page worked from the keyboard: the second button ringed by the
// focus, and the View menu open (F10, Right) with the pages' keys. The menu
// is a window of its own, drawn onto the frame's picture where it opened.
bool keyboardShot(vantora::MainFrame& frame, const QString& file) {
    frame.ShowPage(vantora::page::kHome);
    frame.show();
    QApplication::processEvents();
    if (QWidget* focused = QApplication::focusWidget()) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(focused, &tab);
    }
    QMenuBar* bar = frame.menuBar();
    if (bar->actions().size() < 2)
        return save(frame, file);
    bar->setActiveAction(bar->actions().at(1));
    for (QElapsedTimer t; !t.isValid() || t.elapsed() < 50;) {
        if (!t.isValid())
            t.start();
        QApplication::processEvents();
    }
    QImage shot = frame.grab().toImage();
    if (QMenu* menu = bar->actions().at(1)->menu(); menu && menu->isVisible()) {
        QPainter painter(&shot);
        painter.drawPixmap(menu->mapToGlobal(QPoint()) - frame.mapToGlobal(QPoint()), menu->grab());
    }
    bar->setActiveAction(nullptr);
    const bool ok = shot.save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
    return ok;
}

} // namespace

// The record management page on the first patient's second Snap recording,
// with a note written for it so that the information box shows one.
bool recordsShot(vantora::MainFrame& frame, vantora::AppState& state, const QString& file) {
    state.recordingMode = vantora::RecordingMode::Snap;
    auto* page =
        static_cast<vantora::RecordsPage*>(frame.ShowPage(vantora::page::kRecordManagement));
    const vantora::RecordsPageModel& model = page->model();
    if (const vantora::PatientRecord* patient = model.patients().selectedRecord();
        patient && model.recordings().size() > 1) {
        (void)vantora::RecordingNotes(state.dataRoot, vantora::RecordingMode::Snap, patient->id)
            .write(model.recordings()[1].entry.time,
                   QStringLiteral("Sinus rhythm, rate normal.\nFollow-up in three months."));
        selectRow(page->recordingList(), 1);
    }
    return save(frame, file);
}

// The real-time page recording for the first patient, its trace half swept
// (the recorder streams at its own pace, 9 s a sweep).
bool realTimeShot(vantora::MainFrame& frame, const QString& port, const QString& file) {
    vantora::AppState& state = frame.state();
    state.recordingMode = vantora::RecordingMode::None; // as command 32787 sets it
    auto* page = static_cast<vantora::LivePage*>(frame.ShowPage(vantora::page::kRealTime));
    page->setPatientChooser([&state, &frame] {
        vantora::PatientPickerDialog picker(state.dataRoot, frame.prompter());
        selectRow(picker.list(), 0);
        picker.accept();
        return picker.picked();
    });
    page->setPortFinder([port] { return std::optional<QString>(port); });
    page->OnStart();
    QElapsedTimer t;
    t.start();
    while (page->model().running() && page->model().trace().writePosition() < 1125 &&
           t.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    const bool ok = page->model().running() && save(frame, file);
    page->OnStop();
    return ok;
}

// The analysis page on the first Snap recording, with a stretch selected by
// two clicks on the rows.
bool analysisShot(vantora::MainFrame& frame, const QString& file) {
    frame.state().recordingMode = vantora::RecordingMode::Snap;
    auto* analysis = static_cast<vantora::AnalysisPage*>(frame.ShowPage(vantora::page::kAnalysis));
    if (const QModelIndex patient = analysis->tree()->model()->index(0, 0); patient.isValid()) {
        analysis->tree()->expand(patient);
        analysis->tree()->setCurrentIndex(analysis->tree()->model()->index(0, 0, patient));
        analysis->OnRowClicked(240, 40);
        analysis->OnRowClicked(520, 190);
    }
    return save(frame, file);
}

// The trend page of the demo's Continuous patient (1002), the cursor in its
// longest ST episode.
bool trendShot(vantora::MainFrame& frame, const QString& file) {
    frame.state().recordingMode = vantora::RecordingMode::Continuous;
    frame.state().currentPatient = 2;
    auto* page = static_cast<vantora::TrendPage*>(frame.ShowPage(vantora::page::kTrend));
    for (QElapsedTimer t; !t.isValid() || (page->loading() && t.elapsed() < 60000);) {
        if (!t.isValid())
            t.start();
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const auto& st = page->model().periods(vantora::TrendLimit::St);
    if (!st.empty()) {
        const auto longest =
            std::max_element(st.begin(), st.end(),
                             [](const auto& a, const auto& b) { return a.length() < b.length(); });
        const QPointF at(page->view()->xAt(longest->start + longest->length() / 2),
                         page->view()->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, at, page->view()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(page->view(), &move);
    }
    return !page->model().empty() && save(frame, file);
}

// The worklist as the provider lists it, and the records page after "Send to
// archive" with the sender's word on the status line.
bool dicomShots(vantora::MainFrame& frame, vantora::AppState& state, const QString& worklist,
                const QString& archive, const QDir& out) {
    vantora::DicomSettings settings;
    settings.worklist = vantora::DicomNode::parse(worklist).value();
    settings.archive = vantora::DicomNode::parse(archive).value();
    vantora::AppSettings store;
    if (!settings.save(store))
        return false;
    const auto settle = [](const std::function<bool()>& done) {
        for (QElapsedTimer t; !t.isValid() || (!done() && t.elapsed() < 30000);) {
            if (!t.isValid())
                t.start();
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        return done();
    };
    vantora::WorklistDialog dialog(state, frame.prompter());
    bool ok =
        settle([&] { return dialog.busy() == 0; }) && save(dialog, out.filePath("worklist.png"));
    dialog.hide();
    state.recordingMode = vantora::RecordingMode::Snap;
    auto* page =
        static_cast<vantora::RecordsPage*>(frame.ShowPage(vantora::page::kRecordManagement));
    selectRow(page->recordingList(), 0);
    page->OnSendToArchive();
    vantora::ArchiveSender& sender = frame.hospitalLink()->sender();
    ok &= settle([&] { return sender.pendingJobs() == 0; });
    return ok && save(frame, out.filePath("send-status.png"));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    // --fit NAME: only the analysis page, in the window as the screen of the
    // platform's configuration places it, as OUT/NAME.
    const bool fit = args.size() == 5 && args[3] == QStringLiteral("--fit");
    const bool dicom = args.size() == 6 && args[3] == QStringLiteral("--dicom");
    if (args.size() < 3 || args.size() > 6) {
        std::fprintf(stderr, "usage: shell-screenshots DATA OUT [RECORDER-PORT [LIVE-PORT]]\n"
                             "       shell-screenshots DATA OUT --fit NAME\n"
                             "       shell-screenshots DATA OUT --dicom WORKLIST ARCHIVE\n");
        return 2;
    }
    vantora::Langpack::loadBesideExecutable();
    vantora::MessageBoxPrompter::setHook([](const QString& text, bool) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return false;
    });
    vantora::AppState state;
    state.dataRoot = QDir(args[1]).absolutePath();
    state.dataFolderChecked = true; // never clean the demo folder
    const QDir out(args[2]);
    bool ok = true;

    vantora::PageRegistry pages = vantora::stationPages();
    const QString port = args.size() >= 4 && !fit && !dicom ? args[3] : QString();
    const QString livePort = args.size() == 5 && !fit ? args[4] : QString();
    if (!port.isEmpty())
        pages.add(vantora::page::kSnapData, [port](vantora::PageHost& f) {
            return new vantora::DownloadPage(f, [port] { return std::optional<QString>(port); });
        });
    vantora::MainFrame frame(state, std::move(pages));
    frame.OnCreate();
    frame.setWindowTitle(vantora::Langpack::text(vantora::ids::kAppTitle));
    if (fit)
        return analysisShot(frame, out.filePath(args[4])) ? 0 : 1;
    if (dicom)
        return dicomShots(frame, state, args[4], args[5], out) ? 0 : 1;
    frame.ShowPage(vantora::page::kHome);
    ok &= save(frame, out.filePath("home.png"));
    ok &= keyboardShot(frame, out.filePath("keyboard.png"));

    vantora::PatientManagerDialog manager(state, frame.prompter());
    selectRow(manager.list(), 1);
    ok &= save(manager, out.filePath("patient-manager.png"));

    vantora::PatientPickerDialog picker(state.dataRoot, frame.prompter());
    selectRow(picker.list(), 0);
    ok &= save(picker, out.filePath("patient-picker.png"));

    ok &= analysisShot(frame, out.filePath("analysis.png"));
    // Its report in the print preview, which then closes back to the page.
    frame.runCommand(vantora::ids::kCmdPreview);
    ok &= save(frame, out.filePath("preview.png"));
    frame.ClosePreview();
    ok &= recordsShot(frame, state, out.filePath("records.png"));

    ok &= replayShot(frame, out.filePath("replay.png"));
    ok &= trendShot(frame, out.filePath("trend.png"));
    if (!port.isEmpty())
        ok &= downloadShot(frame, out.filePath("download.png"));
    if (!livePort.isEmpty())
        ok &= realTimeShot(frame, livePort, out.filePath("realtime.png"));
    return ok ? 0 : 1;
}
