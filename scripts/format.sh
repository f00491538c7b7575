#!/usr/bin/env bash
# Formats every C++ file of the repository with its .clang-format; with
# --check, changes nothing and fails listing the files that differ.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  bad=()
  for f in "${files[@]}"; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
  done
  if [ ${#bad[@]} -ne 0 ]; then
    printf 'not formatted (run scripts/format.sh): %s\n' "${bad[@]}" >&2
    exit 1
  fi
  exit 0
fi
clang-format -i "${files[@]}"
