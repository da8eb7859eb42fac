"""The figures drawn with matplotlib from what series.py computed. Each artist that carries data
has a gid naming it ("animals", "speed band", "counts after 2000", ...), so the data on a
figure can be read back and checked against the tables it came from."""

import math

import matplotlib
import numpy as np
from matplotlib import patheffects
from matplotlib.colors import LinearSegmentedColormap, PowerNorm
from matplotlib.figure import Figure
from matplotlib.patches import Patch
from matplotlib.ticker import FuncFormatter, MaxNLocator

from morvane.figures.series import Trace

DPI = 100  # a PNG's pixels per inch; an SVG or a PDF is measured in points

PLANT_GREEN = (0, 0.72, 0)  # the window's plants, a little darker on white
ANIMAL_ORANGE_RED = (1, 50 / 255, 0)  # the window's animals
SPEED_BLUE = (0.12, 0.35, 0.8)
TURN_PURPLE = (0.55, 0.2, 0.65)
BAND_ALPHA = 0.22

# The trait map: bins of a few pixels, fine grain yet filled, and a ramp from light to dark
# blue evenly stepped in lightness, whose lightest still shows on white, so a bin of one animal
# is seen.
SPEED_BINS, TURN_BINS = 48, 36
COLUMNS = 3
DENSITY = LinearSegmentedColormap.from_list("living", [
    (0.776, 0.859, 0.937), (0.620, 0.792, 0.882), (0.420, 0.682, 0.839), (0.259, 0.573, 0.776),
    (0.129, 0.443, 0.710), (0.031, 0.318, 0.612), (0.031, 0.188, 0.420)])


def grouped(number):
    """A count as the figures write it: 200,000."""
    return f"{int(number):,}"


def _ticks_in_thousands(axes):
    axes.xaxis.set_major_formatter(FuncFormatter(lambda value, _: grouped(value)))


def _lone(values):
    """Where a value has no neighbour to join it in a line: a point that shows only as a dot."""
    present = np.isfinite(values)
    before = np.concatenate([[False], present[:-1]])
    after = np.concatenate([present[1:], [False]])
    return present & ~before & ~after


def _draw_trace(axes, ticks, trace, name, colour):
    """The band first, then the line over it; returns what stands for them in the legend. A line
    breaks where there is nothing to show, rather than bridging the gap with values nobody
    measured; fill_between breaks likewise."""
    if trace.low is not None:
        axes.fill_between(ticks, trace.low, trace.high, color=colour, alpha=BAND_ALPHA,
                          linewidth=0, gid=f"{name} band", zorder=2)
    line, = axes.plot(ticks, trace.middle, color=colour, linewidth=1.1, gid=name, zorder=3)
    lone = _lone(trace.middle)
    if lone.any():
        axes.plot(ticks[lone], trace.middle[lone], linestyle="none", marker="o", markersize=2.5,
                  color=colour, gid=f"{name} lone", zorder=3)
    if trace.low is None:
        return line
    return Patch(color=colour, alpha=BAND_ALPHA, linewidth=0), line


def _panel(axes, series, traces, value_label, band_legend):
    """One panel over time: its traces, their legend right above it and what the bands are at
    its left, so neither hides data. Each trace is (what, gid, colour, legend)."""
    handles = [_draw_trace(axes, series.ticks, trace, name, colour)
               for trace, name, colour, _ in traces]
    axes.legend(handles=handles, labels=[legend for *_, legend in traces], loc="lower right",
                bbox_to_anchor=(1, 1), ncol=len(handles), frameon=False, borderaxespad=0.2,
                handlelength=1.6)
    if band_legend:
        axes.annotate(band_legend, xy=(0, 1), xycoords="axes fraction", xytext=(0, 5),
                      textcoords="offset points", color="0.35", va="bottom")
    axes.set_ylabel(value_label)
    axes.grid(color="0.88", linewidth=0.8)
    axes.set_axisbelow(True)


