"""What the figures show, computed from the lab's tables before anything is drawn: the traces
over time of one run or of an ensemble, and the living animals' traits at chosen moments."""

from dataclasses import dataclass
from typing import Optional

import numpy as np

MOMENTS = 6  # the trait map's panels unless others are asked for


@dataclass
class Trace:
    """One quantity at every sampled tick: its line and, when it has one, the band around it;
    NaN where there is nothing to show (no animal alive to average)."""

    middle: np.ndarray
    low: Optional[np.ndarray] = None
    high: Optional[np.ndarray] = None


@dataclass
class TimeSeries:
    """The populations, mean speed and mean turning rate of one run or of an ensemble."""

    ticks: np.ndarray
    plants: Trace
    animals: Trace
    speed: Trace
    turn: Trace
    ensemble: bool  # True: medians across runs in a 10-90 % band; False: one run's means


def run_series(stats):
    """One run from --stats-out: the living counted exactly, each trait's mean in a band of one
    standard deviation across the animals."""
    def within_one_deviation(trait):
        mean, sd = stats[f"{trait}_mean"], stats[f"{trait}_sd"]
        return Trace(mean, mean - sd, mean + sd)

    return TimeSeries(ticks=stats["tick"], plants=Trace(stats["plants"]),
                      animals=Trace(stats["animals"]), speed=within_one_deviation("speed"),
                      turn=within_one_deviation("turn"), ensemble=False)


def ensemble_series(ensemble):
    """An ensemble from --ensemble-out: each quantity's median across runs, in the band from the
    10 % to the 90 % quantile."""
    def across_runs(column):
        return Trace(ensemble[f"{column}_median"], ensemble[f"{column}_p10"],
                     ensemble[f"{column}_p90"])

    return TimeSeries(ticks=ensemble["tick"], plants=across_runs("plants"),
                      animals=across_runs("animals"), speed=across_runs("speed_mean"),
                      turn=across_runs("turn_mean"), ensemble=True)


def swept_rules(points):
    """The rules whose values differ between a sweep's points, in the lab's order."""
    return [name for name in points[0].rules
            if len({point.rules[name] for point in points}) > 1]


def point_label(point, swept):
    """What tells a point apart in a legend: its values of the swept rules."""
    def value(number):
        return str(int(number)) if float(number).is_integer() else repr(float(number))
    return ", ".join(f"{name} {value(point.rules[name])}" for name in swept) or "the one point"


def default_moments(ticks):
    """The ticks after 1/6, 2/6, ... and all of a run of `ticks` ticks from a fresh world, in
    whole ticks: k/6 of the way, rounded down."""
    return [ticks // MOMENTS * k + ticks % MOMENTS * k // MOMENTS for k in range(1, MOMENTS + 1)]


def living_at(lineage, tick):
    """Which animals of `lineage` a state dump after `tick` ticks shows alive: those that entered
    at or before it and had not died by it. An animal born and dead within one tick has
    origin_time equal to destruction_time and is seen alive by no dump."""
    tick = np.uint64(tick)
    return (lineage.born <= tick) & (lineage.alive_at_end | (lineage.died > tick))


@dataclass
class Moment:
    """The living animals after `tick` ticks, pooled over runs: the traits they were born with."""

    tick: int
    speed: np.ndarray  # float32, one per living animal
    turn: np.ndarray

    def mean(self):
        """(speed, turn) averaged over the living in double precision; None when none lives."""
        if len(self.speed) == 0:
            return None
        return float(self.speed.mean(dtype=np.float64)), float(self.turn.mean(dtype=np.float64))


def moments_of(lineages, ticks):
    """The living of every run in `lineages` at each tick of `ticks`, pooled in the runs' order."""
    moments = []
    for tick in ticks:
        alive = [living_at(lineage, tick) for lineage in lineages]
        moments.append(Moment(
            tick=tick,
            speed=np.concatenate([l.speed[a] for l, a in zip(lineages, alive)]),
            turn=np.concatenate([l.turn[a] for l, a in zip(lineages, alive)])))
    return moments


def run_length(lineages):
    """How long the runs went on, as far as their files tell: the latest birth or death."""
    return max(lineage.last_tick for lineage in lineages)
