// The README's picture of the web game: the example quiz exported with its media,
// its first question answered wrongly, in the system Chromium.
// Usage: node tests/browser/web_game_screenshot.mjs VIRETA_EXPORT EXAMPLE_QUIZ OUT.png
import { mkdtempSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { exportQuiz, findChromium, launch } from "./web_game_lib.mjs";

const [exporter, quiz, out] = process.argv.slice(2);
const require = createRequire(import.meta.url);
const { chromium } = require("playwright-core");
const work = mkdtempSync(path.join(os.tmpdir(), "vireta-shot-"));
exportQuiz(exporter, ["-f", "web", "-o", path.join(work, "xogo"), "--copy", quiz]);
const browser = await launch(chromium, findChromium());
const page = await browser.newPage({ viewport: { width: 760, height: 760 }, reducedMotion: "reduce" });
await page.addInitScript(() => { HTMLMediaElement.prototype.play = () => Promise.resolve(); });
await page.goto(pathToFileURL(path.join(work, "xogo.html")).href + "#seed=2");
await page.getByRole("button", { name: "Comezar" }).click();
await page.keyboard.press("1");
await page.locator("img.imaxe").evaluate((img) => img.decode());
await page.screenshot({ path: out, fullPage: true });
await browser.close();
rmSync(work, { recursive: true, force: true });
