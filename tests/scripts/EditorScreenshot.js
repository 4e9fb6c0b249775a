// Opens the string list editor over three entries, for a picture of it (tests/screenshots.sh).
var registry = external.Registry;
var key = "Software\\LumivantaScreenshot-" + Math.floor(Math.random() * 1e9);
registry.RegCreateKey("HKCU", key);
registry.RegWriteString("HKCU", key, "0", "C:\\Tools\\backup.exe");
registry.RegWriteString("HKCU", key, "1", "notepad.exe");
registry.RegWriteString("HKCU", key, "2", "%SystemRoot%\\explorer.exe");
try {
    host.echo(external.Dialogs.StrListEditor1("HKCU", key, "Programs started at logon"));
} finally {
    registry.RegDeleteKey("HKCU", key, true);
}
