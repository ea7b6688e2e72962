#!/usr/bin/env bash
# Regenerates every picture of the operator's guide (docs/guide/images/*.png)
# from the real program: Trackvane.exe runs under Wine on a virtual display,
# with a prepared copy of the program folder (demo data, a Trackvane.ini and a
# records file holding a few races of the current week), is driven with
# xdotool and photographed with ImageMagick.
#
# Needs a built program: run tools/run.sh or tools/test.sh once before.
# Usage: tools/guide-screenshots.sh [output folder]   (default docs/guide/images)
# Environment:
#   TV_BUILD        the build folder (default: build/ beside the sources)
#   TV_GUIDE_KEEP   1 keeps the prepared program folders in /tmp for a look
#
# The control dialog and its modal dialogs appear at the top left of the
# virtual screen; the scoreboard appears at 0.7 x screen width, 0.1 x screen
# height, so the screen is made wide enough for a 1920 x 1080 scoreboard
# and the pictures are cut out of it.
set -euo pipefail
TV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
TV_BUILD=${TV_BUILD:-$TV_ROOT/build}
export TV_BUILD
# shellcheck source=tools/wine-env.sh
. "$TV_ROOT/tools/wine-env.sh"

bin=$TV_BUILD/win/bin
out=$(mkdir -p "${1:-$TV_ROOT/docs/guide/images}" && cd "${1:-$TV_ROOT/docs/guide/images}" && pwd)
if [ ! -f "$bin/Trackvane.exe" ] || [ ! -f "$WINEPREFIX/.trackvane-ready" ]; then
    echo "guide-screenshots: no built program in $bin; run tools/run.sh or tools/test.sh first" >&2
    exit 1
fi
for tool in Xvfb xdotool xwininfo import convert iconv; do
    command -v "$tool" >/dev/null || { echo "guide-screenshots: $tool is missing" >&2; exit 1; }
done

# Scoreboard size, virtual screen size, where the scoreboard lands.
OUT_W=1920 OUT_H=1080
SCREEN_W=6400 SCREEN_H=1600
MAX_PICTURE_W=1280

work=$(mktemp -d /tmp/trackvane-guide.XXXXXX)
tv_pid=""
xvfb_pid=""

