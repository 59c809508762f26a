#pragma once

#include "core/Result.h"
#include "dicom/DicomNode.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <atomic>
#include <functional>
#include <vector>

namespace vantora {

// The station's conversations with its peers over DICOM. Every call blocks
// (callers run them off the UI thread) and opens its own association;
// timeouts are in seconds and bound each network wait. Failures are messages
// that say plainly what happened: the association refused (with the peer's
// reason), an unknown host, a connection refused, a time-out, a failure
// status from the peer (in hex).

struct EchoOutcome {
    int roundTripMs = 0;
};
// C-ECHO: is the peer there, and does it accept this station's title?
Result<EchoOutcome> echo(const QString& callingAet, const DicomNode& peer, int timeoutSeconds = 10);

// One scheduled procedure step of the modality worklist.
struct WorklistItem {
    QString patientName; // as the scheduler spells it, "^" between the name's parts
    QString patientId;
    QDate birthDate;
    QString sex;
    QDateTime scheduled;
    QString accessionNumber;
    QString requestedProcedure;
    QString studyInstanceUid;
    QString stepId;
    QString stationAet;
};
// C-FIND in the modality worklist model: the steps of `day` with modality ECG
// scheduled for the station `callingAet`, in the provider's order.
Result<std::vector<WorklistItem>> queryWorklist(const QString& callingAet,
                                                const DicomNode& provider, const QDate& day,
                                                int timeoutSeconds = 10);

// C-STORE of one whole Part-10 file. Success only when the archive answered
// with a success (or warning) status.
Result<> storeObject(const QString& callingAet, const DicomNode& archive, const QByteArray& file,
                     int timeoutSeconds = 10);

// Several files over one association, `count` of them, each read by
// `file(i)` only when its turn comes (an outbox may hold more than fits in
// memory). `stored(i)` is called as soon as the archive confirmed file i. A
// file that is not DICOM or that the archive answered with a failure status
// is counted in `failedIndexes` and the rest are still sent; a lost or
// refused association ends the call with its message (the files not
// confirmed by then stay unconfirmed). Cancel stops before the next file.
struct StoreBatchOutcome {
    int stored = 0;
    std::vector<int> failedIndexes;
    Message firstFailure; // why the first failed file failed
};
Result<StoreBatchOutcome> storeObjects(const QString& callingAet, const DicomNode& archive,
                                       int count, const std::function<QByteArray(int)>& file,
                                       const std::function<void(int index)>& stored = {},
                                       const std::atomic<bool>* cancel = nullptr,
                                       int timeoutSeconds = 10);

// A study the archive holds for a patient.
struct ArchivedStudy {
    QString studyInstanceUid;
    QDateTime studyTime;
    QString stationName; // the station's name, else the sending AE title
    QString description;
    QString patientId;
    int instances = 0;
};
// C-FIND, study root, modality ECG, for one patient id.
Result<std::vector<ArchivedStudy>> findStudies(const QString& callingAet, const DicomNode& archive,
                                               const QString& patientId, int timeoutSeconds = 10);

// C-GET of a whole study: every instance as a whole Part-10 file, as stored.
Result<std::vector<QByteArray>> getStudy(const QString& callingAet, const DicomNode& archive,
                                         const QString& studyInstanceUid, int timeoutSeconds = 30);

// The SOP class UID a Part-10 file declares in its meta header; empty when
// it is not one.
QString sopClassOf(const QByteArray& file);

} // namespace vantora
