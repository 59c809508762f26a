#include "records/PatientRecord.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "support/TestData.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

// A record laid out field by field, as the station writes one.
QByteArray recordBytes(const QString& id, const QString& name, int32_t revision) {
    return test::ByteWriter()
        .text(id, 32)
        .text(name, 82)
        .text(QStringLiteral("Male"), 20)
        .text(QStringLiteral("2 Jan 2026"), 110)
        .text(QStringLiteral("170"), 30)
        .text(QStringLiteral("65.5"), 30)
        .text(QStringLiteral("t1"), 130)
        .text(QStringLiteral("t2"), 210)
        .text(QStringLiteral("t3"), 130)
        .text(QStringLiteral("t4"), 610)
        .i32(revision)
        .bytes();
}

PatientRecord sample() {
    PatientRecord r;
    r.id = QStringLiteral("007");
    r.name = QStringLiteral("Ann Lee");
    r.sex = QStringLiteral("Male");
    r.date = QStringLiteral("2 Jan 2026");
    r.height = QStringLiteral("170");
    r.weight = QStringLiteral("65.5");
    r.telephone = QStringLiteral("t1");
    r.address = QStringLiteral("t2");
    r.history = QStringLiteral("t3");
    r.remarks = QStringLiteral("t4");
    r.revision = 10;
    return r;
}

} // namespace

TEST(PatientRecordLayout, EncodeMatchesTheFieldLayoutByteForByte) {
    const QByteArray expected = recordBytes(QStringLiteral("007"), QStringLiteral("Ann Lee"), 10);
    ASSERT_EQ(expected.size(), PatientRecord::kSize);
    EXPECT_EQ(sample().encode(), expected);
}

TEST(PatientRecordLayout, DecodeReadsEveryField) {
    const PatientRecord r =
        PatientRecord::decode(recordBytes(QStringLiteral("A1"), QStringLiteral("Bo"), 8));
    EXPECT_EQ(r.id, QStringLiteral("A1"));
    EXPECT_EQ(r.name, QStringLiteral("Bo"));
    EXPECT_EQ(r.sex, QStringLiteral("Male"));
    EXPECT_EQ(r.date, QStringLiteral("2 Jan 2026"));
    EXPECT_EQ(r.height, QStringLiteral("170"));
    EXPECT_EQ(r.weight, QStringLiteral("65.5"));
    EXPECT_EQ(r.telephone, QStringLiteral("t1"));
    EXPECT_EQ(r.address, QStringLiteral("t2"));
    EXPECT_EQ(r.history, QStringLiteral("t3"));
    EXPECT_EQ(r.remarks, QStringLiteral("t4"));
    EXPECT_EQ(r.revision, 8);
    EXPECT_EQ(PatientRecord::decode(sample().encode()), sample());
}

TEST(PatientRecordLayout, BytesBehindATerminatorAreIgnored) {
    QByteArray bytes = recordBytes(QStringLiteral("12"), QStringLiteral("Al"), 0);
    bytes[32 + 6] = 'x'; // after "Al" and its terminator
    bytes[32 + 7] = 'y';
    EXPECT_EQ(PatientRecord::decode(bytes).name, QStringLiteral("Al"));
}

TEST(PatientRecordLayout, LongTextsAreCutToTheirFieldWithATerminator) {
    PatientRecord r;
    r.id = QString(40, u'9');
    r.remarks = QString(400, u'z');
    const QByteArray bytes = r.encode();
    ASSERT_EQ(bytes.size(), PatientRecord::kSize);
    const PatientRecord back = PatientRecord::decode(bytes);
    EXPECT_EQ(back.id, QString(15, u'9'));
    EXPECT_EQ(back.remarks, QString(304, u'z'));
    EXPECT_EQ(bytes.mid(30, 2), QByteArray(2, '\0')); // the id's terminator
    EXPECT_EQ(bytes.mid(114, 20), QByteArray(20, '\0'));
}

