#!/bin/sh
# Serves telnet callers with socat, without systemd or xinetd: one vxspawn (and so one vxnode)
# per connection. "nofork" hands the caller's socket itself to vxspawn, so the node speaks
# telnet on it; without it socat would put a pipe pair in between.
#   VX=/srv/bbs deploy/socat.sh [PORT] [VXSPAWN]
set -eu
port=${1:-2323}
spawn=${2:-$(dirname "$0")/../build/src/vxspawn}
: "${VX:?set VX to the system directory}"
export VX
exec socat "TCP-LISTEN:$port,reuseaddr,fork" "EXEC:$spawn --nodes 1-8,nofork"
