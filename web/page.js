// The page around the ferns: the canvas and its WebGL surface, the loop that
// ticks the animation, the settings panel, full screen and the screen wake
// lock, the progress of a long computation, and the offline copy (sw.js) and
// its updates. The ferns are computed and drawn by the same C++ engine as the
// Windows saver, built as morvessantique.wasm (web/main.cpp); this script plays
// the part of the window and its timer.
'use strict';
(function () {
  const ProgressAfterMs = 500;  // a computation that takes longer shows how far it has come
  const SettleMs = 200;  // a new size is computed once it has held this long
  const CloseMovePixels = 4;  // in full screen, mouse movement beyond this (|dx| + |dy|) leaves it
  const StillMaxTicks = 10000;
  const StillSliceMs = 25;  // the still's ticks drawn before the page gets a turn
  const RestoreWaitMs = 5000;  // a lost WebGL context not back after 5 s in view is given up
  const UpdateEveryMs = 4 * 3600 * 1000;  // a page in view asks this often for a new release
  // The most pixels the ferns are computed for: 7680x4320 (a 3840x2160 window at ratio
  // 2) took 0.9 s and 700 MB in Chromium here.
  // A larger canvas gets a smaller picture that the browser scales up.
  const MaxPixels = 7680 * 4320;
  const FastKey = 'morvessantique.fastMadness';
  const AwakeKey = 'morvessantique.keepAwake';
  const Outcomes = ['complete', 'stopped', 'out of memory'];  // the engine's PrecomputeOutcome

  const root = document.documentElement;
  const canvas = document.getElementById('ferns');
  const panel = document.getElementById('panel');
  const fastBox = document.getElementById('fast');
  const awakeLabel = document.getElementById('awake-setting');
  const awakeBox = document.getElementById('awake');
  const fullscreenButton = document.getElementById('fullscreen');
  const progressBox = document.getElementById('progress');
  const progressLines = progressBox.getElementsByTagName('p');
  const message = document.getElementById('message');
  const updateNotice = document.getElementById('update');
  const switchButton = document.getElementById('switch');
  const cappedNote = document.getElementById('capped');

  const state = {
    ready: false,  // the engine is loaded
    wanted: null,  // the canvas size in device pixels, as last reported
    shown: null,  // the size the ferns are computed, or being computed, for
    computing: false,  // a computation has started and not yet reported its end
    contextLost: false,
    lostTimer: 0,  // the wait for a lost context, while it is counting
    lostWaitLeft: 0,
    lostWaitFrom: 0,
    computeStart: 0,
    run: 0,  // counts starts: whatever an older start left going stops
    settleTimer: 0,
    tickTimer: 0,
    nextTick: 0,
  };
  let surface = null;

  // ?fast=1 or ?fast=0 overrides the remembered setting for this visit;
  // ?still=N (1 to StillMaxTicks) draws ticks 1 to N at once. Anything else
  // is ignored.
  function readParameters(search) {
    const query = new URLSearchParams(search);
    const fast = query.get('fast');
    const still = query.get('still');
    const ticks = /^[0-9]{1,5}$/.test(still) ? Number(still) : 0;
    return {
      fast: fast === '1' ? true : fast === '0' ? false : undefined,
      still: ticks >= 1 && ticks <= StillMaxTicks ? ticks : 0,
    };
  }
  const parameters = readParameters(location.search);

  // localStorage may be refused (private windows, pages opened as files).
  function remembered(key, otherwise) {
    try {
      const value = localStorage.getItem(key);
      return value === null ? otherwise : value === '1';
    } catch (e) {
      return otherwise;
    }
  }
  function remember(key, on) {
    try {
      localStorage.setItem(key, on ? '1' : '0');
    } catch (e) {
      // not kept for the next visit; this one uses it all the same
    }
  }
  let fast = parameters.fast !== undefined ? parameters.fast : remembered(FastKey, false);
  let keepAwake = remembered(AwakeKey, true);

  function failed() {
    return root.dataset.state === 'failed';
  }
  function fail(text) {
    root.dataset.state = 'failed';
    stopTicks();
    state.run += 1;  // a still being drawn stops
    if (state.computing && state.ready) Module._morv_stop();
    canvas.hidden = panel.hidden = progressBox.hidden = true;
    message.textContent = text;
    message.hidden = false;
  }

  // --- the WebGL surface the engine's sink draws on (web/webgl_sink.cpp) ----------------

  // The picture accumulates from tick to tick, as in the saver's single-buffered
  // window: preserveDrawingBuffer keeps it between frames. No antialiasing, so
  // lines are drawn as OpenGL draws them.
  let webglTrouble = '';  // the browser's reason when it gives no WebGL context
  function createSurface() {
    canvas.addEventListener('webglcontextcreationerror', (e) => { webglTrouble = e.statusMessage; });
    const gl = canvas.getContext('webgl', {
      alpha: false, antialias: false, depth: false, stencil: false,
      preserveDrawingBuffer: true, powerPreference: 'low-power',
    });
    if (!gl) return null;
    let colorAt = null;
    function compile(type, source) {
      const shader = gl.createShader(type);
      gl.shaderSource(shader, source);
      gl.compileShader(shader);
      return shader;
    }
    function setUp() {
      const program = gl.createProgram();
      gl.attachShader(program, compile(gl.VERTEX_SHADER,
        'attribute vec2 p; void main() { gl_Position = vec4(p, 0.0, 1.0); }'));
      gl.attachShader(program, compile(gl.FRAGMENT_SHADER,
        'precision mediump float; uniform vec4 c; void main() { gl_FragColor = c; }'));
      gl.bindAttribLocation(program, 0, 'p');
      gl.linkProgram(program);
      gl.useProgram(program);
      colorAt = gl.getUniformLocation(program, 'c');
      gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
      gl.enableVertexAttribArray(0);
      gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
    }
    setUp();
    return {
      setUp,
      // The largest buffer the GPU draws: its viewport and renderbuffer limits.
      maxSize() {
        // (a lost context answers null)
        const [width, height] = gl.getParameter(gl.MAX_VIEWPORT_DIMS) || [Infinity, Infinity];
        const most = gl.getParameter(gl.MAX_RENDERBUFFER_SIZE) || Infinity;
        return { width: Math.min(width, most), height: Math.min(height, most) };
      },
      // A browser may still give a smaller drawing buffer than asked; the ferns
      // are computed for the buffer, and the browser scales it.
      resize(width, height) {
        canvas.width = width;
        canvas.height = height;
        gl.viewport(0, 0, gl.drawingBufferWidth, gl.drawingBufferHeight);
        gl.clear(gl.COLOR_BUFFER_BIT);
      },
      width: () => gl.drawingBufferWidth,
      height: () => gl.drawingBufferHeight,
      clear: () => gl.clear(gl.COLOR_BUFFER_BIT),
      color: (red, green, blue) => gl.uniform4f(colorAt, red / 255, green / 255, blue / 255, 1),
      lines(vertices, count) {
        gl.bufferData(gl.ARRAY_BUFFER, vertices, gl.STREAM_DRAW);
        gl.drawArrays(gl.LINES, 0, count * 2);
      },
    };
  }

  // --- computing the ferns for a size -------------------------------------------------------

  // A turn for the page between two slices of work: a message to ourselves,
  // which, unlike a timer, a hidden tab does not slow down.
  const channel = new MessageChannel();
  const waiting = [];
  channel.port1.onmessage = () => waiting.shift()();
  function yieldTurn() {
    showProgressIfSlow();
    return new Promise((resume) => {
      waiting.push(resume);
      channel.port2.postMessage(null);
    });
  }

  function showProgressIfSlow() {
    if (state.computing && performance.now() - state.computeStart >= ProgressAfterMs) {
      progressBox.hidden = false;
    }
  }

  function sameSize(a, b) {
    return a !== null && b !== null && a.width === b.width && a.height === b.height;
  }

  // The one way a computation starts: never while another is under way, which
  // is still suspended and holds the store. That one is asked to stop, and
  // started() comes back here once it has returned.
  function recompute() {
    if (!state.ready || state.contextLost || state.wanted === null || failed()) return;
    if (state.computing) {
      Module._morv_stop();
    } else {
      begin();
    }
  }

  function begin() {
    state.run += 1;
    stopTicks();
    state.shown = state.wanted;
    state.computing = true;
    state.computeStart = performance.now();
    root.dataset.state = 'computing';
    for (const line of progressLines) line.textContent = '';
    const { width, height } = cappedSize(state.shown);
    surface.resize(width, height);
    const [drawnWidth, drawnHeight] = [surface.width(), surface.height()];
    cappedNote.hidden = drawnWidth >= state.shown.width && drawnHeight >= state.shown.height;
    cappedNote.textContent = `The ferns are drawn at ${drawnWidth}x${drawnHeight} and scaled ` +
      `up to ${state.shown.width}x${state.shown.height}: more pixels would take too much ` +
      'memory and time, or more than the graphics card draws.';
    Module._morv_start(drawnWidth, drawnHeight, fast ? 1 : 0);
  }

  // The engine's report that the ferns are computed (or that it stopped).
  function started(outcome) {
    state.computing = false;
    progressBox.hidden = true;
    const ms = Math.round(performance.now() - state.computeStart);
    console.info(`Morvessantique: ferns for ${surface.width()}x${surface.height()}: ` +
                 `${Outcomes[outcome]} in ${ms} ms`);
    if (state.contextLost || failed()) return;  // a restored context computes afresh
    if (!sameSize(state.wanted, state.shown)) {
      begin();  // a newer size, or a restored context, came meanwhile
    } else if (parameters.still) {
      drawStill(state.run);
    } else {
      startTicks();
    }
  }

  // A size of the same shape within MaxPixels and within what the GPU draws.
  function cappedSize(size) {
    const most = surface.maxSize();
    const scale = Math.min(1, Math.sqrt(MaxPixels / (size.width * size.height)),
                           most.width / size.width, most.height / size.height);
    return { width: Math.max(1, Math.floor(size.width * scale)),
             height: Math.max(1, Math.floor(size.height * scale)) };
  }

  function sizeChanged(size) {
    state.wanted = size;
    if (state.shown === null) {
      recompute();  // nothing drawn yet: no need to wait
      return;
    }
    clearTimeout(state.settleTimer);
    state.settleTimer = setTimeout(() => {
      if (!sameSize(state.wanted, state.shown)) recompute();
    }, SettleMs);
  }

  // The canvas's size in device pixels. Where the browser reports it exactly
  // (device-pixel-content-box), a change of the ratio (zoom, another monitor)
  // comes as a resize; elsewhere the ratio is watched for that.
  function observeSize() {
    let exact = false;  // the browser reports device pixels itself
    const measured = () => {
      const box = canvas.getBoundingClientRect();
      return { width: Math.round(box.width * devicePixelRatio),
               height: Math.round(box.height * devicePixelRatio) };
    };
    const followRatio = () => {
      if (!window.matchMedia) return;
      matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener('change', () => {
        followRatio();  // the query for the new ratio
        if (!exact) sizeChanged(measured());
      }, { once: true });
    };
    followRatio();
    if (!window.ResizeObserver) {
      addEventListener('resize', () => sizeChanged(measured()));
      sizeChanged(measured());
      return;
    }
    const observer = new ResizeObserver((entries) => {
      const entry = entries[entries.length - 1];
      const box = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
      const size = {
        width: Math.round(entry.contentRect.width * devicePixelRatio),
        height: Math.round(entry.contentRect.height * devicePixelRatio),
      };
      // The browser's own rounding, unless it is plainly of another ratio: Chromium's
      // emulated ratios (its developer tools) report CSS pixels there.
      exact = !!box && Math.abs(box.inlineSize - size.width) <= 1 &&
        Math.abs(box.blockSize - size.height) <= 1;
      sizeChanged(exact ? { width: box.inlineSize, height: box.blockSize } : size);
    });
    try {
      observer.observe(canvas, { box: 'device-pixel-content-box' });
    } catch (e) {
      observer.observe(canvas);
    }
  }

  // --- the animation ----------------------------------------------------------------------------

  function startTicks() {
    root.dataset.state = 'running';
    state.nextTick = performance.now() + Module._morv_tick_interval();
    scheduleTick();
  }

  function scheduleTick() {
    state.tickTimer = setTimeout(onTimer, Math.max(0, state.nextTick - performance.now()));
  }

  // Like a window timer: at most one tick per elapsed period, and the periods
  // missed after a slow frame or in a hidden tab are not made up.
  function onTimer() {
    const now = performance.now();
    if (now >= state.nextTick) {
      Module._morv_tick();
      const interval = Module._morv_tick_interval();
      state.nextTick += interval;
      if (state.nextTick <= now) state.nextTick = now + interval;
    }
    scheduleTick();
  }

  function stopTicks() {
    clearTimeout(state.tickTimer);
    state.tickTimer = 0;
  }

  // Ticks 1 to N at once, in slices so that a big N does not freeze the page.
  function drawStill(run) {
    let drawn = 0;
    root.dataset.state = 'drawing';
    const slice = () => {
      if (run !== state.run) return;
      const sliceStart = performance.now();
      while (drawn < parameters.still && performance.now() - sliceStart < StillSliceMs) {
        Module._morv_tick();
        drawn += 1;
      }
      if (drawn < parameters.still) {
        yieldTurn().then(slice);
      } else {
        root.dataset.state = 'still';
      }
    };
    slice();
  }

  // --- the settings panel and full screen -------------------------------------------------------

  fastBox.checked = fast;
  fastBox.addEventListener('change', () => {
    fast = fastBox.checked;
    remember(FastKey, fast);
    if (!state.ready) return;
    Module._morv_set_fast(fast ? 1 : 0);
    if (state.tickTimer) {
      stopTicks();
      startTicks();
    }
  });
  panel.hidden = parameters.still > 0;  // a still is a picture to look at and save

  const requestFullscreen = root.requestFullscreen || root.webkitRequestFullscreen;
  const exitFullscreen = document.exitFullscreen || document.webkitExitFullscreen;
  const inFullscreen = () => !!(document.fullscreenElement || document.webkitFullscreenElement);
  let moveFrom = null;  // where the mouse was when full screen began, once known

  function enterFullscreen(at) {
    if (!requestFullscreen || inFullscreen()) return;
    moveFrom = at;
    const request = requestFullscreen.call(root, { navigationUI: 'hide' });
    if (request) request.catch(() => {});  // refused: the page stays as it is
  }
  function leaveFullscreen() {
    const exit = exitFullscreen.call(document);
    if (exit) exit.catch(() => {});
  }
  function fullscreenChanged() {
    root.classList.toggle('fullscreen', inFullscreen());
    if (!inFullscreen()) moveFrom = null;
    holdWakeLock();
  }

  // While the ferns fill the screen and are seen, the display is kept on
  // (Screen Wake Lock, where the browser has it). The browser itself lets go
  // when the page is hidden; it is asked again on return.
  const wakeLocks = navigator.wakeLock;
  let wakeLock = null;  // the lock held, or the request for it
  function holdWakeLock() {
    if (!wakeLocks) return;
    const wanted = keepAwake && inFullscreen() && document.visibilityState === 'visible';
    if (wanted && !wakeLock) {
      const request = wakeLocks.request('screen');
      wakeLock = request;
      request.then((lock) => {
        if (wakeLock !== request) {
          lock.release();  // no longer wanted by the time it came
          return;
        }
        wakeLock = lock;
        lock.addEventListener('release', () => {
          if (wakeLock === lock) wakeLock = null;
        });
      }, () => {
        if (wakeLock === request) wakeLock = null;  // refused: the screen is left as it is
      });
    } else if (!wanted && wakeLock) {
      if (wakeLock.release) wakeLock.release();
      wakeLock = null;
    }
  }
  awakeLabel.hidden = !wakeLocks;
  awakeBox.checked = keepAwake;
  awakeBox.addEventListener('change', () => {
    keepAwake = awakeBox.checked;
    remember(AwakeKey, keepAwake);
    holdWakeLock();
  });
  document.addEventListener('visibilitychange', holdWakeLock);

  if (!requestFullscreen) fullscreenButton.hidden = true;
  fullscreenButton.addEventListener('click', (e) => {
    enterFullscreen(e.detail > 0 ? { x: e.screenX, y: e.screenY } : null);
  });
  document.addEventListener('fullscreenchange', fullscreenChanged);
  document.addEventListener('webkitfullscreenchange', fullscreenChanged);
  // In full screen the saver's close policy applies: a key, a button or a
  // touch leaves it, and so does moving the mouse by more than a few pixels.
  document.addEventListener('keydown', (e) => {
    if (e.repeat) return;
    if (inFullscreen()) {
      e.preventDefault();
      leaveFullscreen();
    } else if ((e.key || '').toLowerCase() === 'f' && !e.ctrlKey && !e.metaKey && !e.altKey) {
      enterFullscreen(null);
    }
  });
  document.addEventListener('pointerdown', () => {
    if (inFullscreen()) leaveFullscreen();
  });
  document.addEventListener('pointermove', (e) => {
    if (!inFullscreen() || e.pointerType !== 'mouse') return;
    if (moveFrom === null) {
      moveFrom = { x: e.screenX, y: e.screenY };
    } else if (Math.abs(e.screenX - moveFrom.x) + Math.abs(e.screenY - moveFrom.y) >
               CloseMovePixels) {
      leaveFullscreen();
    }
  });

  // --- start-up ---------------------------------------------------------------------------------

  const servedHint = location.protocol === 'file:'
    ? ' Pages opened as files cannot load it: serve the folder, for example with ' +
      '"python3 -m http.server -d FOLDER", and open the address it gives.'
    : '';
  if (typeof WebAssembly !== 'object') {
    fail('This browser cannot draw the ferns: it does not run WebAssembly, which computes them.');
    return;
  }
  surface = createSurface();
  if (!surface) {
    fail('This browser cannot draw the ferns: WebGL is not available' +
         (webglTrouble ? ` (${webglTrouble})` : '') + '. It may be switched off in the ' +
         "browser's settings, or the browser does not trust this computer's graphics driver.");
    return;
  }
  // A lost context takes the picture with it: the ferns start again from the
  // first level once it is back. A computation under way is stopped, as
  // nothing of it can be drawn; its report, whenever it comes, starts nothing.
  canvas.addEventListener('webglcontextlost', (e) => {
    e.preventDefault();  // asks for the context back
    state.contextLost = true;
    state.shown = null;
    state.run += 1;  // a still being drawn stops
    stopTicks();
    if (state.computing) Module._morv_stop();
    pauseLostWait();
    state.lostWaitLeft = RestoreWaitMs;
    countLostWait();
  });
  canvas.addEventListener('webglcontextrestored', () => {
    pauseLostWait();
    if (failed()) return;
    state.contextLost = false;
    surface.setUp();
    recompute();
  });

  // The wait for a lost context counts only while the page is seen: browsers give
  // contexts back when a hidden tab comes back, phones every time.
  function countLostWait() {
    if (!state.contextLost || failed() || document.visibilityState !== 'visible') return;
    state.lostWaitFrom = performance.now();
    state.lostTimer = setTimeout(() => {
      fail('The ferns stopped: the browser took the graphics (WebGL) away from this page ' +
           'and did not give them back. Reload the page to start again; if that does not ' +
           'help, close other pages that draw with graphics or restart the browser.');
    }, Math.max(0, state.lostWaitLeft));
  }
  function pauseLostWait() {
    if (!state.lostTimer) return;
    clearTimeout(state.lostTimer);
    state.lostTimer = 0;
    state.lostWaitLeft -= performance.now() - state.lostWaitFrom;
  }
  document.addEventListener('visibilitychange', () => {
    pauseLostWait();
    countLostWait();
  });

  // The page's files are kept for visits without a network (sw.js). Served pages
  // only: a service worker needs http(s). A new release is fetched whole beside
  // the running one and waits; the page offers the switch, and once the new one
  // has taken over, every page of the old one loads again, so that no page runs
  // on files of two releases.
  const workers = location.protocol !== 'file:' && navigator.serviceWorker;
  if (workers) {
    let controlled = !!workers.controller;  // a first visit's worker taking over changes nothing
    let reloading = false;
    workers.addEventListener('controllerchange', () => {
      if (controlled && !reloading) {
        reloading = true;
        location.reload();
      }
      controlled = true;
    });
    workers.register('sw.js').then((registration) => {
      const offer = () => {
        if (registration.waiting && workers.controller) updateNotice.hidden = false;
      };
      // The browser may have found the new worker before register() resolved:
      // the one installing now is watched as well as any found later.
      const watch = () => {
        if (registration.installing) registration.installing.addEventListener('statechange', offer);
      };
      registration.addEventListener('updatefound', watch);
      watch();
      switchButton.addEventListener('click', () => {
        if (registration.waiting) registration.waiting.postMessage('switch');
      });
      offer();
      // A page left open asks now and then, and whenever it comes back into view.
      const ask = () => {
        if (document.visibilityState !== 'visible') return;
        offer();
        registration.update().catch(() => {});  // offline, or the server is away: later
      };
      setInterval(ask, UpdateEveryMs);
      document.addEventListener('visibilitychange', ask);
    }).catch(() => {});  // the page works without
  }

  window.Module = {
    surface,
    page: {
      yieldTurn,
      progress(fern, text) {
        progressLines[fern].textContent = text;
        showProgressIfSlow();
      },
      // Called from inside the engine: carry on once it has returned.
      started: (outcome) => Promise.resolve().then(() => started(outcome)),
    },
    onRuntimeInitialized() {
      state.ready = true;
      recompute();
    },
    onAbort(what) {
      state.ready = false;  // nothing of the engine may be called any more
      fail(`The ferns could not be started: ${what}.${servedHint}`);
    },
  };
  // A browser whose policy support lacks 'wasm-unsafe-eval' (older WebKit), or a
  // server's own policy, refuses WebAssembly: an empty module tells, before the engine.
  WebAssembly.instantiate(new Uint8Array([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0])).then(() => {
    const engine = document.createElement('script');
    engine.src = 'morvessantique.js';
    engine.onerror = () => fail(`The page could not load morvessantique.js.${servedHint}`);
    document.body.appendChild(engine);
  }, (error) => {
    fail('This browser cannot draw the ferns: the browser, or the server\'s own security ' +
         `policy, does not let this page run WebAssembly, which computes them (${error.message}). ` +
         "A browser whose policy support lacks 'wasm-unsafe-eval', the keyword that allows " +
         'it, refuses it; a newer version of the browser has it.');
  });
  observeSize();
})();
