#!/usr/bin/env python3
"""Mutation score of the four folders where the unit's bytes are handled.

Runs the mutation tool (one small fault at a time, built with ASan and UBSan) on
model/, the non-window files of midi/, unit/ and tools/hrzctl/, each with its test
target, fixed seeds and 150 mutants, and prints each folder's score. A survivor
listed in equivalent_mutants.txt (it changes nothing a caller can see) counts as
caught. The last line is `ratio: X`, the lowest score divided by 90; the exit
status is 1 when it is below 1.

usage: mutation_score.py [--count N] [--only FOLDER] [--work DIR]
  The tool is taken from $HRZ_MUTATE, else `mutate` on PATH. It mutates a copy
  of this checkout and never changes the working tree. The scratch build goes to
  build-mutation/ (ignored, and under the compiler cache's base folder like the
  checkout). 600 sanitized rebuilds take hours on a two-core machine; --count 20
  gives a first look.
"""
import argparse, os, re, shutil, subprocess, sys, time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))  # the checkout the tool copies
TARGET = 90.0

# The non-window files of midi/: the ports (midi_input, midi_output, midi_notifier)
# need Qt and are tested through the windows that use them.
MIDI_FILES = ("midi_event.cpp,midi_result_text.cpp,midi_ring_buffer.cpp,midi_callback.cpp,"
              "midi_platform.cpp,platform_module.cpp,composite_midi_platform.cpp,"
              "midi_backend.cpp,midi_device_names.cpp,midi_stream_split.cpp,"
              "rtmidi_delivery.cpp,rtmidi_platform.cpp,rtmidi_module.cpp")
# The files of unit/ that test_unit builds: the JACK and RtMidi transports and the
# program's main are tested through test_unit_ports, over a private JACK server.
UNIT_FILES = ("midi_byte_parser.cpp,factory_presets.cpp,unit_memory.cpp,virtual_unit.cpp,"
              "virtual_unit_platform.cpp,reply_backlog.cpp,unit_cli.cpp")
FOLDERS = [  # folder, test target, seed, files
    ("model", "test_model", 1, ""),
    ("midi", "test_midi", 1, MIDI_FILES),
    ("unit", "test_unit", 1, UNIT_FILES),
    ("tools/hrzctl", "test_tools", 1, ""),
]


# Runs the tool with the tests' output read leniently: a mutant can make a test
# print bytes that are not UTF-8, and the tool reads that output as text.
TOLERANT = """import subprocess, sys
run = subprocess.run
subprocess.run = lambda *a, **k: run(*a, **({**k, "errors": "replace"} if k.get("text") else k))
sys.argv = sys.argv[1:]
exec(compile(open(sys.argv[0]).read(), sys.argv[0], "exec"), {"__name__": "__main__"})
"""


def equivalents():
    """(file, code, mutated code) of each mutant that changes nothing a caller sees."""
    out = set()
    with open(os.path.join(HERE, "equivalent_mutants.txt"), encoding="utf-8") as f:
        for line in f:
            if not line.strip() or line.startswith("#"):
                continue
            file, code, new = (part.strip() for part in line.split(" | ")[:3])
            out.add((file, code, new))
    return out


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--count", type=int, default=150)
    p.add_argument("--only", default="")
    p.add_argument("--work", default=os.path.join(ROOT, "build-mutation"))
    a = p.parse_args()
    tool = os.environ.get("HRZ_MUTATE") or shutil.which("mutate")
    if not tool:
        sys.exit("mutation_score: set HRZ_MUTATE to the mutation tool")
    known = equivalents()
    env = dict(os.environ)
    env.setdefault("CMAKE_CXX_COMPILER_LAUNCHER", "ccache" if shutil.which("ccache") else "")
    scores = []
    for folder, target, seed, files in FOLDERS:
        if a.only and a.only != folder:
            continue
        cmd = ["nice", "-n", "15", sys.executable, "-c", TOLERANT, tool, folder, target, "--sanitize", "--count", str(a.count),
               "--seed", str(seed), "--work", a.work]  # one build for all four
        if files:
            cmd += ["--files", files]
        start = time.monotonic()
        r = subprocess.run(cmd, capture_output=True, text=True, env=env, cwd=ROOT)
        minutes = (time.monotonic() - start) / 60
        m = re.search(r"mutation score: \d+% \((\d+) of (\d+) caught\)", r.stdout)
        if r.returncode or not m:
            print(f"{folder}: the tool failed\n{r.stdout[-2000:]}{r.stderr[-2000:]}")
            scores.append(0.0)
            continue
        caught, total = int(m.group(1)), int(m.group(2))
        equivalent = 0
        for line in r.stdout.splitlines():
            s = re.match(r"survived (\S+?):\d+: (.*)  ->  (.*)$", line)
            if not s:
                continue
            if (s.group(1), s.group(2).strip(), s.group(3).strip()) in known:
                equivalent += 1
            else:
                print(f"  {line}")
        score = 100.0 * (caught + equivalent) / max(1, total)
        scores.append(score)
        bare = 100.0 * caught / max(1, total)
        print(f"{folder} ({target}, seed {seed}): {caught} of {total} caught, {equivalent} "
              f"equivalent: {score:.1f}% ({bare:.1f}% without the equivalents, "
              f"{minutes:.0f} min)", flush=True)
    ratio = min(scores) / TARGET if scores else 0.0
    print(f"ratio: {ratio:.3f}")
    return 0 if ratio >= 1 else 1


if __name__ == "__main__":
    sys.exit(main())
