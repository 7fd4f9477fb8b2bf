#!/usr/bin/env bash
# Regenerates the example drawing files in examples/ with ImageMagick and the libtiff tools.
#
# Usage: tools/make-examples.sh
#
# Every TIFF is drawn from the same site plan (frame, title block, site boundary, buildings
# with hatching, road, trees, dimension lines, a north arrow and labels), 1 bit per pixel,
# so that `vellumo-check examples/` shows one conforming drawing and one of each usual fault.
# Text labels are drawn only when the DejaVu Sans font is installed (fonts-dejavu-core).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in convert tiffcp tiffset tiffinfo; do
    command -v "$tool" >/dev/null || { echo "make-examples: '$tool' is not installed" >&2; exit 1; }
done

out=examples
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

have_font=0
if convert -list font 2>/dev/null | grep -q 'Font: DejaVu-Sans$'; then
    have_font=1
fi

# The site plan as MVG drawing commands, in the pixel grid of a B4 landscape page at
# 400 dpi (5732 x 4047). A scale factor pair redraws it for other page sizes.
site_plan() {
    local sx=$1 sy=$2
    echo "affine $sx 0 0 $sy 0 0"
    echo "fill none stroke black"
    # Sheet frame and title block.
    echo "stroke-width 10 rectangle 80,80 5652,3967"
    echo "stroke-width 4 rectangle 110,110 5622,3937"
    echo "stroke-width 6 rectangle 4200,3400 5622,3937"
    echo "stroke-width 3 line 4200,3580 5622,3580 line 4200,3760 5622,3760 line 4700,3400 4700,3937"
    # Site boundary (a dashed polygon) and the road along its south side.
    echo "push graphic-context stroke-width 8 stroke-dasharray 60,20,10,20"
    echo "polygon 500,400 3900,400 4300,1500 4100,3000 500,3000 pop graphic-context"
    echo "stroke-width 6 line 200,3150 4400,3150 line 200,3450 4000,3450"
    echo "push graphic-context stroke-width 2 stroke-dasharray 40,40 line 200,3300 4000,3300 pop graphic-context"
    # The main building: outline, inner walls, and hatching at 45 degrees.
    echo "stroke-width 12 rectangle 900,800 2700,2200"
    echo "stroke-width 5 line 1800,800 1800,2200 line 900,1500 1800,1500 line 2200,1500 2700,1500"
    local i
    for ((i = 0; i <= 1800; i += 60)); do
        # Lines of slope 1 clipped to the hatched room 1800..2700 x 800..1500 by hand.
        local x0=$((1800 + i)) y0=800 x1=1800 y1=$((800 + i))
        if ((x0 > 2700)); then y0=$((800 + x0 - 2700)); x0=2700; fi
        if ((y1 > 1500)); then x1=$((1800 + y1 - 1500)); y1=1500; fi
        if ((y0 <= 1500 && x1 <= 2700)); then
            echo "stroke-width 2 line $x0,$y0 $x1,$y1"
        fi
    done
    # A garage and a shed, cross-hatched.
    echo "stroke-width 10 rectangle 3000,900 3600,1500"
    for ((i = 3000; i <= 3600; i += 50)); do echo "stroke-width 2 line $i,900 $i,1500"; done
    for ((i = 900; i <= 1500; i += 50)); do echo "stroke-width 2 line 3000,$i 3600,$i"; done
    echo "stroke-width 8 rectangle 3000,2200 3500,2700"
    for ((i = 0; i <= 1000; i += 40)); do
        local a=$((3000 + i)) b=2200 c=3000 d=$((2200 + i))
        if ((a > 3500)); then b=$((2200 + a - 3500)); a=3500; fi
        if ((d > 2700)); then c=$((3000 + d - 2700)); d=2700; fi
        if ((b <= 2700 && c <= 3500)); then echo "stroke-width 2 line $a,$b $c,$d"; fi
    done
    # Driveway, paths and parking bays.
    echo "stroke-width 4 line 2000,2200 2000,3150 line 2400,2200 2400,3150"
    for ((i = 600; i <= 1700; i += 220)); do echo "stroke-width 3 rectangle $i,2500 $((i + 200)),2950"; done
    # Trees along the boundary.
    for ((i = 700; i <= 3700; i += 300)); do
        echo "stroke-width 4 circle $i,560 $((i + 90)),560"
        echo "stroke-width 2 line $((i - 60)),560 $((i + 60)),560 line $i,500 $i,620"
    done
    # Dimension lines with ticks.
    echo "stroke-width 3 line 900,700 2700,700 line 900,660 900,740 line 2700,660 2700,740"
    echo "stroke-width 3 line 800,800 800,2200 line 760,800 840,800 line 760,2200 840,2200"
    echo "stroke-width 3 line 3000,1600 3600,1600 line 3000,1560 3000,1640 line 3600,1560 3600,1640"
    # North arrow.
    echo "stroke-width 6 circle 5000,900 5000,1200"
    echo "fill black stroke-width 2 polygon 5000,620 5080,980 5000,900 4920,980 fill none"
    echo "stroke-width 4 line 5000,900 5000,1180"
    # A scale bar of alternating black and white blocks.
    for ((i = 0; i < 10; i++)); do
        local x=$((4400 + i * 100))
        if ((i % 2 == 0)); then echo "fill black"; else echo "fill none"; fi
        echo "stroke-width 3 rectangle $x,2900 $((x + 100)),2960"
    done
    echo "fill none"
    if ((have_font)); then
        echo "font DejaVu-Sans stroke none fill black"
        echo "font-size 100 text 4260,3530 'TITLE' text 4760,3530 'SITE PLAN   S = 1 : 200'"
        echo "font-size 100 text 4260,3710 'DWG' text 4760,3710 'Building 1'"
        echo "font-size 100 text 4260,3890 'DATE' text 4760,3890 '2021-02-26'"
        echo "font-size 120 text 4960,1360 'N'"
        echo "font-size 110 text 1450,1150 'LIVING' text 1150,1850 'KITCHEN' text 2250,1900 'BED'"
        echo "font-size 100 text 3070,1240 'GARAGE' text 3060,2480 'SHED'"
        echo "font-size 110 text 1500,670 '18000' text 560,1550 '14000' text 3160,1720 '6000'"
        echo "font-size 130 text 1600,3280 'ROAD  W = 6.0 m'"
        echo "font-size 90 text 4400,3050 '0' text 4900,3050 '5' text 5360,3050 '10 m'"
        echo "font-size 100 text 600,2460 'PARKING'"
    fi
}

