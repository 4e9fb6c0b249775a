// Calls per second of external.Registry.RegReadString from a page in headless Chromium through
// `lvscript --serve`, against the same calls made by JScript inside lvscript.exe, in one run,
// and their ratio. Run it inside a Wine session with a display, e.g.
//   xvfb-run -a scripts/with-wine-session.sh build/win/bin/wine_keeper.exe \
//     node bench/preview_bench.mjs build/win/bin/lvscript.exe build/win/bin/Ruroda.db
// Usage: node preview_bench.mjs LVSCRIPT ARCHIVE [CALLS] (RUN_TOOL runs Windows programs, "wine" if unset)
import { execFileSync } from "node:child_process";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { startPreview } from "../tests/pages/preview-backend.mjs";

const { chromium } = createRequire(new URL("../tests/pages/", import.meta.url))("playwright-core");
const [lvscript, archive] = process.argv.slice(2);
const calls = Number(process.argv[4] || 2000);
const runTool = process.env.RUN_TOOL || "wine";
// Ten times as many calls in the tool, so that its clock sees more than a few ticks.
function direct() {
  const folder = mkdtempSync(join(tmpdir(), "lv-bench-"));
  try {
    writeFileSync(join(folder, "calls.js"), `var calls = Number(host.args[0]), start = new Date().getTime();
for (var i = 0; i < calls; i++)
  external.Registry.RegReadString("HKCU", "Control Panel\\\\Desktop", "Wallpaper");
host.echo(calls * 1000 / Math.max(1, new Date().getTime() - start));`);
    return Number(execFileSync(runTool, [lvscript, join(folder, "calls.js"), String(calls * 10)], { encoding: "latin1" }));
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

async function throughPreview() {
  const preview = await startPreview(lvscript, archive);
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking"] });
  try {
    const page = await browser.newPage();
    await page.goto(preview.base + "start.html");
    return await page.evaluate((count) => {
      const start = performance.now();
      for (let i = 0; i < count; i++)
        window.external.Registry.RegReadString("HKCU", "Control Panel\\Desktop", "Wallpaper");
      return count * 1000 / (performance.now() - start);
    }, calls);
  } finally {
    await browser.close();
    preview.stop();
  }
}

const inTool = direct();
const inBrowser = await throughPreview();
console.log(`RegReadString: lvscript.exe ${inTool.toFixed(0)} calls/s, Chromium through the preview ${inBrowser.toFixed(0)} calls/s`);
console.log(`ratio lvscript.exe / preview: ${(inTool / inBrowser).toFixed(1)}`);
