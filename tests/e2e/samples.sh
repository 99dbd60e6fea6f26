#!/usr/bin/env bash
# kxvuz install of each sample mission, once and twice, on scratch copies of the sample game: every
# game file must equal the reviewed result in expected/ (files that a run leaves alone are not there).
# Usage: samples.sh KXVUZ SAMPLE_DIR [--update]   (--update rewrites expected/ for review with git diff)
set -uo pipefail
kxvuz=$(realpath "$1")
sample=$(realpath "$2")
update=${3:-}
expected=$(cd "$(dirname "$0")" && pwd)/expected
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# The game tree as it should be: the sample game with the expected files laid over it.
want() {
  rm -rf "$work/want"
  cp -r "$sample/game" "$work/want"
  cp -r "$expected/$1/." "$work/want/"
}

for mission in Harbor01 Ridge02 Glasshouse03 MPFoundry; do
  rm -rf "$work/game" "$work/run"
  cp -r "$sample/game" "$work/game"
  mkdir -p "$work/run"
  again=()
  for round in once twice; do
    (cd "$work/run" && "$kxvuz" install "${again[@]}" --game "$work/game" "$sample/missions/$mission.kxm" >/dev/null 2>&1)
    status=$?
    name="$mission-$round"
    # The second time the game holds the mission already.
    again=(--again)
    if [ "$update" = --update ]; then
      rm -rf "${expected:?}/$name"
      mkdir -p "$expected/$name"
      (cd "$work/game" && find . -path ./data/Backup -prune -o -type f -print | while read -r f; do
        cmp -s "$f" "$sample/game/$f" || { mkdir -p "$expected/$name/$(dirname "$f")"; cp "$f" "$expected/$name/$f"; }
      done)
      continue
    fi
    want "$name"
    if [ $status -eq 0 ] && diff -r -x Backup "$work/want" "$work/game" >"$work/diff.txt"; then
      echo "ok: $mission installed $round"
    else
      echo "FAILED: $mission installed $round (exit status $status)"
      head -n 40 "$work/diff.txt"
      failures=$((failures + 1))
    fi
  done
done
echo "e2e samples: $failures failed"
[ "$failures" -eq 0 ]
