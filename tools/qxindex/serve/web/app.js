// The page of `qxindex serve`. The server paints the chart and the tools with the
// same painter as `qxindex draw`; this page only lays the pictures on top of each
// other, turns mouse and keys into API requests and shows the editor.
'use strict';

const $ = (id) => document.getElementById(id);

const state = {
  session: null,
  view: null,
  layout: null,
  tools: [],
  selectedId: null,
  placing: null,        // {kind, id} while a tool is being placed
  gesture: null,        // {type: 'pan'|'drag', ...} while the mouse is held
  lastError: null,
};

// ---- requests ------------------------------------------------------------
// One request at a time, in order: a mouse down must reach a tool before the
// drags that follow it. A queued request that has not started yet is replaced by
// a newer one of the same key (moves, drags and views), so a fast mouse does not
// build up a backlog; `merge` keeps what the newer one must carry over.
const queue = [];
let busy = false;

function enqueue(key, make, merge) {
  const last = queue[queue.length - 1];
  if (key && last && last.key === key) {
    if (merge) last.payload = merge(last.payload, make.payload);
    else last.payload = make.payload;
    return last.promise;
  }
  const task = { key, run: make.run, payload: make.payload };
  task.promise = new Promise((resolve) => { task.resolve = resolve; });
  queue.push(task);
  pump();
  return task.promise;
}

async function pump() {
  if (busy) return;
  busy = true;
  while (queue.length) {
    const task = queue.shift();
    let result = null;
    try {
      result = await task.run(task.payload);
    } catch (e) {
      showStatus(String(e.message || e));
    }
    task.resolve(result);
  }
  busy = false;
}

async function api(method, path, body) {
  const options = { method, headers: {} };
  if (body !== undefined) {
    options.headers['Content-Type'] = 'application/json';
    options.body = JSON.stringify(body);
  }
  const response = await fetch(path, options);
  const answer = await response.json().catch(() => ({ error: 'unreadable answer' }));
  if (!response.ok) {
    showStatus(`${response.status}: ${answer.error || 'request refused'}`);
    return null;
  }
  return answer;
}

function request(method, path, body, key, merge) {
  return enqueue(key, { run: (payload) => api(method, path, payload), payload: body }, merge);
}

function showStatus(text) {
  $('status').textContent = text || '';
}

// ---- applying answers ----------------------------------------------------
function applyAnswer(answer) {
  if (!answer) return;
  if (answer.view) state.view = answer.view;
  if (answer.chart) {
    state.layout = answer.chart.layout;
    $('chart-layer').innerHTML = answer.chart.svg;
    const handles = $('handles-layer');
    handles.setAttribute('width', state.layout.width);
    handles.setAttribute('height', state.layout.height);
  }
  if (answer.tools) applyTools(answer.tools);
  if ('formula' in answer) showFormula(answer.formula);
  if (answer.calculated) {
    const c = answer.calculated;
    $('chart-box').dataset.calculated = `${c.first},${c.last}`;
  }
}

function applyTools(tools) {
  $('tools-layer').innerHTML = tools.svg;
  state.tools = tools.list;
  if (state.selectedId !== null && !state.tools.some((t) => t.id === state.selectedId)) {
    state.selectedId = null;
  }
  renderToolList();
  renderHandles();
}

function renderToolList() {
  const list = $('tool-list');
  list.textContent = '';
  for (const tool of state.tools) {
    const item = document.createElement('li');
    item.dataset.id = tool.id;
    item.classList.toggle('selected', tool.id === state.selectedId);
    const chip = document.createElement('span');
    chip.className = 'chip';
    chip.style.background = tool.lineColor;
    const name = document.createElement('span');
    name.className = 'name';
    const kind = state.session.palette.find((p) => p.kind === tool.kind);
    name.textContent = `#${tool.id} ${kind ? kind.label : tool.name}` +
      (tool.complete ? '' : ` (${tool.points.length}/${tool.needPoints})`);
    const remove = document.createElement('button');
    remove.type = 'button';
    remove.textContent = '×';
    remove.title = 'Delete';
    remove.addEventListener('click', (e) => { e.stopPropagation(); deleteTool(tool.id); });
    item.append(chip, name, remove);
    item.addEventListener('click', () => { state.selectedId = tool.id; renderToolList(); renderHandles(); });
    list.append(item);
  }
}

