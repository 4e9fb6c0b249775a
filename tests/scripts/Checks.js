// The checks that the script tests share; lvscript runs this file before each test script
// (--include). A failed check prints a "FAIL" line, which the test runs look for.
var passed = 0, failed = 0;

// Where a failed check is told; the checks' own test listens there instead.
var report = function (text) {
    host.echo(text);
};

// A string's copy as one flat buffer. Wine's JScript compares two strings built with "+" by their
// first half only, so a wrong result that differs late would pass a plain "===".
function flat(value) {
    return typeof value === "string" ? value.split("").join("") : value;
}

// "===" on flat copies: the only way the tests compare what may be a string.
function same(a, b) {
    return flat(a) === flat(b);
}

function check(what, actual, expected) {
    if (same(actual, expected)) {
        passed++;
    } else {
        failed++;
        report("FAIL " + what + ": got " + actual + " (" + typeof actual + "), expected " + expected +
               " (" + typeof expected + ")");
    }
}

// The message of what call raises, or "no failure".
function failure(call) {
    try {
        call();
    } catch (e) {
        return e.message;
    }
    return "no failure";
}
