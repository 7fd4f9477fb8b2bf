#!/usr/bin/env bash
# vellumo-convert as a command: a scan becomes a drawing the checker confirms, the
# viewer's refusals write nothing and exit 2, every output type is read by other tools,
# and operations apply in the order given.
#
# Usage: VELLUMO_CONVERT=... VELLUMO_CHECK=... bash tests/cli/convert_cli_test.sh
# Exit 0 when every case passes, 1 when some fail, 77 when a needed tool is missing.
set -uo pipefail
export TZ=Asia/Tokyo LC_ALL=C.UTF-8

conv=${VELLUMO_CONVERT:?VELLUMO_CONVERT names vellumo-convert}
check=${VELLUMO_CHECK:?VELLUMO_CHECK names vellumo-check}
for tool in convert identify compare tiffinfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# run ARGS...: runs the converter with a time limit; sets $rc, $out and $err.
run() {
    timeout 120 "$conv" "$@" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    out=$(cat "$tmp/out")
    err=$(cat "$tmp/err")
}

# A B4 landscape scan at 400 dpi: a light paper tone, dark frames, lines, a circle and
# hatched areas, so that the G4 file has the size of a real drawing.
convert -size 5732x4047 xc:'rgb(236,232,222)' -fill 'rgb(30,30,40)' -stroke 'rgb(30,30,40)' \
    -strokewidth 6 -draw 'rectangle 200,200 5532,3847' -fill none \
    -draw 'line 200,1200 5532,1200' -draw 'line 2800,200 2800,3847' \
    -draw 'circle 1500,2500 1500,3200' -strokewidth 3 -stroke none \
    -tile pattern:hs_diagcross -draw 'rectangle 400,400 2400,1100' \
    -tile pattern:hs_fdiagonal -draw 'rectangle 3000,400 5300,1100' \
    -tile pattern:hs_cross -draw 'rectangle 3000,2000 5000,3400' \
    -type TrueColor "$tmp/scan.png" 2>/dev/null || { echo "SKIP: ImageMagick cannot draw"; exit 77; }

run "$tmp/scan.png" "$tmp/tatemono1.tif" --threshold 128 --despeckle --compression g4 --dpi 400
[[ $rc -eq 0 ]] || fail "scan to drawing: exit $rc: $err"
"$check" "$tmp/tatemono1.tif" >"$tmp/report" 2>&1 || fail "the drawing does not pass: $(cat "$tmp/report")"
tiffinfo "$tmp/tatemono1.tif" 2>&1 | grep -q "CCITT Group 4" || fail "not G4"

# --info names what the viewer's status line shows.
run "$tmp/tatemono1.tif" --info
[[ $rc -eq 0 ]] || fail "--info exit $rc"
grep -q "^ImageType：Tiff$" <<<"$out" || fail "--info type: $out"
grep -q "^PixelFormat：BlackWhite$" <<<"$out" || fail "--info pixel format: $out"
grep -q "^Size：5732 x 4047 pixel$" <<<"$out" || fail "--info size: $out"
grep -q "^Resolution：400 x 400 dpi$" <<<"$out" || fail "--info resolution: $out"
grep -q "^Bitmap：1bit$" <<<"$out" || fail "--info bitmap under the display option: $out"
run "$tmp/tatemono1.tif" --info --no-mono-display
grep -q "^Bitmap：32bit$" <<<"$out" || fail "--info without the display option: $out"

# The viewer's refusals: message on standard error, exit 2, nothing written, an existing
# output untouched.
convert -size 64x48 gradient:red-blue -depth 8 "$tmp/colour.png"
printf 'keep me' >"$tmp/existing.tif"
refused() {  # EXPECTED-TEXT ARGS...
    local want=$1; shift
    run "$@"
    [[ $rc -eq 2 ]] || fail "$* should exit 2, got $rc"
    grep -qF -- "$want" <<<"$err" || fail "$*: expected '$want', got '$err'"
}
refused "　モノクロ（２値）画像です。　" "$tmp/tatemono1.tif" "$tmp/existing.tif" --threshold 100
refused "　モノクロ（２値）画像です。　" "$tmp/tatemono1.tif" "$tmp/existing.tif" --dither
refused "モノクロ２値画像のみ使えます。" "$tmp/colour.png" "$tmp/existing.tif" --ink FF0000
refused "枠座標切出失敗" "$tmp/colour.png" "$tmp/existing.tif" --crop 0,0,0,10
refused "拡張子「.gif」 は、未対応ファイル形式です。" "$tmp/colour.png" "$tmp/out.gif"
refused "は表示できません。" "$tmp/missing.png" "$tmp/existing.tif"
printf 'not a picture' >"$tmp/junk.png"
refused "　画像データを確認してください。" "$tmp/junk.png" "$tmp/existing.tif"
refused "usage:" "$tmp/colour.png"
refused "--dpi" "$tmp/colour.png" "$tmp/existing.tif" --dpi 150
refused "--threshold: 0 から 255" "$tmp/colour.png" "$tmp/existing.tif" --threshold 256
[[ $(cat "$tmp/existing.tif") == "keep me" ]] || fail "a refused run changed the existing file"
[[ ! -e $tmp/out.gif ]] || fail "an unsupported type was written"
# A save into a folder that does not exist fails and says so.
refused "保存出来ませんでした。" "$tmp/colour.png" "$tmp/no/such/folder.tif"

