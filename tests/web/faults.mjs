// browser.mjs's actions that take from the page something it relies on, for every load after
// them (Chromium), each in place of the one before:
//   {"fault": "catalog fails"}       the language's catalog (messages-LANGUAGE.js) fails to load
//   {"fault": "catalog late"}        it answers only after 5 s
//   {"fault": "catalog empty"}       it loads and adds no messages
//   {"fault": "catalog unwritable"}  it adds a message that is not text
//   {"fault": "old Intl"}            Intl as in Safari before 14.1: NumberFormat without unit
//                                    styles, no ListFormat
//   {"fault": "program fails"}       the program's script (tessaloran.js) fails to load
//   {"fault": null}                  nothing taken
const catalogAnswers = {
  'catalog fails': (request) => request.abort(),
  'catalog late': (request) => setTimeout(() => request.continue().catch(() => {}), 5000),
  'catalog empty': (request) => request.respond({ status: 200, contentType: 'text/javascript',
    body: '// no messages\n' }),
  'catalog unwritable': (request, language) => request.respond({ status: 200,
    contentType: 'text/javascript',
    body: `window.tessaloran.i18n.add('${language}', { 'table.turn': null });\n` }),
};

function oldIntl() {
  const NumberFormat = Intl.NumberFormat;
  Intl.NumberFormat = function (locales, options) {
    if (options && options.style === 'unit') throw new RangeError('Invalid style: unit');
    return new NumberFormat(locales, options);
  };
  delete Intl.ListFormat;
}

export function faultActions({ page }) {
  let fault = null;
  let intercepting = false;
  let intl = null; // the script that takes Intl's units, while it is installed
  return {
    fault: async (action) => {
      fault = action.fault;
      if (intl) {
        await page.removeScriptToEvaluateOnNewDocument(intl.identifier);
        intl = null;
      }
      if (fault === 'old Intl') intl = await page.evaluateOnNewDocument(oldIntl);
      if ((fault in catalogAnswers || fault === 'program fails') && !intercepting) {
        intercepting = true;
        // The catalog is the network's to answer, not a kept copy's.
        await page.setBypassServiceWorker(true);
        await page.setRequestInterception(true);
        page.on('request', (request) => {
          const catalog = /\/messages-([\w-]+)\.js$/.exec(request.url());
          if (catalog && fault in catalogAnswers) catalogAnswers[fault](request, catalog[1]);
          else if (fault === 'program fails' && /\/tessaloran\.js$/.test(request.url())) {
            request.abort();
          } else request.continue();
        });
      }
    },
  };
}
