// Makes the page an app: links the web app manifest, registers the site's service worker, which
// keeps the whole site in the browser after one visit, and shows a notice when a newer release is
// ready, offering to reload under it at once (otherwise the next load uses it). Where service
// workers are not available (file://, an insecure http:// origin, a browser that refuses them)
// the page runs as it is, and nothing is said.
'use strict';

(function () {
  // From a folder nothing can be installed, and the browser may not read the manifest there
  // (file:// has no CORS) and would say so in the console: the link is made here, only for http.
  if (location.protocol === 'file:') return;
  const manifest = document.createElement('link');
  manifest.rel = 'manifest';
  manifest.href = 'manifest.webmanifest';
  document.head.appendChild(manifest);
  if (!('serviceWorker' in navigator)) return;
  const notice = document.getElementById('update');
  let accepted = false;

  function offer(worker) {
    notice.hidden = false;
    notice.querySelector('button').onclick = () => {
      accepted = true;
      worker.postMessage('activate');
    };
  }

  // Another tab accepting the newer release moves this page to it too; this page has all it
  // needs already and carries on, unless its own notice was accepted.
  navigator.serviceWorker.addEventListener('controllerchange', () => {
    if (accepted) location.reload();
  });

  function register() {
    navigator.serviceWorker.register('service-worker.js', { updateViaCache: 'none' })
      .then((registration) => {
        // The first visit: the worker installed now is the first release this browser keeps.
        if (!navigator.serviceWorker.controller) return;
        if (registration.waiting) offer(registration.waiting);
        registration.addEventListener('updatefound', () => {
          const worker = registration.installing;
          worker.addEventListener('statechange', () => {
            if (worker.state === 'installed') offer(worker);
          });
        });
      })
      .catch(() => {});
  }

  // After the page's own loading, which the worker's fetches of every file would slow down.
  if (document.readyState === 'complete') register();
  else window.addEventListener('load', register);
})();
