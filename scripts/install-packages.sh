#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing; non-interactive,
# as root or through sudo.
set -euo pipefail

missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
# Another apt run may hold the lock for a while; wait for it.
apt=("${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 -qq)
"${apt[@]}" update
"${apt[@]}" install -y --no-install-recommends "${missing[@]}"
