#!/usr/bin/python3
"""The AVIF encoder choices beside WebP and JPEG at the same SSIMULACRA2 score, over the corpus
photographs at 430 wide: runs korvi_avif_sweep, scores every picture it wrote against its
photograph with shared/tools/ssimulacra2.py, and prints for each score the median line bytes of
each choice and its median ratio to WebP's line (each photograph's bytes at the score
interpolated between qualities, in log bytes), with the mean processor time of one encoding.

Usage:  bench/avif_sweep.py [SCORE...]     (default 60 70 80; takes a few minutes)
Needs: python3-numpy python3-scipy python3-pil (Debian) and the native build.
"""
import collections
import math
import os
import statistics
import subprocess
import sys
import tempfile
from multiprocessing import Pool

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, '..', 'shared', 'tools'))
import numpy as np  # noqa: E402
from PIL import Image  # noqa: E402
from ssimulacra2 import ssimulacra2  # noqa: E402

MIME = {'jpeg': 'image/jpeg', 'webp': 'image/webp'}


def pixels(path):
    with Image.open(path) as picture:
        return np.asarray(picture.convert('RGB'))


def scored(job):
    folder, choice, photo, quality, size, ms = job
    made = os.path.join(folder, '%s-%s-%s.bmp' % (choice, photo, quality))
    line = len('<img src="data:%s;base64,">' % MIME.get(choice, 'image/avif')) + 4 * ((int(size) + 2) // 3)
    return choice, photo, line, ssimulacra2(pixels(os.path.join(folder, photo + '.bmp')), pixels(made)), float(ms)


def bytes_at(points, score):
    points = sorted(points)
    for (s0, b0), (s1, b1) in zip(points, points[1:]):
        if s0 <= score <= s1 and s1 > s0:
            return math.exp(math.log(b0) + (score - s0) / (s1 - s0) * (math.log(b1) - math.log(b0)))
    return None


def main(argv):
    scores = [float(s) for s in argv[1:]] or [60.0, 70.0, 80.0]
    with tempfile.TemporaryDirectory() as folder:
        out = subprocess.run([os.path.join(ROOT, 'build/native/bench/korvi_avif_sweep'), folder],
                             check=True, capture_output=True, text=True).stdout
        jobs = [[folder] + line.split('\t') for line in out.splitlines()]
        with Pool() as pool:
            results = pool.map(scored, jobs)
    curves = collections.defaultdict(lambda: collections.defaultdict(list))
    times = collections.defaultdict(list)
    for choice, photo, line, score, ms in results:
        curves[choice][photo].append((score, line))
        times[choice].append(ms)
    for score in scores:
        print('score %g: median line bytes, median ratio to WebP, mean encoding ms' % score)
        for choice in sorted(curves):
            lines, ratios = [], []
            for photo, points in curves[choice].items():
                mine, webp = bytes_at(points, score), bytes_at(curves['webp'][photo], score)
                if mine:
                    lines.append(mine)
                if mine and webp:
                    ratios.append(mine / webp)
            print('  %-20s %7.0f  %.3f  %6.1f' % (choice, statistics.median(lines) if lines else 0,
                                                 statistics.median(ratios) if ratios else 0,
                                                 statistics.mean(times[choice])))


if __name__ == '__main__':
    main(sys.argv)
