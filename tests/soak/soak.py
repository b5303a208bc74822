#!/usr/bin/env python3
"""Endurance run of the real player: thousands of movie changes in one
process over a folder, the favourites and a search result, with display
modes, speeds, scenes, seek-bar sections and list pages switched at random
times by real X input.  Prints what it measured and exits non-zero when the
player died, froze, leaked, or lost state.

    python3 tests/soak/soak.py [--short|--long] [--build DIR] [--media DIR]

See the README ("Soak") for the modes and the limits."""

import argparse
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent.parent
CONTAINERS = ["mpg", "mpeg", "avi", "asf", "wmv", "mov"]
TWIPS_PER_PIXEL = 15
# The window's layout, in pixels (src/window/main_window.cpp).
CONTROL_HEIGHT = 58
SEEK_ROW_HEIGHT = 24
LIST_WIDTH = 270
# Centres of the list's tabs from the list's left edge, and of the play-mode
# button from the toolbar's, measured on a screenshot with the fonts the
# tests install (fonts-noto-cjk).  A tab missed shows as movies played from
# the wrong list, which fails the run.
TAB_X = {"files": 29, "favourites": 93, "search": 145}
MODE_BUTTON_X = 191
# How many thumbnails the favourites page keeps in memory.
CACHED_THUMBNAILS = 400
TOOLBAR_ROW_Y = SEEK_ROW_HEIGHT + (CONTROL_HEIGHT - SEEK_ROW_HEIGHT) // 2
WINDOW_SIZE = (914, 538)
SCREEN = (1280, 1024)
RECIPE_VERSION = "1"


def log(*parts):
    print(time.strftime("%H:%M:%S"), *parts, flush=True)


# ----------------------------------------------------------------- media


def ffmpeg_recipe(ext, seconds, sound):
    picture = ["-f", "lavfi", "-i", f"testsrc=size=160x120:rate=25:duration={seconds}"]
    tone = ["-f", "lavfi", "-i", f"sine=frequency=440:duration={seconds}"] if sound else []
    if ext in ("mpg", "mpeg"):
        codec = ["-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"]
    elif ext == "avi":
        codec = ["-c:v", "mpeg4", "-c:a", "pcm_s16le", "-f", "avi"]
    elif ext in ("asf", "wmv"):
        codec = ["-c:v", "wmv2", "-c:a", "wmav2", "-f", "asf"]
    else:
        codec = ["-c:v", "mpeg4", "-c:a", "aac", "-f", "mov"]
    if not sound:
        codec = [c for c in codec if c not in ("-c:a", "mp2", "pcm_s16le", "wmav2", "aac")] + ["-an"]
    return picture + tone + codec


