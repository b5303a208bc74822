#!/usr/bin/env bash
# The include-cycle check passes on the program's own tree and fails on a
# scratch tree with a deliberate cycle, naming its folders.
set -euo pipefail
ROOT="$1"
CHECK="$ROOT/scripts/check-include-cycles.py"

python3 "$CHECK" "$ROOT/src"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch"/{low,mid,top}
printf '#include "mid/m.h"\n' >"$scratch/low/l.cpp"
printf '#include "top/t.h"\n' >"$scratch/mid/m.h"
printf '#include "low/l.h"\n' >"$scratch/top/t.cpp"
if out="$(python3 "$CHECK" "$scratch")"; then
  echo "a cycle low -> mid -> top -> low went unnoticed" >&2
  exit 1
fi
echo "$out"
grep -q "include cycle between: low, mid, top" <<<"$out"

# Breaking the cycle makes the tree pass.
printf '\n' >"$scratch/top/t.cpp"
python3 "$CHECK" "$scratch"
