# Sourced by the end-to-end scripts: check DESCRIPTION COMMAND... runs the command as one check, prints
# "ok: " or "FAILED: " with the description, and counts the failures in $failures.
failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
