// Tweak definitions: mouse and keyboard. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var mouse = "Control Panel\\Mouse";
    var keyboard = "Control Panel\\Keyboard";
    defs.push({
        id: "double-click", category: "input", kind: "range",
        title: "Double-click speed (ms)",
        description: "The longest time between two clicks that still counts as a double-click.",
        root: "HKCU", key: mouse, value: "DoubleClickSpeed", type: "sz", min: 200, max: 900, dflt: "500"
    }, {
        id: "hover-time", category: "input", kind: "range",
        title: "Mouse hover time (ms)",
        description: "How long the pointer must rest on something before it counts as hovering, for tooltips and the like.",
        root: "HKCU", key: mouse, value: "MouseHoverTime", type: "sz", min: 10, max: 5000, dflt: "400"
    }, {
        id: "snap-to-default", category: "input", kind: "toggle",
        title: "Move the pointer to the default button",
        description: "Places the mouse pointer on the default button of every new dialog box.",
        root: "HKCU", key: mouse, value: "SnapToDefaultButton", type: "sz", on: "1", off: "0", dflt: "0"
    }, {
        id: "wheel-lines", category: "input", kind: "range",
        title: "Lines to scroll per wheel notch",
        description: "How far one notch of the mouse wheel scrolls a document.",
        root: "HKCU", key: "Control Panel\\Desktop", value: "WheelScrollLines", type: "sz", min: 1, max: 100, dflt: "3"
    }, {
        id: "repeat-delay", category: "input", kind: "range",
        title: "Keyboard repeat delay",
        description: "How long a key must be held before it repeats, from 0 (about 250 ms) to 3 (about 1 second).",
        root: "HKCU", key: keyboard, value: "KeyboardDelay", type: "sz", min: 0, max: 3, dflt: "1"
    }, {
        id: "repeat-rate", category: "input", kind: "range",
        title: "Keyboard repeat rate",
        description: "How fast a held key repeats, from 0 (about 2 per second) to 31 (about 30 per second).",
        root: "HKCU", key: keyboard, value: "KeyboardSpeed", type: "sz", min: 0, max: 31, dflt: "31"
    });
}(TweakDefinitions));
