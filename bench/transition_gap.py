#!/usr/bin/env python3
"""Screen grabs of bench/transition_gap.sh turned into gaps between movies.

  transition_gap.py classify GRAB.rgb WIDTHxHEIGHT GRAB.log SCALE COLOURS LABEL SET ROUND
      One run: GRAB.rgb holds the grabs as raw rgb24 frames (the screen made
      SCALE times smaller), GRAB.log is ffmpeg's output with one showinfo line
      a grab (its time stamp), COLOURS the clips' colours in play order
      (RRGGBB,RRGGBB,...).  Prints one JSON line.
  transition_gap.py report RESULTS.jsonl PLAYER...
      The table over all runs.  Exits 1 when a player showed no picture in a
      run, or when a change between two clips was never seen.

Every grab is classed by the colour of the middle of the picture: clip k,
black, or other (a logo, the interface, a half-drawn frame).  The picture's
place is found from the grabs themselves (the median of the rectangles a
clip's colour covers in the grabs that show one), so no player's window has
to be found.
"""
import json
import os
import re
import statistics
import sys

TOLERANCE = 60  # per channel: the YUV round trip shifts a solid colour a little
BLACK_MAX = 40  # every channel at most this: black
SHARE = 0.7  # a class needs this share of the sampled points
MIN_POINTS = 30  # fewest coarse-grid points of one colour that count as a picture
COARSE = 4  # the step, in grabbed pixels, of the grid that looks for the picture
SAMPLES = 16  # sampled points across and down the middle of the picture
BLACK, OTHER = "black", "other"


def colour_table(colours):
    """Class of every colour, quantised to 5 bits a channel: 0..n-1 for a
    clip's colour, BLACK or OTHER."""
    table = []
    for q in range(32 * 32 * 32):
        rgb = ((q >> 10) * 8 + 4, ((q >> 5) & 31) * 8 + 4, (q & 31) * 8 + 4)
        cls = OTHER
        if max(rgb) <= BLACK_MAX:
            cls = BLACK
        for k, c in enumerate(colours):
            if all(abs(a - b) <= TOLERANCE for a, b in zip(rgb, c)):
                cls = k
                break
        table.append(cls)
    return table


def pixel_class(table, frame, offset):
    r, g, b = frame[offset], frame[offset + 1], frame[offset + 2]
    return table[(r >> 3) << 10 | (g >> 3) << 5 | b >> 3]


def read_times(log):
    """The time stamp of every grab, in ms, from showinfo's lines."""
    pattern = re.compile(r"n:\s*(\d+)\s+pts:\s*-?\d+\s+pts_time:([-0-9.e]+)")
    times = {}
    with open(log, errors="replace") as f:
        for line in f:
            for n, t in pattern.findall(line):
                times[int(n)] = float(t) * 1000
    return [times[n] for n in sorted(times)]


def frames(path, size, count):
    with open(path, "rb") as f:
        for _ in range(count):
            yield f.read(size)


def picture_box(frame, width, height, table):
    """(clip, x0, y0, x1, y1) of the clip colour most present on a coarse
    grid, or None when no clip colour covers MIN_POINTS points."""
    boxes = {}
    for y in range(0, height, COARSE):
        row = y * width * 3
        for x in range(0, width, COARSE):
            cls = pixel_class(table, frame, row + x * 3)
            if isinstance(cls, int):
                box = boxes.setdefault(cls, [0, x, y, x, y])
                box[0] += 1
                box[1], box[2] = min(box[1], x), min(box[2], y)
                box[3], box[4] = max(box[3], x), max(box[4], y)
    if not boxes:
        return None
    cls, (count, x0, y0, x1, y1) = max(boxes.items(), key=lambda item: item[1][0])
    if count < MIN_POINTS:
        return None

    # The edges to the pixel, along the box's middle row and column.
    def same(x, y):
        return pixel_class(table, frame, (y * width + x) * 3) == cls

    mid_x, mid_y = (x0 + x1) // 2, (y0 + y1) // 2
    x0 = min(x for x in range(max(0, x0 - COARSE + 1), x0 + 1) if same(x, mid_y) or x == x0)
    x1 = max(x for x in range(x1, min(width, x1 + COARSE)) if same(x, mid_y) or x == x1)
    y0 = min(y for y in range(max(0, y0 - COARSE + 1), y0 + 1) if same(mid_x, y) or y == y0)
    y1 = max(y for y in range(y1, min(height, y1 + COARSE)) if same(mid_x, y) or y == y1)
    return cls, x0, y0, x1, y1


