// Speed of the WebAssembly module under node: node bench_node.js MODULE INPUT
// OPTIONS_JSON prints the best of three runs in seconds, fed in 256 KB blocks
// as the page's worker feeds it (the module's start not counted).
'use strict';
const fs = require('node:fs');
const [modulePath, inputPath, optionsJson] = process.argv.slice(2);
require(modulePath)().then((m) => {
  const converter = new m.Converter();
  const input = new Uint8Array(fs.readFileSync(inputPath));
  const options = JSON.parse(optionsJson);
  let best = Infinity;
  for (let run = 0; run < 3; ++run) {
    const start = process.hrtime.bigint();
    const stream = new m.Stream(converter, options);
    let out = 0;
    for (let at = 0; at < input.length; at += 1 << 18) out += stream.feed(input.subarray(at, at + (1 << 18))).length;
    out += stream.finish().output.length;
    stream.delete();
    best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
    if (out === 0) throw new Error('no output');
  }
  console.log(best.toFixed(3));
});
