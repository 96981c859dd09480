"""The browser build's figures, beside the desktop's for the same year.

  bench: web frame_mean_ms=X frame_p99_ms=X first_title_ms=X transfer_kb=X
         desktop_frame_mean_ms=X desktop_frame_p99_ms=X

The year is bench_year's (the same seed and keys), played headless in
chromium; the work per play frame excludes the wait. first_title_ms runs from
navigation to the first title frame over loopback; transfer_kb is everything
a player's page downloads (the site, served uncompressed).
Usage: bench_web.py WEB_BUILD_DIR BENCH_YEAR [--game DIR]
"""
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "web"))
import webrun  # noqa: E402

SEED = 20240401
KEYS = "0 SPACE\n1 -\n3 SPACE\n4 -\n10 UP\n11400 -\n11410 SPACE\n11412 -\n11420 ESC\n"


def main():
    web, bench_year = sys.argv[1], sys.argv[2]
    site = os.path.join(web, "site")
    if not os.path.exists(os.path.join(site, "kurunoa.js")):
        print("bench: web skipped (make web)")
        return 0
    desktop = subprocess.run([bench_year] + sys.argv[3:], stdout=subprocess.PIPE,
                             text=True).stdout
    mean = re.search(r"mean_ms=([\d.]+)", desktop)
    p99 = re.search(r"p99_ms=([\d.]+)", desktop)
    transfer = sum(os.path.getsize(os.path.join(root, f))
                   for root, _, files in os.walk(site) for f in files)
    os.makedirs(os.path.join(web, "tests"), exist_ok=True)
    with open(os.path.join(web, "tests", "bench.keys"), "w") as f:
        f.write(KEYS)
    server = webrun.Server(web)
    profile = tempfile.mkdtemp(prefix="kurunoa_bench_")
    try:
        result = webrun.run_page(server.url(
            "site/index.html?headless&seed=%d&input=../tests/bench.keys&max-polls=13000" % SEED),
            profile)
    finally:
        server.close()
        subprocess.run(["rm", "-rf", profile])
    if result == webrun.SKIP or not result or not result.get("bench"):
        print("bench: web skipped (chromium or playwright-core cannot run here)")
        return 0
    b = result["bench"]
    if os.environ.get("BENCH_WEB_VERBOSE"):
        print(result["status"], b)
    print("bench: web frame_mean_ms=%.4f frame_p99_ms=%.4f first_title_ms=%.0f transfer_kb=%.0f "
          "desktop_frame_mean_ms=%s desktop_frame_p99_ms=%s"
          % (b["frame_mean_ms"], b["frame_p99_ms"], b["first_title_ms"] or -1, transfer / 1024,
             mean.group(1) if mean else "?", p99.group(1) if p99 else "?"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
