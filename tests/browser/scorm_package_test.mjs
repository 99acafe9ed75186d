// The SCORM package, exported by vireta-export and played in the system Chromium inside
// a platform page whose API is a real SCORM 1.2 run-time (scorm-again, pinned in
// package-lock.json): scores and statuses, the pass mark's boundary (the quiz's own and
// the command line's), a question of several answers counted right only when exactly
// right, a relaunch after a pass, the session time, one LMSFinish; and the
// manifests checked against the SCORM 1.2 schemas with xmllint.
//
// Usage: node scorm_package_test.mjs VIRETA_EXPORT DATA_DIR SCHEMA_DIR WORK_DIR
// Exits 77 (skipped) when no Chromium is installed.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { cpSync, mkdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { SKIPPED, exportQuiz, findChromium, launch } from "./web_game_lib.mjs";

const executable = findChromium();
if (!executable) {
  console.log("no Chromium installed: skipped");
  process.exit(SKIPPED);
}
const [exporter, dataDir, schemaDir, workDir] = process.argv.slice(2);
if (!exporter || !dataDir || !schemaDir || !workDir) {
  console.error("usage: scorm_package_test.mjs VIRETA_EXPORT DATA_DIR SCHEMA_DIR WORK_DIR");
  process.exit(2);
}
const require = createRequire(import.meta.url);
const { chromium } = require("playwright-core");
const runtime = readFileSync(require.resolve("scorm-again/scorm12/min"), "utf8");

// xogo.xml's questions in table order ("Con orde" is set) and their right answers.
const RIGHT = ["Miño", "Na ría de Arousa", "Miño", "Sil"];
const LONG_TITLE = "Os ríos de Galicia, ".repeat(13) + "fin"; // 263 characters

let browser;
const packages = {}; // name -> unpacked folder

before(async () => {
  rmSync(workDir, { recursive: true, force: true });
  mkdirSync(workDir, { recursive: true });
  const xogo = path.join(dataDir, "xogo.xml");
  // The long-titled quiz beside copies of the media xogo.xml names.
  const longDir = path.join(workDir, "longo-quiz");
  cpSync(dataDir, longDir, { recursive: true });
  const longo = path.join(longDir, "longo.xml");
  writeFileSync(longo, readFileSync(xogo, "utf8").replace(/<titulo>[^<]*<\/titulo>/, `<titulo>${LONG_TITLE}</titulo>`));
  // xogo.xml with a pass mark of its own, and no --pass-mark.
  const own = path.join(longDir, "aprobado.xml");
  writeFileSync(own, readFileSync(xogo, "utf8").replace('<xogo version="1.0">', '<xogo version="1.0" aprobado="75">'));
  for (const [name, quiz, passMark] of [["p60", xogo, 60], ["p75", xogo, 75], ["p76", xogo, 76], ["longo", longo, 60],
                                        ["q75", own, null], ["k75", path.join(dataDir, "kinds.xml"), 75]]) {
    const mark = passMark === null ? [] : ["--pass-mark", String(passMark)];
    exportQuiz(exporter, ["-f", "scorm", "-o", path.join(workDir, name), ...mark, quiz]);
    packages[name] = path.join(workDir, name + "-contido");
    mkdirSync(packages[name]);
    execFileSync("bsdtar", ["-xf", path.join(workDir, name + ".zip"), "-C", packages[name]]);
  }
  browser = await launch(chromium, executable); // last: nothing is left running if an export fails
});

after(async () => {
  if (browser) await browser.close();
});

