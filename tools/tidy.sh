#!/usr/bin/env bash
# Runs clang-tidy with the project's curated checks (.clang-tidy) on Galvia's own sources and
# fails on any warning. A source found clean is remembered in the build directory with the
# state of every project header and of .clang-tidy: it is checked again only when one of them
# changes, which keeps the test command quick after a first full pass.
# Usage: tools/tidy.sh [build directory with compile_commands.json] (default build)
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
construction="$(cd "${1:-$racine/build}" && pwd)"
propres="$construction/tidy-propres"
mkdir -p "$propres"

# Everything a source's result depends on besides itself: headers, checks, tool version.
commun=$( (cd "$racine" && git ls-files -z 'src/*.h' 'plugins/*.h' | xargs -0 cat
           cat .clang-tidy; clang-tidy --version) | sha256sum | cut -d' ' -f1)

a_verifier=()
cles=()
while IFS= read -r f; do
  cle=$( (echo "$commun"; cat "$racine/$f") | sha256sum | cut -d' ' -f1)
  [ -e "$propres/$cle" ] && continue
  a_verifier+=("$f")
  cles+=("$cle")
done < <(git -C "$racine" ls-files 'src/*.cpp' 'plugins/*.cpp')
[ ${#a_verifier[@]} -eq 0 ] && exit 0

sortie=$(cd "$racine" && run-clang-tidy -quiet -p "$construction" -j "$(nproc)" \
           "${a_verifier[@]/#/$racine/}" 2>/dev/null | grep -E 'warning:|error:' | sort -u || true)
# A source is remembered clean when no warning names it, unless a header has one (its
# sources are then checked again next time).
entete=$(printf '%s\n' "$sortie" | grep -c '\.h:[0-9]' || true)
for i in "${!a_verifier[@]}"; do
  if [ "$entete" -eq 0 ] && ! printf '%s\n' "$sortie" | grep -qF "$racine/${a_verifier[$i]}:"; then
    touch "$propres/${cles[$i]}"
  fi
done
if [ -n "$sortie" ]; then
  printf '%s\n' "$sortie"
  exit 1
fi
