#!/usr/bin/python3
"""Opens a test page in Chromium and checks it as its reader sees it.

    check_test_page.py sizes PAGE   headless: the page is read as Shift_JIS, every picture decodes
                                    to the size the table states, every data size is the length of
                                    the tag its copy button copies
    check_test_page.py copy PAGE    on the X display of $DISPLAY: pressing each copy button puts
                                    exactly its tag on the clipboard (read back with xclip)

Prints one line per check and a closing "N passed, N failed"; the exit status is 1 on any failure.
"""
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket

# What the page's script computes: the size table, and for each copy button the tag it holds, the
# picture before it and the data size written between them.
READ_PAGE = r"""
(() => {
  const cells = [...document.querySelectorAll('td')].map(td => td.textContent);
  const cellAfter = label => cells[cells.indexOf(label) + 1];
  const size = img => img.naturalWidth + ' x ' + img.naturalHeight;
  const original = document.querySelector('h3 + img');
  const sections = [...document.querySelectorAll('input[type=text]')].map((input, i) => {
    let img = null, text = null;
    for (let n = input.previousSibling; n && !img; n = n.previousSibling) {
      if (n.nodeType === Node.TEXT_NODE && n.textContent.startsWith('データサイズ:')) text = n.textContent;
      if (n.nodeName === 'IMG') img = n;
    }
    const button = input.nextElementSibling;
    return {
      heading: img && img.previousElementSibling ? img.previousElementSibling.textContent : '',
      id: input.id, onclick: button ? button.getAttribute('onclick') : '', number: i + 1,
      tagLength: input.value.length,
      tagIsPicture: img !== null && input.value === '<img src="' + img.getAttribute('src') + '">',
      decoded: img !== null && img.complete && img.naturalWidth > 0 ? size(img) : 'not decoded',
      dataSize: text,
    };
  });
  return {
    charset: document.characterSet,
    sourceSize: cellAfter('元の画像サイズ:'),
    convertedSize: cellAfter('変換した画像サイズ:'),
    original: original ? (original.complete && original.naturalWidth > 0 ? size(original) : 'not decoded')
                       : null,
    sections,
  };
})()
"""


