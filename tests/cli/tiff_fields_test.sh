#!/usr/bin/env bash
# The TIFF fields vellumo-check reports (--json) against what tiffdump shows for the same
# file: width, height, bits per sample (the first value), samples per pixel, compression, orientation, the two resolutions
# (the rational truncated to a whole number), the resolution unit, the missing flags of
# the first directory and the page count (directories in the chain, at most 31); and the
# resolution line of the report without the drawing check against tiffinfo's resolution.
# The files are written by tiffcp, ImageMagick's convert and tiffset in both byte orders.
#
# Usage: bash tests/cli/tiff_fields_test.sh PATH-TO-vellumo-check
# Exit 0 when every file agrees, 1 when some do not, 77 when a needed tool is missing.
set -uo pipefail
export TZ=Asia/Tokyo LC_ALL=C.UTF-8

vc=${1:?usage: tiff_fields_test.sh PATH-TO-vellumo-check}
[[ -x $vc ]] || { echo "not executable: $vc" >&2; exit 1; }
for tool in tiffdump tiffcp tiffset convert python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
f=$tmp/files
mkdir -p "$f"
made=0
# make NAME COMMAND...: runs a command that writes $f/NAME; a tool that refuses is no failure
# of the checker, so the case is left out with a note.
make() {
    local name=$1
    shift
    if "$@" >/dev/null 2>"$tmp/make.err" && [[ -s $f/$name ]]; then
        made=$((made + 1))
    else
        echo "note: could not make $name: $(head -c 200 "$tmp/make.err")" >&2
        rm -f "$f/$name"
    fi
}

# A small line drawing, 1 bit per pixel, as the source of every file.
src=$tmp/src.tif
convert -size 640x452 xc:white +antialias -stroke black -strokewidth 3 -fill none \
    -draw 'rectangle 20,20 620,432 line 20,20 620,432 circle 320,226 320,300' \
    -type bilevel -depth 1 -density 400 -units PixelsPerInch -orient top-left \
    -compress None "$src" || { echo "convert cannot write the source TIFF" >&2; exit 1; }
convert "$src" -colorspace gray -depth 8 -compress None "$tmp/gray.tif"
convert "$src" -type truecolor -depth 8 -compress None "$tmp/rgb.tif"

# tiffcp: each compression in both byte orders.
for c in none g3 g4 lzw zip packbits; do
    for bo in B L; do
        make "cp-$c-$bo.tif" tiffcp -c "$c" -"$bo" "$src" "$f/cp-$c-$bo.tif"
    done
done
make cp-gray-lzw-B.tif tiffcp -c lzw -B "$tmp/gray.tif" "$f/cp-gray-lzw-B.tif"
make cp-rgb-zip-L.tif tiffcp -c zip -L "$tmp/rgb.tif" "$f/cp-rgb-zip-L.tif"
# An RGB picture of about 70 KB: tiffcp writes the three BitsPerSample values after the
# pixels, at an offset from 65,536 to 131,071, whose first half reads 1 in big-endian order.
convert -size 160x150 gradient:red-blue -type truecolor -depth 8 -compress None "$tmp/rgb-small.tif"
make cp-rgb-small-B.tif tiffcp -c none -B "$tmp/rgb-small.tif" "$f/cp-rgb-small-B.tif"

# convert: compressions, resolutions and units.
im() {  # im NAME OPTIONS...
    local name=$1
    shift
    make "$name" convert "$src" +set date:create +set date:modify "$@" "$f/$name"
}
im im-g4-400.tif -compress Group4 -density 400 -units PixelsPerInch
im im-lzw-300.tif -compress LZW -density 300 -units PixelsPerInch
im im-zip-400.tif -compress Zip -density 400 -units PixelsPerInch
im im-g4-cm.tif -compress Group4 -density 157.48 -units PixelsPerCentimeter
im im-g4-cm-118.tif -compress Group4 -density 118.11 -units PixelsPerCentimeter
im im-xy.tif -compress Group4 -density 72.5x96 -units PixelsPerInch
im im-frac.tif -compress Group4 -density 399.9 -units PixelsPerInch
im im-gray.tif -colorspace gray -depth 8 -compress LZW -density 300 -units PixelsPerInch
im im-rgb.tif -type truecolor -compress Zip -density 96 -units PixelsPerInch
im im-msb.tif -compress Group4 -density 400 -units PixelsPerInch -endian MSB
make im-nores.tif convert -size 320x200 xc:white -draw 'line 0,0 319,199' -type bilevel -depth 1 \
    -units Undefined -compress Group4 +set date:create "$f/im-nores.tif"

