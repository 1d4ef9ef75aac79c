#!/usr/bin/env bash
# End-to-end smoke test: starts the built program under a real X server (Xvfb), waits
# for the main window by its caption, takes a screenshot, closes it from the File menu
# and checks that it ended cleanly and saved its settings and the clip's marks; a second start
# shows the marks again and ends by SIGTERM, which must save the settings too.
#   smoke.sh <path to varkelo> <output folder>
# Exits 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -uo pipefail
exe=$1
out=$2
for tool in Xvfb xdotool import convert compare identify xclip ffprobe; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed"; exit 77; }
done
rm -rf "$out" && mkdir -p "$out"

# A private X server on a free display number, and a private settings folder.
# Its own pid from $!: other Xvfb servers on a shared machine are not ours to stop.
Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>"$out/display" 2>"$out/xvfb.log" &
xvfb_pid=$!
display=
for _ in $(seq 100); do
  display=$(tr -d '\n' <"$out/display" 2>/dev/null || true)
  [[ -n "$display" ]] && break
  sleep 0.2
done
[[ -n "$display" ]] || { echo "FAIL: Xvfb did not start"; cat "$out/xvfb.log"; exit 1; }
export DISPLAY=:$display
export XDG_CONFIG_HOME=$out/config
export XDG_DATA_HOME=$out/data
export QT_QPA_PLATFORM=xcb
# The sample clip's marks file: this run draws its own marks and leaves none behind.
sidecar=$(dirname "$exe")/swing.avi.varkelo
rm -f "$sidecar"
app_pid=
cleanup() {
  if [[ -n $app_pid ]]; then
    # Ending, it saves the clip's marks: let it finish before its file is removed.
    kill "$app_pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
    kill -KILL "$app_pid" 2>/dev/null
  fi
  kill "$xvfb_pid" 2>/dev/null
  rm -f "$sidecar"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; [[ -f $out/app.log ]] && tail -20 "$out/app.log"; exit 1; }

wait_window() {  # caption, seconds -> prints the window id
  local deadline=$((SECONDS + $2)) w
  while ((SECONDS < deadline)); do
    w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [[ -n $w ]] && { echo "$w"; return 0; }
    sleep 0.25
  done
  return 1
}

# Not blank: a screenshot of a drawn window has plenty of different colours.
check_not_blank() {
  local colours
  colours=$(convert "$1" -format '%k' info:)
  ((colours > 50)) || fail "screenshot $1 looks blank ($colours colours)"
}

start_app() {  # [files to open]
  "$exe" "$@" >"$out/app.log" 2>&1 &
  app_pid=$!
}

quit_from_menu() {  # window id
  xdotool mousemove --window "$1" 600 700 click 1
  sleep 0.3
  xdotool key alt+f
  sleep 0.5
  xdotool key e
  local deadline=$((SECONDS + 15))
  while kill -0 "$app_pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.2; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after File > Exit"
  wait "$app_pid"
  local rc=$?
  app_pid=
  ((rc == 0)) || fail "the program ended with status $rc"
}

start_app
# The splash comes first, then the main window after three seconds.
sleep 1
import -window root "$out/splash.png"
win=$(wait_window "Golf Swing Analysis" 30) || fail "the main window did not appear"
sleep 1.5
import -window root "$out/main.png"
check_not_blank "$out/main.png"
echo "main window $win shown; screenshot $out/main.png"

# Shift+click the sample swing in the file list (second row: model_swing.avi, swing.avi).
xdotool mousemove --window "$win" 60 254 keydown shift click 1 keyup shift
sleep 4
import -window root "$out/loaded.png"
# The canvas now shows the clip's first frame instead of the start-up picture, and the
# frame strip below it is filled with thumbnails.
changed=$(compare -metric AE -fuzz 5% -crop 500x300+260+80 "$out/main.png" "$out/loaded.png" null: 2>&1 | cut -d' ' -f1)
((${changed%.*} > 20000)) || fail "the canvas did not change after Shift+click ($changed pixels)"
strip=$(convert "$out/loaded.png" -crop 600x120+250+480 -format '%k' info:)
((strip > 50)) || fail "no thumbnails in the frame strip ($strip colours)"
w_vc=$(wait_window "Video Controls" 5) || fail "the video controls window did not appear"
echo "clip opened: first frame and thumbnails shown"

