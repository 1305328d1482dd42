// What the node tests of the WebAssembly module share: the module (SFC_WASM,
// else build-wasm/bin/converter.js), the repository's files, and native sfconv
// (SFCONV, else build/bin/sfconv) with sfc_sfconv_batch, which runs it many times
// in one process.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const {execFileSync} = require('node:child_process');
const path = require('node:path');

const root = path.resolve(__dirname, '..', '..');
const modulePath = process.env.SFC_WASM || path.join(root, 'build-wasm', 'bin', 'converter.js');
const sfconvPath = process.env.SFCONV || path.join(root, 'build', 'bin', 'sfconv');
const batchPath = process.env.SFC_SFCONV_BATCH || path.join(root, 'build', 'bin', 'sfc_sfconv_batch');
const skipNative = !(fs.existsSync(batchPath) && fs.existsSync(sfconvPath)) && 'native sfconv is not built';

let loading = null;
async function newConverter() {
  if (!loading) loading = require(modulePath)();
  const m = await loading;
  return {m, converter: new m.Converter()};
}

const kForms = ['iast', 'devanagari', 'Sanskrit-Times', 'ITRTransTimes', 'URW Palladio IT',
                'Vedic', 'Dev Natraj ITR', 'Sanskrit 99'];

function readRepo(relative) { return new Uint8Array(fs.readFileSync(path.join(root, relative))); }

// The first lines (about `size` bytes) of tests/data/gita.NAME.txt.
function gita(name, size = 4000) {
  const text = readRepo(`tests/data/gita.${name}.txt`).subarray(0, size);
  return text.subarray(0, text.lastIndexOf(10) + 1);
}

const sfconv = (args, input) => execFileSync(sfconvPath, args, {input});

// tests/golden/cases.txt: name, input file (or "-") and runs of arguments parted by "|".
function goldenCases() {
  const text = fs.readFileSync(path.join(root, 'tests', 'golden', 'cases.txt'), 'utf8');
  return text.split('\n').filter((line) => line !== '' && !line.startsWith('#')).map((line) => {
    const [name, input, ...args] = line.split('\t');
    const runs = [[]];
    for (const arg of args) {
      if (arg === '|') runs.push([]);
      else runs[runs.length - 1].push(arg);
    }
    return {name, input: input === '-' ? null : input, runs};
  });
}

// sfconv's arguments as the module's options.
const kValueOptions = {'-t': 'translitFont', '-d': 'devanagariFont', '--from': 'from', '--to': 'to'};
const kFlagOptions = {'--shift-m-to-n': 'shiftMToN', '--startup': 'startup', '--tables': 'loaded', '--export': 'export'};
function optionsOf(args) {
  const options = {command: args[0]};
  for (let i = 1; i < args.length; ++i) {
    const arg = args[i];
    if (arg in kValueOptions) options[kValueOptions[arg]] = args[++i];
    else if (arg === '--dash-mode') options.dashMode = Number(args[++i]);
    else if (arg in kFlagOptions) options[kFlagOptions[arg]] = true;
    else throw new Error('no module option for ' + arg);
    if (arg === '--tables' || arg === '--export') ++i;  // the folder is given as bytes
  }
  return options;
}

// Each run ({args, input}) through native sfconv: its output, exit status and standard error.
function runNative(runs) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'sfc-web-native-'));
  try {
    fs.writeFileSync(path.join(dir, 'runs.txt'), runs.map(({args, input}, i) => {
      fs.writeFileSync(path.join(dir, `${i}.in`), input);
      return [...args, '-i', `${i}.in`, '-o', `${i}.out`].join('\t') + '\n';
    }).join(''));
    execFileSync(batchPath, [dir]);
    const read = (i, ext, encoding) => fs.readFileSync(path.join(dir, `${i}.${ext}`), encoding);
    return runs.map((_, i) => ({output: new Uint8Array(read(i, 'out')), rc: Number(read(i, 'rc', 'utf8')),
                                err: read(i, 'err', 'utf8')}));
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

function equalBytes(a, b) { return Buffer.from(a).equals(Buffer.from(b)); }

module.exports = {skipNative, newConverter, kForms, readRepo, gita, sfconv, goldenCases, optionsOf, runNative,
                  equalBytes};
