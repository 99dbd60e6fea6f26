#!/usr/bin/env bash
# kxvuz install on scratch copies of the sample game: exit statuses, log and untouched files.
# Usage: install.sh KXVUZ SAMPLE_DIR
set -uo pipefail
kxvuz=$(realpath "$1")
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/check.sh"

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
# The records hold the time and the log, which names it.
check "and leaves the game as with its output read" diff -r -x Installed "$work/normal" "$work/game"
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

# Accented names, as Linux has them in UTF-8: the game's folder and files, the mission's folder, and the names
# the mission gives its files (Windows-1252 inside it, in another letter case).
accented="$work/Jeux été"
rm -rf "$accented" "$work/Missions à jouer" && cp -r "$sample/game" "$accented" && mkdir "$work/Missions à jouer"
cp "$accented/data/text/briefing/Harbor01.brf" "$accented/data/text/briefing/kxété.brf"
cp "$accented/data/text/intel/Harbor01.int" "$accented/data/text/intel/kxété.int"
(cd "$accented" && find . | sort >"$work/names-before")
mission="$work/Missions à jouer/été.json"
sed 's/"Harbor01.brf"/"KXÉTÉ.BRF"/; s/"Harbor01.int"/"kxété.int"/' "$sample/missions/Harbor01.json" >"$mission"
(cd "$work/run" && "$kxvuz" install --game "$accented" "$mission" >out.txt 2>err.txt)
check "an accented mission installs into a game with UTF-8 names" test $? -eq 0
check "its intel file is the one edited" bash -c "! cmp -s '$accented/data/text/intel/kxété.int' \
  '$accented/data/text/intel/Harbor01.int'"
check "and backed up under its UTF-8 name" cmp "$accented/data/Backup/kxété.int" "$sample/game/data/text/intel/Harbor01.int"
check "and no game file of another name appeared" bash -c "cd '$accented' && find . -path ./data/Backup -prune -o -print \
  | grep -v '^./data/Backup$' | sort | diff '$work/names-before' -"
check "show prints the mission's names in UTF-8" grep -qx 'Intel file: *"kxété.int"' \
  <("$kxvuz" show "$mission")
rm "$accented/Korvex.exe"
(cd "$work/run" && "$kxvuz" install --game "$accented" "$mission" >out.txt 2>err.txt)
check "and its messages name the game directory in UTF-8" \
  grep -qF "Could not find Korvex.exe in the directory $accented/." "$work/run/err.txt"

echo "e2e install: $failures failed"
[ "$failures" -eq 0 ]
