#!/usr/bin/env bash
# The viewer as a user meets it, on a virtual X server: open a file from the command line,
# turn the picture with a drag, step (one drawn frame per key), play and stop the movie,
# write a bitmap from the menu (and see a failed one reported at once in the redirected
# console), drop a second file on the window, open the version dialog, quit from the menu,
# close the window during a long bitmap sequence.
# Usage: viewer_e2e.sh QUIVANE TRAJECTORY XDND_DROP [DIRECTX11]
# DIRECTX11 is the setting that picks the back end: 0 fixed-function (default), 1 shader.
set -euo pipefail

if [ -z "${QV_E2E_INSIDE:-}" ]; then
  export QV_E2E_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

quivane=$(realpath "$1")
trajectory=$(realpath "$2")
dropper=$(realpath "$3")
directx11=${4:-0}
work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  if [ -n "${QV_E2E_KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  import -window root "$work/failure.png" 2>/dev/null || true
  exit 1
}

cp "$trajectory" "$work/water.fa2"
cp "$(dirname "$trajectory")/water.xyz" "$work/second.xyz"
cat > "$work/setting.ini" <<INI
[GPUDriver]
DirectX11=$directx11
Vsync=2
[WINDOW]
Width=480
Height=360
INI
cd "$work"

# Under the sanitizers the X session's libraries leave blocks whose module is already gone
# at exit (no suppression can name it); the shell tests check our code for leaks instead.
# Every drawn frame is logged, so pacing can be counted from outside.
export QT_LOGGING_RULES="quivane.frames.debug=true"
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  "$quivane" water.fa2 >"$work/console.txt" 2>&1 &
pid=$!
drawn() { grep -c "drew frame" "$work/console.txt" || true; }

wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^Quivane 3.7.3 - water.fa2" | head -n1) ||
  fail "no window titled after the file"
title() { xdotool getwindowname "$wid"; }
frame_of() { sed -n 's/^Quivane 3.7.3 - water.fa2: \([0-9]*\), .*/\1/p' <<<"$1"; }
[ "$(title)" = "Quivane 3.7.3 - water.fa2: 0, 0.000fps(eco)" ] || fail "title after start: $(title)"

eval "$(xdotool getwindowgeometry --shell "$wid")"  # X Y WIDTH HEIGHT
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 1

# The drawing area is the window below the menu bar; compare only the area's middle.
shot() {
  import -window root -crop "200x160+$((X + WIDTH / 2 - 100))+$((Y + HEIGHT / 2 - 80))" +repage "$1"
}
# Number of pixels that differ between two shots; an error of compare itself fails the run
# instead of passing for a difference.
differing() {
  local out status=0
  out=$(compare -metric AE "$1" "$2" null: 2>&1) || status=$?
  [ "$status" -le 1 ] || fail "compare $1 $2: $out"
  out=${out%% *}
  [[ "$out" =~ ^[0-9][0-9.e+]*$ ]] || fail "compare $1 $2 printed '$out'"
  echo "$out"
}
shot before.png
mean=$(convert before.png -colorspace Gray -format "%[fx:mean]" info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.02) }' || fail "the picture is empty (mean $mean)"

# A drag that starts outside the centre square turns the picture.
xdotool mousemove $((X + 30)) $((Y + HEIGHT / 2)) mousedown 1
for dx in 40 80 120 160; do
  xdotool mousemove $((X + 30 + dx)) $((Y + HEIGHT / 2 + dx / 4))
  sleep 0.1
done
xdotool mouseup 1
sleep 1
shot after.png
diff=$(differing before.png after.png)
[ "$diff" != "0" ] || fail "the drag did not change the picture"

# In the default pacing mode each change draws exactly one frame: Z at frame 0 changes
# nothing but redraws, once per press.
sleep 0.5
before=$(drawn)
for _ in 1 2 3 4 5; do xdotool key z; sleep 0.3; done
sleep 0.5
[ "$(( $(drawn) - before ))" = 5 ] || fail "5 single steps drew $(( $(drawn) - before )) frames"

# Shift+X plays the movie, X stops it where it is.
xdotool key shift+x
sleep 1.5
xdotool key x
sleep 0.3
stopped=$(frame_of "$(title)")
[ -n "$stopped" ] && [ "$stopped" -gt 0 ] || fail "no frame advanced: $(title)"
sleep 0.5
[ "$(frame_of "$(title)")" = "$stopped" ] || fail "the movie went on after X: $(title)"

