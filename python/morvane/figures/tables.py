"""morvane-lab's CSV files read into columns of numbers. A file that is not whole (a column
missing, a field that is not a number, no rows at all) is refused with one line naming the
file, the line and the field, since a figure drawn from half a file would look like a result."""

import csv
import math
from dataclasses import dataclass

import numpy as np


class FigureError(Exception):
    """Input that cannot be drawn, said in one line."""


# What a field may hold. The lab leaves a field empty where it has nothing to say (a mean with
# no animal alive, the death of an animal still alive); it never writes nan or inf.
WHOLE = "a whole number"
NUMBER = "a number"
NUMBER_OR_EMPTY = "a number or empty"
WHOLE_OR_EMPTY = "a whole number or empty"

LARGEST_TICK = 2**64 - 1  # the lab counts ticks in 64 bits

STATS_COLUMNS = {
    "tick": WHOLE,
    "animals": WHOLE,
    "plants": WHOLE,
    "speed_mean": NUMBER_OR_EMPTY,
    "speed_sd": NUMBER_OR_EMPTY,
    "turn_mean": NUMBER_OR_EMPTY,
    "turn_sd": NUMBER_OR_EMPTY,
}

ENSEMBLE_COLUMNS = {
    "tick": WHOLE,
    "runs_with_animals": WHOLE,
    **{f"{trait}_{quantile}": kind
       for trait, kind in (("animals", NUMBER), ("plants", NUMBER),
                           ("speed_mean", NUMBER_OR_EMPTY), ("turn_mean", NUMBER_OR_EMPTY))
       for quantile in ("p10", "median", "p90")},
}

LINEAGE_COLUMNS = {
    "origin_time": WHOLE,
    "destruction_time": WHOLE_OR_EMPTY,
    "speed": NUMBER,
    "turn": NUMBER,
}


def shown(text, limit=60):
    """A field or an argument as a message quotes it: control characters spelled out and cut
    after `limit` characters, so that a message stays one line that cannot steer the terminal."""
    text = named(text)
    return text if len(text) <= limit else text[:limit] + "..."


def named(path):
    """A file's name as a message gives it: whole, but with control characters spelled out."""
    path = str(path)
    return path if path.isprintable() else repr(path)[1:-1]


def parse_field(text, kind):
    """The value of one field, or None for an empty field where `kind` allows it; raises
    ValueError saying what is wrong with it."""
    if text == "" and kind in (NUMBER_OR_EMPTY, WHOLE_OR_EMPTY):
        return None
    if kind in (WHOLE, WHOLE_OR_EMPTY):
        if not (text.isascii() and text.isdigit()):
            raise ValueError(f"'{shown(text)}' is not a whole number")
        value = int(text)
        if value > LARGEST_TICK:
            raise ValueError(f"'{shown(text)}' is too large")
        return value
    try:
        value = float(text)
    except ValueError:
        raise ValueError(f"'{shown(text)}' is not a number") from None
    if not math.isfinite(value):
        raise ValueError(f"'{shown(text)}' is not a finite number")
    return value


def read_rows(path, columns, written_by, rows_needed=True):
    """Yields (line number, {column: value}) for each row of the CSV file at `path`, with the
    fields of `columns` parsed by their kinds; `written_by` names the lab's option that writes
    such a file, for the messages. A file of a header alone is refused if `rows_needed`."""
    name = named(path)
    expected = f"expected the CSV of morvane-lab {written_by}"
    try:
        with open(path, newline="", encoding="utf-8") as file:
            reader = csv.reader(file)
            header = next(reader, None)
            if header is None:
                raise FigureError(f"{name} is empty ({expected})")
            missing = [column for column in columns if column not in header]
            if missing:
                raise FigureError(f"{name} has no column '{shown(missing[0])}' ({expected})")
            at = {column: header.index(column) for column in columns}
            rows = 0
            for fields in reader:
                line = reader.line_num
                if len(fields) != len(header):
                    raise FigureError(f"{name}:{line}: {len(fields)} fields, where the header "
                                      f"names {len(header)}")
                row = {}
                for column, kind in columns.items():
                    try:
                        row[column] = parse_field(fields[at[column]], kind)
                    except ValueError as wrong:
                        raise FigureError(f"{name}:{line}: {column} {wrong}") from None
                rows += 1
                yield line, row
            if rows == 0 and rows_needed:
                raise FigureError(f"{name} has a header but no rows ({expected})")
    except OSError as failure:
        raise FigureError(f"{name} cannot be read: {failure.strerror}") from None
    except UnicodeDecodeError:
        raise FigureError(f"{name} is not a text file ({expected})") from None
    except csv.Error as failure:
        raise FigureError(f"{name}: {failure}") from None


