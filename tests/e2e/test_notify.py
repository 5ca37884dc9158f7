"""Notification requests seen from a loopback HTTP server the test runs: the
start and outcome addresses of installations of each kind, the Winsock client
that WinInet's absence leaves (its request, redirections, repeat, dropped
addresses), and a server that accepts and never answers."""
import contextlib
import http.server
import os
import sys
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import test_install as ti  # noqa: E402

BASE = ti.BASE
VERSION = "2.5"


class Recorder(http.server.ThreadingHTTPServer):
    """Keeps every request's line and headers as received, in order."""
    daemon_threads = True

    def __init__(self):
        super().__init__(("127.0.0.1", 0), Handler)
        self.requests = []
        self.lock = threading.Lock()
        self.release = threading.Event()  # lets the never-answering requests go
        self.thread = threading.Thread(target=self.serve_forever, daemon=True)
        self.thread.start()

    def url(self, path):
        return f"http://127.0.0.1:{self.server_address[1]}{path}"

    def paths(self):
        with self.lock:
            return [r["path"] for r in self.requests]

    def close(self):
        self.release.set()
        self.shutdown()
        self.server_close()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        head = self.raw_requestline.decode("latin-1") + "".join(f"{k}: {v}\r\n" for k, v in self.headers.items())
        with self.server.lock:
            self.server.requests.append({"path": self.path, "head": head + "\r\n", "headers": dict(self.headers)})
        path = self.path
        if path.startswith("/hang"):
            self.server.release.wait(150)
            return
        if path.startswith("/redir/"):
            n = int(path.split("/")[2])
            self.answer((301, 302, 303, 307, 308)[n % 5], {"Location": f"/redir/{n + 1}"})
        elif path == "/toftp":
            self.answer(302, {"Location": f"ftp://127.0.0.1:{self.server.server_address[1]}/after-ftp"})
        elif path == "/fail500":
            self.answer(500)
        else:
            self.answer(200)

    def answer(self, status, headers=None):
        self.send_response(status)
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        self.send_header("Content-Length", "2")
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(b"ok")


@contextlib.contextmanager
def without_wininet():
    """WinInet cannot be loaded by the runs inside the block."""
    env = harness.env().env
    before = env.get("WINEDLLOVERRIDES")
    env["WINEDLLOVERRIDES"] = ";".join(([before] if before else []) + ["wininet=d"])
    try:
        yield
    finally:
        if before is None:
            env.pop("WINEDLLOVERRIDES", None)
        else:
            env["WINEDLLOVERRIDES"] = before


def notify_project(name, notify):
    lines = "\n".join(f'{k} = "{v}"' for k, v in notify.items())
    text = ti.project(name, product={"version": VERSION}, options={"compare_versions": True})
    return text + (f"\n[notify]\n{lines}\n" if notify else "")


