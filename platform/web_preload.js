// Runs before the engine's main (linked with --pre-js): lays out the game's
// folder in the in-memory file system as the desktop has it and fills it from
// the site. The page names the files (Module.kestraFiles); each is fetched
// beside the page and written into the folder, which is also the current
// directory; a file the server does not have is left out, and the engine then
// reports it as it would on the desktop. "/proc/self/exe" points into the
// folder, so the loader finds the module beside the program, by file name.
//
// Bitmaps are decoded here, by the browser's own decoder: the engine loads
// them from inside the module's calls, where it cannot wait for the browser,
// so decodeBitmap (web_backend.cpp) hands out the pixels decoded here from
// exactly the same bytes.
(function() {
  var folder = '/kestra';

  // 0xRR 0xGG 0xBB 0xAA per pixel, as the decoder gives them.
  function decodeBitmap(bytes) {
    if (typeof createImageBitmap == 'undefined' || typeof OffscreenCanvas == 'undefined') return Promise.resolve();
    var blob = new Blob([bytes], {type: 'image/bmp'});
    return createImageBitmap(blob, {premultiplyAlpha: 'none', colorSpaceConversion: 'none'}).then(function(image) {
      var canvas = new OffscreenCanvas(image.width, image.height);
      var context = canvas.getContext('2d', {willReadFrequently: true});
      context.drawImage(image, 0, 0);
      Module.kestraBitmaps.push({
        bytes: bytes,
        width: image.width,
        height: image.height,
        rgba: context.getImageData(0, 0, image.width, image.height).data,
      });
    }, function() {});  // not a bitmap the browser reads: loading it fails later
  }

  function load(name) {
    var dependency = 'kestra file ' + name;
    addRunDependency(dependency);
    fetch(name)
        .then(function(response) { return response.ok ? response.arrayBuffer() : null; })
        .then(function(buffer) {
          if (!buffer) return;
          var bytes = new Uint8Array(buffer);
          FS.writeFile(folder + '/' + name, bytes);
          if (/\.bmp$/i.test(name)) return decodeBitmap(bytes);
        })
        .catch(function(error) { err('cannot fetch ' + name + ': ' + error); })
        .finally(function() { removeRunDependency(dependency); });
  }

  if (!Module['preRun']) Module['preRun'] = [];
  if (typeof Module['preRun'] == 'function') Module['preRun'] = [Module['preRun']];
  Module['preRun'].push(function() {
    Module.kestraBitmaps = [];
    FS.mkdir(folder);
    FS.chdir(folder);
    FS.symlink(folder + '/engine', '/proc/self/exe');
    (Module.kestraFiles || []).forEach(load);
  });
})();
