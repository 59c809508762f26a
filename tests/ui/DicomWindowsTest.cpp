// The hospital connection from the window, against a real Orthanc archive and
// a real wlmscpfs worklist provider: the settings' echo tests, a patient
// taken from the worklist, recordings sent in the background with the
// status line's count (archive down, back, a restart), and a study fetched
// into a second station's store byte for byte.
#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "dicom/DicomNode.h"
#include "dicom/Outbox.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "support/CliRunner.h"
#include "support/DicomServers.h"
#include "support/PageFixture.h"
#include "ui/dialogs/ArchiveStudiesDialog.h"
#include "ui/dialogs/DicomSettingsDialog.h"
#include "ui/dialogs/WorklistDialog.h"
#include "ui/frame/HospitalLink.h"
#include "ui/frame/ModalDialogs.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/RecordsPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeView>

// Failures show texts as text.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

using namespace vantora;
using namespace vantora::test;

namespace {

constexpr int kNetworkWaitMs = 60000; // a bound for a hung peer, not a timing check

void typePeer(DicomSettingsDialog& d, DicomSettingsDialog::Peer p, const DicomNode& node) {
    d.titleField(p)->setText(node.aeTitle);
    d.hostField(p)->setText(node.host);
    d.portField(p)->setValue(node.port);
}

class DicomWindowsTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        ASSERT_EQ(runCli({"demo", "--data", root_.path()}).exitCode, 0);
        state_.recordingMode = RecordingMode::Snap;
    }
    void TearDown() override {
        setModalHook({});
        frame_.reset();
        PageFixture::TearDown();
    }
    void useArchive(const DicomNode& archive) {
        DicomSettings s;
        s.archive = archive;
        s.worklist = worklistNode_;
        AppSettings store;
        ASSERT_TRUE(s.save(store));
    }
    RecordsPage* recordsPage() {
        return openPage<RecordsPage>(page::kRecordManagement, page::kRecordManagement,
                                     [](PageHost& f) { return new RecordsPage(f); });
    }
    // Selects patient 1001's recording `number` on the page.
    void selectRecording(RecordsPage* page, int number) {
        const int row = PatientRegistry(state_.dataRoot).findById("1001") - 1;
        page->patientList()->setCurrentIndex(page->patientList()->model()->index(row, 0));
        page->recordingList()->setCurrentIndex(
            page->recordingList()->model()->index(number - 1, 0));
    }
    HospitalLink& link() { return *frame_->hospitalLink(); }
    // Until the sender has nothing left to do.
    bool senderIdle() {
        return QTest::qWaitFor([this] { return link().sender().pendingJobs() == 0; },
                               kNetworkWaitMs);
    }
    QString statusLine() { return link().statusLabel()->text(); }

    DicomNode worklistNode_;
};

TEST_F(DicomWindowsTest, SettingsTestEachPeerAndSayPlainlyWhatHappened) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    const DicomNode nobody{"NOBODY", "127.0.0.1", freeLoopbackPort()};
    const DicomNode wrongTitle = archive.nodeCalled("NOT_ARCHIVE");
    struct Case {
        const char* what;
        DicomNode peer;
        QString says; // the text shown beside the button, or (success) how it starts
    };
    const Case cases[] = {
        {"success with the round trip", archive.node(), "ARCHIVE answered the echo in "},
        {"refused association", wrongTitle,
         Langpack::format(ids::kDicomCalledAetRefused, wrongTitle.text())},
        {"connection refused", nobody,
         Langpack::format(ids::kDicomConnectionRefused, nobody.text())},
        {"not a node", {"A\\B", "127.0.0.1", 104}, Message{ids::kNotADicomAe, "A\\B"}.text()},
    };
    MessageBoxPrompter prompter;
    DicomSettingsDialog dialog(prompter, nullptr);
    dialog.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        typePeer(dialog, DicomSettingsDialog::kArchive, c.peer);
        QTest::mouseClick(dialog.testButton(DicomSettingsDialog::kArchive), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.testsRunning() == 0; }, kNetworkWaitMs));
        const QString shown = dialog.testOutcome(DicomSettingsDialog::kArchive);
        if (c.says.endsWith(' ')) {
            EXPECT_TRUE(shown.startsWith(c.says)) << shown.toStdString();
            EXPECT_TRUE(shown.endsWith(" ms.")) << shown.toStdString();
        } else {
            EXPECT_EQ(shown, c.says);
        }
        // A screen reader hears it as the button's description.
        EXPECT_EQ(dialog.testButton(DicomSettingsDialog::kArchive)->accessibleDescription(), shown);
    }
    // OK keeps what was typed, where the command line reads it too.
    dialog.stationField()->setText("STATION_A");
    typePeer(dialog, DicomSettingsDialog::kArchive, archive.node());
    typePeer(dialog, DicomSettingsDialog::kWorklist, {});
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const DicomSettings stored = DicomSettings::load(AppSettings());
    EXPECT_EQ(stored.stationAet, "STATION_A");
    EXPECT_EQ(stored.archive, archive.node());
    EXPECT_FALSE(stored.worklist.isSet());
}

