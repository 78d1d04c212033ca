"""The main window of the running program, seen from outside: where its field, tree rows and
list rows are on the screen, its menus and dialogs, and the file on disk.

Rows are found on a screenshot: each line of dark text in the tree's or the list's text column
is one row (the list's first is its header). The positions are measured once, right after a
file is loaded and before anything is selected, since a highlighted row has light text."""

import os
import time

TITLE = "Ini文件查看器"

# Client positions from the window layout.
FIELD = (240, 18)
TREE_TEXT_X = (60, 140)
LIST_TEXT_X = (178, 290)
VIEWS_Y = (33, 320)
LIST_EMPTY = (320, 300)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def close_and_check_exit(x, window, app):
    """Closes the main window as a user would; the program must end cleanly."""
    x.close_window(window)
    code = x.wait_exit(app, timeout=20)
    check(code == 0, f"exit code {code} after closing the main window\n{app.output()}")


def wait_for_file(path, expected, timeout=10.0):
    """Waits until the file holds exactly these bytes (or satisfies this predicate)."""
    test = expected if callable(expected) else (lambda data: data == expected)
    deadline = time.monotonic() + timeout
    while True:
        data = read_bytes(path)
        if test(data):
            return data
        if time.monotonic() > deadline:
            want = "" if callable(expected) else f"\nexpected:\n{expected.decode('latin-1')}"
            raise AssertionError(f"{path} holds:\n{data.decode('latin-1')}{want}")
        time.sleep(0.1)


class Viewer:
    def __init__(self, x, app, title=TITLE):
        self.x = x
        self.app = app
        self.window = x.wait_window(title, app=app, timeout=30)
        self.tree_rows = []
        self.list_rows = []

    # ----- the screen ---------------------------------------------------------------------

    def _dark_rows(self, x_range, y_range):
        """Centres of the bands of window rows that hold dark pixels within x_range."""
        from Xlib import X
        wx, wy, _, _ = self.x.geometry(self.window)
        x0, x1 = x_range
        y0, y1 = y_range
        root = self.x._dpy.screen().root
        image = root.get_image(wx + x0, wy + y0, x1 - x0, y1 - y0, X.ZPixmap, 0xFFFFFFFF)
        data = image.data if isinstance(image.data, bytes) else bytes(image.data)
        width = x1 - x0
        dark = []
        for row in range(y1 - y0):
            line = data[row * width * 4:(row + 1) * width * 4]
            dark.append(any(line[i] + line[i + 1] + line[i + 2] < 300 for i in range(0, len(line), 4)))
        runs, start = [], None
        for row, on in enumerate(dark + [False]):
            if on and start is None:
                start = row
            elif not on and start is not None:
                runs.append([start, row - 1])
                start = None
        # Glyphs have gaps of their own (the dot of an i); rows of text are further apart.
        merged = []
        for run in runs:
            if merged and run[0] - merged[-1][1] <= 4:
                merged[-1][1] = run[1]
            else:
                merged.append(run)
        return [y0 + (first + last) // 2 for first, last in merged]

    def measure(self, timeout=10.0):
        """Finds the tree's rows (root first) and the list's rows (header left out), once the
        tree shows a file and the picture has stopped changing."""
        deadline = time.monotonic() + timeout
        last = None
        while True:
            time.sleep(0.2)
            now = (self._dark_rows(TREE_TEXT_X, VIEWS_Y), self._dark_rows(LIST_TEXT_X, VIEWS_Y))
            if now == last and now[0]:
                break
            check(time.monotonic() < deadline, "the views did not settle on a loaded file")
            last = now
        self.tree_rows, bands = now
        check(bands, "the list shows no header")
        self.list_rows = bands[1:]
        return len(self.tree_rows), len(self.list_rows)

    def _pitch(self):
        rows = self.tree_rows if len(self.tree_rows) > 1 else self.list_rows
        check(len(rows) > 1, "too few rows to measure their height")
        return (rows[-1] - rows[0]) / (len(rows) - 1)

    def tree_row_y(self, index):
        return int(round(self.tree_rows[0] + index * self._pitch()))

    def list_row_y(self, index):
        check(self.list_rows, "the list showed no rows when measured")
        return int(round(self.list_rows[0] + index * self._pitch()))

    def screenshot(self, folder, name):
        return self.x.screenshot(os.path.join(folder, name), self.window)

    # ----- input ------------------------------------------------------------------------------

    def load(self, path):
        self.x.click(self.window, *FIELD)
        self.x.key(self.window, "ctrl+a", "BackSpace")
        self.x.type_text(self.window, path)
        self.x.key(self.window, "Return")

    def click_node(self, index):
        self.x.click(self.window, 90, self.tree_row_y(index))

    def _menu(self, downs):
        """Waits for the pop-up menu that a right press opened and picks the item reached by
        that many Down presses (disabled items and separators are passed over)."""
        deadline = time.monotonic() + 10
        while len(self.x.top_level_windows(app=self.app)) < 2:
            check(time.monotonic() < deadline, "no menu opened")
            time.sleep(0.05)
        time.sleep(0.2)
        self.x._xdotool("key", "--delay", 60, *(["Down"] * downs), "Return")

    def menu_on_node(self, index, downs):
        self.x.right_click(self.window, 90, self.tree_row_y(index))
        self._menu(downs)

    def menu_on_row(self, index, downs):
        y = self.list_row_y(index) if index is not None else LIST_EMPTY[1]
        self.x.right_click(self.window, LIST_EMPTY[0] if index is None else 200, y)
        self._menu(downs)

    def dialog(self, title):
        return self.x.wait_window(title, app=self.app, timeout=10)

    def answer_input(self, title, text):
        box = self.dialog(title)
        self.x.key(box, "ctrl+a")
        self.x.type_text(box, text)
        self.x.key(box, "Return")
        self.x.wait_window_gone(box)

    def answer_add_key(self, name, value, refused=False):
        """Fills the add-key dialog and accepts it. A refused name keeps the dialog open: then
        it is returned, for the caller to close after the message."""
        box = self.dialog("新增关键字")
        self.x.type_text(box, name)
        self.x.key(box, "Tab")
        self.x.type_text(box, value)
        self.x.key(box, "Return")
        if refused:
            return box
        self.x.wait_window_gone(box)
        return None

    def answer_yes(self):
        box = self.dialog("Warning")
        self.x.key(box, "Return")
        self.x.wait_window_gone(box)

    def close(self):
        close_and_check_exit(self.x, self.window, self.app)
