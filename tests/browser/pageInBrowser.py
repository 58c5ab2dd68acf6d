#!/usr/bin/env python3
"""The console's page as a browser shows it.

Makes a folder of result files (one machine with a failed test, two records in one file,
descriptions that are markup and script, and a run report beside one file calling a test of its
run unsteady), has `korvex2-console --compare --html` write its page,
loads the page in Debian's chromium, headless, with networking off where it can be turned off
(and a log of every request either way), takes a screenshot and reads back the document the
browser built (--dump-dom). Fails when a test's chart lacks a bar for a machine, when the summary
is not sorted or does not count each machine's real and inconclusive tests, when a real
difference is not worded with its direction, when the unsteady run is not marked, when a hostile description is anything but text, when a script ran, or when the
page asked for anything over the network.

Usage: pageInBrowser.py <korvex2-console> <work folder>
"""

import html.parser
import json
import os
import shutil
import struct
import subprocess
import sys

RUNNER, WORK = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
# Each would change the title if it ran as script, and the second would fetch an image.
HOSTILE = [
    "<script>document.title='ran'</script>",
    "\"><img src=http://127.0.0.1:9/p onerror=\"document.title='ran'\">",
]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


TEST_IDS = ["ham8-encode", "ham8-decode", "ham32-encode", "ham32-decode", "ham-mmx-encode",
            "ham-mmx-decode", "ham-sse-encode", "ham-sse2-decode", "yuv-fourier-fpu",
            "yuv-fourier-sse2"]


def values(scale, failed_test=None):
    """Test k's ten values (the same in both units): 100 + 7k + run, scaled."""
    return [[0 if test == failed_test else int((100 + 7 * test + run) * scale)
             for run in range(10)] for test in range(10)]


def record(cpu, fsb, scale, failed_test=None):
    """A result record: four descriptions of 129 bytes, then 20 rows of 10 values."""
    def description(text):
        data = text.encode("cp1251")[:128]
        return bytes([len(data)]) + data + bytes(128 - len(data))
    rows = [row for test in values(scale, failed_test) for row in (test, test)]
    return (description(cpu) + description(fsb) + description("1 ГБ") + description("Linux") +
            struct.pack("<200I", *[value for row in rows for value in row]))


def report(cpu, scale, unsteady_tests):
    """The run report a run writes beside its result file, its run unsteady in the tests given."""
    tests = [{"id": TEST_IDS[test], "cycles": calls, "milliseconds": calls, "failed_runs": []}
             for test, calls in enumerate(values(scale))]
    return json.dumps({"schema": 2, "host": "bench-1",
                       "machine": {"cpu": cpu, "fsb": "", "memory": "1 ГБ", "os": "Linux",
                                   "processor": "AMD EPYC"},
                       "tests": tests,
                       "quality": {"tests": [{"spread": 0.01} for _ in range(10)],
                                   "unsteady_tests": unsteady_tests}})


class Page(html.parser.HTMLParser):
    """What the checks need of the document: per section its rows (cells' text, whether the row
    holds a chart), every element name met, and the title."""

    def __init__(self):
        super().__init__()
        self.sections = {}  # id -> list of rows, each [cell texts, has svg]
        self.elements = set()
        self.section = None
        self.row = None
        self.title = ""
        self.in_title = False
        self.text = []

    def handle_starttag(self, tag, attrs):
        self.elements.add(tag)
        attrs = dict(attrs)
        if tag == "section":
            self.section = attrs.get("id")
            self.sections[self.section] = []
        elif tag == "tr" and self.section:
            self.row = [[], False]
            self.sections[self.section].append(self.row)
        elif tag == "td" and self.row is not None:
            self.row[0].append("")
        elif tag == "svg" and self.row is not None:
            self.row[1] = True
        self.in_title = tag == "title"

    def handle_endtag(self, tag):
        if tag == "section":
            self.section = None
        if tag == "tr":
            self.row = None
        self.in_title = False

    def handle_data(self, data):
        self.text.append(data)
        if self.in_title:
            self.title += data
        if self.row is not None and self.row[0]:
            self.row[0][-1] += data


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK + "/cpus")
with open(WORK + "/cpus/a.dat", "wb") as f:
    f.write(record("Быстрая", "", 1.0) + record("Средняя", "", 1.5, failed_test=3))
with open(WORK + "/cpus/b.dat", "wb") as f:
    f.write(record(HOSTILE[0], HOSTILE[1], 2.0))  # the machine list must show both as text
