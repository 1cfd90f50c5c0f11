// The page in the reader's language. Loaded in the page's head, before anything is painted: it
// picks the language (the one chosen before, kept in localStorage, else the best match of the
// browser's languages, else English), loads that language's messages and writes them into the
// page, and offers the language control (#language). The messages are JSON catalogs in
// web/page/messages/, one per language, which the build turns into scripts (messages-de.js calls
// tessaloran.i18n.add('de', {...})), so that a page opened from a folder, where nothing can be
// fetched, loads them as well; English, the source and every other language's fallback, is built
// into this file. Numbers, units and plural forms come from the browser's Intl; the catalogs hold
// sentences only. The page is shown in every case: a catalog that fails, takes more than a few
// seconds, never adds its messages or cannot be written leaves it in English, with a notice
// (#language-notice), and where Intl lacks what a language needs, plain numbers and unit symbols
// stand in.
//
// API, as tessaloran.i18n (window.tessaloran, what the page's scripts share, begins here):
//   i18n.language              the page's language now ('en', 'de', 'pt-BR', ...)
//   i18n.languages             every language the page speaks, in the control's order
//   i18n.bestMatch(tags)       the language the page starts in for the browser's languages `tags`
//   i18n.t(id, params)         the message `id` in the page's language (English where the
//                              language lacks it), each {name} replaced by params[name]
//   i18n.number(n, options)    n formatted by Intl.NumberFormat for the page's language
//   i18n.unit(n, unit, display)
//                              n with an Intl unit ('day', 'kilometer', 'degree', ...) in the
//                              language's plural form: display 'long' (default), 'short', 'narrow'
//   i18n.list(parts)           parts joined as the language joins "3 days" and "4 hours"
//   i18n.onChange(callback)    calls callback(language) whenever the page's words have been
//                              (re)written: once the page is first in its language (at once if it
//                              already is), and after each change of language
//   i18n.choose(language)      changes the page's language at once, and remembers it
//   i18n.apply(root)           rewrites the marked elements under root (default: the document):
//                              data-i18n="id" (text), data-i18n-aria-label="id" (aria-label),
//                              data-i18n-content="id" (a meta tag's content); for elements added
//                              after the page has loaded
//   i18n.add(language, messages)
//                              what a catalog script calls
'use strict';

