"""The command line: choose configurations, build, run each one, write the results."""

import argparse
import datetime
import os
import platform
import signal
import sys
from pathlib import Path

from .build import BuildError, build
from .configs import ConfigError, make_configurations, parse_meta, parse_program, select_shipped, SHIPPED
from .display import DisplayError, session_display
from .process import RunInterrupted, RunLimits, run_once
from .progress import Progress
from .results import RunRecord, measurements_for, write_csv, write_json
from .summary import build_summary, summary_markdown, write_summary
from .svg_chart import write_chart

ROOT = Path(__file__).resolve().parents[2]
DEFAULT_LINES = 6

EXIT_OK = 0
EXIT_FAILED = 1   # some configuration failed or is missing; results are still written
EXIT_USAGE = 2    # nothing was run: bad arguments, build or display failure
EXIT_INTERRUPTED = 130


def _positive_int(text):
    value = int(text)
    if value < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1, got {text}")
    return value


def _positive_float(text):
    value = float(text)
    if not value > 0:
        raise argparse.ArgumentTypeError(f"must be more than 0, got {text}")
    return value


def parse_args(argv):
    parser = argparse.ArgumentParser(
        prog="corvane_runner.py",
        description="Runs Corvane configurations, collects their statistics lines and writes "
                    "measurements (CSV, JSON), a summary (markdown, JSON) and chart.svg.",
        epilog="Every run stops with SIGTERM after --lines statistics lines or --seconds seconds "
               f"(default: {DEFAULT_LINES} lines). Without DISPLAY the runner starts one Xvfb server "
               "for the session. Exit code: 0 all ran, 1 something failed or is missing, "
               "2 nothing ran (arguments, build, display), 130 interrupted.")
    parser.add_argument("--configs", metavar="LIST",
                        help=f"comma-separated shipped configurations, or 'all' (default: all, unless "
                             f"--program is given). Known: {','.join(SHIPPED)}")
    parser.add_argument("--program", action="append", default=[], metavar="NAME=PATH",
                        help="also run the executable PATH as configuration NAME (not built by the runner); "
                             "executor, shape and body count come from NAME (e.g. CpuBox3) or --meta")
    parser.add_argument("--meta", action="append", default=[], metavar="NAME=EXECUTOR,SHAPE,COUNT",
                        help="executor (Cpu/Gpu), shape (Box/Circle) and body count of a --program")
    parser.add_argument("--lines", type=_positive_int, metavar="N",
                        help="statistics lines per run; line 1 includes start-up (default: "
                             f"{DEFAULT_LINES} unless --seconds is given)")
    parser.add_argument("--seconds", type=_positive_float, metavar="S",
                        help="stop each run after S seconds (with --lines: whichever comes first)")
    parser.add_argument("--runs", type=_positive_int, default=1, metavar="N", help="runs per configuration (1)")
    # Generous: GpuBox1000 has needed 150 s for a line on a busy 2-core llvmpipe machine.
    parser.add_argument("--first-line-timeout", type=_positive_float, default=600.0, metavar="S",
                        help="a run fails if its first statistics line takes longer (600)")
    parser.add_argument("--line-timeout", type=_positive_float, metavar="S",
                        help="a run fails if a later line takes longer than this after the previous one "
                             "(default: the first-line timeout)")
    parser.add_argument("--stop-timeout", type=_positive_float, default=30.0, metavar="S",
                        help="time a program has to exit after SIGTERM before it is killed (30)")
    parser.add_argument("--out", type=Path, default=ROOT / "results", metavar="DIR",
                        help="results folder (default: results/ in the repository)")
    parser.add_argument("--build-dir", type=Path, default=ROOT / "build", metavar="DIR",
                        help="where the shipped programs are built (default: build/ in the repository)")
    parser.add_argument("--no-build", action="store_true", help="run the programs as they are in the build folder")
    args = parser.parse_args(argv)
    if args.lines is None and args.seconds is None:
        args.lines = DEFAULT_LINES
    if args.line_timeout is None:
        args.line_timeout = args.first_line_timeout
    return args


def _configurations(args):
    if args.configs is None:
        shipped = [] if args.program else list(SHIPPED)
    else:
        shipped = select_shipped(args.configs)
    programs = [parse_program(text) for text in args.program]
    metas = dict(parse_meta(text) for text in args.meta)
    return shipped, make_configurations(shipped, args.build_dir / "bin", programs, metas)


def _stop_after(args):
    parts = []
    if args.lines is not None:
        parts.append(f"{args.lines} statistics lines")
    if args.seconds is not None:
        parts.append(f"{args.seconds:g} s")
    return " or ".join(parts) + (", whichever comes first" if len(parts) > 1 else "")


def _raise_interrupt(signum, frame):
    raise KeyboardInterrupt(f"signal {signum}")