# Only what this script started is stopped: the program by its process id
# (the Wine prefix may be shared with other runs, so no wineserver -k).
stop_program() {
    if [ -n "$tv_pid" ]; then
        kill "$tv_pid" 2>/dev/null || true
        wait "$tv_pid" 2>/dev/null || true
        tv_pid=""
    fi
}
cleanup() {
    stop_program
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    if [ "${TV_GUIDE_KEEP:-0}" = 1 ]; then
        echo "guide-screenshots: prepared folders kept in $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

say() { printf '== %s\n' "$*"; }

# --- the virtual display -------------------------------------------------

n=60
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
# Without a window manager Wine must not wait for one at every window.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
say "virtual display $DISPLAY (${SCREEN_W}x${SCREEN_H})"

# --- prepared program folders --------------------------------------------

# Lines of a text file as Windows writes them: code page 936, CR LF.
write_gbk() { # file, lines...
    local file=$1; shift
    printf '%s\r\n' "$@" | iconv -f UTF-8 -t GBK > "$file"
}

# A copy of the program folder with the demo data, a Trackvane.ini and an
# empty records file. Prints nothing; the folder is $work/<name>.
prepare_folder() { # name, obstacle flag
    local dir=$work/$1
    mkdir -p "$dir"
    cp "$bin/Trackvane.exe" "$dir/"
    # The demo data drawn afresh: background, logo, photos and roster.
    "$TV_ROOT/tools/make-demo-data.sh" "$dir"
    if [ "$2" = 1 ]; then
        write_gbk "$dir/Trackvane.ini" '[Trackvane]' "width=$OUT_W" "height=$OUT_H" \
            'raceTitle=阳光小学运动会 障碍赛' \
            'tips=碰倒障碍扣5分，得分高者获胜，同分比用时' \
            'isZhangai=1' 'scoreInit=100' 'scoreStep=5'
    else
        write_gbk "$dir/Trackvane.ini" '[Trackvane]' "width=$OUT_W" "height=$OUT_H" \
            'raceTitle=阳光小学运动会 60米跑' \
            'tips=按编号键开始或停止计时，祝各位选手取得好成绩！' \
            'isZhangai=0' 'scoreInit=0' 'scoreStep=1' 'school=阳光小学' 'teacher=王老师'
    fi
}

# Time stamps of three earlier races of this week: spread between Monday
# 00:00 and now, so that they always fall into the current week.
week_stamps() {
    local now monday
    now=$(date +%s)
    monday=$(date -d "$(date +%F) -$(( $(date +%u) - 1 )) days" +%s)
    for k in 1 2 3; do
        date -d "@$(( monday + (now - 60 - monday) * k / 4 ))" '+%Y-%m-%d %H:%M:%S'
    done
}

# Monday 00:00 of the week before this one, as the date boxes take it, and
# seven weeks before that: the range of the term board's picture.
term_from() { date -d "$(date +%F) -$(( $(date +%u) - 1 + 49 )) days" +%F; }

# One timed race on each of the seven weeks before this one, most children
# a little faster from week to week: the term board's rows and charts.
term_races() {
    local monday names=(张伟 李娜 王芳 刘洋 陈静 赵磊) base=(10770 10070 11390 10160 11320 10780)
    local gain=(70 20 90 10 45 30) w i t
    monday=$(date -d "$(date +%F) -$(( $(date +%u) - 1 )) days" +%s)
    for w in 7 6 5 4 3 2 1; do
        echo "计时赛,$(date -d "@$(( monday - w * 7 * 86400 + 15 * 3600 ))" '+%Y-%m-%d %H:%M:%S')"
        for i in 0 1 2 3 4 5; do
            # 陈静 missed two weeks; 赵磊 joined the class late.
            { [ "$i" = 4 ] && [ "$w" = 5 -o "$w" = 4 ]; } && continue
            { [ "$i" = 5 ] && [ "$w" -gt 4 ]; } && continue
            t=$(( ${base[$i]} - (7 - w) * ${gain[$i]} + (w * 37 + i * 53) % 160 - 80 ))
            echo "${names[$i]},$t,0"
        done
        echo ""
    done
}

# The records file: one block per race, a header "mode,stamp", one line
# "name,ms,score" per contestant, an empty line.
write_records() { # folder, mode (timed|obstacle)
    local file=$1/data/_records.csv stamps lines=()
    mapfile -t stamps < <(week_stamps)
    if [ "$2" = obstacle ]; then
        lines+=("障碍赛,${stamps[0]}" "张伟,48210,95" "李娜,51030,100" "王芳,45770,90"
                "刘洋,50120,100" "陈静,47380,85" "赵磊,53900,95" "")
        lines+=("障碍赛,${stamps[2]}" "张伟,46950,100" "李娜,49880,95" "王芳,44610,95"
                "刘洋,48840,100" "陈静,46120,90" "赵磊,52270,100" "")
    else
        mapfile -t -O "${#lines[@]}" lines < <(term_races)
        lines+=("计时赛,${stamps[0]}" "张伟,10420,0" "李娜,9870,0" "王芳,10960,0"
                "刘洋,10130,0" "陈静,11250,0" "赵磊,10680,0" "")
        lines+=("计时赛,${stamps[1]}" "张伟,10210,0" "李娜,9950,0" "王芳,10740,0"
                "刘洋,10060,0" "陈静,11020,0" "赵磊,10590,0" "")
        lines+=("计时赛,${stamps[2]}" "张伟,10380,0" "李娜,9790,0" "王芳,10810,0"
                "刘洋,9980,0" "陈静,10930,0" "赵磊,10470,0" "")
    fi
    write_gbk "$file" "${lines[@]}"
}

# --- driving the program -------------------------------------------------

dlg=""

# Starts the program in a folder and waits for both windows.
start_program() { # folder
    (cd "$1" && exec "$WINELOADER" Trackvane.exe >/dev/null 2>&1) &
    tv_pid=$!
    dlg=""
    for _ in $(seq 150); do
        dlg=$(xdotool search --name '^Trackvane' 2>/dev/null | head -n1 || true)
        [ -n "$dlg" ] && output_geometry >/dev/null && break
        sleep 0.2
    done
    [ -n "$dlg" ] || { echo "guide-screenshots: the control dialog did not appear" >&2; exit 1; }
    sleep 1.5
}

# Geometry WxH+X+Y of the scoreboard: the top-level window of its size.
output_geometry() {
    xwininfo -root -children | grep -o "${OUT_W}x${OUT_H}+[0-9]*+[0-9]*" | head -n1 | grep .
}

# A top-level window by its exact title; waits for it.
window_named() { # title [tenths of a second to wait]
    local w=""
    for _ in $(seq "${2:-50}"); do
        w=$(xdotool search --name "^$1\$" 2>/dev/null | head -n1 || true)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.1
    done
    echo "guide-screenshots: no window \"$1\"" >&2
    import -window root -crop 800x600+0+0 +repage "$work/failure.png" 2>/dev/null || true
    return 1
}

# Keys into the control dialog (xdotool key names).
keys() {
    local k
    for k in "$@"; do
        xdotool windowfocus --sync "$dlg" key "$k"
        sleep 0.15
    done
}

# Position, size of a window: sets WX WY WW WH.
geometry_of() { # window
    eval "$(xdotool getwindowgeometry --shell "$1" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/W&/p' \
        | sed 's/^WWIDTH/WW/; s/^WHEIGHT/WH/')"
}

# Screen point of a dialog point given in dialog units. The dialogs use a
# 9-point font whose dialog unit is 1.5 pixels across and 2 down (the
# ratio 4:3 is fixed; the scale is taken from the window's width); the
# frame is 3 pixels wide, the caption takes the rest above the client area.
dialog_point() { # window, dialog width and height in units, x, y in units -> "X Y"
    geometry_of "$1"
    awk -v wx="$WX" -v wy="$WY" -v ww="$WW" -v wh="$WH" -v dw="$2" -v dh="$3" \
        -v x="$4" -v y="$5" 'BEGIN {
            sx = (ww - 6) / dw; sy = sx * 4 / 3
            top = wh - 3 - dh * sy
            printf "%d %d\n", wx + 3 + x * sx, wy + top + y * sy }'
}