# Several pages: three by convert, three by tiffcp in big-endian order, and 35 (more than
# the 31 that are counted).
make im-3pages.tif convert "$src" "$src" "$src" -compress Group4 -density 400 -units PixelsPerInch \
    "$f/im-3pages.tif"
make cp-3pages-B.tif tiffcp -c lzw -B "$src" "$tmp/gray.tif" "$src" "$f/cp-3pages-B.tif"
many=()
for ((i = 0; i < 35; i++)); do many+=("$src"); done
make cp-35pages.tif tiffcp -c g4 "${many[@]}" "$f/cp-35pages.tif"
make cp-2pages-L.tif tiffcp -c lzw -L "$tmp/rgb.tif" "$src" "$f/cp-2pages-L.tif"

# tiffset: edit or remove tags of the first directory (tiffset writes it anew at the end).
edit() {  # edit NAME SOURCE TIFFSET-OPTIONS...
    local name=$1 from=$2
    shift 2
    cp "$from" "$f/$name" && make "$name" tiffset "$@" "$f/$name"
}
edit set-orient6-L.tif "$f/cp-g4-L.tif" -s 274 6
edit set-orient8-B.tif "$f/cp-g4-B.tif" -s 274 8
edit unset-orient-B.tif "$f/cp-g4-B.tif" -u 274
edit unset-unit-L.tif "$f/cp-g4-L.tif" -u 296
# libtiff keeps the two resolutions as one field: unsetting either removes both.
edit unset-xres-B.tif "$f/cp-g4-B.tif" -u 282
edit unset-yres-L.tif "$f/cp-g4-L.tif" -u 283
edit unset-comp-L.tif "$f/cp-none-L.tif" -u 259
edit set-unit3-B.tif "$f/cp-g4-B.tif" -s 296 3
edit set-xres-L.tif "$f/cp-g4-L.tif" -s 282 399.75
edit set-yres-B.tif "$f/cp-g4-B.tif" -s 283 0.5
edit set-width-B.tif "$f/cp-none-B.tif" -s 256 70000
edit set-orient-page2.tif "$f/im-3pages.tif" -d 1 -s 274 3

((made >= 30)) || { echo "only $made test files could be made" >&2; exit 1; }

timeout 120 "$vc" --json "$f" >"$tmp/report.jsonl" 2>"$tmp/report.err"
rc=$?
if ((rc > 2)); then
    echo "FAIL: vellumo-check ended with status $rc" >&2
    cat "$tmp/report.err" >&2
    exit 1
fi

# Without the drawing check the report has the resolution line, read as libtiff reads it.
timeout 120 "$vc" --json --no-drawing-check "$f" >"$tmp/plain.jsonl" 2>/dev/null

python3 - "$f" "$tmp/report.jsonl" "$tmp/plain.jsonl" <<'PY'
import json, math, os, re, subprocess, sys

folder, report, plain_report = sys.argv[1], sys.argv[2], sys.argv[3]
rows = {}
for line in open(report, encoding="utf-8"):
    r = json.loads(line)
    rows[os.path.basename(r["path"])] = r
plain = {}
for line in open(plain_report, encoding="utf-8"):
    r = json.loads(line)
    plain[os.path.basename(r["path"])] = r

