#!/usr/bin/env bash
# Installs the build with `cmake --install` into a scratch prefix and checks the installed tree:
# the program's folder, the command on the PATH, the desktop entry, the icons, the metainfo,
# and that the desktop's own checkers accept them.
#   check_install.sh <build folder> <scratch folder>
# Exits 77 (skipped) when desktop-file-validate or appstreamcli is missing.
set -uo pipefail
build=$1
out=$2
prefix=$out/usr
id=org.varkelo.Varkelo
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$out" && mkdir -p "$out"

cmake --install "$build" --prefix "$prefix" >"$out/install.log" 2>&1 || { cat "$out/install.log"; fail "cmake --install failed"; }

for f in lib/varkelo/varkelo lib/varkelo/varkhelp.html lib/varkelo/varkelo.html lib/varkelo/swing.avi \
         lib/varkelo/model_swing.avi share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/256x256/apps/$id.png; do
  [[ -s $prefix/$f ]] || fail "$f is not installed"
done
echo "program folder, desktop entry, icons and metainfo installed"

# The command is a link into the program's folder, where the program finds its pages and samples.
[[ -L $prefix/bin/varkelo ]] || fail "bin/varkelo is not a link"
[[ $(readlink -f "$prefix/bin/varkelo") == $(readlink -f "$prefix/lib/varkelo/varkelo") ]] ||
  fail "bin/varkelo does not lead to the program's folder"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/varkelo" --version) || fail "the installed command does not run"
[[ $version == "Varkelo "* ]] || fail "the installed command answers '$version'"
echo "bin/varkelo runs: $version"

# The 256 px icon is 256 px: width and height from the PNG header.
read -r w h < <(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/256x256/apps/$id.png" |
  awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
((w == 256 && h == 256)) || fail "the 256 px icon is ${w}x${h}"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is not SVG"

# The entry starts the installed command on a file and offers the types the program opens.
entry=$prefix/share/applications/$id.desktop
grep -qx 'Exec=varkelo %f' "$entry" || fail "the entry does not start 'varkelo %f'"
grep -qx "Icon=$id" "$entry" || fail "the entry does not name the installed icon"
for type in video/x-msvideo video/mp4 video/quicktime video/x-matroska video/webm image/bmp image/jpeg; do
  grep -q "^MimeType=.*$type;" "$entry" || fail "the entry does not offer $type"
done

# The checkers: hints are advice, warnings and errors fail.
desktop-file-validate "$entry" >"$out/desktop-file-validate.log" 2>&1
rc=$?
cat "$out/desktop-file-validate.log"
((rc == 0)) && ! grep -Eq ': (error|warning):' "$out/desktop-file-validate.log" || fail "desktop-file-validate rejects the entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli rejects the metainfo"
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli rejects the installed tree"
echo "install tree checked"
