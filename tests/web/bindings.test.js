// The module's faces beside native sfconv: the stream, code tables loaded as
// bytes, the tables as rows, dropped bytes, check, errors.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {skipNative, newConverter, readRepo, gita, sfconv, equalBytes} = require('./support.js');

test('a stream fed in blocks gives the whole text\'s output', async () => {
  const {m, converter} = await newConverter();
  const input = readRepo('tests/data/gita.itrtranstimes.txt');
  const cases = [
    {command: 'to-devanagari', translitFont: 'ITRTransTimes', devanagariFont: 'Sanskrit 99'},
    {command: 'convert', from: 'ITRTransTimes', to: 'devanagari'},
    {command: 'convert', from: 'ITRTransTimes', to: 'Dev Natraj ITR'},
  ];
  for (const options of cases) {
    const whole = converter.convert(input, options).output;
    for (const block of [1, 7, 4096]) {
      const stream = new m.Stream(converter, options);
      const pieces = [];
      for (let at = 0; at < input.length; at += block) pieces.push(stream.feed(input.subarray(at, at + block)));
      const end = stream.finish();
      pieces.push(end.output);
      stream.delete();
      assert.ok(equalBytes(Buffer.concat(pieces), whole), `${JSON.stringify(options)} in blocks of ${block}`);
      assert.strictEqual(end.completed, true);
    }
  }
});

test('code tables exported by sfconv load as bytes and convert as sfconv --tables', {skip: skipNative}, async () => {
  const {converter} = await newConverter();
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'sfc-web-tables-'));
  try {
    sfconv(['tables', '--export', dir, '-d', 'Sanskrit 99']);
    const file = (name) => new Uint8Array(fs.readFileSync(path.join(dir, name)));
    assert.strictEqual(converter.hasLoadedTables(), false);
    assert.deepStrictEqual(
        converter.loadTables(file('sanideva.cod'), file('lipikara.mmy'), file('devitran.cod')), []);
    assert.strictEqual(converter.hasLoadedTables(), true);
    const input = gita('sanskrit-times');
    // The loaded font as sfconv --tables converts it; a built-in one as sfconv alone.
    for (const [to, tables] of [['My Font', ['--tables', dir]], ['Vedic', []]]) {
      const ours = converter.convert(input, {command: 'convert', from: 'Sanskrit-Times', to});
      assert.ok(equalBytes(ours.output, sfconv(['convert', ...tables, '--from', 'Sanskrit-Times', '--to', to], input)), to);
    }
    assert.ok(equalBytes(converter.tables({loaded: true, devanagariFont: 'My Font'}).dump,
                         sfconv(['tables', '--tables', dir, '-d', 'My Font'])));
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
});

test('a load without a file notes it, and a field too long for any cell is cut with a warning', async () => {
  const {converter} = await newConverter();
  const exported = converter.exportTables({devanagariFont: 'Dev Natraj ITR'});
  const problems = converter.loadTables(exported.files['sanideva.cod'], null, exported.files['devitran.cod']);
  assert.deepStrictEqual(problems.map((p) => [p.severity, p.file]), [['note', 'lipikara.mmy']]);
  assert.match(problems[0].text, /^lipikara\.mmy: no lipikara\.mmy was given; the short-i map keeps its contents$/);
  converter.forgetTables();
  assert.strictEqual(converter.hasLoadedTables(), false);
  const long = new TextEncoder().encode('a,b,' + 'x'.repeat(5000) + '\n');
  assert.deepStrictEqual(converter.loadTables(long, null, null).filter((p) => p.severity === 'warning')
                             .map((p) => [p.file, p.line]), [['sanideva.cod', 1]]);
});

test('tables whose letters cannot be told convert nothing, as sfconv refuses them', async () => {
  const {converter} = await newConverter();
  const exported = converter.exportTables({devanagariFont: 'Vedic'});
  const syllables = exported.files['sanideva.cod'];
  assert.deepStrictEqual([...syllables.subarray(0, 2)], [0x80, 0x2c]);  // the key of ā, the first row
  converter.loadTables(syllables.subarray(1), exported.files['lipikara.mmy'], exported.files['devitran.cod']);
  for (const [from, to] of [['iast', 'My Font'], ['My Font', 'devanagari']]) {
    const result = converter.convert(new TextEncoder().encode('karma'), {command: 'convert', from, to});
    assert.match(result.error, /cannot be told.*nothing was converted/, `${from} -> ${to}`);
    assert.strictEqual(result.output.length, 0);
  }
});

