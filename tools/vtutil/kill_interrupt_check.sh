#!/bin/sh
# Checks that SIGINT stops vtutil kill part-way without leaving processes stopped: a helper tree
# of a root and eight children is ended with a long timeout; the root is suspended first and each
# child takes at least 200 ms, so the interrupt lands while the root is suspended and most
# children still run. vtutil must exit with 130 and every helper left must run again. The helpers
# are killed at the end, whatever happened.
# Usage: kill_interrupt_check.sh VTUTIL HELPER
set -u
vtutil=$1 helper=$2
root=$("$vtutil" run "$helper" tree 8 1) || { echo "vtutil run failed"; exit 1; }

# The children of the root, by the parent field of their stat lines.
children() {
  for stat in /proc/[0-9]*/stat; do
    { read -r line < "$stat"; } 2>/dev/null || continue
    set -- ${line##*) }
    [ "$2" = "$root" ] && echo "${stat#/proc/}" | cut -d/ -f1
  done
}
state() { { read -r line < "/proc/$1/stat"; } 2>/dev/null && set -- ${line##*) } && echo "$1"; }
cleanup() { for pid in $root $(children); do kill -9 "$pid" 2>/dev/null; done; }

tries=0
while [ "$(children | wc -l)" -lt 8 ] && [ $tries -lt 100 ]; do sleep 0.05; tries=$((tries + 1)); done

# A background job of a script starts with SIGINT ignored, which vtutil keeps; env gives it back.
env --default-signal=INT "$vtutil" kill --timeout 60000 "$root" > /dev/null 2>&1 &
killer=$!
tries=0
while [ "$(state "$root")" != T ] && [ $tries -lt 200 ]; do sleep 0.01; tries=$((tries + 1)); done
kill -INT $killer
wait $killer
status=$?

sleep 0.2  # the resumed processes leave state T at once, their stat lines a moment later
stopped=""
for pid in $root $(children); do
  [ "$(state "$pid")" = T ] && stopped="$stopped $pid"
done
root_state=$(state "$root")
cleanup
# The root must be there still, running: the interrupt came before it was ended.
case "$root_state" in S | R) running=yes ;; *) running=no ;; esac
if [ $status -ne 130 ] || [ -n "$stopped" ] || [ $running = no ]; then
  echo "vtutil kill exited with $status (130 expected); stopped:${stopped:- none};" \
    "the root's state: ${root_state:-gone}"
  exit 1
fi