def sample_points(box, width):
    """Byte offsets of a grid over the middle half of the picture, away from
    its edges, where scaling and a player's borders blur the colour."""
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0
    xs = [x0 + w // 4 + (w // 2) * i // (SAMPLES - 1) for i in range(SAMPLES)]
    ys = [y0 + h // 4 + (h // 2) * i // (SAMPLES - 1) for i in range(SAMPLES)]
    return [(y * width + x) * 3 for y in ys for x in xs]


def grab_class(frame, points, table):
    """The class of most sampled points, if they are SHARE of all.  A grab
    taken while the player was drawing the next clip's first frame shows
    both clips: it goes to the clip most of it shows."""
    counts = {}
    for offset in points:
        cls = pixel_class(table, frame, offset)
        counts[cls] = counts.get(cls, 0) + 1
    cls, n = max(counts.items(), key=lambda item: item[1])
    if isinstance(cls, int):
        n = sum(count for c, count in counts.items() if isinstance(c, int))
    return cls if n >= SHARE * len(points) else OTHER


def changes(classes, times, clips):
    """For each change from clip k to clip k + 1, its first occurrence: the
    time from the last grab of k to the first grab of k + 1, and what the
    grabs between them showed."""
    out = []
    for k in range(clips - 1):
        first_k = next((i for i, c in enumerate(classes) if c == k), None)
        after = None
        if first_k is not None:
            after = next((i for i in range(first_k, len(classes)) if classes[i] == k + 1), None)
        if after is None:
            out.append({"from": k + 1, "seen": False})
            continue
        last = max(i for i in range(first_k, after) if classes[i] == k)
        between = classes[last + 1:after]
        out.append({"from": k + 1, "seen": True, "gap_ms": round(times[after] - times[last], 1),
                    "black": between.count(BLACK), "other": len(between) - between.count(BLACK)})
    return out


def classify(grab, dims, log, scale, colours_text, label, clip_set, round_no):
    width, height = (int(v) for v in dims.split("x"))
    scale = int(scale)
    colours = [tuple(int(c[i:i + 2], 16) for i in (0, 2, 4)) for c in colours_text.split(",")]
    table = colour_table(colours)
    times = read_times(log)
    size = width * height * 3
    grabbed = os.path.getsize(grab) // size
    n = min(grabbed, len(times))
    result = {"label": label, "set": clip_set, "round": int(round_no), "grabs": n,
              "expected_changes": len(colours) - 1}
    if grabbed != len(times):
        result["warning"] = f"{grabbed} grabs but {len(times)} time stamps"
    intervals = [b - a for a, b in zip(times[:n], times[1:n])]
    result["grab_ms"] = round(statistics.median(intervals), 1) if intervals else None
    result["worst_grab_ms"] = round(max(intervals), 1) if intervals else None

    # The picture's place: per coordinate, the median of the boxes of every
    # 4th grab that shows a clip, so that a few odd grabs (a window still
    # being resized) do not move it.
    every_4th = (g for i, g in enumerate(frames(grab, size, n)) if i % 4 == 0)
    boxes = [b for b in (picture_box(g, width, height, table) for g in every_4th) if b]
    if not boxes:
        result["picture"] = None
        return result
    box = tuple(int(statistics.median(b[i] for b in boxes)) for i in range(1, 5))
    result["picture"] = "{}x{}+{}+{}".format((box[2] - box[0] + 1) * scale,
                                             (box[3] - box[1] + 1) * scale,
                                             box[0] * scale, box[1] * scale)
    points = sample_points(box, width)
    classes = [grab_class(g, points, table) for g in frames(grab, size, n)]
    result["clips_seen"] = len({c for c in classes if isinstance(c, int)})
    result["changes"] = changes(classes, times, len(colours))
    # The grabs as runs of one class: "class:count@first ms", for reading.
    runs = []
    for i, c in enumerate(classes):
        if runs and runs[-1][0] == c:
            runs[-1][1] += 1
        else:
            runs.append([c, 1, times[i]])
    result["sequence"] = " ".join(
        f"{c + 1 if isinstance(c, int) else c}:{count}@{t:.0f}" for c, count, t in runs)
    return result


def fmt(value, layout):
    """value in the format layout, or "-" as wide."""
    if value is not None:
        return format(value, layout)
    return "-".rjust(int(re.match(r"\D*(\d*)", layout).group(1) or 0))


def report(results, players):
    rows = [json.loads(line) for line in open(results) if line.strip()]
    failed = False
    for clip_set in dict.fromkeys(r["set"] for r in rows):
        these = [r for r in rows if r["set"] == clip_set]
        print()
        print(f"clips: {clip_set}; gap = last grab of a clip to the first grab of the next")
        print(f"{'player':<10} {'runs':>4} {'changes':>8} {'median':>9} {'worst':>9} "
              f"{'1 grab':>6} {'black':>6} {'other':>6}  grab interval")
        medians = {}
        for p in players:
            runs = [r for r in these if r["label"] == p]
            if not runs:
                continue
            blind = [r for r in runs if not r.get("picture")]
            seen = [c for r in runs for c in r.get("changes", []) if c["seen"]]
            expected = sum(r["expected_changes"] for r in runs)
            gaps = [c["gap_ms"] for c in seen]
            medians[p] = statistics.median(gaps) if gaps else None
            black = sum(c["black"] for c in seen)
            other = sum(c["other"] for c in seen)
            # Changes with no grab between the two clips.
            clean = sum(1 for c in seen if c["black"] + c["other"] == 0)
            grab = [r["grab_ms"] for r in runs if r.get("grab_ms") is not None]
            print(f"{p:<10} {len(runs):>4} {len(seen):>4}/{expected:<3} "
                  f"{fmt(medians[p], '6.0f')} ms {fmt(max(gaps) if gaps else None, '6.0f')} ms "
                  f"{clean:>6} {black:>6} {other:>6}  {fmt(statistics.median(grab) if grab else None, '.1f')}"
                  f" ms (worst {fmt(max((r.get('worst_grab_ms') or 0) for r in runs), '.0f')} ms)")
            if blind:
                failed = True
                print(f"{'':<10} NO PICTURE in {len(blind)} of {len(runs)} runs")
            if len(seen) < expected:
                failed = True
                print(f"{'':<10} {expected - len(seen)} changes NOT SEEN")
        s = medians.get("sazanami")
        for p in players:
            if p == "sazanami" or p not in medians:
                continue
            o = medians[p]
            ratio = f"{s / o:.2f}" if s is not None and o else "-"
            print(f"  Sazanami / {p:<8} median gap ratio {ratio}")
        mpv = medians.get("mpv")
        if s is not None and mpv is not None:
            saz = [c for r in these if r["label"] == "sazanami"
                   for c in r.get("changes", []) if c["seen"]]
            black = sum(c["black"] for c in saz)
            other = sum(c["other"] for c in saz)
            good = s <= mpv + 20 and black == 0 and other == 0
            print(f"  target: Sazanami median <= mpv median + 20 ms ({s:.0f} <= {mpv + 20:.0f}) "
                  f"and no black or other grabs between clips ({black} black, {other} other): "
                  f"{'ok' if good else 'MISSED'}")
    return 1 if failed else 0


def main(argv):
    if len(argv) == 10 and argv[1] == "classify":
        print(json.dumps(classify(*argv[2:])))
        return 0
    if len(argv) >= 3 and argv[1] == "report":
        return report(argv[2], argv[3:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
