#!/usr/bin/env python3
"""Builds a realistic desktop home and system tree in a temp folder and measures what
`kelvo-cli scan --locations=all` finds there: the share of the junk bytes per location, and
every file of the user's that it offers (there must be none).

Usage: scripts/realistic_home.py [KELVO_CLI]   (default build/bin/kelvo-cli)

Junk is what a location is meant to offer: caches and temporary files old enough for its age,
the trash, rotated logs, closed journal files, package archives. Young caches are no junk yet
(their location's age keeps them), and the user's documents, settings, credentials, browser
profiles and source trees never are.
"""
import os
import subprocess
import sys
import tempfile
import time
from collections import defaultdict

DAY = 86400
TAG = b"Signature: 8a477f597d28d172789f06886806bc55\n# This file is a cache directory tag.\n"

root = tempfile.mkdtemp(prefix="kelvo-realistic-")
home = os.path.join(root, "home/ana")
system = os.path.join(root, "sys")
planted = []  # (path, location or None, size)


def plant(relative, size, location=None, days=0, base=None, content=None):
    path = os.path.join(base or home, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        if content is not None:
            f.write(content)
            size = len(content)
        else:
            f.truncate(size)  # sparse: the size counts, the disk is spared
    if days:
        t = time.time() - days * DAY
        os.utime(path, (t, t))
    planted.append((path, location, size))


def sysplant(relative, size, location=None, days=0):
    plant(relative, size, location, days, base=system)


KB, MB = 1024, 1024 * 1024
uid = os.geteuid()

# --- Thumbnails and the trash.
for i in range(40):
    plant(f".cache/thumbnails/normal/{i:032x}.png", 12 * KB, "thumbnails", days=i)
    plant(f".cache/thumbnails/large/{i:032x}.png", 40 * KB, "thumbnails", days=i)
plant(".local/share/Trash/files/budget-2023.ods", 80 * KB, "trash", days=200)
plant(".local/share/Trash/info/budget-2023.ods.trashinfo", 90, "trash", days=3)
for i in range(12):
    plant(f".local/share/Trash/files/holiday/IMG_{i:04}.jpg", 3 * MB, "trash", days=100)
plant(".local/share/Trash/info/holiday.trashinfo", 80, "trash", days=5)
plant(".local/share/Trash/directorysizes", 100)  # the trash's own index, no item

# --- Firefox (its profile is the user's; its cache is junk), a stale lock.
ff = "xk3j2a1b.default-release"
for i in range(300):
    plant(f".cache/mozilla/firefox/{ff}/cache2/entries/{i:040X}", 60 * KB, "browser-cache", days=i % 50)
plant(f".cache/mozilla/firefox/{ff}/cache2/index", 200 * KB, "browser-cache")
plant(f".cache/mozilla/firefox/{ff}/startupCache/startupCache.8.little", 4 * MB, days=1)  # young
for f, size in [("places.sqlite", 10 * MB), ("key4.db", 300 * KB), ("logins.json", 4 * KB),
                ("cookies.sqlite", 1 * MB), ("prefs.js", 20 * KB), ("cert9.db", 200 * KB),
                ("sessionstore.jsonlz4", 500 * KB)]:
    plant(f".mozilla/firefox/{ff}/{f}", size, days=2)
os.symlink("127.0.1.1:+999999999", os.path.join(home, f".mozilla/firefox/{ff}/lock"))

# --- Chrome: disk caches in ~/.cache, the rest beside the profile.
for i in range(200):
    plant(f".cache/google-chrome/Default/Cache/Cache_Data/f_{i:06x}", 90 * KB, "browser-cache", days=i % 20)
plant(".cache/google-chrome/Default/Cache/Cache_Data/index", 24 * KB, "browser-cache")
for i in range(50):
    plant(f".cache/google-chrome/Default/Code Cache/js/{i:016x}_0", 30 * KB, "browser-cache")
plant(".cache/google-chrome/Default/Code Cache/js/index", 24, "browser-cache")
for f in ["data_0", "data_1", "data_2", "data_3", "index"]:
    plant(f".config/google-chrome/Default/GPUCache/{f}", 256 * KB, "browser-cache")
    plant(f".config/google-chrome/GrShaderCache/{f}", 256 * KB, "browser-cache")
    plant(f".config/google-chrome/Default/DawnCache/{f}", 128 * KB, "browser-cache")
for i in range(30):
    plant(f".config/google-chrome/Default/Service Worker/CacheStorage/{i:040x}/{i}_0", 200 * KB, "browser-cache")
for f, size in [("History", 8 * MB), ("Cookies", 1 * MB), ("Login Data", 60 * KB), ("Bookmarks", 30 * KB),
                ("Preferences", 40 * KB), ("Web Data", 200 * KB), ("Local Storage/leveldb/000003.log", 2 * MB),
                ("Service Worker/Database/000003.log", 100 * KB), ("Extensions/abc/1.0/manifest.json", 2 * KB)]:
    plant(f".config/google-chrome/Default/{f}", size, days=1)
plant(".config/google-chrome/Local State", 50 * KB)
os.symlink("otherhost-1", os.path.join(home, ".config/google-chrome/SingletonCookie"))

# --- Electron apps: VS Code, Discord, Slack, Signal, Obsidian, Teams.
def electron(app, cache_mb, data):
    for i in range(20):
        plant(f".config/{app}/Cache/Cache_Data/f_{i:06x}", cache_mb * MB // 20, "browser-cache", days=i)
    plant(f".config/{app}/Cache/Cache_Data/index", 24 * KB, "browser-cache")
    for i in range(10):
        plant(f".config/{app}/Code Cache/js/{i:016x}_0", 100 * KB, "browser-cache")
        plant(f".config/{app}/Code Cache/wasm/{i:016x}_0", 50 * KB, "browser-cache")
    for f in ["data_0", "data_1", "index"]:
        plant(f".config/{app}/GPUCache/{f}", 200 * KB, "browser-cache")
        plant(f".config/{app}/DawnGraphiteCache/{f}", 100 * KB, "browser-cache")
    plant(f".config/{app}/Service Worker/CacheStorage/abc/0_0", 300 * KB, "browser-cache")
    for f, size in data:
        plant(f".config/{app}/{f}", size, days=3)


electron("Code", 40, [("User/settings.json", 3 * KB), ("User/keybindings.json", 1 * KB),
                      ("User/globalStorage/state.vscdb", 2 * MB), ("User/workspaceStorage/a1/state.vscdb", 200 * KB),
                      ("Local Storage/leveldb/000005.ldb", 300 * KB), ("Preferences", 1 * KB)])
for i in range(15):
    plant(f".config/Code/CachedData/1e790d77f81672c49be070e04474901747115651/{i}.code", 400 * KB, "browser-cache")
electron("discord", 120, [("settings.json", 1 * KB), ("Local Storage/leveldb/000042.ldb", 4 * MB)])
electron("Slack", 60, [("storage/root-state.json", 30 * KB), ("Cookies", 100 * KB)])
electron("Signal", 20, [("sql/db.sqlite", 50 * MB), ("config.json", 1 * KB),
                        ("attachments.noindex/ab/abcdef", 3 * MB)])
electron("obsidian", 10, [("obsidian.json", 1 * KB), ("Local Storage/leveldb/000003.log", 100 * KB)])
electron("Microsoft/Microsoft Teams", 80, [("desktop-config.json", 5 * KB)])

# --- Application caches in ~/.cache: old ones are junk, young ones not yet.
for i in range(60):
    plant(f".cache/pip/http-v2/{i % 10}/{i:040x}", 300 * KB, "app-cache", days=40 + i)
for i in range(40):
    plant(f".cache/go-build/{i:02x}/{i:064x}-d", 200 * KB, "app-cache", days=35)
plant(".cache/go-build/README", 200, "app-cache", days=35)
plant(".cache/go-build/CACHEDIR.TAG", None, "app-cache", days=35, content=TAG)
for i in range(30):
    plant(f".cache/yarn/v6/npm-pkg-{i}-1.0.0/node_modules/pkg/index.js", 50 * KB, "app-cache", days=60)
plant(".cache/fontconfig/a41116dafaf8b233ac2c61cb73f2ea5f-le64.cache-9", 100 * KB, days=1)  # young
plant(".cache/gnome-software/odrs/ratings.json", 2 * MB, days=2)  # young
plant(".cache/tracker3/files/meta.db", 30 * MB, days=0)  # live
plant(".cache/keepassxc/keepassxc.ini", 300, days=120)  # settings in a cache: never offered
plant(".cache/lutris.conf", 200, days=90)  # settings too

# --- Snaps and flatpaks.
for i in range(40):
    plant(f"snap/spotify/common/.cache/spotify/Data/{i:02x}/{i:030x}.file", 500 * KB, "snap-cache", days=45)
plant("snap/spotify/85/.cache/event-sender/queue", 100 * KB, "snap-cache", days=40)
plant("snap/spotify/85/.config/spotify/prefs", 2 * KB, days=40)  # the snap's settings
os.symlink("85", os.path.join(home, "snap/spotify/current"))
for i in range(30):
    plant(f"snap/firefox/common/.cache/mozilla/firefox/p.default/cache2/entries/{i:040X}", 80 * KB,
          "snap-cache", days=31 + i)
plant("snap/firefox/common/.mozilla/firefox/p.default/places.sqlite", 5 * MB, days=31)
for i in range(20):
    plant(f".var/app/com.spotify.Client/cache/spotify/Data/{i:02x}.file", 400 * KB, "app-cache", days=50)
plant(".var/app/com.spotify.Client/config/spotify/prefs", 1 * KB, days=50)
for i in range(25):
    plant(f".var/app/org.mozilla.firefox/cache/mozilla/firefox/q.default/cache2/entries/{i:040X}",
          70 * KB, "browser-cache", days=2)
plant(".var/app/org.mozilla.firefox/.mozilla/firefox/q.default/places.sqlite", 6 * MB, days=2)

# --- Developer tools.
for i in range(80):
    plant(f".npm/_cacache/content-v2/sha512/{i:02x}/{i:0126x}", 150 * KB, "dev-cache", days=45)
    plant(f".npm/_cacache/index-v5/{i:02x}/{i:062x}", 1 * KB, "dev-cache", days=45)
plant(".npmrc", 100, days=300)  # credentials: a registry token
for i in range(60):
    plant(f".cargo/registry/cache/index.crates.io-6f17d22bba15001f/crate{i}-1.0.{i}.crate", 120 * KB,
          "dev-cache", days=60)
plant(".cargo/credentials.toml", 80, days=300)
plant(".cargo/config.toml", 200, days=300)
for i in range(50):
    plant(f".gradle/caches/modules-2/files-2.1/org.lib{i}/lib/1.{i}/{i:040x}/lib-1.{i}.jar", 400 * KB,
          "dev-cache", days=90)
plant(".gradle/gradle.properties", 300, days=300)  # signing passwords live here
for i in range(40):
    plant(f"go/pkg/mod/cache/download/github.com/x/mod{i}/@v/v1.0.{i}.zip", 200 * KB, "dev-cache", days=70)
plant("go/src/github.com/ana/tool/main.go", 3 * KB, days=70)  # her code
# A Rust project: the sources are hers, target/ is a tagged cache.
for f in ["Cargo.toml", "Cargo.lock", "src/main.rs", "src/lib.rs", "README.md"]:
    plant(f"src/rustproj/{f}", 4 * KB, days=40)
plant("src/rustproj/target/CACHEDIR.TAG", None, "dev-cache", days=40, content=TAG)
for i in range(100):
    plant(f"src/rustproj/target/debug/deps/libdep{i}-{i:016x}.rlib", 600 * KB, "dev-cache", days=40)
plant("src/rustproj/target/debug/rustproj", 8 * MB, "dev-cache", days=40)
# A look-alike that is no tag: kept.
plant("src/site/public/CACHEDIR.TAG", None, days=40, content=b"not a cache tag\n")
plant("src/site/public/index.html", 20 * KB, days=40)
# A real tag planted among her documents: they stay hers.
plant("Documents/CACHEDIR.TAG", None, days=40, content=TAG)
plant("Documents/letters/2024-old.odt", 200 * KB, days=400)
plant("src/site/.git/objects/pack/pack-1.pack", 5 * MB, days=40)
plant("src/webapp/node_modules/react/index.js", 10 * KB, days=40)  # regenerable, but not ours to judge
plant("src/webapp/package.json", 1 * KB, days=40)

# --- Downloads: given up long ago, one running now, and finished ones that are hers.
plant("Downloads/ubuntu-24.04-desktop-amd64.iso.crdownload", 1500 * MB, "partial-downloads", days=12)
plant("Downloads/lecture.mp4.part", 300 * MB, "partial-downloads", days=30)
plant("Downloads/dataset.zip.partial", 50 * MB, "partial-downloads", days=9)
plant("Downloads/now-loading.tar.gz.part", 20 * MB, days=0)  # still downloading
plant("Downloads/thesis-final.pdf", 2 * MB, days=20)
plant("Downloads/archive.part1.rar", 100 * MB, days=40)  # a multi-part archive, not a download
plant("Downloads/setup.exe", 30 * MB, days=100)

# --- Her files.
for f, size in [("Documents/thesis.odt", 3 * MB), ("Documents/taxes-2025.pdf", 1 * MB),
                ("Documents/notes.txt", 10 * KB), ("Documents/backup.tmp.odt", 1 * MB),
                ("Pictures/2025/IMG_0001.jpg", 4 * MB), ("Music/song.flac", 30 * MB),
                ("Videos/clip.mp4", 50 * MB), ("Desktop/todo.md", 1 * KB),
                (".ssh/id_ed25519", 400), (".ssh/known_hosts", 2 * KB), (".gnupg/pubring.kbx", 5 * KB),
                (".local/share/keyrings/login.keyring", 3 * KB), (".bashrc", 4 * KB),
                (".config/user-dirs.dirs", 0), (".config/monitors.xml", 1 * KB),
                (".local/share/recently-used.xbel", 20 * KB), (".thunderbird/a.default/Mail/Inbox", 20 * MB),
                (".local/share/Steam/steamapps/common/game/data.pak", 200 * MB)]:
    plant(f, size, days=200)
with open(os.path.join(home, ".config/user-dirs.dirs"), "w") as f:
    f.write('XDG_DESKTOP_DIR="$HOME/Desktop"\nXDG_DOWNLOAD_DIR="$HOME/Downloads"\n')

# --- The system.
sysplant("var/log/syslog", 5 * MB)
sysplant("var/log/syslog.1", 8 * MB, "old-logs", days=1)
for n in range(2, 5):
    sysplant(f"var/log/syslog.{n}.gz", 1 * MB, "old-logs", days=n)
sysplant("var/log/auth.log", 200 * KB)
sysplant("var/log/auth.log.1", 300 * KB, "old-logs", days=7)
sysplant("var/log/dpkg.log", 500 * KB)
sysplant("var/log/dpkg.log.2.gz", 100 * KB, "old-logs", days=60)
sysplant("var/log/Xorg.0.log", 50 * KB)
sysplant("var/log/Xorg.0.log.old", 40 * KB, "old-logs", days=10)
sysplant("var/log/samba/log.192.168.1.5", 100 * KB)  # live, per client
sysplant("var/log/samba/log.10.0.0.1", 100 * KB)
sysplant("var/log/samba/log.smbd", 100 * KB)
sysplant("var/log/samba/log.smbd.old", 200 * KB, "old-logs", days=30)
sysplant("var/log/cups/access_log", 10 * KB)
sysplant("var/log/cups/access_log.1", 10 * KB, "old-logs", days=7)
sysplant("var/log/nginx/access.log-20261101", 2 * MB, "old-logs", days=40)
sysplant("var/log/nginx/access.log", 1 * MB)
sysplant("var/log/mysql/mysql-bin.000042", 4 * MB)  # live binary log
journal = "var/log/journal/4a1b2c3d4e5f67890123456789abcdef"
sysplant(f"{journal}/system.journal", 64 * MB)
sysplant(f"{journal}/user-1000.journal", 16 * MB)
for n in range(5):
    sysplant(f"{journal}/system@6b2c000000000000000000000000000{n}-000000000000000{n}-0005f1a2b3c4d5e6.journal",
             128 * MB, "old-journal", days=10 * n + 1)
sysplant(f"{journal}/user-1000@d1e2000000000000000000000000000a-0000000000000001-0005f1a2b3c4d5e6.journal",
         32 * MB, "old-journal", days=20)
sysplant(f"{journal}/system@0005f1a2b3c4d5e6-1a2b3c4d5e6f7a8b.journal~", 8 * MB, "old-journal", days=3)
for i in range(10):
    sysplant(f"var/cache/apt/archives/pkg{i}_1.0-1_amd64.deb", 2 * MB, "package-cache", days=20)
sysplant("var/cache/apt/archives/lock", 0)
sysplant("var/cache/apt/archives/partial/next_2.0_amd64.deb", 3 * MB, "package-cache")
sysplant("var/lib/systemd/coredump/core.firefox.1000.abc.zst", 40 * MB, "crash-dumps", days=5)
sysplant("var/crash/_usr_bin_gedit.1000.crash", 8 * MB, "crash-dumps", days=5)
for i in range(10):
    sysplant(f"var/tmp/build-{i}/obj{i}.o", 2 * MB, "old-temp", days=60)
sysplant("var/tmp/kdecache-ana/icon-cache.kcache", 10 * MB, days=1)  # young
sysplant("var/tmp/systemd-private-0a1b-colord.service-XyZ/tmp/colord.lock", 1 * KB, days=90)  # a service's
sysplant(f".Trash-{uid}/files/old-video.mkv", 700 * MB, "trash", days=300)
sysplant(f".Trash-{uid}/info/old-video.mkv.trashinfo", 90, "trash", days=10)
os.makedirs(os.path.join(system, "var/tmp"), exist_ok=True)
os.mkfifo(os.path.join(system, "var/tmp/old.fifo"))  # special: never listed
t = time.time() - 90 * DAY
os.utime(os.path.join(system, "var/tmp/old.fifo"), (t, t), follow_symlinks=False)

# --- Scan.
cli = sys.argv[1] if len(sys.argv) > 1 else "build/bin/kelvo-cli"
env = dict(os.environ, HOME=home, XDG_CACHE_HOME=f"{home}/.cache", XDG_CONFIG_HOME=f"{home}/.config",
           XDG_DATA_HOME=f"{home}/.local/share", KELVO_SYSTEM_ROOT=system,
           KELVO_SETTINGS_FILE=os.path.join(root, "settings.ini"))
run = subprocess.run([cli, "scan", "--locations=all", "--format=tsv"], env=env, capture_output=True)
offered = {}
for line in run.stdout.decode("utf-8", "replace").splitlines():
    fields = line.split("\t")
    offered[fields[1]] = fields[2]

junk = defaultdict(lambda: [0, 0, 0, 0])  # location: files, bytes, found files, found bytes
wrong = []
for path, location, size in planted:
    if location is None:
        if path in offered:
            wrong.append(path)
        continue
    j = junk[location]
    j[0] += 1
    j[1] += size
    if path in offered:
        j[2] += 1
        j[3] += size
total = [sum(v[i] for v in junk.values()) for i in range(4)]
print(f"{'location':18} {'junk files':>10} {'junk bytes':>14} {'found':>6} {'found bytes':>14} share")
for location in sorted(junk):
    f, b, ff, fb = junk[location]
    print(f"{location:18} {f:10} {b:14,} {ff:6} {fb:14,} {100 * fb / b:6.1f}%")
print(f"{'all':18} {total[0]:10} {total[1]:14,} {total[2]:6} {total[3]:14,} {100 * total[3] / total[1]:6.1f}%")
print(f"user's files offered: {len(wrong)}")
for path in wrong:
    print("  ", path)
print("stderr:", run.stderr.decode("utf-8", "replace").strip().replace(root, "T"))
print("tree:", root)