def read_over_time(path, columns, written_by):
    """The columns of a file with one row per sampled tick, as float arrays (NaN where a field
    is empty), the ticks running forward."""
    values = {column: [] for column in columns}
    last = None
    for line, row in read_rows(path, columns, written_by):
        if last is not None and row["tick"] <= last:
            raise FigureError(f"{named(path)}:{line}: tick {row['tick']} does not come after "
                              f"tick {last} (the rows must run forward in time)")
        last = row["tick"]
        for column in columns:
            values[column].append(math.nan if row[column] is None else row[column])
    return {column: np.array(values[column], dtype=np.float64) for column in columns}


def read_stats(path):
    """One world's rows from morvane-lab --stats-out."""
    return read_over_time(path, STATS_COLUMNS, "--stats-out")


def read_ensemble(path):
    """The quantiles across runs from morvane-lab --ensemble-out."""
    return read_over_time(path, ENSEMBLE_COLUMNS, "--ensemble-out")


def rule_names():
    """Every rule's column in the lab's sweep tables, in their order: the Python names."""
    from morvane import Rules  # the compiled world names them, once for everyone
    return list(Rules().to_dict())


def is_sweep(path):
    """Whether an --ensemble-out file is a sweep's: its first column names the point."""
    try:
        with open(path, newline="", encoding="utf-8") as file:
            header = next(csv.reader(file), [])
    except (OSError, UnicodeDecodeError, csv.Error):
        return False  # read_rows says what is wrong with it
    return header[:1] == ["point"]


@dataclass
class SweepPoint:
    """One point of a sweep: the rules it ran under and its quantiles over time."""

    rules: dict
    quantiles: dict


def read_sweep_ensemble(path):
    """The points of a sweep's --ensemble-out, in the file's order, each with its rules and
    its quantiles as float arrays; a point's rows run forward in time, and its rules are the
    same on each of them."""
    names = rule_names()
    columns = {"point": WHOLE, **{name: NUMBER for name in names}, **ENSEMBLE_COLUMNS}
    points = []
    for line, row in read_rows(path, columns, "--vary ... --ensemble-out"):
        if row["point"] == len(points):
            points.append(SweepPoint({name: row[name] for name in names},
                                     {column: [] for column in ENSEMBLE_COLUMNS}))
        elif row["point"] != len(points) - 1:
            raise FigureError(f"{named(path)}:{line}: point {row['point']} out of order (the "
                              f"points must come 0, 1, 2, ... each in one block)")
        point = points[-1]
        if any(row[name] != point.rules[name] for name in names):
            raise FigureError(f"{named(path)}:{line}: point {row['point']}'s rules differ from "
                              f"its first row's")
        ticks = point.quantiles["tick"]
        if ticks and row["tick"] <= ticks[-1]:
            raise FigureError(f"{named(path)}:{line}: tick {row['tick']} does not come after "
                              f"tick {ticks[-1]} (the rows must run forward in time)")
        for column in ENSEMBLE_COLUMNS:
            point.quantiles[column].append(math.nan if row[column] is None else row[column])
    for point in points:
        point.quantiles = {column: np.array(values, dtype=np.float64)
                           for column, values in point.quantiles.items()}
    return points


@dataclass
class Lineage:
    """Every animal that lived in one run, in the file's order."""

    born: np.ndarray  # origin_time: the ticks after which a state dump first shows it alive
    died: np.ndarray  # destruction_time: after which one first shows it dead; 0 where alive
    alive_at_end: np.ndarray  # no destruction_time: it was still alive when the run ended
    speed: np.ndarray  # the traits it was born with, the table's 32-bit floats
    turn: np.ndarray

    @property
    def last_tick(self):
        """The latest birth or death the file records (0 for no animal)."""
        return int(max(self.born.max(initial=0), self.died.max(initial=0)))


def read_lineage(path):
    """Every animal of one run from morvane-lab --lineage-out."""
    born, died, alive_at_end, speed, turn = [], [], [], [], []
    # A run in which no animal lived writes the header alone: a lineage of no one, not a fault.
    for line, row in read_rows(path, LINEAGE_COLUMNS, "--lineage-out", rows_needed=False):
        end = row["destruction_time"]
        if end is not None and end < row["origin_time"]:
            raise FigureError(f"{named(path)}:{line}: destruction_time {end} comes before "
                              f"origin_time {row['origin_time']}")
        born.append(row["origin_time"])
        died.append(0 if end is None else end)
        alive_at_end.append(end is None)
        speed.append(row["speed"])
        turn.append(row["turn"])
    return Lineage(born=np.array(born, dtype=np.uint64), died=np.array(died, dtype=np.uint64),
                   alive_at_end=np.array(alive_at_end, dtype=bool),
                   speed=np.array(speed, dtype=np.float32), turn=np.array(turn, dtype=np.float32))
