#!/usr/bin/env bash
# Configures and builds Sazanami into build/ (or $1); further arguments go to
# CMake's configuration, e.g. -DSAZANAMI_SANITIZE=ON.  BUILD_TARGET=sazanami
# builds the program alone.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$BUILD" -j"$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
