#include "ui/widgets/PatientDetailPanel.h"

#include "core/Langpack.h"
#include "core/StringIds.h"

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
    height_ = field();
    weight_ = field();
    telephone_ = field();
    address_ = field();
    history_ = field();
    remarks_ = field(4 * fontMetrics().height() + 8);
    remarks_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    remarks_->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(Langpack::text(ids::kPatientId), id_);
    form->addRow(Langpack::text(ids::kName), name_);
    form->addRow(Langpack::text(ids::kSex), sex_);
    form->addRow(Langpack::text(ids::kDateOfBirth), date_);
    form->addRow(Langpack::text(ids::kHeight), height_);
    form->addRow(Langpack::text(ids::kWeight), weight_);
    form->addRow(Langpack::text(ids::kTelephone), telephone_);
    form->addRow(Langpack::text(ids::kAddress), address_);
    form->addRow(Langpack::text(ids::kPatientHistory), history_);
    form->addRow(Langpack::text(ids::kRemarks), remarks_);
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
    height_->setText(r.height.isEmpty() ? QString()
                                        : r.height + u' ' + Langpack::text(ids::kUnitCm));
    // An empty weight is stored as "0"; it shows blank like an empty height.
    const QString weight = weightToLocale(r.weight, QLocale());
    weight_->setText(weight.isEmpty() ? QString() : weight + u' ' + Langpack::text(ids::kUnitKg));
    telephone_->setText(r.telephone);
    address_->setText(r.address);
    history_->setText(r.history);
    remarks_->setText(r.remarks);
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
    for (QLabel* l :
         {id_, name_, sex_, date_, height_, weight_, telephone_, address_, history_, remarks_})
        l->clear();
}

QString PatientDetailPanel::nameShown() const {
    return name_->text();
}
QString PatientDetailPanel::idShown() const {
    return id_->text();
}

} // namespace vantora
