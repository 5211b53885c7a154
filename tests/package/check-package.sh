#!/usr/bin/env bash
# check-package.sh CPACK CPACK_CONFIG VERSION APP_ID
set -euo pipefail
cpack=$1 config=$2 version=$3 id=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cpack" --config "$config" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/out/quenmark_${version}_amd64.deb
[[ -f $deb ]] || fail "no $deb: $(ls "$work/out")"

# Exactly these files, nothing of the build tree or the tests.
expected="./usr/bin/quenmark
./usr/share/applications/$id.desktop
./usr/share/doc/quenmark/copyright
./usr/share/icons/hicolor/256x256/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/metainfo/$id.metainfo.xml"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[[ $files == "$expected" ]] || fail "file list differs:$(diff <(echo "$expected") <(echo "$files"))"

# No maintainer scripts; libraries from dpkg-shlibdeps plus the fonts no library names.
dpkg-deb -e "$deb" "$work/control"
[[ $(ls "$work/control" | xargs) == "control md5sums" ]] || fail "control files: $(ls "$work/control" | xargs)"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqscintilla2-qt6 libmariadb3 libc6 fonts-wine fonts-liberation2; do
  [[ $depends == *"$need"* ]] || fail "Depends lacks $need: $depends"
done

dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
grep -qx 'Exec=quenmark' "$share/applications/$id.desktop" || fail "Exec is not the installed program"
for size in 48 256; do
  got=$(identify -format '%wx%h' "$share/icons/hicolor/${size}x${size}/apps/$id.png")
  [[ $got == "${size}x${size}" ]] || fail "icon ${size}: $got"
done

# The installed program answers without any display and carries no run path.
binary=$work/root/usr/bin/quenmark
[[ $(env -i PATH=/usr/bin:/bin "$binary" --version) == "Quenmark $version" ]] || fail "--version"
if readelf -d "$binary" | grep -qE 'RPATH|RUNPATH'; then fail "run path set"; fi
echo "package ok: $(basename "$deb")"
