#pragma once

#include "core/Result.h"
#include "records/ExchangeExport.h"

#include <QStringList>

namespace vantora {

// EDF+ export of a patient's recordings (EDFlib). One ECG signal in mV at
// 250 samples/s, one-second data records. The digital range is the
// recording's own, widened to whole millivolts around the zero line
// (512 - 175 k .. 512 + 175 k), so that physical values are (count - 512) / 175
// exactly in every reader. Annotations: each recording's number and
// description at its start, its note when it has one; texts longer than
// EDFlib's 40 bytes are split between characters over several annotations at
// the same time. Header texts (patient code and name) are ASCII: accents are
// dropped (Élodie: Elodie). Each file goes to a temporary file and is put in
// place only when the library reported no failure and the file is as long as
// its header says.
//
// EDFlib writes continuous files (EDF+C) only: recordings that follow each
// other (each starting 30 s +- 1 s after the one before, as Continuous
// segments do) share a file; every further run goes to its own file, named
// after the first with "-2", "-3", ... before ".edf".
// Index runs of recordings that follow each other in time.
std::vector<std::vector<size_t>> contiguousRuns(const std::vector<ExchangeRecording>& recordings);

// The files written, or 62620 with "FILE: reason" of the file that could not
// be written.
Result<QStringList> writeEdf(const ExchangeSet& set, const QString& path);

// 62622 listing the files when an export wrote more than one; none otherwise.
Message severalFilesNotice(const QStringList& files);

} // namespace vantora
