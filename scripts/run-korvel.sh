#!/usr/bin/env bash
# Builds and starts Korvel from the application directory. Arguments go to Korvel (1: English).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build.sh"
app="$root/build/app"
exec "$app/korvel" "$@"
