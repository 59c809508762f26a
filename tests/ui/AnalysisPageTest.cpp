#include "ui/pages/AnalysisPage.h"
#include "ItemViewRows.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "render/StripGeometry.h"
#include "support/PageFixture.h"
#include "support/TestData.h"
#include "ui/dialogs/NoteDialog.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/PageIds.h"
#include "ui/models/AnalysisTreeItemModel.h"
#include "ui/pages/HomePage.h"
#include "ui/widgets/AnalysisRowList.h"
#include "ui/widgets/NoteField.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

constexpr int kRow = strip::kAnalysisRowHeight;

SystemTime startAt(int minute) {
    SystemTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 7;
    t.hour = 9;
    t.minute = uint16_t(minute);
    return t;
}

SnapRecording snap(uint64_t seed, int minute, uint16_t heartRate) {
    EcgParameters p;
    p.seed = seed;
    p.heartRateBpm = 64 + double(seed * 7 % 30);
    p.irregularity = 0.25; // a stretch then differs from the whole
    p.noiseMv = 0.01;
    SnapRecording r;
    r.header.startTime = startAt(minute).fields();
    r.header.recordingType = 3;
    r.header.heartRate = heartRate;
    r.blocks = EcgGenerator(p).nextSnapBlocks();
    return r;
}

// 30 s of continuous packets of the generator's signal.
std::vector<AcqPacket> continuousSegment(uint64_t seed) {
    EcgParameters p;
    p.seed = seed;
    const std::vector<int32_t> samples = EcgGenerator(p).nextRecording();
    std::vector<AcqPacket> packets(samples.size() / kAcqSamplesPerPacket);
    for (size_t i = 0; i < samples.size(); ++i)
        packets[i / kAcqSamplesPerPacket].samples[i % kAcqSamplesPerPacket] = samples[i];
    for (AcqPacket& packet : packets)
        packet.heartRate = 75;
    return packets;
}

QStringList fieldsOf(const AnalysisPage& view) {
    QStringList out;
    for (int k = 0; k < 6; ++k)
        out << view.resultField(k)->text();
    return out;
}

bool allDots(const QStringList& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const QString& f) { return f == "..."; });
}

// Pixels of one colour right of the 15 px margin (where the gain label is).
int countPixels(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = strip::kLeftMargin; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

class AnalysisPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
        MessageBoxPrompter::setHook([this](const QString& text, bool) {
            messages << text;
            return true;
        });
        state_.dataRoot = root_.path();
        state_.recordingMode = RecordingMode::Snap;
        PatientRegistry registry(root_.path());
        ASSERT_TRUE(registry.appendRecord(test::namedPatient("1001", "Anna Berg")).ok());
        ASSERT_TRUE(registry.appendRecord(test::namedPatient("1002", "Jonas Weber")).ok());
        const std::vector<SnapRecording> recordings{snap(1, 10, 71), snap(2, 20, 88)};
        const RecordingStore store(root_.path(), RecordingMode::Snap, QStringLiteral("1001"));
        ASSERT_EQ(store.appendSnap(recordings).saved, 2);
    }
    void TearDown() override { MessageBoxPrompter::setHook({}); }

    AnalysisPage* openPage(const QString& library) {
        PageRegistry pages;
        pages.add(page::kAnalysis, [library](PageHost& f) { return new AnalysisPage(f, library); });
        frame_ = std::make_unique<MainFrame>(state_, pages);
        EXPECT_TRUE(frame_->OnCreate());
        return static_cast<AnalysisPage*>(frame_->ShowPage(page::kAnalysis));
    }
    AnalysisPage* openPage() { return openPage(test::binDir() + "/libbeatscan.so"); }

    static void select(AnalysisPage* view, int patientIndex, int recording) {
        test::selectRow(view->tree(), patientIndex, recording);
    }
    static void click(AnalysisPage* view, int x, int y) {
        QTest::mouseClick(view->rowList(), Qt::LeftButton, {}, QPoint(x, y));
    }

    test::TempDataRoot root_;
    AppState state_;
    std::unique_ptr<MainFrame> frame_;
    QStringList messages;
};

} // namespace

