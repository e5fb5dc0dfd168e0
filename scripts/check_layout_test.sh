#!/usr/bin/env bash
# The layout check on small trees of its own: it passes the tree whose table
# says what the includes do, and fails a cycle, an edge the table leaves out,
# a file outside the table and an include of another part's tests.
set -euo pipefail
check="python3 $(dirname "$0")/check_layout.py"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

write_tree() {
  rm -rf "$tree"/*
  mkdir -p "$tree/a/tests" "$tree/b"
  cat > "$tree/README.md" <<TABLE
## Layout

| folder | what it is | builds on |
|---|---|---|
| \`a/\` | the lower part | $1 |
| \`b/\` | the upper part | \`a/\` |
TABLE
  echo '#include "b/y.h"' > "$tree/a/tests/a_test.cpp"
  echo '#include <vector>' > "$tree/a/x.h"
  echo '#include "a/x.h"' > "$tree/b/y.h"
}

fails() {
  if $check --root "$tree" "$tree/README.md" > "$tree/out" 2>&1; then
    echo "check_layout_test: passed, should fail: $1"; cat "$tree/out"; exit 1
  fi
  grep -q "$2" "$tree/out" || { echo "check_layout_test: $1: no \"$2\""; cat "$tree/out"; exit 1; }
}

write_tree ""
$check --root "$tree" "$tree/README.md" > "$tree/out" || { cat "$tree/out"; exit 1; }
grep -q '^  b/: a/$' "$tree/out" || { echo "check_layout_test: graph not printed"; cat "$tree/out"; exit 1; }

write_tree '`b/`'
echo '#include "b/y.h"' >> "$tree/a/x.h"
fails "a cycle" "cycle: a/ -> b/ -> a/"

write_tree ""
echo '#include "b/y.h"' >> "$tree/a/x.h"
fails "an edge missing from the table" "a/: builds on b/ too"

write_tree ""
mkdir -p "$tree/c" && echo '' > "$tree/c/z.cpp"
fails "a file outside the table" "c/z.cpp: in no folder"

write_tree ""
echo '#include "a/tests/helper.h"' >> "$tree/b/y.h"
fails "another part's tests" "includes another part's tests"
echo "check_layout_test: ok"
