#!/usr/bin/env python3
"""accessible.py PID [--press NAME]...: reads the accessibility tree (AT-SPI) of
the program with process id PID, as a screen reader does, through gdbus on
the session's accessibility bus.

Each --press NAME presses the first control named NAME (its "Press" action,
as a click does, else its first action). Then it prints every control of the program, one a line, as
"ROLE<TAB>NAME". Exits 1 when the program is not on the bus or a control to
press is missing."""
import re
import subprocess
import sys

ROOT = "/org/a11y/atspi/accessible/root"


def gdbus(address, *arguments):
    result = subprocess.run(["gdbus", "call", "--address", address, *arguments],
                            capture_output=True, text=True, timeout=20, check=False)
    if result.returncode != 0:
        raise RuntimeError(result.stderr.strip())
    return result.stdout.strip()


def bus_address():
    out = subprocess.run(["gdbus", "call", "--session", "--dest", "org.a11y.Bus",
                          "--object-path", "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress"],
                         capture_output=True, text=True, timeout=20, check=True).stdout
    return re.match(r"\('(.*)',\)", out.strip()).group(1)


def children(address, node):
    out = gdbus(address, "--dest", node[0], "--object-path", node[1],
                "--method", "org.a11y.atspi.Accessible.GetChildren")
    return re.findall(r"\('([^']*)', (?:objectpath )?'([^']*)'\)", out)


def text_of(out):
    # gdbus prints a string as '...' (or "..." when it holds a quote).
    match = re.search(r"""(?:<)?(['"])(.*)\1""", out)
    return match.group(2) if match else ""


def name(address, node):
    return text_of(gdbus(address, "--dest", node[0], "--object-path", node[1], "--method",
                         "org.freedesktop.DBus.Properties.Get", "org.a11y.atspi.Accessible",
                         "Name"))


def role(address, node):
    return text_of(gdbus(address, "--dest", node[0], "--object-path", node[1],
                         "--method", "org.a11y.atspi.Accessible.GetRoleName"))


def press(address, node):
    # The action a click does ("Press"), else the first.
    out = gdbus(address, "--dest", node[0], "--object-path", node[1],
                "--method", "org.a11y.atspi.Action.GetActions")
    names = re.findall(r"\('([^']*)', '[^']*', '[^']*'\)", out)
    index = names.index("Press") if "Press" in names else 0
    gdbus(address, "--dest", node[0], "--object-path", node[1],
          "--method", "org.a11y.atspi.Action.DoAction", str(index))


def program(address, pid):
    for app in children(address, ("org.a11y.atspi.Registry", ROOT)):
        out = gdbus(address, "--dest", "org.freedesktop.DBus", "--object-path",
                    "/org/freedesktop/DBus", "--method",
                    "org.freedesktop.DBus.GetConnectionUnixProcessID", app[0])
        if re.search(r"\b%d\b" % pid, out):
            return app
    return None


def walk(address, node, seen):
    if node in seen or len(seen) > 5000:
        return
    seen.add(node)
    yield node
    for child in children(address, node):
        yield from walk(address, child, seen)


def main():
    pid = int(sys.argv[1])
    presses = []
    arguments = sys.argv[2:]
    while arguments:
        if arguments[0] != "--press" or len(arguments) < 2:
            sys.exit(__doc__)
        presses.append(arguments[1])
        arguments = arguments[2:]
    address = bus_address()
    app = program(address, pid)
    if app is None:
        print("accessible.py: the program is not on the accessibility bus", file=sys.stderr)
        sys.exit(1)
    for wanted in presses:
        for node in walk(address, app, set()):
            if name(address, node) == wanted:
                press(address, node)
                break
        else:
            print("accessible.py: no control named %r" % wanted, file=sys.stderr)
            sys.exit(1)
    for node in walk(address, app, set()):
        print("%s\t%s" % (role(address, node), name(address, node)))


if __name__ == "__main__":
    main()
