#!/usr/bin/python3
"""The live page in headless Chromium, served by a real mosquitto from its websocket listener
behind the installed read-only login, with the virtual meter and kirv-monitor publishing.

Usage: test_dashboard.py BIN_DIR PAGE_DIR. Exits 77 (skipped) when a tool is missing."""
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

Skip = 77
KeepAlive = 5
PageLimitBytes = 400 * 1024


def skip(why):
    print("SKIP:", why)
    sys.exit(Skip)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    skip("python3-selenium is missing (apt-get install python3-selenium)")

for tool in ("/usr/bin/chromium", "/usr/bin/chromedriver"):
    if not os.path.exists(tool):
        skip(tool + " is missing (apt-get install chromium chromium-driver)")
for tool in ("mosquitto", "mosquitto_passwd", "mosquitto_pub"):
    if not any(os.path.exists(os.path.join(d, tool)) for d in os.environ["PATH"].split(":") + ["/usr/sbin"]):
        skip(tool + " is missing (apt-get install mosquitto mosquitto-clients)")

bin_dir, page_dir = sys.argv[1], sys.argv[2]
work = tempfile.TemporaryDirectory()
processes = []


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(condition, seconds=20.0, what="condition"):
    # Asks again every 20 ms; the processes under test run on their own meanwhile.
    end = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.02)


def start(args, log, **kw):
    p = subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT, **kw)
    processes.append(p)
    return p


def text_of(path):
    with open(path, errors="replace") as f:
        return f.read()


def main():
    size = sum(os.path.getsize(os.path.join(page_dir, f)) for f in os.listdir(page_dir))
    assert size < PageLimitBytes, "the page holds %d bytes" % size

    plain, web = free_port(), free_port()
    passwd = os.path.join(work.name, "viewer.passwd")
    subprocess.run(["mosquitto_passwd", "-b", "-c", passwd, "viewer", "secret"], check=True)
    conf = os.path.join(work.name, "mosquitto.conf")
    with open(conf, "w") as f:
        f.write("per_listener_settings true\n"
                "listener %d 127.0.0.1\nallow_anonymous true\n"
                "listener %d 127.0.0.1\nprotocol websockets\nhttp_dir %s\nallow_anonymous false\n"
                "password_file %s\nacl_file %s\nlog_dest stderr\n%s"
                % (plain, web, page_dir, passwd, os.path.join(page_dir, "kirv-viewer.acl"),
                   "user root\n" if os.getuid() == 0 else ""))
    broker_log = os.path.join(work.name, "broker.log")
    start(["mosquitto", "-c", conf], open(broker_log, "w"))
    wait_for(lambda: "running" in text_of(broker_log), what="the broker")

    link = os.path.join(work.name, "meter")
    start([os.path.join(bin_dir, "kirv-meter-sim"), "--link", link], open(os.path.join(work.name, "sim.log"), "w"),
          stdin=subprocess.PIPE)
    wait_for(lambda: os.path.exists(link), what="the virtual meter")
    monitor_log = os.path.join(work.name, "monitor.log")
    monitor = start([os.path.join(bin_dir, "kirv-monitor"), "--port", link, "--dir", os.path.join(work.name, "site"),
                     "--station", "east", "--mqtt", "127.0.0.1:%d" % plain, "--mqtt-keepalive", str(KeepAlive),
                     "--alarm", "loud:80:3"], open(monitor_log, "w"))
    wait_for(lambda: "recording into" in text_of(monitor_log) and "MQTT: connected" in text_of(monitor_log),
             what="the monitor")
    # A stranger's topic whose name and fields are markup: shown as text, never run.
    subprocess.run(["mosquitto_pub", "-h", "127.0.0.1", "-p", str(plain), "-r", "-t", "kirv/<img src=x onerror=alert(1)>/status",
                    "-m", '{"online":true,"file":"<b>x</b>"}'], check=True)

    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for a in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
              "--disable-background-networking", "--disable-component-update", "--disable-sync",
              "--window-size=1100,700", "--user-data-dir=" + os.path.join(work.name, "chromium")):
        options.add_argument(a)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        opened = time.monotonic()
        driver.get("http://127.0.0.1:%d/?user=viewer&password=secret" % web)
        card = '[data-station="east"]'

        def level(d):
            found = d.find_elements(By.CSS_SELECTOR, card + " .level")
            return found and found[0].text.replace(".", "", 1).isdigit()
        try:
            WebDriverWait(driver, 10, poll_frequency=0.05).until(level)
        except Exception:
            print(driver.find_element(By.ID, "connection").text, driver.find_element(By.TAG_NAME, "main").text)
            print(text_of(monitor_log), text_of(broker_log)[-2000:])
            raise
        shown = time.monotonic() - opened
        assert shown <= 2.0, "the level showed %.2f s after opening" % shown
        assert driver.find_element(By.CSS_SELECTOR, card + " .state").text == "online"
        assert driver.find_element(By.CSS_SELECTOR, card + " .unit").text == "dBA"
        assert driver.find_element(By.CSS_SELECTOR, card + " .alarms").text == "loud"
        WebDriverWait(driver, 10).until(lambda d: d.find_elements(By.CSS_SELECTOR, '[data-station="<img src=x onerror=alert(1)>"]'))
        assert not driver.find_elements(By.CSS_SELECTOR, "main b, main img"), "markup from a topic was run"
        if os.environ.get("KIRV_SCREENSHOT"):
            driver.save_screenshot(os.environ["KIRV_SCREENSHOT"])

        monitor.send_signal(signal.SIGKILL)
        killed = time.monotonic()
        WebDriverWait(driver, KeepAlive * 1.5 + 5, poll_frequency=0.05).until(
            lambda d: d.find_element(By.CSS_SELECTOR, card + " .state").text == "offline")
        offline = time.monotonic() - killed
        # The broker's will comes within one and a half keep-alives, give or take its second.
        assert offline <= KeepAlive * 1.5 + 1.0, "offline %.2f s after the kill" % offline
    finally:
        driver.quit()
    print("PASS: level %.2f s after opening, offline %.2f s after the kill, page %d bytes"
          % (shown, offline, size))


try:
    main()
finally:
    for p in processes:
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
