#!/bin/sh
# Regenerates data/pics, data/audio and data/icons (or pics/, audio/ and
# icons/ below the directory given). Runs Debian's Python, which has PIL and numpy.
exec /usr/bin/python3 "$(dirname "$0")/generate.py" "$@"
