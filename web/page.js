// The page around the demo: checks what the browser offers, starts the program on a canvas that
// fills the page, and shows what the program prints. Address parameters:
//   width, height   a fixed picture size instead of the page's (both or neither)
//   capture=T       render only the frame of the flight at T seconds, as the benchmark's
//                   --capture does, and keep it on the canvas (window.demoCapture reports it)
//   set=NAME=VALUE[,NAME=VALUE...]  the renderer's settings, in the benchmark's --set form
//   frames=N        after a capture, its frame rendered N more times: window.demoCapture.frameMs
(function () {
  'use strict';
  const canvas = document.getElementById('canvas');
  const stage = document.getElementById('stage');
  const logBox = document.getElementById('log');
  const messageBox = document.getElementById('message');
  const params = new URLSearchParams(window.location.search);
  const printed = [];
  window.demoErrors = [];

  function showMessage(text) {
    messageBox.textContent = text;
    messageBox.hidden = false;
  }

  function log(line, isError) {
    (isError ? console.error : console.log)(line);
    printed.push(line);
    if (printed.length > 200) printed.shift();
    logBox.textContent += line + '\n';
    if (logBox.textContent.length > 20000) logBox.textContent = logBox.textContent.slice(-10000);
    logBox.scrollTop = logBox.scrollHeight;
    const saved = /^Screenshot saved: (.+)$/.exec(line);
    if (saved) download(saved[1]);
  }

  // A screenshot the program wrote into the page's memory goes to the user as a download.
  function download(path) {
    let bytes;
    try {
      bytes = Module.FS.readFile(path);
      Module.FS.unlink(path);
    } catch (e) {
      log('Screenshot not downloaded: ' + path + ' cannot be read back', true);
      return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], {type: 'image/png'}));
    link.download = path.replace(/^.*\//, '');
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }

  function fail(text) {
    window.demoErrors.push(text);
    log(text, true);
    showMessage(text);
  }

  // What the program needs of the browser, named when it is missing.
  const probe = document.createElement('canvas').getContext('webgl2');
  if (!probe) {
    fail('This page needs WebGL2, which this browser does not offer or has switched off.');
    return;
  }
  if (!probe.getExtension('EXT_color_buffer_float')) {
    fail('This page needs the WebGL2 extension EXT_color_buffer_float (float render targets), ' +
         'which this browser does not offer.');
    return;
  }
  const lose = probe.getExtension('WEBGL_lose_context');
  if (lose) lose.loseContext();

  const fixedWidth = parseInt(params.get('width'), 10);
  const fixedHeight = parseInt(params.get('height'), 10);
  const fixedSize = fixedWidth > 0 && fixedHeight > 0;
  // The picture's size in device pixels: the area it is shown in, at the screen's own pixels
  // (devicePixelRatio, which the program reads as GLFW's content scale), or the fixed size.
  function pageSize() {
    if (fixedSize) return [fixedWidth, fixedHeight];
    const scale = window.devicePixelRatio || 1;
    return [Math.max(1, Math.round(stage.clientWidth * scale)), Math.max(1, Math.round(stage.clientHeight * scale))];
  }
  // The canvas's pixels follow the area it is shown in; the program polls its size each frame.
  function fitCanvas() {
    const [width, height] = pageSize();
    if (canvas.width !== width) canvas.width = width;
    if (canvas.height !== height) canvas.height = height;
    if (fixedSize) {
      const scale = window.devicePixelRatio || 1;
      canvas.style.width = width / scale + 'px';
      canvas.style.height = height / scale + 'px';
    }
  }
  window.addEventListener('resize', fitCanvas);

  // Keys the browser would take for itself (help, search, scrolling, developer tools).
  const keptKeys = new Set(['F1', 'F2', 'F3', 'F12', ' ', 'ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight']);
  window.addEventListener('keydown', (e) => { if (keptKeys.has(e.key)) e.preventDefault(); }, true);

  function sendKey(keyCode, key) {
    for (const type of ['keydown', 'keyup']) {
      const event = new KeyboardEvent(type, {key: key, code: key, bubbles: true});
      Object.defineProperty(event, 'keyCode', {get: () => keyCode});
      Object.defineProperty(event, 'which', {get: () => keyCode});
      window.dispatchEvent(event);
    }
  }
  document.getElementById('screenshot').addEventListener('click', () => {
    sendKey(123, 'F12');
    canvas.focus();
  });
  document.getElementById('fullscreen').addEventListener('click', () => {
    if (stage.requestFullscreen) stage.requestFullscreen();
  });

  window.addEventListener('error', (e) => {
    if (e.error && e.error.name === 'ExitStatus') return;
    fail('The demo stopped: ' + (e.message || e.error));
  });
  window.addEventListener('unhandledrejection', (e) => fail('The demo stopped: ' + e.reason));

  // Frames shown since the program started (the tests wait on it): the program's loop is the
  // browser's animation frames.
  window.demoFrames = 0;
  const browserFrame = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => browserFrame((time) => {
    callback(time);
    if (window.demoStarted) window.demoFrames++;
  });

  const capture = params.get('capture');
  window.Module = {
    canvas: canvas,
    thisProgram: 'demo',
    demoSettings: params.getAll('set').join(','),
    print: (line) => log(line, false),
    printErr: (line) => log(line, true),
    setStatus: (text) => { if (text) console.log(text); },
    onAbort: (what) => fail('The demo stopped: ' + what),
    // The program ends only on a failure it has already printed (a missing or damaged asset, a
    // shader that does not build): that report is what the page shows.
    quit: (status, toThrow) => {
      fail('The demo stopped (status ' + status + '):\n' + printed.slice(-6).join('\n'));
      throw toThrow;
    },
    onFrameLoopEnd: () => showMessage('The demo has ended (Escape). Reload the page to start it again.'),
    onRuntimeInitialized: () => {
      fitCanvas();
      if (capture !== null) {
        const time = Number(capture);
        const [width, height] = pageSize();
        const error = Module.ccall('demoCapture', 'string', ['number', 'number', 'number', 'string'],
                                   [width, height, time, params.getAll('set').join(',')]);
        window.demoCapture = {error: error, time: time, width: width, height: height};
        // frames=N: the median time of N more renders of that frame, for speed comparisons.
        const frames = parseInt(params.get('frames'), 10);
        if (!error && frames > 0)
          window.demoCapture.frameMs = Module.ccall('demoCaptureFrameMs', 'number', ['number'], [frames]);
        if (error) fail(error);
        return;
      }
      const [width, height] = pageSize();
      window.demoStarted = true;
      Module.callMain([String(width), String(height)]);
      fitCanvas(); // the library sizes the canvas as it opens the window
      canvas.focus();
    },
  };
  fitCanvas();

  // The asset tree comes first, checked against the size the program expects and the digest
  // the build wrote into this page, so a missing or damaged file is named before anything runs.
  async function loadData() {
    let response;
    try {
      response = await fetch('demo.data');
    } catch (e) {
      throw new Error('The demo\'s data file demo.data could not be loaded: ' + e.message);
    }
    if (!response.ok)
      throw new Error('The demo\'s data file demo.data could not be loaded (HTTP ' + response.status + ').');
    const data = await response.arrayBuffer();
    const meta = document.querySelector('meta[name="demo-data-sha256"]');
    const expected = meta ? meta.content : '';
    if (/^[0-9a-f]{64}$/.test(expected) && window.crypto && crypto.subtle) {
      const digest = Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', data)))
                         .map((b) => b.toString(16).padStart(2, '0')).join('');
      if (digest !== expected)
        throw new Error('The demo\'s data file demo.data is damaged (' + data.byteLength +
                        ' bytes, not the ones this page was built with). Rebuild or fetch it again.');
    }
    return data;
  }
  loadData().then((data) => {
    Module.getPreloadedPackage = (name, size) => {
      if (data.byteLength !== size) {
        fail('The demo\'s data file demo.data is damaged: ' + data.byteLength + ' bytes where ' + size +
             ' were expected.');
        throw new Error('demo.data damaged');
      }
      return data;
    };
    const script = document.createElement('script');
    script.src = 'demo.js';
    script.onerror = () => fail('The demo could not be loaded: demo.js is missing.');
    document.body.appendChild(script);
  }, (e) => fail(e.message));
})();
