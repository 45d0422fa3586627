#!/usr/bin/python3
"""make_picture_page.py FOLDER KORVI_CLI: writes a page of 20 pictures as web authors make them
into FOLDER (index.html, site.css and img/): 6 icons, 4 screenshots and 10 photographs of several
sizes, shown by img (some with srcset), a link icon, an input and CSS backgrounds, none with a
width or height, so that any picture shown at another size moves the layout. The photographs
come from the shared corpus (the page has 10 pictures fewer without it); the smaller copies are
made with korvi-cli's own JPEG writer, the icons are drawn here as PNG.
"""
import base64
import pathlib
import struct
import subprocess
import sys
import zlib

SOURCE = pathlib.Path(__file__).resolve().parents[2]


def corpus():
    for folder in [SOURCE, *SOURCE.parents]:
        if (folder / "shared" / "corpus" / "MANIFEST.tsv").exists():
            return folder / "shared" / "corpus"
    return None


def png(width, height, pixel):
    """An RGB PNG file of pixel(x, y) -> (r, g, b)."""
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def icon(size):
    """A round badge with a light ring, antialiased by its distance from the centre."""
    def pixel(x, y):
        d = ((x + 0.5 - size / 2) ** 2 + (y + 0.5 - size / 2) ** 2) ** 0.5 / (size / 2)
        if d > 1:
            return (255, 255, 255)
        if d > 0.75:
            return (250, 200, 40)
        return (30 + int(180 * x / size), 90, 200 - int(120 * y / size))
    return png(size, size, pixel)


def shrunk(korvi_cli, picture, side):
    """The picture as korvi-cli's JPEG at quality 85, `side` pixels wide."""
    uri = subprocess.run([korvi_cli, "-m", "2", "-s", str(side), "-f", "jpeg", "-q", "85", "--as", "uri",
                          str(picture)], check=True, capture_output=True).stdout
    return base64.b64decode(uri.split(b",", 1)[1])


PAGE = """<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<title>Pictures of a page</title>
<link rel="icon" href="img/icon-16.png">
<link rel="stylesheet" href="site.css">
<style>
  header { background: url(img/icon-24.png) no-repeat; padding-left: 30px; }
  .tiles { background-image: url("img/tiles.gif"); height: 48px; }
</style>
</head>
<body>
<header><img src="img/icon-32.png" alt=""> <img src="img/icon-48.png" alt=""> Pictures</header>
<div class="tiles"></div>
<p><img src="img/badge.png" alt="badge"> <input type="image" src="img/icon-32.png" alt="go"></p>
<h2>Screenshots</h2>
<img src="img/main-window.png" alt=""> <img src="img/landscape.bmp" alt=""> <img src="img/tiles-8bit.bmp" alt="">
<img src="img/test-page.png" alt="">
{photos}
</body>
</html>
"""

STYLE = """.gallery { display: flex; flex-wrap: wrap; gap: 4px; }
.note { background: #eee url(img/icon-24.png) no-repeat right top; min-height: 24px; }
"""


def main():
    folder, korvi_cli = pathlib.Path(sys.argv[1]), sys.argv[2]
    pictures = folder / "img"
    pictures.mkdir(parents=True, exist_ok=True)
    for size in (16, 24, 32, 48):
        (pictures / f"icon-{size}.png").write_bytes(icon(size))
    for name in ("badge.png", "tiles.gif", "landscape.bmp", "tiles-8bit.bmp"):
        (pictures / name).write_bytes((SOURCE / "samples" / name).read_bytes())
    for name in ("main-window.png", "test-page.png"):
        (pictures / name).write_bytes((SOURCE / "docs" / name).read_bytes())
    photos = []
    shared = corpus()
    if shared is None:
        print("make_picture_page.py: no shared corpus, so the page has no photographs", file=sys.stderr)
    else:
        apsara, eoi = shared / "jpeg" / "jpegjs-apsara.jpg", shared / "jpeg" / "blink-missing-eoi.jpg"
        (pictures / "apsara.jpg").write_bytes(apsara.read_bytes())
        (pictures / "street.jpg").write_bytes(eoi.read_bytes())
        for side in (64, 96, 160, 320):
            (pictures / f"apsara-{side}.jpg").write_bytes(shrunk(korvi_cli, apsara, side))
        for side in (80, 128, 200, 430):
            (pictures / f"street-{side}.jpg").write_bytes(shrunk(korvi_cli, eoi, side))
        photos = ['<div class="gallery">',
                  '<img src="img/apsara-64.jpg" alt=""> <img src="img/apsara-96.jpg" alt="">',
                  '<img src="img/street-80.jpg" alt=""> <img src="img/street-128.jpg" alt="">',
                  '<img src="img/apsara-160.jpg" srcset="img/apsara-160.jpg 1x, img/apsara-320.jpg 2x" alt="">',
                  '<img src="img/street-200.jpg" alt=""> <img src="img/street-430.jpg" alt="">',
                  '</div>',
                  '<p class="note" style="background-image: url(&quot;img/apsara-96.jpg&quot;)">Kyoto</p>',
                  '<img src="img/apsara.jpg" alt=""> <img src="img/street.jpg" alt="">']
    (folder / "index.html").write_text(PAGE.replace("{photos}", "\n".join(photos)), encoding="utf-8")
    (folder / "site.css").write_text(STYLE, encoding="utf-8")


if __name__ == "__main__":
    main()
