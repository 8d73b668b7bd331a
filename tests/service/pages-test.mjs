// The printer application's pages in headless Chromium: the printer page in Chinese and in English
// shows what each client sent, a switch changed on the settings page reaches the printer as the
// catalogue's bytes and the state, a distance the window refuses is refused with its message, a test
// button sends its byte, the jobs page lists the jobs.
// Usage: node pages-test.mjs NODE-MODULES BASE-URL PRINTER-FOLDER [SCREENSHOT-FOLDER]
import { createRequire } from 'node:module';
import fs from 'node:fs';
import path from 'node:path';

const [modules, base, folder, shots] = process.argv.slice(2);
const require = createRequire(path.join(path.resolve(modules), 'index.js'));
const { chromium } = require('playwright-core');

function fail(what) {
  console.error(`FAIL: ${what}`);
  process.exit(1);
}
function check(ok, what) {
  if (!ok) fail(what);
}
const hex = (file) => fs.readFileSync(file).toString('hex');
async function waitFor(file) {
  for (let i = 0; i < 100; i++) {
    if (fs.existsSync(file)) return;
    await new Promise((done) => setTimeout(done, 50));
  }
  fail(`${file} did not appear`);
}
const prn = (n) => path.join(folder, `${n}.prn`);
const jobsNow = () => fs.readdirSync(folder).filter((name) => name.endsWith('.prn')).length;

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
try {
  const zh = await (await browser.newContext({ locale: 'zh-CN', javaScriptEnabled: false })).newPage();
  const en = await (await browser.newContext({ locale: 'en-US', javaScriptEnabled: false })).newPage();
  const cell = (page, row, n) => page.locator(`#${row} td`).nth(n).innerText();
  const shot = async (page, name) => {
    if (shots) await page.screenshot({ path: path.join(shots, name), fullPage: true });
  };

  // What two clients sent: the paper width over IPP, the black mark through the raw port.
  await zh.goto(`${base}/qvset`);
  check((await zh.locator('th').first().innerText()) === '项目', 'the Chinese page has no 项目 column');
  check((await cell(zh, 'qvset-black-mark', 0)) === '打开', 'black mark is not 打开 on the Chinese page');
  check((await cell(zh, 'qvset-black-mark', 2)) === 'raw@127.0.0.1', 'the black mark does not name the raw port client');
  check((await cell(zh, 'qvset-paper', 0)).includes('58'), 'the paper width is not 58 mm');
  check((await cell(zh, 'qvset-paper', 2)).includes('@'), 'the paper width does not name its IPP client');
  check((await cell(zh, 'qvset-head', 0)) === '从未发送', 'an item never sent is not 从未发送');
  await shot(zh, 'pages-printer-zh.png');
  await en.goto(`${base}/qvset`);
  check((await cell(en, 'qvset-head', 0)) === 'never sent', 'an item never sent is not "never sent" in English');
  check((await cell(en, 'qvset-black-mark', 0)) === 'on', 'black mark is not "on" in English');
  await shot(en, 'pages-printer-en.png');

  // A switch changed: one document of the catalogue's bytes, and the state says who sent it.
  const before = jobsNow();
  await zh.goto(`${base}/qvset-settings`);
  await zh.selectOption('#qvset-black-mark', 'off');
  await zh.click('#set-qvset-black-mark');
  check((await zh.locator('#qvset-message').getAttribute('data-good')) === 'yes', 'the change was not sent');
  await waitFor(prn(before + 1));
  check(hex(prn(before + 1)) === '1b4203', `black mark off reached the printer as ${hex(prn(before + 1))}`);
  await shot(zh, 'pages-settings-zh.png');

  // A distance the window refuses: its message, and nothing sent.
  await zh.fill('#qvset-ticket-length', '20000');
  await zh.click('#set-qvset-ticket-length');
  check((await zh.locator('#qvset-message').innerText()).includes('数值超出范围，未发送'),
    'the refused distance does not show the window\'s message');
  check((await zh.locator('#qvset-message').getAttribute('data-good')) === 'no', 'the refusal is shown as a success');

  // A test button.
  await en.goto(`${base}/qvset-tests`);
  await en.click('#line-feed');
  await waitFor(prn(before + 2));
  check(hex(prn(before + 2)) === '0a', 'line feed did not send 0A');
  check(jobsNow() === before + 2, 'the refused distance reached the printer');
  await shot(en, 'pages-tests-en.png');

  await zh.goto(`${base}/qvset`);
  check((await cell(zh, 'qvset-black-mark', 0)) === '关闭', 'the state does not say black mark 关闭 after the change');
  check((await cell(zh, 'qvset-black-mark', 2)).startsWith('web@'), 'the change does not name the page');
  await en.goto(`${base}/qvset-jobs`);
  const jobs = await en.locator('#qvset-jobs').innerText();
  check(jobs.includes('raw port job from 127.0.0.1'), 'the jobs page does not list the raw port job');
  check(jobs.includes('qvset-black-mark-default=off'), 'the jobs page does not list the change');
  // The virtual printer's jobs with the drawer's listings (drawn a moment after each job): the change,
  // then the line feed.
  const listingOf = async (n) => {
    for (let i = 0; i < 50; i++) {
      await en.goto(`${base}/qvset-jobs`);
      const link = en.locator(`#folder-job-${n} a`, { hasText: 'listing' });
      if ((await link.count()) === 1) {
        return (await en.request.get(new URL(await link.getAttribute('href'), base).href)).text();
      }
      await new Promise((done) => setTimeout(done, 100));
    }
    fail(`the jobs page has no listing of the virtual printer's job ${n}`);
  };
  const change = await listingOf(before + 1);
  check(change.includes('black mark off'), `the change's listing does not decode black mark off: ${change}`);
  const feed = await listingOf(before + 2);
  check(feed.includes('line feed'), `the line feed's listing does not decode it: ${feed}`);
  check((await en.request.get(`${base}/qvset-job?state.json`)).status() === 404, 'a file outside the jobs was served');
  await shot(en, 'pages-jobs-en.png');

  // A description file uploaded (GBK, CR LF): its plan first, with the baud-rate warning, then applied.
  const lines = ['KQ605USET1', `A99${'\u9ed1\u6807\u8bbe\u7f6e'}    ${'\u6253\u5f00'}`, 'B0', 'B0', 'B0', 'B0', 'B0',
    'A99152', 'B0', 'B0', 'B0', 'A2'];
  const gbk = { '\u9ed1': 'bada', '\u6807': 'b1ea', '\u8bbe': 'c9e8', '\u7f6e': 'd6c3', '\u6253': 'b4f2', '\u5f00': 'bfaa' };
  const bytes = [...lines.join('\r\n') + '\r\n'].map((c) => gbk[c] ?? Buffer.from(c, 'latin1').toString('hex')).join('');
  const file = path.join(folder, '..', 'description.txt');
  fs.writeFileSync(file, Buffer.from(bytes, 'hex'));
  await zh.goto(`${base}/qvset-settings`);
  await zh.setInputFiles('#description', file);
  await zh.click('#upload');
  const planned = await zh.locator('#qvset-plan tbody tr').evaluateAll((rows) => rows.map((row) => row.dataset.item));
  check(planned.join(',') === '1,7,11', `the plan lists the items ${planned}, not 1, 7 and 11`);
  check((await zh.locator('#qvset-plan td[data-reason]').first().innerText()) === '不同', 'the plan does not say the black mark differs');
  check((await zh.locator('.banner').last().innerText()).includes('您设置了波特率，完成后需要重启打印机'),
    'the plan does not warn of the baud rate');
  check(jobsNow() === before + 2, 'the plan sent something before it was applied');
  await shot(zh, 'pages-plan-zh.png');
  await zh.click('#apply');
  check((await zh.locator('#qvset-message').getAttribute('data-good')) === 'yes', 'the description was not applied');
  await waitFor(prn(before + 3));
  const batch = hex(prn(before + 3));
  check(batch.startsWith('1b4202') && batch.endsWith('1b420f'), `the batch reached the printer as ${batch}`);
  check(jobsNow() === before + 3, 'the batch was not one document');
  await zh.goto(`${base}/qvset`);
  check((await cell(zh, 'qvset-black-mark', 0)) === '打开', 'the applied description is not in the state');
  check((await cell(zh, 'qvset-ticket-length', 0)).startsWith('152'), 'the applied ticket length is not in the state');
} finally {
  await browser.close();
}
console.log('pages: every check passed');
