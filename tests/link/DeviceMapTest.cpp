// Port names to device files, through the settings store.
#include <gtest/gtest.h>

#include "link/DeviceMap.h"
#include "persistence/SettingsStore.h"
#include "persistence/TempHome.h"

namespace orvane {
namespace {

TEST(DeviceMapTest, PortNamesAreComOneToFiveInAnyCase) {
  struct Case {
    const char* name;
    std::optional<int> port;
  };
  for (const Case& c : {Case{"Com1", 1}, Case{"COM5", 5}, Case{"com3", 3}, Case{"cOm2", 2},
                        Case{"Com0", std::nullopt}, Case{"Com6", std::nullopt},
                        Case{"Com10", std::nullopt}, Case{"Com", std::nullopt},
                        Case{"/dev/ttyS0", std::nullopt}, Case{"", std::nullopt}}) {
    EXPECT_EQ(DeviceMap::PortNumber(c.name), c.port) << c.name;
  }
}

TEST(DeviceMapTest, UnsetPortsUseTheUsualDevices) {
  test::TempHome home;
  SettingsStore settings(SettingsStore::DefaultLocation());
  DeviceMap map(settings);
  EXPECT_EQ(map.PathFor("Com1"), "/dev/ttyUSB0");
  EXPECT_EQ(map.PathFor("Com2"), "/dev/ttyUSB1");
  EXPECT_EQ(map.PathFor("Com3"), "/dev/ttyACM0");
  EXPECT_EQ(map.PathFor("Com4"), "/dev/ttyS0");
  EXPECT_EQ(map.PathFor("COM5"), "/dev/ttyS1");
}

TEST(DeviceMapTest, StoredDevicesWinAndOtherNamesArePaths) {
  test::TempHome home;
  SettingsStore settings(SettingsStore::DefaultLocation());
  ASSERT_TRUE(settings.write("COM3", "/dev/serial/by-id/orvane"));
  ASSERT_TRUE(settings.write("COM4", ""));
  DeviceMap map(settings);
  EXPECT_EQ(map.PathFor("com3"), "/dev/serial/by-id/orvane");
  EXPECT_EQ(map.PathFor("Com4"), "/dev/ttyS0");  // an empty entry counts as unset
  EXPECT_EQ(map.PathFor("Com6"), "Com6");
  EXPECT_EQ(map.PathFor("/tmp/orvane-sim"), "/tmp/orvane-sim");
  // The map reads the store at each look-up.
  ASSERT_TRUE(settings.write("COM1", "/dev/ttyUSB7"));
  EXPECT_EQ(map.PathFor("Com1"), "/dev/ttyUSB7");
}

}  // namespace
}  // namespace orvane
