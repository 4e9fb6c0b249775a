// Opens every page of the archive in headless Chromium, as the browser control would show it in
// the program: no script error, every tweak drawn with the state the registry holds, and a click
// changes the registry. With LVSCRIPT the pages come from `lvscript --serve` under Wine and their
// scripts reach the program's real objects over the registry of the test prefix, all but HKLM's
// rights and the dialogs' answers (below); without it they run on a test double of
// window.external over an in-memory registry. Writes a screenshot of every page to
// SHOTS_FOLDER for people to look at.
// Usage: node render.mjs RURODATOOL ARCHIVE SHOTS_FOLDER [LVSCRIPT]
import { mkdtempSync, mkdirSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import vm from "node:vm";
import { chromium } from "playwright-core";
import { Archive } from "./archive.mjs";
import { importRegText, queryValue, regText, seedRegistry, startPreview } from "./preview-backend.mjs";

const [tool, file, shots, lvscript] = process.argv.slice(2);
const archive = new Archive(tool, file);
const origin = "http://lumivanta.invalid/";
const version = 100;
const answers = { color: "FF8000", file: "C:\\Pictures\\lake.jpg", folder: "D:\\Downloads", listItem: "Made smaller menus",
  savePath: "C:\\Users\\Me\\Documents\\Lumivanta settings.reg", openText: "" };
const runKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The Windows the pages run on: Windows 11, whose ProductName still says Windows 10.
const windowsKey = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const running = [22631, 4169];
let checks = 0;
const problems = [];

function check(what, ok) {
  checks++;
  if (!ok)
    problems.push(what);
}

function definitions() {
  const context = { TweakDefinitions: [] };
  vm.createContext(context);
  for (const entry of archive.entries().filter((e) => /^tweaks\\js\\defs\\.*\.js$/.test(e)))
    vm.runInContext(archive.content(entry).toString("latin1"), context, { filename: entry });
  return context.TweakDefinitions;
}

// Whether a definition acts on that Windows ("windows" gives builds as 22631 or "22621.1631").
const buildOf = (build) => String(build).split(".").map(Number).concat(0).slice(0, 2);
const isBefore = (a, b) => a[0] < b[0] || (a[0] === b[0] && a[1] < b[1]);
const isAvailable = (def) => !def.windows || (!isBefore(running, buildOf(def.windows.from)) &&
  (def.windows.before === undefined || isBefore(running, buildOf(def.windows.before))));

const hasDefault = (def) => def.kind !== "entries" && def.kind !== "list";
// A registry file carries a setting that has a default, and of binary data only named bits.
const isCarried = (def) => hasDefault(def) && (def.type !== "binary" || def.bit);

// The settings of the registry alone, which the checks seed away from their defaults, each have
// their value's line in an exported file.
const exportsEvery = (text, defs) => defs.filter((d) => isCarried(d) && !d.spi && isAvailable(d)).every((d) =>
  text.includes(`"${d.value}"=`));

// The System entries that Wine 8 keeps otherwise than Windows (WineDiffers.js, which the engine test
// includes too). Under the preview the page shows what Wine holds for those it refuses to change (it
// cannot read those it has no GET for), which differs from their defaults, so they count as changed; a
// change of them must fail and leave the registry as it was. Others it keeps in another value.
const wine = (() => {
  const context = {};
  vm.createContext(context);
  vm.runInContext(readFileSync(new URL("./WineDiffers.js", import.meta.url), "utf8"), context);
  return context;
})();
const underWine = (table, def) => backend !== doubleBackend && def.spi && Object.hasOwn(table, def.spi);
const wineRefuses = (def) => underWine(wine.WineRefuses, def);
const wineCannotRead = (def) => wineRefuses(def) && wine.WineRefuses[def.spi] === "has no GET";

// A bit toggle's whole value: its bits set for on, cleared for off, the others as in whole,
// the data that the registry held (a DWORD, decimal text or hex pairs of binary data).
function wholeWithBit(def, on, whole) {
  const set = (n) => ((n & ~def.bit.mask) | (on ? def.bit.mask : 0)) >>> 0;
  if (def.type === "binary") {
    const bytes = Buffer.from(whole, "hex");
    bytes[def.bit.byte] = set(bytes[def.bit.byte]);
    return bytes.toString("hex").toUpperCase();
  }
  return def.type === "dword" ? set(Number(whole)) | 0 : String(set(Number(whole)));
}

// A toggle's data for a state, as the registry holds it; a bit's from the data held before.
const toggleRaw = (def, on, held) => (def.bit ? held && wholeWithBit(def, on, held[1]) : on ? def.on : def.off);

// Registry data as the checks compare it: a DWORD read back by reg query is unsigned.
const sameData = (a, b) => (typeof a === "number" && typeof b === "number" ? a >>> 0 === b >>> 0 : a === b);

// The definitions of one value's bits share it: every one of them is away from its default, the
// value's other bits are as its base has them (zero without one).
function sharedBits(def) {
  const sharing = [def, ...defs.filter((d) => d !== def && d.root === def.root && d.key === def.key &&
    d.value === def.value && d.bit)];
  const flip = (n, d) => (d.dflt ? n & ~d.bit.mask : n | d.bit.mask);
  if (def.type === "binary") {
    const bytes = [...Buffer.from(def.base || "0000000000000000", "hex")];
    for (const d of sharing)
      bytes[d.bit.byte] = flip(bytes[d.bit.byte], d);
    return Buffer.from(bytes).toString("hex").toUpperCase();
  }
  const n = sharing.reduce(flip, Number(def.base || 0));
  return def.type === "dword" ? n : String(n);
}

// A value other than the Windows default, in the page's terms, and as the registry holds it.
function seededValue(def) {
  const asRaw = (n) => (def.type === "dword" ? n : String(n));
  // A System switch with no "on" and "off" data (binary) is seeded through the System object alone.
  if (typeof def.dflt === "boolean")
    return { value: !def.dflt, raw: def.bit ? sharedBits(def) : undefined };
  switch (def.kind) {
  case "toggle":
    return def.dflt === def.on ? { value: false, raw: def.off } : { value: true, raw: def.on };
  case "range": {
    const n = Number(def.dflt) === def.min ? def.max : def.min;
    return { value: n, raw: asRaw(n) };
  }
  case "choice": {
    const other = def.choices.find((c) => c.value !== def.dflt).value;
    return { value: other, raw: other };
  }
  case "color":
    return { value: "0C2238", raw: "12 34 56" };
  case "file":
    return { value: "C:\\Pictures\\old.jpg", raw: "C:\\Pictures\\old.jpg" };
  default:
    return { value: "D:\\Old downloads", raw: "D:\\Old downloads" };
  }
}

function registryOf(defs) {
  const keys = {
    [runKey]: { "Sync tool": ["sz", "C:\\Sync\\sync.exe /tray"], Helper: ["expand", "%ProgramFiles%\\Helper\\helper.exe"] },
    [windowsKey]: { ProductName: ["sz", "Windows 10 Pro"], CurrentBuildNumber: ["sz", String(running[0])],
      UBR: ["dword", running[1]], DisplayVersion: ["sz", "23H2"] },
  };
  for (const def of defs) {
    const where = def.root + "\\" + def.key;
    keys[where] = keys[where] || {};
    if (def.kind === "list")
      keys[where]["0"] = ["sz", "Showed file name extensions"];
    else if (def.kind !== "entries" && seededValue(def).raw !== undefined)
      keys[where][def.value] = [def.type, seededValue(def).raw];
  }
  return keys;
}

// The test double's System entries hold the seeded data: a switch for a 1/0 toggle, a number otherwise.
const systemOf = (all) => Object.fromEntries(all.filter((d) => d.spi).map((d) => [d.spi, d.kind === "toggle" &&
  (typeof d.dflt === "boolean" || ["10", "01"].includes(`${d.on}${d.off}`)) ? seededValue(d).value : Number(seededValue(d).raw)]));

function contentType(path) {
  const types = { html: "text/html", css: "text/css", js: "text/javascript", png: "image/png", gif: "image/gif" };
  return types[path.split(".").pop()] || "application/octet-stream";
}

// Serves every request from the archive, as the "tweaks:" handler would; anything else fails.
async function serveArchive(context, failures) {
  await context.route("**/*", async (route) => {
    const url = route.request().url();
    const bytes = url.startsWith(origin) ? archive.content(url.slice(origin.length).replace(/\//g, "\\")) : null;
    if (bytes === null) {
      failures.push(`nothing to serve for ${url}`);
      return route.abort();
    }
    return route.fulfill({ body: bytes, contentType: contentType(new URL(url).pathname) });
  });
}

async function openPage(context, name) {
  const page = await context.newPage();
  const errors = [], asked = [];
  page.on("pageerror", (error) => errors.push(`script error: ${error.message}`));
  page.on("console", (message) => message.type() === "error" && errors.push(`console: ${message.text()}`));
  page.on("dialog", (dialog) => {
    asked.push(dialog.message());
    dialog.accept();
  });
  await page.goto(backend.url(name), { waitUntil: "load" });
  const brokenPictures = await page.$$eval("img", (images) =>
    images.filter((img) => !img.complete || img.naturalWidth === 0).map((img) => img.src));
  check(`${name}: every picture loads (${brokenPictures.join(", ")})`, brokenPictures.length === 0);
  return { page, errors, asked };
}

// Where the pages run and how their registry is read back: the double inside the page, or the
// preview over the real registry. The checks below see the registry only through these.
const doubleBackend = {
  url: (name) => origin + "tweaks/" + name,
  value: (page, where, name) => page.evaluate(([w, n]) => window.lvDouble.value(w, n), [where, name]),
};
let backend = doubleBackend;
const registryValue = (page, def) => backend.value(page, def.root + "\\" + def.key, def.value);
const stateOf = (page, def) => page.getAttribute(`[data-tweak="${def.id}"]`, "data-state");
const messageText = (page) => page.$eval("#message", (m) => (m.className.includes("hidden") ? "" : m.textContent));

async function clickIn(page, def, selector) {
  await page.click(`[data-tweak="${def.id}"] ${selector}`);
}

// A control of a setting used by key: afterwards the focus is still on it, or where it is gone or
// now disabled (a restored default, a removed entry), on the setting's first control.
async function pressIn(page, def, selector, key = "Enter") {
  const box = `[data-tweak="${def.id}"]`, control = await page.getAttribute(`${box} ${selector}`, "data-control");
  if (await page.isDisabled(`${box} ${selector}`))
    throw new Error(`${control} is disabled`);
  await page.focus(`${box} ${selector}`);
  await page.keyboard.press(key);
  await focusStays(page, def, control);
}

async function focusStays(page, def, control) {
  const [kept, on] = await page.evaluate(([id, used]) => {
    const controls = [...document.getElementById("tweak-" + id).querySelectorAll("button, select, input")].filter((c) => !c.disabled);
    const at = document.activeElement;
    return [at === (controls.find((c) => c.dataset.control === used) || controls[0]), at.dataset.control || at.tagName];
  }, [def.id, control]);
  check(`${def.id}: the focus stays on ${control} (it is on ${on})`, kept);
}

// The test double's System object changes no registry value; the program's real one does, in
// data that the checks can know but for binary data with no bit given.
const registryFollows = (def) => !def.spi || (backend !== doubleBackend && (def.bit || def.type !== "binary") &&
  !underWine(wine.WineKeepsElsewhere, def));

// Restoring a value a fresh Windows lacks deletes it; a bit toggle's default is its state.
async function restoresDefault(page, def) {
  const held = def.bit && registryFollows(def) ? await registryValue(page, def) : null;
  await pressIn(page, def, ".restore");
  const raw = await registryValue(page, def);
  const expected = def.dfltAbsent ? null : held ? wholeWithBit(def, def.dflt, held[1]) : def.dflt;
  check(`${def.id}: restore writes the Windows default (got ${JSON.stringify(raw)})`, !registryFollows(def) ||
    (expected === null ? raw === null : raw !== null && sameData(raw[1], expected)));
  const box = `[data-tweak="${def.id}"]`, shown = (await page.textContent(box)) + " " +
    (await page.$$eval(`${box} input`, (inputs) => inputs.map((input) => input.value).join(" ")));
  check(`${def.id}: and says so, with no "null" for a value that is absent (${shown})`,
    shown.includes("Windows default") && !/\bnull\b/.test(shown));
}

// The shield's button opens the setting's controls; a change then asks the program for that one
// change as administrator: over the real registry the program started as one makes it; the
// double's user declines, and the page says so.
async function changesAsAdministrator(page, def) {
  const box = `[data-tweak="${def.id}"]`, on = (await stateOf(page, def)) === "true";
  check(`${def.id}: the change as administrator is marked with the shield`,
    (await page.$$(`${box} [data-control="administrator"] img.shield`)).length === 1);
  await page.click(`${box} [data-control="administrator"]`);
  await page.click(`${box} [data-control="switch"]`);
  if (backend !== doubleBackend) {
    check(`${def.id}: changed by the program started as administrator`, (await stateOf(page, def)) === String(!on));
    return;
  }
  const asked = await page.evaluate(() => window.lvDouble.calls.filter((c) => c.method === "administrator").pop());
  check(`${def.id}: the switch asks for that one change as administrator (${asked && asked.args[0]})`,
    asked !== undefined && asked.args[0] === `set ${def.id} b:${!on}`);
  check(`${def.id}: a declined consent is said beside the setting`,
    (await page.textContent(box)).includes("the administrator's consent was not given"));
}

async function changesOnClick(page, def) {
  const box = `[data-tweak="${def.id}"]`;
  if (def.root === "HKLM") {
    check(`${def.id}: locked without full access, but for the change as administrator`, await page.$$eval(
      `${box} button, ${box} select, ${box} input`, (controls) => controls.length > 1 &&
        controls.every((c) => c.disabled === (c.dataset.control !== "administrator"))));
    if (def.kind === "toggle" && !def.caution)
      await changesAsAdministrator(page, def);
    return;
  }
  const seeded = seededValue(def);
  if (underWine(wine.WineKeepsElsewhere, def))
    console.log(`note: ${def.id}: Wine keeps ${def.spi} in ${wine.WineKeepsElsewhere[def.spi]}, so its value is not read back`);
  const expectRaw = async (what, raw) => {
    const actual = await registryValue(page, def);
    check(`${def.id}: ${what} (got ${JSON.stringify(actual)})`, !registryFollows(def) ||
      (actual !== null && sameData(actual[1], raw)));
  };
  switch (def.kind) {
  case "toggle": {
    const shown = (await stateOf(page, def)) === "true";
    const held = def.bit && registryFollows(def) ? await registryValue(page, def) : null;
    await pressIn(page, def, ".switch", "Space");
    await expectRaw("Space switches the value", toggleRaw(def, !shown, held));
    check(`${def.id}: the page shows the new state, also in the switch's name`, (await stateOf(page, def)) ===
      String(!shown) && (await page.getAttribute(`${box} .switch`, "aria-label")) === `${def.title}: ${shown ? "Off" : "On"}`);
    await pressIn(page, def, ".switch");
    await expectRaw("Enter switches it back", toggleRaw(def, shown, held));
    break;
  }
  case "choice": {
    // The arrow keys move through the choices, and the one they rest on is written, once.
    const index = def.choices.findIndex((c) => c.value !== def.dflt && c.value !== seeded.value);
    const from = await page.$eval(`${box} select`, (select) => select.selectedIndex);
    const changes = () => page.evaluate(() => TweakEngine.journal(window.external.Registry).length), before = await changes();
    await page.focus(`${box} select`);
    for (let at = from; at !== index; at += Math.sign(index - from))
      await page.keyboard.press(index > from ? "ArrowDown" : "ArrowUp");
    await page.waitForFunction(([id, value]) => document.getElementById("tweak-" + id).dataset.state === value,
      [def.id, String(def.choices[index].value)]);
    await expectRaw(`the arrow keys choose, written once when they rest (${from} to ${index})`, def.choices[index].value);
    check(`${def.id}: no more than one change for the moves`, (await changes()) <= before + 1);
    await focusStays(page, def, "choice");
    await page.selectOption(`${box} select`, String(def.choices.findIndex((c) => c.value !== def.dflt)));
    await expectRaw("a choice with the pointer is written at once", def.choices.find((c) => c.value !== def.dflt).value);
    break;
  }
  case "range":
    await page.fill(`${box} input`, String(def.max + 1));
    await pressIn(page, def, "input");
    await expectRaw("a number out of range is refused", seeded.raw);
    // The number stays, marked invalid and described by the message beside it.
    check(`${def.id}: and the setting says why, to screen readers too`, await page.$eval(`${box} input`, (input, max) =>
      input.value === String(max + 1) && input.getAttribute("aria-invalid") === "true" &&
      document.getElementById(input.getAttribute("aria-describedby").split(" ")[0]).textContent.includes(max), def.max));
    check(`${def.id}: nor when a change takes effect`, (await page.$(`${box} .effect`)) === null);
    await page.fill(`${box} input`, String(def.max - 1));
    await pressIn(page, def, "button.small", "Space");
    await expectRaw("Set writes the number", def.type === "dword" ? def.max - 1 : String(def.max - 1));
    check(`${def.id}: the message goes`, !(await page.$(`${box} .message`)) && !(await page.getAttribute(`${box} input`, "aria-invalid")));
    break;
  case "color":
    await pressIn(page, def, "button.small");
    await expectRaw("the chosen colour is written as R G B", "255 128 0");
    check(`${def.id}: Choose names the colour`, (await page.getAttribute(`${box} button.small`, "aria-label")).endsWith(", now 255 128 0"));
    break;
  default:
    await pressIn(page, def, "button.small");
    await expectRaw("the chosen path is written", def.kind === "file" ? answers.file : answers.folder);
  }
  check(`${def.id}: says when the change takes effect`,
    (def.spi ? /^Takes effect now\.$/ : /^Takes effect (now|when|after)/).test(await page.textContent(`${box} .effect`)));
  await restoresDefault(page, def);
}

// A setting whose System entry Wine keeps otherwise: the page cannot read one that has no GET, and says
// why; a change of the others fails, says so, and leaves the registry as it was.
async function wineRefusesChange(page, def) {
  const box = `[data-tweak="${def.id}"]`, held = await registryValue(page, def);
  console.log(`note: ${def.id}: Wine ${wine.WineRefuses[def.spi]} for ${def.spi}; its change is tried to fail`);
  if (wineCannotRead(def)) {
    check(`${def.id}: says that Windows did not give its value`, (await page.textContent(`${box} .error`)).includes(
      `Windows did not give the system parameter '${def.spi}'`));
    return;
  }
  if (def.kind === "toggle")
    await clickIn(page, def, ".switch");
  else {
    await page.fill(`${box} input`, String(def.max - 1));
    await clickIn(page, def, "button.small");
  }
  const now = await registryValue(page, def), said = await page.textContent(`#message-${def.id}`);
  check(`${def.id}: a change that Wine does not keep fails, says so beside it and leaves ${JSON.stringify(held)} ` +
    `(now ${JSON.stringify(now)}: ${said})`, said.endsWith("the setting could not be changed") &&
    JSON.stringify(now) === JSON.stringify(held));
}

// In place of its controls, a setting that does nothing on this Windows says why.
async function isShownUnavailable(page, def) {
  const box = `[data-tweak="${def.id}"]`;
  check(`${def.id}: says why it is not available`, (await page.textContent(`${box} .unavailable`)) === def.windows.why);
  check(`${def.id}: and offers no control`, (await page.$$(`${box} button, ${box} select, ${box} input`)).length === 0);
}

async function listsWork(page, def) {
  const box = `[data-tweak="${def.id}"]`;
  if (def.kind === "entries") {
    check(`${def.id}: lists both start-up entries`, (await page.$$(`${box} tr`)).length === 2);
    await pressIn(page, def, `tr[data-entry="Sync tool"] button`);
    check(`${def.id}: Remove deletes the entry`,
      (await backend.value(page, runKey, "Sync tool")) === null);
    check(`${def.id}: and its row`, (await page.$$(`${box} tr`)).length === 1);
    return;
  }
  await pressIn(page, def, "button.small");
  const call = await page.evaluate(() => window.lvDouble.calls.filter((c) => c.method === "list").pop());
  check(`${def.id}: the list editor opens on the list's key`,
    call && call.args.join("|") === [def.root, def.key, def.title].join("|"));
  check(`${def.id}: the page shows what the editor added`,
    (await page.textContent(box)).includes(answers.listItem) && (await stateOf(page, def)) === "2");
}

// A setting with a caution shows it, and asks once, before its first change.
async function categoryPage(context, category, defs, name = category) {
  const { page, errors, asked } = await openPage(context, category + ".html");
  await accessible(page, name);
  if (name === pictured)
    await picture(page, name);
  for (const def of defs.filter((d) => d.caution && isAvailable(d)))
    check(`${def.id}: shows its caution`, (await page.textContent(`[data-tweak="${def.id}"] .caution`)) === def.caution);
  for (const def of defs) {
    const expected = !isAvailable(def) ? "unavailable" : def.kind === "entries" ? "2" : def.kind === "list" ? "1"
      : wineCannotRead(def) ? "error" : String(seededValue(def).value);
    // What Wine holds of an entry it refuses to change is its own.
    check(`${def.id}: drawn with the state the registry holds (${await stateOf(page, def)}, expected ${expected})`,
      (await stateOf(page, def)) === expected || (wineRefuses(def) && !wineCannotRead(def)));
    check(`${def.id}: titled`, (await page.textContent(`[data-tweak="${def.id}"] h2`)) === def.title);
    check(`${def.id}: no word of when a change takes effect before a change`,
      (await page.$(`[data-tweak="${def.id}"] .effect`)) === null);
  }
  await navNamesEvery(page, category + ".html");
  await onlyChangedFilters(page, defs, name);
  await page.screenshot({ path: join(shots, name + ".png"), fullPage: true });
  await page.click("#export-settings");
  const saved = await page.evaluate(() => window.lvDouble.calls.filter((c) => c.method === "savePath").pop().args);
  check(`${name}: exports its own settings`, saved[3] === `Lumivanta settings (${category}).reg` &&
    exportsEvery(saved[4], defs) && (await messageText(page)).startsWith("Exported "));
  for (const def of defs) {
    try {
      if (!isAvailable(def))
        await isShownUnavailable(page, def);
      else if (wineRefuses(def))
        await wineRefusesChange(page, def);
      else
        await (def.kind === "entries" || def.kind === "list" ? listsWork(page, def) : changesOnClick(page, def));
    } catch (error) {
      problems.push(`${def.id}: ${error.message.split("\n")[0]}`);
    }
  }
  // Only a change asks: none is tried of a setting locked in HKLM or one Wine cannot read.
  for (const def of defs.filter((d) => d.caution && isAvailable(d))) {
    const changed = def.root !== "HKLM" && !wineCannotRead(def);
    check(`${def.id}: asked ${changed ? "once" : "never"}`,
      asked.filter((text) => text.includes(def.caution)).length === (changed ? 1 : 0));
  }
  await changeByKeys(page);
  await accessible(page, `${name} after changes`);
  await page.screenshot({ path: join(shots, name + "-after-clicks.png"), fullPage: true });
  errors.forEach((e) => problems.push(`${category}.html: ${e}`));
  await page.close();
}

async function startPage(context, categories) {
  const { page, errors } = await openPage(context, "start.html");
  check("start.html: dark, as Windows' apps are with AppsUseLightTheme 0", (await modeOf(page)) === "dark");
  await accessible(page, "start.html");
  await picture(page, "start");
  check("start page: the version from CheckVer", (await page.textContent("#version")) === "Version 1.0");
  check("start page: the Windows by its build", (await page.textContent("#windows")) === "Running on Windows 11 Pro, 23H2.");
  const links = await page.$$eval(".categories a", (as) => as.map((a) => a.getAttribute("href")));
  check("start page: a link to every category", categories.every((c) => links.includes(c + ".html")));
  await navNamesEvery(page, "start.html");
  const notes = await Promise.all(categories.map((c) => page.textContent(`.categories a[href="${c}.html"] em`)));
  check(`start page: how many settings of each category differ from the Windows default (${notes.join(", ")})`,
    notes.every((note, i) => note.startsWith(`${changedCount(defs, categories[i])} setting`)));
  await page.screenshot({ path: join(shots, "start.png"), fullPage: true });
  errors.forEach((e) => problems.push(`start.html: ${e}`));
  await page.close();
}

// Every setting is seeded away from its default; those that do nothing on this Windows do not count.
const changedCount = (all, category) => all.filter((d) => d.category === category && hasDefault(d) && isAvailable(d)).length;

// Every page reaches every category: by the side menu, and by the search box.
async function navNamesEvery(page, name) {
  const links = await page.$$eval("#nav a", (as) => as.map((a) => a.getAttribute("href")));
  check(`${name}: the side menu links to every category`, categories.every((c) => links.includes(c + ".html")));
  check(`${name}: has the search box`, (await page.$("#search-box")) !== null);
}

// Every setting is drawn changed; one restored to its default (where the page has one the
// checks can restore) is hidden by "Show only changed settings", with the lists and start-up
// entries, which have no Windows default.
async function onlyChangedFilters(page, defs, name) {
  // A setting of the registry alone, or else of the System object; on some page every one is Wine's.
  const restorable = (d) => d.root === "HKCU" && hasDefault(d) && isAvailable(d) && !wineRefuses(d);
  const restored = defs.find((d) => restorable(d) && !d.spi) || defs.find(restorable);
  if (restored)
    await clickIn(page, restored, ".restore");
  await page.check("#only-changed");
  for (const def of defs) {
    const shown = def !== restored && hasDefault(def) && isAvailable(def);
    check(`${def.id}: ${shown ? "shown" : "hidden"} with only changed settings`,
      (await page.isVisible(`[data-tweak="${def.id}"]`)) === shown);
  }
  await page.screenshot({ path: join(shots, name + "-only-changed.png"), fullPage: true });
  await page.uncheck("#only-changed");
  if (!restored)
    return;
  check(`${restored.id}: shown again with every setting`, await page.isVisible(`[data-tweak="${restored.id}"]`));
  // The registry outlives the page: undoing the restore lets the clicks below start from the seeded state.
  // (The double's System object keeps its entries apart from the registry, so there it leaves no entry.)
  await page.evaluate(() => TweakEngine.journal(window.external.Registry).slice(0, 1).forEach((entry) =>
    TweakEngine.undo(window.external.Registry, entry.ref, TweakDefinitions)));
  await page.reload();
}

// From the start page: words of a setting of another page, in capitals and with an accent, find
// it with its category's name; choosing it opens that page with the setting focused.
async function searchOpensSetting(context, defs) {
  const { page, errors } = await openPage(context, "start.html");
  // The last page that has a neighbour for the second search.
  const roomy = categories.filter((c) => defs.filter((d) => d.category === c).length > 1);
  const wanted = defs.filter((d) => d.category === roomy[roomy.length - 1])[0];
  await page.fill("#search-box", wanted.title.toUpperCase().replace("E", "\u00c9"));
  const results = await page.$$eval("#search-results a", (as) => as.map((a) => a.textContent));
  const category = await page.textContent(`#nav a[href="${wanted.category}.html"]`);
  check(`search: finds "${wanted.title}" with its category (${results.join(", ")})`, results.includes(wanted.title + category));
  await page.screenshot({ path: join(shots, "search.png"), fullPage: true });
  await accessible(page, "search results");
  await page.keyboard.press("ArrowDown");
  check("search: the arrow key goes down into the list",
    (await page.evaluate(() => document.activeElement.textContent)) === results[0]);
  await page.click(`#search-results a[href$="#tweak-${wanted.id}"]`);
  await page.waitForURL(`**/${wanted.category}.html#tweak-${wanted.id}`);
  const focusedIn = (def) => page.waitForFunction((id) => (document.activeElement.closest(".tweak") || {}).id ===
    "tweak-" + id, def.id).then(() => true, () => false);
  check("search: the setting chosen is focused on its page", await focusedIn(wanted));
  await page.screenshot({ path: join(shots, "search-opened.png") });
  const neighbour = defs.filter((d) => d.category === wanted.category)[1];
  await page.fill("#search-box", neighbour.title.toLowerCase());
  await page.click(`#search-results a[href$="#tweak-${neighbour.id}"]`);
  check("search: a setting of the same page is focused too", await focusedIn(neighbour));
  errors.forEach((e) => problems.push(`search: ${e}`));
  await page.close();
}

// Tab alone reaches every control of the page, in document order, each with a visible focus
// mark and a name that Chromium's accessibility tree gives it.
async function keyboardWalk(context, name) {
  const { page, errors } = await openPage(context, name);
  const count = await page.$$eval("a[href], button, input, select", (all) => all.filter((c) => !c.disabled &&
    c.offsetParent !== null).map((c, i) => c.setAttribute("data-walk", i)).length);
  const reached = [];
  for (let i = 0; i < count; i++) {
    await page.keyboard.press("Tab");
    reached.push(await page.evaluate(() => [document.activeElement.getAttribute("data-walk"),
      getComputedStyle(document.activeElement).boxShadow !== "none"]));
  }
  check(`${name}: Tab reaches all ${count} controls in order (${reached.map((r) => r[0]).join(" ")})`,
    reached.every((r, i) => r[0] === String(i)));
  check(`${name}: every control shows that it has the focus`, reached.every((r) => r[1]));
  const tree = await (await context.newCDPSession(page)).send("Accessibility.getFullAXTree");
  const nameless = tree.nodes.filter((n) => !n.ignored && (n.properties || []).some((p) => p.name === "focusable" &&
    p.value.value) && !(n.name && n.name.value)).map((n) => n.role.value);
  check(`${name}: every control has an accessible name (not: ${nameless.join(", ")})`, nameless.length === 0);
  errors.forEach((e) => problems.push(`${name} keyboard: ${e}`));
  await page.close();
}

// An action of the Changes page by key: the focus lands on a control (its id or name given back), the result is said.
async function byKey(page, selector, what, key = "Enter") {
  await page.evaluate((s) => { document.getElementById("announce").textContent = ""; if (s) document.querySelector(s).focus(); }, selector);
  await page.keyboard.press(key);
  const said = await page.waitForFunction(() => document.getElementById("announce").textContent).then((h) => h.jsonValue(), () => "");
  const at = await page.evaluate((n = document.activeElement) => (n.offsetWidth && !n.disabled ? n.id || n.ariaLabel : null));
  check(`changes page: after ${what} the focus is on a control (${at}) and the result is said (${said})`, at && said);
  return at;
}

// Two changes are listed on the Changes page, newest first, before and after each; Undo names its row's
// change: the older one waits for the newer. Undo all stops at a value changed since and says where,
// then brings back what the category page showed.
async function changesPage(context, defs) {
  const def = defs.find((d) => d.kind === "toggle" && d.root === "HKCU" && !d.spi && !d.bit && isAvailable(d));
  const seeded = seededValue(def), other = seeded.raw === def.on ? def.off : def.on;
  const words = (raw) => (raw === def.on ? "On" : "Off");
  const { page, errors } = await openPage(context, def.category + ".html");
  const shown = await stateOf(page, def);
  const rows = () => page.$$eval("#changes tbody tr", (trs) => trs.map((tr) => Array.from(tr.cells, (td) => td.textContent)));
  const setRaw = (raw) => page.evaluate(([d, r]) => (d.type === "dword" ? window.external.Registry.RegWriteInt(d.root,
    d.key, d.value, Number(r)) : window.external.Registry.RegWriteString(d.root, d.key, d.value, String(r))), [def, raw]);
  await clickIn(page, def, ".switch");
  await clickIn(page, def, ".switch");
  await page.goto(backend.url("changes.html"), { waitUntil: "load" });
  const listed = (await rows()).map((cells) => cells.slice(1, 4).join(" | "));
  check(`changes page: lists both changes, newest first (${listed.join(" / ")})`, listed.join(" / ") ===
    `${def.title} | ${words(other)} | ${words(seeded.raw)} / ${def.title} | ${words(seeded.raw)} | ${words(other)}`);
  await page.screenshot({ path: join(shots, "changes.png"), fullPage: true });
  await accessible(page, "changes.html");
  const names = await page.$$eval("#changes tbody button", (undos) => undos.map((undo) => undo.getAttribute("aria-label")));
  check(`changes page: each Undo is named by its change (${names})`, `${names}` === [other, seeded.raw].map((from, i) =>
    `Undo ${def.title}: ${words(from)} to ${words(i ? other : seeded.raw)}`).join());
  await page.click("#changes tbody tr:nth-child(2) button");
  check(`changes page: the older change waits for the newer (${await messageText(page)})`,
    (await messageText(page)).endsWith("undo the newer change first.") && (await rows()).length === 2);
  check("changes page: the next Undo takes the focus", (await byKey(page, "#changes tbody tr:nth-child(1) button", "Undo")) === names[1]);
  await setRaw(7);
  await page.click("#undo-all");
  check(`changes page: undo all says where it stopped (${await messageText(page)})`, (await messageText(page)) ===
    `Undo all stopped after 0 of 1 changes. ${def.title} was changed since: it is now 7` && (await rows()).length === 1);
  await accessible(page, "changes.html after changes");
  await setRaw(other);
  check("changes page: Undo all takes the changes out", (await byKey(page, "#undo-all", "Undo all")) === "export-settings" &&
    (await rows()).length === 0 && (await messageText(page)) === "Undid 1 change.");
  await page.goto(backend.url(def.category + ".html"), { waitUntil: "load" });
  check("changes page: the category page shows the earlier state again", (await stateOf(page, def)) === shown);
  errors.forEach((e) => problems.push(`changes.html: ${e}`));
  await page.close();
}

// A setting changed on its page is kept; changed behind its back it is listed at "Changed back", where the
// notification opens the page, with yours and the value now, in every window size; Put back sets yours
// again as a change of the history, and Stop keeping forgets it.
async function keptSettings(context, defs) {
  const def = defs.find((d) => d.kind === "toggle" && d.root === "HKCU" && !d.spi && !d.bit && isAvailable(d));
  const { page, errors } = await openPage(context, def.category + ".html");
  const isOn = () => page.evaluate((id) => TweakEngine.read(window.external.Registry, TweakEngine.definition(TweakDefinitions,
    id)), def.id), setRaw = (raw) => page.evaluate(([d, r]) => window.external.Registry[d.type === "dword" ? "RegWriteInt" :
    "RegWriteString"](d.root, d.key, d.value, r), [def, raw]), row = (table) => `#${table} tr[data-tweak="${def.id}"]`;
  await clickIn(page, def, ".switch");
  const chosen = await isOn(), words = (on) => (on ? "On" : "Off");
  await setRaw(chosen ? def.off : def.on);
  await page.goto(backend.url("changes.html#changed-back"), { waitUntil: "load" });
  const cells = await page.$$eval(`${row("changed-back-list")} td`, (tds) => tds.map((td) => td.textContent));
  check(`changed back: focused, with yours and the value now (${cells.join(" | ")})`, await page.evaluate(() =>
    document.activeElement.id) === "changed-back" && `${cells}` === `${def.title},${words(chosen)},${words(!chosen)},Put backKeep Windows' value`);
  await page.screenshot({ path: join(shots, "changes-changed-back.png"), fullPage: true });
  await layouts(page, "changes.html at Changed back");
  await accessible(page, "changes.html at Changed back");
  await page.click(`${row("changed-back-list")} button[data-action="put-back"]`);
  check(`changed back: Put back sets yours again, recorded (${await messageText(page)})`, (await isOn()) === chosen &&
    (await page.$$(row("changed-back-list"))).length === 0 && (await page.$$(row("changes"))).length >= 2);
  await page.click(`${row("kept")} button[data-action="stop"]`);
  check("your settings: Stop keeping forgets it", (await page.$$(row("kept"))).length === 0);
  await setRaw(seededValue(def).raw);
  errors.forEach((e) => problems.push(`changes.html kept: ${e}`));
  await page.close();
}

// Three categories' settings exported from the Changes page, restored, and imported again after
// a preview that also shows a setting without full access and a value of no setting: every value
// back with its type; with the preview, `reg import` of the same file gives the same registry.
async function settingsTravel(context, defs) {
  const { page, errors } = await openPage(context, "changes.html");
  await page.click("#export-settings");
  const saved = await page.evaluate(() => window.lvDouble.calls.filter((c) => c.method === "savePath").pop().args);
  const moved = defs.filter((d) => categories.slice(0, 3).includes(d.category) && d.root === "HKCU" && isCarried(d) &&
    isAvailable(d) && !wineRefuses(d));
  const values = async () => JSON.stringify(await Promise.all(moved.map((d) => registryValue(page, d))));
  const expected = await values();
  check(`export: a registry file of every setting (${saved[4].slice(0, 60)})`, saved[3] === "Lumivanta settings.reg" &&
    saved[4].startsWith("Windows Registry Editor Version 5.00\r\n") && exportsEvery(saved[4], defs) &&
    (await messageText(page)).includes(` settings to ${answers.savePath}`));
  const restoreMoved = () => page.evaluate((ids) => ids.forEach((id) => TweakEngine.restore(window.external.Registry,
    TweakEngine.definition(TweakDefinitions, id))), moved.map((d) => d.id));
  await restoreMoved();
  const locked = defs.find((d) => d.root === "HKLM" && d.kind === "toggle");
  const cautious = defs.find((d) => d.caution && d.root === "HKCU" && d.kind === "range" && isAvailable(d));
  const opened = saved[4] + regText({ [`${locked.root}\\${locked.key}`]: { [locked.value]: [locked.type, locked.dflt] },
    [`HKCU\\${cautious.key}`]: { [cautious.value]: [cautious.type, String(cautious.max)] },
    "HKCU\\Software\\Elsewhere": { Other: ["sz", "not ours"] } }).replace(/^.*\r\n/, "") + "\"Nine\"=dword:123456789\r\n";
  await page.evaluate((text) => { window.lvDouble.answers.openText = text; }, opened);
  await page.click("#import-settings");
  check("import: the preview is a dialog that takes the focus; Escape cancels it, the focus back on Import settings", await page.evaluate(
    () => document.activeElement.getAttribute("role") === "dialog") && (await byKey(page, null, "Escape", "Escape")) === "import-settings");
  await page.click("#import-settings");
  const rows = await page.$$eval("#import-changes tbody tr", (trs) => trs.map((tr) =>
    [tr.getAttribute("data-tweak"), tr.querySelector("input").disabled, tr.textContent]));
  check(`import: the preview lists the restored settings to apply (${rows.length} rows)`, moved.every((d) =>
    rows.some((r) => r[0] === d.id && !r[1])));
  check("import: a setting of bits shows its own state, not the whole value's", moved.filter((d) => d.bit).every((d) =>
    rows.some((r) => r[0] === d.id && /(On|Off)(On|Off)$/.test(r[2]))));
  check("import: a setting without full access is marked and cannot be chosen", rows.some((r) => r[0] === locked.id &&
    r[1] && r[2].includes("Needs administrator rights")));
  check("import: a value of no setting is listed as such", (await page.textContent("#import-others")).includes(
    "HKCU\\Software\\Elsewhere, \"Other\": not one of this program's settings"));
  check("import: a line that Windows skips is listed", (await page.textContent("#import-others")).includes(
    `Not imported: line ${opened.split("\r\n").length - 1}: dword data has more than eight hexadecimal digits`));
  check("import: a caution is shown, for its own tick", rows.some((r) => r[0] === cautious.id &&
    r[2].includes(cautious.caution) && r[2].includes("Applied only when ticked")));
  await page.screenshot({ path: join(shots, "changes-import.png"), fullPage: true });
  await layouts(page, "changes.html with its preview");
  // Chosen: under Wine the file also holds System settings whose change Wine refuses.
  for (const def of moved)
    await page.check(`#import-changes tr[data-tweak="${def.id}"] input`);
  check("import: after Apply the focus is on Import settings", (await byKey(page, "#import-chosen", "Apply")) === "import-settings");
  check("import: every value back with its type", (await values()) === expected);
  check(`import: journaled (${await messageText(page)})`, (await page.$$("#changes tbody tr")).length >= 2 * moved.length);
  await page.screenshot({ path: join(shots, "changes-imported.png"), fullPage: true });
  if (backend !== doubleBackend) {
    await restoreMoved();
    importRegText(saved[4]);
    check("reg import of the same file gives the same registry", (await values()) === expected);
  }
  check("changes page: Clear the history hands the focus to Export", (await byKey(page, "#clear-history", "Clear")) === "export-settings");
  errors.forEach((e) => problems.push(`changes.html import: ${e}`));
  await page.close();
}

// The Policies page over lines such as the program's Policies object gives, in the test double:
// the users' tree, a category opened, a policy with every kind of option the page changes, in
// every window size; the templates' texts stay text; Enabled with its options reaches the registry.
const policyKey = "Software\\Policies\\LvRender";
const policyLines = {
  CategoryList: "category|T:Root||Root|0|0\ncategory|T:Sub|T:Root|Sub <b>not bold</b>|0|1\nrefused|bad.admx|it is not well-formed XML\n",
  PolicyList: "policy|T:P|Turn off something with a long name that wraps in a narrow window|User|\n",
  PolicyDetail: `policy|T:P|Turn off something|User|${policyKey}|On|At least Windows 10|One%0A<img src=x onerror=alert(1)>|
enabled|${policyKey}|On|dword|1
disabled|${policyKey}|On|dword|0
option|Box|boolean|Also this|${policyKey}|Box|1|0|dword|1|dword|0
option|Num|decimal|How many|${policyKey}|Num|4|1|1|20|0
option|Txt|text|Which text|${policyKey}|Txt||0|100|0
option|Pick|enum|Which one|${policyKey}|Pick|1|0
choice|First|dword|1
choice|Second|sz|second
` };
const policiesDouble = `window.external.Policies = { ${Object.entries(policyLines).map(([name, text]) =>
  `${name}: function () { return ${JSON.stringify(text)}; }`).join(", ")} };`;

async function policiesPage(context) {
  await context.addInitScript({ content: policiesDouble });
  const { page, errors } = await openPage(context, "policies.html");
  check("policies.html: a refused template is named", (await page.textContent("#policy-refused")).includes("bad.admx"));
  check("policies.html: the computer's tree holds no category of users' policies alone",
    (await page.$$("#policy-categories button")).length === 0);
  await page.selectOption("#policy-side", "user");
  await page.click("#policy-categories ul ul button");
  await page.click(".policy-name");
  check("policies.html: the explanation is text", (await page.textContent(".explain")).includes("<img src=x") &&
    (await page.$$(".policy-body img")).length === 0 && !errors.length);
  check("policies.html: Supported on", (await page.textContent(".supported")) === "Supported on: At least Windows 10");
  check("policies.html: a control for each option and the state", (await page.$$(".policy-body select, .policy-body input")).length === 5);
  await layouts(page, "policies.html");
  await page.setViewportSize(windows.at(-1));
  await accessible(page, "policies.html");
  await page.screenshot({ path: join(shots, "policies.png"), fullPage: true });
  await page.selectOption(".policy-body p:nth-of-type(3) select", "enabled");
  await page.fill(".policy-body input[type=number]", "12");
  await page.click(".policy-body .apply");
  check(`policies.html: Enabled is applied (${await messageText(page)})`, (await messageText(page)) === "Turn off something: Enabled.");
  const written = `${await backend.value(page, "HKCU\\" + policyKey, "On")} ${await backend.value(page, "HKCU\\" + policyKey, "Num")}`;
  check(`policies.html: Enabled writes the policy's value and the options' (${written})`, written === "dword,1 dword,12");
  errors.forEach((e) => problems.push(`policies.html: ${e}`));
  await page.close();
}

// Outside the program window.external has no Registry: the page must say so, not fail.
async function withoutProgram(context) {
  const { page, errors } = await openPage(context, "explorer.html");
  check("outside the program: the page says it needs the program",
    (await messageText(page)).includes("inside Lumivanta Manager"));
  errors.forEach((e) => problems.push(`explorer.html outside the program: ${e}`));
  await page.close();
  const policies = await openPage(context, "policies.html");
  check("outside the program: the Policies page says it needs the program",
    (await messageText(policies.page)).includes("inside Lumivanta Manager") && !policies.errors.length);
  await policies.page.close();
}

async function launch(profile, failures, routed = true) {
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    viewport: windows.at(-1),
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  // A step that fails waits this long before it is reported; pages served by lvscript under Wine
  // on a busy machine take seconds to load, so it is generous (LV_TIMEOUT, ms, overrides it).
  context.setDefaultTimeout(Number(process.env.LV_TIMEOUT || 30000));
  if (routed)
    await serveArchive(context, failures);
  return context;
}

// What the real objects cannot give a page here, the test double's way: HKLM without full
// access (Wine runs as an administrator), and dialogs that answer what the test asks for and
// record their calls (a test cannot pick another colour or folder in the real dialogs, nor add
// to the list editor; the dialogs themselves are tested with lvscript --serve on their own).
// The list editor adds its item to the real registry, as the real one would.
const besideRealObjects = `(function (answers) {
  var external, calls = [];
  window.lvDouble = { calls: calls, answers: answers };
  function answering(what) {
    return function () {
      calls.push({ method: what, args: Array.prototype.slice.call(arguments) });
      return answers[what];
    };
  }
  Object.defineProperty(window, "external", { configurable: true, get: function () { return external; },
    set: function (proxy) {
      var registry = proxy.Registry, hasFullAccess = registry.HasFullAccess;
      registry.HasFullAccess = function (root, key) {
        return String(root).toUpperCase() === "HKLM" ? false : hasFullAccess(root, key);
      };
      proxy.Dialogs = { GetColor: answering("color"), GetFile: answering("file"), GetDirectory: answering("folder"),
        SaveTextFile: answering("savePath"), OpenTextFile: answering("openText"),
        StrListEditor1: function (root, key, caption) {
          calls.push({ method: "list", args: [root, key, caption] });
          var count = registry.ValuesCount(root, key);
          registry.RegWriteString(root, key, String(count), answers.listItem);
          return count + 1;
        } };
      external = proxy;
    } });
})(${JSON.stringify(answers)});`;

// The definition files add theirs to a list that is already there.
const withDefinitions = (extra) => `window.TweakDefinitions = ${JSON.stringify(extra)};`;

// Settings of the test's own, drawn on the smallest category's page, for what the archive's do not
// use yet: one for older Windows only, a caution, the System object, a bit, an absent default.
function featureDefinitions(category) {
  const made = (id, title, fields) => ({ id, title, description: `${title}, a setting of the test.`, category,
    root: "HKCU", key: "Software\\Lumivanta render test", kind: "toggle", type: "dword", on: 1, off: 0, dflt: 0,
    takesEffect: "explorer", value: id, ...fields });
  return [made("Small", "Small taskbar buttons",
    { windows: { from: 10240, before: 22000, why: "Windows 11 has no small taskbar buttons." } }),
  made("Clear", "Clear the page file at shut-down",
    { takesEffect: "shutdown", caution: "This can add many minutes to every shut-down." }),
  made("Drag", "Show window contents while dragging", { key: "Control Panel\\Desktop", value: "DragFullWindows",
    type: "sz", on: "1", off: "0", dflt: "1", spi: "DRAGFULLWINDOWS" }),
  made("Sticky", "Sticky Keys shortcut", { type: "sz", bit: { mask: 4 }, dflt: true, base: "510" }),
  made("Hover", "Hover time (ms)", { kind: "range", min: 0, max: 5000, dfltAbsent: true, dflt: 400 })];
}

// The start page counts, and search marks, a setting that does nothing here.
async function featuresStartPage(context, features) {
  const { page, errors } = await openPage(context, "start.html"), category = features[0].category;
  check("features: the start page counts no setting that does nothing here", (await page.textContent(
    `.categories a[href="${category}.html"] em`)).startsWith(`${changedCount(defs.concat(features), category)} setting`));
  await page.fill("#search-box", features[0].title);
  const found = await page.$$eval("#search-results li", (items) => items.map((item) => item.textContent));
  await page.screenshot({ path: join(shots, "features-search.png") });
  check(`features: search marks a setting that does nothing here (${found.join(", ")})`,
    found.some((text) => text.startsWith(features[0].title) && text.endsWith("Not available on this Windows")));
  errors.forEach((e) => problems.push(`features: ${e}`));
  await page.close();
}

// Windows holds its System settings in memory, read at sign-in: through the preview they are set to
// the seeded states, as the double's are seeded with them. Wine refuses some (WineDiffers.js).
async function systemTakesUpSeed(context, all) {
  const wanted = all.filter((d) => d.spi && isAvailable(d)).map((d) => ({ name: d.spi, value: seededValue(d).value,
    number: Number(d.kind === "toggle" ? seededValue(d).raw : seededValue(d).value) }));
  const page = await context.newPage();
  await page.goto(backend.url("start.html"), { waitUntil: "load" });
  const refused = await page.evaluate((list) => list.filter((entry) => {
    const system = window.external.System;
    try {
      return !system.SetSystemParameter(entry.name, typeof system.GetSystemParameter(entry.name) === "boolean" ?
        entry.value : entry.number);
    } catch {
      return true;
    }
  }).map((entry) => entry.name), wanted);
  await page.close();
  refused.filter((name) => !Object.hasOwn(wine.WineRefuses, name)).forEach((name) =>
    problems.push(`the System entry ${name} does not take the seeded state`));
}

// A fresh registry for every page, so that one page's clicks do not change the next one's start.
// Definitions of the test's own (extra) are drawn with those of their category's page.
async function pageContext(profile, failures, category, preview, extra = [], mode = "dark") {
  const keys = registryOf(defs.concat(extra));
  keys[personalizeKey] = { ...keys[personalizeKey], AppsUseLightTheme: ["dword", mode === "dark" ? 0 : 1] };
  if (preview) {
    backend = { url: (name) => preview.base + name, value: (page, where, name) => queryValue(where, name) };
    // The pages' own history of changes starts empty too.
    seedRegistry(keys, ["HKCU\\SOFTWARE\\Lumivanta Manager\\Journal"]);
    const context = await launch(profile, failures, false);
    await context.addInitScript({ content: besideRealObjects + withDefinitions(extra) });
    // The browser asks for an icon outside the token's folder, which the preview refuses.
    await context.route(/\/favicon\.ico$/, (route) => route.fulfill({ status: 204 }));
    await systemTakesUpSeed(context, defs.concat(extra));
    return context;
  }
  backend = doubleBackend;
  const context = await launch(profile, failures);
  const config = { keys, version, fullAccessHklm: false, answers, system: systemOf(defs.concat(extra)) };
  await context.addInitScript({
    content: `${doubleSource}\ninstallExternalDouble(${JSON.stringify(config)});${withDefinitions(extra)}` });
  return context;
}

// ---- Accessibility and Windows' app mode: the pages above run dark, with every setting seeded
// away from its default and AppsUseLightTheme 0; those below light (1).

const axeSource = readFileSync(new URL("./node_modules/axe-core/axe.min.js", import.meta.url), "utf8");
const personalizeKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
const pictured = "input";

// No serious or critical finding of axe-core (its colour-contrast rule holds text to 4.5:1), the
// three landmarks, and every control's border or fill and focus ring at 3:1.
async function accessible(page, label) {
  await page.addScriptTag({ content: axeSource });
  const found = await page.evaluate(async () => (await window.axe.run(document, { resultTypes: ["violations"] })).violations
    .filter((v) => ["serious", "critical"].includes(v.impact)).map((v) => `${v.id}: ${v.nodes.slice(0, 3).map((n) => n.target)}`));
  check(`${label}: no serious or critical accessibility finding (${found.join("; ")})`, found.length === 0);
  check(`${label}: one banner, navigation and main`, await page.evaluate(() =>
    ["banner", "navigation", "main"].every((role) => document.querySelectorAll(`[role=${role}]`).length === 1)));
  const weak = await page.evaluate(controlContrast);
  check(`${label}: every control's edge and focus ring at 3:1 (not: ${weak.join(", ")})`, weak.length === 0);
}

// In the page: the controls whose border (or fill) or focus ring is under 3:1 against what is
// behind them. The check box is drawn by the system, so only its ring counts.
function controlContrast() {
  const rgb = (text) => ((/rgba?\(([^)]+)\)/.exec(text) || [0, "0, 0, 0, 0"])[1]).split(",").map(Number);
  const luminance = (c) => c.slice(0, 3).map((v) => v / 255).map((v) => (v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4))
    .reduce((sum, v, i) => sum + v * [0.2126, 0.7152, 0.0722][i], 0.05);
  const ratio = (a, b) => Math.max(luminance(a), luminance(b)) / Math.min(luminance(a), luminance(b));
  const behind = (node) => (!node ? [255, 255, 255]
    : [rgb(getComputedStyle(node).backgroundColor)].find((c) => c[3] !== 0) || behind(node.parentElement));
  const weak = [], focused = document.activeElement;
  for (const control of [...document.querySelectorAll("button, input, select")].filter((c) => !c.disabled && c.offsetParent)) {
    const back = behind(control.parentElement), style = getComputedStyle(control);
    const edge = control.type === "checkbox" ? 21 : Math.max(ratio(rgb(style.borderTopColor), back), ratio(rgb(style.backgroundColor), back));
    control.focus({ preventScroll: true });
    const ring = ratio(rgb(getComputedStyle(control).boxShadow), back);
    if (edge < 3 || ring < 3)
      weak.push(`${control.dataset.control || control.id || control.textContent} ${edge.toFixed(2)}/${ring.toFixed(2)}`);
  }
  focused.focus({ preventScroll: true });
  return weak;
}

// Pictures for the README: the page as it opens, in the window's size, in its mode.
const modeOf = (page) => page.evaluate(() => (document.documentElement.className === "dark" ? "dark" : "light"));
const picture = async (page, name) => page.screenshot({ path: join(shots, `readme-${name}-${await modeOf(page)}.png`) });

// Sizes at 125, 150 and 200 % (DPI or zoom), larger, 320 wide, and last the program's first window (700 by 500 outside).
const windows = [[547, 369], [456, 307], [342, 230], [960, 640], [1366, 768], [320, 480], [684, 461]].map(([width, height]) =>
  ({ width, height }));

// In the page: sideways scrolling, text beyond its box or over another, On like Off, locked controls not dashed; with rings, no focus ring.
function layoutFaults(rings) {
  const shown = (n) => n.getClientRects().length && getComputedStyle(n).visibility !== "hidden" && !n.closest(".offscreen, .skip");
  const faults = document.documentElement.scrollWidth > innerWidth ? ["scrolls sideways"] : [], items = [], range = document.createRange();
  for (const box of [...document.body.querySelectorAll("*")].filter(shown)) {
    const style = getComputedStyle(box), control = /^(BUTTON|INPUT|SELECT|IMG)$/.test(box.tagName);
    if (!control && (parseFloat(style.borderTopWidth) || (style.backgroundColor !== "rgba(0, 0, 0, 0)" && style.display !== "inline")) &&
      box.scrollWidth + box.scrollHeight > box.clientWidth + box.clientHeight + 1)
      faults.push(`text overflows ${box.id || box.tagName + "." + box.className}`);
    if (box.disabled !== undefined && box.type !== "checkbox" && box.disabled !== (style.borderTopStyle === "dashed"))
      faults.push(`${box.textContent || box.tagName} looks ${box.disabled ? "usable" : "locked"}`);
    if (rings && box.tabIndex >= 0 && !box.disabled && !box.focus({ preventScroll: true }) && /^(none|auto)$/.test(style.outlineStyle) &&
      (matchMedia("(forced-colors: active)").matches || style.boxShadow === "none"))
      faults.push(`no focus ring on ${box.id || box.textContent}`);
    const rects = control ? [box.getBoundingClientRect()] : [...box.childNodes].filter((n) => n.nodeType === 3 && n.data.trim())
      .flatMap((text) => (range.selectNodeContents(text), [...range.getClientRects()]));
    items.push(...rects.map((rect) => ({ box, rect, what: (box.id || box.textContent).trim().slice(0, 24) })));
  }
  items.forEach((a, i) => items.slice(i + 1).forEach((b) => Math.min(a.rect.right, b.rect.right) - Math.max(a.rect.left, b.rect.left) > 2 &&
    Math.min(a.rect.bottom, b.rect.bottom) - Math.max(a.rect.top, b.rect.top) > 2 && !a.box.contains(b.box) && !b.box.contains(a.box) &&
    faults.push(`"${a.what}" and "${b.what}" cover each other`)));
  const [on, off] = [".switch.on:enabled", ".switch:not(.on):enabled"].map((s) => document.querySelector(s));
  return faults.concat(on && off && getComputedStyle(on).backgroundColor === getComputedStyle(off).backgroundColor ? ["On like Off"] : []);
}

// Every page in every window size, dark, in forced colours (Windows' contrast themes) and light, where it is left.
async function layouts(page, name) {
  for (const mode of ["dark", "forced", "light"]) {
    await page.emulateMedia({ forcedColors: mode === "forced" ? "active" : "none" });
    await page.evaluate((dark) => appModeChanged(dark), mode === "dark");
    for (const size of windows) {
      await page.setViewportSize(size);
      const found = await page.evaluate(layoutFaults, size === windows.at(-1));
      check(`${name} ${mode} ${size.width}x${size.height}: ${found.slice(0, 4).join("; ")}`, !found.length);
    }
  }
}

// Changes that leave marks on a category page: its first switch pressed twice (an effect note, two
// changes of one setting for the Changes page) and a number refused (a message, a box marked invalid).
async function changeByKeys(page) {
  for (const [selector, key, text] of [[".switch", "Space"], [".switch", "Enter"], [".number", "Enter", "999999"]]) {
    const id = await page.evaluate((s) => document.querySelector(`#tweaks ${s}:not([disabled])`)?.closest(".tweak").dataset.tweak, selector);
    if (id && text)
      await page.fill(`[data-tweak="${id}"] ${selector}`, text);
    if (id)
      await pressIn(page, { id }, selector, key);
  }
}

// Every page light: as loaded and after changes (the search open, marks of changes and a refusal,
// an undo refused); dark and light again when the program tells the shown page that the mode changed.
async function lightPages(context) {
  const { page, errors } = await openPage(context, "start.html");
  for (const name of ["start.html", ...categories.map((c) => c + ".html"), "changes.html"]) {
    await page.goto(backend.url(name), { waitUntil: "load" });
    check(`${name}: light`, (await modeOf(page)) === "light");
    await accessible(page, `${name} light`);
    if (name === "start.html" || name === pictured + ".html")
      await picture(page, name.replace(/\.html$/, ""));
    await layouts(page, name);
    if (name === "start.html") {
      const backgrounds = await page.evaluate(() => [true, false].map((dark) => window.appModeChanged(dark) ||
        getComputedStyle(document.body).backgroundColor));
      check(`start.html: dark and light again when told so (${backgrounds})`, `${backgrounds}` === "rgb(31, 31, 31),rgb(255, 255, 255)");
      await page.fill("#search-box", "mouse");
    } else if (name === "changes.html")
      await page.click("#changes tbody tr:last-child button");
    else
      await changeByKeys(page);
    await accessible(page, `${name} light, after changes`);
  }
  errors.forEach((e) => problems.push(`light: ${e}`));
  await page.close();
}

const defs = definitions();
const categories = [...new Set(defs.map((d) => d.category))];
const doubleSource = readFileSync(new URL("./external-double.js", import.meta.url), "utf8");
const profile = mkdtempSync(join(tmpdir(), "lv-chromium-"));
mkdirSync(shots, { recursive: true });
const failures = [];
const preview = lvscript ? await startPreview(lvscript, file) : null;
try {
  let context = await launch(join(profile, "plain"), failures);
  await withoutProgram(context);
  await context.close();
  for (const category of [null, ...categories, "changes"]) {
    context = await pageContext(join(profile, category || "start"), failures, category, preview);
    if (category === null) {
      await startPage(context, categories);
      await searchOpensSetting(context, defs).catch((error) => problems.push(`search: ${error.message.split("\n")[0]}`));
      await keyboardWalk(context, categories[0] + ".html");
    } else if (category === "changes") {
      await changesPage(context, defs);
      await keptSettings(context, defs).catch((error) => problems.push(`kept settings: ${error.message.split("\n")[0]}`));
      await settingsTravel(context, defs).catch((error) => problems.push(`import: ${error.message.split("\n")[0]}`));
    }
    else
      await categoryPage(context, category, defs.filter((d) => d.category === category));
    await context.close();
  }
  const smallest = categories.reduce((a, b) => (defs.filter((d) => d.category === b).length <
    defs.filter((d) => d.category === a).length ? b : a));
  const features = featureDefinitions(smallest);
  context = await pageContext(join(profile, "features"), failures, smallest, preview, features);
  await featuresStartPage(context, features);
  await categoryPage(context, smallest, defs.filter((d) => d.category === smallest).concat(features), "features");
  await context.close();
  context = await pageContext(join(profile, "policies"), failures, null, null);
  await policiesPage(context).catch((error) => problems.push(`policies.html: ${error.message.split("\n")[0]}`));
  await context.close();
  context = await pageContext(join(profile, "light"), failures, null, preview, [], "light");
  await lightPages(context);
  await context.close();
} finally {
  preview?.stop();
  rmSync(profile, { recursive: true, force: true });
}
problems.push(...failures);
for (const problem of problems)
  console.log("FAIL " + problem);
console.log(`render: ${categories.length + 4} pages, ${checks} checks, ${problems.length} problems; screenshots in ${shots}`);
process.exit(problems.length ? 1 : 0);
