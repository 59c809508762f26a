#pragma once

// A data folder with one patient and a full 48-hour Continuous store (5760
// segments of 30 s, one after the other), for the benchmarks of whole-store
// exports. `sameRecording`: every segment holds the same samples (quicker to
// make); otherwise the generator runs on through the 48 hours.
#include "records/BinaryFile.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"

#include <QDir>
#include <QTemporaryDir>

namespace vantora::bench {

struct FullContinuousStore {
    QTemporaryDir dir;
    PatientRecord patient;
    explicit FullContinuousStore(bool sameRecording = true) {
        BinaryFile::setSyncing(false); // the filling is not what is measured
        QDir(dir.path()).mkpath(QStringLiteral("ContinueData"));
        QDir(dir.path()).mkpath(QStringLiteral("SnapData"));
        patient.id = QStringLiteral("B1");
        patient.name = QStringLiteral("Bench");
        (void)PatientRegistry(dir.path()).appendRecord(patient);
        EcgGenerator generator;
        std::vector<AcqPacket> packets(kPacketsPerSegment);
        const RecordingStore store(dir.path(), RecordingMode::Continuous, patient.id);
        QDateTime end(QDate(2026, 3, 14), QTime(0, 0, 30));
        for (int k = 0; k < kStoreCapacity; ++k, end = end.addSecs(30)) {
            if (k == 0 || !sameRecording) {
                const std::vector<int32_t> samples = generator.nextRecording();
                for (size_t i = 0; i < samples.size(); ++i)
                    packets[i / kAcqSamplesPerPacket].samples[i % kAcqSamplesPerPacket] =
                        samples[i];
            }
            (void)store.appendContinuous(packets, SystemTime::fromDateTime(end));
        }
        BinaryFile::setSyncing(true);
    }
};

} // namespace vantora::bench
