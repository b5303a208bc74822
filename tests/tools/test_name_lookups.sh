#!/usr/bin/env bash
# The name-lookup check passes on the program's own tree and fails on a
# scratch tree where one part searches another's widget by name.
set -euo pipefail
ROOT="$1"
CHECK="$(dirname "$0")/check_name_lookups.py"

python3 "$CHECK" "$ROOT/src"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/library" "$scratch/desktop"
cat >"$scratch/library/a.cpp" <<'CPP'
// findChild<QMenu *>("in a comment") is no lookup.
auto *adaptor = findChild<Adaptor *>();
CPP
python3 "$CHECK" "$scratch"

printf '    auto *menu = fileMenu->findChild<QMenu *>("m_jmp_directory");\n' >>"$scratch/library/a.cpp"
printf 'for (QWidget *w : window.findChildren<QWidget *>())\n    if (w->objectName() == name)\n' \
  >"$scratch/desktop/b.cpp"
if out="$(python3 "$CHECK" "$scratch")"; then
  echo "a search by name went unnoticed" >&2
  exit 1
fi
echo "$out"
grep -q '^library/a.cpp:3: ' <<<"$out"
grep -q '^desktop/b.cpp:2: ' <<<"$out"
