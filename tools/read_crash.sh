#!/usr/bin/env bash
# Prints a crash report of the launcher as the studio reads it (tools/read_crash.py says how).
# Usage: tools/read_crash.sh DUMP [SYMBOLS_FOLDER_OR_ZIP]
exec python3 "$(dirname "$0")/read_crash.py" "$@"