with open(WORK + "/cpus/c.dat", "wb") as f:
    f.write(record("Медленная", "", 3.0))
with open(WORK + "/cpus/c.json", "w") as f:
    f.write(report("Медленная", 3.0, [2]))
machines = 4
page = WORK + "/page.html"
subprocess.run([RUNNER, "--compare", "--cpus", "cpus", "--html", "page.html"], cwd=WORK,
               check=True, stdout=subprocess.DEVNULL)

# No network for the browser when the system allows a namespace of its own; the log of requests
# tells in any case.
chromium = ["chromium", "--headless", "--disable-gpu", "--hide-scrollbars", "--no-first-run",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--user-data-dir=" + WORK + "/profile", "--log-net-log=" + WORK + "/net.json"]
if os.geteuid() == 0:
    chromium.append("--no-sandbox")
if subprocess.run(["unshare", "-rn", "true"], capture_output=True).returncode == 0:
    chromium = ["unshare", "-rn"] + chromium
url = "file://" + page
shot = subprocess.run(chromium + ["--window-size=1280,2000", "--screenshot=" + WORK + "/page.png",
                                  url], capture_output=True, timeout=120)
with open(WORK + "/page.png", "rb") as f:
    if shot.returncode != 0 or f.read(8) != b"\x89PNG\r\n\x1a\n":
        fail("no screenshot: " + shot.stderr.decode(errors="replace")[-2000:])
dump = subprocess.run(chromium + ["--dump-dom", url], capture_output=True, timeout=120)
if dump.returncode != 0:
    fail("chromium --dump-dom: " + dump.stderr.decode(errors="replace")[-2000:])
dom = Page()
dom.feed(dump.stdout.decode())

if "ran" in dom.title or not dom.title.startswith("Korvex 2"):
    fail("a script ran: the title is '%s'" % dom.title)
injected = dom.elements & {"script", "img"}
if injected:
    fail("markup of a description became elements: %s" % injected)
shown = [row[0] for row in dom.sections.get("machines", []) if row[0]]
for hostile in HOSTILE:
    if not any(hostile in cells for cells in shown):
        fail("the description %r is not shown as text: %r" % (hostile, shown))

tests = [rows for name, rows in dom.sections.items() if name not in ("summary", "cores", "machines")]
if len(tests) != 10:
    fail("%d test sections, not 10" % len(tests))
for rows in tests:
    charts = [row for row in rows if row[0]]
    if len(charts) != machines or not all(has_chart for _, has_chart in charts):
        fail("a test shows %d rows, not a bar for each of %d machines" % (len(charts), machines))
if "Тест не пройден" not in "".join(dom.text):
    fail("the failed test is not said")

summary = [row[0] for row in dom.sections.get("summary", []) if row[0]]
indexes = [float(cells[2]) for cells in summary]
if len(summary) != machines or indexes != sorted(indexes, reverse=True):
    fail("the summary is not one row per machine, highest index first: %r" % summary)
# The reference is the first file read; whichever it is, the others lie 1.5 to 3 times from it:
# real in every test both ran, except where the unsteady run leaves test 3 inconclusive.
counts = {cells[0]: (cells[4], cells[5]) for cells in summary}
slowest = [name for name in counts if name.startswith("cpus/c.dat")]
if len(slowest) != 1 or "неустойчивый запуск" not in slowest[0]:
    fail("the unsteady run is not marked in the summary: %r" % summary)
if counts[slowest[0]] not in (("9", "1"), ("—", "—")):
    fail("the unsteady run's tests are not counted as 9 real and 1 inconclusive: %r" % summary)
decisions = " ".join(cells[3] for rows in tests for cells, _ in rows if cells)
if "медленнее" not in decisions and "быстрее" not in decisions:
    fail("no real difference is worded with its direction: %r" % decisions)

with open(WORK + "/net.json") as f:
    log = json.load(f)
start_job = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
# Requests of the browser itself carry no origin; the page's carry its own.
asked = [event["params"].get("url", "?") for event in log["events"]
         if event["type"] == start_job and
         event.get("params", {}).get("initiator", "not an origin") != "not an origin"]
if asked:
    fail("the page asked for %r" % asked)
print("ok: %d machines, 10 tests, summary sorted with its decisions, the unsteady run marked, "
      "hostile text shown as text, no request" % machines)
