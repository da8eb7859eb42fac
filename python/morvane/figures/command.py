"""python3 -m morvane.figures: the command line. Bad input gets one line on stderr and exit
status 2, as morvane-lab's does, and no figure file is left behind, whole or partial: a figure
is written to a temporary file beside its name and renamed into place only once complete."""

import argparse
import os
import stat
import sys
import tempfile

import matplotlib

matplotlib.use("Agg")  # files only: no display is needed, nor opened

from morvane.figures import drawing, series, tables  # noqa: E402 (after the backend is chosen)
from morvane.figures.tables import FigureError, named, shown  # noqa: E402

PROGRAM = "morvane.figures"
FORMATS = {".png": "png", ".svg": "svg", ".pdf": "pdf"}
# No time of making in the files, so the same tables give the same bytes.
METADATA = {"png": {"Software": None}, "svg": {"Date": None, "Creator": None},
            "pdf": {"CreationDate": None, "Creator": None, "Producer": None}}


def format_of(path):
    """The format a figure's name asks for by its extension, in any case."""
    extension = os.path.splitext(path)[1].lower()
    if extension not in FORMATS:
        raise FigureError(f"{named(path)}: unknown figure format (the name must end in .png, "
                          ".svg or .pdf)")
    return FORMATS[extension]


def _new_file_mode():
    mask = os.umask(0)
    os.umask(mask)
    return 0o666 & ~mask


def _draw_into(figure, out, fmt, title):
    with matplotlib.rc_context({"svg.hashsalt": "morvane"}):
        figure.savefig(out, format=fmt, metadata={**METADATA[fmt], "Title": title})


def save(figure, path, title):
    """Writes `figure` to `path` in the format its name asks for, replacing what was there only
    when the whole figure is written. A link is followed, so that it keeps leading to the figure;
    a replaced file keeps its permissions; a pipe or a device is written into, never replaced."""
    fmt = format_of(path)
    target = os.path.realpath(path)
    try:
        found = os.stat(target)
    except FileNotFoundError:
        found = None
    except OSError as failure:
        raise FigureError(f"output {named(path)} cannot be written: {failure.strerror}") from None
    if found is not None and stat.S_ISDIR(found.st_mode):
        raise FigureError(f"output {named(path)} is a folder, not a file")
    if found is not None and not stat.S_ISREG(found.st_mode):
        try:
            with open(target, "wb") as out:
                _draw_into(figure, out, fmt, title)
        except OSError as failure:
            raise FigureError(f"output {named(path)} could not be written: "
                              f"{failure.strerror or failure}") from None
        return
    mode = _new_file_mode() if found is None else stat.S_IMODE(found.st_mode)
    try:
        handle, temporary = tempfile.mkstemp(dir=os.path.dirname(target),
                                             prefix=f".{os.path.basename(target)}.")
    except OSError as failure:
        raise FigureError(f"output {named(path)} cannot be written: {failure.strerror}") from None
    try:
        with os.fdopen(handle, "wb") as out:
            _draw_into(figure, out, fmt, title)
        os.chmod(temporary, mode)
        os.replace(temporary, target)
    except BaseException as failure:
        os.unlink(temporary)
        if isinstance(failure, OSError):
            raise FigureError(f"output {named(path)} could not be written: "
                              f"{failure.strerror or failure}") from None
        raise


def whole_number(text):
    try:
        return tables.parse_field(text, tables.WHOLE)
    except ValueError as wrong:
        raise argparse.ArgumentTypeError(str(wrong)) from None


def moments_list(text):
    """--at: ticks separated by commas, at least one."""
    ticks = []
    for part in text.split(","):
        try:
            ticks.append(tables.parse_field(part.strip(), tables.WHOLE))
        except ValueError as wrong:
            raise argparse.ArgumentTypeError(f"'{shown(text)}': {wrong} of ticks") from None
    return ticks


def draw_run(arguments):
    stats = tables.read_stats(arguments.stats)
    ticks = stats["tick"]
    title = arguments.title or (f"Morvane: one run, {drawing.grouped(ticks[-1])} ticks"
                                if ticks[0] == 0 else
                                f"Morvane: one run, ticks {drawing.grouped(ticks[0])} to "
                                f"{drawing.grouped(ticks[-1])}")
    return drawing.time_series_figure(series.run_series(stats), title), title


