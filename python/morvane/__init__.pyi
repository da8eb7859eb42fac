"""Morvane's world from Python: step it at the C++ core's full speed, bit for bit as morvane-lab
and the window run it, and look at its tables and canvases as numpy arrays."""

from typing import Literal, Optional, SupportsFloat, SupportsIndex, Tuple, Union

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

class World:
    """A Morvane world: the animals, the plants, the random source and the two canvases, exactly
    as the window and morvane-lab keep them. Threads may share a world: each call that reads or
    changes it whole (step, release, checkpoint, fork, pickling, copying, hash, ticks_run, counts)
    waits for the one before to finish. A world is built once: __init__ or __setstate__ on a live
    world raises Refused."""

    def __init__(self, seed: Optional[SupportsIndex] = None, *, canvases: bool = True) -> None:
        """A fresh, empty world. seed (0 to 2**64 - 1) starts its random source; None is the
        window program's fixed state (seed 42), as morvane-lab without --seed. With
        canvases=False it draws on canvases that keep nothing: the same world, faster, but
        without space, graph or checkpoint."""
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