# render FILE WIDTH HEIGHT SCALE-X SCALE-Y: draws the plan, black on white, 1 bit per pixel.
render() {
    convert -size "$2x$3" xc:white +antialias -draw "$(site_plan "$4" "$5")" \
        -threshold 50% -type bilevel "$1"
}

# make_tiff SOURCE NAME DPI COMPRESSION [extra convert options]
make_tiff() {
    local src=$1 name=$2 dpi=$3 comp=$4
    shift 4
    convert "$src" "$@" -threshold 50% -type bilevel -depth 1 -strip +set date:create +set date:modify \
        -orient top-left -density "$dpi" -units PixelsPerInch -compress "$comp" \
        -define tiff:rows-per-strip=65535 "$out/$name"
}

mkdir -p "$out"
rm -f "$out"/*.tif "$out"/*.png "$out"/*.jpg

b4="$work/b4-400.png"
render "$b4" 5732 4047 1 1

# Conforming drawings: B4 landscape 5732 x 4047 at 400 dpi, Group 4, one page.
make_tiff "$b4" tatemono1.tif 400 Group4
make_tiff "$b4" sokuryouzu12.tif 400 Group4 -flop
# A conforming file under a wrong name (an extra character between the kind and the digits).
cp "$out/tatemono1.tif" "$out/tiekiken_3.tif"
# Wrong compression: LZW.
make_tiff "$b4" tatemono2.tif 400 LZW
# Wrong resolution: 300 dpi, the pixel size of 364 x 257 mm at 300 dpi.
render "$work/b4-300.png" 4299 3035 0.75 0.75
make_tiff "$work/b4-300.png" tatemono3.tif 300 Group4
# Wrong orientation of the page: B4 portrait (the landscape drawing turned by 90 degrees).
make_tiff "$b4" tatemono4.tif 400 Group4 -rotate 90
# Two pages: two Group 4 drawings joined by tiffcp.
make_tiff "$b4" tatemono5-page1.tif 400 Group4
make_tiff "$b4" tatemono5-page2.tif 400 Group4 -flip
mv "$out/tatemono5-page1.tif" "$out/tatemono5-page2.tif" "$work/"
tiffcp -c g4 "$work/tatemono5-page1.tif" "$work/tatemono5-page2.tif" "$out/tatemono5.tif"
# Wrong name and paper: A4 landscape 4677 x 3307 at 400 dpi.
render "$work/a4-400.png" 4677 3307 0.816 0.8171
make_tiff "$work/a4-400.png" zumen1.tif 400 Group4
# Other image types: a PNG copy of the plan at a quarter of the size, and a small photo.
convert "$b4" -resize 25% -threshold 50% -type bilevel -strip +set date:create +set date:modify \
    -define png:exclude-chunks=date,time -density 100 -units PixelsPerInch "$out/site-plan.png"
convert -size 320x240 gradient:'#8ab4e8-#f4f0e0' \
    -fill '#3a6b35' -draw "polygon 0,240 0,170 60,150 140,175 220,140 320,165 320,240" \
    -fill '#b03a2e' -draw "rectangle 120,120 200,190" -fill '#5d4037' -draw "polygon 110,122 160,85 210,122" \
    -strip +set date:create +set date:modify -density 72 -units PixelsPerInch -quality 85 \
    "$out/photo.jpg"

for f in "$out"/*.tif; do
    tiffinfo "$f" >/dev/null 2>&1 || { echo "make-examples: tiffinfo rejects $f" >&2; exit 1; }
done
ls -l "$out"
