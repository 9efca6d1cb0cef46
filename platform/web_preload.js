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
//
// The game's stored file is kept across visits (see keepWhatTheGameWrites).
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

  // kestra.cfg, the one file the game writes, lives in the page's local
  // storage (one entry per site folder): restored into the game's folder
  // before the engine starts, and stored again each time the game renames a
  // finished new copy over it. The game never writes it in place, so the
  // store always holds a whole file, the old one or the new one.
  var kept = ['kestra.cfg'];
  function storageKey(name) { return 'kestra:' + location.pathname.replace(/[^\/]*$/, '') + name; }

  function restore(name) {
    var text = null;
    try {
      text = localStorage.getItem(storageKey(name));
    } catch (error) {  // no storage (a sandboxed page): the file lasts as long as the page
      return;
    }
    if (text == null) return;
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
    FS.writeFile(folder + '/' + name, bytes);
  }

  function store(name) {
    try {
      var bytes = FS.readFile(folder + '/' + name);
      var text = '';
      for (var i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
      localStorage.setItem(storageKey(name), text);
    } catch (error) {
      err('cannot keep ' + name + ': ' + error);
    }
  }

  function keepWhatTheGameWrites() {
    var rename = FS.rename;
    FS.rename = function(from, to) {
      rename(from, to);
      kept.forEach(function(name) {
        if (PATH_FS.resolve(to) == folder + '/' + name) store(name);
      });
    };
  }

  if (!Module['preRun']) Module['preRun'] = [];
  if (typeof Module['preRun'] == 'function') Module['preRun'] = [Module['preRun']];
  Module['preRun'].push(function() {
    Module.kestraBitmaps = [];
    FS.mkdir(folder);
    FS.chdir(folder);
    FS.symlink(folder + '/engine', '/proc/self/exe');
    if (typeof location != 'undefined') {
      kept.forEach(restore);
      keepWhatTheGameWrites();
    }
    (Module.kestraFiles || []).forEach(load);
  });
})();
