// Serves a built site on 127.0.0.1 and starts Debian's Chromium headless, drawing WebGL with
// SwiftShader, or Debian's Firefox ESR on the X display in DISPLAY: shared by the browser tests,
// the web benchmark and the README's pictures.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const types = {
  '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.png': 'image/png',
  '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
};

// A static server for the site folder on `port` (default: a free one), under the path `base`;
// `url` is its address. `close` also ends the connections the browser keeps open, so nothing more
// is served.
export async function serveSite(folder, port = 0, base = '/') {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const asked = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const name = ('/' + asked.slice(base.length)).replace(/\/$/, '/index.html');
    const file = path.join(root, path.normalize(name));
    fs.readFile(file, (error, data) => {
      if (error || !asked.startsWith(base) || !file.startsWith(root)) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  await new Promise((resolve) => server.listen(port, '127.0.0.1', resolve));
  return { url: `http://127.0.0.1:${server.address().port}${base}`, port: server.address().port,
    close: () => new Promise((resolve) => {
      server.close(resolve);
      server.closeAllConnections();
    }) };
}

// Chromium with a profile of its own, removed again when this process exits. Without the
// background-networking flags it would keep reaching out to hosts this machine cannot reach.
// `webgl: false` starts it as a browser without WebGL: the flags that take WebGL from pages leave
// it to workers, so the GPU goes too.
export async function launchChromium({ webgl = true } = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tessaloran-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--no-first-run', ...(webgl ? [] : ['--disable-webgl', '--disable-3d-apis', '--disable-gpu',
        '--disable-software-rasterizer'])],
  });
  // Removed as the process exits, when Chromium has closed and written its last files.
  process.on('exit', () => fs.rmSync(profile, { recursive: true, force: true }));
  return browser;
}

// Firefox ESR through WebDriver BiDi, in a window on the X display in DISPLAY: headless Firefox
// gets no WebGL from Mesa's software renderer, a window under Xvfb does. Puppeteer gives it a
// profile of its own that keeps it from reaching out to other hosts.
export async function launchFirefox() {
  return puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: false,
    defaultViewport: null,
  });
}
