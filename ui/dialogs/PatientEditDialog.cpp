#include "ui/dialogs/PatientEditDialog.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/widgets/Accessible.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QTextCursor>
#include <QVBoxLayout>

namespace vantora {

namespace {
// Each text field takes what its record field holds, so an edit keeps every
// stored character and nothing is cut on save.
constexpr int kNameLength = PatientRecord::capacity(PatientRecord::kName);
constexpr int kTelephoneLength = PatientRecord::capacity(PatientRecord::kTelephone);
constexpr int kAddressLength = PatientRecord::capacity(PatientRecord::kAddress);
constexpr int kHistoryLength = PatientRecord::capacity(PatientRecord::kHistory);
constexpr int kRemarksLength = PatientRecord::capacity(PatientRecord::kRemarks);
// Height and weight are short numbers.
constexpr int kHeightLength = 3;
constexpr int kWeightLength = 5;
constexpr int kWeightPlaces = 3; // the stored form keeps three ("%.3f")
constexpr double kWeightTop = 99999.0;

static_assert(kMaxPatientIdLength == PatientRecord::capacity(PatientRecord::kId));
static_assert(kHeightLength <= PatientRecord::capacity(PatientRecord::kHeight));
static_assert(kWeightLength <= PatientRecord::capacity(PatientRecord::kWeight));

// The locale's notation without group separators, so "1.5" is no number in
// German, where "." groups thousands.
QValidator* weightValidator(QObject* parent) {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    auto* validator = new QDoubleValidator(0.0, kWeightTop, kWeightPlaces, parent);
    validator->setNotation(QDoubleValidator::StandardNotation);
    validator->setLocale(locale);
    return validator;
}

// A stored text longer than the typed limit (written by another tool) is
// shown whole rather than cut.
void showStored(QLineEdit* edit, const QString& text) {
    edit->setMaxLength(std::max(edit->maxLength(), int(text.size())));
    edit->setText(text);
}

QWidget* withUnit(QWidget* field, int unitText) {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(field);
    row->addWidget(new QLabel(Langpack::text(unitText)));
    row->addStretch(1);
    return box;
}
} // namespace

PatientEditDialog::PatientEditDialog(Mode mode, MessageBoxPrompter& prompter, QWidget* parent)
    : QDialog(parent), mode_(mode), prompter_(prompter) {
    setWindowTitle(
        Langpack::text(mode == Mode::Add ? ids::kAddPatientTitle : ids::kEditPatientTitle));
    id_ = lineEdit(kMaxPatientIdLength);
    id_->setReadOnly(mode == Mode::Edit);
    name_ = lineEdit(kNameLength);
    sex_ = new QComboBox;
    sex_->addItems({sexText(0), sexText(1)});
    date_ = new QDateEdit(QDate::currentDate());
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    height_ = lineEdit(kHeightLength);
    height_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), height_));
    height_->setMaximumWidth(80);
    weight_ = lineEdit(kWeightLength);
    weight_->setValidator(weightValidator(weight_));
    weight_->setMaximumWidth(80);
    telephone_ = lineEdit(kTelephoneLength);
    address_ = lineEdit(kAddressLength);
    history_ = lineEdit(kHistoryLength);
    remarks_ = new QPlainTextEdit;
    remarks_->setFixedHeight(72);
    remarks_->setTabChangesFocus(true);
    connect(remarks_, &QPlainTextEdit::textChanged, this, &PatientEditDialog::limitRemarks);

    auto* form = new QFormLayout;
    form->addRow(Langpack::text(ids::kPatientId), id_);
    form->addRow(Langpack::text(ids::kName), name_);
    form->addRow(Langpack::text(ids::kSex), sex_);
    form->addRow(Langpack::text(ids::kDateOfBirth), date_);
    form->addRow(Langpack::text(ids::kHeight), withUnit(height_, ids::kUnitCm));
    form->addRow(Langpack::text(ids::kWeight), withUnit(weight_, ids::kUnitKg));
    form->addRow(Langpack::text(ids::kTelephone), telephone_);
    form->addRow(Langpack::text(ids::kAddress), address_);
    form->addRow(Langpack::text(ids::kPatientHistory), history_);
    form->addRow(Langpack::text(ids::kRemarks), remarks_);
    // The form's labels name the other fields; these two sit in a box with their unit.
    accessible::labelField(qobject_cast<QLabel*>(form->labelForField(height_->parentWidget())),
                           height_, Langpack::text(ids::kUnitCm));
    accessible::labelField(qobject_cast<QLabel*>(form->labelForField(weight_->parentWidget())),
                           weight_, Langpack::text(ids::kUnitKg));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &PatientEditDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(460);
    // The first field the user can change: the id is fixed once given.
    (mode == Mode::Add ? id_ : name_)->setFocus();
}

QLineEdit* PatientEditDialog::lineEdit(int maxLength) {
    auto* edit = new QLineEdit;
    edit->setMaxLength(maxLength);
    return edit;
}

// A plain-text field has no length limit of its own: what was just typed or
// pasted beyond the limit is taken back at the cursor.
void PatientEditDialog::limitRemarks() {
    const qsizetype excess = remarks_->toPlainText().size() - kRemarksLength;
    if (excess <= 0)
        return;
    QTextCursor cursor = remarks_->textCursor();
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, int(excess));
    cursor.removeSelectedText();
    remarks_->setTextCursor(cursor);
}

void PatientEditDialog::setRecord(const PatientRecord& r) {
    id_->setText(r.id);
    name_->setText(r.name);
    sex_->setCurrentIndex(std::max(0, sexChoiceOf(r.sex)));
    if (const QDate d = parsePatientDate(r.date); d.isValid())
        date_->setDate(d);
    showStored(height_, r.height);
    showStored(weight_, weightToLocale(r.weight, QLocale()));
    telephone_->setText(r.telephone);
    address_->setText(r.address);
    history_->setText(r.history);
    remarks_->setPlainText(r.remarks);
}

PatientFields PatientEditDialog::fields() const {
    PatientFields f;
    f.id = id_->text();
    f.name = name_->text();
    f.sexChoice = sex_->currentIndex();
    f.date = formatPatientDate(date_->date());
    f.height = height_->text();
    f.weight = weightFromLocale(weight_->text(), QLocale());
    f.telephone = telephone_->text();
    f.address = address_->text();
    f.history = history_->text();
    f.remarks = remarks_->toPlainText();
    return f;
}

void PatientEditDialog::accept() {
    if (id_->text().isEmpty()) {
        prompter_.show({ids::kEmptyPatientId, {}});
        id_->setFocus();
        return;
    }
    if (name_->text().isEmpty()) {
        prompter_.show({ids::kEmptyName, {}});
        name_->setFocus();
        return;
    }
    if (commit_) {
        if (const Message refused = commit_(fields()); !refused.isNone()) {
            prompter_.show(refused);
            (mode_ == Mode::Add ? id_ : name_)->setFocus();
            return;
        }
    }
    QDialog::accept();
}

} // namespace vantora
