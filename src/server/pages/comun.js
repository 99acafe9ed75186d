// What the two pages of the classroom game share: elements built with every text from
// the quiz or a player as text, never as markup; the live region; the answers' shapes,
// the same on the projector and on the phones.
"use strict";
const xogo = Object.freeze({
  SHAPES: Object.freeze(["▲", "◆", "●", "■"]),

  el(tag, props, ...children) {
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(props || {})) {
      if (v == null || v === false) continue;
      if (k === "class") e.className = v;
      else if (k.startsWith("on")) e.addEventListener(k.slice(2), v);
      else if (v === true) e.setAttribute(k, "");
      else e.setAttribute(k, String(v));
    }
    for (const c of children) if (c != null) e.append(c);
    return e;
  },

  // Says `text` in the live region, even when it is the same as the last time.
  announce(live, text) {
    live.textContent = "";
    setTimeout(() => { live.textContent = text; }, 60);
  },
});
