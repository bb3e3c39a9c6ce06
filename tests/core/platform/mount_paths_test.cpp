#include "platform/mount_paths.h"

#include <gtest/gtest.h>

#include "platform/posix/mount_mappings.h"

namespace kelvo::platform {
namespace {

MountPaths Table(const char* mountInfo) {
  return MountPaths(MountMappings(ParseMountInfo(mountInfo)));
}

TEST(MountPaths, ABindMountIsSeenAsItsFolderOnTheRootMount) {
  const MountPaths mounts = Table(
      "26 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "27 26 8:2 / /home rw - ext4 /dev/sda2 rw\n"
      "28 26 8:1 /usr /srv/usr rw - ext4 /dev/sda1 rw\n"
      "29 26 8:1 /usr/share /srv/share\\040it rw - ext4 /dev/sda1 rw\n"
      "30 26 8:2 /alice /srv/alice rw - ext4 /dev/sda2 rw\n");
  EXPECT_TRUE(mounts.HasBindMounts());
  EXPECT_EQ(mounts.PathOnPrimaryMount("/srv/usr/bin/ls"), "/usr/bin/ls");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/srv/usr"), "/usr");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/srv/share it/man"), "/usr/share/man");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/srv/alice/notes"), "/home/alice/notes");
  // Not through a bind mount: unchanged.
  EXPECT_EQ(mounts.PathOnPrimaryMount("/srv/usrx/bin/ls"), "/srv/usrx/bin/ls");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/usr/bin/ls"), "/usr/bin/ls");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/home/bob/x"), "/home/bob/x");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/"), "/");
}

TEST(MountPaths, TheRootBoundElsewhereAndAFolderOfATmpfs) {
  const MountPaths mounts = Table(
      "26 1 254:0 / / rw - ext4 /dev/vda rw\n"
      "27 26 254:0 / /mnt/root rw - ext4 /dev/vda rw\n"
      "28 26 0:40 / /tmp rw - tmpfs tmpfs rw\n"
      "29 28 0:40 /t/usr /tmp/t/bound rw - tmpfs tmpfs rw\n");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/mnt/root/usr/bin/ls"), "/usr/bin/ls");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/mnt/root"), "/");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/tmp/t/bound/lib/x"), "/tmp/t/usr/lib/x");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/tmp/t/usr/lib/x"), "/tmp/t/usr/lib/x");
}

TEST(MountPaths, BtrfsSubvolumesAreTheirOwnButAFolderOfOneIsBound) {
  const MountPaths mounts = Table(
      "26 1 0:30 /@ / rw - btrfs /dev/sda2 rw,subvol=/@\n"
      "27 26 0:30 /@home /home rw - btrfs /dev/sda2 rw,subvol=/@home\n"
      "28 26 0:30 /@/usr /srv/usr rw - btrfs /dev/sda2 rw,subvol=/@\n");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/home/alice/x"), "/home/alice/x");
  EXPECT_EQ(mounts.PathOnPrimaryMount("/srv/usr/bin/ls"), "/usr/bin/ls");
}

TEST(MountPaths, AMountOverABindMountHidesItAndOnlyBindsAreNoMapping) {
  const MountPaths hidden = Table(
      "26 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "28 26 8:1 /usr /srv/usr rw - ext4 /dev/sda1 rw\n"
      "29 28 0:41 / /srv/usr rw - tmpfs tmpfs rw\n");
  EXPECT_EQ(hidden.PathOnPrimaryMount("/srv/usr/bin/ls"), "/srv/usr/bin/ls");
  // A container that sees only a folder of the disk: nothing shows more of it.
  const MountPaths container = Table("26 1 8:1 /var/lib/c1 / rw - ext4 /dev/sda1 rw\n");
  EXPECT_FALSE(container.HasBindMounts());
  EXPECT_EQ(container.PathOnPrimaryMount("/usr/bin/ls"), "/usr/bin/ls");
  EXPECT_EQ(MountPaths().PathOnPrimaryMount("/usr/bin/ls"), "/usr/bin/ls");
}

}  // namespace
}  // namespace kelvo::platform
