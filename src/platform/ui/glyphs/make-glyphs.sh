#!/usr/bin/env bash
# Draws the record window's button glyphs (16x16, transparent) with
# ImageMagick. The PNGs are committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")"
g() { # name, then ImageMagick drawing arguments
  local name=$1; shift
  /usr/bin/convert -size 16x16 xc:none "$@" "PNG32:${name}.png"
}
ink='#203060'
g LEFTEND  -fill "$ink" -draw 'rectangle 2,3 4,12' -draw 'polygon 13,3 13,12 5,7.5'
g LEFT     -fill "$ink" -draw 'polygon 11,3 11,12 4,7.5'
g RIGHT    -fill "$ink" -draw 'polygon 5,3 5,12 12,7.5'
g RIGHTEND -fill "$ink" -draw 'rectangle 11,3 13,12' -draw 'polygon 2,3 2,12 10,7.5'
g NEWADD   -fill white -stroke '#606060' -draw 'rectangle 2,1 11,14' \
           -stroke none -fill '#20A020' -draw 'rectangle 9,9 15,11' -draw 'rectangle 11,7 13,13'
g EDIT     -fill white -stroke '#606060' -draw 'rectangle 1,1 10,14' \
           -stroke '#C08000' -strokewidth 2 -draw 'line 6,13 14,5'
g TELSCH   -fill '#303030' -draw 'roundrectangle 1,6 14,14 2,2' -draw 'rectangle 3,3 12,6' \
           -fill white -draw 'circle 7.5,10 7.5,12'
g POSSCH   -fill '#D02020' -draw 'rectangle 2,2 13,4' -draw 'rectangle 2,6 13,8' -draw 'rectangle 7,6 8,14'
g ADRSSCH  -fill '#C04020' -draw 'polygon 1,8 8,1 15,8' -fill '#E0C080' -stroke '#804020' -draw 'rectangle 3,8 12,14' \
           -stroke none -fill '#804020' -draw 'rectangle 6,10 9,14'
g MAP      -fill '#A0D0A0' -stroke '#406040' -draw 'polygon 1,3 5,1 10,3 14,1 14,13 10,15 5,13 1,15' \
           -stroke '#D02020' -strokewidth 2 -draw 'line 4,10 11,5'
g QRCODE   -fill black -draw 'rectangle 1,1 5,5' -draw 'rectangle 10,1 14,5' -draw 'rectangle 1,10 5,14' \
           -draw 'rectangle 8,8 9,9' -draw 'rectangle 11,11 14,14' -draw 'rectangle 7,12 8,14' -draw 'rectangle 12,7 14,8' \
           -fill white -draw 'rectangle 2,2 4,4' -draw 'rectangle 11,2 13,4' -draw 'rectangle 2,11 4,13' \
           -fill black -draw 'point 3,3' -draw 'point 12,3' -draw 'point 3,12'
g TRAIN    -fill '#2060C0' -draw 'roundrectangle 3,1 12,12 2,2' -fill white -draw 'rectangle 5,3 10,6' \
           -fill '#F0E060' -draw 'circle 5.5,9.5 5.5,10.5' -draw 'circle 9.5,9.5 9.5,10.5' \
           -stroke '#404040' -draw 'line 4,13 2,15' -draw 'line 11,13 13,15'
g HOME     -fill '#E06020' -draw 'polygon 1,8 8,1 15,8' -fill '#F0E0C0' -stroke '#806040' -draw 'rectangle 3,8 12,14'
g CORP     -fill '#8090A0' -stroke '#405060' -draw 'rectangle 3,1 12,14' -stroke none -fill '#E0F0FF' \
           -draw 'rectangle 5,3 6,4' -draw 'rectangle 9,3 10,4' -draw 'rectangle 5,7 6,8' -draw 'rectangle 9,7 10,8' \
           -fill '#405060' -draw 'rectangle 7,11 8,14'
g WEBSEARCH -fill none -stroke '#2060C0' -strokewidth 2 -draw 'circle 6,6 6,10' -stroke '#404040' -strokewidth 3 -draw 'line 9,9 14,14'
g LISTEDIT -fill white -stroke '#606060' -draw 'rectangle 1,1 14,14' -stroke '#2050A0' \
           -draw 'line 3,4 12,4' -draw 'line 3,7 12,7' -draw 'line 3,10 12,10'
