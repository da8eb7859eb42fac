// The page's World is the desktop's: under node, its hashes after a million ticks with
// releases equal morvane-lab's for the same seeds and events, and bad arguments are refused
// with Errors in the lab's words. Run as: node world_test.js MORVANE_JS MORVANE_LAB
"use strict";

const assert = require("assert");
const { execFileSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");

const [moduleFile, lab] = process.argv.slice(2);
const Morvane = require(path.resolve(moduleFile));

const releases = [[0, "left", 100, 200], [0, "right", 50.25, 60], [4999, "left", -3, 9],
  [250000, "middle", 1, 1], [250000, "right", 400, 300], [999999, "left", 495.5, 428.75]];

function labHash(seed, ticks) {
  const events = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "morvane-web-")), "events.txt");
  fs.writeFileSync(events, releases.map((r) => r.join(" ")).join("\n") + "\n");
  const args = ["--ticks", String(ticks), "--events", events, "--hash", "--quiet"];
  if (seed !== undefined) args.push("--seed", String(seed));
  return execFileSync(lab, args, { encoding: "utf8" }).trim();
}

// Steps in calls of 1,000 ticks, as the engine optimises a function it enters again.
function pageHash(module, seed, ticks) {
  const world = new module.World(seed);
  let next = 0;
  while (world.ticksRun < ticks) {
    while (next < releases.length && releases[next][0] === world.ticksRun)
      world.release(releases[next][1], releases[next][2], releases[next++][3]);
    const until = next < releases.length ? releases[next][0] : ticks;
    const stretch = Math.min(1000, until - world.ticksRun);
    world.step(stretch);
  }
  const hash = world.hash();
  world.delete();
  return hash;
}

function refused(what, expected) {
  assert.throws(what, (e) => e instanceof Error && e.message === expected, expected);
}

Morvane().then((module) => {
  for (const seed of [undefined, 7, 18446744073709551615n]) {
    const ticks = 1000000;
    const started = Date.now();
    const page = pageHash(module, seed, ticks);
    const seconds = (Date.now() - started) / 1000;
    assert.strictEqual(page, labHash(seed, ticks), `seed ${seed}`);
    console.log(`seed ${seed}: ${page} after ${ticks} ticks, as the lab's (${Math.round(ticks / seconds)} ticks/s)`);
  }

  const world = new module.World(3);
  const range = " (expected a whole number from 0 to 18446744073709551615)";
  refused(() => world.step(1.5), "ticks '1.5' is not a whole number" + range);
  refused(() => world.step(-1), "ticks '-1' is negative" + range);
  refused(() => world.step("10"), "ticks '10' is text, not a number" + range);
  refused(() => new module.World(2n ** 64n), "seed '18446744073709551616' is too large" + range);
  refused(() => world.release("up", 1, 1), "unknown button 'up' (expected left, right or middle)");
  refused(() => world.release(1, 1, 1), "button '1' is not text (expected left, right or middle)");
  refused(() => world.release("left", 1, NaN), "y 'nan' is not a finite decimal number");
  refused(() => world.release("left", 1e39, 1), "x '1e+39' is beyond the range of a 32-bit float");
  assert.strictEqual(world.ticksRun, 0, "a refused call changes nothing");

  // The tables are views of the world's own memory: they show it as it now stands.
  const animals = world.animals();
  world.release("left", 123, 45);
  const slot = animals.energy.findIndex((e) => e > 0);
  assert.ok(slot >= 0 && animals.x[slot] === 123 && animals.speed[slot] === Math.fround(0.3));
  assert.strictEqual(world.space().length, 496 * 429);
  console.log("refusals and views as the lab's and Python's");
});