def main(argv=None):
    args = parse_args(argv)
    progress = Progress()
    try:
        shipped, configs = _configurations(args)
    except ConfigError as error:
        print(f"corvane_runner: {error}", file=sys.stderr)
        return EXIT_USAGE
    try:  # before any long run: a results folder that cannot be written fails now
        args.out.mkdir(parents=True, exist_ok=True)
    except OSError as error:
        print(f"corvane_runner: cannot create the results folder {args.out}: {error.strerror}", file=sys.stderr)
        return EXIT_USAGE
    if args.lines == 1:
        progress.say("note: with --lines 1 every line includes start-up; the steady-state columns stay empty")
    limits = RunLimits(args.lines, args.seconds, args.first_line_timeout, args.line_timeout, args.stop_timeout)
    settings = {
        "generated": datetime.datetime.now().astimezone().isoformat(timespec="seconds"),
        "host": f"{platform.node()} ({platform.platform()}, {os.cpu_count()} CPUs)",
        "stop_after": _stop_after(args),
        "runs": args.runs, "lines": args.lines, "seconds": args.seconds,
        "first_line_timeout_s": args.first_line_timeout, "line_timeout_s": args.line_timeout,
        "stop_timeout_s": args.stop_timeout,
        "configurations": [config.name for config in configs],
    }

    # SIGTERM and SIGHUP end the runner like Ctrl-C: through the clean-up paths.
    previous = {signum: signal.signal(signum, _raise_interrupt) for signum in (signal.SIGTERM, signal.SIGHUP)}
    measurements, records = [], []
    outcome = EXIT_OK
    try:
        if shipped and not args.no_build:
            build(ROOT, args.build_dir, shipped)
        with session_display(os.environ) as display:
            settings["display"] = display.display + ("" if os.environ.get("DISPLAY") else " (own Xvfb)")
            progress.say(f"display {settings['display']}; each run stops after {settings['stop_after']}")
            env = dict(os.environ, DISPLAY=display.display)
            for index, config in enumerate(configs, start=1):
                progress.say(f"configuration {index}/{len(configs)}: {config.name} "
                             f"({config.executor}, {config.shape}, {config.body_count} bodies)")
                _run_configuration(config, args.runs, limits, env, progress, measurements, records)
    except KeyboardInterrupt:
        progress.say("interrupted: stopping, writing what was collected")
        outcome = EXIT_INTERRUPTED
        _skip_rest(configs, args.runs, records, "not run: the runner was interrupted")
    except (BuildError, DisplayError) as error:
        print(f"corvane_runner: {error}", file=sys.stderr)
        outcome = EXIT_USAGE
        _skip_rest(configs, args.runs, records, f"not run: {error}")
    finally:
        for signum, handler in previous.items():
            signal.signal(signum, handler)

    summary = _write_results(args.out, configs, measurements, records, settings)
    sys.stdout.write(summary_markdown(summary))
    sys.stdout.flush()
    failed = summary["problems"]
    progress.say(f"finished in {progress.session_time()}; results in {args.out}")
    if failed:
        names = sorted({problem["configuration"] for problem in failed})
        progress.say(f"FAILED or missing runs in: {', '.join(names)} (details in {args.out / 'summary.md'})")
        if outcome == EXIT_OK:
            outcome = EXIT_FAILED
    return outcome


def _run_configuration(config, runs, limits, env, progress, measurements, records):
    for run in range(1, runs + 1):
        try:
            record, stats = run_once(config, run, runs, limits, env, progress)
        except RunInterrupted as interrupted:
            # Keep the lines this run had collected before going on to the clean-up.
            records.append(interrupted.record)
            measurements += measurements_for(config, run, interrupted.stats)
            progress.run_finished(interrupted.record)
            raise
        records.append(record)
        measurements += measurements_for(config, run, stats)
        progress.run_finished(record)
        if record.status != "ok" and run < runs:
            # Failures repeat (missing files, hangs): do not spend the time again.
            reason = f"not run: run {run} failed"
            records += [RunRecord(config.name, later, "skipped", reason=reason) for later in range(run + 1, runs + 1)]
            progress.say(f"{config.name}: skipping runs {run + 1}..{runs} after the failure")
            return


def _skip_rest(configs, runs, records, reason):
    done = {(record.configuration, record.run) for record in records}
    for config in configs:
        for run in range(1, runs + 1):
            if (config.name, run) not in done:
                records.append(RunRecord(config.name, run, "skipped", reason=reason))


def _write_results(out_dir, configs, measurements, records, settings):
    out_dir.mkdir(parents=True, exist_ok=True)
    write_csv(out_dir / "measurements.csv", measurements)
    write_json(out_dir / "measurements.json", measurements)
    summary = build_summary(configs, measurements, records, settings)
    write_summary(out_dir, summary)
    write_chart(out_dir / "chart.svg", summary)
    return summary