click_at() { # "X Y", clicks (1 or 2)
    local x y
    read -r x y <<<"$1"
    xdotool mousemove "$x" "$y"
    sleep 0.2
    xdotool click --repeat "${2:-1}" --delay 120 1
}

# A click on an empty spot of the control dialog makes it the active
# window again: after a modal dialog has closed, the keyboard is with the
# scoreboard, where Enter and the full stop do nothing.
activate_control() {
    click_at "$(dialog_point "$dlg" 325 217 290 190)"
    sleep 0.3
}

# Double-click on row i (0-based) of the contestant list: the list starts
# 22 units down, its header and rows are 23 and 17 pixels high.
double_click_row() { # row
    local x y
    read -r x y <<<"$(dialog_point "$dlg" 325 217 60 22)"
    click_at "$x $(( y + 23 + 17 * $1 + 8 ))" 2
}

# The scoring dialog of row i; a double-click that Wine took for two
# single clicks is repeated.
open_score_dialog() { # row -> window
    local w
    for _ in 1 2 3; do
        double_click_row "$1"
        w=$(window_named 直接计分 20 2>/dev/null) && { sleep 0.5; echo "$w"; return 0; }
        sleep 0.6
    done
    window_named 直接计分 1
}

# --- pictures ------------------------------------------------------------

# Saves a part of the screen as a PNG without time stamps in it, at most
# MAX_PICTURE_W pixels wide.
save_png() { # geometry, name
    import -window root -crop "$1" +repage "$work/shot.png"
    convert "$work/shot.png" -resize "${MAX_PICTURE_W}x>" -strip \
        -define png:exclude-chunks=date,time "$out/$2"
    echo "   $out/$2"
}
shot_window() { # window, name
    geometry_of "$1"
    save_png "${WW}x${WH}+${WX}+${WY}" "$2"
}
shot_output() { # name
    save_png "$(output_geometry)" "$1"
}

# --- a timed race --------------------------------------------------------

say "timed race"
prepare_folder timed 0
write_records "$work/timed" timed
# A teacher's second class beside the first (本班).
mkdir -p "$work/timed/data/班级/三年级2班"
write_gbk "$work/timed/data/班级/三年级2班/psn.txt" 刘一 陈二
start_program "$work/timed"
shot_window "$dlg" control.png

keys Return
keys 1 2 3 4 5 6              # the start: every clock runs
sleep 8.6
keys 2; sleep 0.35; keys 4    # the first two are in
sleep 0.6
shot_output race-running.png
shot_window "$dlg" control-running.png
keys 6; sleep 0.25; keys 1; sleep 0.4; keys 3; sleep 0.5; keys 5
sleep 0.3
keys period                   # the end of the race
sleep 1.5
shot_output race-ended.png

# 成绩管理 on the week's races, the race just ended on top.
click_at "$(dialog_point "$dlg" 325 217 280 113)"     # 成绩管理
res=$(window_named 成绩管理)
sleep 1
shot_window "$res" results.png

