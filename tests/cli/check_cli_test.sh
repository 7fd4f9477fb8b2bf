#!/usr/bin/env bash
# vellumo-check as a command: exit statuses, error output, folder order, -r, --status,
# --no-drawing-check, --show-path and the shape of the text and JSON output.
#
# Usage: bash tests/cli/check_cli_test.sh PATH-TO-vellumo-check
# Exit 0 when every case passes, 1 when some fail, 77 when a needed tool is missing.
set -uo pipefail
export TZ=Asia/Tokyo LC_ALL=C.UTF-8

vc=${1:?usage: check_cli_test.sh PATH-TO-vellumo-check}
vc=$(cd "$(dirname "$vc")" && pwd)/$(basename "$vc")
cd "$(dirname "$0")/../.." || exit 1
repo=$(pwd)
examples=$repo/examples
[[ -x $vc ]] || { echo "not executable: $vc" >&2; exit 1; }
for tool in python3 tiffcp convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[[ -f $examples/tatemono1.tif ]] || { echo "SKIP: examples/ has not been made"; exit 77; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# run ARGS...: runs the checker (with a time limit), sets $out, $err and $rc.
run() {
    timeout 60 "$vc" "$@" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    out=$(cat "$tmp/out")
    err=$(cat "$tmp/err")
}
expect_rc() {  # expect_rc WANT WHAT
    [[ $rc == "$1" ]] || fail "$2: exit status $rc, expected $1 (stderr: ${err:0:300})"
}
has_line() {  # has_line TEXT LINE WHAT
    grep -qxF -- "$2" <<<"$1" || fail "$3: no line '$2' in:"$'\n'"$1"
}
lacks() {  # lacks TEXT PIECE WHAT
    ! grep -qF -- "$2" <<<"$1" || fail "$3: unexpected '$2' in:"$'\n'"$1"
}
# json_paths: the "path" of each JSON line of $out, one a line.
json_paths() { python3 -c 'import sys, json
for l in sys.stdin:
    print(json.loads(l)["path"])' <"$tmp/out"; }

ok_tif=$examples/tatemono1.tif

# --- Exit statuses -------------------------------------------------------------------
run "$ok_tif" "$examples/sokuryouzu12.tif"
expect_rc 0 "two conforming drawings"
[[ -z $err ]] || fail "conforming drawings: stderr not empty: $err"

run "$ok_tif" "$examples/tatemono2.tif"
expect_rc 1 "a conforming and an LZW drawing"
has_line "$out" " 圧縮方式　　：LZW圧縮 【圧縮方式が違います。】" "LZW drawing"
[[ $(grep -c '^ ファイル名　：' <<<"$out") == 2 ]] || fail "two files should give two blocks: $out"

# A PNG signature followed by garbage: the header cannot be read.
printf '\x89PNG\r\n\x1a\nthis is not an IHDR chunk at all' >"$tmp/x.png"
run "$tmp/x.png"
expect_rc 2 "PNG without IHDR"
grep -qF "$tmp/x.png" <<<"$err" || fail "PNG without IHDR: the path is not in the error: $err"
if ! grep -qF "不正な PNG ファイルです" <<<"$err"; then
    fail "PNG without IHDR: no invalid-file message on stderr: $err"
fi
lacks "$out" "x.png" "PNG without IHDR (stdout)"
lacks "$err" $'\r' "error text line ends"

# 2 wins over 1, and the files after the bad one are still reported.
run "$examples/tatemono2.tif" "$tmp/x.png" "$ok_tif"
expect_rc 2 "failing, unreadable and conforming file"
grep -qF "tatemono1.tif" <<<"$out" || fail "the file after an unreadable one was not checked"

# A PNG of width 0 cannot be checked either; an empty file is just of no known type.
printf '\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\0\0\0\0\x10\x08\x00\0\0\0' >"$tmp/zero.png"
run "$tmp/zero.png"
expect_rc 2 "PNG of width 0"
grep -qF "画像サイズがゼロです" <<<"$err" || fail "PNG of width 0: no zero-size message: $err"
: >"$tmp/empty.tif"
run "$tmp/empty.tif"
expect_rc 1 "empty file"
has_line "$out" " 画像型式　　：不明・未対応型式" "empty file"
run "$tmp/no-such-file.tif"
expect_rc 2 "missing file"
grep -qF "no-such-file.tif" <<<"$err" || fail "missing file: the path is not named on stderr: $err"
run --no-such-option "$ok_tif"
[[ $rc != 0 && -n $err$out ]] || fail "unknown option: exit $rc and no message"
run
[[ $rc != 0 ]] || fail "no path at all: exit status 0"

# A file that is not an image at all gets the short report and does not stop the run.
printf 'plain text, no image here\n' >"$tmp/notes.txt"
run "$tmp/notes.txt"
has_line "$out" " 画像型式　　：不明・未対応型式" "text file"
[[ $rc == 1 ]] || fail "text file: exit status $rc, expected 1 (checked, does not pass)"
printf 'PK\x03\x04rest of a zip archive' >"$tmp/a.docx"
run "$tmp/a.docx"
has_line "$out" " 画像型式　　：Zip 型式圧縮ファイル（拡張子が違います。）" "ZIP named .docx"

# --- Text output ---------------------------------------------------------------------
run "$ok_tif"
lacks "$out" $'\r' "text output line ends"
[[ $(head -c 1 "$tmp/out" | od -An -c | tr -d ' ') == '\n' ]] || fail "the block does not begin with an empty line"
expected_block=" ファイル名　：tatemono1.tif         【確認】
 画像型式　　：Tif 　　　　　　　　　【確認】
 圧縮方式　　：CCITT G4              【確認】
 色数（bit） ：１（bit）モノクロ     【確認】
 Orientation ：１（左上から水平方向）【確認】
 解像度　　　：400 x 400 dpi         【確認】"
[[ $(sed -n 2,7p "$tmp/out") == "$expected_block" ]] ||
    fail "conforming drawing: block differs:"$'\n'"$(sed -n 2,7p "$tmp/out")"
has_line "$out" " ページ数　　：１ページ　　　　　　　【確認】" "conforming drawing"
has_line "$out" " 用紙サイズ　：B4 横（257mm×364mm） 【確認】" "conforming drawing"
lacks "$out" "詳細サイズ" "conforming drawing"
lacks "$out" "解像度単位" "conforming drawing"
lacks "$out" "ImageFileHeadr" "status line without --status"

# The date line: local time (TZ), and midnight written as the date alone.
cp "$ok_tif" "$tmp/tatemono7.tif"
touch -d '2021-02-26 09:05:04' "$tmp/tatemono7.tif"
run "$tmp/tatemono7.tif"
has_line "$out" " 日付時刻　　：2021/02/26 9:05:04" "date line"
touch -d '2021-02-27 00:00:00' "$tmp/tatemono7.tif"
run "$tmp/tatemono7.tif"
has_line "$out" " 日付時刻　　：2021/02/27" "date line at midnight"

# --- --status --------------------------------------------------------------------------
tiffcp -B "$ok_tif" "$tmp/tatemono8.tif"
run --status "$ok_tif" "$tmp/tatemono8.tif" "$examples/site-plan.png"
le=" □ImageFileHeadr ： \$49492A00 （Tiff - Little Endian）"
be=" □ImageFileHeadr ： \$4D4D002A （Tiff - Big Endian）"
# Each status line closes its block: little-endian after the first, big-endian after the second.
python3 - "$tmp/out" "$le" "$be" <<'PY' || fail "--status: status lines not after their blocks:"$'\n'"$out"
import sys
text = open(sys.argv[1], encoding="utf-8").read()
blocks = text.split("\n\n")
blocks = [b for b in blocks if b.strip()]
assert len(blocks) == 3, blocks
assert blocks[0].rstrip("\n").split("\n")[-1] == sys.argv[2]
assert blocks[1].rstrip("\n").split("\n")[-1] == sys.argv[3]
assert "ImageFileHeadr" not in blocks[2]  # a PNG has no status text
PY
expect_rc 1 "--status with a PNG among drawings"

# --- --no-drawing-check ------------------------------------------------------------------
touch -d '2021-02-26 09:05:04' "$tmp/tatemono7.tif"
run --no-drawing-check "$tmp/tatemono7.tif"
expected=" ファイル名　：tatemono7.tif
 画像型式　　：Tif 型式
 解像度　　　：400 x 400 dpi
 データサイズ：35.3 KB (36,176Byte)
 巾　(Width) ：5732 pixel
 高さ(Height)：4047 pixel
 日付時刻　　：2021/02/26 9:05:04"
if [[ $(stat -c %s "$tmp/tatemono7.tif") == 36176 ]]; then
    [[ $(sed 1d "$tmp/out") == "$expected" ]] || fail "--no-drawing-check TIFF block:"$'\n'"$out"
fi
lacks "$out" "【確認】" "--no-drawing-check"
[[ $rc != 2 ]] || fail "--no-drawing-check: exit 2 for a readable file"
cp "$examples/photo.jpg" "$tmp/a.jpg"
cp "$examples/photo.jpg" "$tmp/a.jpeg"
run --no-drawing-check "$tmp/a.jpg" "$tmp/a.jpeg"
has_line "$out" " ファイル名　：a.jpg" "--no-drawing-check a.jpg"
has_line "$out" " 画像型式　　：JPG 型式" "--no-drawing-check a.jpg"
has_line "$out" " 解像度　　　：72 x 72 dpi" "--no-drawing-check a.jpg (JFIF 72 dpi)"
has_line "$out" " ファイル名　：a.jpeg（拡張子不正）" "--no-drawing-check a.jpeg"
[[ $(grep -c '解像度' <<<"$out") == 1 ]] || fail "a.jpeg should get no resolution line: $out"
# With the drawing check on, a PNG named .tif is not a drawing and has no data-size line.
cp "$examples/site-plan.png" "$tmp/a.tif"
run "$tmp/a.tif"
has_line "$out" " ファイル名　：a.tif（拡張子不正）" "PNG named a.tif"
has_line "$out" " 画像型式　　：PNG 型式" "PNG named a.tif"
lacks "$out" "データサイズ" "PNG named a.tif"

# --- --show-path -------------------------------------------------------------------------
mkdir -p "$tmp/dir one"
cp "$ok_tif" "$tmp/dir one/tatemono1.tif"
run --show-path "$tmp/dir one/tatemono1.tif"
[[ $(sed -n 2p "$tmp/out") == " FilePath    ：$tmp/dir one/" ]] ||
    fail "--show-path line: '$(sed -n 2p "$tmp/out")'"
[[ $(sed -n 3p "$tmp/out") == " ファイル名　：tatemono1.tif         【確認】" ]] ||
    fail "--show-path: the name line does not follow the path line"
run "$tmp/dir one/tatemono1.tif"
lacks "$out" "FilePath" "without --show-path"

# --- Folders: name order, -r, links --------------------------------------------------------
d=$tmp/folder
mkdir -p "$d/b-sub" "$d/d-sub/deeper"
cp "$ok_tif" "$d/c.tif"
cp "$ok_tif" "$d/a.tif"
cp "$examples/site-plan.png" "$d/b.png"
cp "$ok_tif" "$d/b-sub/inner.tif"
cp "$ok_tif" "$d/d-sub/deeper/deep.tif"
ln -s .. "$d/d-sub/loop"  # a link back up must not trap -r
run --json "$d"
[[ $(json_paths | sed "s|^$d/||" | tr '\n' ' ') == "a.tif b.png c.tif " ]] ||
    fail "folder: files not in name order or subfolder entered: $(json_paths | tr '\n' ' ')"
run --json -r "$d"
expect_rc 1 "-r over the folder"
# The files in name order, subfolders at their place; the link back up is not walked
# (whether it is listed as an entry of its own is not checked here).
[[ $(json_paths | sed "s|^$d/||" | grep -v '^d-sub/loop$' | tr '\n' ' ') == "a.tif b-sub/inner.tif b.png c.tif d-sub/deeper/deep.tif " ]] ||
    fail "-r: wrong files or order: $(json_paths | sed "s|^$d/||" | tr '\n' ' ')"
run "$d/"
[[ $(grep -c '^ ファイル名　：' <<<"$out") == 3 ]] || fail "folder given with a trailing slash"

# --- JSON ----------------------------------------------------------------------------------
run --json "$ok_tif" "$examples/tatemono2.tif" "$tmp/x.png"
expect_rc 2 "--json with an unreadable file"
python3 - "$tmp/out" <<'PY' || fail "--json objects:"$'\n'"$out"
import json, sys
rows = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8")]
assert len(rows) == 3, len(rows)
keys = ["path", "typeCode", "typeName", "extensionMatches", "headerRead", "width", "height",
        "bitsPerSample", "samplesPerPixel", "compression", "orientation", "xResolution", "yResolution",
        "resolutionUnit", "pageCount", "compressionMissing", "orientationMissing",
        "xResolutionMissing", "yResolutionMissing", "resolutionUnitMissing", "lines", "status"]
for r in rows:
    assert list(r)[:len(keys)] == keys, list(r)
    assert list(r)[-1] == "pass"
ok, lzw, bad = rows
assert ok["pass"] is True and "error" not in ok
assert ok["typeName"] == "Tif" and ok["typeCode"] == 5 and ok["headerRead"] is True
assert ok["lines"][0] == "" and ok["lines"][1].startswith(" ファイル名　：tatemono1.tif")
assert ok["status"].startswith(" □ImageFileHeadr")
assert lzw["pass"] is False and "error" not in lzw and lzw["compression"] == 5
assert bad["pass"] is False and "不正な PNG ファイルです" in bad["error"]
PY

# --- The bit-depth line of an RGB drawing -------------------------------------------------
# About 70 KB of pixels: the three BitsPerSample values lie at an offset whose first half,
# in big-endian order, reads 1. The report must not confirm it as monochrome.
convert -size 160x150 gradient:red-blue -type truecolor -depth 8 -compress None "$tmp/rgb.tif"
tiffcp -c none -B "$tmp/rgb.tif" "$tmp/tatemono9.tif"
run "$tmp/tatemono9.tif"
has_line "$out" " 色数（bit） ： ** 【カラー又はグレースケール画像です。】" "RGB drawing"
lacks "$out" "モノクロ" "RGB drawing"
expect_rc 1 "RGB drawing"

# --- A report that cannot be written ------------------------------------------------------
timeout 60 "$vc" "$ok_tif" >/dev/full 2>"$tmp/err"
rc=$?
expect_rc 2 "report to /dev/full"
grep -q '^vellumo-check: 標準出力に書き込めません。' "$tmp/err" || fail "/dev/full: no message: $(cat "$tmp/err")"
timeout 60 "$vc" "$ok_tif" >&- 2>"$tmp/err"
rc=$?
expect_rc 2 "report to a closed standard output"
grep -q '^vellumo-check: 標準出力に書き込めません。' "$tmp/err" || fail "closed stdout: no message: $(cat "$tmp/err")"

# --- Nothing checked ----------------------------------------------------------------------
mkdir -p "$tmp/empty" "$tmp/nested/one/two" "$tmp/nested/three"
cp "$ok_tif" "$tmp/nested/one/two/tatemono1.tif"
run "$tmp/empty"
expect_rc 2 "empty folder"
grep -q "調べたファイルがありません" <<<"$err" || fail "empty folder: no message: $err"
run "$tmp/nested"
expect_rc 2 "folder with subfolders only"
grep -qF "vellumo-check: $tmp/nested: サブフォルダー 2 個は調べていません（中も調べるには -r）。" <<<"$err" ||
    fail "folder with subfolders only: $err"
run -r "$tmp/nested"
expect_rc 0 "folder with subfolders only, -r"
[[ -z $err ]] || fail "-r over nested folders: stderr: $err"

# --- Names: CP932, invalid bytes, control characters ------------------------------------------
names=$tmp/names
mkdir -p "$names"
cp "$ok_tif" "$names/$(printf '\x90\x7d\x96\xca1.tif')"          # 図面1.tif in CP932
cp "$ok_tif" "$names/$(printf 'tatemono4\xff.tif')"              # not CP932 either
cp "$ok_tif" "$names/$(printf 'tatemono3.tif\n 画像型式　　：FORGED')"
cp "$ok_tif" "$names/$(printf 'tatemono5\e[31m.tif')"
run "$names"
has_line "$out" " ファイル名　：図面1.tif 【図面種別名の誤り】" "CP932 name"
has_line "$out" ' ファイル名　：tatemono4\xff.tif     【不要文字混入】' "invalid name"
if grep -q '^ 画像型式　　：FORGED' <<<"$out"; then fail "a file name forged a report line"; fi
grep -qF ' ファイル名　：tatemono3.tif\x0a 画像型式　　：FORGED' <<<"$out" || fail "line feed in a name: $out"
grep -qF 'tatemono5\x1b[31m.tif' <<<"$out" || fail "escape in a name: $out"
if grep -q $'\e' "$tmp/out"; then fail "an escape character reached the output"; fi
run --json "$names"
python3 - "$tmp/out" "$names" <<'PY' || fail "--json names: $out"
import base64, json, os, sys
folder = os.fsencode(sys.argv[2])
rows = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8")]
assert len(rows) == 4, rows
shown = {r["path"].rsplit("/", 1)[1] for r in rows}
assert "図面1.tif" in shown and "tatemono4\\xff.tif" in shown, shown
for r in rows:
    # pathBytes finds the file again, whatever the name.
    raw = base64.b64decode(r["pathBytes"])
    assert os.path.exists(raw) and raw.startswith(folder), raw
PY

# --- --show-path with a relative path ------------------------------------------------------
(cd "$tmp/dir one" && timeout 60 "$vc" --show-path tatemono1.tif ../dir\ one/./tatemono1.tif) >"$tmp/out" 2>&1
[[ $(grep -c "^ FilePath    ：$tmp/dir one/\$" "$tmp/out") == 2 ]] ||
    fail "--show-path with relative paths: $(grep FilePath "$tmp/out")"

# --- Errors: one line each, the same for a path named and one found in a folder ------------------
errs=$tmp/errs
mkdir -p "$errs"
ln -s nowhere.tif "$errs/broken.tif"
ln -s loop-b "$errs/loop-a"
ln -s loop-a "$errs/loop-b"
cp "$tmp/x.png" "$errs/x.png"
run "$errs/broken.tif" "$errs/loop-a" "$errs/loop-b" "$errs/x.png"
named=$err
run "$errs"
found=$err
expect_rc 2 "broken link, link loop, invalid PNG"
[[ $named == "$found" ]] || fail "named and found paths give different errors:"$'\n'"$named"$'\n---\n'"$found"
while IFS= read -r line; do
    [[ $line == "vellumo-check: $errs/"*": $errs/"* ]] || fail "error line without program and path: $line"
done <<<"$found"
grep -qF "vellumo-check: $errs/x.png: $errs/x.png    不正な PNG ファイルです." <<<"$found" || fail "the error box's text: $found"
grep -qF "$errs/broken.tif ファイルまたはフォルダーがありません。" <<<"$found" || fail "broken link: $found"
grep -qF "$errs/loop-b シンボリックリンクが循環しています。" <<<"$found" || fail "link loop: $found"
[[ $(wc -l <<<"$found") == 4 ]] || fail "four errors should be four lines: $found"

# Every path gets a JSON object, also those that could not be checked.
run --json "$errs" "$tmp/no-such-folder" "$ok_tif"
python3 - "$tmp/out" <<'PY' || fail "--json for paths not checked: $out"
import json, sys
rows = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8")]
by = {r["path"].rsplit("/", 1)[1]: r for r in rows}
assert set(by) == {"broken.tif", "loop-a", "loop-b", "x.png", "no-such-folder", "tatemono1.tif"}, by
for name in ("broken.tif", "loop-a", "loop-b", "x.png", "no-such-folder"):
    assert by[name]["pass"] is False and by[name]["error"], by[name]
assert by["tatemono1.tif"]["pass"] is True
PY

# Permission errors, as a user the permissions hold for.
as_user=()
if [[ $(id -u) == 0 ]]; then
    command -v setpriv >/dev/null && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
if [[ $(id -u) != 0 || ${#as_user[@]} -gt 0 ]]; then
    perm=$(mktemp -d)
    chmod 755 "$perm"
    mkdir -p "$perm/closed" "$perm/unreadable"
    cp "$ok_tif" "$perm/closed/tatemono1.tif"
    cp "$ok_tif" "$perm/unreadable/tatemono1.tif"
    chmod 644 "$perm"/*/tatemono1.tif
    chmod 000 "$perm/unreadable"  # may not be searched: its file cannot even be looked at
    chmod 311 "$perm/closed"      # may be searched, not listed
    timeout 60 "${as_user[@]}" "$vc" --json "$perm/closed/tatemono1.tif" "$perm/unreadable/tatemono1.tif" \
        "$perm/unreadable" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    expect_rc 2 "permission errors"
    [[ $(grep -c "アクセスが拒否されました。" "$tmp/err") == 2 ]] || fail "permission errors: $(cat "$tmp/err")"
    grep -q "^vellumo-check: $perm/unreadable/tatemono1.tif: .*アクセスが拒否されました。" "$tmp/err" ||
        fail "a file in a folder that cannot be searched: $(cat "$tmp/err")"
    grep -q "ファイルがありません" "$tmp/err" && fail "a permission error reported as a missing file"
    [[ $(wc -l <"$tmp/out") == 3 ]] || fail "permission errors: not one JSON object a path: $(cat "$tmp/out")"
    chmod -R u+rwx "$perm"
    rm -rf "$perm"
fi

# --- --version and --help --------------------------------------------------------------------
run --version
expect_rc 0 "--version"
[[ $out =~ ^vellumo-check\ [0-9] ]] || fail "--version: $out"
run --help
expect_rc 0 "--help"
for option in --no-drawing-check --show-path --status --json -r --recursive --version "Exit status" \
    "  0  " "  1  " "  2  "; do
    grep -qF -- "$option" <<<"$out" || fail "--help does not mention $option"
done

# --- Folder order: digit runs by value, the same in every locale --------------------------------
order=$tmp/order
mkdir -p "$order"
for n in tatemono10 tatemono2 tatemono1 tatemono02 Tatemono3 zumen; do cp "$ok_tif" "$order/$n.tif"; done
for locale in C C.UTF-8 ja_JP.UTF-8; do
    LC_ALL=$locale timeout 60 "$vc" --json "$order" >"$tmp/out" 2>/dev/null
    got=$(json_paths | sed "s|^$order/||" | tr '\n' ' ')
    [[ $got == "Tatemono3.tif tatemono1.tif tatemono02.tif tatemono2.tif tatemono10.tif zumen.tif " ]] ||
        fail "folder order in $locale: $got"
done

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all checks passed"
