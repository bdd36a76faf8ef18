#!/usr/bin/env bash
# The Debian package as a user gets it: built from the finished build tree, unpacked into a
# scratch root (no installation on this machine), then both programs run from that root on an
# example, with the build folder out of their sight.
# usage: PackageTest.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log" >&2; fail "cpack did not build the package"; }
debs=("$scratch"/out/velm_*.deb)
[ -f "${debs[0]}" ] || fail "no velm_*.deb in $scratch/out"
deb="${debs[0]}"

# Declared dependencies: the linked libraries (dpkg-shlibdeps) and what Qt loads at run time.
depends="$(dpkg-deb -f "$deb" Depends)"
for need in libqt6widgets6 libqt6network6 qt6-translations-l10n fonts-wqy-microhei; do
  [[ "$depends" == *"$need"* ]] || fail "Depends lacks $need: $depends"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
for f in usr/bin/velm usr/bin/velm-calc usr/share/velm/Packings.cds \
         usr/share/velm/examples/air-water-absorber.vlm usr/share/applications/velm.desktop \
         usr/share/mime/packages/velm.xml usr/share/icons/hicolor/48x48/apps/velm.png \
         usr/share/icons/hicolor/256x256/mimetypes/application-x-velm-project.png; do
  [ -e "$root/$f" ] || fail "the package lacks /$f"
done
# Every shipped file beside the program in the build folder is in the package.
shopt -s nullglob
for f in "$build"/app/*.cds "$build"/app/*.xltx "$build"/app/*.qch; do
  [ -e "$root/usr/share/velm/$(basename "$f")" ] || fail "the package lacks $(basename "$f")"
done
shopt -u nullglob
# Build tools and per-user files stay out.
contents="$(dpkg-deb -c "$deb")"
for bad in velm-cds velm-icons .opt .a; do
  ! grep -qE "${bad//./\\.}\$" <<<"$contents" || fail "the package carries $bad"
done
grep -q '^Exec=velm %f$' "$root/usr/share/applications/velm.desktop" || fail "desktop Exec"
grep -q 'glob pattern="\*.vlm"' "$root/usr/share/mime/packages/velm.xml" || fail "mime glob"

cd "$scratch"
export XDG_CONFIG_HOME="$scratch/config" TMPDIR="$scratch" XDG_RUNTIME_DIR="$scratch"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
"$root/usr/bin/velm" --version | grep -q '^velm [0-9]' || fail "velm --version"
"$root/usr/bin/velm-calc" --version | grep -q '^velm-calc [0-9]' || fail "velm-calc --version"
"$root/usr/bin/velm" --batch "$root/usr/share/velm/examples/air-water-absorber.vlm" >batch.txt ||
  fail "velm --batch from the installed layout (exit $?)"
grep -qE "^dD 实际塔径 [0-9]" batch.txt || { cat batch.txt >&2; fail "no column diameter"; }
"$root/usr/bin/velm-calc" "$root/usr/share/velm/examples/air-water-absorber.json" >calc.json ||
  fail "velm-calc from the installed layout"
grep -q '"Diameter":[0-9]' calc.json || { head -c 400 calc.json >&2; fail "no diameter"; }
echo "package $(basename "$deb") runs from the installed layout"
