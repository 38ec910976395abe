#!/usr/bin/env bash
# How faithfully saving keeps pages nobody wrote for us: by default the HTML
# documentation installed under /usr/share/doc, or with --pages DIR every
# .htm/.html file under DIR (real pages kept outside the repository). For each
# page (a spread over the list, at most LIMIT of them, copied to a scratch
# folder):
#  - saved unedited, it must come back byte for byte;
#  - after one scripted edit (a word typed at the start of a paragraph, or
#    a word made bold with --bold), the saved page must load into the same
#    page, and the lines it changes against the original should all lie in
#    the edited paragraph. A page written whole rather than spliced has every
#    changed line counted; a line that ended in CR LF and now ends in a bare
#    LF is counted apart.
# usage: bench/fidelity.sh [--bold] [--pages DIR] [BUILD_DIR] [LIMIT]
set -euo pipefail

# The second paragraph with text, or the first on a page with one.
edit_at() { echo --type-at-paragraph="$1" EDITED; }
pages=
while [ $# -gt 0 ]; do
  case $1 in
    --bold) edit_at() { echo --bold-word="$1"; }; shift ;;
    --pages) pages=$2; shift 2 ;;
    *) break ;;
  esac
done
build=${1:-$(dirname "$0")/../build}
limit=${2:-40}
tool=$build/bench/page_roundtrip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ -n "$pages" ]; then
  mapfile -t all < <(find "$pages" -type f \( -iname '*.htm' -o -iname '*.html' \) | sort)
else
  # Every page of at least 2 kB, then an even spread over that list so that
  # no one package fills the corpus.
  mapfile -t all < <(find /usr/share/doc -type f -name '*.html' -size +2k 2>/dev/null | sort)
fi
step=$(( (${#all[@]} + limit - 1) / limit ))
[ "$step" -ge 1 ] || step=1
n=0
for ((i = 0; i < ${#all[@]}; i += step)); do
  cp "${all[$i]}" "$work/$n.html"
  echo "${all[$i]}" >"$work/$n.name"
  n=$((n + 1))
done

same=0 edited=0 spliced=0 domsame=0 clean=0 outside_total=0 declaration_total=0 crlf_total=0
for ((i = 0; i < n; ++i)); do
  page=$work/$i.html name=$(cat "$work/$i.name")
  if "$tool" "$page" "$work/$i.plain" >/dev/null 2>&1 && cmp -s "$page" "$work/$i.plain"; then
    same=$((same + 1))
  else
    echo "unedited save differs: $name"
  fi
  if ! line=$("$tool" $(edit_at 1) --check "$page" "$work/$i.edited" 2>/dev/null) \
     && ! line=$("$tool" $(edit_at 0) --check "$page" "$work/$i.edited" 2>/dev/null); then
    echo "no edit made: $name"
    continue
  fi
  edited=$((edited + 1))
  if [[ $line == *how=spliced* ]]; then
    spliced=$((spliced + 1))
  elif [[ $line == *how=serialized* ]]; then
    echo "written whole ($line): $name"
  fi
  if [[ $line == *dom=same* ]]; then
    domsame=$((domsame + 1))
  else
    echo "loads into another page ($line): $name"
  fi
  # Only a spliced save has the edited block to leave out of the count.
  range=whole
  [[ $line == *how=spliced* ]] && range=${line##*element=}
  # Lines of the diff that lie outside the edited paragraph; a charset
  # declaration the save adds to a UTF-8 page without one is told apart.
  read -r outside declaration < <(diff "$page" "$work/$i.edited" | python3 -c '
import re, sys
# no block found for the edit, or the page written whole: every changed
# line counts as outside
first, last = (int(x) for x in sys.argv[1].split("-")) if "-" in sys.argv[1] else (0, -1)
outside = declaration = 0
# Each hunk counts its longer side; a hunk that adds the charset declaration
# is told apart.
def close(hunk):
    global outside, declaration
    if hunk is None:
        return
    a, b, kind, old, new, decl = hunk
    inside = (first - 1 <= a <= last) if kind == "a" else (a >= first and b <= last)
    if inside:
        return
    if decl and old <= 1 and new <= 1:
        declaration += 1
    else:
        outside += max(old, new)
hunk = None
for line in sys.stdin:
    m = re.match(r"(\d+)(?:,(\d+))?([acd])(\d+)(?:,(\d+))?", line)
    if m:
        close(hunk)
        a, b = int(m.group(1)), int(m.group(2) or m.group(1))
        hunk = [a, b, m.group(3), 0, 0, False]
    elif line.startswith("< "):
        hunk[3] += 1
    elif line.startswith("> "):
        hunk[4] += 1
        if "http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"" in line:
            hunk[5] = True
close(hunk)
print(outside, declaration)
' "$range")
  # Lines that end in a bare LF where the page had CR LF.
  crlf_lost=$(python3 -c '
import sys
def bare(path):
    data = open(path, "rb").read()
    return data.count(b"\n") - data.count(b"\r\n")
before, after = bare(sys.argv[1]), bare(sys.argv[2])
crlf = open(sys.argv[1], "rb").read().count(b"\r\n")
print(max(0, after - before) if crlf else 0)
' "$page" "$work/$i.edited")
  outside_total=$((outside_total + outside))
  declaration_total=$((declaration_total + declaration))
  crlf_total=$((crlf_total + crlf_lost))
  if [ "$outside" -eq 0 ] && [ "$crlf_lost" -eq 0 ]; then
    clean=$((clean + 1))
  else
    echo "$outside lines outside the edit, $crlf_lost CR LF lost ($line): $name"
  fi
done

echo "pages: $n"
echo "unedited, byte for byte: $same"
echo "edited: $edited, spliced: $spliced, same page after loading: $domsame"
echo "edited pages with no changed line outside the edit: $clean"
echo "changed lines outside the edit: $outside_total (charset declarations added: $declaration_total)"
echo "line ends changed from CR LF to LF: $crlf_total"
