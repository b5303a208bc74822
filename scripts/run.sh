#!/usr/bin/env bash
# Installs what is missing, builds, and starts Sazanami, optionally with a movie.
#   bash scripts/run.sh [movie file]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
bash "$ROOT/scripts/install-deps.sh"
BUILD_TARGET=sazanami bash "$ROOT/scripts/build.sh" "$ROOT/build"
exec "$ROOT/build/sazanami" "$@"
