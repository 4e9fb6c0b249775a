// The Dialogs object as a page's script sees it, run by lvscript while dialogs.sh answers each
// dialog in this order. host.args: an existing folder, a file name in it.
var folder = host.args[0], file = host.args[1];
var dialogs = external.Dialogs;

check("the same Dialogs object on every read", external.Dialogs === external.Dialogs, true);
check("a colour confirmed unchanged comes back", dialogs.GetColor(0x123456), "123456");
check("pure red confirmed", dialogs.GetColor(0xFF0000), "FF0000");
check("a small colour zero-padded", dialogs.GetColor(0x00000A), "00000A");
check("a cancelled colour is false", dialogs.GetColor(0xABCDEF), false);
check("a typed file name comes back as its full path", dialogs.GetFile("", "Text files", "*.txt"), file);
check("a cancelled file is false", dialogs.GetFile(file, "Text files", "*.txt"), false);
check("the start folder confirmed", dialogs.GetDirectory(folder), folder);
check("a cancelled folder is false", dialogs.GetDirectory(folder), false);
host.echo(passed + " passed, " + failed + " failed");
