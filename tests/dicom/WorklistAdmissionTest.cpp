// A patient chosen from the worklist enters the registry: registered,
// filled in, or changed only after the user confirmed the differences; a
// field the registry cannot hold refuses the step with nothing written.
#include "dicom/WorklistAdmission.h"

#include "core/Langpack.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/PatientRegistry.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <optional>

using namespace vantora;
using namespace vantora::test;

namespace {

WorklistItem step(const QString& id, const QString& name, const QString& sex, QDate born) {
    WorklistItem item;
    item.patientId = id;
    item.patientName = name;
    item.sex = sex;
    item.birthDate = born;
    item.accessionNumber = QStringLiteral("ACC-1");
    item.studyInstanceUid = QStringLiteral("1.2.826.0.1.3680043.2.1125.1");
    item.requestedProcedure = QStringLiteral("Resting ECG");
    return item;
}

PatientRecord stored(const QString& id, const QString& name, int sex, const QString& date) {
    PatientRecord r;
    r.id = id;
    r.name = name;
    r.sex = sexText(sex);
    r.date = date;
    r.weight = QStringLiteral("70");
    r.telephone = QStringLiteral("555 0100");
    r.revision = PatientRecord::kRevisionAdded;
    return r;
}

} // namespace

TEST(WorklistAdmission, RegistersFillsOrAsksBeforeReplacing) {
    ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
    const QDate born(1950, 3, 4);
    const QString bornText = formatPatientDate(born);
    const QString otherDate = formatPatientDate(QDate(1951, 3, 4));
    struct Case {
        const char* what;
        std::optional<PatientRecord> before; // the registry's patient, if any
        WorklistItem item;
        bool answer;       // to the question, if asked
        int questions;     // how many were asked
        QStringList lines; // texts the question must hold
        PatientRecord after;
        bool created;
        bool updated;
    };
    const QString bothNames = QStringLiteral("Smith Ann");
    const Case cases[] = {
        {"new patient, the name's parts in order, sex and birth date",
         std::nullopt,
         step("W100", "SMITH^ANNE^MARIE^DR", "F", born),
         true,
         0,
         {},
         [&] {
             PatientRecord r = stored("W100", "SMITH ANNE MARIE DR", 1, bornText);
             r.weight = QStringLiteral("0");
             r.telephone.clear();
             return r;
         }(),
         true,
         false},
        {"same values: nothing asked, nothing written",
         stored("W100", "SMITH ANNE", 1, bornText),
         step("W100", "SMITH^ANNE", "F", born),
         true,
         0,
         {},
         stored("W100", "SMITH ANNE", 1, bornText),
         false,
         false},
        {"empty fields are filled without a question, the rest kept",
         stored("W100", "SMITH ANNE", 0, QString()),
         step("w100", "SMITH^ANNE", "", born),
         false,
         0,
         {},
         stored("W100", "SMITH ANNE", 0, bornText),
         false,
         true},
        {"differences confirmed: the worklist's values win",
         stored("W100", bothNames, 0, otherDate),
         step("W100", "SMITH^ANNE", "F", born),
         true,
         1,
         {bothNames, "SMITH ANNE", Langpack::text(ids::kFemale), otherDate, bornText},
         stored("W100", "SMITH ANNE", 1, bornText),
         false,
         true},
        {"differences declined: the registry's values stay",
         stored("W100", bothNames, 0, otherDate),
         step("W100", "SMITH^ANNE", "F", born),
         false,
         1,
         {bothNames},
         stored("W100", bothNames, 0, otherDate),
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDataRoot root;
        const PatientRegistry registry(root.path());
        ASSERT_TRUE(registry.appendRecord(stored("OTHER", "Someone Else", 0, QString())).ok());
        if (c.before) {
            ASSERT_TRUE(registry.appendRecord(*c.before).ok());
        }
        FixedPrompter prompter(c.answer);
        const Result<Admission> admitted =
            admitFromWorklist(root.path(), c.item, prompter, QDateTime::currentDateTime());
        ASSERT_TRUE(admitted.ok()) << admitted.message().text().toStdString();
        EXPECT_EQ(prompter.asked(), c.questions);
        for (const QString& line : c.lines) {
            EXPECT_TRUE(prompter.last().text().contains(line)) << line.toStdString();
        }
        EXPECT_EQ(admitted.value().position, 2);
        EXPECT_EQ(admitted.value().patientId, QStringLiteral("W100"));
        EXPECT_EQ(admitted.value().created, c.created);
        EXPECT_EQ(admitted.value().updated, c.updated);
        ASSERT_EQ(registry.count().value(), 2);
        const PatientRecord now = registry.read(2).value();
        EXPECT_EQ(now.id, c.after.id);
        EXPECT_EQ(now.name, c.after.name);
        EXPECT_EQ(now.sex, c.after.sex);
        EXPECT_EQ(now.date, c.after.date);
        EXPECT_EQ(now.weight, c.after.weight);
        EXPECT_EQ(now.telephone, c.after.telephone);
        EXPECT_EQ(registry.read(1).value().id, QStringLiteral("OTHER"));
    }
}

TEST(WorklistAdmission, RefusesWhatTheRegistryCannotHoldNamingTheField) {
    ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
    const QString id = Langpack::text(ids::kPatientId);
    const QString name = Langpack::text(ids::kName);
    struct Case {
        QString patientId;
        QString patientName;
        int refusal;
        QString field;
    };
    const Case cases[] = {
        {QString(16, u'7'), "SMITH^ANNE", ids::kWorklistFieldTooLong, id},
        {"A/B", "SMITH^ANNE", ids::kWorklistFieldUnstorable, id},
        {"..", "SMITH^ANNE", ids::kWorklistFieldUnstorable, id},
        {"", "SMITH^ANNE", ids::kWorklistFieldUnstorable, id},
        {"W1\x01", "SMITH^ANNE", ids::kWorklistFieldUnstorable, id},
        {"W1", QString(41, u'A'), ids::kWorklistFieldTooLong, name},
        {"W1", QStringLiteral("SMITH^AN\tNE"), ids::kWorklistFieldUnstorable, name},
        // The limit itself is taken: 15 characters of id, 40 of name.
        {QString(15, u'7'), QString(40, u'A'), 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.patientId.toStdString() + " / " + c.patientName.toStdString());
        TempDataRoot root;
        const PatientRegistry registry(root.path());
        // The same id stored already: a refusal must not touch it either.
        ASSERT_TRUE(registry.appendRecord(stored("W1", "Old Name", 0, QString())).ok());
        const QByteArray before = readAll(registry.filePath());
        FixedPrompter prompter(true);
        const Result<Admission> admitted =
            admitFromWorklist(root.path(), step(c.patientId, c.patientName, "M", {}), prompter,
                              QDateTime::currentDateTime());
        EXPECT_EQ(prompter.asked(), 0);
        if (c.refusal == 0) {
            ASSERT_TRUE(admitted.ok());
            EXPECT_EQ(registry.read(admitted.value().position).value().name, c.patientName);
            continue;
        }
        ASSERT_FALSE(admitted.ok());
        EXPECT_EQ(admitted.message().id, c.refusal);
        EXPECT_EQ(admitted.message().arg, c.field);
        EXPECT_EQ(readAll(registry.filePath()), before);
    }
}
