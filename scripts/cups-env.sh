# Sourced by the test script: a print server of this run's own (Debian's cupsd with a private
# configuration and a private socket, so it meets no other server on the machine) with one PDF queue.
# Needs root: cupsd and the cups-pdf backend run as root.

# cups-pdf names a PDF after the job's title as it finds it in the PostScript, with a job number or not as
# its settings, the queue's PPD and the user's lpoptions say (Debian's settings decode hex strings in the
# title, and a Wine job titled "Tavrix" has come out as "Tavrix_DF.pdf" after other jobs), and by default
# writes it into the user's ~/PDF, which every print on the machine shares. So the queue is one of this
# run's own, named for it, with a cups-pdf configuration of its own (for the device cups-pdf:/NAME, cups-pdf
# reads cups-pdf-NAME.conf) that writes into a folder of this run: whatever lands there is this run's
# printout, whatever its name.

# start_cups: starts cupsd with its files in a temporary folder of its own under /tmp (CUPS_DIR), adds a PDF
# queue of this run's own as the default and exports CUPS_SERVER for the programs that print, and
# TAVRIX_PDF_DIR, where its PDFs land; sets CUPSD_PID and CUPS_QUEUE. Not under the checkout: cupsd's
# filters run as lp, which must reach the spool through every folder above it, and a checkout may lie in a
# private one (/root, or any home Debian 12 makes: mode 700).
start_cups() {
  local dir ppd
  dir=$(mktemp -d /tmp/tavrix-cups.XXXXXX)
  CUPS_DIR=$dir
  mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,run,log,pdf}
  chmod -R 755 "$dir"
  chgrp -R lp "$dir/spool" "$dir/cache"
  chmod 0770 "$dir/spool" "$dir/spool/tmp"
  cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/run
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
User lp
Group lp
SystemGroup root
Sandboxing Relaxed
CONF
  cat >"$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel info
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
  CUPSD_PID=$!
  export CUPS_SERVER="$dir/cups.sock"
  for _ in $(seq 100); do
    [ -S "$CUPS_SERVER" ] && lpstat -r >/dev/null 2>&1 && break
    sleep 0.1
  done
  CUPS_QUEUE="TavrixPDF-$(printf '%s' "$dir" | md5sum | cut -c1-8)"
  export TAVRIX_PDF_DIR="$dir/pdf"
  cat >"/etc/cups/cups-pdf-$CUPS_QUEUE.conf" <<CONF
Out $TAVRIX_PDF_DIR
Label 0
TitlePref 0
CONF
  # The PPD without options, so the queue adds no naming of its own.
  ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
  lpadmin -p "$CUPS_QUEUE" -E -v "cups-pdf:/$CUPS_QUEUE" -P "$ppd" && lpadmin -d "$CUPS_QUEUE"
}

stop_cups() {
  [ -n "${CUPSD_PID:-}" ] && kill "$CUPSD_PID" 2>/dev/null && wait "$CUPSD_PID" 2>/dev/null
  [ -z "${CUPS_QUEUE:-}" ] || rm -f "/etc/cups/cups-pdf-$CUPS_QUEUE.conf"
  [ -z "${CUPS_DIR:-}" ] || rm -rf "$CUPS_DIR"
  CUPSD_PID= CUPS_DIR=
}
