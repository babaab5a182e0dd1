#!/usr/bin/env bash
# cmake --install puts lyrovox, every command a user runs, its data, the user's guide and the
# manual pages under a prefix, and the installed program finds its data there (wherever the
# prefix lies); a desktop finds its entry and its icon in the XDG places. Every place that says
# the version says the one of the sources' project().
set -euo pipefail
build=${1:?build folder}
sources=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
version=$(sed -n 's/^project(Lyrovox VERSION \([0-9.]*\) .*/\1/p' "$sources/CMakeLists.txt")
[ -n "$version" ] || { echo "no version in CMakeLists.txt"; exit 1; }

# Every command, answering --help with its usage, and a manual page for each.
tools=(lyrovox lyrovox-play lyrovox-lyrics lyrovox-render lyrovox-cdg lyrovox-zip lyrovox-dvd
  lyrovox-make-background)
export QT_QPA_PLATFORM=offscreen
for tool in "${tools[@]}"; do
  test -x "$prefix/bin/$tool" || { echo "not installed: bin/$tool"; exit 1; }
  usage=$(cd "$prefix" && "$prefix/bin/$tool" --help 2>/dev/null) ||
    { echo "$tool --help failed"; exit 1; }
  grep -q "usage: .*$tool" <<<"$usage" || { echo "$tool --help: $usage"; exit 1; }
  page="$prefix/share/man/man1/$tool.1"
  test -s "$page" || { echo "no manual page: $page"; exit 1; }
  head -1 "$page" | grep -q "\"Lyrovox $version\"" || { echo "$page: not version $version"; exit 1; }
  if command -v groff >/dev/null; then
    said=$(groff -man -ww -z -Tutf8 "$page" 2>&1)
    [ -z "$said" ] || { echo "$page: $said"; exit 1; }
  fi
done
# Nothing else: build helpers and screenshot programs stay in the build.
installed=$(cd "$prefix/bin" && ls | sort | xargs)
[ "$installed" = "$(printf '%s\n' "${tools[@]}" | sort | xargs)" ] ||
  { echo "bin holds: $installed"; exit 1; }
[ "$(cd "$prefix/share/man/man1" && ls | sort | xargs)" = \
  "$(printf '%s.1\n' "${tools[@]}" | sort | xargs)" ] || { echo "stray manual pages"; exit 1; }
echo "commands and manual pages: ok"

# The data and the guide the installed program finds.
test -s "$prefix/share/lyrovox/video.mpg"
paths=$("$prefix/bin/lyrovox" --paths)
echo "$paths"
grep -qx "backgroundVideo: $prefix/share/lyrovox/video.mpg" <<<"$paths"
guide="$prefix/share/doc/lyrovox/guide.html"
test -s "$guide"
grep -q "<title>Lyrovox $version: user's guide</title>" "$guide"
for section in first-start adding-songs numbers queue keys setup formats files trouble; do
  grep -q "id=\"$section\"" "$guide" || { echo "guide: no section $section"; exit 1; }
  grep -q "href=\"#$section\"" "$guide" || { echo "guide: $section not in its contents"; exit 1; }
done
! grep -q '@[A-Z_]*@' "$guide" "$prefix"/share/man/man1/*.1 || { echo "unfilled @VARIABLE@"; exit 1; }
grep -q "GNU GENERAL PUBLIC LICENSE" "$prefix/share/doc/lyrovox/COPYING"
echo "guide: ok"

# One version.
[ "$("$prefix/bin/lyrovox" --version)" = "lyrovox $version" ]

# The desktop entry: valid, starting lyrovox with the files, for the song types, of this version.
entry="$prefix/share/applications/lyrovox.desktop"
grep -qx 'Exec=lyrovox %F' "$entry"
grep -qx 'Icon=lyrovox' "$entry"
grep -qx "X-Lyrovox-Version=$version" "$entry"
grep -q '^MimeType=audio/midi;.*audio/mpeg;.*video/mpeg;.*video/webm;.*application/zip;' "$entry"
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
