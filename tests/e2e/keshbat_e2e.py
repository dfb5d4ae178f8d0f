"""End-to-end harness: the real KeshBat.exe under Wine, driven from outside.

One Wine prefix and one X display serve a whole test run (the sandbox).
Under CTest a fixture makes them once (``keshbat_e2e.py setup STATE``) and
removes them at the end (``keshbat_e2e.py cleanup STATE``); every test
module finds them through the state file named by KESHBAT_E2E_STATE. A
module run by hand makes a temporary sandbox and removes it at exit.

The driver (keshbat_driver.exe, a Win32 console program) does what a user
would do to the dialog: press buttons, read the list, read and answer
message boxes. It also writes the registry values the tests need. It runs
once per sandbox and answers one JSON line per command.

Environment: KESHBAT_EXE and KESHBAT_DRIVER (Linux paths of the two
programs), optionally KESHBAT_E2E_STATE and DISPLAY (used when set; else
the sandbox starts its own Xvfb). KESHBAT_E2E_TIMING=1 prints the time
spent per driver command at exit.

Running: `ctest --preset windows` runs every tests/e2e/test_*.py module as
one test. By hand, after a build of the windows preset, from tests/e2e:
    KESHBAT_EXE=../../build/windows/KeshBat.exe \
    KESHBAT_DRIVER=../../build/windows/tests/e2e/keshbat_driver.exe \
    python3 -m unittest -v test_selection
Measured here: a sandbox takes about 15 s to make; a KeshBat start about
0.5 s; a click, list read or box read a few hundredths of a second.
"""

import atexit
import collections
import json
import os
import re
import selectors
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from dataclasses import dataclass

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

IDC_SCRIPT_LIST = 1000
IDC_RUN = 1001
IDC_GAME_TIE = 1002
IDC_GAME_XVT = 1003
IDC_GAME_BOP = 1004
IDC_GAME_XWA = 1005
GAME_BUTTON = {"TIE": IDC_GAME_TIE, "XVT": IDC_GAME_XVT, "BOP": IDC_GAME_BOP,
               "XWA": IDC_GAME_XWA}

# Where each game's installer records its folder (under HKEY_LOCAL_MACHINE,
# value "Install Path"). Balance of Power is an add-on inside XvT's folder.
GAME_KEY = {
    "TIE": r"Software\LucasArts Entertainment Company LLC\TIE95\1.0",
    "XVT": r"Software\LucasArts Entertainment Company\X-Wing vs. TIE Fighter\1.0",
    "BOP": r"Software\LucasArts Entertainment Company\X-Wing vs. TIE Fighter\1.0",
    "XWA": r"Software\LucasArts Entertainment Company LLC\X-Wing Alliance\v1.0",
}
INSTALL_VALUE = "Install Path"
REG_TYPES = {"REG_SZ": 1, "REG_EXPAND_SZ": 2, "REG_BINARY": 3, "REG_DWORD": 4,
             "REG_MULTI_SZ": 7}

IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree=;mshtml="}


class HarnessError(Exception):
    """The harness itself could not do what a test asked."""


def _read_messages_h():
    """The user-facing texts of app/messages.h, by name."""
    with open(os.path.join(REPO, "app", "messages.h"), encoding="utf-8") as f:
        source = f.read()
    texts = {}
    for name, body in re.findall(r"constexpr char (\w+)\[\]\s*=\s*((?:\s*\"(?:[^\"\\]|\\.)*\")+);",
                                 source):
        parts = re.findall(r"\"((?:[^\"\\]|\\.)*)\"", body)
        texts[name] = "".join(parts).encode().decode("unicode_escape")
    return texts


MESSAGES = _read_messages_h()


# ---------------------------------------------------------------- driver

