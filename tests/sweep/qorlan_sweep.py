#!/usr/bin/env python3
"""Runs a sanitizer-built qorlan on damaged inputs and odd command lines.

Usage: qorlan_sweep.py QORLAN SOURCE_DIR [--jobs N] [--quick]

The inputs are the bundled linker examples (examples/linker/<family>/, when
present) and the seeds of the whole-link fuzz target: for each core family
an object pair, a library and the family's command file. Each file is
damaged in turn (truncated, bit-flipped, values stamped in; numbers of the
command file replaced by extreme ones), and qorlan also meets odd command
lines and odd files: missing, directories, pipes, links, unreadable files,
include loops, very long lines, CR-LF, binary bytes, and writes that fail
part-way (a file-size limit).

The only acceptable outcomes are the program's messages and exit codes
0, 1 or 255: never a signal, a sanitizer report or an internal check (both
go to the real standard error, which must stay empty), never a run of more
than ten seconds, a failure without an "Error - " line, and never an
existing output object or map replaced by a failed write. Prints a summary
and every violation; the exit status is 1 when there is any.
"""

import argparse
import concurrent.futures
import os
import random
import re
import resource
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import time

TIMEOUT = 10.0
FAMILIES = ["zarn", "vesk", "mirel", "ostra"]  # the seed selector's low bits
SEPARATOR = b"#qorsep#"
OLD_OUTPUT = b"an output object of an earlier run\n"
OLD_MAP = b"a map file of an earlier run\n"


class Case:
    """One run: the files of its folder, its arguments, how to start it."""

    def __init__(self, title, files, arguments, limit=None, as_nobody=False, setup=None):
        self.title = title
        self.files = files          # relative name -> bytes
        self.arguments = arguments
        self.limit = limit          # file-size limit in bytes for the run
        self.as_nobody = as_nobody  # so that unreadable files really are
        self.setup = setup          # callable(folder) for links, pipes, folders
        self.reference = None       # masked output and map of the run without a limit


# ---------------------------------------------------------------- inputs

def read(path):
    with open(path, "rb") as f:
        return f.read()


def seed_links(source):
    """Per family: (command file name, command text, a.o, b.o, x.lib)."""
    links = []
    corpus = os.path.join(source, "fuzz", "corpus")
    for name in sorted(os.listdir(os.path.join(corpus, "link"))):
        if not (name.startswith("seed-") and name.endswith("-all")):
            continue
        data = read(os.path.join(corpus, "link", name))
        family = FAMILIES[data[0] & 3]
        parts = data[1:].split(SEPARATOR)
        if len(parts) != 3:
            continue
        command = read(os.path.join(corpus, "command_file", "seed-%s-whole" % family))
        links.append((family, family + ".lkr", command, parts[0], parts[1], parts[2]))
    return links


def example_links(source):
    """Per example folder: its command file, objects and libraries."""
    links = []
    root = os.path.join(source, "examples", "linker")
    if not os.path.isdir(root):
        return links
    for family in sorted(os.listdir(root)):
        folder = os.path.join(root, family)
        if not os.path.isdir(folder):
            continue
        names = sorted(os.listdir(folder))
        commands = [n for n in names if n.endswith(".lkr")]
        inputs = [n for n in names if n.endswith(".o") or n.endswith(".lib")]
        if commands and inputs:
            links.append(("example-" + family, commands[0],
                          {n: read(os.path.join(folder, n)) for n in commands + inputs},
                          inputs))
    return links


def link_arguments(command, inputs):
    return [command] + inputs + ["-l", ".", "-o", "out.o", "-m", "out.map"]


# ---------------------------------------------------------------- damage

