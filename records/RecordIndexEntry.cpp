#include "records/RecordIndexEntry.h"

#include "records/BinaryFile.h"

#include <QDate>
#include <QTime>

namespace vantora {

SystemTime SystemTime::fromFields(const std::array<uint16_t, 8>& f) {
    return SystemTime{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

std::array<uint16_t, 8> SystemTime::fields() const {
    return {year, month, dayOfWeek, day, hour, minute, second, milliseconds};
}

SystemTime SystemTime::fromBytes(const uint8_t* p) {
    std::array<uint16_t, 8> f{};
    for (int i = 0; i < 8; ++i)
        f[i] = getLE16(p + 2 * i);
    return fromFields(f);
}

void SystemTime::toBytes(uint8_t* p) const {
    const auto f = fields();
    for (int i = 0; i < 8; ++i)
        putLE16(p + 2 * i, f[i]);
}

SystemTime SystemTime::fromDateTime(const QDateTime& local) {
    const QDate d = local.date();
    const QTime t = local.time();
    return SystemTime{uint16_t(d.year()),   uint16_t(d.month()), uint16_t(d.dayOfWeek() % 7),
                      uint16_t(d.day()),    uint16_t(t.hour()),  uint16_t(t.minute()),
                      uint16_t(t.second()), uint16_t(t.msec())};
}

SystemTime SystemTime::now() {
    return fromDateTime(QDateTime::currentDateTime());
}

std::array<uint8_t, RecordIndexEntry::kBytes> RecordIndexEntry::toBytes() const {
    std::array<uint8_t, kBytes> b{};
    b[0] = marker[0];
    b[1] = marker[1];
    time.toBytes(b.data() + 2);
    putLE16(b.data() + 18, kind);
    putLE16(b.data() + 20, heartRate);
    b[22] = extra[0];
    b[23] = extra[1];
    return b;
}

RecordIndexEntry RecordIndexEntry::fromPayload(const uint8_t* p) {
    RecordIndexEntry e;
    e.time = SystemTime::fromBytes(p);
    e.kind = getLE16(p + 16);
    e.heartRate = getLE16(p + 18);
    e.extra = {p[20], p[21]};
    return e;
}

RecordIndexEntry RecordIndexEntry::fromBytes(const uint8_t* p) {
    RecordIndexEntry e = fromPayload(p + kPayloadOffset);
    e.marker = {p[0], p[1]};
    return e;
}

uint16_t recordingTypeCode(int32_t recorderType) {
    switch (recorderType) {
    case 3:
        return 1;
    case 4:
        return 2;
    case 6:
        return 3;
    case 7:
        return 4;
    case 9:
        return 5;
    case 10:
        return 6;
    case 11:
        return 7;
    case 12:
        return 8;
    case 14:
        return 9;
    case 15:
        return 10;
    case 20:
        return 11;
    case 21:
        return 12;
    case 84:
        return 13;
    default:
        return 0;
    }
}

} // namespace vantora
