#!/usr/bin/env python3
"""Mutation testing for brisklet's C++: does the test suite notice when the product code is wrong?

    python3 tools/mutants.py --seed 1 --sample 150 --out /work/mutants/before.json
    python3 tools/mutants.py --seed 1 --sample 150 --list        # the sample, nothing built or run
    python3 tools/mutants.py --compare before.json after.json    # both rates, and what got through

Each mutant is one small change to the product code under --paths (default core and app): a flipped
or shifted comparison, && and || swapped, an if condition negated, + 1 and - 1 swapped, a function
that returns a constant at once, or a call statement deleted. Comments, string literals, preprocessor
lines and code for other platforms are never touched. Candidates are listed in a fixed order (file,
line, column, operator, replacement) and random.Random(seed).sample picks the sample, so as long as
the product code is the same, the same seed picks the same mutants, however the tests have changed.
A mutant is killed when its layer's test program (core -> brisklet_core_tests, app ->
brisklet_app_tests) fails, survives when it passes, and is not viable when it does not compile.

Why the sandbox: a mutant runs the deletion code with its guard broken. One flipped comparison is
enough for a test's "remove the fixture" to remove whatever it can reach, so mutated code never runs
in a checkout, as root, or against the real /tmp:
  * the commit is copied with `git archive` to --work/src (outside /tmp) and built in --work/build
    as root; both are root's and not writable by anyone else. gtest_discover_tests would run the test
    program while building, so discovery is deferred to ctest (which is never run there);
  * each test program runs as
        unshare -m -p -f --kill-child --mount-proc --propagation private sh -c \
          'mount -t tmpfs tmpfs /tmp && mount -t tmpfs tmpfs /var/tmp && mount -t tmpfs tmpfs /dev/shm &&
           mkdir /tmp/h && chown 65534:65534 /tmp/h && cd /tmp/h && ulimit -v 8388608 &&
           exec setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all --no-new-privs
             env -i PATH=/usr/bin:/bin HOME=/tmp/h TMPDIR=/tmp LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen
             timeout -k 5 T BINARY --gtest_filter=-EXCLUDED'
    that is: as nobody, which can write nothing of anyone else's; with fresh, empty /tmp, /var/tmp and
    /dev/shm (the world-writable places) that vanish with the run; in a PID namespace, so it sees and
    can signal no process it did not start, and whatever it leaves running dies with it (also when
    this script is stopped); with 8 GiB of address space at most; with an environment that names no
    real home, configuration or session bus.
Tests that fail or are skipped there unmutated (those that need root or a display) are left out of
every run, and the unmutated run's time sets the timeout. Mutants run one at a time: one file of the
copy is changed, the test program rebuilt (nice -n 10), run, and the file put back whatever happens.
"""

import argparse
import fcntl
import hashlib
import json
import os
import random
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

NOBODY = 65534
CMAKE_OPTIONS = ["-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug", "-DBRISKLET_SANITIZE=OFF", "-DBRISKLET_WERROR=OFF",
                 "-DBRISKLET_TESTS=ON", "-DBRISKLET_BENCH=OFF", "-DBRISKLET_FUZZ=OFF",
                 # The test programs are listed by ctest when it runs, not by running them at build time.
                 "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"]
# Run as: unshare ... sh -c SANDBOX_SCRIPT sandbox SECONDS BINARY ARGS...
SANDBOX_SCRIPT = (
    "mount -t tmpfs -o size=4g tmpfs /tmp && mount -t tmpfs tmpfs /var/tmp && mount -t tmpfs tmpfs /dev/shm && "
    f"mkdir /tmp/h && chown {NOBODY}:{NOBODY} /tmp/h && cd /tmp/h && ulimit -v 8388608 && "
    f"exec setpriv --reuid={NOBODY} --regid={NOBODY} --clear-groups --inh-caps=-all --no-new-privs "
    "env -i PATH=/usr/bin:/bin HOME=/tmp/h TMPDIR=/tmp LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "
    'timeout -k 5 "$@"')

# ---------------------------------------------------------------------------------------------------
# Finding the mutants

