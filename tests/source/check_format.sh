#!/bin/sh
# Fails when a C++ source differs from what clang-format makes of it with the
# project's .clang-format. Fix with: clang-format -i FILE...
set -eu
cd "$1"
find app bench live mail monitor settings tests tools ui -name '*.cpp' -o -name '*.h' |
  sort | xargs clang-format --dry-run --Werror
