#!/usr/bin/env bash
# The folder-dependency check passes on the program's own tree and fails on a
# scratch tree whose folders link what they do not include, include what they
# do not link, and link PUBLIC or PRIVATE the wrong way round.
set -euo pipefail
ROOT="$1"
CHECK="$ROOT/scripts/check-folder-deps.py"

python3 "$CHECK" "$ROOT/src"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch"/{low,mid,top,app}
touch "$scratch/low/l.h" "$scratch/top/t.h"
echo 'sazanami_library(low)' >"$scratch/low/CMakeLists.txt"
printf '#include "low/l.h"\n' >"$scratch/mid/m.h"
echo 'sazanami_library(mid PRIVATE sazanami_low)' >"$scratch/mid/CMakeLists.txt"
printf '#include "mid/m.h"\n' >"$scratch/top/t.cpp"
echo 'sazanami_library(top PUBLIC sazanami_mid PRIVATE sazanami_low)' >"$scratch/top/CMakeLists.txt"
printf '#include "top/t.h"\n' >"$scratch/app/a.cpp"
echo 'add_executable(app a.cpp)' >"$scratch/app/CMakeLists.txt"
if out="$(python3 "$CHECK" "$scratch")"; then
  echo "a scratch tree with four wrong links passed" >&2
  exit 1
fi
echo "$out"
grep -q 'top links sazanami_low .* but none of its files includes "low/..."' <<<"$out"
grep -q 'app includes "top/..." (app/a.cpp) but app/CMakeLists.txt does not link sazanami_top' <<<"$out"
grep -q 'mid links sazanami_low PRIVATE but its header mid/m.h includes' <<<"$out"
grep -q 'top links sazanami_mid PUBLIC but only its sources include' <<<"$out"
[ "$(wc -l <<<"$out")" -eq 4 ]

# Linked as included, the tree passes and its levels are drawn.
echo 'sazanami_library(mid PUBLIC sazanami_low)' >"$scratch/mid/CMakeLists.txt"
echo 'sazanami_library(top PRIVATE sazanami_mid)' >"$scratch/top/CMakeLists.txt"
printf 'add_executable(app a.cpp)\ntarget_link_libraries(app PRIVATE sazanami_top)\n' \
  >"$scratch/app/CMakeLists.txt"
out="$(python3 "$CHECK" "$scratch")"
echo "$out"
grep -q 'level 3  app' <<<"$out"
