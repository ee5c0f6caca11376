#!/usr/bin/env python3
"""Regenerates samples/: a cluster-like pair from orelith-genfield and a
calibration file of ten isolated, unsaturated stars spread over V = 9..13.5.

Run from the repository root after building: python3 tools/make-samples.py
"""
import csv
import json
import subprocess

SEED = "2026"
LEVEL = "1130"
BIN = "build/bin/"

subprocess.run([BIN + "orelith-genfield", "--seed", SEED, "--out-blue", "samples/cluster.b",
                "--out-green", "samples/cluster.g", "--truth", "samples/cluster-truth.csv"],
               check=True)
truth = list(csv.DictReader(open("samples/cluster-truth.csv")))
state = json.loads(subprocess.run(
    [BIN + "orelith-batch", "--blue", "samples/cluster.b", "--green", "samples/cluster.g",
     "--background-blue", LEVEL, "--background-green", LEVEL, "--search", "--compare",
     "--with-pixels", "--json", "-"], check=True, capture_output=True).stdout)
blue, green = state["images"][0]["stars"], state["images"][1]["stars"]


def owner(stars, x, y):
    return next((k for k, s in enumerate(stars) if [x, y] in s["pixel_list"]), -1)


in_blue, in_green = {}, {}
for i, t in enumerate(truth):
    in_blue.setdefault(owner(blue, round(float(t["x"])), round(float(t["y"]))), []).append(i)
    in_green.setdefault(owner(green, round(float(t["green_x"])), round(float(t["green_y"]))),
                        []).append(i)
pool = []
for k, s in enumerate(blue):
    p = s["partner"]
    if p < 0 or s["hot"] or s["large"] or green[p]["hot"] or green[p]["large"]:
        continue
    if len(in_blue.get(k, [])) == 1 and in_green.get(p) == in_blue[k]:
        t = truth[in_blue[k][0]]
        if t["saturated"] == "0":
            pool.append((float(t["V"]), float(t["BV"]), s["x"], s["y"]))
chosen = []
for target in [9.0, 9.5, 10.0, 10.5, 11.0, 11.5, 12.0, 12.5, 13.0, 13.5]:
    best = min((c for c in pool if c not in chosen), key=lambda c: abs(c[0] - target))
    chosen.append(best)
with open("samples/calibration.csv", "w") as f:
    f.write("x,y,V,BV\n")
    for v, bv, x, y in sorted(chosen):
        f.write(f"{x},{y},{v:.4f},{bv:.4f}\n")
