// A chart file (".cEcg") as outside bytes, imported into the Snap or the
// Continuous store as the input's first byte says: a chart that is refused
// leaves the data root as it was.
#include "fuzz/ImportCheck.h"

using namespace vantora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::fuzzImport(data, size, QStringLiteral("in.cEcg"),
                     [](const ChartFile& charts, const QString& path, Prompter& yes) {
                         return charts.importChart(path, yes);
                     });
    return 0;
}
