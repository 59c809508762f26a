#include "ShellTestSupport.h"

#include "app/AppState.h"
#include "app/DataPaths.h"
#include "records/PatientDetailPanel.h"
#include "records/PatientEditDialog.h"
#include "records/PatientManagerDialog.h"
#include "records/PatientPickerDialog.h"
#include "records/PatientRegistry.h"
#include "records/QuickAddDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace vantora::test {
namespace {

class PatientDialogsTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        state_.dataRoot = root_.path();
        state_.homeShown = true;
    }
    PatientRegistry registry() const { return PatientRegistry(root_.path()); }
    QVector<PatientRecord> stored() const { return registry().loadAll().records; }
    int32_t storedCount() const { return registry().count().value; }

    // Accepts the add dialog with the given id and name.
    static PatientManagerDialog::DialogHook fill(const QString& id, const QString& name) {
        return [id, name](PatientEditDialog& d) {
            if (!d.idEdit()->isReadOnly())
                d.idEdit()->setText(id);
            d.nameEdit()->setText(name);
            d.accept();
            return d.result() == QDialog::Accepted;
        };
    }
    static void selectRow(QTreeWidget* list, int row) {
        list->setCurrentItem(list->topLevelItem(row));
    }

    AppState state_;
    MessageBoxPrompter prompter_;
};

