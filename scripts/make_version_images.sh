#!/bin/sh
# Renders the pictures of the version badge into resources/image/.
# Each picture is drawn at twice the size of the label that shows it, on a
# transparent background, so that it stays crisp when scaled down.
# Needs ImageMagick and the DejaVu fonts.  Run from the repository root.
set -e

out=resources/image
mkdir -p "$out"

BLUE='#0a3c8c'
ORANGE='#ff5500'
GREY='#303030'

text() { # colour font size text -> PNG on stdout
    convert -background none -fill "$1" -font "$2" -pointsize "$3" label:"$4" png:-
}

# Title, 150 x 39 in the badge: "KESTA" in blue, "con" in orange.
text "$BLUE" DejaVu-Sans-Bold 52 KESTA >"$out/_kesta.png"
text "$ORANGE" DejaVu-Sans-Bold 52 con >"$out/_con.png"
convert -background none "$out/_kesta.png" "$out/_con.png" +append \
        -gravity center -extent 300x78 +repage "$out/KESTAcon_TITLE.png"
rm -f "$out/_kesta.png" "$out/_con.png"

# "Ver", 50 x 39 in the badge.
text "$GREY" DejaVu-Sans-Condensed-Bold 44 Ver | \
    convert -background none - -gravity center -extent 100x78 +repage "$out/KESTAcon_VER_STR.png"

# Digits and the decimal point, 15 x 39 each in the badge.
for d in 0 1 2 3 4 5 6 7 8 9; do
    text "$GREY" DejaVu-Sans-Condensed-Bold 44 "$d" | \
        convert -background none - -gravity center -extent 30x78 +repage "$out/KESTAcon_VER_NUM$d.png"
done
text "$GREY" DejaVu-Sans-Condensed-Bold 44 . | \
    convert -background none - -gravity center -extent 30x78 +repage "$out/KESTAcon_VER_NUMD.png"

# Drop the time stamps so that a re-run gives identical files.
for f in "$out"/KESTAcon_*.png; do
    convert "$f" -define png:exclude-chunks=date,time +set date:create +set date:modify "$f"
done
