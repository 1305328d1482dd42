// Runs the reference transliterator over text files.
//   node reference.js <module dir> count <iast file> <devanagari file>
//     prints "iast_to_devanagari <n> <lines>" and "devanagari_to_iast <n> <lines>":
//     how many lines of one file it turns into the same line of the other,
//     hyphens (where a printed line was wrapped) left out.
//   node reference.js - agree <converted file> <expected file>
//     the same count for a file converted otherwise (no module needed).
//   node reference.js <module dir> bench <file> devanagari|iast
//     converts the whole file to the given script; prints "<bytes> <seconds>"
//     (the best of 5 runs after a warm-up run).
'use strict';
const fs = require('fs');
const path = require('path');

const [moduleDir, mode, ...rest] = process.argv.slice(2);
const Sanscript =
  moduleDir === '-' ? null
                    : require(path.join(moduleDir, 'node_modules', '@indic-transliteration', 'sanscript'));

function lines(file) {
  const text = fs.readFileSync(file, 'utf8');
  const all = text.split('\n');
  if (all.length > 0 && all[all.length - 1] === '') all.pop();
  return all;
}

const strip = (s) => s.split('-').join('');

// How many lines of `converted` equal the same line of `expected`.
function agreeing(converted, expected) {
  let agreeing = 0;
  for (let i = 0; i < expected.length; ++i) {
    if (i < converted.length && strip(converted[i]) === strip(expected[i])) ++agreeing;
  }
  return agreeing;
}

if (mode === 'count') {
  const [iastFile, devaFile] = rest;
  const iast = lines(iastFile);
  const deva = lines(devaFile);
  const toDeva = agreeing(iast.map((line) => Sanscript.t(line, 'iast', 'devanagari')), deva);
  const toIast = agreeing(deva.map((line) => Sanscript.t(line, 'devanagari', 'iast')), iast);
  console.log(`iast_to_devanagari ${toDeva} ${iast.length}`);
  console.log(`devanagari_to_iast ${toIast} ${deva.length}`);
} else if (mode === 'agree') {
  const [convertedFile, expectedFile] = rest;
  const expected = lines(expectedFile);
  console.log(`${agreeing(lines(convertedFile), expected)} ${expected.length}`);
} else if (mode === 'bench') {
  const [file, to] = rest;
  const text = fs.readFileSync(file, 'utf8');
  const bytes = fs.statSync(file).size;
  const [from, target] = to === 'devanagari' ? ['iast', 'devanagari'] : ['devanagari', 'iast'];
  Sanscript.t(text, from, target);
  let best = Infinity;
  for (let run = 0; run < 5; ++run) {
    const start = process.hrtime.bigint();
    Sanscript.t(text, from, target);
    const seconds = Number(process.hrtime.bigint() - start) / 1e9;
    best = Math.min(best, seconds);
  }
  console.log(`${bytes} ${best}`);
} else {
  console.error('usage: reference.js <module dir> count|bench ...');
  process.exit(2);
}
