#include "platform/posix/mount_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo::platform {
namespace {

using ::testing::ElementsAre;

// The keys of the fixed disks of a mount table; the device 8:16 (/dev/sdb) is a removable stick.
std::vector<std::string> Keys(const char* mountInfo) {
  BlockDeviceQuery query;
  query.isRemovable = [](const MountEntry& m) { return m.source.starts_with("/dev/sdb"); };
  std::vector<std::string> keys;
  for (const FixedDisk& d : SelectFixedDisks(ParseMountInfo(mountInfo), query))
    keys.push_back(d.key);
  return keys;
}

TEST(MountTable, ParsesAndUnescapesMountPoints) {
  auto mounts = ParseMountInfo(
      "28 27 8:1 / /home rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
      "30 27 8:17 / /media/usb\\040stick rw - vfat /dev/sdb1 rw\n"
      "garbage line\n");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].mountPoint, "/home");
  EXPECT_EQ(mounts[0].major, 8u);
  EXPECT_EQ(mounts[0].minor, 1u);
  EXPECT_EQ(mounts[0].superOptions, "rw,errors=remount-ro");
  EXPECT_EQ(mounts[1].mountPoint, "/media/usb stick");
}

TEST(MountTable, DebianExt4WithTmpfsProcAndBindMount) {
  EXPECT_THAT(Keys("22 1 0:21 / /proc rw - proc proc rw\n"
                   "26 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw,errors=remount-ro\n"
                   "27 26 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
                   "28 26 8:3 / /data\\040disk rw - xfs /dev/sda3 rw\n"
                   "29 26 8:1 /srv/www /var/www rw - ext4 /dev/sda1 rw\n"
                   "30 26 0:40 / /tmp rw - tmpfs tmpfs rw\n"),
              ElementsAre("/", "/data disk/"));
}

TEST(MountTable, FedoraBtrfsSubvolumesAreDisksOfTheirOwn) {
  EXPECT_THAT(Keys("58 1 0:32 /root / rw,relatime shared:1 - btrfs /dev/nvme0n1p3 "
                   "rw,seclabel,compress=zstd:1,ssd,space_cache=v2,subvolid=257,subvol=/root\n"
                   "90 58 259:2 / /boot rw - ext4 /dev/nvme0n1p2 rw,seclabel\n"
                   "93 58 0:32 /home /home rw,relatime - btrfs /dev/nvme0n1p3 "
                   "rw,seclabel,compress=zstd:1,ssd,space_cache=v2,subvolid=256,subvol=/home\n"
                   "95 90 259:1 / /boot/efi rw - vfat /dev/nvme0n1p1 rw,fmask=0077\n"),
              ElementsAre("/", "/boot/", "/home/", "/boot/efi/"));
}

TEST(MountTable, UbuntuZfsDatasets) {
  EXPECT_THAT(Keys("24 1 0:23 / / rw - zfs rpool/ROOT/ubuntu_abc rw,xattr,posixacl\n"
                   "25 24 0:25 / /home/ann rw - zfs rpool/USERDATA/ann_abc rw,xattr\n"
                   "26 24 0:26 / /var/snap rw - zfs rpool/ROOT/ubuntu_abc/var/snap rw\n"
                   "40 24 7:3 / /snap/core22/1380 ro,nodev - squashfs /dev/loop3 ro\n"
                   "41 24 7:4 / /snap/firefox/4173 ro - squashfs /dev/loop4 ro\n"),
              ElementsAre("/", "/home/ann/", "/var/snap/"));
}

TEST(MountTable, UsbStickNetworkAndContainerMountsAreNoDisks) {
  EXPECT_THAT(Keys("26 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                   "30 26 8:17 / /media/ann/STICK rw - vfat /dev/sdb1 rw\n"
                   "31 26 0:50 / /mnt/nfs rw - nfs4 server:/export rw,vers=4.2\n"
                   "32 26 0:51 / /mnt/share rw - cifs //nas/share rw\n"
                   "33 26 0:52 / /mnt/ssh rw - fuse.sshfs ann@host:/ rw\n"
                   "34 26 7:0 / /mnt/image rw - ext4 /dev/loop0 rw\n"),
              ElementsAre("/"));
  // Inside a container: an overlay root and files bound in from the host.
  EXPECT_THAT(Keys("600 500 0:120 / / rw - overlay overlay rw,lowerdir=/l,upperdir=/u\n"
                   "610 600 8:1 /var/lib/docker/containers/x/hosts /etc/hosts rw - ext4 "
                   "/dev/sda1 rw\n"
                   "611 600 0:121 / /proc rw - proc proc rw\n"),
              ElementsAre());
}

TEST(MountTable, LabelsComeFromTheQuery) {
  BlockDeviceQuery query;
  query.label = [](const MountEntry& m) { return m.source == "/dev/sda3" ? "DATA" : ""; };
  auto disks = SelectFixedDisks(ParseMountInfo("26 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                               "28 26 8:3 / /data rw - xfs /dev/sda3 rw\n"),
                                query);
  ASSERT_EQ(disks.size(), 2u);
  EXPECT_EQ(disks[0].text, "/");
  EXPECT_EQ(disks[1].text, "/data/(DATA)");
}

}  // namespace
}  // namespace kelvo::platform
