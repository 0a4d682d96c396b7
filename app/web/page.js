// The page around the tunnel: notices, the end screen, the on-screen
// controls and swipes, the settings in the link, fullscreen, the still start
// for reduced motion, and the copy kept for offline use.
"use strict";

var Module = (function () {
  var canvas = document.getElementById("canvas");
  var notice = document.getElementById("notice");
  var end = document.getElementById("end");
  var controls = document.getElementById("controls");
  var still = document.getElementById("still");
  // The tunnel's commands (ringvoyage_command).
  var kFaster = 1;
  var kSlower = 2;
  var kFly = 5;
  var kControlsShownMs = 3000;
  var kSwipePx = 40;
  var running = false;
  var hideTimer = 0;
  var swipeStart = null;

  function showNotice(text) {
    canvas.hidden = true;
    controls.hidden = true;
    still.hidden = true;
    notice.textContent = text;
    notice.hidden = false;
  }

  // Anything thrown and not caught: before the tunnel runs, it never will.
  function failed(reason) {
    console.error("Ringvoyage:", reason);
    showNotice(running ? "Ringvoyage stopped after an error in this browser."
                       : "Ringvoyage could not start in this browser.");
  }
  window.addEventListener("error", function (event) {
    event.preventDefault();
    failed(event.error || event.message);
  });
  window.addEventListener("unhandledrejection", function (event) {
    event.preventDefault();
    failed(event.reason);
  });

  function command(which) {
    if (running) Module._ringvoyage_command(which);
  }

  function showControls() {
    controls.classList.add("shown");
    clearTimeout(hideTimer);
    hideTimer = setTimeout(function () { controls.classList.remove("shown"); }, kControlsShownMs);
  }

  // Fullscreen follows the state last asked for: while a change is under
  // way, document.fullscreenElement still tells the old state.
  var fullscreenWanted = null;
  var fullscreenBusy = false;
  function settleFullscreen() {
    var on = !!document.fullscreenElement;
    if (fullscreenWanted === null || fullscreenWanted === on) {
      fullscreenWanted = null;
      fullscreenBusy = false;
      return;
    }
    fullscreenBusy = true;
    var change = fullscreenWanted ? document.documentElement.requestFullscreen()
                                  : document.exitFullscreen();
    // Refused without a user's gesture: the state stays as it is.
    Promise.resolve(change).then(settleFullscreen, function () {
      fullscreenWanted = null;
      fullscreenBusy = false;
    });
  }
  function toggleFullscreen() {
    fullscreenWanted = !(fullscreenWanted !== null ? fullscreenWanted : !!document.fullscreenElement);
    if (!fullscreenBusy) settleFullscreen();
  }

  // The settings the link carries, beside anything else it holds.
  function showSettings(speedSteps, pulse) {
    document.getElementById("pulse").setAttribute("aria-pressed", pulse ? "true" : "false");
    var query = new URLSearchParams(location.search);
    if (speedSteps !== 0) query.set("speed", String(speedSteps)); else query.delete("speed");
    if (pulse) query.set("pulse", "1"); else query.delete("pulse");
    var search = query.toString();
    var address = location.pathname + (search ? "?" + search : "") + location.hash;
    if (address !== location.pathname + location.search + location.hash) {
      try {
        history.replaceState(history.state, "", address);
      } catch (error) {
        // Some browsers refuse it for pages opened from disk; the link stays.
      }
    }
  }

  // Keys the focused button takes (Space, Enter) are not also tunnel keys.
  window.addEventListener("keydown", function (event) {
    if ((event.key === " " || event.key === "Enter") && event.target.closest &&
        event.target.closest("button")) {
      event.stopImmediatePropagation();
    }
  }, true);
  window.addEventListener("pointermove", showControls);
  window.addEventListener("pointerdown", function (event) {
    showControls();
    if (event.target === canvas && event.pointerType !== "mouse") {
      swipeStart = {x: event.clientX, y: event.clientY};
    }
  });
  window.addEventListener("pointerup", function (event) {
    var start = swipeStart;
    swipeStart = null;
    if (!start) return;
    var dx = event.clientX - start.x;
    var dy = event.clientY - start.y;
    if (Math.abs(dy) >= kSwipePx && Math.abs(dy) > 2 * Math.abs(dx)) {
      command(dy < 0 ? kFaster : kSlower);
    }
  });
  window.addEventListener("pointercancel", function () { swipeStart = null; });
  // touch-action alone still lets the browser treat a swipe as a scroll, and
  // a tap that stops its fling is swallowed: the tap on a button just after
  // a swipe would do nothing.
  canvas.addEventListener("touchmove", function (event) { event.preventDefault(); },
                          {passive: false});
  controls.addEventListener("focusin", showControls);
  controls.addEventListener("click", function (event) {
    var button = event.target.closest("button");
    if (!button) return;
    showControls();
    if (button.id === "fullscreen") {
      toggleFullscreen();
    } else {
      command(Number(button.getAttribute("data-command")));
    }
  });
  document.getElementById("fly").addEventListener("click", function () { command(kFly); });
  document.getElementById("again").addEventListener("click", function () {
    end.hidden = true;
    canvas.hidden = false;
    controls.hidden = false;
    Module._flyAgain();
  });

  // The offline copy and installing need a served page; from disk the page
  // simply runs.
  if (location.protocol === "http:" || location.protocol === "https:") {
    var manifest = document.createElement("link");
    manifest.rel = "manifest";
    manifest.href = "manifest.webmanifest";
    document.head.appendChild(manifest);
    if ("serviceWorker" in navigator) {
      navigator.serviceWorker.register("sw.js").catch(function (error) {
        console.warn("Ringvoyage: no offline copy:", error);
      });
    }
  }

  var module = {
    canvas: canvas,
    showNoWebGL: function () {
      showNotice("Ringvoyage needs WebGL, which this browser does not offer or has switched " +
                 "off. Try another browser, or turn on hardware acceleration.");
    },
    showEnd: function () {
      canvas.hidden = true;
      controls.hidden = true;
      end.hidden = false;
      document.getElementById("again").focus();
    },
    showSettings: showSettings,
    toggleFullscreen: toggleFullscreen,
    // With reduced motion asked for, the tunnel holds still until "Fly".
    startsStill: function () {
      if (!matchMedia("(prefers-reduced-motion: reduce)").matches) return false;
      still.hidden = false;
      document.getElementById("fly").focus();
      return true;
    },
    showFlying: function () { still.hidden = true; },
    postRun: function () { running = true; },  // main has set the tunnel going
    // What the program throws ends here, also where the browser would hide
    // it from the handlers above (scripts opened from disk).
    quit: function (status, thrown) {
      if (thrown && thrown.name === "ExitStatus") throw thrown;  // the runtime's own
      failed(thrown);
    },
    onAbort: function (what) { failed(what); }
  };

  if (typeof WebAssembly !== "object") {
    showNotice("Ringvoyage could not start in this browser.");
  } else {
    var script = document.createElement("script");
    script.src = "ringvoyage.js";
    script.onerror = function () { failed("ringvoyage.js did not load"); };
    document.body.appendChild(script);
  }
  return module;
})();