# Output -> BMP output writes the frame shown at the drawing area's size.
xdotool key alt+o
sleep 0.5
xdotool key b
bmp=$(printf "water%04d.bmp" "$stopped")
for _ in $(seq 50); do [ -s "$bmp" ] && break; sleep 0.2; done
[ -s "$bmp" ] || fail "no $bmp after the menu command"
read -r w h < <(od -An -t d4 -j 18 -N 8 "$bmp")
[ "$w" = 480 ] && [ "$h" = 360 ] || fail "$bmp is ${w}x$h, not the 480x360 drawing area"

# A bitmap that cannot be created is reported in the console at once, not at exit, even
# when the console is a file.
mkdir "$(printf "water%04d.bmp" $((stopped - 1)))"
xdotool key z
sleep 0.3
xdotool key alt+o
sleep 0.5
xdotool key b
for _ in $(seq 25); do grep -q "bmpファイルの作成に失敗しました" console.txt && break; sleep 0.2; done
kill -0 "$pid" || fail "the viewer ended"
grep -q "bmpファイルの作成に失敗しました" console.txt || fail "no console line for the failed bitmap while running"

# A second file dropped on the drawing area is drawn beside the first, which stays the
# primary data set.
shot before_drop.png
"$dropper" "$wid" $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "$work/second.xyz" || fail "the drop failed"
sleep 1
grep -q "^3 frame loaded$" console.txt || fail "no console line for the load while running"
shot after_drop.png
diff=$(differing before_drop.png after_drop.png)
[ "$diff" != "0" ] || fail "the dropped file changed nothing"
case "$(title)" in "Quivane 3.7.3 - water.fa2: "*) ;; *) fail "title after the drop: $(title)" ;; esac

# Alt+/ opens the version dialog; Return closes it.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key alt+slash
timeout 10 xdotool search --sync --onlyvisible --name "^バージョン情報$" >/dev/null || fail "no version dialog"
xdotool key Return
sleep 0.5

# File -> Exit ends the program normally.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key alt+f
sleep 0.5
xdotool key x
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then fail "still running after Exit"; fi
wait "$pid" || fail "exit status $?"
pid=""

# Closing the window during a long bitmap sequence ends it after the bitmap being written:
# the program exits promptly, every bitmap written is complete, and the console says how
# many were written.
awk 'BEGIN { for (f = 0; f < 3000; ++f) printf "3\nframe %d\nO 0 0 %g\nH 0.76 0.59 0\nH -0.76 0.59 0\n", f, f / 1000 }' >long.xyz
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  "$quivane" long.xyz >"$work/console_long.txt" 2>&1 &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^Quivane 3.7.3 - long.xyz" | head -n1) ||
  fail "no window for long.xyz"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.5
xdotool key alt+m
sleep 0.3
xdotool key o
sleep 0.3
xdotool key Return
for _ in $(seq 100); do [ -e long0010.bmp ] && break; sleep 0.1; done
[ -e long0010.bmp ] || fail "the bitmap sequence did not start"
"$dropper" --close "$wid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then fail "still running 5 s after the close request"; fi
wait "$pid" || fail "exit status $? after closing during the sequence"
pid=""
count=$(ls long*.bmp | wc -l)
[ "$count" -lt 3000 ] || fail "the whole sequence was written"
for f in long*.bmp; do [ "$(stat -c %s "$f")" = $((480 * 360 * 3 + 54)) ] || fail "$f is incomplete"; done
grep -q "Bitmap sequence output stopped: $count files written" console_long.txt ||
  fail "no count of the files written: $(tail -n 3 console_long.txt)"

# Without OpenGL the viewer says why in a message box and ends with a failure status.
QT_XCB_GL_INTEGRATION=none ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  "$quivane" water.fa2 >"$work/console_nogl.txt" 2>&1 &
pid=$!
timeout 30 xdotool search --sync --onlyvisible --name "^Error$" >/dev/null ||
  fail "no message box without OpenGL"
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  for box in $(xdotool search --onlyvisible --name "^Error$" 2>/dev/null); do
    xdotool windowfocus --sync "$box" key --window "$box" Return 2>/dev/null || true
  done
  sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then fail "still running after the OpenGL message"; fi
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -ne 0 ] || fail "exit status 0 without OpenGL"
grep -Eq "OpenGL.* is not available" "$work/console_nogl.txt" || fail "no console line without OpenGL"
if [ "$directx11" = 1 ]; then
  grep -q '"DirectX11"=0' "$work/console_nogl.txt" || fail "the message does not name the fixed-function setting"
fi
echo "viewer end-to-end: ok"
