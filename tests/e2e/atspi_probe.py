"""An AT-SPI client, as a screen reader is one: reads the program's accessibility tree and
presses its controls through Debian's python3-pyatspi.

Run with the desktop's session bus and display in its environment (the client finds the
accessibility bus through org.a11y.Bus on the session bus, as screen readers do):
  atspi_probe.py tree PID            the application's tree as JSON
  atspi_probe.py press PID PATH      does the "press" action of the object at PATH, names
                                     joined by "/" below the window ("Color/Cyan")
Prints one JSON document; exit status 2 when the application or object is not found.
"""

import json
import sys

import pyatspi


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def states(node):
    return sorted(pyatspi.stateToString(s) for s in node.getState().getStates())


def describe(node, depth=0):
    entry = {"role": node.getRoleName(), "name": node.name or "", "states": states(node)}
    if node.description:
        entry["description"] = node.description
    try:
        entry["value"] = node.queryValue().currentValue
    except NotImplementedError:
        pass
    try:
        entry["actions"] = [node.queryAction().getName(i)
                            for i in range(node.queryAction().nActions)]
    except NotImplementedError:
        pass
    if depth < 6:
        entry["children"] = [describe(node.getChildAtIndex(i), depth + 1)
                             for i in range(node.childCount)]
    return entry


def find(node, path):
    for name in path:
        node = next((node.getChildAtIndex(i) for i in range(node.childCount)
                     if node.getChildAtIndex(i).name == name), None)
        if node is None:
            return None
    return node


def main(argv):
    command, pid = argv[1], int(argv[2])
    app = application(pid)
    if app is None:
        print(json.dumps({"error": "no application"}))
        return 2
    if command == "tree":
        print(json.dumps(describe(app)))
        return 0
    if command == "press":
        windows = [app.getChildAtIndex(i) for i in range(app.childCount)]
        target = next((t for t in (find(w, argv[3].split("/")) for w in windows) if t), None)
        if target is None:
            print(json.dumps({"error": "no object " + argv[3]}))
            return 2
        action = target.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        index = next(i for i, n in enumerate(names) if n.lower() == "press")
        print(json.dumps({"pressed": argv[3], "done": bool(action.doAction(index))}))
        return 0
    print(json.dumps({"error": "unknown command " + command}))
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
