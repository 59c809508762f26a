#include "ui/dialogs/ExportFileDialog.h"

#include "ui/widgets/Accessible.h"

#include "ui/frame/ModalDialogs.h"
#include <QLabel>

#include <QLineEdit>

namespace vantora {

ExportFileDialog::ExportFileDialog(const FileRequest& request, QWidget* parent)
    : QFileDialog(parent, request.title, request.directory) {
    setOption(QFileDialog::DontUseNativeDialog);
    const bool save = request.kind == FileRequest::Kind::Save;
    setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    setOption(QFileDialog::DontConfirmOverwrite); // the export asks its own question
    setNameFilters(request.filters);
    setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty())
        selectFile(request.proposedName);
    connect(this, &QFileDialog::filterSelected, this, &ExportFileDialog::onFilterSelected);
    // The dialog's own labels sit beside these fields without naming them.
    const std::pair<const char*, const char*> labelled[] = {{"lookInLabel", "lookInCombo"},
                                                            {"fileNameLabel", "fileNameEdit"},
                                                            {"fileTypeLabel", "fileTypeCombo"}};
    for (const auto& [label, field] : labelled) {
        auto* l = findChild<QLabel*>(QLatin1String(label));
        auto* f = findChild<QWidget*>(QLatin1String(field));
        if (l && f)
            accessible::labelField(l, f);
    }
}

QString ExportFileDialog::typedName() const {
    const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    return edit ? edit->text() : QString();
}

void ExportFileDialog::setTypedName(const QString& name) {
    if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(name);
}

void ExportFileDialog::onFilterSelected(const QString& filter) {
    setTypedName(nameForFilter(typedName(), filter));
}

std::optional<QString> ExportFileDialog::choose(const FileRequest& request, QWidget* parent) {
    ExportFileDialog dialog(request, parent);
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

} // namespace vantora
