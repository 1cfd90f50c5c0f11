// Share: the button #share opens a panel (#share-panel) with a link to the view on screen, to
// copy, to hand to the system's sharing where the browser has it (phones, tablets), and as a QR
// code that a class's tablets scan from the projector. The link's fragment holds the view, as the
// program writes it (webViewLink); the reader's language is not part of it.
//
// Opening a page whose address has such a fragment, or a fragment changing in a running page,
// sets that view through the program (webApplyView), which uses every good part and reports the
// others; a notice (#link-notice) names them in the page's language. Nothing from a link reaches
// the page but as text. The QR code is drawn by the qrcode-generator library (qrcode.js, copied
// into the site by the build) on a canvas, dark on light with its quiet zone of four modules; the
// library is loaded once the program has started, as the panel opens only then, so that it does
// not hold up the page's first paint.
'use strict';

(function () {
  const { i18n } = tessaloran; // i18n.js: the page's words
  const button = document.getElementById('share');
  const panel = document.getElementById('share-panel');
  const code = document.getElementById('share-code');
  const linkText = document.getElementById('share-link');
  const local = document.getElementById('share-local');
  const copy = document.getElementById('share-copy');
  const send = document.getElementById('share-send');
  const said = document.getElementById('share-said');
  const notice = document.getElementById('link-notice');
  const noticeText = notice.querySelector('span');
  // The link's parts in the order of the program's bits (app/view_link.h), by their catalog ids.
  const parts = ['version', 'time', 'globes', 'follow', 'level', 'eye', 'look', 'direction',
    'grids', 'plane', 'elapsed', 'paused', 'names', 'unknown'];
  let unusable = 0; // the parts the last link opened could not use
  let link = '';

  // ---- Opening a link ----

  function showNotice() {
    notice.hidden = unusable === 0;
    if (unusable === 0) return;
    if (unusable & 1) {
      noticeText.textContent = i18n.t('link.otherVersion');
      return;
    }
    const names = parts.filter((part, bit) => unusable & (1 << bit))
      .map((part) => i18n.t(`link.part.${part}`));
    const list = new Intl.ListFormat(i18n.language, { type: 'conjunction' }).format(names);
    noticeText.textContent = i18n.t('link.unusable', { parts: list });
  }

  function openLink() {
    const fragment = location.hash.slice(1);
    if (fragment === '' || !tessaloran.started) return;
    const size = Module._webViewInputSize();
    const written = Module.stringToUTF8(fragment, Module._webViewInput(), size);
    unusable = Module._webApplyView(written, Module.lengthBytesUTF8(fragment));
    const names = Module._webViewNames();
    if (names >= 0) tessaloran.showNames(names === 1);
    tessaloran.pauseButtonFollowsClock();
    showNotice();
  }

  // ---- The panel ----

  // A page on this machine alone (a folder, localhost) has an address no other device opens.
  function onThisMachineOnly() {
    return location.protocol === 'file:' ||
        ['localhost', '127.0.0.1', '[::1]'].includes(location.hostname);
  }

  let library = null; // settles once qrcode.js has run
  function loadLibrary() {
    library = library || tessaloran.loadScript('qrcode.js').catch((error) => {
      library = null; // asked for again at the next opening
      throw error;
    });
    return library;
  }

  function drawCode(text) {
    qrcode.stringToBytes = qrcode.stringToBytesFuncs['UTF-8'];
    const qr = qrcode(0, 'M');
    qr.addData(text, 'Byte');
    qr.make();
    const count = qr.getModuleCount();
    const cells = count + 8; // four light modules of quiet zone on every side
    const wanted = code.getBoundingClientRect().width * (window.devicePixelRatio || 1);
    const cell = Math.max(2, Math.ceil(wanted / cells));
    code.width = code.height = cells * cell;
    const context = code.getContext('2d');
    context.fillStyle = '#fff';
    context.fillRect(0, 0, code.width, code.height);
    context.fillStyle = '#000';
    for (let row = 0; row < count; row += 1) {
      for (let column = 0; column < count; column += 1) {
        if (qr.isDark(row, column)) {
          context.fillRect((column + 4) * cell, (row + 4) * cell, cell, cell);
        }
      }
    }
  }

  function fill() {
    const address = new URL(location.href);
    address.hash = Module.UTF8ToString(Module._webViewLink(tessaloran.namesShown() ? 1 : 0));
    link = address.href;
    linkText.textContent = link;
    local.hidden = !onThisMachineOnly();
    local.textContent = i18n.t('share.local', {
      address: location.protocol === 'file:' ? 'file://' : location.host });
    said.textContent = '';
    code.getContext('2d').clearRect(0, 0, code.width, code.height);
    const shown = link;
    // The link is there to copy at once; its code follows as soon as the library has come.
    loadLibrary().then(() => {
      if (panel.open && link === shown) drawCode(shown);
    }, () => {});
  }

  function selectLink() {
    const range = document.createRange();
    range.selectNodeContents(linkText);
    const selection = window.getSelection();
    selection.removeAllRanges();
    selection.addRange(range);
  }

  button.addEventListener('mousedown', (event) => event.preventDefault());
  button.addEventListener('click', () => {
    if (!tessaloran.started) return;
    panel.showModal();
    fill();
  });
  copy.addEventListener('click', () => {
    const refused = () => {
      selectLink();
      said.textContent = i18n.t('share.copyRefused');
    };
    if (!navigator.clipboard) {
      refused();
      return;
    }
    navigator.clipboard.writeText(link).then(() => {
      said.textContent = i18n.t('share.copied');
    }, refused);
  });
  send.hidden = typeof navigator.share !== 'function';
  send.addEventListener('click', () => {
    navigator.share({ title: document.title, url: link }).catch(() => {});
  });
  panel.querySelector('#share-close').addEventListener('click', () => panel.close());
  // The keys go to the program again once the panel is closed.
  panel.addEventListener('close', () => document.getElementById('canvas').focus());
  notice.querySelector('button').addEventListener('click', () => {
    unusable = 0;
    showNotice();
  });
  i18n.onChange(() => {
    showNotice();
    if (panel.open) fill();
  });

  window.addEventListener('hashchange', openLink);
  // The program starts as always; the link's view is set once it runs.
  tessaloran.onStarted(openLink);
  tessaloran.onStarted(() => loadLibrary().catch(() => {}));
})();