g GETURL   -fill '#3070D0' -draw 'circle 7.5,7.5 7.5,14' -fill none -stroke white \
           -draw 'line 1,7.5 14,7.5' -draw 'ellipse 7.5,7.5 3,6.5 0,360' -stroke '#20A020' -fill '#20A020' -strokewidth 1 -draw 'rectangle 10,12 15,13' -draw 'rectangle 12,10 13,15'
g OPENURL  -fill '#3070D0' -draw 'circle 7.5,7.5 7.5,14' -fill none -stroke white \
           -draw 'line 1,7.5 14,7.5' -draw 'ellipse 7.5,7.5 3,6.5 0,360'
g MAIL     -fill white -stroke '#606060' -draw 'rectangle 1,3 14,12' -fill none -draw 'polyline 1,3 7.5,9 14,3'
g PRINTER  -fill white -stroke '#505050' -draw 'rectangle 4,1 11,6' -fill '#909090' -draw 'rectangle 1,6 14,12' \
           -fill white -draw 'rectangle 4,10 11,14'
g NOPRINT  -fill '#F0F0F0' -stroke '#B0B0B0' -draw 'rectangle 4,1 11,6' -fill '#D0D0D0' -draw 'rectangle 1,6 14,12' \
           -fill '#F0F0F0' -draw 'rectangle 4,10 11,14' -stroke '#D02020' -strokewidth 2 -draw 'line 2,2 13,13'
g SETFILE  -fill '#F0D060' -stroke '#907020' -draw 'polygon 1,4 6,4 7,5 14,5 14,13 1,13' \
           -stroke none -fill '#20A020' -draw 'rectangle 8,8 14,10' -draw 'rectangle 10,6 12,12'
g DELFILE  -fill '#F0D060' -stroke '#907020' -draw 'polygon 1,4 6,4 7,5 14,5 14,13 1,13' \
           -stroke '#D02020' -strokewidth 2 -draw 'line 8,7 13,12' -draw 'line 13,7 8,12'
g INQUIRY  -fill white -stroke '#606060' -draw 'rectangle 1,1 10,14' -fill none -stroke '#2060C0' -strokewidth 2 \
           -draw 'circle 9,9 9,12' -draw 'line 11,11 14,14'
g COLORSET -fill '#E03030' -draw 'rectangle 1,1 7,7' -fill '#30B030' -draw 'rectangle 8,1 14,7' \
           -fill '#3050E0' -draw 'rectangle 1,8 7,14' -fill '#F0D030' -draw 'rectangle 8,8 14,14'
g COPY     -fill white -stroke '#606060' -draw 'rectangle 1,1 9,11' -fill '#E0E8FF' -draw 'rectangle 5,4 14,14'
# The status images beside the My Number edits: a person, a building.
g MYNUMBERPRIV -fill '#2080D0' -draw 'circle 7.5,4.5 7.5,7.5' -draw 'roundrectangle 2,9 13,15 4,4'
g MYNUMBERCORP -fill '#40A040' -draw 'rectangle 3,1 12,15' -fill white \
           -draw 'rectangle 5,3 6,4' -draw 'rectangle 9,3 10,4' -draw 'rectangle 5,7 6,8' -draw 'rectangle 9,7 10,8' -draw 'rectangle 5,11 6,12' -draw 'rectangle 9,11 10,12'
# Moving and restoring rows of the field and column choosers.
g TOP     -fill "$ink" -draw 'rectangle 2,1 13,3' -draw 'polygon 8,4 14,10 10,10 10,15 6,15 6,10 2,10'
g UP      -fill "$ink" -draw 'polygon 8,2 14,9 10,9 10,14 6,14 6,9 2,9'
g DOWN    -fill "$ink" -draw 'polygon 8,14 14,7 10,7 10,2 6,2 6,7 2,7'
g BOTTOM  -fill "$ink" -draw 'rectangle 2,12 13,14' -draw 'polygon 8,11 14,5 10,5 10,0 6,0 6,5 2,5'
g ALLVIEW -fill white -stroke '#606060' -draw 'rectangle 1,1 14,14' -fill none -stroke '#20A020' -strokewidth 2 \
          -draw 'polyline 3,8 6,11 12,4'
g REVIEW  -fill none -stroke '#2060C0' -strokewidth 2 -draw 'arc 2,2 13,13 200,480' \
          -stroke none -fill '#2060C0' -draw 'polygon 1,3 6,3 3,8'
g RESORT  -fill "$ink" -draw 'rectangle 2,2 6,4' -draw 'rectangle 2,7 9,9' -draw 'rectangle 2,12 13,14' \
          -fill '#2060C0' -draw 'polygon 12,1 15,6 9,6'
