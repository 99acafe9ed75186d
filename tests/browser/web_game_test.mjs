// The web game, exported by vireta-export from the quizzes in
// tests/data/web and played in the system Chromium through Playwright: games played
// all right, partly right and timed out with the keyboard alone, the messages,
// sounds, score and review, the pass mark's boundary, teachers' markup, axe-core's
// WCAG 2.1 A/AA rules on every screen at two widths, the single-file page, every
// kind of question (several answers, true or false, a short answer, each answer's
// own message) with the mouse and with the keyboard, and a platform's API left alone
// by the plain page (the SCORM package has scorm_package_test.mjs).
//
// Usage: node web_game_test.mjs VIRETA_EXPORT DATA_DIR WORK_DIR
// Exits 77 (skipped) when no Chromium is installed.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { SKIPPED, exportQuiz, findChromium, launch } from "./web_game_lib.mjs";

const executable = findChromium();
if (!executable) {
  console.log("no Chromium installed: skipped");
  process.exit(SKIPPED);
}
const [exporter, dataDir, workDir] = process.argv.slice(2);
if (!exporter || !dataDir || !workDir) {
  console.error("usage: web_game_test.mjs VIRETA_EXPORT DATA_DIR WORK_DIR");
  process.exit(2);
}
const require = createRequire(import.meta.url);
const { chromium } = require("playwright-core");
const axeSource = readFileSync(require.resolve("axe-core/axe.min.js"), "utf8");

// The playable questions of xogo.xml, in table order ("Con orde" is set): the right
// answer, the messages shown and the sounds played for a right and a wrong answer.
const XOGO = [
  { text: "Cal é o río máis longo de Galicia?", right: "Miño", answers: 4,
    ok: "Certo: o Miño.", ko: "Non: é o Miño.", picture: "mapa.png", sound: "pregunta.wav",
    link: "https://gl.wikipedia.org/wiki/Mi%C3%B1o" },
  { text: "Onde desemboca o Ulla?", right: "Na ría de Arousa", answers: 3,
    ok: "Correcto!", ko: "Incorrecto." },
  { text: "Que río pasa por Ourense?", right: "Miño", answers: 2, ok: "Si!", ko: "Non." },
  { text: "Cal é afluente do Miño?", right: "Sil", answers: 4, ok: "Ben.", ko: "Mal.",
    sound: "pregunta.wav", link: "rios.html" },
];

// A quiz of 16 questions, "Pregunta k" with the answers "Correcta k" and "Errada k",
// whose pass mark is `passMark`; its end sounds are xogo.xml's.
function sixteen(passMark) {
  let questions = "";
  for (let k = 1; k <= 16; k++) {
    questions += `<pregunta><enunciado>Pregunta ${k}</enunciado><resposta>Correcta ${k}</resposta>` +
                 `<resposta>Errada ${k}</resposta></pregunta>`;
  }
  return `<?xml version="1.0" encoding="UTF-8"?><xogo version="1.0" aprobado="${passMark}">` +
    "<titulo>Dezaseis</titulo><orde>1</orde><ben son=\"final-ben.wav\">Aprobado.</ben>" +
    `<mal son="final-mal.wav">Suspenso.</mal><preguntas>${questions}</preguntas></xogo>`;
}
const SIXTEEN = Array.from({ length: 16 }, (_, i) => ({ text: `Pregunta ${i + 1}`, right: `Correcta ${i + 1}`, answers: 2 }));

let browser;
const pages = {};

before(async () => {
  rmSync(workDir, { recursive: true, force: true });
  for (const d of ["web", "single", "nomedia"]) mkdirSync(path.join(workDir, d), { recursive: true });
  const quiz = (name) => path.join(dataDir, name);
  exportQuiz(exporter, ["-f", "web", "-o", path.join(workDir, "web", "xogo"), "--copy", quiz("xogo.xml")]);
  // The command line's pass mark in place of the quiz's 50: 2 of 4 right is under it.
  exportQuiz(exporter, ["-f", "web", "-o", path.join(workDir, "web", "xogo-75"), "--pass-mark", "75", quiz("xogo.xml")]);
  // Quizzes with a pass mark of their own, beside the end sounds copied above.
  for (const mark of [60, 63]) {
    const file = path.join(workDir, "web", `dezaseis-${mark}.xml`);
    writeFileSync(file, sixteen(mark));
    exportQuiz(exporter, ["-f", "web", "-o", path.join(workDir, "web", `dezaseis-${mark}`), file]);
    pages[`sixteen${mark}`] = pathToFileURL(path.join(workDir, "web", `dezaseis-${mark}.html`)).href;
  }
  exportQuiz(exporter, ["-f", "web", "-o", path.join(workDir, "web", "marcado"), "--copy", quiz("marcado.xml")]);
  exportQuiz(exporter, ["-f", "web", "-o", path.join(workDir, "single", "xogo"), "--single-file", quiz("xogo.xml")]);
  exportQuiz(exporter, ["-f", "web", "-o", path.join(workDir, "nomedia", "xogo"), quiz("xogo.xml")]);
  pages.xogo = pathToFileURL(path.join(workDir, "web", "xogo.html")).href;
  pages.xogo75 = pathToFileURL(path.join(workDir, "web", "xogo-75.html")).href;
  pages.marcado = pathToFileURL(path.join(workDir, "web", "marcado.html")).href;
  pages.single = pathToFileURL(path.join(workDir, "single", "xogo.html")).href;
  pages.nomedia = pathToFileURL(path.join(workDir, "nomedia", "xogo.html")).href;
  exportQuiz(exporter, ["-f", "web", "-o", path.join(workDir, "web", "kinds"), "--copy", quiz("kinds.xml")]);
  pages.kinds = pathToFileURL(path.join(workDir, "web", "kinds.html")).href;
  const timed = path.join(workDir, "web", "kinds-tempo.xml"); // with half a minute to play
  writeFileSync(timed, readFileSync(quiz("kinds.xml"), "utf8").replace("<tempo></tempo>", "<tempo>30</tempo>"));
  exportQuiz(exporter, ["-f", "web", "-o", path.join(workDir, "web", "kinds-tempo"), timed]);
  pages.kindsTimed = pathToFileURL(path.join(workDir, "web", "kinds-tempo.html")).href;
  browser = await launch(chromium, executable);
});

