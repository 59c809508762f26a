#pragma once

#include "core/RecordingMode.h"
#include "records/ChartFile.h"
#include "records/PatientRecord.h"

#include <QString>

#include <functional>

namespace vantora {

class Prompter;

// The import half of ChartFile: charts and card files into the store of one
// RecordingMode. The new recordings are written with the store's kept ones
// into scratch files (StoreRewrite); an unknown patient is registered only
// when every write is done, and the scratch files replace the store last. A
// failure at any step leaves registry and store as they were.
class ChartImport {
public:
    ChartImport(QString dataRoot, RecordingMode mode);

    ChartImportResult importChart(const QString& path, Prompter& prompter, bool ask) const;
    ChartImportResult importCard(const QString& path, int position, Prompter& prompter,
                                 bool ask) const;

    // Fills `entry` (24 bytes) and `record` (the mode's record size) for item
    // i; a message stops the import.
    using ItemSource = std::function<Message(int i, uint8_t* entry, uint8_t* record)>;

private:
    // Where the recordings go: the registered spelling of the id, or the
    // record to register.
    struct Target {
        QString id;
        bool registerPatient = false;
        PatientRecord record;
    };
    Target targetFor(const PatientRecord& record) const;
    ChartImportResult write(const Target& target, int count, const ItemSource& items) const;

    QString root_;
    RecordingMode mode_;
};

} // namespace vantora
