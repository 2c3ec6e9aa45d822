// qxindex serve in headless Chromium, used as a person would: type formulas, place
// and drag drawing tools, pan and zoom. QX_SERVE_URL names the running server;
// screenshots go to QX_SCREENSHOTS for a person to look at.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const BASE = process.env.QX_SERVE_URL || 'http://127.0.0.1:8080/';
const SHOTS = process.env.QX_SCREENSHOTS || path.resolve('screenshots');
const CHROMIUM = process.env.QX_CHROMIUM || '/usr/bin/chromium';

let context;
let page;
let profile;
const pageErrors = [];

before(async () => {
  fs.mkdirSync(SHOTS, { recursive: true });
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'qx-e2e-profile-'));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1500, height: 900 },
    // Root needs --no-sandbox; the rest keep the browser off the network.
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  page = context.pages()[0] || await context.newPage();
  page.on('pageerror', (e) => pageErrors.push(String(e)));
  await page.goto(BASE);
  await page.waitForSelector('body[data-ready="true"]', { timeout: 20000 });
});

after(async () => {
  if (context) await context.close();
  if (profile) fs.rmSync(profile, { recursive: true, force: true });
});

// Every request the page queued has been answered.
async function settle() {
  await page.waitForFunction(() => queue.length === 0 && !busy);
}

async function shot(name) {
  await settle();
  await page.screenshot({ path: path.join(SHOTS, name) });
}

// A canvas pixel of the chart as a page position for the mouse.
async function pagePoint(x, y) {
  const box = await page.locator('#chart-box').boundingBox();
  return { x: box.x + x, y: box.y + y };
}

async function clickCanvas(x, y) {
  const p = await pagePoint(x, y);
  await page.mouse.move(p.x, p.y);
  await page.mouse.click(p.x, p.y);
  await settle();
}

async function dragCanvas(from, to, steps = 8) {
  const a = await pagePoint(from.x, from.y);
  const b = await pagePoint(to.x, to.y);
  await page.mouse.move(a.x, a.y);
  await page.mouse.down();
  await settle();
  await page.mouse.move(b.x, b.y, { steps });
  await page.mouse.up();
  await settle();
}

const layout = () => page.evaluate(() => state.layout);
const view = () => page.evaluate(() => state.view);
const tools = () => page.evaluate(async () => (await (await fetch('/api/tools')).json()).tools.list);

// A point of the price plot, as shares of its width and height from its top left.
async function plotPoint(sx, sy) {
  const plot = (await layout()).price.plot;
  return { x: plot.left + sx * plot.width, y: plot.top + sy * plot.height };
}

async function applyFormula(text) {
  await page.uncheck('#auto-apply');
  await page.fill('#formula-text', text);
  await page.click('#apply');
  await settle();
}

test('the page shows candles and the default formula in its panel', async () => {
  assert.ok(await page.locator('#chart-layer svg #price-panel').count());
  assert.ok(await page.locator('#chart-layer svg #indicator-panel').count());
  assert.ok(await page.locator('#price-records rect').count() > 50, 'candle bodies');
  assert.equal(await page.locator('#palette button').count(), 38);
  await shot('01-loaded.png');
});

test('a formula error is shown at its line and column', async () => {
  await applyFormula('MA5:MA(CLOSE,5);\nBAD:MA(CLOSE,10)+*2;\nMA20:MA(CLOSE,20);');
  const box = page.locator('#error-inline');
  await box.waitFor({ state: 'visible' });
  assert.equal(await box.getAttribute('data-line'), '1');
  const column = Number(await box.getAttribute('data-column'));
  assert.ok(['+', '*'].includes('BAD:MA(CLOSE,10)+*2;'[column]), `column ${column}`);
  assert.match(await box.textContent(), /^Error \d+ \(line 2, column \d+\)/);
  // Under the marked character of the second line.
  const mark = await page.locator('#error-mark').boundingBox();
  const body = await page.locator('#editor-body').boundingBox();
  const shown = await box.boundingBox();
  assert.ok(mark.y > body.y + 18 && mark.y < body.y + 2 * 18 + 8, `mark at ${mark.y - body.y}`);
  assert.ok(shown.y >= mark.y + mark.height && shown.y < mark.y + mark.height + 12);
  assert.ok(shown.x <= mark.x && shown.x + shown.width > mark.x);
  assert.equal(await page.locator('#gutter .error-line').textContent(), '2');
  await shot('02-formula-error.png');
});

