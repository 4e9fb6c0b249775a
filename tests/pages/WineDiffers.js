// What Wine 8's user32 does otherwise than Windows with the System entries that the definitions
// use, measured through lvscript's System object in a fresh prefix. Included by engine.sh, read by
// render.mjs, which try such a setting through the registry alone, and check what Wine does.
//
// WineRefuses: the entries whose change through the System object fails under Wine. It has no GET
// action for some ("Invalid SPI parameter"); it refuses the SET of the accessibility structures and
// reads their hot-key flags as off; it keeps nothing of ANIMATION's SET and reads iMinAnimate as off;
// and it takes MOUSESPEED from uiParam where the reference has pvParam, so every SET stores 0. Such a
// change must fail and leave the registry and the history as they were.
var WineRefuses = {
    DOCKMOVING: "has no GET",
    DRAGFROMMAXIMIZE: "has no GET",
    SNAPSIZING: "has no GET",
    WINARRANGING: "has no GET",
    MESSAGEDURATION: "has no GET",
    SCREENSAVESECURE: "has no GET",
    HUNGAPPTIMEOUT: "has no GET",
    WAITTOKILLTIMEOUT: "has no GET",
    "STICKYKEYS.SKF_HOTKEYACTIVE": "refuses the SET",
    "FILTERKEYS.FKF_HOTKEYACTIVE": "refuses the SET",
    "TOGGLEKEYS.TKF_HOTKEYACTIVE": "refuses the SET",
    "MOUSEKEYS.MKF_HOTKEYACTIVE": "refuses the SET",
    "HIGHCONTRAST.HCF_HOTKEYACTIVE": "refuses the SET",
    "ANIMATION.iMinAnimate": "keeps nothing it is SET to",
    MOUSESPEED: "stores 0 for every SET"
};

// WineKeepsElsewhere: the entries that Wine changes, keeping their data elsewhere than Windows:
// active window tracking in the DWORD Control Panel\Mouse\ActiveWindowTracking, where Windows NT 4
// kept it, not in bit 0 of UserPreferencesMask (every other bit of that value Wine keeps as Windows).
var WineKeepsElsewhere = {
    ACTIVEWINDOWTRACKING: "Control Panel\\Mouse\\ActiveWindowTracking"
};