function renderHandles() {
  const svg = $('handles-layer');
  svg.textContent = '';
  const tool = state.tools.find((t) => t.id === state.selectedId);
  if (!tool) return;
  for (const p of tool.pixels) {
    if (!p) continue;
    const r = document.createElementNS('http://www.w3.org/2000/svg', 'rect');
    r.setAttribute('x', p.x - 4);
    r.setAttribute('y', p.y - 4);
    r.setAttribute('width', 8);
    r.setAttribute('height', 8);
    svg.append(r);
  }
}

// ---- the view ------------------------------------------------------------
function canvasSize() {
  const box = $('chart-box');
  const limits = state.session.limits;
  return {
    width: Math.max(limits.minWidth, Math.min(limits.maxWidth, Math.floor(box.clientWidth))),
    height: Math.max(limits.minHeight, Math.min(limits.maxHeight, Math.floor(box.clientHeight))),
  };
}

// The view brought inside what the server takes: enough bars, not too far
// beyond the data.
function clampView(from, to) {
  const limits = state.session.limits;
  const last = state.session.bars.count - 1;
  let span = Math.round(to - from + 1);
  span = Math.max(limits.minBars, Math.min(limits.maxBars, span));
  from = Math.round(from);
  from = Math.max(-limits.barsBeyond, Math.min(from, last + limits.barsBeyond - span + 1));
  return { from, to: from + span - 1 };
}

function requestView(from, to) {
  const range = clampView(from, to);
  const size = canvasSize();
  const body = { from: range.from, to: range.to, width: size.width, height: size.height,
    magnet: $('magnet').checked };
  // The page shows the new range at once; the answer brings the picture.
  state.view = Object.assign({}, state.view, body);
  return request('POST', '/api/view', body, 'view').then(applyAnswer);
}

function pixelsPerBar() {
  const price = state.layout.price;
  return price.plot.width / (price.lastBar - price.firstBar + 1);
}

function barAt(x) {
  const price = state.layout.price;
  return price.firstBar + (x - price.plot.left) / pixelsPerBar() - 0.5;
}

function priceAt(y) {
  const price = state.layout.price;
  return price.max - (y - price.plot.top) * (price.max - price.min) / price.plot.height;
}

function inPricePlot(p) {
  const plot = state.layout.price.plot;
  return p.x >= plot.left && p.x <= plot.left + plot.width && p.y >= plot.top && p.y <= plot.top + plot.height;
}

function pan(bars) {
  requestView(state.view.from + bars, state.view.to + bars);
}

function zoom(factor, centreBar) {
  const { from, to } = state.view;
  const centre = centreBar === undefined ? (from + to) / 2 : centreBar;
  const newFrom = centre - (centre - from) * factor;
  const newTo = centre + (to - centre) * factor;
  requestView(newFrom, newTo);
}

// ---- the formula ---------------------------------------------------------
const DEFAULT_FORMULA = 'DIF:EMA(CLOSE,SHORT)-EMA(CLOSE,LONG);\nDEA:EMA(DIF,MID);\nMACD:(DIF-DEA)*2,COLORSTICK;\n';
const DEFAULT_PARAMS = [['SHORT', 12], ['LONG', 26], ['MID', 9]];

