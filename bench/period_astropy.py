#!/usr/bin/env python3
"""The computations of bench_period.cpp done by astropy's LombScargle, as a
reference: the same series and frequencies, floating mean. Run by hand:
    python3 bench/period_astropy.py
"cython" evaluates the sums exactly at each frequency; "fast" (Press and
Rybicki's extirpolation) approximates them."""
import math
import time

import numpy as np
from astropy.timeseries import LombScargle

DAYS = 365.25


def generated(count, years):
    i = np.arange(count, dtype=float)
    a = np.fmod(i * 0.6180339887498949, 1.0)
    b = np.fmod(i * 0.7548776662466927, 1.0)
    jd = 2440000 + np.floor(a * years) * DAYS + np.fmod(a * years, 1.0) * 240
    y = 10 + 0.5 * np.sin(2 * math.pi * jd / 7.1767) + 0.3 * (b - 0.5)
    return jd - (jd.min() + jd.max()) / 2, y


def timed(label, t, y, frequency, method):
    start = time.perf_counter()
    power = LombScargle(t, y, fit_mean=True).power(frequency, method=method, assume_regular_frequency=True)
    seconds = time.perf_counter() - start
    best = frequency[np.argmax(power)]
    print(f"{label:45s} {method:7s} {seconds:8.3f} s  best period {1 / best:.5f} d")


def main():
    for count in (10000, 100000):
        t, y = generated(count, 20)
        span = t.max() - t.min()
        frequency = 2 / span + np.arange(100000) / (5 * span)
        for method in ("fast", "cython"):
            timed(f"{count} observations x 100 000 frequencies", t, y, frequency, method)
    t, y = generated(14000, 95)
    span = t.max() - t.min()
    first, last = 2 / span, 1.0
    steps = math.ceil((last - first) * 5 * span) + 1
    frequency = np.linspace(first, last, steps)
    for method in ("fast", "cython"):
        timed(f"default search, 14 000 over 95 years ({steps})", t, y, frequency, method)


if __name__ == "__main__":
    main()
