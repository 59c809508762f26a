#pragma once

#include "dicom/DicomNode.h"
#include "tools/cli/CliContext.h"

namespace vantora::cli {

// This station's DICOM settings as stored, with the one-call overrides
// --aet AET, --archive AET@HOST:PORT and --worklist AET@HOST:PORT taken from
// the command line (a text that does not parse fails with its message).
DicomSettings takeDicomSettings(CliContext& ctx);

// The `dicom` subcommands; each group lives in its own file and is listed in
// the table of DicomCommand.cpp.
using DicomSubcommand = int (*)(CliContext&);
int runDicomExport(CliContext& ctx);
// DicomNetworkCommands.cpp
int runDicomEcho(CliContext& ctx);
int runDicomWorklist(CliContext& ctx);
int runDicomSend(CliContext& ctx);
int runDicomFind(CliContext& ctx);
int runDicomGet(CliContext& ctx);

} // namespace vantora::cli
