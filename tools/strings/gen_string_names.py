#!/usr/bin/env python3
"""Names the station's resource numbers: writes core/StringIds.h from
resources/langpack/strings.tsv, one constant per text.

    tools/strings/gen_string_names.py            rewrite core/StringIds.h
    tools/strings/gen_string_names.py --check    exit 1 if it is out of date

Names follow the text, so a reader sees at the use site what is shown:
  kCmd...    a command (its text is "tooltip\\nlabel"; named after the label)
  kType...   a recording type name (61203 + kind)
  kEvent...  an event or finding name (61289 + bit)
  ...Title   the caption of a window, dialog or report
  ...Question a Yes/No question
Other texts are named by their words; NAMES below overrides a name that would
read badly, be too long or clash. The numbers stay what the recorder, the
resource library and stored files need.
"""

import argparse
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
TSV = ROOT / "resources/langpack/strings.tsv"
HEADER = ROOT / "core/StringIds.h"

# Prefixes of the blocks whose texts are names of one kind.
PREFIXES = [
    (61203, 61216, "Type"),
    (61289, 61303, "Event"),
    (61960, 61967, "Home"),
    (62100, 62110, "Records"),
    (62152, 62163, "Live"),
    (62203, 62206, "Replay"),
    (62207, 62209, "Caliper"),
    (62210, 62213, "Replay"),
    (62720, 62769, "A11y"),
    (62930, 62969, "Trend"),
]

