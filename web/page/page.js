// The page around the game: the canvas, the keyboard, the progress bar, the
// end of a run, and the deterministic runs the tests use:
//   ?headless&seed=N&input=URL&max-polls=N&screenshot=POLL&trace
// mirror the command line; when such a run ends, window.kurunoaResult is
// {status, trace, screenshots} (also as JSON in #kurunoa-result) and the
// title reads "kurunoa done STATUS".
"use strict";
(function () {
  const params = new URLSearchParams(location.search);
  const headless = params.has("headless");
  const canvas = document.getElementById("screen");
  const context = canvas.getContext("2d");
  const picture = document.getElementById("picture");
  const loading = document.getElementById("loading");
  const progress = document.getElementById("progress");
  const statusLine = document.getElementById("status");
  const ended = document.getElementById("ended");
  const message = document.getElementById("message");
  const shots = params.getAll("screenshot").filter((p) => /^\d+$/.test(p));
  let finished = false;

  // ---- The picture: the largest whole scale that fits, crisp pixels. ----
  function fit() {
    const full = document.fullscreenElement === picture;
    const side = window.innerWidth >= 512 + 300;
    const width = full ? screen.width : window.innerWidth - (side ? 300 : 16);
    const height = full ? screen.height : window.innerHeight - 16;
    const scale = Math.max(1, Math.floor(Math.min(width / 512, height / 368)));
    canvas.style.width = 512 * scale + "px";
    canvas.style.height = 368 * scale + "px";
  }
  window.addEventListener("resize", fit);
  document.addEventListener("fullscreenchange", fit);
  fit();
  document.getElementById("fullscreen").addEventListener("click", () => {
    if (picture.requestFullscreen) picture.requestFullscreen().catch(() => {});
    canvas.focus();
  });
  document.getElementById("restart").addEventListener("click", () => location.reload());

  // ---- Keyboard: virtual-key codes as on the desktop. Letters and digits
  // by the character typed; the rest by position. ----
  const byPosition = {
    ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39, ArrowDown: 40, Space: 32, Enter: 13,
    NumpadEnter: 13, Escape: 27, Delete: 46, Backspace: 8, Tab: 9, ShiftLeft: 16,
    ShiftRight: 16, ControlLeft: 17, ControlRight: 17, AltLeft: 18, AltRight: 18,
  };
  const held = new Map(); // e.code -> the code sent at keydown, released at keyup
  function virtualKey(e) {
    if (e.code in byPosition) return byPosition[e.code];
    if (e.key && e.key.length === 1) {
      const c = e.key.toUpperCase();
      if ((c >= "A" && c <= "Z") || (c >= "0" && c <= "9")) return c.charCodeAt(0);
    }
    return -1;
  }
  function sendKey(vk, down) {
    if (!headless && Module._WebKey) Module._WebKey(vk, down ? 1 : 0);
  }
  window.addEventListener("keydown", (e) => {
    const vk = held.has(e.code) ? held.get(e.code) : virtualKey(e);
    if (vk < 0 || e.ctrlKey || e.metaKey) return;
    e.preventDefault(); // no scrolling on arrows and Space, no button presses
    held.set(e.code, vk);
    sendKey(vk, true);
    if (Module.kurunoaFirstKey) Module.kurunoaFirstKey();
  });
  window.addEventListener("keyup", (e) => {
    if (!held.has(e.code)) return;
    e.preventDefault();
    const vk = held.get(e.code);
    held.delete(e.code);
    sendKey(vk, false);
  });
  window.addEventListener("blur", () => {
    held.clear();
    sendKey(-1, false);
  });

  // ---- The end of a run. ----
  function dataUrl(bytes) {
    let text = "";
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return "data:image/png;base64," + btoa(text);
  }
  function readText(path) {
    try {
      return FS.readFile(path, { encoding: "utf8" });
    } catch (e) {
      return "";
    }
  }
  function finish(status) {
    if (finished) return;
    finished = true;
    // The end is announced once the register is safely stored.
    persisting.then(() => announce(status));
  }
  function announce(status) {
    loading.hidden = true;
    if (!headless) {
      ended.hidden = false;
      document.getElementById("restart").focus();
      return;
    }
    const screenshots = {};
    for (const poll of shots) {
      try {
        screenshots[poll] = dataUrl(FS.readFile("/shots/" + poll + ".png"));
      } catch (e) {
        // not reached: the run ended before that poll
      }
    }
    const trace = readText("/trace.jsonl").replace(/\n$/, "");
    const result = { status: status, trace: trace, screenshots: screenshots };
    window.kurunoaResult = result;
    const pre = document.getElementById("kurunoa-result");
    pre.textContent = JSON.stringify(result);
    pre.hidden = false;
    document.title = "kurunoa done " + status;
  }

  // ---- The register: kept in IndexedDB (IDBFS at /register), copied into
  // the game folder before the game starts and back after every save. ----
  const REGISTER = ["da1.txt", "da2.txt"];
  let persisting = Promise.resolve();
  let persistQueued = false;
  function exists(path) {
    try {
      FS.stat(path);
      return true;
    } catch (e) {
      return false;
    }
  }
  function persistRegister() {
    if (persistQueued) return;
    persistQueued = true;
    persisting = persisting.then(() => new Promise((done) => {
      // After the program's own write has finished (a save is a few calls).
      setTimeout(() => {
        persistQueued = false;
        for (const name of REGISTER) {
          if (exists("/game/da/" + name)) {
            FS.writeFile("/register/" + name, FS.readFile("/game/da/" + name));
          }
        }
        FS.syncfs(false, (err) => {
          if (err) message.textContent = "卒業生の記録をブラウザに保存できませんでした / The register could not be stored in the browser";
          done();
        });
      }, 0);
    }));
  }
  function watchRegister() {
    const isRegister = (path) => REGISTER.some((name) => path === "/game/da/" + name);
    const close = FS.close;
    FS.close = function (stream) {
      const path = stream && stream.path;
      const result = close.apply(this, arguments);
      if (path && isRegister(path) && (stream.flags & 3) !== 0) persistRegister();
      return result;
    };
    const rename = FS.rename;
    FS.rename = function (from, to) {
      const result = rename.apply(this, arguments);
      if (isRegister(to)) persistRegister();
      return result;
    };
  }
  function restoreRegister() {
    for (const name of REGISTER) {
      if (exists("/register/" + name)) FS.writeFile("/game/da/" + name, FS.readFile("/register/" + name));
    }
  }

  // ---- Start. ----
  async function start() {
    restoreRegister();
    watchRegister();
    const args = ["--app-dir", "/game/"];
    if (params.has("seed")) args.push("--seed", params.get("seed"));
    // The trace also in play, read from the page's file system afterwards.
    if (params.has("trace")) args.push("--trace", "/trace.jsonl");
    if (headless) {
      args.push("--headless");
      if (params.has("input")) {
        const response = await fetch(params.get("input"));
        if (!response.ok) {
          console.warn("kurunoa: the key script " + params.get("input") + " could not be read");
          finish(2);
          return;
        }
        FS.writeFile("/input.txt", new Uint8Array(await response.arrayBuffer()));
        args.push("--input", "/input.txt");
      }
      if (params.has("max-polls")) args.push("--max-polls", params.get("max-polls"));
      FS.mkdir("/shots");
      for (const poll of shots) args.push("--screenshot", poll + ":/shots/" + poll + ".png");
    }
    loading.hidden = true;
    canvas.focus();
    Module.callMain(args);
  }

  window.Module = {
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    setStatus: (text) => {
      const m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
      if (m) {
        progress.max = Number(m[2]);
        progress.value = Number(m[1]);
      }
    },
    monitorRunDependencies: () => {},
    preRun: [() => {
      FS.mkdir("/register");
      FS.mount(IDBFS, {}, "/register");
      addRunDependency("register");
      FS.syncfs(true, (err) => {
        if (err) console.warn("kurunoa: the stored register could not be read: " + err);
        removeRunDependency("register");
      });
    }],
    onRuntimeInitialized: () => {
      start().catch((e) => {
        console.warn("kurunoa: " + e);
        finish(1);
      });
    },
    onExit: (status) => finish(status),
    onAbort: () => finish("abort"),
    kurunoaShow: () => {},
    kurunoaDraw: (bytes, w, h) => {
      context.putImageData(new ImageData(new Uint8ClampedArray(bytes), w, h), 0, 0);
    },
    kurunoaMessage: (title, text) => {
      message.textContent = title + ": " + text;
    },
  };
  statusLine.textContent = "読み込み中… Loading…";
})();
