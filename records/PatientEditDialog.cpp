#include "records/PatientEditDialog.h"

#include "app/Langpack.h"
#include "app/MessageBoxPrompter.h"
#include "records/PatientDialogTexts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace vantora {

namespace {
// Typed lengths of the fields, in characters.
constexpr int kNameLength = 20;
constexpr int kNumberLength = 3;
constexpr int kDecimalLength = 5;
constexpr int kText1Length = 20;
constexpr int kText2Length = 60;
constexpr int kText3Length = 60;
constexpr int kText4Length = 280;

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
    : QDialog(parent), prompter_(prompter) {
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
    decimal_->setMaximumWidth(80);
    text1_ = lineEdit(kText1Length);
    text2_ = lineEdit(kText2Length);
    text3_ = lineEdit(kText3Length);
    text4_ = new QPlainTextEdit;
    text4_->setFixedHeight(72);
    connect(text4_, &QPlainTextEdit::textChanged, this, [this] {
        if (text4_->toPlainText().size() > kText4Length)
            text4_->setPlainText(text4_->toPlainText().left(kText4Length));
    });

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

void PatientEditDialog::setRecord(const PatientRecord& r) {
    id_->setText(r.id);
    name_->setText(r.name);
    sex_->setCurrentIndex(std::max(0, sexChoiceOf(r.sex)));
    if (const QDate d = parsePatientDate(r.date); d.isValid())
        date_->setDate(d);
    number_->setText(r.number);
    decimal_->setText(decimalForEdit(r.decimal));
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
    f.decimal = decimal_->text();
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
    QDialog::accept();
}

} // namespace vantora