TEST_F(DicomWindowsTest, WorklistChoiceUpdatesThePatientAfterTheQuestion) {
    const QString today = QDate::currentDate().toString("yyyyMMdd");
    WorklistProvider provider;
    VANTORA_START_SERVER(provider,
                         {{"MUSTER^ERIKA", "1001", "19600512", "F", today, "093000", "ECG",
                           "VANTORAECG", "ACC-77", "Resting ECG", "1.2.826.0.1.3680043.2.77", "S1"},
                          {"OTHER^ONE", "2002", "", "M", today, "100000", "ECG", "ELSEWHERE",
                           "ACC-78", "Resting ECG", "1.2.826.0.1.3680043.2.78", "S2"}});
    worklistNode_ = provider.node();
    useArchive({});
    RecordsPage* page = recordsPage();
    const int position = PatientRegistry(state_.dataRoot).findById("1001");
    const QString nameBefore = PatientRegistry(state_.dataRoot).read(position).value().name;
    QStringList listed;
    setModalHook([&](QDialog& d) {
        auto& dialog = dynamic_cast<WorklistDialog&>(d);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.busy() == 0; }, kNetworkWaitMs));
        for (int c = 0; c < dialog.list()->model()->columnCount(); ++c)
            listed << dialog.list()->model()->index(0, c).data().toString();
        dialog.list()->setFocus();
        QTest::keyClick(dialog.list(), Qt::Key_Return); // takes the current row
        return dialog.result();
    });
    QTest::mouseClick(page->button(RecordsPage::kWorklist), Qt::LeftButton);
    // Only this station's step is listed, as the scheduler wrote it.
    ASSERT_EQ(listed.size(), 7);
    EXPECT_EQ(listed[0], "MUSTER ERIKA");
    EXPECT_EQ(listed[1], "1001");
    EXPECT_EQ(listed[2], formatPatientDate(QDate(1960, 5, 12)));
    EXPECT_EQ(listed[3], Langpack::text(ids::kFemale));
    EXPECT_EQ(listed[5], "ACC-77");
    EXPECT_EQ(listed[6], "Resting ECG");
    // The demo's name differs: asked once, answered Yes by the fixture.
    ASSERT_EQ(questions_.size(), 1);
    EXPECT_TRUE(questions_[0].contains(nameBefore));
    EXPECT_TRUE(questions_[0].contains("MUSTER ERIKA"));
    EXPECT_EQ(PatientRegistry(state_.dataRoot).read(position).value().name, "MUSTER ERIKA");
    EXPECT_EQ(state_.currentPatient, position);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
}

