#!/usr/bin/env python3
"""The folder layering of src/ as a test: which folders may include which.

setup/ drives a run and may reach everything; nothing reaches up into it. The
install, script and uninstall operations talk to the user through callbacks,
never through ui/. core/ wraps the system for everyone and knows no
subsystem, and portable/ never sees windows.h. Prints each breach and exits 1."""
import os
import re
import sys

SUBSYSTEMS = ("setup", "script", "install", "uninstall", "ui", "net")

# (folder the rule covers, what its files may not include, why)
RULES = [
    ("engine/" + s, re.compile(r'#\s*include\s+"setup/'), "only setup/ includes setup/")
    for s in SUBSYSTEMS if s != "setup"
] + [
    ("engine/core", re.compile(r'#\s*include\s+"(?:%s)/' % "|".join(SUBSYSTEMS)), "core/ knows no subsystem"),
    ("portable", re.compile(r'#\s*include\s+[<"](?:windows\.h|core/|setup/|script/|install/|uninstall/|ui/|net/)',
                            re.IGNORECASE), "portable/ stays free of the system"),
    ("engine/net", re.compile(r'#\s*include\s+"(?:setup|script|install|uninstall|ui)/'),
     "net/ uses only core/ and portable/"),
    ("builder", re.compile(r'#\s*include\s+"(?:engine/|(?:%s)/|core/)' % "|".join(SUBSYSTEMS)),
     "the builder uses only portable/"),
] + [
    ("engine/" + s, re.compile(r'#\s*include\s+"ui/'), "operations reach the user through callbacks, not ui/")
    for s in ("install", "script", "uninstall")
]


def breaches(src):
    found = []
    for folder, pattern, why in RULES:
        root = os.path.join(src, folder)
        for dirpath, _, files in os.walk(root):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        if pattern.match(line.strip()):
                            found.append(f"{os.path.relpath(path, src)}:{number}: {line.strip()}  ({why})")
    return found


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    if not os.path.isdir(os.path.join(src, "engine", "setup")):
        print(f"layering: {src} is not the source folder")
        return 1
    found = breaches(src)
    for line in found:
        print(line)
    print(f"layering: {len(found)} breach(es)" if found else "layering: every include keeps to its layer")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
