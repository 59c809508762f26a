#!/usr/bin/env python3
"""Puts the names of core/StringIds.h where the code spells a resource number.

    tools/strings/apply_string_names.py [--no-format] [FILE...]

Safe to run again at any time (after a merge, say): it
  1. finds constants defined as a resource number (`constexpr int kX = 61217;`,
     in a file, a namespace such as `storemsg` or a class), deletes them and
     remembers their old spelling in tools/strings/old_names.tsv;
  2. rewrites every use of a remembered old name (`storemsg::kCannotOpen`,
     `Class::kX`, a file's own `kX`) to its `ids::` name;
  3. rewrites the resource numbers the code itself spells (not those in
     comments or string literals) to their `ids::` name;
  4. includes core/StringIds.h where it is now needed and clang-formats what
     it changed.
Only numbers from 32000 up are taken for resource numbers: below that the
code's numbers are sizes, page and control ids. KEEP lists the constants that
are another kind of id equal to a resource number; they stay, spelled by name.
"""

import argparse
import pathlib
import re
import shutil
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the tree
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import gen_string_names as gen  # noqa: E402

ROOT = gen.ROOT
TABLE = ROOT / "tools/strings/old_names.tsv"
FOLDERS = ["core", "records", "device", "analysis", "render", "ui", "app", "tools", "tests",
           "bench", "fuzz"]
HEADER = "core/StringIds.h"
MIN_ID = 32000
# Resource numbers below MIN_ID that a constant names: (file, constant).
SMALL_IDS = {("core/Langpack.h", "kDocTemplate")}
# Constants that are not resource numbers although equal to one: page ids.
# Headers that held nothing but such constants and are gone; their includes go.
GONE = {"records/StoreMessages.h", "records/PatientDialogTexts.h"}
KEEP = {("page", "kReplayByCommand"), ("page", "kSnapDataByCommand")}

DEF_RE = re.compile(
    r"^(?P<indent>[ \t]*)(?P<spec>(?:static\s+|inline\s+)*)constexpr\s+int\s+"
    r"(?P<list>k\w+\s*=\s*\d+(?:\s*,\s*k\w+\s*=\s*\d+)*)\s*;(?P<tail>.*)$")
PAIR_RE = re.compile(r"(k\w+)\s*=\s*(\d+)")
DELETED = []  # (file, constant) of the definitions taken out this run
NUMBER_RE = re.compile(r"(?<![\w.'])(\d{5})(?![\w.'])")


def split_code(text):
    """[(kind, piece)], kind 'code', 'comment' or 'string', covering text."""
    out, i, start, n = [], 0, 0, len(text)

    def flush(upto, kind="code"):
        nonlocal start
        if upto > start:
            out.append((kind, text[start:upto]))
        start = upto

    while i < n:
        c = text[i]
        if text.startswith("//", i):
            flush(i)
            j = text.find("\n", i)
            i = n if j < 0 else j
            flush(i, "comment")
        elif text.startswith("/*", i):
            flush(i)
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
            flush(i, "comment")
        elif c == 'R' and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            flush(i)
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            end = text.find(")" + (m.group(1) if m else "") + '"', i)
            i = n if end < 0 else end + len(m.group(1) if m else "") + 2
            flush(i, "string")
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isdigit() and text[i + 1 : i + 2].isalnum():
                # a digit separator (1'000), not a character literal
                i += 1
                continue
            flush(i)
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = min(j + 1, n)
            flush(i, "string")
        else:
            i += 1
    flush(n)
    return out


def code_only(text):
    return "".join(p if k == "code" else re.sub(r"[^\n]", " ", p) for k, p in split_code(text))


def scopes_by_line(text):
    """For each line, the stack of (kind, name) open at its start."""
    code = code_only(text)
    stack, since = [], 0
    line_stack = [[]]
    for i, c in enumerate(code):
        if c == "{":
            head = code[since:i]
            m = re.search(r"namespace\s*([\w:]*)\s*$", head)
            k = re.search(r"\b(?:class|struct)\s+(\w+)[^;()]*$", head)
            if m:
                stack.append(("namespace", m.group(1)))
            elif k:
                stack.append(("class", k.group(1)))
            else:
                stack.append(("block", None))
            since = i + 1
        elif c == "}":
            if stack:
                stack.pop()
            since = i + 1
        elif c == ";":
            since = i + 1
        elif c == "\n":
            line_stack.append(list(stack))
    return line_stack


