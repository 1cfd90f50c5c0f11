// The site's service worker: keeps one release of the site, whole, in a cache of its own, and
// serves the pages it controls from that cache alone, so the page runs with no network after one
// visit. The build fills in the release's files with their SHA-256 and the release's name.
//
// Updates: the browser fetches this file afresh at each visit (the page registers it with
// updateViaCache 'none'). A new release's worker fetches every file of its release and checks
// each against its digest before it installs, so a host caught halfway through an upload makes
// no release out of two. It then waits while an older release's page is open; the next load
// (or the page's "Reload" notice) puts it in charge, and it deletes the older releases' caches.
'use strict';

const FILES = {
@SITE_FILES@};
// The caches of this site, and only of it: another app may share the origin at another path.
const PREFIX = 'tessaloran ' + self.registration.scope + ' ';
const CACHE = PREFIX + '@RELEASE@';

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), (b) => b.toString(16).padStart(2, '0')).join('');
}

async function keep(cache, name) {
  // 'reload': past the browser's HTTP cache, which may still hold the older release.
  const response = await fetch(name, { cache: 'reload' });
  if (!response.ok) throw new Error(`${name}: HTTP ${response.status}`);
  const digest = hex(await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer()));
  if (digest !== FILES[name]) throw new Error(`${name} is not this release's`);
  await cache.put(name, response);
}

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) =>
    Promise.all(Object.keys(FILES).map((name) => keep(cache, name)))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(names
    .filter((name) => name.startsWith(PREFIX) && name !== CACHE)
    .map((name) => caches.delete(name)))));
});

// The page's notice, accepted: this waiting release takes over at once.
self.addEventListener('message', (event) => {
  if (event.data === 'activate') self.skipWaiting();
});

// The file of this release a request asks for: the scope's root is index.html; null for anything
// else, which goes to the network as it would without a worker.
function siteFile(request) {
  if (request.method !== 'GET' || !request.url.startsWith(self.registration.scope)) return null;
  const name = request.url.slice(self.registration.scope.length).replace(/[?#].*$/, '') ||
      'index.html';
  return Object.prototype.hasOwnProperty.call(FILES, name) ? name : null;
}

async function respond(request, name) {
  // A newer release is installed and this load would be the only page on the older one: the
  // newer takes over, and a document that loads nothing reloads the page under it. Loading the
  // older page here would keep the newer waiting for as long as the page is only ever reloaded.
  if (request.mode === 'navigate' && self.registration.waiting &&
      (await self.clients.matchAll({ type: 'window' })).length <= 1) {
    self.registration.waiting.postMessage('activate');
    // The empty icon keeps the browser from asking the network for /favicon.ico.
    return new Response('<!DOCTYPE html><meta http-equiv="refresh" content="0">' +
        '<link rel="icon" href="data:,"><title>TESSALORAN</title>',
    { headers: { 'Content-Type': 'text/html; charset=utf-8' } });
  }
  const cached = await (await caches.open(CACHE)).match(name);
  return cached || fetch(request);
}

self.addEventListener('fetch', (event) => {
  const name = siteFile(event.request);
  if (name !== null) event.respondWith(respond(event.request, name));
});