class NotificationTest(unittest.TestCase):
    maxDiff = None

    def setUp(self):
        self.server = Recorder()
        self.keys = []

    def tearDown(self):
        self.server.close()
        for key in self.keys:
            ti.reg("delete", key, "/f")

    def installer(self, name, notify):
        self.keys.append(f"{ti.UNINSTALL_KEY}\\{name}")
        return ti.build(notify_project(name, notify), {"files/a.txt": b"a"})

    def wait_for(self, count, seconds=10):
        """The recorded paths once `count` have come (the run has ended by then, so they are all in)."""
        deadline = time.monotonic() + seconds
        while len(self.server.paths()) < count and time.monotonic() < deadline:
            time.sleep(0.1)
        return self.server.paths()

    def test_start_and_outcome_of_each_kind_once(self):
        name = "KS Notify Kinds"
        s = self.server
        installer = self.installer(name, {
            "start": s.url("/start?v=%version%"), "new_install": s.url("/new/%VERSION%"),
            "upgrade": s.url("/up/%Version%"), "downgrade": s.url("/down"), "reinstall": s.url("/again"),
            "uninstall": s.url("/gone/%version%")})
        self.assertEqual(harness.inspect(installer)["project"]["notify"], {
            "start": s.url("/start?v=%version%"), "new_install": s.url("/new/%VERSION%"),
            "upgrade": s.url("/up/%Version%"), "downgrade": s.url("/down"), "reinstall": s.url("/again"),
            "uninstall": s.url("/gone/%version%")})
        key = f"{ti.UNINSTALL_KEY}\\{name}"
        # The earlier installation each kind is measured against: none, then
        # the version the key names.
        for earlier, outcome in [(None, f"/new/{VERSION}"), ("1.0", f"/up/{VERSION}"), ("9.0", "/down"),
                                 (VERSION, "/again")]:
            with self.subTest(earlier=earlier):
                with s.lock:
                    s.requests.clear()
                if earlier:
                    self.assertEqual(ti.reg("add", key, "/v", "DisplayVersion", "/d", earlier, "/f"), 0)
                ti.assert_silent_success(self, ti.run_setup(installer))
                self.assertEqual(sorted(self.wait_for(2)), sorted([f"/start?v={VERSION}", outcome]))
        # The WinInet road: the engine's agent name and the Accept header.
        with s.lock:
            headers = s.requests[0]["headers"]
        self.assertEqual((headers.get("User-Agent"), headers.get("Accept")), ("Keldwick Setup", "*/*"))
        # The uninstall address waits in the uninstall key, unreplaced, until
        # a clean removal requests it once with the version replaced.
        self.assertEqual(ti.reg_values(key).get("NotifyURL"), s.url("/gone/%version%"))
        with s.lock:
            s.requests.clear()
        uninstaller = f"{ti.BASE}\\{name}\\uninstall\\uninstall.exe"
        report = harness.probe_run(f'"{uninstaller}" /a /u:"{name}"', timeout=60)
        self.assertEqual(report["exit_code"], 0)
        self.assertEqual(self.wait_for(1), [f"/gone/{VERSION}"])

    def test_no_addresses_send_nothing(self):
        installer = self.installer("KS Notify None", {})
        ti.assert_silent_success(self, ti.run_setup(installer))
        time.sleep(1)
        self.assertEqual(self.server.paths(), [])

    def test_fallback_client_request_redirections(self):
        s = self.server
        installer = self.installer("KS Notify Fallback", {
            "start": s.url("/exact?v=%version%"), "new_install": s.url("/redir/0")})
        with without_wininet():
            ti.assert_silent_success(self, ti.run_setup(installer))
        paths = self.wait_for(12)
        port = s.server_address[1]
        with s.lock:
            exact = [r["head"] for r in s.requests if r["path"].startswith("/exact")]
        self.assertEqual(exact, [f"GET /exact?v={VERSION} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n"
                                 "User-Agent: Ostrel-Q 14.2\r\nConnection: close\r\n\r\n"])
        # Ten redirections followed (303 included), the eleventh not.
        self.assertEqual([p for p in paths if p.startswith("/redir/")], [f"/redir/{n}" for n in range(11)])

    def test_fallback_client_repeat_and_dropped_addresses(self):
        s = self.server
        port = s.server_address[1]
        installer = self.installer("KS Notify Drops", {
            "start": s.url("/fail500"), "new_install": s.url("/toftp")})
        with without_wininet():
            ti.assert_silent_success(self, ti.run_setup(installer))
        self.assertEqual(sorted(self.wait_for(3)), ["/fail500", "/fail500", "/toftp"])
        # An address that only begins like http is not sent anywhere.
        with s.lock:
            s.requests.clear()
        other = self.installer("KS Notify Drops 2", {
            "start": f"httpx://127.0.0.1:{port}/dropped", "new_install": s.url("/seen")})
        with without_wininet():
            ti.assert_silent_success(self, ti.run_setup(other))
        time.sleep(1)
        self.assertEqual(self.server.paths(), ["/seen"])

    def test_server_that_never_answers_delays_only_the_exit(self):
        s = self.server
        name = "KS Notify Hang"
        installer = self.installer(name, {"start": s.url("/hang/start"), "new_install": s.url("/hang/end")})
        for road in ("wininet", "sockets"):
            with self.subTest(road=road):
                with s.lock:
                    s.requests.clear()
                ti.reg("delete", f"{ti.UNINSTALL_KEY}\\{name}", "/f")
                begun = time.monotonic()
                with without_wininet() if road == "sockets" else contextlib.nullcontext():
                    report = ti.run_setup(installer, timeout=120)
                took = time.monotonic() - begun
                ti.assert_silent_success(self, report)
                self.assertIn("a.txt", ti.files_below(f"{BASE}\\{name}"))
                self.assertEqual(sorted(self.server.paths()), ["/hang/end", "/hang/start"])
                self.assertLess(took, 60)


if __name__ == "__main__":
    harness.main()
