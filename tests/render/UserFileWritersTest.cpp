// Files written for the user are whole or absent. Every writer (PDF report,
// the picture formats, EDF+, CSV, chart) that cannot finish its file fails
// with a message naming the file and the reason, keeps an earlier file of the
// same name byte for byte and leaves no temporary file behind. A real full
// file system is a small tmpfs (mounted when the test runs as root); the
// store's fault seam fails each step of every writer where it cannot.
#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/ChartFile.h"
#include "records/EcgGenerator.h"
#include "records/EdfExport.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "records/SafeFileWriter.h"
#include "render/PictureWriters.h"
#include "render/ReportOutput.h"
#include "render/ReportSources.h"
#include "support/FullDisk.h"
#include "support/TestData.h"

#include <QDir>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>

using namespace vantora;

namespace {

const QByteArray kEarlier = "an earlier file the user keeps\n";
constexpr int kChartRecordings = 3;
constexpr qint64 kFreeBytes[] = {0, 16 * 1024}; // left on the full disk

struct Writer {
    const char* file;
    int message; // when it fails
    std::function<Message(const QString& target)> write;
};

class UserFileWritersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
        PatientRecord patient;
        patient.id = QStringLiteral("W1");
        patient.name = QStringLiteral("Anna Berg");
        ASSERT_TRUE(PatientRegistry(root_.path()).appendRecord(patient).ok());
        EcgGenerator generator;
        const QDateTime start(QDate(2026, 3, 14), QTime(9, 0));
        exchange_ = {patient, RecordingMode::Continuous, {}};
        for (int k = 0; k < 2; ++k)
            exchange_.recordings.push_back({k + 1, start.addSecs(30 * k), QString(),
                                            QStringLiteral("note"), generator.nextRecording()});
        report_.patient = patient;
        for (int k = 0; k < 2; ++k)
            report_.items.push_back({generator.nextRecording(), RecordIndexEntry{}, k + 1, {}});
        // Noise: no format packs it below the free space left.
        picture_ = QImage(200, 160, QImage::Format_RGB32);
        QRandomGenerator noise(7);
        for (int y = 0; y < picture_.height(); ++y)
            for (int x = 0; x < picture_.width(); ++x)
                picture_.setPixel(x, y, noise.generate() | 0xFF000000u);
        fillStore();
    }
    void TearDown() override { BinaryFile::injectAt(-1); }

    // The chart export moves its recordings out of the store: refilled before
    // each write.
    void fillStore() const {
        const RecordingStore store(root_.path(), RecordingMode::Snap, QStringLiteral("W1"));
        if (store.count().value() == kChartRecordings)
            return;
        std::vector<SnapRecording> recordings(size_t(kChartRecordings - store.count().value()));
        EcgGenerator generator;
        for (SnapRecording& r : recordings)
            r.blocks = generator.nextSnapBlocks();
        ASSERT_EQ(store.appendSnap(recordings).saved, int(recordings.size()));
    }
    int stored() const {
        return RecordingStore(root_.path(), RecordingMode::Snap, QStringLiteral("W1"))
            .count()
            .value();
    }

    std::vector<Writer> writers() {
        const auto picture = [this](const char* extension) {
            return [this, extension](const QString& target) {
                return savePicture(picture_, target, QString::fromLatin1(extension)).message();
            };
        };
        return {
            {"r.pdf", ids::kFileNotWritten,
             [this](const QString& target) {
                 return WriteReportPdf(target, QPageSize::A4, 2,
                                       [this](int k, const QSize& sheet) {
                                           return MakeRecordReportPage(report_, k, sheet);
                                       })
                     .message();
             }},
            {"p.png", ids::kFileNotWritten, picture("png")},
            {"p.gif", ids::kFileNotWritten, picture("gif")},
            {"p.jpeg", ids::kFileNotWritten, picture("jpeg")},
            {"p.bmp", ids::kFileNotWritten, picture("bmp")},
            {"e.edf", ids::kFileNotWritten,
             [this](const QString& target) { return writeEdf(exchange_, target).message(); }},
            {"e.csv", ids::kFileNotWritten,
             [this](const QString& target) {
                 return writeExchangeCsv(exchange_, target).message();
             }},
            {"c.cEcg", ids::kChartNotWritten,
             [this](const QString& target) {
                 return ChartFile(root_.path(), RecordingMode::Snap)
                     .exportRecordings(1, RecordingStore::kAll, target, yes_)
                     .message;
             }},
        };
    }

    // After a failed write into `dir`: the message, the earlier file, no
    // temporary file, and the chart's recordings still in the store.
    void expectNothingChanged(const Writer& w, const QString& dir, const Message& m,
                              const QStringList& entries, const std::string& where) const {
        const QString target = dir + u'/' + QLatin1String(w.file);
        EXPECT_EQ(m, (Message{w.message, target + QStringLiteral(": No space left on device")}))
            << where;
        EXPECT_EQ(test::readAll(target), kEarlier) << where;
        QStringList found = QDir(dir).entryList(QDir::Files | QDir::Hidden);
        QStringList expected = entries;
        found.sort();
        expected.sort();
        EXPECT_EQ(found, expected) << where;
        EXPECT_EQ(stored(), kChartRecordings) << where;
    }

    test::TempDataRoot root_;
    QTemporaryDir out_;
    FixedPrompter yes_{true};
    ExchangeSet exchange_;
    RecordReportSet report_;
    QImage picture_;
};

} // namespace

