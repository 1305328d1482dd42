// What the node tests of the WebAssembly module share: the module, the
// repository's files and native sfconv.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const {execFileSync} = require('node:child_process');
const path = require('node:path');

const root = path.resolve(__dirname, '..', '..');
// The module (build-wasm/bin/converter.js unless SFC_WASM names another) and
// native sfconv (build/bin/sfconv unless SFCONV names another).
const modulePath = process.env.SFC_WASM || path.join(root, 'build-wasm', 'bin', 'converter.js');
const sfconvPath = process.env.SFCONV || path.join(root, 'build', 'bin', 'sfconv');
// Native sfconv over many runs in one process.
const batchPath = process.env.SFC_SFCONV_BATCH || path.join(root, 'build', 'bin', 'sfc_sfconv_batch');

let loading = null;
function loadModule() {
  if (!loading) loading = require(modulePath)();
  return loading;
}

// A converter of the module, and the module.
async function newConverter() {
  const m = await loadModule();
  return {m, converter: new m.Converter()};
}

// Every form a text can be converted from or to.
const kForms = ['iast', 'devanagari', 'Sanskrit-Times', 'ITRTransTimes', 'URW Palladio IT',
                'Vedic', 'Dev Natraj ITR', 'Sanskrit 99'];

function readRepo(relative) { return new Uint8Array(fs.readFileSync(path.join(root, relative))); }

// The golden cases: name, input file (or null) and the runs, each a list of
// arguments.
function goldenCases() {
  const text = fs.readFileSync(path.join(root, 'tests', 'golden', 'cases.txt'), 'utf8');
  const cases = [];
  for (const line of text.split('\n')) {
    if (line === '' || line.startsWith('#')) continue;
    const [name, input, ...args] = line.split('\t');
    const runs = [[]];
    for (const arg of args) {
      if (arg === '|') runs.push([]);
      else runs[runs.length - 1].push(arg);
    }
    cases.push({name, input: input === '-' ? null : input, runs});
  }
  return cases;
}

// sfconv's options as the module's: -t, -d, --dash-mode, --shift-m-to-n,
// --from, --to, --startup, --tables, --export.
function optionsOf(args) {
  const options = {command: args[0]};
  for (let i = 1; i < args.length; ++i) {
    const arg = args[i];
    const value = () => args[++i];
    if (arg === '-t') options.translitFont = value();
    else if (arg === '-d') options.devanagariFont = value();
    else if (arg === '--dash-mode') options.dashMode = Number(value());
    else if (arg === '--shift-m-to-n') options.shiftMToN = true;
    else if (arg === '--from') options.from = value();
    else if (arg === '--to') options.to = value();
    else if (arg === '--startup') options.startup = true;
    else if (arg === '--tables') { value(); options.loaded = true; }
    else if (arg === '--export') { value(); options.export = true; }
    else throw new Error('no module option for ' + arg);
  }
  return options;
}

// Runs native sfconv once per run ({args, input}), all in one process;
// gives each run's output, exit status and standard error.
function runNative(runs) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'sfc-web-native-'));
  try {
    fs.writeFileSync(path.join(dir, 'runs.txt'), runs.map(({args, input}, i) => {
      fs.writeFileSync(path.join(dir, `${i}.in`), input);
      return [...args, '-i', `${i}.in`, '-o', `${i}.out`].join('\t') + '\n';
    }).join(''));
    execFileSync(batchPath, [dir]);
    return runs.map((_, i) => ({
      output: new Uint8Array(fs.readFileSync(path.join(dir, `${i}.out`))),
      rc: Number(fs.readFileSync(path.join(dir, `${i}.rc`), 'utf8')),
      err: fs.readFileSync(path.join(dir, `${i}.err`), 'utf8'),
    }));
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

function equalBytes(a, b) {
  return a.length === b.length && Buffer.compare(Buffer.from(a), Buffer.from(b)) === 0;
}

module.exports = {root, modulePath, sfconvPath, batchPath, loadModule, newConverter, kForms, readRepo,
                  goldenCases, optionsOf, runNative, equalBytes};
