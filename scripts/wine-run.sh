#!/usr/bin/env bash
# Runs one Windows program under Wine with a time limit, so a modal box nobody closes cannot hang
# a test run. Usage: wine-run.sh program.exe [args...]
source "$(dirname "$0")/wine-env.sh"
exec timeout --kill-after=10 "${TIDEGLASS_WINE_TIMEOUT:-240}" wine "$@"