# 学期成绩 from the eight weeks' races, and its export for the wall.
click_at "$(dialog_point "$res" 340 256 99 242)"      # 学期
term=$(window_named 学期成绩)
sleep 1
click_at "$(dialog_point "$term" 480 330 47 14)" 2    # 从
xdotool key ctrl+a type "$(term_from)"
click_at "$(dialog_point "$term" 480 330 176 14)"     # 查看
sleep 1.5
# The second row clicked, then Down: the chart follows to the third.
read -r x y <<<"$(dialog_point "$term" 480 330 40 26)"
click_at "$x $(( y + 23 + 17 + 8 ))"
sleep 0.3
xdotool key Down
sleep 1
shot_window "$term" term.png
click_at "$(dialog_point "$term" 480 330 448 14)"     # 导出
box=$(window_named Trackvane)
sleep 0.5
xdotool windowfocus --sync "$box" key Return
page=$(ls "$work"/timed/data/export/学期_*.png)
convert "$page" -resize "${MAX_PICTURE_W}x>" -strip -define png:exclude-chunks=date,time "$out/term-page.png"
echo "   $out/term-page.png"
# 奖状 for the three stars of progress; the school and the teacher are
# remembered from the settings.
click_at "$(dialog_point "$term" 480 330 397 14)"     # 奖状
aw=$(window_named 奖状)
sleep 0.5
shot_window "$aw" awards.png
click_at "$(dialog_point "$aw" 200 80 113 64)"        # 确定
sleep 4
box=$(window_named Trackvane 100)
xdotool windowfocus --sync "$box" key n
cert=$(ls "$work"/timed/data/export/奖状_*/李娜_进步之星.png)
convert "$cert" -resize "${MAX_PICTURE_W}x>" -strip -define png:exclude-chunks=date,time "$out/certificate.png"
echo "   $out/certificate.png"
click_at "$(dialog_point "$term" 480 330 448 316)"    # 关闭
sleep 0.5
click_at "$(dialog_point "$res" 340 256 308 242)"     # 关闭
sleep 0.5

# 名单 on a class of twenty with their 性别 (one not known), the demo roster
# its first heat.
write_gbk "$work/timed/data/_class.txt" 张伟,男 李娜,女 王芳,女 刘洋,男 陈静,女 赵磊,男 杨洋,男 黄蕾,女 \
    周杰,男 吴敏,女 徐静,女 孙丽,女 马超,男 朱婷,女 胡军,男 郭敏,女 何涛,男 林琳,女 高峰,男 罗娜
click_at "$(dialog_point "$dlg" 325 217 280 93)"      # 名单
cls=$(window_named 名单)
sleep 1
shot_window "$cls" class-list.png
click_at "$(dialog_point "$cls" 300 230 272 216)"     # 取消
sleep 0.5

# The drop-down list 班级 opened: the first class, the second, 新建班级….
click_at "$(dialog_point "$dlg" 325 217 286 74)"      # 班级
sleep 1
geometry_of "$dlg"
save_png "${WW}x$(( WH + 40 ))+${WX}+${WY}" classes.png
click_at "$(dialog_point "$dlg" 325 217 286 74)"      # closed again, the same class kept
sleep 0.5

# The options dialog and the palette of the text colour.
click_at "$(dialog_point "$dlg" 325 217 280 133)"     # 选项
opt=$(window_named 选项)
sleep 1
shot_window "$opt" options.png
click_at "$(dialog_point "$opt" 197 191 121 52)"      # 文字颜色
sleep 1
# Point at the cell "Gold" (row 1, column 4; cells of 18 pixels) so that it
# is highlighted and its name shows.
read -r px py <<<"$(dialog_point "$opt" 197 191 59 59)"   # the palette's corner
xdotool mousemove $(( px + 2 + 4 * 18 + 5 )) $(( py + 2 + 18 + 5 ))
sleep 0.3
xdotool mousemove $(( px + 2 + 4 * 18 + 9 )) $(( py + 2 + 18 + 9 ))
sleep 2
shot_window "$opt" palette.png
stop_program

# --- an obstacle race ----------------------------------------------------

say "obstacle race"
prepare_folder obstacle 1
write_records "$work/obstacle" obstacle
start_program "$work/obstacle"

keys Return
keys 1 2 3 4 5 6
sleep 2
# 李娜 knocked an obstacle over: the scoring dialog, then "-" (one step).
score=$(open_score_dialog 1)
sleep 0.5
shot_window "$score" score-dialog.png
click_at "$(dialog_point "$score" 157 80 129 59)"     # -
sleep 0.8
# 赵磊 twice.
score=$(open_score_dialog 5)
click_at "$(dialog_point "$score" 157 80 129 59)"; sleep 0.8
score=$(open_score_dialog 5)
click_at "$(dialog_point "$score" 157 80 129 59)"; sleep 0.8
# 王芳: the score typed in and set.
score=$(open_score_dialog 2)
click_at "$(dialog_point "$score" 157 80 70 39)" 2    # the score field
xdotool key ctrl+a type 90
click_at "$(dialog_point "$score" 157 80 118 39)"     # 设定得分
sleep 0.8
activate_control
sleep 2
keys 3; sleep 0.5; keys 1; sleep 0.4; keys 6; sleep 0.6; keys 2; sleep 0.3; keys 4; sleep 0.5; keys 5
sleep 0.3
keys period
sleep 1.5
shot_output obstacle.png
shot_window "$dlg" control-obstacle.png
stop_program

say "done: pictures in $out"
