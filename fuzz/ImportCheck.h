#pragma once

#include "core/Prompter.h"
#include "core/RecordingMode.h"
#include "fuzz/FuzzRoot.h"
#include "records/ChartFile.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"

namespace vantora::fuzz {

// The registry of the import targets: patient "P1" at position 1.
inline void registerTarget() {
    PatientRecord p;
    p.id = QStringLiteral("P1");
    p.name = QStringLiteral("Target");
    require(PatientRegistry(FuzzRoot::instance().path()).appendRecord(p).ok(),
            "cannot register the import target");
}

// An import that failed or was declined left the data root as it was; one that
// succeeded left its patient listed with a store that lists every recording.
inline void checkImport(const ChartImportResult& result, RecordingMode mode,
                        const QMap<QString, QByteArray>& before) {
    const QString root = FuzzRoot::instance().path();
    if (result.declined || !result.message.isNone()) {
        FuzzRoot::instance().requireUnchanged(before, "a failed import wrote to the data root");
        return;
    }
    const PatientRegistry registry(root);
    require(registry.findById(result.patientId) > 0, "an imported patient is not listed");
    const RecordingStore store(root, mode, result.patientId);
    const auto count = store.count();
    require(count.ok() && count.value() >= result.imported, "imported recordings are not counted");
    require(int(store.listIndex().recordings.size()) == count.value(),
            "the index after an import does not list every recording");
}

// The import targets: the input's file, imported by `import` (a ChartFile,
// the file's path and a prompter that says yes) into the store the input's
// first byte picks, for the registry of registerTarget().
template <class Import>
void fuzzImport(const uint8_t* data, size_t size, const QString& name, Import import) {
    FuzzRoot& root = FuzzRoot::instance();
    Input in = begin(data, size);
    registerTarget();
    const QString path = root.file(name);
    root.write(path, in.parts.next());
    const auto before = root.snapshot();
    FixedPrompter yes(true);
    checkImport(import(ChartFile(root.path(), in.mode), path, yes), in.mode, before);
    root.checkFence();
}

} // namespace vantora::fuzz
