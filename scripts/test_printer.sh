# Sourced by test.sh: a CUPS server on loopback in a temporary folder with one
# cups-pdf queue as its default printer. Exports CUPS_SERVER (libcups and Qt
# print there) and TCM_TEST_PDF_DIR (where the queue's PDF files land).
# shellcheck shell=bash

# The cups-pdf backend must run as root (it hands each file to the job's user),
# so the server runs as root; its filters run as the user lp.
tcm_start_test_printer() {
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if sudo -n true 2>/dev/null; then sudo="sudo"; else
      echo "测试打印机未启动：需要 root 或免密码 sudo" >&2
      return 0
    fi
  fi
  TCM_CUPS_SUDO=$sudo
  TCM_CUPS_DIR=$(mktemp -d /tmp/tcm-cups.XXXXXX)
  local port
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null || echo 56631)
  TCM_CUPS_QUEUE="tcmpdf$$"
  local d=$TCM_CUPS_DIR
  mkdir -p "$d/etc/ppd" "$d/spool/tmp" "$d/cache" "$d/state" "$d/log" "$d/pdf" "$d/cups-pdf-spool"
  cat >"$d/etc/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
ServerName 127.0.0.1
Browsing No
DefaultAuthType None
LogLevel warn
MaxLogSize 0
WebInterface No
<Location />
  Order allow,deny
  Allow from 127.0.0.1
</Location>
<Location /admin>
  Order allow,deny
  Allow from 127.0.0.1
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$d/etc/cups-files.conf" <<CONF
ServerRoot $d/etc
RequestRoot $d/spool
TempDir $d/spool/tmp
CacheDir $d/cache
StateDir $d/state
ErrorLog $d/log/error_log
AccessLog $d/log/access_log
PageLog $d/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
User lp
Group lp
FileDevice No
Sandboxing Relaxed
CONF
  # cups-pdf reads the settings of queue device cups-pdf:/NAME from
  # /etc/cups/cups-pdf-NAME.conf; that file is removed again at the end.
  TCM_CUPS_PDF_CONF="/etc/cups/cups-pdf-$TCM_CUPS_QUEUE.conf"
  $sudo tee "$TCM_CUPS_PDF_CONF" >/dev/null <<CONF
Out $d/pdf
AnonDirName $d/pdf
Spool $d/cups-pdf-spool
Log $d/log
Grp root
UserUMask 0022
GSTmp $d/cups-pdf-spool
LogType 1
CONF
  chmod 755 "$d" "$d/spool" "$d/pdf"
  chmod 1777 "$d/spool/tmp"
  $sudo /usr/sbin/cupsd -f -c "$d/etc/cupsd.conf" -s "$d/etc/cups-files.conf" &
  TCM_CUPS_PID=$!
  export CUPS_SERVER="127.0.0.1:$port"
  for _ in $(seq 1 100); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.1
  done
  # The cairo renderer keeps the text of the page as text on its way through
  # PostScript, so the test can read the shop name back from the PDF.
  local out
  if ! out=$(lpadmin -p "$TCM_CUPS_QUEUE" -E -v "cups-pdf:/$TCM_CUPS_QUEUE" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
    -o pdftops-renderer-default=pdftocairo 2>&1 && lpadmin -d "$TCM_CUPS_QUEUE" 2>&1); then
    echo "测试打印机未启动：$out" >&2
    cat "$d/log/error_log" >&2 2>/dev/null || true
    tcm_stop_test_printer
    unset CUPS_SERVER
    return 0
  fi
  export TCM_TEST_PDF_DIR="$d/pdf"
  export TCM_TEST_PRINTER="$TCM_CUPS_QUEUE"
}

tcm_stop_test_printer() {
  [ -n "${TCM_CUPS_DIR:-}" ] || return 0
  if [ -n "${TCM_CUPS_PID:-}" ]; then
    ${TCM_CUPS_SUDO:-} kill "$TCM_CUPS_PID" 2>/dev/null || true
    wait "$TCM_CUPS_PID" 2>/dev/null || true
  fi
  ${TCM_CUPS_SUDO:-} rm -f "${TCM_CUPS_PDF_CONF:-/nonexistent}"
  ${TCM_CUPS_SUDO:-} rm -rf "$TCM_CUPS_DIR"
  TCM_CUPS_DIR=""
}
