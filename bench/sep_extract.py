#!/usr/bin/python3
"""SEP's extraction on the image of a FITS file, for fits_bench.

Usage: sep_extract.py FILE THRESHOLD
Prints "cpu_seconds objects" of sep.extract alone (reading the file and the
background are not timed): an absolute threshold, no filter, no deblending,
every object of one pixel or more, as the star search counts them.
"""
import sys
import time

import numpy as np
import sep

TYPES = {8: ">u1", 16: ">i2", 32: ">i4", -32: ">f4", -64: ">f8"}


def read_image(path):
    """The primary image, BZERO and BSCALE applied (no astropy on the machine)."""
    raw = open(path, "rb").read()
    cards, offset = {}, 0
    while True:
        card = raw[offset:offset + 80].decode("ascii")
        offset += 80
        if card.startswith("END"):
            break
        if card[8:10] == "= ":
            cards[card[:8].strip()] = card[10:].split("/")[0].strip()
    start = (offset + 2879) // 2880 * 2880
    width, height = int(cards["NAXIS1"]), int(cards["NAXIS2"])
    data = np.frombuffer(raw, dtype=TYPES[int(cards["BITPIX"])], count=width * height,
                         offset=start).astype(np.float32)
    data = data * float(cards.get("BSCALE", 1)) + float(cards.get("BZERO", 0))
    return np.ascontiguousarray(data.reshape(height, width), dtype=np.float32)


def main():
    data = read_image(sys.argv[1])
    sep.set_extract_pixstack(5_000_000)
    sep.set_sub_object_limit(100_000)
    start = time.process_time()
    objects = sep.extract(data, float(sys.argv[2]), minarea=1, filter_kernel=None,
                          deblend_cont=1.0, clean=False)
    print(time.process_time() - start, len(objects))


main()
