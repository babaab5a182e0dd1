#!/usr/bin/env bash
# cmake --install puts lyrovox and its data under a prefix, and the installed program finds its
# data there (wherever the prefix lies).
set -euo pipefail
build=${1:?build folder}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/lyrovox"
test -s "$prefix/share/lyrovox/video.mpg"
paths=$("$prefix/bin/lyrovox" --paths)
echo "$paths"
grep -qx "backgroundVideo: $prefix/share/lyrovox/video.mpg" <<<"$paths"
"$prefix/bin/lyrovox" --version | grep -q '^lyrovox '
