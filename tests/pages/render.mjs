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

// A value other than the Windows default, in the page's terms, and as the registry holds it.
function seededValue(def) {
  const asRaw = (n) => (def.type === "dword" ? n : String(n));
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
    "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion": { ProductName: ["sz", "Windows 10 Pro"] },
  };
  for (const def of defs) {
    const where = def.root + "\\" + def.key;
    keys[where] = keys[where] || {};
    if (def.kind === "list")
      keys[where]["0"] = ["sz", "Showed file name extensions"];
    else if (def.kind !== "entries")
      keys[where][def.value] = [def.type, seededValue(def).raw];
  }
  return keys;
}

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
  const errors = [];
  page.on("pageerror", (error) => errors.push(`script error: ${error.message}`));
  page.on("console", (message) => message.type() === "error" && errors.push(`console: ${message.text()}`));
  page.on("dialog", (dialog) => dialog.accept());
  await page.goto(backend.url(name), { waitUntil: "load" });
  const brokenPictures = await page.$$eval("img", (images) =>
    images.filter((img) => !img.complete || img.naturalWidth === 0).map((img) => img.src));
  check(`${name}: every picture loads (${brokenPictures.join(", ")})`, brokenPictures.length === 0);
  return { page, errors };
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

async function restoresDefault(page, def) {
  await clickIn(page, def, ".restore");
  const raw = await registryValue(page, def);
  check(`${def.id}: restore writes the Windows default`, raw !== null && raw[1] === def.dflt);
  check(`${def.id}: and says so`, (await page.textContent(`[data-tweak="${def.id}"]`)).includes("Windows default"));
}

async function changesOnClick(page, def) {
  const box = `[data-tweak="${def.id}"]`;
  if (def.root === "HKLM") {
    check(`${def.id}: locked without full access`, await page.$$eval(`${box} button, ${box} select, ${box} input`,
      (controls) => controls.length > 0 && controls.every((c) => c.disabled)));
    return;
  }
  const seeded = seededValue(def);
  const expectRaw = async (what, raw) => {
    const actual = await registryValue(page, def);
    check(`${def.id}: ${what} (got ${JSON.stringify(actual)})`, actual !== null && actual[1] === raw);
  };
  switch (def.kind) {
  case "toggle":
    await clickIn(page, def, ".switch");
    await expectRaw("a click switches the value", seeded.value ? def.off : def.on);
    check(`${def.id}: the page shows the new state`, (await stateOf(page, def)) === String(!seeded.value));
    await clickIn(page, def, ".switch");
    await expectRaw("a second click switches it back", seeded.raw);
    break;
  case "choice": {
    const index = def.choices.findIndex((c) => c.value !== def.dflt && c.value !== seeded.value);
    await page.selectOption(`${box} select`, String(index));
    await expectRaw("choosing writes the choice", def.choices[index].value);
    break;
  }
  case "range":
    await page.fill(`${box} input`, String(def.max + 1));
    await clickIn(page, def, "button.small");
    await expectRaw("a number out of range is refused", seeded.raw);
    check(`${def.id}: and the page says why`, (await messageText(page)).includes(String(def.max)));
    check(`${def.id}: nor when a change takes effect`, (await page.$(`${box} .effect`)) === null);
    await page.fill(`${box} input`, String(def.max - 1));
    await clickIn(page, def, "button.small");
    await expectRaw("Set writes the number", def.type === "dword" ? def.max - 1 : String(def.max - 1));
    check(`${def.id}: the message goes`, (await messageText(page)) === "");
    break;
  case "color":
    await clickIn(page, def, "button.small");
    await expectRaw("the chosen colour is written as R G B", "255 128 0");
    break;
  default:
    await clickIn(page, def, "button.small");
    await expectRaw("the chosen path is written", def.kind === "file" ? answers.file : answers.folder);
  }
  check(`${def.id}: says when the change takes effect`,
    /^Takes effect (at once|when|after)/.test(await page.textContent(`${box} .effect`)));
  await restoresDefault(page, def);
}

