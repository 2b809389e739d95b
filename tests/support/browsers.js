// The browsers the web page's tests drive, and what they run on: a static file
// server on 127.0.0.1 whose answers a test may change, every program
// started under a guard that ends it with the run, an X display (Xvfb) for the
// browsers that draw WebGL only in a real window, Firefox over Marionette and
// WebKitGTK's MiniBrowser over WebDriver. Each gives the same small page driver:
// navigate, evaluate, until, screenshot, resize, close. Node's own modules only.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const http = require('http');
const net = require('net');
const os = require('os');
const path = require('path');

// Serves `folder` on 127.0.0.1 at a free port; resolves to { address, close, reopen }.
// `answer(name, data)`, where given, may answer a request for a file (its path in
// the folder, and its contents) otherwise: { status, headers, body }, each optional.
// `redirect` answers .../index.html with a 301 to the folder, as hosts with
// "pretty URLs" do, and serves the folder as its index.html. close() ends the
// server and every connection: the page is then offline; reopen() brings it back.
function serve(folder, { answer = () => null, redirect = false } = {}) {
  const types = {
    '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
    '.webmanifest': 'application/manifest+json', '.png': 'image/png',
  };
  const server = http.createServer((request, response) => {
    let name = path.normalize(new URL(request.url, 'http://x').pathname);
    if (redirect && name.endsWith('/index.html')) {
      response.writeHead(301, { Location: name.slice(0, -'index.html'.length) });
      response.end();
      return;
    }
    if (redirect && name.endsWith('/')) name += 'index.html';
    const file = path.join(folder, name);
    fs.readFile(file, (error, data) => {
      const own = error ? null : answer(name, data);
      response.writeHead(own && own.status || (error ? 404 : 200), {
        'Content-Type': types[path.extname(file)] || '', ...(own && own.headers) });
      response.end(error ? '' : own && own.body || data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    server.unref();
    const { port } = server.address();
    resolve({
      address: `http://127.0.0.1:${port}`,
      close() {
        server.close();
        server.closeAllConnections();
      },
      // Back at the same address, unless another program took it meanwhile.
      reopen: () => new Promise((back, refused) => {
        server.once('error', refused);
        server.listen(port, '127.0.0.1', () => {
          server.off('error', refused);
          back();
        });
      }),
    });
  }));
}

// Runs `command` in a process group of its own, under a shell that ends the whole
// group when the program exits or when this process's end of its input closes,
// which the system does however this process ends (even killed outright). The
// program's descriptors 3 and up are `extra` (pipes for `'pipe'`). Resolves to
// { guard, pid }: the guard's child process and the program's process id; rejects
// when there is no such command, or the guard ends before the program has started.
function guarded(command, args, { extra = [], env = process.env } = {}) {
  const script = 'exec 9<&0 </dev/null; command -v "$1" >/dev/null || exit 127; ' +
    '"$@" >/dev/null 2>&1 & child=$!; echo "$child"; ' +
    '{ read -r -u 9 _; kill -KILL 0; } & wait "$child"; kill -KILL 0';
  const guard = spawn('bash', ['-c', script, 'guard', command, ...args],
    { stdio: ['pipe', 'pipe', 'ignore', ...extra], detached: true, env });
  guard.stdin.on('error', () => {});
  for (const fd of extra.keys()) if (guard.stdio[fd + 3]) guard.stdio[fd + 3].on('error', () => {});
  return new Promise((resolve, reject) => {
    let out = '';
    guard.stdout.on('data', (chunk) => {
      out += chunk;
      if (out.includes('\n')) resolve({ guard, pid: Number(out) });
    });
    guard.on('exit', (code) => reject(new Error(code === 127 ? `${command}: no such command`
      : `${command} could not be started`)));
  });
}
// Whether a guarded program has ended (its guard ends with it).
const ended = (guard) => guard.exitCode !== null || guard.signalCode !== null;
// Ends a guarded program and everything it started.
function endGroup(guard) {
  try {
    process.kill(-guard.pid, 'SIGKILL');
  } catch (error) {
    // already gone
  }
}

// Whether every process of group `group` has ended (zombies have).
function groupEnded(group) {
  for (const pid of fs.readdirSync('/proc').filter((name) => /^[0-9]+$/.test(name))) {
    let stat = '';
    try {
      stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
    } catch (error) {
      continue;  // ended meanwhile
    }
    const [state, , pgrp] = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    if (Number(pgrp) === group && state !== 'Z') return false;
  }
  return true;
}

const delay = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
async function freePort() {
  const server = net.createServer();
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const { port } = server.address();
  await new Promise((resolve) => server.close(resolve));
  return port;
}

// An X display of its own: Xvfb with GLX, which Mesa draws on.
async function xDisplay() {
  const { guard } = await guarded('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24',
    '+extension', 'GLX', '-nolisten', 'tcp'], { extra: ['pipe'] });
  let number = '';
  for await (const chunk of guard.stdio[3]) {
    number += chunk;
    if (number.includes('\n')) break;
  }
  if (!/^[0-9]+\n/.test(number)) {
    endGroup(guard);
    throw new Error('Xvfb did not start');
  }
  return { display: `:${number.trim()}`, group: guard.pid, close: () => endGroup(guard) };
}

// The page driver over a WebDriver-like `call(what, params)`: what is one of
// navigate, execute, screenshot, rect.
function webDriverPage(call, close) {
  const page = {
    // A failed load (the server gone, no offline copy) shows in what follows.
    navigate: (url) => call('navigate', { url }).catch(() => {}),
    evaluate: (expression) => call('execute', { script: `return (${expression});`, args: [] }),
    async until(expression, seconds = 60) {
      for (const end = Date.now() + seconds * 1000; Date.now() < end; await delay(100)) {
        if (await page.evaluate(expression).catch(() => false)) return;
      }
      throw new Error(`still not true after ${seconds} s: ${expression}`);
    },
    screenshot: async () => Buffer.from(await call('screenshot', {}), 'base64'),
    // The window set so that the page's viewport is width x height, its frame and bars
    // taken as they are now: Firefox waits seconds for each resize (for one that an
    // unchanged size never brings too), so the first try should be right.
    async resize(width, height) {
      let [w, h] = [0, 0];
      for (let i = 0; i < 10; i += 1) {
        await delay(100 * i);  // a window manager-less X server may take a moment
        const [iw, ih, ow, oh] = await page.evaluate('[innerWidth, innerHeight, outerWidth, outerHeight]');
        if (iw === width && ih === height) return;
        [w, h] = i === 0 ? [width + ow - iw, height + oh - ih] : [w + width - iw, h + height - ih];
        await call('rect', { width: w, height: h });
      }
      throw new Error(`the viewport is not ${width}x${height}: ${await page.evaluate("[innerWidth, innerHeight]")}`);
    },
    close,
  };
  return page;
}

// Firefox ESR in a real window on `display` (its headless mode has no WebGL here),
// WebGL forced on for Mesa, driven over Marionette: frames of LENGTH:JSON.
async function firefox(display) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'morv-firefox-'));
  const prefs = {
    'marionette.port': 0,  // any free port, written to MarionetteActivePort
    'webgl.force-enabled': true,
    'browser.shell.checkDefaultBrowser': false,
    'browser.startup.homepage_override.mstone': 'ignore',
    'datareporting.policy.dataSubmissionEnabled': false,
    'toolkit.telemetry.reportingpolicy.firstRun': false,
    'app.update.disabledForTesting': true,
    'network.captive-portal-service.enabled': false,
    'browser.safebrowsing.update.enabled': false,
  };
  fs.writeFileSync(path.join(profile, 'user.js'), Object.entries(prefs)
    .map(([name, value]) => `user_pref(${JSON.stringify(name)}, ${JSON.stringify(value)});\n`).join(''));
  const { guard } = await guarded(process.env.FIREFOX || 'firefox-esr',
    ['--marionette', '--remote-allow-system-access', '--no-remote', '--profile', profile,
      'about:blank'],
    { env: { ...process.env, DISPLAY: display, MOZ_CRASHREPORTER_DISABLE: '1' } });
  const close = () => {
    endGroup(guard);
    fs.rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
  };
  try {
    const portFile = path.join(profile, 'MarionetteActivePort');
    for (let i = 0; !fs.existsSync(portFile); i += 1) {
      if (ended(guard)) throw new Error('Firefox ended before it opened its Marionette port');
      if (i === 600) throw new Error('Firefox opened no Marionette port in 60 s');
      await delay(100);
    }
    const socket = net.connect(Number(fs.readFileSync(portFile, 'utf8')), '127.0.0.1');
    const pending = new Map();
    let nextId = 1;
    let input = Buffer.alloc(0);
    let greeted = null;
    const greeting = new Promise((resolve) => { greeted = resolve; });
    socket.on('data', (chunk) => {
      input = Buffer.concat([input, chunk]);
      for (;;) {
        const colon = input.indexOf(':');
        if (colon < 0) return;
        const length = Number(input.subarray(0, colon));
        if (input.length < colon + 1 + length) return;
        const message = JSON.parse(input.subarray(colon + 1, colon + 1 + length));
        input = input.subarray(colon + 1 + length);
        if (!Array.isArray(message)) {
          greeted();
          continue;
        }
        const [, id, error, result] = message;
        const call = pending.get(id);
        pending.delete(id);
        if (call && error) call.reject(new Error(`${call.name}: ${error.message}`));
        if (call && !error) call.resolve(result && 'value' in result ? result.value : result);
      }
    });
    socket.on('error', () => {});
    socket.on('close', () => {
      for (const call of pending.values()) call.reject(new Error(`${call.name}: Firefox is gone`));
    });
    await greeting;
    const send = (name, params) => {
      const id = nextId++;
      const frame = JSON.stringify([0, id, name, params]);
      socket.write(`${Buffer.byteLength(frame)}:${frame}`);
      return new Promise((resolve, reject) => pending.set(id, { name, resolve, reject }));
    };
    await send('WebDriver:NewSession', { capabilities: { alwaysMatch: { acceptInsecureCerts: false } } });
    const names = { navigate: 'WebDriver:Navigate', execute: 'WebDriver:ExecuteScript',
      screenshot: 'WebDriver:TakeScreenshot', rect: 'WebDriver:SetWindowRect' };
    const page = webDriverPage((what, params) => send(names[what], params), close);
    // The device pixel ratio, as a zoom or another monitor changes it: a preference
    // set from the browser's own (chrome) context.
    page.setRatio = async (ratio) => {
      await send('Marionette:SetContext', { value: 'chrome' });
      try {
        await send('WebDriver:ExecuteScript', { args: [], script:
          `Services.prefs.setCharPref('layout.css.devPixelsPerPx', '${ratio}'); return true;` });
      } finally {
        await send('Marionette:SetContext', { value: 'content' });
      }
    };
    return { group: guard.pid, page };
  } catch (error) {
    close();
    throw error;
  }
}