def distinct_clips(cache):
    """Six containers x three lengths x with and without sound: 36 clips made
    by ffmpeg, plus two broken ones (a truncated movie and garbage).  Kept in
    the cache folder for the next run."""
    made = cache / f"distinct-v{RECIPE_VERSION}"
    done = made / ".complete"
    clips = []
    for ext in CONTAINERS:
        for seconds in (1, 2, 3):
            for sound in (True, False):
                clips.append((made / f"{seconds}s-{'a' if sound else 'n'}.{ext}", ext, seconds, sound))
    broken = [made / "truncated.avi", made / "garbage.mpg"]
    if not done.exists():
        made.mkdir(parents=True, exist_ok=True)
        log(f"making {len(clips)} clips with ffmpeg in {made}")
        for path, ext, seconds, sound in clips:
            subprocess.run(["ffmpeg", "-v", "error", "-nostdin", "-y"] +
                           ffmpeg_recipe(ext, seconds, sound) + [str(path)], check=True)
        whole = (made / "3s-a.avi").read_bytes()
        broken[0].write_bytes(whole[: len(whole) // 3])
        broken[1].write_bytes(random.Random(7).randbytes(200_000))
        done.touch()
    return [c[0] for c in clips], broken


def link_or_copy(source, target):
    try:
        os.link(source, target)
    except OSError:
        shutil.copyfile(source, target)


def populate(folder, prefix, count, good, broken):
    """count names in folder, hard links to the distinct clips (copies where
    links cannot be made); one in a hundred is broken."""
    folder.mkdir(parents=True, exist_ok=True)
    names = []
    for i in range(count):
        source = broken[i // 100 % len(broken)] if i % 100 == 50 else good[i % len(good)]
        target = folder / f"{prefix}{i:04d}{source.suffix}"
        if not target.exists():
            link_or_copy(source, target)
        names.append(target)
    return names


# ------------------------------------------------------------ processes


class Session:
    """The private desktop: X server, window manager, session bus, sound
    server, each a child of this script and ended by its own id."""

    def __init__(self, work):
        self.work = work
        self.children = []
        self.env = dict(os.environ)
        home = work / "home"
        runtime = work / "runtime"
        for d in (home / ".config", home / ".cache", home / ".local/share", runtime):
            d.mkdir(parents=True, exist_ok=True)
        runtime.chmod(0o700)
        self.env.update({
            "HOME": str(home), "XDG_CONFIG_HOME": str(home / ".config"),
            "XDG_CACHE_HOME": str(home / ".cache"), "XDG_DATA_HOME": str(home / ".local/share"),
            "XDG_RUNTIME_DIR": str(runtime), "QT_QPA_PLATFORM": "xcb", "LC_ALL": "C.UTF-8",
        })
        self.env.pop("WAYLAND_DISPLAY", None)

    def spawn(self, args, **kw):
        kw.setdefault("stdout", subprocess.DEVNULL)
        kw.setdefault("stderr", subprocess.DEVNULL)
        p = subprocess.Popen(args, env=self.env, start_new_session=True, **kw)
        self.children.append(p)
        return p

    def start_x_server(self):
        """On a display number of its own, away from the low ones that
        xvfb-run and -displayfd hand out to other tests on the machine."""
        for _ in range(10):
            number = random.randint(300, 899)
            if Path(f"/tmp/.X{number}-lock").exists():
                continue
            # -noreset: the server otherwise starts over when the probe
            # below disconnects, and the next client finds no display.
            server = self.spawn(["Xvfb", f":{number}", "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
                                 "-nolisten", "tcp", "-noreset"])
            self.env["DISPLAY"] = f":{number}"
            if self.poll(lambda: server.poll() is None and subprocess.run(
                    ["xdpyinfo"], env=self.env, capture_output=True).returncode == 0, 5):
                return
            server.kill()
            server.wait()
        raise SystemExit("Xvfb did not start")

    def start(self):
        self.start_x_server()
        self.spawn(["openbox", "--sm-disable"], stderr=open(self.work / "openbox.log", "w"))
        self.wait_for(lambda: subprocess.run(["wmctrl", "-m"], env=self.env,
                                             capture_output=True).returncode == 0, "openbox")
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, text=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        pulse_dir = self.work / "runtime" / "pulse"
        self.env["PULSE_RUNTIME_PATH"] = str(pulse_dir)
        self.spawn(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n",
                    "--load=module-null-sink", "--load=module-native-protocol-unix"])
        self.wait_for(lambda: subprocess.run(["pactl", "info"], env=self.env,
                                             capture_output=True).returncode == 0, "pulseaudio")

    @staticmethod
    def poll(check, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if check():
                return True
            time.sleep(0.1)
        return False

    def wait_for(self, check, what, seconds=20):
        if not self.poll(check, seconds):
            raise SystemExit(f"{what} did not start")

    def stop(self):
        for p in reversed(self.children):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()


class Hands:
    """One soak_x helper: real X input, or the ping round trip."""

    def __init__(self, helper, env):
        self.p = subprocess.Popen([str(helper)], env=env, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, text=True, bufsize=1)
        self.lock = threading.Lock()

    def ask(self, line):
        with self.lock:
            self.p.stdin.write(line + "\n")
            self.p.stdin.flush()
            answer = self.p.stdout.readline().strip()
        if answer.startswith("error"):
            log(f"helper: {line}: {answer}")
        return answer

    def close(self):
        self.p.stdin.close()
        self.p.wait(5)


class MovieWatch(threading.Thread):
    """Counts the movies the player opens from the media controls' Metadata
    changes on the session bus: each open gets a new track id."""

    TRACK = re.compile(r'object path "/org/sazanami/track/(\d+)"')
    URL = re.compile(r'string "file://([^"]*)"')

    def __init__(self, session):
        super().__init__(daemon=True)
        self.p = session.spawn(
            ["dbus-monitor", "--session",
             "type='signal',interface='org.freedesktop.DBus.Properties',"
             "member='PropertiesChanged',path='/org/mpris/MediaPlayer2'"],
            stdout=subprocess.PIPE, text=True)
        self.cond = threading.Condition()
        self.tracks = []  # (track number, path, monotonic time)
        self.last_track = None

    def run(self):
        pending = None
        for line in self.p.stdout:
            m = self.TRACK.search(line)
            if m:
                pending = int(m.group(1))
                continue
            m = self.URL.search(line)
            if m and pending is not None:
                with self.cond:
                    # Track 0 is the state before the first open.
                    if pending not in (0, self.last_track):
                        self.tracks.append((pending, m.group(1), time.monotonic()))
                        self.last_track = pending
                    self.cond.notify_all()
                pending = None

    def count(self):
        with self.cond:
            return len(self.tracks)

    def current(self):
        with self.cond:
            return self.tracks[-1][1] if self.tracks else None

    def since_change(self):
        with self.cond:
            return time.monotonic() - self.tracks[-1][2] if self.tracks else 0.0

    def wait_beyond(self, count, seconds):
        with self.cond:
            return self.cond.wait_for(lambda: len(self.tracks) > count, seconds)


class StallMeter(threading.Thread):
    """Pings the window a few times a second; the longest round trip is the
    longest stretch the player's GUI thread left its events waiting."""

    def __init__(self, hands, window):
        super().__init__(daemon=True)
        self.hands, self.window = hands, window
        self.samples = []
        self.longest = (0.0, 0.0)  # (ms, when the answer came)
        self.unanswered = 0
        self.running = True

    def run(self):
        while self.running:
            answer = self.hands.ask(f"ping {self.window} 30000")
            try:
                ms = float(answer)
            except ValueError:
                ms = -1
            if ms < 0:
                self.unanswered += 1
            else:
                self.samples.append(ms)
                self.longest = max(self.longest, (ms, time.monotonic()))
            time.sleep(0.2)

    def stop(self):
        self.running = False
        self.join(35)


# --------------------------------------------------------------- player


def proc_figures(pid):
    status = Path(f"/proc/{pid}/status").read_text()
    rss = int(re.search(r"VmRSS:\s+(\d+)", status).group(1))
    threads = int(re.search(r"Threads:\s+(\d+)", status).group(1))
    fds = len(os.listdir(f"/proc/{pid}/fd"))
    return rss, fds, threads


def settled_figures(pid, seconds=3.0):
    """The least of several looks a moment apart: transient decoder threads
    and files of the movie being opened do not count as growth."""
    looks = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        looks.append(proc_figures(pid))
        time.sleep(0.25)
    return tuple(min(col) for col in zip(*looks))


def window_of(env, pid):
    out = subprocess.run(["wmctrl", "-l", "-p"], env=env, capture_output=True, text=True).stdout
    for line in out.splitlines():
        fields = line.split()
        if len(fields) > 2 and fields[2] == str(pid):
            return fields[0]
    return None


def write_config(folder, clips_dir):
    w, h = WINDOW_SIZE
    folder.joinpath("config.ini").write_bytes(
        ("[directory]\r\n"
         f"LastDir={clips_dir}/\r\n"
         "[Position]\r\nLeft=0\r\nTop=0\r\n"
         f"Width={w * TWIPS_PER_PIXEL}\r\nHeight={h * TWIPS_PER_PIXEL}\r\n"
         f"ListWidth={LIST_WIDTH * TWIPS_PER_PIXEL}\r\n"
         "[option]\r\nResume=0\r\n"
         # Random play at the fastest speed, the list open on the file page.
         "[other]\r\nPlayMode=3\r\nPlaySpeed=0\r\nListVisible=1\r\nListMode=1\r\nTemae=0\r\n"
         ).encode())


def write_favourites(folder, favourites):
    folder.joinpath("okini.ini").write_bytes(
        "".join(f"{p}\r\n" for p in favourites).encode())


# --------------------------------------------------------------- driver


class PlayerGone(Exception):
    """The player's window went away under the driver (the player died)."""


class Driver:
    def __init__(self, args, session, hands, player, window, watch):
        self.args, self.session, self.hands = args, session, hands
        self.player, self.window, self.watch = player, window, watch
        self.rng = random.Random(args.seed)
        self.injected = {}
        self.log = []
        self.lost = []
        self.drifts = []
        self.normal_size = None
        self.scenes = []  # (movie path, slot) registered while the movie stayed
        self.normal_mode = True
        self.foreign = 0
        self.away = []
        self.unchecked_names = set()
        self.nudges = 0
        self.orders = {}
        self.search_text = None

    def alive(self):
        return self.player.poll() is None

    def key(self, name, *mods):
        self.hands.ask(" ".join(("key", name) + mods))

    def note(self, what):
        self.injected[what] = self.injected.get(what, 0) + 1
        self.log.append((time.monotonic(), what))

    def doing_at(self, moment):
        """What the driver did last before moment, and how long before."""
        before = [(t, what) for t, what in self.log if t <= moment]
        return f"{before[-1][1]} {moment - before[-1][0]:.1f} s before" if before else "nothing yet"

    def inside(self):
        answer = self.hands.ask(f"geometry {self.window}")
        try:
            x, y, w, h = map(int, answer.split())
        except ValueError:
            raise PlayerGone(answer) from None
        return x, y, w, h

    def focus(self):
        subprocess.run(["wmctrl", "-i", "-a", self.window], env=self.session.env)

    def click_tab(self, page):
        x, y, w, h = self.inside()
        self.hands.ask(f"click {x + w - LIST_WIDTH + TAB_X[page]} {y + 10} 1")
        self.note("list page")

    def quiet_moment(self):
        """Just after a movie has opened: while the player opens one it
        keeps mouse and keys for afterwards, and a menu asked for then
        would open after the keys meant for it."""
        self.watch.wait_beyond(self.watch.count(), 5)
        time.sleep(0.4)

    def set_play_mode(self, index):
        """Through the toolbar's mode button and its menu, by keys."""
        self.quiet_moment()
        x, y, w, h = self.inside()
        self.hands.ask(f"click {x + MODE_BUTTON_X} {y + h - CONTROL_HEIGHT + TOOLBAR_ROW_Y} 1")
        time.sleep(0.5)
        for _ in range(index + 1):
            self.key("Down")
            time.sleep(0.1)
        self.key("Return")
        time.sleep(0.3)

    def search(self, text):
        """Types the search into the search page's box; the results are the
        clips whose names start with text."""
        self.key("Escape")
        self.quiet_moment()
        self.key("f", "ctrl")
        time.sleep(0.5)
        self.key("a", "ctrl")
        for c in text:
            self.key(c)
        self.key("Return")
        time.sleep(2)
        self.pick_first_result()
        self.next_key()

    def pick_first_result(self):
        """A click on the results takes the keys from the search box."""
        x, y, w, h = self.inside()
        self.hands.ask(f"click {x + w - LIST_WIDTH + 40} {y + 36} 1")
        time.sleep(0.2)

    def seek_bar_row(self):
        x, y, w, h = self.inside()
        return x, y + h - CONTROL_HEIGHT + SEEK_ROW_HEIGHT // 2

    # ----------------------------------------------------------- actions

    def section(self):
        if not self.normal_mode:
            return
        x, row = self.seek_bar_row()
        # The bar is at least 100 pixels wide and starts at the window's
        # left; its track leaves about 11 pixels at either end.
        a, b = sorted(self.rng.sample(range(14, 96), 2))
        if self.rng.random() < 0.5:
            a, b = b, a
        self.hands.ask(f"drag {x + a} {row} {x + b} ctrl")
        self.note("section")

    def clear_section(self):
        if not self.normal_mode:
            return
        x, row = self.seek_bar_row()
        self.hands.ask(f"click {x + 50} {row} 3")
        self.note("section cleared")

    def hold(self):
        time.sleep(self.rng.uniform(0.3, 1.2))

    def speed(self):
        self.key(self.rng.choice(["1", "3"]))
        self.hold()
        self.key("2")
        self.note("speed")

    def scene(self):
        before = self.watch.count()
        movie = self.watch.current()
        slot = self.rng.randrange(10)
        # A movie that has just opened may not tell its position yet, and
        # then nothing is registered: the key comes half a second in.
        time.sleep(max(0.0, 0.5 - self.watch.since_change()))
        self.key(f"KP_{slot}", "ctrl")
        # The next movie's open is announced once it is through, which can
        # take a moment after the last one ended.
        time.sleep(1.0)
        self.note("scene")
        # Checked at the end only where the movie surely was the one open
        # (no change from before the key until after it) and still playing
        # (not one of the broken files, nor a one-second clip: in the
        # sanitizers' build, mpv slow to let go of a file can delay the next
        # one's announcement past the second waited for, so such a clip may
        # have ended before the key came).
        if movie and self.watch.count() == before and Path(movie).name not in self.unchecked_names:
            self.scenes.append((movie, slot))

    def size(self):
        return self.inside()[2:]

    def wait_for_size(self, wanted, seconds=3.0):
        """Until the window's size is (or, with wanted a function, passes)
        what is asked for."""
        test = wanted if callable(wanted) else (lambda size: size == wanted)
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if test(self.size()):
                return True
            time.sleep(0.05)
        return False

    def mode_round_trip(self, name, enter, leave, still_in):
        """Into a display mode and back, each step seen in the window's
        size.  A step the window does not take is noted, and the window is
        brought back by a further key and a window manager activation."""
        normal = self.size()
        if normal != self.normal_size:
            self.drift(f"before {name}: window {normal}, not {self.normal_size}")
            return
        self.normal_mode = False
        enter()
        if not self.wait_for_size(lambda size: size != normal):
            self.lost.append(f"{name}: the window did not change")
        self.hold()
        leave()
        if not self.wait_for_size(normal) and still_in():
            # The key to leave was not taken: once more, as a user would.
            self.lost.append(f"{name}: the key to leave was not taken")
            self.focus()
            leave()
            self.wait_for_size(normal)
        if self.size() != normal:
            self.drift(f"after {name}: window {self.size()}")
        self.normal_mode = True
        self.note(name)

    def caption(self):
        out = subprocess.run(["xprop", "-id", self.window, "WM_NAME"], env=self.session.env,
                             capture_output=True, text=True).stdout
        return out.split("=", 1)[-1].strip()

    def drift(self, what):
        """The window is not as the driver left it: logged and counted, and
        put back so that the run goes on (small mode left by its key, full
        screen by Esc, else the size set through the window manager)."""
        recent = ", ".join(f"{w} {time.monotonic() - t:.1f} s ago" for t, w in self.log[-4:])
        caption = self.caption()
        log(f"window out of step: {what}, caption {caption}; last actions: {recent}")
        self.drifts.append(f"{what}, caption {caption}")
        self.focus()
        if "最小モード" in caption:
            self.key("m", "ctrl")
        else:
            self.key("Escape")
        if not self.wait_for_size(self.normal_size):
            w, h = self.normal_size
            subprocess.run(["wmctrl", "-i", "-r", self.window, "-e", f"0,0,0,{w},{h}"],
                           env=self.session.env)
            self.wait_for_size(self.normal_size)
        log(f"window now {self.size()}")

    def small_mode(self):
        self.mode_round_trip("small mode", lambda: self.key("m", "ctrl"),
                             lambda: self.key("m", "ctrl"), lambda: "最小モード" in self.caption())

    def full_screen(self):
        self.mode_round_trip("full screen", lambda: self.key("Return", "alt"),
                             lambda: self.key("Escape"), lambda: self.size() == SCREEN)

    def on_top(self):
        self.key("t", "ctrl")
        self.hold()
        self.key("t", "ctrl")
        self.note("always on top")

    def page_switch(self, home):
        # Away from the phase's page and back; the sequencing follows the
        # page shown, so a movie that ends meanwhile is followed by one of
        # the other page's: those do not count as played from elsewhere.
        away = time.monotonic()
        if home == "favourites":
            self.click_tab("files")
        else:
            self.key("i", "ctrl")
        time.sleep(self.rng.uniform(0.2, 1.0))
        self.show_page(home)
        # A movie that ends just as the page comes back may still be one of
        # the other page's: a second covers that.
        self.away.append((away, time.monotonic() + 1.0))

    def idle_figures(self):
        """RSS, files and threads with playback stopped (the stop key), so
        that a movie's own files and threads, which differ with and without
        sound, do not count; playback goes on afterwards."""
        self.key("w")
        time.sleep(1.5)
        figures = settled_figures(self.player.pid, 2.0)
        self.next_key()
        return figures

    def tour(self):
        """Every page, mode and action once before the figures are taken,
        so that what they build the first time (a full-screen picture's
        buffers, say) does not count as growth."""
        for page in ("favourites", "search", "files"):
            self.show_page(page)
            time.sleep(2)
        self.next_key()
        time.sleep(0.5)
        for action in (self.full_screen, self.small_mode, self.on_top, self.speed,
                       self.section, self.clear_section, self.scene):
            action()

    def show_page(self, page):
        if page == "favourites":
            self.key("i", "ctrl")
        else:
            self.click_tab(page)
            if page == "search":
                time.sleep(0.2)
                self.pick_first_result()

    def next_key(self):
        self.key("s")
        self.note("next key")

    def random_action(self, home):
        if self.size() != self.normal_size:
            self.drift(f"window {self.size()}, not {self.normal_size}")
            return
        actions = [(self.speed, 6), (self.scene, 10), (self.section, 8), (self.clear_section, 3),
                   (self.small_mode, 3), (self.full_screen, 3), (self.on_top, 3),
                   (lambda: self.page_switch(home), 4)]
        choice = self.rng.choices([a for a, _ in actions], [w for _, w in actions])[0]
        choice()

    # ------------------------------------------------------------ phases

    def run_phase(self, name, home, changes, check, setup=None):
        try:
            self.prepare(setup, home)
            return self.drive_phase(name, home, changes, check)
        except PlayerGone:
            log(f"phase {name}: the player's window is gone")
            return False

    def prepare(self, setup, home):
        if setup == "continuous":
            self.set_play_mode(1)
        elif setup == "search":
            self.set_play_mode(3)
            self.search(self.search_text)
        elif setup == "page":
            self.show_page(home)
        elif setup in ("continuous-page", "random-page"):
            self.set_play_mode(1 if setup == "continuous-page" else 3)
            self.show_page(home)

    def drive_phase(self, name, home, changes, check):
        start = self.watch.count()
        goal = start + changes
        log(f"phase {name}: {changes} movie changes")
        last = time.monotonic()
        while self.watch.count() < goal:
            if not self.alive():
                return False
            seen = self.watch.count()
            # The movies' own ends, and at random moments the next key or
            # another action.
            draw = self.rng.random()
            if draw < 0.45:
                self.next_key()
            elif draw < 0.6:
                self.random_action(home)
            self.watch.wait_beyond(seen, self.rng.uniform(0.05, 0.5))
            if self.watch.count() > seen:
                last = time.monotonic()
            elif time.monotonic() - last > 10:
                # Nothing opened for a while (a stop, a broken file at the
                # end of a list): ask for the next movie as a user would.
                log(f"phase {name}: nothing new for 10 s, pressing next")
                self.nudges += 1
                self.focus()
                self.show_page(home)
                self.next_key()
                last = time.monotonic()
        tracks = self.watch.tracks[start:goal]
        played = [t[1] for t in tracks]
        foreign = [(p, at) for p, at in ((t[1], t[2]) for t in tracks)
                   if not check(p) and not any(a <= at <= b for a, b in self.away)]
        self.foreign += len(foreign)
        for p, at in foreign[:5]:
            back = [b for _, b in self.away if b <= at]
            since = f", {at - back[-1]:.1f} s after the last page switch's allowance" if back else ""
            log(f"phase {name}: {Path(p).name} played, {self.doing_at(at)}{since}")
        log(f"phase {name}: done, {len(foreign)} of {len(played)} movies from elsewhere, "
            f"{sequential_share(played):.0f} % played in list order")
        self.orders[name] = sequential_share(played)
        return True


def sequential_share(paths):
    """How many of the movies followed the one before in the list, in %."""
    numbers = [int(re.search(r"(\d+)\.\w+$", p).group(1)) for p in paths]
    pairs = list(zip(numbers, numbers[1:]))
    return 100 * sum(1 for a, b in pairs if b == a + 1) / max(1, len(pairs))


# ---------------------------------------------------------- state files


INI_LINE = re.compile(rb"^(\[[^\]]+\]|[^=\[]+=.*)$")
FIELD = rb'"(?:[^"]|"")*"'
RECORD_LINE = re.compile(rb"^" + FIELD + rb"(?:," + FIELD + rb")*$")


def bad_lines(path, pattern):
    lines = [l for l in path.read_bytes().split(b"\r\n") if l]
    return [l for l in lines if not pattern.match(l)], lines


def check_state(folder, favourites, scenes, search_results):
    """Every state file in its format; the favourites, the search results
    and the scenes registered all there."""
    problems = []
    files = {"config.ini": INI_LINE, "color.ini": INI_LINE, "dir.ini": RECORD_LINE,
             "searchData.ini": RECORD_LINE, "key.ini": RECORD_LINE}
    files.update({f"seen/{p.name}": RECORD_LINE for p in (folder / "seen").glob("*.txt")})
    for name, pattern in files.items():
        path = folder / name
        if not path.is_file():
            problems.append(f"{name} missing")
            continue
        bad, lines = bad_lines(path, pattern)
        if bad:
            problems.append(f"{name}: {len(bad)} lines out of format, e.g. {bad[0][:60]!r}")
        if name == "key.ini" and len(lines) != 12:
            problems.append(f"key.ini has {len(lines)} lines, not 12")
        if name.startswith("seen/") and len(lines) != 10:
            problems.append(f"{name} has {len(lines)} scene slots, not 10")
    if (folder / "searchData.ini").is_file():
        found = {l.split(b'","')[-1].strip(b'"').decode(errors="replace")
                 for l in (folder / "searchData.ini").read_bytes().splitlines() if l}
        if found != search_results:
            problems.append(f"searchData.ini holds {len(found)} results, not the "
                            f"{len(search_results)} of the search")
    resume = (folder / "resume.ini").read_bytes().splitlines() if (folder / "resume.ini").is_file() else []
    if not resume or not RECORD_LINE.match(resume[0]):
        problems.append("resume.ini does not name a movie")
    lines = set((folder / "okini.ini").read_text(errors="replace").splitlines())
    lost = [p for p in favourites if str(p) not in lines]
    if lost:
        problems.append(f"{len(lost)} favourites lost from okini.ini, e.g. {lost[0]}")
    missing = []
    for movie, slot in scenes:
        path = folder / "seen" / (Path(movie).stem + ".txt")
        records = path.read_bytes().splitlines() if path.exists() else []
        fields = records[slot].split(b'","') if slot < len(records) else []
        if len(fields) < 2 or fields[-1].strip(b'"\r\n') == b"":
            missing.append(f"{Path(movie).name} slot {slot}")
    if missing:
        problems.append(f"{len(missing)} of {len(scenes)} scenes registered are not in their "
                        f"files: {', '.join(missing[:5])}")
    return problems


# ------------------------------------------------------------------ main


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--long", action="store_true", help="1,000 clips, 3,000 movie changes")
    ap.add_argument("--short", action="store_true", help="100 clips, 150 movie changes (default)")
    ap.add_argument("--build", default=str(ROOT / "build"), help="folder with sazanami")
    ap.add_argument("--helper", help="soak_x (default: BUILD/tests/soak_x)")
    ap.add_argument("--media", help="cache folder for the clips (default: a temporary one)")
    ap.add_argument("--changes", type=int, help="movie changes in all")
    ap.add_argument("--seed", type=int, default=int(time.time()))
    ap.add_argument("--keep", action="store_true", help="keep the work folder")
    args = ap.parse_args()
    clips = 1000 if args.long else 100
    changes = args.changes or (3000 if args.long else 150)
    build = Path(args.build).resolve()
    helper = Path(args.helper) if args.helper else build / "tests" / "soak_x"
    for f in (build / "sazanami", helper):
        if not os.access(f, os.X_OK):
            raise SystemExit(f"missing {f}")
    for c in ("Xvfb", "xdpyinfo", "xprop", "openbox", "wmctrl", "dbus-daemon", "dbus-monitor", "pulseaudio",
              "pactl", "ffmpeg"):
        if not shutil.which(c):
            raise SystemExit(f"missing command: {c}")

    work = Path(tempfile.mkdtemp(prefix="sazanami-soak."))
    media = Path(args.media).resolve() if args.media else work / "media"
    log(f"seed {args.seed}, work folder {work}")
    good, broken = distinct_clips(media)
    folder_clips = populate(media / f"clips{clips}", "clip", clips, good, broken)
    favourites = populate(media / f"fav{clips}", "fav", clips, good, broken)
    log(f"{clips} clips and {clips} favourites: hard links to {len(good)} distinct clips "
        f"and {len(broken)} broken ones")

    program = work / "program"
    program.mkdir()
    shutil.copy2(build / "sazanami", program / "sazanami")
    write_config(program, folder_clips[0].parent)
    write_favourites(program, favourites)

    session = Session(work)
    failures = []
    try:
        session.start()
        watch = MovieWatch(session)
        watch.start()
        errlog = open(work / "player.log", "w")
        player = session.spawn([str(program / "sazanami")], stderr=errlog)
        window = None
        end = time.monotonic() + 60
        while not window and time.monotonic() < end and player.poll() is None:
            window = window_of(session.env, player.pid)
            time.sleep(0.1)
        if not window:
            raise SystemExit("the player's window did not appear")
        hands = Hands(helper, session.env)
        pinger = Hands(helper, session.env)
        hands.ask("numlock")
        meter = StallMeter(pinger, window)
        meter.start()
        driver = Driver(args, session, hands, player, window, watch)
        unchecked = broken + [c for c in good if c.name.startswith("1s-")]
        driver.unchecked_names = {p.name for p in folder_clips + favourites
                                  if any(os.path.samefile(p, c) for c in unchecked)}
        time.sleep(2)
        driver.focus()
        driver.normal_size = driver.size()
        driver.tour()
        driver.next_key()

        in_clips = lambda p: Path(p).parent == folder_clips[0].parent
        in_favourites = lambda p: Path(p).parent == favourites[0].parent
        # The heap still grows over the first few dozen movies (a decoder
        # and buffers for each container met, the allocator's arenas) and
        # is flat after: the start figures come after that.
        warm = max(50, changes // 20)
        # A tenth of the clips: the search's results.
        search_text = "clip05" if clips == 1000 else "clip003"
        ok = driver.run_phase("warm-up (folder, random)", "files", warm, in_clips)
        if ok and clips > CACHED_THUMBNAILS:
            # The favourites keep the thumbnails last shown in memory, up to
            # a bound: a long run fills that cache before the start figures.
            ok = driver.run_phase("warm-up (favourites, in a row)", "favourites",
                                  CACHED_THUMBNAILS + 50, in_favourites, "continuous-page")
        start_figures = driver.idle_figures() if ok else None
        log(f"after warm-up: RSS {start_figures[0]} kB, {start_figures[1]} fds, "
            f"{start_figures[2]} threads" if ok else "player died in warm-up")
        rest = changes - warm
        curve = []
        plan = [("folder, random", "files", rest * 3 // 10, in_clips, "random-page"),
                ("folder, continuous", "files", rest * 2 // 10, in_clips, "continuous"),
                ("favourites", "favourites", rest * 3 // 10, in_favourites, "page"),
                ("search result, random", "search", rest - rest * 8 // 10,
                 lambda p: Path(p).name.startswith(search_text), "search")]
        driver.search_text = search_text
        for name, home, n, check, setup in plan:
            if not ok:
                break
            ok = driver.run_phase(name, home, n, check, setup)
            if ok:
                curve.append((name, proc_figures(player.pid)))
        meter.stop()
        end_figures = None
        if ok:
            end_figures = driver.idle_figures()
        alive_at_end = player.poll() is None
        if alive_at_end:
            subprocess.run(["wmctrl", "-i", "-c", window], env=session.env)
            try:
                player.wait(60)
            except subprocess.TimeoutExpired:
                failures.append("the player did not end within 60 s of the window manager's close")
                player.kill()
                player.wait()
        hands.close()
        pinger.close()
        errlog.close()

        # ---------------------------------------------------------- report
        print()
        print("soak results")
        print(f"  movie changes          {watch.count()} (asked for {changes})")
        print(f"  injected actions       " +
              ", ".join(f"{k} {v}" for k, v in sorted(driver.injected.items())))
        print(f"  nudges                 {driver.nudges} (next pressed after 10 s without a change)")
        print(f"  mode keys not taken    {len(driver.lost)}" +
              (": " + "; ".join(driver.lost[:5]) if driver.lost else ""))
        print(f"  window out of step     {len(driver.drifts)}" +
              (": " + "; ".join(driver.drifts[:5]) if driver.drifts else ""))
        if driver.drifts:
            failures.append(f"the window was {len(driver.drifts)} times not as the keys left it")
        crashed = not alive_at_end or (player.returncode not in (0, None))
        print(f"  crashes                {1 if crashed else 0}"
              + (f" (exit status {player.returncode})" if crashed else ""))
        if crashed:
            failures.append(f"the player died (exit status {player.returncode}); see {work}/player.log")
        if meter.samples:
            ms, at = meter.longest
            print(f"  longest stall          {ms:.0f} ms, ended {driver.doing_at(at)} "
                  f"(median ping {statistics.median(meter.samples):.1f} ms, "
                  f"{len(meter.samples)} pings, {meter.unanswered} unanswered within 30 s)")
        if meter.unanswered:
            failures.append(f"{meter.unanswered} pings unanswered for 30 s: the player froze")
        if ok and start_figures and end_figures:
            (r0, f0, t0), (r1, f1, t1) = start_figures, end_figures
            growth = (r1 - r0) / r0 * 100
            print(f"  RSS                    {r0 / 1024:.1f} MiB -> {r1 / 1024:.1f} MiB ({growth:+.1f} %)")
            print(f"  file descriptors       {f0} -> {f1}")
            print(f"  threads                {t0} -> {t1}")
            print("  after each phase       " + ", ".join(
                f"{n}: {f[0] / 1024:.0f} MiB/{f[1]} fds/{f[2]} threads" for n, f in curve))
            if growth >= 10:
                failures.append(f"RSS grew by {growth:.1f} %")
            if f1 > f0:
                failures.append(f"file descriptors grew from {f0} to {f1}")
            if t1 > t0:
                failures.append(f"threads grew from {t0} to {t1}")
        for name, share in driver.orders.items():
            if "continuous" in name and share < 50:
                failures.append(f"continuous play was in list order only {share:.0f} % of the time")
            if "random" in name and share > 50:
                failures.append(f"random play was in list order {share:.0f} % of the time")
        if driver.foreign:
            failures.append(f"{driver.foreign} movies played from outside the phase's list")
        results = {p.name for p in folder_clips if p.name.startswith(search_text)}
        problems = check_state(program, favourites, driver.scenes, results)
        print(f"  scenes registered      {len(driver.scenes)} checked in their files")
        print(f"  state files            {'all parse, nothing lost' if not problems else '; '.join(problems)}")
        failures += problems
        if watch.count() < changes:
            failures.append(f"only {watch.count()} movie changes of {changes}")
    finally:
        session.stop()
        if args.keep or failures:
            print(f"  work folder kept: {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("FAILED: " + "; ".join(failures))
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
