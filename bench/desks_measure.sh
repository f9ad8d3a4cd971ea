#!/bin/sh
# Memory and processor time of several lotteries followed at once, in headless mode against
# zorvik-sim (without the browser: simulated money): one desk and eight desks, idle (following
# their draws, no monitors) and monitoring 1,000 monitors each. Prints the resident memory, the
# share of one core, the processor time per draw and the ratios of eight desks to one; then one
# desk betting real money (logged in, the platform's page loaded): the resident memory of the
# program and of its browser engine's processes together.
#
#   bench/desks_measure.sh [BUILD_DIR] [SECONDS]
set -eu
build=${1:-build}
seconds=${2:-60}
period=10
sim=$build/tools/sim/zorvik-sim
app=$build/src/app/zorvik
[ -x "$sim" ] && [ -x "$app" ] || { echo "build first: $sim and $app are needed" >&2; exit 2; }

# The browser engine refuses to run as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null || true; rm -rf "$work"' EXIT
"$sim" --port 0 --period $period --account ann:pw:1000 > "$work/sim.txt" &
sim_pid=$!
while [ ! -e "$work/sim.txt" ] || [ "$(wc -l < "$work/sim.txt")" -lt 6 ]; do sleep 0.2; done
url() { awk -v r="$1" '$1 == r { print $2 }' "$work/sim.txt"; }

lotteries="合乐平台-HI彩分分彩 合乐平台-HI彩时时彩 合乐平台-重庆时时彩 U彩平台-欢乐分分彩 U彩平台-欢乐五分彩 U彩平台-重庆时时彩 经纬平台-幸运分分彩 经纬平台-欢乐三分彩"

# A list of N monitors of 前一 定位胆 on different digit sets that seldom alert.
monitors() {
    awk -v n="$1" 'BEGIN {
        for (i = 1; i <= n; ++i) {
            d = ""
            for (k = 0; k < 10; ++k) if (int(i / 2 ^ k) % 2) d = d k
            printf "|A~定位胆~前一(定位胆)~%s~遗漏~≥40~大于等于40~0~待监控~~0~0~0:0~0:0:0:0~0~1,2,4~1~false~0~1:0:0:1920~0", d
        }
    }'
}

# settings DIR DESKS MONITORS: the settings file (GBK) of that many desks.
settings() {
    mkdir -p "$1/bao"
    list=$(monitors "$3")
    n=0
    {
        for lottery in $lotteries; do
            n=$((n + 1))
            [ $n -le "$2" ] || break
            if [ $n -eq 1 ]; then
                printf '[cai_cfg]\r\ncombox_select_caizhong=%s\r\n[alert_cfg]\r\nlist=%s\r\n[tz_cfg]\r\nplt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n' "$lottery" "$list"
            else
                printf '[desk_%d]\r\nlottery=%s\r\nlist=%s\r\nstop_profit=100000\r\nstop_loss=-100000\r\n' $n "$lottery" "$list"
            fi
        done
    } | iconv -f UTF-8 -t GBK > "$1/bao/cfg.ini"
}

ticks=$(getconf CLK_TCK)
# tree_rss PID: the resident kB of PID and every process under it; helpers PID: how many of those
# are the browser engine's.
descendants() { for c in $(ps -o pid= --ppid "$1"); do echo "$c"; descendants "$c"; done; }
tree_rss() {
    total=$(awk '/^VmRSS:/ { print $2 }' "/proc/$1/status")
    for c in $(descendants "$1"); do
        kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$c/status" 2>/dev/null || echo 0)
        total=$((total + ${kb:-0}))
    done
    echo "$total"
}
helpers() { descendants "$1" | while read -r c; do cat "/proc/$c/comm" 2>/dev/null; done | grep -c QtWebEngine || true; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# run NAME DESKS MONITORS: prints "NAME rss_kb core_share cpu_ms_per_draw".
run() {
    dir="$work/$1"
    settings "$dir" "$2" "$3"
    "$app" --headless --start --virtual --data-dir "$dir" --service-base "$(url service)" \
        --public-base "$(url public)" --trend-base "$(url trend)" > "$dir/out.txt" 2>&1 &
    pid=$!
    # Past the start (the first polls, the lists read and the first draw judged).
    sleep 20
    start=$(cpu_ticks $pid)
    draws_before=$(grep -c ' draw ' "$dir/out.txt" || true)
    sleep "$seconds"
    end=$(cpu_ticks $pid)
    draws_after=$(grep -c ' draw ' "$dir/out.txt" || true)
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    [ "$(helpers $pid)" -eq 0 ] || echo "$1: the browser engine runs with simulated money" >&2
    grep -q libQt6Widgets "/proc/$pid/maps" && echo "$1: the widget library is loaded" >&2
    grep -q libQt6WebEngineCore "/proc/$pid/maps" && echo "$1: the browser engine is loaded" >&2
    kill $pid
    wait $pid 2>/dev/null || true
    draws=$((draws_after - draws_before))
    awk -v name="$1" -v rss="$rss" -v t=$((end - start)) -v hz="$ticks" -v s="$seconds" -v d="$draws" 'BEGIN {
        printf "%s %d %.4f %.2f %d\n", name, rss, t / hz / s, (d > 0 ? t * 1000 / hz / d : 0), d
    }'
}

