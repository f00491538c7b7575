#!/usr/bin/env bash
# The portable ZIP tried under Wine as a Windows user would: unpacked into a
# folder of its own and started in a new Wine prefix (Chinese fonts, code
# page 936) on the X display given. Three kinds of start:
#  1. a first start: the window "ZorvikV1.0" with its Chinese captions, a
#     new "配置.ini" with the twelve keys in GBK as Windows' profile reader
#     sees them, the import folder chooser with its title, and 是 to the
#     exit question ending the program with 0 and leaving no process behind;
#  2. an interval reminder, started with the start hotkey, showing its box;
#  3. a table row's command run by cmd, its output shown in the output
#     panel.
# It also prints what cmd_lines.c shows of Wine's cmd: lines that reach
# it together run only the first (the program types them one at a time).
# With ZORVIK_SCREENSHOTS set, the window and the reminder box are saved there
# (their insides: no window manager draws a frame here).
# Usage: DISPLAY=... bash tests/windows/smoke.sh ZIP
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/windows/common.sh"
source "$WIN_SCRIPTS/wine_env.sh"
zip=$1
shots=${ZORVIK_SCREENSHOTS:-}

work=$(mktemp -d /tmp/zorvik-smoke-XXXXXX)
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true  # it and its programs write into the prefix until they end
  rm -rf "$work"
}
trap cleanup EXIT
say() { echo "smoke: $*" >&2; }
fail() {
  say "FAILED: $*"
  exit 1
}

python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work"
app=$(echo "$work"/zorvik-*)
[ -f "$app/zorvik.exe" ] || fail "no zorvik.exe in the ZIP"
# No DLL folders of the build: the ZIP has to carry everything it loads.
wine_env "$work/prefix"
wineboot -i >/dev/null 2>&1
for tool in profile_dump font_check; do
  "$WIN_TRIPLE-gcc-posix" -municode -O2 "$here/$tool.c" -o "$work/$tool.exe" -lgdi32
done
win() { echo "Z:${1//\//\\}"; }

# within SECONDS COMMAND...: true as soon as the command is, tried five
# times a second.
within() {
  local tries=$(($1 * 5))
  shift
  for _ in $(seq 1 "$tries"); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}
# Window lookups by exact title; prints the first visible one's id.
visible() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | awk 'NR == 1 { print } END { exit NR == 0 }'
}
find_window() { within "${2:-60}" visible "$1"; }
# Clicks at a point of the window's client area.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.5
}
# Keys go to the window Wine has active: a click on a spot of it that does
# nothing activates it (with no window manager, X's input focus alone does
# not), then the keys are typed for real (XTEST).
press() {
  click "$1" "$2" "$3"
  xdotool key "${@:4}"
}
size() { xdotool getwindowgeometry "$1" | sed -n 's/ *Geometry: //p'; }
resized() { [ "$(size "$1")" != "$2" ]; }
# Clicks a button that opens or closes a panel, and waits until the window
# has taken its new size: under a loaded Wine the next click would
# otherwise land where the button is not yet.
click_resize() {
  local before
  before=$(size "$1")
  click "$1" "$2" "$3"
  within 15 resized "$1" "$before" || fail "the click at $2,$3 left the window at $before"
}
shoot() { [ -n "$shots" ] && import -window "$1" "$shots/$2.png"; true; }

start() {
  (cd "$app" && exec wine zorvik.exe) &
  pid=$!
  main=$(find_window ZorvikV1.0 90) || fail "the window ZorvikV1.0 did not appear"
}
# Closes the window (alt+F4, or with "button" its 退出 button) and answers
# 是 (its key, Y): the program ends with 0, taking its interpreter and speech
# service with it.
close_with_yes() {
  if [ "${1:-}" = button ]; then
    click "$main" 223 236 # 按钮_退出, below the menu bar
  else
    press "$main" 130 45 alt+F4 # on the time display
  fi
  local box
  box=$(find_window '提示：' 20) || fail "no exit question"
  press "$box" 5 5 y
  local status=0
  wait "$pid" || status=$?
  [ "$status" = 0 ] || fail "zorvik.exe ended with $status"
  sleep 1
  local left
  left=$(for p in $(pgrep -f 'zorvik(-speech)?\.exe|cmd\.exe' || true); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      tr '\0' ' ' <"/proc/$p/cmdline"
  done || true)
  [ -z "$left" ] || fail "left running: $left"
}
write_profile() { printf '%s' "$1" | sed 's/$/\r/' | iconv -f UTF-8 -t GBK >"$app/配置.ini"; }

"$WIN_TRIPLE-gcc-posix" -O2 "$here/cmd_lines.c" -o "$work/cmd_lines.exe"
say "cmd given three lines at once printed: $(wine "$work/cmd_lines.exe" "echo one" "echo two" \
  "echo three" | tr -d '\r' | grep -cx '.*>\(one\|two\|three\)') of three outputs"

