#pragma once

#include "core/Result.h"
#include "dicom/DicomNode.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

namespace vantora {

// Objects waiting for the archive, kept in "<dataRoot>/Outbox", one file per
// object named by its SOP instance UID. A file is written as the store writes
// (temporary file, sync, rename, folder sync) and leaves the folder only after
// the archive confirmed it, so a kill at any moment loses nothing; an object
// the archive confirmed just before a kill may be sent once more, which the
// archive takes as the same object.
//
// Any number of processes of one data folder may enqueue; one sends at a time
// (a kernel lock on a file in the outbox, dropped with a killed holder).
namespace outbox {

QString folder(const QString& dataRoot);

// Adds a whole Part-10 file. Enqueueing a UID that is already waiting is a
// no-op.
Result<> enqueue(const QString& dataRoot, const QString& sopInstanceUid, const QByteArray& file);

// How many objects are waiting.
int waitingCount(const QString& dataRoot);

struct SendProgress {
    int done = 0;
    int total = 0;
};

struct SendReport {
    int sent = 0;    // confirmed and removed
    int failed = 0;  // the archive answered with a failure status: they stay
    int waiting = 0; // still in the outbox afterwards (failed included)
    // Why not everything went: the association failure that stopped sending
    // (archive down, refused, time-out), else the first failure status, else
    // another process sending; none when all went.
    Message problem;
};

// Sends every waiting object by C-STORE, oldest first, over one association.
// Stops at the first association failure, leaving the rest; a failure status
// leaves that object and goes on. Progress is called after each object;
// cancel stops before the next one.
SendReport sendWaiting(const QString& dataRoot, const QString& callingAet, const DicomNode& archive,
                       const std::function<void(SendProgress)>& progress = {},
                       const std::atomic<bool>* cancel = nullptr, int timeoutSeconds = 10);

} // namespace outbox
} // namespace vantora