// What is written and what an older file that holds such text shows: cuts at
// whole characters, control characters kept out of writes and replaced on reads.
TEST(PatientRecordLayout, TextsSurviveCutsAndControlCharacters) {
    const QString clef = QStringLiteral("\U0001D11E"); // a surrogate pair
    const QChar esc(0x1B);
    const QChar bad = QChar::ReplacementCharacter;
    struct Case {
        const char* what;
        QString PatientRecord::*member;
        int at; // byte offset of the field
        QString written;
        QString stored; // after encode
        QString shown;  // decode of `written` laid out raw
    };
    const Case cases[] = {
        {"pair across the name's end", &PatientRecord::name, 32, QString(39, u'n') + clef,
         QString(39, u'n'), QString(39, u'n') + clef.front()},
        {"pair just inside", &PatientRecord::name, 32, QString(38, u'n') + clef,
         QString(38, u'n') + clef, QString(38, u'n') + clef},
        {"terminal escape in the name", &PatientRecord::name, 32,
         QString(esc) + QStringLiteral("[2JEve\x07"), QStringLiteral("[2JEve"),
         QString(bad) + QStringLiteral("[2JEve") + bad},
        {"line break in the telephone", &PatientRecord::telephone, 304, QStringLiteral("a\r\nb"),
         QStringLiteral("ab"), QString(QStringLiteral("a")) + bad + bad + u'b'},
        {"the remarks keep lines", &PatientRecord::remarks, 774, QStringLiteral("a\r\n\tb") + esc,
         QStringLiteral("a\r\n\tb"), QStringLiteral("a\r\n\tb") + bad},
    };
    for (const Case& c : cases) {
        PatientRecord r;
        r.id = QStringLiteral("1");
        r.*c.member = c.written;
        const QByteArray stored = r.encode();
        EXPECT_EQ(PatientRecord::decode(stored).*c.member, c.stored) << c.what;
        QByteArray raw = stored;
        const int width = c.member == &PatientRecord::remarks ? 610 : c.at == 32 ? 82 : 130;
        QByteArray field(width, '\0');
        for (qsizetype i = 0; i < c.written.size() && 2 * i + 2 < width; ++i) {
            field[2 * i] = char(c.written[i].unicode() & 0xFF);
            field[2 * i + 1] = char(c.written[i].unicode() >> 8);
        }
        raw.replace(c.at, width, field);
        EXPECT_EQ(PatientRecord::decode(raw).*c.member, c.shown) << c.what;
    }
}

TEST(PatientRecordLayout, AnIdFieldWithoutTerminatorReadsSixteenCharacters) {
    QByteArray bytes = recordBytes(QStringLiteral("1"), QStringLiteral("A"), 0);
    bytes.replace(0, 32, test::ByteWriter().text(QString(16, u'5'), 32).bytes());
    const PatientRecord r = PatientRecord::decode(bytes);
    EXPECT_EQ(r.id.size(), 16);
    EXPECT_FALSE(isValidPatientId(r.id));
}

TEST(PatientIdRules, FileNameStemsOnly) {
    EXPECT_TRUE(isValidPatientId(QStringLiteral("7")));
    EXPECT_TRUE(isValidPatientId(QStringLiteral("a.b")));
    EXPECT_TRUE(isValidPatientId(QString(15, u'1')));
    EXPECT_TRUE(isValidPatientId(QStringLiteral("Müller 1")));
    EXPECT_FALSE(isValidPatientId(QString()));
    EXPECT_FALSE(isValidPatientId(QString(16, u'1')));
    EXPECT_FALSE(isValidPatientId(QStringLiteral("a/b")));
    EXPECT_FALSE(isValidPatientId(QStringLiteral("a\\b")));
    EXPECT_FALSE(isValidPatientId(QStringLiteral(".hidden")));
    EXPECT_FALSE(isValidPatientId(QStringLiteral("..")));
    EXPECT_FALSE(isValidPatientId(QStringLiteral("a\nb")));
    EXPECT_FALSE(isValidPatientId(QStringLiteral("a\tb")));
    EXPECT_FALSE(isValidPatientId(QString(u'a') + QChar(0x7F)));
}

