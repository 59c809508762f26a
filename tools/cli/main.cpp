// vantora-cli: the station's logic without windows, for scripts and tests.
// Exit status: 0 success, 1 failure (the station's message on stderr), 2 usage.
#include "core/Langpack.h"
#include "records/DataFolder.h"
#include "records/PatientRecord.h"
#include "tools/cli/CliContext.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

using namespace vantora;
using namespace vantora::cli;

namespace {

using CommandFn = int (*)(CliContext&);

const std::map<QString, CommandFn>& commands() {
    static const std::map<QString, CommandFn> table = {
        {QStringLiteral("patients"), runPatients},    {QStringLiteral("recordings"), runRecordings},
        {QStringLiteral("notes"), runNotes},          {QStringLiteral("import"), runImport},
        {QStringLiteral("export"), runExport},        {QStringLiteral("demo"), runDemo},
        {QStringLiteral("download"), runDownload},    {QStringLiteral("record"), runRecord},
        {QStringLiteral("analyse"), runAnalyse},      {QStringLiteral("picture"), runPicture},
        {QStringLiteral("export-edf"), runExportEdf}, {QStringLiteral("export-csv"), runExportCsv},
        {QStringLiteral("report"), runReport},        {QStringLiteral("dicom"), runDicom},
    };
    return table;
}

const char* kUsage =
    "usage: vantora-cli [--data DIR] [--json] COMMAND ...\n"
    "\n"
    "Patients:\n"
    "  patients list\n"
    "  patients add --id ID --name NAME [--sex male|female] [--date YYYY-MM-DD]\n"
    "               [--height CM] [--weight KG] [--telephone T] [--address T]\n"
    "               [--history T] [--remarks T]\n"
    "  patients quick-add --id ID --first F --second S\n"
    "  patients edit --id ID [fields as for add]     ID exactly as listed; it is kept\n"
    "  patients delete --id ID [--yes]               also removes the patient's recordings\n"
    "  patients search (--id TEXT | --name TEXT)\n"
    "\n"
    "Recordings (--mode snap|continuous; numbers count from 1, as listed):\n"
    "  recordings list --patient ID --mode M\n"
    "  recordings samples --patient ID --mode M --number K\n"
    "  recordings remove --patient ID --mode M (--number K | --all) [--yes]\n"
    "  notes get --patient ID --mode M --number K\n"
    "  notes set --patient ID --mode M --number K --text TEXT\n"
    "  import FILE --mode M [--patient ID] [--yes]   chart (.cEcg) or card file (.dat, --patient)\n"
    "  export --patient ID --mode M (--number K | --all) --out FILE.cEcg [--yes] [--force]\n"
    "                                  moves the recordings into the chart: they leave the store;\n"
    "                                  an existing FILE is kept unless --force replaces it\n"
    "  export-edf --patient ID --mode M (--number K | --all) --out FILE.edf\n"
    "                                  EDF+ for EDF viewers; recordings that do not follow each\n"
    "                                  other go to FILE-2.edf, ...; the store keeps them all\n"
    "  export-csv --patient ID --mode M (--number K | --all) --out FILE.csv\n"
    "                                  one row per sample: recording, seconds, millivolts\n"
    "  demo --data DIR                               a data folder with demo patients\n"
    "\n"
    "Analysis (the analysis page's run; --start/--end: a stretch instead of all 7500 samples):\n"
    "  analyse --patient ID --mode M --number K [--start S --end E] [--library PATH]\n"
    "  analyse --patient ID --mode M (--number K | --all) --format csv [...]\n"
    "                      one row per recording: number, start, heart rate, ST, PR, QRS,\n"
    "                      QT, QTc (the trend over a day of continuous recording)\n"
    "  picture --patient ID --mode M --number K [--start S --end E] --out FILE\n"
    "                      the analysis page's picture; FILE ends in .bmp, .jpeg, .jpg, .gif,\n"
    "                      .tiff, .tif or .png\n"
    "\n"
    "Reports (the pages the analysis and replay pages print, as one PDF, a page each):\n"
    "  report --patient ID --mode M (--number K | --all) [--analysis [--start S --end E]]\n"
    "         [--diagnosis TEXT] [--paper a4|letter] --out FILE.pdf\n"
    "                                  --analysis: the analysis report of recording K;\n"
    "                                  else record reports with each recording's note\n"
    "\n"
    "Recorder (--port DEV: the serial port; default the Port setting, else the bridge found):\n"
    "  download --patient ID [--port DEV] [--select all|1,3,...] [--yes]\n"
    "                                              fetch and save the recordings the patient\n"
    "                                              does not have yet\n"
    "  record --patient ID [--port DEV] --segments N   record N live 30-second segments, in\n"
    "                                              real time: at least N x 30 s\n"
    "\n"
    "Hospital connection (DICOM; --aet AET, --archive AET@HOST:PORT and --worklist\n"
    "AET@HOST:PORT override the settings for one call):\n"
    "  dicom echo (--archive ... | --worklist ...)   is the peer there, and how quickly\n"
    "  dicom worklist                                today's steps for this station\n"
    "  dicom export --patient ID --mode M --number K --out FILE.dcm [--report FILE.dcm]\n"
    "                                  the recording as an ECG waveform object, and its\n"
    "                                  analysis report as an encapsulated PDF object\n"
    "  dicom send --patient ID --mode M (--number K | --all)\n"
    "  dicom send --waiting                          what the outbox still holds\n"
    "  dicom find --patient ID                       the patient's ECG studies at the archive\n"
    "  dicom get --patient ID --mode M (--study UID | --all)\n"
    "\n"
    "--data DIR  the data folder (default: the current folder); SnapData and ContinueData\n"
    "            are created in it when missing, as the program does at start-up\n"
    "--json      machine-readable output\n"
    "--yes       answers Yes to every question. Without it, patients delete, recordings remove\n"
    "            and export ask on the terminal, and refuse (status 2) when stdin is not one.\n";

// The two sex choices store the language pack's texts, so the help names them.
void printUsage(std::FILE* out) {
    std::fputs(kUsage, out);
    const QByteArray sex = QStringLiteral("--sex       first stores \"%1\", second \"%2\"\n")
                               .arg(sexText(0), sexText(1))
                               .toUtf8();
    std::fputs(sex.constData(), out);
}

void printError(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fprintf(stderr, "%s\n", bytes.constData());
}

// Pictures and reports draw text, which needs a GUI application; it runs off-screen.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    if (!std::any_of(argv + 1, argv + argc, [](const char* a) {
            // dicom: export and send render the analysis report
            return qstrcmp(a, "picture") == 0 || qstrcmp(a, "report") == 0 ||
                   qstrcmp(a, "dicom") == 0;
        }))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
    QCoreApplication& app = *application;
    Langpack::loadBesideExecutable();

    QStringList args = app.arguments().mid(1);
    CliContext ctx(args);
    try {
        if (ctx.takeFlag("help") || args.isEmpty()) {
            printUsage(stdout);
            return 0;
        }
        ctx.json = ctx.takeFlag("json");
        ctx.dataRoot = QDir(ctx.takeOption("data").value_or(QDir::currentPath())).absolutePath();
        ctx.dataReady = DataFolder::ensureRecordingFolders(ctx.dataRoot);
        const QString name = ctx.takeWord("command");
        const auto it = commands().find(name);
        if (it == commands().end())
            throw UsageError("unknown command: " + name.toStdString());
        return it->second(ctx);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vantora-cli: %s\n\n", e.what());
        printUsage(stderr);
        return 2;
    } catch (const CommandFailure& f) {
        const QString text = f.message.text();
        printError(text.isEmpty() ? QStringLiteral("error %1").arg(f.message.id) : text);
        return 1;
    }
}
