// Every page and dialog, filled from the demo data folder, walked through
// QAccessible as an assistive technology sees it: each control and each view
// must have a name.
#include "app/StationPages.h"
#include "core/StringIds.h"
#include "device/DownloadPageModel.h"
#include "records/PatientRegistry.h"
#include "support/CliRunner.h"
#include "support/PageFixture.h"
#include "ui/dialogs/ArchiveStudiesDialog.h"
#include "ui/dialogs/DicomSettingsDialog.h"
#include "ui/dialogs/ExportFileDialog.h"
#include "ui/dialogs/InfoDialog.h"
#include "ui/dialogs/NoteDialog.h"
#include "ui/dialogs/PatientEditDialog.h"
#include "ui/dialogs/PatientManagerDialog.h"
#include "ui/dialogs/PatientPickerDialog.h"
#include "ui/dialogs/QuickAddDialog.h"
#include "ui/dialogs/WorklistDialog.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/AnalysisPage.h"
#include "ui/pages/LivePage.h"
#include "ui/pages/RecordsPage.h"
#include "ui/pages/ReplayPage.h"
#include "ui/pages/TrendPage.h"

#include "ui/widgets/AnalysisRowList.h"
#include "ui/widgets/AveragedBeatView.h"
#include "ui/widgets/CaliperStripView.h"
#include "ui/widgets/DownloadProgressView.h"
#include "ui/widgets/LiveTraceView.h"
#include "ui/widgets/RecordPreview.h"
#include <QTest>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QToolBar>
#include <QTreeView>

#include <cstdio>
#include <functional>

namespace vantora::test {
namespace {

// Roles a person operates or reads as a whole: each needs a name.
bool needsName(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::ToolBar:
    case QAccessible::Graphic:
    case QAccessible::ProgressBar:
    case QAccessible::Dialog:
        return true;
    default:
        return false;
    }
}

// The station's own drawn widgets (traces, beat, preview) are views; pages
// are only their containers.
bool isView(const QWidget& w) {
    const QByteArray cls = w.metaObject()->className();
    return cls.startsWith("vantora::") && !w.inherits("vantora::Page");
}

bool hasLabelRelation(QAccessibleInterface* iface) {
    return !iface->relations(QAccessible::Label).isEmpty();
}

// On Linux a combo box reads out its current item as its name; what names it
// is its label or an explicit name.
bool named(QAccessibleInterface* iface, const QWidget& w) {
    if (iface->text(QAccessible::Name).trimmed().isEmpty())
        return false;
    if (iface->role() == QAccessible::ComboBox)
        return !w.accessibleName().isEmpty() || hasLabelRelation(iface);
    return true;
}

QString describe(QAccessibleInterface* iface, const QWidget& w) {
    return QStringLiteral("%1 '%2' (role %3)")
        .arg(QString::fromLatin1(w.metaObject()->className()), w.objectName())
        .arg(int(iface->role()));
}

struct Walk {
    int checked = 0;
    QStringList unnamed;
};

// Recurses the accessible children as a screen reader does, without going
// into the rows of item views and the popups of combo boxes.
void walk(QAccessibleInterface* iface, Walk& result) {
    if (!iface || iface->state().invisible)
        return;
    auto* w = qobject_cast<QWidget*>(iface->object());
    if (w && (needsName(iface->role()) || isView(*w))) {
        ++result.checked;
        if (!named(iface, *w))
            result.unnamed << describe(iface, *w);
    }
    const QAccessible::Role role = iface->role();
    if (role == QAccessible::List || role == QAccessible::Tree || role == QAccessible::Table ||
        role == QAccessible::ComboBox)
        return;
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), result);
}

Walk walkWidget(QWidget* top) {
    top->show();
    QApplication::processEvents();
    Walk result;
    walk(QAccessible::queryAccessibleInterface(top), result);
    return result;
}

void selectFirst(QAbstractItemView* view, const QModelIndex& parent = {}) {
    if (const QModelIndex item = view->model()->index(0, 0, parent); item.isValid())
        view->setCurrentIndex(item);
}

class AccessibleNamesTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        const CliRun demo =
            runCli({QStringLiteral("demo"), QStringLiteral("--data"), root_.path()});
        ASSERT_EQ(demo.exitCode, 0) << demo.err.toStdString();
        state_.dataFolderChecked = true;
        state_.currentPatient = 1;
        PageRegistry pages = stationPages();
        pages.add(page::kAnalysis,
                  [](PageHost& f) { return new AnalysisPage(f, binDir() + "/libbeatscan.so"); });
        frame_ = std::make_unique<MainFrame>(state_, std::move(pages));
        ASSERT_TRUE(frame_->OnCreate());
        frame_->show();
    }
    Page* show(int pageId, RecordingMode mode) {
        state_.recordingMode = mode;
        return frame_->ShowPage(pageId);
    }
    // The analysis page on the first patient's first recording, analysed.
    AnalysisPage* analysed() {
        auto* page = static_cast<AnalysisPage*>(show(page::kAnalysis, RecordingMode::Snap));
        const QModelIndex patient = page->tree()->model()->index(0, 0);
        page->tree()->expand(patient);
        selectFirst(page->tree(), patient);
        return page;
    }
    NoteDialog::Target noteTarget() const {
        return {root_.path(),
                RecordingMode::Snap,
                QStringLiteral("1001"),
                QStringLiteral("1001 Anna Berg"),
                {}};
    }
};

