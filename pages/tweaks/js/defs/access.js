// Tweak definitions: accessibility. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var access = "Control Panel\\Accessibility";
    var desktop = "Control Panel\\Desktop";
    var spiPage = "https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-systemparametersinfow";
    var structPage = "https://learn.microsoft.com/en-us/windows/win32/api/winuser/ns-winuser-";
    var win10 = { from: 10240, why: "Needs Windows 10 or later." };
    // A feature's Flags keep its keyboard shortcut in the hot-key bit (4); turning the shortcut
    // off must leave the feature and the user's other options as they are.
    function shortcut(id, feature, flag, structure, base, title, description) {
        return {
            id: id, category: "access", kind: "toggle", takesEffect: "now", windows: win10,
            title: title, description: description, spi: flag, source: structPage + structure,
            root: "HKCU", key: access + "\\" + feature, value: "Flags", type: "sz", bit: { mask: 4 },
            dflt: true, base: base
        };
    }
    // Windows has no value here until the user picks a pointer of a scheme; until then it draws its own.
    function cursor(id, value, title, description) {
        return {
            id: id, category: "access", kind: "file", takesEffect: "signout", windows: win10,
            title: title, description: description,
            source: "https://learn.microsoft.com/en-us/windows/win32/controls/themesfileformat-overview",
            root: "HKCU", key: "Control Panel\\Cursors", value: value, type: "expand",
            typeDescr: "Pointers", typeExt: "*.cur;*.ani", dfltAbsent: true
        };
    }
    defs.push(
        shortcut("sticky-keys-shortcut", "StickyKeys", "STICKYKEYS.SKF_HOTKEYACTIVE", "stickykeys", "510",
            "Turn on Sticky Keys by pressing Shift five times",
            "Sticky Keys lets Shift, Ctrl, Alt and the Windows key stay pressed after one press, for typing shortcuts one key at a time. This switch only allows or stops the shortcut; Sticky Keys itself and its other options stay as they are."),
        shortcut("filter-keys-shortcut", "Keyboard Response", "FILTERKEYS.FKF_HOTKEYACTIVE", "filterkeys", "126",
            "Turn on Filter Keys by holding the right Shift for eight seconds",
            "Filter Keys ignores brief or repeated keystrokes, for hands that tremble. This switch only allows or stops the shortcut; Filter Keys itself stays as it is."),
        shortcut("toggle-keys-shortcut", "ToggleKeys", "TOGGLEKEYS.TKF_HOTKEYACTIVE", "togglekeys", "62",
            "Turn on Toggle Keys by holding down Num Lock",
            "Toggle Keys plays a tone when Caps Lock, Num Lock or Scroll Lock is turned on or off. This switch only allows or stops the shortcut; Toggle Keys itself stays as it is."),
        shortcut("mouse-keys-shortcut", "MouseKeys", "MOUSEKEYS.MKF_HOTKEYACTIVE", "mousekeys", "62",
            "Turn on Mouse Keys with left Alt + left Shift + Num Lock",
            "Mouse Keys moves the pointer with the numeric keypad. This switch only allows or stops the shortcut; Mouse Keys itself stays as it is."),
        shortcut("high-contrast-shortcut", "HighContrast", "HIGHCONTRAST.HCF_HOTKEYACTIVE", "highcontrastw", "126",
            "Turn on high contrast with left Alt + left Shift + Print Screen",
            "High contrast draws the screen in a few strong colours that are easier to tell apart. This switch only allows or stops the shortcut; high contrast itself stays as it is."),
        {
            id: "underline-access-keys", category: "access", kind: "toggle", takesEffect: "now", windows: win10,
            title: "Always underline access keys",
            description: "Underlines the letter of each menu item that Alt plus that letter chooses, also when the menu was opened with the mouse. Turned off, the letters are underlined only when the menu is opened from the keyboard.",
            spi: "KEYBOARDCUES",
            source: "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/cc957204(v=technet.10)",
            root: "HKCU", key: desktop, value: "UserPreferencesMask", type: "binary", bit: { "byte": 0, mask: 32 },
            dflt: false
        }, {
            id: "notification-time", category: "access", kind: "choice", takesEffect: "now", windows: win10,
            title: "Show notifications for",
            description: "How long a notification stays on the screen, for readers who need more time.",
            spi: "MESSAGEDURATION", source: spiPage,
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
            id: "caret-width", category: "access", kind: "range", takesEffect: "now", windows: win10,
            title: "Text cursor thickness (pixels)",
            description: "Makes the blinking line where you type in edit boxes thicker, so that it is easier to find. 1 is the default and the smallest.",
            spi: "CARETWIDTH", source: spiPage,
            root: "HKCU", key: desktop, value: "CaretWidth", type: "dword", min: 1, max: 20, dflt: 1
        }, {
            id: "mouse-trails", category: "access", kind: "choice", takesEffect: "now", windows: win10,
            title: "Pointer trails",
            description: "Briefly draws a trail of pointers behind the moving mouse pointer, which makes it easier to follow.",
            spi: "MOUSETRAILS", source: spiPage,
            root: "HKCU", key: "Control Panel\\Mouse", value: "MouseTrails", type: "sz", dflt: "0",
            choices: [
                { value: "0", label: "None" },
                { value: "2", label: "2 pointers" },
                { value: "5", label: "5 pointers" },
                { value: "7", label: "7 pointers" }
            ]
        }, {
            id: "focus-border-width", category: "access", kind: "range", takesEffect: "now", windows: win10,
            title: "Focus rectangle side width (pixels)",
            description: "The thickness of the left and right edges of the dotted rectangle that marks the control with the keyboard focus.",
            spi: "FOCUSBORDERWIDTH", source: spiPage,
            root: "HKCU", key: desktop, value: "FocusBorderWidth", type: "dword", min: 1, max: 10, dflt: 1
        }, {
            id: "focus-border-height", category: "access", kind: "range", takesEffect: "now", windows: win10,
            title: "Focus rectangle top and bottom height (pixels)",
            description: "The thickness of the top and bottom edges of the dotted rectangle that marks the control with the keyboard focus.",
            spi: "FOCUSBORDERHEIGHT", source: spiPage,
            root: "HKCU", key: desktop, value: "FocusBorderHeight", type: "dword", min: 1, max: 10, dflt: 1
        },
        cursor("cursor-arrow", "Arrow", "Normal pointer", "The picture of the mouse pointer when it points at nothing special."),
        cursor("cursor-busy", "Wait", "Busy pointer", "The picture shown while Windows or a program is busy and cannot be used."),
        cursor("cursor-working", "AppStarting", "Working in the background pointer",
            "The picture shown while a program starts or works but can still be used."),
        cursor("cursor-link", "Hand", "Link pointer", "The picture of the pointer over a link.")
    );
}(TweakDefinitions));
