#pragma once

namespace vantora::storemsg {

// Resource numbers of the record store's messages.
constexpr int kCannotOpen = 61217;  // "$": path
constexpr int kDamaged = 61218;     // "$": path
constexpr int kPageCaption = 61245; // "%s %d/%d" prefix
constexpr int kNoteFileFailed = 61256;
constexpr int kSelectRecording = 61257;
constexpr int kNotSnapChart = 61261;   // a chart of the other kind in Snap mode
constexpr int kImportQuestion = 61264; // "$": patient id
constexpr int kRegistryFull = 61265;
constexpr int kReplaceQuestion = 61266; // "$": file name
constexpr int kStoreFull = 61286;       // "$": patient id
constexpr int kSelectPatient = 61309;
constexpr int kNotContinuousFile = 61313; // other-kind chart in Continuous mode, foreign card file
constexpr int kWriteFailed = 61341;
constexpr int kExportFailed = 61344;
constexpr int kNotChartName = 61345;

// Our own additions.
constexpr int kNoRecordingNumber = 61910; // "$": the 1-based number asked for
constexpr int kNoRecordings = 61911;      // "$": patient id
constexpr int kNoPatientWithId = 61912;   // "$": patient id
constexpr int kDemoFolderInUse = 61913;   // "$": data folder
constexpr int kNoteKeyShared = 62680;     // "$": the start time, to the second

} // namespace vantora::storemsg