test('the tables as rows agree with the dump', async () => {
  const {converter} = await newConverter();
  const tables = converter.tables({translitFont: 'ITRTransTimes', devanagariFont: 'Vedic'});
  assert.deepStrictEqual([tables.syllables.length, tables.shortI.length, tables.glyphs.length], [255, 255, 300]);
  const dump = Buffer.from(tables.dump).toString('latin1').split('\n');
  const {row, name, key} = tables.syllables[21];
  assert.deepStrictEqual([row, name], [22, 'dha']);
  assert.ok(dump.some((line) => line.startsWith('sanideva\t22\t"' + Buffer.from(key).toString('latin1') + '"')));
});

test('dropped bytes are reported with their places, and Unicode given as font bytes is told', async () => {
  const {converter} = await newConverter();
  const text = (t) => [...new TextEncoder().encode(t)];
  const result = converter.convert(new Uint8Array([...text('rAma\n ka'), 1, ...text('\tgA'), 1]),
                                   {command: 'to-devanagari'});
  assert.deepStrictEqual(result.dropped.filter((d) => d.byte === 1).map((d) => [d.line, d.column]),
                         [[2, 4], [2, 8]]);
  assert.strictEqual(result.droppedTotal, 5);
  assert.ok(result.messages.some((line) => /5 bytes had no rule and were left out/.test(line)));
  // Unicode read as a font's bytes is told; read as IAST it is not.
  const unicode = (from) => converter.convert(new Uint8Array(text('śrī rāma')), {command: 'convert', from, to: 'Vedic'});
  assert.ok(unicode('Sanskrit-Times').messages.some((line) => /looks like Unicode text/.test(line)));
  assert.deepStrictEqual(unicode('iast').messages, []);
});

test('check lists the words that do not come back, as sfconv check', {skip: skipNative}, async () => {
  const {converter} = await newConverter();
  const input = readRepo('tests/data/gita.sanskrit-times.txt');
  for (const devanagariFont of ['Vedic', 'Sanskrit 99']) {
    const ours = converter.check(input, {devanagariFont});
    assert.strictEqual(ours.error, undefined);
    assert.ok(equalBytes(ours.report, sfconv(['check', '-d', devanagariFont], input)), devanagariFont);
    // The differences one by one are the report's lines, and add up to its summary.
    const lines = new TextDecoder().decode(ours.report).split('\n').filter((l) => l !== '');
    const summary = lines.pop();
    assert.deepStrictEqual(ours.differences.map((d) => `${d.line}:${d.column}: ${d.before} -> ${d.after}`), lines);
    assert.strictEqual(ours.summary.differences, lines.length);
    assert.ok(summary.startsWith(`${ours.summary.matched} of ${ours.summary.words} words`), summary);
    assert.ok(ours.summary.lines > 0 && ours.summary.differences > 0);
  }
});

test('wrong names and options give a clear error, not an exception', async () => {
  const {converter} = await newConverter();
  const cases = [
    [{command: 'convert', from: 'Wingdings', to: 'iast'}, /from: "Wingdings" is neither iast, devanagari nor a font name/],
    [{command: 'to-devanagari', devanagariFont: 'Nope'}, /unknown Devanagari font "Nope"/],
    [{command: 'to-devanagari', dashMode: 3}, /dash mode is 1 or 2/],
    [{command: 'translate'}, /unknown command "translate"/],
    [{command: 'to-translit', loaded: true}, /no code tables are loaded/],
    [{command: 'convert', from: 'iast', to: 'Vedic', answers: {300: 'x'}}, /glyph code is 0 to 255/],
    [{command: 'convert', from: 'iast', to: 'Vedic', answers: {'12x': 'x'}}, /glyph code is 0 to 255/],
    [{command: 'tables'}, /tables is no conversion/],
  ];
  for (const [options, message] of cases) {
    const result = converter.convert(new Uint8Array([97]), options);
    assert.match(result.error, message, JSON.stringify(options));
    assert.strictEqual(result.output.length, 0);
  }
  assert.match(converter.tables({devanagariFont: 'Nope'}).error, /unknown Devanagari font/);
  assert.match(converter.exportTables({translitFont: 'Nope'}).error, /unknown transliteration font/);
  // check runs sfconv's own command: the names are refused before it runs.
  assert.match(converter.check(new Uint8Array([97]), {translitFont: 'Nope'}).error, /unknown transliteration font/);
  assert.match(converter.check(new Uint8Array([97]), {devanagariFont: 'Nope'}).error, /unknown Devanagari font/);
  // The module is still whole: the highest glyph code is an answer, and it converts.
  const fine = converter.convert(new Uint8Array([97]), {command: 'to-devanagari', answers: {255: 'x'}});
  assert.strictEqual(fine.error, undefined);
  assert.ok(fine.output.length > 0);
});
