#!/usr/bin/env bash
# Installs the npm packages of package-lock.json into node_modules/ when
# they are missing or older than the lock file: the bundler and diagram-js
# for the page, playwright-core for the browser tests. Nothing runs under
# Node when the product runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$root/node_modules/.package-lock.json" ] || [ "$root/package-lock.json" -nt "$root/node_modules/.package-lock.json" ]; then
  echo "npm-packages: installing the npm packages of package-lock.json"
  (cd "$root" && npm ci --no-audit --no-fund --ignore-scripts >/dev/null)
fi
