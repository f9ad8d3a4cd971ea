#!/usr/bin/env python3
"""The dashboard in a real browser: zorvik-headless --web against zorvik-sim, driven by Debian's
chromium through chromium-driver, at a phone's size and at 1366x768. It logs in, sees both desks
with their draws, sees a new draw arrive without a reload, stops a desk (confirming) and sees it
stopped, and the program prints "web stop". With ZORVIK_SCREENSHOT_DIR set, it saves a picture of
each size there.

    dashboard_browser_test.py ZORVIK ZORVIK_SIM ZORVIK_CLI
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import WebDriverWait

zorvik, sim_path, cli = sys.argv[1:4]
PASSWORD = "phone-pass-8"
MONITOR = ("|A~定位胆~前一(定位胆)~0123456789~遗漏~≥0~大于等于0~0~待监控~~0~0~0:0~0:0:0:0~1~1~1~false~0~"
           "0:0:0:1920~0")


class Output:
    """The program's lines, read as they come."""

    def __init__(self, stream):
        self.lines = []
        self.lock = threading.Lock()
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream):
        for line in stream:
            with self.lock:
                self.lines.append(line.rstrip("\n"))

    def wait_for(self, pattern, seconds):
        deadline = time.time() + seconds
        while time.time() < deadline:
            with self.lock:
                for line in self.lines:
                    m = re.search(pattern, line)
                    if m:
                        return m
            time.sleep(0.1)
        raise AssertionError("no line matching %r in:\n%s" % (pattern, "\n".join(self.lines)))


def text_of(driver, css):
    """The element's text read in the page: the cards are drawn anew as events come, so an element
    found a moment ago may be gone."""
    return driver.execute_script("const e = document.querySelector(arguments[0]); return e ? e.textContent : '';", css)


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def browse(port, output, size, stop_desk, shots, name):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--window-size=%d,%d" % size, "--lang=zh-CN"):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.set_window_size(*size)
        driver.get("http://127.0.0.1:%d/" % port)
        wait = WebDriverWait(driver, 30)
        wait.until(expected_conditions.visibility_of_element_located((By.ID, "password")))
        # A wrong password is refused, in words.
        driver.find_element(By.ID, "password").send_keys("wrong")
        driver.find_element(By.CSS_SELECTOR, "#login button").click()
        wait.until(lambda d: text_of(d, "#login_error") != "")
        check("密码错误" in text_of(driver, "#login_error"), "no refusal shown")
        driver.find_element(By.ID, "password").clear()
        driver.find_element(By.ID, "password").send_keys(PASSWORD)
        driver.find_element(By.CSS_SELECTOR, "#login button").click()
        # Both desks, each with its draw.
        wait.until(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#desks .card")) == 2)
        wait.until(lambda d: text_of(d, "#desk_card_1 .draw") and text_of(d, "#desk_card_2 .draw"))
        wait.until(lambda d: "实时" in text_of(d, "#live"))
        names = [text_of(driver, "#desk_card_%d .name" % n) for n in (1, 2)]
        check(names == ["U彩平台-欢乐分分彩", "合乐平台-HI彩分分彩"], "desks shown: %r" % names)
        # A new draw arrives without a reload.
        driver.execute_script("window.zorvikNotReloaded = true;")
        card = "#desk_card_1 .issue"
        before = text_of(driver, card)
        WebDriverWait(driver, 40).until(lambda d: text_of(d, card) != before)
        check(driver.execute_script("return window.zorvikNotReloaded === true;"), "the page was reloaded")
        # The page fits the screen's width (tables scroll inside their own boxes).
        width = driver.execute_script("return document.documentElement.scrollWidth;")
        check(width <= size[0], "the page is %d px wide at %d" % (width, size[0]))
        # Stops a desk, confirming, and sees it stopped.
        wait.until(lambda d: "监控中" in text_of(d, "#desk_card_%d .state" % stop_desk))
        driver.execute_script("document.getElementById(arguments[0]).click();", "desk_card_%d" % stop_desk)
        wait.until(lambda d: d.find_element(By.ID, "stop").is_enabled())
        driver.find_element(By.ID, "stop").click()
        alert = wait.until(expected_conditions.alert_is_present())
        check("确认要停止监控" in alert.text, "asked: %r" % alert.text)
        alert.accept()
        wait.until(lambda d: text_of(d, "#desk_card_%d .state" % stop_desk) == "未监控")
        output.wait_for(r"web stop %d - 127\.0\.0\.1$" % stop_desk, 10)
        check(driver.find_element(By.ID, "start").is_enabled(), "the start button stays off")
        if shots:
            time.sleep(0.5)
            driver.save_screenshot(os.path.join(shots, name))
    except Exception:
        for entry in driver.get_log("browser"):
            print("browser:", entry.get("message"), file=sys.stderr)
        raise
    finally:
        driver.quit()


def main():
    work = tempfile.mkdtemp(prefix="dashboard-")
    sim = subprocess.Popen([sim_path, "--port", "0", "--period", "6"], stdout=subprocess.PIPE, text=True)
    program = None
    try:
        urls = {}
        while len(urls) < 6:
            role, url = sim.stdout.readline().split()
            urls[role] = url
        os.makedirs(os.path.join(work, "bao"))
        settings = ("[cai_cfg]\r\ncombox_select_caizhong=U彩平台-欢乐分分彩\r\n[alert_cfg]\r\nlist=%s\r\n"
                    "[tz_cfg]\r\nplt_tz_zy=100000\r\nplt_tz_zs=-100000\r\n"
                    "[desk_2]\r\nlottery=合乐平台-HI彩分分彩\r\nlist=%s\r\nstop_profit=100000\r\nstop_loss=-100000\r\n"
                    % (MONITOR, MONITOR))
        settings_file = os.path.join(work, "bao/cfg.ini")
        with open(settings_file, "wb") as f:
            f.write(settings.encode("gbk"))
        subprocess.run([cli, "web-password", settings_file], input=PASSWORD + "\n", text=True, check=True,
                       stdout=subprocess.DEVNULL)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        program = subprocess.Popen([zorvik, "--headless", "--start", "--virtual", "--data-dir", work,
                                    "--web", "127.0.0.1:0", "--service-base", urls["service"],
                                    "--public-base", urls["public"], "--trend-base", urls["trend"]],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env)
        output = Output(program.stdout)
        port = int(output.wait_for(r"web listening http://127\.0\.0\.1:(\d+)/", 20).group(1))
        output.wait_for(r"\[U彩平台-欢乐分分彩\] monitoring on", 40)
        output.wait_for(r"\[合乐平台-HI彩分分彩\] monitoring on", 40)
        shots = os.environ.get("ZORVIK_SCREENSHOT_DIR")
        browse(port, output, (360, 740), 1, shots, "dashboard-phone.png")
        browse(port, output, (1366, 768), 2, shots, "dashboard-desktop.png")
        with output.lock:
            text = "\n".join(output.lines)
        check(PASSWORD not in text, "the password was printed")
        print("dashboard checked in chromium at 360x740 and 1366x768")
    finally:
        if program:
            program.terminate()
            program.wait(15)
        sim.terminate()
        sim.wait(10)
        shutil.rmtree(work, ignore_errors=True)


main()
