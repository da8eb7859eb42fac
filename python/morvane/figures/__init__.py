"""Figures of morvane-lab's CSV files, drawn with matplotlib:

    python3 -m morvane.figures run STATS.csv -o run.png
    python3 -m morvane.figures ensemble ENSEMBLE.csv -o ensemble.svg   (a sweep's too)
    python3 -m morvane.figures trait-map LINEAGE.csv [LINEAGE.csv ...] -o traits.pdf

The steps are apart, so that a program (or a test) can read a table, compute what a figure shows
and look at it, or draw it on a figure of its own: tables reads the CSVs, series computes the
traces and the living at a moment, drawing makes the matplotlib Figure, command writes it."""

from morvane.figures.drawing import sweep_figure, time_series_figure, trait_map_figure
from morvane.figures.series import (Moment, TimeSeries, Trace, default_moments, ensemble_series,
                                    living_at, moments_of, point_label, run_length, run_series,
                                    swept_rules)
from morvane.figures.tables import (FigureError, Lineage, SweepPoint, read_ensemble,
                                    read_lineage, read_stats, read_sweep_ensemble)

__all__ = ["FigureError", "Lineage", "Moment", "SweepPoint", "TimeSeries", "Trace",
           "default_moments", "ensemble_series", "living_at", "moments_of", "point_label",
           "read_ensemble", "read_lineage", "read_stats", "read_sweep_ensemble", "run_length",
           "run_series", "sweep_figure", "swept_rules", "time_series_figure", "trait_map_figure"]