TEST_F(DicomWindowsTest, SentInTheBackgroundKeptWhileTheArchiveIsDownAndSentAtTheNextStart) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    useArchive(archive.node());
    RecordsPage* page = recordsPage();
    struct Step {
        const char* what;
        bool archiveUp;
        int number;   // recording sent from the page; 0: "Send waiting"
        int waiting;  // in the outbox afterwards
        int archived; // instances the archive holds afterwards
    };
    const Step steps[] = {
        {"sent at once", true, 1, 0, 2},
        {"archive down: queued", false, 2, 2, 2},
        {"still down: still queued", false, 0, 2, 2},
        {"back: send waiting", true, 0, 0, 4},
        {"the same again: the same objects", true, 1, 0, 4},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.archiveUp != archive.running()) {
            if (s.archiveUp) {
                ASSERT_TRUE(archive.start()) << archive.error().toStdString();
            } else {
                archive.stop();
            }
        }
        if (s.number > 0) {
            selectRecording(page, s.number);
            QTest::mouseClick(page->button(RecordsPage::kSendToArchive), Qt::LeftButton);
        } else {
            frame_->OnCommand(ids::kCmdSendWaiting);
        }
        ASSERT_TRUE(senderIdle());
        EXPECT_EQ(outbox::waitingCount(state_.dataRoot), s.waiting);
        if (s.waiting > 0) {
            EXPECT_TRUE(statusLine().startsWith(Langpack::format(ids::kObjectsWaiting, "2")))
                << statusLine().toStdString();
        } else {
            EXPECT_EQ(statusLine(), Langpack::format(ids::kSentToArchive, "2"));
        }
        if (archive.running()) {
            EXPECT_EQ(archive.instanceIds().size(), s.archived);
        }
    }
    // Queued while down, then the window closes; the next window sends it.
    archive.stop();
    selectRecording(page, 3);
    QTest::mouseClick(page->button(RecordsPage::kSendToArchive), Qt::LeftButton);
    ASSERT_TRUE(senderIdle());
    EXPECT_EQ(outbox::waitingCount(state_.dataRoot), 2);
    frame_.reset();
    ASSERT_TRUE(archive.start()) << archive.error().toStdString();
    recordsPage();
    ASSERT_TRUE(senderIdle());
    EXPECT_EQ(outbox::waitingCount(state_.dataRoot), 0);
    EXPECT_EQ(archive.instanceIds().size(), 6);
    EXPECT_EQ(statusLine(), Langpack::format(ids::kSentToArchive, "2"));
}

TEST_F(DicomWindowsTest, SecondStationRetrievesTheRecordingByteForByte) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    useArchive(archive.node());
    const RecordingStore sent(state_.dataRoot, RecordingMode::Snap, "1001");
    RecordsPage* page = recordsPage();
    selectRecording(page, 2);
    QTest::mouseClick(page->button(RecordsPage::kSendToArchive), Qt::LeftButton);
    ASSERT_TRUE(senderIdle());
    ASSERT_EQ(outbox::waitingCount(state_.dataRoot), 0);
    frame_.reset();

    // The second station knows the patient but none of the recordings.
    TempDataRoot second;
    ASSERT_TRUE(QFile::copy(paths::registry(root_.path()), paths::registry(second.path())));
    state_ = AppState{};
    state_.dataRoot = second.path();
    state_.recordingMode = RecordingMode::Snap;
    page = recordsPage();
    selectRecording(page, 1);
    QString listedStation;
    setModalHook([&](QDialog& d) {
        auto& dialog = dynamic_cast<ArchiveStudiesDialog&>(d);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.busy() == 0; }, kNetworkWaitMs));
        listedStation = dialog.list()->model()->index(0, 1).data().toString();
        QTest::mouseClick(dialog.actionButton(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.busy() == 0; }, kNetworkWaitMs));
        EXPECT_EQ(dialog.statusText(), Langpack::format(ids::kRetrievedAsRecording, "1"));
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(page->button(RecordsPage::kFromArchive), Qt::LeftButton);
    EXPECT_FALSE(listedStation.isEmpty());
    const RecordingStore got(second.path(), RecordingMode::Snap, "1001");
    ASSERT_EQ(got.count().value(), 1);
    EXPECT_EQ(got.readRecord(0).value(), sent.readRecord(1).value());
    EXPECT_TRUE(got.readEntry(0).value() == sent.readEntry(1).value());
    EXPECT_EQ(page->model().recordings().size(), 1u);
}

} // namespace
