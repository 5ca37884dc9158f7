#!/usr/bin/env python3
"""Writes docs/project.schema.json, the JSON Schema of the project file, from
the builder's own sources: the keys each table accepts (its CheckKeys lists),
the named values (named_values.cpp and local tables), the [options] names, and
the value type each key's reader takes. Run it after adding a key; the test
tests/e2e/test_project_schema.py fails while the schema and the sources differ.

    python3 tools/make_project_schema.py"""
import glob
import json
import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILDER = os.path.join(ROOT, "src", "builder")


def sources():
    return {p: open(p).read() for p in sorted(glob.glob(os.path.join(BUILDER, "*.cpp")))}


def table_keys(src):
    """{"[product]": [keys], "[[files]]": [...], "the project": [...]} from CheckKeys calls."""
    out = {}
    for s in src.values():
        for m in re.finditer(r'CheckKeys\(\*?\w+,\s*"([^"]+)",\s*\{([^}]*)\}', s, re.S):
            out[m.group(1)] = re.findall(r'"([^"]+)"', m.group(2))
    return out


def named_tables(src):
    """{table variable or accessor name: [names]} of every NamedValue table."""
    out = {}
    for s in src.values():
        for m in re.finditer(r'constexpr NamedValue (k\w+)\[\] = \{(.*?)\};', s, re.S):
            out[m.group(1)] = re.findall(r'\{"([^"]*)"', m.group(2))
        for m in re.finditer(r'std::span<const NamedValue> (\w+)\(\) \{ return (k\w+); \}', s):
            out[m.group(1)] = out.get(m.group(2), [])
        # An accessor with its table inside.
        for m in re.finditer(r'std::span<const NamedValue> (\w+)\(\) \{\s*static constexpr NamedValue \w+\[\] = '
                             r'\{(.*?)\};', s, re.S):
            out[m.group(1)] = re.findall(r'\{"([^"]*)"', m.group(2))
    return out


def option_names(src):
    s = src[os.path.join(BUILDER, "project.cpp")]
    body = re.search(r'constexpr NamedOption kOptions\[\] = \{(.*?)\n\};', s, re.S).group(1)
    return re.findall(r'\{"(\w+)", FlagWord', body)


# Keys whose value is not simply what their reader's name says.
SPECIAL = {
    ("[product]", "excluded_systems"): {"type": "array", "items": {"enum": "WindowsVersionNames"}},
    ("[[files]]", "attributes"): {"type": "array", "items": {"enum": "AttributeNames"}},
    ("[[files]]", "version"): {"type": "string"},
    ("[[languages]]", "messages"): {"type": "object", "additionalProperties": {"type": "string"},
                                    "propertyNames": {"pattern": "^[0-9]+$"}},
    ("[[delete]]", "value"): {"description": "a date, a date and time, or a size in bytes"},
    ("[[registry]]", "value"): {"type": ["string", "integer"]},
    ("[finish]", "readme"): {"type": ["string", "array"], "items": {"type": "string"}},
    ("[finish]", "licence"): {"type": ["string", "array"], "items": {"type": "string"}},
    ("[archive]", "file_times"): {"enum": ["fixed", "sources"]},
    ("[batches]", "*"): {"type": "string"},
    ("[notify]", "*"): {"type": "string", "description": "an http(s) address; %version% is replaced"},
    ("[[files]]", "kind"): {"enum": "FileKindNames"},
    ("[wizard]", "dialogs"): {"type": "object", "additionalProperties": False, "properties": {
        d: {"enum": "kVariants"} for d in ("greeting", "language", "licence", "readme", "folder", "start_menu",
                                           "progress", "summary")}},
    ("[finish]", "save_readme"): {"type": "boolean"},
    ("[finish]", "save_licence"): {"type": "boolean"},
    ("[finish]", "reboot_marker"): {"type": "boolean"},
    ("[finish]", "ask_restart_when_silent"): {"type": "boolean"},
    ("[finish]", "background_bitmap"): {"type": "string"},
    ("[[shortcuts]]", "window"): {"enum": "ShortcutWindowNames"},
}


def key_schema(src, named, table, key):
    if (table, key) in SPECIAL or (table, "*") in SPECIAL:
        schema = dict(SPECIAL.get((table, key)) or SPECIAL[(table, "*")])
        if isinstance(schema.get("enum"), str):
            schema["enum"] = named[schema["enum"]]
        for name, sub in list(schema.get("properties", {}).items()):
            if isinstance(sub.get("enum"), str):
                schema["properties"][name] = {"enum": named[sub["enum"]]}
        items = schema.get("items")
        if isinstance(items, dict) and isinstance(items.get("enum"), str):
            schema["items"] = {"enum": named[items["enum"]]}
        return schema
    # The reader used for this key in the function that checks this table,
    # else anywhere in the builder.
    bodies = []
    for s in src.values():
        at = s.find(f'"{table}"')
        if at < 0 or "CheckKeys" not in s[max(0, at - 60):at]:
            continue
        end = s.find("\nbool Compiler::", at)
        bodies.append(s[at:end if end > 0 else len(s)])
    for body in bodies + list(src.values()):
        m = re.search(r'(GetBool|GetInteger|GetNamed|GetString|GetWide|GetAnsi|GetColour|GetScale|IconFile|ReadIcon|TextFiles)'
                      r'\(\*?\w+,\s*"%s"(?:,\s*(\w+)(?:\(\))?)?' % re.escape(key), body)
        if not m:
            continue
        reader = m.group(1)
        if reader == "GetBool":
            return {"type": "boolean"}
        if reader == "GetInteger":
            return {"type": "integer"}
        if reader == "GetColour":
            return {"type": "string", "pattern": "^#[0-9A-Fa-f]{6}$"}
        if reader == "GetScale":
            return {"type": "number", "exclusiveMinimum": 0, "maximum": 10}
        if reader == "GetNamed" and m.group(2) in named:
            return {"enum": named[m.group(2)]}
        return {"type": "string"}
    return UNKNOWN


# A key whose reader the generator cannot see: give it an entry in SPECIAL.
UNKNOWN = {"type": ["string", "boolean", "integer"], "description": "type unknown to the generator"}


def make():
    src = sources()
    tables = table_keys(src)
    named = named_tables(src)
    props = {}
    for key in tables.pop("the project"):
        header = f"[[{key}]]" if f"[[{key}]]" in tables else f"[{key}]"
        if key == "options":
            body = {"type": "object", "additionalProperties": False,
                    "properties": {o: {"type": "boolean"} for o in option_names(src)}}
        else:
            keys = tables.get(header, [])
            body = {"type": "object", "additionalProperties": False,
                    "properties": {k: key_schema(src, named, header, k) for k in keys}}
        props[key] = {"type": "array", "items": body} if header.startswith("[[") else body
    return {
        "$schema": "http://json-schema.org/draft-07/schema#",
        "$id": "https://keldwick.example/project.schema.json",
        "title": "Keldwick Setup project file",
        "description": "Written by tools/make_project_schema.py from the builder's sources; see docs/project-file.md.",
        "type": "object",
        "additionalProperties": False,
        "required": ["product"],
        "properties": props,
    }


if __name__ == "__main__":
    path = os.path.join(ROOT, "docs", "project.schema.json")
    with open(path, "w") as f:
        json.dump(make(), f, indent=2)
        f.write("\n")
    print("wrote", path)