function addParamRow(name, value) {
  const row = document.createElement('div');
  row.className = 'param';
  const nameInput = document.createElement('input');
  nameInput.className = 'name';
  nameInput.placeholder = 'NAME';
  nameInput.value = name || '';
  const valueInput = document.createElement('input');
  valueInput.className = 'value';
  valueInput.type = 'number';
  valueInput.step = 'any';
  valueInput.value = value === undefined ? '' : value;
  const remove = document.createElement('button');
  remove.type = 'button';
  remove.textContent = '×';
  remove.title = 'Remove the parameter';
  remove.addEventListener('click', () => { row.remove(); scheduleApply(); });
  for (const input of [nameInput, valueInput]) input.addEventListener('input', scheduleApply);
  row.append(nameInput, valueInput, remove);
  $('params').append(row);
}

function readParams() {
  const params = [];
  for (const row of $('params').querySelectorAll('.param')) {
    const name = row.querySelector('.name').value.trim();
    const value = parseFloat(row.querySelector('.value').value);
    if (name && Number.isFinite(value)) params.push({ name, value });
  }
  return params;
}

let applyTimer = null;
function scheduleApply() {
  if (!$('auto-apply').checked) return;
  clearTimeout(applyTimer);
  applyTimer = setTimeout(applyFormula, 600);
}

async function applyFormula() {
  clearTimeout(applyTimer);
  const text = $('formula-text').value;
  const body = { text, params: readParams(), overlay: $('overlay').checked };
  const answer = await request('POST', '/api/formula', body, 'formula');
  if (!answer) return;
  if (answer.ok === false) {
    showError(answer.error, text);
    return;
  }
  clearError();
  applyAnswer(answer);
}

function showFormula(formula) {
  const outputs = $('outputs');
  outputs.textContent = '';
  const status = $('formula-status');
  if (!formula) {
    status.textContent = 'No formula drawn.';
    return;
  }
  status.textContent = `Drawn: ${formula.outputs.length} output line(s)` +
    (formula.params.length ? `, parameters ${formula.params.map((p) => `${p.name}=${p.value}`).join(', ')}` : '');
  for (const line of formula.outputs) {
    if (!line.name || line.hidden) continue;
    const item = document.createElement('li');
    const chip = document.createElement('span');
    chip.className = 'chip';
    chip.style.background = line.paint;
    item.append(chip, document.createTextNode(line.name));
    outputs.append(item);
  }
}

// What each parse error means, for the codes that come without a text of their own.
const ERROR_MEANINGS = {
  10: 'a brace, an operator character or a comma out of place',
  11: 'unknown name',
  12: 'an operator pair that is no operator, or a misplaced ")"',
  13: 'an operator at the end of a statement',
  14: '":" or ":=" without a new name in front',
  15: '"&" or "|" not doubled',
  16: 'too many numbers and parameters',
  17: 'a defined name longer than 32 characters',
  18: 'too many variables',
  19: 'too many output lines',
  21: 'unbalanced parentheses, a function without "(", or an unterminated string',
  22: 'wrong number of arguments, or a missing operand',
  23: 'a missing operator between operands',
  24: 'a keyword or a name defined earlier used as a new name',
  26: 'empty formula',
  27: 'the formula could not be compiled',
  28: 'the statement refers to the name it defines',
};

function escapeHtml(text) {
  return text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' }[c]));
}

// The message sits under the faulty character; the character is marked in the
// backdrop behind the transparent text area.
function showError(error, text) {
  state.lastError = { error, text };
  const status = $('formula-status');
  status.className = 'error';
  const where = `line ${error.editorLine + 1}, column ${error.editorColumn + 1}`;
  status.textContent = `Error ${error.code} at ${where}; the formula drawn before stays.`;
  const box = $('error-inline');
  const meaning = error.text || ERROR_MEANINGS[error.code] || '';
  box.textContent = `Error ${error.code} (${where})${meaning ? ': ' + meaning : ''}`;
  box.title = `The library reports code ${error.code}, line ${error.line}, column ${error.column}, position ${error.position}`;
  box.dataset.code = error.code;
  box.dataset.line = error.editorLine;
  box.dataset.column = error.editorColumn;
  box.hidden = false;
  const lines = text.split('\n');
  const line = Math.min(error.editorLine, lines.length - 1);
  const column = Math.min(error.editorColumn, lines[line].length);
  const before = lines.slice(0, line).join('\n') + (line > 0 ? '\n' : '');
  const lineText = lines[line];
  const marked = lineText.slice(column, column + 1) || ' ';
  $('backdrop').innerHTML = escapeHtml(before + lineText.slice(0, column)) +
    `<mark id="error-mark">${escapeHtml(marked)}</mark>` +
    escapeHtml(lineText.slice(column + 1) + (line + 1 < lines.length ? '\n' + lines.slice(line + 1).join('\n') : ''));
  renderGutter();
  positionError();
}

