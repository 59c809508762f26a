// Taking a waveform object back: every count and length the file states is
// checked against what it holds, and the private record against the samples
// a reader sees, before anything reaches the store.
#include "core/StringIds.h"
#include "dicom/DicomDataset.h"
#include "dicom/EcgObject.h"
#include "dicom/EcgObjectParts.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "records/SampleBlock.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcuid.h>

namespace vantora {

using namespace dicom;

namespace {

Message notOurs(const QString& why) {
    return {ids::kDicomNotOurs, why};
}

// The one multiplex group: a single 250 Hz channel of 7500 16-bit samples.
Result<std::vector<int16_t>> readSamples(DcmDataset& data) {
    DcmItem* group = nullptr;
    if (data.findAndGetSequenceItem(DCM_WaveformSequence, group, 0).bad() || !group)
        return Message{ids::kDicomUnreadable, QStringLiteral("no waveform")};
    DcmSequenceOfItems* groups = nullptr;
    data.findAndGetSequence(DCM_WaveformSequence, groups);
    Uint16 channels = 0;
    group->findAndGetUint16(DCM_NumberOfWaveformChannels, channels);
    const unsigned long groupCount = groups ? groups->card() : 0;
    if (channels != 1 || groupCount != 1)
        return Message{ids::kDicomSeveralChannels,
                       QString::number(groupCount == 1 ? channels : groupCount * channels)};
    const QString rate = textOf(*group, DCM_SamplingFrequency);
    if (rate.toDouble() != kSamplesPerSecond)
        return Message{ids::kDicomOtherRate, rate};
    Uint32 count = 0;
    group->findAndGetUint32(DCM_NumberOfWaveformSamples, count);
    if (count != kSamplesPerRecording)
        return Message{ids::kDicomOtherLength, QString::number(count)};
    Uint16 bits = 0;
    group->findAndGetUint16(DCM_WaveformBitsAllocated, bits);
    if (bits != 16 || textOf(*group, DCM_WaveformSampleInterpretation) != QStringLiteral("SS"))
        return notOurs(QStringLiteral("samples not 16-bit signed"));
    const Uint16* words = nullptr;
    unsigned long length = 0;
    if (group->findAndGetUint16Array(DCM_WaveformData, words, &length).bad() || !words ||
        length != static_cast<unsigned long>(kSamplesPerRecording))
        return Message{ids::kDicomOtherLength, QString::number(length)};
    std::vector<int16_t> samples(kSamplesPerRecording);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(words[i]);
    return samples;
}

QString noteOf(DcmDataset& data) {
    DcmSequenceOfItems* annotations = nullptr;
    if (data.findAndGetSequence(DCM_WaveformAnnotationSequence, annotations).bad() || !annotations)
        return {};
    for (unsigned long i = 0; i < annotations->card(); ++i) {
        const QString text = textOf(*annotations->getItem(i), DCM_UnformattedTextValue);
        if (!text.isEmpty())
            return text.left(RecordingNotes::kMaxChars);
    }
    return {};
}

Result<RecordingMode> modeOf(DcmDataset& data) {
    OFString creator;
    data.findAndGetOFString(privateCreatorTag(), creator);
    if (creator != kPrivateCreator)
        return notOurs(QStringLiteral("no station record"));
    const QString mode = textOf(data, privateModeTag());
    if (mode == QLatin1String(modeName(RecordingMode::Snap)))
        return RecordingMode::Snap;
    if (mode == QLatin1String(modeName(RecordingMode::Continuous)))
        return RecordingMode::Continuous;
    return notOurs(QStringLiteral("mode \"%1\"").arg(mode));
}

// The record decodes to the samples the waveform shows.
bool recordMatches(RecordingMode mode, const QByteArray& record,
                   const std::vector<int16_t>& shown) {
    const auto* p = reinterpret_cast<const uint8_t*>(record.constData()) + 2;
    const std::vector<int32_t> counts =
        mode == RecordingMode::Snap
            ? decodeSnapData(std::span<const uint8_t, kSnapBlockBytes>(p, kSnapBlockBytes))
            : continuousSamples(p);
    for (size_t i = 0; i < counts.size(); ++i)
        if (storedSample(counts[i]) != shown[i])
            return false;
    return true;
}

Result<ReceivedRecording> readRecording(DcmDataset& data) {
    const QString sopClass = textOf(data, DCM_SOPClassUID);
    if (sopClass != QLatin1String(UID_GeneralECGWaveformStorage))
        return Message{ids::kDicomNotEcgWaveform, sopClass};
    auto samples = readSamples(data);
    if (!samples)
        return samples.message();
    auto mode = modeOf(data);
    if (!mode)
        return mode.message();
    ReceivedRecording received;
    received.mode = mode.value();
    received.patientId = textOf(data, DCM_PatientID);
    if (!isValidPatientId(received.patientId))
        return notOurs(QStringLiteral("patient ID \"%1\"").arg(received.patientId));
    const std::optional<QByteArray> entry = bytesOf(data, privateEntryTag());
    std::optional<QByteArray> record = bytesOf(data, privateRecordTag());
    // A Snap record has odd length; its OB value carries one zero byte more.
    const int recordSize = recordBytesOf(received.mode);
    if (record && recordSize % 2 != 0 && record->size() == recordSize + 1 && record->endsWith('\0'))
        record->chop(1);
    if (!entry || entry->size() != RecordIndexEntry::kBytes)
        return notOurs(QStringLiteral("index entry"));
    if (!record || record->size() != recordSize)
        return notOurs(QStringLiteral("record"));
    if (!recordMatches(received.mode, *record, samples.value()))
        return notOurs(QStringLiteral("record and samples differ"));
    received.entry =
        RecordIndexEntry::fromBytes(reinterpret_cast<const uint8_t*>(entry->constData()));
    received.recordData = *record;
    received.note = noteOf(data);
    return received;
}

} // namespace

Result<ReceivedRecording> readEcgObject(const QByteArray& file) {
    auto parsed = readPart10(file);
    if (!parsed)
        return parsed.message();
    DcmDataset* data = parsed.value()->getDataset();
    if (!data)
        return Message{ids::kDicomUnreadable, QStringLiteral("no data set")};
    return readRecording(*data);
}

Result<int> importEcgObject(const QString& dataRoot, const ReceivedRecording& recording) {
    auto patient = registeredPatient(dataRoot, recording.patientId);
    if (!patient)
        return patient.message();
    const RecordingStore store(dataRoot, recording.mode, patient.value().id);
    const RecordingListing listing = store.listIndex();
    if (!listing.message.isNone())
        return listing.message;
    for (const ListedRecording& r : listing.recordings) {
        if (!(r.entry == recording.entry))
            continue;
        auto stored = store.readRecord(r.number - 1);
        if (stored && stored.value() == recording.recordData)
            return r.number;
    }
    auto number = store.appendRecord(recording.entry, recording.recordData);
    if (!number)
        return number.message();
    if (!recording.note.isEmpty()) {
        const RecordingNotes notes(dataRoot, recording.mode, patient.value().id);
        if (notes.read(recording.entry.time).value().isEmpty())
            if (auto written = notes.write(recording.entry.time, recording.note); !written)
                return written.message();
    }
    return number;
}

} // namespace vantora
