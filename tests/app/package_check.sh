#!/usr/bin/env bash
# Installs the build into a scratch root and builds the Debian package, then checks that every file
# the application needs is in place: the program with its help file and example patterns in one
# folder, the launcher, desktop entry, icon and metainfo, and the package's dependencies.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# 1. cmake --install into a scratch prefix.
cmake --install "$build" --prefix "$scratch/usr" > "$scratch/install.log"
app="$scratch/usr/lib/korvalin"
[ -x "$app/korvalin" ] || fail "program not installed in its own folder"
[ -s "$app/Korvalin.HLP" ] || fail "help file not next to the program"
ls "$app"/*.stp > /dev/null 2>&1 || fail "no example pattern files next to the program"
[ -x "$scratch/usr/bin/korvalin" ] || fail "no launcher on the PATH"
grep -q '/usr/lib/korvalin/korvalin' "$scratch/usr/bin/korvalin" || fail "launcher does not start the installed program"
desktop="$scratch/usr/share/applications/org.korvalin.Korvalin.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
grep -q '^Exec=korvalin' "$desktop" || fail "desktop entry does not run korvalin"
grep -q '^Icon=org.korvalin.Korvalin$' "$desktop" || fail "desktop entry names another icon"
icon="$scratch/usr/share/icons/hicolor/scalable/apps/org.korvalin.Korvalin.svg"
[ -s "$icon" ] || fail "no scalable icon"
grep -q '<svg' "$icon" || fail "icon is not an SVG drawing"
meta="$scratch/usr/share/metainfo/org.korvalin.Korvalin.metainfo.xml"
[ -f "$meta" ] || fail "no AppStream metainfo"
grep -q '<launchable type="desktop-id">org.korvalin.Korvalin.desktop</launchable>' "$meta" || fail "metainfo does not name the desktop entry"
if command -v desktop-file-validate > /dev/null; then desktop-file-validate "$desktop"; fi

# 2. The Debian package carries the same files and the packages the program uses.
(cd "$build" && cpack -G DEB -B "$scratch/pkg" > "$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$(ls "$scratch"/pkg/*.deb | head -1)
[ -n "$deb" ] || fail "no .deb produced"
files=$(dpkg-deb -c "$deb")
for f in ./usr/lib/korvalin/korvalin ./usr/lib/korvalin/Korvalin.HLP ./usr/bin/korvalin \
         ./usr/share/applications/org.korvalin.Korvalin.desktop \
         ./usr/share/icons/hicolor/scalable/apps/org.korvalin.Korvalin.svg \
         ./usr/share/metainfo/org.korvalin.Korvalin.metainfo.xml; do
  grep -q " $f\$" <<< "$files" || fail "package lacks $f"
done
grep -q '\./usr/lib/korvalin/.*\.stp$' <<< "$files" || fail "package lacks the example patterns"
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6printsupport6 libfluidsynth3 librtmidi6 fluid-soundfont-gm fonts-noto-core; do
  grep -q "$p" <<< "$depends" || fail "package does not depend on $p"
done
[ "$(dpkg-deb -f "$deb" Package)" = korvalin ] || fail "package name"
echo "package and install layout ok: $(basename "$deb")"