# Code under these is compiled for other systems only; a change there could never be caught here.
OTHER_PLATFORM = re.compile(r"__APPLE__|_WIN32|Q_OS_(MAC|MACOS|DARWIN|WIN)|__FreeBSD__")
KEYWORDS = {"return", "if", "else", "for", "while", "do", "switch", "case", "default", "break", "continue",
            "goto", "delete", "new", "throw", "co_return", "co_await", "co_yield", "sizeof", "static_assert",
            "using", "typedef", "namespace", "template", "typename", "const", "constexpr", "auto", "struct",
            "class", "enum", "static", "try", "catch"}
NUMERIC = re.compile(r"^(?:(?:std::)?u?int(?:8|16|32|64|max|ptr)?_t|(?:std::)?s?size_t|ptrdiff_t|[pug]id_t|off_t|"
                     r"mode_t|q(?:u)?int(?:8|16|32|64)|qsizetype|qreal|quint|qint|(?:unsigned |signed )?"
                     r"(?:char|short|int|long|long long|long int|unsigned|float|double)|unsigned)$")


def mask(text):
    """The text with comments, literals, preprocessor lines and other platforms' code blanked out.

    Every character keeps its place (newlines stay), so positions found in the mask are positions in the file.
    """
    out = list(text)
    n = len(text)
    i = 0
    line_start = True
    platform = []  # per open #if: is the current branch for another system?

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if c == "\n":
            line_start = True
            i += 1
            continue
        if line_start and c == "#":
            j = i
            while j < n and not (text[j] == "\n" and text[j - 1] != "\\"):
                j += 1
            directive = re.sub(r"\s+", " ", text[i + 1:j].replace("\\\n", " ")).strip()
            word = directive.split(" ", 1)[0]
            if word in ("if", "ifdef", "ifndef"):
                other = bool(OTHER_PLATFORM.search(directive)) and word != "ifndef" and "!" not in directive
                platform.append(other)
            elif word in ("else", "elif") and platform:
                platform[-1] = not platform[-1] if word == "else" else False
            elif word == "endif" and platform:
                platform.pop()
            blank(i, j)
            i = j
            continue
        if not c.isspace():
            line_start = False
        if any(platform):
            if c != "\n":
                out[i] = " "
            i += 1
            continue
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == '"' and re.search(r"(?<![\w])(?:u8|u|U|L)?R$", text[max(0, i - 4):i]):
            delim = text[i + 1:text.index("(", i)]  # R"delim( ... )delim"
            j = text.index(")" + delim + '"', i) + len(delim) + 2
            blank(i, j)
            i = j
        elif c == '"' or (c == "'" and not _digit_separator(text, i)):
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            blank(i, j + 1)
            i = j + 1
        else:
            i += 1
    return "".join(out)


def _digit_separator(text, i):
    j = i
    while j > 0 and (text[j - 1].isalnum() or text[j - 1] in "'."):
        j -= 1
    return j < i and text[j].isdigit()


