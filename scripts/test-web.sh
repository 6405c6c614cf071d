#!/usr/bin/env bash
# Tests the web build (scripts/build-web.sh first) in Debian's Chromium, headless on SwiftShader's
# WebGL2, driven by playwright-core from npm (installed into tests/web/; no browser is ever
# downloaded): first frame, captures against tests/reference (PSNR), keys, resize, 300 frames
# without a WebGL error, the messages without WebGL2 and with a missing or damaged data file.
# Pictures land in build-web/test/.
#   --speed  instead measures the page's frame time against the native demo's (build/bench, from
#            scripts/build.sh), on SwiftShader and on ANGLE over llvmpipe, under Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-web"
[ -f "$out/index.html" ] && [ -f "$out/demo.data" ] ||
  { echo "no web build in $out: run scripts/build-web.sh first" >&2; exit 1; }
command -v compare >/dev/null || {
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
}
(cd "$root/tests/web" && [ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --silent)

port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out" >"$out/test-server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" 2>/dev/null && break
  sleep 0.1
done
if [ "${1:-}" = "--speed" ]; then
  [ -x "$root/build/bench" ] || { echo "no build/bench: run scripts/build.sh first" >&2; exit 1; }
  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    node "$root/tests/web/speed.js" "http://127.0.0.1:$port" "$root/build/bench" "$out/speed"
else
  node "$root/tests/web/page-test.js" "http://127.0.0.1:$port" "$out/test"
fi
