#pragma once

#include "core/Message.h"
#include "core/Result.h"

#include <QString>

namespace vantora {

class AppSettings;

// A DICOM application entity on the network: its title and where it listens.
struct DicomNode {
    QString aeTitle;
    QString host;
    int port = 0;

    bool isSet() const { return !aeTitle.isEmpty() && !host.isEmpty() && port > 0; }
    // "AET@HOST:PORT", as the command line takes it.
    QString text() const;
    // Reads "AET@HOST:PORT": the title 1 to 16 characters of printable ASCII
    // without "\" (leading and trailing spaces are not significant), a host,
    // a port 1 to 65535. Anything else is refused with a message naming the text.
    static Result<DicomNode> parse(const QString& text);

    friend bool operator==(const DicomNode&, const DicomNode&) = default;
};

// An AE title as DICOM allows it: 1 to 16 characters of printable ASCII
// without "\", not all spaces.
bool isValidAeTitle(const QString& title);

// This station's title and its two peers, stored with the other settings:
//   DicomStationAet   string  this station's AE title (default "VANTORAECG")
//   DicomArchive      string  "AET@HOST:PORT" of the archive
//   DicomWorklist     string  "AET@HOST:PORT" of the worklist provider
// A stored value that does not parse reads as unset.
struct DicomSettings {
    static constexpr const char* kStationAetKey = "DicomStationAet";
    static constexpr const char* kArchiveKey = "DicomArchive";
    static constexpr const char* kWorklistKey = "DicomWorklist";
    static constexpr const char* kDefaultStationAet = "VANTORAECG";

    QString stationAet = kDefaultStationAet;
    DicomNode archive;
    DicomNode worklist;

    static DicomSettings load(const AppSettings& settings);
    bool save(AppSettings& settings) const;

    friend bool operator==(const DicomSettings&, const DicomSettings&) = default;
};

} // namespace vantora
