// The General ECG Waveform object of a recording, and the pair it forms with
// the Encapsulated PDF of its analysis report.
//
// Codes, from the standard's content mapping resource (PS3.16):
// - Lead: CID 3001 "ECG Leads", MDC 2:1 "Lead I". The recorder is a
//   handheld single-lead device held between the two hands, which is the limb
//   lead from right arm to left arm: Einthoven's lead I. CID 3001 gives leads
//   in MDC codes (ISO/IEEE 11073-10101); its older SCPECG designators are
//   retired, so a current reader looks for the MDC code.
// - Results (waveform annotations, global: one lead):
//     heart rate  LN 8867-4 "Heart rate", the code the standard's ECG examples use
//     ST          MDC 2:768 "ST amplitude, per lead" (CID 3688 Electrophysiology Waveform Voltages)
//     PR          MDC 2:15872 "PR interval global" (CID 3228 ECG Timing Measurements)
//     QRS         MDC 2:16156 "QRS duration global" (CID 3228)
//     QT          MDC 2:16160 "QT interval global" (CID 3228)
//     QTc         MDC 2:15876 "QTc interval global" (CID 3227 QTc Measurements)
// - Units in UCUM: "uV" (channel sensitivity, CID 3082), "mV", "ms", "/min".
//
// Sample scale: a reader computes (stored + baseline) x sensitivity x
// correction. The samples are stored as count - 512 with baseline 0: readers
// disagree on whether the baseline applies before or after the sensitivity
// (the standard gives it "in sensitivity units"), and with 0 every reading is
// the same. The sensitivity is 1000/175 uV per count, correction 1, so
// (count - 512)/175 mV. 1000/175 has no finite decimal form; the DS value
// carries the 15 significant digits its 16 characters allow, which puts a
// reader's value within 1e-14 of the exact one (relative).
#include "dicom/EcgObject.h"

#include "analysis/AnalysisRun.h"
#include "core/AppSettings.h"
#include "core/StringIds.h"
#include "dicom/DicomDataset.h"
#include "dicom/DicomUids.h"
#include "dicom/EcgObjectParts.h"
#include "dicom/StudyLinks.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "render/ReportOutput.h"
#include "render/ReportSources.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcuid.h>

