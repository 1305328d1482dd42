// The web page: maps its controls onto the converter module (web/bindings.cpp).
// Text is bytes: each box's bytes are kept as they are, and the box shows them
// as Windows-1252 text (a font's bytes) or UTF-8 text (IAST, Devanagari).

const kLiveLimit = 256 * 1024;  // larger texts convert on the button, in a worker
const kBlock = 256 * 1024;      // what the worker feeds per step
const kUnicodeForms = ['iast', 'devanagari'];

// ---- bytes and text ----

// Windows-1252 for 0x80 to 0x9F; the five bytes it leaves undefined are the
// C1 controls of the same value (as the desktop program's boxes and clipboard).
const kHigh = [0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
               0x2039, 0x0152, 0x8D, 0x017D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
               0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178];
const kToByte = new Map(kHigh.map((c, i) => [c, 0x80 + i]));

export function bytesToCp1252(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 8192) {
    const part = bytes.subarray(i, i + 8192);
    text += String.fromCharCode(...Array.from(part, (b) => (b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b)));
  }
  return text;
}

// Text to a font's bytes; U+F000 to U+F0FF (symbol-font text) is its low
// byte. Characters no byte holds are left out and counted.
export function cp1252ToBytes(text) {
  const bytes = new Uint8Array(text.length);
  let n = 0;
  let leftOut = 0;
  for (const ch of text) {
    const c = ch.codePointAt(0);
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) bytes[n++] = c;
    else if (kToByte.has(c)) bytes[n++] = kToByte.get(c);
    else if (c >= 0xF000 && c <= 0xF0FF) bytes[n++] = c - 0xF000;
    else ++leftOut;
  }
  return {bytes: bytes.slice(0, n), leftOut};
}

function symbolText(bytes) {
  return String.fromCharCode(...Array.from(bytes, (b) => (b >= 0x20 ? 0xF000 + b : b)));
}

const utf8 = new TextEncoder();
const utf8Text = new TextDecoder('utf-8');

function isUnicodeForm(form) { return kUnicodeForms.includes(form); }
function textOf(bytes, form) { return isUnicodeForm(form) ? utf8Text.decode(bytes) : bytesToCp1252(bytes); }

// ---- the module ----

const state = {
  module: null,
  converter: null,
  fonts: {translit: [], devanagari: []},
  loadedFont: null,     // the name given to the loaded tables
  loadedFiles: null,    // their bytes, for the worker
  inputBytes: new Uint8Array(0),
  inputFromFile: false, // the box shows a file's bytes, kept as they are until edited
  outputBytes: new Uint8Array(0),
  lastResult: null,
  worker: null,
  converterUrl: null,
};

const $ = (id) => document.getElementById(id);

function say(message, error = false) {
  const status = $('status');
  status.textContent = message;
  status.classList.toggle('error', error);
}

async function loadModule() {
  // The module's source arrives as a string (converter-source.js), so that
  // the page and its worker can both run it from file:// as well as a server.
  state.converterUrl = URL.createObjectURL(new Blob([self.sfcConverterSource], {type: 'text/javascript'}));
  await new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = state.converterUrl;
    script.onload = resolve;
    script.onerror = () => reject(new Error('the converter could not be loaded'));
    document.head.appendChild(script);
  });
  state.module = await self.createConverterModule();
  state.converter = new state.module.Converter();
  state.fonts = state.module.fonts();
}

// ---- the choosers ----

function formLabel(form) {
  if (form === 'iast') return 'IAST (Unicode)';
  if (form === 'devanagari') return 'Devanagari (Unicode)';
  return form;
}