def truncations(data, rng):
    n = len(data)
    cuts = {0, 1, 2, 19, 20, 21, 35, 36, 37, n // 4, n // 2, 3 * n // 4, n - 1, n - 2}
    cuts.update(rng.randrange(n) for _ in range(6) if n)
    return [("cut at %d" % c, data[:c]) for c in sorted(cuts) if 0 <= c < n]


def bit_flips(data, rng, count):
    damaged = []
    for _ in range(count if data else 0):
        at = rng.randrange(len(data))
        bit = rng.randrange(8)
        copy = bytearray(data)
        copy[at] ^= 1 << bit
        damaged.append(("bit %d of byte %d" % (bit, at), bytes(copy)))
    return damaged


def stamps(data, rng, count):
    """Values stamped over 2- and 4-byte fields, headers first."""
    values = [0, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0xFFFF, 0x8000, len(data), len(data) + 1]
    header = min(len(data), 20 + 16 + 40 * 8)
    offsets = list(range(0, header - 1, 2))
    rng.shuffle(offsets)
    offsets = offsets[:count // 2] + [rng.randrange(max(1, len(data) - 1)) for _ in range(count // 2)]
    damaged = []
    for at in offsets:
        value = rng.choice(values)
        width = 4 if at + 4 <= len(data) and rng.random() < 0.5 else 2
        if at + width > len(data):
            continue
        packed = struct.pack("<I", value) if width == 4 else struct.pack("<H", value & 0xFFFF)
        damaged.append(("0x%x at %d" % (value, at), data[:at] + packed + data[at + width:]))
    return damaged


EXTREME_NUMBERS = [b"0", b"0xFFFFFFFF", b"4294967296", b"0x1FFFFFFFF", b"99999999999999999999",
                   b"0x", b"-1", b"0xFFFFFFFE", b"65536"]


def command_file_damage(text, rng, count):
    damaged = []
    numbers = list(re.finditer(rb"(?<==)(0[xX][0-9A-Fa-f]+|[0-9]+)", text))
    for match in numbers:
        value = rng.choice(EXTREME_NUMBERS)
        damaged.append(("%s for %s" % (value.decode(), match.group(0).decode()),
                        text[:match.start()] + value + text[match.end():]))
    lines = text.split(b"\n")
    for i in range(len(lines)):
        damaged.append(("without line %d" % (i + 1), b"\n".join(lines[:i] + lines[i + 1:])))
        damaged.append(("line %d twice" % (i + 1), b"\n".join(lines[:i + 1] + lines[i:])))
    damaged += [("CR-LF", text.replace(b"\n", b"\r\n")),
                ("NUL bytes", text.replace(b" ", b"\0", 3))]
    damaged += truncations(text, rng)[:8] + bit_flips(text, rng, count)
    return damaged


def damaged_link_cases(title, command, files, inputs, rng, count):
    """Every file of a good link damaged in turn."""
    cases = [Case(title + ": undamaged", files, link_arguments(command, inputs))]
    for name, data in files.items():
        if name == command:
            damage = command_file_damage(data, rng, count)
        else:
            damage = truncations(data, rng) + bit_flips(data, rng, count) + stamps(data, rng, count)
        for what, bytes_ in damage:
            changed = dict(files)
            changed[name] = bytes_
            cases.append(Case("%s: %s, %s" % (title, name, what), changed,
                              link_arguments(command, inputs)))
    return cases


# ---------------------------------------------------------------- odd runs

def make_fifo(name):
    return lambda folder: os.mkfifo(os.path.join(folder, name))


def make_folder(name):
    return lambda folder: os.makedirs(os.path.join(folder, name))


def make_link(name, target):
    return lambda folder: os.symlink(target, os.path.join(folder, name))


def make_unreadable(name):
    return lambda folder: os.chmod(os.path.join(folder, name), 0)


def make_read_only(name):
    return lambda folder: os.chmod(os.path.join(folder, name), 0o444)


def odd_cases(command, files, inputs, rng):
    """Odd command lines and odd files around one good link."""
    good = link_arguments(command, inputs)
    text = files[command]
    first = inputs[0]
    cases = []

    def add(title, arguments, extra=None, setup=None, as_nobody=False, drop=()):
        changed = dict(files)
        changed.update(extra or {})
        changed.update({n: None for n in drop})  # not written at all
        cases.append(Case("odd: " + title, changed, arguments, setup=setup, as_nobody=as_nobody))

    add("no arguments", [])
    add("quiet alone", ["-q"])
    add("help", ["-h"])
    add("output switch last", good + ["-o"])
    add("unknown switch", good + ["-Z"])
    add("output name twice", good + ["-o", "again.o"])
    add("a very long argument", good + ["x" * 100000 + ".o"])
    add("many missing objects", good + ["m%d.o" % i for i in range(3000)])
    add("non-ASCII names", good + [b"\xff\xfe.o".decode("latin-1")])
    add("command file missing", ["missing.lkr"] + good[1:])
    add("command file is a folder", ["folder.lkr"] + good[1:], setup=make_folder("folder.lkr"))
    add("command file is a pipe", ["pipe.lkr"] + good[1:], setup=make_fifo("pipe.lkr"))
    add("command file through a link", ["linked.lkr"] + good[1:], setup=make_link("linked.lkr", command))
    add("command file a dangling link", ["dangling.lkr"] + good[1:],
        setup=make_link("dangling.lkr", "nowhere.lkr"))
    add("command file a loop of links", ["loop.lkr"] + good[1:],
        setup=lambda f: (os.symlink("loop2.lkr", os.path.join(f, "loop.lkr")),
                         os.symlink("loop.lkr", os.path.join(f, "loop2.lkr"))))
    add("command file unreadable", good, setup=make_unreadable(command), as_nobody=True)
    add("command file empty", good, extra={command: b""})
    add("command file of binary bytes", good,
        extra={command: bytes(rng.randrange(256) for _ in range(4096))})
    add("command file of one long line", good, extra={command: text + b"FILES " + b"y" * 1000000 + b".o\n"})
    add("command file of many lines", good, extra={command: text + b"// nothing\n" * 200000})
    add("command file with CR-LF", good, extra={command: text.replace(b"\n", b"\r\n")})
    add("command file including itself", good, extra={command: text + b"INCLUDE " + command.encode() + b"\n"})
    add("include loop through two names", good,
        extra={command: text + b"INCLUDE other.lkr\n", "other.lkr": b"INCLUDE ./" + command.encode() + b"\n"})
    add("include of a pipe", good, extra={command: text + b"INCLUDE pipe2.lkr\n"},
        setup=make_fifo("pipe2.lkr"))
    add("include of a folder", good, extra={command: text + b"INCLUDE dir.lkr\n"},
        setup=make_folder("dir.lkr"))
    add("object missing", good, drop=(first,))
    add("object is a folder", good, drop=(first,), setup=make_folder(first))
    add("object is a pipe", good, drop=(first,), setup=make_fifo(first))
    add("object a dangling link", good, drop=(first,), setup=make_link(first, "gone.o"))
    add("object unreadable", good, setup=make_unreadable(first), as_nobody=True)
    add("object empty", good, extra={first: b""})
    add("command file given as the object", good, extra={first: text})
    for library in [n for n in inputs if n.endswith(".lib")][:1]:
        add("library is a pipe", good, drop=(library,), setup=make_fifo(library))
        add("library is a folder", good, drop=(library,), setup=make_folder(library))
        add("library empty", good, extra={library: b""})
        add("object given as the library", good, extra={library: files[first]})
    add("output is a folder", good, setup=make_folder("out.o"), drop=("out.o",))
    add("output is a pipe nobody reads", good, setup=make_fifo("out.o"), drop=("out.o",))
    add("map is a folder", good, setup=make_folder("out.map"), drop=("out.map",))
    add("map is a pipe nobody reads", good, setup=make_fifo("out.map"), drop=("out.map",))
    add("output read-only", good, setup=make_read_only("out.o"), as_nobody=True)
    add("map read-only", good, setup=make_read_only("out.map"), as_nobody=True)
    add("output in a missing folder", [a if a != "out.o" else "no/such/out.o" for a in good])
    add("output over the first input", [a if a != "out.o" else first for a in good])
    add("map over the command file", [a if a != "out.map" else command for a in good])
    add("output in an unwritable folder", [a if a != "out.o" else "ro/out.o" for a in good],
        setup=lambda f: (os.makedirs(os.path.join(f, "ro")), os.chmod(os.path.join(f, "ro"), 0o555)),
        as_nobody=True)
    return cases


def failed_write_cases(qorlan, command, files, inputs):
    """The good link with writes that fail part-way: an earlier output and
    map must then stay as they were, or be whole."""
    reference = reference_files(qorlan, Case("reference", files, link_arguments(command, inputs)))
    cases = []
    for limit in (0, 1, 20, 100, 300, 700, 1500, 3000, 6000, 12000, 24000):
        case = Case("failed write: file-size limit %d" % limit, files,
                    link_arguments(command, inputs), limit=limit)
        case.reference = reference
        cases.append(case)
    return cases


def reference_files(qorlan, case):
    folder = tempfile.mkdtemp(prefix="qorlan-sweep-")
    try:
        for name, data in case.files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        subprocess.run([qorlan] + case.arguments, cwd=folder, capture_output=True, timeout=TIMEOUT)
        return (masked_object(file_bytes(os.path.join(folder, "out.o"))),
                masked_map(file_bytes(os.path.join(folder, "out.map"))))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


# ---------------------------------------------------------------- running

def nobody_ids():
    try:
        import pwd
        entry = pwd.getpwnam("nobody")
        return entry.pw_uid, entry.pw_gid
    except (ImportError, KeyError):
        return None


def start_options(case):
    """How to start the run: as nobody (so that unreadable files really are,
    also for root), and with a file-size limit under which a write past the
    limit fails with an error instead of ending the process. The limit needs
    code in the child, which is not safe beside other threads: such cases
    run one at a time (see main)."""
    options = {}
    ids = nobody_ids() if case.as_nobody and os.geteuid() == 0 else None
    if ids:
        options.update(user=ids[0], group=ids[1], extra_groups=[])
    if case.limit is not None:
        def limited():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (case.limit, case.limit))
        options["preexec_fn"] = limited
    return options, ids


def run_case(qorlan, case):
    folder = tempfile.mkdtemp(prefix="qorlan-sweep-")
    try:
        files = dict(case.files)
        files.setdefault("out.o", OLD_OUTPUT)
        files.setdefault("out.map", OLD_MAP)
        for name, data in files.items():
            if data is None:
                continue
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        if case.setup:
            case.setup(folder)
        options, ids = start_options(case)
        if ids:
            os.chown(folder, ids[0], ids[1])
            for name in os.listdir(folder):
                os.lchown(os.path.join(folder, name), ids[0], ids[1])
        started = time.monotonic()
        try:
            result = subprocess.run([qorlan] + case.arguments, cwd=folder, capture_output=True,
                                    timeout=TIMEOUT, env=dict(os.environ, TZ="UTC", LC_ALL="C"),
                                    **options)
            elapsed = time.monotonic() - started
            code, out, err = result.returncode, result.stdout, result.stderr
        except subprocess.TimeoutExpired:
            return case.title, None, ["ran for more than %d seconds" % TIMEOUT], ""
        except PermissionError:
            # The program is out of the other user's reach (a private build
            # folder): the case cannot be run as that user.
            return case.title, "not run", [], "program not executable as nobody"
        return case.title, code, judge(case, folder, code, out, err, elapsed), first_message(out)
    finally:
        for root, dirs, _ in os.walk(folder):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o755)
        shutil.rmtree(folder, ignore_errors=True)


