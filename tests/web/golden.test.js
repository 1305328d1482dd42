// The golden cases through the WebAssembly module give the golden files byte
// for byte: the same engine, tables and code-table files as native sfconv.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const {newConverter, readRepo, goldenCases, optionsOf, equalBytes} = require('./support.js');

for (const golden of goldenCases()) {
  test(golden.name, async () => {
    const {converter} = await newConverter();
    let output = null;
    for (const args of golden.runs) {
      const options = optionsOf(args);
      if (options.command === 'tables' && options.export) {
        // tables --export DIR, then tables --tables DIR: the files go back in
        // as bytes.
        const exported = converter.exportTables(options);
        assert.strictEqual(exported.error, undefined);
        const problems = converter.loadTables(exported.files['sanideva.cod'],
                                              exported.files['lipikara.mmy'],
                                              exported.files['devitran.cod']);
        assert.deepStrictEqual(problems, []);
        continue;
      }
      if (options.command === 'tables') {
        const tables = converter.tables(options);
        assert.strictEqual(tables.error, undefined);
        output = tables.dump;
        continue;
      }
      const result = converter.convert(readRepo(golden.input), options);
      assert.strictEqual(result.error, undefined);
      assert.strictEqual(result.completed, true);
      // sfconv told nothing on standard error (the log holds "exit 0" alone):
      // nor does the module.
      const log = new TextDecoder().decode(readRepo('tests/golden/' + golden.name + '.log'));
      if (log === 'exit 0\n') assert.deepStrictEqual(result.messages, []);
      output = result.output;
    }
    const expected = readRepo('tests/golden/' + golden.name + '.out');
    assert.ok(equalBytes(output, expected),
              `${golden.name}: ${output.length} bytes, golden file ${expected.length}`);
  });
}
