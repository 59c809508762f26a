#pragma once

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>

#include <cstdint>

namespace vantora {

// One patient of the registry: the fixed 1388-byte record of "UserDA.txt",
// also copied into chart files and, as a filler, into new recording files.
// Text fields are UTF-16LE, ended by a 16-bit zero inside their width.
struct PatientRecord {
    static constexpr int kSize = 1388;

    // Byte layout: offset and width of every field.
    struct Field {
        int offset;
        int width;
    };
    static constexpr Field kId{0, 32};
    static constexpr Field kName{32, 82};
    static constexpr Field kSex{114, 20};
    static constexpr Field kDate{134, 110};
    static constexpr Field kHeight{244, 30};
    static constexpr Field kWeight{274, 30};
    static constexpr Field kTelephone{304, 130};
    static constexpr Field kAddress{434, 210};
    static constexpr Field kHistory{644, 130};
    static constexpr Field kRemarks{774, 610};
    static constexpr Field kRevision{1384, 4};

    // Characters a text field holds: its UTF-16 units less the terminator.
    static constexpr int capacity(Field f) { return f.width / 2 - 1; }

    // Revision marker values; no reader interprets them.
    static constexpr int32_t kRevisionBeforeHome = 0; // manager's add before the home page
    static constexpr int32_t kRevisionAdded = 8;      // manager's add after it, quick add
    static constexpr int32_t kRevisionEdited = 10;

    QString id; // 1..15 characters, the file-name stem of the recording files
    QString name;
    QString sex;       // display text of string 61271 or 61272, not a code
    QString date;      // a date in the user's default short locale format
    QString height;    // as typed, in cm (label 61224, unit 61225)
    QString weight;    // normalised decimal text, in kg (label 61226, unit 61227)
    QString telephone; // label 61228
    QString address;   // label 61229
    QString history;   // medical history, label 61983 (61230 on reports)
    QString remarks;   // label 61984, the one field of several lines
    int32_t revision = 0;

    // Exactly kSize bytes; each text is cut to fit its field (at a whole
    // character) and zero-padded. Control characters are left out of every
    // text but the id (the remarks keep line breaks and tabs).
    QByteArray encode() const;
    // bytes must hold at least kSize bytes; a field without a terminator is read
    // to the end of its width (callers judge such ids as damaged). Control
    // characters that encode() leaves out read as U+FFFD, so no stored text
    // reaches a terminal, a list or a page raw.
    static PatientRecord decode(const QByteArray& bytes);
    static PatientRecord decode(const uint8_t* bytes);

    friend bool operator==(const PatientRecord&, const PatientRecord&) = default;
};

// Patient ids are file-name stems: 1 to 15 characters, no "/" or "\", no
// leading ".", not "..", no control characters.
constexpr int kMaxPatientIdLength = 15;
bool isValidPatientId(const QString& id);

// The integer value the patient manager compares ids by: leading white space,
// an optional sign and leading digits, like the C library's atoi; no digits
// give 0; values beyond 32 bits are clamped. So "007" and "7" are equal.
int32_t patientIdValue(const QString& id);

// The weight as stored: the text read as a decimal number (a non-numeric
// text reads as 0), printed with three decimals, then trailing zeros and a
// trailing point after the decimal point removed. "12.500" -> "12.5",
// "70" -> "70", "" -> "0".
QString normaliseWeight(const QString& typed);
// What the edit dialog shows for a stored weight: empty unless the value
// is greater than 0.000001.
QString weightForEdit(const QString& stored);
// The same in a locale's notation, as the dialogs show it ("12.5" is "12,5" in
// German); an empty weight (stored "0") shows blank, like an empty height.
QString weightToLocale(const QString& stored, const QLocale& locale);
// Text typed in a locale's notation, back in the notation normaliseWeight
// reads ("12,5" in German is "12.5").
QString weightFromLocale(const QString& typed, const QLocale& locale);

// Sex texts: the stored text is the display text of string 61271 ("Male",
// choice 0) or 61272 ("Female", choice 1).
QString sexText(int choice); // 0 male, 1 female, else (no choice) empty
// The edit dialog's item: 0 when the text equals 61271 exactly, 1 when it equals
// 61272, -1 for neither.
int sexChoiceOf(const QString& stored);
// The patient manager's row icon: 0 when the text equals 61271 ignoring case.
int sexIconOf(const QString& stored);

// The date field: a date only, in the user's default locale short format.
// A two-digit year is read into the hundred years that end twenty years from
// now, so an edit does not move a recent date back a century.
QString formatPatientDate(const QDate& date, const QLocale& locale = QLocale::system());
QDate parsePatientDate(const QString& stored, const QLocale& locale = QLocale::system());

} // namespace vantora
