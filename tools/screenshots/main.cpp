// shell-screenshots DATA OUT: renders the home page, the patient manager and
// the patient picker off-screen on the data folder DATA into PNG files in OUT.
#include "analysis/CSnapAnanlyseView.h"
#include "app/CMainFrame.h"
#include "app/PageIds.h"
#include "app/StationPages.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "records/PatientManagerDialog.h"
#include "records/PatientPickerDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <cstdio>

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

void selectRow(QTreeWidget* list, int row) {
    if (QTreeWidgetItem* item = list->topLevelItem(row))
        list->setCurrentItem(item);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: shell-screenshots DATA OUT\n");
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

    vantora::CMainFrame frame(state, vantora::stationPages());
    frame.OnCreate();
    frame.ShowPage(vantora::page::kHome);
    frame.setWindowTitle(vantora::Langpack::text(vantora::Langpack::kAppTitle));
    ok &= save(frame, out.filePath("home.png"));

    vantora::PatientManagerDialog manager(state, frame.prompter());
    selectRow(manager.list(), 1);
    ok &= save(manager, out.filePath("patient-manager.png"));

    vantora::PatientPickerDialog picker(state.dataRoot, frame.prompter());
    selectRow(picker.list(), 0);
    ok &= save(picker, out.filePath("patient-picker.png"));

    // The analysis page on the first Snap recording, with a stretch selected
    // by two clicks on the rows.
    state.recordingMode = vantora::kModeSnap;
    auto* analysis =
        static_cast<vantora::CSnapAnanlyseView*>(frame.ShowPage(vantora::page::kAnalysis));
    if (QTreeWidgetItem* patient = analysis->tree()->topLevelItem(0)) {
        patient->setExpanded(true);
        analysis->tree()->setCurrentItem(patient->child(0));
        analysis->OnRowClicked(240, 40);
        analysis->OnRowClicked(520, 190);
    }
    ok &= save(frame, out.filePath("analysis.png"));
    return ok ? 0 : 1;
}
