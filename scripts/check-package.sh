#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from a finished build folder, installs the build
# into a scratch folder and checks what a desktop reads from it: the menu
# entry, the AppStream metainfo and the manual page, and that both programs
# answer --version.
set -euo pipefail
build=$(realpath "${1:-build/ci}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/deb" >/dev/null)
deb=$(ls "$scratch"/deb/vellora_*_amd64.deb)
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb --field "$deb" Version Installed-Size Depends
# Each line of the long description starts with a space, never with a list's ";".
# (Read whole first: grep -q stops early, and with pipefail the writer's broken pipe would fail the check.)
description=$(dpkg-deb --field "$deb" Description)
if grep -q '^ *;' <<<"$description"; then
    echo "check-package: the description has lines starting with ';'" >&2
    exit 1
fi
contents=$(dpkg-deb --contents "$deb")
grep -q ' ./usr/share/doc/vellora/copyright$' <<<"$contents" ||
    { echo "check-package: no copyright file" >&2; exit 1; }

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
usr="$scratch/root/usr"
desktop-file-validate "$usr/share/applications/org.vellora.Vellora.desktop"
# One menu: one main category.
main=$(grep '^Categories=' "$usr/share/applications/org.vellora.Vellora.desktop" | tr ';=' '\n\n' |
       grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility')
[ "$main" -eq 1 ] || { echo "check-package: the menu entry names $main main categories" >&2; exit 1; }
appstreamcli validate --no-net "$usr/share/metainfo/org.vellora.Vellora.metainfo.xml"
# groff's warnings go to stderr; any at all fail the check.
for page in vellora-cli vellora; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=all -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$warnings"
        echo "check-package: the manual page $page renders with warnings" >&2
        exit 1
    fi
done
for size in 16 24 32 48 64 128 256; do
    test -f "$usr/share/icons/hicolor/${size}x${size}/apps/org.vellora.Vellora.png"
done
test -f "$usr/share/icons/hicolor/scalable/apps/org.vellora.Vellora.svg"
"$usr/bin/vellora-cli" --version
QT_QPA_PLATFORM=offscreen "$usr/bin/vellora" --version
echo "check-package: the package, menu entry, metainfo, icons, copyright and manual pages are good"
