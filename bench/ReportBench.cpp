// Reports to PDF: the analysis report (build, render, write one page) and the
// record reports of a full list page of 15 recordings into one PDF.
#include "records/EcgGenerator.h"
#include "render/ReportOutput.h"
#include "render/ReportSources.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vantora;

namespace {

AnalysisReportInput analysisInput() {
    AnalysisReportInput in;
    in.patientId = QStringLiteral("1001");
    in.patientText = QStringLiteral("1001 Anna Berg");
    in.diagnosis = QStringLiteral("Sinus rhythm, no ST change");
    in.header.time = SystemTime::fromFields({2026, 11, 1, 2, 9, 7, 0, 0});
    in.header.heartRate = 72;
    const std::vector<int32_t> beat = EcgGenerator().next(250);
    std::copy(beat.begin(), beat.end(), in.beat.begin());
    in.parameters = {80, 110, 140, 200, 72, 10, 160, 96, 380, 412};
    return in;
}

void BM_AnalysisReportToPdf(benchmark::State& state) {
    QTemporaryDir dir;
    const std::vector<int32_t> samples = EcgGenerator().nextRecording();
    const AnalysisReportInput in = analysisInput();
    for (auto _ : state) {
        const Result<> m =
            WriteReportPdf(dir.filePath("a.pdf"), QPageSize::A4, 1, [&](int, const QSize& sheet) {
                return MakeAnalysisReportPage(samples, in, sheet);
            });
        benchmark::DoNotOptimize(m.message().id);
    }
}
BENCHMARK(BM_AnalysisReportToPdf)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_FifteenRecordReportsToPdf(benchmark::State& state) {
    QTemporaryDir dir;
    RecordReportSet set;
    set.patient.id = QStringLiteral("1001");
    set.patient.name = QStringLiteral("Anna Berg");
    EcgGenerator generator;
    for (int k = 0; k < 15; ++k)
        set.items.push_back({generator.nextRecording(), RecordIndexEntry{}, k + 1, QString()});
    for (auto _ : state) {
        const Result<> m = WriteReportPdf(
            dir.filePath("r.pdf"), QPageSize::A4, 15,
            [&](int k, const QSize& sheet) { return MakeRecordReportPage(set, k, sheet); });
        benchmark::DoNotOptimize(m.message().id);
    }
}
BENCHMARK(BM_FifteenRecordReportsToPdf)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts for the report texts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
