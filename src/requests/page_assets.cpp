// The singers' page: one HTML file, its style and its script, all built in. The script puts every
// text from the server on the page as text (textContent), never as markup.

#include "requests/request_server.h"

namespace lyrovox {

namespace {

constexpr char kPage[] = R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="dark">
<title>Lyrovox song requests</title>
<link rel="stylesheet" href="/app.css">
<script src="/app.js" defer></script>
</head>
<body>
<header><h1>Lyrovox</h1><span id="who"></span></header>
<main>
<section id="join" hidden>
  <h2>Join the singers</h2>
  <form id="join-form" autocomplete="off">
    <label for="name">Your name</label>
    <input id="name" name="name" maxlength="32" required autocomplete="nickname">
    <label for="room">Room code (on the screen)</label>
    <input id="room" name="room" inputmode="numeric" pattern="[0-9]{4}" maxlength="4" required>
    <button type="submit" id="join-button">Join</button>
  </form>
  <p id="join-error" class="error" role="alert"></p>
</section>
<section id="app" hidden>
  <div class="card">
    <h2>Now singing</h2>
    <p id="now" class="now">Nothing yet</p>
    <h2>Next turns</h2>
    <ol id="next"></ol>
  </div>
  <div class="card">
    <h2>My requests</h2>
    <ul id="mine"></ul>
    <p id="mine-empty" class="quiet">Nothing asked for yet: search below.</p>
  </div>
  <div class="card">
    <h2>Find a song</h2>
    <form id="search-form" autocomplete="off">
      <input id="query" type="search" placeholder="Title or number" maxlength="100"
             enterkeyhint="search">
      <button type="submit" id="search-button">Search</button>
    </form>
    <p id="message" class="error" role="alert"></p>
    <p id="count" class="quiet"></p>
    <ul id="results"></ul>
    <div class="pager">
      <button type="button" id="prev" hidden>Previous</button>
      <button type="button" id="more" hidden>More</button>
    </div>
  </div>
</section>
</main>
</body>
</html>
)HTML";

constexpr char kStyle[] = R"CSS(:root { color-scheme: dark; }
* { box-sizing: border-box; }
body { margin: 0; background: #0b0b12; color: #e8e8f0;
  font: 18px/1.4 system-ui, -apple-system, "Segoe UI", Roboto, sans-serif; }
header { display: flex; justify-content: space-between; align-items: baseline;
  padding: 12px 16px; background: #16162a; position: sticky; top: 0; }
h1 { font-size: 22px; margin: 0; color: #f7a600; }
h2 { font-size: 16px; margin: 8px 0; color: #9da3c7; text-transform: uppercase;
  letter-spacing: .05em; }
main { padding: 8px 12px 40px; max-width: 640px; margin: 0 auto; }
.card { background: #15151f; border-radius: 14px; padding: 8px 14px 14px; margin: 12px 0; }
label { display: block; margin: 14px 0 6px; }
input { width: 100%; font-size: 20px; padding: 12px; border-radius: 10px;
  border: 1px solid #3a3a55; background: #0f0f18; color: #fff; }
button { font-size: 18px; min-height: 48px; min-width: 48px; padding: 8px 16px;
  border-radius: 10px; border: 0; background: #f7a600; color: #111; font-weight: 600; }
button.secondary { background: #33334d; color: #eee; }
#join-form button, #search-form button { width: 100%; margin-top: 12px; }
ul, ol { list-style: none; padding: 0; margin: 0; }
li { display: flex; align-items: center; gap: 10px; padding: 10px 0;
  border-bottom: 1px solid #25253a; min-height: 56px; }
li .text { flex: 1; overflow-wrap: anywhere; }
li .sub { display: block; font-size: 15px; color: #9da3c7; }
.now { font-size: 20px; color: #fff; margin: 4px 0 8px; }
.error { color: #ff7b7b; min-height: 1.2em; }
.quiet { color: #9da3c7; }
.pager { display: flex; justify-content: space-between; margin-top: 10px; }
#who { color: #9da3c7; font-size: 15px; }
)CSS";

constexpr char kScript[] = R"JS('use strict';
(function () {
  const $ = (id) => document.getElementById(id);
  let token = sessionStorage.getItem('lyrovox-token') || '';
  let query = '';
  let page = 0;
  let poll = null;
  let events = null;

  function say(id, text) { $(id).textContent = text || ''; }

  function item(text, sub, button) {
    const li = document.createElement('li');
    const span = document.createElement('span');
    span.className = 'text';
    span.textContent = text;
    if (sub) {
      const small = document.createElement('span');
      small.className = 'sub';
      small.textContent = sub;
      span.appendChild(small);
    }
    li.appendChild(span);
    if (button) li.appendChild(button);
    return li;
  }

  function titleOf(t) {
    const i = t.indexOf(' - ');
    return i >= 6 ? t.substring(i + 3) : t;
  }

  async function call(method, path, params) {
    const body = params ? new URLSearchParams(params).toString() : null;
    const response = await fetch(path + (method === 'GET' && body ? '?' + body : ''), {
      method: method,
      headers: Object.assign({ 'X-Lyrovox-Token': token },
        method === 'POST' ? { 'Content-Type': 'application/x-www-form-urlencoded' } : {}),
      body: method === 'POST' ? body : undefined,
      cache: 'no-store'
    });
    let data = {};
    try { data = await response.json(); } catch (e) { data = {}; }
    if (response.status === 401) { showJoin(data.error); throw new Error('join'); }
    if (!response.ok) throw new Error(data.error || 'The request failed.');
    return data;
  }

  function showJoin(error) {
    token = '';
    sessionStorage.removeItem('lyrovox-token');
    if (events) { events.close(); events = null; }
    if (poll) { clearInterval(poll); poll = null; }
    $('app').hidden = true;
    $('join').hidden = false;
    $('name').value = localStorage.getItem('lyrovox-name') || '';
    say('join-error', error);
    say('who', '');
  }

  function render(state) {
    say('who', state.name || '');
    say('now', state.now ? titleOf(state.now.title) + ' \u2014 ' + state.now.singer : 'Nothing yet');
    const next = $('next');
    next.replaceChildren();
    state.next.forEach((e, i) => next.appendChild(
      item(titleOf(e.title), (i + 1) + '. ' + e.singer + (e.paused ? ' (paused)' : ''))));
    const mine = $('mine');
    mine.replaceChildren();
    state.mine.forEach((e) => {
      const cancel = document.createElement('button');
      cancel.className = 'secondary';
      cancel.textContent = 'Cancel';
      cancel.addEventListener('click', () => {
        call('POST', '/api/cancel', { entry: e.entry }).then(refresh, (err) => say('message', err.message));
      });
      const where = e.position === 0 ? 'Being added\u2026'
        : e.paused ? 'Paused by the host'
        : 'Turn ' + e.position + ' \u00b7 about ' + e.waitMinutes + ' min';
      const li = item(e.title ? titleOf(e.title) : 'Your song', where, cancel);
      li.className = 'mine';
      mine.appendChild(li);
    });
    $('mine-empty').hidden = state.mine.length > 0;
    if (!state.accepting) say('message', 'The host is not taking requests right now.');
  }

  function refresh() { return call('GET', '/api/state').then(render, () => {}); }

  function listen() {
    if (events) events.close();
    events = new EventSource('/api/events?token=' + encodeURIComponent(token));
    events.onmessage = (m) => { try { render(JSON.parse(m.data)); } catch (e) { } };
    events.onerror = () => {
      // The server may refuse more pages: ask now and then instead (never more than every 10 s).
      if (!poll) poll = setInterval(refresh, 10000);
    };
    events.onopen = () => { if (poll) { clearInterval(poll); poll = null; } };
  }

  function showApp() {
    $('join').hidden = true;
    $('app').hidden = false;
    refresh();
    listen();
  }

  async function search() {
    say('message', '');
    if (!query) { $('results').replaceChildren(); say('count', ''); return; }
    let data;
    try { data = await call('GET', '/api/search', { q: query, page: page }); }
    catch (err) { say('message', err.message); return; }
    const results = $('results');
    results.replaceChildren();
    data.songs.forEach((s) => {
      const ask = document.createElement('button');
      ask.textContent = 'Request';
      ask.addEventListener('click', async () => {
        ask.disabled = true;
        try {
          await call('POST', '/api/request', { id: s.id });
          say('message', '');
          ask.textContent = 'Asked';
          refresh();
        } catch (err) { say('message', err.message); ask.disabled = false; }
      });
      const number = s.number ? String(s.number).padStart(6, '0') : '';
      const li = item(titleOf(s.title), number, ask);
      li.className = 'result';
      results.appendChild(li);
    });
    const first = data.page * data.pageSize;
    say('count', data.total === 0 ? 'No song found.'
      : 'Songs ' + (first + 1) + '\u2013' + (first + data.songs.length) + ' of ' + data.total);
    $('prev').hidden = data.page === 0;
    $('more').hidden = first + data.songs.length >= data.total;
  }

  document.addEventListener('DOMContentLoaded', () => {
    $('join-form').addEventListener('submit', async (ev) => {
      ev.preventDefault();
      const name = $('name').value.trim();
      try {
        const response = await fetch('/api/join', {
          method: 'POST',
          headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
          body: new URLSearchParams({ name: name, room: $('room').value.trim() }).toString()
        });
        const data = await response.json();
        if (!response.ok) { say('join-error', data.error); return; }
        token = data.token;
        sessionStorage.setItem('lyrovox-token', token);
        localStorage.setItem('lyrovox-name', name);
        say('join-error', '');
        showApp();
      } catch (err) { say('join-error', 'The karaoke computer did not answer.'); }
    });
    $('search-form').addEventListener('submit', (ev) => {
      ev.preventDefault();
      query = $('query').value.trim();
      page = 0;
      search();
    });
    $('more').addEventListener('click', () => { page += 1; search(); });
    $('prev').addEventListener('click', () => { page = Math.max(0, page - 1); search(); });
    if (token) showApp(); else showJoin('');
  });
})();
)JS";

}  // namespace

const std::vector<RequestAsset>& RequestAssets() {
  static const std::vector<RequestAsset> assets = {
      {"/", "text/html; charset=utf-8", kPage},
      {"/app.css", "text/css; charset=utf-8", kStyle},
      {"/app.js", "text/javascript; charset=utf-8", kScript},
  };
  return assets;
}

}  // namespace lyrovox