# real NAME: one U彩 desk on real money, logged in at the start with its page loaded; prints
# "NAME main_kb all_kb helpers".
real() {
    dir="$work/$1"
    mkdir -p "$dir/bao"
    # One monitor that bets at every draw, so that orders go through the page.
    printf '[cai_cfg]\r\ncombox_select_caizhong=U彩平台-欢乐分分彩\r\n[alert_cfg]\r\nlist=|ABC~直选复式~前三(直选复式)~1*23*4~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1,2,4~3~false~0~0:0:0:1920~0\r\n[tz_cfg]\r\nplt_user=ann\r\nplt_pass=pw\r\nplt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n' |
        iconv -f UTF-8 -t GBK > "$dir/bao/cfg.ini"
    "$app" --headless --start --data-dir "$dir" --service-base "$(url service)" \
        --public-base "$(url public)" --trend-base "$(url trend)" > "$dir/out.txt" 2>&1 &
    pid=$!
    sleep 20
    grep -q ' login ' "$dir/out.txt" || echo "$1: no login" >&2
    grep -q ' bet ' "$dir/out.txt" || echo "$1: no order placed" >&2
    sleep "$seconds"
    main=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    echo "$1 $main $(tree_rss $pid) $(helpers $pid)"
    kill $pid
    wait $pid 2>/dev/null || true
}

echo "following draws for ${seconds} s after a 20 s start, the simulator drawing every ${period} s" >&2
one_idle=$(run one_idle 1 0)
eight_idle=$(run eight_idle 8 0)
one_busy=$(run one_busy 1 1000)
eight_busy=$(run eight_busy 8 1000)
one_real=$(real one_real)

echo "$one_idle
$eight_idle
$one_busy
$eight_busy
$one_real" | awk '
    $1 == "one_real" { real_main = $2 / 1024; real_all = $3 / 1024; real_helpers = $4; next }
    { rss[$1] = $2 / 1024; share[$1] = $3 * 100; per_draw[$1] = $4; draws[$1] = $5 }
    END {
        printf "one desk, idle:                %6.1f MB, %5.2f %% of a core\n", rss["one_idle"], share["one_idle"]
        printf "eight desks, idle:             %6.1f MB, %5.2f %% of a core (goal: under 80 MB and 1 %%)\n", rss["eight_idle"], share["eight_idle"]
        printf "one desk, 1,000 monitors:      %6.1f MB, %5.2f %% of a core, %6.2f ms of processor a draw (%d draws)\n", rss["one_busy"], share["one_busy"], per_draw["one_busy"], draws["one_busy"]
        printf "eight desks, 1,000 monitors:   %6.1f MB, %5.2f %% of a core, %6.2f ms of processor a draw (%d draws)\n", rss["eight_busy"], share["eight_busy"], per_draw["eight_busy"], draws["eight_busy"]
        if (share["one_busy"] > 0)
            printf "eight desks against one, 1,000 monitors each: %.2fx the processor time (goal: at most 8x), %.2fx the memory\n", share["eight_busy"] / share["one_busy"], rss["eight_busy"] / rss["one_busy"]
        printf "one desk, real money, logged in: %6.1f MB the program, %6.1f MB with its %d browser processes\n", real_main, real_all, real_helpers
    }'
