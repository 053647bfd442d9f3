#!/usr/bin/env bash
# Serves appliance_cgi with lighttpd and drives headless Chromium through it
# (drive_browser.py), both inside a private network and mount namespace:
# French labels, a share added through the form and the library's redirect
# page, the list showing it exactly, then English.
#
#   examples/cgi/run_browser.sh BUILD_DIR OUT_DIR [--screenshot]
#
# Needs root (namespaces; lighttpd drops to nobody for the CGI). OUT_DIR gets
# the sandbox (document root, NEXALIB_ROOT with the page and the catalogs,
# the configuration the CGI writes), the logs and, with --screenshot,
# appliance-page.png. Exits nonzero with a message on any mismatch.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
readonly here
readonly http_port=8080 devtools_port=9222

usage() {
  echo "usage: $0 BUILD_DIR OUT_DIR [--screenshot]" >&2
  exit 2
}

if [ $# -lt 2 ] || [ $# -gt 3 ]; then usage; fi
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
shot=""
if [ $# = 3 ]; then
  [ "$3" = --screenshot ] || usage
  shot=$out/appliance-page.png
fi
readonly build out shot
readonly sb=$out/sandbox
cgi=$build/examples/appliance_cgi
catalogs=$build/examples/cgi-locale

die() {
  echo "run_browser: $*" >&2
  exit 1
}

# as_nobody CMD...: what the CGI can do, checked before anything starts.
as_nobody() {
  setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
}

make_sandbox() {
  rm -rf "$sb"
  mkdir -p "$sb/www" "$sb/root/usr/webroot" "$sb/root/usr/share/locale" "$sb/state" \
    "$sb/logs" "$sb/browser/home"
  cp "$cgi" "$sb/www/appliance.cgi"
  cp "$here/shares.html" "$sb/root/usr/webroot/shares.html"
  cp -r "$catalogs/." "$sb/root/usr/share/locale/"
  # The stand-in rewrites its file through a temporary one beside it;
  # lighttpd opens its logs once it runs as nobody.
  cp "$here/../appliance.conf" "$sb/state/appliance.conf"
  chown -R nobody:nogroup "$sb/state" "$sb/logs"
  chmod -R a+rX "$sb/www" "$sb/root"
  as_nobody test -x "$sb/www/appliance.cgi" -a -w "$sb/state" -a -r "$sb/root/usr/webroot/shares.html" ||
    die "nobody cannot reach $sb (a parent directory closed to others?)"
}

write_lighttpd_conf() {
  cat > "$sb/lighttpd.conf" << EOF
server.modules = ("mod_setenv", "mod_cgi", "mod_accesslog")
server.document-root = "$sb/www"
server.bind = "$BOX_APPLIANCE_ADDR"
server.port = $http_port
server.username = "nobody"
server.groupname = "nogroup"
server.pid-file = "$sb/lighttpd.pid"
server.errorlog = "$sb/logs/error.log"
accesslog.filename = "$sb/logs/access.log"
index-file.names = ("appliance.cgi")
mimetype.assign = (".html" => "text/html")
cgi.assign = (".cgi" => "")
# The sanitizers of a test build report into the state directory; GLib's
# slice allocator would hide leaks from them.
setenv.add-environment = (
  "NEXALIB_ROOT" => "$sb/root",
  "ODB_STANDIN_FILE" => "$sb/state/appliance.conf",
  "ASAN_OPTIONS" => "log_path=$sb/state/asan",
  "UBSAN_OPTIONS" => "print_stacktrace=1:log_path=$sb/state/ubsan",
  "G_SLICE" => "always-malloc"
)
EOF
  lighttpd -t -f "$sb/lighttpd.conf" > "$sb/logs/check.log" 2>&1 ||
    { cat "$sb/logs/check.log" >&2; die "lighttpd rejects its configuration"; }
}

start_lighttpd() {
  box_spawn web lighttpd -D -f "$sb/lighttpd.conf" > "$sb/logs/lighttpd.out" 2>&1
  box_wait_port "$BOX_APPLIANCE_NS" "$http_port" 5 ||
    { cat "$sb/logs/lighttpd.out" "$sb/logs/error.log" >&2 2> /dev/null; die "lighttpd did not start"; }
}

start_chromium() {
  box_spawn web env HOME="$sb/browser/home" TMPDIR=/dev/shm/tmp \
    chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --disable-dev-shm-usage --window-size=900,700 \
    --user-data-dir="$sb/browser/profile" --remote-debugging-port="$devtools_port" \
    about:blank > "$sb/logs/chromium.log" 2>&1
}

drive() {
  local -a args=(--port "$devtools_port" --url "http://$BOX_APPLIANCE_ADDR:$http_port/appliance.cgi")
  if [ -n "$shot" ]; then args+=(--screenshot "$shot"); fi
  box_in web "$NEXA_PYTHON" "$here/drive_browser.py" "${args[@]}"
}

# What the server saw, when something went wrong.
show_logs() {
  local log
  for log in "$sb/logs/error.log" "$sb/logs/access.log" "$sb/logs/chromium.log" "$sb/state"/*san*; do
    if [ -s "$log" ]; then
      echo "---- $log" >&2
      tail -n 20 "$log" >&2
    fi
  done
}

main() {
  [ "$(id -u)" = 0 ] || die "needs root (private namespaces)"
  [ -x "$cgi" ] || die "$cgi is missing: build the appliance_cgi target"
  [ -f "$catalogs/fr/LC_MESSAGES/message.mo" ] || die "the compiled French catalog is missing under $catalogs"
  local started=$SECONDS
  make_sandbox
  # Everything started lives at most this long, even if this script is killed.
  export BOX_LIFETIME=90
  # shellcheck source=examples/services/lib.sh
  . "$here/../services/lib.sh"
  trap box_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  box_lan_create
  box_holder_start web "$BOX_APPLIANCE_NS"
  # Chromium's shared memory and temporary files stay in this mount
  # namespace. Its socket goes under TMPDIR, and a socket's path must be
  # short (108 bytes): a build folder deep in the tree is too long.
  box_in web mount -t tmpfs -o mode=1777 tmpfs /dev/shm
  box_in web mkdir -m 1777 /dev/shm/tmp
  write_lighttpd_conf
  start_lighttpd
  start_chromium
  if ! drive; then
    show_logs
    die "the browser check failed"
  fi
  # A sanitized build of the CGI program reports there (the release build
  # ignores these variables).
  if ls "$sb/state"/*san* > /dev/null 2>&1; then
    show_logs
    die "the sanitizers reported errors in the CGI program"
  fi
  echo "run_browser: passed in $((SECONDS - started)) s"
}

main
