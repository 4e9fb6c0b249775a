// The checks that the script tests share; lvscript runs this file before each test script
// (--include). A failed check prints a "FAIL" line, which the test runs look for.
var passed = 0, failed = 0;

function check(what, actual, expected) {
    if (actual === expected) {
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
