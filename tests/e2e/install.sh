#!/usr/bin/env bash
# kxvuz install on scratch copies of the sample game: exit statuses, log and untouched files.
# Usage: install.sh KXVUZ SAMPLE_DIR
set -uo pipefail
kxvuz=$(realpath "$1")
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # description, command...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

fresh() { rm -rf "$work/game" "$work/run"; cp -r "$sample/game" "$work/game"; mkdir "$work/run"; }

fresh
(cd "$work/run" && "$kxvuz" install --game "$work/game" "$sample/missions/Harbor01.kxm" >out.txt 2>err.txt)
check "a complete install exits 0" test $? -eq 0
check "Done goes to stdout" grep -qx Done "$work/run/out.txt"
check "progress goes to stderr, a line per step" grep -q '^100% Finished installation.$' "$work/run/err.txt"
check "the log ends with the completion line" \
  bash -c "tail -c 42 '$work/run/kxinstall.log' | grep -q 'Installation complete for Harbor Lights.'"
check "the backup holds files.txt" test -f "$work/game/data/Backup/files.txt"
rm -rf "$work/normal" && cp -r "$work/game" "$work/normal"

fresh
# Both outputs go to a pipe whose reader has gone before kxvuz writes its first line.
(cd "$work/run" && python3 -c '
import os, subprocess, sys
reader, writer = os.pipe()
os.close(reader)
sys.exit(subprocess.run(sys.argv[1:], stdout=writer, stderr=writer).returncode != 0)
' "$kxvuz" install --game "$work/game" "$sample/missions/Harbor01.kxm")
check "an install whose output pipe is closed exits 0" test $? -eq 0
check "and leaves the game as with its output read" diff -r "$work/normal" "$work/game"
check "and its log complete" \
  bash -c "tail -c 42 '$work/run/kxinstall.log' | grep -q 'Installation complete for Harbor Lights.'"

fresh
rm "$work/game/Korvex.exe"
(cd "$work/run" && "$kxvuz" install --game "$work/game" "$sample/missions/Harbor01.kxm" >out.txt 2>err.txt)
check "a game directory without Korvex.exe exits 3" test $? -eq 3
log=$work/run/kxinstall.log
check "the log holds only the header and the search line" python3 -c '
import re, sys
log = open(sys.argv[1], "rb").read().decode("latin-1")
header = r"--------Installation for Harbor Lights--------\r\n {10}Attempted: .{24}\r\n\r\n"
sys.exit(not re.fullmatch(header + "Searching for directory " + re.escape(sys.argv[2]) + r"\.\.\.", log))
' "$log" "$work/game/"
check "the error goes to stderr" grep -q "Could not find Korvex.exe in the directory $work/game/." "$work/run/err.txt"
check "nothing was backed up" test ! -e "$work/game/data/Backup"

fresh
rm "$work/game/data/mission/Harbor01.spl"
(cd "$work/run" && "$kxvuz" install --game "$work/game" "$sample/missions/Harbor01.kxm" >out.txt 2>err.txt)
check "a splash file missing from the game is a warning: the install goes on" test $? -eq 0
check "and the warning goes to stderr" grep -qxF "kxvuz: warning: The splash file data\\mission\\Harbor01.spl is not in \
the game's folders; the game needs it to play the mission." "$work/run/err.txt"

fresh
rm "$work/game/data/text/briefing/Harbor01.brf"
(cd "$work/run" && "$kxvuz" install --game "$work/game" "$sample/missions/Harbor01.kxm" >out.txt 2>err.txt)
check "a briefing file missing from the game refuses the mission with exit 1" test $? -eq 1
check "with one line on stderr" test "$(wc -l < "$work/run/err.txt")" -eq 1
check "and writes neither log nor backup" test ! -e "$work/run/kxinstall.log" -a ! -e "$work/game/data/Backup"

fresh
printf 'not a mission' >"$work/run/bad.kxm"
(cd "$work/run" && "$kxvuz" install --game "$work/game" bad.kxm >out.txt 2>err.txt)
check "an unreadable mission file exits 2" test $? -eq 2
check "and writes no log" test ! -e "$work/run/kxinstall.log"
check "with one line on stderr" test "$(wc -l < "$work/run/err.txt")" -eq 1
check "and touches no game file" diff -r "$sample/game" "$work/game"

fresh
(cd "$work/run" && "$kxvuz" restore --game "$work/game" >out.txt 2>err.txt)
check "restore without a backup set exits 2" test $? -eq 2
check "and says so in one line" grep -qx "kxvuz: No complete backup set in $work/game/data\\\\Backup: nothing was restored." "$work/run/err.txt"
(cd "$work/run" && "$kxvuz" install --game "$work/game" "$sample/missions/Glasshouse03.kxm" >/dev/null 2>&1)
check "an installation to undo" test $? -eq 0
(cd "$work/run" && "$kxvuz" restore --game "$work/game" >out.txt 2>err.txt)
check "restore after it exits 0" test $? -eq 0
check "and names what it put back" grep -qx 'Restored: data\\texture\\sherman.cxp' "$work/run/out.txt"
rm -r "$work/game/data/Backup"
check "and every game file is as before" diff -r "$sample/game" "$work/game"

echo "e2e install: $failures failed"
[ "$failures" -eq 0 ]
