#!/usr/bin/env bash
# The program as installed: the files of `cmake --install` below a prefix, their
# validators, the man pages and each program's --version; and the Debian package built by
# CPack, its control fields and contents (and lintian's verdict, where lintian is there).
#
#   install-test.sh tree BUILD_DIR VERSION
#   install-test.sh package BUILD_DIR VERSION
set -euo pipefail
what=${1:?tree or package}
build=$(cd "${2:?build folder}" && pwd)
version=${3:?version}
id=jp.pelmora.vellumo
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# What every install holds, below the prefix.
expected_files() {
    cat <<LIST
bin/vellumo
bin/vellumo-check
bin/vellumo-convert
share/applications/$id.desktop
share/doc/vellumo/changelog.gz
share/doc/vellumo/copyright
share/icons/hicolor/128x128/apps/$id.png
share/icons/hicolor/256x256/apps/$id.png
share/icons/hicolor/48x48/apps/$id.png
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/vellumo-check.1.gz
share/man/man1/vellumo-convert.1.gz
share/man/man1/vellumo.1.gz
share/metainfo/$id.metainfo.xml
LIST
}

compare_files() {  # listed files (relative to the prefix), on standard input
    local got
    got=$(sort)
    if [ "$got" != "$(expected_files | sort)" ]; then
        fail "installed files differ from the expected ones:"
        diff <(expected_files | sort) <(printf '%s\n' "$got") || true
    fi
}

need() { command -v "$1" > /dev/null || { echo "$1 is missing (Debian package $2)"; exit 1; }; }

if [ "$what" = tree ]; then
    need desktop-file-validate desktop-file-utils
    need appstreamcli appstream
    prefix=/opt/vellumo-test
    DESTDIR=$work cmake --install "$build" --prefix "$prefix" > /dev/null
    root=$work$prefix
    (cd "$root" && find . -type f | sed 's|^\./||') | compare_files

    out=$(desktop-file-validate "$root/share/applications/$id.desktop" 2>&1) \
        || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate says: $out"
    out=$(appstreamcli validate --no-net --pedantic "$root/share/metainfo/$id.metainfo.xml" 2>&1) \
        || fail "appstreamcli validate: $out"
    grep -q "<release version=\"$version\"" "$root/share/metainfo/$id.metainfo.xml" \
        || fail "the metainfo names no release $version"

    for page in vellumo vellumo-check vellumo-convert; do
        text=$(zcat "$root/share/man/man1/$page.1.gz")
        for section in NAME SYNOPSIS OPTIONS "EXIT STATUS" FILES EXAMPLES; do
            grep -q "^\.SH $section\$" <<< "$text" || fail "$page.1 has no $section section"
        done
        grep -q "^\.TH .*\"Vellumo $version\"" <<< "$text" || fail "$page.1 does not name $version"
        # Each installed program names itself and the one version, also without a display.
        got=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/bin/$page" --version 2>&1) \
            || fail "$page --version failed: $got"
        [ "$got" = "$page $version" ] || fail "$page --version says \"$got\""
    done
else
    need dpkg-deb dpkg
    need dpkg-shlibdeps dpkg-dev
    need file file
    (cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) \
        || { cat "$work/cpack.log"; fail "cpack failed"; exit 1; }
    deb=$work/vellumo_${version}_$(dpkg --print-architecture).deb
    [ -f "$deb" ] || { ls "$work"; fail "no $(basename "$deb")"; exit 1; }
    field() { dpkg-deb --field "$deb" "$1"; }
    [ "$(field Package)" = vellumo ] || fail "Package: $(field Package)"
    [ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
    depends=$(field Depends)
    echo "Depends: $depends"
    for lib in fonts-ipafont-gothic qt6-translations-l10n libc6 libqt6widgets6 libqt6network6 \
            libqt6printsupport6 libtiff6 libpng16-16 libjpeg62-turbo libgif7 libpcre2-16-0 \
            libdeflate0; do
        grep -qE "(^|, )$lib( |,|$)" <<< "$depends" || fail "Depends lacks $lib"
    done
    [ "$(field Recommends)" = "ghostscript, cups-client" ] || fail "Recommends: $(field Recommends)"
    dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./usr/||' | compare_files
    if command -v lintian > /dev/null; then
        tags=$(lintian --fail-on none "$deb" 2>/dev/null | grep -E '^[EW]:' || true)
        [ -z "$tags" ] || fail "lintian: $tags"
    else
        echo "lintian is not installed: its checks are left out"
    fi
fi
[ $failures -eq 0 ] || exit 1
echo "$what: all checks passed"
