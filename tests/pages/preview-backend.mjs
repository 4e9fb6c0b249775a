// The pages opened through `lvscript --serve` under Wine, their scripts reaching the program's
// real objects over the registry of the test prefix (WINEPREFIX, a throw-away one): seeded with
// one `reg import`, read back with `reg query`, both in the native view that the program and
// the tool work in.
// RUN_TOOL runs Windows programs ("wine" when unset).
import { execFileSync, spawn } from "node:child_process";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

const runTool = process.env.RUN_TOOL || "wine";
const hives = { HKCU: "HKEY_CURRENT_USER", HKLM: "HKEY_LOCAL_MACHINE" };
const types = { REG_DWORD: "dword", REG_SZ: "sz", REG_EXPAND_SZ: "expand", REG_BINARY: "binary" };

const longName = (where) => where.replace(/^[A-Z]+/, (root) => hives[root]);
const quoted = (text) => `"${String(text).replace(/\\/g, "\\\\").replace(/"/g, '\\"')}"`;

function regLine(name, [type, data]) {
  if (type === "dword")
    return `${quoted(name)}=dword:${(data >>> 0).toString(16).padStart(8, "0")}`;
  if (type === "sz")
    return `${quoted(name)}=${quoted(data)}`;
  if (type === "binary")
    return `${quoted(name)}=hex:${(data.match(/../g) || []).join(",")}`;
  const bytes = [...Buffer.from(data + "\0", "utf16le")].map((b) => b.toString(16).padStart(2, "0"));
  return `${quoted(name)}=hex(2):${bytes.join(",")}`;
}

// keys: { "ROOT\\key": { name: [type, data] } }, as the test double takes them; removed: keys
// deleted first, with all they hold.
export function regText(keys, removed = []) {
  const lines = ["Windows Registry Editor Version 5.00", "", ...removed.map((where) => `[-${longName(where)}]`), ""];
  for (const [where, values] of Object.entries(keys))
    lines.push(`[${longName(where)}]`, ...Object.entries(values).map(([name, value]) => regLine(name, value)), "");
  return lines.join("\r\n");
}

// Applies the text of a registry file with `reg import`.
export function importRegText(text) {
  const folder = mkdtempSync(join(tmpdir(), "lv-seed-"));
  try {
    // UTF-16, as regedit writes this version: Wine reads hex(2) data of a narrow file as narrow text.
    writeFileSync(join(folder, "seed.reg"), "\ufeff" + text, "utf16le");
    execFileSync(runTool, ["reg", "import", join(folder, "seed.reg"), "/reg:64"], { stdio: "ignore" });
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

export function seedRegistry(keys, removed = []) {
  importRegText(regText(keys, removed));
}

// [type, data] as the test double gives it, or null when the value is missing.
export function queryValue(where, name) {
  let output;
  try {
    output = execFileSync(runTool, ["reg", "query", longName(where), ...(name ? ["/v", name] : ["/ve"]), "/reg:64"],
      { encoding: "latin1", stdio: ["ignore", "pipe", "ignore"] });
  } catch {
    return null;
  }
  for (const line of output.split(/\r?\n/)) {
    const found = /^ {4}(.*?) {4}(REG_[A-Z_]+)(?: {4}(.*))?$/.exec(line);
    if (found && (found[1] === name || (!name && found[1] === "(Default)")) && types[found[2]])
      return [types[found[2]], found[2] === "REG_DWORD" ? Number(found[3]) : found[3] || ""];
  }
  return null;
}

// Starts the preview of archive and gives the address of its pages folder and a way to end it.
export async function startPreview(lvscript, archive) {
  const child = spawn(runTool, [lvscript, "--serve", archive], { stdio: ["ignore", "pipe", "inherit"] });
  const firstLine = await new Promise((resolve, reject) => {
    let text = "";
    child.stdout.on("data", (data) => {
      text += data;
      if (text.includes("\n"))
        resolve(text.split(/\r?\n/)[0]);
    });
    child.on("exit", (code) => reject(new Error(`lvscript --serve ended with ${code} before it served`)));
  });
  return { base: firstLine.replace(/start\.html$/, ""), stop: () => child.kill() };
}