function fillChoosers() {
  for (const [id, chosen] of [['from', $('from').value || 'iast'], ['to', $('to').value || 'devanagari']]) {
    const select = $(id);
    select.replaceChildren();
    const group = (label, forms) => {
      const g = document.createElement('optgroup');
      g.label = label;
      for (const form of forms) g.appendChild(new Option(formLabel(form), form));
      select.appendChild(g);
    };
    group('Unicode', kUnicodeForms);
    group('Transliteration fonts', state.fonts.translit);
    group('Devanagari fonts', state.fonts.devanagari);
    if (state.loadedFont) group('Loaded code tables', [state.loadedFont]);
    select.value = [...select.options].some((o) => o.value === chosen) ? chosen : select.options[0].value;
  }
  for (const [id, fonts] of [['pivot', state.fonts.translit], ['browse-translit', state.fonts.translit],
                             ['browse-font', [...state.fonts.devanagari, ...(state.loadedFont ? [state.loadedFont] : [])]]]) {
    const select = $(id);
    const chosen = select.value;
    select.replaceChildren(...fonts.map((f) => new Option(f, f)));
    if (fonts.includes(chosen)) select.value = chosen;
  }
}

function options() {
  return {
    command: 'convert',
    from: $('from').value,
    to: $('to').value,
    translitFont: $('pivot').value,
    dashMode: Number($('dash-mode').value),
    shiftMToN: $('shift-m').checked,
  };
}

// ---- the boxes ----

function setInput(bytes, fromFile) {
  state.inputBytes = bytes;
  state.inputFromFile = fromFile;
  $('input').value = textOf(bytes, $('from').value);
  styleBoxes();
}

function readInputBox() {
  if (state.inputFromFile) return;
  const text = $('input').value;
  if (isUnicodeForm($('from').value)) {
    state.inputBytes = utf8.encode(text);
  } else {
    const {bytes, leftOut} = cp1252ToBytes(text);
    state.inputBytes = bytes;
    if (leftOut) say(`${leftOut} character(s) have no byte in a legacy font and were left out`, true);
  }
}

function styleBoxes() {
  $('input').classList.toggle('unicode-text', isUnicodeForm($('from').value));
  $('output').classList.toggle('unicode-text', isUnicodeForm($('to').value));
}

// ---- converting ----

function showResult(result, inputBytes) {
  state.lastResult = result;
  if (result.error) {
    say(result.error, true);
    return;
  }
  state.outputBytes = result.output;
  $('output').value = textOf(result.output, $('to').value);
  showPreviews();
  showReport(result, inputBytes);
  const notes = result.messages.filter((m) => !/had no rule/.test(m));
  say(notes.length ? notes.join(' · ') : `Converted: ${inputBytes.length} bytes in, ${result.output.length} bytes out.`,
      !result.completed);
}

function convertNow() {
  if (!state.converter) return;
  readInputBox();
  if (state.inputBytes.length > kLiveLimit) {
    convertInWorker();
    return;
  }
  const input = state.inputBytes;
  showResult(state.converter.convert(input, options()), input);
}

function unicodeOf(bytes, form) {
  if (isUnicodeForm(form) || bytes.length === 0) return null;
  const devanagariFont = !state.fonts.translit.includes(form);
  const result = state.converter.convert(bytes, {
    command: 'convert', from: form, to: devanagariFont ? 'devanagari' : 'iast',
    translitFont: $('pivot').value,
  });
  return result.error ? null : utf8Text.decode(result.output);
}

function showPreviews() {
  const limit = kLiveLimit;
  for (const [box, text, bytes, form] of [['preview', 'preview-box', state.outputBytes, $('to').value],
                                          ['input-preview', 'input-preview-box', state.inputBytes, $('from').value]]) {
    const unicode = bytes.length <= limit ? unicodeOf(bytes, form) : null;
    $(text).hidden = unicode === null;
    $(box).textContent = unicode ?? '';
  }
}

