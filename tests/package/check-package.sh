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

# Exactly these files, and no maintainer scripts.
expected="./usr/bin/quenmark
./usr/share/applications/$id.desktop
./usr/share/doc/quenmark/copyright
./usr/share/icons/hicolor/256x256/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/metainfo/$id.metainfo.xml"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[[ $files == "$expected" ]] || fail "file list differs:$(diff <(echo "$expected") <(echo "$files"))"
dpkg-deb -e "$deb" "$work/control"
[[ $(ls "$work/control" | xargs) == "control md5sums" ]] || fail "control files: $(ls "$work/control" | xargs)"
depends=$(dpkg-deb -f "$deb" Depends)
for need in libqt6widgets6 libqscintilla2-qt6 libmariadb3 fonts-wine fonts-liberation2 qt6-qpa-plugins \
  libqt6keychain1 libsecret-1-0; do
  [[ $depends == *"$need"* ]] || fail "Depends lacks $need: $depends"
done
[[ $(dpkg-deb -f "$deb" Recommends) == *gnome-keyring* ]] || fail "Recommends lacks a secret service"
[[ $depends == *openssh-client* ]] || fail "Depends lacks openssh-client (the SSH tunnel): $depends"

dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
for size in 48 256; do
  [[ $(identify -format '%wx%h' "$share/icons/hicolor/${size}x${size}/apps/$id.png") == "${size}x${size}" ]] || fail "icon $size"
done

# The installed program answers its command line with no display at all, and carries no run path.
run() { env -i PATH=/usr/bin:/bin "$work/root/usr/bin/quenmark" "$@"; }
[[ $(run --version) == "Quenmark $version" ]] || fail "--version"
[[ $(run -platform xcb --help) == Usage:*--version* ]] || fail "--help"
set +e; run --bogus 2>"$work/err"; code=$?; set -e
[[ $code == 2 && $(<"$work/err") == *bogus* ]] || fail "--bogus gave $code"
if readelf -d "$work/root/usr/bin/quenmark" | grep -qE 'RPATH|RUNPATH'; then fail "run path set"; fi
echo "package ok: $(basename "$deb")"
