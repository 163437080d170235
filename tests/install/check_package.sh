#!/usr/bin/env bash
# Builds the Debian package from the build and checks what it holds: the
# program and its data in /usr/lib/kestrel, the link in /usr/bin, the
# launcher, the metainfo and the icons, and dependencies on the engine's
# libraries worked out from the program itself.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/kestrel-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "package check: $*" >&2; exit 1; }

(cd "$build" && cpack -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/kestrel_*_amd64.deb)
dpkg-deb -c "$deb" | awk '{print $6 ($7 ? " " $7 " " $8 : "")}' >"$work/files"
for f in ./usr/bin/kestrel ./usr/lib/kestrel/kestrel ./usr/lib/kestrel/installed.txt ./usr/lib/kestrel/englist.ini ./usr/lib/kestrel/language/Deutsch.ini \
         ./usr/lib/kestrel/help/index.htm ./usr/share/applications/kestrel.desktop \
         ./usr/share/metainfo/com.corvana.Kestrel.metainfo.xml ./usr/share/icons/hicolor/scalable/apps/kestrel.svg \
         ./usr/share/icons/hicolor/48x48/apps/kestrel.png; do
  grep -q "^$f\( \|$\)" "$work/files" || fail "$f is not in the package"
done
grep -q '^./usr/bin/kestrel -> ../lib/kestrel/kestrel$' "$work/files" || fail "/usr/bin/kestrel is not the link"
# Nothing outside /usr, and nothing of the build or the tests.
! grep -v '^./usr/' "$work/files" | grep -qv '^./$' || fail "files outside /usr"
! grep -qE 'CMakeFiles|_test|\.a$' "$work/files" || fail "build files in the package"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6webenginecore6 libqt6widgets6 libsqlite3-0 xdg-utils; do
  [[ "$depends" == *"$lib"* ]] || fail "no dependency on $lib: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = kestrel ] || fail "the package's name"
echo "package check: passed ($(basename "$deb"))"