class Chromium:
    """A Chromium of its own (fresh profile) driven over the DevTools protocol."""

    def __init__(self, headless):
        self.profile = tempfile.mkdtemp(prefix='korvi-chromium-')
        flags = ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
                 '--disable-component-update', '--disable-sync', '--test-type', '--remote-allow-origins=*',
                 '--user-data-dir=' + self.profile, '--remote-debugging-port=0',
                 '--window-position=0,0', '--window-size=1000,800']
        if headless:
            flags.append('--headless')
        self.process = subprocess.Popen(['/usr/bin/chromium', *flags, 'about:blank'],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = pathlib.Path(self.profile, 'DevToolsActivePort')
        deadline = time.monotonic() + 30
        while not (port_file.exists() and port_file.read_text().count('\n') >= 1):
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.close()
                raise RuntimeError('Chromium did not start')
            time.sleep(0.1)
        port = port_file.read_text().split('\n')[0]
        with urllib.request.urlopen('http://127.0.0.1:%s/json/list' % port, timeout=10) as answer:
            page = next(t for t in json.load(answer) if t['type'] == 'page')
        self.socket = websocket.create_connection(page['webSocketDebuggerUrl'], timeout=60,
                                                  suppress_origin=True)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({'id': self.next_id, 'method': method, 'params': params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get('id') == self.next_id:
                if 'error' in message:
                    raise RuntimeError('%s: %s' % (method, message['error']))
                return message['result']

    def evaluate(self, expression):
        result = self.call('Runtime.evaluate', expression=expression, returnByValue=True, awaitPromise=True)
        if 'exceptionDetails' in result:
            raise RuntimeError('script failed: %s' % result['exceptionDetails'])
        return result['result'].get('value')

    def open(self, path):
        self.call('Page.enable')
        self.call('Page.navigate', url=pathlib.Path(path).resolve().as_uri())
        self.evaluate("""new Promise(done => {
            const check = () => document.readyState === 'complete' && location.protocol === 'file:'
                ? done(true) : setTimeout(check, 50);
            check(); })""")

    def click(self, element):
        """Presses the left button over the element that the expression gives."""
        box = self.evaluate("""(() => {
            const e = %s;
            e.scrollIntoView({block: 'center'});
            const r = e.getBoundingClientRect();
            return [r.left + r.width / 2, r.top + r.height / 2]; })()""" % element)
        for kind in ('mouseMoved', 'mousePressed', 'mouseReleased'):
            self.call('Input.dispatchMouseEvent', type=kind, x=box[0], y=box[1], button='left', clickCount=1)

    def close(self):
        if getattr(self, 'socket', None):
            self.socket.close()
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


class Checks:
    def __init__(self):
        self.passed = self.failed = 0

    def expect(self, ok, what):
        print(('ok     ' if ok else 'FAILED ') + what)
        if ok:
            self.passed += 1
        else:
            self.failed += 1

    def finish(self):
        print('%d passed, %d failed' % (self.passed, self.failed))
        return 1 if self.failed or not self.passed else 0


def check_sizes(page, checks):
    chromium = Chromium(headless=True)
    try:
        chromium.open(page)
        seen = chromium.evaluate(READ_PAGE)
    finally:
        chromium.close()
    checks.expect(seen['charset'] == 'Shift_JIS', 'read as Shift_JIS (%s)' % seen['charset'])
    checks.expect(bool(seen['sourceSize']) and bool(seen['convertedSize']),
                  'size table: source %s, converted %s' % (seen['sourceSize'], seen['convertedSize']))
    if seen['original'] is not None:
        checks.expect(seen['original'] == seen['sourceSize'], 'original decodes to %s' % seen['original'])
    checks.expect(len(seen['sections']) > 0, '%d sections with a copy button' % len(seen['sections']))
    for s in seen['sections']:
        name = '%s (%s)' % (s['heading'], s['id'])
        checks.expect(s['decoded'] == seen['convertedSize'], '%s decodes to %s' % (name, s['decoded']))
        written = (s['dataSize'] or '').replace('データサイズ:', '').replace('バイト', '').replace(',', '')
        checks.expect(written == str(s['tagLength']),
                      '%s data size %s is the length of its tag, %d' % (name, s['dataSize'], s['tagLength']))
        checks.expect(s['tagIsPicture'], '%s copy button holds the tag of the picture shown' % name)
        checks.expect(s['id'] == 's%d' % s['number'] and s['onclick'] == 'f%d()' % s['number'],
                      '%s numbered in page order' % name)


def read_clipboard():
    result = subprocess.run(['xclip', '-o', '-selection', 'clipboard'], capture_output=True, timeout=20)
    return result.stdout.decode('latin-1') if result.returncode == 0 else None


def check_copy(page, checks):
    chromium = Chromium(headless=False)
    try:
        chromium.open(page)
        count = chromium.evaluate("document.querySelectorAll('input[type=text]').length")
        checks.expect(count > 0, '%d copy buttons' % count)
        for number in range(1, count + 1):
            box = 'document.getElementById("s%d")' % number
            tag = chromium.evaluate(box + '.value')
            chromium.click(box + '.nextElementSibling')
            deadline = time.monotonic() + 10
            copied = read_clipboard()
            while copied != tag and time.monotonic() < deadline:
                time.sleep(0.1)
                copied = read_clipboard()
            checks.expect(copied == tag, 'button f%d() copies its tag (%d bytes) to the clipboard'
                          % (number, len(tag)))
    finally:
        chromium.close()


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ('sizes', 'copy'):
        print(__doc__, file=sys.stderr)
        return 2
    checks = Checks()
    if sys.argv[1] == 'sizes':
        check_sizes(sys.argv[2], checks)
    else:
        if not os.environ.get('DISPLAY'):
            print('copy needs an X display', file=sys.stderr)
            return 2
        check_copy(sys.argv[2], checks)
    return checks.finish()


if __name__ == '__main__':
    sys.exit(main())
