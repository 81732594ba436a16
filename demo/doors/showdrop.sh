#!/bin/sh
# A small door: shows what the node's drop files tell a door about the call. Run by the node with
# the node directory as the current directory; $1 is the node number.
cr=$(printf '\r')
line() { sed -n "${2}p" "$1" 2>/dev/null | tr -d "$cr"; }
printf '\033[2J\033[1;33mThe drop file door\033[0m (node %s)\r\n\r\n' "${1:-?}"
if [ -f DORINFO1.DEF ]; then
  printf 'DORINFO1.DEF: system %s, sysop %s %s, caller %s %s from %s\r\n' \
    "$(line DORINFO1.DEF 1)" "$(line DORINFO1.DEF 2)" "$(line DORINFO1.DEF 3)" \
    "$(line DORINFO1.DEF 7)" "$(line DORINFO1.DEF 8)" "$(line DORINFO1.DEF 9)"
  printf '  security %s, %s minutes left, %s\r\n' "$(line DORINFO1.DEF 11)" \
    "$(line DORINFO1.DEF 12)" "$(line DORINFO1.DEF 5)"
else
  printf 'No DORINFO1.DEF here.\r\n'
fi
if [ -f DOOR.SYS ]; then
  printf 'DOOR.SYS: port %s, speed %s, node %s, user %s, %s calls, last on %s\r\n' \
    "$(line DOOR.SYS 1)" "$(line DOOR.SYS 2)" "$(line DOOR.SYS 4)" "$(line DOOR.SYS 10)" \
    "$(line DOOR.SYS 16)" "$(line DOOR.SYS 17)"
else
  printf 'No DOOR.SYS here.\r\n'
fi
[ -f EXITINFO.BBS ] && printf 'EXITINFO.BBS: %s bytes\r\n' "$(wc -c < EXITINFO.BBS)"
printf '\r\nPress Enter to go back to the board. '
read -r answer
exit 0
