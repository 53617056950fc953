#!/bin/sh
# Checks a UI resource archive against its layouts: the six layouts lie at the root,
# every image a layout names is packed under exactly that name, the names the
# installer knows to be absent are really absent, and no image is packed that no
# layout names (apart from the window icon, which the code loads itself).
# Usage: check_layout_images.sh <layouts folder> <archive.7z>
set -eu

layouts=${1:?usage: $0 <layouts folder> <archive.7z>}
archive=${2:?usage: $0 <layouts folder> <archive.7z>}
sevenzip=${SEVENZIP:-7zz}

# Images the layouts or the code name but that deliberately have no file: they simply
# do not draw.
absent="res/common/closebtn4.png
res/common/minbtn4.png
res/common/closebtnM_4.png
res/mainWnd/installPrg3.png
res/mainWnd/ab1.png
res/mainWnd/ab2.png
res/mainWnd/ab3.png"
# Images the code loads by name without a layout naming them: the window icon and the
# page backgrounds it swaps into winCtn.
extra="res/common/icon.png
res/mainWnd/bg2.png
res/mainWnd/bg3.png
res/mainWnd/bg4.png"
expected_layouts="mainWnd.xml MessageBox1Wnd.xml MessageBox2Wnd.xml exitTipWnd.xml InstalledPathTipWnd.xml NetworkTipWnd.xml"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$sevenzip" l -slt "$archive" >"$work/listing" || { echo "cannot list $archive" >&2; exit 1; }
# File entries only (directories carry the D attribute).
awk '/^Path = /{p=substr($0, 8)} /^Attributes = /{if ($3 !~ /^D/ && p != "") print p; p=""}' \
    "$work/listing" | sort -u >"$work/packed"

status=0
fail() { echo "FAIL: $*" >&2; status=1; }

for name in $expected_layouts; do
  grep -qxF "$name" "$work/packed" || fail "layout $name is not at the archive root"
  [ -f "$layouts/$name" ] || fail "layout $name is missing from $layouts"
done

# Image names: every res\...png or res/...png in an attribute value, slashes unified,
# the one frame of an image sequence ("%.3d") spelt out as 000.
for name in $expected_layouts; do
  [ -f "$layouts/$name" ] || continue
  grep -o "res[\\\\/][A-Za-z0-9_.%\\\\/]*\\.png" "$layouts/$name" | tr '\\' '/' | sed 's/%\.3d/000/'
done | sort -u >"$work/named"
[ -s "$work/named" ] || fail "no image names found in the layouts"

printf '%s\n' "$absent" | sort -u >"$work/absent"
printf '%s\n' "$extra" | sort -u >"$work/extra"
while IFS= read -r image; do
  grep -qxF "$image" "$work/absent" && continue
  grep -qxF "$image" "$work/packed" || fail "$image is named by a layout but not packed"
done <"$work/named"
while IFS= read -r image; do
  grep -qxF "$image" "$work/packed" && fail "$image is packed but must stay absent"
done <"$work/absent"
while IFS= read -r image; do
  grep -qxF "$image" "$work/packed" || fail "$image is loaded by the code but not packed"
done <"$work/extra"

while IFS= read -r entry; do
  case $entry in
    *.png) ;;
    *) continue ;;
  esac
  grep -qxF "$entry" "$work/named" && continue
  grep -qxF "$entry" "$work/extra" && continue
  fail "$entry is packed but no layout names it"
done <"$work/packed"

if [ $status -eq 0 ]; then
  echo "ok: $(wc -l <"$work/named") image names checked against $(wc -l <"$work/packed") packed files"
fi
exit $status