after(async () => {
  if (browser) await browser.close();
});

// A page that records the sounds it plays (their bare names, or "data:TYPE" for an
// embedded one), every request, console error and uncaught error.
async function open(url, { width = 1280, realSound = false, clock = false } = {}) {
  const context = await browser.newContext({ viewport: { width, height: 900 }, reducedMotion: "reduce" });
  const page = await context.newPage();
  const log = { requests: [], errors: [] };
  page.on("request", (r) => log.requests.push(r.url()));
  page.on("console", (m) => { if (m.type() === "error") log.errors.push(m.text()); });
  page.on("pageerror", (e) => log.errors.push(String(e)));
  page.on("dialog", (d) => { log.errors.push("dialog: " + d.message()); d.dismiss(); });
  if (!realSound) {
    await page.addInitScript(() => {
      window.__played = [];
      HTMLMediaElement.prototype.play = function () {
        const src = this.src;
        window.__played.push(src.startsWith("data:") ? src.slice(0, src.indexOf(";"))
                                                     : decodeURIComponent(src.split("/").pop()));
        return Promise.resolve();
      };
    });
  }
  if (clock) await page.clock.install();
  await page.goto(url);
  page.log = log;
  page.played = () => page.evaluate(() => window.__played.splice(0));
  page.focused = () => page.evaluate(() => document.activeElement.textContent.trim());
  return page;
}

function clean(page) {
  assert.deepEqual(page.log.errors, [], "console errors");
  const foreign = page.log.requests.filter((u) => !u.startsWith("file:") && !u.startsWith("data:"));
  assert.deepEqual(foreign, [], "requests other than file:");
}

// Tab until the named button has the focus, then Enter.
async function pressButton(page, name) {
  for (let i = 0; i < 12; i++) {
    if ((await page.focused()) === name) {
      await page.keyboard.press("Enter");
      return;
    }
    await page.keyboard.press("Tab");
  }
  assert.fail(`"${name}" never got the focus`);
}

async function answerTexts(page) {
  return page.$$eval(".resposta .texto", (spans) => spans.map((s) => s.textContent));
}

// Plays the current question with key 1..4: the right answer, or the first wrong one.
async function answerByKey(page, q, right) {
  const texts = await answerTexts(page);
  assert.equal(texts.length, q.answers, q.text);
  const index = right ? texts.indexOf(q.right) : texts.findIndex((t) => t !== q.right);
  assert.ok(index >= 0, `answer of "${q.text}"`);
  await page.keyboard.press(String(index + 1));
}

async function endScreen(page) {
  return page.evaluate(() => ({
    heading: document.activeElement.textContent,
    score: document.querySelector(".puntuacion").textContent,
    message: [...document.querySelectorAll(".pantalla > p.mensaxe")].map((p) => p.textContent),
    review: [...document.querySelectorAll(".revision li")].map((li) =>
      [...li.querySelectorAll("p")].map((p) => p.textContent)),
    live: document.getElementById("aviso").textContent,
  }));
}

