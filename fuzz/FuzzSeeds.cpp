// Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/) from the
// station's own writers: registries, stores, notes and charts as the station
// writes them, card files and the recorder's replies by their layouts. The
// same build writes the same bytes, so the corpora stay reviewable in git.
//   fuzz_seeds CORPUS_DIR
#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "fuzz/FuzzRoot.h"
#include "fuzz/SeedWriters.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace vantora;
using namespace vantora::fuzz;

namespace {

QString corpus;

void seed(const char* target, const char* name, const QByteArray& bytes) {
    const QString dir = corpus + u'/' + QLatin1String(target);
    QDir().mkpath(dir);
    QFile f(dir + u'/' + QLatin1String(name));
    require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size(),
            "cannot write a seed");
}

QByteArray op(uint8_t value) {
    return QByteArray(1, char(value));
}

void registrySeeds() {
    const QByteArray registry = seeds::registryOfTwo();
    const QByteArray unlisted = seeds::snapStoreFiles(1).data;
    seed("fuzz_registry", "quick-add-over-unlisted-store", op(0) + pack({registry, unlisted}));
    seed("fuzz_registry", "add", op(1) + pack({registry, {}}));
    seed("fuzz_registry", "edit-second", op(2 + 8) + pack({registry, {}}));
    seed("fuzz_registry", "delete-first", op(3) + pack({registry, {}}));
    seed("fuzz_registry", "register-chart-patient", op(4) + pack({registry, {}}));
}

void storeSeeds() {
    const seeds::StoreBytes snap = seeds::snapStoreFiles(2);
    seed("fuzz_store", "snap-append", op(0) + pack({snap.data, snap.index}));
    seed("fuzz_store", "snap-remove-first", op(2) + pack({snap.data, snap.index}));
    const seeds::StoreBytes cont = seeds::continuousStoreFiles(1);
    seed("fuzz_store", "continuous-remove-all", op(1 + 4) + pack({cont.data, cont.index}));
    const seeds::StoreBytes cut = seeds::interruptedSnapRemove();
    seed("fuzz_store", "snap-interrupted-replacement",
         op(0) + pack({cut.data, cut.index, cut.journal, cut.scratchData, cut.scratchIndex}));
}

void notesSeeds() {
    const auto [file, time] = seeds::notesOfTwo();
    seed("fuzz_notes", "snap-overwrite", op(0) + time + pack({file}));
    seed("fuzz_notes", "continuous-overwrite", op(1) + time + pack({file}));
    seed("fuzz_notes", "empty-file", op(0) + time + pack({{}}));
}

void chartSeeds() {
    seed("fuzz_chart", "snap", op(0) + pack({seeds::chartOf(RecordingMode::Snap)}));
    seed("fuzz_chart", "continuous", op(1) + pack({seeds::chartOf(RecordingMode::Continuous)}));
}

void cardSeeds() {
    const QByteArray card = seeds::cardFile(1);
    seed("fuzz_card", "snap", op(0) + pack({card}));
    seed("fuzz_card", "continuous", op(1) + pack({card}));
}

void linkSeeds() {
    seed("fuzz_download", "one-record", pack(seeds::downloadReplies(1)));
    seed("fuzz_download", "no-records", pack(seeds::downloadReplies(0)));
    seed("fuzz_live", "frames", seeds::liveFrames(40));
}

void qrsSeeds() {
    seed("fuzz_qrs", "beat-60bpm", seeds::qrsInput(60.0, 250));
    seed("fuzz_qrs", "beat-100bpm", seeds::qrsInput(100.0, 150));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds CORPUS_DIR\n");
        return 2;
    }
    corpus = QString::fromLocal8Bit(argv[1]);
    registrySeeds();
    storeSeeds();
    notesSeeds();
    chartSeeds();
    cardSeeds();
    linkSeeds();
    qrsSeeds();
    return 0;
}
