"""python3 -m morvane.figures: see command.py."""
import sys

from morvane.figures.command import main

sys.exit(main())
