#!/bin/sh
# Formats every C++ source with the .clang-format at the top of the tree:
#   tools/format.sh           rewrite the files in place
#   tools/format.sh --check   change nothing, fail on any difference
# CLANG_FORMAT picks the program; clang-format-14 is preferred because other
# versions lay out a few constructs differently.
set -eu
cd "$(dirname "$0")/.."

if [ -z "${CLANG_FORMAT:-}" ]; then
    CLANG_FORMAT=clang-format
    command -v clang-format-14 >/dev/null 2>&1 && CLANG_FORMAT=clang-format-14
fi
command -v "$CLANG_FORMAT" >/dev/null 2>&1 || {
    echo "format.sh: $CLANG_FORMAT not found (Debian package clang-format)" >&2
    exit 2
}

case "${1:-}" in
    "") mode=-i ;;
    --check) mode="--dry-run --Werror" ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

# shellcheck disable=SC2086  # $mode is one or two options
find src tests bench fuzz tools -type f \( -name '*.cpp' -o -name '*.h' \) -exec \
    "$CLANG_FORMAT" --style=file $mode {} + || {
    [ "$mode" = -i ] || echo "format.sh: run 'make format' to fix the layout above" >&2
    exit 1
}
