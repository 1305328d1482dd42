#!/usr/bin/env python3
"""accessible.py PID [--press NAME]...: reads the accessibility tree (AT-SPI) of
process PID as a screen reader does, through gdbus. Each --press NAME presses
the first control named NAME (its "Press" action, else its first). Then prints
every control as "ROLE<TAB>NAME"."""
import re
import subprocess
import sys


def gdbus(*arguments):
    result = subprocess.run(["gdbus", "call", *arguments], capture_output=True, text=True,
                            timeout=20, check=False)
    if result.returncode != 0:
        raise RuntimeError(result.stderr.strip())
    return result.stdout.strip()


def call(address, node, method, *arguments):
    return gdbus("--address", address, "--dest", node[0], "--object-path", node[1],
                 "--method", method, *arguments)


def text_of(out):
    # gdbus prints a string as '...' (or "..." when it holds a quote).
    match = re.search(r"""(['"])(.*)\1""", out)
    return match.group(2) if match else ""


def children(address, node):
    out = call(address, node, "org.a11y.atspi.Accessible.GetChildren")
    return re.findall(r"\('([^']*)', (?:objectpath )?'([^']*)'\)", out)


def name(address, node):
    return text_of(call(address, node, "org.freedesktop.DBus.Properties.Get",
                        "org.a11y.atspi.Accessible", "Name"))


def role(address, node):
    return text_of(call(address, node, "org.a11y.atspi.Accessible.GetRoleName"))


def press(address, node):
    names = re.findall(r"\('([^']*)', '[^']*', '[^']*'\)",
                       call(address, node, "org.a11y.atspi.Action.GetActions"))
    call(address, node, "org.a11y.atspi.Action.DoAction",
         str(names.index("Press") if "Press" in names else 0))


def walk(address, node, seen):
    if node in seen or len(seen) > 5000:
        return
    seen.add(node)
    yield node
    for child in children(address, node):
        yield from walk(address, child, seen)


def main():
    if len(sys.argv) < 2 or len(sys.argv) % 2 or any(a != "--press" for a in sys.argv[2::2]):
        sys.exit(__doc__)
    pid = int(sys.argv[1])
    address = re.match(r"\('(.*)',\)", gdbus(
        "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus",
        "--method", "org.a11y.Bus.GetAddress")).group(1)
    root = ("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
    apps = [app for app in children(address, root) if re.search(r"\b%d\b" % pid, gdbus(
        "--address", address, "--dest", "org.freedesktop.DBus", "--object-path",
        "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.GetConnectionUnixProcessID",
        app[0]))]
    if not apps:
        sys.exit("accessible.py: the program is not on the accessibility bus")
    for wanted in sys.argv[3::2]:
        node = next((n for n in walk(address, apps[0], set()) if name(address, n) == wanted), None)
        if node is None:
            sys.exit("accessible.py: no control named %r" % wanted)
        press(address, node)
    for node in walk(address, apps[0], set()):
        print("%s\t%s" % (role(address, node), name(address, node)))


if __name__ == "__main__":
    main()
