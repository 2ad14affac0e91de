#!/usr/bin/env bash
# make-fixtures.sh <folder>: the cover files the imaging benchmarks decode, at
# the box's size (144x232), a mid size (1200x800) and 24 megapixels
# (6000x4000). Photo-like content (a fractal with some noise, about 2 bits a
# pixel as JPEG quality 90, 4:2:0), made once with ImageMagick and kept.
set -euo pipefail
folder="$1"
mkdir -p "$folder"
cd "$folder"
for size in 144x232 1200x800 6000x4000; do
  [ -f "cover-$size.jpg" ] && [ -f "cover-$size.gif" ] && [ -f "cover-$size.pcx" ] && [ -f "cover-$size.bmp" ] && continue
  echo "making the $size covers in $folder" >&2
  convert -seed 7 -size "$size" plasma:fractal -attenuate 0.3 +noise Gaussian "source-$size.ppm"
  convert "source-$size.ppm" -quality 90 -sampling-factor 2x2 "cover-$size.jpg"
  convert "source-$size.ppm" -quality 90 -sampling-factor 2x2 -interlace Plane "progressive-$size.jpg"
  convert "source-$size.ppm" -type truecolor "BMP3:cover-$size.bmp"
  convert "source-$size.ppm" +dither -colors 256 "source-$size-256.png"
  convert "source-$size-256.png" "cover-$size.gif"
  convert "source-$size-256.png" -type palette "cover-$size.pcx"
  rm -f "source-$size.ppm" "source-$size-256.png"
done
