#include "ui/dialogs/PatientEditDialog.h"

#include "ui/frame/MessageBoxPrompter.h"
#include "core/Langpack.h"
#include "records/PatientDialogTexts.h"

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
constexpr int kText1Length = PatientRecord::capacity(PatientRecord::kText1);
constexpr int kText2Length = PatientRecord::capacity(PatientRecord::kText2);
constexpr int kText3Length = PatientRecord::capacity(PatientRecord::kText3);
constexpr int kText4Length = PatientRecord::capacity(PatientRecord::kText4);
// The number and decimal fields hold a height and a weight: short numbers.
constexpr int kNumberLength = 3;
constexpr int kDecimalLength = 5;
constexpr int kDecimalPlaces = 3; // the stored form keeps three ("%.3f")
constexpr double kDecimalTop = 99999.0;

static_assert(kMaxPatientIdLength == PatientRecord::capacity(PatientRecord::kId));
static_assert(kNumberLength <= PatientRecord::capacity(PatientRecord::kNumber));
static_assert(kDecimalLength <= PatientRecord::capacity(PatientRecord::kDecimal));

// The locale's notation without group separators, so "1.5" is no number in
// German, where "." groups thousands.
QValidator* decimalValidator(QObject* parent) {
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    auto* validator = new QDoubleValidator(0.0, kDecimalTop, kDecimalPlaces, parent);
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
    setWindowTitle(Langpack::text(mode == Mode::Add ? texts::kAddCaption : texts::kEditCaption));
    id_ = lineEdit(kMaxPatientIdLength);
    id_->setReadOnly(mode == Mode::Edit);
    name_ = lineEdit(kNameLength);
    sex_ = new QComboBox;
    sex_->addItems({sexText(0), sexText(1)});
    date_ = new QDateEdit(QDate::currentDate());
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    number_ = lineEdit(kNumberLength);
    number_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), number_));
    number_->setMaximumWidth(80);
    decimal_ = lineEdit(kDecimalLength);
    decimal_->setValidator(decimalValidator(decimal_));
    decimal_->setMaximumWidth(80);
    text1_ = lineEdit(kText1Length);
    text2_ = lineEdit(kText2Length);
    text3_ = lineEdit(kText3Length);
    text4_ = new QPlainTextEdit;
    text4_->setFixedHeight(72);
    connect(text4_, &QPlainTextEdit::textChanged, this, &PatientEditDialog::limitText4);

    auto* form = new QFormLayout;
    form->addRow(Langpack::text(texts::kIdLabel), id_);
    form->addRow(Langpack::text(texts::kNameLabel), name_);
    form->addRow(Langpack::text(texts::kSexLabel), sex_);
    form->addRow(Langpack::text(texts::kDateLabel), date_);
    form->addRow(Langpack::text(texts::kNumberLabel), withUnit(number_, texts::kNumberUnit));
    form->addRow(Langpack::text(texts::kDecimalLabel), withUnit(decimal_, texts::kDecimalUnit));
    form->addRow(Langpack::text(texts::kText1Label), text1_);
    form->addRow(Langpack::text(texts::kText2Label), text2_);
    form->addRow(Langpack::text(texts::kText3Label), text3_);
    form->addRow(Langpack::text(texts::kText4Label), text4_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &PatientEditDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(460);
}

QLineEdit* PatientEditDialog::lineEdit(int maxLength) {
    auto* edit = new QLineEdit;
    edit->setMaxLength(maxLength);
    return edit;
}

// A plain-text field has no length limit of its own: what was just typed or
// pasted beyond the limit is taken back at the cursor.
void PatientEditDialog::limitText4() {
    const qsizetype excess = text4_->toPlainText().size() - kText4Length;
    if (excess <= 0)
        return;
    QTextCursor cursor = text4_->textCursor();
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, int(excess));
    cursor.removeSelectedText();
    text4_->setTextCursor(cursor);
}

void PatientEditDialog::setRecord(const PatientRecord& r) {
    id_->setText(r.id);
    name_->setText(r.name);
    sex_->setCurrentIndex(std::max(0, sexChoiceOf(r.sex)));
    if (const QDate d = parsePatientDate(r.date); d.isValid())
        date_->setDate(d);
    showStored(number_, r.number);
    showStored(decimal_, decimalToLocale(r.decimal, QLocale()));
    text1_->setText(r.text1);
    text2_->setText(r.text2);
    text3_->setText(r.text3);
    text4_->setPlainText(r.text4);
}

PatientFields PatientEditDialog::fields() const {
    PatientFields f;
    f.id = id_->text();
    f.name = name_->text();
    f.sexChoice = sex_->currentIndex();
    f.date = formatPatientDate(date_->date());
    f.number = number_->text();
    f.decimal = decimalFromLocale(decimal_->text(), QLocale());
    f.text1 = text1_->text();
    f.text2 = text2_->text();
    f.text3 = text3_->text();
    f.text4 = text4_->toPlainText();
    return f;
}

void PatientEditDialog::accept() {
    if (id_->text().isEmpty()) {
        prompter_.show({texts::kEmptyId, {}});
        id_->setFocus();
        return;
    }
    if (name_->text().isEmpty()) {
        prompter_.show({texts::kEmptyName, {}});
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
