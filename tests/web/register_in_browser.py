"""The register in the browser keeps the save rules of the desktop.

Two pages of the game playing a year at once in one browser both keep their
graduate; a browser whose storage refuses the write shows the failed-save
line on the title instead of pretending the graduate was kept.
Usage: register_in_browser.py WEB_BUILD_DIR KEYS_SCRIPT
"""
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import webrun  # noqa: E402

SEED = 2024
TITLE_AFTER_SAVE = 11745  # the title, after the year end's save, before the records
RECORDS_KEYS = "0 SPACE\n1 -\n3 DOWN\n4 -\n5 DOWN\n6 -\n7 SPACE\n8 -\n40 ESC\n"
FAILED_LINE = (255, 160, 160)  # the colour of the title's failed-save line


def last_count(result):
    """The graduate count of the run's last trace line that has one."""
    count = None
    for line in result["trace"].split("\n"):
        d = json.loads(line)
        count = d.get("count", count)
    return count


def failed_line_shown(png_url):
    _, height, rows = webrun.png_pixels(base64.b64decode(png_url.split(",", 1)[1]))
    return any(tuple(row[i:i + 3]) == FAILED_LINE
               for row in rows[340:height] for i in range(0, len(row), 3))


def main():
    web, make_keys = sys.argv[1:3]
    if not os.path.exists(os.path.join(web, "site", "kurunoa.js")):
        print("SKIP: the browser build is missing (make web)")
        return webrun.SKIP
    os.makedirs(os.path.join(web, "tests"), exist_ok=True)
    with open(os.path.join(web, "tests", "register-year.keys"), "w") as f:
        subprocess.run(["bash", make_keys, "front"], stdout=f, check=True)
    with open(os.path.join(web, "tests", "register-records.keys"), "w") as f:
        f.write(RECORDS_KEYS)
    year = "site/index.html?headless&seed=%d&input=../tests/register-year.keys&trace" % SEED
    records = "site/index.html?headless&seed=%d&input=../tests/register-records.keys&trace" % SEED
    server = webrun.Server(web)
    work = tempfile.mkdtemp(prefix="kurunoa_web_register_")
    problems = []
    try:
        # Two pages at once, one browser: both graduates are kept.
        profile = os.path.join(work, "two_pages")
        both = webrun.run_page(server.url(year), profile, tabs=2)
        if both == webrun.SKIP:
            print("SKIP: chromium or playwright-core cannot run here")
            return webrun.SKIP
        if both is None:
            problems.append("two pages: no result")
        else:
            counts = sorted(last_count(r) for r in both)
            if [r["status"] for r in both] != [0, 0] or counts != [1, 2]:
                problems.append("two pages: statuses %s, counts after their saves %s (want 1 and 2)"
                                % ([r["status"] for r in both], counts))
            after = webrun.run_page(server.url(records), profile)
            if after is None or last_count(after) != 2:
                problems.append("two pages: the records after a reload count %s, want 2"
                                % (after and last_count(after)))
        # Storage that refuses the write: the title says the save failed.
        shot = year + "&screenshot=%d" % TITLE_AFTER_SAVE
        refused = webrun.run_page(server.url(shot), os.path.join(work, "refused"),
                                  failing_storage=True)
        if refused is None or str(TITLE_AFTER_SAVE) not in refused["screenshots"]:
            problems.append("refused storage: no picture of the title after the save")
        elif not failed_line_shown(refused["screenshots"][str(TITLE_AFTER_SAVE)]):
            problems.append("refused storage: the title does not show the failed-save line")
        # The same run with working storage shows no such line.
        kept = webrun.run_page(server.url(shot), os.path.join(work, "kept"))
        if kept is None or failed_line_shown(kept["screenshots"].get(str(TITLE_AFTER_SAVE), ",")):
            problems.append("working storage: no clean title after the save")
    finally:
        server.close()
        shutil.rmtree(work, ignore_errors=True)
    for p in problems:
        print("FAIL " + p)
    if not problems:
        print("ok: two pages kept both graduates; a refused store showed the failed-save line")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
