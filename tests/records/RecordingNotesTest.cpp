#include "records/RecordingNotes.h"
#include "StoreFixtures.h"
#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "records/RecordingTime.h"

#include <QDir>

#include <gtest/gtest.h>

#include <bit>

using namespace vantora;
using namespace vantora::test;

namespace {

SystemTime day(int year, int month, int d, int hour = 0, int minute = 0, int second = 0) {
    SystemTime t;
    t.year = uint16_t(year);
    t.month = uint16_t(month);
    t.day = uint16_t(d);
    t.hour = uint16_t(hour);
    t.minute = uint16_t(minute);
    t.second = uint16_t(second);
    return t;
}

struct Notes {
    TempDataRoot root;
    RecordingNotes notes{root.path(), RecordingMode::Snap, QStringLiteral("N1")};
    QByteArray file() const { return readAll(notes.path()); }
};

} // namespace

TEST(RecordingNotesKey, AutomationDateOfTheStartTime) {
    EXPECT_EQ(RecordingNotes::oleDateKey(day(1899, 12, 30)), 0.0);
    EXPECT_EQ(RecordingNotes::oleDateKey(day(1899, 12, 31, 6)), 1.25);
    EXPECT_EQ(RecordingNotes::oleDateKey(day(1900, 1, 1, 18)), 2.75);
    // Before the epoch the fraction still counts forward in the day.
    EXPECT_EQ(RecordingNotes::oleDateKey(day(1899, 12, 29, 6)), -1.25);
    // 2000-01-01 is day 36526 of the automation calendar.
    EXPECT_EQ(RecordingNotes::oleDateKey(day(2000, 1, 1, 12)), 36526.5);
    SystemTime withExtras = day(2026, 12, 8, 10, 20, 30);
    const auto key = RecordingNotes::oleDateKey(withExtras);
    withExtras.dayOfWeek = 5;
    withExtras.milliseconds = 999;
    EXPECT_EQ(RecordingNotes::oleDateKey(withExtras), key);
}

TEST(RecordingNotesKey, InvalidTimesHaveNoKey) {
    EXPECT_FALSE(RecordingNotes::oleDateKey(day(2026, 0, 1)));
    EXPECT_FALSE(RecordingNotes::oleDateKey(day(2026, 13, 1)));
    EXPECT_FALSE(RecordingNotes::oleDateKey(day(2026, 2, 30)));
    EXPECT_FALSE(RecordingNotes::oleDateKey(day(2026, 2, 3, 24)));
    EXPECT_FALSE(RecordingNotes::oleDateKey(day(2026, 2, 3, 1, 60)));
    EXPECT_FALSE(RecordingNotes::oleDateKey(day(0, 1, 1)));
}

TEST(RecordingNotes, RecordLayoutByteForByte) {
    Notes n;
    const SystemTime t = day(2026, 11, 2, 9, 30, 15);
    ASSERT_TRUE(n.notes.write(t, QStringLiteral("ST dépression")).ok());
    const double key = *RecordingNotes::oleDateKey(t);
    const auto bits = std::bit_cast<uint64_t>(key);
    ByteWriter w;
    w.i32(int32_t(uint32_t(bits)))
        .i32(int32_t(uint32_t(bits >> 32)))
        .zeros(8)
        .text(QStringLiteral("ST dépression"), 400);
    EXPECT_EQ(n.file(), w.bytes());
    EXPECT_EQ(n.notes.path(), n.root.file(QStringLiteral("SnapData/N1_Diag.dat")));
}

