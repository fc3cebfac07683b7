#!/usr/bin/env bash
# The README shows parts of examples/first_hour.cpp, which the tests compile and run: each part
# between "// [readme: NAME]" markers must stand in the README exactly as in the example (less the
# function's indentation), so the README's code can never stop compiling.
set -euo pipefail
cd "$(dirname "$0")/.."
part=$(mktemp)
trap 'rm -f "$part"' EXIT
status=0
for name in $(grep -o '// \[readme: [a-z_]*\]' examples/first_hour.cpp | sed 's/.*: \(.*\)\]/\1/' |
              sort -u); do
  awk -v m="// [readme: $name]" 'index($0, m) { inside = !inside; next } inside' \
    examples/first_hour.cpp | sed 's/^  //' >"$part"
  if ! awk 'NR == FNR { want = want $0 "\n"; next } { have = have $0 "\n" }
            END { exit index(have, want) ? 0 : 1 }' "$part" README.md; then
    echo "README.md does not show the part '$name' of examples/first_hour.cpp as it stands:"
    cat "$part"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "README code: ok"
exit "$status"