# Drawing: switch it on (toolbar button 3), take the line tool and pick a colour in the
# tool box that appears over the canvas's top-left corner, drag a line, then place a
# three-click angle. Both marks must land on the canvas.
xdotool mousemove 78 38 click 1
sleep 0.8
import -window root "$out/drawing-on.png"
xdotool mousemove 269 81 click 1
sleep 0.3
xdotool mousemove 300 117 click 1
sleep 0.3
xdotool mousemove 300 300 mousedown 1
for x in 350 450 550 650 700; do xdotool mousemove $x 300; sleep 0.05; done
xdotool mouseup 1
sleep 0.3
xdotool mousemove 401 81 click 1
sleep 0.3
for p in "520 180" "520 380" "680 380"; do xdotool mousemove $p click 1; sleep 0.3; done
sleep 0.5
import -window root "$out/drawn.png"
line=$(compare -metric AE -fuzz 10% -crop 380x3+310+299 "$out/drawing-on.png" "$out/drawn.png" null: 2>&1 | cut -d' ' -f1)
((${line%.*} > 300)) || fail "the dragged line is not on the canvas ($line pixels changed)"
angle=$(compare -metric AE -fuzz 10% -crop 3x180+519+190 "$out/drawing-on.png" "$out/drawn.png" null: 2>&1 | cut -d' ' -f1)
((${angle%.*} > 150)) || fail "the angle's arm is not on the canvas ($angle pixels changed)"
echo "drew a line and an angle"

canvas_diff() {  # two screenshots -> pixels of the canvas that differ
  compare -metric AE -fuzz 5% -crop 500x300+260+80 "$1" "$2" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1
}

# Insert the sample model through the toolbar (button 7) and its open dialog: the canvas
# shows it blended over the clip.
xdotool mousemove 184 37 click 1
dlg=$(wait_window "Open AVI File" 10) || fail "the model's open dialog did not appear"
sleep 0.5
xdotool type --window "$dlg" --delay 20 "$(dirname "$exe")/model_swing.avi"
xdotool key --window "$dlg" Return
# The dialog is gone before xdotool's release reaches it: release the key where it is held,
# or the server repeats it into the main window.
xdotool keyup Return
sleep 4
import -window root "$out/model.png"
# The sample model is framed like the clip, so only the golfer's shirt and pose change colour.
(($(canvas_diff "$out/drawn.png" "$out/model.png") > 3000)) || fail "the model is not blended over the canvas"
echo "model inserted and blended"

# Split view (button 11) and back to the full view (button 10).
xdotool mousemove 290 37 click 1
sleep 1
import -window root "$out/split.png"
(($(canvas_diff "$out/model.png" "$out/split.png") > 20000)) || fail "the split view looks like the blend view"
xdotool mousemove 256 37 click 1
sleep 1
import -window root "$out/full.png"
(($(canvas_diff "$out/model.png" "$out/full.png") < 2000)) || fail "the full view did not come back as it was"
echo "split view and back"

# Copy Image (button 5), read back from the clipboard by another program.
xdotool mousemove 142 37 click 1
sleep 0.5
xclip -selection clipboard -t image/png -o >"$out/clipboard.png" 2>"$out/xclip.log" || fail "nothing on the clipboard"
read -r cw ch < <(identify -format '%w %h\n' "$out/clipboard.png") || fail "the clipboard holds no picture"
((cw > 300 && ch > 200)) || fail "the clipboard picture is ${cw}x${ch}, not the canvas"
check_not_blank "$out/clipboard.png"
echo "copied the canvas (${cw}x${ch}) to the clipboard"

# Play and stop in the video controls window.
xdotool mousemove --window "$w_vc" 36 19 click 1
sleep 0.5
import -window root "$out/play1.png"
# Two seconds on (about 20 frames at the start speed) the club is well into the backswing.
sleep 2
import -window root "$out/play2.png"
(($(canvas_diff "$out/play1.png" "$out/play2.png") > 2000)) || fail "the clip does not move while playing"
xdotool mousemove --window "$w_vc" 67 19 click 1
sleep 0.5
import -window root "$out/stop1.png"
sleep 0.6
import -window root "$out/stop2.png"
(($(canvas_diff "$out/stop1.png" "$out/stop2.png") < 200)) || fail "the clip still moves after Stop"
echo "played and stopped"

