#!/usr/bin/env bash
# Sets up, builds and runs the main job: hostcam loads the plug-in module and plays the bundled session.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/bin/hostcam" --plugin "$root/build/bin/Forantix.so" --session "$root/data/sessions/main_menu.session" "$@"