// Every step of every writer (each write, the sync, the rename) failing as
// on a full disk; the step count comes from a write that succeeds.
TEST_F(UserFileWritersTest, EachFailedStepKeepsTheEarlierFile) {
    for (const Writer& w : writers()) {
        QTemporaryDir fresh;
        fillStore();
        BinaryFile::injectAt(-1);
        ASSERT_TRUE(w.write(fresh.filePath(QLatin1String(w.file))).isNone()) << w.file;
        // The chart's count ends where the store's removal begins.
        const bool chart = w.message == ids::kChartNotWritten;
        const int steps = chart ? 2 + kChartRecordings + 2 : BinaryFile::operationsSeen();
        EXPECT_GE(steps, 2) << w.file;
        QTemporaryDir dir;
        const QString target = dir.filePath(QLatin1String(w.file));
        for (int k = 0; k < steps; ++k) {
            ASSERT_TRUE(test::writeAll(target, kEarlier));
            fillStore();
            BinaryFile::injectAt(k);
            const Message m = w.write(target);
            BinaryFile::injectAt(-1);
            expectNothingChanged(w, dir.path(), m, {QLatin1String(w.file)},
                                 std::string(w.file) + " step " + std::to_string(k));
        }
    }
}

// A real full file system: nothing free, and a little left so that the file
// is cut part-way (the libraries' own writes included).
TEST_F(UserFileWritersTest, FullFileSystemKeepsTheEarlierFile) {
    const test::SmallFileSystem disk(out_.path());
    if (!disk.error().empty())
        GTEST_SKIP() << disk.error() << "; the fault seam test covers the writers";
    const QString filler = out_.filePath(QStringLiteral("filler"));
    for (const Writer& w : writers()) {
        for (qint64 free : kFreeBytes) {
            const QString target = out_.filePath(QLatin1String(w.file));
            ASSERT_TRUE(test::writeAll(target, kEarlier));
            fillStore();
            ASSERT_TRUE(test::fillDisk(filler, free));
            const Message m = w.write(target);
            const QStringList entries =
                QStringList{QStringLiteral("filler"), QLatin1String(w.file)};
            expectNothingChanged(w, out_.path(), m, entries,
                                 std::string(w.file) + " free " + std::to_string(free));
            QFile::remove(filler);
            QFile::remove(target);
        }
    }
}
