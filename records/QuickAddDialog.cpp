#include "records/QuickAddDialog.h"

#include "app/Langpack.h"
#include "app/MessageBoxPrompter.h"
#include "records/PatientDialogTexts.h"
#include "records/PatientRegistry.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vantora {

namespace {
constexpr int kNamePartLength = 20;
}

QuickAddDialog::QuickAddDialog(const PatientRegistry& registry, QStringList knownIds,
                               MessageBoxPrompter& prompter, QWidget* parent)
    : QDialog(parent), registry_(registry), knownIds_(std::move(knownIds)), prompter_(prompter) {
    setWindowTitle(Langpack::text(texts::kQuickAddCaption));
    id_ = new QLineEdit;
    id_->setMaxLength(kMaxPatientIdLength);
    first_ = new QLineEdit;
    first_->setMaxLength(kNamePartLength);
    second_ = new QLineEdit;
    second_->setMaxLength(kNamePartLength);
    auto* form = new QFormLayout;
    form->addRow(Langpack::text(texts::kIdLabel), id_);
    form->addRow(Langpack::text(texts::kFirstNameLabel), first_);
    form->addRow(Langpack::text(texts::kSecondNameLabel), second_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QuickAddDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(340);
}

void QuickAddDialog::accept() {
    const std::pair<QLineEdit*, int> required[] = {
        {id_, texts::kEmptyId}, {first_, texts::kEmptyName}, {second_, texts::kEmptySecondName}};
    for (const auto& [edit, message] : required) {
        if (edit->text().trimmed().isEmpty()) {
            prompter_.show({message, {}});
            edit->setFocus();
            return;
        }
    }
    const PatientAddResult result =
        registry_.quickAdd(id_->text(), first_->text(), second_->text(), knownIds_);
    if (!result.message.isNone())
        prompter_.show(result.message);
    if (!result.added()) {
        id_->setFocus();
        return;
    }
    added_ = result.position;
    QDialog::accept();
}

} // namespace vantora
