// The web page in a browser, served from 127.0.0.1, as a visitor sees it. In
// every engine: its still picture against morvessantique-tool's, the animation
// growing, a lost WebGL context given back, an offline visit, a host that
// redirects index.html, failed and successful updates, and its security policy.
// In Firefox, a change of the device pixel ratio. In Chromium alone, over its
// DevTools protocol: a resize, a device pixel ratio of 2, a GPU's size limit, the
// install offer and the manifest, virtual time, the URL parameters and
// the remembered setting, full screen, the close policy and the wake lock, a lost
// context in a hidden tab, a new release of one of two copies, a hidden page and
// one brought back into view, a browser without WebGL, and the driver when the browser dies.
// Last, in every engine: the browser ends with the test, however it is ended.
//   node web_page.js ENGINE PAGE_FOLDER MORVESSANTIQUE_TOOL CMAKE
//   (ENGINE: chromium, firefox or webkit)
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');
const { launch } = require('../support/chromium.js');
const { serve, groupEnded, engines } = require('../support/browsers.js');

const [engine, folder, tool, cmake] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'morv-web-'));
let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok' : 'FAIL'}: ${what}`);
  if (!ok) failures += 1;
}

const rgb = (png) => execFileSync('convert', ['png:-', '-depth', '8', 'rgb:-'],
  { input: png, maxBuffer: 1 << 26 });
function toolPicture(size, ticks, ...fast) {
  const out = path.join(work, 'tool.png');
  execFileSync(tool, ['png', size, String(ticks), '--out', out, ...fast]);
  return rgb(fs.readFileSync(out));
}
function count(pixels, other, test) {
  let n = 0;
  for (let i = 0; i < pixels.length; i += 3) if (test(pixels, other, i)) n += 1;
  return n;
}
const isLit = (p, _, i) => p[i] + p[i + 1] + p[i + 2] > 0;
const differs = (p, q, i) => p[i] !== q[i] || p[i + 1] !== q[i + 1] || p[i + 2] !== q[i + 2];
const state = (name) => `document.documentElement.dataset.state === '${name}'`;
// Whether `expression` comes true within `seconds`: a check, not the end of the run.
const reaches = (page, expression, seconds) =>
  page.until(expression, seconds).then(() => true, () => false);
// The page's files, as the build lists them.
const pageFiles = fs.readFileSync(path.join(__dirname, '../../web/page_files.txt'), 'utf8')
  .split('\n').filter(Boolean);
// A new sw.js for the files in `dir`, as the build makes it.
const remakeWorker = (dir) => execFileSync(cmake, ['-D', `DIR=${dir}`,
  '-D', `FILES=${pageFiles.join(';')}`, '-D', `TEMPLATE=${path.join(__dirname, '../../web/sw.js.in')}`,
  '-P', path.join(__dirname, '../../web/service_worker.cmake')]);
function changeFooter(dir, text) {
  const index = path.join(dir, 'index.html');
  fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace(/( \w+)?<\/footer>/, ` ${text}</footer>`));
  remakeWorker(dir);
}

// The browser's rasteriser may end a few lines one pixel differently from
// Mesa's: at most 0.5% of the lit pixels.
async function samePicture(page, expected, what) {
  const shot = rgb(await page.screenshot());
  const diff = shot.length === expected.length ? count(shot, expected, differs) : Infinity;
  const lit = count(expected, null, isLit);
  check(lit > 0 && diff <= lit * 0.005, `${what}: ${diff} of ${lit} lit pixels differ`);
}

// A copy of the page served with a script of its own run before page.js.
async function serveWithScript(name, script) {
  const dir = path.join(work, name);
  fs.cpSync(folder, dir, { recursive: true });
  fs.writeFileSync(path.join(dir, `${name}.js`), script);
  const index = path.join(dir, 'index.html');
  fs.writeFileSync(index, fs.readFileSync(index, 'utf8')
    .replace('<script src="page.js">', `<script src="${name}.js"></script><script src="page.js">`));
  return serve(dir);
}