def first_message(out):
    for line in out.decode("latin-1").splitlines():
        if line.startswith(("Error - ", "Warning - ", "Syntax:")):
            return line[:160]
    return ""


def file_bytes(path):
    try:
        if stat.S_ISREG(os.lstat(path).st_mode):
            return read(path)
    except OSError:
        pass
    return None


def judge(case, folder, code, out, err, elapsed):
    faults = []
    if code < 0:
        faults.append("ended by signal %d" % -code)
    elif code not in (0, 1, 255):
        faults.append("exit code %d" % code)
    if err:
        faults.append("wrote to the real standard error: " + err.decode("latin-1")[:400])
    if elapsed > TIMEOUT:
        faults.append("ran for %.1f seconds" % elapsed)
    quiet = "-q" in case.arguments
    if code == 1 and not quiet and b"Error - " not in out:
        faults.append("failed without an error message")
    if code == 0 and b"Error - " in out:
        faults.append("succeeded after an error message")
    if code != 0:
        faults += judge_kept_files(case, folder, out)
    return faults


def masked_object(data):
    """An object without its time stamp (bytes 4 to 7)."""
    return None if data is None else data[:4] + data[8:]


def masked_map(data):
    """A map without the time of its creation (its second line)."""
    if data is None:
        return None
    lines = data.split(b"\n")
    return b"\n".join(lines[:1] + lines[2:])


