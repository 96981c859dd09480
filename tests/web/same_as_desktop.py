"""A whole seeded year in the browser equals the desktop's headless run.

For the front school and the left school (with a president's scene): the
year, the year end, the name entry, the save and the records screen; then a
reload in the same browser profile shows the graduate on the records screen,
read back from the browser's storage. The trace must be the same line for
line (the music file paths aside) and every screenshot the same pixel for pixel.
Usage: same_as_desktop.py GAME_DIR WEB_BUILD_DIR KEYS_SCRIPT
"""
import base64
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import webrun  # noqa: E402

SEED = 2024
# Title, play, the schedule, the president's scene (left), the year end, the records.
SHOTS = [6, 1508, 1658, 3420, 11729, 11773]
# After the reload: the records screen from the title.
RECORDS_KEYS = "0 SPACE\n1 -\n3 DOWN\n4 -\n5 DOWN\n6 -\n7 SPACE\n8 -\n40 ESC\n"
RECORDS_SHOTS = [30]


def without_music_paths(line):
    return re.sub(r'"open [^"]*/(bg[12]\.mid) alias bgm"', r'"open \1 alias bgm"', line)


def desktop_run(game, keys, work, app, shots):
    """Runs the program in APP (made from GAME's data without a register if new)."""
    if not os.path.exists(app):
        shutil.copytree(os.path.join(game, "da"), os.path.join(app, "da"))
        for name in ("da1.txt", "da2.txt"):
            if os.path.exists(os.path.join(app, "da", name)):
                os.remove(os.path.join(app, "da", name))
    os.makedirs(work, exist_ok=True)
    trace = os.path.join(work, "trace.jsonl")
    command = [os.path.join(game, "kurunoa"), "--headless", "--seed", str(SEED), "--app-dir", app,
               "--input", keys, "--trace", trace]
    for poll in shots:
        command += ["--screenshot", "%d:%s" % (poll, os.path.join(work, "%d.png" % poll))]
    status = subprocess.run(command, stdout=subprocess.DEVNULL).returncode
    found = {}
    for poll in shots:
        path = os.path.join(work, "%d.png" % poll)
        if os.path.exists(path):
            with open(path, "rb") as f:
                found[str(poll)] = f.read()
    with open(trace) as f:
        return status, f.read().rstrip("\n").split("\n"), found


def compare(server, web, game, name, keys, work, app, profile, shots, modes):
    """The problems found between the browser's and the desktop's run."""
    d_status, d_trace, d_shots = desktop_run(game, os.path.join(web, "tests", keys),
                                             os.path.join(work, name), app, shots)
    query = "headless&seed=%d&input=../tests/%s&trace" % (SEED, keys)
    query += "".join("&screenshot=%d" % p for p in shots)
    result = webrun.run_page(server.url("site/index.html?" + query), profile)
    if result == webrun.SKIP:
        return webrun.SKIP
    if result is None:
        return ["the page gave no result"]
    w_trace = result["trace"].split("\n")
    problems = []
    if result["status"] != d_status:
        problems.append("status %s, desktop %s" % (result["status"], d_status))
    if len(w_trace) != len(d_trace):
        problems.append("%d trace lines, desktop %d" % (len(w_trace), len(d_trace)))
    for i, (w, d) in enumerate(zip(w_trace, d_trace)):
        if without_music_paths(w) != without_music_paths(d):
            problems.append("trace line %d differs:\n  web     %s\n  desktop %s" % (i + 1, w, d))
            break
    if sorted(result["screenshots"]) != sorted(d_shots):
        problems.append("screenshots at %s, desktop at %s"
                        % (sorted(result["screenshots"]), sorted(d_shots)))
    for poll, png in sorted(d_shots.items()):
        url = result["screenshots"].get(poll, "")
        if not url.startswith("data:image/png;base64,"):
            continue
        w_img = webrun.png_pixels(base64.b64decode(url.split(",", 1)[1]))
        d_img = webrun.png_pixels(png)
        if w_img[:2] != (512, 368) or w_img != d_img:
            diff = sum(1 for a, b in zip(w_img[2], d_img[2]) for i in range(0, len(a), 3)
                       if a[i:i + 3] != b[i:i + 3])
            problems.append("screenshot %s: %dx%d, %d pixels differ"
                            % (poll, w_img[0], w_img[1], diff))
    seen = set(re.findall(r'"mode": (-?\d+)', result["trace"]))
    for mode, what in modes:
        if mode not in seen:
            problems.append("the run never reached " + what)
    if not problems:
        print("ok %s: %d trace lines, %d screenshots equal" % (name, len(w_trace), len(d_shots)))
    return problems


def main():
    game, web, make_keys = sys.argv[1:4]
    if not os.path.exists(os.path.join(web, "site", "kurunoa.js")):
        print("SKIP: the browser build is missing (make web)")
        return webrun.SKIP
    failures = 0
    server = webrun.Server(web)
    work = tempfile.mkdtemp(prefix="kurunoa_web_same_")
    try:
        os.makedirs(os.path.join(web, "tests"), exist_ok=True)
        with open(os.path.join(web, "tests", "records.keys"), "w") as f:
            f.write(RECORDS_KEYS)
        year_modes = [("2", "the year end"), ("3", "the records screen")]
        for school in ("front", "left"):
            with open(os.path.join(web, "tests", school + ".keys"), "w") as f:
                subprocess.run(["bash", make_keys, school], stdout=f, check=True)
            app = os.path.join(work, school + "_app")
            profile = os.path.join(work, school + "_profile")
            runs = [(school + " school", school + ".keys", SHOTS,
                     year_modes + ([("6", "the president's scene")] if school == "left" else [])),
                    (school + " school reloaded", "records.keys", RECORDS_SHOTS,
                     [("3", "the records screen")])]
            for name, keys, shots, modes in runs:
                problems = compare(server, web, game, name, keys, work, app, profile,
                                   shots, modes)
                if problems == webrun.SKIP:
                    print("SKIP: chromium or playwright-core cannot run here")
                    return webrun.SKIP
                if problems:
                    failures += 1
                    print("FAIL %s:\n  %s" % (name, "\n  ".join(problems)))
    finally:
        server.close()
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
