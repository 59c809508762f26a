#pragma once

#include "records/RecordDialogs.h"

#include <QFileDialog>

namespace vantora {

// The program's file dialog: Qt's own (not the desktop's, which cannot report
// a change of file type), set up from a FileRequest. Choosing another file
// type rewrites the typed name's extension (nameForFilter).
class ExportFileDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit ExportFileDialog(const FileRequest& request, QWidget* parent = nullptr);

    // The name in the file-name box.
    QString typedName() const;
    // What the dialog does when the user picks another file type.
    void onFilterSelected(const QString& filter);

    // Shows the dialog; the chosen path, or nothing when cancelled.
    static std::optional<QString> choose(const FileRequest& request, QWidget* parent);

private:
    void setTypedName(const QString& name);
};

} // namespace vantora