def time_series_figure(series, title):
    """The populations above, the mean speed and turning rate below, on one time axis: 960 x 810
    pixels at 100 dpi."""
    figure = Figure(figsize=(9.6, 8.1), dpi=DPI, layout="constrained")
    figure.suptitle(title, fontweight="bold")
    living, speed, turn = figure.subplots(3, 1, sharex=True,
                                          gridspec_kw={"height_ratios": [2, 1, 1]})
    median = " (median)" if series.ensemble else ""
    of = "median of " if series.ensemble else ""
    band = "band: 10\u201390 % of runs" if series.ensemble else \
        "band: mean \u00b1 1 standard deviation"
    _panel(living, series, [(series.plants, "plants", PLANT_GREEN, "plants" + median),
                            (series.animals, "animals", ANIMAL_ORANGE_RED, "animals" + median)],
           "living (count)", band if series.ensemble else "")
    _panel(speed, series, [(series.speed, "speed", SPEED_BLUE, of + "mean speed")],
           "speed (pixels/tick)", band)
    _panel(turn, series, [(series.turn, "turn", TURN_PURPLE, of + "mean turning rate")],
           "turn (radians/tick)", band)
    turn.set_xlabel("time (ticks)")
    _ticks_in_thousands(turn)
    # A run from a fresh world starts at tick 0, and a run of no ticks still gets a time axis
    # that runs forward; a resumed run's axis starts at its first row.
    first, last = float(series.ticks[0]), float(series.ticks[-1])
    turn.set_xlim(first, max(last, first + 1))
    for axes in (living, speed, turn):
        axes.set_ylim(bottom=min(0, axes.get_ylim()[0]))
    return figure


def sweep_figure(points, labels, title):
    """A sweep: the animals, the mean speed and the mean turning rate over time, one line per
    point (the median across its runs) in a band from the 10 % to the 90 % quantile, each point
    in a colour of its own and named in the legend by its rules: 960 x 810 pixels at 100 dpi."""
    figure = Figure(figsize=(9.6, 8.1), dpi=DPI, layout="constrained")
    figure.suptitle(title, fontweight="bold")
    living, speed, turn = figure.subplots(3, 1, sharex=True)
    colours = matplotlib.colormaps["tab10" if len(points) <= 10 else "viridis"]
    for axes, column, value_label in ((living, "animals", "living animals (count)"),
                                      (speed, "speed_mean", "mean speed (pixels/tick)"),
                                      (turn, "turn_mean", "mean turn (radians/tick)")):
        handles = []
        for k, point in enumerate(points):
            colour = colours(k if len(points) <= 10 else k / max(len(points) - 1, 1))
            quantiles = point.quantiles
            trace = Trace(quantiles[f"{column}_median"], quantiles[f"{column}_p10"],
                          quantiles[f"{column}_p90"])
            handles.append(_draw_trace(axes, quantiles["tick"], trace,
                                       f"{column} point {k}", colour)[1])
        axes.set_ylabel(value_label)
        axes.grid(color="0.88", linewidth=0.8)
        axes.set_axisbelow(True)
        if axes is living:
            axes.legend(handles=handles, labels=labels, loc="lower right", bbox_to_anchor=(1, 1),
                        ncol=min(len(handles), 3), frameon=False, borderaxespad=0.2,
                        handlelength=1.6)
        axes.set_ylim(bottom=min(0, axes.get_ylim()[0]))
    # What the lines and bands are, under the time axis, clear of a legend of many points.
    turn.set_xlabel("time (ticks); lines: medians across runs, bands: 10\u201390 % of runs")
    _ticks_in_thousands(turn)
    return figure


def _shared_limits(values):
    """One axis for all panels, so that a patch that moves between panels has moved in the
    traits: the values' range with a margin that keeps the outermost off the frame, out to round
    numbers."""
    values = np.concatenate(values) if values else np.empty(0)
    if values.size == 0:
        return 0.0, 1.0  # no animal anywhere: empty panels still get axes
    low, high = float(values.min()), float(values.max())
    margin = (high - low) * 0.04 or 0.5  # one value alone still sits inside a span
    low, high = low - margin, high + margin
    ticks = MaxNLocator(nbins=8, steps=[1, 2, 2.5, 5, 10]).tick_values(low, high)
    step = float(ticks[1] - ticks[0])
    return math.floor(low / step) * step, math.ceil(high / step) * step


def _mean_mark(axes, x, y, size, gid):
    """The mean as an orange-red cross with a white edge, apart from the darkest bins."""
    axes.plot(x, y, marker="+", markersize=size, markeredgewidth=size / 6,
              color=ANIMAL_ORANGE_RED, linestyle="none", gid=gid,
              path_effects=[patheffects.withStroke(linewidth=size / 6 + 2, foreground="white")])


