#!/usr/bin/env python3
"""Checks the expected outputs of the default scan (expected/scan-default.txt and
expected/report-default.txt) against the planted-entry table and the summary of README.md,
without asking the program: every entry the table promises for the default scan must be there
once, with its description, action, key and Index, and nothing else may be.

With the path of a hivewarden binary as argument it also runs the other option sets the README
names (32 alone, 256 alone, 8 alone, every box) and checks which entries they give.

Standard library only:  python3 examples/sample-machine/tools/check_expected.py [hivewarden]
"""

import json
import os
import re
import subprocess
import sys
from collections import Counter

HERE = os.path.dirname(os.path.abspath(__file__))
MACHINE = os.path.dirname(HERE)

# Edit code of each row kind, by the start of its description (results grid row kinds).
CAN_CHANGE = [("Ignore by the user filter - ", 3), ("Drive not present - ", 1),
              ("Dll file doesn't exist - ", 1),
              ("Help file doesn't exist - ", 1), ("The Key is empty", 0),
              ("Shell32 (Experts) - ", 1), ("Invalid registered OCX or DLL file - ", 1),
              ("Warning: ", 1), ("Invalid Sound entry - ", 1), ("Invalid Application Path - ", 2),
              ("Invalid Uninstall String - ", 1), ("Possible Driver Entry - ", 1),
              ("Autorun Program Entry - ", 1), ("Invalid Font Entry - ", 1),
              ("File not found - ", 1), ("Folder or Drive not found - ", 2),
              ("Invalid Shortcut Path - ", 0)]


def uncode(cell):
    """`text` + N trailing spaces -> the text itself."""
    m = re.fullmatch(r"(``?)(.*?)\1(?: \+ (\d+) trailing spaces?)?", cell.strip())
    if not m:
        return cell.strip()
    return m.group(2).replace("\\|", "|") + " " * int(m.group(3) or 0)


def read_readme():
    with open(os.path.join(MACHINE, "README.md"), encoding="utf-8") as f:
        text = f.read()
    planted = text.split("## Planted stale entries", 1)[1].split("Notes on single entries", 1)[0]
    rows = []
    for line in planted.splitlines():
        if not line.startswith("| ") or line.startswith("| Id "):
            continue
        cells = [c for c in re.split(r"(?<!\\)\|", line)[1:-1]]
        ident, index, key, _, _, desc, counter, action, shown = [c.strip() for c in cells]
        # "Change Value to `data`": the action and the new value it proposes.
        action, _, fixed = action.partition(" to ")
        rows.append({"Id": ident, "Index": index, "Key": uncode(key),
                     "Description": uncode(cells[5]), "Counter": counter, "Action": action,
                     "Fixed": uncode(fixed) if fixed else "",
                     "Shown": [s.strip() for s in shown.split(",")]})
    summary = text.split("## Expected summary with the default options", 1)[1]
    counters = {}
    for m in re.finditer(r"^\| (lbl\w+) \| ([^|]+) \| (\d+) \|$", summary, re.M):
        counters[m.group(1)] = (m.group(2).strip(), int(m.group(3)))
    caption = re.search(r"`(Kestovar Hivewarden - \d+ errors found)`", summary).group(1)
    return rows, counters, caption


def body(row):
    """The second line of a listing row: the key (a COM server's class key), or the shortcut
    without its .lnk."""
    key = row["Key"]
    if row["Description"].startswith("Invalid registered OCX or DLL file - "):
        key = key.rsplit("\\", 1)[0]
    if key.endswith(".lnk"):
        key = key[:-4]
    return key


def in_default(row):
    return "1759" in row["Shown"] or any(s.startswith("shortcut scan") for s in row["Shown"])


def parse_listing(text):
    lines = text.split("\n")
    entries, i = [], 0
    new_value = " " * 13 + "New value: "
    while lines[i]:
        action, desc = lines[i][:13].rstrip(), lines[i][13:]
        assert lines[i + 1].startswith(" " * 13), lines[i + 1]
        key = lines[i + 1][13:]
        fixed = ""
        if lines[i + 2].startswith(new_value):
            fixed = lines[i + 2][len(new_value):]
            i += 1
        entries.append((action, desc, key, fixed))
        i += 2
    counters = {}
    i += 1
    while lines[i]:
        m = re.fullmatch(r"  (.{22})(\d+)", lines[i])
        assert m, lines[i]
        counters[m.group(1).rstrip()] = int(m.group(2))
        i += 1
    assert lines[i + 2:] == [""], "text after the caption"
    return entries, counters, lines[i + 1]


def check(ok, message, errors):
    if not ok:
        errors.append(message)


