# Sourced by the test script: a print server of this run's own (Debian's cupsd with a private
# configuration and a private socket, so it meets no other server on the machine) with one PDF queue.
# Needs root: cupsd and the cups-pdf backend run as root.

# start_cups DIR: starts cupsd with its files under DIR, adds the queue "TavrixPDF" as the default and
# exports CUPS_SERVER for the programs that print; sets CUPSD_PID.
start_cups() {
  local dir=$1 ppd
  rm -rf "$dir"
  mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,run,log}
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
  ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -1)
  lpadmin -p TavrixPDF -E -v cups-pdf:/ -P "$ppd" && lpadmin -d TavrixPDF
}

stop_cups() {
  [ -n "${CUPSD_PID:-}" ] && kill "$CUPSD_PID" 2>/dev/null && wait "$CUPSD_PID" 2>/dev/null
  CUPSD_PID=
}
