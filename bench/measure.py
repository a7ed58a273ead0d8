#!/usr/bin/env python3
"""Times fundort-report against ripgrep and find on the generated corpora; prints medians."""

import argparse
import json
import os
import re
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "release")
REPORT = os.path.join(BUILD, "src", "ui", "report", "fundort-report")
WINDOW_BENCH = os.path.join(BUILD, "bench", "fundort_window_bench")
RG_COMMON = ["rg", "-j1", "--no-ignore", "--iglob", "*.txt", "--iglob", "*.md", "--iglob", "!.*"]
RG_ALL_THREADS = [arg for arg in RG_COMMON if arg != "-j1"]
HUGE_BYTES = 3 * 2**30
HUGE_NAME = "Zacharias Quellenberg"


def corpus(base, name, size):
    """Generates a corpus once; a marker file says it is complete."""
    out = os.path.join(base, name)
    marker = os.path.join(out, ".complete")
    if not os.path.exists(marker):
        print(f"generating the {name} corpus in {out} ...", flush=True)
        subprocess.run([os.path.join(ROOT, "bench", "make-corpus"), "--size", size,
                        "--persons", "200", "--terms", "3", "--seed", "1", "--out", out],
                       check=True)
        open(marker, "w").close()
    return out


def read_config(path):
    with open(path, "rb") as f:
        return f.read().split(b"\r\n")


def write_config(path, lines):
    with open(path, "wb") as f:
        f.write(b"\r\n".join(lines))
    return path


def derive_configs(out):
    """BINARY and TEXT configurations with all persons (in the default encodings, and in the
    code page alone), and with 5 persons of 2 terms."""
    lines = read_config(os.path.join(out, "fundort.cfg"))
    head = [line for line in lines if line and not line.startswith(b"NAME|")
            and not line.startswith(b"SEARCHMODE|")]
    names = [line for line in lines if line.startswith(b"NAME|")]
    few = [b"|".join(line.split(b"|")[:4]) + b"|" for line in names[:5]]
    configs = {}
    for mode in ("BINARY", "TEXT"):
        mode_line = b"SEARCHMODE|" + mode.encode() + b"|"
        configs[("200x3", mode)] = write_config(
            os.path.join(out, f"bench-200x3-{mode}.cfg"), [mode_line] + head + names + [b""])
        configs[("200x3 ANSI", mode)] = write_config(
            os.path.join(out, f"bench-200x3-{mode}-ansi.cfg"),
            [mode_line, b"ENCODING|ANSI|"] + head + names + [b""])
        configs[("5x2", mode)] = write_config(
            os.path.join(out, f"bench-5x2-{mode}.cfg"), [mode_line] + head + few + [b""])
    with open(os.path.join(out, "terms.json"), encoding="utf-8") as f:
        persons = json.load(f)["persons"]
    with open(os.path.join(out, "patterns-5x2-fixed.txt"), "w", encoding="utf-8") as f:
        for person in persons[:5]:
            for term in person["terms"][:2]:
                f.write(term + "\n")
    with open(os.path.join(out, "patterns-5x2-regex.txt"), "w", encoding="utf-8") as f:
        for number in range(1, 6):
            with open(os.path.join(out, "persons", f"{number:04d}.regex"), encoding="utf-8") as p:
                f.writelines(p.readlines()[:2])
    return configs


