#!/usr/bin/env bash
# kxvuz install --dry-run of each sample mission, alone and after another: its diff, applied by patch to a
# copy of the game, must give what the real run gives, and the game it previewed must be left as it was.
# The diff shows text in UTF-8 and leaves line ends out, so both sides are compared in UTF-8 with LF line ends.
# Usage: preview.sh KXVUZ SAMPLE_DIR
set -uo pipefail
kxvuz=$(realpath "$1")
sample=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

utf8_lf() {
  find "$1" -path "$1/data/Backup" -prune -o -type f -print0 |
    while IFS= read -r -d '' file; do
      iconv -f WINDOWS-1252 -t UTF-8 "$file" | sed 's/\r$//' >"$file.utf8" && mv "$file.utf8" "$file"
    done
}

for pair in ":Harbor01" ":Ridge02" ":Glasshouse03" ":MPFoundry" "Harbor01:Glasshouse03" "Ridge02:MPFoundry"; do
  first=${pair%%:*}
  mission=${pair#*:}
  rm -rf "$work/game" "$work/real" "$work/patched" "$work/run" "$work/dry"
  mkdir -p "$work/run" "$work/dry"
  cp -r "$sample/game" "$work/game"
  [ -z "$first" ] || (cd "$work/run" && "$kxvuz" install --game "$work/game" "$sample/missions/$first.kxm" >/dev/null 2>&1)
  cp -r "$work/game" "$work/real"
  cp -r "$work/game" "$work/patched"
  before=$(cd "$work/game" && find . -type f -exec md5sum {} + | sort)
  (cd "$work/dry" && "$kxvuz" install --dry-run --game "$work/game" "$sample/missions/$mission.kxm" >"$work/diff" 2>/dev/null)
  dry=$?
  (cd "$work/run" && "$kxvuz" install --game "$work/real" "$sample/missions/$mission.kxm" >/dev/null 2>&1)
  real=$?
  utf8_lf "$work/real"
  utf8_lf "$work/patched"
  grep -v '^Also written, not shown: \|^Would install \|^Only the line ends' "$work/diff" | (cd "$work/patched" && patch -s -p1)
  after=$(cd "$work/game" && find . -type f -exec md5sum {} + | sort)
  if [ "$dry" -ne "$real" ] || [ "$before" != "$after" ] || ! diff -r -x Backup "$work/real" "$work/patched" >/dev/null ||
    [ -n "$(ls -A "$work/dry")" ]; then
    echo "FAILED: $pair: exit $dry against $real, or the patched game differs, or something was written"
    failures=$((failures + 1))
  else
    echo "ok: $pair: $(grep -c '^--- a/' "$work/diff") files in the diff, applied, equal the real run"
  fi
done
exit $((failures > 0))
