"""Figures of morvane-lab's CSV files, drawn with matplotlib:

    python3 -m morvane.figures run STATS.csv -o run.png
    python3 -m morvane.figures ensemble ENSEMBLE.csv -o ensemble.svg
    python3 -m morvane.figures trait-map LINEAGE.csv [LINEAGE.csv ...] -o traits.pdf

The steps are apart, so that a program (or a test) can read a table, compute what a figure shows
and look at it, or draw it on a figure of its own: tables reads the CSVs, series computes the
traces and the living at a moment, drawing makes the matplotlib Figure, command writes it."""

from morvane.figures.drawing import time_series_figure, trait_map_figure
from morvane.figures.series import (Moment, TimeSeries, Trace, default_moments, ensemble_series,
                                    living_at, moments_of, run_length, run_series)
from morvane.figures.tables import (FigureError, Lineage, read_ensemble, read_lineage,
                                    read_stats)

__all__ = ["FigureError", "Lineage", "Moment", "TimeSeries", "Trace", "default_moments",
           "ensemble_series", "living_at", "moments_of", "read_ensemble", "read_lineage",
           "read_stats", "run_length", "run_series", "time_series_figure", "trait_map_figure"]
