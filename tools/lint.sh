#!/bin/sh
# The source checks: formatting against .clang-format over src/, tests/,
# bench/ and tools/, then clang-tidy (.clang-tidy, the static analyzer
# among its checks) over the code without a toolkit: the core floors
# (src/platform, src/services, src/formats, src/workflow), the window table
# (src/ui, not its qt/ and win32/ front ends) and the program frame
# (src/app/frame), with the release preset's compilation database. Fails on
# any file that drifts and any finding. Both need clang-format and
# clang-tidy 14.
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
# Configured only (a no-op when the build folder is up to date): the
# database is written at configure time.
cmake --preset release >/dev/null
# One entry per file: the front door of the platform is built twice (on the
# disk and in memory) but needs checking once.
mkdir -p build/lint
python3 - <<'PY'
import json, os
seen = {}
for entry in json.load(open("build/release/compile_commands.json")):
    path = os.path.relpath(os.path.join(entry["directory"], entry["file"]))
    table = path.startswith("src/ui/") and path.count("/") == 2  # the window table, not its front ends
    core = path.startswith(("src/platform/", "src/services/", "src/formats/", "src/workflow/", "src/app/frame/"))
    if (table or core) and path not in seen:
        seen[path] = entry
json.dump(list(seen.values()), open("build/lint/compile_commands.json", "w"), indent=1)
PY
# Files found clean before, and unchanged since (headers included), are
# not checked again: the cache lives beside the compiler's.
cache=${VANTOR_LINT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantor-lint}
if ! python3 tools/lint_tidy.py "$CLANG_TIDY" build/lint "$JOBS" "$cache"; then
  failed=1
fi

[ "$failed" = 0 ] && echo "lint: clean"
exit "$failed"
