#include "platform/posix/mount_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo::platform {
namespace {

constexpr const char* kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "28 27 8:1 / /home rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "29 27 8:1 /sub /srv/bind rw - ext4 /dev/sda1 rw\n"
    "30 27 8:17 / /media/usb\\040stick rw - vfat /dev/sdb1 rw\n"
    "31 27 7:0 / /snap/core rw - squashfs /dev/loop0 ro\n"
    "32 27 0:40 / /tmp rw - tmpfs tmpfs rw\n"
    "33 27 8:2 / /data\\040disk rw - xfs /dev/sda2 rw\n"
    "garbage line\n";

TEST(MountTable, ParsesAndUnescapesMountPoints) {
  auto mounts = ParseMountInfo(kMountInfo);
  ASSERT_EQ(mounts.size(), 8u);
  EXPECT_EQ(mounts[2].mountPoint, "/home");
  EXPECT_EQ(mounts[2].major, 8u);
  EXPECT_EQ(mounts[2].minor, 1u);
  EXPECT_EQ(mounts[4].mountPoint, "/media/usb stick");
  EXPECT_EQ(mounts[7].source, "/dev/sda2");
}

TEST(MountTable, SelectsLocalFixedBlockDevicesOncePerDevice) {
  BlockDeviceQuery query;
  query.isBlockDevice = [](unsigned, unsigned) { return true; };
  query.isRemovable = [](unsigned major, unsigned minor) { return major == 8 && minor == 17; };
  query.label = [](unsigned major, unsigned minor) {
    return major == 8 && minor == 2 ? std::string("DATA") : std::string();
  };
  auto disks = SelectFixedDisks(ParseMountInfo(kMountInfo), query);
  ASSERT_EQ(disks.size(), 3u);
  EXPECT_EQ(disks[0].key, "/");
  EXPECT_EQ(disks[0].text, "/");
  EXPECT_EQ(disks[1].key, "/home/");
  EXPECT_EQ(disks[2].key, "/data disk/");
  EXPECT_EQ(disks[2].text, "/data disk/(DATA)");
}

}  // namespace
}  // namespace kelvo::platform
