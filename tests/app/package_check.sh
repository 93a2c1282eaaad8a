#!/usr/bin/env bash
# Installs the build into a scratch root and builds the Debian package, then checks that every file
# the application needs is in place: the program with its help file and example patterns in one
# folder, the launcher, desktop entry, icon and metainfo, the licence, changelog and manual page,
# and the package's dependencies; that lintian finds no error and no warning in the package; and
# that the packaged program answers --help and --version, without a display, with the project's
# version.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" > /dev/null || fail "$1 is not installed (./korvalin deps installs it)"; }
for tool in lintian desktop-file-validate appstreamcli man; do need "$tool"; done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

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
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$meta" || fail "metainfo does not declare GPL-3.0-or-later"
first_release=$(grep -o '<release version="[^"]*"' "$meta" | head -1)
[ "$first_release" = "<release version=\"$version\"" ] || fail "newest metainfo release is $first_release, not $version"
desktop-file-validate "$desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$meta" || fail "metainfo does not validate"

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
for f in ./usr/share/doc/korvalin/copyright ./usr/share/doc/korvalin/changelog.gz \
         ./usr/share/man/man1/korvalin.1.gz; do
  grep -q " $f\$" <<< "$files" || fail "package lacks $f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libc6 libqt6widgets6 libqt6printsupport6 libfluidsynth3 librtmidi6 fluid-soundfont-gm fonts-noto-core; do
  grep -q "$p" <<< "$depends" || fail "package does not depend on $p"
done
[ "$(dpkg-deb -f "$deb" Package)" = korvalin ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version), not $version"

# 3. Debian's own checker: no error and no warning (informational tags are allowed).
lintian_args=(--fail-on error,warning)
[ "$(id -u)" -ne 0 ] || lintian_args+=(--allow-root)
lintian "${lintian_args[@]}" "$deb" > "$scratch/lintian.log" 2>&1 \
  || { cat "$scratch/lintian.log"; fail "lintian reports errors or warnings"; }
! grep -E '^[EW]: ' "$scratch/lintian.log" || fail "lintian reports errors or warnings"

# 4. The packaged files themselves.
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
doc="$root/usr/share/doc/korvalin"
head -1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || fail "copyright file is not in the machine-readable format"
grep -q '^License: GPL-3.0-or-later$' "$doc/copyright" || fail "copyright file does not grant GPL-3.0-or-later"
zcat "$doc/changelog.gz" | head -1 | grep -q "^korvalin ($version) " || fail "changelog's newest entry is not $version"
page=$(MANWIDTH=80 man -l "$root/usr/share/man/man1/korvalin.1.gz" 2> "$scratch/man.err") \
  || { cat "$scratch/man.err"; fail "man cannot format the manual page"; }
grep -q 'korvalin - saxophone tutor' <<< "$page" || fail "manual page has no NAME line"
grep -q -- '--version' <<< "$page" || fail "manual page does not describe --version"

# The launcher, pointed at the unpacked program, passes its arguments through; --help and
# --version need no display.
sed "s|/usr/lib/korvalin/korvalin|$root/usr/lib/korvalin/korvalin|" "$root/usr/bin/korvalin" > "$scratch/launcher"
chmod +x "$scratch/launcher"
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$scratch/launcher" "$@"; }
# Qt's own options stay usable beside them, and none is read as a cluster holding -v or -h.
for args in "--version" "-v" "-platform offscreen -reverse --version" "-stylesheet none.qss -v"; do
  # shellcheck disable=SC2086 # the case is a list of words
  answer=$(run $args) || fail "korvalin $args failed"
  [ "$answer" = "korvalin $version" ] || fail "korvalin $args says \"$answer\""
done
if answer=$(run -platform offscreen --no-such-option 2>&1); then fail "an unknown option was accepted"; fi
grep -q "Unknown option 'no-such-option'" <<< "$answer" || fail "unknown option not reported: $answer"
answer=$(run --help) || fail "korvalin --help failed"
for line in 'Usage: korvalin \[options\]' '-h, --help' '--help-all' '-v, --version'; do
  grep -q -- "$line" <<< "$answer" || fail "korvalin --help lacks \"$line\": $answer"
done
answer=$(run --help-all) || fail "korvalin --help-all failed"
grep -q -- '--platform' <<< "$answer" || fail "korvalin --help-all does not list the window-system options"
echo "package and install layout ok: $(basename "$deb")"
