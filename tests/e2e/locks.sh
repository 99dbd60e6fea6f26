#!/usr/bin/env bash
# The game's lock across processes, builds and Wine prefixes: each holder (a native process, a 64-bit Windows
# one in a prefix, a 32-bit one in another) keeps every taker out (natively, in the holder's prefix, in other
# prefixes) with zero writes, not even to the taker's log; a process that only opens the lock file keeps
# nobody out; a lock file that cannot be opened refuses the run. Holders take the lock through the core's own
# call, as both Windows programs do.
# Usage: locks.sh BUILD_ROOT SAMPLE_DIR (BUILD_ROOT holds the native, win and win32 builds)
set -uo pipefail
build=$(realpath "$1")
sample=$(realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'touch "$work/release"; wait; rm -rf "$work"' EXIT
source "$(dirname "$0")/check.sh"

# run KIND PROGRAM ARGS...: PROGRAM is native/..., win/... or win32/..., under its kind's prefix.
run() {
  local kind=$1 program=$2; shift 2
  case $kind in
    native) "$build/$program" "$@" ;;
    win64-a) "$root/cmake/wine-run" /usr/lib/wine/wine64 "$build/win/wineprefix" "$build/$program.exe" "$@" ;;
    win64-b) "$root/cmake/wine-run" /usr/lib/wine/wine64 "$build/win/wineprefix-gui" "$build/$program.exe" "$@" ;;
    win32-c) "$root/cmake/wine-run" /usr/lib/wine/wine "$build/win32/wineprefix" "$build/$program.exe" "$@" ;;
  esac
}
tree() { case $1 in native) echo native ;; win64-*) echo win ;; win32-*) echo win32 ;; esac; }
# The kind's spelling of a host path.
path() { if [ "$1" = native ]; then echo "$2"; else echo "Z:${2//\//\\}"; fi; }

fresh() { rm -rf "$work/game" "$work/run" "$work/ready" "$work/release"; cp -r "$sample/game" "$work/game"
  mkdir -p "$work/run" "$work/game/data/Backup"; printf 'the other run'"'"'s log\r\n' >"$work/run/kxinstall.log"; }
snapshot() { (cd "$work" && find game run -type f -print0 | sort -z | xargs -0 md5sum); }

# hold KIND MODE: starts a holder and waits until it holds.
hold() {
  run "$1" "$(tree "$1")/tests/e2e/kx_lock_holder" "$2" "$(path "$1" "$work/game/")" "$(path "$1" "$work/ready")" \
    "$(path "$1" "$work/release")" &
  holder=$!
  for _ in $(seq 600); do [ -f "$work/ready" ] && return 0; kill -0 $holder 2>/dev/null || break; sleep 0.2; done
  echo "FAILED: the $1 holder did not start"; failures=$((failures + 1)); return 1
}
release() { touch "$work/release"; wait $holder; }

# take KIND COMMAND...: kxvuz of that kind in the run folder, its status in $taken and stderr in $work/err.
take() {
  local kind=$1; shift
  (cd "$work/run" && run "$kind" "$(tree "$kind")/cli/kxvuz" "$@" >"$work/out" 2>"$work/err")
  taken=$?
}
install_args() { echo install --game "$(path "$1" "$work/game")" "$(path "$1" "$sample/missions/Harbor01.kxm")"; }

busy="Another installation or restore is working on the game"
for holderKind in native win64-a win32-c; do
  for takerKind in native win64-a win64-b win32-c; do
    fresh
    hold "$holderKind" lock || continue
    before=$(snapshot)
    # shellcheck disable=SC2046
    take "$takerKind" $(install_args "$takerKind")
    check "held by $holderKind, $takerKind install is refused" test "$taken" -eq 1
    check "held by $holderKind, $takerKind names the other holder" grep -q "$busy" "$work/err"
    check "held by $holderKind, $takerKind writes nothing, not even its log" test "$(snapshot)" = "$before"
    if [ "$takerKind" = native ]; then
      take native restore --game "$work/game"
      check "held by $holderKind, native restore is refused" test "$taken" -eq 2
      check "held by $holderKind, native restore names the other holder" grep -q "$busy" "$work/err"
    fi
    release
  done
done

for openerKind in native win64-a; do
  fresh
  touch "$work/game/data/Backup/kxvuz.lock"
  hold "$openerKind" open || continue
  # shellcheck disable=SC2046
  take "$openerKind" $(install_args "$openerKind")
  check "a lock file open in a $openerKind process keeps no install out" test "$taken" -eq 0
  release
done

for takerKind in native win64-a; do
  fresh
  mkdir "$work/game/data/Backup/kxvuz.lock"
  before=$(snapshot)
  # shellcheck disable=SC2046
  take "$takerKind" $(install_args "$takerKind")
  check "a lock file that cannot be opened refuses the $takerKind install" test "$taken" -eq 1
  check "and names the lock file" grep -q "kxvuz.lock that keeps other installations out cannot be opened" \
    "$work/err"
  check "and writes nothing" test "$(snapshot)" = "$before"
done
exit $((failures > 0))
