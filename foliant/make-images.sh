#!/bin/sh
# Remakes the skin pictures in foliant/package/images/ with ImageMagick.
# Sizes: title bar 380 x 21 pixels, icon and small buttons 16 x 16.
set -eu
cd "$(dirname "$0")/package/images"

FONT=DejaVu-Sans-Bold

# Splash: a stack of pages on a deep blue ground with the program's name.
convert -size 360x220 gradient:'#1d3b6e'-'#2f7a8c' \
    -fill '#ffffff30' -draw 'rectangle 34,54 104,150' \
    -fill '#ffffff60' -draw 'rectangle 42,46 112,142' \
    -fill '#f4f1e8' -stroke '#c9c2ad' -draw 'rectangle 50,38 120,134' \
    -stroke '#9aa4b5' -strokewidth 2 \
    -draw 'line 60,56 110,56' -draw 'line 60,68 110,68' -draw 'line 60,80 104,80' \
    -draw 'line 60,92 110,92' -draw 'line 60,104 96,104' -draw 'line 60,116 108,116' \
    -stroke none -fill white -font "$FONT" -pointsize 34 -annotate +140+92 'Foliant' \
    -fill '#d6e4f0' -font DejaVu-Sans -pointsize 12 -annotate +142+114 'documents into books of text' \
    -quality 92 loading.jpg

# Title bar background.
convert -size 380x21 gradient:'#3a6db0'-'#1f4477' \
    -fill '#6f9bd6' -draw 'line 0,0 379,0' -fill '#17345c' -draw 'line 0,20 379,20' \
    tbk.gif

# Title icon: a small page with lines.
convert -size 16x16 xc:'#2c5a98' -fill '#f4f1e8' -stroke '#5a6b80' -draw 'rectangle 3,1 12,14' \
    -stroke '#3a6db0' -draw 'line 5,4 10,4' -draw 'line 5,7 10,7' -draw 'line 5,10 9,10' \
    tit.gif

# face NAME STATE BACKGROUND DRAWING: one 16 x 16 button face.
face() {
    convert -size 16x16 xc:'#1f4477' -fill "$3" -stroke '#9db8dc' \
        -draw 'roundrectangle 0,0 15,15 3,3' -stroke white -strokewidth 2 -fill white \
        -draw "$4" "$1$2.gif"
}
face iclose 0 '#2d5a96' 'line 5,5 10,10 line 10,5 5,10'
face iclose 1 '#c8433a' 'line 5,5 10,10 line 10,5 5,10'
face min 0 '#2d5a96' 'line 4,11 11,11'
face min 1 '#4a7fc4' 'line 4,11 11,11'
face arrup 0 '#2d5a96' 'polygon 8,4 12,10 4,10'
face arrup 1 '#4a7fc4' 'polygon 8,4 12,10 4,10'
face arrdown 0 '#2d5a96' 'polygon 4,6 12,6 8,12'
face arrdown 1 '#4a7fc4' 'polygon 4,6 12,6 8,12'