def matching(masked, open_at):
    """Index of the bracket closing the one at open_at."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    stack = []
    for k in range(open_at, len(masked)):
        ch = masked[k]
        if ch in pairs:
            stack.append(pairs[ch])
        elif ch in ")]}":
            if not stack or stack.pop() != ch:
                return -1
            if not stack:
                return k
    return -1


def return_value(flat, name):
    """The constants a function may return at once, or None when we cannot tell (or it is a constructor)."""
    if name.group(1).startswith("~") or name.group(1) in KEYWORDS:
        return None
    tail = flat[matching(flat, name.end() - 1) + 1:]
    trailing = re.search(r"->\s*(.+?)\s*$", tail)
    rtype = trailing.group(1) if trailing else flat[:name.start()]
    rtype = re.sub(r"\b(static|inline|constexpr|virtual|explicit|friend|extern|Q_INVOKABLE)\b", " ", rtype)
    rtype = re.sub(r"(?:\b\w+(?:<[^;{}]*?>)?::)+\s*$", "", rtype.strip()).strip()  # Class:: before the name
    rtype = re.sub(r"\s+", " ", rtype)
    rtype = re.sub(r"^const ", "", rtype)
    if not rtype or rtype in ("auto", "decltype(auto)") or rtype.endswith("&") or not re.search(r"\w", rtype):
        return None  # constructors, conversions, deduced types and references
    if rtype == "void":
        return ["return;"]
    if rtype == "bool":
        return ["return false;", "return true;"]
    if rtype.endswith("*"):
        return ["return nullptr;"]
    if NUMERIC.match(rtype):
        return ["return 0;"]
    return ["return {};"]


def classify(head):
    """What a brace at namespace or class level opens, from the declaration before it.

    Returns the kind ("ns", "class", "func" or "block": an initialiser's braces) and, for a function,
    the constants it may return at once.
    """
    flat = re.sub(r"\s+", " ", tidy(head)).strip()
    if not flat or re.match(r"^(inline )?namespace\b|^extern\b", flat):
        return "ns", None
    if "(" not in flat:
        return ("class" if re.search(r"\b(class|struct|union|enum)\b", flat) else "block"), None
    if re.search(r"(?<![=!<>])=(?!=)", re.sub(r"\(.*\)", "()", flat)):
        return "block", None  # a variable's initialiser, a lambda's body among them
    m = re.search(r"(\boperator\b\s*(?:\(\)|[^\s(]+)|~?[A-Za-z_]\w*)\s*\(", flat)
    close = matching(flat, m.end() - 1) if m else -1
    if close < 0:
        return "block", None
    tail = flat[close + 1:]
    if re.search(r"(?<!:):(?!:)", tail):  # a constructor: its initialisers may hold braces too
        return ("func" if re.search(r"[)}]\s*$", tail) else "block"), None
    tail = re.sub(r"->.*$|\bnoexcept\s*\(.*\)|\b(const|override|final|noexcept|mutable|volatile)\b|&", "", tail)
    if tail.strip():
        return "block", None
    return "func", return_value(flat, m)


def tidy(head):
    """A declaration without attributes, access specifiers, Qt's markers and template parameters."""
    head = re.sub(r"\[\[.*?\]\]", " ", head, flags=re.S)
    head = re.sub(r"\b(?:public|private|protected)(?:\s+(?:Q_)?slots)?\s*:(?!:)|\b(?:signals|Q_SIGNALS|Q_SLOTS)\s*:",
                  " ", head)
    head = re.sub(r"\bQ_(?:OBJECT|GADGET|INVOKABLE|DISABLE_COPY\w*\s*\([^()]*\))", " ", head)
    return re.sub(r"^\s*template\s*<.*?>\s*(?=[A-Za-z_])", " ", head, flags=re.S)


def scan_scopes(masked):
    """Function bodies (with what they may return) and call statements whose value nobody uses."""
    bodies, calls = [], []
    # One frame per open brace: its kind, paren depth, where its statement and declaration began.
    stack = [{"kind": "ns", "paren": 0, "stmt": 0, "head": 0, "in_func": False}]
    for k, ch in enumerate(masked):
        top = stack[-1]
        if ch in "([":
            top["paren"] += 1
        elif ch in ")]":
            top["paren"] -= 1
        elif ch == ";" and top["paren"] == 0:
            if top["in_func"]:
                calls.append((top["stmt"], k))
            top["stmt"] = top["head"] = k + 1
        elif ch == "{":
            kind = "block"
            if top["kind"] in ("ns", "class") and top["paren"] == 0:
                kind, values = classify(masked[top["head"]:k])
                if values:
                    bodies.append((k, values))
            frame_kind = kind if top["kind"] in ("ns", "class") else "block"
            stack.append({"kind": frame_kind, "paren": 0, "stmt": k + 1, "head": k + 1,
                          "in_func": top["in_func"] or frame_kind == "func"})
        elif ch == "}" and len(stack) > 1:
            closed = stack.pop()
            top = stack[-1]
            top["stmt"] = k + 1
            # Braces of an initialiser or member initialiser leave the declaration they belong to open.
            if closed["kind"] != "block" or top["in_func"]:
                top["head"] = k + 1
    return bodies, calls


def is_call_statement(code):
    """Whether a statement is nothing but a call (possibly a chain of them), so deleting it compiles."""
    code = re.sub(r"^(?:(?:case\b[^:]*|default)\s*:(?!:)\s*|else\s+)+", "", code.strip())
    if not code.endswith(")") or not re.match(r"[A-Za-z_:]", code):
        return None
    first = re.match(r"[A-Za-z_]\w*", code.lstrip(":")).group(0)
    if first in KEYWORDS or first.isupper() and first not in ("Q_EMIT",):
        return None  # keywords, and macros, whose expansion we cannot see
    depth = 0
    for k, ch in enumerate(code):  # nothing outside the parentheses but names and member access
        if ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
        elif depth == 0 and not (ch.isalnum() or ch in "_:.->~<>,*& \t\n"):
            return None
        elif depth == 0 and ch in " \t\n" and re.match(r"[\w]\s+[\w]", code[k - 1:k + 2] + " "):
            if not re.match(r"(emit|Q_EMIT)\s", code):
                return None  # `Type name(args)` declares a variable
    if depth != 0 or "(" not in code:
        return None
    return code


def line_col(text, pos):
    line = text.count("\n", 0, pos) + 1
    return line, pos - (text.rfind("\n", 0, pos) + 1) + 1


def product_files(repo, commit, paths):
    """The product sources under the given folders at a commit, as {path: text}; tests are not product."""
    names = subprocess.run(["git", "-C", str(repo), "ls-tree", "-r", "--name-only", commit, "--"] + list(paths),
                           check=True, capture_output=True, text=True).stdout.split("\n")
    names = [n for n in names if re.search(r"\.(cpp|cc|h|hpp)$", n)
             and not re.search(r"(^|/)tests?/|(Test|Tests|_test)\.\w+$", n)]
    return {n: subprocess.run(["git", "-C", str(repo), "show", f"{commit}:{n}"], check=True,
                              capture_output=True).stdout.decode("utf-8") for n in names}


def find_mutants(files):
    """Every candidate mutant in the given files, in a fixed order."""
    found = []
    for rel in sorted(files):
        text = files[rel]
        masked = mask(text)

        def add(pos, op, original, replacement):
            line, col = line_col(text, pos)
            # The whole lines touched, before and after: what a reviewer of a survivor needs to see.
            first = text.rfind("\n", 0, pos) + 1
            last = text.find("\n", pos + len(original))
            last = len(text) if last < 0 else last
            found.append({"file": rel, "line": line, "column": col, "operator": op,
                          "original": original, "replacement": replacement,
                          "before": one_line(text[first:last]),
                          "after": one_line(text[first:pos] + replacement + text[pos + len(original):last])})

        flip = {"<": ">=", "<=": ">", ">": "<=", ">=": "<", "==": "!=", "!=": "=="}
        shift = {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}
        # Spaces on both sides tell a comparison from a template's brackets, and && from an rvalue reference.
        for m in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", masked):
            add(m.start(), "comparison_flip", m.group(1), flip[m.group(1)])
            if m.group(1) in shift:
                add(m.start(), "comparison_boundary", m.group(1), shift[m.group(1)])
        for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", masked):
            add(m.start(), "logic_swap", m.group(1), "||" if m.group(1) == "&&" else "&&")
        for m in re.finditer(r"(?<=\s)([+-]=?)(\s+)1(?![\w.'])", masked):
            other = m.group(1).replace("+", "#").replace("-", "+").replace("#", "-")
            add(m.start(), "plus_minus_one", text[m.start():m.end()], other + m.group(2) + "1")
        for m in re.finditer(r"\bif\s*\(", masked):
            open_at = m.end() - 1
            close = matching(masked, open_at)
            if close < 0:
                continue
            start = open_at + 1
            inner = masked[start:close]
            semi = [k for k, ch in enumerate(inner) if ch == ";"]  # if (init; condition)
            if semi:
                start += semi[-1] + 1
            while start < close and masked[start].isspace():
                start += 1
            condition = masked[start:close]
            if not condition.strip() or re.match(
                    r"\s*(?:const\s+)?(?:auto|[A-Za-z_][\w:]*(?:<.*>)?)\s*[*&]*\s+[*&]*[A-Za-z_]\w*\s*(?:=(?!=)|\{|:)",
                    condition, re.S):
                continue  # a declaration, which cannot be negated
            original = text[start:close]
            add(start, "negate_condition", original, "!(" + original + ")")
        bodies, statements = scan_scopes(masked)
        for brace, values in bodies:
            for value in values:
                add(brace, "early_return", "{", "{ " + value)
        for begin, semi in statements:
            code = masked[begin:semi]
            call = is_call_statement(code)
            if call is None:
                continue
            start = begin + len(code.rstrip()) - len(call)
            original = text[start:semi + 1]
            add(start, "delete_call", original, ";" + "\n" * original.count("\n"))
    for m in found:
        m["id"] = mutant_id(m)
    found.sort(key=lambda m: (m["file"], m["line"], m["column"], m["operator"], m["replacement"]))
    return found


def mutant_id(m):
    return f'{m["file"]}:{m["line"]}:{m["column"]}:{m["operator"]}:{m["original"]}=>{m["replacement"]}'


def one_line(text, width=160):
    text = re.sub(r"\s+", " ", text).strip()
    return text if len(text) <= width else text[:width - 1] + "…"


def describe(m):
    return f'{m["file"]}:{m["line"]}: {m["before"]}  →  {m["after"] or "(deleted)"}'


# ---------------------------------------------------------------------------------------------------
# The copy, the build and the sandbox

def run(cmd, **kw):
    return subprocess.run(cmd, check=True, **kw)


def resolve(repo, rev, with_changes):
    """The commit to copy: rev, or a commit of the working tree's changes on top of it (git stash create)."""
    def git(*a):
        return subprocess.run(["git", "-C", str(repo)] + list(a), check=True, capture_output=True,
                              text=True).stdout.strip()
    commit = git("rev-parse", "--verify", rev + "^{commit}")
    if with_changes:
        if git("rev-parse", "HEAD") != commit:
            sys.exit("--with-changes applies to HEAD only")
        commit = git("stash", "create") or commit
    return commit


def prepare_copy(repo, commit, work):
    """Brings work/src to exactly the commit.

    Only files whose content differs are written, so ninja rebuilds what changed and no more; a file
    left mutated by a run that was killed outright is put back here too.
    """
    stage, src = work / "stage", work / "src"
    shutil.rmtree(stage, ignore_errors=True)
    stage.mkdir(parents=True)
    archive = subprocess.Popen(["git", "-C", str(repo), "archive", commit], stdout=subprocess.PIPE)
    run(["tar", "-x", "-C", str(stage)], stdin=archive.stdout)
    if archive.wait() != 0:
        sys.exit("git archive failed")
    src.mkdir(exist_ok=True)
    wanted = {p.relative_to(stage) for p in stage.rglob("*") if p.is_symlink() or not p.is_dir()}
    for p in sorted(src.rglob("*"), reverse=True):
        rel = p.relative_to(src)
        if p.is_dir():
            if not any(p.iterdir()):
                p.rmdir()
        elif rel not in wanted:
            p.unlink()
    for rel in sorted(wanted):
        new, old = stage / rel, src / rel
        if new.is_symlink() or old.is_symlink() or not old.exists() or old.read_bytes() != new.read_bytes():
            old.parent.mkdir(parents=True, exist_ok=True)
            if old.is_symlink() or old.exists():
                old.unlink()
            shutil.copy2(new, old, follow_symlinks=False)
            if not old.is_symlink():
                os.utime(old)  # newer than anything built from the file it replaces
    shutil.rmtree(stage)


def lock_down(work):
    """Root's, and writable by nobody else: a test running as nobody cannot change what is built or run."""
    for top in (work, work / "src", work / "build"):
        for dirpath, dirnames, filenames in os.walk(top):
            for name in [dirpath] + [os.path.join(dirpath, f) for f in filenames]:
                if not os.path.islink(name):
                    st = os.lstat(name)
                    if st.st_uid != 0 or st.st_mode & 0o022:
                        os.chown(name, 0, 0)
                        os.chmod(name, st.st_mode & ~0o022)
            if top == work:
                break


def build(work, target, log):
    cmd = ["nice", "-n", "10", "ninja", "-C", str(work / "build"), "-j", "2", target]
    try:
        done = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=1800)
    except subprocess.TimeoutExpired:
        return False
    with open(log, "a") as f:
        f.write(done.stdout)
    return done.returncode == 0


