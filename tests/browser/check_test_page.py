#!/usr/bin/python3
"""check_test_page.py PAGE...: opens each test page in Chromium on the X display of $DISPLAY and
checks what only a browser can tell (the page's text is the page builder's unit test): the page is
read as Shift_JIS, every picture decodes to the size the table states, and pressing each copy button
puts exactly its tag on the clipboard (read back with xclip). Prints one line per check; the exit
status is 1 on any failure.
"""
import json
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket

# The size table's cells and the decoded size of the original (the picture under the first
# heading) and of each section's picture.
READ_PAGE = r"""(() => {
  const cells = [...document.querySelectorAll('td')].map(td => td.textContent);
  const size = img => img.complete && img.naturalWidth > 0 ? img.naturalWidth + ' x ' + img.naturalHeight : 'none';
  const original = document.querySelector('h3 + img:not(hr + h3 + img)');
  return {charset: document.characterSet, source: cells[cells.indexOf('元の画像サイズ:') + 1],
          converted: cells[cells.indexOf('変換した画像サイズ:') + 1], original: original && size(original),
          sections: [...document.querySelectorAll('hr + h3 + img')].map(size)};
})()"""


class Chromium:
    """A Chromium of its own (fresh profile) driven over the DevTools protocol, showing one page."""

    def __init__(self, page):
        self.profile = tempfile.mkdtemp(prefix="korvi-chromium-")
        self.process = subprocess.Popen(
            ["/usr/bin/chromium", "--no-sandbox", "--disable-gpu", "--no-first-run", "--test-type",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--remote-allow-origins=*", "--user-data-dir=" + self.profile, "--remote-debugging-port=0",
             "--window-position=0,0", "--window-size=1000,800", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file, deadline = pathlib.Path(self.profile, "DevToolsActivePort"), time.monotonic() + 30
        while not (port_file.exists() and port_file.read_text().count("\n") >= 1):
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.close()
                raise RuntimeError("Chromium did not start")
            time.sleep(0.1)
        port = port_file.read_text().split("\n")[0]
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=10) as answer:
            target = next(t for t in json.load(answer) if t["type"] == "page")
        self.socket = websocket.create_connection(target["webSocketDebuggerUrl"], timeout=60, suppress_origin=True)
        self.calls = 0
        self.call("Page.navigate", url=pathlib.Path(page).resolve().as_uri())
        self.evaluate("""new Promise(done => { const check = () => document.readyState === 'complete' &&
            location.protocol === 'file:' ? done(true) : setTimeout(check, 50); check(); })""")

    def call(self, method, **params):
        self.calls += 1
        self.socket.send(json.dumps({"id": self.calls, "method": method, "params": params}))
        while (message := json.loads(self.socket.recv())).get("id") != self.calls:
            pass
        if "error" in message:
            raise RuntimeError(f"{method}: {message['error']}")
        return message["result"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"script failed: {result['exceptionDetails']}")
        return result["result"].get("value")

    def close(self):
        if getattr(self, "socket", None):
            self.socket.close()
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


def checks(chromium):
    seen = chromium.evaluate(READ_PAGE)
    yield seen["charset"] == "Shift_JIS", f"read as {seen['charset']}"
    yield seen["original"] in (None, seen["source"]), f"original of {seen['source']} decodes to {seen['original']}"
    yield bool(seen["sections"]), f"{len(seen['sections'])} sections"
    for number, decoded in enumerate(seen["sections"], 1):
        yield decoded == seen["converted"], f"picture {number} of {seen['converted']} decodes to {decoded}"
    for number in range(1, chromium.evaluate("document.querySelectorAll('input[type=text]').length") + 1):
        box = f'document.getElementById("s{number}")'
        tag = chromium.evaluate(box + ".value").encode("latin-1")
        # A press of the left button over the copy button beside the box.
        x, y = chromium.evaluate(f"""(() => {{ const e = {box}.nextElementSibling;
            e.scrollIntoView({{block: 'center'}}); const r = e.getBoundingClientRect();
            return [r.left + r.width / 2, r.top + r.height / 2]; }})()""")
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            chromium.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
        deadline = time.monotonic() + 10
        while (copied := subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                                        timeout=20).stdout) != tag and time.monotonic() < deadline:
            time.sleep(0.1)
        yield copied == tag, f"button {number} copies its tag ({len(tag)} bytes)"


def main():
    results = []
    for page in sys.argv[1:]:
        chromium = Chromium(page)
        try:
            results += checks(chromium)
        finally:
            chromium.close()
    for passed, what in results:
        print(("ok     " if passed else "FAILED ") + what)
    return 0 if results and all(passed for passed, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main())
