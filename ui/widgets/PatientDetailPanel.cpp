#include "ui/widgets/PatientDetailPanel.h"

#include "core/Langpack.h"
#include "records/PatientDialogTexts.h"

#include <QFormLayout>
#include <QLabel>

namespace vantora {

namespace {
const QString kFieldStyle = QStringLiteral("QLabel { background: white; border: 1px solid #9AAAD2; "
                                           "border-radius: 2px; padding: 2px 4px; }");
constexpr int kNameLines = 2;
} // namespace

PatientDetailPanel::PatientDetailPanel(QWidget* parent) : QWidget(parent) {
    id_ = field();
    name_ = field(kNameLines * fontMetrics().height() + 8);
    sex_ = field();
    date_ = field();
    number_ = field();
    decimal_ = field();
    text1_ = field();
    text2_ = field();
    text3_ = field();
    text4_ = field(4 * fontMetrics().height() + 8);
    text4_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text4_->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(Langpack::text(texts::kIdLabel), id_);
    form->addRow(Langpack::text(texts::kNameLabel), name_);
    form->addRow(Langpack::text(texts::kSexLabel), sex_);
    form->addRow(Langpack::text(texts::kDateLabel), date_);
    form->addRow(Langpack::text(texts::kNumberLabel), number_);
    form->addRow(Langpack::text(texts::kDecimalLabel), decimal_);
    form->addRow(Langpack::text(texts::kText1Label), text1_);
    form->addRow(Langpack::text(texts::kText2Label), text2_);
    form->addRow(Langpack::text(texts::kText3Label), text3_);
    form->addRow(Langpack::text(texts::kText4Label), text4_);
}

QLabel* PatientDetailPanel::field(int minimumHeight) {
    auto* label = new QLabel;
    label->setStyleSheet(kFieldStyle);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(160);
    if (minimumHeight > 0)
        label->setMinimumHeight(minimumHeight);
    return label;
}

QString PatientDetailPanel::splitName(const QString& name, int textWidth, int fieldWidth,
                                      const QLocale& locale) {
    if (textWidth < fieldWidth)
        return name;
    const bool simplifiedChinese =
        locale.language() == QLocale::Chinese && locale.territory() == QLocale::China;
    const bool wide = std::any_of(name.begin(), name.end(), [](QChar c) { return c > u'\u00A0'; });
    if (simplifiedChinese && wide)
        return name;
    QString out = name;
    out.insert((name.size() + 1) / 2, u'\n');
    return out;
}

void PatientDetailPanel::showRecord(const PatientRecord& r) {
    id_->setText(r.id);
    fullName_ = r.name;
    showName();
    sex_->setText(r.sex);
    date_->setText(r.date);
    number_->setText(r.number.isEmpty() ? QString()
                                        : r.number + u' ' + Langpack::text(texts::kNumberUnit));
    // An empty decimal field is stored as "0"; it shows blank like an empty number.
    const QString decimal = decimalToLocale(r.decimal, QLocale());
    decimal_->setText(decimal.isEmpty() ? QString()
                                        : decimal + u' ' + Langpack::text(texts::kDecimalUnit));
    text1_->setText(r.text1);
    text2_->setText(r.text2);
    text3_->setText(r.text3);
    text4_->setText(r.text4);
}

// The split depends on the field's width, so it is redone when the panel is laid out.
void PatientDetailPanel::showName() {
    const int available = name_->contentsRect().width() - 8; // padding of the field
    name_->setText(splitName(fullName_, name_->fontMetrics().horizontalAdvance(fullName_),
                             available, QLocale::system()));
}

void PatientDetailPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showName();
}

void PatientDetailPanel::clear() {
    fullName_.clear();
    for (QLabel* l : {id_, name_, sex_, date_, number_, decimal_, text1_, text2_, text3_, text4_})
        l->clear();
}

QString PatientDetailPanel::nameShown() const {
    return name_->text();
}
QString PatientDetailPanel::idShown() const {
    return id_->text();
}

} // namespace vantora
