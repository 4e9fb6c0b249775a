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

    function fail(lineNumber, reason) {
        throw new Error("Line " + lineNumber + ": " + reason + ".");
    }

    function trimStart(text) {
        return text.replace(/^\s+/, "");
    }

    function trimEnd(text) {
        return text.replace(/\s+$/, "");
    }

    function rootOf(name, lineNumber) {
        var upper = name.toUpperCase(), fullName;
        for (fullName in shortRoots) {
            if (upper === fullName || upper === shortRoots[fullName])
                return shortRoots[fullName];
        }
        return fail(lineNumber, "\"" + name + "\" is not a root key such as HKEY_CURRENT_USER");
    }

    function longRoot(root) {
        var fullName;
        for (fullName in shortRoots) {
            if (shortRoots[fullName] === root.toUpperCase())
                return fullName;
        }
        throw new Error("\"" + root + "\" is not a root key name");
    }

    // "[HKEY_...\key]" or "[-HKEY_...\key]".
    function keyLine(line, lineNumber) {
        var text = trimEnd(line), deletes, parts;
        if (text.charAt(text.length - 1) !== "]")
            fail(lineNumber, "a key line without its closing \"]\"");
        text = text.substring(1, text.length - 1);
        deletes = text.charAt(0) === "-";
        parts = (deletes ? text.substring(1) : text).split("\\");
        return { line: lineNumber, deletesKey: deletes, root: rootOf(parts[0], lineNumber),
                 key: parts.slice(1).join("\\").replace(/\\+$/, "") };
    }

    // The text between the quotes at cursor.at, escapes resolved; the cursor moves past it.
    function quoted(cursor) {
        var text = cursor.text, result = "", at = cursor.at + 1, c;
        while (at < text.length) {
            c = text.charAt(at);
            if (c === "\"") {
                cursor.at = at + 1;
                return result;
            }
            if (c === "\\") {
                c = text.charAt(++at);
                if (!Object.prototype.hasOwnProperty.call(escapes, c))
                    fail(cursor.line, "\"\\" + c + "\" is not an escape that a registry file knows");
                c = escapes[c];
            }
            result += c;
            at++;
        }
        return fail(cursor.line, "a quoted text without its closing quote");
    }

    function restIsEmpty(cursor) {
        var rest = trimStart(cursor.text.substring(cursor.at));
        return rest === "" || rest.charAt(0) === ";";
    }

    // The bytes of hex data that starts in lines[index] at text and may go on over lines that
    // end in "\"; gives them with the index of its last line.
    function hexBytes(lines, index, text) {
        var bytes = [], pieces, piece, more, j;
        for (;;) {
            text = trimEnd(text);
            more = text.charAt(text.length - 1) === "\\";
            if (more)
                text = text.substring(0, text.length - 1);
            pieces = trimEnd(text) === "" ? [] : text.split(",");
            for (j = 0; j < pieces.length; j++) {
                piece = trimEnd(trimStart(pieces[j]));
                if (piece === "" && j === pieces.length - 1 && j > 0) {
                    if (!more)
                        fail(index + 1, "the hex data ends with a comma, so it is cut short");
                } else if (/^[0-9A-Fa-f]{1,2}$/.test(piece)) {
                    bytes.push(parseInt(piece, 16));
                } else {
                    fail(index + 1, piece === "" ? "a byte is missing between two commas"
                                                 : "\"" + piece + "\" is not a byte in hexadecimal");
                }
            }
            if (!more)
                return { bytes: bytes, last: index };
            if (++index >= lines.length || trimStart(lines[index]) === "")
                fail(index, "the hex data breaks off after the \"\\\" that continues it");
            text = trimStart(lines[index]);
        }
    }

    function hexPairs(bytes) {
        var digits = "0123456789ABCDEF", text = "", i;
        for (i = 0; i < bytes.length; i++)
            text += digits.charAt(bytes[i] >> 4) + digits.charAt(bytes[i] & 15);
        return text;
    }

    // Text stored as bytes: UTF-16 LE in version 5, single bytes in REGEDIT4; the terminating
    // NUL is not part of the text.
    function textOfBytes(bytes, wide, lineNumber) {
        var text = "", i;
        if (wide && bytes.length % 2 !== 0)
            fail(lineNumber, "text stored as hex has an odd number of bytes");
        for (i = 0; i < bytes.length; i += wide ? 2 : 1)
            text += String.fromCharCode(wide ? bytes[i] | bytes[i + 1] << 8 : bytes[i]);
        return text.replace(/\0$/, "");
    }

    function hexState(kind, bytes, wide, lineNumber) {
        if (kind === 1 || kind === 2)
            return { type: kind === 1 ? "sz" : "expand", data: textOfBytes(bytes, wide, lineNumber) };
        if (kind === 3)
            return { type: "binary", data: hexPairs(bytes) };
        if (kind === 4 && bytes.length === 4)
            return { type: "dword", data: bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24 };
        return { type: "other", kind: kind, data: hexPairs(bytes) };
    }

    // One value line (and the lines it goes on over); gives the entry and its last line's index.
    function valueLine(lines, index, key, wide) {
        var cursor = { text: lines[index], at: 0, line: index + 1 }, entry, name, data, found, hex;
        cursor.text = trimStart(cursor.text);
        if (cursor.text.charAt(0) === "@") {
            name = "";
            cursor.at = 1;
        } else if (cursor.text.charAt(0) === "\"") {
            name = quoted(cursor);
        } else {
            fail(cursor.line, "neither a [key] line, a value line (\"name\"= or @=) nor a comment");
        }
        data = trimStart(cursor.text.substring(cursor.at));
        if (data.charAt(0) !== "=")
            fail(cursor.line, "the value's name is not followed by \"=\"");
        cursor.text = trimStart(data.substring(1));
        cursor.at = 0;
        data = cursor.text;
        entry = { line: cursor.line, root: key.root, key: key.key, name: name };
        if (data.charAt(0) === "-") {
            cursor.at = 1;
            entry.state = { type: "none", data: "" };
        } else if (data.charAt(0) === "\"") {
            entry.state = { type: "sz", data: quoted(cursor) };
        } else if ((found = /^dword:([0-9A-Fa-f]+)/i.exec(data)) !== null) {
            if (found[1].length > 8)
                fail(cursor.line, "dword data has more than eight hexadecimal digits");
            cursor.at = found[0].length;
            entry.state = { type: "dword", data: parseInt(found[1], 16) | 0 };
        } else if ((found = /^hex(\(([0-9A-Fa-f]{1,8})\))?:/i.exec(data)) !== null) {
            hex = hexBytes(lines, index, data.substring(found[0].length));
            entry.state = hexState(found[2] ? parseInt(found[2], 16) : 3, hex.bytes, wide, cursor.line);
            return { entry: entry, last: hex.last };
        } else {
            fail(cursor.line, "the data is none of \"text\", dword:, hex: or -");
        }
        if (!restIsEmpty(cursor))
            fail(cursor.line, "something follows the value's data");
        return { entry: entry, last: index };
    }

    // The entries of a registry file in their order: values { line, root, key, name, state }
    // and key deletions { line, root, key, deletesKey: true }. A file that is not well formed
    // fails with its first fault and its line; nothing of it is given.
    function parse(text) {
        var lines, version, entries = [], key = null, i, line, read;
        text = String(text);
        if (text.length > maxLength)
            throw new Error("The file is larger than 4 MiB, which no file of settings is.");
        // A string, not a pattern, parts the lines: JScript's split by a pattern drops empty lines.
        lines = text.replace(/^\uFEFF/, "").replace(/\r\n?/g, "\n").split("\n");
        line = trimEnd(lines[0]);
        version = line === header5 ? 5 : line === header4 ? 4 : 0;
        if (version === 0)
            fail(1, "not a registry file: it does not start with \"" + header5 + "\" or \"" + header4 + "\"");
        for (i = 1; i < lines.length; i++) {
            line = trimStart(lines[i]);
            if (line === "" || line.charAt(0) === ";")
                continue;
            if (line.charAt(0) === "[") {
                key = keyLine(line, i + 1);
                if (key.deletesKey)
                    entries.push(key);
                continue;
            }
            if (key === null)
                fail(i + 1, "a value before the first [key] line");
            if (key.deletesKey)
                fail(i + 1, "a value under a key that the file deletes");
            read = valueLine(lines, i, key, version === 5);
            entries.push(read.entry);
            i = read.last;
        }
        return { version: version, entries: entries };
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

    return { parse: parse, format: format, maxLength: maxLength };
}());
