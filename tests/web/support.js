// What the node tests of the WebAssembly module share: the module, the
// repository's files and native sfconv.
'use strict';
const fs = require('node:fs');
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

function equalBytes(a, b) {
  return a.length === b.length && Buffer.compare(Buffer.from(a), Buffer.from(b)) === 0;
}

module.exports = {root, modulePath, sfconvPath, batchPath, loadModule, readRepo, goldenCases, optionsOf, equalBytes};