TEST_F(AnalysisPageTest, TreeListsPatientsAndTheirRecordings) {
    AnalysisPage* view = openPage();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(test::rowCount(view->tree()), 2);
    EXPECT_EQ(test::rowText(view->tree(), 0), "1001 Anna Berg");
    ASSERT_EQ(test::rowCount(view->tree(), 0), 2);
    EXPECT_TRUE(test::rowText(view->tree(), 0, 1).startsWith("2  ")); // the number, then the time
    EXPECT_EQ(test::rowCount(view->tree(), 1), 0);
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    EXPECT_FALSE(view->m_bHasRecord);
}

TEST_F(AnalysisPageTest, FromPatientToRecordingToResults) {
    AnalysisPage* view = openPage();
    select(view, 0, 1);
    const QStringList fields = fieldsOf(*view);
    EXPECT_FALSE(allDots(fields)) << fields.join(' ').toStdString();
    // Every result carries its unit after one space.
    for (size_t k = 0; k < kResultUnits.size(); ++k)
        EXPECT_EQ(fields[qsizetype(k)].section(' ', 1), QLatin1String(kResultUnits[k]));
    bool ok = false;
    const int rate = fields[0].section(' ', 0, 0).toInt(&ok);
    EXPECT_TRUE(ok);
    EXPECT_GT(rate, 60);
    EXPECT_LT(rate, 110);
    EXPECT_TRUE(fields[1].contains('.'));
    EXPECT_EQ(view->rateField()->text(), "88");
    EXPECT_FALSE(view->dateField()->text().isEmpty());
    EXPECT_TRUE(view->m_bHasRecord);
    EXPECT_TRUE(frame_->isCommandEnabled(ids::kCmdPrint));
    // The rows show the recording in black.
    const QImage rows = view->rowList()->grab().toImage();
    EXPECT_GT(countPixels(rows.copy(0, 0, 783, kRow), Qt::black), 300);
    EXPECT_EQ(countPixels(rows, Qt::red) > 200, false); // no selected stretch yet

    // The page built again (left and shown) opens on the same recording.
    const QString date = view->dateField()->text();
    view = static_cast<AnalysisPage*>(frame_->ShowPage(page::kAnalysis));
    EXPECT_EQ(AnalysisTreeItemModel::placeOf(view->tree()->currentIndex()), (TreePlace{0, 1}));
    EXPECT_EQ(view->dateField()->text(), date);
    EXPECT_EQ(fieldsOf(*view), fields);

    // Back to the patient: everything is cleared.
    select(view, 0, -1);
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    EXPECT_EQ(view->rateField()->text(), "...");
    EXPECT_TRUE(view->dateField()->text().isEmpty());
    EXPECT_FALSE(view->m_bHasRecord);
    EXPECT_FALSE(frame_->isCommandEnabled(ids::kCmdPrint));
}

TEST_F(AnalysisPageTest, TwoClicksAnalyseTheStretchBetweenThem) {
    AnalysisPage* view = openPage();
    select(view, 0, 0);
    const QStringList whole = fieldsOf(*view);
    ASSERT_FALSE(allDots(whole));

    click(view, 400, 2 * kRow + 20);
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    EXPECT_FALSE(view->m_bHasRecord);
    click(view, 100, 30);
    const QStringList stretch = fieldsOf(*view);
    EXPECT_FALSE(allDots(stretch));
    EXPECT_NE(stretch, whole);
    EXPECT_EQ(view->model().run().windowStart(), 277);
    EXPECT_EQ(view->model().run().windowEnd(), 6254);
    EXPECT_TRUE(view->m_bHasRecord);
    const QImage rows = view->rowList()->grab().toImage();
    EXPECT_GT(countPixels(rows, Qt::red), 1000);

    // A click left of the trace changes nothing; a third click starts anew.
    click(view, 5, 30);
    EXPECT_EQ(fieldsOf(*view), stretch);
    click(view, 300, kRow + 10);
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    click(view, 300, kRow + 10); // the same pixel: no analysis
    EXPECT_TRUE(allDots(fieldsOf(*view)));
}

