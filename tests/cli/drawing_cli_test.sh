#!/usr/bin/env bash
# vellumo-convert --drawing as a command: scans, photos and PDF pages become B4 drawings
# at 400 dpi that the checker confirms; content larger than B4 is refused or shrunk; a
# folder is converted file by file; Ctrl-C stops a PDF conversion with its converter.
#
# Usage: VELLUMO_CONVERT=... VELLUMO_CHECK=... bash tests/cli/drawing_cli_test.sh
# Exit 0 when every case passes, 1 when some fail, 77 when a needed tool is missing.
set -uo pipefail
export TZ=Asia/Tokyo LC_ALL=C.UTF-8

conv=${VELLUMO_CONVERT:?VELLUMO_CONVERT names vellumo-convert}
check=${VELLUMO_CHECK:?VELLUMO_CHECK names vellumo-check}
for tool in convert identify; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

run() {  # ARGS...: the converter with a time limit; sets $rc, $out and $err
    timeout 120 "$conv" "$@" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    out=$(cat "$tmp/out")
    err=$(cat "$tmp/err")
}
expect() {  # RC DESCRIPTION: the last run's exit status
    [[ $rc -eq $1 ]] || fail "$2: exit $rc, expected $1: $err"
}
size_of() { identify -format '%wx%h' "$1" 2>/dev/null; }
# The extent of the black in a one-bit file, "WxH+X+Y" in pixels.
ink_box() { convert "$1" -negate -trim -format '%wx%h%X%Y' info: 2>/dev/null; }

# scan NAME W-MM H-MM DPI [FRAME-W-MM FRAME-H-MM]: a colour scan on light paper with a
# frame (of B4 by default) in its middle, a line, some text and a hatched area (so that the
# drawing weighs what a real one does).
scan() {
    px() { awk -v m="$1" -v d="$dpi" 'BEGIN { printf "%d", m * d / 25.4 + 0.5 }'; }
    local dpi=$4
    local w=$(px "$2") h=$(px "$3") fw=$(px "${5:-360}") fh=$(px "${6:-253}")
    local x=$(((w - fw) / 2)) y=$(((h - fh) / 2)) mm=$(px 1)
    convert -size "${w}x${h}" xc:'rgb(236,232,222)' -fill none -stroke 'rgb(30,30,40)' \
        -strokewidth $((mm / 2 + 1)) -draw "rectangle $x,$y $((x + fw)),$((y + fh))" \
        -draw "line $x,$((y + fh / 3)) $((x + fw)),$((y + fh / 3))" -stroke none \
        -fill 'rgb(30,30,40)' -pointsize $((mm * 5)) -draw "text $((x + fw / 3)),$((y + fh / 2)) 'PLAN 1:100'" \
        -tile pattern:hs_diagcross -draw "rectangle $((x + 10 * mm)),$((y + 10 * mm)) $((x + 50 * mm)),$((y + 30 * mm))" \
        -type TrueColor -depth 8 -units PixelsPerInch -density "$dpi" "$tmp/$1" 2>/dev/null ||
        { echo "SKIP: ImageMagick cannot draw"; exit 77; }
}

# A B4 scan at 300 dpi passes, and its block is the checker's block of the file written.
scan b4-300.png 364 257 300
run "$tmp/b4-300.png" "$tmp/tatemono1.tif" --drawing
expect 0 "B4 scan at 300 dpi"
[[ $(size_of "$tmp/tatemono1.tif") == 5732x4047 ]] || fail "B4 page: $(size_of "$tmp/tatemono1.tif")"
[[ $out == "$("$check" "$tmp/tatemono1.tif")" ]] || fail "the block is not the checker's: $out"
box=$(ink_box "$tmp/tatemono1.tif")
[[ $box =~ ^56[6-8][0-9]x39[89][0-9] ]] || fail "the 360 x 253 mm frame measures $box"

# A portrait photo at 200 dpi (JPEG) is turned to landscape and said so.
scan portrait.png 257 364 200 253 360
convert "$tmp/portrait.png" -units PixelsPerInch -density 200 -quality 92 "$tmp/portrait.jpg"
run "$tmp/portrait.jpg" "$tmp/sokuryouzu2.tif" --drawing --despeckle --threshold 100
expect 0 "portrait JPEG"
grep -qF "左に 90° 回転しました" <<<"$err" || fail "no word of the turn: $err"
[[ $(size_of "$tmp/sokuryouzu2.tif") == 5732x4047 ]] || fail "portrait page: $(size_of "$tmp/sokuryouzu2.tif")"

