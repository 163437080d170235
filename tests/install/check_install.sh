#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks it as a desktop would
# see it: the link in bin, the program folder, the launcher and the AppStream
# description validate, every icon size is there. Then two users run the
# installed program: the first, on a real X server driven by keystrokes,
# adds an alias, a filter entry and a search, which come back after a
# restart from their own data folder; the second sees the shipped lists, and
# no file of the prefix has changed (tests run as root, so permissions alone
# prove nothing).
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/kestrel-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "install check: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log"
[ -L "$prefix/bin/kestrel" ] || fail "bin/kestrel is not a link"
[ "$(readlink -f "$prefix/bin/kestrel")" = "$(readlink -f "$prefix/lib/kestrel/kestrel")" ] || fail "bin/kestrel points elsewhere"
for f in lib/kestrel/installed.txt lib/kestrel/englist.ini lib/kestrel/language/English.ini lib/kestrel/help/index.htm lib/kestrel/skins/Slate/skin.ini \
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

checksums() { (cd "$prefix" && find . \( -type f -o -type l \) -print0 | sort -z | xargs -0 sha256sum); }
checksums >"$work/before.sums"

# Offline whatever happens: nothing a run loads leaves the machine.
export http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 no_proxy=127.0.0.1
# run <user> <log> <extra env...> -- <args>: starts the installed program
# for a user through its link, in the background; $pid is the program.
# `before_ready`, when set, runs once the program is started.
before_ready=
run() {
  local user=$1 log=$2
  shift 2
  local env=()
  while [ "$1" != -- ]; do env+=("$1"); shift; done
  shift
  mkdir -p "$work/$user" "$work/$user-run" && chmod 700 "$work/$user-run"
  env -i PATH="$PATH" HOME="$work/$user" XDG_RUNTIME_DIR="$work/$user-run" KESTREL_TRACE=1 \
    http_proxy="$http_proxy" https_proxy="$https_proxy" no_proxy="$no_proxy" "${env[@]}" \
    "$prefix/bin/kestrel" "$@" >"$work/$log" 2>&1 &
  pid=$!
  [ -z "$before_ready" ] || $before_ready
  for _ in $(seq 1 90); do
    grep -qs 'kestrel-trace: ready' "$work/$log" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
  done
  cat "$work/$log" >&2; fail "the installed program did not start ($log)"
}
stop() {
  kill -TERM "$pid"
  local rc=0
  wait "$pid" || rc=$?
  [ "$rc" -eq 0 ] || { tail -20 "$work/$1"; fail "the installed program ended with $rc ($1)"; }
}
offscreen=(QT_QPA_PLATFORM=offscreen KESTREL_AUTO_DIALOGS=1)

# The first start of a fresh user, its questions answered.
run alice first.log "${offscreen[@]}" -- about:blank
stop first.log
[ -s "$work/alice/.config/Corvana/Kestrel/profile.reg" ] || fail "no settings were written for the user"

# The lists, changed the way a user does it, on a real X server.
mine="$work/alice/.local/share/Corvana/Kestrel"
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v openbox >/dev/null; then
  display=:$((RANDOM % 400 + 500))
  Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb $wm 2>/dev/null || true; rm -rf "$work"' EXIT
  sleep 1
  DISPLAY=$display openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  keys() { DISPLAY=$display xdotool "$@"; sleep 0.7; }
  # Kestrel asks at each start whether it should be the default browser: not now.
  decline() {
    local asked
    asked=$(DISPLAY=$display timeout 60 xdotool search --sync --name '^Default Browser$' | head -1) || true
    [ -n "$asked" ] || return 0
    keys windowactivate --sync "$asked"
    keys key Escape
  }
  before_ready=decline run alice lists.log DISPLAY="$display" -- http://127.0.0.1:9/
  window=$(DISPLAY=$display xdotool search --sync --name ' - Kestrel' | head -1)
  keys windowactivate --sync "$window"
  sleep 2
  keys key alt+t f l         # Tools, Site Filter, Add Into Black List...
  keys key Return            # the site's address, as offered
  keys key alt+t l           # Tools, Alias Definitions...
  keys type kx
  keys key Tab
  keys type http://127.0.0.1:9/kx
  keys key Tab space         # Add
  keys key Tab Tab Tab Tab space  # Close, which saves
  keys key ctrl+l Tab Tab    # the Quick-Search field
  keys type kestrel-layers
  keys key Return
  sleep 1
  stop lists.log
  kill $wm $xvfb 2>/dev/null || true
  grep -q '^kx *http://127.0.0.1:9/kx' "$mine/alias.txt" || { cat "$work/lists.log"; fail "the alias is not in the user's alias.txt"; }
  grep -q '127.0.0.1:9' "$mine/filter.dat" || fail "the filter entry is not in the user's filter.dat"
  grep -q 'kestrel-layers' "$mine/searchhis.ini" || fail "the search is not in the user's searchhis.ini"
  # A restart reads them back from the user's folder and keeps them.
  cp "$mine/alias.txt" "$mine/filter.dat" "$mine/searchhis.ini" "$work/"
  run alice restart.log "${offscreen[@]}" -- about:blank
  stop restart.log
  for f in alias.txt filter.dat searchhis.ini; do cmp -s "$work/$f" "$mine/$f" || fail "$f changed across a restart"; done
else
  echo "install check: no Xvfb, xdotool or openbox: the lists were not changed by hand"
fi

# A second user sees what was shipped, none of the first user's lists.
run bob fresh.log "${offscreen[@]}" -- about:blank
stop fresh.log
theirs="$work/bob/.local/share/Corvana/Kestrel"
for f in alias.txt filter.dat searchhis.ini; do
  ! grep -qs 'kx\|127.0.0.1:9\|kestrel-layers' "$theirs/$f" || fail "the second user sees the first user's $f"
done
checksums >"$work/after.sums"
diff "$work/before.sums" "$work/after.sums" || fail "files of the installed prefix changed"
echo "install check: passed"
