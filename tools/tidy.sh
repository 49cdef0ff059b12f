#!/usr/bin/env bash
# Runs clang-tidy with the project's curated checks on Galvia's own sources.
# Usage: tools/tidy.sh [build directory with compile_commands.json] (default build)
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
construction="${1:-$racine/build}"
fichiers=$(git -C "$racine" ls-files 'src/*.cpp' 'plugins/*.cpp' | sed "s|^|$racine/|")
run-clang-tidy -quiet -p "$construction" -j "$(nproc)" $fichiers 2>/dev/null |
  grep -E 'warning:|error:' | sort -u || true
