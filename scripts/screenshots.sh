#!/usr/bin/env bash
# Screenshots of the desktop program for docs/screenshots/: the tips dialog, the idle window, a scan
# of the real disks in progress, its results and the settings dialog. Needs xvfb, xdotool and
# imagemagick; run it as: xvfb-run -a -s "-screen 0 1024x768x24" scripts/screenshots.sh [zh|en]
# (zh, the default, writes tips.png ...; en writes tips-en.png ... of the English interface).
#
# scripts/screenshots.sh [zh|en] summary [1|2] scans a small tree made here instead, and takes the
# summary ("垃圾分布"), the report of a deletion that left files behind, the window after it and
# the tips, at 100% or 200% (QT_SCALE_FACTOR=2; take those on an 800-pixel screen:
# xvfb-run -a -s "-screen 0 1280x800x24" ...). Files: summary.png, report.png, cleaned.png,
# tips-dialog.png, with -en and -200 in their names as they apply.
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
# The window named $2, cut out of the screen into $1.
shot_window() {
  local id
  id=$(xdotool search --name "$2" | tail -1)
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1"
}

if [ "${2:-}" = summary ]; then
  scale=${3:-1}
  export QT_SCALE_FACTOR=$scale
  tag=$suffix
  [ "$scale" = 2 ] && tag="$tag-200"
  if [ "$lang" = en ]; then summary_title='^Where the junk is$' report_title='^Clean$'
  else summary_title='^垃圾分布$' report_title='^清除垃圾$'; fi
  disk=$work/disk
  mkdir -p "$disk/build/Temp" "$disk/docs" "$disk/cache"
  head -c 300000 /dev/urandom >"$disk/build/old-image.bak"
  head -c 120000 /dev/urandom >"$disk/docs/report.old"
  for i in 1 2 3 4 5 6; do head -c $((i * 7000)) /dev/urandom >"$disk/build/Temp/part$i.dat"; done
  for i in 1 2 3; do head -c 900 /dev/urandom >"$disk/cache/session$i.tmp"; done
  truncate -s 50M "$disk/docs/sparse-image.tmp"  # long, but takes no blocks
  : >"$disk/docs/empty.tmp"
  ln "$disk/docs/report.old" "$disk/docs/report-link.old"
  printf '[show]\nts=0\n' >"$work/setting.ini"
  KELVO_SETTINGS_FILE="$work/setting.ini" KELVO_DRIVES="$disk/" build/bin/kelvo &
  pid=$!
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name "$title" | head -1)")"
  xdotool mousemove $((X + 19 * scale)) $((Y + 64 * scale)) click 1   # tick 扫描硬盘
  sleep 0.3
  xdotool mousemove $((X + 214 * scale)) $((Y + 38 * scale)) click 1  # 扫描垃圾
  sleep 3
  xdotool key F6
  sleep 1
  shot_window "summary$tag.png" "$summary_title"
  xdotool key Escape
  sleep 0.5
  # Files changed after the scan stay: the report names them with the reason.
  echo more >>"$disk/build/Temp/part2.dat"
  echo more >>"$disk/cache/session3.tmp"
  xdotool mousemove $((X + 300 * scale)) $((Y + 150 * scale)) click 1
  xdotool key ctrl+a Delete
  sleep 2
  shot_window "report$tag.png" "$report_title"
  xdotool key Escape
  sleep 0.5
  import -window root -crop "$((614 * scale))x$((430 * scale))+0+0" +repage "$out/cleaned$tag.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  printf '[show]\nts=1\n' >"$work/setting.ini"
  KELVO_SETTINGS_FILE="$work/setting.ini" KELVO_DRIVES="$disk/" build/bin/kelvo &
  pid=$!
  sleep 2
  shot_window "tips-dialog$tag.png" "$tips_title"
  kill "$pid"
  exit 0
fi

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
