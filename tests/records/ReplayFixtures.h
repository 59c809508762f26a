#pragma once

// Patient 1001 "Anna Berg" with generated Snap recordings, as the replay
// page's report tests list them, and the record report's number as text.
#include "core/Langpack.h"
#include "core/RecordingMode.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace vantora::test {

inline void addSnapPatient(const QString& dataRoot, int recordings) {
    PatientRecord p;
    p.id = QStringLiteral("1001");
    p.name = QStringLiteral("Anna Berg");
    p.revision = 8;
    EXPECT_TRUE(PatientRegistry(dataRoot).appendRecord(p).ok());
    std::vector<SnapRecording> snaps(static_cast<size_t>(recordings));
    EcgGenerator generator;
    for (SnapRecording& r : snaps)
        r.blocks = generator.nextSnapBlocks();
    EXPECT_EQ(RecordingStore(dataRoot, RecordingMode::Snap, p.id).appendSnap(snaps).saved,
              recordings);
}

// "Record number: n" as the record report prints it.
inline QRegularExpression recordNumber(int n) {
    return QRegularExpression(QRegularExpression::escape(Langpack::text(61233)) +
                              QStringLiteral(":\\s+%1\\b").arg(n));
}

} // namespace vantora::test