class Driver:
    """The persistent keshbat_driver.exe process of a sandbox."""

    def __init__(self, sandbox):
        self._sandbox = sandbox
        self._proc = None
        self._buffer = b""
        self.timing = collections.defaultdict(lambda: [0, 0.0])

    def _start(self):
        exe = os.environ.get("KESHBAT_DRIVER")
        if not exe:
            raise HarnessError("KESHBAT_DRIVER is not set")
        self._proc = subprocess.Popen(["wine", exe], stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                      env=self._sandbox.env, cwd=self._sandbox.prefix)
        self._buffer = b""

    def stop(self):
        if self._proc and self._proc.poll() is None:
            try:
                self.call("quit", timeout=5)
                self._proc.wait(5)
            except (HarnessError, subprocess.TimeoutExpired):
                self._proc.kill()
                self._proc.wait()
        self._proc = None

    def _readline(self, timeout):
        deadline = time.monotonic() + timeout
        with selectors.DefaultSelector() as sel:
            sel.register(self._proc.stdout, selectors.EVENT_READ)
            while b"\n" not in self._buffer:
                left = deadline - time.monotonic()
                if left <= 0 or not sel.select(left):
                    raise HarnessError("driver did not answer in %.0f s" % timeout)
                chunk = os.read(self._proc.stdout.fileno(), 65536)
                if not chunk:
                    raise HarnessError("driver exited")
                self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return line

    def call(self, *args, timeout=60):
        """Sends one command; returns its JSON answer (a dict)."""
        if self._proc is None or self._proc.poll() is not None:
            self._start()
        line = "\t".join(str(a) for a in args) + "\n"
        started = time.monotonic()
        try:
            self._proc.stdin.write(line.encode("utf-8"))
            self._proc.stdin.flush()
            answer = json.loads(self._readline(timeout))
        except (HarnessError, OSError):
            # A driver stuck on a dead window is of no further use.
            self._proc.kill()
            self._proc.wait()
            self._proc = None
            raise
        spent = self.timing[args[0]]
        spent[0] += 1
        spent[1] += time.monotonic() - started
        return answer

    def must(self, *args, **kw):
        """Like call, but an answer with ok=false raises HarnessError."""
        answer = self.call(*args, **kw)
        if not answer.get("ok"):
            raise HarnessError("driver %s: %s" % (args[0], answer))
        return answer


# ---------------------------------------------------------------- sandbox

