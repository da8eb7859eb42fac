"""morvane.figures draws what the lab's files hold: the lines and bands on a figure are the
columns of a real run's CSV, the living at a moment are the animals a state dump of that moment
shows, and bad input is refused in one line with exit status 2, leaving no file behind. And the
package around the compiled module keeps the names a pickled world and a refusal carry."""
import csv
import json
import os
import pickle
import stat
import subprocess
import sys
import traceback

import numpy as np
import pytest

import morvane
from morvane import figures
from morvane.figures import command

LAB = os.environ["MORVANE_LAB"]


def lab(folder, *args):
    done = subprocess.run([LAB, "--quiet", *args], cwd=folder, capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stderr


def csv_column(path, name):
    """A column as the test reads it, on its own: an empty field is NaN."""
    with open(path, newline="") as file:
        return np.array([float(row[name]) if row[name] else np.nan for row in csv.DictReader(file)])


def with_gid(figure, gid):
    """The one artist of `figure` named `gid`."""
    found = [a for axes in figure.axes for a in [*axes.lines, *axes.collections]
             if a.get_gid() == gid]
    assert len(found) == 1, f"{len(found)} artists named {gid!r}"
    return found[0]


def band_polygons(figure, gid):
    """The band's polygons, each a set of (tick, value) corners."""
    return [{tuple(v) for v in path.vertices} for path in with_gid(figure, gid).get_paths()]


def stretches(present):
    """The runs of consecutive True in `present`, as index arrays."""
    edges = np.flatnonzero(np.diff(np.concatenate([[0], present.astype(int), [0]])))
    return [np.arange(start, end) for start, end in zip(edges[::2], edges[1::2])]


def assert_band(figure, gid, ticks, low, high):
    """The band has one polygon per stretch of rows with a value, made of those rows' edges."""
    expected = [{(ticks[k], low[k]) for k in run} | {(ticks[k], high[k]) for k in run}
                for run in stretches(np.isfinite(low) & np.isfinite(high))]
    assert band_polygons(figure, gid) == expected


def assert_line(figure, gid, ticks, values):
    line = with_gid(figure, gid)
    np.testing.assert_array_equal(line.get_xdata(), ticks)
    np.testing.assert_array_equal(line.get_ydata(), values)  # NaN where the line breaks


@pytest.fixture(scope="module")
def runs(tmp_path_factory):
    """Short real runs: one world's rows, an ensemble's, and two worlds' lineages with state dumps
    at the moments the trait map is asked for."""
    folder = tmp_path_factory.mktemp("runs")
    lab(folder, "--seed", "3", "--ticks", "3000", "--every", "100", "--stats-out", "stats.csv")
    lab(folder, "--runs", "4", "--seed", "1", "--ticks", "3000", "--every", "100",
        "--ensemble-out", "ensemble.csv")
    for seed in (5, 6):
        lab(folder, "--seed", str(seed), "--ticks", "3000", "--lineage-out", f"lineage-{seed}.csv",
            "--state-out", f"state-{seed}-3000.json")
        lab(folder, "--seed", str(seed), "--ticks", "1700",
            "--state-out", f"state-{seed}-1700.json")
    return folder


def test_the_package_keeps_the_modules_names_and_a_pickled_world_names_morvane_world():
    public = [name for name in dir(morvane._core) if not name.startswith("_")]
    assert {"World", "Refused", "Animals", "Plants"} <= set(public)
    for name in public:
        assert getattr(morvane, name) is getattr(morvane._core, name), name
        assert getattr(morvane, name).__module__ == "morvane", name
    world = morvane.World(7)
    world.step(500)
    # Protocols 0 and 1 once ended the whole process, not just the pickling.
    for protocol in range(0, pickle.HIGHEST_PROTOCOL + 1):
        kept = pickle.dumps(world, protocol)
        assert b"morvane" in kept and b"_core" not in kept, protocol
        back = pickle.loads(kept)
        assert back.hash() == world.hash() and back.ticks_run == 500, protocol
    with pytest.raises(morvane.Refused) as refused:
        world.release("up", 1, 1)
    assert traceback.format_exception_only(refused.type, refused.value)[0].startswith(
        "morvane.Refused: unknown button 'up'")


def test_a_run_figure_draws_the_stats_columns_with_one_deviation_bands(runs):
    path = runs / "stats.csv"
    figure = figures.time_series_figure(figures.run_series(figures.read_stats(path)), "t")
    ticks = csv_column(path, "tick")
    assert ticks[0] == 0 and ticks[-1] == 3000 and len(ticks) == 31
    for gid in ("plants", "animals"):
        assert_line(figure, gid, ticks, csv_column(path, gid))
    for trait in ("speed", "turn"):
        mean, sd = csv_column(path, f"{trait}_mean"), csv_column(path, f"{trait}_sd")
        assert np.isnan(mean[0]) and np.isfinite(mean[-1])  # no animal before the first tick
        assert_line(figure, trait, ticks, mean)
        assert_band(figure, f"{trait} band", ticks, mean - sd, mean + sd)
    assert [a.get_xlim() for a in figure.axes[:3]] == [(0, 3000)] * 3


def test_an_ensemble_figure_draws_the_medians_in_their_10_to_90_percent_bands(runs):
    path = runs / "ensemble.csv"
    figure = figures.time_series_figure(figures.ensemble_series(figures.read_ensemble(path)), "t")
    ticks = csv_column(path, "tick")
    for gid, column in (("plants", "plants"), ("animals", "animals"), ("speed", "speed_mean"),
                        ("turn", "turn_mean")):
        assert_line(figure, gid, ticks, csv_column(path, f"{column}_median"))
        assert_band(figure, f"{gid} band", ticks, csv_column(path, f"{column}_p10"),
                    csv_column(path, f"{column}_p90"))
    no_animals = csv_column(path, "runs_with_animals") == 0
    assert no_animals[0] and not no_animals[-1]
    assert np.isnan(with_gid(figure, "speed").get_ydata()[no_animals]).all()
    legends = [t.get_text() for axes in figure.axes for t in axes.get_legend().get_texts()]
    assert legends == ["plants (median)", "animals (median)", "median of mean speed",
                       "median of mean turning rate"]


def test_a_sweep_figure_draws_each_points_medians_named_by_the_rules_it_varied(tmp_path):
    lab(tmp_path, "--vary", "speed-mutation=0,0.5", "--vary", "glances=4,11", "--runs", "3",
        "--seed", "2", "--ticks", "2000", "--every", "250", "--ensemble-out", "sweep.csv")
    path = tmp_path / "sweep.csv"
    points = figures.read_sweep_ensemble(path)
    assert len(points) == 4 and points[3].rules["speed_mutation"] == 0.5
    swept = figures.swept_rules(points)
    assert swept == ["speed_mutation", "glances"]
    labels = [figures.point_label(point, swept) for point in points]
    assert labels == ["speed_mutation 0, glances 4", "speed_mutation 0, glances 11",
                      "speed_mutation 0.5, glances 4", "speed_mutation 0.5, glances 11"]
    figure = figures.sweep_figure(points, labels, "t")
    point_of = csv_column(path, "point")
    for k in range(4):
        rows = point_of == k
        ticks = csv_column(path, "tick")[rows]
        assert len(ticks) == 9  # ticks 0, 250, ..., 2000
        for column in ("animals", "speed_mean", "turn_mean"):
            assert_line(figure, f"{column} point {k}", ticks,
                        csv_column(path, f"{column}_median")[rows])
            assert_band(figure, f"{column} point {k} band", ticks,
                        csv_column(path, f"{column}_p10")[rows],
                        csv_column(path, f"{column}_p90")[rows])
    assert [t.get_text() for t in figure.axes[0].get_legend().get_texts()] == labels
    assert command.main(["ensemble", str(path), "-o", str(tmp_path / "sweep.svg")]) == 0
    assert (tmp_path / "sweep.svg").read_bytes().startswith(b"<?xml")


def test_a_line_breaks_where_no_animal_lives_and_a_lone_row_shows_as_a_dot(tmp_path):
    rows = ["0,2,10,0.5,0.1,0.6,0.2", "100,2,10,0.7,0.1,0.8,0.2", "200,0,10,,,,",
            "300,1,10,0.9,0,1.1,0", "400,0,10,,,,", "500,0,10,,,,", "600,3,10,1.2,0.3,1.3,0.1",
            "700,3,10,1.4,0.3,1.5,0.1"]
    path = tmp_path / "stats.csv"
    path.write_text("tick,animals,plants,speed_mean,speed_sd,turn_mean,turn_sd,energy_mean\n" +
                    "".join(f"{row},1\n" for row in rows))
    figure = figures.time_series_figure(figures.run_series(figures.read_stats(path)), "t")
    ticks = np.arange(0, 800, 100.0)
    speed = np.array([0.5, 0.7, np.nan, 0.9, np.nan, np.nan, 1.2, 1.4])
    assert_line(figure, "speed", ticks, speed)
    assert_band(figure, "speed band", ticks, speed - [.1, .1, 0, 0, 0, 0, .3, .3],
                speed + [.1, .1, 0, 0, 0, 0, .3, .3])
    assert len(band_polygons(figure, "speed band")) == 3
    lone = with_gid(figure, "speed lone")
    assert list(lone.get_xdata()) == [300] and list(lone.get_ydata()) == [0.9]
    assert list(with_gid(figure, "turn lone").get_ydata()) == [1.1]


LINEAGE_HEADER = ("id,ancestor_list,origin_time,destruction_time,origin,death,speed,turn,"
                  "midparent_speed,midparent_turn,speed_mutation,turn_mutation\n")


def write_lineage(path, animals):
    """A lineage file of (id, origin_time, destruction_time or '', speed, turn)."""
    path.write_text(LINEAGE_HEADER + "".join(
        f'{i},"[1,1]",{born},{died},breeding,{"paid" if died != "" else ""},{s},{t},{s},{t},0,0\n'
        for i, born, died, s, t in animals))
    return path


def test_the_living_at_a_tick_entered_by_then_and_had_not_died_by_then(tmp_path):
    lineage = figures.read_lineage(write_lineage(tmp_path / "l.csv", [
        (1, 0, 5, 0.5, 0.5),   # alive after 0 to 4 ticks: a dump after 5 shows it dead
        (2, 3, 3, 0.6, 0.6),   # born and dead within tick 3: no dump shows it
        (3, 5, "", 0.7, 0.7),  # alive from 5 to the end
        (4, 2, 7, 0.8, 0.8),
        (5, 7, 8, 0.9, 0.9)]))
    living = {t: [int(i) for i in np.flatnonzero(figures.living_at(lineage, t)) + 1]
              for t in (0, 1, 2, 3, 4, 5, 6, 7, 8, 10**6)}
    assert living == {0: [1], 1: [1], 2: [1, 4], 3: [1, 4], 4: [1, 4], 5: [3, 4], 6: [3, 4],
                      7: [3, 5], 8: [3], 10**6: [3]}
    assert lineage.last_tick == 8

    other = figures.read_lineage(write_lineage(tmp_path / "m.csv", [(1, 4, "", 2.5, 1.5)]))
    pooled = figures.moments_of([lineage, other], [4, 5])
    assert [m.tick for m in pooled] == [4, 5]
    np.testing.assert_array_equal(pooled[0].speed, np.float32([0.5, 0.8, 2.5]))
    np.testing.assert_array_equal(pooled[1].turn, np.float32([0.7, 0.8, 1.5]))
    # A run in which no animal lived has a lineage of no one, and empty panels.
    no_one = figures.read_lineage(write_lineage(tmp_path / "n.csv", []))
    assert no_one.last_tick == 0
    empty = figures.trait_map_figure(figures.moments_of([no_one], [0, 10]), 1, "t")
    assert [[t.get_text() for t in a.texts if "alive" in t.get_text()] for a in empty.axes[:2]] \
        == [["no animals alive"]] * 2
    # Six moments of the run, k/6 of the way in whole ticks, the last its end.
    assert figures.default_moments(12000) == [2000, 4000, 6000, 8000, 10000, 12000]
    assert figures.default_moments(10) == [1, 3, 5, 6, 8, 10]


def living_in_dump(path):
    """The (speed, turn) of each animal a state dump shows alive, as 32-bit floats, sorted."""
    animals = json.loads(path.read_text())["animals"]
    pairs = [(np.float32(s), np.float32(t))
             for s, t, e in zip(animals["speed"], animals["turn"], animals["energy"]) if e > 0]
    return sorted(pairs)


def test_the_trait_map_shows_the_animals_a_state_dump_of_each_moment_shows(runs):
    lineages = [figures.read_lineage(runs / f"lineage-{seed}.csv") for seed in (5, 6)]
    moments = figures.moments_of(lineages, [1700, 3000])
    dumps = [living_in_dump(runs / f"state-5-{t}.json") + living_in_dump(runs / f"state-6-{t}.json")
             for t in (1700, 3000)]
    for moment, dumped in zip(moments, dumps):
        assert len(dumped) > 10
        assert sorted(zip(moment.speed, moment.turn)) == sorted(dumped)

    figure = figures.trait_map_figure(moments, 2, "t")
    for moment, dumped, axes in zip(moments, dumps, figure.axes):
        mesh = with_gid(figure, f"counts after {moment.tick}")
        corners = mesh.get_coordinates()
        speed_edges, turn_edges = corners[0, :, 0], corners[:, 0, 1]
        speed, turn = np.array(dumped, dtype=np.float64).T
        expected, _, _ = np.histogram2d(speed, turn, bins=[speed_edges, turn_edges])
        np.testing.assert_array_equal(np.ma.filled(mesh.get_array(), 0).reshape(expected.T.shape),
                                      expected.T)
        mean = with_gid(figure, f"mean after {moment.tick}")
        np.testing.assert_allclose([mean.get_xdata()[0], mean.get_ydata()[0]],
                                   [speed.mean(), turn.mean()], rtol=1e-12)
        texts = {t.get_text() for t in axes.texts}
        assert f"after {moment.tick:,} ticks" in texts
        assert f"{len(dumped):,} animals of 2 runs" in texts
    # The command's own moments: six of the run's length, or those asked for.
    arguments = command.parser().parse_args(
        ["trait-map", *(str(runs / f"lineage-{seed}.csv") for seed in (5, 6)), "--ticks", "3000",
         "-o", "m.png"])
    shown, title = arguments.draw(arguments)
    assert title == "Morvane: speed and turning rate of the living, 2 runs pooled"
    headings = [t.get_text() for axes in shown.axes for t in axes.texts if "after" in t.get_text()]
    assert headings == [f"after {t:,} ticks" for t in range(500, 3001, 500)]
    # One pair of axes for all panels, holding every animal of every moment.
    assert len({a.get_xlim() for a in figure.axes[:2]}) == 1
    low, high = figure.axes[0].get_xlim()
    assert low < min(min(s for s, _ in d) for d in dumps)
    assert high > max(max(s for s, _ in d) for d in dumps)


def figure_command(*args):
    return subprocess.run([sys.executable, "-m", "morvane.figures", *map(str, args)],
                          capture_output=True, text=True, timeout=120)


def test_each_format_by_its_name_from_the_command(runs, tmp_path):
    done = figure_command("trait-map", runs / "lineage-5.csv", runs / "lineage-6.csv",
                          "--ticks", 3000, "-o", tmp_path / "map.PNG")
    assert done.returncode == 0 and done.stderr == ""
    assert (tmp_path / "map.PNG").read_bytes().startswith(b"\x89PNG\r\n\x1a\n")
    for name, magic in (("run.svg", b"<?xml"), ("run.pdf", b"%PDF-"), ("run.png", b"\x89PNG")):
        assert command.main(["run", str(runs / "stats.csv"), "-o", str(tmp_path / name)]) == 0
        written = (tmp_path / name).read_bytes()
        assert written.startswith(magic), name
        assert name != "run.svg" or b"<svg" in written
    # The same tables give the same bytes; a new figure gets the permissions any new file gets.
    first = (tmp_path / "run.svg").read_bytes()
    assert command.main(["run", str(runs / "stats.csv"), "-o", str(tmp_path / "run.svg")]) == 0
    assert (tmp_path / "run.svg").read_bytes() == first
    mask = os.umask(0)
    os.umask(mask)
    assert stat.S_IMODE((tmp_path / "run.pdf").stat().st_mode) == 0o666 & ~mask
    assert sorted(p.name for p in tmp_path.iterdir()) == ["map.PNG", "run.pdf", "run.png",
                                                          "run.svg"]


STATS_HEADER = "tick,animals,plants,speed_mean,speed_sd,turn_mean,turn_sd\n"


def bad_files(folder):
    (folder / "empty.csv").write_text("")
    (folder / "header.csv").write_text(STATS_HEADER)
    (folder / "no_sd.csv").write_text(STATS_HEADER.replace("speed_sd,", "") + "0,1,1,,,\n")
    (folder / "word.csv").write_text(STATS_HEADER + "0,1,2,0.5,0,0.5,0\n100,1,2,fast,0,0.5,0\n")
    (folder / "short.csv").write_text(STATS_HEADER + "0,1,2,0.5,0,0.5\n")
    (folder / "backwards.csv").write_text(STATS_HEADER + "100,1,2,,,,\n0,1,2,,,,\n")
    (folder / "inf.csv").write_text(STATS_HEADER + "0,1,2,inf,0,0.5,0\n")
    write_lineage(folder / "reborn.csv", [(1, 9, 5, 0.5, 0.5)])
    (folder / "folder.csv").mkdir()
    (folder / "folder.png").mkdir()


@pytest.mark.parametrize("args, message", [
    (["run", "stats.csv", "-o", "f.jpg"], "f.jpg: unknown figure format (the name must end in "
                                          ".png, .svg or .pdf)"),
    (["run", "stats.csv", "-o", "figure"], "figure: unknown figure format"),
    (["run", "absent.csv", "-o", "f.png"], "absent.csv cannot be read: No such file or directory"),
    (["run", "folder.csv", "-o", "f.png"], "folder.csv cannot be read: Is a directory"),
    (["run", "empty.csv", "-o", "f.png"], "empty.csv is empty (expected the CSV of morvane-lab "
                                          "--stats-out)"),
    (["run", "header.csv", "-o", "f.png"], "header.csv has a header but no rows"),
    (["run", "no_sd.csv", "-o", "f.png"], "no_sd.csv has no column 'speed_sd'"),
    (["run", "word.csv", "-o", "f.png"], "word.csv:3: speed_mean 'fast' is not a number"),
    (["run", "short.csv", "-o", "f.png"], "short.csv:2: 6 fields, where the header names 7"),
    (["run", "backwards.csv", "-o", "f.png"], "backwards.csv:3: tick 0 does not come after tick "
                                              "100"),
    (["run", "inf.csv", "-o", "f.png"], "inf.csv:2: speed_mean 'inf' is not a finite number"),
    (["ensemble", "stats.csv", "-o", "f.png"], "stats.csv has no column 'runs_with_animals' "
                                               "(expected the CSV of morvane-lab --ensemble-out)"),
    (["trait-map", "stats.csv", "-o", "f.svg"], "stats.csv has no column 'origin_time'"),
    (["trait-map", "reborn.csv", "-o", "f.svg"], "reborn.csv:2: destruction_time 5 comes before "
                                                 "origin_time 9"),
    (["trait-map", "reborn.csv", "--at", "5,x", "-o", "f.svg"],
     "argument --at: '5,x': 'x' is not a whole number of ticks (see --help)"),
    (["run", "stats.csv", "-o", "missing/f.png"], "output missing/f.png cannot be written: No "
                                                  "such file or directory"),
    (["run", "stats.csv", "-o", "folder.png"], "output folder.png is a folder, not a file"),
    (["plot", "stats.csv"], "argument FIGURE: invalid choice: 'plot'"),
])
def test_bad_input_is_one_line_and_exit_2_and_leaves_no_file(runs, tmp_path, monkeypatch, capsys,
                                                             args, message):
    bad_files(tmp_path)
    (tmp_path / "stats.csv").write_bytes((runs / "stats.csv").read_bytes())
    before = sorted(p.name for p in tmp_path.iterdir())
    monkeypatch.chdir(tmp_path)
    try:
        status = command.main(args)
    except SystemExit as exit:  # argparse's refusals end the program
        status = exit.code
    err = capsys.readouterr().err
    assert status == 2
    assert err.startswith("morvane.figures: error: ") and err.endswith("\n")
    assert err.count("\n") == 1 and message in err, err
    assert sorted(p.name for p in tmp_path.iterdir()) == before


def test_python_m_refuses_in_one_line_without_a_traceback(tmp_path):
    bad_files(tmp_path)
    done = figure_command("run", tmp_path / "word.csv", "-o", tmp_path / "f.png")
    assert done.returncode == 2 and done.stdout == ""
    assert done.stderr == f"morvane.figures: error: {tmp_path / 'word.csv'}:3: speed_mean 'fast' " \
                          "is not a number\n"
    assert not (tmp_path / "f.png").exists()


def test_a_figure_that_fails_as_it_is_written_leaves_the_old_file_and_no_temporary(
        runs, tmp_path, monkeypatch, capsys):
    old = tmp_path / "f.png"
    old.write_bytes(b"the figure before")
    old.chmod(0o640)

    def write_half_then_fail(figure, out, **_):
        out.write(b"\x89PNG half")
        raise OSError(28, "No space left on device")

    monkeypatch.setattr("matplotlib.figure.Figure.savefig", write_half_then_fail)
    assert command.main(["run", str(runs / "stats.csv"), "-o", str(old)]) == 2
    assert capsys.readouterr().err == (f"morvane.figures: error: output {old} could not be "
                                       "written: No space left on device\n")
    assert old.read_bytes() == b"the figure before"
    assert [p.name for p in tmp_path.iterdir()] == ["f.png"]
    monkeypatch.undo()
    assert command.main(["run", str(runs / "stats.csv"), "-o", str(old)]) == 0
    assert old.read_bytes().startswith(b"\x89PNG") and stat.S_IMODE(old.stat().st_mode) == 0o640


def test_a_pipe_named_as_the_figure_is_written_into_not_replaced(runs, tmp_path):
    pipe = tmp_path / "f.png"
    os.mkfifo(pipe)
    reader = subprocess.Popen(["cat", str(pipe)], stdout=subprocess.PIPE)
    status = command.main(["run", str(runs / "stats.csv"), "-o", str(pipe)])
    try:
        read, _ = reader.communicate(timeout=10)
    except subprocess.TimeoutExpired:  # nothing ever opened the pipe to write
        reader.kill()
        read, _ = reader.communicate()
    assert status == 0 and read.startswith(b"\x89PNG") and stat.S_ISFIFO(pipe.stat().st_mode)
