// Writes what the engine must export for the browser's game modules (wasm
// side modules), which the engine, linked with -sMAIN_MODULE=2, keeps only
// when told: every function and data symbol that any of the modules imports, as
// EXPORTED_FUNCTIONS; those that emscripten implements in JavaScript must
// also be named in DEFAULT_LIBRARY_FUNCS_TO_INCLUDE, or the export finds no
// such function.
//   node module_imports.js prog.wasm EXPORTS.json LIBRARY.json [OTHER.wasm...]
'use strict';
const fs = require('fs');
const [moduleFile, exportsFile, libraryFile, ...otherModules] = process.argv.slice(2);
// What the dynamic loader itself gives every side module.
const loaderProvides = new Set(['memory', '__indirect_function_table', '__stack_pointer', '__memory_base',
                                '__table_base']);
// The C functions that emscripten's JavaScript library implements.
const inJavaScript = new Set(['time']);
const exported = new Set(['_main']);
const library = new Set();
for (const file of [moduleFile, ...otherModules]) {
    for (const entry of WebAssembly.Module.imports(new WebAssembly.Module(fs.readFileSync(file)))) {
        if (!['env', 'GOT.func', 'GOT.mem'].includes(entry.module) || loaderProvides.has(entry.name)) continue;
        exported.add('_' + entry.name);
        if (inJavaScript.has(entry.name)) library.add(entry.name);
    }
}
fs.writeFileSync(exportsFile, JSON.stringify([...exported].sort()) + '\n');
fs.writeFileSync(libraryFile, JSON.stringify([...library].sort()) + '\n');
