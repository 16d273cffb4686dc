#!/usr/bin/env bash
# Installs the missing Debian packages of the lists named (run, test), e.g.
# "setup.sh run test"; without arguments only those for running.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
lists=("${@:-run}")
missing=()
for list in "${lists[@]}"; do
  while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done < "$here/packages-$list.txt"
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