def sandboxed(binary, args, timeout):
    """Runs a test program as described at the top; returns (exit status, output, seconds)."""
    cmd = ["unshare", "-m", "-p", "-f", "--kill-child", "--mount-proc", "--propagation", "private",
           "sh", "-c", SANDBOX_SCRIPT, "sandbox", f"{timeout}s", str(binary)] + args
    began = time.monotonic()
    try:
        done = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                              timeout=timeout + 60)
        status, output = done.returncode, done.stdout.decode("utf-8", "replace")
    except subprocess.TimeoutExpired as e:
        status, output = 124, (e.stdout or b"").decode("utf-8", "replace")
    return status, output, time.monotonic() - began


def failed_tests(output, skipped=False):
    kinds = "FAILED|SKIPPED" if skipped else "FAILED"
    return sorted(set(re.findall(rf"^\[\s+(?:{kinds})\s+\] ([\w/]+[.][\w/]+)", output, re.M)))


def baseline(work, binary, runs, by_hand):
    """Tests that fail or are skipped unmutated in the sandbox, and the longest clean run's time.

    Several runs, since a flaky test left in would kill mutants by chance and make two rates differ.
    """
    excluded, seconds = set(by_hand), 0.0
    for _ in range(runs):
        status, output, took = sandboxed(binary, [gtest_filter(by_hand)], 1800)
        names = failed_tests(output, skipped=True)
        if status != 0 and not names:
            sys.exit(f"{binary.name} fails unmutated in the sandbox, and no test says why:\n{output[-3000:]}")
        excluded |= set(names)
        seconds = max(seconds, took)
    for _ in range(3):  # the rest must then pass as they are, or every mutant would look killed
        status, output, took = sandboxed(binary, [gtest_filter(excluded)], 1800)
        seconds = max(seconds, took)
        if status == 0:
            return sorted(excluded), seconds
        excluded |= set(failed_tests(output, skipped=True))
    sys.exit(f"{binary.name} still fails without its excluded tests:\n{output[-3000:]}")


