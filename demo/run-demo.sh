#!/usr/bin/env bash
# The system's main job, start to end, on a fresh store in the build folder:
# a script builds a process template, the vorlane tool exports and imports
# it, makes an instance and runs it through the workflow server.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/${1:-build}"
work="$build/demo"
rm -rf "$work"
mkdir -p "$work"

store="$work/store.vorlane"
xml="$work/order-approval.xml"
# The demo keeps its class registry to itself, never the user's own.
export VORLANE_REGISTRY="$work/registry"
export PYTHONPATH="$build/python"
python=python3
tool() { "$build/bin/vorlane" --store "$store" --user demo "$@"; }
json_field() { "$python" -c "import json,sys; print(json.load(sys.stdin)[\"$1\"])"; }
if [ -t 1 ]; then bold=$'\033[1m' plain=$'\033[0m'; else bold="" plain=""; fi
step() { printf '\n%s== %s%s\n' "$bold" "$*" "$plain"; }

step "1. A fresh store, with its dictionaries of function and gate types"
tool init

# Scripts create the object model's classes by name: register its library
# in the class registry, as an installation does.
for library in libvorlane_objects.so libvorlane_process.so libvorlane_designer.so; do
  "$python" -c "import ctypes, sys; sys.exit(ctypes.CDLL(sys.argv[1]).DllRegisterServer())" \
    "$build/lib/$library"
done

step "2. A Python script builds an order-approval template (examples/order_approval.py)"
template=$("$python" "$root/examples/order_approval.py" --store "$store" | tee /dev/stderr | tail -n 1)
tool show "$template"

step "3. The tool exports the template to XML"
tool export "$template" "$xml"
printf '   %s: %s bytes\n' "$xml" "$(wc -c < "$xml")"

step "4. ... and imports the file as a second template"
copy=$(tool --json import "$xml" | json_field id)
tool templates

step "5. An instance of the template, run through the workflow server"
instance=$(tool --json instance "$template" --name "Order PO-2026-0117" | json_field id)
tool start "$instance"
tool pause "$instance"
tool resume "$instance"
tool stop "$instance"

step "6. The instance's log"
tool log "$instance"

step "7. The template in its card, as a person sees it: Execute makes and starts an instance"
"$build/bin/card_demo" "$store" "$template"
tool instances

step "Done"
cat <<TXT
   A template was built by a script, exported to XML and imported again, an
   instance of it was started, paused, resumed and stopped, and another was
   made and started from the template's card.

   store          $store
   exported XML   $xml
   template       $template
   imported copy  $copy
   instance       $instance

   Try it yourself:  $build/bin/vorlane --store $store show $instance
   In a browser:     $build/bin/vorlane --store $store --user demo serve
                     (then open the address it prints)
TXT
