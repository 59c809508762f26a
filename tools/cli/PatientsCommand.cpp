#include "tools/cli/CliContext.h"

namespace vantora::cli {

int runPatients(CliContext&) { throw UsageError("patients: not built yet"); }

}  // namespace vantora::cli