def check_listing(rows, counters, caption, errors):
    with open(os.path.join(MACHINE, "expected", "scan-default.txt"), "rb") as f:
        raw = f.read()
    check(b"\r" not in raw, "scan-default.txt: CR in the listing", errors)
    entries, got_counters, got_caption = parse_listing(raw.decode("utf-8"))
    want = Counter((r["Action"], r["Description"], body(r), r["Fixed"])
                   for r in rows if in_default(r))
    got = Counter(entries)
    for e in want - got:
        errors.append("scan-default.txt lacks %r" % (e,))
    for e in got - want:
        errors.append("scan-default.txt has unplanned %r" % (e,))
    check(got_counters == {c: n for c, n in counters.values()},
          "scan-default.txt counters %r" % got_counters, errors)
    check(got_caption == caption, "scan-default.txt caption %r" % got_caption, errors)
    # The README's counter column, summed over the default rows, gives the summary table.
    summed = Counter()
    for r in rows:
        if in_default(r):
            summed.update(c.strip() for c in r["Counter"].split("+") if c.strip().startswith("lbl"))
    check(dict(summed) == {c: n for c, (_, n) in counters.items() if n},
          "README counter column %r disagrees with its summary" % dict(summed), errors)
    return len(entries)


def check_report(rows, errors):
    """The report's bytes: CR LF lines, the header, one line per promised row."""
    with open(os.path.join(MACHINE, "expected", "report-default.txt"), "rb") as f:
        raw = f.read()
    check(raw.endswith(b"\r\n") and b"\n" not in raw.replace(b"\r\n", b""),
          "report-default.txt: not CR LF throughout", errors)
    # A report file is code page 1252 when that holds its text, else UTF-8 after a mark.
    bom = b"\xef\xbb\xbf"
    text = raw[len(bom):].decode("utf-8") if raw.startswith(bom) else raw.decode("cp1252")
    lines = text.split("\r\n")[:-1]
    check(lines[0] == "Action;Error;Fixed Value;Index;;Location", "report header", errors)
    want = Counter()
    for r in rows:
        if not in_default(r):
            continue
        index = r["Index"][1:] if r["Index"].startswith("S") else r["Index"]
        code = next(c for p, c in CAN_CHANGE if r["Description"].startswith(p))
        want[";".join([r["Action"], r["Description"], r["Fixed"], index, str(code),
                       body(r)])] += 1
    got = Counter(lines[1:])
    for e in want - got:
        errors.append("report-default.txt lacks %r" % e)
    for e in got - want:
        errors.append("report-default.txt has unplanned %r" % e)
    return len(lines) - 1


def run_json(hivewarden, options):
    env = []
    with open(os.path.join(MACHINE, "machine.env"), encoding="cp1252") as f:
        env = ["--env=" + line.rstrip("\n") for line in f if not line.startswith("#")]
    args = [hivewarden, "scan", "--registry", os.path.join(MACHINE, "registry", "HKLM.reg"),
            "--registry", os.path.join(MACHINE, "registry", "HKCU.reg"),
            "--drive", "C=" + os.path.join(MACHINE, "drive_c"), "--windows-dir", "C:\\Windows",
            *env, "--program-folder", os.path.join(MACHINE, "program"), *options, "--json"]
    return json.loads(subprocess.run(args, check=True, capture_output=True).stdout)


def check_option_sets(hivewarden, rows, errors):
    """Which planted entries other masks give: the README's 'Other option sets'."""
    def ids(result):
        found = Counter()
        for f in result["findings"]:
            match = [r["Id"] for r in rows
                     if r["Description"] == f["Description"]
                     and body(r).upper() == f["KeyPath"].upper()]
            found[match[0] if len(match) == 1 else "unplanned " + f["Description"]] += 1
        return found
    walker = {r["Id"] for r in rows if not r["Index"].startswith("S")}
    cases = [("32", {"J1", "J2", "J3"}), ("256", {"I1", "I2", "I3"}), ("8", {"K3", "K2b"}),
             ("2047", walker - {"J3"})]
    for mask, want in cases:
        got = ids(run_json(hivewarden, ["--options", mask]))
        expected = Counter(want)
        check(got == expected, "--options %s gives %s" % (mask, sorted(got.elements())), errors)
        print("--options %-4s: %d findings, %s" % (mask, sum(got.values()),
                                                    "as the README says" if got == expected
                                                    else "DIFFERENT"))


def main():
    rows, counters, caption = read_readme()
    errors = []
    n = check_listing(rows, counters, caption, errors)
    m = check_report(rows, errors)
    print("README: %d planted rows, %d for the default scan; listing %d rows, report %d rows"
          % (len(rows), sum(1 for r in rows if in_default(r)), n, m))
    if len(sys.argv) > 1:
        check_option_sets(sys.argv[1], rows, errors)
    if errors:
        print("\n".join(errors))
        sys.exit(1)
    print("expected outputs agree with README.md")


if __name__ == "__main__":
    main()