def draw_sweep(arguments):
    points = tables.read_sweep_ensemble(arguments.ensemble)
    swept = series.swept_rules(points)
    labels = [series.point_label(point, swept) for point in points]
    last = max(point.quantiles["tick"][-1] for point in points)
    title = arguments.title or (f"Morvane: a sweep of {drawing.grouped(len(points))} points, "
                                f"medians across runs, {drawing.grouped(last)} ticks")
    return drawing.sweep_figure(points, labels, title), title


def draw_ensemble(arguments):
    if tables.is_sweep(arguments.ensemble):
        return draw_sweep(arguments)
    ensemble = tables.read_ensemble(arguments.ensemble)
    title = arguments.title or (f"Morvane: median and 10\u201390 % across runs, "
                                f"{drawing.grouped(ensemble['tick'][-1])} ticks")
    return drawing.time_series_figure(series.ensemble_series(ensemble), title), title


def draw_trait_map(arguments):
    lineages = [tables.read_lineage(path) for path in arguments.lineage]
    length = series.run_length(lineages) if arguments.ticks is None else arguments.ticks
    ticks = arguments.at or series.default_moments(length)
    runs = len(lineages)
    pooled = "one run" if runs == 1 else f"{drawing.grouped(runs)} runs pooled"
    title = arguments.title or f"Morvane: speed and turning rate of the living, {pooled}"
    return drawing.trait_map_figure(series.moments_of(lineages, ticks), runs, title), title


class Parser(argparse.ArgumentParser):
    """argparse, but a mistake on the command line is one line, as every other refusal is."""

    def error(self, message):
        sys.stderr.write(f"{PROGRAM}: error: {message} (see --help)\n")
        sys.exit(2)


def parser():
    top = Parser(prog=f"python3 -m {PROGRAM}",
                 description="Draws morvane-lab's CSV files as figures with matplotlib; the "
                             "format follows the output's name: .png, .svg or .pdf.")
    commands = top.add_subparsers(dest="figure", required=True, metavar="FIGURE")

    def command(name, draw, help_text):
        sub = commands.add_parser(name, help=help_text, description=help_text)
        sub.set_defaults(draw=draw)
        return sub

    run = command("run", draw_run, "one world's populations, mean speed and mean turning rate "
                                   "over time, each mean in a band of one standard deviation, "
                                   "from morvane-lab --stats-out")
    run.add_argument("stats", metavar="STATS.csv")
    ensemble = command("ensemble", draw_ensemble,
                       "the medians across runs of the same, in a band from the 10 %% to the 90 %% "
                       "quantile, from morvane-lab --runs ... --ensemble-out; a sweep's (--vary "
                       "or --design) as one line per point, named by its rules")
    ensemble.add_argument("ensemble", metavar="ENSEMBLE.csv")
    trait_map = command("trait-map", draw_trait_map,
                        "how the living spread over speed and turning rate at six moments, from "
                        "morvane-lab --lineage-out; several files (one per run) are pooled")
    trait_map.add_argument("lineage", metavar="LINEAGE.csv", nargs="+")
    trait_map.add_argument("--at", metavar="T1,T2,...", type=moments_list,
                           help="the moments, in ticks after the world's creation (default: "
                                "1/6, 2/6, ... and the whole of the run)")
    trait_map.add_argument("--ticks", metavar="N", type=whole_number,
                           help="the runs' length, for the default moments (default: the latest "
                                "birth or death in the files)")
    for sub in (run, ensemble, trait_map):
        sub.add_argument("-o", "--output", metavar="FILE", required=True,
                         help="the figure to write: .png, .svg or .pdf")
        sub.add_argument("--title", help="the figure's heading instead of the one made up from "
                                         "the files")
    return top


def main(argv=None):
    arguments = parser().parse_args(argv)
    try:
        format_of(arguments.output)  # before any file is read
        figure, title = arguments.draw(arguments)
        save(figure, arguments.output, title)
    except FigureError as refusal:
        sys.stderr.write(f"{PROGRAM}: error: {refusal}\n")
        return 2
    except KeyboardInterrupt:
        sys.stderr.write(f"{PROGRAM}: interrupted; nothing was written\n")
        return 130
    return 0
