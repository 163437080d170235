#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks it as a desktop would
# see it: the link in bin, the program folder, the launcher and the AppStream
# description validate, every icon size is there, and the installed program
# starts from its link with a fresh home and shuts down cleanly.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/kestrel-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "install check: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log"
[ -L "$prefix/bin/kestrel" ] || fail "bin/kestrel is not a link"
[ "$(readlink -f "$prefix/bin/kestrel")" = "$(readlink -f "$prefix/lib/kestrel/kestrel")" ] || fail "bin/kestrel points elsewhere"
for f in lib/kestrel/englist.ini lib/kestrel/language/English.ini lib/kestrel/help/index.htm lib/kestrel/skins/Slate/skin.ini \
         lib/kestrel/scripts lib/kestrel/translate/google.htm share/icons/hicolor/scalable/apps/kestrel.svg; do
  [ -e "$prefix/$f" ] || fail "$f is missing"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/kestrel.png" ] || fail "no ${size}x${size} icon"
done
desktop-file-validate "$prefix/share/applications/kestrel.desktop" || fail "the launcher does not validate"
grep -q '^Exec=kestrel %U$' "$prefix/share/applications/kestrel.desktop" || fail "the launcher's Exec line"
appstreamcli validate --no-net "$prefix/share/metainfo/com.corvana.Kestrel.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log"; fail "the metainfo does not validate"; }

# A fresh user starts the installed program through its link.
home="$work/home"
mkdir -p "$home" "$work/run" && chmod 700 "$work/run"
env -i PATH="$PATH" HOME="$home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen KESTREL_TRACE=1 \
  KESTREL_AUTO_DIALOGS=1 "$prefix/bin/kestrel" about:blank >"$work/run.log" 2>&1 &
pid=$!
for _ in $(seq 1 90); do
  grep -q 'kestrel-trace: ready' "$work/run.log" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 1
done
grep -q 'kestrel-trace: ready' "$work/run.log" || { cat "$work/run.log"; fail "the installed program did not start"; }
kill -TERM "$pid"
rc=0
wait "$pid" || rc=$?
[ "$rc" -eq 0 ] || { tail -20 "$work/run.log"; fail "the installed program ended with $rc"; }
[ -s "$home/.config/Corvana/Kestrel/profile.reg" ] || fail "no settings were written for the user"
echo "install check: passed"
