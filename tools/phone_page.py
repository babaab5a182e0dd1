#!/usr/bin/python3
"""A singer's phone: headless Chromium at a phone's size opens the song request page, joins,
searches without accents, asks for the first song found and waits until the page shows its turn.

usage: phone_page.py URL ROOM_CODE NAME QUERY [SCREENSHOT_FOLDER]

Prints one JSON object: the result titles, the texts of "My requests", and whether any markup
from the server became an element. Exit status 0 when the turn was shown."""

import json
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions as ready
from selenium.webdriver.support.ui import WebDriverWait


def phone():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--no-first-run", "--disable-extensions", "--window-size=390,844"):
        options.add_argument(flag)
    options.add_experimental_option("mobileEmulation", {
        "deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 2.0, "touch": True},
        "userAgent": "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 "
                     "(KHTML, like Gecko) Chrome/120.0 Mobile Safari/537.36"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def main():
    url, room, name, query = sys.argv[1:5]
    shots = sys.argv[5] if len(sys.argv) > 5 else None
    driver = phone()
    wait = WebDriverWait(driver, 20)
    result = {}
    try:
        driver.get(url)
        wait.until(ready.visibility_of_element_located((By.ID, "name")))
        driver.find_element(By.ID, "name").send_keys(name)
        driver.find_element(By.ID, "room").send_keys(room)
        driver.find_element(By.ID, "join-button").click()
        wait.until(ready.visibility_of_element_located((By.ID, "query")))
        driver.find_element(By.ID, "query").send_keys(query)
        driver.find_element(By.ID, "search-button").click()
        wait.until(lambda d: d.find_elements(By.CSS_SELECTOR, "#results li.result"))
        result["results"] = driver.execute_script(
            "return Array.from(document.querySelectorAll('#results li.result .text'))"
            ".map(e => e.innerText)")
        rows = driver.find_elements(By.CSS_SELECTOR, "#results li.result")
        if shots:
            driver.save_screenshot(shots + "/phone_search.png")
        rows[0].find_element(By.TAG_NAME, "button").click()
        # The page redraws its lists as updates arrive: texts are read in one go by the page.
        mine_texts = "return Array.from(document.querySelectorAll('#mine li')).map(li => li.innerText)"
        wait.until(lambda d: any("Turn " in t for t in d.execute_script(mine_texts)))
        result["mine"] = driver.execute_script(mine_texts)
        result["who"] = driver.execute_script("return document.getElementById('who').innerText")
        # Texts from the server never become elements: no image, script or bold tag was made.
        result["markup"] = driver.execute_script(
            "return document.querySelectorAll('main img, main b, main i, main script').length")
        if shots:
            driver.execute_script("document.getElementById('mine').scrollIntoView()")
            time.sleep(0.3)
            driver.save_screenshot(shots + "/phone_requests.png")
        print(json.dumps(result, ensure_ascii=False))
        return 0
    except Exception as error:  # the page did not get there: say where it stood
        result["error"] = repr(error)
        result["page"] = driver.find_element(By.TAG_NAME, "body").text[:2000]
        print(json.dumps(result, ensure_ascii=False))
        return 1
    finally:
        driver.quit()


if __name__ == "__main__":
    sys.exit(main())
