#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# ctest-checked.sh DIR [ctest options...]: runs ctest in the build tree DIR,
# then names every test that was skipped, with the reason it gave. A skip
# never passes unseen: with CI=true a skipped test labelled integration or
# e2e fails the run (a server that did not come up, a missing tool). Unit
# tests may skip for a reason of the machine (no real locale, root writes
# where others can't) and only are named.
# ctest's results stay in DIR/ctest-results.xml (JUnit).
set -euo pipefail
dir=$(cd "${1:?usage: $0 DIR [ctest options...]}" && pwd); shift
results=$dir/ctest-results.xml
rm -f "$results"
status=0
(cd "$dir" && ctest --output-junit "$results" "$@") || status=$?

# The JUnit file has each test's outcome and output but not its labels;
# ctest's JSON listing has those.
python3 - "$dir" "$results" <<'PY' || status=1
import json
import os
import subprocess
import sys
import xml.etree.ElementTree as ET

build, results = sys.argv[1:3]
strict = os.environ.get("CI") == "true"
MUST_RUN = {"integration", "e2e"}

if not os.path.exists(results):
    print(f"ctest wrote no results ({results}); skipped tests can't be checked")
    sys.exit(1)
listing = json.loads(subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, check=True,
                                    capture_output=True, text=True).stdout)
labels = {t["name"]: next((p["value"] for p in t.get("properties", []) if p["name"] == "LABELS"), [])
          for t in listing["tests"]}


def reason(case):
    """The e2e scripts print "SKIPPED: why", GTEST_SKIP() a line ending in
    ": Skipped" and its message below; else ctest's own word."""
    out = (case.findtext("system-out") or "").splitlines()
    for i, line in enumerate(out):
        if line.startswith("SKIPPED:"):
            return line[len("SKIPPED:"):].strip()
        if line.endswith(": Skipped"):
            why = []
            for more in out[i + 1:]:
                if not more.strip() or more.startswith("[  SKIPPED ]"):
                    break
                why.append(more.strip())
            if why:
                return " ".join(why)
    skipped = case.find("skipped")
    return skipped.get("message") if skipped is not None else case.get("status")


skipped = [(case.get("name"), reason(case)) for case in ET.parse(results).getroot().iter("testcase")
           if case.find("skipped") is not None or case.get("status") == "disabled"]
print("== skipped tests:", len(skipped) or "none")
for name, why in skipped:
    print(f"  {name} [{', '.join(labels.get(name, [])) or 'no label'}]: {why}")
forbidden = [name for name, _ in skipped if MUST_RUN & set(labels.get(name, []))]
if strict and forbidden:
    print(f"CI=true: integration and e2e tests must run, and these were skipped: {', '.join(forbidden)}")
    sys.exit(1)
PY
exit "$status"