const skip = (what, why) => console.log(`skip: ${what}: ${why}`);
const chromiumOnly = 'Chromium only, over its DevTools protocol';

// In every engine. `open` shows the page at an address in a viewport of the size.
async function everyEngine(open) {
  let page = await open(640, 480, '?still=110');
  await page.until(state('still'));
  await samePicture(page, toolPicture('640x480', 110), '?still=110 at 640x480');

  // A lost context given back draws the ferns again.
  await page.evaluate(`(() => {
    const canvas = document.getElementById('ferns');
    window.lose = canvas.getContext('webgl').getExtension('WEBGL_lose_context');
    canvas.addEventListener('webglcontextlost', () => { window.lost = true; });
    lose.loseContext();
    return true;
  })()`);
  await page.until('window.lost', 10);
  await page.evaluate('(lose.restoreContext(), true)');
  check(await reaches(page, state('still'), 30), 'a lost context given back: drawn again');
  await samePicture(page, toolPicture('640x480', 110), 'after the context came back');

  if (engine === 'chromium') {
    skip('the animation growing in real time', 'Chromium checks it in virtual time');
  } else {
    page = await open(640, 480, '?fast=0');
    await page.until(state('running'));
    await new Promise((resolve) => setTimeout(resolve, 1500));
    const early = rgb(await page.screenshot());
    await new Promise((resolve) => setTimeout(resolve, 2500));
    const late = rgb(await page.screenshot());
    const [a, b] = [early, late].map((shot) => count(shot, null, isLit));
    check(count(early, late, differs) > 0 && b > a,
          `the fern grows: ${a} lit pixels after 1.5 s, ${b} after 4 s`);
  }

  // Only its own scripts: one from another origin does not run, and a normal run
  // breaks no rule of the policy (a watcher loaded before the page's own script).
  const watching = await serveWithScript('watch', `window.violations = [];
    document.addEventListener('securitypolicyviolation',
      (e) => violations.push(e.violatedDirective + ' ' + e.blockedURI));`);
  page = await open(640, 480, '?still=110', `${watching.address}/index.html`);
  await page.until(state('still'));
  const normal = await page.evaluate('violations.join()');
  check(normal === '', `a normal run breaks no rule of the policy: "${normal}"`);
  const stranger = path.join(work, 'stranger');
  fs.mkdirSync(stranger);
  fs.writeFileSync(path.join(stranger, 'stranger.js'), "window.stranger = 'it ran';");
  const strangers = (await serve(stranger)).address;
  const injected = await page.evaluate(`new Promise((resolve) => {
    const script = document.createElement('script');
    script.src = '${strangers}/stranger.js';
    script.onload = script.onerror = () => resolve(window.stranger || 'refused');
    document.body.append(script);
  })`);
  const broken = await page.evaluate('violations.join()');
  check(injected === 'refused' && /^script-src/.test(broken),
        `a script from another origin: ${injected}, "${broken}"`);

  // A host with "pretty URLs": index.html is a redirect to the folder. The second
  // visit, online and then with the server gone, comes from the offline copy.
  const pretty = await serve(folder, { redirect: true });
  page = await open(640, 480, '?still=110', `${pretty.address}/`);
  await page.until(`!!navigator.serviceWorker.controller && ${state('still')}`);
  for (const how of ['online', 'offline']) {
    if (how === 'offline') pretty.close();
    page = await open(640, 480, '?still=110', `${pretty.address}/`);
    check(await reaches(page, state('still'), 20), `a redirecting host: the second visit ${how}`);
    await samePicture(page, toolPicture('640x480', 110), `a redirecting host, ${how}`);
  }

  // Failed updates leave the running copy as it was: a new sw.js of the same
  // release whose install cannot keep one file (cache.put refuses an answer with
  // Vary: *), then a new release that cannot keep it, and one with it missing.
  const copy = path.join(work, 'copy');
  fs.cpSync(folder, copy, { recursive: true });
  let odd = null;  // how the server answers for page.css
  const host = await serve(copy, { answer: (name) => (name === '/page.css' ? odd : null) });
  page = await open(640, 480, '?still=110', `${host.address}/index.html`);
  await page.until(`!!navigator.serviceWorker.controller && ${state('still')}`);
  const running = await page.evaluate('caches.keys()');
  const update = () => page.evaluate(`navigator.serviceWorker.getRegistration().then((r) =>
    new Promise((resolve) => {
      r.addEventListener('updatefound', () => {
        const w = r.installing;
        w.addEventListener('statechange', () => {
          if (w.state === 'redundant' || w.state === 'installed') resolve(w.state);
        });
      });
      r.update().catch(() => {});
      setTimeout(() => resolve('no new worker'), 30000);
    }))`);
  fs.appendFileSync(path.join(copy, 'sw.js'), '// the same release\n');
  odd = { headers: { Vary: '*' } };
  const sameRelease = await update();
  changeFooter(copy, 'new');
  const newRelease = await update();
  odd = { status: 404 };
  const missing = await update();
  const caches = await page.evaluate('caches.keys()');
  const outcomes = [sameRelease, newRelease, missing];
  check(outcomes.every((outcome) => outcome === 'redundant') && caches.join() === running.join(),
        `failed updates (${outcomes}) keep the running cache alone: ${running} -> ${caches}`);
  host.close();
  await page.navigate(`${host.address}/index.html?still=110`);
  check(await reaches(page, state('still'), 20) &&
        await page.evaluate("document.getElementById('update').hidden"),
        'after the failed updates, offline: no notice');
  await samePicture(page, toolPicture('640x480', 110), 'after the failed updates, offline');

  // Back online with every file: the notice, and one click brings the new release.
  odd = null;
  await host.reopen();
  await page.navigate(`${host.address}/index.html`);
  const footerText = "document.querySelector('footer').textContent";
  check(await reaches(page, `!document.getElementById('update').hidden && ${state('running')}`, 30) &&
        !/new$/.test(await page.evaluate(footerText)), 'a new release: the notice, the old page');
  await page.evaluate("(window.old = true, document.getElementById('switch').click(), true)");
  check(await reaches(page, `!window.old && /new$/.test(${footerText}) && ${state('running')}`, 30),
        'one click switched to the new release');
  host.close();

  // A browser whose policy support lacks the keyword that allows WebAssembly.
  const oldPolicy = await serve(folder, { answer: (name, data) => (name === '/index.html'
    ? { body: data.toString().replace("'self' 'wasm-unsafe-eval'", "'self'") } : null) });
  page = await open(640, 480, '', `${oldPolicy.address}/index.html`);
  const refused = await reaches(page, state('failed'), 20) &&
    await page.evaluate("document.getElementById('message').innerText");
  check(/cannot draw the ferns: .*server's own security policy.* \(.+\)\..*lacks 'wasm-unsafe-eval'/
    .test(refused),
        `WebAssembly refused by the policy: "${refused}"`);

  // A change of the device pixel ratio (a zoom, another monitor) is followed like a
  // change of size: the ferns of the new device size. As in a browser that reports
  // no device pixels (Safari): the canvas's CSS size held, no resize says it.
  if (page.setRatio) {
    const inexact = await serveWithScript('inexact', `
      delete ResizeObserverEntry.prototype.devicePixelContentBoxSize;
      const observe = ResizeObserver.prototype.observe;
      ResizeObserver.prototype.observe = function (target, options) {
        if (options && options.box === 'device-pixel-content-box') throw new TypeError(options.box);
        return observe.call(this, target, options);
      };
      for (const [name, value] of [['width', '640px'], ['height', '480px']]) {
        document.getElementById('ferns').style.setProperty(name, value, 'important');
      }`);
    page = await open(640, 480, '?still=110', `${inexact.address}/index.html`);
    await page.until(state('still'));
    await page.setRatio(2);
    await page.resize(640, 480);
    const size = "document.getElementById('ferns').width + 'x' + document.getElementById('ferns').height";
    const followed = await reaches(page, `devicePixelRatio === 2 && ${state('still')} &&
      ${size} === '1280x960'`, 30);
    check(followed, `the ratio changed to 2: the canvas is ${await page.evaluate(size)}`);
    await samePicture(page, toolPicture('1280x960', 110), '?still=110 at 640x480, ratio 2');
  } else {
    skip('a change of the device pixel ratio', engine === 'chromium'
      ? 'its emulated ratios fire no event in the page' : 'not to be had from its automation');
  }
}

