"""Morvane's world from Python: step it at the C++ core's full speed, bit for bit as morvane-lab
and the window run it, and look at its tables and canvases as numpy arrays.

The world itself lives in the compiled submodule morvane._core; everything it offers is here
under the names it has always had. morvane.figures draws morvane-lab's CSV files with
matplotlib (python3 -m morvane.figures --help); it is imported only when asked for, so that
`import morvane` stays as light as the world."""

from morvane import _core
from morvane._core import *  # noqa: F401,F403 (World, Refused, Animals, Plants and any to come)

__all__ = [name for name in dir(_core) if not name.startswith("_")]

# The classes are made in morvane._core, but they are morvane's: a pickled world names
# morvane.World, so that it reads back whatever becomes of the package's insides, and a
# refusal shows as morvane.Refused.
for _name in __all__:
    if isinstance(getattr(_core, _name), type):
        getattr(_core, _name).__module__ = __name__
del _name


def _world_from_checkpoint(checkpoint):
    """A pickled world read back by pickle's protocols 0 and 1."""
    return World.from_checkpoint(checkpoint)  # noqa: F405


def _reduce_world(self, protocol):
    # Protocols 0 and 1 would rebuild a world by object.__new__ alone, which a compiled class
    # cannot survive: they are handed the world's checkpoint and a function that reads it back.
    # Protocols 2 and up keep their own way, __getstate__ and __setstate__.
    if protocol < 2:
        return (_world_from_checkpoint, (self.__getstate__(),))
    return object.__reduce_ex__(self, protocol)


World.__reduce_ex__ = _reduce_world  # noqa: F405



def _rules_from(values):
    """Pickled rules read back: every rule by name."""
    return Rules(**values)  # noqa: F405


# Rules are a value: pickled as the rules themselves, read back through Rules(), which checks
# them again.
Rules.__reduce__ = lambda self: (_rules_from, (self.to_dict(),))  # noqa: F405
