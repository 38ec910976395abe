#!/usr/bin/env bash
# Slow test, not part of every CI run: a longer fuzz run keeps each
# sequence's page as first loaded and as left, and the Nu Html Checker counts
# the errors of both, by kind. It fails when a page leaves the editing with
# more errors than before of the kinds that mean the saved file does not read
# back as the page was (stray or misnested end tags, elements left open):
# the others (heading levels, empty table columns, obsolete presentational
# markup the editor writes on purpose) are counted only. The fuzz's own
# verdict is printed; it goes on past faulty sequences
# (CORVANE_FUZZ_KEEP_GOING) for the pages.
# Runs only with CORVANE_SLOW_TESTS=1 (ctest -L slow); otherwise skipped (77).
# Usage: fuzz_pages_nu_check.sh TEST_FUZZ_BINARY ROOT
set -euo pipefail
fuzz="$1"
root="$2"
if [ "${CORVANE_SLOW_TESTS:-0}" != 1 ]; then
  echo "skipped: set CORVANE_SLOW_TESTS=1 to run the slow tests"
  exit 77
fi
bash "$root/scripts/install-deps.sh" --slow-tests
jar="$(npm root -g)/vnu-jar/build/dist/vnu.jar"
pages="$(mktemp -d)"
trap 'rm -rf "$pages"' EXIT

fuzz_status=0
QTEST_FUNCTION_TIMEOUT=14400000 CORVANE_FUZZ_KEEP_GOING=1 CORVANE_FUZZ_SAVE="$pages" CORVANE_FUZZ_SEQUENCES="${CORVANE_FUZZ_SEQUENCES:-60}" \
  CORVANE_FUZZ_STEPS="${CORVANE_FUZZ_STEPS:-40}" CORVANE_FUZZ_SEED="${CORVANE_FUZZ_SEED:-500}" \
  "$fuzz" randomSequences || fuzz_status=$?

java -jar "$jar" --errors-only --format json --stdout --exit-zero-always "$pages"/*.html \
  > "$pages/report.json"

nu_status=0
python3 - "$pages" <<'PY' || nu_status=$?
import json, os, re, sys
from collections import Counter
folder = sys.argv[1]
messages = json.load(open(os.path.join(folder, "report.json"))).get("messages", [])
# The saved file does not read back as the page was.
misread = re.compile(r"end tag|Unclosed element|unclosed elements|Cannot recover|"
                     r"already open|violates nesting", re.I)
def kind(m):
    # The message without the names in it, as one kind.
    return re.sub(r"\u201c[^\u201d]*\u201d", "X", m.get("message", ""))
per_page = {}
for m in messages:
    if m.get("type") != "error":
        continue
    page = os.path.basename(m.get("url", ""))
    per_page.setdefault(page, Counter())[kind(m)] += 1
names = sorted({re.sub(r"-(before|after)\.html$", "", f) for f in os.listdir(folder)
                if f.endswith(".html")}, key=lambda n: int(n) if n.isdigit() else 0)
total_before = total_after = 0
grown = []
counted = Counter()
for n in names:
    if not os.path.exists(os.path.join(folder, n + "-after.html")):
        continue
    b = per_page.get(n + "-before.html", Counter())
    a = per_page.get(n + "-after.html", Counter())
    total_before += sum(b.values())
    total_after += sum(a.values())
    print(f"page {n}: {sum(b.values())} errors before, {sum(a.values())} after")
    for k, v in a.items():
        if v > b[k]:
            counted[k] += v - b[k]
            if misread.search(k):
                grown.append(f"page {n}: {k} ({b[k]} -> {v})")
print(f"Nu Html Checker: {len(names)} pages, {total_before} errors before editing, {total_after} after")
for k, v in counted.most_common():
    print(f"  more after editing: {v} x {k}")
for g in grown:
    print("misread:", g)
sys.exit(1 if grown else 0)
PY
if [ "$fuzz_status" != 0 ]; then
  echo "note: the fuzz run found faults (exit $fuzz_status); see its warnings above"
fi
exit "$nu_status"
