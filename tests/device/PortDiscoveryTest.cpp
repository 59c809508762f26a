// Finding the recorder's port on a faked enumeration, and the overrides.
#include "device/PortDiscovery.h"
#include "core/AppSettings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

class FakeEnumerator : public PortEnumerator {
public:
    std::vector<TtyDevice> devices;
    int scans = 0;
    std::vector<TtyDevice> ttyDevices() override {
        ++scans;
        return devices;
    }
};

TtyDevice bridge(const char* node) {
    return {node, "10c4", "cp210x"};
}

// Settings in a file of the test's own, removed afterwards.
class SettingsFile {
public:
    SettingsFile() { AppSettings::setStoreFile(dir_.filePath("settings.ini")); }
    ~SettingsFile() { AppSettings::setStoreFile(QString()); }

private:
    QTemporaryDir dir_;
};

} // namespace

TEST(PortDiscovery, FirstBridgeInEnumerationOrderWins) {
    FakeEnumerator e;
    e.devices = {{"/dev/ttyS0", "", ""}, bridge("/dev/ttyUSB3"), bridge("/dev/ttyUSB0")};
    EXPECT_EQ(PortDiscovery::findRecorderPort(e), QStringLiteral("/dev/ttyUSB3"));
}

TEST(PortDiscovery, VendorAndDriverMustBothMatch) {
    FakeEnumerator e;
    e.devices = {{"/dev/ttyUSB0", "10c4", "ftdi_sio"},
                 {"/dev/ttyUSB1", "0403", "cp210x"},
                 {"/dev/ttyACM0", "", "cdc_acm"}};
    EXPECT_FALSE(PortDiscovery::findRecorderPort(e));
    e.devices.push_back({"/dev/ttyUSB7", "10C4", "cp210x"}); // vendor ids are hex, any case
    EXPECT_EQ(PortDiscovery::findRecorderPort(e), QStringLiteral("/dev/ttyUSB7"));
}

TEST(PortDiscovery, NothingEnumeratedIsNotFound) {
    FakeEnumerator e;
    EXPECT_FALSE(PortDiscovery::findRecorderPort(e));
}

TEST(PortDiscovery, OverrideThenSettingThenScan) {
    SettingsFile settings;
    FakeEnumerator e;
    e.devices = {bridge("/dev/ttyUSB0")};
    EXPECT_EQ(PortDiscovery::resolve(std::nullopt, e), QStringLiteral("/dev/ttyUSB0"));
    ASSERT_TRUE(AppSettings().setString(AppSettings::kPort, QStringLiteral(" /dev/pts/4 ")));
    EXPECT_EQ(PortDiscovery::resolve(std::nullopt, e), QStringLiteral("/dev/pts/4"));
    const int scans = e.scans;
    EXPECT_EQ(PortDiscovery::resolve(QStringLiteral("/dev/ttyUSB9"), e),
              QStringLiteral("/dev/ttyUSB9"));
    EXPECT_EQ(e.scans, scans); // an explicit port needs no scan
    AppSettings().setString(AppSettings::kPort, QString());
    EXPECT_EQ(PortDiscovery::resolve(QString(), e), QStringLiteral("/dev/ttyUSB0"));
}

TEST(PortDiscovery, PortNumberIsTheTrailingNumber) {
    EXPECT_EQ(PortDiscovery::portNumberOf(QStringLiteral("/dev/ttyUSB3")), 3);
    EXPECT_EQ(PortDiscovery::portNumberOf(QStringLiteral("/dev/ttyUSB12")), 12);
    EXPECT_EQ(PortDiscovery::portNumberOf(QStringLiteral("/dev/pts/0")), 0);
    EXPECT_EQ(PortDiscovery::portNumberOf(QStringLiteral("/dev/recorder")), -1);
    EXPECT_EQ(PortDiscovery::portNumberOf(QString()), -1);
}
