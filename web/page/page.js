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
    // After the end the keys are the page's again (Enter on "Play again").
    if (vk < 0 || e.ctrlKey || e.metaKey || finished) return;
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

  // ---- Gamepads (the standard mapping), as on the desktop: the d-pad and
  // the left stick act as the arrows, A as Space, Start as Enter, Back as
  // Escape. Held buttons are sent like held keys. ----
  const padHeld = new Set();
  let padLoop = false;
  function pollPads() {
    const now = new Set();
    for (const pad of navigator.getGamepads ? navigator.getGamepads() : []) {
      if (!pad || pad.mapping !== "standard") continue;
      const b = (i) => pad.buttons[i] && pad.buttons[i].pressed;
      const x = pad.axes[0] || 0, y = pad.axes[1] || 0;
      const stick = 16000 / 32767; // the desktop's threshold
      if (b(0)) now.add(32);
      if (b(9)) now.add(13);
      if (b(8)) now.add(27);
      if (b(14) || x < -stick) now.add(37);
      if (b(12) || y < -stick) now.add(38);
      if (b(15) || x > stick) now.add(39);
      if (b(13) || y > stick) now.add(40);
    }
    for (const vk of now) {
      if (!padHeld.has(vk)) {
        sendKey(vk, true);
        if (Module.kurunoaFirstKey) Module.kurunoaFirstKey();
      }
    }
    for (const vk of padHeld) if (!now.has(vk)) sendKey(vk, false);
    padHeld.clear();
    for (const vk of now) padHeld.add(vk);
    if (!finished) requestAnimationFrame(pollPads);
  }
  window.addEventListener("gamepadconnected", () => {
    if (padLoop || headless) return;
    padLoop = true;
    requestAnimationFrame(pollPads);
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
  // Work per play frame and the first title frame (see web/bench_hook.cpp).
  function benchFigures() {
    if (!Module._WebBenchFigures) return null;
    const at = Module._malloc(24);
    Module._WebBenchFigures(at);
    const f = Module.HEAPF64.subarray(at / 8, at / 8 + 3);
    const figures = { frames: f[0], frame_mean_ms: f[1], frame_p99_ms: f[2],
      first_title_ms: Module.kurunoaFirstTitleMs || null };
    Module._free(at);
    return figures;
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
    const result = { status: status, trace: trace, screenshots: screenshots, bench: benchFigures() };
    window.kurunoaResult = result;
    const pre = document.getElementById("kurunoa-result");
    pre.textContent = JSON.stringify(result);
    pre.hidden = false;
    document.title = "kurunoa done " + status;
  }

  // ---- The register: kept in IndexedDB (IDBFS at /register), which every
  // page of the game on this site shares. It is copied into the game folder
  // before the game starts. A save takes a lock all pages share, brings in
  // the files another page may have stored since, and stores its own before
  // letting the lock go; the game waits on `state` and shows the failed-save
  // line when the store failed. ----
  const REGISTER = ["da1.txt", "da2.txt"];
  const STORE_FAILED =
    "卒業生の記録をブラウザに保存できませんでした / The register could not be stored in the browser";
  let persisting = Promise.resolve();
  let persistQueued = false;
  let saving = false;
  function exists(path) {
    try {
      FS.stat(path);
      return true;
    } catch (e) {
      return false;
    }
  }
  function syncfs(populate) {
    return new Promise((done) => FS.syncfs(populate, (err) => done(err || null)));
  }
  function storeFiles(folder) {
    for (const name of REGISTER) {
      if (exists(folder + name)) FS.writeFile("/register/" + name, FS.readFile(folder + name));
    }
    return syncfs(false);
  }
  function sameBytes(a, b) {
    return a.length === b.length && a.every((v, i) => v === b[i]);
  }
  // Outside saves (a start that finished an interrupted save), after the
  // program's own writes are done.
  function persistRegister() {
    if (persistQueued || saving) return;
    persistQueued = true;
    persisting = persisting
      .then(() => new Promise((later) => setTimeout(later, 0)))
      .then(async () => {
        persistQueued = false;
        if (await storeFiles("/game/da/")) message.textContent = STORE_FAILED;
      });
  }
  // The lock every page of the game shares, held until release() (browsers
  // without Web Locks have nothing to share it with).
  function sharedLock() {
    if (!navigator.locks) return Promise.resolve(() => {});
    return new Promise((held) => {
      navigator.locks.request("kurunoa-register", () => new Promise((release) => held(release)));
    });
  }
  const register = { state: 1, release: () => {} };
  register.begin = (folder) => {
    register.state = 0;
    saving = true;
    persisting = persisting.then(async () => {
      try {
        register.release = await sharedLock();
        const err = await syncfs(true);
        if (err) throw err;
        for (const name of REGISTER) {
          if (!exists("/register/" + name)) continue;
          const stored = FS.readFile("/register/" + name);
          if (!exists(folder + name) || !sameBytes(stored, FS.readFile(folder + name))) {
            FS.writeFile(folder + name, stored);
          }
        }
      } catch (e) {
        // The save goes on with the files this page has.
        console.warn("kurunoa: the stored register could not be read: " + e);
      }
      register.state = 1;
    });
  };
  register.end = (folder, saved) => {
    register.state = 0;
    persisting = persisting.then(async () => {
      let err = null;
      try {
        if (saved) err = await storeFiles(folder);
      } catch (e) {
        err = e;
      }
      if (err) {
        console.warn("kurunoa: the register could not be stored: " + err);
        message.textContent = STORE_FAILED;
      }
      saving = false;
      register.release();
      register.release = () => {};
      register.state = err ? 2 : 1;
    });
  };
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

  // Export: the register files as downloads. Import: both files (or one)
  // into the browser's storage, then a fresh start reads them.
  document.getElementById("export").addEventListener("click", () => {
    for (const name of REGISTER) {
      const path = exists("/game/da/" + name) ? "/game/da/" + name : "/register/" + name;
      if (!exists(path)) continue;
      const link = document.createElement("a");
      link.href = URL.createObjectURL(new Blob([FS.readFile(path)], { type: "text/plain" }));
      link.download = name;
      document.body.appendChild(link);
      link.click();
      link.remove();
    }
  });
  document.getElementById("import").addEventListener("change", async (e) => {
    const files = Array.from(e.target.files).filter((f) => REGISTER.includes(f.name));
    if (files.length === 0) {
      message.textContent = "da1.txt か da2.txt を選んでください / Choose da1.txt or da2.txt";
      return;
    }
    for (const f of files) FS.writeFile("/register/" + f.name, new Uint8Array(await f.arrayBuffer()));
    FS.syncfs(false, () => location.reload());
  });

  // ---- Sound: the music rendered at build time and the shipped effects,
  // following the player's commands. Browsers allow sound only after a
  // gesture: until the first key press the position runs on the page's clock,
  // afterwards on the audio clock. Headless runs have no sound at all. ----
  function makeAudio() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (headless || !Context) return null;
    const ctx = new Context();
    const master = ctx.createGain();
    const analyser = ctx.createAnalyser();
    const effectGain = ctx.createGain();
    effectGain.gain.value = 0.8; // as the desktop mixes them
    effectGain.connect(master);
    master.connect(analyser);
    analyser.connect(ctx.destination);
    const music = {}; // "bg1" -> AudioBuffer
    const effects = {}; // n -> AudioBuffer
    let track = null, posMs = 0, playing = false, clockStart = 0;
    let source = null, sourceStart = 0, sourceOffset = 0, effectSource = null;
    function currentMs() {
      if (!playing) return posMs;
      if (source) return sourceOffset + (ctx.currentTime - sourceStart) * 1000;
      return posMs + (performance.now() - clockStart);
    }
    function stopSource() {
      if (!source) return;
      try {
        source.stop();
      } catch (e) {
        // never started
      }
      source.disconnect();
      source = null;
    }
    function startSource() {
      if (source || !playing || ctx.state !== "running" || !music[track]) return;
      const at = currentMs();
      source = ctx.createBufferSource();
      source.buffer = music[track];
      source.connect(master);
      sourceOffset = at;
      sourceStart = ctx.currentTime;
      source.start(0, Math.min(at / 1000, music[track].duration));
    }
    async function load() {
      for (let n = 0; n <= 8; n++) {
        try {
          const bytes = FS.readFile("/game/da/se" + n + ".wav");
          effects[n] = await ctx.decodeAudioData(bytes.slice().buffer);
        } catch (e) {
          // a missing or unreadable effect stays silent, as on the desktop
        }
      }
      for (const name of ["bg1", "bg2"]) {
        try {
          const response = await fetch("music/" + name + ".opus");
          if (!response.ok) continue;
          music[name] = await ctx.decodeAudioData(await response.arrayBuffer());
          if (name === track) startSource();
        } catch (e) {
          console.warn("kurunoa: the music " + name + " could not be decoded");
        }
      }
    }
    return {
      load: load,
      unlock() {
        if (ctx.state !== "running") ctx.resume().then(startSource);
      },
      command(text) {
        let m;
        if ((m = /^open (.*) alias bgm$/.exec(text))) {
          stopSource();
          track = m[1].replace(/^.*[\/\\]/, "").replace(/\.mid$/i, "");
          posMs = 0;
          playing = false;
        } else if ((m = /^seek bgm to (.*)$/.exec(text))) {
          stopSource();
          posMs = Math.max(0, Math.round(parseFloat(m[1]) || 0));
          playing = false;
        } else if (text === "play bgm") {
          if (!playing) {
            playing = true;
            clockStart = performance.now();
            startSource();
          }
        } else if (text === "stop bgm" || text === "close bgm") {
          posMs = currentMs();
          playing = false;
          stopSource();
          if (text === "close bgm") track = null;
        }
      },
      // The music position from the audio clock; -1 while it is not playing.
      position() {
        return source ? currentMs() : -1;
      },
      effect(n) {
        if (effectSource) {
          try {
            effectSource.stop();
          } catch (e) {
            // already over
          }
          effectSource = null;
        }
        if (n < 0 || !effects[n] || ctx.state !== "running") return;
        effectSource = ctx.createBufferSource();
        effectSource.buffer = effects[n];
        effectSource.connect(effectGain);
        effectSource.start();
      },
      // The loudest sample now leaving the page, 0..1 (for the tests).
      level() {
        const data = new Float32Array(analyser.fftSize);
        analyser.getFloatTimeDomainData(data);
        return data.reduce((m, v) => Math.max(m, Math.abs(v)), 0);
      },
    };
  }

  const downloads = {};
  function showProgress(what, loaded, total) {
    downloads[what] = { loaded, total };
    let sum = 0, max = 0;
    for (const d of Object.values(downloads)) {
      sum += d.loaded;
      max += Math.max(d.total, d.loaded);
    }
    progress.max = max || 1;
    progress.value = sum;
  }

  // ---- Start. ----
  async function start() {
    restoreRegister();
    watchRegister();
    Module.kurunoaRegister = register;
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
    const audio = makeAudio();
    if (audio) {
      Module.kurunoaAudio = audio;
      Module.kurunoaFirstKey = () => audio.unlock();
      audio.load();
    }
    Module.callMain(args);
  }

  window.Module = {
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    // The progress bar follows both downloads: the data and the program.
    setStatus: (text) => {
      const m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
      if (m) showProgress("data", Number(m[1]), Number(m[2]));
    },
    instantiateWasm: (imports, receive) => {
      (async () => {
        const response = await fetch("kurunoa.wasm");
        const total = Number(response.headers.get("Content-Length")) || 0;
        // Counted on its way to the streaming compiler.
        const counted = new ReadableStream({
          async start(controller) {
            const reader = response.body.getReader();
            let loaded = 0;
            for (;;) {
              const { done, value } = await reader.read();
              if (done) break;
              loaded += value.length;
              showProgress("program", loaded, total);
              controller.enqueue(value);
            }
            controller.close();
          },
        });
        const { instance, module } = await WebAssembly.instantiateStreaming(
          new Response(counted, { headers: { "Content-Type": "application/wasm" } }), imports);
        receive(instance, module);
      })().catch((e) => {
        statusLine.textContent = "読み込めませんでした / Could not load: " + e;
      });
      return {};
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