async function listsWork(page, def) {
  const box = `[data-tweak="${def.id}"]`;
  if (def.kind === "entries") {
    check(`${def.id}: lists both start-up entries`, (await page.$$(`${box} tr`)).length === 2);
    await page.click(`${box} tr[data-entry="Sync tool"] button`);
    check(`${def.id}: Remove deletes the entry`,
      (await backend.value(page, runKey, "Sync tool")) === null);
    check(`${def.id}: and its row`, (await page.$$(`${box} tr`)).length === 1);
    return;
  }
  await clickIn(page, def, "button.small");
  const call = await page.evaluate(() => window.lvDouble.calls.filter((c) => c.method === "list").pop());
  check(`${def.id}: the list editor opens on the list's key`,
    call && call.args.join("|") === [def.root, def.key, def.title].join("|"));
  check(`${def.id}: the page shows what the editor added`,
    (await page.textContent(box)).includes(answers.listItem) && (await stateOf(page, def)) === "2");
}

async function categoryPage(context, category, defs) {
  const { page, errors } = await openPage(context, category + ".html");
  for (const def of defs) {
    const expected = def.kind === "entries" ? "2" : def.kind === "list" ? "1" : String(seededValue(def).value);
    check(`${def.id}: drawn with the state the registry holds (${await stateOf(page, def)}, expected ${expected})`,
      (await stateOf(page, def)) === expected);
    check(`${def.id}: titled`, (await page.textContent(`[data-tweak="${def.id}"] h2`)) === def.title);
    check(`${def.id}: no word of when a change takes effect before a change`,
      (await page.$(`[data-tweak="${def.id}"] .effect`)) === null);
  }
  await navNamesEvery(page, category + ".html");
  await onlyChangedFilters(page, defs);
  await page.screenshot({ path: join(shots, category + ".png"), fullPage: true });
  await page.click("#export-settings");
  const saved = await page.evaluate(() => window.lvDouble.calls.filter((c) => c.method === "savePath").pop().args);
  check(`${category}: exports its own settings`, saved[3] === `Lumivanta settings (${category}).reg` &&
    (await messageText(page)).startsWith(`Exported ${defs.filter((d) => d.dflt !== undefined).length} setting`));
  for (const def of defs) {
    try {
      await (def.kind === "entries" || def.kind === "list" ? listsWork(page, def) : changesOnClick(page, def));
    } catch (error) {
      problems.push(`${def.id}: ${error.message.split("\n")[0]}`);
    }
  }
  await page.screenshot({ path: join(shots, category + "-after-clicks.png"), fullPage: true });
  errors.forEach((e) => problems.push(`${category}.html: ${e}`));
  await page.close();
}

async function startPage(context, categories) {
  const { page, errors } = await openPage(context, "start.html");
  check("start page: the version from CheckVer", (await page.textContent("#version")) === "Version 1.0");
  check("start page: the Windows product", (await page.textContent("#windows")).includes("Windows 10 Pro"));
  const links = await page.$$eval(".categories a", (as) => as.map((a) => a.getAttribute("href")));
  check("start page: a link to every category", categories.every((c) => links.includes(c + ".html")));
  await navNamesEvery(page, "start.html");
  const notes = await Promise.all(categories.map((c) => page.textContent(`.categories a[href="${c}.html"] em`)));
  check(`start page: how many settings of each category differ from the Windows default (${notes.join(", ")})`,
    notes.every((note, i) => note.startsWith(`${defs.filter((d) => d.category === categories[i] && d.dflt !== undefined).length} setting`)));
  await page.screenshot({ path: join(shots, "start.png"), fullPage: true });
  errors.forEach((e) => problems.push(`start.html: ${e}`));
  await page.close();
}

// Every page reaches every category: by the side menu, and by the search box.
async function navNamesEvery(page, name) {
  const links = await page.$$eval("#nav a", (as) => as.map((a) => a.getAttribute("href")));
  check(`${name}: the side menu links to every category`, categories.every((c) => links.includes(c + ".html")));
  check(`${name}: has the search box`, (await page.$("#search-box")) !== null);
}

