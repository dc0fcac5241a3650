#!/usr/bin/env python3
"""Fails when the files that define TAutoUpdate's members call each other in a circle.

A file calls another when it names a member the other defines: a function as `Name(`, a
nested class by its name. The step hosts declare methods of the members' names
(`void ReportStatus(...) override`); those declarations, qualified free functions
(`::ControlValue(`), comments and string literals are not calls. With --list the call
edges are printed, one file and what it calls on a line.
"""
import pathlib
import re
import sys

RUN_FOLDER = pathlib.Path(__file__).resolve().parent.parent / "update" / "run"
CLASS = "TAutoUpdate"

# Definitions stand unindented at namespace scope: `type TAutoUpdate::Name(`, a nested
# class's members `TAutoUpdate::Nested::Name(`, and `class TAutoUpdate::Nested`.
FUNCTION_DEFINITION = re.compile(rf"^[^\s#/].*?\b{CLASS}::(\w+)(?:::~?\w+)?\s*\(", re.M)
CLASS_DEFINITION = re.compile(rf"^class {CLASS}::(\w+)\b", re.M)
COMMENT_OR_LITERAL = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)


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


def calls(text, name, is_class):
    if is_class:
        return re.search(rf"(?<![\w:]){name}\b", text) is not None
    for match in re.finditer(rf"(?<!\w){name}\s*\(", text):
        before = text[: match.start()]
        # Qualified, it is a free function of the same name or, unindented, a definition; only
        # an indented `TAutoUpdate::Name(` is a call.
        indented = before[before.rfind("\n") + 1] in " \t"
        if before.endswith("::") and not (before.endswith(f"{CLASS}::") and indented):
            continue
        after = text[closing_paren(text, match.end() - 1) :]
        # A host's override of the same name.
        if re.match(r"\s*(?:const\s*)?override\b", after):
            continue
        return True
    return False


def member_files():
    files = {}
    for path in sorted(RUN_FOLDER.glob("*.cpp")):
        text = code_of(path)
        functions = {name for name in FUNCTION_DEFINITION.findall(text) if name != CLASS}
        classes = set(CLASS_DEFINITION.findall(text))
        if functions or classes:
            files[path.name] = (text, functions, classes)
    return files


def call_edges(files):
    edges = {}
    for caller, (text, _, _) in files.items():
        edges[caller] = {}
        for callee, (_, functions, classes) in files.items():
            if callee == caller:
                continue
            named = sorted(name for name in functions | classes if calls(text, name, name in classes))
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
    edges = call_edges(member_files())
    if "--list" in sys.argv[1:]:
        for caller, callees in edges.items():
            for callee, names in callees.items():
                print(f"{caller} -> {callee}: {', '.join(names)}")
    found = circle(edges)
    if found:
        print(f"{CLASS}'s member files call in a circle: {' -> '.join(found)}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
