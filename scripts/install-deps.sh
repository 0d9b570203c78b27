#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when one is missing.
# Installing needs root (or sudo); when everything is present nothing is printed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
read -r -a wanted < "$here/packages.txt"
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "root or sudo is needed to install packages" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
