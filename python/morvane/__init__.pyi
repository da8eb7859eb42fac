"""Morvane's world from Python: step it at the C++ core's full speed, bit for bit as morvane-lab
and the window run it, and look at its tables and canvases as numpy arrays."""

from typing import Dict, Literal, Optional, SupportsFloat, SupportsIndex, Tuple, Union

import numpy as np
import numpy.typing as npt

# What a checkpoint may be handed as: any object with the buffer protocol, contiguous.
BytesLike = Union[bytes, bytearray, memoryview]

class Refused(ValueError):
    """A request the world refuses, in the words morvane-lab uses for the same mistake."""

class Animals:
    """The animal table's 251 slots as read-only arrays over the world's own memory: live, they
    show the world after every step. A slot with energy 0 holds no living animal. They hold no
    lock: read from another thread while a step runs, they show a world partway through a tick."""

    @property
    def x(self) -> npt.NDArray[np.float32]: ...
    @property
    def y(self) -> npt.NDArray[np.float32]: ...
    @property
    def heading(self) -> npt.NDArray[np.float32]: ...
    @property
    def energy(self) -> npt.NDArray[np.int16]: ...
    @property
    def target(self) -> npt.NDArray[np.int16]: ...
    @property
    def mode(self) -> npt.NDArray[np.int16]: ...
    @property
    def turn(self) -> npt.NDArray[np.float32]: ...
    @property
    def speed(self) -> npt.NDArray[np.float32]: ...
    @property
    def alive(self) -> npt.NDArray[np.bool_]:
        """A new bool array: True where energy > 0 (a copy, taken now)."""

class Plants:
    """The plant table's 501 slots as read-only int16 arrays over the world's own memory, live
    like the animals'. A slot of size 0 holds no plant."""

    @property
    def x(self) -> npt.NDArray[np.int16]: ...
    @property
    def y(self) -> npt.NDArray[np.int16]: ...
    @property
    def size(self) -> npt.NDArray[np.int16]: ...
    @property
    def alive(self) -> npt.NDArray[np.bool_]:
        """A new bool array: True where size > 0 (a copy, taken now)."""

class Rules:
    """The rules a world runs by. Rules() is the window's; Rules(speed_mutation=0.25, ...)
    changes the rules named, each held to its range as morvane-lab's --rule holds it. A value:
    equal when every rule is, hashable, never changed in place."""

    def __init__(
        self,
        *,
        mating_energy: SupportsFloat = 1000,
        foraging_energy: SupportsFloat = 250,
        plant_energy: SupportsFloat = 3,
        birth_cost: SupportsFloat = 250,
        speed_mutation: SupportsFloat = 0.5,
        turn_mutation: SupportsFloat = 0.5,
        glances: SupportsFloat = 11,
        upkeep: SupportsFloat = 1,
        newborn_energy_min: SupportsFloat = 200,
        newborn_energy_spread: SupportsFloat = 500,
        seeding_size: SupportsFloat = 100,
        regrowth_spread: SupportsFloat = 20,
        seedling_spread: SupportsFloat = 40,
        far_seed_chance: SupportsFloat = 200,
        top_up_chance: SupportsFloat = 100,
        animal_top_up_below: SupportsFloat = 3,
        plant_top_up_below: SupportsFloat = 5,
        newcomer_speed: SupportsFloat = 0.5,
        newcomer_turn: SupportsFloat = 0.5,
    ) -> None: ...
    @property
    def mating_energy(self) -> int: ...
    @property
    def foraging_energy(self) -> int: ...
    @property
    def plant_energy(self) -> int: ...
    @property
    def birth_cost(self) -> int: ...
    @property
    def speed_mutation(self) -> float: ...
    @property
    def turn_mutation(self) -> float: ...
    @property
    def glances(self) -> int: ...
    @property
    def upkeep(self) -> int: ...
    @property
    def newborn_energy_min(self) -> int: ...
    @property
    def newborn_energy_spread(self) -> int: ...
    @property
    def seeding_size(self) -> int: ...
    @property
    def regrowth_spread(self) -> int: ...
    @property
    def seedling_spread(self) -> int: ...
    @property
    def far_seed_chance(self) -> int: ...
    @property
    def top_up_chance(self) -> int: ...
    @property
    def animal_top_up_below(self) -> int: ...
    @property
    def plant_top_up_below(self) -> int: ...
    @property
    def newcomer_speed(self) -> float: ...
    @property
    def newcomer_turn(self) -> float: ...
    def to_dict(self) -> Dict[str, Union[int, float]]:
        """Every rule by its Python name, in morvane-lab's order."""
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class World:
    """A Morvane world: the animals, the plants, the random source and the two canvases, exactly
    as the window and morvane-lab keep them. Threads may share a world: each call that reads or
    changes it whole (step, release, checkpoint, fork, pickling, copying, hash, ticks_run, counts)
    waits for the one before to finish. A world is built once: __init__ or __setstate__ on a live
    world raises Refused."""

    def __init__(
        self,
        seed: Optional[SupportsIndex] = None,
        *,
        canvases: bool = True,
        rules: Optional[Rules] = None,
    ) -> None:
        """A fresh, empty world. seed (0 to 2**64 - 1) starts its random source; None is the
        window program's fixed state (seed 42), as morvane-lab without --seed. With
        canvases=False it draws on canvases that keep nothing: the same world, faster, but
        without space, graph or checkpoint. rules are the rules it runs by; None is the
        window's."""
    def step(self, ticks: SupportsIndex = 1) -> None:
        """Runs this many whole ticks, with the GIL released meanwhile. Ctrl-C stops it at the end
        of a whole tick and raises KeyboardInterrupt; ticks_run tells how far it got."""
    def release(
        self, button: Literal["left", "right", "middle"], x: SupportsFloat, y: SupportsFloat
    ) -> None:
        """Delivers a mouse release between ticks as the window's handler does."""
    @property
    def ticks_run(self) -> int:
        """Ticks run since the world was created."""
    @property
    def rules(self) -> Rules:
        """The rules it runs by, kept by its checkpoints and forks."""
    @property
    def counts(self) -> Tuple[int, int]:
        """(animals, plants) the last tick's passes counted, before their top-ups."""
    def hash(self) -> int:
        """The world's 64-bit hash, as morvane-lab --hash prints it in hex."""
    @property
    def animals(self) -> Animals: ...
    @property
    def plants(self) -> Plants: ...
    @property
    def space(self) -> npt.NDArray[np.uint8]:
        """The world canvas, a read-only (429, 496, 3) array of red, green, blue."""
    @property
    def graph(self) -> npt.NDArray[np.uint8]:
        """The population graph's canvas, a read-only (69, 496, 3) array."""
    def checkpoint(self) -> bytes:
        """The whole world as the bytes of a morvane-lab checkpoint."""
    @staticmethod
    def from_checkpoint(data: BytesLike) -> "World":
        """The world a checkpoint kept; ValueError names what is wrong with the bytes."""
    def fork(self, seed: SupportsIndex) -> "World":
        """A copy whose random source restarts from seed: the same past, other chance."""
    def __copy__(self) -> "World": ...
    def __deepcopy__(self, memo: dict) -> "World": ...