# A name against the rule, and a drawing over 300 KB, are written with their faults: 1.
run "$tmp/b4-300.png" "$tmp/plan.tif" --drawing
expect 1 "a wrong name"
[[ -s $tmp/plan.tif ]] || fail "the drawing with a wrong name was not written"
grep -qF "【図面種別名・数字部の誤り】" <<<"$out" || fail "no name fault: $out"
convert -size 1433x1012 xc: +noise Random -colorspace Gray -units PixelsPerInch -density 100 \
    "$tmp/noise.png"
run "$tmp/noise.png" "$tmp/tatemono5.tif" --drawing
expect 1 "a heavy drawing"
grep -qF "【300KBを越えています。】" <<<"$out" || fail "no size fault: $out"

# Content larger than B4 is refused with its size, and nothing is written; shrunk to fit
# it passes and the factor is told.
scan a3.png 420 297 200 400 280
printf 'keep me' >"$tmp/tiekiken1.tif"
run "$tmp/a3.png" "$tmp/tiekiken1.tif" --drawing
expect 2 "content larger than B4"
grep -qF "図面の内容が B4 に収まりません（内容：" <<<"$err" || fail "refusal text: $err"
grep -qF -- "--shrink-to-fit" <<<"$err" || fail "no hint of --shrink-to-fit: $err"
[[ $(cat "$tmp/tiekiken1.tif") == "keep me" ]] || fail "a refused drawing changed the file"
run "$tmp/a3.png" "$tmp/tiekiken1.tif" --drawing --shrink-to-fit
expect 0 "shrink to fit"
grep -qE "B4 に収めるため 9[0-9]\.[0-9]% に縮小しました" <<<"$err" || fail "shrink text: $err"
# B4 content on an A3 sheet fits as it is.
scan a3b4.png 420 297 200
run "$tmp/a3b4.png" "$tmp/tiekiken2.tif" --drawing
expect 0 "B4 content on A3"

# What cannot be read or asked is refused: 2, nothing written.
printf 'not a picture' >"$tmp/junk.png"
run "$tmp/junk.png" "$tmp/tatemono7.tif" --drawing
expect 2 "a picture that cannot be read"
[[ ! -e $tmp/tatemono7.tif ]] || fail "an unreadable picture wrote a drawing"
run "$tmp/b4-300.png" "$tmp/tatemono7.png" --drawing
expect 2 "a drawing that is not .tif"
run "$tmp/b4-300.png" "$tmp/tatemono7.tif" --drawing --compression lzw
expect 2 "--drawing with another compression"
run "$tmp/b4-300.png" "$tmp/tatemono7.tif" --shrink-to-fit
expect 2 "--shrink-to-fit without --drawing"
[[ ! -e $tmp/tatemono7.tif ]] || fail "a refused request wrote a drawing"

# A folder: each picture and PDF by name order, each name's stem kept, a summary, the worst
# status; two pictures that would give one name, and other files, are left alone.
mkdir -p "$tmp/in"
cp "$tmp/b4-300.png" "$tmp/in/tatemono3.png"
cp "$tmp/portrait.jpg" "$tmp/in/sokuryouzu4.jpg"
cp "$tmp/portrait.jpg" "$tmp/in/sokuryouzu4.png"
cp "$tmp/a3.png" "$tmp/in/tiekiken9.png"
printf 'notes' >"$tmp/in/readme.txt"
run --drawing "$tmp/in" "$tmp/drawings"
expect 2 "a folder with one refusal"
[[ $(ls "$tmp/drawings" | tr '\n' ' ') == "sokuryouzu4.tif tatemono3.tif " ]] ||
    fail "folder output: $(ls "$tmp/drawings")"
grep -qF "図面化：4 ファイル（合格 2、不合格 0、変換できず 2）" <<<"$out" || fail "summary: $out"
[[ $(grep -c "ファイル名　：" <<<"$out") -eq 2 ]] || fail "two report blocks expected: $out"
grep -qF "同じ名前になるため変換しません" <<<"$err" || fail "name clash: $err"
rm "$tmp/in/sokuryouzu4.png"
run --drawing "$tmp/in" "$tmp/in" --shrink-to-fit
expect 0 "a folder into itself, shrunk to fit"
[[ -s $tmp/in/tiekiken9.tif ]] || fail "the shrunk drawing was not written"

# The conventions of the command line: a folder in the order a file manager shows it, names
# shown safely in the report and in one-line errors, a report that cannot be written, the
# help text, and two modes at once.
mkdir -p "$tmp/order"
convert -size 1433x1012 xc:white -fill black -draw "rectangle 100,100 1300,900" \
    -units PixelsPerInch -density 100 "$tmp/order/tatemono10.png"
