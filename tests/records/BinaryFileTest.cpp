#include "records/BinaryFile.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

using namespace vantora;
using test::TempDataRoot;

TEST(BinaryFile, OpenModes) {
    TempDataRoot root;
    const QString path = root.file(QStringLiteral("f.dat"));
    BinaryFile f;
    EXPECT_FALSE(f.open(path, BinaryFile::Mode::Read));
    EXPECT_FALSE(f.open(path, BinaryFile::Mode::ReadWrite));
    ASSERT_TRUE(f.open(path, BinaryFile::Mode::OpenOrCreate));
    EXPECT_EQ(f.size(), 0);
    ASSERT_TRUE(f.writeInt32At(8, -2)); // writing past the end pads with zeros
    f.close();
    EXPECT_EQ(test::readAll(path), QByteArray("\0\0\0\0\0\0\0\0\xfe\xff\xff\xff", 12));
    ASSERT_TRUE(f.open(path, BinaryFile::Mode::ReadWrite));
    EXPECT_EQ(f.readInt32At(8), -2);
    EXPECT_FALSE(f.readInt32At(10).has_value()); // short read
    EXPECT_FALSE(f.readInt32At(-1).has_value());
    ASSERT_TRUE(f.open(path, BinaryFile::Mode::Truncate));
    EXPECT_EQ(f.size(), 0);
}

TEST(BinaryFile, InjectedFaultCutsTheWriteShort) {
    TempDataRoot root;
    const QString path = root.file(QStringLiteral("f.dat"));
    BinaryFile f;
    ASSERT_TRUE(f.open(path, BinaryFile::Mode::Truncate));
    BinaryFile::failWritesAfter(6);
    EXPECT_TRUE(f.writeInt32At(0, 1));
    EXPECT_FALSE(f.writeInt32At(4, 0x01020304)); // only two bytes land
    EXPECT_FALSE(f.writeInt32At(8, 5));
    BinaryFile::failWritesAfter(-1);
    EXPECT_TRUE(f.writeInt32At(12, 7));
    f.close();
    EXPECT_EQ(test::readAll(path).left(6), QByteArray("\x01\0\0\0\x04\x03", 6));
}

TEST(Utf16Field, TerminatedCutAndDamaged) {
    uint8_t field[8];
    writeUtf16Field(field, 8, QStringLiteral("abcdef")); // room for three and the zero
    EXPECT_EQ(readUtf16Field(field, 8), QStringLiteral("abc"));
    EXPECT_EQ(utf16FieldLength(field, 8), 3);
    const uint8_t unterminated[4] = {'x', 0, 'y', 0};
    EXPECT_EQ(utf16FieldLength(unterminated, 4), 2);
    EXPECT_EQ(readUtf16Field(unterminated, 4), QStringLiteral("xy"));
    writeUtf16Field(field, 8, QString(QChar(0x00E9)));
    EXPECT_EQ(field[0], 0xE9);
    EXPECT_EQ(field[1], 0x00);
}
