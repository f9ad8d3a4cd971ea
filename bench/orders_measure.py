#!/usr/bin/env python3
"""Real-money orders at the platforms' speed, in headless mode against zorvik-sim.

Four desks (two lotteries on each platform), each with MONITORS monitors that bet at every
draw, draws every PERIOD seconds. Prints, per platform, the orders placed a minute while a
draw's orders go out, and how many of each draw's bets were placed before the next draw; then
how late the desks handled their draws after the simulator made them. The ratio compares the
orders a minute with the figure before the platform queue (about 7 a minute per platform).

    bench/orders_measure.py [BUILD_DIR] [DRAWS] [MONITORS] [PERIOD]
"""
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request
from datetime import datetime

BASELINE_PER_MINUTE = 7.0

build = sys.argv[1] if len(sys.argv) > 1 else "build"
draws_wanted = int(sys.argv[2]) if len(sys.argv) > 2 else 3
monitors = int(sys.argv[3]) if len(sys.argv) > 3 else 50
period = int(sys.argv[4]) if len(sys.argv) > 4 else 60
sim_path = os.path.join(build, "tools/sim/zorvik-sim")
app_path = os.path.join(build, "src/app/zorvik")
for path in (sim_path, app_path):
    if not os.access(path, os.X_OK):
        sys.exit("build first: %s is needed" % path)

DESKS = [("合乐平台-HI彩分分彩", "hele_fenfen", "hele"), ("合乐平台-HI彩时时彩", "hele_5fen", "hele"),
         ("U彩平台-欢乐分分彩", "ucai_60s", "ucai"), ("U彩平台-欢乐五分彩", "ucai_300s", "ucai")]


def monitor_list(n):
    """N monitors of 前一 定位胆 on five digits each, betting at every draw in 分."""
    out = []
    for mask in range(1024):
        if len(out) == n:
            break
        if bin(mask).count("1") != 5:
            continue
        digits = "".join(str(d) for d in range(10) if mask & (1 << d))
        out.append("|A~定位胆~前一(定位胆)~%s~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~3~false~0~"
                   "5:0:0:1920~0" % digits)
    return "".join(out)


def settings(directory):
    os.makedirs(os.path.join(directory, "bao"), exist_ok=True)
    listing = monitor_list(monitors)
    text = ("[cai_cfg]\r\ncombox_select_caizhong=%s\r\n[alert_cfg]\r\nlist=%s\r\n[tz_cfg]\r\n"
            "plt_tz_zy=100000000\r\nplt_tz_zs=-100000000\r\nplt_user=ann\r\nplt_pass=pw\r\n" % (DESKS[0][0], listing))
    for n, (lottery, _, _) in enumerate(DESKS[1:], start=2):
        text += ("[desk_%d]\r\nlottery=%s\r\nlist=%s\r\nstop_profit=100000000\r\nstop_loss=-100000000\r\n"
                 % (n, lottery, listing))
    text += "[platform_2]\r\nuser=bob\r\npassword=pw2\r\n"
    with open(os.path.join(directory, "bao/cfg.ini"), "wb") as f:
        f.write(text.encode("gbk"))


def main():
    work = tempfile.mkdtemp(prefix="orders_measure-")
    sim = subprocess.Popen([sim_path, "--port", "0", "--period", str(period), "--account", "ann:pw:100000000",
                            "--account", "bob:pw2:100000000"], stdout=subprocess.PIPE, text=True)
    urls = {}
    while len(urls) < 6:
        role, url = sim.stdout.readline().split()
        urls[role] = url

    service = urllib.parse.urlsplit(urls["service"])

    def state():
        with urllib.request.urlopen("%s://%s/sim/state" % (service.scheme, service.netloc)) as reply:
            return json.load(reply)

    sim_start = time.time() - state()["elapsed"]
    settings(work)
    out_path = os.path.join(work, "out.txt")
    with open(out_path, "w") as out:
        app = subprocess.Popen([app_path, "--headless", "--start", "--data-dir", work, "--service-base",
                                urls["service"], "--public-base", urls["public"], "--trend-base", urls["trend"]],
                               stdout=out, stderr=subprocess.DEVNULL)
        # The draws after the start, and the orders of the last one.
        deadline = time.time() + 20 + (draws_wanted + 1) * period
        while time.time() < deadline and app.poll() is None:
            time.sleep(1)
        app.send_signal(signal.SIGTERM)
        app.wait(30)
    final = state()
    sim.terminate()
    sim.wait(10)
    lines = open(out_path, encoding="utf-8").read().splitlines()
    shutil.rmtree(work, ignore_errors=True)

    print("%d desks x %d betting monitors, draws every %d s, %d draws" % (len(DESKS), monitors, period,
                                                                            draws_wanted))
    for platform in ("hele", "ucai"):
        games = {g for _, g, p in DESKS if p == platform}
        orders = [o for o in final["orders"] if o["platform"] == platform and o["accepted"]]
        # A draw's burst: the orders of the issues drawn together, in the order they came.
        bursts = {}
        for o in orders:
            bursts.setdefault(int(o["at"] // period), []).append(o["at"])
        rates = [60 * (len(b) - 1) / (max(b) - min(b)) for b in bursts.values() if len(b) > 1 and max(b) > min(b)]
        per_issue = {}
        for o in orders:
            if o["game"] in games:
                per_issue[(o["game"], o["issue"])] = per_issue.get((o["game"], o["issue"]), 0) + 1
        full = sum(1 for n in per_issue.values() if n == monitors)
        rate = statistics.median(rates) if rates else 0
        print("%s: %.0f orders a minute (median of %d draws; %.1fx the %.0f before), %d of %d issues with every "
              "bet placed" % (platform, rate, len(rates), rate / BASELINE_PER_MINUTE, BASELINE_PER_MINUTE, full,
                               len(per_issue)))
    late = sum(int(m.group(1)) for m in (re.search(r"(\d+)注因期号已截止未能投注", l) for l in lines) if m)
    print("bets kept back as too late: %d" % late)

    delays = []
    for lottery, game, _ in DESKS:
        drawn = {d["issue"]: d["at"] for d in final["draws"][game]}
        for line in lines:
            m = re.match(r"^(\S+ \S+) \[%s\] draw (\S+) " % re.escape(lottery), line)
            if m and drawn.get(m.group(2), 0) > 0:
                printed = datetime.strptime(m.group(1), "%Y-%m-%d %H:%M:%S").timestamp()
                delays.append(printed - (sim_start + drawn[m.group(2)]))
    if delays:
        print("draws handled after they were made: median %.1f s, at most %.1f s (the poll comes every 5 s; "
              "times to the second; before: a median of 15.6 s, at worst 50 s)"
              % (statistics.median(delays), max(delays)))


main()
