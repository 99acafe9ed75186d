// How long the web game of a 200-question quiz takes to be on screen in headless
// Chromium, against the same page with one question measured in the same run.
//
// Usage: node bench/web_game_load.mjs VIRETA_EXPORT [RUNS]
// (tests/browser/npm-deps.sh installs playwright-core first.)
//
// For each page and run: a fresh browser tab loads the page from file:; "on screen"
// is the moment the start screen's "Comezar" button is in the document (seen by a
// MutationObserver installed before the page's own script), measured from the
// navigation's start; "first question" adds pressing "Comezar" (the shuffles of all
// questions and answers and the first question's screen). Medians are printed, with
// the 200-question figures as ratios of the one-question baseline.
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { exportQuiz, findChromium, launch } from "../tests/browser/web_game_lib.mjs";

const [exporter, runsText] = process.argv.slice(2);
if (!exporter) {
  console.error("usage: node bench/web_game_load.mjs VIRETA_EXPORT [RUNS]");
  process.exit(2);
}
const runs = Number(runsText || 25);
const executable = findChromium();
if (!executable) {
  console.error("no Chromium installed");
  process.exit(1);
}
const require = createRequire(new URL("../tests/browser/package.json", import.meta.url));
const { chromium } = require("playwright-core");

function quizXml(count) {
  let xml = '<?xml version="1.0" encoding="UTF-8"?>\n<xogo version="1.0"><titulo>Proba de carga</titulo>' +
            "<intro son=\"\">Unha introdución</intro><tempo>10 min</tempo><preguntas>\n";
  for (let k = 1; k <= count; k++) {
    xml += `<pregunta><enunciado>Pregunta número ${k}: cal é a resposta &lt;b&gt;correcta&lt;/b&gt;?</enunciado>` +
           `<resposta>Correcta ${k}</resposta><resposta>Errada ${k} a</resposta>` +
           `<resposta>Errada ${k} b</resposta><resposta>Errada ${k} c</resposta>` +
           `<imaxe>foto${k}.png</imaxe><son>son${k}.mp3</son>` +
           `<ben son="ben.mp3">Moi ben, era a ${k}</ben><mal son="mal.mp3">Non, era a ${k}</mal>` +
           `<enlace>https://example.org/${k}</enlace></pregunta>\n`;
  }
  return xml + "</preguntas></xogo>\n";
}

const work = mkdtempSync(path.join(os.tmpdir(), "vireta-bench-"));
const pages = {};
for (const count of [1, 200]) {
  writeFileSync(path.join(work, `quiz${count}.xml`), quizXml(count));
  exportQuiz(exporter, ["-f", "web", "-o", path.join(work, `xogo${count}`), path.join(work, `quiz${count}.xml`)]);
  pages[count] = pathToFileURL(path.join(work, `xogo${count}.html`)).href + "#seed=1";
}

const browser = await launch(chromium, executable);
const context = await browser.newContext();
// Media requests would only measure the missing files: they are answered empty.
await context.route("**/*.{png,mp3}", (route) => route.fulfill({ status: 404, body: "" }));

async function measure(url) {
  const page = await context.newPage();
  await page.addInitScript(() => {
    new MutationObserver((changes, observer) => {
      if (document.querySelector("#xogo button")) {
        window.__onScreen = performance.now();
        observer.disconnect();
      }
    }).observe(document, { childList: true, subtree: true });
  });
  await page.goto(url);
  await page.waitForFunction(() => window.__onScreen !== undefined);
  const onScreen = await page.evaluate(() => window.__onScreen);
  const question = await page.evaluate(() => {
    const start = performance.now();
    document.querySelector("#xogo .accions:last-child button").click();
    if (!document.getElementById("enunciado")) throw new Error("no question on screen");
    return performance.now() - start;
  });
  await page.close();
  return { onScreen, question };
}

const median = (values) => {
  const s = [...values].sort((a, b) => a - b);
  return s[Math.floor(s.length / 2)];
};

const results = { 1: [], 200: [] };
for (let i = 0; i < runs + 2; i++) {
  for (const count of [1, 200]) {
    const r = await measure(pages[count]);
    if (i >= 2) results[count].push(r); // two warm-up runs
  }
}
await browser.close();
rmSync(work, { recursive: true, force: true });

const summary = {};
for (const count of [1, 200]) {
  summary[count] = {
    onScreen: median(results[count].map((r) => r.onScreen)),
    question: median(results[count].map((r) => r.question)),
  };
}
const ms = (v) => v.toFixed(1) + " ms";
console.log(`web game load, median of ${runs} runs (headless Chromium, file:)`);
console.log(`  start screen on screen:  1 question ${ms(summary[1].onScreen)}, 200 questions ` +
            `${ms(summary[200].onScreen)}  ratio ${(summary[200].onScreen / summary[1].onScreen).toFixed(2)}`);
console.log(`  "Comezar" to question 1: 1 question ${ms(summary[1].question)}, 200 questions ` +
            `${ms(summary[200].question)}  ratio ${(summary[200].question / summary[1].question).toFixed(2)}`);
console.log(`  goal: 200 questions on screen within 100 ms of load: ` +
            (summary[200].onScreen < 100 ? "met" : "NOT met"));