# The keys, with the main window active: Space plays and stops, Left steps one frame back and
# Right one forward again, to the very picture there was.
xdotool mousemove --window "$win" 600 700 click 1
sleep 0.3
import -window root "$out/keys-stopped.png"
xdotool key space
sleep 1.5
import -window root "$out/keys-playing.png"
(($(canvas_diff "$out/keys-stopped.png" "$out/keys-playing.png") > 2000)) || fail "Space does not play"
xdotool key space
sleep 0.5
import -window root "$out/keys-stop1.png"
sleep 0.6
import -window root "$out/keys-stop2.png"
(($(canvas_diff "$out/keys-stop1.png" "$out/keys-stop2.png") < 200)) || fail "Space does not stop"
# Where play stopped depends on the machine's speed and may be a still part of the swing: Home,
# then Right to the downswing, where one frame moves the club a long way.
xdotool key Home
sleep 0.3
xdotool key --delay 40 --repeat 34 Right
sleep 1
import -window root "$out/keys-mid.png"
xdotool key Left
sleep 0.5
import -window root "$out/keys-left.png"
back=$(canvas_diff "$out/keys-mid.png" "$out/keys-left.png")
xdotool key Right
sleep 0.5
import -window root "$out/keys-right.png"
again=$(canvas_diff "$out/keys-mid.png" "$out/keys-right.png")
echo "Left changed $back pixels, Right back $again"
((back > 300)) || fail "Left does not step back ($back pixels changed)"
((again < 200)) || fail "Right does not come back to the frame before Left ($again pixels differ)"
echo "Space played and stopped, Left stepped back"

# Back to the first frame, to the last and one back, then reopen the clip from the File menu's recent
# files: it comes back at its first frame.
xdotool mousemove --window "$w_vc" 36 68 click 1
sleep 0.5
import -window root "$out/first.png"
xdotool mousemove --window "$w_vc" 67 68 click 1
sleep 0.3
xdotool mousemove --window "$w_vc" 36 44 click 1
sleep 0.5
import -window root "$out/stepped.png"
(($(canvas_diff "$out/first.png" "$out/stepped.png") > 2000)) || fail "jumping to the end did not change the frame"
xdotool mousemove --window "$win" 600 700 click 1
sleep 0.3
xdotool key alt+f
sleep 0.5
xdotool key 1
sleep 4
import -window root "$out/reopened.png"
(($(canvas_diff "$out/first.png" "$out/reopened.png") < 2000)) || fail "the reopened clip is not at its first frame"
echo "reopened the clip from the recent files"

# Export Picture (Ctrl+E) and a 10-frame Export Video (Ctrl+Shift+E: "From frame" 0 to 9), each
# named without an extension; both are read back.
xdotool mousemove --window "$win" 600 700 click 1
sleep 0.3
xdotool key ctrl+e
dlg=$(wait_window "Export Picture" 10) || fail "the Export Picture dialog did not appear"
sleep 0.5
xdotool type --window "$dlg" --delay 20 "$out/exported"
xdotool key --window "$dlg" Return
xdotool keyup Return
for _ in $(seq 40); do [[ -s $out/exported.png ]] && break; sleep 0.25; done
[[ $(identify -format '%m %w' "$out/exported.png" 2>/dev/null) == "PNG "* ]] || fail "no picture was exported"
xdotool mousemove --window "$win" 600 700 click 1
sleep 0.3
xdotool key ctrl+shift+e
dlg=$(wait_window "Frames to Export" 10) || { import -window root "$out/no-range.png"; fail "the frame range dialog did not appear"; }
sleep 0.5
xdotool key --window "$dlg" Down Tab ctrl+a 0 Tab ctrl+a 9 Return
xdotool keyup Return
dlg=$(wait_window "Export Video" 10) || fail "the Export Video dialog did not appear"
sleep 0.5
xdotool type --window "$dlg" --delay 20 "$out/exported"
xdotool key --window "$dlg" Return
xdotool keyup Return
for _ in $(seq 120); do [[ -s $out/exported.mp4 ]] && break; sleep 0.25; done
frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames -of csv=p=0 \
  "$out/exported.mp4" 2>/dev/null)
[[ $frames == 10 ]] || fail "the exported video has ${frames:-no} frames, not 10"
echo "exported a picture and a 10-frame video"

# Zoom: Ctrl+wheel over the canvas enlarges the picture about the pointer, Ctrl+0 shows the
# whole frame again.
xdotool mousemove --window "$win" 600 700 click 1
sleep 0.3
import -window root "$out/unzoomed.png"
xdotool mousemove 510 230
for _ in 1 2 3; do xdotool keydown ctrl click 4 keyup ctrl; sleep 0.2; done
sleep 0.5
import -window root "$out/zoomed.png"
(($(canvas_diff "$out/unzoomed.png" "$out/zoomed.png") > 20000)) || fail "Ctrl+wheel did not zoom the picture"
xdotool key ctrl+0
sleep 0.5
import -window root "$out/whole-frame.png"
(($(canvas_diff "$out/unzoomed.png" "$out/whole-frame.png") < 2000)) || fail "Ctrl+0 did not show the whole frame"
echo "zoomed with Ctrl+wheel and back"
# A smaller window shrinks the picture; given its room back, the picture grows to what it was.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool windowsize "$win" $((WIDTH * 3 / 4)) $((HEIGHT * 3 / 4))
sleep 1
import -window root "$out/smaller.png"
(($(canvas_diff "$out/unzoomed.png" "$out/smaller.png") > 20000)) || fail "the picture did not follow a smaller window"
xdotool windowsize "$win" "$WIDTH" "$HEIGHT"
sleep 1
import -window root "$out/larger.png"
(($(canvas_diff "$out/unzoomed.png" "$out/larger.png") < 2000)) || fail "the picture did not grow with the window"
echo "the picture followed the window's size"