def timed(command, cwd):
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def per_person(out, ignore_case, count):
    """The task done with ripgrep once per person: one list of files per person."""
    files = sorted(os.listdir(os.path.join(out, "persons")))[:count]
    start = time.perf_counter()
    for name in files:
        subprocess.run(RG_COMMON + ["-l"] + (["-i"] if ignore_case else []) +
                       ["-f", os.path.join("persons", name), "data"], cwd=out,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def measure(commands, repetitions):
    """Runs every command once as warm-up, then repetitions rounds, alternating; medians."""
    for _, run in commands:
        run()
    times = {name: [] for name, _ in commands}
    for _ in range(repetitions):
        for name, run in commands:
            times[name].append(run())
    return {name: statistics.median(values) for name, values in times.items()}


def peak_memory_kb(command, cwd):
    result = subprocess.run(["/usr/bin/time", "-v"] + command, cwd=cwd,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    match = re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr)
    return int(match.group(1)) if match else -1


def largest_kept_file(data):
    largest = 0
    for folder, subfolders, files in os.walk(data):
        subfolders[:] = [name for name in subfolders if not name.startswith(".")]
        for name in files:
            if not name.startswith(".") and name.lower().endswith((".txt", ".md")):
                largest = max(largest, os.path.getsize(os.path.join(folder, name)))
    return largest


def drop_caches(data):
    """Empties the page cache before a cold run. Where /proc/sys/vm/drop_caches may not be
    written, every file under data is evicted from the cache instead (posix_fadvise DONTNEED),
    which leaves folders and inodes cached. Returns how it was done."""
    subprocess.run(["sync"], check=False)
    try:
        with open("/proc/sys/vm/drop_caches", "w") as f:
            f.write("3\n")
        return "drop_caches"
    except OSError:
        for folder, _, files in os.walk(data):
            for name in files:
                try:
                    fd = os.open(os.path.join(folder, name), os.O_RDONLY)
                except OSError:
                    continue
                os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
                os.close(fd)
        return "fadvise DONTNEED per file (drop_caches not allowed; inodes stay cached)"


def measure_cold(commands, repetitions, data):
    """Like measure, with the page cache emptied before every single run and no warm-up."""
    times = {name: [] for name, _ in commands}
    how = ""
    for _ in range(repetitions):
        for name, run in commands:
            how = drop_caches(data)
            times[name].append(run())
    return {name: statistics.median(values) for name, values in times.items()}, how


def huge_corpus(base, source):
    """One 3 GiB text file of corpus prose with a name that stands nowhere else near its end."""
    out = os.path.join(base, "huge")
    data = os.path.join(out, "data")
    big = os.path.join(data, "big.txt")
    marker = os.path.join(out, ".complete")
    if not os.path.exists(marker):
        print(f"generating the huge file {big} ...", flush=True)
        os.makedirs(data, exist_ok=True)
        prose = bytearray()
        for folder, _, files in sorted(os.walk(source)):
            for name in sorted(files):
                if name.endswith(".txt") and len(prose) < 8 * 2**20:
                    with open(os.path.join(folder, name), "rb") as f:
                        prose += f.read()
        prose = bytes(prose[:8 * 2**20])
        tail = b"\r\nzuletzt schrieb " + HUGE_NAME.encode("cp1252") + b" einen Brief.\r\n"
        with open(big, "wb") as f:
            written = 0
            while written + len(prose) < HUGE_BYTES - len(tail) - 4096:
                f.write(prose)
                written += len(prose)
            f.write(prose[:HUGE_BYTES - len(tail) - 4096 - written])
            f.write(tail)
            f.write(prose[:4096])
        for mode in ("BINARY", "TEXT"):
            write_config(os.path.join(out, f"huge-{mode}.cfg"),
                         [b"SEARCHMODE|" + mode.encode() + b"|", b"FILETYPE|*.txt|",
                          b"FOLDER|" + data.encode() + b"|",
                          b"NAME|" + HUGE_NAME.encode() + b"|" + HUGE_NAME.encode() + b"|", b""])
        open(marker, "w").close()
    return out


def streaming_rounds(base, main_corpus, configs, repetitions):
    """Cold page cache on the main corpus and the huge file, beside ripgrep with all threads."""
    def report(config, cwd):
        return lambda: timed([REPORT, "--no-log", "--format", "csv", config], cwd)

    def rg_all(extra, cwd, target):
        return lambda: timed(RG_ALL_THREADS + ["-c"] + extra + [target], cwd)

    all_terms = ["-F", "-f", "patterns-fixed.txt"]
    print(f"warm, rg with all threads, on {main_corpus} ...", flush=True)
    warm = measure([
        ("fundort 200x3 BINARY (warm)", report(configs[("200x3", "BINARY")], main_corpus)),
        ("rg -F -i all threads, 600 terms (warm)", rg_all(["-i"] + all_terms, main_corpus, "data")),
    ], repetitions)
    print(f"cold, on {main_corpus} ...", flush=True)
    cold, how = measure_cold([
        ("fundort 200x3 BINARY (cold)", report(configs[("200x3", "BINARY")], main_corpus)),
        ("rg -F -i all threads, 600 terms (cold)", rg_all(["-i"] + all_terms, main_corpus, "data")),
    ], repetitions, os.path.join(main_corpus, "data"))

    huge = huge_corpus(base, os.path.join(main_corpus, "data"))
    print(f"huge file in {huge} ...", flush=True)
    big = ["-F", HUGE_NAME, os.path.join("data", "big.txt")]
    huge_times = measure([
        ("fundort huge TEXT", report("huge-TEXT.cfg", huge)),
        ("rg -F -c huge", lambda: timed(["rg", "-c"] + big, huge)),
        ("fundort huge BINARY", report("huge-BINARY.cfg", huge)),
        ("rg -F -i -c huge", lambda: timed(["rg", "-c", "-i"] + big, huge)),
    ], repetitions)
    memory = {
        "main corpus": peak_memory_kb([REPORT, "--no-log", "--format", "csv",
                                       configs[("200x3", "BINARY")]], main_corpus),
        "huge file": peak_memory_kb([REPORT, "--no-log", "--format", "csv", "huge-BINARY.cfg"],
                                    huge),
    }

    print(f"\nstreaming (cold cache by {how})")
    for name, value in list(warm.items()) + list(cold.items()) + list(huge_times.items()):
        row(name, value)
    ratio("warm: fundort / rg all threads", warm["fundort 200x3 BINARY (warm)"] /
          warm["rg -F -i all threads, 600 terms (warm)"], 0.8, "below")
    ratio("cold: fundort / rg all threads", cold["fundort 200x3 BINARY (cold)"] /
          cold["rg -F -i all threads, 600 terms (cold)"], 0.9, "below")
    ratio("huge TEXT: fundort / rg -F -c", huge_times["fundort huge TEXT"] /
          huge_times["rg -F -c huge"], 1.2, "below")
    ratio("huge BINARY: fundort / rg -F -i -c", huge_times["fundort huge BINARY"] /
          huge_times["rg -F -i -c huge"], 1.2, "below")
    for name, kb in memory.items():
        print(f"  peak memory of fundort-report, {name}: {kb / 1024:.1f} MB   goal <= 64 MB  "
              f"{'met' if 0 <= kb <= 64 * 1024 else 'NOT MET'}")


MANY_FIRST = ("Jürgen Günter Björn Jörg Käthe Bärbel Uwe Hans Peter Klaus Wolfgang Michael Thomas "
              "Sabine Petra Monika Andrea Ute Renate Karin Heike Anja Lena Özlem Zoë").split()
MANY_SYLLABLES = ("ber gä st rin mü hol tz ke wal dö ner sch lan fü ro mann").split()


def many_persons_corpus(base):
    """Many small files in which the names of 10 persons stand now and then; configurations
    with those 10 persons and with 9,990 more whose names stand nowhere, so both runs find the
    same hits and differ only in the number of terms."""
    out = os.path.join(base, "many")
    marker = os.path.join(out, ".complete")
    if not os.path.exists(marker):
        print(f"generating the many-persons corpus in {out} ...", flush=True)
        subprocess.run([os.path.join(ROOT, "bench", "make-corpus"), "--size", "wide",
                        "--files", "20000", "--megabytes", "40", "--persons", "10", "--terms",
                        "3", "--seed", "1", "--out", out], check=True)
        open(marker, "w").close()
    lines = read_config(os.path.join(out, "fundort.cfg"))
    head = [line for line in lines if line and not line.startswith(b"NAME|")
            and not line.startswith(b"SEARCHMODE|")]
    names = [line for line in lines if line.startswith(b"NAME|")]
    extra = []
    for number in range(10000 - len(names)):
        first = MANY_FIRST[number % len(MANY_FIRST)]
        last, rest = "Q", number + 1
        while rest > 0:
            last += MANY_SYLLABLES[rest % len(MANY_SYLLABLES)]
            rest //= len(MANY_SYLLABLES)
        terms = [f"{first} {last}", f"{last}, {first}", f"{first[0]}. {last}"]
        extra.append(("NAME|" + f"{first} {last}|" + "".join(t + "|" for t in terms))
                     .encode("cp1252"))
    empty = os.path.join(out, "empty")
    os.makedirs(empty, exist_ok=True)
    no_files = [line for line in head if not line.startswith(b"FOLDER|")] + \
        [b"FOLDER|" + empty.encode() + b"|"]
    configs = {}
    for mode in ("BINARY", "TEXT"):
        mode_line = b"SEARCHMODE|" + mode.encode() + b"|"
        for count, persons in ((10, names), (10000, names + extra)):
            configs[(count, mode)] = write_config(
                os.path.join(out, f"many-{count}-{mode}.cfg"), [mode_line] + head + persons + [b""])
            configs[(count, mode, "no files")] = write_config(
                os.path.join(out, f"many-{count}-{mode}-nofiles.cfg"),
                [mode_line] + no_files + persons + [b""])
    return out, configs


def many_persons_round(base, repetitions):
    """The same run with 10 and with 10,000 persons of 3 terms each over 20,000 small files."""
    out, configs = many_persons_corpus(base)

    def report(config):
        return lambda: timed([REPORT, "--no-log", "--format", "csv", config], out)

    print(f"10 and 10,000 persons on {out} ...", flush=True)
    times = measure([(f"fundort {count} persons x 3 {mode}{files}",
                      report(configs[(count, mode) + ((files.strip(", "),) if files else ())]))
                     for mode in ("BINARY", "TEXT") for count in (10, 10000)
                     for files in ("", ", no files")], repetitions)
    memory = peak_memory_kb([REPORT, "--no-log", "--format", "csv", configs[(10000, "BINARY")]],
                            out)
    print("\nmany persons (20,000 files, 40 MB, every encoding)")
    for name, value in times.items():
        row(name, value)
    for mode in ("BINARY", "TEXT"):
        ratio(f"{mode}: 10,000 persons / 10 persons",
              times[f"fundort 10000 persons x 3 {mode}"] / times[f"fundort 10 persons x 3 {mode}"],
              1.5, "below")
        # Without the fixed cost of reading the configuration and preparing the terms: what a
        # file costs, which decides a run over a million files.
        per_file = [times[f"fundort {count} persons x 3 {mode}"] -
                    times[f"fundort {count} persons x 3 {mode}, no files"] for count in (10, 10000)]
        ratio(f"{mode}: the same per file (less the run without files)",
              per_file[1] / per_file[0] if per_file[0] > 0 else float("inf"), 1.5, "below")
    print(f"  peak memory of fundort-report, 10,000 persons BINARY: {memory / 1024:.1f} MB   "
          f"goal <= 64 MB  {'met' if 0 <= memory <= 64 * 1024 else 'NOT MET'}")


def small_files_corpus(base, name, size_args):
    """A tree of 300,000 small files of 10 persons of 3 terms, made once: where the cost per file
    decides."""
    out = os.path.join(base, name)
    marker = os.path.join(out, ".complete")
    if not os.path.exists(marker):
        print(f"generating the corpus {name} in {out} ...", flush=True)
        subprocess.run([os.path.join(ROOT, "bench", "make-corpus")] + size_args +
                       ["--persons", "10", "--terms", "3", "--mode", "BINARY", "--seed", "1",
                        "--out", out], check=True)
        open(marker, "w").close()
    return out


def wide_corpus(base):
    """300,000 small files, 120 MB, a few folder levels deep."""
    return small_files_corpus(base, "wide300k",
                              ["--size", "wide", "--files", "300000", "--megabytes", "120"])


def flat_corpus(base):
    """300,000 files of 0.2 to 2 KB in 3,000 folders side by side, half of them in UTF-8."""
    return small_files_corpus(base, "flat300k", ["--size", "flat"])


def parallel_round(base, main_corpus, configs, repetitions):
    """One worker against one per core on the two 300,000-file corpora, the medium corpus (BINARY and
    TEXT), the many-persons corpus and the 3 GiB file, beside ripgrep with all its threads (and
    one rg -j1 scan for TEXT); medians and the peak memory with one worker per core."""
    cores = os.cpu_count() or 1

    def report(config, cwd, threads):
        return lambda: timed([REPORT, "--no-log", "--format", "csv", "--threads", str(threads),
                              config], cwd)

    def rg(extra, cwd, target, all_threads=True):
        return lambda: timed((RG_ALL_THREADS if all_threads else RG_COMMON) + ["-c"] + extra +
                             [target], cwd)

    wide = wide_corpus(base)
    flat = flat_corpus(base)
    many, many_configs = many_persons_corpus(base)
    huge = huge_corpus(base, os.path.join(main_corpus, "data"))
    fixed = ["-F", "-f", "patterns-fixed.txt"]
    runs = [
        ("300,000 files BINARY", "fundort.cfg", wide, ["-i"] + fixed, "data"),
        ("300,000 files in 3,000 folders BINARY", "fundort.cfg", flat, ["-i"] + fixed, "data"),
        ("medium 200x3 BINARY", configs[("200x3", "BINARY")], main_corpus, ["-i"] + fixed, "data"),
        ("medium 200x3 TEXT", configs[("200x3", "TEXT")], main_corpus, fixed, "data"),
        ("many persons 10,000x3 BINARY", many_configs[(10000, "BINARY")], many, ["-i"] + fixed,
         "data"),
        ("3 GiB file BINARY", "huge-BINARY.cfg", huge, ["-i", "-F", HUGE_NAME],
         os.path.join("data", "big.txt")),
    ]
    results = []
    for label, config, cwd, rg_args, target in runs:
        print(f"{label} in {cwd} ...", flush=True)
        commands = [("fundort N=1", report(config, cwd, 1)),
                    (f"fundort N={cores}", report(config, cwd, cores)),
                    ("rg all threads", rg(rg_args, cwd, target))]
        if "TEXT" in label:
            commands.append(("rg -j1", rg(rg_args, cwd, target, all_threads=False)))
        medians = measure(commands, repetitions)
        memory = peak_memory_kb([REPORT, "--no-log", "--format", "csv", "--threads", str(cores),
                                 config], cwd)
        results.append((label, medians, memory))

    print(f"\nparallel search (N = 1 and N = {cores} workers; load average "
          f"{os.getloadavg()[0]:.2f})")
    for label, medians, memory in results:
        for name, value in medians.items():
            row(f"{label}: {name}", value)
        print(f"  {label + ': peak memory, N=' + str(cores):<58} {memory / 1024:8.1f} MB")
        if label.startswith("many"):
            continue  # ripgrep searched the 10 persons' terms only: no fair ratio
        floor = medians["rg all threads"]
        goal = 1.0 if "3 GiB" in label else 0.6 if label.startswith("medium") else 0.8
        ratio(f"{label}: fundort N={cores} / rg all threads",
              medians[f"fundort N={cores}"] / floor, goal, "below")
        if "rg -j1" in medians:
            ratio(f"{label}: fundort N={cores} / (rg -j1 / {cores})",
                  medians[f"fundort N={cores}"] / (medians["rg -j1"] / cores), 0.8, "below")


def row(label, value, unit="s"):
    print(f"  {label:<58} {value:8.3f} {unit}")


def ratio(label, value, goal, better):
    ok = value <= goal if better == "below" else value >= goal
    print(f"  {label:<58} {value:8.2f} x   goal {'<=' if better == 'below' else '>='} {goal}"
          f"  {'met' if ok else 'NOT MET'}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--quick", action="store_true", help="small corpus, fewer repetitions")
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--per-person-repetitions", type=int, default=1)
    parser.add_argument("--only", default="base,streaming,many",
                        help="comma-separated rounds: base (warm comparisons), streaming (cold "
                             "page cache, 3 GiB file, peak memory), many (10 against 10,000 "
                             "persons), parallel (one worker against one per core)")
    args = parser.parse_args()
    base = os.environ.get("FUNDORT_BENCH_DIR", "/tmp/fundort-bench")
    os.makedirs(base, exist_ok=True)

    rounds = set(args.only.split(","))
    repetitions = 3 if args.quick else args.repetitions
    if rounds & {"base", "streaming", "parallel"}:
        main_corpus = corpus(base, "small" if args.quick else "medium",
                             "small" if args.quick else "medium")
        wide = main_corpus if args.quick or "base" not in rounds else corpus(base, "wide", "wide")
        configs = derive_configs(main_corpus)
        if "base" in rounds:
            base_rounds(args, main_corpus, wide, repetitions, configs)
        if "streaming" in rounds:
            streaming_rounds(base, main_corpus, configs, repetitions)
        if "parallel" in rounds:
            parallel_round(base, main_corpus, configs, repetitions)
    if "many" in rounds:
        many_persons_round(base, repetitions)


def base_rounds(args, main_corpus, wide, repetitions, configs):
    def report(config):
        return lambda: timed([REPORT, "--no-log", "--format", "csv", config], main_corpus)

    def rg_scan(patterns, fixed, ignore_case):
        command = RG_COMMON + ["-c"] + (["-F"] if fixed else []) + \
            (["-i"] if ignore_case else []) + ["-f", patterns, "data"]
        return lambda: timed(command, main_corpus)

    print(f"corpus {main_corpus}: timing {repetitions} alternating rounds ...", flush=True)
    medians = measure([
        ("fundort 200x3 BINARY", report(configs[("200x3", "BINARY")])),
        ("rg one scan -F -i, all 600 terms", rg_scan("patterns-fixed.txt", True, True)),
        ("fundort 200x3 TEXT", report(configs[("200x3", "TEXT")])),
        ("rg one scan -F, all 600 terms", rg_scan("patterns-fixed.txt", True, False)),
        ("fundort 200x3 BINARY, ENCODING|ANSI|", report(configs[("200x3 ANSI", "BINARY")])),
        ("fundort 200x3 TEXT, ENCODING|ANSI|", report(configs[("200x3 ANSI", "TEXT")])),
        ("fundort 5x2 BINARY", report(configs[("5x2", "BINARY")])),
        ("rg one scan -F -i, 10 terms", rg_scan("patterns-5x2-fixed.txt", True, True)),
        ("fundort 5x2 TEXT", report(configs[("5x2", "TEXT")])),
        ("rg one scan -F, 10 terms", rg_scan("patterns-5x2-fixed.txt", True, False)),
    ], repetitions)

    persons = 20 if args.quick else 200
    print(f"ripgrep once per person ({persons} persons) ...", flush=True)
    person_medians = measure([
        ("rg per person -i", lambda: per_person(main_corpus, True, persons)),
        ("rg per person", lambda: per_person(main_corpus, False, persons)),
    ], 1 if args.quick else args.per_person_repetitions)
    scale = 200 / persons

    print(f"walk only on {wide} ...", flush=True)
    walk = measure([
        ("fundort walk only", lambda: timed([REPORT, "--no-log", "--format", "csv",
                                            "fundort-walk.cfg"], wide)),
        ("find -type f", lambda: timed(["find", "data", "-type", "f"], wide)),
    ], repetitions)

    memory = peak_memory_kb([REPORT, "--no-log", "--format", "csv",
                             configs[("200x3", "BINARY")]], main_corpus)
    largest = largest_kept_file(os.path.join(main_corpus, "data"))
    window = subprocess.run([WINDOW_BENCH, configs[("200x3", "BINARY")], str(repetitions)],
                            cwd=main_corpus, capture_output=True, text=True).stdout.strip()

    print("\nmedians")
    for name, value in list(medians.items()) + list(walk.items()):
        row(name, value)
    for name, value in person_medians.items():
        row(f"{name} (x{scale:g} for 200 persons)", value * scale)
    print("\nratios")
    for mode, flag in (("BINARY", " -i"), ("TEXT", "")):
        floor = medians[f"rg one scan -F{flag}, all 600 terms"]
        fundort = medians[f"fundort 200x3 {mode}"]
        ratio(f"200x3 {mode}: fundort / one rg scan", fundort / floor, 1.5, "below")
        rg_people = person_medians["rg per person -i" if mode == "BINARY" else "rg per person"]
        ratio(f"200x3 {mode}: rg per person / fundort", rg_people * scale / fundort, 20, "above")
        ansi = medians[f"fundort 200x3 {mode}, ENCODING|ANSI|"]
        print(f"  {'200x3 ' + mode + ': every encoding / ENCODING|ANSI|':<58} {fundort / ansi:8.2f} x")
        few = medians[f"fundort 5x2 {mode}"] / medians[f"rg one scan -F{flag}, 10 terms"]
        ratio(f"5x2 {mode}: fundort / one rg scan", few, 1.5, "below")
    ratio("walk only: fundort / find -type f",
          walk["fundort walk only"] / walk["find -type f"], 1.5, "below")
    print(f"  peak memory {memory / 1024:.1f} MB; largest kept file {largest / 2**20:.1f} MB;"
          f" goal <= largest + 64 MB: {'met' if memory * 1024 <= largest + 64 * 2**20 else 'NOT MET'}")
    print(f"  window (in process, offscreen): {window}")


if __name__ == "__main__":
    sys.exit(main())
