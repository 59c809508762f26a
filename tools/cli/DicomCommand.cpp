// vantora-cli dicom SUBCOMMAND: the hospital link. Objects made from the
// store (export), and the archive and worklist over the network.
#include "tools/cli/DicomCommand.h"

#include "core/AppSettings.h"
#include "core/StringIds.h"

#include <map>

namespace vantora::cli {

namespace {

const std::map<QString, DicomSubcommand>& subcommands() {
    static const std::map<QString, DicomSubcommand> table = {
        // DicomExportCommand.cpp and DicomNetworkCommands.cpp
        {QStringLiteral("echo"), runDicomEcho}, {QStringLiteral("worklist"), runDicomWorklist},
        {QStringLiteral("send"), runDicomSend}, {QStringLiteral("find"), runDicomFind},
        {QStringLiteral("get"), runDicomGet},   {QStringLiteral("export"), runDicomExport},
    };
    return table;
}

DicomNode takeNode(CliContext& ctx, const char* option, const DicomNode& stored) {
    const std::optional<QString> text = ctx.takeOption(option);
    return text ? valueOf(DicomNode::parse(*text)) : stored;
}

} // namespace

DicomSettings takeDicomSettings(CliContext& ctx) {
    DicomSettings settings = DicomSettings::load(AppSettings());
    if (const std::optional<QString> aet = ctx.takeOption("aet")) {
        if (!isValidAeTitle(*aet))
            throw CommandFailure{Message{ids::kNotADicomAe, *aet}};
        settings.stationAet = aet->trimmed();
    }
    settings.archive = takeNode(ctx, "archive", settings.archive);
    settings.worklist = takeNode(ctx, "worklist", settings.worklist);
    return settings;
}

int runDicom(CliContext& ctx) {
    const QString name = ctx.takeWord("dicom subcommand");
    const auto it = subcommands().find(name);
    if (it == subcommands().end())
        throw UsageError("unknown dicom subcommand: " + name.toStdString());
    return it->second(ctx);
}

} // namespace vantora::cli
