// The About panel (#about): what the body followed is (the Sun when none is), or the moon whose
// name was clicked (names.js calls tessaloran.showBodyFacts; moons cannot be followed), or the
// planet or moon chosen with the panel's own buttons, with the facts the program works out from
// its own table and state (the toolkit's webBodyFact, model/body_facts): its size, its distance,
// its year and day, its tilts, how long the Sun's light takes to reach it, and how far from the
// Earth it is as the last picture drew it, with the light time across that (webFromEarth). The
// page holds none of these numbers; it only words them, with Intl's numbers, units and plurals
// in the page's language (i18n.js).
//
// The About button (#show-about) opens and closes it. It is a labelled region whose facts a
// screen reader announces politely when they change; the live distance, rewritten five times a
// second while time runs and standing while paused, is outside that, so it does not flood the
// reader. Like every page control it keeps the focus where it is: each key stays the program's.
'use strict';

(function () {
  const { i18n } = tessaloran; // i18n.js: the page's words
  const panel = document.getElementById('about');
  const button = document.getElementById('show-about');
  const title = document.getElementById('about-title');
  const what = document.getElementById('about-what');
  const facts = document.getElementById('about-facts');
  const now = document.getElementById('about-now');
  const nowValue = now.querySelector('dd');
  const drift = document.getElementById('about-drift');
  const others = document.getElementById('about-others');
  const close = document.getElementById('close-about');
  const bodies = tessaloran.namedBodies; // names.js: the message names, in the program's order
  const earth = bodies.indexOf('earth');
  const period = 200; // ms between rewrites
  const hour = 3600;
  const day = 86400;
  const year = 365.25 * day;
  // What webBodyFact's `which` reads (web/facts.cpp).
  const fact = { kind: 0, place: 1, planet: 2, radius: 3, drawnScale: 4, distance: 5,
    distanceAu: 6, year: 7, day: 8, backwards: 9, tilt: 10, inclination: 11, sunlight: 12,
    driftLevel: 13, sunSpeed: 14 };
  const [star, dwarfPlanet, moon] = [0, 2, 3]; // kinds
  let chosen = -1; // a body chosen in the panel or by a moon's name, until the followed changes
  let followed = -1;
  let said = ''; // what the facts say now, to rewrite them only when it changes

  function read(body, which) {
    return Module._webBodyFact(body, fact[which]);
  }

  function name(body) {
    return i18n.t(`body.${bodies[body]}`);
  }

  function km(n, digits) {
    return i18n.number(n, { style: 'unit', unit: 'kilometer', unitDisplay: 'short',
      maximumFractionDigits: digits || 0 });
  }

  function degrees(n) {
    return i18n.number(n, { style: 'unit', unit: 'degree', unitDisplay: 'narrow',
      maximumFractionDigits: 2 });
  }

  // A year or a day: in hours up to two days, in days up to a thousand, else in years; three
  // decimals below 10 (Jupiter's day, 9.925 hours), two above (the Earth's year, 365.18 days).
  function turn(seconds) {
    const [unit, size] = seconds < 2 * day ? ['hour', hour]
      : seconds < 1000 * day ? ['day', day] : ['year', year];
    const n = seconds / size;
    return i18n.number(n, { style: 'unit', unit, unitDisplay: 'long',
      maximumFractionDigits: n < 10 ? 3 : 2 });
  }

  // A light time: under a minute in seconds with two decimals (the Moon's 1.28 s), else in whole
  // hours, minutes and seconds (the Earth's 8 min 19 s).
  function lightTime(seconds) {
    if (seconds < 59.995) {
      return i18n.number(seconds, { style: 'unit', unit: 'second', unitDisplay: 'short',
        maximumFractionDigits: 2 });
    }
    const whole = Math.round(seconds);
    const parts = [['hour', Math.floor(whole / hour)], ['minute', Math.floor(whole / 60) % 60],
      ['second', whole % 60]].filter(([, n]) => n > 0);
    return i18n.list(parts.map(([unit, n]) => i18n.unit(n, unit, 'short')));
  }

  function speed(n) {
    return i18n.number(n, { style: 'unit', unit: 'kilometer-per-second', unitDisplay: 'short',
      maximumFractionDigits: 2 });
  }

  // The body shown: the one chosen, else the one followed.
  function shown() {
    return chosen >= 0 ? chosen : followed;
  }

  // What it is: the star, the Nth planet from the Sun, the dwarf planet, a moon of its planet.
  function kindOf(body) {
    const kind = read(body, 'kind');
    if (kind === star) return i18n.t('about.star');
    if (kind === moon) return i18n.t(`about.moonOf.${bodies[read(body, 'planet')]}`);
    if (kind === dwarfPlanet) {
      return i18n.t('about.dwarfPlanet', { year: i18n.number(2006, { useGrouping: false }) });
    }
    return i18n.t(`about.planet${read(body, 'place')}`);
  }

  // [label, value] rows of the body's facts.
  function rows(body) {
    const kind = read(body, 'kind');
    const scale = read(body, 'drawnScale');
    const radius = km(read(body, 'radius'), 1);
    const list = [['about.radius', scale > 1
      ? i18n.t('about.radiusLarger', { km: radius, factor: i18n.number(scale) })
      : i18n.t('about.radiusTrue', { km: radius })]];
    if (kind === moon) {
      list.push(['about.distanceFromPlanet', km(read(body, 'distance'))]);
      list.push(['about.moonYear', turn(read(body, 'year'))]);
    } else if (kind !== star) {
      list.push(['about.distanceFromSun', i18n.t('about.inAu', { km: km(read(body, 'distance')),
        au: i18n.number(read(body, 'distanceAu'), { maximumFractionDigits: 3 }) })]);
      list.push(['about.year', turn(read(body, 'year'))]);
    }
    const spin = turn(read(body, 'day'));
    list.push(['about.day', read(body, 'backwards') === 1
      ? i18n.t('about.backwards', { duration: spin }) : spin]);
    list.push(['about.tilt', degrees(read(body, 'tilt'))]);
    if (kind !== star) {
      list.push(['about.inclination', degrees(read(body, 'inclination'))]);
      list.push(['about.sunlight', lightTime(read(body, 'sunlight'))]);
    }
    return list;
  }

  // The sentence on the drift: where the orbit is drawn along +z, and why.
  function driftSentence(body) {
    const sunSpeed = speed(read(body, 'sunSpeed'));
    return read(body, 'kind') === star ? i18n.t('about.sunDrift', { speed: sunSpeed })
      : i18n.t('about.drift', { km: km(read(body, 'driftLevel')), speed: sunSpeed });
  }

  // A moon's planet, or a planet's moons, as buttons that show their facts.
  function relatives(body) {
    if (read(body, 'kind') === moon) return ['about.itsPlanet', [read(body, 'planet')]];
    const moons = bodies.map((_, other) => other).filter((other) => other !== body &&
        read(other, 'kind') === moon && read(other, 'planet') === body);
    return moons.length > 0 ? ['about.itsMoons', moons] : null;
  }

  function writeRelatives(body) {
    others.replaceChildren();
    const found = relatives(body);
    if (!found) return;
    const [label, list] = found;
    const text = document.createElement('span');
    text.textContent = i18n.t(label);
    others.appendChild(text);
    for (const other of list) {
      const choice = document.createElement('button');
      choice.type = 'button';
      choice.textContent = name(other);
      choice.addEventListener('mousedown', (event) => event.preventDefault());
      choice.addEventListener('click', () => show(other));
      others.appendChild(choice);
    }
  }

  function writeFacts(body) {
    const list = rows(body);
    const text = [body, i18n.language, ...list.flat()].join('\n');
    if (text === said) return;
    said = text;
    title.textContent = i18n.t('about.heading', { body: name(body) });
    what.textContent = kindOf(body);
    facts.replaceChildren(...list.flatMap(([label, value]) => {
      const term = document.createElement('dt');
      term.textContent = i18n.t(label);
      const detail = document.createElement('dd');
      detail.textContent = value;
      return [term, detail];
    }));
    drift.textContent = driftSentence(body);
    writeRelatives(body);
  }

  function writeNow(body) {
    now.hidden = body === earth;
    if (body === earth) return;
    const distance = Module._webFromEarth(body, 0);
    const text = distance < 0 ? '' : i18n.t('about.nowValue', { km: km(distance),
      duration: lightTime(Module._webFromEarth(body, 1)) });
    if (nowValue.textContent !== text) nowValue.textContent = text;
  }

  function update() {
    if (panel.hidden || !tessaloran.started) return;
    const following = Module._webFollowedBody();
    if (following !== followed) {
      followed = following;
      chosen = -1;
    }
    writeFacts(shown());
    writeNow(shown());
  }

  function open(on) {
    panel.hidden = !on;
    button.setAttribute('aria-expanded', String(on));
    said = '';
    update();
  }

  // Opens the panel on the body's facts, until the camera follows another body.
  function show(body) {
    if (!tessaloran.started) return;
    followed = Module._webFollowedBody();
    chosen = body;
    open(true);
  }
  tessaloran.showBodyFacts = show;

  for (const control of [button, close]) {
    control.addEventListener('mousedown', (event) => event.preventDefault());
  }
  button.addEventListener('click', () => (panel.hidden ? show(-1) : open(false)));
  close.addEventListener('click', () => open(false));
  // In another language the facts are worded anew at once.
  i18n.onChange(() => {
    said = '';
    update();
  });
  setInterval(update, period);
})();
