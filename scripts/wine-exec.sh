#!/bin/bash
# Runs one Windows executable under the project's Wine prefix (ctest's emulator).
. "$(dirname "$0")/env.sh"
exec wine "$@"
