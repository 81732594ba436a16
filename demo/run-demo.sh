#!/bin/sh
# `make demo`: builds the demo system under ./demo-system when it is absent and starts a node on
# it. The paths written into a system's files must fit 60 characters (40 for a file area), so
# when the checkout lies too deep the system is built under a short directory of its own,
# /var/tmp/vxdemo-<user>-<checksum of the checkout path>, and ./demo-system becomes a link to it.
# Usage: demo/run-demo.sh BUILD_DIR
set -eu
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
vxcfg="$top/$build/tools/vxcfg"
vxnode="$top/$build/src/vxnode"
link="$top/demo-system"

if [ ! -e "$link" ]; then
  # The longest path the demo writes is its file area, "files/utils/", in a 40-character field.
  if [ $((${#link} + 13)) -le 40 ]; then
    "$vxcfg" build "$top/demo" "$link"
  else
    short="/var/tmp/vxdemo-$(id -u)-$(printf '%s' "$top" | cksum | cut -d' ' -f1)"
    echo "The checkout path is too long for the demo's paths; building in $short"
    rm -rf "$short"
    "$vxcfg" build "$top/demo" "$short"
    ln -s "$short" "$link"
  fi
fi
system=$(cd "$link" && pwd -P)
echo "Demo system: $system (sysop: Sam Sysop, password: lighthouse)"
echo "Show any of its files: $vxcfg dump $system/CONFIG.VX"

if [ ! -x "$vxnode" ]; then
  echo "The node program is not built yet; vxcfg and the demo system are ready."
  exit 0
fi
cd "$system"
if [ -t 0 ] && [ -t 1 ]; then
  echo "Starting a local logon on node 1..."
  if env VX="$system" "$vxnode" -N1 -L; then exit 0; fi
  echo "The local logon is not available yet (the node's console is still being built)."
fi
# Headless: the node reads CONFIG.VX, LANGUAGE.VX and the language file, writes its log and
# ends, since no caller is handed to it.
echo "Starting the node headless on node 1..."
status=0
env VX="$system" VXCONSOLE=none "$vxnode" -N1 </dev/null || status=$?
echo "The node ended with status $status. Its log, $system/logs/node1.log:"
tail -n 5 "$system/logs/node1.log" 2>/dev/null || true
echo "What works now: vxcfg build, lang, menu, dump and user on the demo system above."
