#!/usr/bin/env bash
# Builds the Debian package of a build with cpack and checks its control fields and contents.
# Skipped (77) without cpack's Debian tools.
#   check_deb.sh <build dir> <work dir> <png icon: ON/OFF>
set -uo pipefail
build=$1 work=$2 png=$3
. "$(dirname "$0")/package_checks.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 77; }
done
rm -rf "$work"
mkdir -p "$work"
if ! cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  exit 1
fi
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one .deb, found: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vidirazorod ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = graphics ] || fail "Section is '$(field Section)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Version)" ] || fail "no Version"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
# Found by dpkg-shlibdeps (libraries) and named by hand (what no ELF file names).
for package in libtiff6 libqt6core6 libqt6gui6 libqt6widgets6 libsane1 libopenjp2-7 \
               qt6-qpa-plugins fonts-ipafont-gothic fonts-ipafont-mincho; do
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

dpkg-deb -x "$deb" "$work/root"
check_file_list "$work/root" "$(expected_files "$png" usr/)"
check_launcher "$work/root/usr"
check_desktop_entry "$work/root/usr"
check_program_folder "$work/root/usr"

[ "$failures" -eq 0 ] || exit 1
# The logs stay; the large trees only when something failed.
rm -rf "$work/_CPack_Packages" "$work/root"
