#pragma once

// The frame with the analysis page of one patient holding one Snap recording,
// its save dialog answered by the test.
#include "ItemViewRows.h"
#include "core/RecordingMode.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordDialogs.h"
#include "records/RecordingStore.h"
#include "support/PageFixture.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/AnalysisPage.h"

#include <QTemporaryDir>
#include <QTreeView>

#include <optional>

namespace vantora::test {

class AnalysisPageFixture : public PageFixture {
protected:
    // Patient 1001 called `name`, with one generated Snap recording.
    AnalysisPage* open(const QString& name) {
        PatientRecord p;
        p.id = QStringLiteral("1001");
        p.name = name;
        p.revision = 8;
        EXPECT_TRUE(PatientRegistry(root_.path()).appendRecord(p).ok());
        SnapRecording r;
        r.header.recordingType = 3;
        r.header.heartRate = 70;
        r.blocks = EcgGenerator(EcgParameters{}).nextSnapBlocks();
        EXPECT_EQ(RecordingStore(root_.path(), RecordingMode::Snap, p.id)
                      .appendSnap(std::vector<SnapRecording>{r})
                      .saved,
                  1);
        auto* view = openPage<AnalysisPage>(page::kAnalysis, page::kAnalysis, [](PageHost& f) {
            return new AnalysisPage(f, binDir() + "/libbeatscan.so");
        });
        view->setFileChooser([this](const FileRequest& request) {
            requests_ << request;
            return answer_;
        });
        return view;
    }

    QList<FileRequest> requests_;
    std::optional<QString> answer_;
    QTemporaryDir out_;
};

} // namespace vantora::test
