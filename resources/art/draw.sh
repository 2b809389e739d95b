#!/usr/bin/env bash
# Redraws the saver's artwork into this folder. The build uses the committed files;
# run this only to change them. Needs (Debian): imagemagick, python3, fonts-dejavu-core,
# fonts-dejavu-extra, fonts-urw-base35, fonts-dancingscript.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert-im6.q16
[ -x "$convert" ] || convert=convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# text NAME WIDTH HEIGHT FONT POINTSIZE THRESHOLD TEXT
# Drawn antialiased at its final size, then cut to one bit per pixel.
text() {
  local name=$1 w=$2 h=$3 font=$4 size=$5 threshold=$6 words=$7
  "$convert" -size "${w}x${h}" xc:white -font "$font" -pointsize "$size" -fill black \
    -gravity center -annotate +0+0 "$words" \
    -colorspace gray -threshold "$threshold" -type bilevel "$tmp/$name.pbm"
  python3 images.py bmp "$tmp/$name.pbm" "$name.bmp" "$w" "$h"
}

text ok 61 29 /usr/share/fonts/opentype/dancingscript/DancingScript-Bold.otf 24 60% "OK"
text title 120 27 /usr/share/fonts/opentype/urw-base35/P052-BoldItalic.otf 16 70% "Morvessantique"
text copyright 186 20 /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf 11 55% "Copyright (c) 2026 Quillane"
text web_address 148 18 /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf 11 55% "www.quillane.com"
python3 images.py icon morvessantique.ico
# The web page's app icons, at the sizes browsers ask for.
python3 images.py png icon-192.png 192
python3 images.py png icon-512.png 512