function clearError() {
  state.lastError = null;
  $('formula-status').className = '';
  $('error-inline').hidden = true;
  $('backdrop').textContent = '';
  renderGutter();
}

function positionError() {
  if (!state.lastError) return;
  const mark = $('error-mark');
  const body = $('editor-body');
  const box = $('error-inline');
  if (!mark) return;
  const bodyRect = body.getBoundingClientRect();
  const markRect = mark.getBoundingClientRect();
  const left = Math.max(4, Math.min(markRect.left - bodyRect.left - 6, bodyRect.width - box.offsetWidth - 4));
  box.style.left = `${left}px`;
  box.style.top = `${markRect.bottom - bodyRect.top + 5}px`;
  box.style.setProperty('--arrow', `${Math.max(2, markRect.left - bodyRect.left - left)}px`);
}

function renderGutter() {
  const count = $('formula-text').value.split('\n').length;
  const gutter = $('gutter');
  gutter.textContent = '';
  const errorLine = state.lastError ? state.lastError.error.editorLine : -1;
  for (let i = 0; i < count; i++) {
    const n = document.createElement('div');
    n.textContent = String(i + 1);
    if (i === errorLine) n.className = 'error-line';
    gutter.append(n);
  }
  syncScroll();
}

function syncScroll() {
  const text = $('formula-text');
  $('backdrop').scrollTop = text.scrollTop;
  $('backdrop').scrollLeft = text.scrollLeft;
  $('gutter').scrollTop = text.scrollTop;
  positionError();
}

// ---- tools ---------------------------------------------------------------
function currentStyle() {
  return {
    lineColor: $('line-color').value,
    lineWidth: parseInt($('line-width').value, 10),
    label: $('label-text').value.slice(0, 200),
    angleSnap: $('angle-snap').checked,
  };
}

function startPlacing(kind) {
  cancelPlacing();
  state.placing = { kind: kind.kind, id: null, label: kind.label };
  for (const b of $('palette').querySelectorAll('button')) {
    b.classList.toggle('active', Number(b.dataset.kind) === kind.kind);
  }
  showStatus(`${kind.label}: click ${kind.points} point${kind.points > 1 ? 's' : ''} on the prices (Esc cancels)`);
}

function finishPlacing() {
  state.placing = null;
  for (const b of $('palette').querySelectorAll('button')) b.classList.remove('active');
  showStatus('');
}

function cancelPlacing() {
  if (!state.placing) return;
  const id = state.placing.id;
  finishPlacing();
  if (id !== null) {
    const tool = state.tools.find((t) => t.id === id);
    if (tool && !tool.complete) deleteTool(id);
  }
}

function deleteTool(id) {
  if (state.selectedId === id) state.selectedId = null;
  return request('DELETE', `/api/tools/${id}`).then((a) => a && applyTools(a.tools));
}

function mouse(id, body, key, merge) {
  return request('POST', `/api/tools/${id}/mouse`, body, key, merge).then((a) => {
    if (a) applyTools(a.tools);
    return a;
  });
}

