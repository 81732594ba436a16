#!/bin/sh
# `make demo`: builds the demo system under ./demo-system when it is absent and starts a node on
# it. The paths written into a system's files must fit 60 characters (40 for a file area), so
# when the checkout lies too deep the system is built under a short directory of its own,
# /var/tmp/vxdemo-<user>-<checksum of the checkout path>, and ./demo-system becomes a link to it.
#
# `demo/run-demo.sh BUILD_DIR telnet [PORT]` serves the demo system to telnet callers on
# 127.0.0.1:PORT (default 2323) instead, one vxspawn and vxnode per connection, until stopped.
# Usage: demo/run-demo.sh BUILD_DIR [telnet [PORT]]
set -eu
build=${1:-build}
mode=${2:-}
port=${3:-2323}
top=$(cd "$(dirname "$0")/.." && pwd)
vxcfg="$top/$build/tools/vxcfg"
vxnode="$top/$build/src/vxnode"
vxspawn="$top/$build/src/vxspawn"
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

# Serves telnet callers on a loopback port: systemd-socket-activate, else socat. The listener
# replaces the shell it runs in, so stopping that process stops the listener.
serve_telnet() {
  if command -v systemd-socket-activate >/dev/null 2>&1; then
    exec systemd-socket-activate -l "127.0.0.1:$1" --inetd -a -E VX="$system" "$vxspawn" --nodes 1-4
  else
    VX="$system" exec socat "TCP-LISTEN:$1,bind=127.0.0.1,reuseaddr,fork" "EXEC:$vxspawn --nodes 1-4,nofork"
  fi
}

if [ "$mode" = telnet ]; then
  echo "Serving the demo system to telnet callers: telnet 127.0.0.1 $port (Ctrl-C stops it)"
  echo "Each call's log: $system/logs/node<n>.log"
  serve_telnet "$port"
fi

if [ -t 0 ] && [ -t 1 ]; then
  echo "Starting a local logon on node 1..."
  if env VX="$system" "$vxnode" -N1 -L; then exit 0; fi
  echo "The local logon is not available yet (the node's console is still being built)."
fi
# Headless: one telnet call on a loopback port, through vxspawn as a listener would start it. The
# caller's side is socat; what the node sent is shown with its escape sequences as they are.
if command -v socat >/dev/null 2>&1; then
  demo_port=$((20000 + $$ % 20000))
  echo "A telnet call to the demo system on 127.0.0.1:$demo_port..."
  (serve_telnet "$demo_port") >/dev/null 2>&1 &
  listener=$!
  sleep 0.5
  # (The caller keeps its side open for a moment: a caller who closes at once has hung up.)
  to_terminal=cat
  if command -v iconv >/dev/null 2>&1; then to_terminal="iconv -f CP437 -t UTF-8"; fi
  sleep 2 | socat -T3 - "TCP:127.0.0.1:$demo_port" | tail -c +13 | head -c 2000 | $to_terminal || true
  kill "$listener" 2>/dev/null || true
  wait "$listener" 2>/dev/null || true
  echo
  echo "The node's log, $system/logs/node1.log:"
  tail -n 5 "$system/logs/node1.log" 2>/dev/null || true
fi
echo "Serve it to telnet callers with: demo/run-demo.sh $build telnet [PORT]"