# Names chosen by hand: sentences, clashes, and names that read badly.
NAMES = {
    128: "kDocTemplate",
    57344: "kAppTitle",
    57345: "kIdleStatus",
    58112: "kCmdPreviewClose",
    58113: "kCmdPreviewSheets",
    58114: "kCmdPreviewNext",
    58115: "kCmdPreviewPrevious",
    58116: "kCmdPreviewPrint",
    58117: "kCmdPreviewZoomIn",
    58118: "kCmdPreviewZoomOut",
    61203: "kTypeUnclassified",
    61211: "kTypeROnT",
    61215: "kTypeWideQrs",
    61216: "kTypeManual",
    61217: "kCannotOpen",
    61218: "kDamagedFile",
    61220: "kSnapReportTitle",
    61225: "kUnitCm",
    61227: "kUnitKg",
    61237: "kSingleLead",
    61238: "kSpeed",
    61240: "kSearchTextEmpty",
    61241: "kNoIdMatch",
    61242: "kNoNameMatch",
    61246: "kTextFace",
    61233: "kRecordingNumber",
    61248: "kNumberColumn",
    61252: "kImportTitle",
    61256: "kNotesFileFailed",
    61257: "kSelectItem",
    61258: "kDeleteRecordingQuestion",
    61261: "kNotSnapFile",
    61264: "kImportQuestion",
    61265: "kPatientListFull",
    61266: "kReplaceQuestion",
    61269: "kRealTimeTitle",
    61273: "kAlreadyRunning",
    61280: "kRateFace",
    61281: "kNoPatientId",
    61282: "kRecorderNotFound",
    61286: "kStoreFull",
    61307: "kContinuousReportTitle",
    61308: "kConfirmCaption",
    61309: "kSelectPatient",
    61310: "kDeleteAllQuestion",
    61313: "kNotContinuousFile",
    61314: "kEmptyPatientId",
    61315: "kEmptyName",
    61316: "kEmptyLastName",
    61317: "kPatientIdTaken",
    61318: "kPatientFilesFailed",
    61319: "kNoPatientChosen",
    61321: "kDeletePatientQuestion",
    61325: "kPatientIdTooLong",
    61328: "kNothingReceived",
    61329: "kSaveChosenQuestion",
    61330: "kLinkFailed",
    61331: "kRecorderEmpty",
    61337: "kListNumber",
    61340: "kCannotReadRecordings",
    61341: "kWriteFailed",
    61344: "kExportFailed",
    61345: "kNotChartName",
    61347: "kAnalysisTitle",
    61354: "kHeartRateResult",
    61840: "kNoMailProgram",
    61841: "kMailNoAttachments",
    61842: "kMailFailed",
    61900: "kInvalidPatientId",
    61901: "kPatientIdExists",
    61902: "kNoPatientAtPosition",
    61910: "kNoRecordingNumber",
    61911: "kNoRecordingsOfKind",
    61912: "kNoPatientWithId",
    61913: "kDemoFolderInUse",
    61950: "kAboutTitle",
    61951: "kAboutVersion",
    61952: "kAboutDescription",
    61953: "kAboutCopyright",
    61963: "kHomeExit",
    61967: "kHomeAnalysis",
    61968: "kBannerTitle",
    61969: "kBannerSubtitle",
    61974: "kNewPatientButton",
    61977: "kPatientManagerTitle",
    61978: "kChoosePatientTitle",
    61979: "kNewPatientTitle",
    61980: "kAddPatientTitle",
    61981: "kEditPatientTitle",
    61982: "kPatientDetailsTitle",
    61983: "kPatientHistory",
    61985: "kPatientCount",
    62010: "kNoteTitle",
    62013: "kPatientsAndRecordings",
    62020: "kStatusContinuousMode",
    62021: "kStatusSnapMode",
    62022: "kPageAlreadyShown",
    62023: "kNeedsRecording",
    62024: "kNeedsAnalysedRecording",
    62025: "kNeedsMode",
    62026: "kNeedsSnapMode",
    62027: "kIsCurrentMode",
    62028: "kNotInThisVersion",
    62029: "kLibraryNotLoaded",
    62030: "kRecordingGone",
    62060: "kCliExportQuestion",
    62061: "kCliRemoveOneQuestion",
    62062: "kCliRemoveAllQuestion",
    62063: "kCliExportTargetExists",
    62103: "kRecordsNote",
    62104: "kRecordsExport",
    62105: "kRecordsImport",
    62106: "kRecordsSelected",
    62107: "kRecordsAll",
    62109: "kRecordsList",
    62110: "kRecordsExportBox",
    62150: "kPortNotPermitted",
    62151: "kPortBusy",
    62156: "kLiveHome",
    62201: "kSaveToPatient",
    62250: "kPdfNotWritten",
    62251: "kNotAnalysed",
    62252: "kNoRecordingsToReport",
    62253: "kNoPrinterInfo",
    62254: "kNotRealPrinter",
    62255: "kSavePdfTitle",
    62300: "kPictureNotSaved",
    62301: "kNoPictureWriter",
    62302: "kSavePictureTitle",
    62303: "kEdfNotWritten",
    62304: "kExportForOtherTools",
    62305: "kSelectForExport",
    62450: "kPageNumber",
    62451: "kPageNumbers",
    62501: "kPaperA4",
    62502: "kPaperLetter",
    62503: "kReplayAllRecordings",
    62600: "kDataFolderBusy",
    62601: "kFolderReadOnly",
    62620: "kFileNotWritten",
    62621: "kChartNotWritten",
    62622: "kSeveralFiles",
    62650: "kNotStored",
    62651: "kSaveNewQuestion",
    62652: "kNewRecordingsFor",
    62653: "kAllAlreadyStored",
    62654: "kStoredMark",
    62680: "kNoteKeyShared",
    62681: "kExportQuestion",
    62682: "kExported",
    62683: "kMovedRecordings",
    62723: "kA11yTraceEmpty",
    62724: "kA11yTrace",
    62725: "kA11yTraceWithRate",
    62731: "kA11yHeartbeatMeaning",
    62791: "kDetailStripGestures",
    62792: "kNoRecentFiles",
    62876: "kStationAeTitle",
    62882: "kObjectsWaiting",
    62883: "kEchoAnswered",
    62884: "kAskingPeer",
    62885: "kWorklistFieldTooLong",
    62886: "kWorklistFieldUnstorable",
    62887: "kWorklistDiffersQuestion",
    62888: "kWorklistDifference",
    62889: "kArchiveNotChosen",
    62890: "kWorklistNotChosen",
    62891: "kSentToArchive",
    62892: "kSendingToArchive",
    62896: "kNoWorklistSteps",
    62899: "kNoArchivedStudies",
    62900: "kRetrievedAsRecording",
    62901: "kChooseLineFirst",
    62902: "kArchivedStudiesTitle",
    62905: "kNothingSent",
    62906: "kPatientFromWorklist",
    62907: "kNotThisStationsStudy",
    62909: "kSendFailed",
    62810: "kDicomUnreadable",
    62811: "kDicomNotEcgWaveform",
    62812: "kDicomOtherRate",
    62813: "kDicomSeveralChannels",
    62814: "kDicomOtherLength",
    62815: "kDicomNotOurs",
    62816: "kDicomNotMade",
    62840: "kDicomUnknownHost",
    62841: "kDicomConnectionRefused",
    62842: "kDicomTimedOut",
    62843: "kDicomCalledAetRefused",
    62844: "kDicomCallingAetRefused",
    62845: "kDicomPeerBusy",
    62846: "kDicomAssociationRefused",
    62847: "kDicomKindRefused",
    62848: "kDicomConnectionFailed",
    62849: "kDicomStoreRefused",
    62850: "kDicomQueryFailed",
    62851: "kDicomRetrieveFailed",
    62852: "kNotADicomFile",
    62853: "kDicomEchoAnswered",
    62854: "kOutboxSentElsewhere",
    62855: "kOutboxStopped",
    62856: "kOutboxWaiting",
    62857: "kOutboxSent",
    62858: "kNoArchiveSet",
    62859: "kNoWorklistSet",
    62860: "kNoSuchStudy",
}

