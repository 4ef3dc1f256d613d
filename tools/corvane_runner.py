#!/usr/bin/python3
"""Corvane benchmark runner: runs the configurations and writes results, summary and chart.

    tools/corvane_runner.py --lines 6 --runs 2            # every shipped configuration
    tools/corvane_runner.py --configs GpuBox50,CpuBox50 --seconds 30
    tools/corvane_runner.py --program CpuBox3=build/bin/CpuBox3 --lines 3

Run with --help for every option. The code lives in tools/benchrunner/.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from benchrunner.cli import main  # noqa: E402

if __name__ == "__main__":
    sys.exit(main())
