#!/usr/bin/env python3
"""Fails when the update's source files call each other in a circle.

The files are those of update/run and update/rules. A file calls another when it names
what the other defines: a member of TAutoUpdate as `Name(` inside the component's members or
as `update.Name(` (a nested class by its name), a free function as `Name(` or `::Name(`, and
an interface's method (`edge.Name(`) in a file that holds a reference or pointer of the
interface's type, which calls every file that implements the interface (`class Wire :
public Interface`, in the file or its header). A definition, a declaration that overrides
(`void ReportStatus(...) override`), a function of a file's anonymous namespace, comments and
string literals are not calls. A call through a std::function is not seen: a step given the
component's operation as a function calls nothing of the component's files. With --list the call edges are printed, one file and what it
calls on a line.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent / "update"
FOLDERS = [ROOT / "run", ROOT / "rules"]
CLASS = "TAutoUpdate"

# Definitions stand unindented at namespace scope: `type TAutoUpdate::Name(`, a nested
# class's members `TAutoUpdate::Nested::Name(`, and `class TAutoUpdate::Nested`.
MEMBER_DEFINITION = re.compile(rf"^[^\s#/].*?\b{CLASS}::(\w+)(?:::~?\w+)?\s*\(", re.M)
CLASS_DEFINITION = re.compile(rf"^class {CLASS}::(\w+)\b", re.M)
# `type Name(` at the start of a line, not a member of a class.
FREE_DEFINITION = re.compile(r"^(?!return\b|using\b|typedef\b)[A-Za-z_][\w:<>,*& ]*?[\s*&]([A-Za-z_]\w*)\s*\(", re.M)
INTERFACE = re.compile(r"^class (\w+)(?:\s*:\s*public\s+\w+)?\s*\{\n", re.M)
PURE_METHOD = re.compile(r"virtual [^;]*?\b(\w+)\s*\([^;]*?=\s*0\s*;", re.S)
IMPLEMENTATION = re.compile(r"\b(?:class|struct)\s+(?:\w+::)*(\w+)\s*:\s*((?:(?:public\s+)?\w+\s*,?\s*)+)\{")
COMMENT_OR_LITERAL = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)
# Its closing comment is blanked with the others.
ANONYMOUS_NAMESPACE = re.compile(r"^namespace \{\n.*?^\} *\n", re.M | re.S)


def code_of(path):
    # Blanked, not removed: lines keep their places and their indentation.
    return COMMENT_OR_LITERAL.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), path.read_text())


def closing_paren(text, start):
    """The index after the parenthesis that closes the one at start."""
    depth = 0
    for index in range(start, len(text)):
        if text[index] == "(":
            depth += 1
        elif text[index] == ")":
            depth -= 1
            if depth == 0:
                return index + 1
    return len(text)


def is_definition_line(text, at):
    return at == 0 or text[at - 1] == "\n"


def calls_member(text, name, is_class, in_member_file):
    if is_class:
        return re.search(rf"(?<![\w:]){name}\b", text) is not None
    for match in re.finditer(rf"(?<![\w:]){name}\s*\(", text):
        before = text[: match.start()]
        # Through a reference to the component, or unqualified inside the component's members;
        # anything else called through `.` or `->` is another object's.
        receiver = re.search(r"([\w\]\)]+)\s*(?:\.|->)$", before)
        if receiver:
            if receiver.group(1) not in ("update", "update_", "this"):
                continue
            return True
        if not in_member_file and not before.endswith("::"):
            continue
        line_start = before.rfind("\n") + 1
        # Qualified, it is a free function of the same name or, unindented, a definition; only
        # an indented `TAutoUpdate::Name(` is a call.
        indented = before[line_start] in " \t" if line_start < len(before) else False
        if before.endswith("::") and not (before.endswith(f"{CLASS}::") and indented):
            continue
        if not indented and not before.endswith("::"):
            continue
        after = text[closing_paren(text, match.end() - 1) :]
        if re.match(r"\s*(?:const\s*)?override\b", after):
            continue
        return True
    return False


def calls_free(text, name, also_member, in_member_file):
    for match in re.finditer(rf"(?<![\w.>]){name}\s*\(", text):
        before = text[: match.start()]
        qualified = before.endswith("::")
        # `Other::Name(` is another class's member.
        if qualified and re.search(r"[\w>]::$", before):
            continue
        # Unqualified inside the component's members, a name the component also has is the
        # member's.
        if also_member and in_member_file and not qualified:
            continue
        line_start = before.rfind("\n") + 1
        if not before[line_start:].strip() and match.start() == line_start:
            continue
        after = text[closing_paren(text, match.end() - 1) :]
        # A definition: its body follows, or (a declaration) nothing is done with it.
        if before[line_start:line_start + 1] not in (" ", "\t") and re.match(r"\s*(?:const\s*)?\{", after):
            continue
        if re.match(r"\s*(?:const\s*)?override\b", after):
            continue
        return True
    return False


def interfaces():
    """Interface name -> its pure methods, from the headers: a class with pure methods."""
    found = {}
    for folder in FOLDERS:
        for header in sorted(folder.glob("*.h")):
            text = code_of(header)
            for match in INTERFACE.finditer(text):
                body = text[match.end() : text.find("\n};", match.end())]
                if methods := set(PURE_METHOD.findall(body)):
                    found[match.group(1)] = methods
    return found


def source_files():
    files = {}
    for folder in FOLDERS:
        for path in sorted(folder.glob("*.cpp")):
            text = code_of(path)
            members = {name for name in MEMBER_DEFINITION.findall(text) if name != CLASS}
            classes = set(CLASS_DEFINITION.findall(text))
            public_text = ANONYMOUS_NAMESPACE.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)
            free = {
                match.group(1)
                for match in FREE_DEFINITION.finditer(public_text)
                if not public_text[: match.start(1)].endswith("::")
                and re.match(r"\s*(?:const\s*)?\{", public_text[closing_paren(public_text, match.end() - 1) :])
            }
            # A class that implements an interface is declared in the unit's header or its file.
            implemented = set()
            header = path.with_suffix(".h")
            for source in [text] + ([code_of(header)] if header.exists() else []):
                for match in IMPLEMENTATION.finditer(source):
                    implemented |= {
                        (match.group(1), base.split()[-1]) for base in match.group(2).split(",") if base.strip()
                    }
            files[f"{path.parent.name}/{path.name}"] = (text, members, classes, free, implemented)
    return files


def call_edges(files, known_interfaces):
    member_names = set().union(*(members for _, members, _, _, _ in files.values()))
    edges = {}
    for caller, (text, caller_members, _, _, _) in files.items():
        in_member_file = bool(caller_members) or bool(re.search(rf"\b{CLASS}\s*&\s*update_?\b", text))
        edges[caller] = {}
        for callee, (_, members, classes, free, implemented) in files.items():
            if callee == caller:
                continue
            named = sorted(
                name for name in members | classes if calls_member(text, name, name in classes, in_member_file)
            )
            named += sorted(name for name in free if calls_free(text, name, name in member_names, in_member_file))
            # An interface that extends another implements nothing.
            bases = {base for derived, base in implemented if derived not in known_interfaces}
            for interface in bases & known_interfaces.keys():
                if not re.search(rf"\b{interface}\s*[&*]", text):
                    continue
                named += sorted(
                    f"{interface}::{method}"
                    for method in known_interfaces[interface]
                    if re.search(rf"(?:\.|->){method}\s*\(", text)
                )
            if named:
                edges[caller][callee] = named
    return edges


def circle(edges):
    """One circle of files as a list, or None."""
    state = {}

    def visit(node, path):
        state[node] = "open"
        for successor in edges[node]:
            if state.get(successor) == "open":
                return path[path.index(successor) :] + [successor]
            if successor not in state:
                found = visit(successor, path + [successor])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in edges:
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def main():
    edges = call_edges(source_files(), interfaces())
    if "--list" in sys.argv[1:]:
        for caller, callees in edges.items():
            for callee, names in callees.items():
                print(f"{caller} -> {callee}: {', '.join(names)}")
    found = circle(edges)
    if found:
        print(f"the update's files call in a circle: {' -> '.join(found)}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