say "first start"
start
within 10 test -f "$app/配置.ini" || true
sleep 1
wine "$work/profile_dump.exe" "$(win "$app/配置.ini")" "$(win "$work/profile.txt")"
expected='[计时]
时=0
分=5
秒=15
模式选择=倒计时
提醒类型=0
间隔提醒时间=1
自定义音频路径=
窗口置顶=假
最终结束音=真
[自定义提醒]
启用自定义提醒=假
启用CMD命令=假
[热键配置]
开始='
[ "$(cat "$work/profile.txt")" = "$expected" ] ||
  fail "配置.ini as Windows reads it:$(printf '\n')$(cat "$work/profile.txt")"
# Every face the program asks for has the captions' characters.
wine "$work/font_check.exe" "$(win "$work/fonts.txt")" 开始重置退出清空输入设置窗口置顶 \
  "Microsoft YaHei UI" "Noto Sans CJK SC" SimHei
grep -v '|0$' "$work/fonts.txt" && fail "faces without the Chinese captions' characters"
shoot "$main" windows-compact
# 程序 → 配置 → 导入: the system's folder chooser, with the program's title.
# The keys wait for the menu on the screen: typed before, they go to the window.
shown() { xdotool search --onlyvisible --class zorvik.exe 2>/dev/null | wc -l; }
more_than() { [ "$(shown)" -gt "$1" ]; }
before=$(shown)
click "$main" 20 10
within 10 more_than "$before" || fail "the menu 程序 did not open"
xdotool key Down Down Down Right Return
chooser=$(find_window '——请选择导入的文件夹' 20) || fail "no folder chooser with its title"
press "$chooser" 300 5 Escape
gone() { ! xdotool search --onlyvisible --name "$1" >/dev/null; }
within 10 gone '——请选择导入的文件夹' || fail "the folder chooser did not close"
close_with_yes

say "interval reminder"
write_profile '[计时]
时=0
分=1
秒=0
模式选择=倒计时
提醒类型=1
间隔提醒时间=0.1
自定义音频路径=
窗口置顶=假
最终结束音=假
[自定义提醒]
启用自定义提醒=假
启用CMD命令=假
[热键配置]
开始=120'
start
sleep 1
press "$main" 130 45 F9
box=$(find_window '时间到！！！！！' 30) || fail "no reminder box"
shoot "$box" windows-reminder
close_with_yes button

say "table command"
write_profile '[计时]
时=0
分=1
秒=0
模式选择=倒计时
提醒类型=5
间隔提醒时间=1
自定义音频路径=
窗口置顶=假
最终结束音=假
[自定义提醒]
启用自定义提醒=真
启用CMD命令=真
[热键配置]
开始=120'
python3 - "$here/../fuzz" "$app/自定义提醒数据" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
import make_corpus as m
command = "echo 表格命令已运行 & echo ok> 命令结果.txt"
cells = [(0, c, m.HEADERS[c], 0, b"") for c in range(3)]
cells += [(1, 0, "0.05", 0, b""), (1, 1, "喝水", 0, b""), (1, 2, command, 0, b"")]
lists = [[], [], [(0, c, 0x825) for c in range(3)], [], [], [], []]
with open(sys.argv[2], "wb") as f:
    f.write(m.table(6, [40, 40], cells, [(0, c, 20) for c in range(3)], lists))
PY
# The command's own output reaches the output panel, the right part of the
# window, below the line "任务1：" the program writes there itself.
panel() {
  import -window "$main" "$work/$1.png"
  convert "$work/$1.png" -crop 300x430+570+105 "$work/$1-output.png"
}
# One start: the panels opened, the run started with the hotkey, the
# command run; true when its output shows within 10 s.
table_command() {
  rm -f "$app/命令结果.txt"
  start
  sleep 1
  # 设置>, then 配置↓ and 打开> (below the menu bar): the settings, the
  # table and the command output; after a click on a spot that does
  # nothing, which activates the window.
  click "$main" 130 45
  click_resize "$main" 226 190
  click_resize "$main" 330 245
  click_resize "$main" 488 306
  sleep 1
  panel before
  press "$main" 130 45 F9
  within 20 test -f "$app/命令结果.txt" || fail "the table command did not run"
  changed=0
  within 10 output_shown
}
# True once the panel below "任务1：" differs from before by over 100 pixels.
output_shown() {
  panel after
  changed=$(compare -metric AE "$work/before-output.png" "$work/after-output.png" null: 2>&1 || true)
  [ "${changed%% *}" -gt 100 ] 2>/dev/null
}
# One start: the output of every start is shown (under Wine too).
table_command || fail "the command's output did not reach the panel ($changed)"
sleep 1
shoot "$main" windows-full
close_with_yes button
say "passed"
