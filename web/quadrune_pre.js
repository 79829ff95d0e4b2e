// Runs inside the game's JS before main: the player's folder from
// IndexedDB, made durable after every save, and the game's arguments from
// the page's query (watching a replay).
(function () {
  var playerDir = '/home/web_user/.local/share/quadrune';
  var dataDir = '/game/data';
  var saves = Module.quadruneSaves = {dir: playerDir, durable: false, syncs: 0, syncing: false, failed: null};
  var page = Module.quadrunePage || {saysSavesOff: function () {}, says: function () {}};

  // The data link leads out of the player's folder: IndexedDB keeps only the player's own files.
  function isDataPath(path) {
    return path === playerDir + '/data' || path.indexOf(playerDir + '/data/') === 0;
  }
  function keepOnlyTheSaves() {
    var localSet = IDBFS.getLocalSet;
    IDBFS.getLocalSet = function (mount, callback) {
      localSet(mount, function (error, set) {
        if (set) Object.keys(set.entries).filter(isDataPath).forEach(function (path) { delete set.entries[path]; });
        callback(error, set);
      });
    };
  }

  // Saves are written, closed and renamed in one go; one sync after them all.
  var again = false;
  function sync() {
    if (!saves.durable) return;
    if (saves.syncing) { again = true; return; }
    saves.syncing = true;
    FS.syncfs(false, function (error) {
      saves.syncing = false;
      if (error) {
        saves.failed = String(error);
        page.saysSavesOff('the browser stopped keeping them (' + error + ')');
      } else {
        saves.syncs++;
      }
      if (again) { again = false; sync(); }
    });
  }
  function isSaved(path) { return path && path.indexOf(playerDir + '/') === 0 && !isDataPath(path); }
  function watchSaves() {
    var close = FS.close, rename = FS.rename, unlink = FS.unlink, rmdir = FS.rmdir;
    var pending = false;
    function soon() {
      if (pending) return;
      pending = true;
      Promise.resolve().then(function () { pending = false; sync(); });
    }
    FS.close = function (stream) {
      var written = stream && (stream.flags & 3) !== 0 && isSaved(stream.path);
      var result = close.apply(this, arguments);
      if (written) soon();
      return result;
    };
    FS.rename = function (from, to) { var result = rename.apply(this, arguments); if (isSaved(to)) soon(); return result; };
    FS.unlink = function (path) { var result = unlink.apply(this, arguments); if (isSaved(path)) soon(); return result; };
    FS.rmdir = function (path) { var result = rmdir.apply(this, arguments); if (isSaved(path)) soon(); return result; };
  }

  function linkData() {
    try { FS.unlink(playerDir + '/data'); } catch (e) { /* none yet */ }
    FS.symlink(dataDir, playerDir + '/data');
  }

  function mountSaves() {
    FS.mkdirTree(playerDir);
    var settled = false;
    function done(error) {
      if (settled) return;
      settled = true;
      if (error) {
        try { FS.unmount(playerDir); } catch (e) { /* never mounted */ }
        saves.failed = String(error);
        page.saysSavesOff('this browser refuses to store them (' + error + ')');
      } else {
        saves.durable = true;
      }
      linkData();
      removeRunDependency('quadrune-saves');
    }
    addRunDependency('quadrune-saves');
    // A store that never answers must not keep the game from starting.
    setTimeout(function () { done('IndexedDB did not answer'); }, 5000);
    try {
      if (typeof indexedDB === 'undefined' || !indexedDB) throw 'IndexedDB is missing';
      keepOnlyTheSaves();
      FS.mount(IDBFS, {}, playerDir);
      FS.syncfs(true, function (error) { done(error || null); });
    } catch (error) {
      done(error);
    }
  }

  // ?daily plays today's deal, as `quadrune --daily` does.
  function askForDaily() {
    if (new URLSearchParams(location.search).has('daily')) Module.arguments = ['--daily'];
  }

  // ?replay=ID watches /replays/ID.qrp as `quadrune --replay` would.
  function fetchReplay() {
    var id = new URLSearchParams(location.search).get('replay');
    if (id === null) return;
    if (!/^[A-Za-z0-9_-]{1,64}$/.test(id)) {
      page.says('There is no replay "' + id + '": a replay ID is made of letters and digits.');
      throw 'bad replay ID';
    }
    var file = '/tmp/' + id + '.qrp';
    Module.arguments = ['--replay', file];
    addRunDependency('quadrune-replay');
    fetch('/replays/' + id + '.qrp', {cache: 'no-store'}).then(function (response) {
      if (response.status === 404) throw 'Replay ' + id + ' was not found on this server.';
      if (!response.ok) throw 'Replay ' + id + ' could not be loaded: the server answered ' + response.status + '.';
      return response.arrayBuffer();
    }).then(function (bytes) {
      FS.writeFile(file, new Uint8Array(bytes));
      removeRunDependency('quadrune-replay');
    }).catch(function (error) {
      page.says(String(error));
    });
  }

  // The game reads a pad in SDL 2's game-controller layout (South, East,
  // West, North, Back, Guide, Start, the sticks, the shoulders, the d-pad);
  // the Gamepad API's standard mapping orders the same buttons otherwise.
  var standardOfSdl = [0, 1, 2, 3, 8, 16, 9, 10, 11, 4, 5, 12, 13, 14, 15];
  var released = {pressed: false, value: 0};
  function inSdlOrder(pad) {
    if (!pad || pad.mapping !== 'standard') return pad;
    return {id: pad.id, index: pad.index, connected: pad.connected, mapping: pad.mapping, timestamp: pad.timestamp,
            axes: pad.axes, buttons: standardOfSdl.map(function (i) { return pad.buttons[i] || released; })};
  }
  if (typeof navigator !== 'undefined' && navigator.getGamepads) {
    var getGamepads = navigator.getGamepads.bind(navigator);
    navigator.getGamepads = function () { return Array.prototype.map.call(getGamepads(), inSdlOrder); };
  }

  Module.preRun = Module.preRun || [];
  Module.preRun.push(function () {
    mountSaves();
    watchSaves();
    askForDaily();
    fetchReplay();
  });
})();
