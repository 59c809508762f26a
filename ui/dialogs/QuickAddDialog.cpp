#include "ui/dialogs/QuickAddDialog.h"

#include "core/Langpack.h"
#include "records/PatientDialogTexts.h"
#include "records/PatientRegistry.h"
#include "ui/frame/MessageBoxPrompter.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QValidator>

namespace vantora {

namespace {
// The record's name is first part + " " + second part.
constexpr int kNameLength = PatientRecord::capacity(PatientRecord::kName);

// The two parts share the name field: a key that would make the whole name
// longer than it holds is refused while typing, so nothing is cut on save.
class NamePartValidator : public QValidator {
public:
    NamePartValidator(const QLineEdit* otherPart, QObject* parent)
        : QValidator(parent), other_(otherPart) {}
    State validate(QString& input, int&) const override {
        return input.size() + 1 + other_->text().size() <= kNameLength ? Acceptable : Invalid;
    }

private:
    const QLineEdit* other_;
};
} // namespace

QuickAddDialog::QuickAddDialog(const PatientRegistry& registry, QStringList knownIds,
                               MessageBoxPrompter& prompter, QWidget* parent)
    : QDialog(parent), registry_(registry), knownIds_(std::move(knownIds)), prompter_(prompter) {
    setWindowTitle(Langpack::text(texts::kQuickAddCaption));
    id_ = new QLineEdit;
    id_->setMaxLength(kMaxPatientIdLength);
    first_ = new QLineEdit;
    second_ = new QLineEdit;
    first_->setValidator(new NamePartValidator(second_, first_));
    second_->setValidator(new NamePartValidator(first_, second_));
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
    const Result<PatientAdded> result =
        registry_.quickAdd(id_->text(), first_->text(), second_->text(), knownIds_);
    if (!result.ok()) {
        prompter_.show(result.message());
        id_->setFocus();
        return;
    }
    if (!result.value().notice.isNone())
        prompter_.show(result.value().notice);
    added_ = result.value().position;
    QDialog::accept();
}

} // namespace vantora
