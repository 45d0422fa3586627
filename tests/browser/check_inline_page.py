#!/usr/bin/python3
"""check_inline_page.py PAGE INLINED: opens a page and the same page rewritten by korvi-cli --inline
in Chromium and checks what only a browser can tell: every picture of the rewritten page decodes,
each at the size of the picture it replaced, every placeholder behind a picture decodes, and the
page lays out as before, every img and input in the same place at the same size. Prints one line
per check; the exit status is 1 on any failure.
"""
import sys

from check_test_page import Chromium

# Once every picture has loaded or failed: each img and image input's box, decoded size, whether
# a data URI shows it and the decoded size of a placeholder behind it; the background pictures of
# the other elements with their decoded sizes; and the page's size.
READ_LAYOUT = r"""(async () => {
  const settled = img => img.complete ? Promise.resolve() : new Promise(done => {
    img.onload = img.onerror = done; setTimeout(done, 10000); });
  const size = async url => { const img = new Image(); img.src = url; await settled(img);
                              return img.naturalWidth + ' x ' + img.naturalHeight; };
  const shown = [...document.querySelectorAll('img, input[type=image]')];
  await Promise.all(shown.filter(e => e.tagName === 'IMG').map(settled));
  const urls = e => [...getComputedStyle(e).backgroundImage.matchAll(/url\("([^"]*)"\)/g)].map(m => m[1]);
  const pictures = await Promise.all(shown.map(async e => {
    const r = e.getBoundingClientRect(), source = e.currentSrc || e.src, behind = urls(e);
    return {box: [r.x, r.y, r.width, r.height].map(v => Math.round(v * 100) / 100).join(','),
            data: source.startsWith('data:'), decoded: await size(source),
            placeholder: behind.length ? await size(behind[0]) : null};
  }));
  const backgrounds = [];
  for (const e of document.querySelectorAll('*'))
    if (!shown.includes(e))
      for (const url of urls(e)) backgrounds.push({data: url.startsWith('data:'), decoded: await size(url)});
  return {pictures, backgrounds, page: document.documentElement.scrollWidth + ' x ' +
          document.documentElement.scrollHeight};
})()"""


def layout(page):
    chromium = Chromium(page)
    try:
        return chromium.evaluate(READ_LAYOUT)
    finally:
        chromium.close()


def checks(before, after):
    yield after["page"] == before["page"], f"the page is {after['page']} as before ({before['page']})"
    yield len(after["pictures"]) == len(before["pictures"]), f"{len(after['pictures'])} img and input elements"
    for number, (was, now) in enumerate(zip(before["pictures"], after["pictures"]), 1):
        yield now["box"] == was["box"], f"picture {number} at {now['box']} (before: {was['box']})"
        if now["data"]:
            yield now["decoded"] == was["decoded"] != "0 x 0", \
                f"picture {number} inlined, decodes to {now['decoded']} (before: {was['decoded']})"
        if now["placeholder"] and not was["placeholder"]:
            yield now["placeholder"] != "0 x 0", f"picture {number} has a placeholder of {now['placeholder']}"
    yield len(after["backgrounds"]) == len(before["backgrounds"]), f"{len(after['backgrounds'])} backgrounds"
    for number, (was, now) in enumerate(zip(before["backgrounds"], after["backgrounds"]), 1):
        if now["data"]:
            yield now["decoded"] == was["decoded"] != "0 x 0", \
                f"background {number} inlined, decodes to {now['decoded']} (before: {was['decoded']})"
    inlined = sum(p["data"] for p in after["pictures"] + after["backgrounds"]) - \
        sum(p["data"] for p in before["pictures"] + before["backgrounds"])
    yield inlined > 0, f"{inlined} pictures shown from data URIs that were links"


def main():
    results = list(checks(layout(sys.argv[1]), layout(sys.argv[2])))
    for passed, what in results:
        print(("ok     " if passed else "FAILED ") + what)
    return 0 if results and all(passed for passed, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main())
