// The page is the window: the module's PageWindow keeps the world, the face, the mouse routing
// and the timer's schedule; this script only hands it the page's clock, mouse and frames.
// Its one global, `morvane`, holds the module's World and the running window, so that the
// console (or a test) can read `morvane.window.world.ticksRun` and `.hash()`.
"use strict";

Morvane().then((module) => {
  const face = document.getElementById("face");
  const context = face.getContext("2d");
  const page = new module.PageWindow(performance.now());
  const image = new ImageData(new Uint8ClampedArray(page.pixels().buffer,
    page.pixels().byteOffset, page.pixels().length), face.width, face.height);

  // Ticks come from the schedule's 10 ms clock grid, as on the desktop: the timer is set for
  // the next grid point each time, so a firing a few milliseconds late costs no tick, and a
  // throttled one (a hidden tab's) takes one tick and drops the firings it missed, never a
  // burst. A setInterval keeps a grid of its own, a moment behind the schedule's; on a busy
  // machine a firing jittered to just before a grid point takes nothing, and the next finds
  // two due and drops one.
  const wait = () => {
    page.timer(performance.now());
    setTimeout(wait, page.msUntilDue(performance.now()));
  };
  setTimeout(wait, page.msUntilDue(performance.now()));

  // What changed is drawn once per animation frame; a hidden tab has none, and is drawn
  // whole, as far as it changed, when it is shown again.
  const draw = () => {
    const [left, top, width, height] = page.paint();
    if (width > 0) context.putImageData(image, 0, 0, left, top, width, height);
    requestAnimationFrame(draw);
  };
  requestAnimationFrame(draw);
  // A browser short of memory may drop a hidden canvas's pixels; restored, it is handed the
  // whole face.
  face.addEventListener("contextrestored", () => page.repaintAll());

  // A press and its release belong to the canvas where the button went down, so a release
  // anywhere on the page (or beyond the face) is taken, in the face's own pixels.
  const at = (event) => {
    const box = face.getBoundingClientRect();
    return [Math.floor(event.clientX - box.left), Math.floor(event.clientY - box.top)];
  };
  face.addEventListener("mousedown", (event) => {
    if (event.button === 1) event.preventDefault(); // no autoscroll: the middle button is a click
    page.press(event.button, ...at(event));
  });
  window.addEventListener("mouseup", (event) => page.release(event.button, ...at(event)));
  window.addEventListener("blur", () => page.forget());
  face.addEventListener("contextmenu", (event) => event.preventDefault());

  window.morvane = { World: module.World, window: { world: page.world(), page } };
});
