#pragma once

// Builders shared by the record-store tests: patients, recordings from the
// generator and the byte layouts of store files written field by field.
#include "core/AcqPacket.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordIndexEntry.h"
#include "records/RecordingStore.h"
#include "support/TestData.h"

#include <QFile>

#include <vector>

namespace vantora::test {

inline SystemTime at(int day, int hour, int minute, int second = 0) {
    SystemTime t;
    t.year = 2026;
    t.month = 11;
    t.day = uint16_t(day);
    t.hour = uint16_t(hour);
    t.minute = uint16_t(minute);
    t.second = uint16_t(second);
    return t;
}

inline PatientRecord patientRecord(const QString& id) {
    PatientRecord r;
    r.id = id;
    r.name = QStringLiteral("Name of ") + id;
    r.sex = QStringLiteral("X");
    r.height = QStringLiteral("170");
    r.remarks = QStringLiteral("history of ") + id;
    r.revision = 8;
    return r;
}

// Registers a patient and returns its 1-based position.
inline int registerPatient(const QString& root, const QString& id) {
    return PatientRegistry(root).appendRecord(patientRecord(id)).value().position;
}

inline SnapRecording snapRecording(uint64_t seed, const SystemTime& start, int type = 3,
                                   int heartRate = 70) {
    EcgParameters p;
    p.seed = seed;
    p.heartRateBpm = 60 + double(seed % 50);
    p.noiseMv = 0.02;
    SnapRecording r;
    r.header.startTime = start.fields();
    r.header.recordingType = type;
    r.header.heartRate = uint16_t(heartRate);
    r.blocks = EcgGenerator(p).nextSnapBlocks();
    return r;
}

inline std::vector<AcqPacket> packetsOf(const std::vector<int32_t>& samples, int heartRate,
                                        int rhythmCode = 0) {
    std::vector<AcqPacket> packets(samples.size() / kAcqSamplesPerPacket);
    for (size_t i = 0; i < packets.size(); ++i) {
        packets[i].valid = 1;
        packets[i].heartRate = heartRate;
        packets[i].rhythmCode = rhythmCode;
        for (int s = 0; s < kAcqSamplesPerPacket; ++s)
            packets[i].samples[s] = samples[i * kAcqSamplesPerPacket + size_t(s)];
    }
    return packets;
}

inline std::vector<AcqPacket> segment(uint64_t seed, int heartRate = 75) {
    EcgParameters p;
    p.seed = seed;
    p.noiseMv = 0.02;
    return packetsOf(EcgGenerator(p).nextRecording(), heartRate);
}

// A store file whose count claims n items of itemBytes, padded (sparse) to hold them.
inline void writeCountedFile(const QString& path, int32_t n, int itemBytes) {
    writeAll(path, ByteWriter().i32(n).bytes());
    QFile f(path);
    f.resize(4 + qint64(n) * itemBytes);
}

// The index entry layout, field by field.
inline QByteArray entryBytes(const SystemTime& t, uint16_t kind, uint16_t rate, uint8_t m0 = 0x55,
                             uint8_t m1 = 0xAA, uint8_t e0 = 0, uint8_t e1 = 0) {
    ByteWriter w;
    w.u8(m0).u8(m1);
    for (uint16_t f : t.fields())
        w.u16(f);
    w.u16(kind).u16(rate).u8(e0).u8(e1);
    return w.bytes();
}

inline QByteArray blockBytes(const SnapBlocks& blocks) {
    QByteArray out;
    for (const SampleBlock& b : blocks)
        out.append(reinterpret_cast<const char*>(b.bytes.data()), SampleBlock::kBytes);
    return out;
}

// One record of the recorder's card file, field by field: date and time
// (year - 2000 first), heart rate, recorder type, frame head, the blocks.
inline QByteArray cardFileRecord(const SystemTime& t, uint16_t heartRate, uint8_t type,
                                 const QByteArray& blocks) {
    return ByteWriter()
        .u8(0)
        .u8(uint8_t(t.year - 2000))
        .u8(uint8_t(t.month))
        .u8(uint8_t(t.day))
        .u8(uint8_t(t.hour))
        .u8(uint8_t(t.minute))
        .u16(heartRate)
        .zeros(3)
        .u8(type)
        .zeros(3)
        .u8(0x55)
        .u8(0xAA)
        .u8(0x05)
        .raw(blocks)
        .zeros(3)
        .bytes();
}

} // namespace vantora::test