// The positions of the left-out bytes: a list, and the input with them marked.
function showReport(result, inputBytes) {
  const report = $('report');
  const marked = $('report-text');
  report.replaceChildren();
  marked.hidden = true;
  const drops = result.dropped || [];
  const rejects = result.rejected || [];
  if (drops.length === 0 && rejects.length === 0) {
    report.innerHTML = '<p>Nothing left out.</p>';
    return;
  }
  for (const message of result.messages.filter((m) => /had no rule/.test(m))) {
    const p = document.createElement('p');
    p.textContent = message;
    report.appendChild(p);
  }
  if (result.rejectedTotal > 0) {
    const p = document.createElement('p');
    p.textContent = `${result.rejectedTotal} character(s) did not convert.`;
    report.appendChild(p);
  }
  const list = document.createElement('ul');
  const shown = [...drops.map((d) => ({...d, what: byteName(d.byte)})),
                 ...rejects.map((r) => ({...r, what: 'U+' + r.codePoint.toString(16).toUpperCase().padStart(4, '0')}))]
      .slice(0, 200);
  for (const item of shown) {
    const li = document.createElement('li');
    const where = `line ${item.line}, column ${item.column}${item.between ? ' of the text between' : ''}`;
    if (!item.between) {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = where;
      button.addEventListener('click', () => selectInInput(item.line, item.column));
      li.append(button, `: ${item.what}`);
    } else {
      li.textContent = `${where}: ${item.what}`;
    }
    list.appendChild(li);
  }
  report.appendChild(list);
  // The input with the places of its own left-out bytes marked (a font's
  // bytes: one character each).
  const own = drops.filter((d) => !d.between);
  if (own.length && !isUnicodeForm($('from').value) && inputBytes.length <= kLiveLimit) {
    const text = bytesToCp1252(inputBytes);
    const starts = lineStarts(text);
    const at = new Set(own.map((d) => (starts[d.line - 1] ?? 0) + d.column - 1));
    marked.replaceChildren();
    let run = '';
    for (let i = 0; i < text.length; ++i) {
      if (at.has(i)) {
        if (run) marked.append(run);
        run = '';
        const mark = document.createElement('mark');
        mark.textContent = text[i] === '\n' ? '↵\n' : text[i] === '\t' ? '⇥' : text[i] < ' ' ? '·' : text[i];
        mark.title = byteName(inputBytes[i]);
        marked.appendChild(mark);
      } else {
        run += text[i];
      }
    }
    if (run) marked.append(run);
    marked.hidden = false;
  }
}

function lineStarts(text) {
  const starts = [0];
  for (let i = 0; i < text.length; ++i) if (text[i] === '\n') starts.push(i + 1);
  return starts;
}

function selectInInput(line, column) {
  const box = $('input');
  const starts = lineStarts(box.value);
  const at = (starts[line - 1] ?? 0) + column - 1;
  box.focus();
  box.setSelectionRange(at, at + 1);
}

const kControlNames = ['NUL', 'SOH', 'STX', 'ETX', 'EOT', 'ENQ', 'ACK', 'BEL', 'BS', 'TAB', 'LF', 'VT', 'FF', 'CR',
                       'SO', 'SI', 'DLE', 'DC1', 'DC2', 'DC3', 'DC4', 'NAK', 'SYN', 'ETB', 'CAN', 'EM', 'SUB', 'ESC',
                       'FS', 'GS', 'RS', 'US'];
function byteName(b) {
  if (b < 32) return `${kControlNames[b]} (byte ${b})`;
  if (b === 32) return 'blank (byte 32)';
  return `'${bytesToCp1252(new Uint8Array([b]))}' (byte ${b})`;
}

// ---- large texts: a worker ----