struct Screen {
    const char* name;
    // Builds the screen and returns the dialog to walk, kept in `owned`;
    // none for a page, which is walked with the whole frame.
    std::function<QWidget*(std::unique_ptr<QWidget>& owned)> open;
};

template <class D, class... Args> QWidget* keep(std::unique_ptr<QWidget>& owned, Args&&... args) {
    owned = std::make_unique<D>(std::forward<Args>(args)...);
    return owned.get();
}

TEST_F(AccessibleNamesTest, EveryControlAndViewOfEveryScreenHasAName) {
    MessageBoxPrompter& prompter = frame_->prompter();
    PatientRegistry registry(root_.path());
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.title = QStringLiteral("Export");
    request.filters = QStringList{QStringLiteral("Chart files (*.cEcg)")};
    using Owned = std::unique_ptr<QWidget>;
    const auto onPage = [this](int id, RecordingMode mode) {
        return [this, id, mode](Owned&) -> QWidget* {
            show(id, mode);
            return nullptr;
        };
    };
    const std::vector<Screen> screens = {
        {"home", onPage(page::kHome, RecordingMode::None)},
        {"download", onPage(page::kSnapData, RecordingMode::Snap)},
        {"replay",
         [this](Owned&) -> QWidget* {
             selectFirst(
                 static_cast<ReplayPage*>(show(page::kReplay, RecordingMode::Snap))->thumbnails());
             return nullptr;
         }},
        {"replay continuous", onPage(page::kReplay, RecordingMode::Continuous)},
        {"records",
         [this](Owned&) -> QWidget* {
             selectFirst(
                 static_cast<RecordsPage*>(show(page::kRecordManagement, RecordingMode::Snap))
                     ->recordingList());
             return nullptr;
         }},
        {"analysis",
         [this](Owned&) -> QWidget* {
             analysed();
             return nullptr;
         }},
        {"print preview",
         [this](Owned&) -> QWidget* {
             analysed();
             frame_->runCommand(ids::kCmdPreview);
             return nullptr;
         }},
        {"live", onPage(page::kRealTime, RecordingMode::None)},
        {"trend",
         [this](Owned&) -> QWidget* {
             auto* page = static_cast<TrendPage*>(show(page::kTrend, RecordingMode::Continuous));
             EXPECT_TRUE(QTest::qWaitFor([page] { return !page->loading(); }, 60000));
             return nullptr;
         }},
        {"about", [](Owned& o) { return keep<InfoDialog>(o); }},
        {"note",
         [this](Owned& o) { return keep<NoteDialog>(o, noteTarget(), [](const Message&) {}); }},
        {"patient edit",
         [&](Owned& o) {
             return keep<PatientEditDialog>(o, PatientEditDialog::Mode::Add, prompter);
         }},
        {"patient manager",
         [&](Owned& o) { return keep<PatientManagerDialog>(o, state_, prompter); }},
        {"patient picker",
         [&](Owned& o) { return keep<PatientPickerDialog>(o, root_.path(), prompter); }},
        {"quick add",
         [&](Owned& o) { return keep<QuickAddDialog>(o, registry, QStringList(), prompter); }},
        {"export file", [&](Owned& o) { return keep<ExportFileDialog>(o, request); }},
        // Without peers set they only say so: no network is asked.
        {"dicom settings", [&](Owned& o) { return keep<DicomSettingsDialog>(o, prompter); }},
        {"worklist", [&](Owned& o) { return keep<WorklistDialog>(o, state_, prompter); }},
        {"from archive",
         [&](Owned& o) { return keep<ArchiveStudiesDialog>(o, root_.path(), QString("1001")); }},
        {"download progress",
         [](Owned& o) {
             auto* view = static_cast<DownloadProgressView*>(keep<DownloadProgressView>(o));
             view->show(DownloadProgress{QStringLiteral("Download"), QStringLiteral("1 / 3"), 30});
             return view;
         }},
    };
    int total = 0;
    for (const Screen& screen : screens) {
        Owned owned;
        QWidget* top = screen.open(owned);
        const Walk w = walkWidget(top ? top : frame_.get());
        std::printf("%-18s %3d controls checked, %d unnamed\n", screen.name, w.checked,
                    int(w.unnamed.size()));
        total += w.checked;
        EXPECT_GT(w.checked, 1) << screen.name;
        EXPECT_TRUE(w.unnamed.isEmpty())
            << screen.name << ": " << w.unnamed.join(QStringLiteral("\n  ")).toStdString();
    }
    std::printf("all screens        %3d controls checked\n", total);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(u'\n').toStdString();
}