async function placeClick(p) {
  const placing = state.placing;
  if (placing.id === null) {
    const created = await request('POST', '/api/tools', Object.assign({ kind: placing.kind }, currentStyle()));
    if (!created) return;
    placing.id = created.tool.id;
    state.selectedId = placing.id;
  }
  const answer = await mouse(placing.id, { event: 'down', x: p.x, y: p.y });
  if (answer && answer.result && state.placing === placing) finishPlacing();
}

// ---- the mouse on the chart ------------------------------------------------
function canvasPoint(event) {
  const rect = $('chart-box').getBoundingClientRect();
  return { x: event.clientX - rect.left, y: event.clientY - rect.top };
}

async function onMouseDown(event) {
  if (event.button !== 0 || !state.layout) return;
  event.preventDefault();
  const p = canvasPoint(event);
  if (state.placing) {
    if (inPricePlot(p)) placeClick(p);
    return;
  }
  const gesture = { type: 'pending', start: p, last: p };
  state.gesture = gesture;
  const pick = inPricePlot(p) ? await request('POST', '/api/pick', p) : null;
  if (state.gesture !== gesture) {  // released meanwhile: a click selects
    if (pick && pick.id !== null) {
      state.selectedId = pick.id;
      renderToolList();
      renderHandles();
    }
    return;
  }
  if (pick && pick.id !== null) {
    gesture.type = 'drag';
    gesture.id = pick.id;
    state.selectedId = pick.id;
    mouse(pick.id, { event: 'down', x: p.x, y: p.y });
    // Whatever the mouse did while the pick was asked is one drag.
    if (gesture.last.x !== p.x || gesture.last.y !== p.y) dragTo(gesture, gesture.last);
  } else {
    gesture.type = 'pan';
    gesture.view = Object.assign({}, state.view);
    gesture.ppb = pixelsPerBar();
    state.selectedId = null;
    renderToolList();
    renderHandles();
    $('chart-box').classList.add('panning');
  }
}

function dragTo(gesture, p) {
  const body = { event: 'drag', fromX: gesture.sent ? gesture.sent.x : gesture.start.x,
    fromY: gesture.sent ? gesture.sent.y : gesture.start.y, x: p.x, y: p.y };
  gesture.sent = p;
  mouse(gesture.id, body, `drag-${gesture.id}`, (older, newer) =>
    Object.assign({}, newer, { fromX: older.fromX, fromY: older.fromY }));
}

function onMouseMove(event) {
  if (!state.layout) return;
  const p = canvasPoint(event);
  updateReadout(p);
  const gesture = state.gesture;
  if (gesture) {
    if (gesture.type === 'pending') gesture.last = p;
    else if (gesture.type === 'drag') dragTo(gesture, p);
    else if (gesture.type === 'pan') {
      const bars = Math.round((gesture.start.x - p.x) / gesture.ppb);
      if (bars !== gesture.bars) {
        gesture.bars = bars;
        requestView(gesture.view.from + bars, gesture.view.to + bars);
      }
    }
    return;
  }
  if (state.placing && state.placing.id !== null) {
    mouse(state.placing.id, { event: 'move', x: p.x, y: p.y }, `move-${state.placing.id}`);
  }
}

function onMouseUp() {
  state.gesture = null;
  $('chart-box').classList.remove('panning');
}

function onWheel(event) {
  if (!state.layout) return;
  event.preventDefault();
  const p = canvasPoint(event);
  zoom(event.deltaY > 0 ? 1.25 : 0.8, barAt(p.x));
}

function updateReadout(p) {
  if (!state.layout || !inPricePlot(p)) {
    $('readout').textContent = '';
    return;
  }
  $('readout').textContent = `bar ${barAt(p.x).toFixed(1)}  price ${priceAt(p.y).toFixed(2)}`;
}

