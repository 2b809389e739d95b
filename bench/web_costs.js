// Recorded runs of the web page in headless Chromium (WebGL through SwiftShader,
// that is on the CPU):
//   node bench/web_costs.js precompute PAGE_FOLDER [MORVESSANTIQUE_TOOL]
//     The page's own time to compute the ferns at 1920x1080 and 3840x2160 (best
//     of 5 loads) and the longest main-thread task of each load (Long Tasks
//     API: tasks over 50 ms); with the tool, `morvessantique-tool stats` at
//     the same sizes, best of 5, for the native figure.
//   node bench/web_costs.js cpu PAGE_FOLDER [WIDTHxHEIGHT] [--fast]
//     CPU time per second of all of Chromium's processes over one whole cycle
//     of both ferns after the precomputation.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { serve, launch } = require('../tests/support/chromium.js');

const Watch = `
  window.morvBench = { tasks: [], computed: [] };
  new PerformanceObserver((list) => {
    for (const e of list.getEntries()) morvBench.tasks.push([e.startTime, e.duration]);
  }).observe({ type: 'longtask', buffered: true });
  const info = console.info;
  console.info = (text) => {
    const ms = /in (\\d+) ms/.exec(text);
    if (ms) morvBench.computed.push([performance.now() - Number(ms[1]), Number(ms[1])]);
    info(text);
  };`;

// The longest task of a load, and the longest that ran while the ferns were computed.
function longest(bench) {
  const [start, ms] = bench.computed[0];
  const overlaps = ([at, length]) => at < start + ms && at + length > start;
  const max = (tasks) => Math.max(0, ...tasks.map(([, length]) => length));
  return { load: max(bench.tasks), computing: max(bench.tasks.filter(overlaps)) };
}

async function load(browser, base, width, height, query) {
  const page = await browser.newPage(width, height);
  await page.send('Page.enable');
  await page.send('Page.addScriptToEvaluateOnNewDocument', { source: Watch });
  await page.send('Page.navigate', { url: `${base}/index.html${query}` });
  await page.until("document.documentElement.dataset.state === 'running'", 600);
  return page;
}

function cpuTicks(root) {
  let total = 0;
  const children = new Map();
  for (const pid of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').replace(/^.*\) /, '').split(' ');
      children.set(Number(pid), { parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]) });
    } catch (e) { /* gone */ }
  }
  const visit = (pid) => {
    total += children.get(pid) ? children.get(pid).ticks : 0;
    for (const [child, stat] of children) if (stat.parent === pid) visit(child);
  };
  visit(root);
  return total;
}

function levels(pixels) {
  let length = Math.floor(pixels / 5);
  let count = 0;
  for (; length > 1; length *= 0.8125) count += 1;
  return Math.min(count, 50);
}

async function main() {
  const [mode, folder, third, fourth] = process.argv.slice(2);
  const base = (await serve(path.resolve(folder))).address;
  const browser = await launch();
  try {
    if (mode === 'precompute') {
      for (const [width, height] of [[1920, 1080], [3840, 2160]]) {
        const times = [];
        const tasks = { load: 0, computing: 0 };
        for (let i = 0; i < 5; i += 1) {
          const page = await load(browser, base, width, height, '');
          const bench = await page.evaluate('morvBench');
          times.push(bench.computed[0][1]);
          const these = longest(bench);
          tasks.load = Math.max(tasks.load, these.load);
          tasks.computing = Math.max(tasks.computing, these.computing);
          await page.send('Page.close');
        }
        let native = '';
        if (third) {
          const best = Math.min(...[1, 2, 3, 4, 5].map(() => {
            const start = process.hrtime.bigint();
            execFileSync(third, ['stats', `${width}x${height}`]);
            return Number(process.hrtime.bigint() - start) / 1e6;
          }));
          native = `, morvessantique-tool stats ${best.toFixed(0)} ms`;
        }
        console.log(`${width}x${height}: page ${Math.min(...times)} ms (of ${times.join(', ')}), ` +
                    `longest task while computing ${tasks.computing.toFixed(0)} ms, ` +
                    `of the whole load ${tasks.load.toFixed(0)} ms${native}`);
      }
    } else if (mode === 'cpu') {
      const size = third && third !== '--fast' ? third : '1920x1080';
      const fast = process.argv.includes('--fast');
      const [width, height] = size.split('x').map(Number);
      await load(browser, base, width, height, `?fast=${fast ? 1 : 0}`);
      const interval = fast ? 10 : 50;
      const ticks = 5 * (levels(height) + levels(width)) + 2 * (1 + 4000 / interval);
      const hz = Number(execFileSync('getconf', ['CLK_TCK']));
      const before = cpuTicks(browser.pid);
      const start = Date.now();
      await new Promise((resolve) => setTimeout(resolve, ticks * interval));
      const seconds = (Date.now() - start) / 1000;
      const cpu = (cpuTicks(browser.pid) - before) / hz;
      console.log(`${size}${fast ? ' fast' : ''}, one cycle (${ticks} ticks, ${seconds.toFixed(1)} s): ` +
                  `Chromium ${(cpu / seconds).toFixed(3)} CPU s per s`);
    } else {
      throw new Error('usage: web_costs.js precompute|cpu PAGE_FOLDER ...');
    }
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(error.message);
  process.exitCode = 1;
});