// What a screen reader says about a view or field after a step on its page.
struct Described {
    const char* step;
    std::function<QWidget*()> act;     // does the step, returns what is read
    std::function<QStringList()> says; // pieces the description holds, asked after the step
    QString notSays = {};              // a piece it must have dropped
};

TEST_F(AccessibleNamesTest, ViewsAndResultFieldsDescribeWhatTheyShowAsItChanges) {
    ReplayPage* replay = nullptr;
    AnalysisPage* analysis = nullptr;
    const std::vector<Described> steps = {
        {"replay opened on its first recording",
         [&]() -> QWidget* {
             replay = static_cast<ReplayPage*>(show(page::kReplay, RecordingMode::Snap));
             return replay->trace();
         },
         [&] {
             return QStringList{"ECG", "30 s", "heart rate " + replay->rateField()->text(),
                                "10 mm/mV"};
         },
         "no recording"},
        {"replay gain 2",
         [&]() -> QWidget* {
             emit replay->gainChoice()->activated(1);
             return replay->trace();
         },
         [&] {
             return QStringList{"30 s", "20 mm/mV"};
         },
         "10 mm/mV"},
        {"records preview",
         [&]() -> QWidget* {
             auto* page =
                 static_cast<RecordsPage*>(show(page::kRecordManagement, RecordingMode::Snap));
             selectFirst(page->recordingList());
             return page->preview();
         },
         [&] {
             return QStringList{"ECG", "30 s"};
         },
         "no recording"},
        {"analysis before a choice",
         [&]() -> QWidget* {
             return static_cast<AnalysisPage*>(show(page::kAnalysis, RecordingMode::Snap))
                 ->rowList();
         },
         [&] {
             return QStringList{"ECG", "no recording"};
         }},
        {"analysis rows",
         [&]() -> QWidget* {
             analysis = analysed();
             return analysis->rowList();
         },
         [&] {
             return QStringList{"30 s", "heart rate " + analysis->rateField()->text()};
         }},
        {"analysis QT field", [&]() -> QWidget* { return analysis->resultField(4); },
         [&] { return QStringList{"QT " + analysis->resultField(4)->text()}; }},
        {"averaged beat", [&]() -> QWidget* { return analysis->beatWindow(); },
         [&] {
             return QStringList{"QRS " + analysis->resultField(3)->text(),
                                "QTc " + analysis->resultField(5)->text()};
         }},
        {"live sweep",
         [&]() -> QWidget* {
             return static_cast<LivePage*>(show(page::kRealTime, RecordingMode::None))
                 ->traceWindow();
         },
         [&] {
             return QStringList{"ECG", "9 s"};
         }},
    };
    for (const Described& d : steps) {
        const QWidget* w = d.act();
        ASSERT_TRUE(w) << d.step;
        const QString said = w->accessibleDescription();
        EXPECT_FALSE(w->accessibleName().isEmpty()) << d.step;
        for (const QString& piece : d.says())
            EXPECT_TRUE(said.contains(piece)) << d.step << ": '" << said.toStdString()
                                              << "' lacks '" << piece.toStdString() << "'";
        if (!d.notSays.isEmpty()) {
            EXPECT_FALSE(said.contains(d.notSays)) << d.step << ": " << said.toStdString();
        }
    }
    // The results read out are numbers with their unit, not the empty marks.
    for (int k : {3, 4, 5})
        EXPECT_TRUE(analysis->resultField(k)->text().endsWith(QStringLiteral(" ms")))
            << analysis->resultField(k)->text().toStdString();
}

// A screen reader operates a checkable toolbar button by its Toggle action,
// not by a click: the mode buttons must still lead to their pages.
TEST_F(AccessibleNamesTest, ModeButtonsWorkThroughTheirAccessibleAction) {
    const struct {
        int command;
        RecordingMode mode;
        int pageClass;
    } cases[] = {{ids::kCmdSnap, RecordingMode::Snap, page::kSnapData},
                 {ids::kCmdContinuous, RecordingMode::Continuous, page::kReplay}};
    for (const auto& c : cases) {
        show(page::kHome, RecordingMode::None);
        frame_->UpdateCommandUI();
        QWidget* button = frame_->toolbarMain()->widgetForAction(frame_->action(c.command));
        ASSERT_TRUE(button) << c.command;
        QAccessibleActionInterface* actions =
            QAccessible::queryAccessibleInterface(button)->actionInterface();
        ASSERT_TRUE(actions) << c.command;
        const QStringList names = actions->actionNames();
        ASSERT_FALSE(names.isEmpty()) << c.command;
        actions->doAction(names.first());
        QApplication::processEvents();
        EXPECT_EQ(state_.recordingMode, c.mode) << c.command;
        EXPECT_EQ(frame_->activePageClass(), c.pageClass) << c.command;
        EXPECT_TRUE(frame_->action(c.command)->isChecked()) << c.command;
    }
}

} // namespace
} // namespace vantora::test
