#!/usr/bin/python3
"""Runs, in one go, the three benchmarks where observers wait and the
programs they are set against, on the same data and the same machine, and
prints each pair's times (the median of five runs each) and ratio:
  - the period search of 10 000 observations at 100 000 frequencies against
    astropy's LombScargle with its fast method (Press & Rybicki);
  - a 4096 x 4096 image (16-bit and float) from file to display picture
    against astropy's getdata and a percentile stretch in numpy;
  - 1 000 000 observations of an AAVSO database download read, against awk
    summing one column.
    bench/peers.py BUILD_FOLDER
The build folder is configured with -DVEVURID_BENCH=ON; the benchmark
program is built first if need be. Needs Debian's python3-astropy."""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
from astropy.io import fits
from astropy.timeseries import LombScargle

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from period_astropy import generated  # noqa: E402  the same series as bench_period.cpp

OURS = "BM_Search/points:10000/|loadWithPicture|readLightCurve/format:1/observations:1000000"
REPEATS = 5


# Both sides are given as the median of REPEATS runs, which a busy moment
# of the machine moves less than their mean or their best.
def median(run, repeats=REPEATS):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return statistics.median(times) * 1000


def ours(build, folder):
    subprocess.run(["cmake", "--build", build, "--target", "vevurid_bench"], check=True,
                   stdout=subprocess.DEVNULL)
    program = os.path.join(build, "bench", "vevurid_bench")
    out = subprocess.run([program, "--benchmark_filter=" + OURS, "--benchmark_format=json",
                          "--benchmark_min_time=1", f"--benchmark_repetitions={REPEATS}",
                          "--benchmark_report_aggregates_only=true"],
                         check=True, capture_output=True, text=True,
                         env=dict(os.environ, VEVURID_BENCH_FILES=folder, QT_QPA_PLATFORM="offscreen"))
    found = {}
    for mark in json.loads(out.stdout)["benchmarks"]:
        if mark["aggregate_name"] == "median":
            scale = {"ms": 1, "us": 1e-3, "ns": 1e-6}[mark["time_unit"]]
            found[mark["run_name"]] = mark["real_time"] * scale
    return found


def astropy_search():
    t, y = generated(10000, 20)
    span = t.max() - t.min()
    frequency = 2 / span + np.arange(100000) / (5 * span)
    return median(lambda: LombScargle(t, y, fit_mean=True).power(
        frequency, method="fast", assume_regular_frequency=True))


def numpy_picture(path):
    def run():
        pixels = fits.getdata(path).astype(np.float32)
        flat = pixels.ravel()
        sample = flat[::max(1, flat.size >> 18)]
        sample = sample[~np.isnan(sample)]
        black, white = np.percentile(sample, [0.5, 99.8])
        level = np.clip((pixels - black) * (4095 / (white - black)), 0, 4095)
        curve = np.round(255 * np.arcsinh(10 * np.arange(4096) / 4095) / np.arcsinh(10)).astype(np.uint8)
        return curve[np.round(level).astype(np.int32)]
    return median(run)


def awk_column(path):
    return median(lambda: subprocess.run(["awk", "-F,", "{ s += $1 } END { print s }", path], check=True,
                                       stdout=subprocess.DEVNULL), 3)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as folder:
        mine = ours(sys.argv[1], folder)
        rows = [
            ("period search, 10 000 x 100 000", mine["BM_Search/points:10000/real_time"],
             "astropy fast", astropy_search(), "ours <= 1"),
            ("image to picture, 16-bit", mine["loadWithPicture/bitpix:20/iterations:5"],
             "astropy + numpy", numpy_picture(os.path.join(folder, "frame20.fits")), "ours <= 1, < 100 ms"),
            ("image to picture, float", mine["loadWithPicture/bitpix:-32/iterations:5"],
             "astropy + numpy", numpy_picture(os.path.join(folder, "frame-32.fits")), "ours <= 1, < 100 ms"),
            ("1 000 000 AAVSO observations read", mine["readLightCurve/format:1/observations:1000000"],
             "awk, one column", awk_column(os.path.join(folder, "1-1000000.txt")), "ours <= 0.5"),
        ]
    print(f"{'':36s} {'ours':>10s}   {'peer':16s} {'peer':>10s} {'ours/peer':>10s}   goal")
    for name, ours_ms, peer, peer_ms, goal in rows:
        print(f"{name:36s} {ours_ms:8.1f} ms   {peer:16s} {peer_ms:7.1f} ms {ours_ms / peer_ms:10.2f}   {goal}")


if __name__ == "__main__":
    main()
