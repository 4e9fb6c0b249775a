// The archive as the program serves it: every lookup goes through "rurodatool cat", which finds
// an entry exactly as the program does, and every URL becomes an entry path as the "tweaks:"
// handler makes it: the first nine characters dropped, each "/" turned into "\".
import { execFileSync } from "node:child_process";

export function entryPathOfUrl(url) {
  return url.slice("tweaks://".length).replace(/\//g, "\\");
}

export class Archive {
  constructor(tool, file) {
    this.tool = tool;
    this.file = file;
  }

  entries() {
    const listing = execFileSync(this.tool, ["list", this.file], { encoding: "latin1" });
    return listing.split("\n").filter(Boolean).map((line) => line.split("\t")[0]);
  }

  // The entry's bytes, or null when the program would serve nothing.
  content(entryPath) {
    try {
      const bytes = execFileSync(this.tool, ["cat", this.file, entryPath], { stdio: ["ignore", "pipe", "pipe"] });
      return bytes.length > 0 ? bytes : null;
    } catch (error) {
      if (error.status === 1)
        return null;
      throw error;
    }
  }
}
