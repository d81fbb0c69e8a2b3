#!/usr/bin/env python3
"""Kill the real game at random moments of every save and check the next start.

Each trial starts the game on the headless engine in a temporary copy of the
game folder, with the player files of a known starting point, drives it by the
engine's input script to one save (the options, the name entry, or a restart
by Alt+Enter or the hide key in play, in the name entry or in the options), and
kills it with SIGKILL just before (or after) one change of the player-files
folder, picked at random among the changes that save makes. The injector
(varnok_fault_injector.so, preloaded) counts those changes: the folder's
contents change only there, so the kill points reach every state a save can
leave on disk, each with the same chance.

After the kill every player file must be whole and either as before the save
or as the save wrote it; a restart record on disk must come with every
snapshot file of its own save; the next start must not crash, must resume the
recorded state (or show the main menu when there is no record) and must not
fall back from a record because its snapshot could not be read.
"""

import argparse
import collections
import concurrent.futures
import os
import queue
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ENTER, ALT, F12, RIGHT, DOWN, KEY_A = 28, 56, 88, 205, 208, 30
GS_PLAYING, GS_MAIN_MENU, GS_LEVEL_INTRO, GS_LEVEL_BUILD, GS_RECORD_NAME = 2, 3, 13, 15, 18
IN_PROGRESS = {2, 12, 13, 14, 15, 17, 18, 19, 22, 23, 25}

SNAPSHOT = ["game.dat", "bp.dat", "fp.dat", "bld.dat", "vgn.dat", "FPT.dat", "E.dat", "hero.dat"]
MANDATORY_SNAPSHOT = ["game.dat", "bp.dat", "fp.dat", "FPT.dat", "E.dat", "hero.dat"]
PLAYER_FILES = ["settings.dat", "records.dat", "boss.dat"] + SNAPSHOT
EXACT_SIZE = {"settings.dat": 20, "records.dat": 160, "boss.dat": 6, "game.dat": 40, "bp.dat": 32, "fp.dat": 32,
              "hero.dat": 3952}
RECORD_SIZE = {"bld.dat": 32, "vgn.dat": 32, "FPT.dat": 56, "E.dat": 480}
# Tick counts (milliseconds of the machine's clock) that no two runs share.
TICK_FIELDS = {"hero.dat": (0, [(80, 96)]), "E.dat": (480, [(4, 20), (76, 80)])}

# Into the options from the main menu: Down, Down, Enter.
TO_OPTIONS = [(10, "tap", DOWN), (12, "tap", DOWN), (14, "tap", ENTER)]
# The name entry's save button, in 0..1 of the frame.
SAVE_BUTTON = (0.34375, 0.729)

# name: (starting point, script lines)
SAVE_PATHS = collections.OrderedDict([
    ("options save", ("menu", TO_OPTIONS + [(20, "tap", DOWN), (24, "tap", RIGHT)])),
    ("options window mode", ("menu", TO_OPTIONS + [(24, "tap", RIGHT)])),
    ("name entry save", ("entry", [(10, "tap", KEY_A), (14, "mouse", SAVE_BUTTON), (18, "click", None)])),
    ("Alt+Enter in play", ("menu", [(10, "tap", ENTER), (40, "down", ALT), (40, "down", ENTER)])),
    ("Alt+Enter in name entry", ("entry", [(10, "tap", KEY_A), (20, "down", ALT), (20, "down", ENTER)])),
    ("Alt+Enter in options", ("menu", TO_OPTIONS + [(24, "down", ALT), (24, "down", ENTER)])),
    ("hide key in play", ("menu_fs", [(10, "tap", ENTER), (40, "down", ALT), (40, "tap", F12)])),
    ("hide key in name entry", ("entry_fs", [(10, "tap", KEY_A), (20, "down", ALT), (20, "tap", F12)])),
    ("hide key in options", ("menu_fs", TO_OPTIONS + [(24, "down", ALT), (24, "tap", F12)])),
])

GOOD = ["unchanged", "partial, menu", "saved", "resumed"]
BAD = ["damaged", "inconsistent", "crash", "wrong screen"]
COLUMNS = GOOD + BAD + ["missed", "temp left"]


