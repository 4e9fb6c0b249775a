// Every link and every script, style sheet and picture that a page or a style sheet refers to
// must be an entry of the archive, found as the "tweaks:" handler would find it; and no page may
// hold script that the linter never sees (inline scripts or event attributes).
// Usage: node links.mjs RURODATOOL ARCHIVE
import { Archive, entryPathOfUrl } from "./archive.mjs";

const [tool, file] = process.argv.slice(2);
const archive = new Archive(tool, file);
const problems = [];

function references(entryPath, text) {
  if (entryPath.endsWith(".css"))
    return [...text.matchAll(/url\(\s*["']?([^"')]+)["']?\s*\)/g)].map((m) => m[1]);
  return [...text.matchAll(/\s(?:href|src)\s*=\s*"([^"]*)"/gi)].map((m) => m[1]);
}

function inlineScriptProblems(entryPath, text) {
  const found = [];
  for (const m of text.matchAll(/<script\b([^>]*)>([\s\S]*?)<\/script>/gi)) {
    if (!/\ssrc\s*=/.test(m[1]) || m[2].trim() !== "")
      found.push(`${entryPath}: an inline script, which the linter does not check`);
  }
  if (/\son[a-z]+\s*=/i.test(text.replace(/<script[\s\S]*?<\/script>/gi, "")))
    found.push(`${entryPath}: an event attribute, which the linter does not check`);
  return found;
}

function checkEntry(entryPath) {
  const text = archive.content(entryPath).toString("latin1");
  const pageUrl = "tweaks://" + entryPath.replace(/\\/g, "/");
  if (entryPath.endsWith(".html"))
    problems.push(...inlineScriptProblems(entryPath, text));
  for (const reference of references(entryPath, text)) {
    if (/^(https?|mailto):/i.test(reference) || reference.startsWith("#"))
      continue;
    const target = new URL(reference, pageUrl);
    target.hash = "";
    if (archive.content(entryPathOfUrl(target.href)) === null)
      problems.push(`${entryPath}: "${reference}" names nothing in the archive (${entryPathOfUrl(target.href)})`);
  }
  return 1;
}

const start = "tweaks://tweaks/start.html";
if (archive.content(entryPathOfUrl(start)) === null)
  problems.push(`the start page ${start} is not in the archive`);
const checked = archive.entries().filter((e) => /\.(html|css)$/.test(e)).map(checkEntry).length;
for (const problem of problems)
  console.log("FAIL " + problem);
console.log(`links: ${checked} pages and style sheets, ${problems.length} problems`);
process.exit(problems.length ? 1 : 0);