TEST_F(PatientDialogsTest, EditDialogRefusesEmptyIdAndName) {
    PatientEditDialog dialog(PatientEditDialog::Mode::Add, prompter_);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    dialog.idEdit()->setText(QStringLiteral("12"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(log_.texts, (QStringList{text(61314), text(61315)}));
    dialog.nameEdit()->setText(QStringLiteral("Ada Lind"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.idEdit()->maxLength(), 15);
}

TEST_F(PatientDialogsTest, ManagerAddWritesTheRegistryAndSelectsTheRow) {
    PatientManagerDialog manager(state_, prompter_);
    EXPECT_EQ(manager.list()->topLevelItemCount(), 0);
    manager.setDialogHook(fill(QStringLiteral("007"), QStringLiteral("Ada Lind")));
    manager.onAdd();
    ASSERT_EQ(storedCount(), 1);
    EXPECT_EQ(QFileInfo(paths::registry(root_.path())).size(), 4 + PatientRecord::kSize);
    EXPECT_EQ(stored()[0].id, QStringLiteral("007"));
    EXPECT_EQ(stored()[0].revision, PatientRecord::kRevisionAdded);
    ASSERT_EQ(manager.list()->topLevelItemCount(), 1);
    EXPECT_EQ(manager.list()->topLevelItem(0)->text(1), QStringLiteral("007"));
    EXPECT_TRUE(manager.list()->topLevelItem(0)->isSelected());
    EXPECT_EQ(state_.currentPatient, 1);
    EXPECT_EQ(manager.detail()->idShown(), QStringLiteral("007"));

    // Same integer value: refused by the manager, nothing written.
    manager.setDialogHook(fill(QStringLiteral("7"), QStringLiteral("Bo Kern")));
    manager.onAdd();
    EXPECT_EQ(storedCount(), 1);
    EXPECT_EQ(log_.texts.last(), text(61901));
}

TEST_F(PatientDialogsTest, ManagerRowsCarryTheSexIcon) {
    PatientFields female;
    female.id = QStringLiteral("1");
    female.name = QStringLiteral("Eva");
    female.sexChoice = 1;
    PatientIdMap ids;
    ASSERT_TRUE(registry().add(female, ids, true).added());
    PatientManagerDialog manager(state_, prompter_);
    manager.setDialogHook(fill(QStringLiteral("2"), QStringLiteral("Tom")));
    manager.onAdd();
    ASSERT_EQ(manager.list()->topLevelItemCount(), 2);
    const QImage f = manager.list()->topLevelItem(0)->icon(0).pixmap(16).toImage();
    const QImage m = manager.list()->topLevelItem(1)->icon(0).pixmap(16).toImage();
    EXPECT_FALSE(f.isNull());
    EXPECT_NE(f, m);
}

TEST_F(PatientDialogsTest, ManagerEditRewritesTheSelectedRecord) {
    PatientManagerDialog manager(state_, prompter_);
    manager.onEdit();
    EXPECT_EQ(log_.texts, QStringList{text(61319)});
    manager.setDialogHook(fill(QStringLiteral("31"), QStringLiteral("Old Name")));
    manager.onAdd();
    selectRow(manager.list(), 0);
    QString idShownInEdit;
    manager.setDialogHook([&](PatientEditDialog& d) {
        idShownInEdit = d.idEdit()->text();
        EXPECT_TRUE(d.idEdit()->isReadOnly());
        d.nameEdit()->setText(QStringLiteral("New Name"));
        d.sexBox()->setCurrentIndex(1);
        d.decimalEdit()->setText(QStringLiteral("12.500"));
        d.accept();
        return true;
    });
    manager.onEdit();
    EXPECT_EQ(idShownInEdit, QStringLiteral("31"));
    ASSERT_EQ(storedCount(), 1);
    const PatientRecord r = stored()[0];
    EXPECT_EQ(r.id, QStringLiteral("31"));
    EXPECT_EQ(r.name, QStringLiteral("New Name"));
    EXPECT_EQ(r.sex, text(61272));
    EXPECT_EQ(r.decimal, QStringLiteral("12.5"));
    EXPECT_EQ(r.revision, PatientRecord::kRevisionEdited);
    EXPECT_EQ(manager.list()->topLevelItem(0)->text(2), QStringLiteral("New Name"));
    EXPECT_TRUE(manager.list()->topLevelItem(0)->isSelected());
}

TEST_F(PatientDialogsTest, ManagerDeleteAsksAndRemoves) {
    PatientManagerDialog manager(state_, prompter_);
    manager.onDelete();
    EXPECT_EQ(log_.texts, QStringList{text(61319)});
    for (const char* id : {"1a", "2b", "3c"}) {
        manager.setDialogHook(fill(QString::fromLatin1(id), QStringLiteral("Name")));
        manager.onAdd();
    }
    const QString con = paths::continueData(root_.path(), QStringLiteral("1a"));
    writeAll(con, "x");
    selectRow(manager.list(), 0);

    log_.setAnswer(false);
    manager.onDelete();
    EXPECT_EQ(log_.questions, QStringList{text(61321, QStringLiteral("1a"))});
    EXPECT_EQ(storedCount(), 3);

    log_.setAnswer(true);
    manager.onDelete();
    ASSERT_EQ(storedCount(), 2);
    EXPECT_EQ(stored()[0].id, QStringLiteral("2b"));
    EXPECT_FALSE(QFile::exists(con));
    EXPECT_EQ(manager.list()->topLevelItemCount(), 2);
    EXPECT_EQ(manager.list()->topLevelItem(0)->text(0), QStringLiteral("1"));
    EXPECT_TRUE(manager.list()->selectedItems().isEmpty());
    EXPECT_EQ(state_.currentPatient, 0);
}

TEST_F(PatientDialogsTest, PickerOkNeedsARow) {
    PatientPickerDialog picker(root_.path(), prompter_);
    picker.accept();
    EXPECT_EQ(log_.texts, QStringList{text(61257)});
    EXPECT_EQ(picker.result(), QDialog::Rejected);
    EXPECT_FALSE(picker.picked().has_value());
    EXPECT_EQ(picker.list()->columnCount(), 9);
}

TEST_F(PatientDialogsTest, QuickAddValidatesItsFields) {
    QuickAddDialog dialog(registry(), {QStringLiteral("ABC")}, prompter_);
    dialog.accept();
    dialog.idEdit()->setText(QStringLiteral("abc"));
    dialog.accept();
    dialog.firstEdit()->setText(QStringLiteral(" Ann "));
    dialog.accept();
    dialog.secondEdit()->setText(QStringLiteral(" Holt "));
    dialog.accept(); // same id ignoring case
    EXPECT_EQ(log_.texts, (QStringList{text(61314), text(61315), text(61316), text(61317)}));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(storedCount(), 0);
}

TEST_F(PatientDialogsTest, PickerSelectsTheQuickAddedPatient) {
    PatientIdMap ids;
    for (const char* id : {"11", "12"}) {
        PatientFields f;
        f.id = QString::fromLatin1(id);
        f.name = QStringLiteral("Someone");
        ASSERT_TRUE(registry().add(f, ids, true).added());
    }
    PatientPickerDialog picker(root_.path(), prompter_);
    picker.setQuickAddHook([](QuickAddDialog& d) {
        d.idEdit()->setText(QStringLiteral("013"));
        d.firstEdit()->setText(QStringLiteral("Ann"));
        d.secondEdit()->setText(QStringLiteral("Holt"));
        d.accept();
        return d.result() == QDialog::Accepted;
    });
    picker.onNewPatient();
    ASSERT_EQ(picker.list()->topLevelItemCount(), 3);
    QTreeWidgetItem* last = picker.list()->topLevelItem(2);
    EXPECT_TRUE(last->isSelected());
    EXPECT_EQ(last->text(1), QStringLiteral("013"));
    EXPECT_EQ(last->text(2), QStringLiteral("Ann Holt"));
    EXPECT_TRUE(QFile::exists(paths::snapData(root_.path(), QStringLiteral("013"))));
    picker.accept();
    ASSERT_TRUE(picker.picked().has_value());
    EXPECT_EQ(picker.picked()->position, 2);
    EXPECT_EQ(picker.picked()->id, QStringLiteral("013"));
    EXPECT_EQ(picker.picked()->name, QStringLiteral("Ann Holt"));
}

TEST_F(PatientDialogsTest, CancelledQuickAddLeavesThePicker) {
    PatientPickerDialog picker(root_.path(), prompter_);
    picker.setQuickAddHook([](QuickAddDialog&) { return false; });
    picker.onNewPatient();
    EXPECT_EQ(picker.list()->topLevelItemCount(), 0);
    EXPECT_EQ(storedCount(), 0);
}

TEST_F(PatientDialogsTest, DamagedRecordEndsTheListsWithTheMessage) {
    PatientRecord good;
    good.id = QStringLiteral("5");
    good.name = QStringLiteral("Kept");
    QByteArray damaged = good.encode();
    damaged.replace(0, 32, ByteWriter().text(QStringLiteral("ABCDEFGHIJKLMNOP"), 32).bytes());
    writeAll(paths::registry(root_.path()),
             ByteWriter().i32(3).raw(good.encode()).raw(damaged).raw(good.encode()).bytes());
    const QString expected = text(61218, QStringLiteral("UserDA.txt"));

    PatientManagerDialog manager(state_, prompter_);
    EXPECT_EQ(manager.list()->topLevelItemCount(), 1);
    PatientPickerDialog picker(root_.path(), prompter_);
    EXPECT_EQ(picker.list()->topLevelItemCount(), 1);
    EXPECT_EQ(log_.texts, (QStringList{expected, expected}));
}

TEST(PatientDetailPanelTest, WideNamesAreSplitInTheMiddle) {
    const QLocale en(QLocale::English, QLocale::UnitedKingdom);
    EXPECT_EQ(PatientDetailPanel::splitName(QStringLiteral("Anna"), 30, 100, en), "Anna");
    EXPECT_EQ(PatientDetailPanel::splitName(QStringLiteral("Annabel"), 100, 100, en), "Anna\nbel");
    EXPECT_EQ(PatientDetailPanel::splitName(QStringLiteral("Annabel"), 120, 100, en), "Anna\nbel");
    EXPECT_EQ(PatientDetailPanel::splitName(QStringLiteral("Anna Berg"), 150, 100, en),
              "Anna \nBerg");
    const QLocale zh(QLocale::Chinese, QLocale::China);
    const QString chinese = QString::fromUtf8("\u738b\u5c0f\u660e");
    EXPECT_EQ(PatientDetailPanel::splitName(chinese, 150, 100, zh), chinese);
    EXPECT_EQ(PatientDetailPanel::splitName(QStringLiteral("Annabel"), 150, 100, zh), "Anna\nbel");
    EXPECT_EQ(PatientDetailPanel::splitName(chinese, 150, 100, en),
              QString::fromUtf8("\u738b\u5c0f\n\u660e"));
}

} // namespace
} // namespace vantora::test
