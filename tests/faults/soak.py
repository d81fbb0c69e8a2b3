#!/usr/bin/env python3
"""Soak: the real game plays by itself for half an hour while its memory is watched.

The game runs on the headless engine in a temporary copy of the game folder,
pointed at a local score server (build/scored on 127.0.0.1). An input script
plays: the hero walks right firing and jumping, so he clears levels and dies;
lost runs that beat the table are entered with a name, saved and sent to the
server. Runs of the game follow one another as a restart chain: Alt+Enter
into full screen, the hide key there (the game comes back minimised and is
activated), Alt+Enter back into a window, and in the window the hide key
minimises, mutes and pauses until the window is restored. Every 10 s the resident
memory and the open descriptors of the running game process are read from
/proc; the curve's start, end and peak are printed, for the whole soak and for
each process.
"""

import argparse
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

FPS = 1 / 0.015
ENTER, ALT, CTRL, F12, UP, RIGHT, KEY_A, PAUSE = 28, 56, 29, 88, 200, 205, 30, 197


def frame_point(x, y):
    """Engine units (x -16..16, y -12..12) as 0..1 of the frame."""
    return (x + 16) / 32, (12 - y) / 24


START_ITEM = frame_point(9, 2.75)       # main menu "start"
SAVE_BUTTON = frame_point(-5, -5.5)     # name entry "OK"
YES_BUTTON = frame_point(-1.5, -2.65)   # dialog "yes": send the score


def autoplay(frames, first=5, activate=False, hide_in_window=False, end=None):
    """Lines of one process's script. Every click lands on nothing in the other screens."""
    lines = []
    if activate:
        lines.append("3 activate")
    lines += [f"{first} down {RIGHT}", f"{first} down {CTRL}"]
    # Up with Right held aims up: Right is let go for the jump and held again in the air.
    for f in range(first + 40, frames - 60, 45):
        lines += [f"{f} up {RIGHT}", f"{f + 1} tap {UP}", f"{f + 4} down {RIGHT}"]
    for f in range(first + 20, frames - 120, 150):
        lines += [f"{f} mouse {START_ITEM[0]:.4f} {START_ITEM[1]:.4f}", f"{f + 2} click",
                  f"{f + 40} tap {KEY_A}",
                  f"{f + 50} mouse {SAVE_BUTTON[0]:.4f} {SAVE_BUTTON[1]:.4f}", f"{f + 52} click",
                  f"{f + 80} mouse {YES_BUTTON[0]:.4f} {YES_BUTTON[1]:.4f}", f"{f + 82} click"]
    if hide_in_window:
        # The hide key wants Alt alone: the fire key is let go around it.
        mid = frames // 2
        lines += [f"{mid} up {CTRL}", f"{mid + 2} down {ALT}", f"{mid + 3} tap {F12}", f"{mid + 5} up {ALT}",
                  f"{mid + 300} restore", f"{mid + 305} down {CTRL}", f"{mid + 310} tap {PAUSE}"]
    end_at = frames
    if end == "alt-enter":
        lines += [f"{end_at} down {ALT}", f"{end_at} down {ENTER}"]
    elif end == "hide":
        lines += [f"{end_at - 4} up {CTRL}", f"{end_at} down {ALT}", f"{end_at} tap {F12}"]
    lines.append(f"{end_at + 400} quit")  # only if the restart did not happen
    if end is None:
        lines[-1] = f"{end_at} quit"
    return "\n".join(lines) + "\n"


def chain(process_frames):
    """One restart chain: window, full screen, hidden and activated full screen, window again."""
    return [autoplay(process_frames, end="alt-enter"),
            autoplay(process_frames, end="hide"),
            autoplay(process_frames, activate=True, end="alt-enter"),
            autoplay(process_frames, hide_in_window=True)]


def records_anyone_beats():
    """A records table of low scores, so that most lost runs enter it."""
    table = b""
    for rank in range(10):
        name = b"SOAK"
        table += bytes([len(name)]) + name + bytes(10 - len(name)) + b"\0" + (10 - rank).to_bytes(4, "little")
    return table


def game_processes(exe):
    found = []
    for pid in os.listdir("/proc"):
        if pid.isdigit():
            try:
                if os.readlink(f"/proc/{pid}/exe") == exe:
                    found.append(int(pid))
            except OSError:
                pass
    return found


def sample(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            rss = int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))
        fds = len(os.listdir(f"/proc/{pid}/fd"))
        return rss, fds
    except (OSError, AttributeError):
        return None


