#!/usr/bin/env bash
# Fails when a source file includes a header of a higher layer. The order, lowest
# first: common, logbook/records (with logbook/logbook.h, the state object),
# logbook/entities, logbook/interchange, logbook/frame, then the programs. The
# build checks the same at link time (the layer_check programs); this finds an
# upward include even where nothing from it is called yet.
set -e
cd "$(dirname "$0")/.."

layer_of() {
  case "$1" in
    common/*) echo 0 ;;
    logbook/logbook.h | logbook/records/*) echo 1 ;;
    logbook/entities/*) echo 2 ;;
    logbook/interchange/*) echo 3 ;;
    logbook/frame/*) echo 4 ;;
    *) echo 5 ;;
  esac
}

status=0
while IFS= read -r file; do
  own=$(layer_of "$file")
  [ "$own" -ge 5 ] && continue
  while IFS= read -r header; do
    [ -e "$header" ] || continue
    if [ "$(layer_of "$header")" -gt "$own" ]; then
      echo "check_layers: $file includes $header, a layer above it" >&2
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files 'common/*.h' 'common/*.cpp' 'logbook/*.h' 'logbook/*.cpp')
[ "$status" -eq 0 ] && echo "check_layers: no include runs up the layer order"
exit "$status"
