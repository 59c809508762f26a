#include "ui/dialogs/ArchiveStudiesDialog.h"

#include "core/AppSettings.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "dicom/EcgObject.h"
#include "ui/widgets/BackgroundCall.h"

#include <QLocale>

namespace vantora {

namespace {

constexpr int kFindTimeoutSeconds = 10;
constexpr int kGetTimeoutSeconds = 30;

QStringList headers() {
    return {Langpack::text(ids::kDateAndTime), Langpack::text(ids::kStation),
            Langpack::text(ids::kResults)};
}

// What a retrieve did: the numbers the recordings got, else why none came.
struct Retrieved {
    QStringList numbers;
    Message refused;
};

// Every waveform of the study that this station made goes into the store;
// the study's report and objects of other makers are left (the first
// refusal is told when nothing was taken).
Retrieved retrieveStudy(const QString& dataRoot, const DicomSettings& settings,
                        const QString& studyUid) {
    Retrieved out;
    const Result<std::vector<QByteArray>> files =
        getStudy(settings.stationAet, settings.archive, studyUid, kGetTimeoutSeconds);
    if (!files.ok()) {
        out.refused = files.message();
        return out;
    }
    for (const QByteArray& file : files.value()) {
        const Result<ReceivedRecording> read = readEcgObject(file);
        const Result<int> added =
            read.ok() ? importEcgObject(dataRoot, read.value()) : Result<int>(read.message());
        if (added.ok())
            out.numbers << QString::number(added.value());
        else if (out.refused.isNone())
            out.refused = {ids::kNotThisStationsStudy, added.message().text()};
    }
    return out;
}

} // namespace

ArchiveStudiesDialog::ArchiveStudiesDialog(QString dataRoot, QString patientId, QWidget* parent)
    : QueryListDialog(Langpack::text(ids::kArchivedStudiesTitle), headers(), ids::kRetrieve,
                      parent),
      dataRoot_(std::move(dataRoot)), patientId_(std::move(patientId)) {
    query();
}

void ArchiveStudiesDialog::query() {
    const DicomSettings settings = DicomSettings::load(AppSettings());
    if (!settings.archive.isSet()) {
        showStatus(Langpack::text(ids::kArchiveNotChosen));
        return;
    }
    showStatus(Langpack::format(ids::kAskingPeer, settings.archive.text()));
    setBusy(true);
    using Answer = Result<std::vector<ArchivedStudy>>;
    runInBackground<Answer>(
        this,
        [settings, id = patientId_] {
            return findStudies(settings.stationAet, settings.archive, id, kFindTimeoutSeconds);
        },
        [this](Answer answer) {
            setBusy(false);
            studies_ = answer.ok() ? std::move(answer).value() : std::vector<ArchivedStudy>{};
            std::vector<QStringList> rows;
            for (const ArchivedStudy& s : studies_)
                rows.push_back({QLocale::system().toString(s.studyTime, QLocale::ShortFormat),
                                s.stationName, s.description});
            const QString status = !answer.ok() ? answer.message().text()
                                   : studies_.empty()
                                       ? Langpack::format(ids::kNoArchivedStudies, patientId_)
                                       : QString();
            showRows(std::move(rows), status);
        });
}

void ArchiveStudiesDialog::act(int row) {
    const DicomSettings settings = DicomSettings::load(AppSettings());
    const QString study = studies_[size_t(row)].studyInstanceUid;
    showStatus(Langpack::format(ids::kAskingPeer, settings.archive.text()));
    setBusy(true);
    runInBackground<Retrieved>(
        this, [root = dataRoot_, settings, study] { return retrieveStudy(root, settings, study); },
        [this](Retrieved got) {
            setBusy(false);
            retrieved_ += int(got.numbers.size());
            showStatus(got.numbers.isEmpty()
                           ? got.refused.text()
                           : Langpack::format(ids::kRetrievedAsRecording,
                                              got.numbers.join(QStringLiteral(", "))));
        });
}

} // namespace vantora
