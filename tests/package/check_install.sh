#!/usr/bin/env bash
# Installs a build into a fresh prefix, checks the installed tree, then starts the program
# through its launcher and checks that it loads all seven kit libraries from its own folder.
#   check_install.sh <build dir> <work dir> <png icon: ON/OFF>
set -uo pipefail
build=$1 work=$2 png=$3
. "$(dirname "$0")/package_checks.sh"

rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  exit 1
fi

check_file_list "$prefix" "$(expected_files "$png")"
check_launcher "$prefix"
check_desktop_entry "$prefix"
check_program_folder "$prefix"

# The program runs until it is ended; the loader's record tells which libraries dlopen opened
# ("opening file=" comes only after a successful load, "file=" alone also for a missing file).
mkdir -p "$work/home/.config" "$work/runtime" "$work/sane"
chmod 700 "$work/runtime"
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime SANE_CONFIG_DIR=$work/sane \
  QT_QPA_PLATFORM=offscreen LD_DEBUG=files LD_DEBUG_OUTPUT=$work/loader \
  "$prefix/bin/ridorevu" >"$work/program.log" 2>&1 &
program=$!
kit_libraries() { cat "$work"/loader.* 2>/dev/null | grep -o "$1file=$prefix/lib/vidirazorod/Ik7[A-Za-z]*\.so" | sort -u | wc -l; }
# The program tries all seven in one go; once it has tried the last, the count is final.
for _ in $(seq 120); do
  [ "$(kit_libraries '')" -eq 7 ] && sleep 1 && break
  kill -0 "$program" 2>/dev/null || break
  sleep 0.5
done
loaded=$(kit_libraries 'opening ')
if kill -0 "$program" 2>/dev/null; then
  kill "$program"
  wait "$program" 2>/dev/null
else
  wait "$program"
  fail "the installed program ended by itself (status $?)"
  cat "$work/program.log" >&2
fi
[ "$loaded" -eq 7 ] || fail "the installed program loaded $loaded of the 7 kit libraries from its folder"

[ "$failures" -eq 0 ] || exit 1
# The logs stay; the large trees only when something failed.
rm -rf "$prefix"
