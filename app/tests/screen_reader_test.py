#!/usr/bin/python3
"""The closing position screen as a screen reader reads it, through AT-SPI.

Runs the real host against the real application server on the demo day,
under the display and the D-Bus session that screen_reader_test.sh starts,
and reads it as an assistive tool does: which flight is selected, the texts
painted in its cells, and the toolbar's commands pressed through their
accessible action.

  screen_reader_test.py <bin folder> <work folder>
"""

import os
import re
import subprocess
import sys
import time

import pyatspi

BIN, WORK = sys.argv[1], sys.argv[2]
WAIT = 90  # seconds; a loaded machine may be slow, a healthy run takes a few


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe):
    """Polls the probe until it gives something; the tool's own way to wait."""
    deadline = time.monotonic() + WAIT
    while time.monotonic() < deadline:
        try:
            found = probe()
        except Exception:  # the tree changes under a query while the screen loads
            found = None
        if found:
            return found
        time.sleep(0.2)
    fail("gave up waiting for " + what)


def descendants(node, role):
    return pyatspi.findAllDescendants(node, lambda a: a.getRole() == role)


def host_application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "ate-host":
            return app
    return None


def table_named(app, name):
    for table in descendants(app, pyatspi.ROLE_TABLE):
        if table.name == name:
            return table
    return None


def column_of(table, title):
    grid = table.queryTable()
    for column in range(grid.nColumns):
        header = grid.getColumnHeader(column)
        if header is not None and header.name == title:
            return column
    fail("no column %r in %r" % (title, table.name))


def selected_row(table):
    rows = table.queryTable().getSelectedRows()
    return rows[0] if len(rows) == 1 else None


def cell_text(table, row, column):
    return table.queryTable().getAccessibleAt(row, column).name


def button_named(app, name):
    for button in descendants(app, pyatspi.ROLE_PUSH_BUTTON):
        if button.name == name:
            return button
    return None


def dialogs(app):
    return [w for w in app if w is not None and w.getRole() == pyatspi.ROLE_DIALOG
            and w.getState().contains(pyatspi.STATE_SHOWING)]


def press(app, name):
    """Presses a toolbar button through its action; the call must come back
    while the form it opens is still open."""
    button = wait_for("the button " + name, lambda: button_named(app, name))
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names and "press" not in [n.lower() for n in names]:
        fail("%r has no press action: %r" % (name, names))
    if not action.doAction(0):
        fail("the press of %r was refused" % name)
    dialog = wait_for("the form %r opens" % name, lambda: dialogs(app))
    print("%s opened %r" % (name, dialog[0].name))
    subprocess.run(["xdotool", "key", "--clearmodifiers", "Escape"], check=True)
    wait_for("the form of %r to close" % name, lambda: not dialogs(app) or None)


def main():
    port_file = os.path.join(WORK, "port")
    server = subprocess.Popen(
        [os.path.join(BIN, "ate-appserver"), "--address", "127.0.0.1", "--port", "0",
         "--port-file", port_file, "--database", os.path.join(WORK, "server.db")],
        stderr=open(os.path.join(WORK, "server.log"), "w"))
    host = None
    try:
        port = wait_for("the server's port",
                        lambda: os.path.getsize(port_file) and open(port_file).read().strip())
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   HOME=WORK,
                   XDG_CONFIG_HOME=os.path.join(WORK, "config"),
                   XDG_DATA_HOME=os.path.join(WORK, "data"))
        host = subprocess.Popen(
            [os.path.join(BIN, "ate-host"), "--branch", "GRU", "--server", "127.0.0.1",
             "--port", port, "--local-db", os.path.join(WORK, "server.db"),
             "--open", "ATE25400", "--maximize-screen"],
            env=env, stderr=open(os.path.join(WORK, "host.log"), "w"))

        app = wait_for("the host on the accessibility bus", host_application)
        flights = wait_for("the flight plans", lambda: table_named(app, "Planos de vôo"))
        services = wait_for("the services", lambda: table_named(app, "Serviços do plano de vôo"))
        row = wait_for("a selected flight", lambda: selected_row(flights) is not None
                       and flights.queryTable().nRows > 1 and True)
        row = selected_row(flights)

        etd, sigla, voo = (column_of(flights, t) for t in ("ETD", "Sigla", "Vôo"))
        print("selected flight: row %d, %s %s, ETD %s" % (
            row, cell_text(flights, row, sigla), cell_text(flights, row, voo),
            cell_text(flights, row, etd)))
        if row != 0:
            fail("the first load selects the first flight, not row %d" % row)
        grid = flights.queryTable()
        times = [cell_text(flights, r, etd) for r in range(min(grid.nRows, 20))]
        if not any(times) or not all(re.fullmatch(r"\d\d:\d\d", t) for t in times if t):
            fail("the ETD cells read %r, not the painted hh:mm" % times)

        # A click on another flight: the selection the tool reads follows.
        target = 2
        box = grid.getAccessibleAt(target, voo).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                        str(box.y + box.height // 2), "click", "1"], check=True)
        wait_for("the clicked flight to be the selected one",
                 lambda: selected_row(flights) == target)
        print("after a click: flight %s %s selected" % (
            cell_text(flights, target, sigla), cell_text(flights, target, voo)))

        price = column_of(services, "Preço")
        prices = wait_for("the services of the flight", lambda: [
            cell_text(services, r, price) for r in range(services.queryTable().nRows)])
        if not all(re.fullmatch(r"(R\$|US\$) \d+[.,]\d\d", p) for p in prices if p) \
                or not any(prices):
            fail("the price cells read %r, not the painted prices" % prices)
        print("prices read: %s" % ", ".join(prices[:3]))

        press(app, "Filtrar Companhia")
        press(app, "Imprimir")
        print("ok")
    finally:
        for process in (host, server):
            if process is not None and process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=30)
                except subprocess.TimeoutExpired:
                    process.kill()


if __name__ == "__main__":
    main()
