#include "fuzz/SeedWriters.h"

#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "device/WireProtocol.h"
#include "fuzz/FuzzRoot.h"
#include "records/BinaryFile.h"
#include "records/CardRecord.h"
#include "records/ChartFile.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"

#include <QFile>

namespace vantora::fuzz::seeds {

namespace {

const QString kId = QStringLiteral("P1");

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray bytesOf(const std::vector<uint8_t>& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

SystemTime at(int minute) {
    return SystemTime::fromFields({2026, 11, 0, 2, 8, uint16_t(minute), 0, 0});
}

PatientRecord patient(const QString& id) {
    PatientRecord r;
    r.id = id;
    r.name = QStringLiteral("Name of ") + id;
    r.sex = QStringLiteral("M");
    r.date = QStringLiteral("1/2/70");
    r.height = QStringLiteral("170");
    r.weight = QStringLiteral("72.5");
    r.remarks = QStringLiteral("history of ") + id;
    r.revision = PatientRecord::kRevisionAdded;
    return r;
}

SnapBlocks blocks(uint64_t seed) {
    EcgParameters p;
    p.seed = seed;
    return EcgGenerator(p).nextSnapBlocks();
}

StoreBytes storeFiles(RecordingMode mode) {
    const QString r = FuzzRoot::instance().path();
    return {fileBytes(paths::dataFile(r, mode, kId)), fileBytes(paths::indexFile(r, mode, kId)),
            fileBytes(paths::journalFile(r, mode, kId)),
            fileBytes(paths::scratchDataFile(r, mode, kId)),
            fileBytes(paths::scratchIndexFile(r, kId))};
}

void fillSnapStore(int recordings) {
    std::vector<SnapRecording> list(size_t(recordings), SnapRecording{});
    for (int i = 0; i < recordings; ++i) {
        list[size_t(i)].header.startTime = at(i).fields();
        list[size_t(i)].header.recordingType = 3;
        list[size_t(i)].header.heartRate = 72;
        list[size_t(i)].blocks = blocks(uint64_t(i + 1));
    }
    RecordingStore(FuzzRoot::instance().path(), RecordingMode::Snap, kId).appendSnap(list);
}

void fillContinuousStore(int recordings) {
    for (int i = 0; i < recordings; ++i) {
        const std::vector<int32_t> samples = EcgGenerator().nextRecording();
        std::vector<AcqPacket> packets(kPacketsPerSegment);
        for (size_t k = 0; k < packets.size(); ++k) {
            packets[k].valid = 1;
            packets[k].heartRate = 72;
            for (int s = 0; s < kAcqSamplesPerPacket; ++s)
                packets[k].samples[s] = samples[k * kAcqSamplesPerPacket + size_t(s)];
        }
        (void)RecordingStore(FuzzRoot::instance().path(), RecordingMode::Continuous, kId)
            .appendContinuous(packets, at(i));
    }
}

} // namespace

QByteArray registryOfTwo() {
    FuzzRoot::instance().reset();
    const PatientRegistry registry(FuzzRoot::instance().path());
    (void)registry.appendRecord(patient(QStringLiteral("P1")));
    (void)registry.appendRecord(patient(QStringLiteral("P2")));
    return fileBytes(registry.filePath());
}

StoreBytes snapStoreFiles(int recordings) {
    FuzzRoot::instance().reset();
    fillSnapStore(recordings);
    return storeFiles(RecordingMode::Snap);
}

StoreBytes continuousStoreFiles(int recordings) {
    FuzzRoot::instance().reset();
    fillContinuousStore(recordings);
    return storeFiles(RecordingMode::Continuous);
}

StoreBytes interruptedSnapRemove() {
    const QString r = FuzzRoot::instance().path();
    for (int k = 0;; ++k) {
        FuzzRoot::instance().reset();
        fillSnapStore(2);
        BinaryFile::injectAt(k);
        const bool failed = !RecordingStore(r, RecordingMode::Snap, kId).remove(0).ok();
        BinaryFile::injectAt(-1);
        require(failed, "no step of a removal stops between its renames");
        const StoreBytes files = storeFiles(RecordingMode::Snap);
        if (!files.journal.isEmpty() && files.scratchData.isEmpty() &&
            !files.scratchIndex.isEmpty())
            return files;
    }
}

std::pair<QByteArray, QByteArray> notesOfTwo() {
    FuzzRoot::instance().reset();
    const RecordingNotes notes(FuzzRoot::instance().path(), RecordingMode::Snap, kId);
    (void)notes.write(at(0), QStringLiteral("first note"));
    (void)notes.write(at(1), QStringLiteral("second note"));
    QByteArray time(SystemTime::kBytes, '\0');
    at(0).toBytes(reinterpret_cast<uint8_t*>(time.data()));
    return {fileBytes(notes.path()), time};
}

QByteArray chartOf(RecordingMode mode) {
    FuzzRoot::instance().reset();
    const QString r = FuzzRoot::instance().path();
    (void)PatientRegistry(r).appendRecord(patient(kId));
    if (mode == RecordingMode::Snap)
        fillSnapStore(1);
    else
        fillContinuousStore(1);
    FixedPrompter yes(true);
    const QString target = r + QStringLiteral("/out.cEcg");
    require(ChartFile(r, mode).exportRecordings(1, -1, target, yes).exported == 1,
            "the chart export failed");
    return fileBytes(target);
}

QByteArray cardFile(int recordings) {
    QByteArray out(card::kHeaderBytes, '\0');
    putLE32(reinterpret_cast<uint8_t*>(out.data()), uint32_t(recordings));
    for (int i = 0; i < recordings; ++i) {
        QByteArray record(card::kRecordBytes, '\0');
        auto* p = reinterpret_cast<uint8_t*>(record.data());
        const uint8_t fields[] = {0, 26, 11, 2, 8, uint8_t(i)}; // unused, 2026-11-02 08:i
        std::copy(std::begin(fields), std::end(fields), p);
        putLE16(p + 6, 72);
        p[11] = 3; // recording type
        std::copy(std::begin(card::kFrameHead), std::end(card::kFrameHead),
                  p + card::kFrameHeadOffset);
        const SnapBlocks b = blocks(uint64_t(i + 1));
        for (int k = 0; k < kBlocksPerRecording; ++k)
            std::copy(b[size_t(k)].bytes.begin(), b[size_t(k)].bytes.end(),
                      p + card::kBlocksOffset + k * SampleBlock::kBytes);
        out.append(record);
    }
    return out;
}

std::vector<QByteArray> downloadReplies(int recordings) {
    using namespace wire;
    std::vector<QByteArray> replies;
    replies.push_back(bytesOf({kSync0, kSync1, kHello, 0x00}));
    std::vector<uint8_t> info(kInfoChecksumAt);
    for (size_t i = 0; i < info.size(); ++i)
        info[i] = uint8_t(0x40 + i);
    replies.push_back(bytesOf(encodeReply(kInformation, info)));
    replies.push_back(bytesOf(encodeReply(kRecordCount, {uint8_t(recordings), 0x1D, 0x5B})));
    if (recordings == 0)
        return replies;
    std::vector<uint8_t> table;
    for (int i = 0; i < recordings; ++i)
        table.insert(table.end(), {uint8_t(i + 1), uint8_t(0x10 + i)});
    replies.push_back(bytesOf(encodeReply(kRecordTable, table)));
    for (int i = 0; i < recordings; ++i) {
        RecorderHeaderFields h;
        h.month = 11;
        h.day = 2;
        h.minute = i;
        h.heartRate = 72;
        h.typeByte = 3;
        replies.push_back(bytesOf(encodeReply(kRecordHeader, headerBody(h))));
    }
    for (int i = 0; i < recordings; ++i) {
        std::vector<uint8_t> body;
        for (const SampleBlock& b : blocks(uint64_t(i + 1)))
            body.insert(body.end(), b.bytes.begin(), b.bytes.end());
        replies.push_back(bytesOf(encodeReply(kRecordData, body)));
    }
    return replies;
}

QByteArray liveFrames(int frames) {
    EcgGenerator generator;
    QByteArray out;
    for (int i = 0; i < frames; ++i) {
        AcqPacket p;
        p.valid = i % 10 == 9 ? 0 : 1;
        p.heartRate = 72;
        const std::vector<int32_t> samples = generator.next(kAcqSamplesPerPacket);
        std::copy(samples.begin(), samples.end(), std::begin(p.samples));
        out.append(bytesOf(wire::encodeLiveFrame(p)));
    }
    return out;
}

QByteArray qrsInput(double heartRateBpm, int samples) {
    EcgParameters p;
    p.heartRateBpm = heartRateBpm;
    QByteArray out(8, '\0');
    putLE32(reinterpret_cast<uint8_t*>(out.data()), 0);
    putLE32(reinterpret_cast<uint8_t*>(out.data()) + 4, uint32_t(kSamplesPerRecording));
    for (int32_t s : EcgGenerator(p).next(samples)) {
        uint8_t b[4];
        putLE32(b, uint32_t(s));
        out.append(reinterpret_cast<const char*>(b), 4);
    }
    return out;
}

} // namespace vantora::fuzz::seeds
