#!/usr/bin/env bash
# Sets up, builds and runs the main job: hostcam opens the example plate, loads the plug-in module, plays
# the bundled session (Execute, then "Create operations") and saves the part with what the plug-in kept in
# it and its operations; the reports go beside the part and the NC listing to build/holes_plate.nc.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/bin/hostcam" --plugin "$root/build/bin/Forantix.so" --open "$root/data/examples/holes_plate.step" \
  --session "$root/data/sessions/execute.session" --save "$root/build/holes_plate.pfp" --nc "$root/build/holes_plate.nc" "$@"
