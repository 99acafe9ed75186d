// Shared pieces of the web game's browser scripts: finding and launching the
// system Chromium (never a downloaded one), and exporting quizzes with vireta-export.
import { execFileSync } from "node:child_process";
import { existsSync } from "node:fs";

export const SKIPPED = 77;

export function findChromium() {
  const candidates = [process.env.VIRETA_CHROMIUM, "/usr/bin/chromium", "/usr/bin/chromium-browser"];
  return candidates.find((c) => c && existsSync(c)) || null;
}

export async function launch(chromium, executablePath) {
  return chromium.launch({
    executablePath,
    headless: true,
    args: [
      "--no-sandbox", "--disable-gpu", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--no-first-run",
      "--autoplay-policy=no-user-gesture-required",
    ],
  });
}

// Runs vireta-export with the given arguments; throws with its messages on failure.
export function exportQuiz(exporter, args) {
  try {
    return execFileSync(exporter, args, { encoding: "utf8", stdio: ["ignore", "pipe", "pipe"] });
  } catch (e) {
    throw new Error(`vireta-export ${args.join(" ")} failed (${e.status}): ${e.stderr}`);
  }
}