// ---- start ---------------------------------------------------------------
function buildPalette() {
  const palette = $('palette');
  const groups = new Map();
  for (const kind of state.session.palette) {
    if (!groups.has(kind.group)) {
      const group = document.createElement('div');
      group.className = 'group';
      const title = document.createElement('div');
      title.className = 'group-title';
      title.textContent = kind.group;
      group.append(title);
      palette.append(group);
      groups.set(kind.group, group);
    }
    const button = document.createElement('button');
    button.type = 'button';
    button.dataset.kind = kind.kind;
    button.textContent = kind.label;
    button.title = `${kind.name}, ${kind.points} point${kind.points > 1 ? 's' : ''}`;
    button.addEventListener('click', () => startPlacing(kind));
    groups.get(kind.group).append(button);
  }
  const swatches = $('swatches');
  state.session.colours.slice(1).forEach((colour) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.style.background = colour;
    b.title = colour;
    b.addEventListener('click', () => { $('line-color').value = colour.toLowerCase(); restyleSelected(); });
    swatches.append(b);
  });
}

function restyleSelected() {
  if (state.selectedId === null) return;
  const style = currentStyle();
  request('PATCH', `/api/tools/${state.selectedId}`, style).then((a) => a && applyTools(a.tools));
}

async function start() {
  const session = await api('GET', '/api/session');
  if (!session) return;
  state.session = session;
  $('bars-info').textContent = `${session.bars.name}: ${session.bars.count} bars, ${session.bars.firstDate} .. ${session.bars.lastDate}`;
  buildPalette();
  applyAnswer(session);
  if (session.formula) {
    $('formula-text').value = session.formula.text;
    $('overlay').checked = session.formula.overlay;
    for (const p of session.formula.params) addParamRow(p.name, p.value);
  } else {
    $('formula-text').value = DEFAULT_FORMULA;
    for (const [name, value] of DEFAULT_PARAMS) addParamRow(name, value);
  }
  renderGutter();

  const text = $('formula-text');
  text.addEventListener('input', () => { renderGutter(); scheduleApply(); });
  text.addEventListener('scroll', syncScroll);
  text.addEventListener('keydown', (e) => {
    if (e.key === 'Enter' && (e.ctrlKey || e.metaKey)) { e.preventDefault(); applyFormula(); }
  });
  $('apply').addEventListener('click', applyFormula);
  $('clear-formula').addEventListener('click', () =>
    request('DELETE', '/api/formula').then((a) => { if (a) { clearError(); applyAnswer(a); } }));
  $('overlay').addEventListener('change', applyFormula);
  $('add-param').addEventListener('click', () => addParamRow('', ''));
  $('line-color').addEventListener('change', restyleSelected);
  $('line-width').addEventListener('change', restyleSelected);
  $('angle-snap').addEventListener('change', restyleSelected);
  $('magnet').addEventListener('change', () => requestView(state.view.from, state.view.to));
  $('pan-left').addEventListener('click', () => pan(-Math.max(1, Math.round((state.view.to - state.view.from) / 4))));
  $('pan-right').addEventListener('click', () => pan(Math.max(1, Math.round((state.view.to - state.view.from) / 4))));
  $('zoom-in').addEventListener('click', () => zoom(0.8));
  $('zoom-out').addEventListener('click', () => zoom(1.25));

  const box = $('chart-box');
  box.addEventListener('mousedown', onMouseDown);
  window.addEventListener('mousemove', onMouseMove);
  window.addEventListener('mouseup', onMouseUp);
  box.addEventListener('wheel', onWheel, { passive: false });
  window.addEventListener('keydown', (e) => {
    if (e.target === text || e.target.tagName === 'INPUT') return;
    if (e.key === 'Escape') cancelPlacing();
    if ((e.key === 'Delete' || e.key === 'Backspace') && state.selectedId !== null) deleteTool(state.selectedId);
  });
  let resizeTimer = null;
  window.addEventListener('resize', () => {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(() => requestView(state.view.from, state.view.to), 150);
  });

  await requestView(state.view.from, state.view.to);
  if (!session.formula) await applyFormula();
  document.body.dataset.ready = 'true';
}

start();
