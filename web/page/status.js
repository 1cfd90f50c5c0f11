// The status line under the picture: what the model is doing, in words, from the program's own
// state (the toolkit's webStatus). Rewritten at most four times a second, and only when the text
// changes, so a screen reader announcing it politely is not flooded.
'use strict';

(function () {
  const line = document.querySelector('#status > span');
  const canvas = document.getElementById('canvas');
  const names = ['Sun', 'Mercury', 'Venus', 'Earth', 'Mars', 'Jupiter', 'Saturn', 'Uranus',
    'Neptune', 'Pluto'];
  const astronomicalUnit = 149600000; // km, as the program has it
  const year = 365.25 * 86400;
  const units = [['year', year], ['day', 86400], ['hour', 3600], ['minute', 60], ['second', 1]];
  const period = 250; // ms between rewrites

  function grouped(n) {
    return Math.round(n).toLocaleString('en-US');
  }

  function count(n, unit) {
    return `${grouped(n)} ${unit}${n === 1 ? '' : 's'}`;
  }

  // The two largest units that are not zero ("3 days 4 hours"), whole years past a century; the
  // smaller unit is dropped once the larger one reaches 10, where it no longer adds anything.
  function duration(seconds) {
    const whole = Math.floor(seconds);
    const first = units.findIndex(([, size]) => whole >= size);
    if (first < 0) return count(0, 'second');
    const [unit, size] = units[first];
    const n = Math.floor(whole / size);
    if (n >= 10 || first === units.length - 1) return count(n, unit);
    const [smaller, smallerSize] = units[first + 1];
    const rest = Math.floor((whole - n * size) / smallerSize);
    return rest > 0 ? `${count(n, unit)} ${count(rest, smaller)}` : count(n, unit);
  }

  // Whole km; the same in AU beside it where that is at least a hundredth of one.
  function distance(km) {
    const au = km / astronomicalUnit;
    if (au < 0.01) return `${grouped(km)} km`;
    const digits = au < 1 ? 4 : au < 100 ? 2 : 0;
    const inAu = au.toLocaleString('en-US', { minimumFractionDigits: digits,
      maximumFractionDigits: digits });
    return `${grouped(km)} km (${inAu} AU)`;
  }

  // A body followed has its plane levelled too; after one Backspace the plane stays levelled.
  function following(followed, levelled) {
    const who = followed >= 0 ? `following ${names[followed]}` : 'following no body';
    return levelled >= 0 && levelled !== followed ? `${who}, ${names[levelled]}'s plane levelled`
      : who;
  }

  function text() {
    const [timeScale, elapsed, followed, levelled, globeScale, km, paused] =
        [0, 1, 2, 3, 4, 5, 6].map((which) => Module._webStatus(which));
    return [`time ×${grouped(timeScale)}`,
      `${duration(elapsed)} elapsed${paused ? ', paused' : ''}`,
      following(followed, levelled), `globes ×${grouped(globeScale)}`,
      `${distance(km)} from the look-at point`].join(' · ');
  }

  function update() {
    // Nothing runs before the program has started, nor without WebGL (the canvas is hidden then).
    if (!window.Module || !Module.calledRun || canvas.style.display === 'none') return;
    const now = text();
    if (line.textContent !== now) line.textContent = now;
  }

  setInterval(update, period);
})();