# Error lines: one line each, the program and the file the message is about first.
run "$tmp/missing.png" "$tmp/existing.tif"
[[ $(wc -l <<<"$err") == 1 && $err == "vellumo-convert: $tmp/missing.png: 【 missing.png 】"* ]] ||
    fail "load error line: $err"
run "$tmp/tatemono1.tif" "$tmp/existing.tif" --threshold 100
[[ $err == "vellumo-convert: $tmp/tatemono1.tif: 　モノクロ（２値）画像です。　" ]] || fail "refusal line: $err"
run "$tmp/colour.png" "$tmp/no/such/folder.tif"
[[ $(wc -l <<<"$err") == 1 && $err == "vellumo-convert: $tmp/no/such/folder.tif: 保存出来ませんでした。"* ]] ||
    fail "save error line: $err"

# --info that cannot be written is an error.
timeout 60 "$conv" "$tmp/tatemono1.tif" --info >/dev/full 2>"$tmp/err"
rc=$?
[[ $rc -eq 2 ]] || fail "--info to /dev/full: exit $rc"
grep -q '^vellumo-convert: 標準出力に書き込めません。' "$tmp/err" || fail "--info to /dev/full: $(cat "$tmp/err")"

# --version, and --help naming every mode, operation and option and the exit statuses.
run --version
[[ $rc -eq 0 && $out =~ ^vellumo-convert\ [0-9] ]] || fail "--version: $rc $out"
run --help
[[ $rc -eq 0 ]] || fail "--help: exit $rc"
for option in --info --no-mono-display --rotate-left --rotate-right --threshold --gray --dither \
    --despeckle --crop --ink --compression --dpi --jpeg-quality --jpeg-gray --version \
    "Exit status" "  0  " "  2  "; do
    grep -qF -- "$option" <<<"$out" || fail "--help does not mention $option"
done
run "$tmp/colour.png" "$tmp/out.tif" --no-such-option
[[ $rc -eq 2 && $err == "vellumo-convert: "*"--no-such-option"* ]] || fail "unknown option: $rc $err"

# Every output type, read back by ImageMagick.
for ext in tif jpg bmp png; do
    run "$tmp/colour.png" "$tmp/out.$ext"
    [[ $rc -eq 0 ]] || fail "writing .$ext: $err"
    identify "$tmp/out.$ext" >/dev/null 2>&1 || fail "identify cannot read out.$ext"
done
run "$tmp/colour.png" "$tmp/lzw.tif" --compression lzw --dpi 300
tiffinfo "$tmp/lzw.tif" 2>&1 | grep -q "LZW" || fail "--compression lzw"
tiffinfo "$tmp/lzw.tif" 2>&1 | grep -q "300, 300 pixels/inch" || fail "--dpi 300"
run "$tmp/colour.png" "$tmp/gray.jpg" --jpeg-gray --jpeg-quality 90
[[ $(identify -format '%[channels]' "$tmp/gray.jpg") == gray* ]] || fail "--jpeg-gray: $(identify "$tmp/gray.jpg")"

# Operations apply in order: a left and a right turn give the picture back; a crop after a
# turn takes the turned picture's pixels.
run "$tmp/colour.png" "$tmp/back.png" --rotate-left --rotate-right
[[ $(compare -metric AE "$tmp/colour.png" "$tmp/back.png" null: 2>&1) == 0 ]] || fail "turns do not cancel"
run "$tmp/colour.png" "$tmp/turned.png" --rotate-right --crop 0,0,48,10
[[ $(identify -format '%wx%h' "$tmp/turned.png") == 48x10 ]] || fail "crop after turn: $(identify "$tmp/turned.png")"
run "$tmp/colour.png" "$tmp/wide.png" --crop -8,-8,80,64
[[ $(identify -format '%wx%h' "$tmp/wide.png") == 80x64 ]] || fail "crop beyond the edges"
[[ $(convert "$tmp/wide.png" -format '%[pixel:p{0,0}]' info:) == *255,255,255* ]] ||
    fail "crop beyond the edges is not white: $(convert "$tmp/wide.png" -format '%[pixel:p{0,0}]' info:)"
run "$tmp/colour.png" "$tmp/mono.bmp" --dither --ink 0000FF
[[ $(identify -format '%[colors]' "$tmp/mono.bmp") -le 2 ]] || fail "dither then ink: $(identify "$tmp/mono.bmp")"

if [[ $failures -eq 0 ]]; then echo "convert_cli_test: all passed"; exit 0; fi
echo "convert_cli_test: $failures failed"
exit 1
