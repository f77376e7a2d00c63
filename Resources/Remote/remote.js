// The remote's page: the open board's sounds as buttons that play on the
// computer, kept up to date by the computer's event stream (no polling).
"use strict";

const board = document.getElementById("board");
const title = document.getElementById("title");
const statusLine = document.getElementById("status");
const volume = document.getElementById("volume");
const search = document.getElementById("search");
const buttons = new Map(); // audio number -> its buttons
let playing = new Set();
let matches = null; // null: every sound shows
let searchSerial = 0;

function post(path) {
  return fetch(path, { method: "POST", credentials: "same-origin" }).then((answer) => {
    if (answer.status === 401 || answer.status === 403) {
      statusLine.textContent = "Not paired any more: scan the code in Soundboard again.";
    }
    return answer;
  }).catch(() => { statusLine.textContent = "The computer does not answer."; });
}

function markPlaying(button, on) {
  button.classList.toggle("playing", on);
  button.querySelector(".visually-hidden").textContent = on ? ", playing" : "";
}

function showBoard(data) {
  title.textContent = data.title || "Soundboard";
  document.title = (data.title || "Soundboard") + " remote";
  buttons.clear();
  const sections = [];
  data.categories.forEach((category, section) => {
    const part = document.createElement("section");
    const heading = document.createElement("h2");
    heading.id = "category-" + section;
    heading.textContent = category.title || "Sounds";
    part.setAttribute("aria-labelledby", heading.id);
    const grid = document.createElement("div");
    grid.className = "grid";
    category.sounds.forEach((sound) => {
      if (!sound.number) return;
      const button = document.createElement("button");
      button.type = "button";
      button.className = "sound";
      button.dataset.number = sound.number;
      button.append(sound.label || sound.number);
      const state = document.createElement("span");
      state.className = "visually-hidden";
      button.append(state);
      button.addEventListener("click", () => {
        post("/api/play?sound=" + encodeURIComponent(sound.number));
      });
      markPlaying(button, playing.has(sound.number));
      if (!buttons.has(sound.number)) buttons.set(sound.number, []);
      buttons.get(sound.number).push(button);
      grid.append(button);
    });
    part.append(heading, grid);
    sections.push(part);
  });
  board.replaceChildren(...sections);
  applySearch();
}

function showState(data) {
  const now = new Set(data.playing);
  for (const [number, list] of buttons) {
    for (const button of list) markPlaying(button, now.has(number));
  }
  playing = now;
  if (document.activeElement !== volume) volume.value = data.volume;
}

function applySearch() {
  for (const part of board.children) {
    let shown = 0;
    for (const button of part.querySelectorAll(".sound")) {
      const show = matches === null || matches.has(button.dataset.number);
      button.classList.toggle("hidden", !show);
      if (show) shown += 1;
    }
    part.classList.toggle("hidden", shown === 0);
  }
}

search.addEventListener("input", () => {
  const query = search.value;
  const serial = ++searchSerial;
  if (query.trim() === "") {
    matches = null;
    applySearch();
    return;
  }
  // The computer folds case and accents exactly as its Find Sound does.
  fetch("/api/search?q=" + encodeURIComponent(query), { credentials: "same-origin" })
    .then((answer) => answer.ok ? answer.json() : [])
    .then((found) => {
      if (serial !== searchSerial) return;
      matches = new Set(found);
      applySearch();
    })
    .catch(() => {});
});

document.getElementById("stop").addEventListener("click", () => post("/api/stop"));
volume.addEventListener("change", () => post("/api/volume?percent=" + volume.value));

function listen() {
  const events = new EventSource("/api/events");
  events.addEventListener("board", (event) => showBoard(JSON.parse(event.data)));
  events.addEventListener("state", (event) => showState(JSON.parse(event.data)));
  events.addEventListener("open", () => { statusLine.textContent = ""; });
  events.addEventListener("error", () => {
    statusLine.textContent = "Connecting to the computer…";
  });
}

listen();