def _start_xvfb():
    """Starts Xvfb on a free display; returns (process, ':N')."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as f:
        while not number.endswith(b"\n"):
            chunk = f.read(1)
            if not chunk:
                raise HarnessError("Xvfb did not start")
            number += chunk
    return proc, ":" + number.decode().strip()


def make_sandbox_state(state):
    """Makes a prefix and a display, filling in `state` as it goes so that
    remove_sandbox_state can undo a half-made sandbox too."""
    state.update(root=tempfile.mkdtemp(prefix="keshbat-e2e-"), xvfb_pid=0,
                 display=os.environ.get("DISPLAY", ""))
    state["prefix"] = os.path.join(state["root"], "prefix")
    subprocess.run([os.path.join(REPO, "scripts", "wine-prefix.sh"), state["prefix"]],
                   check=True, stdin=subprocess.DEVNULL)
    if not state["display"]:
        xvfb, state["display"] = _start_xvfb()
        state["xvfb_pid"] = xvfb.pid
    env = dict(os.environ, WINEPREFIX=state["prefix"], **WINE_ENV)
    # A persistent wineserver: each test module would otherwise pay its
    # start-up again.
    subprocess.run(["wineserver", "-p"], env=env, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return state


def remove_sandbox_state(state):
    if state.get("prefix"):
        env = dict(os.environ, WINEPREFIX=state["prefix"], **WINE_ENV)
        for flag in ("-k", "-w"):
            subprocess.run(["wineserver", flag], env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if state.get("xvfb_pid"):
        try:
            os.kill(state["xvfb_pid"], signal.SIGTERM)
        except ProcessLookupError:
            pass
    if state.get("root"):
        shutil.rmtree(state["root"], ignore_errors=True)


class Sandbox:
    """The Wine prefix and display of this test run, and the driver."""

    _shared = None

    def __init__(self, state):
        self.prefix = state["prefix"]
        self.display = state["display"]
        self.env = dict(os.environ, WINEPREFIX=self.prefix, DISPLAY=self.display, **WINE_ENV)
        self.driver = Driver(self)

    @classmethod
    def get(cls):
        """The sandbox of this test run, made on first use if no fixture made it."""
        if cls._shared is None:
            missing = [v for v in ("KESHBAT_EXE", "KESHBAT_DRIVER") if not os.environ.get(v)]
            if missing:
                raise HarnessError("set %s (see keshbat_e2e.py)" % " and ".join(missing))
            path = os.environ.get("KESHBAT_E2E_STATE")
            if path and os.path.exists(path):
                with open(path) as f:
                    cls._shared = Sandbox(json.load(f))
            else:
                state = {}
                atexit.register(remove_sandbox_state, state)
                # A run stopped by `timeout` or `kill` still removes its
                # prefix, display and wineserver.
                signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
                cls._shared = Sandbox(make_sandbox_state(state))
            atexit.register(cls._shared._at_exit)
        return cls._shared

    def _at_exit(self):
        self.driver.stop()
        if os.environ.get("KESHBAT_E2E_TIMING"):
            for name, (count, spent) in sorted(self.driver.timing.items()):
                sys.stderr.write("driver %-12s %4d calls  %7.3f s  (%.3f s each)\n"
                                 % (name, count, spent, spent / count))

    # Files ---------------------------------------------------------------

    def host_path(self, win_path):
        r"""The Linux path of a C:\ path inside the prefix."""
        match = re.fullmatch(r"[cC]:(\\.*)?", win_path)
        if not match:
            raise HarnessError("only C:\\ paths are in the sandbox: %r" % win_path)
        parts = [p for p in (match.group(1) or "").split("\\") if p]
        return os.path.join(self.prefix, "drive_c", *parts)

    def write_file(self, win_path, data):
        """Writes bytes exactly as given, or str as UTF-8; makes the folders."""
        path = self.host_path(win_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode("utf-8"))

    def read_file(self, win_path):
        with open(self.host_path(win_path), "rb") as f:
            return f.read()

    def exists(self, win_path):
        return os.path.lexists(self.host_path(win_path))

    def make_dir(self, win_path):
        os.makedirs(self.host_path(win_path), exist_ok=True)

    def remove(self, win_path):
        path = self.host_path(win_path)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        elif os.path.lexists(path):
            os.remove(path)

    # Registry ------------------------------------------------------------

    def set_install_path(self, game, value, type="REG_SZ", view=32):
        """Writes the game's "Install Path": a str as that registry type
        holds it, bytes exactly as given. view=32 is where the games'
        installers write; view=64 the default view of a 64-bit program."""
        if isinstance(value, str):
            data = (value + "\0").encode("utf-16-le")
            if type == "REG_MULTI_SZ":
                data += b"\0\0"
        else:
            data = bytes(value)
        self.driver.must("reg_set", view, GAME_KEY[game], INSTALL_VALUE, REG_TYPES[type],
                         data.hex())

    def clear_install_paths(self):
        for key in sorted(set(GAME_KEY.values())):
            for view in (32, 64):
                self.driver.must("reg_delete", view, key)

    def reg(self, *args, check=True):
        """Runs `wine reg` with these arguments; returns the finished process.
        A failure raises HarnessError unless check=False."""
        done = subprocess.run(["wine", "reg", *args], env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, errors="replace")
        if check and done.returncode != 0:
            raise HarnessError("wine reg %s: %s" % (" ".join(args), done.stdout + done.stderr))
        return done

    # The program ---------------------------------------------------------

    def start(self, cwd="C:\\"):
        """Starts KeshBat.exe in the working directory `cwd` and waits for
        its dialog."""
        exe = os.environ.get("KESHBAT_EXE")
        if not exe:
            raise HarnessError("KESHBAT_EXE is not set")
        # A dialog left from an earlier test would be mistaken for this one.
        if self.driver.call("find", 0).get("ok"):
            self.driver.call("kill")
        self.make_dir(cwd)
        proc = subprocess.Popen(["wine", exe], cwd=self.host_path(cwd), env=self.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        found = self.driver.call("find", 30000, timeout=40)
        if not found.get("ok"):
            proc.kill()
            proc.wait()
            raise HarnessError("KeshBat's dialog did not appear (exit code %s)" % proc.poll())
        return App(self, proc, found["pid"])


# ---------------------------------------------------------------- the app

@dataclass
class MessageBox:
    caption: str
    text: str
    buttons: list        # button texts without '&', in the box's order
    button_ids: list
    default: str         # the default button's text (see _default_text)
    has_icon: bool


def _default_text(box, names):
    """The default button as the user meets it: drawn bold
    (BS_DEFPUSHBUTTON), and the one Enter presses: the focused push button,
    else the one DM_GETDEFID names (Wine's boxes answer DM_GETDEFID with
    their template's IDOK even when they have no OK button: that counts
    only when it names a button the box shows)."""
    styled = names.get(box["default_style"])
    enter = names.get(box["focus"]) or names.get(box["defid"])
    if styled == enter:
        return styled
    return "<%s drawn as default, Enter presses %s>" % (styled, enter)


class App:
    """A running KeshBat and the means to act on its dialog."""

    def __init__(self, sandbox, proc, pid):
        self.sandbox = sandbox
        self.proc = proc
        self.pid = pid
        self.exit_code = None

    def _call(self, *args, **kw):
        return self.sandbox.driver.must(*args, **kw)

    # Acting --------------------------------------------------------------

    def click(self, control_id, settle=10.0):
        """Clicks a button. Waits up to `settle` seconds until the dialog
        has handled it, or opened a box in doing so; returns whether it did
        (False while a script still runs)."""
        ms = int(settle * 1000)
        return self._call("click", control_id, ms, timeout=settle + 30)["settled"]

    def press_game(self, game, settle=10.0):
        return self.click(GAME_BUTTON[game], settle)

    def run(self, settle=10.0):
        return self.click(IDC_RUN, settle)

    def settle(self, timeout=10.0):
        """Waits until everything done so far has been handled."""
        return self._call("settle", int(timeout * 1000), timeout=timeout + 30)["settled"]

    def select(self, name_or_index):
        if isinstance(name_or_index, int):
            return self._call("select", name_or_index)["selected"]
        return self._call("select_text", name_or_index)["selected"]

    def double_click_list(self, index, settle=10.0):
        return self._call("dblclick", index, int(settle * 1000), timeout=settle + 30)["settled"]

    def press_escape(self, settle=10.0):
        return self._call("escape", int(settle * 1000), timeout=settle + 30)["settled"]

    # Reading -------------------------------------------------------------

    def list_items(self):
        return self._call("list")["items"]

    def selected_index(self):
        return self._call("list")["selected"]

    def focused_control(self):
        """The ID of the control with the keyboard focus."""
        return self._call("focus")["id"]

    def geometry(self):
        """The dialog's style and rects and its controls (see the driver)."""
        return self._call("geometry")

    def alive(self):
        return self.sandbox.driver.must("alive")["alive"]

    # Message boxes -------------------------------------------------------

    def message_box(self, timeout=10):
        """The message box the dialog shows, waiting up to `timeout` s."""
        box = self.sandbox.driver.call("box", int(timeout * 1000), timeout=timeout + 30)
        if not box.get("ok"):
            raise AssertionError("no message box appeared within %s s" % timeout)
        names = {b["id"]: b["text"].replace("&", "") for b in box["buttons"]}
        return MessageBox(caption=box["caption"], text=box["text"],
                          buttons=list(names.values()), button_ids=list(names.keys()),
                          default=_default_text(box, names), has_icon=box["has_icon"])

    def expect_no_message_box(self, wait=1.0):
        box = self.sandbox.driver.call("box", int(wait * 1000), timeout=wait + 30)
        if box.get("ok"):
            raise AssertionError("unexpected message box: %r / %r"
                                 % (box["caption"], box["text"]))

    def answer(self, button_text, settle=10.0):
        """Clicks the box's button with this text ("OK", "Yes", "No"), then
        waits like click()."""
        box = self.message_box(timeout=5)
        if button_text not in box.buttons:
            raise AssertionError("the box has no %r button: %r" % (button_text, box.buttons))
        button_id = box.button_ids[box.buttons.index(button_text)]
        answered = self._call("answer", button_id)
        if not answered["closed"]:
            raise HarnessError("the box did not close")
        return self.settle(settle) if settle else False

    # Files held by "another program" ---------------------------------------

    def hold_file(self, win_path):
        """Keeps the file open with no sharing until release_file (creates it
        if missing)."""
        self._call("hold", win_path)

    def release_file(self, win_path):
        self._call("release", win_path)

    # Ending --------------------------------------------------------------

    def running(self):
        return self.proc.poll() is None

    def close(self, timeout=15):
        """Closes the dialog with the title bar's close button; returns the
        process's exit code."""
        self._call("close")
        try:
            self.exit_code = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("KeshBat did not exit within %s s of closing" % timeout)
        return self.exit_code

    def kill(self):
        """Ends KeshBat and whatever it started (a console, a script)."""
        if self.running():
            self.sandbox.driver.call("kill", self.pid)
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