TEST(RecordingNotes, WrittenTwiceKeepsOneRecord) {
    Notes n;
    const SystemTime t = day(2026, 11, 3, 8, 0, 1);
    const SystemTime other = day(2026, 11, 3, 8, 0, 2);
    ASSERT_TRUE(n.notes.write(t, QStringLiteral("first")).ok());
    ASSERT_TRUE(n.notes.write(other, QStringLiteral("other")).ok());
    ASSERT_TRUE(n.notes.write(t, QStringLiteral("second")).ok());
    EXPECT_EQ(n.file().size(), 2 * 416);
    EXPECT_EQ(n.notes.read(t).value(), QStringLiteral("second"));
    EXPECT_EQ(n.notes.read(other).value(), QStringLiteral("other"));
    EXPECT_EQ(n.notes.read(day(2026, 11, 3, 8, 0, 3)).value(), QString());
}

TEST(RecordingNotes, SameSecondSharesOneKey) {
    Notes n;
    SystemTime a = day(2026, 11, 4, 7, 7, 7);
    SystemTime b = a;
    a.milliseconds = 10;
    b.milliseconds = 900;
    ASSERT_TRUE(n.notes.write(a, QStringLiteral("a")).ok());
    ASSERT_TRUE(n.notes.write(b, QStringLiteral("b")).ok());
    EXPECT_EQ(n.file().size(), 416);
    EXPECT_EQ(n.notes.read(a).value(), QStringLiteral("b"));
}

// Two recordings of one store stamped in the same second (an import, a
// recorder with a wrong clock): a note on one must not show on the other.
TEST(RecordingNotes, RecordingsOfOneSecondGetNoSharedNote) {
    Notes n;
    const RecordingStore store(n.root.path(), RecordingMode::Snap, QStringLiteral("N1"));
    const SnapRecording first[] = {snapRecording(1, at(1, 8, 0, 5)),
                                   snapRecording(2, at(1, 8, 0, 6))};
    ASSERT_EQ(store.appendSnap(first).saved, 2);
    const auto time = [&](int k) { return store.readEntry(k).value().time; };
    // The whole store's notes at once read as each one alone.
    const auto readsAsOne = [&] {
        const auto listing = store.listIndex().recordings;
        const std::vector<QString> all = n.notes.readAll(listing).value();
        ASSERT_EQ(all.size(), listing.size());
        for (size_t k = 0; k < all.size(); ++k)
            EXPECT_EQ(all[k], n.notes.read(listing[k].entry.time).value()) << k;
    };
    ASSERT_TRUE(n.notes.write(time(0), QStringLiteral("old")).ok());
    const SnapRecording twin[] = {snapRecording(3, at(1, 8, 0, 5))};
    ASSERT_EQ(store.appendSnap(twin).saved, 1); // recording 2 shares recording 0's second
    const QByteArray file = n.file();
    RecordIndexEntry sharedEntry;
    sharedEntry.time = at(1, 8, 0, 5);
    const Message shared{ids::kNoteKeyShared, recordingTimeText(RecordingMode::Snap, sharedEntry)};
    struct Case {
        int k;
        Message written; // what setting a note gives
        QString shown;   // what reading it shows afterwards
    };
    const Case cases[] = {{0, shared, {}}, {2, shared, {}}, {1, {}, QStringLiteral("note 1")}};
    for (const Case& c : cases) {
        const QString text = QStringLiteral("note %1").arg(c.k);
        EXPECT_EQ(n.notes.write(time(c.k), text).message(), c.written) << c.k;
        for (int k : {0, 2})
            EXPECT_EQ(n.notes.read(time(k)).value(), QString()) << c.k;
        EXPECT_EQ(n.notes.read(time(c.k)).value(), c.shown) << c.k;
        readsAsOne();
    }
    EXPECT_EQ(n.file().left(file.size()), file); // the old note is kept
    // Once the twin is gone the note is its recording's again.
    ASSERT_TRUE(store.remove(2).ok());
    EXPECT_EQ(n.notes.read(time(0)).value(), QStringLiteral("old"));
    readsAsOne();
}