namespace vantora {

using namespace dicom;

namespace {

constexpr const char* kSensitivityMicrovolts = "5.71428571428571"; // 1000 / 175
constexpr Code kLeadI{"2:1", "MDC", "Lead I"};
constexpr Code kMicrovolt{"uV", "UCUM", "microvolt"};

struct Measurement {
    Code name;
    Code unit;
};
constexpr Code kPerMinute{"/min", "UCUM", "per minute"};
constexpr Code kMillivolt{"mV", "UCUM", "millivolt"};
constexpr Code kMillisecond{"ms", "UCUM", "millisecond"};
constexpr Measurement kHeartRate{{"8867-4", "LN", "Heart rate"}, kPerMinute};
constexpr Measurement kSt{{"2:768", "MDC", "ST amplitude, per lead"}, kMillivolt};
constexpr Measurement kPr{{"2:15872", "MDC", "PR interval global"}, kMillisecond};
constexpr Measurement kQrs{{"2:16156", "MDC", "QRS duration global"}, kMillisecond};
constexpr Measurement kQt{{"2:16160", "MDC", "QT interval global"}, kMillisecond};
constexpr Measurement kQtc{{"2:15876", "MDC", "QTc interval global"}, kMillisecond};

Result<dicom::ObjectSource> readSource(const QString& dataRoot, const RecordingKey& key,
                                       const QString& stationAet) {
    ObjectSource source;
    source.key = key;
    source.stationAet = stationAet;
    auto patient = registeredPatient(dataRoot, key.patientId);
    if (!patient)
        return patient.message();
    source.patient = patient.value();
    source.key.patientId = source.patient.id;
    auto stored = readStored(dataRoot, source.key);
    if (!stored)
        return stored.message();
    source.entry = stored.value().entry;
    source.record = stored.value().record;
    source.identity = stored.value().identity;
    const RecordingStore store(dataRoot, key.mode, source.patient.id);
    source.samples = store.readSamples(key.number - 1).value();
    source.start = recordingStart(key.mode, source.entry);
    source.note =
        RecordingNotes(dataRoot, key.mode, source.patient.id).read(source.entry.time).value();
    auto study = StudyLinks::studyFor(dataRoot, source.key, source.entry, source.identity);
    if (!study)
        return study.message();
    source.study = study.value();
    return source;
}

void putChannel(DcmItem& group) {
    DcmItem* channel = appendItem(group, DCM_ChannelDefinitionSequence);
    putAscii(*channel, DCM_WaveformChannelNumber, "1");
    putAscii(*channel, DCM_ChannelLabel, "I");
    putCode(*channel, DCM_ChannelSourceSequence, kLeadI);
    putAscii(*channel, DCM_ChannelSensitivity, kSensitivityMicrovolts);
    putCode(*channel, DCM_ChannelSensitivityUnitsSequence, kMicrovolt);
    putAscii(*channel, DCM_ChannelSensitivityCorrectionFactor, "1");
    putAscii(*channel, DCM_ChannelBaseline, "0");
    putAscii(*channel, DCM_ChannelSampleSkew, "0");
    channel->putAndInsertUint16(DCM_WaveformBitsStored, 16);
}

void putWaveform(DcmDataset& data, const std::vector<int32_t>& samples) {
    DcmItem* group = appendItem(data, DCM_WaveformSequence);
    putAscii(*group, DCM_WaveformOriginality, "ORIGINAL");
    group->putAndInsertUint16(DCM_NumberOfWaveformChannels, 1);
    group->putAndInsertUint32(DCM_NumberOfWaveformSamples, Uint32(samples.size()));
    putAscii(*group, DCM_SamplingFrequency, QByteArray::number(kSamplesPerSecond).constData());
    putAscii(*group, DCM_MultiplexGroupLabel, "ECG");
    putChannel(*group);
    group->putAndInsertUint16(DCM_WaveformBitsAllocated, 16);
    putAscii(*group, DCM_WaveformSampleInterpretation, "SS");
    std::vector<Uint16> words(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        words[i] = Uint16(int16_t(storedSample(samples[i])));
    group->putAndInsertUint16Array(DcmTag(DCM_WaveformData, EVR_OW), words.data(),
                                   static_cast<unsigned long>(words.size()));
}

void putMeasurement(DcmDataset& data, const Measurement& m, const QString& value) {
    DcmItem* item = appendItem(data, DCM_WaveformAnnotationSequence);
    putCode(*item, DCM_ConceptNameCodeSequence, m.name);
    putAscii(*item, DCM_NumericValue, value.toLatin1().constData());
    putCode(*item, DCM_MeasurementUnitsCodeSequence, m.unit);
    const Uint16 channel[2] = {1, 1}; // multiplex group 1, channel 1
    item->putAndInsertUint16Array(DCM_ReferencedWaveformChannels, channel, 2);
    item->putAndInsertUint16(DCM_AnnotationGroupNumber, 1);
}

void putAnnotations(DcmDataset& data, const AnalysisRun& run, const QString& note) {
    if (run.valid()) {
        const ParameterBlock& p = run.parameters();
        const auto number = [](int32_t v) { return QString::number(v); };
        putMeasurement(data, kHeartRate, number(p[kSlotHeartRate]));
        putMeasurement(data, kSt,
                       QString::number(double(p[kSlotST]) / kUnitsPerMillivolt, 'g', 10));
        putMeasurement(data, kPr, number(p[kSlotPR]));
        putMeasurement(data, kQrs, number(p[kSlotQRS]));
        putMeasurement(data, kQt, number(p[kSlotQT]));
        putMeasurement(data, kQtc, number(p[kSlotQTc]));
    }
    if (!note.isEmpty()) {
        DcmItem* item = appendItem(data, DCM_WaveformAnnotationSequence);
        putText(*item, DCM_UnformattedTextValue, note);
        const Uint16 channel[2] = {1, 1};
        item->putAndInsertUint16Array(DCM_ReferencedWaveformChannels, channel, 2);
    }
}

void putPrivateRecord(DcmDataset& data, const ObjectSource& source) {
    putAscii(data, privateCreatorTag(), kPrivateCreator);
    putAscii(data, privateModeTag(), modeName(source.key.mode));
    putBytes(data, privateEntryTag(), entryBytes(source.entry));
    putBytes(data, privateRecordTag(), source.record);
}

// What the instance holds beyond the recording's identity: an edited note
// makes a new instance rather than a second content under one UID.
QString instanceUid(const ObjectSource& source, const char* role) {
    return nameBasedUid(source.identity + role + source.note.toUtf8());
}

Result<DicomObject> buildWaveform(const ObjectSource& source, const AnalysisRun& run) {
    const ObjectPlace place{UID_GeneralECGWaveformStorage, instanceUid(source, "/ecg"),
                            nameBasedUid(source.identity + "/series/ecg"), "ECG", 1};
    DcmFileFormat file;
    DcmDataset& data = *file.getDataset();
    putCommonModules(data, source, place);
    putText(data, DCM_ContentDate, dicomDate(source.start.date()));
    putText(data, DCM_ContentTime, dicomTime(source.start.time()));
    putText(data, DCM_AcquisitionDateTime, dicomDateTime(source.start));
    data.insertEmptyElement(DCM_AcquisitionContextSequence);
    putWaveform(data, source.samples);
    putAnnotations(data, run, source.note);
    putPrivateRecord(data, source);
    return finishObject(file, source, place);
}

QPageSize::PageSizeId reportPaper() {
    return AppSettings().string(AppSettings::kReportPaper) == QStringLiteral("Letter")
               ? QPageSize::Letter
               : QPageSize::A4;
}

Result<QByteArray> reportPdf(const ObjectSource& source, const AnalysisRun& run) {
    if (!run.valid())
        return Message{ids::kNotAnalysed, {}};
    AnalysisReportInput in;
    in.patientId = source.patient.id;
    in.patientText = source.patient.id + u' ' + source.patient.name; // as the tree lists it
    in.diagnosis = source.note;
    in.header = source.entry;
    in.mode = source.key.mode;
    in.beat = run.beat();
    in.parameters = run.parameters();
    in.start = run.windowStart();
    in.end = run.windowEnd();
    return ReportPdfBytes(reportPaper(), 1, [&](int, const QSize& sheet) {
        return MakeAnalysisReportPage(source.samples, in, sheet);
    });
}

} // namespace

Result<RecordingObjects> buildRecordingObjects(const QString& dataRoot, const RecordingKey& key,
                                               const QString& stationAet, bool withReport) {
    auto source = readSource(dataRoot, key, stationAet);
    if (!source)
        return source.message();
    // The analysis page's run over the whole recording.
    AnalysisRun run;
    run.run(source.value().samples, 0, kSamplesPerRecording - 1);
    RecordingObjects objects;
    auto waveform = buildWaveform(source.value(), run);
    if (!waveform)
        return waveform.message();
    objects.waveform = waveform.value();
    if (withReport) {
        auto pdf = reportPdf(source.value(), run);
        if (!pdf)
            return pdf.message();
        auto report = buildReportObject(source.value(), pdf.value(), objects.waveform);
        if (!report)
            return report.message();
        objects.report = report.value();
    }
    return objects;
}

} // namespace vantora