// WebKitGTK's MiniBrowser: the one the driver `driver` names (it is built with its
// path), else wherever this system's WebKitGTK keeps one.
function miniBrowser(driver) {
  const full = driver.includes('/') ? driver
    : (process.env.PATH || '').split(':').map((dir) => path.join(dir, driver)).find(fs.existsSync);
  try {
    const named = fs.readFileSync(full).toString('latin1').match(/\/[!-~]+\/MiniBrowser(?=\0)/g);
    const own = (named || []).find(fs.existsSync);
    if (own) return own;
  } catch (error) {
    // not readable: look for one
  }
  for (const lib of ['/usr/lib', '/usr/libexec', '/usr/lib64']) {
    const dirs = fs.existsSync(lib) ? fs.readdirSync(lib).map((name) => path.join(lib, name)) : [];
    for (const dir of [lib, ...dirs]) {
      let found = [];
      try {
        found = fs.readdirSync(dir).filter((name) => /^webkit(2)?gtk-/.test(name));
      } catch (error) {
        continue;
      }
      for (const name of found.sort().reverse()) {
        const binary = path.join(dir, name, 'MiniBrowser');
        if (fs.existsSync(binary)) return binary;
      }
    }
  }
  throw new Error('no MiniBrowser found (Debian: webkit2gtk-driver brings it)');
}

