#!/usr/bin/env python3
"""The table of bench/scale_curves.sh from its results (one JSON line a
measure and size, with the probe's runs).  Exits 1 when a count is wrong."""
import json
import statistics
import sys

# measure -> rows: (label, time key, stall key, count key, later runs only,
# first-screen key)
ROWS = {
    "favourites": [("favourites: start-up to painted list", "startup_ms", None, "entries", True,
                    "startup_first_screen_ms"),
                   ("favourites: load_okini to painted list", "reload_ms", "reload_stall_ms",
                    None, False, "first_screen_ms"),
                   ("favourites: add N/10 new at once", "add_ms", "longest_stall_ms", None, False,
                    None)],
    "folder": [("file page: setFolder to painted list", "shown_ms", "longest_stall_ms", "entries",
                False, "first_screen_ms")],
}
SEARCH_ROW = [("{}: Enter to last result", "ms", "stall_ms", "hits", False, "first_screen_ms")]
WORSE = 1.5  # a time factor this much above the size factor is flagged


def number(value, width, decimals):
    return f"{value:{width}.{decimals}f}" if value is not None else f"{'-':>{width}}"


def rows_of(measure):
    if measure in ROWS:
        return ROWS[measure]
    return [(label.format(measure), *rest) for label, *rest in SEARCH_ROW]


def main():
    results = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
    failures = []
    print()
    print(f"{'measure':42} {'size':>8} {'x size':>6} {'median ms':>10} {'x time':>6} "
          f"{'1st scr':>8} {'stall ms':>9} {'peer ms':>9} {'/ peer':>7}")
    order = []
    for r in results:
        if r["measure"] not in order:
            order.append(r["measure"])
    for measure in order:
        sized = sorted((r for r in results if r["measure"] == measure), key=lambda r: r["size"])
        for label, key, stall_key, count_key, later, first_key in rows_of(measure):
            previous = None
            for r in sized:
                runs = r["runs"][1:] if later and len(r["runs"]) > 1 else r["runs"]
                if runs and key not in runs[0]:
                    continue  # a probe from before this measure
                if not runs:
                    failures.append(f"{label} at {r['size']}: no run")
                    continue
                ms = statistics.median(run[key] for run in runs)
                stall = (max(run[stall_key] for run in runs)
                         if stall_key and stall_key in runs[0] else None)
                firsts = [run[first_key] for run in runs
                          if first_key and run.get(first_key, -1) >= 0]
                first = statistics.median(firsts) if firsts else None
                if count_key:
                    counts = sorted({run[count_key] for run in r["runs"]})
                    if counts != [r["expected"]]:
                        failures.append(f"{label} at {r['size']}: {counts} entries, "
                                        f"expected {r['expected']}")
                size_factor = time_factor = ""
                flag = ""
                if previous:
                    sf, tf = r["size"] / previous[0], ms / previous[1] if previous[1] else 0
                    size_factor, time_factor = f"{sf:6.1f}", f"{tf:6.1f}"
                    if tf > sf * WORSE and ms > 50:
                        flag = "  worse than linear"
                previous = (r["size"], ms)
                peer = r["peer_ms"] if key in ("ms", "shown_ms") else None
                print(f"{label:42} {r['size']:8d} {size_factor:>6} {ms:10.1f} {time_factor:>6} "
                      f"{number(first, 8, 1)} {number(stall, 9, 1)} {number(peer, 9, 1)} "
                      f"{number(ms / peer if peer else None, 7, 2)}{flag}")
    print()
    print("x size, x time: growth from the size above; 1st scr: median time to the first")
    print("painted screen of entries; stall: the longest time the window's event loop did not")
    print("run; peer: ls -1 | grep -iE for the file page, find for the search.")
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
