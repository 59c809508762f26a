// The recorder's card file ("ECGDATA.DAT") as outside bytes, imported for
// patient 1 into the Snap or the Continuous store as the input's first byte
// says: a card file that is refused leaves the data root as it was.
#include "fuzz/ImportCheck.h"

using namespace vantora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::fuzzImport(data, size, QStringLiteral("ECGDATA.DAT"),
                     [](const ChartFile& charts, const QString& path, Prompter& yes) {
                         ChartFile::looksLikeCardFile(path);
                         return charts.importCard(path, 1, yes);
                     });
    return 0;
}
