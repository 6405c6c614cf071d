#!/usr/bin/env bash
# Serves the web build (scripts/build-web.sh) on localhost and prints the address to open.
# Usage: serve-web.sh [PORT]   (default 8000)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port="${1:-8000}"
[ -f "$root/build-web/index.html" ] || { echo "no web build: run scripts/build-web.sh first" >&2; exit 1; }
echo "Serving the demo at http://127.0.0.1:$port/ (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$root/build-web"
