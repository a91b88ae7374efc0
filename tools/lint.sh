#!/bin/sh
# The source checks: formatting against .clang-format over src/, tests/,
# bench/ and tools/, then clang-tidy (.clang-tidy) over the core floors
# (src/platform, src/services, src/formats, src/workflow) with the dev
# preset's compilation database. Fails on any file that drifts and any
# finding. Both need clang-format and clang-tidy 14.
set -e
cd "$(dirname "$0")/.."

CLANG_FORMAT=${CLANG_FORMAT:-clang-format-14}
CLANG_TIDY=${CLANG_TIDY:-clang-tidy-14}
JOBS=${JOBS:-2}
failed=0

echo "== formatting"
drift=$(git ls-files -- 'src/*.cpp' 'src/*.h' 'src/*.c' 'tests/*.cpp' 'tests/*.h' 'tests/*.c' \
  'bench/*.cpp' 'bench/*.h' 'tools/*.cpp' 'tools/*.h' 'tools/*.c' |
  xargs "$CLANG_FORMAT" --dry-run -Werror 2>&1 |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$drift" ]; then
  echo "$drift"
  echo "$(echo "$drift" | wc -l) files drift from .clang-format (fix with: $CLANG_FORMAT -i FILE)"
  failed=1
fi

echo "== clang-tidy"
cmake --preset dev >/dev/null
core=$(python3 - <<'PY'
import json, os
seen = set()
for entry in json.load(open("build/dev/compile_commands.json")):
    path = os.path.relpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(("src/platform/", "src/services/", "src/formats/", "src/workflow/")):
        seen.add(path)
print("\n".join(sorted(seen)))
PY
)
if ! echo "$core" | xargs -P "$JOBS" -n 1 "$CLANG_TIDY" -p build/dev --quiet 2>/dev/null; then
  failed=1
fi

[ "$failed" = 0 ] && echo "lint: clean"
exit "$failed"