TEST_F(AnalysisPageTest, CommandLineAgreesWithThePage) {
    AnalysisPage* view = openPage();
    select(view, 0, 1);
    click(view, 782, 10);
    click(view, 15, 2 * kRow + 5);
    const QStringList pageFields = fieldsOf(*view);
    ASSERT_FALSE(allDots(pageFields));

    QProcess cli;
    cli.start(test::binDir() + "/vantora-cli",
              {"--data", root_.path(), "analyse", "--patient", "1001", "--mode", "snap", "--number",
               "2", "--start", "2499", "--end", "5000"});
    ASSERT_TRUE(cli.waitForFinished(20000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QJsonObject out = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    EXPECT_EQ(view->model().run().windowStart(), 2499);
    EXPECT_EQ(view->model().run().windowEnd(), 5000);
    QStringList cliFields;
    for (const QJsonValue& v : out["fields"].toArray()) // numbers only; the page adds units
        cliFields << withUnit(v.toString(), size_t(cliFields.size()));
    EXPECT_EQ(cliFields, pageFields);
    ASSERT_EQ(out["averagedBeat"].toArray().size(), 250);
    EXPECT_EQ(out["averagedBeat"].toArray()[125].toInt(), view->model().run().beat()[125]);
    EXPECT_EQ(out["indices"].toObject()["QB"].toInt(), view->model().run().parameters()[1]);
}

TEST_F(AnalysisPageTest, AbsentLibraryStillShowsTheRecording) {
    const QString missing = root_.file("libbeatscan.so");
    AnalysisPage* view = openPage(missing);
    select(view, 0, 0);
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    EXPECT_EQ(view->rateField()->text(), "71");
    EXPECT_GT(countPixels(view->rowList()->grab().toImage(), Qt::black), 900);
    EXPECT_FALSE(view->m_bHasRecord);
    EXPECT_TRUE(messages.isEmpty());
    // The status bar says which library could not be loaded, from where.
    EXPECT_EQ(frame_->pageStatus(), Langpack::format(ids::kLibraryNotLoaded, missing));
    EXPECT_TRUE(frame_->pageStatus().contains(missing));
    // In the status bar itself, not under a message that covers it.
    const auto labels = frame_->statusBar()->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
        return label->text() == frame_->pageStatus();
    }));
    EXPECT_TRUE(frame_->statusBar()->currentMessage().isEmpty());
    click(view, 100, 10);
    click(view, 300, 10);
    EXPECT_EQ(frame_->pageStatus(), Langpack::format(ids::kLibraryNotLoaded, missing));

    // With the library in place the line is empty.
    view = openPage();
    EXPECT_TRUE(frame_->pageStatus().isEmpty());
    select(view, 0, 0);
    EXPECT_FALSE(allDots(fieldsOf(*view)));
    EXPECT_TRUE(frame_->pageStatus().isEmpty());
}

// The mode commands, while their pages are not built, re-read the tree for
// the new mode: the page never shows the other mode's recordings or results.
TEST_F(AnalysisPageTest, ModeCommandsReloadTheTreeForTheirMode) {
    const RecordingStore con(root_.path(), RecordingMode::Continuous, QStringLiteral("1002"));
    ASSERT_TRUE(con.appendContinuous(continuousSegment(5), startAt(30)).ok());
    AnalysisPage* view = openPage();
    select(view, 0, 1);
    ASSERT_TRUE(view->m_bHasRecord);

    frame_->runCommand(ids::kCmdContinuous);
    ASSERT_EQ(frame_->activeView(), view);
    EXPECT_EQ(view->storeMode(), RecordingMode::Continuous);
    EXPECT_EQ(test::rowCount(view->tree(), 0), 0);
    EXPECT_EQ(test::rowCount(view->tree(), 1), 1);
    EXPECT_FALSE(test::hasCurrent(view->tree()));
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    EXPECT_EQ(view->rateField()->text(), "...");
    EXPECT_FALSE(view->m_bHasRecord);
    EXPECT_EQ(countPixels(view->rowList()->grab().toImage(), Qt::black), 0);
    EXPECT_TRUE(frame_->action(ids::kCmdContinuous)->isChecked());
    EXPECT_EQ(frame_->modeStatus(), Langpack::text(ids::kStatusContinuousMode));

    select(view, 1, 0);
    EXPECT_EQ(view->rateField()->text(), "75");
    EXPECT_FALSE(allDots(fieldsOf(*view)));
    frame_->runCommand(ids::kCmdSnap);
    EXPECT_EQ(test::rowCount(view->tree(), 0), 2);
    EXPECT_EQ(test::rowCount(view->tree(), 1), 0);
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    EXPECT_EQ(view->rateField()->text(), "...");
    EXPECT_EQ(frame_->modeStatus(), Langpack::text(ids::kStatusSnapMode));
    EXPECT_TRUE(messages.isEmpty());
}

