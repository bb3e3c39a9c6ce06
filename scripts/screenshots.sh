#!/usr/bin/env bash
# Screenshots of the desktop program for docs/screenshots/: the tips dialog, the idle window, a scan
# of the real disks in progress, its results and the settings dialog. Needs xvfb, xdotool and
# imagemagick; run it as: xvfb-run -a -s "-screen 0 1024x768x24" scripts/screenshots.sh [zh|en]
# (zh, the default, writes tips.png ...; en writes tips-en.png ... of the English interface).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v xdotool >/dev/null || { echo "needs xdotool (apt-get install xdotool)" >&2; exit 2; }
out=docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
printf '[show]\nts=1\n' >"$work/setting.ini"
lang=${1:-zh}
export KELVO_LANG=$lang
if [ "$lang" = en ]; then
  suffix=-en tips_title='About and tips' title='Kelvo Junk File Cleaner 2.02' scanning='Scanning:'
else
  suffix='' tips_title='关于和提示' title='Kelvo 垃圾文件清扫器 2.02' scanning='正在扫描'
fi
shot() { import -window root -crop 614x430+0+0 +repage "$out/$1$suffix.png"; }

KELVO_SETTINGS_FILE="$work/setting.ini" build/bin/kelvo &
pid=$!
sleep 2
shot tips
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name "$tips_title" | head -1)")"
xdotool mousemove $((X + 234)) $((Y + 88)) click 1  # 确定
sleep 0.5
shot idle
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name "$title" | head -1)")"
xdotool mousemove $((X + 19)) $((Y + 64)) click 1   # tick 扫描硬盘
sleep 0.3
xdotool mousemove $((X + 214)) $((Y + 38)) click 1  # 扫描垃圾
sleep 1.5
shot scanning
for _ in $(seq 120); do
  xdotool search --name "$scanning" >/dev/null 2>&1 || break
  sleep 1
done
sleep 1
xdotool mousemove $((X + 300)) $((Y + 200))
shot results
xdotool mousemove $((X + 422)) $((Y + 38)) click 1  # 系统设置
sleep 1
shot settings
kill "$pid"