// MiniBrowser on `display`, driven over WebDriver (HTTP) by WebKitWebDriver.
async function webkit(display) {
  const port = await freePort();
  const driver = process.env.WEBKIT_WEBDRIVER || 'WebKitWebDriver';
  const { guard } = await guarded(driver,
    [`--port=${port}`], { env: { ...process.env, DISPLAY: display } });
  const request = (method, url, body) => new Promise((resolve, reject) => {
    const data = body === undefined ? '' : JSON.stringify(body);
    const req = http.request({ host: '127.0.0.1', port, method, path: url,
      headers: { 'Content-Type': 'application/json', 'Content-Length': Buffer.byteLength(data) } },
    (response) => {
      let text = '';
      response.on('data', (chunk) => { text += chunk; });
      response.on('end', () => {
        let value;
        try {
          ({ value } = JSON.parse(text || '{}'));
        } catch (error) {
          reject(new Error(`${method} ${url}: not an answer of WebDriver's: ${text.slice(0, 80)}`));
          return;
        }
        if (response.statusCode >= 400) {
          reject(new Error(`${method} ${url}: ${value && value.message}`));
        } else {
          resolve(value);
        }
      });
    });
    req.on('error', reject);
    req.end(data);
  });
  const close = () => endGroup(guard);
  try {
    for (let i = 0; ; i += 1) {
      try {
        await request('GET', '/status');
        break;
      } catch (error) {
        if (ended(guard)) throw new Error('WebKitWebDriver ended before it answered');
        if (i === 300) throw new Error('WebKitWebDriver did not answer in 30 s');
        await delay(100);
      }
    }
    const { sessionId } = await request('POST', '/session', { capabilities: { alwaysMatch: {
      'webkitgtk:browserOptions': { binary: miniBrowser(driver), args: ['--automation'] } } } });
    const routes = { navigate: ['POST', 'url'], execute: ['POST', 'execute/sync'],
      screenshot: ['GET', 'screenshot'], rect: ['POST', 'window/rect'] };
    const call = (what, params) => {
      const [method, route] = routes[what];
      return request(method, `/session/${sessionId}/${route}`, method === 'GET' ? undefined : params);
    };
    return { group: guard.pid, page: webDriverPage(call, close) };
  } catch (error) {
    close();
    throw error;
  }
}

// Each engine as the tests start it: { page (but Chromium, which opens tabs),
// groups (the process groups it runs in), close() }.
const onDisplay = (start) => async () => {
  const x = await xDisplay();
  try {
    const browser = await start(x.display);
    return { page: browser.page, groups: [x.group, browser.group],
             close() { browser.page.close(); x.close(); } };
  } catch (error) {
    x.close();
    throw error;
  }
};
const engines = {
  chromium: () => require('./chromium.js').launch(),
  firefox: onDisplay(firefox),
  webkit: onDisplay(webkit),
};

module.exports = { serve, guarded, ended, endGroup, groupEnded, engines };
