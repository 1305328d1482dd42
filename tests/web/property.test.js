// Inputs through the WebAssembly module beside native sfconv with the same
// options: the Gita's first lines in each form converted to every form, then
// random inputs. No exception, and the same output, completion and dropped bytes.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const {skipNative, newConverter, kForms, readRepo, gita, sfconv, optionsOf, runNative, equalBytes} =
    require('./support.js');

const kCases = Number(process.env.SFC_WEB_PROPERTY_CASES || 2000);

// A small fixed generator, so that a failure can be run again.
function generator(seed) {
  let s = seed >>> 0;
  return (n) => {
    s = (Math.imul(s, 1664525) + 1013904223) >>> 0;
    return s % n;
  };
}

const sources = [
  readRepo('tests/data/gita.sanskrit-times.txt'),
  readRepo('tests/data/gita.itrtranstimes.txt'),
  readRepo('tests/golden/to-devanagari.sanskrit-times.vedic.dash1.out'),
  readRepo('tests/golden/to-devanagari.itrtranstimes.sanskrit-99.dash1.out'),
  new TextEncoder().encode('śrī bhagavān uvāca\nकर्मण्येवाधिकारस्ते मा फलेषु कदाचन\n'),
];

// Random bytes, a slice of a source, or a slice with a few bytes changed.
function randomInput(next) {
  const kind = next(3);
  const length = next(200);
  if (kind === 0) return Uint8Array.from({length}, () => next(256));
  const source = sources[next(sources.length)];
  const start = next(Math.max(1, source.length - length));
  const slice = Uint8Array.from(source.subarray(start, start + length));
  if (kind === 2) {
    for (let i = next(4); i > 0 && slice.length > 0; --i) slice[next(slice.length)] = next(256);
  }
  return slice;
}

// Mostly convert between any two forms; else one direction between fonts.
function randomArgs(next) {
  const kind = next(4);
  const form = (first, count) => kForms[first + next(count)];
  const args = kind < 2 ? ['convert', '--from', form(0, kForms.length), '--to', form(0, kForms.length)]
                        : [kind === 2 ? 'to-devanagari' : 'to-translit', '-t', form(2, 3), '-d', form(5, 3)];
  if (kind < 2 && next(3) === 0) args.push('-t', form(2, 3));
  if (kind !== 3 && next(2) === 0) args.push('--dash-mode', String(1 + next(2)));
  if (kind !== 3 && next(4) === 0) args.push('--shift-m-to-n');
  return args;
}

// "sfconv: line 3, column 14[ of the text between]: NAME had no rule ..." as "3:14[ between]".
function reportedDrops(stderr) {
  const pattern = /^sfconv: line (\d+), column (\d+)( of the text between)?: .* had no rule and was left out$/;
  return stderr.split('\n').map((line) => pattern.exec(line)).filter(Boolean)
      .map((m) => `${m[1]}:${m[2]}${m[3] ? ' between' : ''}`);
}

test('every pair of forms and random inputs give what native sfconv gives', {skip: skipNative}, async () => {
  const {converter} = await newConverter();
  const pairs = kForms.flatMap((from) => {
    const input = sfconv(['convert', '--from', 'Sanskrit-Times', '--to', from], gita('sanskrit-times'));
    return kForms.map((to) => ({input, args: ['convert', '--from', from, '--to', to]}));
  });
  const next = generator(Number(process.env.SFC_WEB_PROPERTY_SEED || 20));
  const cases = [...pairs, ...Array.from({length: kCases}, () => ({input: randomInput(next), args: randomArgs(next)}))];
  const native = runNative(cases.map(({input, args}) => ({input, args: [...args, '--report']})));
  cases.forEach(({input, args}, i) => {
    const what = i < pairs.length ? args.join(' ') : `case ${i}: ${args.join(' ')} on [${Array.from(input).join(',')}]`;
    let result;
    assert.doesNotThrow(() => { result = converter.convert(input, optionsOf(args)); }, what);
    const {output, rc, err} = native[i];
    assert.strictEqual(result.error, undefined, what);
    assert.ok(rc === 0 || rc === 3, `${what}: sfconv exit ${rc}: ${err}`);
    assert.ok(equalBytes(result.output, output) && (i >= pairs.length || output.length > 0), `${what}: output differs`);
    assert.strictEqual(result.completed, rc === 0, `${what}: completion differs`);
    const drops = result.dropped.map((d) => `${d.line}:${d.column}${d.between ? ' between' : ''}`);
    assert.deepStrictEqual(drops, reportedDrops(err), `${what}: dropped bytes differ`);
  });
});