def gtest_filter(excluded):
    return "--gtest_filter=-" + ":".join(sorted(excluded)) if excluded else "--gtest_filter=*"


# ---------------------------------------------------------------------------------------------------
# Reports

RESULTS = ("killed", "survived", "timeout", "not_viable")


def totals(mutants):
    t = {r: sum(1 for m in mutants if m.get("result") == r) for r in RESULTS}
    t["viable"] = t["killed"] + t["survived"] + t["timeout"]
    t["rate"] = round((t["killed"] + t["timeout"]) / t["viable"], 4) if t["viable"] else None
    return t


def rate_text(t):
    rate = f'{100 * t["rate"]:.1f}%' if t["rate"] is not None else "n/a"
    return (f'kill rate {rate}: {t["killed"]} killed + {t["timeout"]} timed out of {t["viable"]} viable; '
            f'{t["survived"]} survived, {t["not_viable"]} not viable')


def report(data):
    lines = [f'{data["commit"][:12]}  seed {data["seed"]}  sample {len(data["mutants"])} of '
             f'{data["candidates"]} candidates  paths {" ".join(data["paths"])}']
    for binary, names in data["excluded"].items():
        lines.append(f"excluded from {binary} ({len(names)}, failing or skipped unmutated in the sandbox):")
        lines += [f"    {n}" for n in names] or []
    lines.append("timeouts: " + ", ".join(f"{b} {s}s" for b, s in data["timeouts"].items()))
    lines.append("")
    lines.append(f'{"file":44} killed survived timeout not-viable')
    for f in sorted({m["file"] for m in data["mutants"]}):
        t = totals([m for m in data["mutants"] if m["file"] == f])
        lines.append(f'{f:44} {t["killed"]:6} {t["survived"]:8} {t["timeout"]:7} {t["not_viable"]:10}')
    lines.append("")
    lines.append(rate_text(totals(data["mutants"])))
    lines.append(f'time {data["seconds"] / 60:.1f} min')
    survivors = [m for m in data["mutants"] if m.get("result") == "survived"]
    if survivors:
        lines.append("")
        lines.append("survivors:")
        lines += ["    " + describe(m) for m in survivors]
    return "\n".join(lines)