describe("the manifest", () => {
  test("validates against the SCORM 1.2 schemas, a long title cut to 200 characters", () => {
    for (const name of ["p60", "longo"]) {
      const run = spawnSync("xmllint", ["--noout", "--nonet", "--schema", path.join(schemaDir, "manifest.xsd"),
                                        path.join(packages[name], "imsmanifest.xml")], { encoding: "utf8" });
      assert.equal(run.status, 0, `${name}: ${run.stderr}`);
    }
    const manifest = readFileSync(path.join(packages.longo, "imsmanifest.xml"), "utf8");
    const titles = [...manifest.matchAll(/<title>([^<]*)<\/title>/g)].map((m) => m[1]);
    assert.deepEqual(titles, [LONG_TITLE.slice(0, 200), LONG_TITLE.slice(0, 200)]);
    const page = readFileSync(path.join(packages.longo, "index.html"), "utf8");
    assert.ok(page.includes(`<title>${LONG_TITLE}</title>`), "the page keeps the whole title");
  });

  test("the zip holds what the manifest names and nothing more", () => {
    const listed = execFileSync("bsdtar", ["-tf", path.join(workDir, "p60.zip")], { encoding: "utf8" })
      .split("\n").filter(Boolean).sort();
    const manifest = readFileSync(path.join(packages.p60, "imsmanifest.xml"), "utf8");
    const files = [...manifest.matchAll(/<file href="([^"]*)"\/>/g)].map((m) => decodeURIComponent(m[1]));
    assert.deepEqual([...files, "imsmanifest.xml"].sort(), listed);
    assert.deepEqual(listed, ["ben.wav", "final-ben.wav", "final-mal.wav", "imsmanifest.xml", "index.html",
                              "intro.wav", "mal.wav", "mapa.png", "pregunta.wav"]);
    assert.match(manifest, /<adlcp:masteryscore>60<\/adlcp:masteryscore>/);
    assert.match(readFileSync(path.join(packages.q75, "imsmanifest.xml"), "utf8"),
                 /<adlcp:masteryscore>75<\/adlcp:masteryscore>/, "the quiz's own pass mark");
    assert.match(manifest, /adlcp:scormtype="sco" href="index.html"/);
  });
});