// Every setting is drawn changed; one restored to its default is hidden by "Show only changed
// settings", with the lists and start-up entries, which have no Windows default.
async function onlyChangedFilters(page, defs) {
  const restored = defs.find((d) => d.root === "HKCU" && d.dflt !== undefined);
  await clickIn(page, restored, ".restore");
  await page.check("#only-changed");
  for (const def of defs) {
    const shown = def !== restored && def.dflt !== undefined;
    check(`${def.id}: ${shown ? "shown" : "hidden"} with only changed settings`,
      (await page.isVisible(`[data-tweak="${def.id}"]`)) === shown);
  }
  await page.screenshot({ path: join(shots, defs[0].category + "-only-changed.png"), fullPage: true });
  await page.uncheck("#only-changed");
  check(`${restored.id}: shown again with every setting`, await page.isVisible(`[data-tweak="${restored.id}"]`));
  // The registry outlives the page: undoing the restore lets the clicks below start from the seeded state.
  await page.evaluate(() => TweakEngine.undo(window.external.Registry, TweakEngine.journal(window.external.Registry)[0].ref));
  await page.reload();
}

// From the start page: words of a setting of another page, in capitals and with an accent, find
// it with its category's name; choosing it opens that page with the setting focused.
async function searchOpensSetting(context, defs) {
  const { page, errors } = await openPage(context, "start.html");
  const wanted = defs.filter((d) => d.category === categories[categories.length - 1])[0];
  await page.fill("#search-box", wanted.title.toUpperCase().replace("E", "\u00c9"));
  const results = await page.$$eval("#search-results a", (as) => as.map((a) => a.textContent));
  const category = await page.textContent(`#nav a[href="${wanted.category}.html"]`);
  check(`search: finds "${wanted.title}" with its category (${results.join(", ")})`, results.includes(wanted.title + category));
  await page.screenshot({ path: join(shots, "search.png"), fullPage: true });
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

// Two changes are listed on the Changes page, newest first, before and after each; Undo names its row's
// change: the older one waits for the newer. Undo all stops at a value changed since and says where,
// then brings back what the category page showed.
async function changesPage(context, defs) {
  const def = defs.find((d) => d.kind === "toggle" && d.root === "HKCU"), seeded = seededValue(def);
  const other = seeded.raw === def.on ? def.off : def.on, words = (raw) => (raw === def.on ? "On" : "Off");
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
  await page.click("#changes tbody tr:nth-child(2) button");
  check(`changes page: the older change waits for the newer (${await messageText(page)})`,
    (await messageText(page)).endsWith("undo the newer change first.") && (await rows()).length === 2);
  await page.click("#changes tbody tr:nth-child(1) button");
  await setRaw(7);
  await page.click("#undo-all");
  check(`changes page: undo all says where it stopped (${await messageText(page)})`, (await messageText(page)) ===
    `Undo all stopped after 0 of 1 changes. ${def.title} was changed since: it is now 7` && (await rows()).length === 1);
  await setRaw(other);
  await page.click("#undo-all");
  check("changes page: Undo all takes the changes out", (await rows()).length === 0 && (await messageText(page)) === "");
  await page.goto(backend.url(def.category + ".html"), { waitUntil: "load" });
  check("changes page: the category page shows the earlier state again", (await stateOf(page, def)) === shown);
  errors.forEach((e) => problems.push(`changes.html: ${e}`));
  await page.close();
}

// Three categories' settings exported from the Changes page, restored, and imported again after
// a preview that also shows a setting without full access and a value of no setting: every value
// back with its type; with the preview, `reg import` of the same file gives the same registry.
async function settingsTravel(context, defs) {
  const { page, errors } = await openPage(context, "changes.html");
  await page.click("#export-settings");
  const saved = await page.evaluate(() => window.lvDouble.calls.filter((c) => c.method === "savePath").pop().args);
  const moved = defs.filter((d) => categories.slice(0, 3).includes(d.category) && d.root === "HKCU" && d.dflt !== undefined);
  const values = async () => JSON.stringify(await Promise.all(moved.map((d) => registryValue(page, d))));
  const expected = await values();
  check(`export: a registry file of every setting (${saved[4].slice(0, 60)})`, saved[3] === "Lumivanta settings.reg" &&
    saved[4].startsWith("Windows Registry Editor Version 5.00\r\n") && (await messageText(page)).startsWith(
      `Exported ${defs.filter((d) => d.dflt !== undefined).length} settings to ${answers.savePath}`));
  const restoreMoved = () => page.evaluate((ids) => ids.forEach((id) => TweakEngine.restore(window.external.Registry,
    TweakEngine.definition(TweakDefinitions, id))), moved.map((d) => d.id));
  await restoreMoved();
  const locked = defs.find((d) => d.root === "HKLM" && d.kind === "toggle");
  await page.evaluate((text) => { window.lvDouble.answers.openText = text; }, saved[4] +
    regText({ [`${locked.root}\\${locked.key}`]: { [locked.value]: [locked.type, locked.dflt] },
      "HKCU\\Software\\Elsewhere": { Other: ["sz", "not ours"] } }).replace(/^.*\r\n/, ""));
  await page.click("#import-settings");
  const rows = await page.$$eval("#import-changes tbody tr", (trs) => trs.map((tr) =>
    [tr.getAttribute("data-tweak"), tr.querySelector("input").disabled, tr.textContent]));
  check(`import: the preview lists the restored settings to apply (${rows.length} rows)`, moved.every((d) =>
    rows.some((r) => r[0] === d.id && !r[1])));
  check("import: a setting without full access is marked and cannot be chosen", rows.some((r) => r[0] === locked.id &&
    r[1] && r[2].includes("Needs administrator rights")));
  check("import: a value of no setting is listed as such", (await page.textContent("#import-others")).includes(
    "HKCU\\Software\\Elsewhere, \"Other\": not one of this program's settings"));
  await page.screenshot({ path: join(shots, "changes-import.png"), fullPage: true });
  await page.click("#import-all");
  check("import: every value back with its type", (await values()) === expected);
  check(`import: journaled (${await messageText(page)})`, (await page.$$("#changes tbody tr")).length >= 2 * moved.length);
  await page.screenshot({ path: join(shots, "changes-imported.png"), fullPage: true });
  if (backend !== doubleBackend) {
    await restoreMoved();
    importRegText(saved[4]);
    check("reg import of the same file gives the same registry", (await values()) === expected);
  }
  errors.forEach((e) => problems.push(`changes.html import: ${e}`));
  await page.close();
}

// Outside the program window.external has no Registry: the page must say so, not fail.
async function withoutProgram(context) {
  const { page, errors } = await openPage(context, "explorer.html");
  check("outside the program: the page says it needs the program",
    (await messageText(page)).includes("inside Lumivanta Manager"));
  errors.forEach((e) => problems.push(`explorer.html outside the program: ${e}`));
  await page.close();
}

async function launch(profile, failures, routed = true) {
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    viewport: { width: 960, height: 700 },
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  context.setDefaultTimeout(5000);
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

// A fresh registry for every page, so that one page's clicks do not change the next one's start.
async function pageContext(profile, failures, category, preview) {
  const keys = registryOf(defs);
  if (preview) {
    backend = { url: (name) => preview.base + name, value: (page, where, name) => queryValue(where, name) };
    // The pages' own history of changes starts empty too.
    seedRegistry(keys, ["HKCU\\SOFTWARE\\Lumivanta Manager\\Journal"]);
    const context = await launch(profile, failures, false);
    await context.addInitScript({ content: besideRealObjects });
    // The browser asks for an icon outside the token's folder, which the preview refuses.
    await context.route(/\/favicon\.ico$/, (route) => route.fulfill({ status: 204 }));
    return context;
  }
  backend = doubleBackend;
  const context = await launch(profile, failures);
  const config = { keys, version, fullAccessHklm: false, answers };
  await context.addInitScript({ content: `${doubleSource}\ninstallExternalDouble(${JSON.stringify(config)});` });
  return context;
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
      await settingsTravel(context, defs).catch((error) => problems.push(`import: ${error.message.split("\n")[0]}`));
    }
    else
      await categoryPage(context, category, defs.filter((d) => d.category === category));
    await context.close();
  }
} finally {
  preview?.stop();
  rmSync(profile, { recursive: true, force: true });
}
problems.push(...failures);
for (const problem of problems)
  console.log("FAIL " + problem);
console.log(`render: ${categories.length + 2} pages, ${checks} checks, ${problems.length} problems; screenshots in ${shots}`);
process.exit(problems.length ? 1 : 0);
