#!/usr/bin/env bash
# Draws the pick-list editor's button glyphs (16x16, transparent) with
# ImageMagick, in the style of the shared glyphs. The PNGs are committed; run
# this again only to change them.
set -euo pipefail
cd "$(dirname "$0")"
g() { # name, then ImageMagick drawing arguments
  local name=$1; shift
  /usr/bin/convert -size 16x16 xc:none "$@" "PNG32:${name}.png"
}
ink='#203060'
list=(-fill white -stroke '#606060' -draw 'rectangle 1,1 11,14' -stroke '#2050A0'
      -draw 'line 3,4 9,4' -draw 'line 3,7 9,7' -draw 'line 3,10 9,10')
g LISTADD "${list[@]}" -stroke none -fill '#20A020' -draw 'rectangle 9,10 15,12' -draw 'rectangle 11,8 13,14'
g LISTUPD "${list[@]}" -stroke '#C08000' -strokewidth 2 -draw 'line 8,14 14,8'
g LISTDEL "${list[@]}" -stroke '#D02020' -strokewidth 2 -draw 'line 9,9 14,14' -draw 'line 14,9 9,14'