def script_text(lines, quit_frame=400):
    out = []
    for frame, command, arg in lines:
        if command == "mouse":
            out.append(f"{frame} mouse {arg[0]} {arg[1]}")
        elif arg is None:
            out.append(f"{frame} {command}")
        else:
            out.append(f"{frame} {command} {arg}")
    out.append(f"{quit_frame} quit")
    return "\n".join(out) + "\n"


# The next start: activated (a hidden game waits for it), then quit once the
# engine has surely opened (a busy machine takes a while to load it).
VERIFY_SCRIPT = "5 activate\n50 quit\n"


class Folder:
    """One temporary copy of the game folder, used by one trial at a time."""

    def __init__(self, game, root, index):
        self.path = os.path.join(root, f"game{index}")
        shutil.copytree(game, self.path, symlinks=True)
        self.data = os.path.realpath(os.path.join(self.path, "data"))
        self.exe = os.path.realpath(os.path.join(self.path, "varnok"))

    def player_files(self):
        files = {}
        for name in PLAYER_FILES:
            p = os.path.join(self.data, name)
            files[name] = open(p, "rb").read() if os.path.isfile(p) else None
        return files

    def leftovers(self, marker):
        return sorted(n for n in os.listdir(self.data) if marker in n)

    def reset(self, files):
        shutil.rmtree(os.path.join(self.data, "replays"), ignore_errors=True)
        for name in os.listdir(self.data):
            if name in PLAYER_FILES or ".tmp" in name or name.endswith(".bad") or name.endswith(".lock"):
                os.remove(os.path.join(self.data, name))
        for name in ("ops.log", "engine.log", "verify.png", "stderr.txt", "verify.err"):
            if os.path.exists(os.path.join(self.path, name)):
                os.remove(os.path.join(self.path, name))
        for name in os.listdir(self.path):
            if name.startswith("ops.log."):
                os.remove(os.path.join(self.path, name))
        for name, data in files.items():
            if data is not None:
                with open(os.path.join(self.data, name), "wb") as f:
                    f.write(data)

    def processes(self):
        """Game processes started from this folder (a relaunched game among them)."""
        found = []
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                if os.readlink(f"/proc/{pid}/exe") == self.exe:
                    found.append(int(pid))
            except OSError:
                pass
        return found

    def wait_for_relaunched(self, seconds=40):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if not self.processes():
                return True
            time.sleep(0.1)
        for pid in self.processes():
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        return False

    def run(self, scripts, injector=None, fault=None, seed=1, timeout=60, err="stderr.txt"):
        env = {"PATH": "/usr/bin:/bin", "HOME": self.path, "VARNOK_ENGINE": "headless",
               "VARNOK_ENGINE_SCRIPT": ":".join(os.path.join(self.path, s) for s in scripts),
               "VARNOK_ENGINE_LOG": os.path.join(self.path, "engine.log"), "VARNOK_NO_DIALOGS": "1",
               "SDL_AUDIODRIVER": "dummy", "VARNOK_SEED": str(seed)}
        if injector:
            env.update({"LD_PRELOAD": injector, "VARNOK_FAULT_DIR": self.data,
                        "VARNOK_FAULT_LOG": os.path.join(self.path, "ops.log")})
            env.update(fault or {})
        with open(os.path.join(self.path, err), "wb") as errors:
            proc = subprocess.Popen([self.exe], cwd="/", env=env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=errors)
            try:
                return proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
                return "timeout"

    def write(self, name, text):
        with open(os.path.join(self.path, name), "w") as f:
            f.write(text)

    def read(self, name):
        p = os.path.join(self.path, name)
        return open(p, "rb").read().decode(errors="replace") if os.path.exists(p) else ""


def operations(folder):
    """The injector's log: [(n, op, path, target)]."""
    ops = []
    for line in folder.read("ops.log").splitlines():
        parts = line.split(" ")
        if len(parts) >= 3:
            ops.append((int(parts[0]), parts[1], parts[2], parts[3] if len(parts) > 3 else None))
    return ops