quit_from_menu "$win"
store=$XDG_CONFIG_HOME/varkelo/registry.json
[[ -s $store ]] || fail "settings were not saved to $store"
grep -q '"WorkingDir"' "$store" || fail "the working folder was not saved"
grep -q 'swing.avi' "$store" || fail "the opened clip is not among the recent files"
echo "closed cleanly; settings saved"
[[ -s $sidecar ]] || fail "the clip's marks were not saved to $sidecar"
grep -q '"type": "line"' "$sidecar" && grep -q '"type": "angle"' "$sidecar" || fail "the saved marks lack the line or the angle"
echo "the line and the angle were saved beside the clip"

# A second start reads the saved settings and shows the same window again, here with the
# sample clip named on the command line: it opens once the window is up.
start_app "$(dirname "$exe")/swing.avi"
win=$(wait_window "Golf Swing Analysis" 30) || fail "the main window did not appear on the second start"
sleep 4
import -window root "$out/started-on-file.png"
(($(canvas_diff "$out/main.png" "$out/started-on-file.png") > 20000)) || fail "the clip named on the command line did not open"
echo "started on a file"
# Its marks are back on the very pixels they were drawn on: the line and the angle's arm look as
# just after drawing, and unlike the frame before it.
crop_diff() {  # crop, two screenshots -> pixels that differ
  compare -metric AE -fuzz 10% -crop "$1" "$2" "$3" null: 2>&1 | cut -d' ' -f1 | cut -d. -f1
}
for crop in 380x3+310+299 3x180+519+190; do
  (($(crop_diff "$crop" "$out/drawn.png" "$out/started-on-file.png") < 20)) || fail "the marks did not come back where they were ($crop)"
done
(($(crop_diff 380x3+310+299 "$out/drawing-on.png" "$out/started-on-file.png") > 300)) || fail "no line on the reopened clip"
echo "the marks came back on the same pixels"

# Phone clips through the toolbar's Open dialog: a landscape MP4 fills the canvas; a MOV filmed
# upright (a quarter turn in its display matrix) stands upright in the middle, the canvas's
# background on both sides of it.
samples=$(dirname "$exe")/../tools/varkelo_make_samples
if [[ -x $samples ]]; then
  "$samples" "$out" --phone || fail "the phone clips could not be written"
  left_strip_colours() {  # screenshot -> colours across the canvas's left fifth
    convert "$1" -crop 100x50+250+250 -format '%k' info:
  }
  for clip in landscape.mp4 upright.mov; do
    xdotool mousemove 20 37 click 1
    dlg=$(wait_window "Open AVI File" 10) || fail "the open dialog did not appear for $clip"
    sleep 0.5
    xdotool type --window "$dlg" --delay 20 "$out/$clip"
    sleep 0.3
    xdotool key --window "$dlg" Return
    sleep 0.5
    # The first Return may only close the name completer's list.
    xdotool search --onlyvisible --name "^Open AVI File\$" >/dev/null 2>&1 && xdotool key --window "$dlg" Return
    xdotool keyup Return  # the release may have gone to the closed dialog
    sleep 3
    import -window root "$out/${clip%.*}.png"
  done
  # Across the left fifth: sky, trees and grass of the landscape clip; beside the upright one, background.
  (($(left_strip_colours "$out/landscape.png") >= 2)) || fail "the MP4 does not fill the canvas"
  (($(left_strip_colours "$out/upright.png") == 1)) || fail "the upright MOV is not shown upright and whole"
  echo "opened an MP4 and an upright MOV"
fi

# Idle again: a SIGTERM (what logging out sends) ends it as File > Exit does.
sleep 1
rm -f "$store"
kill -TERM "$app_pid"
deadline=$((SECONDS + 15))
while kill -0 "$app_pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.2; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after SIGTERM"
wait "$app_pid"
rc=$?
app_pid=
((rc == 0)) || fail "the program ended with status $rc after SIGTERM"
[[ -s $store ]] || fail "settings were not saved on SIGTERM"
grep -q '"WorkingDir"' "$store" || fail "the working folder was not saved on SIGTERM"
if [[ -x $samples ]]; then grep -q 'upright.mov' "$store" || fail "this session's recent files were not saved on SIGTERM"; fi
echo "ended by SIGTERM; settings saved"
echo "1 passed, 0 failed"
