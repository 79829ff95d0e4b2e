#!/bin/sh
# Regenerates data/pics and data/audio (or pics/ and audio/ below the
# directory given). Runs Debian's Python, which has PIL and numpy.
exec /usr/bin/python3 "$(dirname "$0")/generate.py" "$@"