def committed(folder, ops, first):
    """What the save put in place: the last rename into or removal of each file."""
    done = {}
    for n, op, path, target in ops:
        if n < first:
            continue
        if op == "rename" and target:
            name = os.path.basename(target)
            kept = os.path.join(folder.path, f"ops.log.{n}")
            if name in PLAYER_FILES and os.path.exists(kept):
                done[name] = open(kept, "rb").read()
        elif op == "unlink":
            name = os.path.basename(path)
            if name in PLAYER_FILES:
                done[name] = None
    return done


def first_state(log):
    """The first game state the first engine instance of the log showed."""
    opened = False
    for line in log.splitlines():
        parts = line.split()
        if len(parts) >= 2 and parts[1] == "open":
            opened = True
        elif opened and len(parts) >= 3 and parts[1] == "gamestate":
            return int(parts[2])
    return None


def whole(name, data):
    if data is None:
        return True
    if name in EXACT_SIZE:
        return len(data) == EXACT_SIZE[name]
    return len(data) % RECORD_SIZE[name] == 0


def masked(name, data):
    if data is None or name not in TICK_FIELDS:
        return data
    record, spans = TICK_FIELDS[name]
    out = bytearray(data)
    step = record or len(out)
    for base in range(0, len(out), step):
        for a, b in spans:
            out[base + a:base + b] = bytes(b - a)
    return bytes(out)


def expected_screen(record):
    if record is None:
        return GS_MAIN_MENU
    state = record[1]
    return GS_PLAYING if state in (GS_LEVEL_INTRO, GS_LEVEL_BUILD) else state


