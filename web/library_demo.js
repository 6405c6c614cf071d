// What the page needs of GLFW beyond emscripten's own JavaScript GLFW, replacing four of its
// calls (linked with --js-library, after the built-in library).
//
// Mouse look: the desktop hides the cursor and puts it back at the window's centre every frame.
// A page cannot move the pointer, but with the pointer locked (taken on a click, as browsers
// require) the reported position is the sum of the moves, which a "set" can put back. Without
// the lock a hidden cursor reads as standing still, so the view does not chase the pointer.
//
// Hidden tabs: the browser stops the frames while a tab is hidden; the first frame back reads as
// "iconified" once, so the desktop's minimised-window path drops the hidden time from the flight.
mergeInto(LibraryManager.library, {
  $demoPage: {
    lookFrom: null,
    lookWanted: false,
    wasHidden: false,
    watchVisibility: function() {
      if (demoPage.watching) return;
      demoPage.watching = true;
      document.addEventListener('visibilitychange', function() {
        if (document.hidden) demoPage.wasHidden = true;
      });
    },
    requestLock: function(event) {
      if (!Browser.pointerLock && Module['canvas'].requestPointerLock) Module['canvas'].requestPointerLock();
    },
  },

  glfwGetCursorPos__deps: ['$demoPage'],
  glfwGetCursorPos: function(winid, x, y) {
    var stillLook = demoPage.lookWanted && !Browser.pointerLock && demoPage.lookFrom;
    setValue(x, stillLook ? demoPage.lookFrom[0] : Browser.mouseX, 'double');
    setValue(y, stillLook ? demoPage.lookFrom[1] : Browser.mouseY, 'double');
  },

  glfwSetCursorPos__deps: ['$demoPage'],
  glfwSetCursorPos: function(winid, x, y) {
    demoPage.lookFrom = [x, y];
    if (Browser.pointerLock) {
      Browser.mouseX = x;
      Browser.mouseY = y;
    }
  },

  glfwSetInputMode__deps: ['$demoPage'],
  glfwSetInputMode: function(winid, mode, value) {
    if (mode != 0x00033001) return; // GLFW_CURSOR; sticky keys and buttons are never asked for
    var look = value != 0x00034001;  // hidden or disabled: mouse look
    if (look == demoPage.lookWanted) return;
    demoPage.lookWanted = look;
    var canvas = Module['canvas'];
    if (look) {
      canvas.addEventListener('click', demoPage.requestLock, true);
    } else {
      canvas.removeEventListener('click', demoPage.requestLock, true);
      if (document.pointerLockElement === canvas) document.exitPointerLock();
    }
  },

  glfwGetWindowAttrib__deps: ['$demoPage'],
  glfwGetWindowAttrib: function(winid, attrib) {
    demoPage.watchVisibility();
    if (attrib == 0x00020002) { // GLFW_ICONIFIED
      var hidden = document.hidden || demoPage.wasHidden;
      demoPage.wasHidden = document.hidden;
      return hidden ? 1 : 0;
    }
    var win = GLFW.WindowFromId(winid);
    return win ? win.attributes[attrib] : 0;
  },
});

// The canvas's own size is the window's and the framebuffer's: the page sets it to the area it
// is shown in (or to the size the address fixes), and the program follows it frame by frame.
mergeInto(LibraryManager.library, {
  glfwGetFramebufferSize: function(winid, width, height) {
    if (width) setValue(width, Module['canvas'].width, 'i32');
    if (height) setValue(height, Module['canvas'].height, 'i32');
  },
  glfwGetWindowSize: function(winid, width, height) {
    if (width) setValue(width, Module['canvas'].width, 'i32');
    if (height) setValue(height, Module['canvas'].height, 'i32');
  },
});

// GLFW 3.3's content scale: the device pixels to a CSS pixel. The page sizes the canvas's
// drawing buffer in device pixels, so text and the panel drawn this many times larger keep their
// size on the page and stay sharp.
mergeInto(LibraryManager.library, {
  glfwGetWindowContentScale: function(winid, x, y) {
    var scale = window.devicePixelRatio || 1;
    if (x) setValue(x, scale, 'float');
    if (y) setValue(y, scale, 'float');
  },
});

// The renderer's settings from the page's address (?set=...), as a malloc'd string the program
// frees, or null (src/platform/PageSettings.cpp).
mergeInto(LibraryManager.library, {
  demoPageSettings__deps: ['$stringToNewUTF8'],
  demoPageSettings: function() {
    var list = Module['demoSettings'];
    return list ? stringToNewUTF8(list) : 0;
  },
});
