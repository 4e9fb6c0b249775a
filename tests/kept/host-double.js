// A stand-in for the pages' ProgramHost, to the same contract: DWORD settings of a registry file
// are applied and kept under one store key ("KEY|NAME" = the value kept), a change is noticed,
// recorded ("History", naming the value found, as Wine signals no write of the same data) and
// told; the Windows build last seen is named when it changed. ES3.
/* global external, host */
var ProgramHost = (function () {
    var reg = external.Registry, store = "Software\\LumivantaKeptDouble", v = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    function kept() {
        var list = [], n = reg.ValuesNames("HKCU", store, -1), names = [], i, bar;
        for (i = 0; i < n; i++)
            names.push(reg.ValuesNames("", "", i));
        for (i = 0; i < names.length; i++) {
            bar = names[i].indexOf("|");
            if (bar < 0) continue;
            if (reg.RegValueType("HKCU", store, names[i]) !== "dword") host.echo("Skipped: " + names[i]);
            else list.push({key: names[i].substring(0, bar), name: names[i].substring(bar + 1), value: reg.RegReadInt("HKCU", store, names[i])});
        }
        return list;
    }
    function changed() {
        var k = kept(), out = [], i;
        for (i = 0; i < k.length; i++)
            if (reg.RegReadInt("HKCU", k[i].key, k[i].name) !== k[i].value) out.push(k[i].name + "=" + reg.RegReadInt("HKCU", k[i].key, k[i].name));
        return out;
    }
    function check(reason) {
        var c = changed(), seen = reg.RegReadString("HKLM", v, "CurrentBuild") + "." + reg.RegReadInt("HKLM", v, "UBR"),
            last = reg.RegReadString("HKCU", store, "Build"), text = last && last !== seen ? "Windows went from build " + last + " to " + seen + ". " : "";
        reg.RegWriteString("HKCU", store, "Build", seen);
        // Apart from Told: the check that its own writes to the store wake would write Told again.
        if (text) reg.RegWriteString("HKCU", store, "ToldBuild", text);
        if (c.length) reg.RegWriteString("HKCU", store, "History", reason + ": " + c.join(", "));
        text += c.length ? "Something changed '" + c.join("', '") + "' back" : "";
        if (text) reg.RegWriteString("HKCU", store, "Told", text);
        return text;
    }
    function watchedKeys() {
        var k = kept(), lines = ["HKCU\t" + store], i;
        for (i = 0; i < k.length; i++) lines.push("HKCU\t" + k[i].key);
        return lines.join("\n");
    }
    function apply(text) {
        var lines = text.split("\r\n"), key = "", m, i, writes = [];
        if (lines[0] !== "Windows Registry Editor Version 5.00") { host.echo("Refused: no header"); return 3; }
        for (i = 1; i < lines.length; i++) {
            if ((m = /^\[HKEY_CURRENT_USER\\(.*)\]$/.exec(lines[i]))) key = m[1];
            else if ((m = /^"(.*)"=dword:([0-9a-f]{8})$/.exec(lines[i]))) writes.push({key: key, name: m[1], value: parseInt(m[2], 16)});
            else if (lines[i] !== "") { host.echo("Refused: line " + (i + 1)); return 3; }
        }
        reg.RegCreateKey("HKCU", store);
        for (i = 0; i < writes.length; i++) {
            reg.RegCreateKey("HKCU", writes[i].key);
            reg.RegWriteInt("HKCU", writes[i].key, writes[i].name, writes[i].value);
            reg.RegWriteInt("HKCU", store, writes[i].key + "|" + writes[i].name, writes[i].value);
            host.echo("Applied: " + writes[i].name);
        }
        return 0;
    }
    function command(name, text) {
        var c = changed(), i;
        if (name === "apply") return apply(text);
        if (name === "export") { host.write("Windows Registry Editor Version 5.00\n"); return 0; }
        for (i = 0; i < c.length; i++) host.echo("Changed back: " + c[i]);
        return c.length ? 1 : 0;
    }
    return {watchedKeys: watchedKeys, check: check, command: command};
}());
