#!/bin/sh
# 64-bit Windows programs under Wine: see wine.sh.
exec "$(dirname "$0")/wine.sh" 64 "$@"
