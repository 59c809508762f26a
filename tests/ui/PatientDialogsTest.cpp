#include "ItemViewRows.h"
#include "app/ShellTestSupport.h"

#include "core/AppState.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "records/PatientRegistry.h"
#include "ui/dialogs/PatientEditDialog.h"
#include "ui/dialogs/PatientManagerDialog.h"
#include "ui/dialogs/PatientPickerDialog.h"
#include "ui/dialogs/QuickAddDialog.h"
#include "ui/widgets/PatientDetailPanel.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace vantora::test {
namespace {

class PatientDialogsTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        state_.dataRoot = root_.path();
        state_.homeShown = true;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::system());
        ShellFixture::TearDown();
    }
    PatientRegistry registry() const { return PatientRegistry(root_.path()); }
    QVector<PatientRecord> stored() const { return registry().loadAll().records; }
    int32_t storedCount() const { return registry().count().value(); }

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
    // Presses OK as the user does; true when the dialog closed accepted.
    static bool clickOk(QDialog& d) {
        QTest::mouseClick(d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        return d.result() == QDialog::Accepted && !d.isVisible();
    }
    // n characters that differ from their neighbours, so a cut shows.
    static QString typed(int n, char16_t first = u'a') {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QChar(char16_t(first + i % 26));
        return s;
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
    EXPECT_EQ(log_.texts, (QStringList{text(ids::kEmptyPatientId), text(ids::kEmptyName)}));
    dialog.nameEdit()->setText(QStringLiteral("Ada Lind"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.idEdit()->maxLength(), 15);
}

TEST_F(PatientDialogsTest, ManagerAddWritesTheRegistryAndSelectsTheRow) {
    PatientManagerDialog manager(state_, prompter_);
    EXPECT_EQ(test::rowCount(manager.list()), 0);
    manager.setDialogHook(fill(QStringLiteral("007"), QStringLiteral("Ada Lind")));
    manager.onAdd();
    ASSERT_EQ(storedCount(), 1);
    EXPECT_EQ(QFileInfo(paths::registry(root_.path())).size(), 4 + PatientRecord::kSize);
    EXPECT_EQ(stored()[0].id, QStringLiteral("007"));
    EXPECT_EQ(stored()[0].revision, PatientRecord::kRevisionAdded);
    ASSERT_EQ(test::rowCount(manager.list()), 1);
    EXPECT_EQ(test::rowText(manager.list(), 0, -1, 1), QStringLiteral("007"));
    EXPECT_TRUE(manager.list()->selectionModel()->isRowSelected(0));
    EXPECT_EQ(state_.currentPatient, 1);
    EXPECT_EQ(manager.detail()->idShown(), QStringLiteral("007"));

    // Same integer value: refused by the manager, nothing written.
    manager.setDialogHook(fill(QStringLiteral("7"), QStringLiteral("Bo Kern")));
    manager.onAdd();
    EXPECT_EQ(storedCount(), 1);
    EXPECT_EQ(log_.texts.last(), text(ids::kPatientIdExists));
}

TEST_F(PatientDialogsTest, ManagerRowsCarryTheSexIcon) {
    PatientFields female;
    female.id = QStringLiteral("1");
    female.name = QStringLiteral("Eva");
    female.sexChoice = 1;
    PatientIdMap ids;
    ASSERT_TRUE(registry().add(female, ids, true).ok());
    PatientManagerDialog manager(state_, prompter_);
    manager.setDialogHook(fill(QStringLiteral("2"), QStringLiteral("Tom")));
    manager.onAdd();
    ASSERT_EQ(test::rowCount(manager.list()), 2);
    const QImage f =
        qvariant_cast<QIcon>(test::rowIndex(manager.list(), 0).data(Qt::DecorationRole))
            .pixmap(16)
            .toImage();
    const QImage m =
        qvariant_cast<QIcon>(test::rowIndex(manager.list(), 1).data(Qt::DecorationRole))
            .pixmap(16)
            .toImage();
    EXPECT_FALSE(f.isNull());
    EXPECT_NE(f, m);
}

TEST_F(PatientDialogsTest, ManagerEditRewritesTheSelectedRecord) {
    PatientManagerDialog manager(state_, prompter_);
    manager.onEdit();
    EXPECT_EQ(log_.texts, QStringList{text(ids::kNoPatientChosen)});
    manager.setDialogHook(fill(QStringLiteral("31"), QStringLiteral("Old Name")));
    manager.onAdd();
    test::selectRow(manager.list(), 0);
    QString idShownInEdit;
    manager.setDialogHook([&](PatientEditDialog& d) {
        QTest::keyClicks(d.idEdit(), QStringLiteral("99"));
        idShownInEdit = d.idEdit()->text();
        EXPECT_TRUE(d.idEdit()->isReadOnly());
        d.nameEdit()->setText(QStringLiteral("New Name"));
        d.sexBox()->setCurrentIndex(1);
        d.weightEdit()->setText(QStringLiteral("12.500"));
        d.accept();
        return true;
    });
    manager.onEdit();
    EXPECT_EQ(idShownInEdit, QStringLiteral("31"));
    ASSERT_EQ(storedCount(), 1);
    const PatientRecord r = stored()[0];
    EXPECT_EQ(r.id, QStringLiteral("31"));
    EXPECT_EQ(r.name, QStringLiteral("New Name"));
    EXPECT_EQ(r.sex, text(ids::kFemale));
    EXPECT_EQ(r.weight, QStringLiteral("12.5"));
    EXPECT_EQ(r.revision, PatientRecord::kRevisionEdited);
    EXPECT_EQ(test::rowText(manager.list(), 0, -1, 2), QStringLiteral("New Name"));
    EXPECT_TRUE(manager.list()->selectionModel()->isRowSelected(0));
}

// Each field stops at its limit while typing: what its record field holds
// (UTF-16 units less the terminator), or less for the height and the
// weight. The record keeps exactly what the field shows, and an edit shows it
// all again without cutting.
TEST_F(PatientDialogsTest, EveryFieldStopsAtItsLimitAndTheRecordKeepsIt) {
    using Getter = std::function<QWidget*(PatientEditDialog&)>;
    const auto line = [](QLineEdit* (PatientEditDialog::*get)() const) -> Getter {
        return [get](PatientEditDialog& d) { return (d.*get)(); };
    };
    struct Row {
        const char* field;
        Getter edit;
        int limit;
        QString PatientRecord::*member;
        QString keys;
    };
    const QString digits = QStringLiteral("9876543210");
    const Row rows[] = {
        {"id, 32 bytes", line(&PatientEditDialog::idEdit), 15, &PatientRecord::id, typed(20)},
        {"name, 82 bytes", line(&PatientEditDialog::nameEdit), 40, &PatientRecord::name,
         typed(45, u'A')},
        {"height", line(&PatientEditDialog::heightEdit), 3, &PatientRecord::height, digits},
        {"weight", line(&PatientEditDialog::weightEdit), 5, &PatientRecord::weight, digits},
        {"telephone, 130 bytes", line(&PatientEditDialog::telephoneEdit), 64,
         &PatientRecord::telephone, typed(70)},
        {"address, 210 bytes", line(&PatientEditDialog::addressEdit), 104, &PatientRecord::address,
         typed(110)},
        {"history, 130 bytes", line(&PatientEditDialog::historyEdit), 64, &PatientRecord::history,
         typed(70)},
        {"remarks, 610 bytes", [](PatientEditDialog& d) { return d.remarksEdit(); }, 304,
         &PatientRecord::remarks, typed(310)},
    };
    const auto shown = [](QWidget* w) {
        if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            return plain->toPlainText();
        return qobject_cast<QLineEdit*>(w)->text();
    };
    // Typing `keys` (add), then one key more into every full field (edit).
    const auto typeInto = [&](bool more) {
        return [&, more](PatientEditDialog& d) {
            d.show();
            for (const Row& row : rows) {
                QWidget* w = row.edit(d);
                if (more) // after the text: the field the dialog opens on has it selected
                    QTest::keyClick(w, Qt::Key_End);
                QTest::keyClicks(w, more ? QStringLiteral("7") : row.keys);
                EXPECT_EQ(shown(w), row.keys.left(row.limit)) << row.field << (more ? " edit" : "");
            }
            return clickOk(d);
        };
    };
    PatientManagerDialog manager(state_, prompter_);
    manager.setDialogHook(typeInto(false));
    manager.onAdd();
    ASSERT_EQ(storedCount(), 1);
    for (const Row& row : rows)
        EXPECT_EQ(stored()[0].*row.member, row.keys.left(row.limit)) << row.field;

    test::selectRow(manager.list(), 0);
    manager.setDialogHook(typeInto(true));
    manager.onEdit();
    EXPECT_EQ(stored()[0].revision, PatientRecord::kRevisionEdited);
    for (const Row& row : rows)
        EXPECT_EQ(stored()[0].*row.member, row.keys.left(row.limit)) << row.field << " edit";
    EXPECT_TRUE(log_.texts.isEmpty()) << log_.texts.join(u'|').toStdString();
}

// The quick-add name is first part + " " + second part in the 40 characters
// of the name field: the parts share them while typing.
TEST_F(PatientDialogsTest, QuickAddNamePartsShareTheNameField) {
    const PatientRegistry store = registry(); // the dialog keeps a reference
    QuickAddDialog dialog(store, {}, prompter_);
    dialog.show();
    QTest::keyClicks(dialog.idEdit(), QStringLiteral("42"));
    QTest::keyClicks(dialog.firstEdit(), typed(30));
    QTest::keyClicks(dialog.secondEdit(), typed(15, u'A'));
    QTest::keyClicks(dialog.firstEdit(), QStringLiteral("z"));
    EXPECT_EQ(dialog.firstEdit()->text(), typed(30));
    EXPECT_EQ(dialog.secondEdit()->text(), typed(9, u'A'));
    ASSERT_TRUE(clickOk(dialog)) << log_.texts.join(u'|').toStdString();
    ASSERT_EQ(storedCount(), 1);
    EXPECT_EQ(stored()[0].name, typed(30) + u' ' + typed(9, u'A'));
}

// The height takes digits; the weight a number in the locale's
// notation (no group separators, no sign, no exponent, at most the three
// places the stored form keeps). Both show blank when empty, also when the
// record is opened again (the empty weight is stored as "0").
TEST_F(PatientDialogsTest, HeightAndWeightFollowTheLocale) {
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    struct Row {
        QLocale locale;
        QString heightKeys, height; // shown, stored and shown again
        QString weightKeys, weightShown, weightStored, weightShownAgain;
    };
    const Row rows[] = {
        {german, "1a8-2", "182", "72,5", "72,5", "72.5", "72,5"},
        {german, "", "", "", "", "0", ""},
        {german, "99", "99", "72.5", "725", "725", "725"},
        {german, "170", "170", ",1234", ",123", "0.123", "0,123"},
        {german, "+60", "60", "-5e2", "52", "52", "52"},
        {english, "", "", "72.5", "72.5", "72.5", "72.5"},
        {english, "", "", "72,5", "725", "725", "725"},
        {english, "", "", "0", "0", "0", ""},
    };
    PatientIdMap ids;
    for (int i = 0; i < int(std::size(rows)); ++i) {
        const Row& row = rows[i];
        const std::string where = "row " + std::to_string(i);
        QLocale::setDefault(row.locale);
        PatientEditDialog add(PatientEditDialog::Mode::Add, prompter_);
        int position = 0;
        add.setCommit([&](const PatientFields& f) {
            const Result<PatientAdded> r = registry().add(f, ids, true);
            position = r.value().position;
            return r.message();
        });
        add.show();
        QTest::keyClicks(add.idEdit(), QString::number(i + 1));
        QTest::keyClicks(add.nameEdit(), QStringLiteral("N"));
        QTest::keyClicks(add.heightEdit(), row.heightKeys);
        QTest::keyClicks(add.weightEdit(), row.weightKeys);
        EXPECT_EQ(add.heightEdit()->text(), row.height) << where;
        EXPECT_EQ(add.weightEdit()->text(), row.weightShown) << where;
        ASSERT_TRUE(clickOk(add)) << where;

        const PatientRecord record = registry().read(position).value();
        EXPECT_EQ(record.height, row.height) << where;
        EXPECT_EQ(record.weight, row.weightStored) << where;
        PatientEditDialog edit(PatientEditDialog::Mode::Edit, prompter_);
        edit.setRecord(record);
        EXPECT_EQ(edit.heightEdit()->text(), row.height) << where;
        EXPECT_EQ(edit.weightEdit()->text(), row.weightShownAgain) << where;
    }
}

// A refused id leaves the add dialog open with everything typed; a free id
// then goes through with the same fields.
TEST_F(PatientDialogsTest, DuplicateIdKeepsTheAddDialogOpen) {
    PatientManagerDialog manager(state_, prompter_);
    manager.setDialogHook(fill(QStringLiteral("007"), QStringLiteral("Ada Lind")));
    manager.onAdd();
    ASSERT_EQ(storedCount(), 1);
    struct Typed {
        QLineEdit* (PatientEditDialog::*edit)() const;
        QString PatientRecord::*member;
        QString keys;
    };
    const Typed typing[] = {
        {&PatientEditDialog::nameEdit, &PatientRecord::name, "Bo Kern"},
        {&PatientEditDialog::heightEdit, &PatientRecord::height, "182"},
        {&PatientEditDialog::weightEdit, &PatientRecord::weight, "80.5"},
        {&PatientEditDialog::telephoneEdit, &PatientRecord::telephone, "555 0100"},
        {&PatientEditDialog::historyEdit, &PatientRecord::history, "Ward 3"},
    };
    bool stayedOpen = false;
    manager.setDialogHook([&](PatientEditDialog& d) {
        d.show();
        QTest::keyClicks(d.idEdit(), QStringLiteral("7"));
        for (const Typed& t : typing)
            QTest::keyClicks((d.*t.edit)(), t.keys);
        QTest::keyClicks(d.remarksEdit(), QStringLiteral("Pacemaker"));
        d.sexBox()->setCurrentIndex(1);
        EXPECT_FALSE(clickOk(d));
        stayedOpen = d.isVisible();
        EXPECT_EQ(log_.texts, QStringList{text(ids::kPatientIdExists)});
        EXPECT_EQ(storedCount(), 1);
        EXPECT_EQ(d.idEdit()->text(), QStringLiteral("7"));
        for (const Typed& t : typing)
            EXPECT_EQ((d.*t.edit)()->text(), t.keys);
        EXPECT_EQ(d.remarksEdit()->toPlainText(), QStringLiteral("Pacemaker"));
        EXPECT_EQ(d.sexBox()->currentIndex(), 1);
        QTest::keyClick(d.idEdit(), Qt::Key_Backspace);
        QTest::keyClicks(d.idEdit(), QStringLiteral("8"));
        return clickOk(d);
    });
    manager.onAdd();
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(storedCount(), 2);
    const PatientRecord r = stored()[1];
    EXPECT_EQ(r.id, QStringLiteral("8"));
    for (const Typed& t : typing)
        EXPECT_EQ(r.*t.member, t.keys);
    EXPECT_EQ(r.remarks, QStringLiteral("Pacemaker"));
    EXPECT_EQ(r.sex, text(ids::kFemale));
    EXPECT_EQ(state_.currentPatient, 2);
}

TEST_F(PatientDialogsTest, ManagerDeleteAsksAndRemoves) {
    PatientManagerDialog manager(state_, prompter_);
    manager.onDelete();
    EXPECT_EQ(log_.texts, QStringList{text(ids::kNoPatientChosen)});
    for (const char* id : {"1a", "2b", "3c"}) {
        manager.setDialogHook(fill(QString::fromLatin1(id), QStringLiteral("Name")));
        manager.onAdd();
    }
    const QString con = paths::continueData(root_.path(), QStringLiteral("1a"));
    writeAll(con, "x");
    test::selectRow(manager.list(), 0);

    log_.setAnswer(false);
    manager.onDelete();
    EXPECT_EQ(log_.questions, QStringList{text(ids::kDeletePatientQuestion, QStringLiteral("1a"))});
    EXPECT_EQ(storedCount(), 3);

    log_.setAnswer(true);
    manager.onDelete();
    ASSERT_EQ(storedCount(), 2);
    EXPECT_EQ(stored()[0].id, QStringLiteral("2b"));
    EXPECT_FALSE(QFile::exists(con));
    EXPECT_EQ(test::rowCount(manager.list()), 2);
    EXPECT_EQ(test::rowText(manager.list(), 0, -1, 0), QStringLiteral("1"));
    EXPECT_TRUE(!manager.list()->selectionModel()->hasSelection());
    EXPECT_EQ(state_.currentPatient, 0);
}

TEST_F(PatientDialogsTest, PickerOkNeedsARow) {
    PatientPickerDialog picker(root_.path(), prompter_);
    picker.accept();
    EXPECT_EQ(log_.texts, QStringList{text(ids::kSelectItem)});
    EXPECT_EQ(picker.result(), QDialog::Rejected);
    EXPECT_FALSE(picker.picked().has_value());
    EXPECT_EQ(picker.list()->model()->columnCount(), 9);
}

TEST_F(PatientDialogsTest, QuickAddValidatesItsFields) {
    const PatientRegistry store = registry(); // the dialog keeps a reference
    QuickAddDialog dialog(store, {QStringLiteral("ABC")}, prompter_);
    dialog.accept();
    dialog.idEdit()->setText(QStringLiteral("abc"));
    dialog.accept();
    dialog.firstEdit()->setText(QStringLiteral(" Ann "));
    dialog.accept();
    dialog.secondEdit()->setText(QStringLiteral(" Holt "));
    dialog.accept(); // same id ignoring case
    EXPECT_EQ(log_.texts, (QStringList{text(ids::kEmptyPatientId), text(ids::kEmptyName),
                                       text(ids::kEmptyLastName), text(ids::kPatientIdTaken)}));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.idEdit()->text(), QStringLiteral("abc"));
    EXPECT_EQ(dialog.secondEdit()->text(), QStringLiteral(" Holt "));
    EXPECT_EQ(storedCount(), 0);
}

TEST_F(PatientDialogsTest, PickerSelectsTheQuickAddedPatient) {
    PatientIdMap ids;
    for (const char* id : {"11", "12"}) {
        PatientFields f;
        f.id = QString::fromLatin1(id);
        f.name = QStringLiteral("Someone");
        ASSERT_TRUE(registry().add(f, ids, true).ok());
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
    ASSERT_EQ(test::rowCount(picker.list()), 3);
    EXPECT_TRUE(picker.list()->selectionModel()->isRowSelected(2));
    EXPECT_EQ(test::rowText(picker.list(), 2, -1, 1), QStringLiteral("013"));
    EXPECT_EQ(test::rowText(picker.list(), 2, -1, 2), QStringLiteral("Ann Holt"));
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
    EXPECT_EQ(test::rowCount(picker.list()), 0);
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
    const QString expected = text(ids::kDamagedFile, QStringLiteral("UserDA.txt"));

    PatientManagerDialog manager(state_, prompter_);
    EXPECT_EQ(test::rowCount(manager.list()), 1);
    PatientPickerDialog picker(root_.path(), prompter_);
    EXPECT_EQ(test::rowCount(picker.list()), 1);
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