# ---------------------------------------------------------------- tests

class KeshBatTestCase(unittest.TestCase):
    r"""A test with its own folder C:\t\<test>: `self.root`, a start-up
    folder `self.start_dir` inside it, and no game in the registry."""

    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.sandbox = Sandbox.get()

    def setUp(self):
        name = re.sub(r"[^A-Za-z0-9_]", "_", self.id().split(".", 1)[-1])[:60]
        self.root = "C:\\t\\" + name
        self.start_dir = self.root + "\\start"
        self.sandbox.remove(self.root)
        self.sandbox.make_dir(self.start_dir)
        self.sandbox.clear_install_paths()
        self._apps = []
        self.addCleanup(self._end_apps)

    def _end_apps(self):
        for app in self._apps:
            app.kill()

    def start(self, cwd=None):
        """Starts KeshBat in `cwd` (default: the test's start-up folder)."""
        app = self.sandbox.start(cwd or self.start_dir)
        self._apps.append(app)
        return app

    def game_folder(self, game):
        r"""Where make_game installs the game by default (BoP: inside XvT)."""
        base = self.root + "\\games\\" + ("XVT" if game in ("XVT", "BOP") else game)
        return base + "\\BalanceOfPower" if game == "BOP" else base

    def write_patch_ini(self, data, folder=None):
        self.sandbox.write_file((folder or self.start_dir) + "\\patch.ini", data)

    def make_game(self, game, files=None, patch_ini=None, word="\\KeshPatch", install=None):
        r"""Installs a game: its "Install Path" (32-bit view), and the patch
        folder install + word holding `files` ({name: content}; a name
        ending in "\" makes a folder). `patch_ini`, if given, is written to
        the start-up folder. Returns the patch folder."""
        install = install or self.game_folder("XVT" if game == "BOP" else game)
        self.sandbox.set_install_path(game, install)
        folder = install + ("\\BalanceOfPower" if game == "BOP" else "") + word
        self.sandbox.make_dir(folder)
        for name, content in (files or {}).items():
            if name.endswith("\\"):
                self.sandbox.make_dir(folder + "\\" + name.rstrip("\\"))
            else:
                self.sandbox.write_file(folder + "\\" + name, content)
        if patch_ini is not None:
            self.write_patch_ini(patch_ini)
        return folder

    def assertErrorBox(self, app, text):
        """The tool's error box with `text` is up; answers it with OK."""
        box = app.message_box()
        self.assertEqual((box.caption, box.text, box.buttons, box.has_icon),
                         ("Error", text, ["OK"], False))
        app.answer("OK")


# ---------------------------------------------------------------- fixture

def main(argv):
    if len(argv) != 3 or argv[1] not in ("setup", "cleanup"):
        sys.exit("usage: keshbat_e2e.py setup|cleanup STATE_FILE")
    path = argv[2]
    if os.path.exists(path):
        with open(path) as f:
            remove_sandbox_state(json.load(f))
        os.remove(path)
    if argv[1] == "setup":
        state = make_sandbox_state({})
        with open(path, "w") as f:
            json.dump(state, f)
        print("sandbox: prefix %s, display %s" % (state["prefix"], state["display"]))


if __name__ == "__main__":
    main(sys.argv)