TEST(RecordingNotes, TextsUpTo199Characters) {
    Notes n;
    const QString full(199, QChar(u'x'));
    const SystemTime t = day(2026, 11, 5, 1, 1, 1);
    ASSERT_TRUE(n.notes.write(t, full).ok());
    EXPECT_EQ(n.notes.read(t).value(), full);
    ASSERT_TRUE(n.notes.write(t, full + QStringLiteral("yz")).ok());
    EXPECT_EQ(n.notes.read(t).value(), full);
    EXPECT_EQ(n.file().size(), 416);
    EXPECT_EQ(n.file().mid(16 + 398, 2), QByteArray(2, '\0')); // the terminator
}

TEST(RecordingNotes, MissingFileIsCreatedEmptyAndInvalidTimesAreRefused) {
    Notes n;
    EXPECT_TRUE(n.notes.read(day(2026, 1, 1)).value().isEmpty());
    EXPECT_TRUE(QFile::exists(n.notes.path()));
    for (const SystemTime& invalid :
         {day(2026, 0, 1), day(2026, 13, 1), day(2026, 2, 30), day(2026, 1, 1, 99)}) {
        EXPECT_EQ(n.notes.write(invalid, QStringLiteral("lost")).message().id,
                  ids::kNotesFileFailed);
        EXPECT_TRUE(n.notes.read(invalid).value().isEmpty());
    }
    EXPECT_EQ(n.file().size(), 0);
}

TEST(RecordingNotes, TrailingPieceIsReadAndNewNotesStayAligned) {
    Notes n;
    const SystemTime whole = day(2026, 11, 6, 2, 2, 2);
    const SystemTime cut = day(2026, 11, 6, 2, 2, 3);
    ASSERT_TRUE(n.notes.write(whole, QStringLiteral("whole")).ok());
    ASSERT_TRUE(n.notes.write(cut, QStringLiteral("ab")).ok());
    const QByteArray bytes = n.file();
    writeAll(n.notes.path(), bytes.left(416 + 20)); // key, zeros and two characters
    EXPECT_EQ(n.notes.read(cut).value(), QStringLiteral("ab"));
    const SystemTime next = day(2026, 11, 6, 2, 2, 4);
    ASSERT_TRUE(n.notes.write(next, QStringLiteral("next")).ok());
    EXPECT_EQ(n.file().size(), 2 * 416); // written over the piece, not behind it
    EXPECT_EQ(n.notes.read(next).value(), QStringLiteral("next"));
    EXPECT_EQ(n.notes.read(whole).value(), QStringLiteral("whole"));
}

TEST(RecordingNotes, FileThatCannotBeCreatedGives61256) {
    TempDataRoot root;
    QDir(root.path()).rmdir(QStringLiteral("ContinueData"));
    const RecordingNotes notes(root.path(), RecordingMode::Continuous, QStringLiteral("N2"));
    EXPECT_EQ(notes.read(day(2026, 1, 1)).message().id, ids::kNotesFileFailed);
    EXPECT_EQ(notes.write(day(2026, 1, 1), QStringLiteral("x")).message().id,
              ids::kNotesFileFailed);
    EXPECT_FALSE(QFile::exists(notes.path()));
}

TEST(RecordingNotes, RemovingARecordingKeepsItsNote) {
    TempDataRoot root;
    const QString id = QStringLiteral("N3");
    const RecordingStore store(root.path(), RecordingMode::Continuous, id);
    const RecordingNotes notes(root.path(), RecordingMode::Continuous, id);
    const SystemTime t = at(9, 9, 9, 9);
    ASSERT_TRUE(store.appendContinuous(segment(1), t).ok());
    ASSERT_TRUE(notes.write(store.readEntry(0).value().time, QStringLiteral("kept")).ok());
    const QByteArray before = readAll(notes.path());
    ASSERT_TRUE(store.remove(0).ok());
    EXPECT_EQ(readAll(notes.path()), before);
    ASSERT_TRUE(store.appendContinuous(segment(2), t).ok());
    EXPECT_EQ(notes.read(store.readEntry(0).value().time).value(), QStringLiteral("kept"));
}
