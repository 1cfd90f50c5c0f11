// The status line under the picture: what the model is doing, in words, from the program's own
// state (the toolkit's webStatus), in the page's language (i18n.js: the sentences from its
// catalog, numbers, units and their plural forms from Intl). Rewritten at most four times a
// second, and only when the text changes, so a screen reader announcing it politely is not
// flooded; at once when the language changes.
'use strict';

(function () {
  const { i18n } = tessaloran; // i18n.js: the page's words
  const status = document.getElementById('status');
  const line = status.querySelector('span');
  const canvas = document.getElementById('canvas');
  const names = ['sun', 'mercury', 'venus', 'earth', 'mars', 'jupiter', 'saturn', 'uranus',
    'neptune', 'pluto'];
  const astronomicalUnit = 149600000; // km, as the program has it
  const year = 365.25 * 86400;
  // Intl's unit names, from the largest.
  const units = [['year', year], ['day', 86400], ['hour', 3600], ['minute', 60], ['second', 1]];
  const period = 250; // ms between rewrites

  function grouped(n) {
    return i18n.number(Math.round(n));
  }

  function body(index) {
    return i18n.t(`body.${names[index]}`);
  }

  // The two largest units that are not zero ("3 days 4 hours"), whole years past a century; the
  // smaller unit is dropped once the larger one reaches 10, where it no longer adds anything.
  function duration(seconds) {
    const whole = Math.floor(seconds);
    const first = units.findIndex(([, size]) => whole >= size);
    if (first < 0) return i18n.unit(0, 'second');
    const [unit, size] = units[first];
    const n = Math.floor(whole / size);
    if (n >= 10 || first === units.length - 1) return i18n.unit(n, unit);
    const [smaller, smallerSize] = units[first + 1];
    const rest = Math.floor((whole - n * size) / smallerSize);
    return rest > 0 ? i18n.list([i18n.unit(n, unit), i18n.unit(rest, smaller)])
      : i18n.unit(n, unit);
  }

  // Whole km; the same in AU beside it where that is at least a hundredth of one.
  function distance(km) {
    const au = km / astronomicalUnit;
    const inKm = i18n.unit(Math.round(km), 'kilometer', 'short');
    if (au < 0.01) return inKm;
    const digits = au < 1 ? 4 : au < 100 ? 2 : 0;
    const inAu = i18n.number(au, { minimumFractionDigits: digits,
      maximumFractionDigits: digits });
    return i18n.t('status.distanceInAu', { km: inKm, au: inAu });
  }

  // A body followed has its plane levelled too; after one Backspace the plane stays levelled.
  function following(followed, levelled) {
    const who = followed >= 0 ? i18n.t('status.following', { body: body(followed) })
      : i18n.t('status.followingNone');
    return levelled >= 0 && levelled !== followed
      ? i18n.t('status.levelled', { following: who, body: body(levelled) }) : who;
  }

  function sentence(timeScale, elapsed, paused, followed, levelled, globeScale, km) {
    return [i18n.t('status.time', { scale: grouped(timeScale) }),
      i18n.t(paused ? 'status.elapsedPaused' : 'status.elapsed', { duration: elapsed }),
      following(followed, levelled),
      i18n.t('status.globes', { scale: grouped(globeScale) }),
      i18n.t('status.distance', { distance: distance(km) })].join(' · ');
  }

  function text() {
    const [timeScale, elapsed, followed, levelled, globeScale, km, paused] =
        [0, 1, 2, 3, 4, 5, 6].map((which) => Module._webStatus(which));
    return sentence(timeScale, duration(elapsed), paused, followed, levelled, globeScale, km);
  }

  function longer(a, b) {
    return b.length >= a.length ? b : a;
  }

  // The longest line the status can say in this language, which the line's box reserves room
  // for (page.css): the largest scales, the longest duration, paused, following no body with
  // the longest name's plane levelled, the largest distance with the most digits of AU.
  function longest() {
    const durations = [100000 * year, 9 * year + 364 * 86400, 9 * 86400 + 23 * 3600,
      9 * 3600 + 59 * 60, 9 * 60 + 59].map(duration).reduce(longer);
    const levelled = names.map((name, index) => index).reduce((a, b) =>
      (body(b).length >= body(a).length ? b : a));
    return [99999999999, 99999999].map((km) =>
      sentence(100000000, durations, true, -1, levelled, 10000, km)).reduce(longer);
  }

  function update() {
    // "Starting…" (the page's English text, from its first paint) until the program runs, and
    // what went wrong if it cannot; nothing without WebGL, where the canvas is hidden and the
    // program never draws.
    const now = canvas.style.display === 'none' ? ''
      : tessaloran.programFailed ? i18n.t('status.failed')
        : tessaloran.started ? text() : i18n.t('status.starting');
    if (line.textContent !== now) line.textContent = now;
  }

  // The stylesheet reserves English's longest line; another language's is worked out as the page
  // is written in it, and English's again after another language. Either way the page's first
  // Intl formatter is made here, before the page is first painted: it starts ICU, tens of
  // milliseconds on a phone, which would otherwise hold up the program's first frames.
  i18n.onChange((language) => {
    if (language !== 'en' || status.dataset.longest) status.dataset.longest = longest();
    else duration(0);
    update();
  });
  setInterval(update, period);
  // The bodies' message names and the units, for the saved picture's file name (save.js).
  tessaloran.statusWords = { bodies: names, units };
})();