def read_table():
    rows = set()
    if TABLE.exists():
        for line in TABLE.read_text(encoding="utf-8").splitlines():
            if line and not line.startswith("#"):
                kind, where, name, number = line.split("\t")
                rows.add((kind, where, name, int(number)))
    return rows


def write_table(rows):
    lines = ["# Old names of resource numbers that tools/strings/apply_string_names.py",
             "# rewrites: kind<TAB>where<TAB>name<TAB>number. qual: where::name anywhere;",
             "# class: where::name anywhere and name in where.h/.cpp; local: name (and ns::name)\n"
             "# in file where (file#ns)."]
    lines += ["\t".join(map(str, r)) for r in sorted(rows)]
    TABLE.write_text("\n".join(lines) + "\n", encoding="utf-8")


def is_id(number, ids, path, name):
    return number in ids and (number >= MIN_ID or (path, name) in SMALL_IDS)


def take_definitions(path, text, ids, rows):
    """Deletes the constants of resource numbers; returns the new text."""
    lines = text.split("\n")
    stacks = scopes_by_line(text)
    out = []
    for index, line in enumerate(lines):
        m = DEF_RE.match(line)
        if not m:
            out.append(line)
            continue
        stack = stacks[index] if index < len(stacks) else []
        named = [s for s in stack if s[0] in ("namespace", "class") and s[1]]
        inner = named[-1] if named else None
        if inner and inner[0] == "namespace" and inner[1].split("::")[-1] == "vantora":
            inner = None
        kept = []
        for name, number in PAIR_RE.findall(m.group("list")):
            number = int(number)
            where = inner[1].split("::")[-1] if inner else None
            if not is_id(number, ids, path, name) or (where, name) in KEEP:
                kept.append(f"{name} = {number}")
                continue
            DELETED.append((path, name))
            block = any(s[0] == "block" for s in stack)
            if inner and inner[0] == "class" and not block:
                rows.add(("class", inner[1], name, number))
            elif inner and inner[0] == "namespace" and not block and path.endswith(".h"):
                rows.add(("qual", where, name, number))
            elif inner and inner[0] == "namespace" and not block:
                rows.add(("local", f"{path}#{where}", name, number))  # a .cpp's own namespace
            else:
                rows.add(("local", path, name, number))
        if kept:
            tail = m.group("tail") if len(kept) == len(PAIR_RE.findall(m.group("list"))) else ""
            out.append(f"{m.group('indent')}{m.group('spec')}constexpr int {', '.join(kept)};{tail}")
    text = "\n".join(out)
    # Namespaces left empty go, with the comment lines just above them.
    empty = re.compile(r"(?:^[ \t]*//[^\n]*\n)*^namespace ?(\w*) \{\n(?:[ \t]*//[^\n]*\n|\s*\n)*"
                       r"\}(?: // namespace ?\1)?\n\n?", re.M)
    return empty.sub("", text)


def rename(text, pattern, replace):
    """Applies the regex to code and comments, never inside string literals."""
    return "".join(p if k == "string" else pattern.sub(replace, p) for k, p in split_code(text))


def prefix_for(text):
    inside = re.search(r"^\s*(namespace vantora\b|using namespace vantora;)", text, re.M)
    return "ids::" if inside else "vantora::ids::"


