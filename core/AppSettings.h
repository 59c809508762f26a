#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

namespace vantora {

// Per-user settings of the station (organisation "Vantora"). Value names are
// kept from the original per-user store so the meaning of each stays obvious:
//   FullPath        string   data root of the last start without a file
//   FirstStart      int32    0 until the first start has been handled
//   Classes/.dat/Default, Classes/.dat/ShellNew/NullFile   the ".dat" association
//   Port            string   serial port override (our addition)
//   PreviewPages    int32    sheets side by side in the print preview, 1 or 2 (ours)
//   ReportPaper     string   paper of saved report PDFs, "A4" or "Letter" (ours)
//   RecentFile1..4  string   the recent-file list, newest first (RecentFiles)
//   WindowGeometry  string   main window's normal client rectangle "x,y,w,h" (ours)
//   WindowMaximized int32    1 when the main window was closed maximised (ours)
class AppSettings {
public:
    static constexpr const char* kFullPath = "FullPath";
    static constexpr const char* kFirstStart = "FirstStart";
    static constexpr const char* kDatDefault = "Classes/.dat/Default";
    static constexpr const char* kDatNullFile = "Classes/.dat/ShellNew/NullFile";
    static constexpr const char* kPort = "Port";
    static constexpr const char* kPreviewSheets = "PreviewPages";
    static constexpr const char* kReportPaper = "ReportPaper";
    static constexpr const char* kWindowGeometry = "WindowGeometry";
    static constexpr const char* kWindowMaximized = "WindowMaximized";

    // Uses the per-user store, or the ini file given by setStoreFile() or by the
    // VANTORA_SETTINGS environment variable (tests, scripts).
    AppSettings();
    ~AppSettings();

    static void setStoreFile(const QString& iniPath);

    std::optional<QString> string(const char* key) const;
    std::optional<int32_t> int32(const char* key) const;
    bool setString(const char* key, const QString& value);
    bool setInt32(const char* key, int32_t value);
    void remove(const char* key);
    // False when the store cannot be written (a read-only file, say).
    bool writable() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace vantora
