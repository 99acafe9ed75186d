#!/usr/bin/env python3
"""Loads the self-marking pages in headless Chromium, chooses answers, presses the
marking button and checks the message the page shows.

The pages are the expected files of the exporter tests (which check the writer
against them byte for byte). A small script appended to a copy of each page
replaces alert() with a recorder, plays the scenarios and writes the messages into
the DOM, which Chromium then dumps.

Usage: marking_page_test.py DATA_DIR
Exits 77 (skipped) when no Chromium is installed.
"""
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77

UNANSWERED = "Debes contestar t\u00f3dalas preguntas."


def result(message, total, correct):
    per = "NaN" if total == 0 else str(int(correct * 100 / total + 0.5))
    return (message + "\n N\u00famero de preguntas : " + str(total) +
            "\n Correctas : " + str(correct) + " \n Porcentaxe : " + per + " %")


ACCENTS_WELL = "\u00a1Perfecto! Dixo: \"sen erros\" \\o/\nAt\u00e9 logo\u2026"
ACCENTS_BAD = "Mal: \u03c0 </SCRIPT> <!--"

# For each page: the button's caption, then scenarios, each one choice per question in
# page order ("right": the option of value 1, "wrong": the first other answer, "none":
# the empty option) and the message the button must show.
PAGES = {
    "marking_accents_utf8.html": ("", [
        (["right", "right"], result(ACCENTS_WELL, 2, 2)),
        (["wrong", "right"], result(ACCENTS_BAD, 2, 1)),
        (["right", "none"], UNANSWERED),
        (["none", "none"], UNANSWERED),
    ]),
    "marking_accents_cp1252.html": ("", [
        (["right", "right"], result(ACCENTS_WELL, 2, 2)),
        (["right", "wrong"], result(ACCENTS_BAD, 2, 1)),
        (["wrong", "wrong"], result(ACCENTS_BAD, 2, 0)),
        (["none", "right"], UNANSWERED),
    ]),
    # Five questions, the second without answers: the page can never be marked.
    "marking_mixed_shuffled.html": ("", [
        (["right"] * 5, UNANSWERED),
        (["wrong"] * 5, UNANSWERED),
    ]),
    # A double quote in the caption stays inside the caption.
    "marking_mixed_settings.html": ("Corrixir \"agora\"", [
        (["right", "none", "right", "wrong", "right"], UNANSWERED),
    ]),
    # No questions: the button reports the well-ended message with 0 of 0.
    "marking_new.html": ("", [
        ([], result("", 0, 0)),
    ]),
}

PLAYER = """
<script>
(function () {
  var messages = [];
  window.alert = function (m) { messages.push(String(m)); };
  window.onerror = function (m) { messages.push("ERROR: " + m); };
  var scenarios = %s;
  var selects = document.querySelectorAll("select[name=answer]");
  var button = document.querySelector("input[name=Button]");
  var report = [];
  for (var s = 0; s < scenarios.length; s++) {
    var choices = scenarios[s];
    if (choices.length !== selects.length) {
      report.push("page has " + selects.length + " questions, scenario " + choices.length);
      continue;
    }
    for (var q = 0; q < selects.length; q++) {
      var sel = selects[q], want = "0";
      for (var o = 0; o < sel.options.length; o++) {
        var v = sel.options[o].value;
        if (choices[q] === "right" && v === "1") { want = v; break; }
        if (choices[q] === "wrong" && v !== "0" && v !== "1") { want = v; break; }
      }
      sel.value = want;
    }
    messages = [];
    button.click();
    report.push(messages.length === 1 ? messages[0] : "MESSAGES: " + JSON.stringify(messages));
  }
  var pre = document.createElement("pre");
  pre.id = "vireta-result";
  pre.textContent = JSON.stringify({button: button.value, messages: report});
  document.body.appendChild(pre);
})();
</script>
"""


def find_chromium():
    override = os.environ.get("VIRETA_CHROMIUM")
    if override:
        return override
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    return None


def run_page(chromium, page_path, scenarios, workdir):
    with open(page_path, "rb") as f:
        page = f.read()
    player = PLAYER % json.dumps([choices for choices, _ in scenarios])
    wrapped = os.path.join(workdir, os.path.basename(page_path))
    with open(wrapped, "wb") as f:
        f.write(page + player.encode("ascii"))
    profile = tempfile.mkdtemp(prefix="profile-", dir=workdir)
    cmd = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           "--user-data-dir=" + profile, "--dump-dom", "file://" + wrapped]
    proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    dom = proc.stdout.decode("utf-8", errors="replace")
    found = re.search(r'<pre id="vireta-result">(.*?)</pre>', dom, re.S)
    if not found:
        tail = proc.stderr.decode("utf-8", errors="replace")[-2000:]
        return None, "no result in the dumped page (exit %d)\n%s" % (proc.returncode, tail)
    return json.loads(html.unescape(found.group(1))), None


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    data_dir = sys.argv[1]
    chromium = find_chromium()
    if not chromium:
        print("chromium is not installed: skipped")
        return SKIPPED
    failures = 0
    with tempfile.TemporaryDirectory(prefix="vireta-browser-") as workdir:
        for name, (caption, scenarios) in PAGES.items():
            shown, error = run_page(chromium, os.path.join(data_dir, name), scenarios, workdir)
            if error:
                print("FAIL %s: %s" % (name, error))
                failures += 1
                continue
            if shown["button"] != caption:
                print("FAIL %s: button caption %r" % (name, shown["button"]))
                failures += 1
            shown = shown["messages"]
            for (choices, expected), actual in zip(scenarios, shown):
                if actual != expected:
                    print("FAIL %s %s:\n  expected %r\n  shown    %r" % (name, choices, expected, actual))
                    failures += 1
                else:
                    print("ok   %s %s" % (name, choices))
            if len(shown) != len(scenarios):
                print("FAIL %s: %d results for %d scenarios" % (name, len(shown), len(scenarios)))
                failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