class Campaign:
    def __init__(self, args):
        self.args = args
        self.root = tempfile.mkdtemp(prefix="varnok-faults-")
        self.failures = os.path.join(tempfile.gettempdir(), os.path.basename(self.root) + "-failures")
        self.folders = queue.Queue()
        for i in range(args.jobs):
            self.folders.put(Folder(args.game, self.root, i))
        self.bases = {}
        self.plans = {}

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)

    # -- starting points -------------------------------------------------
    def make_bases(self):
        folder = self.folders.get()
        try:
            # The default files, as a first start writes them.
            folder.reset({})
            folder.write("quit.script", "5 quit\n")
            folder.run(["quit.script"])
            defaults = folder.player_files()
            # An older snapshot, as a restart resumed long ago leaves it (another
            # level: every trial's own save differs from it).
            folder.write("old.script", script_text([(30, "tap", ENTER), (40, "down", RIGHT), (80, "up", RIGHT),
                                                    (100, "down", ALT), (100, "down", ENTER)]))
            folder.write("resume.script", "5 quit\n")
            folder.run(["old.script", "resume.script"], seed=self.args.seed + 7919)
            folder.wait_for_relaunched()
            older = folder.player_files()
            snapshot = {n: older[n] for n in SNAPSHOT}
            if any(snapshot[n] is None for n in MANDATORY_SNAPSHOT):
                sys.exit("fault campaign: could not make the starting snapshot:\n" + folder.read("stderr.txt"))
        finally:
            self.folders.put(folder)

        def settings(windowed):
            s = bytearray(defaults["settings.dat"])
            s[0] = windowed
            return bytes(s)

        menu = dict(snapshot, **{"settings.dat": settings(1), "records.dat": defaults["records.dat"]})
        # The name entry after a run that beat the best score, carried over a restart.
        header = bytearray(snapshot["game.dat"])
        header[8:12] = (5000).to_bytes(4, "little", signed=True)
        header[12:16] = (1).to_bytes(4, "little", signed=True)
        header[28:39] = bytes([3]) + b"ACE" + bytes(7)
        entry = dict(menu, **{"game.dat": bytes(header), "boss.dat": bytes([1, GS_RECORD_NAME, 0, 1, 0, 0])})
        self.bases = {"menu": menu, "menu_fs": dict(menu, **{"settings.dat": settings(0)}),
                      "entry": entry, "entry_fs": dict(entry, **{"settings.dat": settings(0)})}

    # -- what each save does when nothing stops it ------------------------
    def plan(self, name):
        base, lines = SAVE_PATHS[name]
        folder = self.folders.get()
        try:
            def dry(fault):
                folder.reset(self.bases[base])
                folder.write("save.script", script_text(lines))
                folder.write("verify.script", VERIFY_SCRIPT)
                folder.run(["save.script", "verify.script"], self.args.injector, fault, self.args.seed)
                folder.wait_for_relaunched()
                return operations(folder), folder.player_files()

            ops, _ = dry({})
            starts = [n for n, op, path, _ in ops if op == "open" and ".tmp" in path]
            if not starts:
                sys.exit(f"fault campaign: {name}: the game saved nothing:\n" + folder.read("stderr.txt"))
            first, last = starts[0], ops[-1][0]
            _, old = dry({"VARNOK_FAULT_KILL_BEFORE": str(first)})
            _, clean1 = dry({"VARNOK_FAULT_KILL_AFTER": str(last)})
            _, clean2 = dry({"VARNOK_FAULT_KILL_AFTER": str(last)})
            # Only what two clean saves agree on is compared byte for byte.
            clean = {n: clean1[n] for n in PLAYER_FILES if masked(n, clean1[n]) == masked(n, clean2[n])}
            self.plans[name] = {"base": base, "lines": lines, "first": first, "last": last, "old": old,
                                "clean": clean}
        finally:
            self.folders.put(folder)

    # -- one trial --------------------------------------------------------
    def trial(self, name, point):
        plan = self.plans[name]
        folder = self.folders.get()
        try:
            outcome, why, temp_left = self.check(folder, plan, point)
            if outcome in BAD or outcome == "missed":
                # What the trial left, for a look afterwards.
                keep = os.path.join(self.failures, f"{name.replace(' ', '_')}-{point}-{time.time_ns()}")
                os.makedirs(keep)
                for f in ("engine.log", "stderr.txt", "verify.err", "ops.log", "save.script"):
                    if os.path.exists(os.path.join(folder.path, f)):
                        shutil.copy(os.path.join(folder.path, f), keep)
                why += f" (kept in {keep})"
            return outcome, why, temp_left
        finally:
            self.folders.put(folder)

    def check(self, folder, plan, point):
        folder.reset(self.bases[plan["base"]])
        folder.write("save.script", script_text(plan["lines"]))
        folder.write("verify.script", VERIFY_SCRIPT)
        fault = ({"VARNOK_FAULT_KILL_AFTER": str(plan["last"])} if point > plan["last"]
                 else {"VARNOK_FAULT_KILL_BEFORE": str(point)})
        status = folder.run(["save.script", "verify.script"], self.args.injector, fault, self.args.seed)
        if status != -signal.SIGKILL:
            folder.wait_for_relaunched()
            return "missed", f"not killed at {point} (exit {status})", False
        after = folder.player_files()
        done = committed(folder, operations(folder), plan["first"])
        old, clean = plan["old"], plan["clean"]

        for n in PLAYER_FILES:
            allowed = [old[n]] + ([done[n]] if n in done else [])
            if after[n] not in allowed:
                return "damaged", f"{n}: neither as before nor as the save wrote it", False
            if not whole(n, after[n]):
                return "damaged", f"{n}: {len(after[n])} bytes", False
            if n in done and n in clean and masked(n, done[n]) != masked(n, clean[n]):
                return "damaged", f"{n}: not what a clean save writes", False

        record = after["boss.dat"] if after["boss.dat"] != old["boss.dat"] else None
        if record is not None and record[1] in IN_PROGRESS:
            for n in MANDATORY_SNAPSHOT:
                if n not in done or after[n] != done[n]:
                    return "inconsistent", f"the restart record came before {n}", False
            for n in ("bld.dat", "vgn.dat"):
                if n in done and after[n] != done[n]:
                    return "inconsistent", f"the restart record came before {n}", False

        # The next start.
        with open(os.path.join(folder.path, "engine.log"), "w"):
            pass
        status = folder.run(["verify.script"], err="verify.err", timeout=40)
        relaunched_ok = folder.wait_for_relaunched()
        errors = folder.read("verify.err")
        temp_left = bool(folder.leftovers(".tmp"))
        if status != 0 or not relaunched_ok:
            return "crash", f"next start ended with {status}: {errors[-300:]}", temp_left
        if folder.leftovers(".bad"):
            return "damaged", "the next start set a file aside as damaged", temp_left
        shown = first_state(folder.read("engine.log"))
        if record is not None and record[1] in IN_PROGRESS and "could not be resumed" in errors:
            return "inconsistent", "the snapshot of the record could not be read", temp_left
        if shown != expected_screen(after["boss.dat"]):
            return "wrong screen", f"next start showed {shown}, expected {expected_screen(after['boss.dat'])}", temp_left

        if all(after[n] == old[n] for n in PLAYER_FILES):
            return "unchanged", "", temp_left
        if record is not None:
            return "resumed", "", temp_left
        if any(n in done and after[n] == done[n] and done[n] != old[n] for n in ("settings.dat", "records.dat")):
            if all(after[n] == old[n] for n in SNAPSHOT):
                return "saved", "", temp_left
        return "partial, menu", "", temp_left


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    build = os.path.join(here, "..", "..", "build")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--trials", type=int, default=1000)
    parser.add_argument("--jobs", type=int, default=3, help="games run side by side")
    parser.add_argument("--seed", type=int, default=20261209, help="picks the kill points and the levels")
    parser.add_argument("--game", default=os.path.join(build, "game"))
    parser.add_argument("--injector", default=os.path.join(build, "tests", "varnok_fault_injector.so"))
    parser.add_argument("--paths", default="", help="comma-separated save paths (default: all)")
    args = parser.parse_args()
    args.game = os.path.abspath(args.game)
    args.injector = os.path.abspath(args.injector)
    for need in (os.path.join(args.game, "varnok"), args.injector):
        if not os.path.exists(need):
            sys.exit(f"fault campaign: {need} is missing (build the game and varnok_fault_injector first)")
    names = [n for n in SAVE_PATHS if not args.paths or n in args.paths.split(",")]
    if not names:
        sys.exit("fault campaign: no such save path; there are: " + ", ".join(SAVE_PATHS))

    campaign = Campaign(args)
    started = time.time()
    try:
        campaign.make_bases()
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            list(pool.map(campaign.plan, names))
        print(f"starting points and clean saves ready in {time.time() - started:.0f} s", flush=True)
        for n in names:
            p = campaign.plans[n]
            print(f"{n}: changes {p['first']}..{p['last']} of the folder belong to the save", flush=True)
        rng = random.Random(args.seed)
        trials = []
        for i in range(args.trials):
            n = names[i % len(names)]
            p = campaign.plans[n]
            trials.append((n, rng.randint(p["first"], p["last"] + 1)))
        counts = collections.defaultdict(collections.Counter)
        failures = []
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            futures = {pool.submit(campaign.trial, n, k): (n, k) for n, k in trials}
            for done, future in enumerate(concurrent.futures.as_completed(futures), 1):
                n, k = futures[future]
                outcome, why, temp_left = future.result()
                counts[n][outcome] += 1
                counts[n]["temp left"] += temp_left
                if outcome in BAD or outcome == "missed":
                    failures.append(f"{n}, kill point {k}: {outcome}: {why}")
                if done % 50 == 0:
                    print(f"{done}/{len(trials)} trials", flush=True)
    finally:
        campaign.close()

    width = max(len(n) for n in names) + 2
    print()
    print("save path".ljust(width) + "trials".rjust(7) + "".join(c.rjust(max(len(c), 5) + 2) for c in COLUMNS))
    total = collections.Counter()
    for n in names:
        c = counts[n]
        trials_here = sum(c[o] for o in GOOD + BAD + ["missed"])
        total.update(c)
        print(n.ljust(width) + str(trials_here).rjust(7) + "".join(str(c[o]).rjust(max(len(o), 5) + 2) for o in COLUMNS))
    print("all".ljust(width) + str(sum(total[o] for o in GOOD + BAD + ["missed"])).rjust(7) +
          "".join(str(total[o]).rjust(max(len(o), 5) + 2) for o in COLUMNS))
    print(f"\n{len(trials)} trials in {time.time() - started:.0f} s")
    for line in failures:
        print(line)
    return 1 if any(total[o] for o in BAD) or total["missed"] else 0


if __name__ == "__main__":
    sys.exit(main())
