#!/usr/bin/env python3
"""Times a hiding run of Vantric under Wine against a floor and attrib.

    bench/wine_bench.py --vantric build/win64/Vantric.exe \
        --floor build/win64/bench_floor.exe --work build/bench/wine

For each desktop size the user's desktop of a throwaway prefix (made by
bench/make-prefix.sh) is filled with that many entries, and every program
hides them, run after run, in an order that rotates each round:

  vantric  the toggle itself: a hiding run, with its fixed work besides the
           sweep (resolving both desktops, sweeping the empty all-users
           desktop, copying itself to the desktop as the toggle file,
           notifying the shell, looking for the desktop window);
  floor    bench/floor.cpp: enumerates the desktop and sets the hidden bit of
           every entry, nothing else;
  attrib   Wine's own `cmd /c attrib +h /d <desktop>\\*`;
  candidate  with --candidate, another build of the toggle (to time a
           change against the current one in the same run).

Before every run the desktop is put back: the hidden bits are cleared (Wine
keeps them in the user.DOSATTRIB extended attribute) and toggle files are
removed. After every run the desktop is checked: every entry must be hidden
and the exit code 0, or the benchmark stops.

The time of a run is the wall time of the Wine process, start-up included;
one wineserver stays up for the whole benchmark. Because other work shares
the machine, the CPU time of the run is reported too: the program's own
(with the children it waited for) plus what the wineserver spent meanwhile
(in 10 ms ticks), which waiting for a busy CPU does not inflate. Wine starts
a child process detached (fork twice), so attrib.exe's own CPU time is lost
to cmd.exe: no CPU time is given for attrib. The marginal
time per entry at size N is (median(N) - median(0)) / N, the cost of one more
entry without the fixed start-up.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TOGGLE_FILES = ("Show icons.exe", "Hide icons.exe")
# Programs whose whole work happens in the process that is waited for.
SINGLE_PROCESS = ("vantric", "candidate", "floor")
TOGGLES = ("vantric", "candidate")
HIDDEN = 0x2


def parse_args():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--vantric", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--work", required=True, help="folder of the throwaway prefix")
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--sizes", default="0,100,1000,10000")
    parser.add_argument("--runs", type=int, default=15, help="timed runs per program and size (at least 5)")
    parser.add_argument("--programs", default="vantric,floor,attrib",
                        help="comma-separated: vantric, floor, attrib, candidate")
    parser.add_argument("--candidate", help="another build of the toggle to time beside vantric (A/B)")
    parser.add_argument("--make-prefix", default=os.path.join(here, "make-prefix.sh"))
    args = parser.parse_args()
    if args.runs < 5:
        parser.error("--runs must be at least 5")
    return args


def wine_environment(work):
    env = dict(os.environ)
    env.update(
        WINEPREFIX=os.path.join(work, "prefix"),
        HOME=os.path.join(work, "home"),
        WINEDEBUG="-all",
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
    )
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return env


def entry_names(count):
    # Mostly shortcuts, one folder in twenty, like a crowded desktop.
    return [(f"Folder {i:05d}", True) if i % 20 == 0 else (f"Shortcut {i:05d}.lnk", False) for i in range(count)]


def fill_desktop(desktop, count):
    for name in os.listdir(desktop):
        path = os.path.join(desktop, name)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        else:
            os.remove(path)
    names = []
    for name, is_folder in entry_names(count):
        path = os.path.join(desktop, name)
        if is_folder:
            os.mkdir(path)
        else:
            with open(path, "wb") as f:
                f.write(b"L\0\0\0" + bytes(72))
        names.append(name)
    return names


TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


def cpu_ticks(pid):
    # utime and stime of /proc/PID/stat, after the parenthesised name.
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def dos_attributes(path):
    try:
        return int(os.getxattr(path, "user.DOSATTRIB", follow_symlinks=False).split(b"\0")[0], 16)
    except OSError:
        return 0


def restore_desktop(desktop, names):
    for name in TOGGLE_FILES:
        path = os.path.join(desktop, name)
        if os.path.exists(path):
            os.remove(path)
    for name in names:
        try:
            os.removexattr(os.path.join(desktop, name), "user.DOSATTRIB")
        except OSError:
            pass
    visible = sum(1 for name in names if not dos_attributes(os.path.join(desktop, name)) & HIDDEN)
    if visible != len(names):
        sys.exit(f"could not make the desktop visible again: {len(names) - visible} entries stay hidden")
    # Write the journal of these changes now, not during the next run.
    os.sync()


def check_hidden(desktop, names, program, returncode, errors):
    if returncode != 0:
        sys.exit(f"{program} exited with {returncode}: {errors.decode(errors='replace')}")
    visible = [name for name in names if not dos_attributes(os.path.join(desktop, name)) & HIDDEN]
    if visible:
        sys.exit(f"{program} left {len(visible)} of {len(names)} entries visible, e.g. {visible[:3]}")
    if program in TOGGLES and not os.path.exists(os.path.join(desktop, "Show icons.exe")):
        sys.exit(f"{program} did not leave 'Show icons.exe' on the desktop")


def main():
    args = parse_args()
    work = os.path.realpath(args.work)
    env = wine_environment(work)
    wineserver = os.path.join(os.path.dirname(args.wine), "wineserver")

    desktop = subprocess.run(
        [args.make_prefix, work], check=True, stdout=subprocess.PIPE, env=dict(env, WINE=args.wine)
    ).stdout.decode().strip()
    if not os.path.realpath(desktop).startswith(work + os.sep):
        sys.exit(f"refusing to use {desktop}: it is not inside {work}")
    user = os.path.basename(os.path.dirname(desktop))
    windows_desktop = f"C:\\users\\{user}\\Desktop"

    commands = {
        "vantric": [args.wine, os.path.realpath(args.vantric)],
        "floor": [args.wine, os.path.realpath(args.floor)],
        "attrib": [args.wine, "cmd", "/c", "attrib", "+h", "/d", windows_desktop + "\\*"],
    }
    if args.candidate:
        commands["candidate"] = [args.wine, os.path.realpath(args.candidate)]
    programs = args.programs.split(",")
    unknown = [program for program in programs if program not in commands]
    if unknown:
        sys.exit(f"unknown programs {unknown} (candidate needs --candidate)")
    sizes = [int(size) for size in args.sizes.split(",")]

    # One server for every run, so no run pays for starting it; in the
    # foreground, so that its CPU time can be read.
    subprocess.run([wineserver, "-k"], env=env, stderr=subprocess.DEVNULL)
    server = subprocess.Popen([wineserver, "-f", "-p"], env=env)
    times = {}
    cpu_times = {}
    try:
        for size in sizes:
            names = fill_desktop(desktop, size)
            print(f"{size} entries: ", end="", flush=True)
            for round_number in range(args.runs + 1):  # round 0 warms the caches and is not counted
                shift = round_number % len(programs)
                for program in programs[shift:] + programs[:shift]:
                    restore_desktop(desktop, names)
                    # Output goes to a file, not a pipe: Wine's helper processes
                    # inherit it and would keep a pipe open after the run.
                    with tempfile.TemporaryFile() as errors:
                        server_before = cpu_ticks(server.pid)
                        start = time.perf_counter()
                        process = subprocess.Popen(commands[program], env=env, stdout=subprocess.DEVNULL,
                                                   stderr=errors)
                        _, status, usage = os.wait4(process.pid, 0)
                        elapsed = time.perf_counter() - start
                        process.returncode = os.waitstatus_to_exitcode(status)
                        server_cpu = (cpu_ticks(server.pid) - server_before) / TICKS_PER_SECOND
                        errors.seek(0)
                        check_hidden(desktop, names, program, process.returncode, errors.read())
                    if round_number > 0:
                        times.setdefault((program, size), []).append(elapsed)
                        cpu_times.setdefault((program, size), []).append(
                            usage.ru_utime + usage.ru_stime + server_cpu)
                print(".", end="", flush=True)
            print()
    finally:
        subprocess.run([wineserver, "-k"], env=env)
        server.wait()

    print()
    print(f"Wine {subprocess.run([args.wine, '--version'], stdout=subprocess.PIPE).stdout.decode().strip()}, "
          f"{args.runs} runs per program and size, programs alternating run by run.")
    print("wall: wall time of the run; CPU: CPU time of the program and of the wineserver during the run.")
    print("ratio: median of the round-by-round ratios to the floor (runs of one round are back to back,")
    print("so a machine that slows down or speeds up over the benchmark cancels out).")
    print("per entry: marginal, (median at N - median at 0) / N.")
    print()
    print("| entries | program | wall median ms | wall min-max ms | wall ratio to floor | CPU median ms "
          "| CPU ratio to floor | wall us/entry | CPU us/entry |")
    print("|--:|---|--:|--:|--:|--:|--:|--:|--:|")

    def paired_ratio(table, program, size):
        return statistics.median(a / b for a, b in zip(table[(program, size)], table[("floor", size)]))

    def per_entry(table, program, size):
        if size == 0 or (program, 0) not in table:
            return "-"
        marginal = statistics.median(table[(program, size)]) - statistics.median(table[(program, 0)])
        return f"{marginal / size * 1e6:.1f}"

    for size in sizes:
        for program in programs:
            wall = times[(program, size)]
            cpu = cpu_times[(program, size)]
            wall_ratio = cpu_ratio = "-"
            if "floor" in programs:
                wall_ratio = f"{paired_ratio(times, program, size):.3f}"
            cpu_median = cpu_per_entry = "-"
            if program in SINGLE_PROCESS:
                cpu_median = f"{statistics.median(cpu) * 1e3:.0f}"
                cpu_per_entry = per_entry(cpu_times, program, size)
                if "floor" in programs:
                    cpu_ratio = f"{paired_ratio(cpu_times, program, size):.3f}"
            print(f"| {size} | {program} | {statistics.median(wall) * 1e3:.0f} "
                  f"| {min(wall) * 1e3:.0f}-{max(wall) * 1e3:.0f} | {wall_ratio} "
                  f"| {cpu_median} | {cpu_ratio} | {per_entry(times, program, size)} | {cpu_per_entry} |")


if __name__ == "__main__":
    main()