TEST(PatientIdRules, IntegerValueLikeAtoi) {
    EXPECT_EQ(patientIdValue(QStringLiteral("007")), 7);
    EXPECT_EQ(patientIdValue(QStringLiteral("7")), 7);
    EXPECT_EQ(patientIdValue(QStringLiteral("12ab")), 12);
    EXPECT_EQ(patientIdValue(QStringLiteral("ab12")), 0);
    EXPECT_EQ(patientIdValue(QStringLiteral("x")), 0);
    EXPECT_EQ(patientIdValue(QStringLiteral(" -5")), -5);
    EXPECT_EQ(patientIdValue(QStringLiteral("+8")), 8);
    EXPECT_EQ(patientIdValue(QStringLiteral("999999999999999")), 2147483647);
    EXPECT_EQ(patientIdValue(QStringLiteral("-999999999999999")), -2147483647 - 1);
}

TEST(PatientWeight, NormalisedToThreeDecimalsWithoutTrailingZeros) {
    EXPECT_EQ(normaliseWeight(QStringLiteral("12.500")), QStringLiteral("12.5"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("65.50")), QStringLiteral("65.5"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("70")), QStringLiteral("70"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("100")), QStringLiteral("100"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(normaliseWeight(QString()), QStringLiteral("0"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("abc")), QStringLiteral("0"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("3.14159")), QStringLiteral("3.142"));
    EXPECT_EQ(normaliseWeight(QStringLiteral(" 8kg")), QStringLiteral("8"));
    EXPECT_EQ(normaliseWeight(QStringLiteral(".5")), QStringLiteral("0.5"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("1e2")), QStringLiteral("100"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("-2.50")), QStringLiteral("-2.5"));
    EXPECT_EQ(normaliseWeight(QStringLiteral("1e999")), QStringLiteral("0"));
}

TEST(PatientWeight, EditShowsOnlyValuesAboveZero) {
    EXPECT_EQ(weightForEdit(QStringLiteral("12.5")), QStringLiteral("12.5"));
    EXPECT_EQ(weightForEdit(QStringLiteral("0")), QString());
    EXPECT_EQ(weightForEdit(QStringLiteral("0.000001")), QString());
    EXPECT_EQ(weightForEdit(QStringLiteral("0.001")), QStringLiteral("0.001"));
    EXPECT_EQ(weightForEdit(QStringLiteral("-3")), QString());
}

class PatientSexText : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    }
    void TearDown() override { Langpack::unload(); }
};

TEST_F(PatientSexText, StoredAsTheDisplayText) {
    const QString first = Langpack::text(ids::kMale);
    const QString second = Langpack::text(ids::kFemale);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_NE(first, second);
    EXPECT_EQ(sexText(0), first);
    EXPECT_EQ(sexText(1), second);
    EXPECT_EQ(sexText(-1), QString());
    EXPECT_EQ(sexChoiceOf(first), 0);
    EXPECT_EQ(sexChoiceOf(second), 1);
    EXPECT_EQ(sexChoiceOf(first.toUpper()), -1); // the edit dialog compares exactly
    EXPECT_EQ(sexIconOf(first.toUpper()), 0);    // the row icon ignores case
    EXPECT_EQ(sexIconOf(second), 1);
    EXPECT_EQ(sexIconOf(QString()), 1);
}

TEST(PatientDate, RoundTripsThroughTheLocaleShortFormat) {
    const QDate birthday(1961, 5, 31);
    EXPECT_EQ(formatPatientDate(birthday),
              QLocale::system().toString(birthday, QLocale::ShortFormat));
    EXPECT_EQ(parsePatientDate(formatPatientDate(birthday)), birthday);
    const QDate recent(QDate::currentDate().year(), 1, 2);
    EXPECT_EQ(parsePatientDate(formatPatientDate(recent)), recent);
    EXPECT_FALSE(parsePatientDate(QStringLiteral("not a date")).isValid());
}

TEST(PatientDate, TwoDigitYearsStayInTheirCentury) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    ASSERT_FALSE(us.dateFormat(QLocale::ShortFormat).contains(QStringLiteral("yyyy")));
    const QDate recent(QDate::currentDate().year() - 1, 12, 24);
    EXPECT_EQ(parsePatientDate(formatPatientDate(recent, us), us), recent);
    const QDate old(1961, 5, 31);
    EXPECT_EQ(parsePatientDate(formatPatientDate(old, us), us), old);
}