(function () {
  const languages = ['en', 'de', 'fr', 'es', 'it', 'pt-BR', 'nl', 'pl', 'ru', 'tr', 'zh-CN', 'ja',
    'ar'];
  const rightToLeft = new Set(['ar']);
  const storageKey = 'tessaloran-language';
  const catalogs = {};
  const listeners = [];
  const formatters = new Map();
  let language = 'en';
  let domReady = false;
  let applied = null; // the language the page's words are in, once written
  let rewritten = false; // whether the page's words were ever written over its English
  let failedLanguage = null; // the language the notice says the page could not be shown in
  const patience = 3000; // ms a catalog may take before the page is shown in English

  // The best match of the browser's languages: the first whose language subtag the page speaks,
  // in the region asked for where the page has it (pt-PT gets pt-BR, zh gets zh-CN).
  function bestMatch(wanted) {
    for (const tag of wanted) {
      const asked = String(tag).toLowerCase();
      const exact = languages.find((l) => l.toLowerCase() === asked);
      if (exact) return exact;
      const base = asked.split('-')[0];
      const same = languages.find((l) => l.toLowerCase().split('-')[0] === base);
      if (same) return same;
    }
    return 'en';
  }

  function remembered() {
    try {
      const stored = localStorage.getItem(storageKey);
      return languages.includes(stored) ? stored : null;
    } catch (error) {
      return null; // storage refused (a privacy setting): the browser's languages decide
    }
  }

  function remember(chosen) {
    try {
      localStorage.setItem(storageKey, chosen);
    } catch (error) {
      // Not kept: the next visit starts from the browser's languages again.
    }
  }

  function t(id, params) {
    const own = catalogs[language] && catalogs[language][id];
    const text = own !== undefined ? own : catalogs.en[id];
    if (text === undefined) return '';
    return params ? text.replace(/\{(\w+)\}/g, (whole, name) =>
      (Object.prototype.hasOwnProperty.call(params, name) ? String(params[name]) : whole)) : text;
  }

  // Intl's formatter, or null where the browser lacks the kind or its options (unit styles and
  // ListFormat came in Safari 14.1; an engine may also drop an option it does not know): plain
  // numbers and words stand in then, so that the page and its status line still say everything.
  function formatter(kind, options) {
    const key = `${language} ${kind} ${JSON.stringify(options)}`;
    if (!formatters.has(key)) {
      let made = null;
      try {
        made = kind === 'list' ? new Intl.ListFormat(language, options)
          : new Intl.NumberFormat(language, options);
        if (options.style && made.resolvedOptions().style !== options.style) made = null;
      } catch (error) {
        made = null;
      }
      formatters.set(key, made);
    }
    return formatters.get(key);
  }

  function number(n, options) {
    const made = formatter('number', options || {});
    if (made) return made.format(n);
    const digits = options && options.maximumFractionDigits;
    return digits === undefined ? String(n) : n.toFixed(digits);
  }

  // Where Intl has no units: the unit's international symbol ("18 d", "2°").
  const symbols = { year: ' a', day: ' d', hour: ' h', minute: ' min', second: ' s',
    kilometer: ' km', degree: '°' };

  function unit(n, name, display) {
    const made = formatter('number', { style: 'unit', unit: name, unitDisplay: display || 'long' });
    return made ? made.format(n) : number(n) + symbols[name];
  }

  // "3 days 4 hours" in English: the list of units, as a measurement is read out.
  function list(parts) {
    const made = formatter('list', { type: 'unit', style: 'narrow' });
    return made ? made.format(parts) : parts.join(' ');
  }

  // The numbers the key and touch tables quote, in the language's own digits and grouping.
  function tableParams() {
    return { angle: unit(2, 'degree', 'narrow'), factor: number(10), slowest: number(1),
      fastest: number(100000000) };
  }

  function apply(root) {
    const scope = root || document;
    const params = tableParams();
    for (const element of scope.querySelectorAll('[data-i18n]')) {
      const text = t(element.dataset.i18n, params);
      if (element.textContent !== text) element.textContent = text;
    }
    for (const element of scope.querySelectorAll('[data-i18n-aria-label]')) {
      element.setAttribute('aria-label', t(element.dataset.i18nAriaLabel));
    }
    for (const element of scope.querySelectorAll('[data-i18n-content]')) {
      element.setAttribute('content', t(element.dataset.i18nContent));
    }
  }

  // Writes the page in its language once both the page and the language's messages are there;
  // until then a page in another language than English stays unpainted (see page.css), so
  // that no English shows and nothing moves when the words change. A language the page cannot be
  // written in (a message that is not text, a script that cannot say it) gives way to English,
  // with a notice: the page is painted whatever happens.
  function write() {
    if (!domReady || !catalogs[language] || applied === language) return;
    const root = document.documentElement;
    try {
      root.lang = language;
      root.dir = rightToLeft.has(language) ? 'rtl' : 'ltr';
      document.title = t('page.title');
      // The page is served in English: written in English before any other language, it has
      // nothing to change, and Intl is left alone until the status line first speaks.
      if (rewritten || language !== 'en') {
        rewritten = true;
        apply(document);
      }
      const control = document.getElementById('language');
      if (control) control.value = language;
      applied = language;
      for (const callback of listeners) callback(language);
      showNotice();
    } catch (error) {
      console.error(error);
      if (language !== 'en') fallBack(language);
    } finally {
      root.classList.remove('i18n-loading');
    }
  }

  // The page in English, and a notice that it could not be shown in `failed`.
  function fallBack(failed) {
    failedLanguage = failed;
    language = 'en';
    applied = null;
    write();
  }

  // The notice (#language-notice) names the language in its own words, as the control does, and
  // is written in the page's language; its button puts it away.
  function showNotice() {
    if (!failedLanguage || !domReady) return;
    const notice = document.getElementById('language-notice');
    const option = document.querySelector(`#language option[value="${failedLanguage}"]`);
    notice.querySelector('span').textContent = t('notice.language',
      { language: option ? option.textContent : failedLanguage });
    notice.hidden = false;
  }

  function dismissNotice() {
    failedLanguage = null;
    document.getElementById('language-notice').hidden = true;
  }

  // A catalog that fails, or loads without adding its messages, is refused.
  function load(wanted) {
    if (catalogs[wanted]) return Promise.resolve();
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = `messages-${wanted}.js`;
      script.onload = () => (catalogs[wanted] ? resolve() : reject());
      script.onerror = reject;
      document.head.appendChild(script);
    });
  }

  function choose(wanted) {
    if (!languages.includes(wanted)) return Promise.resolve();
    return load(wanted).then(() => {
      language = wanted;
      write();
      // Kept, and any notice of an earlier failure put away, once the page is written in it.
      if (language === wanted) {
        remember(wanted);
        dismissNotice();
      }
    }, () => {
      // The catalog did not load (the server gone before the site was kept): the page stays as
      // it is, the control shows so, and the notice says it.
      const control = document.getElementById('language');
      if (control) control.value = language;
      failedLanguage = wanted;
      showNotice();
    });
  }

  const i18n = {
    get language() { return language; },
    languages: languages.slice(),
    bestMatch, t, number, unit, list, apply, choose,
    onChange(callback) {
      listeners.push(callback);
      // A script that comes after the page was written gets its language at once.
      if (applied) callback(applied);
    },
    add(name, messages) {
      catalogs[name] = messages;
      write();
    },
  };
  // The first of what the page's scripts share: shared.js lists it all.
  window.tessaloran = { i18n };

  const start = remembered() || bestMatch(navigator.languages && navigator.languages.length
    ? navigator.languages : [navigator.language || 'en']);
  language = start;
  if (start !== 'en') {
    document.documentElement.classList.add('i18n-loading');
    // No catalog (a server that lost it), or none in time: the page in English.
    const refused = () => {
      if (language === start && !catalogs[start]) fallBack(start);
    };
    load(start).catch(refused);
    setTimeout(refused, patience);
  }

  document.addEventListener('DOMContentLoaded', () => {
    domReady = true;
    const control = document.getElementById('language');
    control.addEventListener('change', () => choose(control.value));
    document.querySelector('#language-notice button').addEventListener('click', dismissNotice);
    write();
  });
})();