test('the fixed formula is drawn', async () => {
  await applyFormula('DIF:EMA(CLOSE,12)-EMA(CLOSE,26),COLORRED;\nDEA:EMA(DIF,9),COLORBLUE;\nMACD:(DIF-DEA)*2,COLORSTICK;');
  assert.ok(await page.locator('#error-inline').isHidden());
  assert.match(await page.textContent('#formula-status'), /Drawn: 3 output/);
  // Two curves and one stick per visible bar.
  assert.ok(await page.locator('#indicator-records polyline').count() > 100, 'DIF, DEA and the sticks');
  await shot('03-indicator.png');
});

async function placeTool(label, shares) {
  await page.click(`#palette button:text-is("${label}")`);
  for (const [sx, sy] of shares) {
    const p = await plotPoint(sx, sy);
    await clickCanvas(p.x, p.y);
  }
  const placed = (await tools()).at(-1);
  assert.ok(placed.complete, `${label} complete`);
  assert.ok(placed.records.length > 0, `${label} has records`);
  assert.ok(await page.locator(`#tools-layer #tool-${placed.id} *`).count() > 0, `${label} painted`);
  return placed;
}

let segment;

test('a line, a Fibonacci retracement and a range tool are placed with clicks', async () => {
  segment = await placeTool('Segment', [[0.15, 0.8], [0.4, 0.3]]);
  await placeTool('Fibonacci retracement', [[0.55, 0.85], [0.75, 0.15]]);
  await placeTool('Date and price range', [[0.8, 0.7], [0.95, 0.45]]);
  assert.equal((await tools()).length, 3);
  assert.equal(await page.locator('#tool-list li').count(), 3);
  await shot('04-tools.png');
});

test('dragging a tool moves it', async () => {
  const [a, b] = segment.pixels;
  const middle = { x: (a.x + b.x) / 2, y: (a.y + b.y) / 2 };
  await dragCanvas(middle, { x: middle.x + 40, y: middle.y + 30 });
  const moved = (await tools()).find((t) => t.id === segment.id);
  assert.ok(Math.abs(moved.pixels[0].x - (a.x + 40)) < 1.5, `x ${moved.pixels[0].x}`);
  assert.ok(Math.abs(moved.pixels[0].y - (a.y + 30)) < 1.5, `y ${moved.pixels[0].y}`);
  assert.ok(Math.abs(moved.pixels[1].x - (b.x + 40)) < 1.5);
  segment = moved;
  await shot('05-dragged.png');
});

test('panning the chart carries the tools with the data', async () => {
  const before = await view();
  const plot = (await layout()).indicator.plot;
  const start = { x: plot.left + plot.width * 0.7, y: plot.top + plot.height / 2 };
  await dragCanvas(start, { x: start.x - 240, y: start.y }, 12);
  const after = await view();
  const shift = after.from - before.from;
  assert.ok(shift > 10, `the view moved by ${shift} bars`);
  assert.equal(after.to - after.from, before.to - before.from);
  const now = (await tools()).find((t) => t.id === segment.id);
  assert.deepEqual(now.points, segment.points, 'anchors stay on their bars and prices');
  const price = (await layout()).price;
  const perBar = price.plot.width / (price.lastBar - price.firstBar + 1);
  assert.ok(Math.abs(now.pixels[0].x - (segment.pixels[0].x - shift * perBar)) < 1, 'moved with the bars');
  assert.ok(await page.locator('#indicator-records polyline').count() >= 2, 'the formula follows');
  await shot('06-panned.png');
  segment = now;
});

test('zooming keeps the tools on their bars', async () => {
  const before = await view();
  const centre = await plotPoint(0.5, 0.5);
  const p = await pagePoint(centre.x, centre.y);
  await page.mouse.move(p.x, p.y);
  await page.mouse.wheel(0, 300);
  await settle();
  const after = await view();
  assert.ok(after.to - after.from > before.to - before.from, 'more bars after zooming out');
  const now = (await tools()).find((t) => t.id === segment.id);
  assert.deepEqual(now.points, segment.points);
  await shot('07-zoomed.png');
});

test('the page raised no script errors', () => {
  assert.deepEqual(pageErrors, []);
});
