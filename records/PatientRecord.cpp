#include "records/PatientRecord.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace vantora {

namespace {

constexpr double kShownDecimalFloor = 0.000001;

struct TextField {
    PatientRecord::Field at;
    QString PatientRecord::*member;
};

constexpr TextField kTextFields[] = {
    {PatientRecord::kId, &PatientRecord::id},
    {PatientRecord::kName, &PatientRecord::name},
    {PatientRecord::kSex, &PatientRecord::sex},
    {PatientRecord::kDate, &PatientRecord::date},
    {PatientRecord::kHeight, &PatientRecord::height},
    {PatientRecord::kWeight, &PatientRecord::weight},
    {PatientRecord::kTelephone, &PatientRecord::telephone},
    {PatientRecord::kAddress, &PatientRecord::address},
    {PatientRecord::kHistory, &PatientRecord::history},
    {PatientRecord::kRemarks, &PatientRecord::remarks},
};

// Control characters (a terminal's escape sequences, stray line breaks) have
// no place in a patient's texts; the multi-line field keeps its line breaks
// and tabs. The id is left alone: one with a control character is refused
// (isValidPatientId) and marks a damaged registry.
bool isStrayControl(QChar c, QString PatientRecord::*member) {
    if (c.category() != QChar::Other_Control)
        return false;
    const bool lines = member == &PatientRecord::remarks;
    return !(lines && (c == u'\r' || c == u'\n' || c == u'\t'));
}

bool isCSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

qsizetype skipSpace(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && isCSpace(s[i]))
        ++i;
    return i;
}

qsizetype skipDigits(const QString& s, qsizetype i) {
    while (i < s.size() && s[i].isDigit() && s[i].unicode() < 0x80)
        ++i;
    return i;
}

// The leading decimal number of s as the C library's strtod reads it (sign,
// digits, point, digits, exponent), without infinity and NaN spellings.
double leadingDecimal(const QString& s) {
    const qsizetype start = skipSpace(s);
    qsizetype i = start;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    const qsizetype intStart = i;
    i = skipDigits(s, i);
    qsizetype digits = i - intStart;
    if (i < s.size() && s[i] == u'.') {
        const qsizetype fracStart = i + 1;
        i = skipDigits(s, fracStart);
        digits += i - fracStart;
    }
    if (digits == 0)
        return 0.0;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype e = i + 1;
        if (e < s.size() && (s[e] == u'+' || s[e] == u'-'))
            ++e;
        const qsizetype expEnd = skipDigits(s, e);
        if (expEnd > e)
            i = expEnd;
    }
    std::string text = s.mid(start, i - start).toStdString();
    if (!text.empty() && text.front() == '+')
        text.erase(0, 1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range)
        return 0.0;
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

QByteArray PatientRecord::encode() const {
    QByteArray bytes(kSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(bytes.data());
    for (const TextField& f : kTextFields) {
        QString text = this->*f.member;
        if (f.member != &PatientRecord::id)
            text.removeIf([&f](QChar c) { return isStrayControl(c, f.member); });
        writeUtf16Field(p + f.at.offset, f.at.width, text);
    }
    putLE32(p + kRevision.offset, uint32_t(revision));
    return bytes;
}

PatientRecord PatientRecord::decode(const QByteArray& bytes) {
    if (bytes.size() < kSize)
        return decode(
            reinterpret_cast<const uint8_t*>(bytes.leftJustified(kSize, '\0').constData()));
    return decode(reinterpret_cast<const uint8_t*>(bytes.constData()));
}

PatientRecord PatientRecord::decode(const uint8_t* bytes) {
    PatientRecord r;
    for (const TextField& f : kTextFields) {
        QString text = readUtf16Field(bytes + f.at.offset, f.at.width);
        // Files written before controls were kept out show them replaced.
        for (QChar& c : text) {
            if (f.member != &PatientRecord::id && isStrayControl(c, f.member))
                c = QChar::ReplacementCharacter;
        }
        r.*f.member = text;
    }
    r.revision = int32_t(getLE32(bytes + kRevision.offset));
    return r;
}

bool isValidPatientId(const QString& id) {
    if (id.isEmpty() || id.size() > kMaxPatientIdLength)
        return false;
    if (id.startsWith(u'.')) // also refuses "." and ".."
        return false;
    // A lone surrogate is no text: it has no file name on disk.
    if (!QStringView(id).isValidUtf16())
        return false;
    for (QChar c : id) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

int32_t patientIdValue(const QString& id) {
    qsizetype i = skipSpace(id);
    bool negative = false;
    if (i < id.size() && (id[i] == u'+' || id[i] == u'-'))
        negative = id[i++] == u'-';
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < id.size() && id[i].unicode() >= u'0' && id[i].unicode() <= u'9'; ++i)
        value = std::min(kLimit, value * 10 + (id[i].unicode() - u'0'));
    if (negative)
        return int32_t(-value);
    return int32_t(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

QString normaliseWeight(const QString& typed) {
    QString text = QString::number(leadingDecimal(typed), 'f', 3);
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return text;
    while (text.size() > point + 1 && text.endsWith(u'0'))
        text.chop(1);
    if (text.size() == point + 1)
        text.chop(1);
    return text;
}

QString weightForEdit(const QString& stored) {
    return leadingDecimal(stored) > kShownDecimalFloor ? stored : QString();
}

QString weightToLocale(const QString& stored, const QLocale& locale) {
    QString shown = weightForEdit(stored);
    return shown.replace(u'.', locale.decimalPoint());
}

QString weightFromLocale(const QString& typed, const QLocale& locale) {
    QString text = typed.trimmed();
    return text.replace(locale.decimalPoint(), QStringLiteral("."));
}

QString sexText(int choice) {
    if (choice != 0 && choice != 1)
        return {};
    return Langpack::text(choice == 1 ? ids::kFemale : ids::kMale);
}

int sexChoiceOf(const QString& stored) {
    if (stored == Langpack::text(ids::kMale))
        return 0;
    if (stored == Langpack::text(ids::kFemale))
        return 1;
    return -1;
}

int sexIconOf(const QString& stored) {
    return stored.compare(Langpack::text(ids::kMale), Qt::CaseInsensitive) == 0 ? 0 : 1;
}

QString formatPatientDate(const QDate& date, const QLocale& locale) {
    return locale.toString(date, QLocale::ShortFormat);
}

QDate parsePatientDate(const QString& stored, const QLocale& locale) {
    QDate date = locale.toDate(stored, QLocale::ShortFormat);
    // A two-digit year reads as 19xx; a date the control could have picked is
    // at most twenty years ahead, so later 19xx years belong to this century.
    const bool shortYear =
        !locale.dateFormat(QLocale::ShortFormat).contains(QStringLiteral("yyyy"));
    if (date.isValid() && shortYear && date.year() < 2000 &&
        date.year() + 100 <= QDate::currentDate().year() + 20)
        date = date.addYears(100);
    return date;
}

} // namespace vantora