MAX_WORDS = 4
COLUMNS = 100  # the line length of .clang-format


def read_strings(path=TSV):
    """(number, text) pairs in file order; text keeps its \\n escapes."""
    out = []
    for line in path.read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        number, text = line.split("\t", 1)
        out.append((int(number), text))
    return out


def words_name(text):
    words = re.findall(r"[A-Za-z0-9]+", text)
    return "".join(w[:1].upper() + w[1:].lower() for w in words[:MAX_WORDS])


def derived_name(number, text):
    lines = text.split("\\n")
    if len(lines) > 1:  # a command: "tooltip\nlabel"
        return "kCmd" + words_name(lines[-1])
    prefix = next((p for lo, hi, p in PREFIXES if lo <= number <= hi), "")
    return "k" + prefix + words_name(text)


def names(strings):
    """number -> name, unique; a clash the table does not settle gets the number."""
    result, taken = {}, set()
    for number, text in strings:
        name = NAMES.get(number) or derived_name(number, text)
        if name in taken:
            name = f"{name}{number}"
        taken.add(name)
        result[number] = name
    return result


def comment(text, room):
    first = text.split("\\n")[0]
    if len(first) > room:
        first = first[: room - 3].rstrip() + "..."
    return first.rstrip("\\")  # a trailing backslash would continue the comment


def header_text(strings):
    named = names(strings)
    width = max(len(f"constexpr int {n} = {num};") for num, n in named.items())
    out = [
        "#pragma once",
        "",
        "// Generated from resources/langpack/strings.tsv by",
        "// tools/strings/gen_string_names.py: do not edit. After adding a text,",
        "// run that script and commit this file (the StringIdsUpToDate test",
        "// checks it). Names of the station's resource numbers: messages,",
        "// captions and command ids; the comment is the first line of the text.",
        "",
        "namespace vantora::ids {",
        "",
    ]
    for number, text in strings:
        decl = f"constexpr int {named[number]} = {number};"
        out.append(f"{decl:<{width}} // {comment(text, COLUMNS - width - 4)}")
    out += ["", "} // namespace vantora::ids", ""]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true", help="fail if core/StringIds.h is stale")
    args = parser.parse_args()
    wanted = header_text(read_strings())
    if args.check:
        if not HEADER.exists() or HEADER.read_text(encoding="utf-8") != wanted:
            print(f"{HEADER.relative_to(ROOT)} is out of date: run {sys.argv[0]}", file=sys.stderr)
            return 1
        return 0
    HEADER.write_text(wanted, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