def compare(a_path, b_path):
    a, b = (json.loads(Path(p).read_text()) for p in (a_path, b_path))
    print(f"{a_path}: {rate_text(totals(a['mutants']))}")
    print(f"{b_path}: {rate_text(totals(b['mutants']))}")
    if a.get("sample_digest") != b.get("sample_digest"):
        print("warning: the two runs did not sample the same mutants (product code, seed or sample changed)")
    after = {m["id"]: m for m in b["mutants"]}
    lost = [m for m in a["mutants"] if m.get("result") in ("killed", "timeout")
            and after.get(m["id"], {}).get("result") not in ("killed", "timeout")]
    print(f"killed before but not after: {len(lost)}")
    for m in lost:
        print(f'    [{after.get(m["id"], {}).get("result", "not run")}] {describe(m)}')
    return 1 if lost else 0


# ---------------------------------------------------------------------------------------------------

def main():
    repo_default = Path(__file__).resolve().parent.parent
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                 formatter_class=argparse.RawDescriptionHelpFormatter, epilog=__doc__)
    ap.add_argument("--paths", nargs="+", default=["core", "app"], help="product folders to mutate")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--sample", type=int, default=150, help="how many mutants to pick (0: all)")
    ap.add_argument("--list", action="store_true", help="print the sample and stop")
    ap.add_argument("--out", help="JSON file of every mutant and its result")
    ap.add_argument("--compare", nargs=2, metavar=("A.json", "B.json"))
    ap.add_argument("--repo", default=str(repo_default), help="the repository to copy (default: this one)")
    ap.add_argument("--rev", default="HEAD", help="the commit to copy")
    ap.add_argument("--with-changes", action="store_true", help="copy the working tree's uncommitted changes too")
    ap.add_argument("--work", default="/work/mutants", help="where the copy and the build live (not under /tmp)")
    ap.add_argument("--progress", help="append one line per mutant here (default: WORK/progress.txt)")
    ap.add_argument("--baseline-runs", type=int, default=10,
                    help="unmutated runs that decide the exclusions (a test that fails one run in four must not "
                         "slip through and kill mutants by chance)")
    ap.add_argument("--exclude", action="append", default=[], metavar="SUITE.TEST",
                    help="leave this test out too (gtest pattern; may be repeated)")
    ap.add_argument("--jobs", type=int, default=1, choices=[1], help="mutants at a time: one, always")
    args = ap.parse_args()

    if args.compare:
        return compare(*args.compare)

    repo, work = Path(args.repo).resolve(), Path(args.work).resolve()
    commit = resolve(repo, args.rev, args.with_changes)
    candidates = find_mutants(product_files(repo, commit, args.paths))
    if not args.list:
        if os.geteuid() != 0:
            sys.exit("needs root: the test programs are run as nobody in namespaces of their own")
        if work == Path("/tmp") or Path("/tmp") in work.parents or repo == work or repo in work.parents:
            sys.exit("--work must be outside /tmp and outside the repository")
        work.mkdir(parents=True, exist_ok=True)
        lock = open(work / "lock", "w")
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)  # one run, so one mutant, at a time
        except BlockingIOError:
            sys.exit(f"another run is using {work}")
        prepare_copy(repo, commit, work)
    k = len(candidates) if args.sample <= 0 else min(args.sample, len(candidates))
    sample = sorted(random.Random(args.seed).sample(candidates, k),
                    key=lambda m: (m["file"], m["line"], m["column"], m["operator"], m["replacement"]))
    digest = hashlib.sha256("\n".join(m["id"] for m in sample).encode()).hexdigest()
    if args.list:
        print(f"{k} of {len(candidates)} candidates, seed {args.seed}, sample digest {digest[:16]}")
        for m in sample:
            print(f'{m["operator"]:20} {describe(m)}')
        return 0

    src, build_dir = work / "src", work / "build"
    log = work / "build.log"
    log.write_text("")
    progress = Path(args.progress) if args.progress else work / "progress.txt"
    began = time.monotonic()
    run(["cmake", "-S", str(src), "-B", str(build_dir)] + CMAKE_OPTIONS, stdout=subprocess.DEVNULL)
    layers = sorted({m["file"].split("/")[0] for m in sample})
    targets = {layer: f"brisklet_{layer}_tests" for layer in layers}
    for target in targets.values():
        if not build(work, target, log):
            sys.exit(f"{target} does not build unmutated; see {log}")
    lock_down(work)
    excluded, timeouts = {}, {}
    for target in targets.values():
        names, seconds = baseline(work, build_dir / "tests" / target, args.baseline_runs, args.exclude)
        excluded[target], timeouts[target] = names, int(3 * seconds + 10)
        print(f"{target}: unmutated {seconds:.1f}s in the sandbox, timeout {timeouts[target]}s, "
              f"{len(names)} tests excluded: {' '.join(names) or '-'}", flush=True)
    with open(progress, "a") as p:
        p.write(f"{time.strftime('%H:%M:%S')} start: {k} mutants of {len(candidates)}, seed {args.seed}, "
                f"commit {commit[:12]}, timeouts {timeouts}\n")

    data = {"commit": commit, "seed": args.seed, "paths": args.paths, "candidates": len(candidates),
            "sample_digest": digest, "excluded": excluded, "timeouts": timeouts, "mutants": sample, "seconds": 0}
    try:
        for n, m in enumerate(sample, 1):
            target = targets[m["file"].split("/")[0]]
            path = src / m["file"]
            pristine = path.read_bytes()
            text = pristine.decode("utf-8")
            lines = text.split("\n")
            pos = sum(len(line) + 1 for line in lines[:m["line"] - 1]) + m["column"] - 1
            if text[pos:pos + len(m["original"])] != m["original"]:
                sys.exit(f"the copy does not hold what the mutant changes: {describe(m)}")
            t0 = time.monotonic()
            try:
                path.write_text(text[:pos] + m["replacement"] + text[pos + len(m["original"]):], encoding="utf-8")
                if not build(work, target, log):
                    m["result"] = "not_viable"
                else:
                    status, output, took = sandboxed(build_dir / "tests" / target, [gtest_filter(excluded[target])],
                                                     timeouts[target])
                    timed_out = status == 124 or status == 137 and took >= timeouts[target]
                    m["result"] = "timeout" if timed_out else "killed" if status else "survived"
                    m["failed_tests"] = failed_tests(output)[:20]
            finally:
                path.write_bytes(pristine)  # also on Ctrl-C: the copy must never keep a mutant
            m["seconds"] = round(time.monotonic() - t0, 1)
            data["seconds"] = round(time.monotonic() - began, 1)
            t = totals(sample[:n])
            elapsed = time.monotonic() - began
            line = (f"{time.strftime('%H:%M:%S')} {n}/{k} {m['result']:10} {describe(m)} | "
                    f"{rate_text(t)} | eta {(elapsed / n) * (k - n) / 60:.0f} min")
            print(line, flush=True)
            with open(progress, "a") as p:
                p.write(line + "\n")
                if n == 3 and elapsed / n * k > 70 * 60:
                    p.write(f"note: at {elapsed / n:.0f}s a mutant, all {k} take about {elapsed / n * k / 60:.0f}"
                            f" min, over 70\n")
            if args.out:
                Path(args.out).write_text(json.dumps(data, indent=1, ensure_ascii=False) + "\n")
    finally:
        data["seconds"] = round(time.monotonic() - began, 1)
        if args.out:
            Path(args.out).write_text(json.dumps(data, indent=1, ensure_ascii=False) + "\n")
    print()
    print(report(data))
    return 0


if __name__ == "__main__":
    sys.exit(main())