def apply_names(path, text, rows, names):
    ids_prefix = prefix_for(text)
    stem = pathlib.Path(path).stem
    for kind, where, name, number in sorted(rows):
        new = ids_prefix + names[number]
        if kind in ("qual", "class"):
            qual = re.compile(rf"(?<![\w:])((?:vantora::)?(?:\w+::)*){where}::{name}\b")
            text = rename(text, qual, lambda m, n=names[number]:
                          ("vantora::ids::" if m.group(1).startswith("vantora::") else ids_prefix) + n)
        if kind == "local" and where.startswith(path + "#"):
            qual = re.compile(rf"(?<![\w:]){where.split('#')[1]}::{name}\b")
            text = rename(text, qual, new)
        bare = (kind == "local" and where.split("#")[0] == path) or (kind == "class" and where == stem) or (
            kind == "qual" and re.search(rf"^using namespace (?:vantora::)?{where};", text, re.M))
        if bare:
            text = rename(text, re.compile(rf"(?<![\w:.>]){name}\b"), new)
    # A `using namespace` of a namespace that is gone.
    for kind, where, _, _ in rows:
        if kind == "qual":
            text = re.sub(rf"^using namespace (?:vantora::)?{where};\n", "", text, flags=re.M)
    return text


def apply_numbers(text, ids, names):
    ids_prefix = prefix_for(text)

    count = 0

    def sub(m):
        nonlocal count
        number = int(m.group(1))
        if number not in ids or number < MIN_ID:
            return m.group(0)
        count += 1
        return ids_prefix + names[number]

    out = [NUMBER_RE.sub(sub, p) if k == "code" else p for k, p in split_code(text)]
    return "".join(out), count


def add_include(path, text):
    if path == HEADER or f'#include "{HEADER}"' in text or "ids::" not in code_only(text):
        return text
    includes = list(re.finditer(r'^#include "[^"]+"\n', text, re.M))
    if includes:
        # Into the block of project includes (the last one), which clang-format sorts.
        at = includes[-1].end()
    else:
        at = text.find("\n", text.find("#pragma once")) + 1 if "#pragma once" in text else 0
        return text[:at] + f'\n#include "{HEADER}"\n' + text[at:]
    return text[:at] + f'#include "{HEADER}"\n' + text[at:]


def files(selected):
    if selected:
        return [pathlib.Path(f).resolve().relative_to(ROOT).as_posix() for f in selected]
    out = []
    for folder in FOLDERS:
        for p in sorted((ROOT / folder).rglob("*")):
            if p.suffix in (".h", ".cpp") and p.is_file():
                out.append(p.relative_to(ROOT).as_posix())
    return [f for f in out if f != HEADER]


def is_empty_header(text):
    body = re.sub(r"#pragma once|namespace [\w:]* \{|\}", "", code_only(text))
    return body.strip() == ""


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--no-format", action="store_true", help="skip clang-format")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    strings = gen.read_strings()
    names = gen.names(strings)
    ids = set(names)
    rows = read_table()
    paths = files(args.files)
    texts = {p: (ROOT / p).read_text(encoding="utf-8") for p in paths}
    new = {p: take_definitions(p, t, ids, rows) for p, t in texts.items()}
    gone = {p for p, t in new.items() if p.endswith(".h") and is_empty_header(t) and t != texts[p]}
    total, touched = 0, []
    for p in paths:
        if p in gone:
            continue
        t = new[p]
        for g in sorted(gone | GONE):  # the names it held are in HEADER now
            held = f'#include "{HEADER}"\n' in t
            t = re.sub(rf'^#include "{re.escape(g)}"\n', "" if held else f'#include "{HEADER}"\n',
                       t, flags=re.M)
        t = apply_names(p, t, rows, names)
        t, count = apply_numbers(t, ids, names)
        t = add_include(p, t)
        if t != texts[p]:
            (ROOT / p).write_text(t, encoding="utf-8")
            touched.append(p)
            total += count
            print(f"{p}: {count} numbers")
    for g in gone:
        (ROOT / g).unlink()
        print(f"{g}: removed, its names are in {HEADER}")
    write_table(rows)
    if touched and not args.no_format and shutil.which("clang-format"):
        subprocess.run(["clang-format", "-i", *[str(ROOT / p) for p in touched]], check=True)
    print(f"{total} numbers and {len(DELETED)} constant definitions replaced in {len(touched)} "
          f"files; {len(rows)} old names known")
    return 0


if __name__ == "__main__":
    sys.exit(main())