describe("the web game", () => {
  test("played all right with the keyboard alone", async () => {
    const page = await open(pages.xogo + "#seed=1");
    await pressButton(page, "Escoitar a introdución");
    assert.deepEqual(await page.played(), ["intro.wav"]);
    await pressButton(page, "Comezar");
    for (const [i, q] of XOGO.entries()) {
      const screen = await page.evaluate(() => ({
        status: [...document.querySelectorAll(".estado p")].map((p) => p.textContent),
        focused: document.activeElement.id,
        statement: document.getElementById("enunciado").textContent,
        picture: document.querySelector("img.imaxe")?.getAttribute("src") ?? null,
        link: (() => {
          const a = document.querySelector(".pantalla a");
          return a && [a.getAttribute("href"), a.target, a.rel, a.textContent];
        })(),
        group: document.querySelector(".respostas").getAttribute("role"),
      }));
      assert.equal(screen.status[0], `Pregunta ${i + 1} de 4`);
      assert.equal(screen.status[1], `Correctas: ${i}`);
      assert.match(screen.status[2], /^Tempo: [12]:\d\d$/);
      assert.equal(screen.focused, "enunciado", "the statement has the focus");
      assert.equal(screen.statement, q.text);
      assert.equal(screen.picture, q.picture ?? null);
      assert.deepEqual(screen.link, q.link ? [q.link, "_blank", "noopener", "Máis información"] : null);
      assert.equal(screen.group, "group");
      if (q.sound) {
        await pressButton(page, "Escoitar");
        assert.deepEqual(await page.played(), [q.sound]);
        await page.keyboard.press("Shift+Tab"); // back before the answers
      }
      await answerByKey(page, q, true);
      const feedback = await page.evaluate(() => ({
        message: document.querySelector(".info .mensaxe").textContent,
        live: document.getElementById("aviso").textContent,
        right: document.querySelector(".resposta.correcta .texto").textContent,
        disabled: [...document.querySelectorAll(".resposta")].every((b) => b.disabled),
      }));
      assert.equal(feedback.message, "✓ " + q.ok);
      assert.equal(feedback.live, "✓ " + q.ok);
      assert.equal(feedback.right, q.right);
      assert.ok(feedback.disabled);
      assert.deepEqual(await page.played(), ["ben.wav"]);
      assert.equal(await page.focused(), "Seguinte");
      await page.keyboard.press("Enter");
    }
    const end = await endScreen(page);
    assert.equal(end.heading, "Resultado");
    assert.equal(end.score, "4 de 4 correctas (100 %)");
    assert.deepEqual(end.message, ["Moi ben, todo correcto!"]);
    assert.equal(end.live, "4 de 4 correctas (100 %)");
    assert.deepEqual(end.review, XOGO.map((q) => [q.text, "✓ A túa resposta: " + q.right]));
    assert.deepEqual(await page.played(), ["final-ben.wav"]);
    clean(page);
    await page.context().close();
  });

  test("played partly right: the wrong answers are marked, the game ended badly", async () => {
    const page = await open(pages.xogo75 + "#seed=2");
    await page.getByRole("button", { name: "Comezar" }).click();
    const played = [];
    for (const [i, q] of XOGO.entries()) {
      const right = i % 2 === 1;
      await answerByKey(page, q, right);
      const marks = await page.$$eval(".resposta .marca", (m) => m.map((e) => e.textContent));
      const info = await page.$$eval(".info p", (p) => p.map((e) => e.textContent));
      if (right) {
        assert.deepEqual(marks, ["✓ Correcta"]);
        assert.deepEqual(info, ["✓ " + q.ok]);
      } else {
        assert.deepEqual(marks.sort(), ["✓ A resposta correcta", "✗ A túa resposta"].sort());
        assert.deepEqual(info, ["✗ " + q.ko, "A resposta correcta: " + q.right]);
      }
      played.push(...(await page.played()));
      await page.getByRole("button", { name: "Seguinte" }).click();
    }
    assert.deepEqual(played, ["mal.wav", "ben.wav", "mal.wav", "ben.wav"]);
    const end = await endScreen(page);
    assert.equal(end.score, "2 de 4 correctas (50 %)");
    assert.deepEqual(end.message, ["Volve tentalo."]);
    assert.equal(end.review[0][0], XOGO[0].text);
    assert.match(end.review[0][1], /^✗ A túa resposta: /);
    assert.equal(end.review[0][2], "Resposta correcta: Miño");
    assert.deepEqual(end.review[1], [XOGO[1].text, "✓ A túa resposta: Na ría de Arousa"]);
    assert.deepEqual(await page.played(), ["final-mal.wav"]);

    // "Xogar de novo" above the list and below it: a new game from the first
    // question, score back to zero.
    const again = page.getByRole("button", { name: "Xogar de novo" });
    assert.equal(await again.count(), 2);
    assert.deepEqual(await page.evaluate(() => {
      const list = document.querySelector(".revision");
      return [...document.querySelectorAll(".pantalla button")].map((b) =>
        b.compareDocumentPosition(list) & Node.DOCUMENT_POSITION_FOLLOWING ? "above" : "below");
    }), ["above", "below"]);
    await again.first().click();
    assert.equal(await page.locator(".estado p").first().textContent(), "Pregunta 1 de 4");
    assert.equal(await page.locator("#puntos").textContent(), "Correctas: 0");
    clean(page);
    await page.context().close();
  });

  // [pass mark, right answers of 16, score shown, end]: the percentage shown decides,
  // so 10 of 16 (62.5 %, shown as 63 %) reaches a pass mark of 63.
  for (const [mark, right, score, well] of [
    [60, 10, "10 de 16 correctas (63 %)", true],  // just over the mark
    [60, 9, "9 de 16 correctas (56 %)", false],   // just under it
    [63, 10, "10 de 16 correctas (63 %)", true],  // on it
  ]) {
    test(`${right} of 16 right against the quiz's pass mark of ${mark}: ended ${well ? "well" : "badly"}`, async () => {
      const page = await open(pages[`sixteen${mark}`] + "#seed=11");
      await page.getByRole("button", { name: "Comezar" }).click();
      for (const [i, q] of SIXTEEN.entries()) {
        await answerByKey(page, q, i < right);
        await page.keyboard.press("Enter");
      }
      const end = await endScreen(page);
      assert.equal(end.score, score);
      assert.deepEqual(end.message, [well ? "Aprobado." : "Suspenso."]);
      assert.equal(end.review.length, 16);
      assert.deepEqual(end.review[15], ["Pregunta 16", "✗ A túa resposta: Errada 16", "Resposta correcta: Correcta 16"]);
      assert.deepEqual((await page.played()).slice(-1), [well ? "final-ben.wav" : "final-mal.wav"]);
      // The numbers of the list, "16." the widest, fit in its left margin.
      const room = await page.evaluate(() => {
        const list = document.querySelector(".revision");
        const probe = list.lastElementChild.appendChild(document.createElement("span"));
        probe.style.whiteSpace = "pre";
        probe.textContent = list.children.length + ". ";
        const width = probe.getBoundingClientRect().width;
        probe.remove();
        return parseFloat(getComputedStyle(list).paddingLeft) - width;
      });
      assert.ok(room >= 0, `the numbers stand ${-room} px out of the list`);
      clean(page);
      await page.context().close();
    });
  }

  test("timed out: the questions not answered count as wrong", async () => {
    const page = await open(pages.xogo + "#seed=3", { clock: true });
    await page.getByRole("button", { name: "Comezar" }).click();
    await answerByKey(page, XOGO[0], true);
    await page.keyboard.press("Enter");
    await page.clock.runFor(60_000);
    assert.equal(await page.locator("#reloxo").textContent(), "Tempo: 1:00");
    await page.clock.runFor(61_000);
    const end = await endScreen(page);
    assert.equal(end.score, "1 de 4 correctas (25 %)");
    assert.deepEqual(await page.$$eval(".pantalla > p.mensaxe", (p) => p.map((e) => e.textContent)),
                     ["Acabou o tempo.", "Volve tentalo."]);
    assert.equal(end.live, "Acabou o tempo. 1 de 4 correctas (25 %)");
    assert.deepEqual(end.review.slice(1).map((r) => r[1]), Array(3).fill("✗ A túa resposta: sen resposta"));
    // Keys do nothing once the game is over.
    await page.keyboard.press("1");
    assert.equal((await endScreen(page)).score, "1 de 4 correctas (25 %)");
    clean(page);
    await page.context().close();
  });

  test("#seed fixes the shuffles of questions and answers", async () => {
    const orderFor = async (seed) => {
      const page = await open(pages.marcado + "#seed=" + seed);
      await page.getByRole("button", { name: "Comezar" }).click();
      const order = [];
      for (let i = 0; i < 3; i++) {
        order.push([await page.locator("#enunciado").textContent(), ...(await answerTexts(page))]);
        await page.keyboard.press("1");
        await page.keyboard.press("Enter");
      }
      await page.context().close();
      return JSON.stringify(order);
    };
    const first = await orderFor(7);
    assert.equal(await orderFor(7), first);
    const others = new Set();
    for (const seed of [8, 9, 10, 11]) others.add(await orderFor(seed));
    others.add(first);
    assert.ok(others.size > 1, "different seeds give different orders");
  });

  test("markup and </script> in every text neither break the page nor run", async () => {
    const page = await open(pages.marcado + "#seed=4");
    const check = async () => page.evaluate(() => ({
      pwned: window.pwned,
      images: document.querySelectorAll("img").length,
      scripts: document.scripts.length,
      tags: [...document.querySelectorAll("#xogo *")].map((e) => e.localName)
        .filter((n) => !/^(h1|h2|h3|section|div|p|button|span|b|i|br|ol|li|a)$/.test(n)),
      bold: [...document.querySelectorAll("#xogo b")].map((b) => b.textContent),
    }));
    await page.getByRole("button", { name: "Axuda" }).click();
    let seen = await check();
    assert.equal(await page.locator("h1").textContent(),
                 "Título negra cursiva<img src=x onerror=alert(1)> </script><script>window.pwned=1</script> &amp; \u2028");
    assert.equal(await page.locator("#axuda").isVisible(), true);
    assert.equal(await page.title(), await page.locator("h1").evaluate(() => document.title));
    for (let i = 0; i < 3; i++) {
      if (i === 0) await page.getByRole("button", { name: "Comezar" }).click();
      await page.keyboard.press("2");
      const info = await page.locator(".info .mensaxe").textContent();
      assert.match(info, /^(✓ Ben|✗ Mal) \d negra cursiva<img src=x onerror=alert\(1\)> <\/script><script>window.pwned=1<\/script> &amp; \u2028$|^(✓ Correcto!|✗ Incorrecto\.)$/);
      seen = await check();
      assert.equal(seen.pwned, undefined);
      assert.equal(seen.images, 0);
      assert.equal(seen.scripts, 2);
      assert.deepEqual(seen.tags, []);
      await page.keyboard.press("Enter");
    }
    seen = await check();
    assert.ok(seen.bold.length >= 6 && seen.bold.every((b) => b === "negra"), "inline tags take effect");
    assert.match((await endScreen(page)).score, /^[0-3] de 3 correctas \(\d+ %\)$/);
    clean(page);
    await page.context().close();
  });

  test("the single-file page needs no file beside it", async () => {
    assert.deepEqual(readdirSync(path.join(workDir, "single")), ["xogo.html"]);
    const page = await open(pages.single + "#seed=5");
    await page.getByRole("button", { name: "Escoitar a introdución" }).click();
    await page.getByRole("button", { name: "Comezar" }).click();
    assert.match(await page.locator("img.imaxe").getAttribute("src"), /^data:image\/png;base64,iVBORw0KGgo/);
    assert.equal(await page.locator("img.imaxe").evaluate((img) => img.naturalWidth), 160);
    await page.keyboard.press("1");
    assert.deepEqual(await page.played(), ["data:audio/wav", "data:audio/wav"]);
    clean(page);
    await page.context().close();
  });

  test("missing sounds never stop the game", async () => {
    const page = await open(pages.nomedia + "#seed=6", { realSound: true });
    await page.getByRole("button", { name: "Escoitar a introdución" }).click();
    await page.getByRole("button", { name: "Comezar" }).click();
    for (const q of XOGO) {
      await answerByKey(page, q, true);
      await page.keyboard.press("Enter");
    }
    assert.equal((await endScreen(page)).score, "4 de 4 correctas (100 %)");
    assert.ok(page.log.errors.every((e) => /ERR_FILE_NOT_FOUND/.test(e)), page.log.errors.join("\n"));
    await page.context().close();
  });

  for (const width of [1280, 320]) {
    test(`axe-core finds no WCAG 2.1 A/AA violation at ${width} px`, async () => {
      const page = await open(pages.xogo + "#seed=7", { width });
      const audit = async (name) => {
        await page.evaluate(axeSource);
        const result = await page.evaluate(() => window.axe.run(document, {
          runOnly: { type: "tag", values: ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa"] },
        }));
        const found = result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(" ")}`);
        assert.deepEqual(found, [], `${name} screen at ${width} px`);
        const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
        assert.ok(overflow <= 0, `${name} screen scrolls sideways at ${width} px`);
      };
      await page.getByRole("button", { name: "Axuda" }).click();
      const gap = await page.evaluate(() =>
        document.getElementById("axuda").getBoundingClientRect().top -
        document.querySelector("[aria-controls=axuda]").getBoundingClientRect().bottom);
      assert.ok(gap >= 8, `the help text stands ${gap} px under its button`);
      await audit("start");
      await page.getByRole("button", { name: "Comezar" }).click();
      await audit("question");
      await answerByKey(page, XOGO[0], false);
      await audit("feedback (wrong)");
      await page.keyboard.press("Enter");
      await answerByKey(page, XOGO[1], true);
      await audit("feedback (right)");
      await page.keyboard.press("Enter");
      for (const q of XOGO.slice(2)) {
        await answerByKey(page, q, false);
        await page.keyboard.press("Enter");
      }
      await audit("end");
      clean(page);
      await page.context().close();
    });
  }
});

// kinds.xml in table order ("Con orde" is set): a question of each kind, with the
// answers' own messages.
const SEVERAL = { text: "Cales son ríos galegos?", right: ["Miño", "Ulla"], ok: "Ben visto.", ko: "Repasa o mapa.",
                  notes: { Miño: "Si: nace en Meira.", Mondego: "Non: é portugués.", Douro: "Non: nace en Soria." } };
const TRUE_FALSE = { text: "O Miño nace en Ourense.", right: "Falso",
                     notes: { Falso: "Certo: nace en Meira, en Lugo.", Verdadeiro: "Non: nace en Lugo." } };
const TYPED = { text: "Que cidade ten a Torre de Hércules?", right: "A Coruña", ok: "Moi ben!" };
const ONE = { text: "Cal é o río máis longo?", right: "Miño", notes: { Miño: "Si: 340 km.", Sil: "O Sil é afluente do Miño." } };

// The question on screen: each answer with its mark, its own message, its tick, and
// whether it can still be used; the feedback's lines, the live region and the buttons.
async function shown(page) {
  return page.evaluate(() => ({
    statement: document.getElementById("enunciado").textContent,
    answers: [...document.querySelectorAll(".resposta")].map((r) => {
      const box = r.querySelector("input");
      return { text: r.querySelector(".texto").textContent, mark: r.querySelector(".marca")?.textContent ?? null,
               note: r.querySelector(".retro")?.textContent ?? null, ticked: box ? box.checked : null,
               off: (box || r).disabled };
    }),
    info: [...document.querySelectorAll(".info p")].map((p) => p.textContent),
    live: document.getElementById("aviso").textContent,
    buttons: [...document.querySelectorAll(".pantalla button")].map((b) => b.textContent),
  }));
}

// Ticks or chooses the named answers with the keys 1-4.
async function pressAnswers(page, names) {
  const texts = await answerTexts(page);
  for (const name of names) {
    assert.ok(texts.includes(name), name);
    await page.keyboard.press(String(texts.indexOf(name) + 1));
  }
}

// Tab until the short answer's box has the focus.
async function tabToBox(page) {
  for (let i = 0; i < 6 && (await page.evaluate(() => document.activeElement.id)) !== "escrita"; i++)
    await page.keyboard.press("Tab");
  assert.equal(await page.evaluate(() => document.activeElement.id), "escrita");
}

// Plays kinds.xml's first question with the named ticks and "Comprobar" by Enter, the
// true or false one right, and stops at the short answer.
async function toTyped(page, ticks = SEVERAL.right) {
  await page.getByRole("button", { name: "Comezar" }).click();
  await pressAnswers(page, ticks);
  await page.keyboard.press("Enter");
  await page.keyboard.press("Enter");
  await pressAnswers(page, [TRUE_FALSE.right]);
  await page.keyboard.press("Enter");
  assert.equal(await page.locator("#enunciado").textContent(), TYPED.text);
}

describe("every kind of question", () => {
  test("played all right with the keyboard alone", async () => {
    const page = await open(pages.kinds + "#seed=1");
    await pressButton(page, "Comezar");

    // Several answers: ticks, none of them the answer until "Comprobar".
    let q = await shown(page);
    assert.equal(q.statement, SEVERAL.text);
    assert.equal(await page.getByRole("checkbox").count(), 4);
    assert.deepEqual(q.buttons, ["Comprobar"]);
    await page.keyboard.press("Enter"); // nothing ticked: no answer yet
    q = await shown(page);
    assert.deepEqual(q.info, ["Marca polo menos unha resposta."]);
    assert.equal(q.live, "Marca polo menos unha resposta.");
    assert.ok(q.answers.every((a) => !a.off && !a.ticked));
    await page.keyboard.press("Tab"); // the first box, ticked and unticked by Space
    await page.keyboard.press("Space");
    assert.equal((await shown(page)).answers[0].ticked, true);
    await page.keyboard.press("Space");
    await pressAnswers(page, [...SEVERAL.right, "Mondego", "Mondego"]); // a key ticks and unticks
    q = await shown(page);
    assert.deepEqual(q.answers.filter((a) => a.ticked).map((a) => a.text).sort(), [...SEVERAL.right].sort());
    const severalOrder = q.answers.map((a) => a.text);
    await page.keyboard.press("Enter");
    q = await shown(page);
    assert.deepEqual(q.answers.map((a) => [a.text, a.mark, a.note, a.ticked, a.off]), severalOrder.map((t) =>
      SEVERAL.right.includes(t) ? [t, "✓ Correcta", SEVERAL.notes[t] ?? null, true, true] : [t, null, null, false, true]));
    assert.deepEqual(q.info, ["✓ " + SEVERAL.ok]);
    assert.equal(q.live, "✓ Ben visto. Si: nace en Meira.");
    assert.equal(await page.locator("#puntos").textContent(), "Correctas: 1");
    assert.deepEqual(await page.played(), ["ben.wav"]);
    assert.equal(await page.focused(), "Seguinte");
    await page.keyboard.press("Enter");

    // True or false: "Verdadeiro", "Falso" in that order, chosen by its key.
    q = await shown(page);
    assert.deepEqual(q.answers.map((a) => a.text), ["Verdadeiro", "Falso"]);
    assert.equal(await page.getByRole("checkbox").count(), 0);
    await page.keyboard.press("2");
    q = await shown(page);
    assert.deepEqual(q.answers.map((a) => [a.mark, a.note]), [[null, null], ["✓ Correcta", TRUE_FALSE.notes.Falso]]);
    assert.deepEqual(q.info, ["✓ Correcto!"]);
    assert.equal(q.live, "✓ Correcto! " + TRUE_FALSE.notes.Falso);
    await page.keyboard.press("Enter");

    // A short answer: typed in its box, digits too, and checked by Enter.
    q = await shown(page);
    assert.deepEqual([q.statement, q.answers, q.buttons], [TYPED.text, [], ["Comprobar"]]);
    assert.equal(await page.getByRole("textbox", { name: "A túa resposta" }).count(), 1);
    await page.keyboard.press("Enter"); // nothing typed: no answer yet
    assert.deepEqual((await shown(page)).info, ["Escribe a túa resposta."]);
    await tabToBox(page);
    await page.keyboard.type("  a   CORUÑA 1");
    await page.keyboard.press("Backspace");
    await page.keyboard.press("Enter");
    q = await shown(page);
    assert.deepEqual(q.info, ["✓ " + TYPED.ok]);
    assert.equal(q.live, "✓ " + TYPED.ok);
    assert.deepEqual(await page.locator("#escrita").evaluate((b) => [b.value, b.readOnly]), ["  a   CORUÑA ", true]);
    assert.equal(await page.focused(), "Seguinte");
    await page.keyboard.press("Enter");

    // One answer with messages of its own.
    await pressAnswers(page, [ONE.right]);
    q = await shown(page);
    assert.deepEqual(q.answers.filter((a) => a.note).map((a) => [a.text, a.note]), [["Miño", ONE.notes.Miño]]);
    await page.keyboard.press("Enter");

    const end = await endScreen(page);
    assert.equal(end.score, "4 de 4 correctas (100 %)");
    assert.deepEqual(end.review, [
      [SEVERAL.text, "✓ As túas respostas: " + severalOrder.filter((t) => SEVERAL.right.includes(t)).join("; ")],
      [TRUE_FALSE.text, "✓ A túa resposta: Falso"],
      [TYPED.text, "✓ A túa resposta:   a   CORUÑA "],
      [ONE.text, "✓ A túa resposta: Miño"],
    ]);
    clean(page);
    await page.context().close();
  });

  test("played all wrong with the mouse: the marks, the ticked answers' messages, the right ones", async () => {
    const page = await open(pages.kinds + "#seed=2");
    await page.getByRole("button", { name: "Comezar" }).click();
    const ticked = ["Miño", "Mondego"];
    for (const name of ticked) await page.locator(".resposta", { hasText: name }).click();
    await page.getByRole("button", { name: "Comprobar" }).click();
    let q = await shown(page);
    const severalOrder = q.answers.map((a) => a.text);
    const marks = { Miño: "✓ Correcta", Ulla: "✓ Correcta, sen marcar", Mondego: "✗ Non é correcta", Douro: null };
    assert.deepEqual(q.answers.map((a) => [a.text, a.mark, a.note, a.ticked]), severalOrder.map((t) =>
      [t, marks[t], ticked.includes(t) ? SEVERAL.notes[t] : null, ticked.includes(t)]));
    const rightShown = severalOrder.filter((t) => SEVERAL.right.includes(t)).join("; ");
    assert.deepEqual(q.info, ["✗ " + SEVERAL.ko, "As respostas correctas: " + rightShown]);
    assert.deepEqual(await page.played(), ["mal.wav"]);
    await page.getByRole("button", { name: "Seguinte" }).click();

    await page.getByRole("button", { name: /Verdadeiro/ }).click();
    q = await shown(page);
    assert.deepEqual(q.answers.map((a) => [a.text, a.mark, a.note]),
                     [["Verdadeiro", "✗ A túa resposta", TRUE_FALSE.notes.Verdadeiro], ["Falso", "✓ A resposta correcta", null]]);
    assert.deepEqual(q.info, ["✗ Incorrecto.", "A resposta correcta: Falso"]);
    await page.getByRole("button", { name: "Seguinte" }).click();

    await page.getByRole("button", { name: "Comprobar" }).click();
    assert.deepEqual((await shown(page)).info, ["Escribe a túa resposta."]);
    await page.getByRole("textbox", { name: "A túa resposta" }).fill("Coruna"); // accents count
    await page.getByRole("button", { name: "Comprobar" }).click();
    q = await shown(page);
    assert.deepEqual(q.info, ["✗ Incorrecto.", "A resposta correcta: A Coruña"]);
    assert.deepEqual(q.buttons, ["Seguinte"]);
    await page.getByRole("button", { name: "Seguinte" }).click();

    await page.getByRole("button", { name: /Sil/ }).click();
    q = await shown(page);
    assert.deepEqual(q.answers.filter((a) => a.note).map((a) => [a.text, a.note]), [["Sil", ONE.notes.Sil]]);
    await page.getByRole("button", { name: "Seguinte" }).click();

    const end = await endScreen(page);
    assert.equal(end.score, "0 de 4 correctas (0 %)");
    assert.deepEqual(end.review, [
      [SEVERAL.text, "✗ As túas respostas: " + severalOrder.filter((t) => ticked.includes(t)).join("; "),
       "Respostas correctas: " + rightShown],
      [TRUE_FALSE.text, "✗ A túa resposta: Verdadeiro", "Resposta correcta: Falso"],
      [TYPED.text, "✗ A túa resposta: Coruna", "Resposta correcta: A Coruña"],
      [ONE.text, "✗ A túa resposta: Sil", "Resposta correcta: Miño"],
    ]);
    clean(page);
    await page.context().close();
  });

  test("several answers are right only when exactly the right ones are ticked", async () => {
    for (const [ticks, right] of [
      [["Miño", "Ulla"], true],
      [["Ulla", "Miño"], true],
      [["Miño"], false],                    // too few
      [["Miño", "Ulla", "Douro"], false],   // too many
      [["Mondego", "Douro"], false],
    ]) {
      const page = await open(pages.kinds + "#seed=3");
      await page.getByRole("button", { name: "Comezar" }).click();
      await pressAnswers(page, ticks);
      await page.keyboard.press("Enter");
      const q = await shown(page);
      assert.equal(q.info[0], right ? "✓ " + SEVERAL.ok : "✗ " + SEVERAL.ko, ticks.join(", "));
      assert.equal(await page.locator("#puntos").textContent(), `Correctas: ${right ? 1 : 0}`);
      // Each ticked answer's own message, markup taking effect, and none of the others'.
      assert.deepEqual(q.answers.filter((a) => a.note).map((a) => a.text).sort(),
                       ticks.filter((t) => SEVERAL.notes[t]).sort());
      if (ticks.includes("Douro")) assert.equal(await page.locator(".retro b").textContent(), "Soria");
      await page.context().close();
    }
  });

  test("a short answer is right when it equals an accepted one, ignoring case and blanks", async () => {
    for (const [typed, right] of [
      ["A Coruña", true],
      ["coruña", true],                  // the second accepted answer
      ["  A   CORUÑA\t", true],
      ["a\u00a0coruña", true],
      ["A Corun\u0303a", true],           // the same letters, composed otherwise
      ["A Coruna", false],               // accents count
      ["ACoruña", false],
      ["A Coruña.", false],
      ["Coruña A", false],
    ]) {
      const page = await open(pages.kinds + "#seed=4");
      await toTyped(page);
      await page.locator("#escrita").fill(typed);
      await page.keyboard.press("Enter");
      assert.equal((await shown(page)).info[0], right ? "✓ " + TYPED.ok : "✗ Incorrecto.", JSON.stringify(typed));
      assert.equal(await page.locator("#puntos").textContent(), `Correctas: ${right ? 3 : 2}`);
      await page.context().close();
    }
  });

  test("time running out leaves ticks and a typed text unanswered", async () => {
    let page = await open(pages.kindsTimed + "#seed=5", { clock: true });
    await page.getByRole("button", { name: "Comezar" }).click();
    await pressAnswers(page, SEVERAL.right); // ticked, never checked
    await page.clock.runFor(31_000);
    let end = await endScreen(page);
    assert.equal(end.score, "0 de 4 correctas (0 %)");
    assert.deepEqual(end.review.map((r) => r[1]), Array(4).fill("✗ A túa resposta: sen resposta"));
    await page.keyboard.press("Enter"); // keys do nothing once the game is over
    assert.equal((await endScreen(page)).score, "0 de 4 correctas (0 %)");
    clean(page);
    await page.context().close();

    page = await open(pages.kindsTimed + "#seed=5", { clock: true });
    await toTyped(page);
    await page.locator("#escrita").fill(TYPED.right); // typed, never checked
    await page.clock.runFor(31_000);
    end = await endScreen(page);
    assert.equal(end.score, "2 de 4 correctas (50 %)");
    assert.deepEqual(end.review.slice(2), [[TYPED.text, "✗ A túa resposta: sen resposta", "Resposta correcta: A Coruña"],
                                           [ONE.text, "✗ A túa resposta: sen resposta", "Resposta correcta: Miño"]]);
    clean(page);
    await page.context().close();
  });

  for (const width of [1280, 320]) {
    test(`axe-core finds no WCAG 2.1 A/AA violation on any kind at ${width} px`, async () => {
      const page = await open(pages.kinds + "#seed=6", { width });
      const audit = async (name) => {
        await page.evaluate(axeSource);
        const result = await page.evaluate(() => window.axe.run(document, {
          runOnly: { type: "tag", values: ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa"] },
        }));
        const found = result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(" ")}`);
        assert.deepEqual(found, [], `${name} screen at ${width} px`);
        const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
        assert.ok(overflow <= 0, `${name} screen scrolls sideways at ${width} px`);
      };
      await page.getByRole("button", { name: "Comezar" }).click();
      await audit("several answers");
      await page.keyboard.press("Enter");
      await audit("several answers, nothing ticked");
      await pressAnswers(page, ["Miño", "Mondego", "Douro"]);
      await page.keyboard.press("Enter");
      await audit("several answers, feedback");
      await page.keyboard.press("Enter");
      await page.keyboard.press("1");
      await audit("true or false, feedback");
      await page.keyboard.press("Enter");
      await audit("short answer");
      await page.locator("#escrita").fill("Lugo");
      await page.keyboard.press("Enter");
      await audit("short answer, feedback");
      await page.keyboard.press("Enter");
      await pressAnswers(page, ["Sil"]);
      await audit("one answer, feedback");
      await page.keyboard.press("Enter");
      await audit("end");
      clean(page);
      await page.context().close();
    });
  }
});

describe("the plain web game and a platform", () => {
  test("the plain web page leaves a platform's API alone", async () => {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.addInitScript(() => {
      window.calls = [];
      window.API = new Proxy({}, { get: (t, n) => (...a) => { window.calls.push(n); return "true"; } });
    });
    await page.goto(pages.xogo + "#seed=9");
    await page.getByRole("button", { name: "Comezar" }).click();
    assert.deepEqual(await page.evaluate(() => window.calls), []);
    await context.close();
  });
});
