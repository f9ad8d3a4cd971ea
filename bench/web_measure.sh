#!/bin/sh
# The web dashboard's resident memory: zorvik-headless following one lottery with simulated
# money against zorvik-sim, without --web, with it idle, and with it after a minute of 50 API
# requests a second. Prints the figures and the difference (goal: under 5 MB). Qt's HTTP server
# loads OpenSSL as it is made (its TLS settings); a program that reaches its service over https
# loads it anyway, so the same is measured again with an https service address.
#
#   bench/web_measure.sh [BUILD_DIR]
set -eu
build=${1:-build}
sim=$build/tools/sim/zorvik-sim
app=$build/src/app/zorvik-headless
cli=$build/tools/cli/zorvik-cli
[ -x "$sim" ] && [ -x "$app" ] && [ -x "$cli" ] || { echo "build first" >&2; exit 2; }
command -v curl >/dev/null || { echo "curl is needed" >&2; exit 2; }
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null || true; rm -rf "$work"' EXIT
"$sim" --port 0 --period 10 > "$work/sim.txt" &
sim_pid=$!
while [ ! -e "$work/sim.txt" ] || [ "$(wc -l < "$work/sim.txt")" -lt 6 ]; do sleep 0.2; done
url() { awk -v r="$1" '$1 == r { print $2 }' "$work/sim.txt"; }

# run NAME [--web ADDRESS:PORT] [load]: the resident kB after the start (and the load).
run() {
    name=$1; shift
    dir="$work/$name"
    mkdir -p "$dir/bao"
    printf '[cai_cfg]\r\ncombox_select_caizhong=U彩平台-欢乐分分彩\r\n' | iconv -f UTF-8 -t GBK > "$dir/bao/cfg.ini"
    echo "bench-pass" | "$cli" web-password "$dir/bao/cfg.ini" > /dev/null
    load=""
    if [ "${2:-}" = load ]; then load=1; fi
    web=""
    if [ "${1:-}" = --web ]; then web="--web $2"; [ "${3:-}" = load ] && load=1; fi
    # shellcheck disable=SC2086
    "$app" --virtual --data-dir "$dir" $web --service-base "$service" --public-base "$(url public)" \
        --trend-base "$(url trend)" > "$dir/out.txt" 2>&1 &
    pid=$!
    sleep 20
    if [ -n "$load" ]; then
        port=$(sed -n 's|.*web listening http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$dir/out.txt")
        token=$(curl -s -X POST -d '{"password":"bench-pass"}' "http://127.0.0.1:$port/api/v1/login" |
                sed -n 's/.*"token":"\([^"]*\)".*/\1/p')
        n=0
        while [ $n -lt 3000 ]; do
            curl -s -o /dev/null -H "Authorization: Bearer $token" "http://127.0.0.1:$port/api/v1/desks" &
            n=$((n + 1))
            sleep 0.02
        done
        sleep 2
    fi
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    kill $pid
    wait $pid 2>/dev/null || true
    echo "$rss"
}

service=$(url service)
without=$(run plain)
idle=$(run idle --web 127.0.0.1:0)
busy=$(run busy --web 127.0.0.1:0 load)
# The same service over https (nothing answers there: the program goes on with its draws).
service=https://127.0.0.1:9/
without_tls=$(run plain_tls)
busy_tls=$(run busy_tls --web 127.0.0.1:0 load)
awk -v a="$without" -v b="$idle" -v c="$busy" -v d="$without_tls" -v e="$busy_tls" 'BEGIN {
    printf "without --web: %.1f MiB; with the dashboard idle: %.1f MiB (+%.1f); after a minute of 50 requests a second: %.1f MiB (+%.1f)\n",
        a / 1024, b / 1024, (b - a) / 1024, c / 1024, (c - a) / 1024
    printf "with an https service: without --web %.1f MiB; after a minute of 50 requests a second: %.1f MiB (+%.1f; goal: under 5 MB)\n",
        d / 1024, e / 1024, (e - d) / 1024
}'
