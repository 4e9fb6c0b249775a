// A test double of the program's window.external for headless Chromium, backed by an in-memory
// registry. It follows the program's rules where the pages can tell: writes never make a key,
// RegWriteInt leaves a text value alone, reading a value of the wrong type fails with the
// program's message, only the short root key names are known, and every method insists on its
// exact number of arguments, as the program's dispatch does. Dialogs answer what the test asks
// for and record their calls; the System object keeps its entries' values and records what it
// is asked to announce, but changes no registry value.
// installExternalDouble(config): config.keys maps "ROOT\\key" to { name: [type, data] };
// config.version, config.fullAccessHklm, config.answers { color, file, folder, listItem, savePath,
// openText, administrator }, which a test may change through window.lvDouble.answers; config.system { NAME: true,
// false or a number }.
function installExternalDouble(config) {
    var keys = {};
    var calls = [];
    var nameList = [];
    var roots = { HKCR: 1, HKCU: 1, HKLM: 1, HKU: 1, HKCC: 1, HKPD: 1, HKDD: 1 };
    var systemValues = JSON.parse(window.sessionStorage.getItem("lvDouble.system")) || config.system || {};

    function path(root, name) {
        var hive = String(root).toUpperCase();
        return roots[hive] ? hive + "\\" + String(name).replace(/^\\/, "").toLowerCase() : null;
    }

    function key(root, name) {
        var where = path(root, name);
        return where === null ? null : keys[where] || null;
    }

    function find(values, name) {
        for (var i = 0; i < values.length; i++) {
            if (values[i].name.toLowerCase() === String(name).toLowerCase())
                return values[i];
        }
        return null;
    }

    function writable(root, name) {
        return key(root, name) !== null && (String(root).toUpperCase() !== "HKLM" || config.fullAccessHklm);
    }

    function put(root, name, value, type, data) {
        if (!writable(root, name))
            return;
        var values = key(root, name), found = find(values, value);
        if (found) {
            found.type = type;
            found.data = data;
        } else {
            values.push({ name: String(value), type: type, data: data });
        }
    }

    function get(root, name, value) {
        var values = key(root, name);
        return values ? find(values, value) : null;
    }

    function wrongType(value) {
        return new Error("Invalid data type for '" + value + "'");
    }

    function makeKey(root, name) {
        var parts = String(name).replace(/^\\/, "").split("\\"), at = "", i;
        if (path(root, "") === null)
            throw new Error("Failed to create key " + name);
        for (i = 0; i < parts.length; i++) {
            at += (i ? "\\" : "") + parts[i];
            if (!keys[path(root, at)])
                keys[path(root, at)] = [];
        }
        return true;
    }

    // The registry outlives a page, as the real one does: the tab's next page starts from it.
    function method(arity, body) {
        return function () {
            if (arguments.length !== arity)
                throw new Error("Invalid number of parameters.");
            var result = body.apply(null, arguments);
            window.sessionStorage.setItem("lvDouble.keys", JSON.stringify(keys));
            window.sessionStorage.setItem("lvDouble.system", JSON.stringify(systemValues));
            return result;
        };
    }

    var registry = {
        RegReadString: method(3, function (root, name, value) {
            var found = get(root, name, value);
            if (!found)
                return "";
            if (found.type !== "sz" && found.type !== "expand")
                throw wrongType(value);
            return found.data;
        }),
        RegWriteString: method(4, function (root, name, value, data) { put(root, name, value, "sz", String(data)); }),
        RegWriteExpandString: method(4, function (root, name, value, data) {
            put(root, name, value, "expand", String(data));
        }),
        RegReadInt: method(3, function (root, name, value) {
            var found = get(root, name, value);
            return found && found.type === "dword" ? found.data : 0;
        }),
        RegWriteInt: method(4, function (root, name, value, data) {
            var found = get(root, name, value);
            if (!found || found.type === "dword")
                put(root, name, value, "dword", Number(data) | 0);
        }),
        RegReadBinary: method(3, function (root, name, value) {
            var found = get(root, name, value);
            if (found && found.type !== "binary")
                throw wrongType(value);
            return found ? found.data : "";
        }),
        RegWriteBinary: method(4, function (root, name, value, hex) {
            if (!/^([0-9A-Fa-f]{2})*$/.test(hex))
                throw new Error("Invalid binary data for '" + value + "'");
            put(root, name, value, "binary", hex.toUpperCase());
        }),
        RegReadBool: method(3, function (root, name, value) {
            var found = get(root, name, value);
            if (!found)
                return false;
            if (found.type !== "dword")
                throw wrongType(value);
            return found.data !== 0;
        }),
        RegWriteBool: method(4, function (root, name, value, data) { put(root, name, value, "dword", data ? 1 : 0); }),
        RegValueExists: method(3, function (root, name, value) { return get(root, name, value) !== null; }),
        RegValueType: method(3, function (root, name, value) { return (get(root, name, value) || { type: "" }).type; }),
        HasFullAccess: method(2, writable),
        ValuesCount: method(2, function (root, name) {
            var values = key(root, name);
            return values ? values.length : 0;
        }),
        RegDeleteValue: method(3, function (root, name, value) {
            var values = key(root, name), found = values && find(values, value);
            if (!found || !writable(root, name))
                return false;
            values.splice(values.indexOf(found), 1);
            return true;
        }),
        RegCreateKey: method(2, makeKey),
        RegCreateNewKey: method(2, function (root, name) { return key(root, name) === null && makeKey(root, name); }),
        RegKeyExists: method(2, function (root, name) { return key(root, name) !== null; }),
        RegDeleteKey: method(3, function (root, name) {
            var where = path(root, name), gone = false, other;
            for (other in keys) {
                if (where !== null && (other === where || other.indexOf(where + "\\") === 0)) {
                    delete keys[other];
                    gone = true;
                }
            }
            return gone;
        }),
        ValuesNames: method(3, function (root, name, index) {
            var values;
            if (index < 0) {
                values = key(root, name) || [];
                nameList = values.map(function (v) { return v.name; });
                return nameList.length;
            }
            return index < nameList.length ? nameList[index] : "";
        })
    };

    function answer(what, args) {
        calls.push({ method: what, args: Array.prototype.slice.call(args) });
        return config.answers[what] === undefined ? false : config.answers[what];
    }

    var dialogs = {
        SaveTextFile: method(5, function () { return answer("savePath", arguments); }),
        OpenTextFile: method(3, function () { return answer("openText", arguments); }),
        GetColor: method(1, function () { return answer("color", arguments); }),
        GetFile: method(3, function () { return answer("file", arguments); }),
        GetDirectory: method(1, function () { return answer("folder", arguments); }),
        StrListEditor1: method(3, function (root, name) {
            calls.push({ method: "list", args: Array.prototype.slice.call(arguments) });
            var values = key(root, name);
            if (values && config.answers.listItem)
                put(root, name, String(values.length), "sz", config.answers.listItem);
            return values ? values.length : 0;
        })
    };

    var system = {
        GetSystemParameter: method(1, function (name) { return systemValues[name]; }),
        SetSystemParameter: method(2, function (name, value) {
            systemValues[name] = value;
            return true;
        }),
        NotifySettingChange: method(1, function (area) {
            calls.push({ method: "notify", args: [area] });
            return true;
        }),
        // No files here: every path is taken as found.
        PathPlace: method(1, function () { return "here"; }),
        ShieldIcon: method(0, function () { return "data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"; }),
        // The user declines the consent unless the test answers otherwise.
        ChangeAsAdministrator: method(1, function (lines) {
            calls.push({ method: "administrator", args: [lines] });
            return config.answers.administrator || "declined\n";
        })
    };

    function split(where) {
        var at = where.indexOf("\\");
        return { root: where.slice(0, at), key: where.slice(at + 1) };
    }

    function seed(where, values) {
        var place = split(where), name;
        makeKey(place.root, place.key);
        for (name in values)
            key(place.root, place.key).push({ name: name, type: values[name][0], data: values[name][1] });
    }

    for (var seeded in config.keys)
        seed(seeded, config.keys[seeded]);
    keys = JSON.parse(window.sessionStorage.getItem("lvDouble.keys")) || keys;

    window.external = {
        CheckVer: method(1, function (minimum) { return config.version >= minimum; }),
        Registry: registry,
        Dialogs: dialogs,
        System: system,
        ProcessMessages: method(0, function () {})
    };
    window.lvDouble = {
        value: function (where, name) {
            var place = split(where), found = get(place.root, place.key, name);
            return found ? [found.type, found.data] : null;
        },
        calls: calls,
        answers: config.answers
    };
}
