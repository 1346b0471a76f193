#!/usr/bin/env python3
"""The family web site in a real browser: the site of the sample family, a
living couple and a card of markup, written by the built kinfolio-site and
opened from file:// in headless Chromium through Selenium. Exits 77 (a
skip for ctest) only when Chromium, its driver or Selenium is missing."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
CHROMIUM, DRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
try:
    from selenium import webdriver
    from selenium.common.exceptions import NoAlertPresentException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    print("SKIP: python3-selenium is not installed")
    sys.exit(SKIP)
if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
    print("SKIP: chromium and chromium-driver are not installed")
    sys.exit(SKIP)

PROGRAM = os.environ["KINFOLIO_SITE_PROGRAM"]
SAMPLE_CARDS = os.environ["KINFOLIO_SAMPLE_CARDS"]

# Seventeen fields each, in the card file's order.
LIVING = ["Tomas Garner", "12 MAY 1985", "Kraków", "2010", "Kraków", "", "", "Jan Garner", "Ewa Nowak",
          "Zofia Szwarc", "3 JUN 1988", "Łódź", "", "", "", "", "Our wedding notes."]
# A card cannot hold a double quote, so the markup does without.
MARKUP = ["<script>document.title='ran'</script>", "1850", "<b>Leeds</b>", "", "", "1900", "", "", "",
          "<img src=x onerror=document.title='ran'>", "", "", "", "", "", "",
          "<iframe src=https://example.com></iframe>\r\nline two"]


def card_bytes(fields):
    # Letters beyond the code page as the card file keeps them: references.
    text = "".join('"%s"\r\n' % f for f in fields)
    return text.encode("cp1252", "xmlcharrefreplace")


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def main():
    work = tempfile.mkdtemp(prefix="kinfolio-site-")
    try:
        cards = os.path.join(work, "Kinfolio.dat")
        subprocess.run([SAMPLE_CARDS, cards, "tree"], check=True)
        with open(cards, "ab") as f:
            f.write(card_bytes(LIVING) + card_bytes(MARKUP))
        site = os.path.join(work, "site")
        done = subprocess.run([PROGRAM, cards, site], capture_output=True, text=True)
        check(done.returncode == 0, "kinfolio-site failed: " + done.stderr)
        browse(site)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def browse(site):
    # A living person's birth is on no page and in no script of the site.
    for folder, _, files in os.walk(site):
        for name in files:
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                text = f.read()
            check("1985" not in text and "Our wedding notes" not in text,
                  "the living husband's birth or the couple's notes are in " + name)

    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1200,900"):
        options.add_argument(arg)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    errors = []

    def open_page(url):
        driver.get(url)
        errors.extend(e for e in driver.get_log("browser") if e["level"] == "SEVERE")

    def click(text):
        links = [a for a in driver.find_elements(By.TAG_NAME, "a") if text in a.text]
        check(links, "no link holding %r on %s" % (text, driver.current_url))
        links[0].click()
        errors.extend(e for e in driver.get_log("browser") if e["level"] == "SEVERE")

    def h1():
        return driver.find_element(By.TAG_NAME, "h1").text

    try:
        # A surname to a card.
        open_page("file://" + site + "/index.html")
        check("9 cards" in driver.find_element(By.CLASS_NAME, "counts").text, "the index's counts")
        click("Ashworth")
        check(h1() == "Surname Ashworth", "the surname page: " + h1())
        click("Edward Ashworth")
        check(h1() == "Edward Ashworth and Elsa Dahlberg", "Edward's card: " + h1())
        # A parent's link to the parents' card, and the child back.
        click("Thomas Ashworth")
        check(h1() == "Thomas Ashworth and Sarah Whitfield", "the parents' card: " + h1())
        children = driver.find_element(By.CSS_SELECTOR, "ol.children").text
        check("Edward Ashworth" in children, "Edward among Thomas's children")
        click("Edward Ashworth (card 6)")
        check(h1() == "Edward Ashworth and Elsa Dahlberg", "back on Edward's card: " + h1())

        # Sounds-like search, as the user types and on Enter.
        box = driver.find_element(By.ID, "search")
        box.send_keys("Garnor")
        found = wait_for_results(driver)
        check("Tomas Garner" in found and "Jan Garner" in found, "Garnor finds Garner: " + found)
        box.clear()
        box.send_keys("schwarz", Keys.ENTER)
        found = wait_for_results(driver, "Szwarc")
        check("Zofia Szwarc" in found, "Schwarz finds Szwarc: " + found)
        box.clear()
        box.send_keys("DAHL", Keys.ENTER)
        found = wait_for_results(driver, "Dahlberg")
        check("Elsa Dahlberg" in found and "sounds alike" not in found, "a prefix in any case: " + found)
        box.clear()
        box.send_keys("Szwarc", Keys.ENTER)
        wait_for_results(driver, "Szwarc")
        click("Zofia Szwarc")
        check(h1() == "Tomas Garner and Zofia Szwarc", "the search's link: " + h1())
        page = driver.find_element(By.TAG_NAME, "main").text
        check("1985" not in page and "Kraków" not in page and "wedding" not in page, "living details shown")
        check("Tomas Garner" in page, "the living keep their names")

        # Markup on a card shows as text and runs nothing.
        open_page("file://" + site + "/cards/9.html")
        title = driver.title
        check(title.startswith("Card 9: <script>"), "a card's markup ran: " + title)
        try:
            driver.switch_to.alert
            raise Failure("an alert opened")
        except NoAlertPresentException:
            pass
        main_text = driver.find_element(By.TAG_NAME, "main").text
        check("<script>document.title='ran'</script>" in main_text and "<iframe" in main_text,
              "the markup is not shown as text")
        check(not driver.find_elements(By.CSS_SELECTOR, "main script, main img, main iframe, main b"),
              "card text became elements")

        # At a phone's width nothing scrolls sideways.
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
        for page_name in ("index.html", "cards/6.html", "cards/9.html", "people/1.html"):
            open_page("file://" + site + "/" + page_name)
            wide = driver.execute_script("return document.documentElement.scrollWidth")
            check(wide <= 390, "%s is %d px wide at a phone's 390" % (page_name, wide))

        check(not errors, "the browser reported errors: %s" % errors)

        # The policy refuses a script written into the page.
        driver.execute_script("var s = document.createElement('script');"
                              "s.textContent = 'window.inlineRan = true'; document.body.appendChild(s);")
        check(driver.execute_script("return window.inlineRan === undefined"), "an inline script ran")
    finally:
        driver.quit()
    print("site browser journeys passed")


def wait_for_results(driver, expected=""):
    deadline = time.time() + 10
    text = ""
    while time.time() < deadline:
        text = driver.find_element(By.CSS_SELECTOR, "form.search .results").text
        if text and expected in text:
            return text
        time.sleep(0.1)
    return text


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
