// vantora-cli picture: the analysis page's picture of a stored recording,
// composed off-screen as the page's save-picture command does.
#include "records/PatientRegistry.h"
#include "records/RecordingDescription.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "render/AnalysisPicture.h"
#include "render/PictureWriters.h"
#include "tools/cli/AnalysedStretch.h"
#include "tools/cli/StoreOptions.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace vantora::cli {

int runPicture(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, false);
    const Stretch stretch = takeStretch(ctx, "picture");
    const QString out = ctx.requireOption("out");
    const QString library = ctx.takeOption("library").value_or(QString());
    ctx.finish();

    const RecordingStore store(ctx.dataRoot, mode, patient.id);
    const auto entry = store.readEntry(k);
    failOnMessage(entry.message());
    const auto read = store.readSamples(k);
    failOnMessage(read.message());
    const PatientRecord record = valueOf(PatientRegistry(ctx.dataRoot).read(patient.position));
    const auto note = RecordingNotes(ctx.dataRoot, mode, patient.id).read(entry.value().time);
    failOnMessage(note.message());

    AnalysisPageModel page(library);
    analyseOnPage(page, read.value(), stretch);
    AnalysisPictureContent content;
    content.patientText = patient.id + u' ' + record.name; // as the page's tree
    content.patientId = patient.id;
    content.recordingTime = recordingTimeText(mode, entry.value());
    content.secondField = storedHeartRateText(entry.value().heartRate);
    content.diagnosis = note.value();
    content.font = QGuiApplication::font();
    addModelPictures(page, content);
    check(savePicture(composeAnalysisPicture(content), out, QFileInfo(out).suffix()));
    return 0;
}

} // namespace vantora::cli