// The worker's code, run from a blob that holds the module's source too: a
// page opened as a file may not load scripts into a worker.
function workerMain() {
  let converter = null;
  let module = null;
  self.onmessage = async (event) => {
    const job = event.data;
    if (job.kind === 'start') {
      module = await self.createConverterModule();
      converter = new module.Converter();
      self.postMessage({kind: 'ready'});
      return;
    }
    if (job.kind === 'tables') {
      const f = job.files;
      converter.loadTables(f.syllables, f.shortI, f.glyphs);
      return;
    }
    if (job.kind === 'convert') {
      const stream = new module.Stream(converter, job.options);
      const pieces = [];
      for (let at = 0; at < job.input.length; at += job.block) {
        pieces.push(stream.feed(job.input.subarray(at, at + job.block)));
        self.postMessage({kind: 'progress', done: Math.min(at + job.block, job.input.length)});
      }
      const end = stream.finish();
      stream.delete();
      pieces.push(end.output);
      let size = 0;
      for (const p of pieces) size += p.length;
      const output = new Uint8Array(size);
      let n = 0;
      for (const p of pieces) { output.set(p, n); n += p.length; }
      end.output = output;
      self.postMessage({kind: 'done', result: end}, [output.buffer]);
    }
  };
}

function startWorker() {
  if (state.worker) return state.worker;
  const source = [self.sfcConverterSource, `\n(${workerMain.toString()})();\n`];
  const worker = new Worker(URL.createObjectURL(new Blob(source, {type: 'text/javascript'})));
  worker.addEventListener('error', (event) => {
    event.preventDefault();
    state.worker = null;
    finishWorker();
    say(`The conversion in the background failed: ${event.message || 'the worker could not start'}`, true);
  });
  worker.ready = new Promise((resolve) => {
    worker.addEventListener('message', function first(e) {
      if (e.data.kind === 'ready') { worker.removeEventListener('message', first); resolve(); }
    });
  });
  worker.postMessage({kind: 'start'});
  if (state.loadedFiles) worker.postMessage({kind: 'tables', files: state.loadedFiles});
  state.worker = worker;
  return worker;
}

async function convertInWorker() {
  const input = state.inputBytes;
  const worker = startWorker();
  const progress = $('progress');
  progress.hidden = false;
  $('cancel').hidden = false;
  progress.max = input.length;
  progress.value = 0;
  $('convert').disabled = true;
  say(`Converting ${(input.length / 1048576).toFixed(1)} MB…`);
  await worker.ready;
  worker.onmessage = (e) => {
    if (e.data.kind === 'progress') {
      progress.value = e.data.done;
    } else if (e.data.kind === 'done') {
      finishWorker();
      showResult(e.data.result, input);
    }
  };
  worker.postMessage({kind: 'convert', input, options: options(), block: kBlock});
}

function finishWorker() {
  $('progress').hidden = true;
  $('cancel').hidden = true;
  $('convert').disabled = false;
}

function cancelWorker() {
  if (state.worker) state.worker.terminate();
  state.worker = null;
  finishWorker();
  say('Conversion cancelled.');
}

// ---- files ----

async function openFile(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  setInput(bytes, true);
  say(`Opened ${file.name} (${bytes.length} bytes).`);
  if (bytes.length <= kLiveLimit) convertNow();
  else say(`Opened ${file.name} (${(bytes.length / 1048576).toFixed(1)} MB): press Convert.`);
}

function downloadName() {
  const to = $('to').value;
  const base = to.toLowerCase().replace(/[^a-z0-9]+/g, '-');
  return `converted.${base}.txt`;
}

