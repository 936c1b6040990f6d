#!/bin/sh
# The shipped program carries none of the engine's test-support library: no
# symbol that the library defines is defined in the program, and the program
# does not need Qt Test.
#
#   check_shipped_symbols.sh NM READELF PROGRAM TESTING_ARCHIVE
set -eu
nm=$1
readelf=$2
program=$3
archive=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Strong definitions only (code, data, read-only data): weak ones are inline
# functions and template code (QString, std::vector, ...) that the program and
# the library each carry a copy of.
"$nm" --defined-only --extern-only "$archive" |
  awk 'NF == 3 && $2 ~ /^[TDBRGS]$/ { print $3 }' | sort -u >"$work/library"
"$nm" --defined-only "$program" | awk 'NF == 3 { print $3 }' | sort -u >"$work/program"

count=$(wc -l <"$work/library")
if [ "$count" -eq 0 ]; then
  echo "no symbols found in $archive: nothing would be checked"
  exit 1
fi
if ! grep -qx main "$work/program"; then
  echo "$program has no symbol table (stripped?): nothing would be checked"
  exit 1
fi

status=0
comm -12 "$work/library" "$work/program" >"$work/both"
if [ -s "$work/both" ]; then
  echo "$program defines $(wc -l <"$work/both") of the test-support library's symbols:"
  c++filt <"$work/both" | sed 's/^/  /'
  status=1
fi
if "$readelf" -d "$program" | grep NEEDED | grep -q 'Qt6Test'; then
  echo "$program needs Qt Test:"
  "$readelf" -d "$program" | grep NEEDED | grep 'Qt6Test'
  status=1
fi
echo "checked $count symbols of $archive against $program"
exit $status
