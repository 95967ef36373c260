#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from its own folder.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$top/tools/build.sh"
cd "$top/build/krumlix"
exec ./krumlix
