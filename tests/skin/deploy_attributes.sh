#!/usr/bin/env bash
# deploy_attributes.sh <wine-run> <skin_program_test.exe> <VQSkin.dll>
# Deploys the engine into an empty folder and checks, from Linux, the bytes
# and the attributes Wine stored for the file (GetFileAttributesA adds
# ARCHIVE on its own; the extended attribute holds what was set).
set -euo pipefail
wine_run="$1" test_exe="$2" engine="$3"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
"$wine_run" "$test_exe" --child deploy "Z:${dir//\//\\}" </dev/null
cmp "$engine" "$dir/VQSkin.dll"
attributes="$(getfattr --only-values -n user.DOSATTRIB "$dir/VQSkin.dll")"
if [ "$attributes" != "0x2" ]; then
  echo "VQSkin.dll has attributes $attributes, expected 0x2 (hidden only)" >&2
  exit 1
fi
echo "VQSkin.dll deployed: same bytes, attributes $attributes"
