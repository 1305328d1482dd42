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
        // tables --export DIR, then --tables DIR: the files go back in as bytes.
        const {files, error} = converter.exportTables(options);
        assert.strictEqual(error, undefined);
        assert.deepStrictEqual(
            converter.loadTables(files['sanideva.cod'], files['lipikara.mmy'], files['devitran.cod']), []);
      } else if (options.command === 'tables') {
        const tables = converter.tables(options);
        assert.strictEqual(tables.error, undefined);
        output = tables.dump;
      } else {
        const result = converter.convert(readRepo(golden.input), options);
        assert.strictEqual(result.error, undefined);
        assert.strictEqual(result.completed, true);
        // When sfconv told nothing on standard error, neither does the module.
        const log = new TextDecoder().decode(readRepo('tests/golden/' + golden.name + '.log'));
        if (log === 'exit 0\n') assert.deepStrictEqual(result.messages, []);
        output = result.output;
      }
    }
    const expected = readRepo('tests/golden/' + golden.name + '.out');
    assert.ok(equalBytes(output, expected), `${output.length} bytes, golden file ${expected.length}`);
  });
}
