// Tweak definitions: accessibility. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var access = "Control Panel\\Accessibility";
    var cursors = "Control Panel\\Cursors";
    // Each feature's Flags carry its keyboard shortcut in bit 4; the rest is left as Windows sets it.
    function shortcut(id, feature, title, description, on, off) {
        return {
            id: id, category: "access", kind: "toggle", takesEffect: "signout",
            title: title, description: description,
            root: "HKCU", key: access + "\\" + feature, value: "Flags", type: "sz", on: on, off: off, dflt: on
        };
    }
    function cursor(id, value, title, description, file) {
        return {
            id: id, category: "access", kind: "file", takesEffect: "signout",
            title: title, description: description,
            root: "HKCU", key: cursors, value: value, type: "expand",
            typeDescr: "Pointers", typeExt: "*.cur;*.ani", dflt: "%SystemRoot%\\cursors\\" + file
        };
    }
    defs.push(
        shortcut("sticky-keys-shortcut", "StickyKeys", "Turn on Sticky Keys by pressing Shift five times",
            "Lets Shift, Ctrl, Alt and the Windows key stay pressed after one press, for typing shortcuts one key at a time. Turn the shortcut off if it gets in the way of games.",
            "510", "506"),
        shortcut("filter-keys-shortcut", "Keyboard Response", "Turn on Filter Keys by holding the right Shift for eight seconds",
            "Filter Keys ignores brief or repeated keystrokes, for hands that tremble.", "126", "122"),
        shortcut("toggle-keys-shortcut", "ToggleKeys", "Turn on Toggle Keys by holding Num Lock for five seconds",
            "Toggle Keys plays a tone when Caps Lock, Num Lock or Scroll Lock is pressed.", "62", "58"),
        shortcut("mouse-keys-shortcut", "MouseKeys", "Turn on Mouse Keys with left Alt + left Shift + Num Lock",
            "Mouse Keys moves the pointer with the numeric keypad.", "62", "58"),
        shortcut("high-contrast-shortcut", "HighContrast", "Turn on high contrast with left Alt + left Shift + Print Screen",
            "High contrast draws the screen in a few strong colours that are easier to tell apart.", "126", "122"),
        {
            id: "underline-access-keys", category: "access", kind: "toggle", takesEffect: "signout",
            title: "Underline access keys",
            description: "Underlines the letter of each menu item and button that Alt plus that letter chooses, without pressing Alt first.",
            root: "HKCU", key: access + "\\Keyboard Preference", value: "On", type: "sz", on: "1", off: "0", dflt: "0"
        }, {
            id: "notification-time", category: "access", kind: "choice", takesEffect: "signout",
            title: "Show notifications for",
            description: "How long a notification stays on the screen before it goes to the notification centre.",
            root: "HKCU", key: access, value: "MessageDuration", type: "dword", dflt: 5,
            choices: [
                { value: 5, label: "5 seconds" },
                { value: 7, label: "7 seconds" },
                { value: 15, label: "15 seconds" },
                { value: 30, label: "30 seconds" },
                { value: 60, label: "1 minute" },
                { value: 300, label: "5 minutes" }
            ]
        }, {
            id: "caret-width", category: "access", kind: "range", takesEffect: "signout",
            title: "Text cursor thickness (pixels)",
            description: "Makes the blinking line where you type thicker, so that it is easier to find.",
            root: "HKCU", key: "Control Panel\\Desktop", value: "CaretWidth", type: "dword", min: 1, max: 20, dflt: 1
        }, {
            id: "mouse-trails", category: "access", kind: "choice", takesEffect: "signout",
            title: "Pointer trails",
            description: "Leaves a trail of pointers behind the moving mouse pointer, which makes it easier to follow.",
            root: "HKCU", key: "Control Panel\\Mouse", value: "MouseTrails", type: "sz", dflt: "0",
            choices: [
                { value: "0", label: "None" },
                { value: "2", label: "Short" },
                { value: "5", label: "Medium" },
                { value: "7", label: "Long" }
            ]
        },
        cursor("cursor-arrow", "Arrow", "Normal pointer", "The picture of the mouse pointer when it points at nothing special.",
            "aero_arrow.cur"),
        cursor("cursor-busy", "Wait", "Busy pointer", "The picture shown while Windows or a program is busy and cannot be used.",
            "aero_busy.ani"),
        cursor("cursor-working", "AppStarting", "Working in the background pointer",
            "The picture shown while a program starts or works but can still be used.", "aero_working.ani"),
        cursor("cursor-link", "Hand", "Link pointer", "The picture of the pointer over a link.", "aero_link.cur")
    );
}(TweakDefinitions));
