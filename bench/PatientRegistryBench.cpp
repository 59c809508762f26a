// Patient registry at its capacity: filling a list (5001 records read one by
// one), the manager's id map, a search over names and one add.
#include "core/Prompter.h"
#include "records/PatientRegistry.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vantora;

namespace {

constexpr int kFull = 5001;

// A registry of kFull patients in a temporary folder.
class FullRegistry {
public:
    FullRegistry() : registry_(dir_.path()) {
        PatientIdMap ids;
        for (int i = 0; i < kFull; ++i) {
            PatientFields f;
            f.id = QString::number(i + 1);
            f.name = QStringLiteral("Patient %1").arg(i);
            f.weight = QStringLiteral("65.50");
            (void)registry_.add(f, ids, true);
        }
    }
    const PatientRegistry& registry() const { return registry_; }

private:
    QTemporaryDir dir_;
    PatientRegistry registry_;
};

const FullRegistry& full() {
    static const FullRegistry r;
    return r;
}

void BM_LoadAll(benchmark::State& state) {
    const PatientRegistry& registry = full().registry();
    for (auto _ : state)
        benchmark::DoNotOptimize(registry.loadAll());
    state.SetItemsProcessed(state.iterations() * kFull);
}
BENCHMARK(BM_LoadAll)->Unit(benchmark::kMillisecond);

void BM_BuildIdMap(benchmark::State& state) {
    const QVector<PatientRecord> records = full().registry().loadAll().records;
    for (auto _ : state)
        benchmark::DoNotOptimize(PatientIdMap(records));
}
BENCHMARK(BM_BuildIdMap)->Unit(benchmark::kMillisecond);

void BM_SearchByName(benchmark::State& state) {
    const QVector<PatientRecord> records = full().registry().loadAll().records;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            PatientRegistry::search(records, PatientSearchField::Name, QStringLiteral("nt 49")));
}
BENCHMARK(BM_SearchByName)->Unit(benchmark::kMicrosecond);

void BM_AddAndDeleteLast(benchmark::State& state) {
    QTemporaryDir dir;
    const PatientRegistry registry(dir.path());
    PatientFields f;
    f.id = QStringLiteral("1");
    f.name = QStringLiteral("Ann");
    for (auto _ : state) {
        PatientIdMap ids;
        const Result<PatientAdded> r = registry.add(f, ids, true);
        benchmark::DoNotOptimize(registry.remove(r.value().position, &ids).ok());
    }
}
BENCHMARK(BM_AddAndDeleteLast)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
