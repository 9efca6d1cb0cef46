#!/usr/bin/env bash
# Builds the browser site (scripts/build-web.sh) and serves it on 127.0.0.1:
# open the address it prints. PORT chooses the port (8000 by default). Any
# static web server can serve build-web/site/ just as well.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build-web.sh
PORT=${PORT:-8000}
SITE=${WEB_BUILD_DIR:-build-web}/site
echo "Kestra in the browser: http://127.0.0.1:$PORT/  (Ctrl+C stops the server)"
exec python3 -m http.server --bind 127.0.0.1 --directory "$SITE" "$PORT"
