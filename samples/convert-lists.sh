#!/bin/sh
# Converts lists of binary numbers with vornel-convert: each LIST named on the command line
# becomes LIST.dec beside it, one decimal number a line. A list that vornel-convert refuses
# gets no .dec file (an earlier one stays as it was); vornel-convert says why on standard
# error, naming the line.
#
#   convert-lists.sh LIST...
#
# Exit status: 0 when every list converted, 1 when any did not, 2 without lists.
# VORNEL_CONVERT names the converter when it is not vornel-convert on the PATH.
set -u
convert=${VORNEL_CONVERT:-vornel-convert}
if [ $# -eq 0 ]; then
  echo "usage: $0 LIST..." >&2
  exit 2
fi
status=0
for list in "$@"; do
  "$convert" -- "$list" "$list.dec"
  code=$?
  case $code in
    0) echo "$list.dec: $(wc -l <"$list.dec") numbers" ;;
    3) echo "$list: skipped, it holds no numbers" >&2 ;;
    4 | 5) echo "$list: not converted, see the line named above" >&2 ;;
    *) echo "$list: not converted (vornel-convert ended with $code)" >&2 ;;
  esac
  [ $code -eq 0 ] || status=1
done
exit $status