function download() {
  const blob = new Blob([state.outputBytes], {type: 'application/octet-stream'});
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = downloadName();
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

// The clipboard as the desktop program sets it: a font's bytes as
// Windows-1252 text, a Devanagari font's as U+F000 + byte for a symbol font.
function clipboardText() {
  const to = $('to').value;
  if (isUnicodeForm(to)) return utf8Text.decode(state.outputBytes);
  const devanagariFont = !state.fonts.translit.includes(to);
  return devanagariFont && $('symbol-font').checked ? symbolText(state.outputBytes) : bytesToCp1252(state.outputBytes);
}

async function copy() {
  const text = clipboardText();
  try {
    await navigator.clipboard.writeText(text);
  } catch {
    const box = document.createElement('textarea');
    box.value = text;
    document.body.appendChild(box);
    box.select();
    document.execCommand('copy');
    box.remove();
  }
  say('The result is on the clipboard.');
}

// ---- code tables ----

async function loadTables() {
  const files = [...$('table-files').files];
  const find = (name) => files.find((f) => f.name.toLowerCase() === name);
  const read = async (name) => {
    const file = find(name);
    return file ? new Uint8Array(await file.arrayBuffer()) : null;
  };
  const loaded = {syllables: await read('sanideva.cod'), shortI: await read('lipikara.mmy'),
                  glyphs: await read('devitran.cod')};
  const list = $('table-problems');
  list.replaceChildren();
  if (!loaded.syllables && !loaded.shortI && !loaded.glyphs) {
    say('Pick sanideva.cod, lipikara.mmy and devitran.cod first.', true);
    return;
  }
  const name = $('table-font').value.trim() || 'Loaded font';
  if (state.fonts.devanagari.includes(name) || state.fonts.translit.includes(name) || isUnicodeForm(name)) {
    say(`"${name}" is a built-in form; give the loaded font another name.`, true);
    return;
  }
  const problems = state.converter.loadTables(loaded.syllables, loaded.shortI, loaded.glyphs);
  for (const problem of problems) {
    const li = document.createElement('li');
    li.className = problem.severity;
    li.textContent = problem.text;
    list.appendChild(li);
  }
  state.loadedFont = name;
  state.loadedFiles = loaded;
  if (state.worker) state.worker.postMessage({kind: 'tables', files: loaded});
  fillChoosers();
  $('browse-font').value = name;
  showTables();
  say(`Loaded the code tables as "${name}"${problems.length ? `; ${problems.length} note(s) below` : ''}.`);
}

function cell(text, className) {
  const td = document.createElement('td');
  td.textContent = text;
  if (className) td.className = className;
  return td;
}

function bytesCell(bytes) {
  return cell(bytes.length ? `${bytesToCp1252(bytes)}  (${Array.from(bytes).join(' ')})` : '', 'bytes');
}

function showTables() {
  const font = $('browse-font').value;
  const tables = state.converter.tables({devanagariFont: font, translitFont: $('browse-translit').value,
                                         loaded: font === state.loadedFont});
  const table = $('browser');
  table.replaceChildren();
  if (tables.error) {
    say(tables.error, true);
    return;
  }
  const kind = $('browse-table').value;
  const head = document.createElement('tr');
  const heads = kind === 'syllables' ? ['Row', 'Name', 'Key', 'Full', 'Half']
              : kind === 'glyphs' ? ['Code', 'Entry'] : ['Code', 'Short i'];
  for (const h of heads) {
    const th = document.createElement('th');
    th.scope = 'col';
    th.textContent = h;
    head.appendChild(th);
  }
  const thead = document.createElement('thead');
  thead.appendChild(head);
  const tbody = document.createElement('tbody');
  if (kind === 'syllables') {
    for (const row of tables.syllables) {
      const tr = document.createElement('tr');
      tr.append(cell(String(row.row)), cell(row.name), bytesCell(row.key), bytesCell(row.full), bytesCell(row.half));
      tbody.appendChild(tr);
    }
  } else if (kind === 'glyphs') {
    tables.glyphs.forEach((entry, i) => {
      const tr = document.createElement('tr');
      tr.append(cell(String(i + 1)), bytesCell(entry));
      tbody.appendChild(tr);
    });
  } else {
    tables.shortI.forEach((value, i) => {
      const tr = document.createElement('tr');
      tr.append(cell(String(i + 1)), cell(value));
      tbody.appendChild(tr);
    });
  }
  table.append(thead, tbody);
}

// ---- check ----

function runCheck() {
  readInputBox();
  const from = $('from').value;
  const to = $('to').value;
  const translit = [from, to].find((f) => state.fonts.translit.includes(f));
  const devanagari = [from, to].find((f) => !isUnicodeForm(f) && !state.fonts.translit.includes(f));
  const out = $('check-report');
  if (!translit || !devanagari) {
    say('Check needs a transliteration font on one side and a Devanagari font on the other.', true);
    return;
  }
  if (from !== translit) {
    say('Check reads a transliteration text: choose the transliteration font under From.', true);
    return;
  }
  const result = state.converter.check(state.inputBytes, {translitFont: translit, devanagariFont: devanagari,
                                                          loaded: devanagari === state.loadedFont});
  if (result.error) {
    say(result.error, true);
    return;
  }
  out.textContent = utf8Text.decode(result.report);
  out.hidden = false;
  const counts = result.summary;
  say(`Checked: ${counts.matched} of ${counts.words} words come back unchanged; ` +
      `${counts.differences} difference(s).`);
}

// ---- wiring ----

function wire() {
  let timer = null;
  $('input').addEventListener('input', () => {
    state.inputFromFile = false;
    if (!$('live').checked) return;
    clearTimeout(timer);
    timer = setTimeout(() => {
      readInputBox();
      if (state.inputBytes.length <= kLiveLimit) convertNow();
      else say('The text is over 256 KB: press Convert.');
    }, 120);
  });
  const reconvert = () => { styleBoxes(); if (state.inputBytes.length <= kLiveLimit) convertNow(); };
  $('from').addEventListener('change', () => {
    // A file's bytes (or a result swapped in) stay as they are and are read
    // as the new form; typed text stays as it reads and becomes that form's bytes.
    if (state.inputFromFile) setInput(state.inputBytes, true);
    else readInputBox();
    reconvert();
  });
  for (const id of ['to', 'pivot', 'dash-mode', 'shift-m']) $(id).addEventListener('change', reconvert);
  $('convert').addEventListener('click', convertNow);
  $('cancel').addEventListener('click', cancelWorker);
  $('swap').addEventListener('click', () => {
    const from = $('from').value;
    $('from').value = $('to').value;
    $('to').value = from;
    setInput(state.outputBytes, true);
    reconvert();
  });
  $('clear-input').addEventListener('click', () => { setInput(new Uint8Array(0), false); convertNow(); $('input').focus(); });
  $('open-file').addEventListener('change', (e) => { if (e.target.files[0]) openFile(e.target.files[0]); });
  const pane = $('from-pane');
  pane.addEventListener('dragover', (e) => { e.preventDefault(); pane.classList.add('drop'); });
  pane.addEventListener('dragleave', () => pane.classList.remove('drop'));
  pane.addEventListener('drop', (e) => {
    e.preventDefault();
    pane.classList.remove('drop');
    if (e.dataTransfer.files[0]) openFile(e.dataTransfer.files[0]);
  });
  $('copy').addEventListener('click', copy);
  $('download').addEventListener('click', download);
  $('load-tables').addEventListener('click', loadTables);
  for (const id of ['browse-font', 'browse-translit', 'browse-table']) $(id).addEventListener('change', showTables);
  $('check').addEventListener('click', runCheck);
}

async function main() {
  try {
    await loadModule();
  } catch (error) {
    say(`The converter could not start: ${error.message}`, true);
    return;
  }
  // The module reports every error in what it is asked by value; anything
  // else it throws (memory used up, a fault) is said here, not lost.
  window.addEventListener('error', (event) => {
    say(`The converter stopped: ${event.message || event.error}. Reload the page to go on.`, true);
  });
  fillChoosers();
  $('from').value = 'iast';
  $('to').value = 'devanagari';
  wire();
  setInput(utf8.encode('śrī bhagavān uvāca'), false);
  convertNow();
  // For the benchmark and the browser tests: the module compiled and the first
  // conversion shown, in milliseconds since the page was asked for.
  document.body.dataset.readyMs = String(Math.round(performance.now()));
  document.body.dataset.ready = 'true';
  setTimeout(showTables, 0);  // the table browser's rows, after the first result
}

main();
