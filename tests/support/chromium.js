// Headless Chromium for the web page's tests and benchmarks, driven over the
// DevTools protocol on a pipe (--remote-debugging-pipe: the browser reads fd 3
// and writes fd 4); with browsers.js's static file server, for the benchmarks.
// Node's own modules only.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { guarded, ended, endGroup, serve } = require('./browsers.js');

// A browser with a fresh profile; this machine's network is closed, so
// nothing that would reach out is left on. It ends with this process however
// that ends (browsers.js, guarded).
async function launch(extraFlags = []) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'morv-chromium-'));
  const { guard: child, pid } = await guarded(process.env.CHROMIUM || 'chromium', [
    '--headless=new', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
    '--enable-unsafe-swiftshader', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', '--no-first-run', '--disable-quic', `--user-data-dir=${profile}`,
    '--remote-debugging-pipe', ...extraFlags, 'about:blank',
  ], { extra: ['pipe', 'pipe'] });
  // The browser and the helpers it starts, which may outlive it for a moment and
  // write into its profile: a process group of their own.
  const endAll = () => endGroup(child);
  const pending = new Map();
  const listeners = new Set();
  let nextId = 1;
  let input = '';
  let gone = null;  // why the browser can no longer answer, once it has exited
  // The browser's exit settles every call and every wait still open, and
  // takes its profile with it.
  child.on('exit', (code, signal) => {
    gone = new Error(`the browser exited (${signal || `code ${code}`})`);
    for (const call of pending.values()) call.reject(new Error(`${call.method}: ${gone.message}`));
    pending.clear();
    for (const listener of listeners) listener(null);
    endAll();
    try {
      fs.rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
    } catch (error) {
      console.error(`chromium.js: could not remove the profile ${profile}: ${error.message}`);
    }
  });
  child.on('error', () => {});  // not started: 'exit' follows
  for (const fd of [3, 4]) child.stdio[fd].on('error', () => {});  // the pipe closes with it
  child.stdio[4].on('data', (chunk) => {
    input += chunk;
    for (let end; (end = input.indexOf('\0')) >= 0; input = input.slice(end + 1)) {
      const message = JSON.parse(input.slice(0, end));
      const call = pending.get(message.id);
      pending.delete(message.id);
      if (call && message.error) call.reject(new Error(`${call.method}: ${message.error.message}`));
      if (call && !message.error) call.resolve(message.result);
      if (!call) for (const listener of listeners) listener(message);
    }
  });
  function send(method, params = {}, sessionId = undefined) {
    if (gone) return Promise.reject(new Error(`${method}: ${gone.message}`));
    const id = nextId++;
    child.stdio[3].write(`${JSON.stringify({ id, method, params, sessionId })}\0`);
    return new Promise((resolve, reject) => pending.set(id, { method, resolve, reject }));
  }
  function nextEvent(method, sessionId) {
    return new Promise((resolve, reject) => {
      if (gone) {
        reject(new Error(`${method}: ${gone.message}`));
        return;
      }
      const listener = (message) => {
        if (message === null) {
          reject(new Error(`${method}: ${gone.message}`));
        } else if (message.method !== method || message.sessionId !== sessionId) {
          return;
        } else {
          resolve(message.params);
        }
        listeners.delete(listener);
      };
      listeners.add(listener);
    });
  }
  return {
    pid,
    groups: [child.pid],
    profile,
    // A tab with a viewport of width x height CSS pixels at `scale` device pixels each.
    async newPage(width, height, scale = 1) {
      const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
      const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
      const page = {
        send: (method, params) => send(method, params, sessionId),
        navigate: (url) => page.send('Page.navigate', { url }),
        nextEvent: (method) => nextEvent(method, sessionId),
        resize: (w, h, ratio = 1) => page.send('Emulation.setDeviceMetricsOverride',
          { width: w, height: h, deviceScaleFactor: ratio, mobile: false }),
        // The value of `expression`, or of the promise it gives, once settled.
        async evaluate(expression) {
          const { result } = await page.send('Runtime.evaluate',
            { expression, returnByValue: true, awaitPromise: true });
          return result.value;
        },
        // Resolves once `expression` is true; fails after `seconds`.
        async until(expression, seconds = 60) {
          for (const end = Date.now() + seconds * 1000; Date.now() < end;) {
            if (await page.evaluate(expression)) return;
            await new Promise((resolve) => setTimeout(resolve, 100));
          }
          throw new Error(`still not true after ${seconds} s: ${expression}`);
        },
        async screenshot() {
          const { data } = await page.send('Page.captureScreenshot', { format: 'png' });
          return Buffer.from(data, 'base64');
        },
      };
      await page.resize(width, height, scale);
      return page;
    },
    async close() {
      const exited = ended(child) ? Promise.resolve()
        : new Promise((resolve) => child.once('exit', resolve));
      send('Browser.close').catch(() => {});
      await Promise.race([exited, new Promise((resolve) => setTimeout(resolve, 10000).unref())]);
      endAll();
      await exited;  // the profile goes with the exit
    },
  };
}

module.exports = { serve, launch };
