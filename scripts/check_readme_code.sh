#!/usr/bin/env bash
# The README, the guide and the Open CASCADE walk-through show parts of programs the tests compile
# and run: each part between "// [readme: NAME]" markers must stand in its document exactly as in
# the program (less the function's indentation), so the documents' code can never stop compiling.
#   tests/consumer/project/occt_consumer.cpp  -> README.md     (an application on Open CASCADE)
#   examples/first_hour.cpp                   -> docs/guide.md (the library on the reference kernel)
#   examples/occt_walkthrough.cpp             -> docs/occt_walkthrough.md (a first part on Open
#                                                CASCADE, every call it makes)
set -euo pipefail
cd "$(dirname "$0")/.."
part=$(mktemp)
trap 'rm -f "$part"' EXIT
status=0
check() {
  local program=$1 document=$2 name
  for name in $(grep -o '// \[readme: [a-z_]*\]' "$program" | sed 's/.*: \(.*\)\]/\1/' | sort -u); do
    awk -v m="// [readme: $name]" 'index($0, m) { inside = !inside; next } inside' "$program" |
      sed 's/^  //' >"$part"
    if ! awk 'NR == FNR { want = want $0 "\n"; next } { have = have $0 "\n" }
              END { exit index(have, want) ? 0 : 1 }' "$part" "$document"; then
      echo "$document does not show the part '$name' of $program as it stands:"
      cat "$part"
      status=1
    fi
  done
}
check tests/consumer/project/occt_consumer.cpp README.md
check examples/first_hour.cpp docs/guide.md
check examples/occt_walkthrough.cpp docs/occt_walkthrough.md
[ "$status" -eq 0 ] && echo "README code: ok"
exit "$status"
