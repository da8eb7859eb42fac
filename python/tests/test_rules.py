"""Worlds under other rules from Python: morvane.Rules is a value, checked as morvane-lab checks
--rule, and a world under it is the lab's world under the same rules, through its checkpoints,
pickles and forks."""
import copy
import os
import pickle
import subprocess

import pytest

import morvane

LAB = os.environ["MORVANE_LAB"]


def lab_hash(tmp_path, *args):
    done = subprocess.run([LAB, "--quiet", "--hash", *args], cwd=tmp_path, capture_output=True,
                          text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    return int(done.stdout, 16)


def test_rules_are_a_value_with_every_rule_as_an_attribute():
    window = morvane.Rules()
    assert window == morvane.Rules(glances=11) and hash(window) == hash(morvane.Rules())
    assert repr(window) == "morvane.Rules()"
    rules = morvane.Rules(speed_mutation=0.125, glances=4.0, newcomer_turn=-0.5)
    assert repr(rules) == "morvane.Rules(speed_mutation=0.125, glances=4, newcomer_turn=-0.5)"
    assert rules != window and rules != "morvane.Rules()"
    assert rules.glances == 4 and isinstance(rules.glances, int)
    assert rules.speed_mutation == 0.125 and rules.mating_energy == 1000
    names = list(window.to_dict())
    assert names[:3] == ["mating_energy", "foraging_energy", "plant_energy"] and len(names) == 19
    for name in names:  # every rule is in the stub, with its type
        assert getattr(morvane.Rules, name).__doc__
    with pytest.raises(AttributeError):
        rules.glances = 5
    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        assert pickle.loads(pickle.dumps(rules, protocol)) == rules
    assert eval(repr(rules), {"morvane": morvane}) == rules


def test_bad_rules_are_refused_in_the_labs_words():
    cases = [
        (lambda: morvane.Rules(glances=65), "rule glances: 65 is out of its range, 0 to 64"),
        (lambda: morvane.Rules(glances=4.5), "rule glances: 4.5 is not a whole number (0 to 64)"),
        (lambda: morvane.Rules(glance=4), "unknown rule 'glance' (expected mating_energy, "),
        (lambda: morvane.Rules(upkeep="2"), "upkeep '2' is text, not a number"),
        (lambda: morvane.Rules(mating_energy=32162),
         "rules: an animal's energy could reach 32768 (32162 from mating-energy"),
        (lambda: morvane.World(rules={"glances": 4}), "rules {'glances': 4} is not a morvane.Rules"),
    ]
    for call, words in cases:
        with pytest.raises(ValueError) as refused:
            call()
        assert str(refused.value).startswith(words), str(refused.value)


def test_a_world_under_rules_is_the_labs_and_keeps_them(tmp_path):
    rules = morvane.Rules(speed_mutation=0.25, glances=4, plant_energy=5)
    world = morvane.World(5, rules=rules)
    assert world.rules == rules and morvane.World(5).rules == morvane.Rules()
    world.step(2000)
    args = ["--seed", "5", "--ticks", "2000", "--rule", "speed-mutation=0.25", "--rule",
            "glances=4", "--rule", "plant-energy=5"]
    assert world.hash() == lab_hash(tmp_path, *args)
    window = morvane.World(5)
    window.step(2000)
    assert world.hash() != window.hash()
    (tmp_path / "k.ckpt").write_bytes(world.checkpoint())
    kept = morvane.World.from_checkpoint(world.checkpoint())
    for other in (kept, pickle.loads(pickle.dumps(world)), copy.deepcopy(world), world.fork(1)):
        assert other.rules == rules
    kept.step(1000)
    assert kept.hash() == lab_hash(tmp_path, "--resume", "k.ckpt", "--ticks", "1000")
