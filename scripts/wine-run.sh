#!/usr/bin/env bash
# Runs one Windows program under the Wine of one architecture with a time limit, so a modal box
# nobody closes cannot hang a test run. Usage: wine-run.sh win32|win64 program.exe [args...]
#
# The program's output goes through a file: Wine's helper processes (services, rpcss, the child
# programs of the plug-in) inherit the output handles and may outlive the program, and a caller
# reading a pipe would wait for them too.
source "$(dirname "$0")/wine-env.sh" "$1" || exit 2
shift
log=$(mktemp)
trap 'rm -f "$log"' EXIT
timeout --kill-after=10 "${TIDEGLASS_WINE_TIMEOUT:-240}" "$WINELOADER" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
exit $status