// Closing the patient manager re-reads the tree: a new patient shows at once,
// the shown recording stays selected while it exists, and a deleted patient
// takes its recording off the page without its files coming back.
TEST_F(AnalysisPageTest, PatientManagerClosingReloadsTheTree) {
    AnalysisPage* view = openPage();
    select(view, 0, 1);
    const QStringList shown = fieldsOf(*view);
    ASSERT_FALSE(allDots(shown));

    frame_->setDialogRunner([this](QDialog&) {
        EXPECT_TRUE(PatientRegistry(root_.path())
                        .appendRecord(test::namedPatient("1003", "Mia Roth"))
                        .ok());
        return 0;
    });
    frame_->runCommand(ids::kCmdPatients);
    ASSERT_EQ(test::rowCount(view->tree()), 3);
    EXPECT_EQ(test::rowText(view->tree(), 2), "1003 Mia Roth");
    ASSERT_TRUE(test::hasCurrent(view->tree()));
    EXPECT_EQ(view->tree()->currentIndex(), test::rowIndex(view->tree(), 0, 1));
    EXPECT_EQ(fieldsOf(*view), shown);
    EXPECT_TRUE(view->m_bHasRecord);

    const RecordingStore store(root_.path(), RecordingMode::Snap, QStringLiteral("1001"));
    frame_->setDialogRunner([this](QDialog&) {
        EXPECT_TRUE(PatientRegistry(root_.path()).remove(1, nullptr).ok());
        return 0;
    });
    frame_->runCommand(ids::kCmdPatients);
    ASSERT_EQ(test::rowCount(view->tree()), 2);
    EXPECT_EQ(test::rowText(view->tree(), 0), "1002 Jonas Weber");
    EXPECT_FALSE(test::hasCurrent(view->tree()));
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    EXPECT_TRUE(view->dateField()->text().isEmpty());
    EXPECT_FALSE(view->m_bHasRecord);
    EXPECT_EQ(countPixels(view->rowList()->grab().toImage(), Qt::black), 0);
    EXPECT_FALSE(QFile::exists(store.dataPath()));
    EXPECT_FALSE(QFile::exists(store.indexPath()));
    EXPECT_TRUE(messages.isEmpty());
}

// A recording removed behind the page's back: selecting it gives a message,
// not an empty strip, and the tree is read again.
TEST_F(AnalysisPageTest, StaleRecordingGivesAMessage) {
    AnalysisPage* view = openPage();
    const RecordingStore store(root_.path(), RecordingMode::Snap, QStringLiteral("1001"));
    ASSERT_TRUE(store.remove(0).ok()); // recording 2 becomes recording 1
    select(view, 0, 1);
    EXPECT_EQ(messages, QStringList{Langpack::text(ids::kRecordingGone)});
    EXPECT_TRUE(allDots(fieldsOf(*view)));
    EXPECT_EQ(view->rateField()->text(), "...");
    EXPECT_FALSE(view->m_bHasRecord);
    QApplication::processEvents();
    ASSERT_EQ(test::rowCount(view->tree(), 0), 1);
    EXPECT_FALSE(test::hasCurrent(view->tree()));

    // Recording 1 is now the one that was listed second; all files gone next.
    select(view, 0, 0);
    EXPECT_EQ(view->rateField()->text(), "88");
    ASSERT_TRUE(QFile::remove(store.dataPath()));
    messages.clear();
    select(view, 0, -1);
    select(view, 0, 0);
    EXPECT_EQ(messages, QStringList{Langpack::text(ids::kRecordingGone)});
    QApplication::processEvents();
    EXPECT_EQ(test::rowCount(view->tree(), 0), 0);
    EXPECT_FALSE(QFile::exists(store.dataPath()));
}

TEST_F(AnalysisPageTest, NoteClickEditsTheNoteOfTheSelectedRecording) {
    AnalysisPage* view = openPage();
    select(view, 0, 1);
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<NoteDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->textField()->setPlainText(QString(250, 'n')); // the field stops at 199
        dialog->accept();
    });
    QTest::mouseClick(view->noteField()->viewport(), Qt::LeftButton);
    EXPECT_EQ(view->noteField()->toPlainText(), QString(199, 'n'));
    EXPECT_EQ(view->noteField()->textColor(), QColor(0, 0, 255));
    const RecordingNotes notes(root_.path(), RecordingMode::Snap, QStringLiteral("1001"));
    EXPECT_EQ(notes.read(startAt(20)).value(), QString(199, 'n'));
    EXPECT_EQ(notes.read(startAt(10)).value(), QString());

    // Cancel changes nothing; the stored note shows on the next selection.
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<NoteDialog*>(QApplication::activeModalWidget())) {
            dialog->textField()->setPlainText("discarded");
            dialog->reject();
        }
    });
    QTest::mouseClick(view->noteField()->viewport(), Qt::LeftButton);
    EXPECT_EQ(notes.read(startAt(20)).value(), QString(199, 'n'));
    select(view, 0, 0);
    EXPECT_TRUE(view->noteField()->toPlainText().isEmpty());
    select(view, 0, 1);
    EXPECT_EQ(view->noteField()->toPlainText(), QString(199, 'n'));
}

