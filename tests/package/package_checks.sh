# Checks of an installed tree, shared by the install test and the package test.
# Each check reports what is wrong and counts it in $failures; nothing stops at the first one.
failures=0
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expected_files <with png: ON/OFF> [path prefix]: the files an installation holds, sorted.
expected_files() {
  local list
  list=$(cat "$here/expected_files.txt")
  [ "$1" = ON ] || list=$(grep -v '/48x48/' <<<"$list")
  sed "s|^|${2:-}|" <<<"$list" | LC_ALL=C sort
}

# check_file_list <root> <expected>: every file and symlink under root, nothing more.
check_file_list() {
  local actual
  actual=$(cd "$1" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
  if [ "$actual" != "$2" ]; then
    fail "installed files differ from the expected list (< expected, > installed)"
    diff <(echo "$2") <(echo "$actual") >&2
  fi
}

# check_launcher <prefix>: bin/ridorevu is a relative symlink to the executable.
check_launcher() {
  local link=$1/bin/ridorevu target
  if [ ! -L "$link" ]; then
    fail "bin/ridorevu is not a symlink"
    return
  fi
  target=$(readlink "$link")
  [ "${target#/}" = "$target" ] || fail "launcher target is absolute: $target"
  [ "$(readlink -f "$link")" = "$(readlink -f "$1/lib/vidirazorod/RidoreVu")" ] || fail "launcher points at $target"
  [ -x "$link" ] || fail "launcher does not lead to an executable"
}

# check_desktop_entry <prefix>: valid, and its command and icon are installed.
check_desktop_entry() {
  local entry=$1/share/applications/vidirazorod.desktop command icon
  desktop-file-validate "$entry" >&2 || fail "desktop-file-validate rejects the entry"
  command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -n "$command" ] && [ -x "$1/bin/$command" ] || fail "Exec command '$command' is not in bin"
  [ -n "$icon" ] && [ -f "$1/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named '$icon'"
  grep -q '^MimeType=\(.*;\)\?image/tiff;' "$entry" || fail "MimeType lacks image/tiff"
}

# check_program_folder <prefix>: every ELF file there has RUNPATH $ORIGIN alone, no RPATH,
# and every library it needs is found (its own ones in the folder).
check_program_folder() {
  local file dynamic runpath missing
  for file in "$1"/lib/vidirazorod/*; do
    [ -f "$file" ] && [ "$(head -c 4 "$file")" = $'\177ELF' ] || continue
    dynamic=$(readelf -d "$file")
    runpath=$(sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p' <<<"$dynamic")
    [ "$runpath" = '$ORIGIN' ] || fail "$(basename "$file"): RUNPATH is '$runpath'"
    ! grep -q '(RPATH)' <<<"$dynamic" || fail "$(basename "$file") has an RPATH"
    missing=$(ldd "$file" | grep 'not found' || true)
    [ -z "$missing" ] || fail "$(basename "$file") needs what is not found: $missing"
  done
}