def start_scored(binary, folder):
    out = open(os.path.join(folder, "scored.out"), "w+")
    proc = subprocess.Popen([binary, "--listen", "127.0.0.1:0", "--db", os.path.join(folder, "scores.db")],
                            stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
    for _ in range(500):
        out.seek(0)
        m = re.search(r"listening on 127\.0\.0\.1:(\d+)", out.read())
        if m:
            return proc, f"127.0.0.1:{m.group(1)}"
        if proc.poll() is not None:
            break
        time.sleep(0.02)
    proc.kill()
    sys.exit("soak: the score server did not start")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    build = os.path.join(here, "..", "..", "build")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--minutes", type=float, default=30)
    parser.add_argument("--process-minutes", type=float, default=5, help="how long each game process plays")
    parser.add_argument("--game", default=os.path.join(build, "game"))
    parser.add_argument("--scored", default=os.path.join(build, "scored"))
    parser.add_argument("--seed", type=int, default=20261209)
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder (logs, database)")
    args = parser.parse_args()
    for need in (os.path.join(args.game, "varnok"), args.scored):
        if not os.path.exists(need):
            sys.exit(f"soak: {need} is missing (build varnok, assets and scored first)")

    root = tempfile.mkdtemp(prefix="varnok-soak-")
    game = os.path.join(root, "game")
    shutil.copytree(args.game, game, symlinks=True)
    exe = os.path.realpath(os.path.join(game, "varnok"))
    data = os.path.join(game, "data")
    log = os.path.join(root, "engine.log")
    scored, address = start_scored(os.path.abspath(args.scored), root)
    process_frames = max(600, int(args.process_minutes * 60 * FPS))
    print(f"soak: {args.minutes:g} minutes, a process plays {process_frames} frames; score server {address}",
          flush=True)

    samples = []  # (seconds, pid, rss KiB, fds)
    started = time.time()
    deadline = started + args.minutes * 60
    next_sample = started
    chains = 0
    failures = []
    try:
        while time.time() < deadline:
            left = deadline - time.time()
            frames = min(process_frames, max(600, int(left / 4 * FPS)))
            scripts = chain(frames)
            names = []
            for i, text in enumerate(scripts):
                name = os.path.join(root, f"chain{chains}-{i}.script")
                with open(name, "w") as f:
                    f.write(text)
                names.append(name)
            for name in os.listdir(data):
                if name in ("settings.dat", "boss.dat") or ".tmp" in name:
                    os.remove(os.path.join(data, name))
            with open(os.path.join(data, "records.dat"), "wb") as f:
                f.write(records_anyone_beats())
            env = {"PATH": "/usr/bin:/bin", "HOME": root, "VARNOK_ENGINE": "headless",
                   "VARNOK_ENGINE_SCRIPT": ":".join(names), "VARNOK_ENGINE_LOG": log, "VARNOK_NO_DIALOGS": "1",
                   "SDL_AUDIODRIVER": "dummy", "VARNOK_SCORE_SERVER": address,
                   "VARNOK_SEED": str(args.seed + chains)}
            errors = open(os.path.join(root, f"chain{chains}.err"), "w")
            first = subprocess.Popen([exe], cwd="/", env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=errors)
            # The chain ends when no process of it is left (the first one, then each relaunched one).
            chain_limit = time.time() + 4 * frames / FPS + 240
            while True:
                first.poll()
                pids = game_processes(exe)
                now = time.time()
                if not pids and first.returncode is not None:
                    break
                if now > chain_limit:
                    failures.append(f"chain {chains} did not end in time")
                    for pid in pids:
                        os.kill(pid, signal.SIGKILL)
                    break
                if now >= next_sample and pids:
                    for pid in pids:
                        s = sample(pid)
                        if s:
                            samples.append((now - started, pid, s[0], s[1]))
                            print(f"{now - started:7.0f} s  pid {pid:7d}  {s[0] / 1024:7.1f} MiB  {s[1]:3d} fds",
                                  flush=True)
                    next_sample += 10
                time.sleep(0.2)
            if first.returncode not in (0, None):
                failures.append(f"chain {chains}: the first process ended with {first.returncode}")
            chains += 1
    finally:
        scored.send_signal(signal.SIGTERM)
        try:
            scored.wait(10)
        except subprocess.TimeoutExpired:
            scored.kill()

    text = open(log, errors="replace").read() if os.path.exists(log) else ""
    states = re.findall(r"^\d+ gamestate (\d+)$", text, re.M)
    count = lambda s: sum(1 for x in states if x == str(s))
    try:
        stored = sqlite3.connect(os.path.join(root, "scores.db")).execute("select count(*) from scores").fetchone()[0]
    except sqlite3.Error as error:
        stored = f"? ({error})"
    for name in sorted(os.listdir(root)):
        if name.endswith(".err"):
            crash = [l for l in open(os.path.join(root, name), errors="replace") if "rror" in l or "signal" in l]
            failures += [f"{name}: {l.strip()}" for l in crash[:5]]

    print(f"\nsoak: {(time.time() - started) / 60:.1f} minutes, {len(set(p for _, p, _, _ in samples))} game processes "
          f"in {chains} restart chains")
    print(f"levels built {count(15)}, lives lost or levels ended {count(13)}, games lost {count(21)}, "
          f"name entries {count(18)}, submissions {count(24)}, scores the server stored {stored}")
    if samples:
        def figures(rows, what):
            rss = [r[2] / 1024 for r in rows]
            fds = [r[3] for r in rows]
            print(f"{what}: resident memory start {rss[0]:.1f} MiB, end {rss[-1]:.1f} MiB, peak {max(rss):.1f} MiB; "
                  f"descriptors start {fds[0]}, end {fds[-1]}, peak {max(fds)}")
        # A process's first 30 s are its start-up and first level build.
        begun = {}
        for t, pid, _, _ in samples:
            begun.setdefault(pid, t)
        settled = [r for r in samples if r[0] - begun[r[1]] >= 30]
        figures(settled or samples, "whole soak (each process from 30 s on)")
        for pid in sorted(begun, key=begun.get):
            rows = [r for r in settled if r[1] == pid]
            if rows:
                figures(rows, f"  process {pid} ({len(rows)} samples)")
    for f in failures:
        print("soak:", f)
    if args.keep:
        print("soak: files kept in", root)
    else:
        shutil.rmtree(root, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