TEST_F(AnalysisPageTest, NoteOfSeveralLinesIsShownWhole) {
    const QString note = QStringLiteral("Palpitations after climbing stairs.\nTook 5 mg bisoprolol "
                                        "at 8:00.\n") +
                         QString(120, u'x'); // one long word wraps too
    ASSERT_LE(note.size(), RecordingNotes::kMaxChars);
    ASSERT_TRUE(RecordingNotes(root_.path(), RecordingMode::Snap, QStringLiteral("1001"))
                    .write(startAt(20), note)
                    .ok());
    AnalysisPage* view = openPage();
    frame_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
    select(view, 0, 1);
    QApplication::processEvents();
    NoteField* field = view->noteField();
    EXPECT_EQ(field->toPlainText(), note);
    const int lines = field->document()->documentLayout()->documentSize().height() /
                      field->fontMetrics().lineSpacing();
    EXPECT_GE(lines, 4); // three lines of text, the long word wrapped
    EXPECT_EQ(field->verticalScrollBar()->maximum(), 0) << "the note does not fit";
    EXPECT_EQ(field->horizontalScrollBar()->maximum(), 0);
    EXPECT_LE(field->document()->size().height(), field->viewport()->height());
}

TEST_F(AnalysisPageTest, NoteClickWithoutARecordingOpensNothing) {
    AnalysisPage* view = openPage();
    for (int patientIndex : {-1, 0, 1}) { // nothing, a patient with and without recordings
        if (patientIndex >= 0)
            select(view, patientIndex, -1);
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened = true;
                w->close();
            }
        });
        QTest::mouseClick(view->noteField()->viewport(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_FALSE(opened) << patientIndex;
    }
}

TEST_F(AnalysisPageTest, ContinuousModeListsTheContinuousStore) {
    state_.recordingMode = RecordingMode::Continuous;
    AnalysisPage* view = openPage();
    EXPECT_EQ(view->storeMode(), RecordingMode::Continuous);
    EXPECT_EQ(test::rowCount(view->tree(), 0), 0);
}

TEST_F(AnalysisPageTest, FrameCommandAndHomeButtonLeadToTheAnalysisPage) {
    PageRegistry pages;
    pages.add(page::kHome, [](PageHost& f) { return new HomePage(f); });
    pages.add(page::kAnalysis,
              [](PageHost& f) { return new AnalysisPage(f, test::binDir() + "/libbeatscan.so"); });
    state_.homeShown = true;
    frame_ = std::make_unique<MainFrame>(state_, pages);
    ASSERT_TRUE(frame_->OnCreate());
    auto* home = static_cast<HomePage*>(frame_->ShowPage(page::kHome));
    ASSERT_NE(home, nullptr);
    QTest::mouseClick(home->button(HomePage::kAnalysis), Qt::LeftButton);
    auto* view = qobject_cast<AnalysisPage*>(frame_->activeView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(test::rowCount(view->tree()), 2);
    EXPECT_FALSE(frame_->isCommandEnabled(ids::kCmdAnalysis)); // already there

    frame_->ShowPage(page::kHome);
    ASSERT_TRUE(frame_->isCommandEnabled(ids::kCmdAnalysis));
    frame_->runCommand(ids::kCmdAnalysis);
    view = qobject_cast<AnalysisPage*>(frame_->activeView());
    ASSERT_NE(view, nullptr);
    // Results enable the page's picture commands, a first click disables them again.
    select(view, 0, 0);
    EXPECT_TRUE(frame_->isCommandEnabled(ids::kCmdPicture));
    click(view, 100, 10);
    EXPECT_FALSE(frame_->isCommandEnabled(ids::kCmdPicture));
}
