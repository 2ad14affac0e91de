#!/usr/bin/env bash
# render-skins.sh <skin_render.exe> <out dir> [skin numbers...]
# Renders the sample windows and a message box under each skin (all 33 by
# default, and 0 for no engine) to <out dir>/skin-NN.png, then a contact
# sheet <out dir>/skins.png. Needs a display (run under xvfb-run) and
# ImageMagick; runs the program through scripts/wine-run.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
render="$1" out="$2"
shift 2
numbers=("$@")
[ ${#numbers[@]} -gt 0 ] || numbers=($(seq 0 33))
mkdir -p "$out"
out="$(cd "$out" && pwd)"
tiles=()
for n in "${numbers[@]}"; do
  name="$(printf 'skin-%02d' "$n")"
  "$ROOT/scripts/wine-run" "$render" "$n" "Z:${out//\//\\}\\$name.bmp" </dev/null
  convert "$out/$name.bmp" -crop 700x380+0+0 +repage "$out/$name.png"
  rm -f "$out/$name.bmp"
  label="no skin"
  if [ "$n" != 0 ]; then
    label="$(basename "$(ls "$ROOT"/skins/"$(printf '%02d' "$n")"-*.vqskin)" .vqskin)"
  fi
  tiles+=(-label "$label" "$out/$name.png")
done
montage "${tiles[@]}" -tile 4x -geometry 350x190+6+6 -background '#202020' -fill white -font DejaVu-Sans "$out/skins.png"
echo "$out/skins.png"