// A platform page at http://plataforma.test/ whose window.API is the run-time, loaded
// with what the platform stored of earlier sessions, and which records every call the
// package makes through the run-time's own events.
async function platform(name, stored) {
  const context = await browser.newContext({ reducedMotion: "reduce" });
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (e) => errors.push(String(e)));
  page.on("console", (m) => { if (m.type() === "error" || m.type() === "warning") errors.push(m.text()); });
  await page.route("http://plataforma.test/**", (route) => {
    const file = decodeURIComponent(new URL(route.request().url()).pathname.slice(1));
    if (file === "runtime.js") return route.fulfill({ contentType: "text/javascript", body: runtime });
    if (file === "curso.html") {
      return route.fulfill({ contentType: "text/html", body:
        "<!DOCTYPE html><title>Curso</title><script src='runtime.js'></script><script>" +
        "window.API = new Scorm12API({ autocommit: false, logLevel: 4 });" +
        "if (window.stored) API.loadFromJSON(window.stored);" +
        "window.calls = [];" +
        "for (const n of ['LMSInitialize', 'LMSCommit', 'LMSFinish'])" +
        "  API.on(n, () => calls.push([n]));" +
        "API.on('LMSSetValue.cmi.*', (element, value) => calls.push(['set', element, value]));" +
        "</script><iframe id='sco' src='paquete/index.html#seed=8' width='900' height='700'></iframe>" });
    }
    return route.fulfill({ path: path.join(packages[name], file.replace(/^paquete\//, "")) });
  });
  if (stored) await page.addInitScript((s) => { window.stored = s; }, stored);
  await page.goto("http://plataforma.test/curso.html");
  page.sco = page.frameLocator("#sco");
  page.errors = errors;
  page.calls = () => page.evaluate(() => window.calls.slice());
  page.state = () => page.evaluate(() => ({
    status: API.cmi.core.lesson_status,
    raw: API.cmi.core.score.raw,
    exit: API.cmi.core._exit,
    session: API.cmi.core._session_time,
  }));
  // Leaves the package the way a platform does: its frame goes elsewhere.
  page.leave = async () => {
    await page.evaluate(() => { document.getElementById("sco").src = "about:blank"; });
    await page.waitForFunction(() => window.calls.some((c) => c[0] === "LMSFinish"));
  };
  await page.sco.getByRole("button", { name: "Comezar" }).waitFor();
  return page;
}

// Plays the whole game with the first `rightAnswers` questions right.
async function play(page, rightAnswers) {
  await page.sco.getByRole("button", { name: "Comezar" }).click();
  for (const [i, right] of RIGHT.entries()) {
    const texts = await page.sco.locator(".resposta .texto").allTextContents();
    const index = i < rightAnswers ? texts.indexOf(right) : texts.findIndex((t) => t !== right);
    await page.sco.locator(".resposta").nth(index).click();
    await page.sco.getByRole("button", { name: "Seguinte" }).click();
  }
  await page.sco.locator(".puntuacion").waitFor();
}

const TIME = /^\d{4}:\d{2}:\d{2}\.\d{2}$/;
// A SCORM 1.2 time span in seconds (the run-time stores it with two-digit hours).
const seconds = (t) => t.split(":").reduce((sum, part) => sum * 60 + Number(part), 0);
const sets = (calls, element) => calls.filter((c) => c[0] === "set" && c[1] === element).map((c) => c[2]);

describe("the package in a SCORM 1.2 run-time", () => {
  // [package, right answers, score, status]
  for (const [name, right, score, status] of [
    ["p60", 4, "100", "passed"],   // all right
    ["p60", 0, "0", "failed"],     // all wrong
    ["p75", 3, "75", "passed"],    // on the pass mark
    ["p76", 3, "75", "failed"],    // one below it
    ["q75", 3, "75", "passed"],    // on the quiz's own pass mark
    ["q75", 2, "50", "failed"],    // under it
  ]) {
    const against = (name[0] === "q" ? "the quiz's " : "") + name.slice(1) + " %";
    test(`${right} of 4 right against ${against}: ${status}`, async () => {
      const page = await platform(name);
      assert.deepEqual(await page.calls(), [
        ["LMSInitialize"],
        ["set", "cmi.core.lesson_status", "incomplete"],
        ["set", "cmi.core.exit", "suspend"],
      ]);
      await play(page, right);
      const calls = await page.calls();
      assert.deepEqual(calls.slice(3, 8).map((c) => c.slice(0, 3)), [
        ["set", "cmi.core.score.raw", score],
        ["set", "cmi.core.score.min", "0"],
        ["set", "cmi.core.score.max", "100"],
        ["set", "cmi.core.lesson_status", status],
        ["set", "cmi.core.exit", ""],
      ]);
      // The game ends well exactly when the platform hears "passed".
      assert.equal(await page.sco.locator(".pantalla > p.mensaxe").textContent(),
                   status === "passed" ? "Moi ben, todo correcto!" : "Volve tentalo.");
      assert.equal(calls[8][1], "cmi.core.session_time");
      assert.match(calls[8][2], TIME);
      assert.deepEqual(calls.slice(9), [["LMSCommit"]], "the session time goes before the commit");
      await page.leave();
      const after = await page.calls();
      assert.deepEqual(after.slice(10).map((c) => c[0] === "set" ? c[1] : c[0]),
                       ["cmi.core.session_time", "LMSFinish"]);
      assert.match(after[10][2], TIME);
      const state = await page.state();
      assert.deepEqual({ ...state, session: seconds(state.session) },
                       { status, raw: score, exit: "", session: seconds(after[10][2]) });
      assert.deepEqual(page.errors, []);
      await page.context().close();
    });
  }

  // kinds.xml (several answers, true or false, a short answer, one answer) against 75 %:
  // [ticks of the several, short answer typed, score, status].
  for (const [ticks, typed, score, status] of [
    [["Miño", "Ulla"], "a coruña", "100", "passed"],
    [["Miño"], "A Coruña", "75", "passed"],                   // too few ticks: that one is wrong
    [["Miño", "Ulla", "Douro"], "Coruna", "50", "failed"],    // too many, and the short one wrong
  ]) {
    test(`every kind, ${ticks.join(" + ")} ticked and "${typed}" typed: ${score} %, ${status}`, async () => {
      const page = await platform("k75");
      const sco = page.sco;
      await sco.getByRole("button", { name: "Comezar" }).click();
      for (const name of ticks) await sco.locator(".resposta", { hasText: name }).click();
      await sco.getByRole("button", { name: "Comprobar" }).click();
      await sco.getByRole("button", { name: "Seguinte" }).click();
      await sco.locator(".resposta", { hasText: "Falso" }).click();
      await sco.getByRole("button", { name: "Seguinte" }).click();
      await sco.getByRole("textbox", { name: "A túa resposta" }).fill(typed);
      await sco.getByRole("button", { name: "Comprobar" }).click();
      await sco.getByRole("button", { name: "Seguinte" }).click();
      await sco.locator(".resposta", { hasText: "Miño" }).click();
      await sco.getByRole("button", { name: "Seguinte" }).click();
      await sco.locator(".puntuacion").waitFor();
      const calls = await page.calls();
      assert.deepEqual(calls.slice(3, 7), [
        ["set", "cmi.core.score.raw", score],
        ["set", "cmi.core.score.min", "0"],
        ["set", "cmi.core.score.max", "100"],
        ["set", "cmi.core.lesson_status", status],
      ]);
      await page.leave();
      assert.deepEqual([(await page.state()).raw, (await page.state()).status], [score, status]);
      assert.deepEqual(page.errors, []);
      await page.context().close();
    });
  }

  test("a relaunch after a pass keeps the pass until a new game ends", async () => {
    const first = await platform("p60");
    await play(first, 4);
    await first.leave();
    assert.equal((await first.state()).status, "passed");
    await first.context().close();

    // The platform resumes the attempt with what it stored.
    const stored = { core: { lesson_status: "passed", entry: "resume", score: { raw: "100" } } };
    const again = await platform("p60", stored);
    await again.sco.getByRole("button", { name: "Comezar" }).click();
    await again.leave(); // a game begun and left unfinished
    let calls = await again.calls();
    assert.deepEqual(sets(calls, "cmi.core.lesson_status"), [], "the stored status is never overwritten");
    assert.deepEqual(sets(calls, "cmi.core.exit"), ["suspend"]);
    assert.deepEqual(calls.filter((c) => c[0] === "LMSFinish").length, 1);
    const state = await again.state();
    assert.deepEqual({ ...state, session: seconds(state.session) },
                     { status: "passed", raw: "100", exit: "suspend",
                       session: seconds(sets(calls, "cmi.core.session_time")[0]) });
    assert.deepEqual(again.errors, []);
    await again.context().close();

    // A game finished in a new session replaces it.
    const third = await platform("p60", stored);
    await play(third, 1);
    calls = await third.calls();
    assert.deepEqual(sets(calls, "cmi.core.lesson_status"), ["failed"]);
    assert.equal((await third.state()).raw, "25");
    await third.context().close();
  });

  test("a second game in one session marks the attempt unfinished again, and LMSFinish comes once", async () => {
    const page = await platform("p60");
    await play(page, 4);
    await page.sco.getByRole("button", { name: "Xogar de novo" }).first().click();
    await page.leave();
    const calls = await page.calls();
    assert.deepEqual(sets(calls, "cmi.core.exit"), ["suspend", "", "suspend"]);
    assert.equal(calls.filter((c) => c[0] === "LMSFinish").length, 1);
    assert.deepEqual((await page.state()).status, "passed");
    assert.deepEqual(page.errors, []);
    await page.context().close();
  });
});
