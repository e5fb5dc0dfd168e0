#!/usr/bin/env bash
# Fails when a C++ file departs from .clang-format; `--fix` rewrites them.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=(--dry-run -Werror)
if [ "${1:-}" = --fix ]; then mode=(-i); fi
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 "${mode[@]}"
