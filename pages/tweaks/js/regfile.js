// Registry files (.reg) as regedit writes and reads them: "Windows Registry Editor Version 5.00"
// and "REGEDIT4" are read, version 5 is written. It touches no page and no registry, so
// lvscript runs it exactly as the pages do; ES3, since the platform's JScript runs it.
//
// A value's state is { type, data }: "sz" and "expand" with a text, "dword" with a signed
// 32-bit number (as RegReadInt gives it), "binary" with upper-case hex pairs (as RegReadBinary
// gives them), "none" with "" for a value deleted ("=-"), and "other" with the hex pairs and
// the registry type number in kind (REG_NONE, REG_MULTI_SZ, REG_QWORD, ...).
var RegFile = (function () {
    var maxLength = 4 * 1024 * 1024;
    var header5 = "Windows Registry Editor Version 5.00", header4 = "REGEDIT4";
    var shortRoots = { HKEY_CLASSES_ROOT: "HKCR", HKEY_CURRENT_USER: "HKCU", HKEY_LOCAL_MACHINE: "HKLM",
                       HKEY_USERS: "HKU", HKEY_CURRENT_CONFIG: "HKCC", HKEY_PERFORMANCE_DATA: "HKPD",
                       HKEY_DYN_DATA: "HKDD" };
    var escapes = { "\\": "\\", "\"": "\"", n: "\n", r: "\r" };
    // regedit breaks a hex line once it reaches this many characters, and indents the next by two.
    var hexLineLength = 77;

    // The rules of reading are Windows' own. [KB] is Microsoft's article "How to add, modify, or
    // delete registry subkeys and values by using a .reg file" (support.microsoft.com/help/310516);
    // [W name] the behaviour of Windows' reg import that the public conformance tests of an
    // independent reg import state for the value or key of that name (Wine's
    // programs/reg/tests/import.c, run on Windows). A line that Windows skips is skipped and named
    // with its reason; the rest of the file is read.
    function skip(reason) {
        throw { skipped: reason };
    }

    // Blanks are spaces and tabs [W Wine4a, Wine5d]. Lines are trimmed and scanned by index: the
    // platform's script engine takes each step of a script's loop slowly, so a run of characters is
    // passed over by the engine's own search for one character of a class, which never backtracks,
    // and nothing takes more than linear time.
    var notBlank = /[^ \t]/g, notHexDigit = /[^0-9A-Fa-f]/g, quoteOrBackslash = /["\\]/g, backslash = /\\/g;
    var notBackslash = /[^\\]/g;
    var endOfFile = new RegExp(String.fromCharCode(26), "g");

    // The index of the first character from at on that pattern (global, one character) matches; -1
    // for none.
    function search(pattern, text, at) {
        var found;
        pattern.lastIndex = at;
        found = pattern.exec(text);
        return found === null ? -1 : found.index;
    }

    function skipBlanks(text, at) {
        var found = search(notBlank, text, at);
        return found < 0 ? text.length : found;
    }

    function hexDigitsEnd(text, at) {
        var found = search(notHexDigit, text, at);
        return found < 0 ? text.length : found;
    }

    // Where the run of characters that outside (one character, not global) does not match ends
    // before end, found by doubling and halving the run's length, so that a long run takes few
    // steps of the script: the last inside characters are in the run, the last beyond are not (or
    // are more than there are), and each test looks only at the characters between them.
    function runStart(text, end, outside) {
        var inside = 0, beyond = 1, middle;
        while (beyond <= end && !outside.test(text.substring(end - beyond, end - inside))) {
            inside = beyond;
            beyond *= 2;
        }
        beyond = Math.min(beyond, end + 1);
        while (beyond - inside > 1) {
            middle = Math.floor((inside + beyond) / 2);
            if (outside.test(text.substring(end - middle, end - inside)))
                beyond = middle;
            else
                inside = middle;
        }
        return end - inside;
    }

    // A key's path without the backslashes before and after it.
    function bareKey(key) {
        var text = String(key), start = search(notBackslash, text, 0);
        return start < 0 ? "" : text.substring(start, runStart(text, text.length, /[^\\]/));
    }

    function endOfText(text) {
        return runStart(text, text.length, /[^ \t]/);
    }

    // Data may be followed by blanks and a ";" comment, never by a "#" one [W Wine39a, Wine39c,
    // Wine50a, Wine50c].
    function restIsEmpty(text, at) {
        at = skipBlanks(text, at);
        return at === text.length || text.charAt(at) === ";";
    }

    function endOfData(text, at) {
        if (!restIsEmpty(text, at))
            skip("something other than a \";\" comment follows the data");
    }

    function rootOf(name) {
        var upper = name.toUpperCase(), fullName;
        for (fullName in shortRoots) {
            if (upper === fullName || upper === shortRoots[fullName])
                return shortRoots[fullName];
        }
        return skip("\"" + name + "\" is not a root key such as HKEY_CURRENT_USER");
    }

    function longRoot(root) {
        var fullName;
        for (fullName in shortRoots) {
            if (shortRoots[fullName] === root.toUpperCase())
                return fullName;
        }
        throw new Error("\"" + root + "\" is not a root key name");
    }

    // "[HKEY_...\key]" or "[-HKEY_...\key]" [KB]; no blank after "[" or "-" [W Subkey1a, Subkey2a],
    // blanks before the "]" belong to the key's name [W Subkey1c], and a "\" that ends it does not
    // [W Subkey1e].
    function keyLine(text, at, lineNumber) {
        var end = endOfText(text), deletes, slash, key;
        if (text.charAt(end - 1) !== "]")
            skip("a key line without its closing \"]\"");
        deletes = text.charAt(++at) === "-";
        at += deletes ? 1 : 0;
        slash = search(backslash, text, at);
        slash = slash < 0 || slash > end - 1 ? end - 1 : slash;
        key = { line: lineNumber, deletesKey: deletes, root: rootOf(text.substring(at, slash)) };
        key.key = text.substring(slash + 1, Math.max(runStart(text, end - 1, /[^\\]/), slash + 1));
        return key;
    }

    // The text between the quotes at cursor.at, escapes resolved; the cursor moves past it. Each
    // quote and backslash is looked for once. "\0" and other escapes are no text [W Wine70a], and
    // a quoted text never goes on over lines [W Wine41b].
    function quoted(cursor) {
        var text = cursor.text, at = cursor.at + 1, result = "", next, c;
        for (;;) {
            next = search(quoteOrBackslash, text, at);
            if (next < 0)
                skip("a quoted text without its closing quote");
            if (text.charAt(next) === "\"") {
                cursor.at = next + 1;
                return result + text.substring(at, next);
            }
            c = text.charAt(next + 1);
            if (c === "")
                skip("a quoted text without its closing quote");
            if (!Object.prototype.hasOwnProperty.call(escapes, c))
                skip("\"\\" + c + "\" is not an escape that a registry file knows");
            result += text.substring(at, next) + escapes[c];
            at = next + 2;
        }
    }

    // The index in the next line that goes on with hex data, past blank lines and ";" comment lines
    // [W Wine60e, Wine60a]; -1 at the end of the file, which ends the data [W Wine62a].
    function continuedLine(lines, reading) {
        var at;
        while (++reading.last < lines.length) {
            at = skipBlanks(lines[reading.last], 0);
            if (at < lines[reading.last].length && lines[reading.last].charAt(at) !== ";")
                return at;
        }
        return -1;
    }

    // The bytes of hex data from at in the line reading.last: one or two hex digits each, parted
    // by commas with blanks around them. A line may end in a comma [W Wine49, Wine64d], or go on in
    // the next after a "\" that follows a comma or the type [KB; W Wine52l, Wine45e, Wine53a]; the
    // line that goes on starts with a byte [W Wine63a, Wine59a] and may be any line, which is then
    // no line of its own [W Wine55b]. reading.last follows the lines read.
    function hexBytes(lines, reading, at) {
        var text = lines[reading.last], bytes = [], afterByte = false, lineStart = false, c, end;
        for (;;) {
            at = skipBlanks(text, at);
            c = text.charAt(at);
            if (at === text.length || c === ";")
                return bytes;
            if (afterByte) {
                if (c !== ",")
                    skip(c === "\\" ? "a \"\\\" that continues hex data must follow a comma" :
                         "\"" + c + "\" follows a byte of the hex data");
                afterByte = false;
                at++;
            } else if (c === "\\" && !lineStart) {
                if (!restIsEmpty(text, at + 1))
                    skip("something other than a \";\" comment follows the \"\\\" that continues the hex data");
                at = continuedLine(lines, reading);
                if (at < 0)
                    return bytes;
                text = lines[reading.last];
                lineStart = true;
            } else {
                end = hexDigitsEnd(text, at);
                if (end === at || end - at > 2)
                    skip(c === "," ? "a byte is missing before a comma in the hex data" :
                         "\"" + text.substring(at, Math.max(end, at + 1)) + "\" is not a byte in hexadecimal");
                bytes.push(parseInt(text.substring(at, end), 16));
                afterByte = true;
                lineStart = false;
                at = end;
            }
        }
    }

    function hexPairs(bytes) {
        var digits = "0123456789ABCDEF", text = "", i;
        for (i = 0; i < bytes.length; i++)
            text += digits.charAt(bytes[i] >> 4) + digits.charAt(bytes[i] & 15);
        return text;
    }

    function wideText(bytes) {
        var text = "", i;
        if (bytes.length % 2 !== 0)
            skip("text stored as hex has an odd number of bytes");
        for (i = 0; i < bytes.length; i += 2)
            text += String.fromCharCode(bytes[i] | bytes[i + 1] << 8);
        return text;
    }

    function withoutFinalNul(text) {
        return text.charAt(text.length - 1) === "\0" ? text.substring(0, text.length - 1) : text;
    }

    function wideBytes(text) {
        var bytes = [], i;
        for (i = 0; i < text.length; i++)
            bytes.push(text.charCodeAt(i) & 255, text.charCodeAt(i) >> 8);
        return bytes;
    }

    // Text stored as bytes: UTF-16 LE in version 5, and in REGEDIT4 the code page of the system,
    // which ansiText turns into text, as Windows does when it writes such a value; the terminating
    // NUL is not part of a text. A list of texts (REG_MULTI_SZ) is kept as UTF-16 LE bytes.
    function hexState(kind, bytes, ansiText) {
        if (kind === 1 || kind === 2)
            return { type: kind === 1 ? "sz" : "expand",
                     data: withoutFinalNul(ansiText ? ansiText(hexPairs(bytes)) : wideText(bytes)) };
        if (kind === 3)
            return { type: "binary", data: hexPairs(bytes) };
        if (kind === 4 && bytes.length === 4)
            return { type: "dword", data: bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24 };
        return { type: "other", kind: kind, data: hexPairs(kind === 7 && ansiText ? wideBytes(ansiText(hexPairs(bytes))) : bytes) };
    }

    // "dword:", blanks [W Wine9a], one to eight hex digits [W Wine32a, Wine33c], and after them
    // nothing but a ";" comment [W Wine36a, Wine34b, Wine35a].
    function dwordData(cursor) {
        var at = skipBlanks(cursor.text, cursor.at), end = hexDigitsEnd(cursor.text, at);
        if (end === at)
            skip("dword: without its hexadecimal number");
        if (end - at > 8)
            skip("dword data has more than eight hexadecimal digits");
        cursor.at = end;
        return parseInt(cursor.text.substring(at, end), 16) | 0;
    }

    // The type number of "hex(N):", one to eight hex digits [W Wine47h, Wine47i, Wine47j]; 3 for
    // "hex:"; -1 when the data starts otherwise. The cursor moves past the colon.
    function hexKind(cursor) {
        var text = cursor.text, at = cursor.at + 3, end;
        if (text.substring(cursor.at, at).toLowerCase() !== "hex")
            return -1;
        if (text.charAt(at) === ":") {
            cursor.at = at + 1;
            return 3;
        }
        end = hexDigitsEnd(text, at + 1);
        if (text.charAt(at) !== "(" || end === at + 1 || end - at > 9 || text.substring(end, end + 2) !== "):")
            return -1;
        cursor.at = end + 2;
        return parseInt(text.substring(at + 1, end), 16);
    }

    // One value line from at on (and the lines it goes on over): "name" or @ [KB], "=" with blanks
    // around it [W Wine5d], and its data: "text", dword:, hex:, hex(N): or - to delete it [KB].
    function valueLine(lines, reading, at, key, ansiText) {
        var cursor = { text: lines[reading.last], at: at + 1 }, entry, kind;
        entry = { line: reading.last + 1, root: key.root, key: key.key, name: "" };
        if (cursor.text.charAt(at) === "\"") {
            cursor.at = at;
            entry.name = quoted(cursor);
        }
        cursor.at = skipBlanks(cursor.text, cursor.at);
        if (cursor.text.charAt(cursor.at) !== "=")
            skip("the value's name is not followed by \"=\"");
        cursor.at = skipBlanks(cursor.text, cursor.at + 1);
        if (cursor.text.charAt(cursor.at) === "-") {
            cursor.at++;
            entry.state = { type: "none", data: "" };
        } else if (cursor.text.charAt(cursor.at) === "\"") {
            entry.state = { type: "sz", data: quoted(cursor) };
        } else if (cursor.text.substring(cursor.at, cursor.at + 6).toLowerCase() === "dword:") {
            cursor.at += 6;
            entry.state = { type: "dword", data: dwordData(cursor) };
        } else if ((kind = hexKind(cursor)) >= 0) {
            entry.state = hexState(kind, hexBytes(lines, reading, cursor.at), ansiText);
            return entry;
        } else {
            skip("the data is none of \"text\", dword:, hex:, hex(N): or -");
        }
        endOfData(cursor.text, cursor.at);
        return entry;
    }

    // What one line (with those it goes on over) gives: a value or a key deletion to add to the
    // entries, a key to read the values under, or nothing. A value is read under the last key line
    // read; under one that deletes its key or that was skipped it is skipped, as Windows writes
    // it nowhere [W Wine46a, Wine46b].
    function readLine(lines, reading, state) {
        var text = lines[reading.last], at = skipBlanks(text, 0), c = text.charAt(at);
        // Blank lines, and comments starting with ";" [KB] or "#" [W Wine3]. A "\" ending a comment
        // does not continue it [W Wine8].
        if (at === text.length || c === ";" || c === "#")
            return null;
        if (c === "[") {
            state.key = null;
            state.keyLine = reading.last + 1;
            state.key = keyLine(text, at, reading.last + 1);
            return state.key.deletesKey ? state.key : null;
        }
        if (c !== "@" && c !== "\"")
            skip("neither a [key] line, a value line (\"name\"= or @=) nor a comment");
        if (state.keyLine === 0)
            skip("a value before the first [key] line");
        if (state.key === null)
            skip("a value under the key line " + state.keyLine + ", which is not imported");
        if (state.key.deletesKey)
            skip("a value under a key that the file deletes");
        return valueLine(lines, reading, at, state.key, state.ansiText);
    }

    // The file's text as the platform reads a text file: a Ctrl-Z ends it (learn.microsoft.com,
    // C runtime "Translation Mode Constants"), and its lines end in CRLF, LF or CR.
    function linesOf(text) {
        var end = search(endOfFile, text, 0);
        text = end < 0 ? text : text.substring(0, end);
        return text.split("\r\n").join("\n").split("\r").join("\n").split("\n");
    }

    // The header on the first line, blanks before and after it allowed [W " REGEDIT4"], its letters
    // as they are [W "regedit4"]: 5 or 4, 0 for none.
    function versionOf(line) {
        var at = skipBlanks(line, 0), header = line.substring(at, Math.max(endOfText(line), at));
        return header === header5 ? 5 : header === header4 ? 4 : 0;
    }

    // The entries of a registry file in their order: values { line, root, key, name, state } and
    // key deletions { line, root, key, deletesKey: true }; and the lines skipped { line, reason }.
    // ansiText(hexPairs) gives the text of bytes in the system's code page, for a REGEDIT4 file. A
    // file larger than the bound, or without the header, is refused: Windows refuses a file
    // without it [W "regedit4"], and one whose first line is blank [W "\nREGEDIT4"].
    function parse(text, ansiText) {
        var lines, version, entries = [], skipped = [], state = { key: null, keyLine: 0 }, reading, entry, i;
        text = String(text);
        if (text.length > maxLength)
            throw new Error("The file is larger than 4 MiB, which no file of settings is.");
        lines = linesOf(text.charAt(0) === "\uFEFF" ? text.substring(1) : text);
        version = versionOf(lines[0]);
        if (version === 0)
            throw new Error("Line 1: not a registry file: it does not start with \"" + header5 + "\" or \"" + header4 + "\".");
        state.ansiText = version === 4 ? ansiText || function () {
            throw new Error("Text in a REGEDIT4 file is read in the system's code page, which was not given");
        } : null;
        for (i = 1; i < lines.length; i = reading.last + 1) {
            reading = { last: i };
            try {
                entry = readLine(lines, reading, state);
                if (entry !== null)
                    entries.push(entry);
            } catch (e) {
                if (e.skipped === undefined)
                    throw e;
                skipped.push({ line: i + 1, reason: e.skipped + (reading.last > i ? " (line " + (reading.last + 1) + ")" : "") });
            }
        }
        return { version: version, entries: entries, skipped: skipped };
    }

    function quote(text) {
        return "\"" + String(text).replace(/[\\"]/g, "\\$&") + "\"";
    }

    function textBytes(text) {
        var bytes = [], i;
        for (i = 0; i < text.length; i++)
            bytes.push(text.charCodeAt(i) & 255, text.charCodeAt(i) >> 8);
        bytes.push(0, 0);
        return bytes;
    }

    function bytesOfPairs(pairs) {
        var bytes = [], i;
        for (i = 0; i < pairs.length; i += 2)
            bytes.push(parseInt(pairs.substr(i, 2), 16));
        return bytes;
    }

    // Lower-case pairs after the prefix, broken as regedit breaks them: "\" at the end of each
    // line that reaches hexLineLength characters, the next line indented by two blanks.
    function hexData(start, prefix, bytes) {
        var text = start + prefix, length = text.length, i, pair;
        for (i = 0; i < bytes.length; i++) {
            pair = (bytes[i] < 16 ? "0" : "") + bytes[i].toString(16);
            text += pair;
            if (i === bytes.length - 1)
                break;
            text += ",";
            length += 3;
            if (length >= hexLineLength) {
                text += "\\\r\n  ";
                length = 2;
            }
        }
        return text;
    }

    // A text with a line break or a NUL is written as hex(1), since quoted text cannot hold it.
    function valueText(name, state) {
        var start = (name === "" ? "@" : quote(name)) + "=", dword;
        switch (state.type) {
        case "none":
            return start + "-";
        case "dword":
            dword = (state.data >>> 0).toString(16);
            return start + "dword:" + "00000000".substring(dword.length) + dword;
        case "sz":
            return /[\r\n\0]/.test(state.data) ? hexData(start, "hex(1):", textBytes(state.data))
                                                   : start + quote(state.data);
        case "expand":
            return hexData(start, "hex(2):", textBytes(state.data));
        case "binary":
            return hexData(start, "hex:", bytesOfPairs(state.data));
        default:
            throw new Error("A value of type \"" + state.type + "\" is not written to a registry file");
        }
    }

    // Keys compare part by part, as regedit lists them, ignoring letter case.
    function compareKeys(a, b) {
        var left = (longRoot(a.root) + "\\" + a.key).toLowerCase().split("\\"), i, right;
        right = (longRoot(b.root) + "\\" + b.key).toLowerCase().split("\\");
        for (i = 0; i < left.length && i < right.length; i++) {
            if (left[i] !== right[i])
                return left[i] < right[i] ? -1 : 1;
        }
        return left.length - right.length;
    }

    function compareNames(a, b) {
        var left = a.name.toLowerCase(), right = b.name.toLowerCase();
        return left < right ? -1 : left > right ? 1 : 0;
    }

    // A version 5 file with CRLF line ends of values { root, key, name, state }, keys and
    // values in a stable order (the default value first), the comment lines after the header.
    function format(values, comments) {
        var lines = [header5], sorted = values.slice(0), i, previous = null;
        for (i = 0; i < comments.length; i++)
            lines.push("; " + comments[i]);
        sorted.sort(function (a, b) {
            return compareKeys(a, b) || compareNames(a, b);
        });
        for (i = 0; i < sorted.length; i++) {
            if (previous === null || compareKeys(previous, sorted[i]) !== 0)
                lines.push("", "[" + longRoot(sorted[i].root) + (sorted[i].key ? "\\" + sorted[i].key : "") + "]");
            lines.push(valueText(sorted[i].name, sorted[i].state));
            previous = sorted[i];
        }
        lines.push("", "");
        return lines.join("\r\n");
    }

    return { parse: parse, format: format, bareKey: bareKey, maxLength: maxLength };
}());