async function main() {
  const bytes = pageFiles
    .reduce((sum, name) => sum + fs.statSync(path.join(folder, name)).size, 0);
  check(bytes < 300000, `the page's files: ${bytes} bytes (under 300 KB)`);
  const base = (await serve(folder)).address;
  if (engine !== 'chromium') {
    const browser = await engines[engine]();
    try {
      await everyEngine(async (width, height, query, address = `${base}/index.html`) => {
        await browser.page.resize(width, height);
        await browser.page.navigate(`${address}${query}`);
        return browser.page;
      });
    } finally {
      browser.close();
    }
    skip('a resize, an emulated ratio of 2, the install offer, virtual time, the parameters, ' +
         'full screen, the wake lock, a page in a hidden tab, two copies', chromiumOnly);
    await interrupted();
    return;
  }

  const browser = await launch();
  const open = async (width, height, query, address = `${base}/index.html`, ratio = 1) => {
    const page = await browser.newPage(width, height, ratio);
    await page.send('Page.navigate', { url: `${address}${query}` });
    return page;
  };
  try {
    await everyEngine(open);
    console.log(`${chromiumOnly}:`);
    let page = await open(640, 480, '?still=110');
    await page.until(state('still'));
    await page.resize(480, 360);
    await page.until(`document.getElementById('ferns').width === 480 && ${state('still')}`);
    await samePicture(page, toolPicture('480x360', 110), 'resized to 480x360');

    // At a device pixel ratio of 2 the ferns are those of the device's pixels.
    page = await open(640, 480, '?still=110', undefined, 2);
    await page.until(state('still'));
    await samePicture(page, toolPicture('1280x960', 110), '?still=110 at 640x480, ratio 2');
    // A GPU that draws no wider than 1000 pixels: the largest picture of the shape,
    // and the panel says what is drawn.
    const note = "document.getElementById('capped')";
    const uncapped = await page.evaluate(`${note}.hidden`);
    await page.evaluate('(Module.surface.maxSize = () => ({ width: 1000, height: 4096 }), true)');
    await page.resize(600, 400, 2);
    const canvas = "document.getElementById('ferns')";
    check(uncapped && await reaches(page, `${canvas}.width === 1000 && ${canvas}.height === 666 && ` +
      `!${note}.hidden && /drawn at 1000x666 and scaled up to 1200x800/.test(${note}.textContent)`, 20),
    'a canvas wider than the GPU draws: 1000x666 for 1200x800, and the panel says so');

    // The first visit installs the app's files; a reload with no network draws the same.
    page = await open(640, 480, '?still=110');
    await page.until('!!navigator.serviceWorker.controller');
    const manifest = await page.send('Page.getAppManifest');
    const { installabilityErrors } = await page.send('Page.getInstallabilityErrors');
    check(manifest.data.length > 0 && manifest.errors.length === 0 &&
          installabilityErrors.length === 0,
          `the manifest is found and the page installs: ${JSON.stringify(manifest.errors)} ` +
          JSON.stringify(installabilityErrors));
    await page.send('Network.enable');
    await page.send('Network.emulateNetworkConditions',
                    { offline: true, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    await page.send('Page.reload');
    await page.until(state('still'));
    await samePicture(page, toolPicture('640x480', 110), 'reloaded offline');
    await page.send('Network.emulateNetworkConditions',
                    { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });

    // The context lost, then restored, then a new size, all while a computation is
    // held at its first turn: one computation at a time, and the page draws again.
    await page.evaluate(`(() => {
      const gl = document.getElementById('ferns').getContext('webgl');
      window.t = { lose: gl.getExtension('WEBGL_lose_context'), held: [], running: 0, most: 0,
                   events: [], size: '' };
      const { page } = Module;
      const [start, started, yieldTurn] = [Module._morv_start, page.started, page.yieldTurn];
      Module._morv_start = (...a) => { t.most = Math.max(t.most, ++t.running); start(...a); };
      page.started = (outcome) => { t.running -= 1; return started(outcome); };
      page.yieldTurn = () => new Promise((resume) => t.held.push(resume));
      t.release = () => { page.yieldTurn = yieldTurn; t.held.forEach((resume) => resume()); };
      for (const name of ['webglcontextlost', 'webglcontextrestored']) {
        document.getElementById('ferns').addEventListener(name, () => t.events.push(name));
      }
      new ResizeObserver(([e]) => { t.size = e.contentRect.width + 'x' + e.contentRect.height; })
        .observe(document.getElementById('ferns'));
    })()`);
    await page.resize(800, 600);
    await page.until(`t.held.length > 0 && ${state('computing')}`);
    await page.evaluate('t.lose.loseContext()');
    await page.until('t.events.length === 1');
    await page.evaluate('t.lose.restoreContext()');
    await page.until('t.events.length === 2');
    await page.resize(640, 480);
    await page.until("t.size === '640x480'");
    await page.evaluate('t.release()');
    await page.until(state('still'));
    check(await page.evaluate('t.most === 1'), 'loss, restore and a new size: one computation');
    await samePicture(page, toolPicture('640x480', 110), 'after the context came back');
    await page.evaluate('t.lose.loseContext()');
    await page.until(state('failed'), 30);
    const lost = await page.evaluate("document.getElementById('message').innerText");
    check(/did not give them back\. Reload the page/.test(lost), `a context not restored: "${lost}"`);

    // Lost in a hidden tab for longer than the wait, and given back on return, as
    // browsers do: only the time in view counts, and the ferns draw again.
    page = await open(640, 480, '?still=110');
    await page.until(state('still'));
    await browser.newPage(64, 64);  // in front of it
    await page.until("document.visibilityState === 'hidden'");
    await page.evaluate(`window.lose = document.getElementById('ferns').getContext('webgl')
      .getExtension('WEBGL_lose_context'); lose.loseContext()`);
    await new Promise((resolve) => setTimeout(resolve, 7000));
    await page.send('Page.bringToFront');
    await page.until("document.visibilityState === 'visible'");
    await page.evaluate(`document.getElementById('ferns').addEventListener('webglcontextrestored',
      () => { window.restored = true; }); lose.restoreContext()`);
    await page.until(`window.restored && (${state('still')} || ${state('failed')})`);
    await samePicture(page, toolPicture('640x480', 110), 'lost while hidden, back on return');

    // At 640x480 tick 300 draws the horizontal fern at 50 ms; at 10 ms it is
    // still in the pause after the vertical one.
    page = await open(640, 480, '?still=300&fast=banana');
    await page.until(state('still'));
    await samePicture(page, toolPicture('640x480', 300), '?fast=banana is the normal speed');
    page = await open(640, 480, '?still=300&fast=1');
    await page.until(state('still'));
    await samePicture(page, toolPicture('640x480', 300, '--fast'), '?fast=1 is Fast Madness');
    for (const still of ['-3', '99999999999', '1e3', '']) {
      page = await open(640, 480, `?still=${still}`);
      await page.until(state('running'));
      check(!(await page.evaluate("document.getElementById('panel').hidden")),
            `?still=${still}: the animation and its panel`);
    }

    await page.evaluate("document.getElementById('fast').click()");
    await page.send('Page.reload');
    await page.until(state('running'));
    check(await page.evaluate("document.getElementById('fast').checked"),
          'Fast Madness is remembered');

    page = await browser.newPage(640, 480);
    await page.send('Page.enable');
    await page.send('Page.addScriptToEvaluateOnNewDocument', { source: `window.locks = [];
      const request = navigator.wakeLock.request.bind(navigator.wakeLock);
      navigator.wakeLock.request = (type) => request(type).then((lock) => locks.push(lock) && lock);
    ` });
    await page.send('Emulation.setVirtualTimePolicy', { policy: 'pause' });
    await page.send('Page.navigate', { url: `${base}/index.html?fast=0` });
    const shots = [];
    for (const budget of [1500, 2500]) {
      const expired = page.nextEvent('Emulation.virtualTimeBudgetExpired');
      await page.send('Emulation.setVirtualTimePolicy',
                      { policy: 'pauseIfNetworkFetchesPending', budget });
      await expired;
      shots.push(rgb(await page.screenshot()));
    }
    const [early, late] = shots.map((shot) => count(shot, null, isLit));
    check(count(shots[0], shots[1], differs) > 0 && late > early,
          `the fern grows: ${early} lit pixels after 1.5 s, ${late} after 4 s`);

    // Full screen from the F key; then 4 pixels of mouse movement are ignored, 5 leave it.
    // The mouse rests at the corner first: once full screen has begun, headless Chromium
    // may report the mouse there by itself (version 150 does), which the page rightly
    // takes as where the mouse was when full screen began.
    await page.send('Emulation.setVirtualTimePolicy', { policy: 'advance' });
    await page.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x: 0, y: 0 });
    const key = { key: 'f', code: 'KeyF', windowsVirtualKeyCode: 70 };
    await page.send('Input.dispatchKeyEvent', { type: 'keyDown', text: 'f', ...key });
    await page.send('Input.dispatchKeyEvent', { type: 'keyUp', ...key });
    // The page hides the panel when the browser reports the change, a frame or so later.
    const soon = (expression) => page.until(expression, 10).then(() => true, () => false);
    const hidden = "getComputedStyle(document.getElementById('panel')).display === 'none'";
    check(await soon(`!!document.fullscreenElement && ${hidden}`), 'full screen hides the panel');
    check(await soon('locks.length === 1 && !locks[0].released'), 'full screen keeps the screen on');
    const fullscreenAfter = async (x, y) => {
      await page.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y });
      await page.evaluate('new Promise((resolve) => setTimeout(resolve, 200))');
      return page.evaluate('!!document.fullscreenElement');
    };
    await fullscreenAfter(0, 0);
    check(await fullscreenAfter(2, 2), 'a mouse movement of 4 pixels keeps full screen');
    await page.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x: 3, y: 2 });
    check(await soon('!document.fullscreenElement'), 'a mouse movement of 5 pixels leaves it');
    check(await soon('locks.length === 1 && locks[0].released'), 'leaving it lets the screen off');

    // Two copies of the page at one origin, then a changed build of one of them at the
    // same address: the page offers it, and one click brings all of it, while the
    // other copy keeps its own offline copy.
    const site = path.join(work, 'site');
    for (const copy of ['a', 'b']) fs.cpSync(folder, path.join(site, copy), { recursive: true });
    let held = null;  // what the server answers for /a/sw.js while a release is held back
    let asked = 0;  // requests for /a/sw.js
    const origin = (await serve(site, { answer: (name) => {
      if (name !== '/a/sw.js') return null;
      asked += 1;
      return held ? { body: held } : null;
    } })).address;
    const other = await open(640, 480, '', `${origin}/b/index.html`);
    await other.until('!!navigator.serviceWorker.controller');
    const [otherCache] = await other.evaluate('caches.keys()');
    page = await open(640, 480, '', `${origin}/a/index.html`);
    await page.until(`!!navigator.serviceWorker.controller && ${state('running')}`);
    changeFooter(path.join(site, 'a'), 'new');
    // The browser may find the new worker before register() resolves (on the
    // reload's own check): here register() resolves only once it is found.
    await page.send('Page.enable');
    const { identifier } = await page.send('Page.addScriptToEvaluateOnNewDocument', { source: `
      const register = ServiceWorkerContainer.prototype.register;
      ServiceWorkerContainer.prototype.register = function (...args) {
        return register.apply(this, args).then((r) => r.installing || r.waiting ? r
          : new Promise((resolve) => r.addEventListener('updatefound', () => resolve(r))));
      };` });
    await page.send('Page.reload');
    const footer = "document.querySelector('footer').textContent";
    check(await reaches(page, `!document.getElementById('update').hidden && ${state('running')}`, 30),
          'a new release found before register() resolved: the notice');
    check(!/new$/.test(await page.evaluate(footer)), 'a new release: the notice, the old page');
    await page.send('Page.removeScriptToEvaluateOnNewDocument', { identifier });
    await page.evaluate("window.old = true; document.getElementById('switch').click()");
    await page.until(`!window.old && /new$/.test(${footer}) && ${state('running')}`);
    const names = await page.evaluate('caches.keys()');
    check(names.length === 2 && names.includes(otherCache),
          `one click switched, the other copy's cache is kept: ${names.join(', ')}`);

    // A page left open asks for no release while hidden, and hears of the next one
    // when it comes back into view. The release is put out once the page is hidden:
    // the browser's own checks after the switch (Chromium makes some) see the old sw.js.
    held = fs.readFileSync(path.join(site, 'a', 'sw.js'));
    changeFooter(path.join(site, 'a'), 'newer');
    await new Promise((resolve) => setTimeout(resolve, 5000));
    const askedBefore = asked;
    await browser.newPage(64, 64);  // in front of it
    await page.until("document.visibilityState === 'hidden'");
    await new Promise((resolve) => setTimeout(resolve, 1000));
    check(asked === askedBefore, `a hidden page asks for no release: ${asked - askedBefore} requests`);
    held = null;
    await page.send('Page.bringToFront');
    check(await reaches(page, "!document.getElementById('update').hidden", 30) &&
          /new$/.test(await page.evaluate(footer)), 'back in view, the page offers a release made meanwhile');

  } finally {
    await browser.close();
  }

  const noWebGl = await launch(['--disable-webgl']);
  try {
    const page = await noWebGl.newPage(640, 480);
    await page.send('Page.navigate', { url: `${base}/index.html` });
    await page.until(state('failed'));
    const text = await page.evaluate("document.getElementById('message').innerText");
    check(/cannot draw the ferns: WebGL is not available/.test(text), `without WebGL: "${text}"`);
  } finally {
    await noWebGl.close();
  }

  const dying = await launch();
  const call = (await dying.newPage(64, 64)).evaluate('new Promise(() => {})');
  process.kill(dying.pid, 'SIGKILL');
  const outcome = await call.then(() => 'resolved', (error) => error.message);
  check(/the browser exited/.test(outcome) && !fs.existsSync(dying.profile),
        `the browser killed: a pending call "${outcome}", the profile removed`);
  await interrupted();
}

// The test run ended outright (as an interrupted or timed-out test command ends
// it): the browser it started ends too, with everything it started.
async function interrupted() {
  const run = spawn(process.execPath, ['-e', `
    require(${JSON.stringify(path.join(__dirname, '../support/browsers.js'))})
      .engines[${JSON.stringify(engine)}]().then((browser) => console.log(browser.groups.join(' ')));
    setInterval(() => {}, 1000);`], { stdio: ['ignore', 'pipe', 'inherit'] });
  let out = '';
  for await (const chunk of run.stdout) {
    out += chunk;
    if (out.includes('\n')) break;
  }
  run.kill('SIGKILL');
  const groups = out.trim().split(' ').filter(Boolean).map(Number);
  let gone = false;
  for (let i = 0; i < 150 && !gone; i += 1) {
    await new Promise((resolve) => setTimeout(resolve, 100));
    gone = groups.every(groupEnded);
  }
  check(groups.length > 0 && gone, `the run killed outright: its browser ends too (groups ${groups})`);
}

main().catch((error) => {
  console.log(`FAIL: ${error.stack}`);
  failures += 1;
}).finally(() => {
  fs.rmSync(work, { recursive: true, force: true });
  process.exitCode = failures ? 1 : 0;
});
