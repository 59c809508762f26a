// The patient registry "UserDA.txt" as outside bytes: every reader, then one
// change (add, quick add, register a chart's record, edit, delete) chosen by
// the input's first byte. Store files of an id the registry does not list
// must come through a quick add unchanged.
#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "fuzz/FuzzRoot.h"
#include "records/PatientIdMap.h"
#include "records/PatientRegistry.h"

#include <QFile>

using namespace vantora;

namespace {

const QString kUnlisted = QStringLiteral("Q1");

PatientFields fields(const QString& id) {
    PatientFields f;
    f.id = id;
    f.name = QStringLiteral("Fuzz Name");
    f.date = QStringLiteral("1/2/70");
    f.weight = QStringLiteral("12.5");
    f.remarks = QStringLiteral("history");
    return f;
}

// A data file whose count is not 0 (a file shorter than a count reads as
// empty, as the stores read it, and cannot hold a recording).
bool holdsRecordings(const QByteArray& dataFile) {
    return dataFile.size() >= 4 && dataFile.left(4) != QByteArray(4, '\0');
}

void readEverything(const PatientRegistry& registry) {
    (void)registry.count();
    const PatientList list = registry.loadAll();
    for (int i = 1; i <= list.records.size() + 1; ++i)
        (void)registry.read(i);
    registry.ids();
    registry.findById(QStringLiteral("p1"));
    (void)registry.search(PatientSearchField::Id, QStringLiteral("1"));
    (void)registry.search(PatientSearchField::Name, QStringLiteral("a"));
    PatientIdMap ids(list.records);
}

// A delete takes the patient's notes with it: a new patient of the same id
// must not inherit them.
void removeAt(const PatientRegistry& registry, int position) {
    const fuzz::FuzzRoot& root = fuzz::FuzzRoot::instance();
    const auto stored = registry.read(position);
    const QString id = stored.ok() ? stored.value().id : QString();
    if (isValidPatientId(id))
        root.write(paths::notesFile(root.path(), RecordingMode::Snap, id), QByteArray(416, '\0'));
    PatientIdMap ids(registry.loadAll().records);
    if (registry.remove(position, &ids).ok() && isValidPatientId(id) && registry.findById(id) == 0)
        fuzz::require(!QFile::exists(paths::notesFile(root.path(), RecordingMode::Snap, id)),
                      "a deleted patient's notes stayed behind");
}

void change(const PatientRegistry& registry, uint8_t op) {
    const QString root = fuzz::FuzzRoot::instance().path();
    const int position = 1 + (op >> 3) % 4;
    switch (op % 5) {
    case 0: {
        const auto before = fuzz::FuzzRoot::instance().snapshot();
        (void)registry.quickAdd(kUnlisted, QStringLiteral("A"), QStringLiteral("B"),
                                registry.ids());
        const auto after = fuzz::FuzzRoot::instance().snapshot();
        for (const QString& f :
             {paths::snapData(root, kUnlisted), paths::continueData(root, kUnlisted)}) {
            const QString key = f.mid(root.size());
            if (holdsRecordings(before.value(key)))
                fuzz::require(after.value(key) == before.value(key),
                              "quick add changed a store that holds recordings");
        }
        break;
    }
    case 1: {
        PatientIdMap ids(registry.loadAll().records);
        (void)registry.add(fields(QStringLiteral("Q2")), ids, (op & 8) != 0);
        break;
    }
    case 2:
        if (registry.edit(position, fields({})).ok()) {
            const auto read = registry.read(position);
            fuzz::require(read.ok() && read.value().name == QStringLiteral("Fuzz Name"),
                          "an edit that succeeded does not read back");
        }
        break;
    case 3:
        removeAt(registry, position);
        break;
    default: {
        PatientRecord r;
        r.id = QStringLiteral("Q3");
        r.name = QStringLiteral("Chart");
        (void)registry.appendRecord(r);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzRoot& root = fuzz::FuzzRoot::instance();
    fuzz::Input in = fuzz::begin(data, size);
    root.write(paths::registry(root.path()), in.parts.next());
    if (const QByteArray unlisted = in.parts.next(); !unlisted.isEmpty())
        root.write(paths::snapData(root.path(), kUnlisted), unlisted);

    PatientRegistry registry(root.path());
    readEverything(registry);
    change(registry, in.op);
    readEverything(registry);
    root.checkFence();
    return 0;
}
