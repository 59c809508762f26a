#include "ui/dialogs/InfoDialog.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/widgets/Accessible.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace vantora {

namespace {} // namespace

InfoDialog::InfoDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Langpack::text(ids::kAboutTitle));
    auto* outer = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(QIcon(Langpack::resourcePath(QStringLiteral("icons/138.svg"))).pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    accessible::name(icon, ids::kAppTitle);
    outer->addWidget(icon);
    auto* texts = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        const int id = kControls[i];
        auto* label = new QLabel(Langpack::text(ids::kAboutVersion + i));
        label->setObjectName(QString::number(id));
        label->setWordWrap(true);
        label->setAutoFillBackground(true);
        label->setMargin(6);
        label->setStyleSheet(QStringLiteral("background: #B4C8FF; color: #14285A;"));
        texts->addWidget(label);
    }
    outer->addLayout(texts, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(outer);
    layout->addWidget(buttons);
    setFixedWidth(420);
}

} // namespace vantora