def judge_kept_files(case, folder, out):
    """After a failed run, the output and the map are either as they were
    before it or complete: a write that failed must not have replaced them.
    The output may be new only when the map was what failed; the map may
    hold a whole partial map (written as soon as sections are placed)."""
    faults = []
    output = file_bytes(os.path.join(folder, "out.o"))
    written_map = file_bytes(os.path.join(folder, "out.map"))
    if output not in (OLD_OUTPUT, None):
        whole = case.reference is None or masked_object(output) == case.reference[0]
        if b"Could not open map file" not in out or not whole:
            faults.append("a failed run replaced the earlier output")
    if written_map not in (OLD_MAP, None):
        partial = written_map.startswith(b"QORLAN") and b"Linker Error Map File" in written_map
        cut = case.limit is not None and len(written_map) >= case.limit
        whole = case.reference is not None and masked_map(written_map) == case.reference[1]
        if cut or not (partial or whole):
            faults.append("a map cut short by a failed write replaced the earlier one")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("qorlan")
    parser.add_argument("source")
    parser.add_argument("--jobs", type=int, default=4)
    parser.add_argument("--quick", action="store_true", help="fewer damaged copies")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--only", help="runs whose title matches this expression")
    parser.add_argument("--verbose", action="store_true", help="every run's exit code and message")
    options = parser.parse_args()
    options.qorlan = os.path.abspath(options.qorlan)
    rng = random.Random(options.seed)
    count = 8 if options.quick else 60

    cases = []
    for family, command, text, first, second, library in seed_links(options.source):
        files = {command: text, "a.o": first, "b.o": second, "x.lib": library}
        inputs = ["a.o", "b.o", "x.lib"]
        cases += damaged_link_cases(family, command, files, inputs, rng, count)
        if family == "vesk":
            cases += odd_cases(command, files, inputs, rng)
            cases += failed_write_cases(options.qorlan, command, files, inputs)
    for title, command, files, inputs in example_links(options.source):
        cases += damaged_link_cases(title, command, files, inputs, rng, count)

    if options.only:
        cases = [c for c in cases if re.search(options.only, c.title)]
    started = time.monotonic()
    codes = {}
    violations = []

    def record(result):
        title, code, faults, message = result
        codes[code] = codes.get(code, 0) + 1
        if options.verbose:
            print("%s: %s %s" % (title, code, message))
        violations.extend("%s: %s" % (title, fault) for fault in faults)

    threaded = [c for c in cases if c.limit is None]
    with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
        for result in pool.map(lambda c: run_case(options.qorlan, c), threaded):
            record(result)
    for case in cases:
        if case.limit is not None:
            record(run_case(options.qorlan, case))
    print("%d runs in %.0f s; exit codes: %s" % (
        len(cases), time.monotonic() - started,
        ", ".join("%s: %d" % (k, v) for k, v in sorted(codes.items(), key=str))))
    for line in violations:
        print("VIOLATION " + line)
    return 1 if violations else 0


if __name__ == "__main__":
    sys.exit(main())
