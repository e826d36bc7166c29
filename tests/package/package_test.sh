#!/usr/bin/env bash
# The Debian package as a clean machine receives it: unpacked into a temporary root, its own
# velmora-cli creates a database with nothing from the build tree, and the program starts.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
deb=$(ls -t "$BUILD"/velmora_*.deb 2>/dev/null | head -1 || true)
[ -n "$deb" ] || { echo "no package in $BUILD: cmake --build $BUILD --target package" >&2; exit 1; }
# The package must be at least as new as the program it carries.
[ "$deb" -nt "$BUILD/bin/velmora-cli" ] || { echo "$deb is older than the build: cmake --build $BUILD --target package" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/pkg"
fail() { echo "$*" >&2; exit 1; }

for f in opt/velmora/bin/velmora opt/velmora/bin/velmora-cli opt/velmora/bin/libvelmora_module.so \
         opt/velmora/bin/libtessaro_xades.so opt/velmora/bin/libdravonet.so opt/velmora/Slowniki/1008.xml \
         opt/velmora/tools/puesc-sim/puesc_sim.py usr/share/applications/velmora.desktop \
         usr/share/icons/hicolor/scalable/apps/velmora.svg usr/share/doc/velmora/guide.md; do
  [ -e "$tmp/pkg/$f" ] || fail "missing in the package: $f"
done
[ "$(readlink "$tmp/pkg/usr/bin/velmora-cli")" = /opt/velmora/bin/velmora-cli ] || fail "usr/bin/velmora-cli is no link to the program"
grep -q '^Exec=/opt/velmora/bin/velmora$' "$tmp/pkg/usr/share/applications/velmora.desktop" || fail "the desktop entry starts something else"
grep -q '^Icon=velmora$' "$tmp/pkg/usr/share/applications/velmora.desktop" || fail "the desktop entry has another icon"
dpkg-deb -f "$deb" Depends | grep -q libqt6sql6-sqlite || fail "the package does not depend on the SQLite driver"

bin=$tmp/pkg/opt/velmora/bin
# Nothing may come from the build tree: its libraries are not on any path the package sees.
if ldd "$bin/velmora-cli" "$bin/velmora" | grep -e "$BUILD" -e "not found"; then fail "libraries resolved outside the package"; fi
cd "$tmp"
out=$(env -u LD_LIBRARY_PATH "$bin/velmora-cli" --root "$tmp/dane" init) || fail "velmora-cli init failed: $out"
echo "$out"
[ -s "$tmp/dane/velmora.db" ] || fail "init made no database"
[ -e "$tmp/dane/bin/libtessaro_xades.so" ] || fail "init did not put the signer below the root"
grep -q "TRANZYTY" <<<"$out" || fail "init did not report the transit tables"
# The dictionaries shipped beside bin/ answer.
dict=$(env -u LD_LIBRARY_PATH "$bin/velmora-cli" --root "$tmp/dane" dict 1008 PL) || fail "dict 1008 PL failed: $dict"
echo "$dict"
# The desktop program starts on that database and stops again.
QT_QPA_PLATFORM=offscreen env -u LD_LIBRARY_PATH "$bin/velmora" --root "$tmp/dane" --user SYSTEM --quit-after-start \
  || fail "velmora did not start"
echo "package OK: $(basename "$deb")"