cp "$tmp/order/tatemono10.png" "$tmp/order/tatemono2.png"
cp "$tmp/order/tatemono10.png" "$tmp/order/$(printf 'tatemono3\n 画像型式　　：FORGED').png"
printf 'junk' >"$tmp/order/$(printf 'bad\033[31m').png"
run --drawing "$tmp/order" "$tmp/ordered"
expect 2 "a folder with an unreadable picture"
[[ $(grep -o "ファイル名　：[^ ]*" <<<"$out" | tr '\n' ' ') == \
    "ファイル名　：tatemono2.tif ファイル名　：tatemono3\\x0a ファイル名　：tatemono10.tif " ]] ||
    fail "folder order or name display: $out"
[[ $(wc -l <<<"$err") -eq 1 && $err == "vellumo-convert: $tmp/order/bad\\x1b[31m.png: "* ]] ||
    fail "error line of an unreadable picture: $err"
rm -rf "$tmp/ordered"
timeout 120 "$conv" --drawing "$tmp/order" "$tmp/ordered" >/dev/full 2>"$tmp/err"
rc=$?
expect 2 "a report to a full disk"
grep -q '^vellumo-convert: 標準出力に書き込めません。' "$tmp/err" || fail "full disk: $(cat "$tmp/err")"
[[ $(ls "$tmp/ordered" | wc -l) -eq 1 ]] || fail "the run went on after the report failed"
run --help
for word in --drawing --shrink-to-fit "  1  with --drawing"; do
    grep -qF -- "$word" <<<"$out" || fail "--help does not mention $word"
done
run "$tmp/b4-300.png" "$tmp/tatemono7.tif" --drawing --info
expect 2 "--drawing with --info"

# PDF pages through Ghostscript: a B4 page, and an A3 page whose drawing fits on B4.
if command -v gs >/dev/null; then
    pdf() {  # NAME W-PT H-PT FRAME-W-PT FRAME-H-PT
        cat >"$tmp/page.ps" <<EOF
<< /PageSize [$2 $3] >> setpagedevice
2 setlinewidth
$(awk -v w="$2" -v h="$3" -v fw="$4" -v fh="$5" 'BEGIN { printf "%f %f %f %f rectstroke\n", (w - fw) / 2, (h - fh) / 2, fw, fh }')
/Helvetica findfont 40 scalefont setfont 300 400 moveto (PLAN 1:100) show
0.6 setlinewidth 200 2 500 { dup 250 moveto 80 add 350 lineto stroke } for
showpage
EOF
        gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -o "$tmp/$1" "$tmp/page.ps"
    }
    pdf b4.pdf 1031.81 728.50 1015 715
    run "$tmp/b4.pdf" "$tmp/tatemono11.tif" --drawing
    expect 0 "a B4 PDF page"
    box=$(ink_box "$tmp/tatemono11.tif")
    # 1015 x 715 points and the 2-point line: 5650 x 3983 pixels.
    [[ $box =~ ^56[45][0-9]x39[78][0-9] ]] || fail "the B4 PDF's frame measures $box"
    pdf a3.pdf 1190.55 841.89 1015 715
    run "$tmp/a3.pdf" "$tmp/tatemono12.tif" --drawing
    expect 0 "an A3 PDF page with B4 content"
    pdf a3full.pdf 1190.55 841.89 1150 800
    run "$tmp/a3full.pdf" "$tmp/tatemono13.tif" --drawing
    expect 2 "an A3 PDF page with A3 content"

    # Ctrl-C while the converter runs: it is stopped, with the command, at once.
    mkdir -p "$tmp/slowgs"
    printf '#!/bin/sh\nwhile :; do sleep 0.1; done\n' >"$tmp/slowgs/gs"
    chmod +x "$tmp/slowgs/gs"
    PATH="$tmp/slowgs:$PATH" "$conv" "$tmp/b4.pdf" "$tmp/tatemono14.tif" --drawing \
        >"$tmp/out" 2>"$tmp/err" &
    pid=$!
    sleep 1
    kill -INT "$pid"
    start=$(date +%s)
    wait "$pid"
    rc=$?
    err=$(cat "$tmp/err")
    expect 2 "Ctrl-C during the conversion"
    (($(date +%s) - start <= 2)) || fail "Ctrl-C took more than two seconds"
    grep -qF "PDF の変換を中断しました。" <<<"$err" || fail "cancel text: $err"
    pgrep -f "$tmp/slowgs" >/dev/null && fail "the converter outlived the cancel"
    [[ ! -e $tmp/tatemono14.tif ]] || fail "a cancelled conversion wrote a drawing"
else
    echo "note: Ghostscript (gs) is not installed: the PDF cases are skipped"
fi

if [[ $failures -eq 0 ]]; then echo "drawing_cli_test: all passed"; exit 0; fi
echo "drawing_cli_test: $failures failed"
exit 1
