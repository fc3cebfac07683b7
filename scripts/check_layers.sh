#!/usr/bin/env bash
# Checks the direction of includes between the library's folders. Each folder may include only
# itself and the folders below it,
#   kernel <- tagging <- tag_manager, recipes <- tracking <- matching
# and the library folders reach the kernel only through <tagtrack/kernel/boundary/...>. The Open
# CASCADE adapter (occt) sits beside the kernel: it includes the kernel's public headers, never
# the kernel's internals, and nothing of the library. The engine libraries an application links sit
# on top, features <- scenario_runner: they use every folder's public headers and the adapter, never
# a folder's internals. Prints every offending line and exits
# non-zero when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [kernel]="kernel"
  [tagging]="kernel tagging"
  [tag_manager]="kernel tagging tag_manager"
  [recipes]="kernel tagging recipes"
  [tracking]="kernel tagging recipes tracking"
  [matching]="kernel tagging recipes tracking matching"
  [occt]="kernel occt"
  [features]="kernel tagging tag_manager recipes tracking matching occt features"
  [scenario_runner]="kernel tagging tag_manager recipes tracking matching occt features scenario_runner"
)
engine=" features scenario_runner "

status=0
for folder in kernel tagging tag_manager recipes tracking matching occt features scenario_runner; do
  while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    text=${rest#*:}
    if [[ $text =~ \#include\ *\"[^\"]*/ ]]; then
      echo "$file:$line: project headers are included as <tagtrack/...>: $text"
      status=1
      continue
    fi
    [[ $text =~ \<tagtrack/([a-z_]+)/ ]] || continue
    target=${BASH_REMATCH[1]}
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "$file:$line: $folder may not include $target: $text"
      status=1
    elif [[ ($folder == occt || $engine == *" $folder "*) && $text =~ \<tagtrack/[a-z_]+/internal/ &&
            $target != "$folder" ]]; then
      echo "$file:$line: another folder's internals are not for $folder: $text"
      status=1
    elif [[ $folder != kernel && $folder != occt && $engine != *" $folder "* && $target == kernel &&
            ! $text =~ \<tagtrack/kernel/boundary/ ]]; then
      echo "$file:$line: outside the kernel, only <tagtrack/kernel/boundary/...> is included: $text"
      status=1
    fi
  done < <(grep -rnE '^\s*#\s*include' "$folder" --include='*.h' --include='*.cpp' || true)
done
[ "$status" -eq 0 ] && echo "include directions: ok"
exit "$status"
