// The checks that the script tests share; lvscript runs this file before each test script
// (--include). A failed check prints a "FAIL" line, which the test runs look for.
var passed = 0, failed = 0;

// A string's copy as one flat buffer. Wine's JScript compares two strings built with "+" by their
// first half only, so a wrong result that differs late would pass a plain "===".
function flat(value) {
    return typeof value === "string" ? value.split("").join("") : value;
}

function check(what, actual, expected) {
    if (flat(actual) === flat(expected)) {
        passed++;
    } else {
        failed++;
        host.echo("FAIL " + what + ": got " + actual + " (" + typeof actual + "), expected " + expected +
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
