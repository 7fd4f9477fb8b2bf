#!/usr/bin/env bash
# A private CUPS server for the printing tests, with one PDF queue (the cups-pdf driver).
#
#   cups-test-server.sh start DIR   starts it; its socket is DIR/sock, the PDFs land in DIR/out
#   cups-test-server.sh stop DIR    stops it and removes what start put outside DIR
#
# The server has its own configuration, spool and socket in DIR: the machine's own printers
# and its CUPS (if any) are not touched. The queue models a real printer: 4.2 mm margins
# on every side, JIS B4 at its true size, and a queue default that fits every job into the
# printable area (so a job that does not ask for true scale comes out scaled).
# When the server cannot run here (no CUPS, not root), start says why in DIR/unavailable
# and succeeds: the printing tests then skip with that reason.
# What the filters read (the spooled jobs, the PPD, their temporary files) lives in a folder
# of its own under /tmp: the filters run as user lp, who may not reach DIR (a checkout
# under /root, whose mode is 0700).
set -uo pipefail
action=${1:?start or stop}
dir=${2:?a folder}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
queue=VellumoPdf
# cups-pdf reads a configuration of its own per instance, from its fixed folder only.
instance=vellumo$(printf '%s' "$dir" | md5sum | cut -c1-8)
instance_conf=/etc/cups/cups-pdf-$instance.conf

unavailable() {
    echo "$*" > "$dir/unavailable"
    echo "private CUPS server unavailable: $*"
    exit 0
}

stop() {
    if [ -f "$dir/cupsd.pid" ]; then
        kill "$(cat "$dir/cupsd.pid")" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break; sleep 0.1; done
        rm -f "$dir/cupsd.pid"
    fi
    rm -f "$instance_conf"
    if [ -f "$dir/workdir" ]; then
        work=$(cat "$dir/workdir")
        case $work in /tmp/vellumo-cups.*) rm -rf "$work" ;; esac
        rm -f "$dir/workdir"
    fi
}

if [ "$action" = stop ]; then
    stop
    exit 0
fi

stop
rm -rf "$dir/unavailable" "$dir/root" "$dir/spool" "$dir/cache" "$dir/state" "$dir/tmp" "$dir/out"
command -v cupsd > /dev/null || unavailable "cupsd is not installed (Debian package cups)"
command -v lpadmin > /dev/null || unavailable "lpadmin is not installed (Debian package cups-client)"
[ -x /usr/lib/cups/backend/cups-pdf ] || unavailable "the cups-pdf driver is not installed (Debian package printer-driver-cups-pdf)"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] || unavailable "the cups-pdf driver's PPD is missing: $ppd"
[ "$(id -u)" -eq 0 ] || unavailable "the cups-pdf driver runs only under a server started as root"
socket=$dir/sock
[ ${#socket} -lt 100 ] || unavailable "the socket path is too long for a local socket: $socket"

work=$(mktemp -d /tmp/vellumo-cups.XXXXXX) || unavailable "no folder for the server under /tmp"
echo "$work" > "$dir/workdir"
chmod 0755 "$work"
mkdir -p "$work/root/ppd" "$work/spool" "$work/cache" "$work/state" "$work/tmp" "$work/out" "$dir/log"
chmod 1777 "$work/tmp"
chmod 0777 "$work/out"
ln -s "$work/out" "$dir/out"
cat > "$work/root/cupsd.conf" <<EOF
Listen $socket
LogLevel warn
WebInterface No
Browsing Off
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
EOF
cat > "$work/root/cups-files.conf" <<EOF
ServerRoot $work/root
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
TempDir $work/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
EOF
printf 'Out %s\nAnonDirName %s\nLog %s\nGrp root\n' "$work/out" "$work/out" "$dir/log" > "$instance_conf"

# The driver's PPD with the margins of a real printer; its B4 (JIS) is 727 × 1029 pt,
# a millimetre short of the paper (729 × 1032 pt), which would centre a true B4 sheet.
sed -e 's/^\*HWMargins: 0 0 0 0/*HWMargins: 12 12 12 12/' \
    -e 's/\[727 1029\]/[729 1032]/' \
    -e 's/^\(\*PaperDimension JISB4\/B4 (JIS):\) "727 1029"/\1 "729 1032"/' \
    -e 's/^\(\*ImageableArea A3\/A3:\) "0 0 842 1191"/\1 "12 12 830 1179"/' \
    -e 's/^\(\*ImageableArea A4\/A4:\) "0 0 595 842"/\1 "12 12 583 830"/' \
    -e 's/^\(\*ImageableArea JISB4\/B4 (JIS):\) "0 0 727 1029"/\1 "12 12 717 1020"/' \
    "$ppd" > "$work/printer.ppd"

cupsd -f -c "$work/root/cupsd.conf" -s "$work/root/cups-files.conf" > "$dir/log/cupsd.out" 2>&1 &
echo $! > "$dir/cupsd.pid"
for _ in $(seq 100); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || { stop; unavailable "cupsd did not start: $(tail -3 "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null)"; }
export CUPS_SERVER=$socket
if ! lpadmin -p "$queue" -E -v "cups-pdf:/$instance" -P "$work/printer.ppd" \
        -o print-scaling-default=fit > "$dir/log/lpadmin.out" 2>&1; then
    stop
    unavailable "the PDF queue could not be added: $(cat "$dir/log/lpadmin.out")"
fi
echo "private CUPS server on $socket, queue $queue writing to $dir/out ($work/out)"
