// Opens the page at URL of lvscript --serve in headless Chromium and prints what its scripts get
// from the real objects: a failing method, an undefined argument, then a colour dialog that
// COMMAND answers.
// Usage: node preview.mjs URL COMMAND...
import { spawn } from "node:child_process";
import { chromium } from "playwright-core";

const [url, ...answer] = process.argv.slice(2);
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking"],
});
try {
  const page = await browser.newPage();
  await page.goto(url);
  console.log("failure: " + await page.evaluate(() => {
    try {
      return "no error " + window.external.Registry.RegCreateKey("HKEY_CURRENT_USER", "Software");
    } catch (e) {
      return e.constructor.name + " " + e.message;
    }
  }));
  console.log("undefined: " + await page.evaluate(() =>
    typeof window.external.Registry.RegReadString("HKCU", "Software", undefined)));
  const pressed = new Promise((resolve) => spawn(answer[0], answer.slice(1), { stdio: "inherit" }).on("exit", resolve));
  console.log("colour: " + await page.evaluate(() => window.external.Dialogs.GetColor(0x123456)));
  console.log("pressed: " + await pressed);
} finally {
  await browser.close();
}
