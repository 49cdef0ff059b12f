#!/usr/bin/env bash
# Checks that every C++ file of Galvia follows .clang-format; with --fix, rewrites them.
# Usage: tools/format.sh [--fix]
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
cd "$racine"
mapfile -t fichiers < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${fichiers[@]}"
else
  clang-format --dry-run --Werror "${fichiers[@]}"
fi
