#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a built Debian package of Driftwise: its fields and Depends, the
# files it holds, the desktop file and metainfo (when desktop-file-validate
# and appstreamcli are installed), the manual pages, and that the unpacked
# driftwise-cli evaluates the bundled logs.
# Usage: scripts/check-package.sh PATH.deb
set -euo pipefail
cd "$(dirname "$0")/.."
deb="${1:?usage: check-package.sh PATH.deb}"
fail() { echo "check-package: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package at $deb"

[ "$(dpkg-deb -f "$deb" Package)" = driftwise ] || fail "the package is not named driftwise"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# dpkg-shlibdeps found the libraries the programs link.
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 qt6-image-formats-plugins; do
  tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF "$lib" || fail "Depends lacks $lib"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
expected=(
  /usr/bin/driftwise
  /usr/bin/driftwise-cli
  /usr/share/applications/driftwise.desktop
  /usr/share/metainfo/com.corvolab.Driftwise.metainfo.xml
  /usr/share/icons/hicolor/scalable/apps/driftwise.svg
  /usr/share/man/man1/driftwise.1.gz
  /usr/share/man/man1/driftwise-cli.1.gz
  /usr/share/doc/driftwise/copyright
)
for size in 16 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/driftwise.png"); done
for path in "${expected[@]}"; do
  grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
done
# Nothing outside /usr, and no build or test leftovers.
if grep -v -e '^/$' -e '^/usr' <<<"$contents" | grep -q .; then fail "files outside /usr"; fi
if grep -Eq '\.(a|o|h|cmake)$|_tests?$|_bench$' <<<"$contents"; then fail "build leftovers in the package"; fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
grep -q "GNU General Public License" "$share/doc/driftwise/copyright" || fail "copyright names no license"
for page in driftwise driftwise-cli; do
  gzip -t "$share/man/man1/$page.1.gz" || fail "$page.1.gz is no gzip file"
  zcat "$share/man/man1/$page.1.gz" | grep -q "^\.TH " || fail "$page.1.gz is no manual page"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$share/applications/driftwise.desktop" || fail "desktop-file-validate failed"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$share/metainfo/com.corvolab.Driftwise.metainfo.xml" ||
    fail "appstreamcli validate failed"
fi

# The unpacked batch tool evaluates a log (its libraries come from the system).
"$root/usr/bin/driftwise-cli" --version | grep -qx "1.0.2 (build 140206)" || fail "driftwise-cli --version"
out=$("$root/usr/bin/driftwise-cli" --seed 1 examples/c1a1_two_series.log examples/atlas_stab.dat) ||
  fail "driftwise-cli failed on the examples"
[ "$(grep -c '^== ' <<<"$out")" -eq 3 ] || fail "driftwise-cli did not report three series"
grep -q "Astigmatism Stability Report" <<<"$out" || fail "driftwise-cli printed no report"
echo "check-package: $deb is complete"
