// Peers given as "AET@HOST:PORT" on the command line and in the settings:
// what is taken, what is refused and why, and what survives the settings.
#include "dicom/DicomNode.h"

#include "core/AppSettings.h"
#include "core/StringIds.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

using namespace vantora;

TEST(DicomNode, ParsesOrRefusesWithTheReason) {
    struct Case {
        const char* text;
        int refusal; // 0: taken
        DicomNode node;
    };
    const Case cases[] = {
        {"ORTHANC@127.0.0.1:4242", 0, {"ORTHANC", "127.0.0.1", 4242}},
        {"A@host.example:1", 0, {"A", "host.example", 1}},
        {"MY@AE@::1:104", 0, {"MY@AE", "::1", 104}}, // the last "@" and ":" separate
        {" PACS @localhost:65535", 0, {"PACS", "localhost", 65535}},
        {"SIXTEEN_CHARS_AE@h:11112", 0, {"SIXTEEN_CHARS_AE", "h", 11112}},
        {"SEVENTEEN_CHARS_A@h:11112", ids::kNotADicomAe, {}},
        {"BACK\\SLASH@h:104", ids::kNotADicomAe, {}},
        {"   @h:104", ids::kNotADicomAe, {}},
        {"@h:104", ids::kNotADicomNode, {}},
        {"AE@h:0", ids::kNotADicomNode, {}},
        {"AE@h:65536", ids::kNotADicomNode, {}},
        {"AE@h:10x", ids::kNotADicomNode, {}},
        {"AE@:104", ids::kNotADicomNode, {}},
        {"AE@h", ids::kNotADicomNode, {}},
        {"AE@my host:104", ids::kNotADicomNode, {}},
        {"", ids::kNotADicomNode, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = DicomNode::parse(QString::fromUtf8(c.text));
        if (c.refusal == 0) {
            ASSERT_TRUE(parsed.ok());
            EXPECT_EQ(parsed.value(), c.node);
            EXPECT_EQ(DicomNode::parse(parsed.value().text()).value(), c.node);
        } else {
            EXPECT_EQ(parsed.message().id, c.refusal);
            EXPECT_FALSE(parsed.message().arg.isEmpty() && c.text[0] != '\0');
        }
    }
}

TEST(DicomNode, SettingsRoundTripAndIgnoreGarbledValues) {
    test::TempDataRoot dir;
    AppSettings::setStoreFile(dir.file("settings.ini"));
    AppSettings settings;
    EXPECT_EQ(DicomSettings::load(settings), DicomSettings{});

    DicomSettings s;
    s.stationAet = "ECG_ROOM_2";
    s.archive = {"ORTHANC", "127.0.0.1", 4242};
    s.worklist = {"WLM", "10.0.0.5", 104};
    ASSERT_TRUE(s.save(settings));
    EXPECT_EQ(DicomSettings::load(AppSettings()), s);

    settings.setString(DicomSettings::kArchiveKey, "nonsense");
    settings.setString(DicomSettings::kStationAetKey, "WAY_TOO_LONG_FOR_AN_AE");
    const DicomSettings garbled = DicomSettings::load(AppSettings());
    EXPECT_FALSE(garbled.archive.isSet());
    EXPECT_EQ(garbled.stationAet, DicomSettings::kDefaultStationAet);
    EXPECT_EQ(garbled.worklist, s.worklist);
    AppSettings::setStoreFile({});
}