def tiffinfo_resolution_line(path):
    """The report's resolution line from what tiffinfo (libtiff) prints of the first
    directory: rounded half to even, "-" when a value rounds to 0."""
    text = subprocess.run(["tiffinfo", path], capture_output=True, text=True).stdout
    x = y = 96.0
    m = re.search(r"^  Resolution: ([^,]+), (\S+)(.*)$", text, re.M)
    if m:
        x, y = float(m.group(1)), float(m.group(2))
        if "pixels/cm" in m.group(3):
            x, y = x * 2.54, y * 2.54
    rx, ry = round(x), round(y)
    value = "-" if rx <= 0 or ry <= 0 else f"{rx} x {ry} dpi"
    return " 解像度　　　：" + value

ENTRY = re.compile(r"\((\d+)\) (\w+) \((\d+)\) (\d+)<(.*)>$")

def dump(path):
    """The byte order, the first directory's entries {tag: (type, count, [values])} and the
    number of directories, from tiffdump's text."""
    text = subprocess.run(["tiffdump", path], capture_output=True, text=True).stdout
    order, dirs, first, current = None, 0, {}, None
    for line in text.splitlines():
        if line.startswith("Magic:"):
            order = "big" if "big-endian" in line else "little"
        elif line.startswith("Directory "):
            dirs += 1
            current = first if dirs == 1 else None
        elif current is not None:
            m = ENTRY.search(line)
            if m:
                current[int(m.group(1))] = (m.group(2), int(m.group(4)), m.group(5).split())
    return order, first, dirs

def whole(values):
    """A SHORT or LONG value."""
    return int(values[0])

def truncated(values):
    """A RATIONAL as tiffdump prints it (num/den as %g), truncated toward zero."""
    v = values[0]
    if v.lower().startswith("nan"):
        return None
    return math.trunc(float(v))

failures = 0
checked = 0
for name in sorted(os.listdir(folder)):
    path = os.path.join(folder, name)
    order, ifd, dirs = dump(path)
    r = rows.get(name)
    problems = []
    if r is None:
        print(f"FAIL {name}: no JSON line", file=sys.stderr)
        failures += 1
        continue
    checked += 1
    if "error" in r:
        problems.append(f"error {r['error']!r}")
    want = {
        "typeCode": 4 if order == "big" else 5,
        "typeName": "Tif",
        "headerRead": True,
        "pageCount": min(dirs, 31),
        "compressionMissing": 259 not in ifd,
        "orientationMissing": 274 not in ifd,
        "xResolutionMissing": 282 not in ifd,
        "yResolutionMissing": 283 not in ifd,
        "resolutionUnitMissing": 296 not in ifd,
    }
    for key, tag in (("width", 256), ("height", 257), ("compression", 259),
                     ("orientation", 274), ("resolutionUnit", 296)):
        want[key] = whole(ifd[tag][2]) if tag in ifd else 0
    # With several values (RGB) the first one counts, wherever it is stored.
    want["bitsPerSample"] = whole(ifd[258][2]) if 258 in ifd else 0
    want["samplesPerPixel"] = whole(ifd[277][2]) if 277 in ifd else 0
    for key, tag in (("xResolution", 282), ("yResolution", 283)):
        if tag not in ifd:
            want[key] = 0
        elif truncated(ifd[tag][2]) is not None:
            want[key] = truncated(ifd[tag][2])
    for key, value in want.items():
        if r.get(key) != value:
            problems.append(f"{key}: vellumo-check {r.get(key)!r}, tiffdump {value!r}")
    lines = [l for l in plain.get(name, {}).get("lines", []) if l.startswith(" 解像度　　　：")]
    want_line = tiffinfo_resolution_line(path)
    if lines != [want_line]:
        problems.append(f"resolution line {lines!r}, tiffinfo gives {want_line!r}")
    if problems:
        failures += 1
        print(f"FAIL {name}: " + "; ".join(problems), file=sys.stderr)

print(f"{checked} files compared, {failures} differ")
sys.exit(1 if failures or checked == 0 else 0)
PY
