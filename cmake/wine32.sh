#!/bin/sh
# 32-bit Windows programs under Wine: see wine.sh.
exec "$(dirname "$0")/wine.sh" 32 "$@"