def _moment_heading(axes, moment, runs):
    """The moment and its head count above the panel, the mean at the right of the count."""
    unit = "tick" if moment.tick == 1 else "ticks"
    axes.annotate(f"after {grouped(moment.tick)} {unit}", xy=(0, 1), xycoords="axes fraction",
                  xytext=(0, 19), textcoords="offset points", fontweight="bold", va="bottom")
    living = len(moment.speed)
    count = f"{grouped(living)} {'animal' if living == 1 else 'animals'}"
    if runs > 1:
        count += f" of {grouped(runs)} runs"
    axes.annotate(count, xy=(0, 1), xycoords="axes fraction", xytext=(0, 5),
                  textcoords="offset points", va="bottom")
    mean = moment.mean()
    if mean is not None:
        axes.annotate(f"mean {mean[0]:.2f}, {mean[1]:.2f}", xy=(1, 1), xycoords="axes fraction",
                      xytext=(0, 5), textcoords="offset points", ha="right", va="bottom",
                      color="0.25")


def trait_map_figure(moments, runs, title):
    """How the living spread over speed (across) and turning rate (up) at each moment, one panel
    a moment on axes shared by all, shaded on one scale: by square root, so that a few animals
    strung out behind a crowd still show. 1080 x 760 pixels at 100 dpi for six moments."""
    rows = max(1, math.ceil(len(moments) / COLUMNS))
    figure = Figure(figsize=(10.8, 0.6 + 3.25 * rows + 0.5), dpi=DPI, layout="constrained")
    figure.suptitle(title, fontweight="bold")
    panels = figure.subplots(rows, COLUMNS, sharex=True, sharey=True, squeeze=False).ravel()
    x_low, x_high = _shared_limits([m.speed.astype(np.float64) for m in moments])
    y_low, y_high = _shared_limits([m.turn.astype(np.float64) for m in moments])
    speed_edges = np.linspace(x_low, x_high, SPEED_BINS + 1)
    turn_edges = np.linspace(y_low, y_high, TURN_BINS + 1)
    counts = [np.histogram2d(m.speed, m.turn, bins=[speed_edges, turn_edges])[0] for m in moments]
    most = max((int(c.max()) for c in counts), default=0)
    shade = PowerNorm(gamma=0.5, vmin=0, vmax=max(most, 1))
    mesh = None
    for k, (axes, moment) in enumerate(zip(panels, moments)):
        # Bins with no animal are left white: a shade means at least one animal.
        mesh = axes.pcolormesh(speed_edges, turn_edges, np.ma.masked_equal(counts[k].T, 0),
                               cmap=DENSITY, norm=shade, gid=f"counts after {moment.tick}")
        mean = moment.mean()
        if mean is not None:
            _mean_mark(axes, [mean[0]], [mean[1]], 13, gid=f"mean after {moment.tick}")
        else:
            axes.text(0.5, 0.5, "no animals alive", transform=axes.transAxes, ha="center",
                      va="center", color="0.45")
        _moment_heading(axes, moment, runs)
        axes.grid(color="0.88", linewidth=0.8)
        axes.set_axisbelow(True)
        if k % COLUMNS == 0:
            axes.set_ylabel("turn (radians/tick)")
        if k + COLUMNS >= len(moments):
            axes.set_xlabel("speed (pixels/tick)")
            axes.xaxis.set_tick_params(labelbottom=True)
    for axes in panels[len(moments):]:
        axes.set_visible(False)
    panels[0].set_xlim(x_low, x_high)
    panels[0].set_ylim(y_low, y_high)
    if most > 0:
        key = figure.colorbar(mesh, ax=list(panels), location="bottom", shrink=0.25,
                              aspect=25, anchor=(1.0, 0.5), pad=0.02)
        key.set_label("animals per bin", labelpad=2)
        # The fewest and the most, and a round count or two between them not crowding the most.
        round_counts = MaxNLocator(nbins=3, integer=True).tick_values(1, most)
        key.set_ticks(sorted({1, most} | {int(v) for v in round_counts if 1 < v < 0.85 * most}))
    return figure
