#!/usr/bin/env python3
"""The median master of bench_calibration.cpp made by ccdproc from the same
files, as the reference it is set against. bench_calibration.cpp runs it in
the same run:
    /usr/bin/python3 bench/calibration_ccdproc.py <folder> <frames>
and reads the seconds it prints."""
import sys
import time
import warnings

from astropy.utils.exceptions import AstropyWarning
from ccdproc import combine

folder, count = sys.argv[1], int(sys.argv[2])
files = [f"{folder}/bias_{k:03d}.fits" for k in range(count)]
warnings.simplefilter("ignore", AstropyWarning)
start = time.perf_counter()
combine(files, method="median", unit="adu")
print(f"{time.perf_counter() - start:.3f}")
