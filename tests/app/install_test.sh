#!/usr/bin/env bash
# cmake --install puts lyrovox and its data under a prefix, and the installed program finds its
# data there (wherever the prefix lies); a desktop finds its entry and its icon in the XDG places.
set -euo pipefail
build=${1:?build folder}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/lyrovox"
test -s "$prefix/share/lyrovox/video.mpg"
test -s "$prefix/share/doc/lyrovox/README.md"
paths=$("$prefix/bin/lyrovox" --paths)
echo "$paths"
grep -qx "backgroundVideo: $prefix/share/lyrovox/video.mpg" <<<"$paths"
"$prefix/bin/lyrovox" --version | grep -q '^lyrovox '

# The desktop entry: valid, starting lyrovox with the files, for the song types.
entry="$prefix/share/applications/lyrovox.desktop"
grep -qx 'Exec=lyrovox %F' "$entry"
grep -qx 'Icon=lyrovox' "$entry"
grep -q '^MimeType=audio/midi;.*audio/mpeg;.*video/mpeg;.*application/zip;' "$entry"
if command -v desktop-file-validate >/dev/null; then
  said=$(desktop-file-validate "$entry" 2>&1)
  [ -z "$said" ] || { echo "desktop-file-validate: $said"; exit 1; }
fi
# The icon at every size: a PNG whose header gives its folder's width and height.
for size in 16 22 24 32 48 64 128 256 512; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/lyrovox.png"
  [ "$(od -An -tx1 -N8 "$icon" | tr -d ' \n')" = 89504e470d0a1a0a ]
  [ "$(od -An -tu4 --endian=big -j16 -N8 "$icon" | xargs)" = "$size $size" ]
done
echo "entry and icons: ok"
