#!/usr/bin/env bash
# Makes the reports of a plain run, --plan, --all-databases, --report-from
# and two large generated servers with the tool of BUILD_DIR, and checks them
# as a reader would get them:
#   - accessibility: axe-core in headless Chromium, no violation;
#   - validity: the Nu Html Checker (vnu-jar), no error;
#   - print: each report printed to PDF by Chromium on letter, A4 and A5
#     paper; no page ends with a heading, a section is split over pages
#     only when it could not fit on one, and a table that continues on a
#     page starts there with its header row.
# axe-core and vnu-jar come from the npm registry (versions pinned by
# package-lock.json beside this script) into BUILD_DIR/report-tools; when
# they cannot be had, those two checks are skipped with one line saying
# why. Exit status: 0 passed, 1 a check failed, 77 a tool is missing.
#
#   tests/report/check_reports.sh BUILD_DIR
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: check_reports.sh BUILD_DIR}" && pwd) || exit 2
batch=$build/bin/tarvex-compest-batch
bench=$build/bin/catalog_bench
tools=$build/report-tools

say() { echo "check_reports: $*"; }

for program in chromium pdftotext node "$batch" "$bench"; do
  if ! command -v "$program" >/dev/null; then
    say "skipped: $program is not installed (.ci/install-deps installs it)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/check_reports.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home"
failures=0

# Chromium with a profile, caches and home of its own in the work folder.
browser() {
  HOME=$work/home XDG_CONFIG_HOME=$work/home XDG_CACHE_HOME=$work/home \
    timeout 180 chromium --headless --no-sandbox --disable-gpu \
    --disable-background-networking --disable-component-update --disable-sync \
    --no-first-run --user-data-dir="$work/profile" "$@" 2>>"$work/browser.log"
}

# The reports, named after what made them.
make_reports() {
  local run=("$batch" --database demo)
  "${run[@]}" --report "$work/plain.html" </dev/null >/dev/null &&
  "${run[@]}" --plan --report "$work/plan.html" </dev/null >/dev/null &&
  "${run[@]}" --all-databases --report "$work/all-databases.html" \
    </dev/null >/dev/null &&
  "${run[@]}" --all-databases --row --bytes --json --output "$work/demo.json" \
    </dev/null &&
  "$batch" --database "$build/bin/tvserver-940/stores.db" --json \
    --output "$work/stores.json" </dev/null &&
  "$batch" --report "$work/report-from.html" \
    --report-from "$work/demo.json" "$work/stores.json" &&
  # Four databases of 2000 tables: twenty owners, and more tables without
  # statistics than a page holds.
  "$bench" generate "$work/large" 2000 1 4 >/dev/null &&
  "$batch" --database "$work/large/bench.db" --all-databases \
    --report "$work/large.html" </dev/null >/dev/null &&
  # Forty small databases: what was estimated is longer than a page.
  "$bench" generate "$work/many" 30 1 40 >/dev/null &&
  "$batch" --database "$work/many/bench.db" --all-databases \
    --report "$work/databases.html" </dev/null >/dev/null
}

# The npm packages of package-lock.json, unless they are there already.
install_tools() {
  if cmp -s "$here/package-lock.json" "$tools/package-lock.json" &&
     [ -f "$tools/node_modules/axe-core/axe.min.js" ] &&
     [ -f "$tools/node_modules/vnu-jar/build/dist/vnu.jar" ]; then
    return 0
  fi
  rm -rf "$tools" && mkdir -p "$tools" &&
  cp "$here/package.json" "$here/package-lock.json" "$tools/" &&
  timeout 300 npm ci --prefix "$tools" --ignore-scripts --no-audit --no-fund \
    --no-update-notifier --cache "$tools/.npm-cache" --fetch-retries=1 \
    --fetch-timeout=60000 >"$work/npm.log" 2>&1
}

check_axe() {
  local report=$1 name
  name=$(basename "$report" .html)
  sed 's|</body>|<script src="axe.min.js"></script><script src="run_axe.js"></script></body>|' \
    "$report" >"$work/axe/$name.html"
  browser --virtual-time-budget=20000 --dump-dom "file://$work/axe/$name.html" \
    >"$work/axe/$name.dom"
  node "$here/report_checks.js" axe "$work/axe/$name.dom" "$name"
}

check_validity() {
  local status
  java -XX:-UsePerfData -jar "$tools/node_modules/vnu-jar/build/dist/vnu.jar" \
    --errors-only --format gnu "$@" >"$work/vnu.log" 2>&1
  status=$?
  sed 's/^/check_reports: vnu: /' "$work/vnu.log"
  return $status
}

# Prints a report on PAPER (Chromium's own is letter) and checks the pages.
check_print() {
  local report=$1 paper=$2 name
  shift 2
  name=$(basename "$report" .html)-$paper
  sed "s|</style>|@page{size:$paper}</style>|" "$report" >"$work/print/$name.html"
  browser --no-pdf-header-footer --print-to-pdf="$work/print/$name.pdf" \
    "file://$work/print/$name.html" >/dev/null
  if ! pdftotext -bbox "$work/print/$name.pdf" "$work/print/$name.words"; then
    say "$name: Chromium printed no PDF: $(tail -1 "$work/browser.log")"
    return 1
  fi
  node "$here/report_checks.js" print "$work/print/$name.html" \
    "$work/print/$name.words" "$name" "$@"
}

if ! make_reports; then
  say "FAILED: the tool did not make the reports"
  exit 1
fi
reports=("$work"/{plain,plan,all-databases,report-from,large,databases}.html)

if ! install_tools; then
  say "skipped the accessibility and validity checks (axe-core, vnu-jar):" \
      "npm could not install them: $(grep -m1 -i 'err' "$work/npm.log" || tail -1 "$work/npm.log")"
else
  mkdir -p "$work/axe"
  cp "$tools/node_modules/axe-core/axe.min.js" "$here/run_axe.js" "$work/axe/"
  for report in "${reports[@]}"; do
    check_axe "$report" || failures=$((failures + 1))
  done
  if ! command -v java >/dev/null; then
    say "skipped the validity check: java is not installed (default-jre-headless)"
  elif ! check_validity "${reports[@]}"; then
    failures=$((failures + 1))
  fi
fi

# On the papers most reports are printed on, and on a small one, where
# more sections must break. The large reports must have tables that go on
# over pages, for the check to see them.
mkdir -p "$work/print"
for paper in letter A4 A5; do
  for report in "${reports[@]}"; do
    case $(basename "$report") in
      large.html) spanning=(unestimated) ;;
      databases.html) spanning=(estimated) ;;
      *) spanning=() ;;
    esac
    check_print "$report" "$paper" "${spanning[@]}" || failures=$((failures + 1))
  done
done

if [ "$failures" -gt 0 ]; then
  say "FAILED: $failures check(s) of the reports found faults (lines above)"
  exit 1
fi
say "the reports passed every check"
