// Pictures of the classroom game in the system Chromium: the projector at 1920 x 1080
// (lobby, question, question closed, results) and a phone at 390 x 844 (question,
// result), with five students playing the first question of the example quiz (copied
// to a folder of its own, where the results file goes); and the two the README shows,
// classroom-presenter.png (1280 wide) and classroom-phone.png.
// Usage: node tests/browser/classroom_screenshot.mjs VIRETA_CLASE OUT_DIR
import { cpSync, mkdirSync, mkdtempSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { startGame, stopGame } from "./classroom_lib.mjs";
import { findChromium, launch } from "./web_game_lib.mjs";

const [clase, out] = process.argv.slice(2);
if (!clase || !out) {
  console.error("usage: classroom_screenshot.mjs VIRETA_CLASE OUT_DIR");
  process.exit(2);
}
mkdirSync(out, { recursive: true });
const require = createRequire(import.meta.url);
const { chromium } = require("playwright-core");
const work = mkdtempSync(path.join(os.tmpdir(), "vireta-clase-shot-"));
cpSync(fileURLToPath(new URL("../../examples/xeografia-galicia", import.meta.url)), work, { recursive: true });
const game = await startGame(clase, path.join(work, "xeografia.xml"), ["--time", "30"]);
const browser = await launch(chromium, findChromium());
const shot = (page, name) => page.screenshot({ path: path.join(out, name) });
try {
  const projector = await browser.newPage({ viewport: { width: 1920, height: 1080 }, reducedMotion: "reduce" });
  await projector.goto(game.presenter);
  const names = ["Uxía", "Brais", "Antía", "Iago", "Noa"];
  const phones = [];
  for (const name of names) {
    const phone = await browser.newPage({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 2,
                                          isMobile: true, hasTouch: true, reducedMotion: "reduce" });
    await phone.goto(`${game.student}?codigo=${game.code}`);
    await phone.getByLabel("O teu nome").fill(name);
    await phone.getByRole("button", { name: "Entrar" }).click();
    await phone.getByRole("heading", { name: "Agarda polo profesor…" }).waitFor();
    phones.push(phone);
  }
  await projector.locator("main").getByText("5 xogadores").waitFor();
  await projector.locator(".qr img").evaluate((img) => img.decode());
  await shot(projector, "presenter-lobby.png");

  await projector.getByRole("button", { name: "Comezar" }).click();
  await projector.locator("img.imaxe").evaluate((img) => img.decode());
  for (const phone of phones) await phone.locator("img.imaxe").evaluate((img) => img.decode());
  await phones[0].getByRole("button", { name: "Ulla" }).click();
  await phones[0].getByRole("heading", { name: "Resposta enviada" }).waitFor();
  await phones[2].getByRole("button", { name: "Miño" }).click();
  await projector.locator("main").getByText("2 de 5 responderon").waitFor();
  await projector.waitForTimeout(1200); // the countdown moves on from its first second
  await shot(projector, "presenter-question.png");
  await shot(phones[1], "phone-question.png");
  const small = await browser.newPage({ viewport: { width: 1920, height: 1080 }, deviceScaleFactor: 2 / 3, reducedMotion: "reduce" });
  await small.goto(game.presenter);
  await small.locator("img.imaxe").evaluate((img) => img.decode());
  await small.locator("main").getByText("2 de 5 responderon").waitFor();
  await small.screenshot({ path: path.join(out, "classroom-presenter.png") });
  await small.close();
  await shot(phones[1], "classroom-phone.png");

  await phones[1].getByRole("button", { name: "Miño" }).click();
  await phones[3].getByRole("button", { name: "Sil" }).click();
  await projector.locator("main").getByText("4 de 5 responderon").waitFor();
  await projector.getByRole("button", { name: "Pechar pregunta" }).click();
  await projector.locator("main").getByText("(correcta)").waitFor();
  await shot(projector, "presenter-closed.png");
  await phones[1].getByRole("heading", { name: "Correcto" }).waitFor();
  await shot(phones[1], "phone-result.png");
  await shot(phones[0], "phone-result-wrong.png");

  await projector.getByRole("button", { name: "Rematar" }).click();
  await projector.getByRole("button", { name: "Si, rematar" }).click();
  await projector.getByRole("heading", { name: "Resultados finais" }).waitFor();
  await shot(projector, "presenter-final.png");
  await phones[1].getByRole("heading", { name: "Fin do xogo" }).waitFor();
  await shot(phones[1], "phone-final.png");
} finally {
  await browser.close();
  console.log(`vireta-clase: ${await stopGame(game)}`);
  rmSync(work, { recursive: true, force: true });
}
